#include "gcGameCore/entities/gcEffect.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eDynamicLight.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eGeomTrail.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eParticleSystem.h"
#include "eEngine/eProjector.h"
#include "eEngine/eProjectorConfig.h"
#include "eEngine/eSound.h"
#include "eEngine/eSoundConfig.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_TYPE(gcEffect, gcGameObject, 108)

mVec3 gcEffect::s_wind;
mVec3 gcEffect::s_gravity;
int32_t gcEffect::s_nActiveStaticEffects = 0;
int32_t gcEffect::s_nActiveSpawnedEffects = 0;

gcEffect::gcEffect()
{
    m_nCurState = STATE_DISABLED;
    m_nNextState = STATE_DISABLED;
    m_model.m_pOwner = this;
    m_model.m_localToParent.MakeIdentity();
}

gcEffect::gcEffect(const gcEffect& other) : gcEffect()
{
    m_name = other.m_name;
    m_nCurState = other.m_nCurState;
    m_nNextState = other.m_nNextState;
    m_nextUpdate = other.m_nextUpdate;
    m_hTemplate = other.m_hTemplate;
    m_nFlags = other.m_nFlags;
    m_nRegionId = other.m_nRegionId;
    m_nActivationMask = other.m_nActivationMask;
    m_model.m_localToParent = other.m_model.m_localToParent;
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
}

cBase* gcEffect::Copy(cMemPool* pPool) const
{
    gcEffect* p = pPool ? pPool->New<gcEffect>(*this) : nullptr;
    if (p)
        p->Reset(pPool);
    return p;
}

template <class T>
static void DestroyPart(T*& p)
{
    if (p)
        std::destroy_at(p);
    p = nullptr;
}

void gcEffect::DestroyComponents()
{
    for (eParticleSystem*& p : m_pParticleSystem)
        DestroyPart(p);
    DestroyPart(m_pGeomTrail);
    DestroyPart(m_pDynamicLight);
    DestroyPart(m_pProjector);
    if (m_pSound)
        m_pSound->SetZone(nullptr);
    DestroyPart(m_pSound);
}

// Children left hanging lose their parent here, so that none of them
// reaches back into this effect once it is gone.
gcEffect::~gcEffect()
{
    gcEffect* pFirst = m_pFirstChildEffect;
    for (gcEffect* p = pFirst; p;) {
        gcEffect* pNext = p->m_pNextSiblingEffect;
        p->m_pParentEffect = nullptr;
        p->m_pPrevSiblingEffect = p->m_pNextSiblingEffect = nullptr;
        p = pNext == pFirst ? nullptr : pNext;
    }
    m_pFirstChildEffect = nullptr;
    Unlink();
    DestroyComponents();
}

namespace {

// Every effect the tables reach: placed ones, template instances and the
// effects of items, whether placed or pooled.
template <class F>
void ForEachEffect(const F& f)
{
    const auto visitItem = [&](const gcItem* pItem) {
        if (pItem)
            for (gcEffect* p : pItem->m_pEffects)
                if (p)
                    f(p);
    };
    for (gcEffect* p : gcEffectMgr::s_pInstances)
        if (p)
            f(p);
    for (const gcEffectTemplate* t : gcEffectTemplateMgr::s_pInstances)
        for (int i = 0; t && i < t->GetMaxInstances(); ++i)
            if (gcEffect* p = t->GetInstanceAt(i))
                f(p);
    for (const gcItem* p : gcItemMgr::s_pInstances)
        visitItem(p);
    for (const gcItemTemplate* t : gcItemTemplateMgr::s_pInstances)
        for (int i = 0; t && i < t->GetNumInstances(); ++i)
            visitItem(t->GetInstanceAt(i));
}

}  // namespace

void gcEffect::ForgetEntity(const gcEntity* pEntity)
{
    if (!pEntity)
        return;
    ForEachEffect([pEntity](gcEffect* p) {
        if (p->m_pSpawnEntity == pEntity) {
            p->m_pSpawnEntity = nullptr;
            p->m_nSpawnNodeIndex = -1;
        }
        if (p->m_pAttractorEntity == pEntity)
            p->m_pAttractorEntity = nullptr;
    });
}

void gcEffect::ForgetRegionPoint(const gcRegionPoint* pPoint)
{
    if (!pPoint)
        return;
    ForEachEffect([pPoint](gcEffect* p) {
        if (p->m_pAttractorRegionPoint == pPoint)
            p->m_pAttractorRegionPoint = nullptr;
    });
}

// ---- file block ----

void gcEffect::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
    wb.WriteBool(!(m_nFlags & kDeactivated));
    m_hTemplate.Write(wb);
    wb.WriteShort(m_nRegionId);
    const mOCS& frame = m_model.m_localToParent;
    wb.WriteFloats(&frame.origin.x, 3);
    for (const mVec3& row : {frame.basis.right, frame.basis.forward, frame.basis.up})
        wb.WriteFloats(&row.x, 3);
    wb.WriteInt(m_nActivationMask);
}

bool gcEffect::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcEffect", "version");
    if (!gcGameObject::Read(file, pPool))
        return false;
    const bool bActive = rb.ReadBool();
    gcEffectTemplateHandle hTemplate;
    hTemplate.Read(rb, pPool);
    const int16_t nRegion = rb.ReadShort();
    mOCS frame;
    rb.ReadFloats(&frame.origin.x, 3);
    for (mVec3* row : {&frame.basis.right, &frame.basis.forward, &frame.basis.up})
        rb.ReadFloats(&row->x, 3);
    const uint32_t nMask = rb.m_nVersion >= 2 ? rb.ReadUInt() : m_nActivationMask;
    if (rb.Failed())
        return false;
    m_nFlags = bActive ? (m_nFlags & ~kDeactivated) : (m_nFlags | kDeactivated);
    m_hTemplate = hTemplate;
    m_nRegionId = nRegion;
    m_model.m_localToParent = frame;
    m_nActivationMask = nMask;
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    return true;
}

// ---- reset ----

bool gcEffect::Reset(cMemPool* pPool)
{
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (!pTemplate) {
        m_model.SetMesh(eMeshHandle());
        return true;
    }
    m_lifeTime = pTemplate->lifeTime;
    m_timeAlive = cTimeValue();
    m_fadeInTime = pTemplate->fadeInTime;
    m_fadeOutTime = cTimeValue();
    m_fOpacity = m_fadeInTime > cTimeValue() ? 0.0f : 1.0f;
    m_currentVelocity.Set(0.0f, 0.0f, 0.0f);
    m_pSpawnEntity = nullptr;
    m_nSpawnNodeIndex = -1;
    m_nFlags = static_cast<uint16_t>((m_nFlags | kInitialUpdate) & ~(kNoGravity | kDied));
    m_model.ResetAnimationState();
    m_model.m_fScale = 1.0f;
    m_fEffectStatsCur[gcEffectTemplate::STAT_SCALE] = 1.0f;
    m_fEffectStatsCur[gcEffectTemplate::STAT_BLEND] = 0.0f;
    m_fEffectStatsCur[gcEffectTemplate::STAT_PSYS_MAXSPEEDSCALE] = 1.0f;
    m_model.SetMesh(pTemplate->hMesh);
    for (int i = 0; i < m_model.m_nDrawInfos && i < gcEffectTemplate::kMaxMaterials; ++i)
        m_model.m_pDrawInfos[i].hMaterial = pTemplate->hMaterials[i];
    for (int i = 0; i < m_model.m_nColInfos && i < gcEffectTemplate::kMaxSurfaces; ++i)
        m_model.m_pColInfos[i].hSurface = pTemplate->hSurfaces[i];
    m_model.SetAlpha(m_fOpacity);
    m_model.SetBlend(0.0f);
    m_pAttractorEntity = nullptr;
    m_pAttractorRegionPoint = nullptr;
    ResetComponents(*pTemplate, pPool);
    return true;
}

namespace {

// A component hanging from nothing at the identity, to be placed again.
void Loosen(eGeom* p)
{
    p->Detach();
    p->m_localToParent.MakeIdentity();
    p->SetGeomFlagsOnOff(eGeom::kDirty, 0);
}

// Destroys the component without a configuration, makes it in the pool when
// one is missing; true when there is one to configure.
template <class T, class C>
bool Provide(T*& p, const C* pConfig, cMemPool* pPool, const cBase* pOwner)
{
    if (!pConfig) {
        DestroyPart(p);
        return false;
    }
    if (!p && pPool) {
        p = pPool->New<T>();
        if (p)
            p->m_pOwner = const_cast<cBase*>(pOwner);
    }
    return p != nullptr;
}

}  // namespace

void gcEffect::ResetComponents(const gcEffectTemplate& tmpl, cMemPool* pPool)
{
    for (int i = 0; i < gcEffectTemplate::kMaxParticleSystems; ++i) {
        eParticleSystem*& p = m_pParticleSystem[i];
        if (!Provide(p, tmpl.m_pParticleEmitter[i], pPool, this))
            continue;
        p->m_pParticleEmitter = tmpl.m_pParticleEmitter[i];
        p->Reset(pPool);
        Loosen(p);
        p->m_fAlphaMod = m_fOpacity;
    }
    if (Provide(m_pGeomTrail, tmpl.m_pGeomTrailConfig, pPool, this)) {
        m_pGeomTrail->SetGeomTrailConfig(tmpl.m_pGeomTrailConfig);
        Loosen(m_pGeomTrail);
        m_pGeomTrail->m_fAlpha = m_fOpacity;
    }
    if (Provide(m_pDynamicLight, tmpl.m_pDynamicLightConfig, pPool, this)) {
        m_pDynamicLight->SetConfig(*tmpl.m_pDynamicLightConfig);
        Loosen(m_pDynamicLight);
        m_pDynamicLight->m_fIntensity = m_fOpacity;
    }
    if (Provide(m_pProjector, tmpl.m_pProjectorConfig, pPool, this)) {
        m_pProjector->SetConfig(*tmpl.m_pProjectorConfig);
        Loosen(m_pProjector);
        m_pProjector->m_fIntensity = m_fOpacity;
    }
    ResetSound(tmpl, pPool);
}

// A sound is made only for data that resolves; it stays out of every zone
// until its start delay has passed.
void gcEffect::ResetSound(const gcEffectTemplate& tmpl, cMemPool* pPool)
{
    if (!tmpl.m_pSoundConfig) {
        if (m_pSound)
            m_pSound->SetZone(nullptr);
        DestroyPart(m_pSound);
        return;
    }
    if (!m_pSound && pPool && eSoundDataMgr::GetPtr(tmpl.m_pSoundConfig->hSound)) {
        m_pSound = pPool->New<eSound>();
        if (m_pSound)
            m_pSound->m_pOwner = this;
    }
    if (!m_pSound)
        return;
    m_pSound->SetConfig(*tmpl.m_pSoundConfig);
    m_pSound->m_timeAlive = cTimeValue(0);
    m_pSound->SetZone(nullptr);
    m_pSound->SetFlagsOnOff(eSound::kFlagReevaluate, 0);
    m_pSound->m_localToZone.MakeIdentity();
    m_pSound->m_fIntensity = m_fOpacity;
}

void gcEffect::PlaySound(cTimeValue step)
{
    m_pSound->SetZone(m_model.m_pZone);
    m_pSound->SetFlagsOnOff(eSound::kFlagReevaluate, 0);
    if (m_model.m_nGeomFlags & eGeom::kDirty)
        m_model.UpdateLocalToZone();
    m_pSound->m_localToZone = m_model.m_localToZone;
    m_pSound->SetFlagsOnOff(eSound::kFlagActive, 0);
    m_pSound->m_fIntensity = m_fOpacity;
    m_pSound->Update(m_model.m_pZone, step);
}

// ---- messages ----

int gcEffect::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) { return Dispatch(m) != 0; });
}

void gcEffect::SendSelf(int32_t nMsgId)
{
    Send(gcMsg(nMsgId, nullptr));
}

int gcEffect::Dispatch(const gcMsg& msg)
{
    if (m_nCurState == STATE_ENABLED) {
        switch (msg.nMsgId) {
        case MSG_ENTERSTATE:
            OnEnterEnabled();
            return 1;
        case MSG_FADEOUT:
            FadeOut(static_cast<const gcMsgFadeOut&>(msg).fadeOutTime);
            return 1;
        case MSG_DEACTIVATE:
        case MSG_FREEZE:
            m_nFlags |= msg.nMsgId == MSG_DEACTIVATE ? kDeactivated : kFrozen;
            SendAttached(msg);
            if (m_nCurState != STATE_DISABLED)
                RequestState(STATE_DISABLED, cTimeValue());
            return 1;
        case MSG_TOUCHED:
            OnTouched(msg);
            return 1;
        case MSG_TICK:
            OnTick(msg);
            return 1;
        default:
            return 0;
        }
    }
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE:
        Disable();
        return 1;
    case MSG_ACTIVATE:
    case MSG_UNFREEZE:
        return OnHandleEnable(msg);
    case MSG_DEACTIVATE:
    case MSG_FREEZE:
        m_nFlags |= msg.nMsgId == MSG_DEACTIVATE ? kDeactivated : kFrozen;
        SendAttached(msg);
        return 1;
    default:
        return 0;
    }
}

int gcEffect::OnHandleEnable(const gcMsg& msg)
{
    const bool bActivate = msg.nMsgId == MSG_ACTIVATE;
    if (bActivate && (m_nFlags & kDied))
        return 1;
    const uint16_t bit = bActivate ? kDeactivated : kFrozen;
    if (!(m_nFlags & bit))
        return 1;
    m_nFlags = static_cast<uint16_t>(m_nFlags & ~bit);
    if (IsRunning()) {
        if (!Enable()) {
            SendSelf(MSG_DEACTIVATE);
            return 1;
        }
        m_model.Update(cTimeValue());
        if (m_nCurState != STATE_ENABLED)
            RequestState(STATE_ENABLED, cTimeValue());
    }
    SendAttached(msg);
    return 1;
}

float gcEffect::ApplyEvent(const gcEvent& event, gcGameObject* pInitiator, gcGameObject* pParticipant1,
                           const mOCS* pLocation, float fParam0)
{
    gcEventParams params(pInitiator, pParticipant1, m_pSpawnEntity, pLocation,
                         nullptr);
    gcEventStackData frame(fParam0, 0.0f);
    return event.Apply(params, frame);
}

void gcEffect::OnEnterEnabled()
{
    if (!(m_nFlags & kInitialUpdate))
        return;
    m_nFlags = static_cast<uint16_t>(m_nFlags & ~kInitialUpdate);
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (!pTemplate)
        return;
    const float fLife = ApplyEvent(pTemplate->onInitialUpdate, this, nullptr, nullptr);
    // Saturated: a return beyond the tick range is the longest life.
    const cTimeValue life = cTimeValue::FromSeconds(fLife);
    if (life > cTimeValue())
        m_lifeTime = life;
    m_model.PlayAnimation(pTemplate->hAnimation);
}

void gcEffect::OnTouched(const gcMsg& msg)
{
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (!pTemplate || m_fadeOutTime > cTimeValue())
        return;
    ApplyEvent(pTemplate->onTouched, msg.pFrom, this, &static_cast<const gcMsgTouched&>(msg).localToWorld);
}

void gcEffect::FadeOut(cTimeValue time)
{
    // A negative duration (from a file or a script) fades at once, as 0 does.
    if (time < cTimeValue())
        time = cTimeValue();
    if (time == cTimeValue()) {
        m_fOpacity = 0.0f;
        m_fadeInTime = cTimeValue();
    }
    if (!(m_fadeOutTime > cTimeValue() && m_fadeOutTime < time))
        m_fadeOutTime = time;
    SendAttached(gcMsgFadeOut(time));
}

void gcEffect::UpdateOpacity(cTimeValue step)
{
    const float fStep = static_cast<float>(step.m_nTicks);
    if (m_fadeOutTime > cTimeValue())
        m_fOpacity = std::max(0.0f, m_fOpacity - fStep / static_cast<float>(m_fadeOutTime.m_nTicks));
    else if (m_fadeInTime > cTimeValue())
        m_fOpacity = std::min(1.0f, m_fOpacity + fStep / static_cast<float>(m_fadeInTime.m_nTicks));
    if (m_timeAlive > m_fadeInTime)
        m_fadeInTime = cTimeValue();
}

void gcEffect::OnTick(const gcMsg& msg)
{
    const cTimeValue step = static_cast<const gcMsgTick&>(msg).dT;
    m_timeAlive += step;
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (pTemplate)
        ApplyEvent(pTemplate->onUpdate, this, nullptr, nullptr, m_timeAlive.GetSeconds());
    if (!IsRunning() || !pTemplate)
        return;
    const cTimeValue fadeOut = std::max(pTemplate->fadeOutTime, cTimeValue());
    if (m_lifeTime > cTimeValue() && m_timeAlive >= m_lifeTime - fadeOut)
        FadeOut(fadeOut);
    UpdateOpacity(step);
    Move(step);
    m_model.SetAlpha(m_fOpacity);
    m_model.m_fScale = std::clamp(m_fEffectStatsCur[gcEffectTemplate::STAT_SCALE], 0.0f, 1.0f);
    m_model.SetBlend(m_fEffectStatsCur[gcEffectTemplate::STAT_BLEND]);
    TickComponents(step);
    if (step == cTimeValue())
        return;
    if (m_fOpacity == 0.0f) {
        m_nFlags |= kDied;
        SendSelf(MSG_DEACTIVATE);
    } else {
        SendAttached(msg);
    }
}

void gcEffect::TickComponents(cTimeValue step)
{
    const gcEffectTemplate& tmpl = *GetTemplate();
    for (int i = 0; i < gcEffectTemplate::kMaxParticleSystems; ++i) {
        eParticleSystem* p = m_pParticleSystem[i];
        if (!p || m_timeAlive <= tmpl.startDelayPS[i])
            continue;
        m_model.AddChild(p, -1);
        p->m_fAlphaMod = m_fOpacity;
        if (p->m_nGeomFlags & eGeom::kDirty)
            p->UpdateLocalToZone();
        UpdateParticleAttractors(i);
        p->Update(step, m_fEffectStatsCur[gcEffectTemplate::STAT_PSYS_MAXSPEEDSCALE]);
    }
    if (m_pGeomTrail && m_timeAlive >= tmpl.startDelayGT) {
        m_model.AddChild(m_pGeomTrail, -1);
        m_pGeomTrail->m_fAlpha = m_fOpacity;
        m_pGeomTrail->Update(step);
    }
    if (tmpl.m_pRumbleConfig && m_timeAlive > tmpl.startDelayRumble)
        CalcRumble(tmpl.m_pRumbleConfig);
    if (m_pDynamicLight && m_timeAlive > tmpl.startDelayDL) {
        m_model.AddChild(m_pDynamicLight, -1);
        m_pDynamicLight->m_fIntensity = m_fOpacity;
        m_pDynamicLight->Update(step);
    }
    if (m_pProjector && m_timeAlive > tmpl.startDelayProj) {
        m_model.AddChild(m_pProjector, -1);
        m_pProjector->m_fIntensity = m_fOpacity;
        m_pProjector->Update(step);
    }
    if (m_pSound && m_timeAlive > tmpl.startDelaySE)
        PlaySound(step);
}

// ---- zone ----

// An effect whose template does not resolve has nothing to show and is
// never enabled.
bool gcEffect::Enable()
{
    if (!IsValid()) {
        cLogWarn_("gcEffect: \"%s\" not enabled: its template does not resolve", m_name.m_sData);
        return false;
    }
    const bool bParent = m_pParentEffect || m_pParentEntity;
    eZone* pZone = bParent ? nullptr : gcEntityWorld::GetRegionZone(m_nRegionId);
    if (!bParent && !pZone)
        return false;
    if (m_nFlags & kPooled) {
        ++s_nActiveSpawnedEffects;
    } else if (!(m_nFlags & kItemOwned)) {
        if (s_nActiveStaticEffects + 1 > kMaxStaticEffects) {
            cLogWarn_("gcEffect: \"%s\" not enabled: %d static effects already run", m_name.m_sData,
                      kMaxStaticEffects);
            return false;
        }
        ++s_nActiveStaticEffects;
    }
    if (pZone)
        m_model.SetZone(pZone);
    const gcEffectTemplate* pTemplate = GetTemplate();
    if (m_timeAlive == cTimeValue() && pTemplate && pTemplate->fInitialSpeed != 0.0f)
        m_currentVelocity = m_model.m_localToParent.basis.forward * pTemplate->fInitialSpeed;
    m_model.SetGeomFlagsOnOff(eGeom::kDraw | eGeom::kCollide, 0);
    if (m_pSound && pTemplate && m_timeAlive >= pTemplate->startDelaySE)
        PlaySound(cTimeValue());
    return true;
}

void gcEffect::Disable()
{
    if (m_nFlags & kPooled)
        --s_nActiveSpawnedEffects;
    else if (!(m_nFlags & kItemOwned))
        --s_nActiveStaticEffects;
    m_model.SetGeomFlagsOnOff(0, eGeom::kDraw | eGeom::kCollide);
    m_model.SetZone(nullptr);
    if (m_pSound) {
        m_pSound->SetFlagsOnOff(0, eSound::kFlagActive);
        m_pSound->SetZone(nullptr);
    }
    const gcEffectTemplate* pTemplate = GetTemplate();
    const bool bRelease = (m_nFlags & kPooled) && !(pTemplate && (pTemplate->nFlags & gcEffectTemplate::kKeepInstances));
    if (bRelease) {
        m_nFlags |= kDeactivated;
        SendAttached(gcMsg(MSG_DEACTIVATE, nullptr));
        Detach();
    }
    if ((bRelease || (m_nFlags & kDied)) && pTemplate)
        ApplyEvent(pTemplate->onDeath, nullptr, nullptr, nullptr);
}

void gcEffect::SpawnAt(const mOCS& worldFrame, gcEntity* pSpawner)
{
    if (m_pParentEffect || m_pParentEntity)
        Detach();
    mVec3 zonePos;
    eZone* pZone = eZone::GetZoneFromWorldPos(worldFrame.origin, &zonePos);
    const int nRegion = gcEntityWorld::GetZoneRegionId(pZone);
    if (!pZone || nRegion < 0)
        return;
    m_pSpawnEntity = pSpawner;
    m_nSpawnNodeIndex = -1;
    m_nRegionId = static_cast<int16_t>(nRegion);
    m_model.m_localToParent.origin = zonePos;
    m_model.m_localToParent.basis = worldFrame.basis;
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    SendSelf(MSG_ACTIVATE);
    SendSelf(MSG_UNFREEZE);
}

// ---- attachments ----

// Takes the effect out of the ring it is in, moving the ring's first
// pointer on when it named this effect.
void gcEffect::Unlink()
{
    gcEffect** ppFirst = m_pParentEffect ? &m_pParentEffect->m_pFirstChildEffect
                                         : (m_pParentEntity ? &m_pParentEntity->m_pEffects : nullptr);
    if (ppFirst && m_pNextSiblingEffect) {
        if (m_pNextSiblingEffect == this) {
            *ppFirst = nullptr;
        } else {
            m_pPrevSiblingEffect->m_pNextSiblingEffect = m_pNextSiblingEffect;
            m_pNextSiblingEffect->m_pPrevSiblingEffect = m_pPrevSiblingEffect;
            if (*ppFirst == this)
                *ppFirst = m_pNextSiblingEffect;
        }
    }
    m_pPrevSiblingEffect = m_pNextSiblingEffect = nullptr;
    m_pParentEffect = nullptr;
    m_pParentEntity = nullptr;
}

void gcEffect::Detach()
{
    Unlink();
    m_model.Detach();
}

static void LinkLast(gcEffect*& pFirst, gcEffect* p)
{
    if (!pFirst) {
        pFirst = p;
        p->m_pPrevSiblingEffect = p->m_pNextSiblingEffect = p;
        return;
    }
    gcEffect* pLast = pFirst->m_pPrevSiblingEffect;
    p->m_pPrevSiblingEffect = pLast;
    p->m_pNextSiblingEffect = pFirst;
    pLast->m_pNextSiblingEffect = p;
    pFirst->m_pPrevSiblingEffect = p;
}

void gcEffect::AddChild(gcEffect* pChild, const cName* pNodeName)
{
    if (!pChild || pChild == this)
        return;
    pChild->Detach();
    LinkLast(m_pFirstChildEffect, pChild);
    pChild->m_pParentEffect = this;
    pChild->OnAddedToParent(pNodeName);
    pChild->SendSelf((m_nFlags & kDeactivated) ? MSG_DEACTIVATE : MSG_ACTIVATE);
    pChild->SendSelf((m_nFlags & kFrozen) ? MSG_FREEZE : MSG_UNFREEZE);
}

void gcEffect::AttachToEntity(gcEntity* pEntity, const cName* pNodeName)
{
    if (!pEntity)
        return;
    Detach();
    LinkLast(pEntity->m_pEffects, this);
    m_pParentEntity = pEntity;
    OnAddedToParent(pNodeName);
}

void gcEffect::OnAddedToParent(const cName* pNodeName)
{
    m_model.m_localToParent.MakeIdentity();
    m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
    eModel* pParentModel = m_pParentEntity ? &m_pParentEntity->m_model
                                           : (m_pParentEffect ? &m_pParentEffect->m_model : nullptr);
    if (!pParentModel)
        return;
    const int nNode = (pNodeName && pNodeName->m_sData[0]) ? pParentModel->FindAttachNode(*pNodeName) : -1;
    pParentModel->AddChild(&m_model, nNode);
    m_pSpawnEntity = m_pParentEntity;
    m_nSpawnNodeIndex = static_cast<int16_t>(m_pParentEntity ? nNode : -1);
}

// The ring is copied first: a member may leave it (or release itself to its
// pool) while it takes the message, and the walk must not follow its links.
void gcEffect::SendAttached(const gcMsg& msg)
{
    gcEffect* members[gcEffectMgr::kSlots];
    int n = 0;
    for (gcEffect* p = m_pFirstChildEffect; p && n < gcEffectMgr::kSlots;) {
        members[n++] = p;
        p = p->m_pNextSiblingEffect;
        if (p == m_pFirstChildEffect)
            break;
    }
    for (int i = 0; i < n; ++i)
        if (members[i]->m_pParentEffect == this)
            members[i]->Send(msg);
}

void gcEffect::SendToRing(gcEffect* pFirst, const gcMsg& msg)
{
    if (!pFirst)
        return;
    gcEntity* pOwner = pFirst->m_pParentEntity;
    gcEffect* members[gcEffectMgr::kSlots];
    int n = 0;
    for (gcEffect* p = pFirst; p && n < gcEffectMgr::kSlots;) {
        members[n++] = p;
        p = p->m_pNextSiblingEffect;
        if (p == pFirst)
            break;
    }
    for (int i = n - 1; i >= 0; --i)
        if (members[i]->m_pParentEntity == pOwner)
            members[i]->Send(msg);
}

void gcEffect::InstallEntityWorldFuncs()
{
    gcEntityWorld::Funcs funcs = gcEntityWorld::Set(gcEntityWorld::Funcs{});
    funcs.pSendToEffects = &SendToRing;
    gcEntityWorld::Set(funcs);
}

gcEffect* gcEffect::FindEffect(gcEffectTemplateHandle hTemplate)
{
    if (m_hTemplate == hTemplate)
        return this;
    for (gcEffect* p = m_pFirstChildEffect; p;) {
        if (gcEffect* pFound = p->FindEffect(hTemplate))
            return pFound;
        p = p->m_pNextSiblingEffect;
        if (p == m_pFirstChildEffect)
            break;
    }
    return nullptr;
}

void gcEffect::SetAttractor(gcRegionPoint* pPoint)
{
    m_pAttractorRegionPoint = pPoint;
    m_pAttractorEntity = nullptr;
}

void gcEffect::SetAttractor(gcEntity* pEntity, int nNode)
{
    m_pAttractorEntity = pEntity;
    m_nAttractorNodeIndex = static_cast<int16_t>(nNode);
    m_pAttractorRegionPoint = nullptr;
}

void gcEffect::SetForces(const mVec3& wind, const mVec3& gravity)
{
    s_wind = wind;
    s_gravity = gravity;
    eParticleSystem::s_wind = wind;
    eParticleSystem::s_gravity = gravity;
}

QM_DEFINE_GROUP(gcEffectGroup, 111)
