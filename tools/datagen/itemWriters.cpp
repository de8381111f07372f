#include "datagen/itemWriters.h"

#include "datagen/entityWriters.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kGameObjectVersion = 1;

void ObjectBlock(BlockWriter& w, const std::string& name)
{
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(name.c_str()).End();
}

void ModifierBlock(BlockWriter& w, const ItemStatModifierDesc& m)
{
    w.Begin(m.version).Int(m.type).Int(m.entityType).Word(m.stat).Float(m.value).End();
}

}  // namespace

BlockWriter& ItemTemplateBlock(BlockWriter& w, const ItemTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    ObjectBlock(w, d.name);
    for (uint32_t h : d.effects)
        w.Word(h);
    for (const std::string& node : d.nodes)
        w.Name(node.c_str());
    w.Half(d.flags).Int(d.maxCount);
    if (v >= 2) {
        for (const ItemStatModifierDesc& m : d.modifiers)
            ModifierBlock(w, m);
        w.Int(d.changeSkin).Int(d.changeSkinSlot);
    }
    if (v >= 3) {
        w.Word(d.categoryMask).Float(d.viewHPR[0]).Float(d.viewHPR[1]);
        if (v >= 6)
            w.Float(d.viewHPR[2]);
    }
    if (v >= 5)
        w.Float(d.visRadius);
    return w.End();
}

BlockWriter& ItemBlock(BlockWriter& w, const std::string& name, uint32_t v)
{
    w.Begin(v).Begin(kGameObjectVersion);
    ObjectBlock(w, name);
    return w.End().End();
}

bool WriteItemTemplateGroupFile(const std::string& path, int beginSlot, const std::vector<ItemTemplateDesc>& templates,
                                uint32_t version)
{
    return SaveRecordGroup(path, gcItemTemplateGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcItemTemplate::GetStaticType()->m_nTypeId, templates, version, &ItemTemplateBlock);
}

}  // namespace datagen
