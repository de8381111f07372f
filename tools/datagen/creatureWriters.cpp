#include "datagen/creatureWriters.h"

#include "datagen/flowWriters.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/script/gcEvent.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kRefusedEventVersion = 2;

void Event(BlockWriter& w, const EventActionsFunc& actions, int index, int damaged)
{
    w.Begin(index == damaged ? kRefusedEventVersion : gcEvent::kVersion).Begin(kBaseVersion).End();
    if (actions)
        actions(w, index);
    w.Int(-1).End();
}

void Floats(BlockWriter& w, const std::vector<float>& floats)
{
    for (float f : floats)
        w.Float(f);
}

void Attacks(BlockWriter& w, const CreatureTemplateDesc& d)
{
    w.Int(d.attackCount);
    for (int32_t i = 0; i < d.attackCount; ++i) {
        const bool bPresent = static_cast<size_t>(i) < d.attacks.size() && d.attacks[i].has_value();
        if (!bPresent) {
            w.Int(-1);
            continue;
        }
        w.Word(gcCreatureAttack::GetStaticType()->m_nTypeId);
        CreatureAttackBlock(w, *d.attacks[i], d.attackVersion);
    }
}

}  // namespace

void CreatureAttackBlock(BlockWriter& w, const CreatureAttackDesc& d, uint32_t v)
{
    w.Begin(v);
    ObjectBlock(w, d.name.c_str());
    AnimationConfigBlock(w, d.config, d.configVersion);
    w.Int(d.damageStart).Int(d.damageStop).Float(d.damage).Word(d.collisionMask).Word(d.flags);
    for (int i = 0; i < 2; ++i)
        w.Name(d.helpers[i].c_str()).Float(d.radii[i]);
    if (v >= 5)
        Event(w, d.actions, 0, d.damagedEvent);
    if (v >= 6)
        Event(w, d.actions, 1, d.damagedEvent);
    if (v >= 7)
        w.Word(d.hitEffect).Word(d.blockedEffect);
    w.End();
}

void CreatureTemplateBlock(BlockWriter& w, const CreatureTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    EntityTemplateBlock(w, d.base, d.baseVersion);
    Attacks(w, d);
    if (v < 5) {
        w.Float(d.values.size() > 9 ? d.values[9] : -1.0f);
    } else {
        w.Int(d.statCount);
        Floats(w, d.stats);
        w.Int(d.valueCount);
        Floats(w, d.values);
    }
    const bool present[4] = {v >= 4, v >= 4, v >= 5, v >= 7};
    for (int i = 0; i < 4; ++i)
        if (present[i])
            Event(w, d.actions, i, d.damagedEvent);
    if (v >= 8)
        w.Word(d.hitEffect).Word(d.blockedEffect);
    w.End();
}

void NPCTemplateBlock(BlockWriter& w, const NPCTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    CreatureTemplateBlock(w, d.creature, d.creatureVersion);
    w.Int(d.configCount);
    for (int32_t i = 0; i < d.configCount; ++i)
        AnimationConfigBlock(w, static_cast<size_t>(i) < d.configs.size() ? d.configs[i] : AnimationConfigDesc(),
                             gcAnimationConfig::kVersion);
    if (v >= 4)
        Event(w, d.actions, 0, d.damagedEvent);
    if (v >= 5)
        Event(w, d.actions, 1, d.damagedEvent);
    w.End();
}

void CreatureBlock(BlockWriter& w, const CreatureDesc& d, uint32_t v)
{
    w.Begin(v);
    EntityBlock(w, d.entity, d.entityVersion);
    if (v >= 2) {
        w.Int(d.modCount);
        Floats(w, d.mods);
    }
    w.End();
}

bool WriteCreatureTemplateGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                                    const std::vector<CreatureTemplateDesc>& templates, uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(templates.size()) > gcEntityTemplateMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityTemplateGroup::GetStaticType()->m_nTypeId, beginSlot, typeId, templates,
                           version, &CreatureTemplateBlock);
}

bool WriteNPCTemplateGroupFile(const std::string& path, int beginSlot, const std::vector<NPCTemplateDesc>& templates,
                               uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(templates.size()) > gcEntityTemplateMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityTemplateGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcNPCTemplate::GetStaticType()->m_nTypeId, templates, version, &NPCTemplateBlock);
}

bool WriteCreatureGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                            const std::vector<CreatureDesc>& creatures, uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(creatures.size()) > gcEntityMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityGroup::GetStaticType()->m_nTypeId, beginSlot, typeId, creatures, version,
                           &CreatureBlock);
}

}  // namespace datagen
