#pragma once
// A short-lived or placed effect in a zone: a model, up to four particle
// systems, a trail, a dynamic light and a projector, configured by its
// template. It fades in, lives its life time, fades out and dies when its
// opacity reaches zero; it moves by velocity, gravity, wind and root motion
// and reports one collision. Placed effects come from the map's effect
// group, pooled ones from their template's instance pool. An effect may hang
// under an entity (the entity's effect ring) or under another effect (the
// child ring), and then takes its messages through that parent. Lives in its
// pool; main thread. Type id 108.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eModel.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/script/gcGameObject.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class eDynamicLight;
class eGeomTrail;
class eParticleSystem;
class eProjector;
class eSound;
class gcEntity;
class gcRegionPoint;
class gcRumbleConfig;
class gcEffect;
using gcEffectHandle = cHandle<gcEffect>;

class gcEffect : public gcGameObject {
    QM_DECLARE_TYPE(gcEffect)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kMaxStaticEffects = 32;

    // m_nFlags.
    static constexpr uint16_t kDeactivated = 0x1;
    static constexpr uint16_t kFrozen = 0x2;
    static constexpr uint16_t kPooled = 0x4;
    static constexpr uint16_t kInitialUpdate = 0x8;
    static constexpr uint16_t kNoGravity = 0x10;
    static constexpr uint16_t kNoWind = 0x20;
    static constexpr uint16_t kDied = 0x40;
    static constexpr uint16_t kItemOwned = 0x80;

    enum { STATE_ENABLED = 0, STATE_DISABLED = 1 };

    gcEffect();
    // Name, game-object state, template, flags, region, mask and placement;
    // everything else as a new effect, then reset from the template.
    gcEffect(const gcEffect& other);
    gcEffect& operator=(const gcEffect&) = delete;
    ~gcEffect() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 2: game-object block, active, template, region, placement,
    // activation mask. Unchanged unless the block was read whole.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;

    int Send(const gcMsg& msg) override;
    // Rebuilds from the template; components are created only with a pool.
    // True even when the template does not resolve (then no mesh).
    bool Reset(cMemPool* pPool);
    // Places a pooled instance at a world frame and activates it; outside
    // every resident zone nothing is activated.
    void SpawnAt(const mOCS& worldFrame, gcEntity* pSpawner);
    // Starts a fade-out, or shortens a running longer one; 0 is instant.
    void FadeOut(cTimeValue time);
    bool Enable();
    void Disable();
    int OnHandleEnable(const gcMsg& msg);

    void AddChild(gcEffect* pChild, const cName* pNodeName);
    void Detach();
    void OnAddedToParent(const cName* pNodeName);
    // Forwards to every child; a child that leaves the ring meanwhile is
    // skipped and never breaks the walk.
    void SendAttached(const gcMsg& msg);
    gcEffect* FindEffect(gcEffectTemplateHandle hTemplate);
    gcEffect* GetNextSiblingEffect() const { return m_pNextSiblingEffect; }
    // Links the effect into an entity's effect ring (after its last member).
    void AttachToEntity(gcEntity* pEntity, const cName* pNodeName);

    void SetAttractor(gcRegionPoint* pPoint);
    void SetAttractor(gcEntity* pEntity, int nNode);
    static void SetForces(const mVec3& wind, const mVec3& gravity);
    // Sends the message round an entity's effect ring from its last member
    // back to the first; installed as the entity world's function.
    static void SendToRing(gcEffect* pFirst, const gcMsg& msg);
    // Installs SendToRing as the entity world's effect function, keeping
    // the other functions; called once when the game starts.
    static void InstallEntityWorldFuncs();
    // An entity or region point going away: every effect in the tables
    // (placed, template instances, effects of items) drops it as spawner or
    // attractor, so that none reaches freed memory later. Main thread.
    static void ForgetEntity(const gcEntity* pEntity);
    static void ForgetRegionPoint(const gcRegionPoint* pPoint);

    bool IsValid() const { return GetTemplate() != nullptr; }
    bool IsRunning() const { return !(m_nFlags & (kDeactivated | kFrozen)); }
    const gcEffectTemplate* GetTemplate() const { return gcEffectTemplateMgr::GetPtr(m_hTemplate); }

    // Motion, collision, rumble and attractors (gcEffectMove.cpp).
    void Move(cTimeValue step);
    bool Collide(cTimeValue step, const mOCS& start);
    // The rumble this effect adds at a distance from the listener.
    float CalcRumbleIntensity(const gcRumbleConfig& config, float fDistance) const;
    void CalcRumble(const gcRumbleConfig* pConfig);
    void UpdateParticleAttractors(int slot);

    // Where rumble is felt from: the player's entity, or the game camera
    // when the entity does not run. Installed by the players work, which
    // owns both; without it (or while it answers false) effects rumble
    // nothing. World position.
    static bool (*s_pGetRumbleListener)(int* pController, mVec3* pWorldPos);

    static mVec3 s_wind;
    static mVec3 s_gravity;
    static int32_t s_nActiveStaticEffects;
    static int32_t s_nActiveSpawnedEffects;

    gcEffectHandle m_handle;
    gcEffectTemplateHandle m_hTemplate;
    uint16_t m_nFlags = kDeactivated | kFrozen | kInitialUpdate;
    int16_t m_nRegionId = -1;
    eModel m_model;
    mVec3 m_currentVelocity{0.0f, 0.0f, 0.0f};
    uint32_t m_nActivationMask = 0;
    cTimeValue m_lifeTime;
    cTimeValue m_timeAlive;
    cTimeValue m_fadeInTime;
    cTimeValue m_fadeOutTime;
    float m_fOpacity = 1.0f;
    float m_fEffectStatsCur[gcEffectTemplate::MAX_STATS] = {1.0f, 0.0f, 0.0f, 0.0f, 1.0f};
    float m_fEffectStatsMax[gcEffectTemplate::MAX_STATS] = {};
    eParticleSystem* m_pParticleSystem[gcEffectTemplate::kMaxParticleSystems] = {};
    eGeomTrail* m_pGeomTrail = nullptr;
    eDynamicLight* m_pDynamicLight = nullptr;
    eSound* m_pSound = nullptr;
    eProjector* m_pProjector = nullptr;
    gcEntity* m_pParentEntity = nullptr;
    gcEffect* m_pParentEffect = nullptr;
    gcEffect* m_pFirstChildEffect = nullptr;
    gcEffect* m_pPrevSiblingEffect = nullptr;
    gcEffect* m_pNextSiblingEffect = nullptr;
    gcEntity* m_pSpawnEntity = nullptr;
    int16_t m_nSpawnNodeIndex = -1;
    int16_t m_nAttractorNodeIndex = 0;
    gcEntity* m_pAttractorEntity = nullptr;
    gcRegionPoint* m_pAttractorRegionPoint = nullptr;

private:
    int Dispatch(const gcMsg& msg);
    void OnEnterEnabled();
    void OnTick(const gcMsg& msg);
    void OnTouched(const gcMsg& msg);
    void TickComponents(cTimeValue step);
    void UpdateOpacity(cTimeValue step);
    void ResetComponents(const gcEffectTemplate& tmpl, cMemPool* pPool);
    void ResetSound(const gcEffectTemplate& tmpl, cMemPool* pPool);
    void PlaySound(cTimeValue step);
    void DestroyComponents();
    void Unlink();
    float ApplyEvent(const gcEvent& event, gcGameObject* pInitiator, gcGameObject* pParticipant1,
                     const mOCS* pLocation, float fParam0 = 0.0f);
    void SendSelf(int32_t nMsgId);
};

// The slot table of effects: 150 slots.
class gcEffectMgr : public cManager<gcEffect, 150> {};

// The map's effect group: the placed effects.
class gcEffectGroup : public cGroup {
    QM_DECLARE_GROUP(gcEffectGroup, gcEffectMgr)
};
