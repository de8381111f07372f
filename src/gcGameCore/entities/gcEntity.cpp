#include "gcGameCore/entities/gcEntity.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eShadow.h"
#include "eEngine/eShadowConfig.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundConfig.h"
#include "eEngine/eVolume.h"
#include "eEngine/eVolumeQuery.h"
#include "eEngine/eZone.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/entities/gcStoredCount.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcMsg.h"
#include "mMath/mRand.h"

QM_DEFINE_ABSTRACT_TYPE(gcEntity, gcGameObject, 71)

const char* gcEntity::GetInitialPathText(int32_t index)
{
    static const char* const kTexts[MAX_PATHS] = {"Patrol", "Initial"};
    return (index >= 0 && index < MAX_PATHS) ? kTexts[index] : "???";
}

gcEntity::gcEntity()
    : onInteract("OnInteract", m_name.m_sData),
      onCanInteract("CanInteract", m_name.m_sData),
      onInitialUpdate("OnInitialUpdate", m_name.m_sData),
      onDeath("OnDeath", m_name.m_sData),
      onFaded("OnFaded", m_name.m_sData),
      m_pPrevSiblingEntity(this),
      m_pNextSiblingEntity(this)
{
    for (cTimeValue& t : m_entityTimeSince)
        t = cTimeValue(kNever);
    m_model.m_pOwner = this;
}

gcEntity::gcEntity(const gcEntity& other)
    : gcGameObject(other),
      onInteract(other.onInteract, m_name.m_sData),
      onCanInteract(other.onCanInteract, m_name.m_sData),
      onInitialUpdate(other.onInitialUpdate, m_name.m_sData),
      onDeath(other.onDeath, m_name.m_sData),
      onFaded(other.onFaded, m_name.m_sData),
      m_hTemplate(other.m_hTemplate),
      m_nActivationMask(other.m_nActivationMask),
      m_nRegionId(other.m_nRegionId),
      m_nMaterialSkin(other.m_nMaterialSkin),
      m_nEntityFlags(other.m_nEntityFlags),
      m_nMode(other.m_nMode),
      m_nEntityInitialState(other.m_nEntityInitialState),
      m_pPrevSiblingEntity(this),
      m_pNextSiblingEntity(this)
{
    for (cTimeValue& t : m_entityTimeSince)
        t = cTimeValue(kNever);
    std::copy_n(other.m_hPaths, MAX_PATHS, m_hPaths);
    std::copy_n(other.m_fEntityStatsMod, gcEntityTemplate::MAX_STATS, m_fEntityStatsMod);
    m_model.m_localToParent = other.m_model.m_localToParent;
    m_model.m_pOwner = this;
}

void gcEntity::StartAsCopy(int32_t nState)
{
    m_nCurState = static_cast<int8_t>(nState);
    m_nNextState = static_cast<int8_t>(nState);
    m_nPrevState = -1;
    m_nGameObjectFlags = 0;
    m_nextUpdate = cTimeValue(0);
    m_nEntityFlags |= kDeactivated | kFrozen;
    Reset(cMemPool::GetPoolFromPtr(this));
}

gcEntity::~gcEntity()
{
    if (m_pShadow)
        std::destroy_at(m_pShadow);
    // The sound stops its channel and leaves its zone's filing.
    if (m_pSound)
        std::destroy_at(m_pSound);
    // Carried items and attached effects outlive the entity in their own
    // pools: they must not keep pointing at it.
    while (m_pItems)
        m_pItems->Detach();
    while (m_pEffects)
        m_pEffects->Detach();
    Detach();
    while (m_pFirstChildEntity)
        m_pFirstChildEntity->Detach();
    // Effects spawned by or attracted to it, and triggers answering only
    // it, hold it by address: a later entity at the same place must not
    // stand in for it.
    gcEffect::ForgetEntity(this);
    gcRegionTrigger::ForgetEntity(this);
    // The HUD and the scripts read the player's interaction target between
    // the biped's ticks.
    if (gcPlayer* pPlayer = gcPlayer::Get(); pPlayer->m_pInteractTarget == this)
        pPlayer->m_pInteractTarget = nullptr;
}

// ---- file block ----

void gcEntity::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
    m_hTemplate.Write(wb);
    wb.WriteShort(m_nRegionId);
    wb.WriteShort(m_nMaterialSkin);
    for (const gcEntityHandle& h : m_hNeighbors)
        h.Write(wb);
    wb.WriteInt(static_cast<int32_t>(MAX_PATHS));
    for (const gcRegionPathHandle& h : m_hPaths)
        h.Write(wb);
    wb.WriteBool((m_nEntityFlags & kDeactivated) == 0);
    wb.WriteBool((m_nEntityFlags & kInvulnerable) != 0);
    wb.WriteBool((m_nEntityFlags & kKeptAfterDeath) == 0);
    const mOCS& f = m_model.m_localToParent;
    const float placement[12] = {f.origin.x,       f.origin.y,       f.origin.z,       f.basis.right.x,
                                 f.basis.right.y,  f.basis.right.z,  f.basis.forward.x, f.basis.forward.y,
                                 f.basis.forward.z, f.basis.up.x,    f.basis.up.y,     f.basis.up.z};
    wb.WriteFloats(placement, 12);
    wb.WriteInt(m_nActivationMask);
    wb.WriteShort(m_nMode);
    wb.WriteShort(m_nEntityInitialState);
    wb.WriteInt(static_cast<int32_t>(gcEntityTemplate::MAX_STATS));
    wb.WriteFloats(m_fEntityStatsMod, gcEntityTemplate::MAX_STATS);
    onInteract.Write(file);
    onCanInteract.Write(file);
    onInitialUpdate.Write(file);
    onFaded.Write(file);
    onDeath.Write(file);
}

namespace {

// Everything Read takes from the block, committed only when it is whole.
struct EntityData {
    uint32_t hTemplate;
    int16_t nRegionId, nSkin;
    uint32_t hNeighbors[gcEntity::kNumNeighbors];
    uint32_t hPaths[gcEntity::MAX_PATHS] = {};
    uint16_t nFlags;
    float placement[12];
    uint32_t nActivationMask;
    int16_t nMode, nInitialState;
    float fStatsMod[gcEntityTemplate::MAX_STATS];
};

void ReadPaths(const cReadBlock& rb, EntityData* d)
{
    if (rb.m_nVersion >= 14) {
        const gcStoredCount paths = gcStoredCount::Read(rb, gcEntity::MAX_PATHS, "gcEntity", "path count");
        rb.ReadInts(d->hPaths, paths.m_nRead);
        paths.SkipSurplus(rb, 4);
    } else if (rb.m_nVersion >= 11) {
        d->hPaths[gcEntity::PATH_PATROL] = rb.ReadUInt();  // the one path of these versions
    }
}

uint16_t SetOrClear(uint16_t flags, uint16_t bit, bool bSet)
{
    return bSet ? static_cast<uint16_t>(flags | bit) : static_cast<uint16_t>(flags & ~bit);
}

void ReadFlagsAndPlacement(const cReadBlock& rb, EntityData* d)
{
    d->nFlags = SetOrClear(d->nFlags, gcEntity::kDeactivated, !rb.ReadBool());
    if (rb.m_nVersion >= 10)
        d->nFlags = SetOrClear(d->nFlags, gcEntity::kInvulnerable, rb.ReadBool());
    if (rb.m_nVersion >= 19)
        d->nFlags = SetOrClear(d->nFlags, gcEntity::kKeptAfterDeath, !rb.ReadBool());
    rb.ReadFloats(d->placement, 12);
}

}  // namespace

// The events a version holds, in file order.
static bool ReadEntityEvents(const cFile& file, uint32_t v, cMemPool* pPool, gcEvent (&events)[5])
{
    return (v < 8 || events[0].Read(file, pPool)) && (v < 12 || events[1].Read(file, pPool)) &&
           (v < 17 || events[2].Read(file, pPool)) && (v < 13 || events[3].Read(file, pPool)) &&
           (v < 18 || events[4].Read(file, pPool));
}

bool gcEntity::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcEntity", "version");
    const cName oldName = m_name;
    if (!gcGameObject::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    EntityData d;
    d.hTemplate = rb.ReadUInt();
    d.nRegionId = rb.ReadShort();
    d.nSkin = rb.ReadShort();
    for (int i = 0; i < kNumNeighbors; ++i)
        d.hNeighbors[i] = v >= 9 ? rb.ReadUInt() : m_hNeighbors[i].m_nValue;
    ReadPaths(rb, &d);
    d.nFlags = m_nEntityFlags;
    ReadFlagsAndPlacement(rb, &d);
    d.nActivationMask = v >= 6 ? rb.ReadUInt() : m_nActivationMask;
    d.nMode = v >= 7 ? rb.ReadShort() : m_nMode;
    d.nInitialState = v >= 15 ? rb.ReadShort() : m_nEntityInitialState;
    std::copy_n(m_fEntityStatsMod, gcEntityTemplate::MAX_STATS, d.fStatsMod);
    if (v >= 16) {
        const gcStoredCount mods = gcStoredCount::Read(rb, gcEntityTemplate::MAX_STATS, "gcEntity",
                                                       "stat multiplier count");
        rb.ReadFloats(d.fStatsMod, mods.m_nRead);
        mods.SkipSurplus(rb, 4);
    }
    gcEvent events[5];
    const bool bEvents = !rb.Failed() && ReadEntityEvents(file, v, pPool, events);
    if (!bEvents || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcEntity", "event block");
    }
    m_hTemplate = gcEntityTemplateHandle(d.hTemplate);
    m_nRegionId = d.nRegionId;
    m_nMaterialSkin = d.nSkin;
    for (int i = 0; i < kNumNeighbors; ++i)
        m_hNeighbors[i] = gcEntityHandle(d.hNeighbors[i]);
    for (int i = 0; i < MAX_PATHS; ++i)
        m_hPaths[i] = gcRegionPathHandle(d.hPaths[i]);
    m_nEntityFlags = d.nFlags;
    mOCS& f = m_model.m_localToParent;
    f.origin.Set(d.placement[0], d.placement[1], d.placement[2]);
    f.basis.right.Set(d.placement[3], d.placement[4], d.placement[5]);
    f.basis.forward.Set(d.placement[6], d.placement[7], d.placement[8]);
    f.basis.up.Set(d.placement[9], d.placement[10], d.placement[11]);
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    m_nActivationMask = d.nActivationMask;
    m_nMode = d.nMode;
    m_nEntityInitialState = d.nInitialState;
    std::copy_n(d.fStatsMod, gcEntityTemplate::MAX_STATS, m_fEntityStatsMod);
    gcEvent* mine[5] = {&onInteract, &onCanInteract, &onInitialUpdate, &onFaded, &onDeath};
    for (int i = 0; i < 5; ++i)
        std::swap(mine[i]->pAction, events[i].pAction);
    return true;
}

void gcEntity::OnMemPoolReset(const cMemPool* pPool)
{
    if (pPool->Contains(m_pAnimationConfig) || pPool->Contains(m_pNextAnimationConfig)) {
        m_pAnimationConfig = nullptr;
        m_pNextAnimationConfig = nullptr;
    }
    if (pPool->Contains(m_pOnPathCompleted))
        m_pOnPathCompleted = nullptr;
    // The followed path belongs to the map: gone with its pool, the entity
    // is off the path.
    if (pPool->Contains(m_pRegionPath)) {
        DetachFromPath();
        m_pRegionPath = nullptr;
    }
    if (m_pSound && pPool->Contains(m_pSound->m_pSoundData))
        m_pSound->SetSoundData(nullptr);
    RemoveItems(pPool);
}

// ---- reset from the template ----

bool gcEntity::IsValid() const
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    return pTemplate && pTemplate->GetEntityType() == GetType();
}

bool gcEntity::Reset(cMemPool* pPool)
{
    if (!IsValid()) {
        m_model.SetMesh(eMeshHandle());
        return false;
    }
    const gcEntityTemplate& tmpl = *GetTemplate();
    m_velocity.Set(0.0f, 0.0f, 0.0f);
    m_fMovementScale = 1.0f;
    m_nEntityFlags |= kInitialUpdatePending;
    m_team = static_cast<int16_t>(tmpl.team);
    m_model.SetMesh(tmpl.hMesh);
    m_model.ResetAnimationState();
    m_model.m_localToParent.basis.GetHPR(&m_desiredHPR[0], &m_desiredHPR[1], &m_desiredHPR[2]);
    if (m_nMaterialSkin >= 0 && m_nMaterialSkin < gcEntityTemplate::kMaxSkins) {
        for (int i = 0; i < m_model.m_nDrawInfos && i < gcEntityTemplate::kMaxMaterials; ++i)
            m_model.m_pDrawInfos[i].hMaterial = tmpl.hMaterials[m_nMaterialSkin][i];
    } else {
        cLogWarn_("gcEntity: \"%s\" has skin %d, outside 0-%d; the mesh's own materials stay", m_name.m_sData,
                  m_nMaterialSkin, gcEntityTemplate::kMaxSkins - 1);
    }
    m_fOpacity = 1.0f;
    m_fadeOutTime = cTimeValue(0);
    m_model.SetAlpha(1.0f);
    m_model.SetBlend(1.0f);
    for (int i = 0; i < m_model.m_nColInfos && i < gcEntityTemplate::kMaxSurfaces; ++i)
        m_model.m_pColInfos[i].hSurface = tmpl.hSurfaces[i];
    m_stateInfo.m_pStateMachine = gcStateMachineMgr::GetPtr(tmpl.hStateMachine);
    m_stateInfo.m_nCurState = -1;
    m_stateInfo.m_nNextState = -1;
    m_stateInfo.m_nFlags = 0;
    m_stateInfo.m_nextUpdate = cTimeValue(0);
    ResetStats();
    if (tmpl.nEntityTemplateFlags & gcEntityTemplate::kBothSweeps)
        m_model.SetGeomFlagsOnOff(eGeom::kBothSweeps, 0);
    ResetShadow(tmpl, pPool);
    ResetSound(tmpl, pPool);
    return true;
}

void gcEntity::ResetStats()
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    if (!pTemplate)
        return;
    for (int i = 0; i < gcEntityTemplate::MAX_STATS; ++i) {
        m_fEntityStatsMax[i] = pTemplate->fEntityStatsMax[i] * m_fEntityStatsMod[i];
        m_fEntityStatsCur[i] = m_fEntityStatsMax[i];
    }
}

// The shadow projects along its frame's forward axis, aimed along the map's
// light.
void gcEntity::ResetShadow(const gcEntityTemplate& tmpl, cMemPool* pPool)
{
    if (!tmpl.pShadowConfig) {
        if (m_pShadow)
            std::destroy_at(m_pShadow);
        m_pShadow = nullptr;
        return;
    }
    if (m_pShadow) {
        m_pShadow->Set(*tmpl.pShadowConfig, m_model.m_fVisRadius);
        return;
    }
    m_pShadow = pPool ? pPool->New<eShadow>() : nullptr;
    if (!m_pShadow) {
        cLogError_("gcEntity: no room for the shadow of \"%s\"", m_name.m_sData);
        return;
    }
    m_pShadow->Set(*tmpl.pShadowConfig, 1.0f);
    float fHeading, fPitch;
    gcEntityWorld::GetLightDir(&fHeading, &fPitch);
    m_pShadow->m_localToParent.basis.SetHPR(fHeading, fPitch, 0.0f);
    m_pShadow->m_localToParent.origin.Set(0.0f, 0.0f, 0.0f);
    m_model.AddChild(m_pShadow, -1);
    m_pShadow->SetGeomFlagsOnOff(eGeom::kDirty, 0);
    m_pShadow->SetGeomFlagsOnOff(eGeom::kAttachPosOnly | eGeom::kBothSweeps, 0);
}

void gcEntity::ResetSound(const gcEntityTemplate& tmpl, cMemPool* pPool)
{
    if (m_pSound)
        return;
    m_pSound = pPool ? pPool->New<eSound>() : nullptr;
    if (!m_pSound) {
        cLogError_("gcEntity: no room for the sound of \"%s\"", m_name.m_sData);
        return;
    }
    eSoundConfig config;
    config.fRadius = std::min(tmpl.fEntityValues[gcEntityTemplate::VAL_SOUNDRADIUSSCALE] * m_model.m_fVisRadius,
                              kMaxSoundRadius);
    config.fVolume = 1.0f;
    config.bLooping = false;
    m_pSound->SetConfig(config);
    m_pSound->m_pOwner = this;
    m_pSound->m_timeAlive = cTimeValue(0);
    m_pSound->SetFlagsOnOff(eSound::kFlagReevaluate, 0);
    m_pSound->m_localToZone = mOCS();
    m_pSound->m_fIntensity = 1.0f;
}

// ---- the world ----

mVec3 gcEntity::GetZonePos()
{
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
    return m_model.m_localToZone.origin;
}

bool gcEntity::Enable()
{
    if (!IsValid()) {
        cLogError_("gcEntity: \"%s\" cannot be enabled: its template %#x %s", m_name.m_sData, m_hTemplate.m_nValue,
                   GetTemplate() ? "makes another kind of entity" : "does not resolve");
        return false;
    }
    eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegionId);
    if (!pZone)
        return false;
    m_model.SetZone(pZone);
    m_model.Update(cTimeValue(0));
    m_model.SetGeomFlagsOnOff(eGeom::kDraw | eGeom::kCollide, 0);
    m_nRegionId = static_cast<int16_t>(gcEntityWorld::GetZoneRegionId(m_model.m_pZone));
    const mVec3 pos = GetZonePos();
    QueryTriggers(pos, pos, kQueryEnter);
    return true;
}

void gcEntity::Disable()
{
    if (!m_model.m_pZone)
        return;
    const mVec3 pos = GetZonePos();
    QueryTriggers(pos, pos, kQueryLeave);
    m_model.SetGeomFlagsOnOff(0, eGeom::kDraw | eGeom::kCollide);
    m_model.SetZone(nullptr);
    if (m_pSound) {
        m_pSound->Stop();
        m_pSound->SetZone(nullptr);
    }
}

bool gcEntity::UpdateRegionId()
{
    m_nRegionId = static_cast<int16_t>(gcEntityWorld::GetZoneRegionId(m_model.m_pZone));
    if (!(m_model.m_nGeomFlags & eGeom::kOutsideZones))
        return true;
    Send(gcMsgFreeze());
    m_nRegionId = -1;
    return false;
}

void gcEntity::QueryTriggers(const mVec3& from, const mVec3& to, uint32_t nMask)
{
    const eZone* pZone = m_model.m_pZone;
    if (!pZone)
        return;
    eVolumeQuery q;
    q.m_prevPos = from;
    q.m_curPos = to;
    q.m_nFlags = nMask;
    q.m_ray.origin = from;
    q.m_ray.dir = to - from;
    q.m_ray.length = q.m_ray.dir.Normalize();
    q.m_cullVol.center = (from + to) * 0.5f;
    q.m_cullVol.radius = 0.5f * q.m_ray.length;
    pZone->VolumeQuery(&q, this);
    for (int i = 0; i < q.m_nEntered; ++i)
        gcEntityWorld::ApplyTriggerEvent(q.m_pEntered[i]->m_pOwner, gcEntityWorld::TRIGGER_ENTERED, this);
    for (int i = 0; i < q.m_nInside; ++i)
        gcEntityWorld::ApplyTriggerEvent(q.m_pInside[i]->m_pOwner, gcEntityWorld::TRIGGER_INSIDE, this);
    for (int i = 0; i < q.m_nExited; ++i)
        gcEntityWorld::ApplyTriggerEvent(q.m_pExited[i]->m_pOwner, gcEntityWorld::TRIGGER_EXITED, this);
}

// ---- state, stats, counters, groups ----

void gcEntity::GetEventParams(gcEventParams* pParams)
{
    pParams->pInitiator = this;
}

float gcEntity::ApplyEvent(const gcEvent& event, gcGameObject* pParticipant)
{
    gcEventParams params;
    GetEventParams(&params);
    params.pParticipant1 = pParticipant;
    gcEventStackData frame;
    return event.Apply(params, frame);
}

float gcEntity::GetStat(int32_t stat) const
{
    return (stat >= 0 && stat < gcEntityTemplate::MAX_STATS) ? m_fEntityStatsCur[stat] : 0.0f;
}

void gcEntity::SetStat(int32_t stat, float fValue)
{
    if (stat >= 0 && stat < gcEntityTemplate::MAX_STATS)
        m_fEntityStatsCur[stat] = fValue;
}

mVec3 gcEntity::GetColliderSize() const
{
    const eMesh* pMesh = eMeshMgr::GetPtr(m_model.m_hMesh);
    return pMesh ? pMesh->m_colliderSize : mVec3(0.0f, 0.0f, 0.0f);
}

void gcEntity::HandleTimeSince(cTimeValue dt)
{
    for (cTimeValue& t : m_entityTimeSince) {
        if (t.m_nTicks == kNever)
            continue;
        const int64_t sum = static_cast<int64_t>(t.m_nTicks) + dt.m_nTicks;
        t.m_nTicks = (sum < 0 || sum > kNever) ? kNever : static_cast<int32_t>(sum);
    }
}

void gcEntity::EntityChangeState(int nState, bool bForce)
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    if (!pTemplate || !pTemplate->GetStateMachine())
        return;
    if (nState == m_stateInfo.m_nCurState && !bForce)
        return;
    gcEventParams params;
    GetEventParams(&params);
    m_stateInfo.ChangeState(nState, params, gcEventStackData(), cTimeValue(0), bForce);
    m_entityTimeSince[TIMESINCE_CHANGEDSTATE] = cTimeValue(0);
}

void gcEntity::SetMode(int16_t nMode)
{
    if (nMode != m_nMode)
        m_entityTimeSince[TIMESINCE_ENTEREDMODE] = cTimeValue(0);
    m_nMode = nMode;
}

gcEntity* gcEntity::GetGroupLeader() const
{
    if (m_nEntityFlags & kGroupLeader)
        return const_cast<gcEntity*>(this);
    for (const gcEntityHandle& h : m_hNeighbors) {
        gcEntity* p = gcEntityMgr::GetPtr(h);
        if (p && (p->m_nEntityFlags & kGroupLeader))
            return p;
    }
    return nullptr;
}

void gcEntity::MakeGroupLeader()
{
    for (const gcEntityHandle& h : m_hNeighbors)
        if (gcEntity* p = gcEntityMgr::GetPtr(h))
            p->m_nEntityFlags &= static_cast<uint16_t>(~kGroupLeader);
    m_nEntityFlags |= kGroupLeader;
}

void gcEntity::HandleInitialUpdate()
{
    if (!IsActive() || !(m_nEntityFlags & kInitialUpdatePending))
        return;
    m_nEntityFlags &= static_cast<uint16_t>(~kInitialUpdatePending);
    EntityChangeState(m_nEntityInitialState, false);
    gcEventParams params;
    GetEventParams(&params);
    if (HasStateMachine())
        m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONINITIALUPDATE), params, gcEventStackData());
    else if (const gcEntityTemplate* pTemplate = GetTemplate())
        pTemplate->onInitialUpdate.Apply(params, gcEventStackData());
    onInitialUpdate.Apply(params, gcEventStackData());
}

// ---- animation and sound ----

cTimeValue gcEntity::PlayAnimation(const gcAnimationConfig* pConfig)
{
    m_pNextAnimationConfig = pConfig;
    const eAnimation* pAnim = pConfig ? eAnimationMgr::GetPtr(pConfig->hAnimation) : nullptr;
    if (!pAnim)
        return cTimeValue(1);
    const cTimeValue left = pAnim->m_length - eAnimation::easeOutTime;
    return (pAnim->m_bLooping || left.m_nTicks <= 0) ? cTimeValue(0) : left;
}

void gcEntity::HandleAnimationStarted(gcGameObject* pFrom)
{
    const gcAnimationConfig* pConfig = m_pNextAnimationConfig;
    if (!pConfig)
        return;
    m_pAnimationConfig = pConfig;
    m_pNextAnimationConfig = nullptr;
    m_nEntityFlags |= kAnimConfigStarted;
    m_model.PlayAnimation(pConfig->hAnimation);
    m_animationConfigLoop = cTimeValue(0);
    ApplyConfigStart(*pConfig, pFrom);
}

void gcEntity::ApplyConfigStart(const gcAnimationConfig& config, gcGameObject* pFrom)
{
    ApplyEvent(config.onStarted, pFrom);
    const int index = std::min(static_cast<int>(mRand() * 2.0f), gcAnimationConfig::kNumSounds - 1);
    const eSoundData* pData = eSoundDataMgr::GetPtr(config.hSoundData[index]);
    if (pData && m_pSound)
        StartSound(pData, 1.0f);
}

void gcEntity::UpdateModel(cTimeValue step)
{
    m_model.Update(step);
    const eAnimation* pAnim = m_pAnimationConfig ? eAnimationMgr::GetPtr(m_pAnimationConfig->hAnimation) : nullptr;
    if (!pAnim || !pAnim->m_bLooping || pAnim->m_length.m_nTicks <= 0 || step.m_nTicks <= 0)
        return;
    m_animationConfigLoop += step;
    if (m_animationConfigLoop < pAnim->m_length)
        return;
    m_animationConfigLoop = cTimeValue(m_animationConfigLoop.m_nTicks % pAnim->m_length.m_nTicks);
    ApplyConfigStart(*m_pAnimationConfig, nullptr);
}

void gcEntity::HandleAnimationEnded(gcGameObject* pFrom)
{
    const gcAnimationConfig* pConfig = m_pAnimationConfig;
    if (!pConfig)
        return;
    m_pAnimationConfig = nullptr;
    ApplyEvent(pConfig->onStopped, pFrom);
    const int state = m_model.m_nCurAnimationState;
    if (state < 0 || state >= eModel::kNumAnimationStates)
        return;
    const eModelAnimationState& s = m_model.m_animationStates[state];
    const eAnimation* pAnim = eAnimationMgr::GetPtr(s.hAnimation);
    // Ran to its end: within the ease-out and one frame of the length.
    if (pAnim && !pAnim->m_bLooping && s.timeElapsed >= pAnim->m_length - eAnimation::easeOutTime - kFrameTicks)
        ApplyEvent(pConfig->onCompleted, pFrom);
}

void gcEntity::StartSound(const eSoundData* pData, float fVolume)
{
    m_pSound->SetSoundData(pData);
    m_pSound->m_fVolume = fVolume;
    m_pSound->SetZone(m_model.m_pZone);
    m_pSound->m_localToZone = m_model.m_localToZone;
    m_pSound->SetFlagsOnOff(eSound::kFlagReevaluate | eSound::kFlagActive, 0);
}

void gcEntity::PlaySound(const eSoundData* pData, float fVolume)
{
    if (m_pSound && pData)
        StartSound(pData, fVolume);
}

void gcEntity::UpdateSound(cTimeValue dt)
{
    if (!m_pSound || !(m_pSound->m_nFlags & eSound::kFlagActive))
        return;
    m_pSound->SetZone(m_model.m_pZone);
    m_pSound->m_localToZone = m_model.m_localToZone;
    m_pSound->SetFlagsOnOff(eSound::kFlagReevaluate, 0);
    m_pSound->m_fIntensity = m_fOpacity;
    m_pSound->Update(m_model.m_pZone, dt);
}

// ---- fading, skins, placement, attachments ----

void gcEntity::FadeOut(cTimeValue time)
{
    if (time.m_nTicks <= 0) {
        // At once; the fade time stays positive (one tick) so that the next
        // fade tick still clears the alpha, raises OnFaded and deactivates.
        m_fOpacity = 0.0f;
        m_fadeOutTime = cTimeValue(1);
    } else if (m_fadeOutTime.m_nTicks <= 0 || time < m_fadeOutTime) {
        m_fadeOutTime = time;
    }
    SendAttached(gcMsgFadeOut(time));
    m_model.SetGeomFlagsOnOff(0, eGeom::kCollide);
}

void gcEntity::HandleFadeOut(cTimeValue dt)
{
    if (m_fadeOutTime.m_nTicks <= 0)
        return;
    const float fStep = static_cast<float>(dt.m_nTicks) / static_cast<float>(m_fadeOutTime.m_nTicks);
    m_fOpacity = std::max(m_fOpacity - fStep, 0.0f);
    m_model.SetAlpha(m_fOpacity);
    if (m_fOpacity != 0.0f)
        return;
    m_fadeOutTime = cTimeValue(0);  // the fade has ended: OnFaded is raised once
    gcEventParams params;
    GetEventParams(&params);
    if (HasStateMachine())
        m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONFADED), params, gcEventStackData());
    onFaded.Apply(params, gcEventStackData());
    Send(gcMsgDeactivate());
}

void gcEntity::HandleTextureBlend()
{
    m_model.SetBlend(m_fEntityStatsCur[gcEntityTemplate::STAT_BLEND]);
}

void gcEntity::ChangeSkin(int nSkin, int nSlot)
{
    const gcEntityTemplate* pTemplate = GetTemplate();
    if (!pTemplate || nSkin < 0 || nSkin >= gcEntityTemplate::kMaxSkins || nSlot < 0 ||
        nSlot >= m_model.m_nDrawInfos || nSlot >= gcEntityTemplate::kMaxMaterials)
        return;
    m_model.m_pDrawInfos[nSlot].hMaterial = pTemplate->hMaterials[nSkin][nSlot];
}

void gcEntity::SnapTo(int16_t nRegionId, const mOCS& frame)
{
    if (IsActive()) {
        const mVec3 pos = GetZonePos();
        QueryTriggers(pos, pos, kQueryLeave);
        m_model.SetGeomFlagsOnOff(0, eGeom::kDraw | eGeom::kCollide);
        m_model.SetZone(nullptr);
    }
    m_nRegionId = nRegionId;
    m_model.m_localToParent = frame;
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    m_velocity.Set(0.0f, 0.0f, 0.0f);
    // A region counts as resident here only with its zone: without one
    // there is nowhere to put the model.
    eZone* pZone = gcEntityWorld::GetRegionZone(nRegionId);
    if (pZone) {
        m_model.SetZone(pZone);
        Send(gcMsgUnfreeze());
    }
    if (!IsActive())
        return;
    if (!pZone) {
        Send(gcMsgFreeze());
        return;
    }
    Send(gcMsgTick(cTimeValue(0)));
    m_model.SetGeomFlagsOnOff(eGeom::kDraw | eGeom::kCollide, 0);
    const mVec3 pos = GetZonePos();
    QueryTriggers(pos, pos, kQueryEnter);
}

void gcEntity::SendToChildren(const gcMsg& msg)
{
    if (!m_pFirstChildEntity)
        return;
    gcEntity* const pFirst = m_pFirstChildEntity;
    gcEntity* p = pFirst->m_pPrevSiblingEntity;
    for (;;) {
        gcEntity* const pPrev = p->m_pPrevSiblingEntity;
        const bool bLast = p == pFirst;
        p->Send(msg);
        if (bLast)
            break;
        p = pPrev;
    }
}

void gcEntity::SendAttached(const gcMsg& msg)
{
    SendToChildren(msg);
    gcEntityWorld::SendToEffects(m_pEffects, msg);
}

void gcEntity::AddChild(gcEntity* pChild)
{
    if (!pChild || pChild == this)
        return;
    pChild->Detach();
    pChild->m_pParentEntity = this;
    if (!m_pFirstChildEntity) {
        m_pFirstChildEntity = pChild;
        return;
    }
    gcEntity* pLast = m_pFirstChildEntity->m_pPrevSiblingEntity;
    pChild->m_pPrevSiblingEntity = pLast;
    pChild->m_pNextSiblingEntity = m_pFirstChildEntity;
    pLast->m_pNextSiblingEntity = pChild;
    m_pFirstChildEntity->m_pPrevSiblingEntity = pChild;
}

void gcEntity::Detach()
{
    gcEntity* pParent = m_pParentEntity;
    if (!pParent)
        return;
    if (pParent->m_pFirstChildEntity == this)
        pParent->m_pFirstChildEntity = m_pNextSiblingEntity == this ? nullptr : m_pNextSiblingEntity;
    m_pPrevSiblingEntity->m_pNextSiblingEntity = m_pNextSiblingEntity;
    m_pNextSiblingEntity->m_pPrevSiblingEntity = m_pPrevSiblingEntity;
    m_pPrevSiblingEntity = this;
    m_pNextSiblingEntity = this;
    m_pParentEntity = nullptr;
}

QM_DEFINE_GROUP(gcEntityGroup, 72)
