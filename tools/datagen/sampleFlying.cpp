#include "datagen/sampleFlying.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/creatureScriptWriters.h"
#include "datagen/playerWriters.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eTextureStage.h"
#include "gcGameCore/script/gcAction.h"

namespace datagen {

namespace {

constexpr float kGroundZ = -3.0f;  // the sample regions' ground
constexpr int16_t kWest = 0;

}  // namespace

bool WriteSampleFlyingPlayer(const std::string& dir, uint32_t hMaterial)
{
    const std::string stem = dir + "/Game/PlayerConfig02";
    const std::string scratch = stem + ".part";
    cMemPool pool("datagen FlyerHover", 0x1000, false);
    const gcAction* pCoast = NewCoastFromHover(&pool);
    if (!pCoast)
        return false;
    bool ok = true;
    FlyingPlayerDesc d;
    // A half push from a hover creeps the flyer forward, so that it is seen
    // to answer the stick and to turn with it; a hover is a brake.
    d.creepSpeed = kSampleFlyerCreepSpeed;
    d.finish = SetSampleFlyerSoundKeys;
    d.brakeActions = [&](BlockWriter& w, int index) {
        if (index == 2) {  // OnUpdated
            w.Int(static_cast<int32_t>(pCoast->GetType()->m_nTypeId));
            ok = LayEngineObject(w, *pCoast, scratch) && ok;
        }
    };
    const bool bWritten =
        WriteSamplePlayerFiles(stem, SampleSoundBank::kFlyer, "Skylark", hMaterial, &WriteFlyingPlayerConfigFile, std::move(d));
    std::destroy_at(pCoast);  // its event's actions hold heap memory of their own
    std::remove(scratch.c_str());
    return bWritten && ok;
}

EffectTemplateDesc UpdraftTemplate(uint32_t hMoteMaterial)
{
    constexpr float kTicks = 600.0f;  // a second's
    EffectTemplateDesc t;
    t.name = "Updraft";
    t.lifeTicks = 0;  // for good
    t.maxInstances = 1;
    eParticleEmitter& e = t.emitters[0].emplace();
    e.m_nMaxParticles = 120;
    e.SetLifetime(cTimeValue(static_cast<int32_t>(kSampleMoteSeconds * kTicks)));
    e.SetLifetimeTolerance(0.2f);
    // As many born as die: the box holds its motes all the while.
    e.SetBirthDelay(cTimeValue(static_cast<int32_t>(kSampleMoteSeconds * kTicks) / e.m_nMaxParticles));
    e.SetHeadingAngleTolerance(4.0f);
    e.SetPitchAngleTolerance(180.0f);
    e.SetInitialSpeed(kSampleMoteRiseSpeed / kTicks);
    e.SetInitialSpeedTolerance(0.3f);
    e.SetFadeInTime(cTimeValue(300));
    e.SetFadeOutTime(cTimeValue(600));
    e.SetStartSize(0.5f);
    e.SetEndSize(0.25f);
    e.SetColorStart(1.0f, 0.95f, 0.7f);
    e.SetColorEnd(1.0f, 0.75f, 0.3f);
    e.SetGravityScale(0.0f);
    e.SetWindScale(0.0f);
    e.SetMaterial(eMaterialHandle(hMoteMaterial));
    // Born over the box's floor, rising: the emitter's forward is turned
    // up, its up to the south.
    e.m_volumeWDH.Set(kSampleUpdraftSide, 0.2f, kSampleUpdraftSide);
    e.m_localToParent.basis.SetHPR(0.0f, 90.0f, 0.0f);
    t.light = EffectLightDesc{0, 0xFFFFE090, 5.0f, 0.1f, 0.75f};
    return t;
}

EffectDesc UpdraftEffect(uint32_t hTemplate)
{
    EffectDesc e;
    e.name = "Updraft";
    e.active = true;
    e.hTemplate = hTemplate;
    e.regionId = kWest;
    // On the verge, a tenth below the road.
    const FrameFloats f = FrameAt(kSampleUpdraftX, kSampleUpdraftY, kGroundZ - 0.1f);
    std::copy(f.begin(), f.end(), e.placement);
    return e;
}

eMaterial* NewSampleMoteMaterial(cMemPool* pPool)
{
    eMaterial* m = pPool->New<eMaterial>();
    eMaterialPass* pPass = m ? m->AddPass(eMaterial::PASS_DIFFUSE) : nullptr;
    eTextureStage* s = pPass ? pPass->AddTextureStage() : nullptr;
    if (!s)
        return nullptr;
    m->m_name.Set("Mote");
    m->m_nFlags = eMaterial::FLAG_UNLIT | eMaterial::FLAG_TWO_SIDED | eMaterial::FLAG_NO_FOG | eMaterial::FLAG_NO_Z_UPDATE;
    m->m_blendMode = eMaterial::BLEND_ADD;
    m->m_diffuseColor.Set(1.0f, 0.9f, 0.6f);
    // The quad's colour and alpha as they come, without a texture.
    s->m_colorIn[0] = s->m_alphaIn[0] = eTextureStage::IN_RASTER;
    return m;
}

RegionTriggerDesc UpdraftTrigger(const ActionMemberFunc& member, bool* pOk)
{
    // A box standing on the verge.
    RegionTriggerDesc t =
        BoxTrigger("Updraft", kWest, kSampleUpdraftSide, kSampleUpdraftSide, 4.0f, FrameAt(kSampleUpdraftX, kSampleUpdraftY, kGroundZ + 2.0f));
    t.actions = [member, pOk](BlockWriter& w, int index) {
        // OnEnter: the third map, without saving.
        if (index == 0)
            *pOk = member(w, gcDoLoadMap(0, 0, kSampleSkyMap, false, false, false)) && *pOk;
    };
    return t;
}

}  // namespace datagen
