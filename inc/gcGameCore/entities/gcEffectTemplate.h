#pragma once
// What all effects of one kind share: model mesh, materials, surfaces and
// animation, up to four particle emitters, the trail, light, sound, rumble
// and projector configurations with their start delays, life and fade
// times, motion and collision parameters, five script events, two user
// values and a pool of pre-built effect instances that spawning takes from.
// The instances are built in the pool the template was read into; nothing
// is allocated while effects run. Main thread. Type id 112.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSurface.h"
#include "gcGameCore/script/gcEvent.h"

class eDynamicLightConfig;
class eGeomTrailConfig;
class eParticleEmitter;
class eProjectorConfig;
class eSoundConfig;
class gcEffect;
class gcEffectTemplate;
class gcMsg;
class gcRumbleConfig;
using gcEffectTemplateHandle = cHandle<gcEffectTemplate>;

class gcEffectTemplate : public cObject {
    QM_DECLARE_TYPE(gcEffectTemplate)
public:
    static constexpr uint32_t kVersion = 18;
    static constexpr uint32_t kMinVersion = 11;
    static constexpr int kMaxMaterials = 8;
    static constexpr int kMaxSurfaces = 8;
    static constexpr int kMaxParticleSystems = 4;
    static constexpr uint32_t kKeepInstances = 0x2;  // nFlags

    enum gcEffectStat : int32_t {
        STAT_SCALE = 0,
        STAT_VAR1 = 1,
        STAT_VAR2 = 2,
        STAT_BLEND = 3,
        STAT_PSYS_MAXSPEEDSCALE = 4,
        MAX_STATS = 5,
    };
    enum gcEffectValue : int32_t { VAL_USER1 = 0, VAL_USER2 = 1, MAX_VALUES = 2 };

    struct Range {
        float fMin, fMax, fStep;
        int nDecimals;
    };
    static const char* GetStatText(int32_t stat);
    static const char* GetValueText(int32_t value);
    static Range GetStatRange(int32_t stat);
    static Range GetValueRange(int32_t value);

    gcEffectTemplate();
    // A new template whatever the source: the members are not copied.
    gcEffectTemplate(const gcEffectTemplate&);
    gcEffectTemplate& operator=(const gcEffectTemplate&) = delete;
    ~gcEffectTemplate() override;
    cBase* Copy(cMemPool* pPool) const override;

    void Write(const cFile& file) const override;
    // Versions 11 to 18. Unchanged (false) unless the block was read whole;
    // on success the instance pool is resized to the stored maximum in pPool.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Pool: the first instance that is deactivated or frozen, reset without
    // a pool; null when all run.
    gcEffect* GetInstance();
    static gcEffect* GetInstance(gcEffectTemplateHandle handle);
    // Instances are free again once deactivated or frozen: nothing to do.
    void ReleaseInstance(gcEffect*) {}
    // Kept instances (flag 0x2) leave their parents; the map calls it at its end.
    void ReleaseInstances();
    // Every instance gets this template's handle and name, a reset in the
    // template's pool and the pooled flag.
    void ResetInstances();
    // Resizes the pool in pPool (the template's pool when null): new
    // instances stay unreset, surplus ones are destroyed.
    void SetMaxInstances(int n, cMemPool* pPool = nullptr);
    // The message to every free-standing instance of the region that runs,
    // or every one when the template keeps its instances.
    void SendToInstances(int nRegionId, const gcMsg& msg);
    int GetMaxInstances() const { return m_nMaxInstances; }
    gcEffect* GetInstanceAt(int i) const { return (i >= 0 && i < m_nMaxInstances) ? m_pInstances[i] : nullptr; }

    // Editing switches: false destroys the configuration, true creates a
    // default one in the template's pool when missing.
    void EnableParticleSystem(int slot, bool bEnable);
    void EnableGeomTrail(bool bEnable);
    void EnableDynamicLight(bool bEnable);
    void EnableSound(bool bEnable);
    void EnableRumble(bool bEnable);
    void EnableProjector(bool bEnable);

    gcEffectTemplateHandle m_handle;
    eMeshHandle hMesh;
    eMaterialHandle hMaterials[kMaxMaterials];
    eAnimationHandle hAnimation;
    eSurfaceHandle hSurfaces[kMaxSurfaces];
    cTimeValue lifeTime{600};
    cTimeValue fadeInTime;
    cTimeValue fadeOutTime;
    float fGravityScalar = 0.0f;
    float fWindScalar = 0.0f;
    float fInitialSpeed = 0.0f;
    uint32_t nCollisionMask = 0;
    uint32_t nFlags = 0;
    cTimeValue startDelayPS[kMaxParticleSystems];
    cTimeValue startDelayGT, startDelayDL, startDelaySE, startDelayRumble, startDelayProj;
    gcEvent onTouched;
    gcEvent onCollided;
    gcEvent onInitialUpdate;
    gcEvent onUpdate;
    gcEvent onDeath;
    float fValues[MAX_VALUES] = {0.0f, 0.0f};
    eParticleEmitter* m_pParticleEmitter[kMaxParticleSystems] = {};
    eGeomTrailConfig* m_pGeomTrailConfig = nullptr;
    eDynamicLightConfig* m_pDynamicLightConfig = nullptr;
    eSoundConfig* m_pSoundConfig = nullptr;
    gcRumbleConfig* m_pRumbleConfig = nullptr;
    eProjectorConfig* m_pProjectorConfig = nullptr;

private:
    void DestroyConfigs();
    int m_nMaxInstances = 0;
    gcEffect** m_pInstances = nullptr;
    cMemPool* m_pPool = nullptr;  // the pool the template was read into
};

// The slot table of effect templates: 200 slots, resolved by handle.
class gcEffectTemplateMgr : public cManager<gcEffectTemplate, 200> {};

// The file block that fills a range of gcEffectTemplateMgr's slots.
class gcEffectTemplateGroup : public cGroup {
    QM_DECLARE_GROUP(gcEffectTemplateGroup, gcEffectTemplateMgr)
};
