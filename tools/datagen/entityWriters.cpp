#include "datagen/entityWriters.h"

#include "cCore/cLog.h"
#include "eEngine/eShadowConfig.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcEvent.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kGameObjectVersion = 1;

constexpr uint32_t kRefusedEventVersion = 2;

void EventBlock(BlockWriter& w, const EventActionsFunc& actions, int index, int damaged)
{
    w.Begin(index == damaged ? kRefusedEventVersion : gcEvent::kVersion).Begin(kBaseVersion).End();
    if (actions)
        actions(w, index);
    w.Int(-1).End();
}

void ObjectBlock(BlockWriter& w, const std::string& name)
{
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(name.c_str()).End();
}

void Words(BlockWriter& w, const std::vector<uint32_t>& words)
{
    for (uint32_t v : words)
        w.Word(v);
}

void Floats(BlockWriter& w, const std::vector<float>& floats)
{
    for (float f : floats)
        w.Float(f);
}

void EntityPaths(BlockWriter& w, const EntityDesc& d, uint32_t v)
{
    if (v >= 14) {
        w.Int(d.pathCount);
        Words(w, d.paths);
    } else if (v >= 11) {
        w.Word(d.paths.empty() ? 0 : d.paths[0]);
    }
}

void TemplateStats(BlockWriter& w, const EntityTemplateDesc& d, uint32_t v)
{
    if (v >= 10) {
        w.Int(d.statCount);
        Floats(w, d.stats);
        w.Int(d.valueCount);
        Floats(w, d.values);
        w.Int(d.team);
        return;
    }
    w.Float(d.stats.empty() ? 0.0f : d.stats[0]).Int(d.team);
    if (v >= 8)
        w.Float(d.values.empty() ? 0.0f : d.values[0]);
    if (v >= 9)
        w.Float(d.values.size() < 2 ? 0.0f : d.values[1]);
}

void TemplateEvents(BlockWriter& w, const EntityTemplateDesc& d, uint32_t v)
{
    const bool present[7] = {v >= 7, v >= 8, v >= 17, v == 11, v >= 13, v >= 13, v >= 14};
    for (int i = 0; i < 7; ++i)
        if (present[i])
            EventBlock(w, d.actions, i, d.damagedEvent);
}

bool CheckSlots(const char* what, int begin, size_t count, int slots)
{
    if (begin >= 0 && begin + static_cast<int64_t>(count) <= slots)
        return true;
    cLogError_("datagen: %s slots %d to %zu outside the manager's %d", what, begin, begin + count, slots);
    return false;
}


}  // namespace

void EntityBlock(BlockWriter& w, const EntityDesc& d, uint32_t v)
{
    w.Begin(v);
    w.Begin(kGameObjectVersion);
    ObjectBlock(w, d.name);
    w.End();
    w.Word(d.hTemplate).Half(static_cast<uint16_t>(d.regionId)).Half(static_cast<uint16_t>(d.skin));
    if (v >= 9)
        w.Word(d.neighbors[0]).Word(d.neighbors[1]);
    EntityPaths(w, d, v);
    w.Int(d.active);
    if (v >= 10)
        w.Int(d.invulnerable);
    if (v >= 19)
        w.Int(!d.keptAfterDeath);
    for (float f : d.placement)
        w.Float(f);
    if (v >= 6)
        w.Word(d.activationMask);
    if (v >= 7)
        w.Half(static_cast<uint16_t>(d.mode));
    if (v >= 15)
        w.Half(static_cast<uint16_t>(d.initialState));
    if (v >= 16) {
        w.Int(d.statModCount);
        Floats(w, d.statMods);
    }
    const bool present[5] = {v >= 8, v >= 12, v >= 17, v >= 13, v >= 18};
    for (int i = 0; i < 5; ++i)
        if (present[i])
            EventBlock(w, d.actions, i, d.damagedEvent);
    w.End();
}

void EntityTemplateBlock(BlockWriter& w, const EntityTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    ObjectBlock(w, d.name);
    if (v >= 19)
        w.Word(d.flags);
    w.Word(d.hMesh).Int(d.materialCount);
    Words(w, d.materials);
    w.Int(d.surfaceCount);
    Words(w, d.surfaces);
    if (v >= 16)
        w.Word(d.surfaceCollisionMask).Int(d.size);
    if (v >= 20)
        w.Word(d.attachItemMask);
    if (d.shadow) {
        w.Word(eShadowConfig::GetStaticType()->m_nTypeId);
        w.Begin(eShadowConfig::kVersion).Begin(kBaseVersion).End();
        w.Word(d.shadowBlendMaterial).Word(0).Int(0).Float(eShadowConfig::kDefaultFar).End();
    } else {
        w.Int(-1);
    }
    if (v >= 15 && v <= 18)
        w.Int(d.bothSweeps);
    TemplateStats(w, d, v);
    TemplateEvents(w, d, v);
    if (v >= 18)
        w.Word(d.hStateMachine);
    w.End();
}

bool WriteEntityGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                          const std::vector<EntityDesc>& entities, uint32_t version)
{
    if (!CheckSlots("entity", beginSlot, entities.size(), gcEntityMgr::kSlots))
        return false;
    return SaveRecordGroup(path, gcEntityGroup::GetStaticType()->m_nTypeId, beginSlot, typeId, entities, version,
                      &EntityBlock);
}

bool WriteEntityTemplateGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                                  const std::vector<EntityTemplateDesc>& templates, uint32_t version)
{
    if (!CheckSlots("entity template", beginSlot, templates.size(), gcEntityTemplateMgr::kSlots))
        return false;
    return SaveRecordGroup(path, gcEntityTemplateGroup::GetStaticType()->m_nTypeId, beginSlot, typeId, templates,
                      version, &EntityTemplateBlock);
}

void SurfaceBlock(BlockWriter& w, const SurfaceDesc& d, uint32_t v)
{
    w.Begin(v);
    w.Begin(eSurface::kVersion);
    ObjectBlock(w, d.name);
    w.Word(d.collisionMask).Float(d.friction).Word(d.flags).Word(d.color).End();
    if (v == 1)
        w.Word(0);  // the unused word of version 1
    w.Float(d.armorMod);
    EventBlock(w, d.actions, 0, d.damagedEvent);
    EventBlock(w, d.actions, 1, d.damagedEvent);
    if (v >= 3)
        for (uint32_t h : d.effects)
            w.Word(h);
    w.End();
}

void AnimationConfigBlock(BlockWriter& w, const AnimationConfigDesc& d, uint32_t v)
{
    w.Begin(v).Begin(kBaseVersion).End();
    w.Word(d.hAnimation);
    if (v >= 3)
        w.Word(d.hSounds[0]);
    if (v >= 4)
        w.Word(d.hSounds[1]);
    for (int i = 0; i < 4; ++i)
        EventBlock(w, d.actions, i, d.damagedEvent);
    if (v >= 2)
        w.Word(d.flags);
    w.End();
}

}  // namespace datagen
