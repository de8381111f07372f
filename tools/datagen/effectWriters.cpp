#include "datagen/effectWriters.h"

#include "datagen/entityWriters.h"
#include "datagen/particleWriters.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eSoundConfig.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/flow/gcRumbleConfig.h"
#include "gcGameCore/script/gcEvent.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kGameObjectVersion = 1;
constexpr uint32_t kRefusedEventVersion = 2;

void ObjectBlock(BlockWriter& w, const std::string& name)
{
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(name.c_str()).End();
}

void EventBlock(BlockWriter& w, const EventActionsFunc& actions, int index, int damaged)
{
    w.Begin(index == damaged ? kRefusedEventVersion : gcEvent::kVersion).Begin(kBaseVersion).End();
    if (actions)
        actions(w, index);
    w.Int(-1).End();
}

void RumbleMember(BlockWriter& w, const EffectRumbleDesc& r)
{
    w.Word(gcRumbleConfig::GetStaticType()->m_nTypeId);
    w.Begin(gcRumbleConfig::kVersion).Begin(kBaseVersion).End();
    w.Int(r.lifeTicks).Float(r.start).Float(r.end).Float(r.falloff).End();
}

void Members(BlockWriter& w, const EffectTemplateDesc& d, uint32_t v)
{
    for (const auto& e : d.emitters) {
        if (!e) {
            w.Int(-1);
            continue;
        }
        w.Word(eParticleEmitter::GetStaticType()->m_nTypeId);
        EmitterBlock(w, *e, eParticleEmitter::kVersion);
    }
    if (d.wrongMember) {
        RumbleMember(w, EffectRumbleDesc{});
    } else if (d.trail) {
        w.Word(eGeomTrailConfig::GetStaticType()->m_nTypeId);
        TrailConfigBlock(w, *d.trail);
    } else {
        w.Int(-1);
    }
    if (d.light) {
        w.Word(eDynamicLightConfig::GetStaticType()->m_nTypeId);
        w.Begin(eDynamicLightConfig::kVersion).Begin(kBaseVersion).End();
        w.Word(d.light->hMaterial).Word(d.light->color).Float(d.light->radius).Float(d.light->flicker);
        w.Float(d.light->damping).End();
    } else {
        w.Int(-1);
    }
    if (d.sound) {
        w.Word(eSoundConfig::GetStaticType()->m_nTypeId);
        w.Begin(eSoundConfig::kVersion).Begin(kBaseVersion).End();
        w.Word(d.sound->hSound).Float(d.sound->radius).Float(d.sound->volume).Word(d.sound->looping ? 1u : 0u).End();
    } else {
        w.Int(-1);
    }
    if (d.rumble)
        RumbleMember(w, *d.rumble);
    else
        w.Int(-1);
    if (v >= 18)
        w.Int(-1);  // projector
}


}  // namespace

BlockWriter& EffectTemplateBlock(BlockWriter& w, const EffectTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    ObjectBlock(w, d.name);
    w.Word(d.hMesh).Int(static_cast<int32_t>(d.materials.size()));
    for (uint32_t h : d.materials)
        w.Word(h);
    w.Int(d.surfaceCount);
    for (uint32_t h : d.surfaces)
        w.Word(h);
    w.Word(d.hAnimation);
    Members(w, d, v);
    for (int i = 0; i < (v >= 18 ? 9 : 8); ++i)
        w.Int(d.delays[i]);
    w.Int(d.lifeTicks);
    if (v >= 12)
        w.Int(d.fadeInTicks).Int(d.fadeOutTicks);
    else
        w.Float(d.fadeInFraction).Float(d.fadeOutFraction);
    EventBlock(w, d.actions, 0, d.damagedEvent);
    if (v >= 13)
        EventBlock(w, d.actions, 1, d.damagedEvent);
    if (v >= 14) {
        EventBlock(w, d.actions, 2, d.damagedEvent);
        EventBlock(w, d.actions, 3, d.damagedEvent);
    }
    if (v >= 16)
        EventBlock(w, d.actions, 4, d.damagedEvent);
    if (v >= 15) {
        w.Int(static_cast<int32_t>(d.values.size()));
        for (float f : d.values)
            w.Float(f);
    }
    w.Int(d.maxInstances).Word(d.collisionMask);
    if (v >= 17)
        w.Word(d.flags);
    return w.Float(d.gravity).Float(d.wind).Float(d.initialSpeed).End();
}

BlockWriter& EffectBlock(BlockWriter& w, const EffectDesc& d, uint32_t v)
{
    w.Begin(v).Begin(kGameObjectVersion);
    ObjectBlock(w, d.name);
    w.End();
    w.Int(d.active).Word(d.hTemplate).Half(static_cast<uint16_t>(d.regionId));
    for (float f : d.placement)
        w.Float(f);
    if (v >= 2)
        w.Word(d.activationMask);
    return w.End();
}

bool WriteEffectTemplateGroupFile(const std::string& path, int beginSlot,
                                  const std::vector<EffectTemplateDesc>& templates, uint32_t version)
{
    return SaveRecordGroup(path, gcEffectTemplateGroup::GetStaticType()->m_nTypeId, beginSlot,
                      gcEffectTemplate::GetStaticType()->m_nTypeId, templates, version, &EffectTemplateBlock);
}

bool WriteEffectGroupFile(const std::string& path, int beginSlot, const std::vector<EffectDesc>& effects,
                          uint32_t version)
{
    return SaveRecordGroup(path, gcEffectGroup::GetStaticType()->m_nTypeId, beginSlot,
                      gcEffect::GetStaticType()->m_nTypeId, effects, version, &EffectBlock);
}

}  // namespace datagen
