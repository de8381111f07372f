// The map loop: entering a map, its fixed frame step and leaving it. Every
// step of the simulation is the same 20-tick message; drawing uses the cull
// of the previous step. Main thread; the loaders' threads are only started
// and waited for here.

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAudio.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eFog.h"
#include "eEngine/eInput.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eListener.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eVideo.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapCinematics.h"
#include "gcGameCore/flow/gcMultiRegionLoader.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcRegionLoader.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "mMath/mRand.h"
#include "mMath/mScalar.h"

gcMapCinematics* gcMapCinematics::s_pCinematics = nullptr;

namespace {

gcMap::FrameObserver s_frameObserver = nullptr;

const cTimeValue kTick(cTimeValue::TICKS_PER_SECOND / 30);
const cTimeValue kSfxFadeOut(198);  // 0.33 s
const cTimeValue kSfxFadeIn(60);    // 0.1 s
constexpr float kCameraFarClip = 512.0f;
constexpr float kNearPlaneOffset = 0.1f;

gcMapCinematics* Cinematics()
{
    return gcMapCinematics::s_pCinematics;
}

bool CinematicPlaying()
{
    return Cinematics() && Cinematics()->IsPlaying();
}

void ApplyEmpty(const gcEvent& event)
{
    event.Apply(gcEventParams(), gcEventStackData());
}

eCamera& Camera()
{
    return gcGameCamera::Get()->m_camera;
}

bool Filtered(bool bOnlyActive, bool bActive)
{
    return bOnlyActive && !bActive;
}

}  // namespace

mVec3 gcMap::Direction(float fHeading, float fPitch)
{
    const float h = fHeading * kDegToRad;
    const float p = fPitch * kDegToRad;
    return mVec3{-std::cos(p) * std::sin(h), std::cos(p) * std::cos(h), std::sin(p)};
}

void gcMap::StartRun(const gcMsgTick& tick)
{
    gcGameSave::ApplyCurProfile();
    eCamera& camera = Camera();
    mFrustum frustum = camera.m_frustum;
    frustum.planes[mFrustum::kNear].offset = kNearPlaneOffset;
    frustum.planes[mFrustum::kFar].offset = -m_fFarClip;
    camera.m_fFarClip = kCameraFarClip;
    camera.SetFrustum(frustum);
    eInput::Reset();
    eListener::Initialize();
    gcGameCamera::Get()->Reset(false);
    eFog::ResetFog(camera);
    gcRegionLoader::Get()->Clear();
    UpdateRegions(true);
    const gcMsgUnfreeze unfreeze;
    SendToLoadedRegions(unfreeze, false);
    if (gcGame::s_pGame)
        ApplyEmpty(gcGame::s_pGame->m_onMapStarted);
    ApplyEmpty(m_onMapStarted);
    if (gcPlayerConfig::s_pPlayerConfig)
        ApplyEmpty(gcPlayerConfig::s_pPlayerConfig->onMapStarted);
    HandleBackgroundCinematicLoading();
    Update(tick);
    Cull();
}

gcMap::FrameObserver gcMap::SetFrameObserver(FrameObserver observer)
{
    const FrameObserver old = s_frameObserver;
    s_frameObserver = observer;
    return old;
}

void gcMap::Run()
{
    const gcMsgTick tick(kTick);
    StartRun(tick);
    bool bFirstFrame = true;
    int nFrame = 0;
    while (cUpdateOS()) {
        Draw();
        Update(tick);
        Cull();
        eVideo::Flip();
        if (s_frameObserver)
            s_frameObserver(nFrame++);
        // Said once: a run's log shows where loading ends and play begins.
        if (bFirstFrame) {
            cLogInfo_("gcMap: map %d is running: its first frame is shown", m_nMapId + 1);
            bFirstFrame = false;
        }
        HandleCinematicSkip();
        if (EndedByDamagedRegion())
            break;
        if ((m_nFlags & kFlagEndMap) && !gcUI::Get()->GetPausingDialog())
            break;
    }
    Draw();
    eVideo::Flip();
    EndRun();
}

// A region streamed in whose file is damaged would leave a hole where it
// belongs: the map cannot be played on, and its run has failed. Its file
// has logged the damage.
bool gcMap::EndedByDamagedRegion() const
{
    const int32_t nRegionId = m_nDamagedRegionId;
    if (nRegionId < 0)
        return false;
    cStr name;
    gcRegion::GetFilename(gcAct::s_pAct ? gcAct::s_pAct->m_nActId : -1, m_nMapId, nRegionId, &name);
    cLogInfo_("gcMap: region \"%s\" is damaged; map %d ends", name.m_sData, m_nMapId + 1);
    return true;
}

void gcMap::EndRun()
{
    const bool bGoingOn = cUpdateOS();
    gcUI::Get()->CloseAllDialogs(bGoingOn);
    if (CinematicPlaying())
        Cinematics()->Stop(bGoingOn);
    eAudio::FadeOutAllVoices(cTimeValue::FromSeconds(gcMusic::kEndFadeSeconds));
    gcMusic::StopAllMusic();
    for (eAudio::eAudioChannelGroup group : {eAudio::ACG_UI, eAudio::ACG_BGM, eAudio::ACG_VO, eAudio::ACG_SFX})
        eAudio::FreeGroup(group);
    eMaterial::SetGlobalFog(false, &Camera(), mVec3{0.0f, 0.0f, 0.0f}, 0.0f, 1.0f);
    gcRegionLoader::Get()->WaitForFinish();
    if (Cinematics())
        Cinematics()->WaitForStreamedLoad();
    m_nFlags &= ~kFlagNoCinematicEvents;
    const gcMsgDeactivate deactivate;
    SendToTimers(deactivate, true);
    if (CinematicPlaying())
        Cinematics()->Send(deactivate);
    SendToLoadedRegions(deactivate, true);
    if (Cinematics() && Cinematics()->GetResidentStreamedPool())
        Cinematics()->DeleteResidentStreamed();
    for (int32_t slot = m_effectTemplates.FirstTableSlot(); slot < m_effectTemplates.EndTableSlot(); ++slot) {
        if (gcEffectTemplate* p = gcEffectTemplateMgr::GetPtr(gcEffectTemplateMgr::GetHandle(slot)))
            p->ReleaseInstances();
    }
    if (gcPlayerConfig::s_pPlayerConfig)
        ApplyEmpty(gcPlayerConfig::s_pPlayerConfig->onMapEnded);
    ApplyEmpty(m_onMapEnded);
    if (gcGame::s_pGame)
        ApplyEmpty(gcGame::s_pGame->m_onMapEnded);
    gcPlayer::Get()->UpdatePlayerConfig(-1);
    eListener::Uninitialize();
    FreeMapAllocatedMemory();
    gcPlayer::FreePlayerConfigMemory();
}

void gcMap::Draw()
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    pCamera->BeginRender();
    eVideo::Clear(true, true, 0x00000000, 1.0f, nullptr);
    eMaterial::ApplyNull();
    eLight::EnableDirectional(true);
    const mVec4 black{0.0f, 0.0f, 0.0f, 1.0f};
    const mVec4 diffuse{m_lightDiffuse.x, m_lightDiffuse.y, m_lightDiffuse.z, 1.0f};
    eLight::SetDirectional(Direction(m_fLightHeading, m_fLightPitch), black, diffuse, black);
    eMaterial::SetGlobalAmbient(m_lightAmbient);
    eLightmap::SetTint(LightmapTint());
    eLight::ApplyDirectional();
    eZone::DrawAll(pCamera->m_camera, false);
    eMaterial::SetGlobalFog(false, &pCamera->m_camera, mVec3{0.0f, 0.0f, 0.0f}, 0.0f, 1.0f);
    pCamera->Draw();
    pCamera->EndRender();
}

// The lightmaps hold the map's own directional light baked in: when a
// script changes that light (night falling), the lightmapped ground follows
// by the same ratio per channel, in every region, those streamed in later
// too. They only dim: a brighter light than the map's own leaves them as
// baked.
mVec3 gcMap::LightmapTint() const
{
    const auto ratio = [](float now, float baked) { return baked > 0.0f ? std::min(now / baked, 1.0f) : 1.0f; };
    return mVec3(ratio(m_lightDiffuse.x, m_originalLightDiffuse.x), ratio(m_lightDiffuse.y, m_originalLightDiffuse.y),
                 ratio(m_lightDiffuse.z, m_originalLightDiffuse.z));
}

void gcMap::Cull()
{
    eVideo::PreCull();
    eZone::CullAll(Camera());
}

void gcMap::Update(const gcMsgTick& tick)
{
    HandleMultiRegionLoad();
    eInput::Update(tick.dT, true);
    gcGame::HandleControllerChanged();
    eZone::InvalidateDynamicCollisionCache();
    if (m_nFlags & kFlagPaused) {
        if (!eAudio::IsGroupPaused(eAudio::ACG_SFX))
            eAudio::PauseGroup(true, eAudio::ACG_SFX, kSfxFadeOut);
    } else {
        HandleBackgroundCinematicLoading();
        if (!CinematicPlaying())
            HandleBackgroundLoading();
        CalculateWindVelocity(tick.dT);
        for (eCollisionCache* pCache : {eZone::s_pStaticColCache, eZone::s_pDynamicColCache}) {
            if (pCache)
                pCache->m_nLockedTris = 0;
        }
        SendToTimers(tick, true);
        if (CinematicPlaying())
            Cinematics()->Send(tick);
        if (m_nStreamedCinematicToLoad == -1 && !CinematicPlaying())
            ReleaseStreamedCinematic();
        SendToLoadedRegions(tick, true);
        if (eAudio::IsGroupPaused(eAudio::ACG_SFX))
            eAudio::PauseGroup(false, eAudio::ACG_SFX, kSfxFadeIn);
        gcPlayer::UpdateTimePlayed(tick.dT);
    }
    gcUI::Get()->Update(tick);
    gcGameCamera* pCamera = gcGameCamera::Get();
    pCamera->Send(tick);
    eListener::Update(pCamera->m_camera.m_cameraToWorld);
    gcMusic::Update();
    eAudio::Update(tick.dT, pCamera->m_camera.m_cameraToWorld);
    eFog::UpdateFog(pCamera->m_camera, tick.dT);
    HandleGamePaused();
}

// A finished streamed cinematic gives its pool back: whatever still points
// into it hears of the reset first.
void gcMap::ReleaseStreamedCinematic()
{
    cMemPool* pPool = Cinematics() ? Cinematics()->GetResidentStreamedPool() : nullptr;
    if (!pPool)
        return;
    HandleMemPoolReset(pPool);
    Cinematics()->DeleteResidentStreamed();
}

void gcMap::CalculateWindVelocity(cTimeValue step)
{
    if (m_windTime.m_nTicks <= 0) {
        const float fHeading = m_fWindHeading + 45.0f * mRandTol();
        m_windTime = cTimeValue(static_cast<int32_t>((2.0f + 5.0f * mRand()) * 600.0f));
        gcEffect::SetForces(Direction(fHeading, m_fWindPitch) * m_fWindSpeed, m_gravity);
    }
    m_windTime = m_windTime - step;
}

// The pause flag follows the pausing dialog one tick late; the press that
// opened the dialog is then seen as held, not as a new press in the game.
void gcMap::HandleGamePaused()
{
    const gcUIDialog* pPausing = gcUI::Get()->GetPausingDialog();
    if ((m_nFlags & kFlagPaused) && !pPausing) {
        m_nFlags &= ~kFlagPaused;
    } else if (!(m_nFlags & kFlagPaused) && pPausing) {
        m_nFlags |= kFlagPaused;
        eInput::Update(cTimeValue(0), false);
    }
}

void gcMap::HandleMemPoolReset(const cMemPool* pPool)
{
    for (int32_t slot = m_entities.FirstTableSlot(); slot < m_entities.EndTableSlot(); ++slot) {
        if (gcEntity* p = gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(slot)))
            p->OnMemPoolReset(pPool);
    }
    if (gcEntity* pPlayer = gcPlayer::Get()->m_pEntity)
        pPlayer->OnMemPoolReset(pPool);
    gcUI::Get()->OnMemPoolReset(pPool);
    gcGameCamera::Get()->OnMemPoolReset(pPool);
}

void gcMap::SendToTimers(const gcMsg& msg, bool bOnlyActive)
{
    for (int32_t slot = m_timers.FirstTableSlot(); slot < m_timers.EndTableSlot(); ++slot) {
        gcTimer* p = gcTimerMgr::GetPtr(gcTimerMgr::GetHandle(slot));
        if (p && !Filtered(bOnlyActive, (p->m_nFlags & gcTimer::kRunning) != 0))
            p->Send(msg);
    }
}

// Where the map's entities, its top-level effects and the player stood when
// a message to every resident region was sent out. A tick may carry an
// object over into another resident region; it takes the message in the
// region it stood in at the start, so once, never twice and never not at
// all. An object that came after the start goes by its own region.
class gcMap::StartRegions {
public:
    StartRegions(const gcEntityGroup& entities, const gcEffectGroup& effects)
        : m_entities(entities), m_effects(effects), m_pPlayer(gcPlayer::Get()->m_pEntity),
          m_nPlayer(m_pPlayer ? m_pPlayer->m_nRegionId : -1)
    {
    }
    int Of(int32_t slot, const gcEntity& entity) const
    {
        return &entity == m_pPlayer ? m_nPlayer : m_entities.Of(slot, entity);
    }
    int Of(int32_t slot, const gcEffect& effect) const { return m_effects.Of(slot, effect); }
    int OfPlayer(const gcEntity& player) const { return &player == m_pPlayer ? m_nPlayer : player.m_nRegionId; }

private:
    template <class Mgr, class T>
    struct Table {
        template <class Group>
        explicit Table(const Group& group)
        {
            for (int32_t slot = group.FirstTableSlot(); slot < group.EndTableSlot(); ++slot) {
                if (const T* p = Mgr::GetPtr(Mgr::GetHandle(slot))) {
                    handles[slot] = p->m_handle;
                    regions[slot] = p->m_nRegionId;
                }
            }
        }
        int Of(int32_t slot, const T& object) const
        {
            return handles[slot] == object.m_handle ? regions[slot] : object.m_nRegionId;
        }
        std::array<typename Mgr::Handle, Mgr::kSlots> handles{};
        std::array<int16_t, Mgr::kSlots> regions{};
    };
    Table<gcEntityMgr, gcEntity> m_entities;
    Table<gcEffectMgr, gcEffect> m_effects;
    const gcEntity* m_pPlayer;
    int m_nPlayer;
};

void gcMap::SendToLoadedRegions(const gcMsg& msg, bool bOnlyActive)
{
    const StartRegions start(m_entities, m_effects);
    for (gcRegion* p : gcRegion::s_pRegions) {
        if (p)
            SendToRegion(p->m_nRegionId, msg, bOnlyActive, &start);
    }
}

void gcMap::SendToRegion(int nRegionId, const gcMsg& msg, bool bOnlyActive)
{
    SendToRegion(nRegionId, msg, bOnlyActive, nullptr);
}

void gcMap::SendToRegion(int nRegionId, const gcMsg& msg, bool bOnlyActive, const StartRegions* pStart)
{
    const auto regionOf = [pStart](int32_t slot, const auto& object) {
        return pStart ? pStart->Of(slot, object) : object.m_nRegionId;
    };
    if (m_pRegionTriggers) {
        for (int32_t slot = m_pRegionTriggers->FirstTableSlot(); slot < m_pRegionTriggers->EndTableSlot(); ++slot) {
            gcRegionTrigger* p = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(slot));
            if (p && p->m_nRegionId == nRegionId)
                p->Send(msg);  // triggers take every message: an unfreeze may enable them
        }
    }
    for (int32_t slot = m_effects.FirstTableSlot(); slot < m_effects.EndTableSlot(); ++slot) {
        gcEffect* p = gcEffectMgr::GetPtr(gcEffectMgr::GetHandle(slot));
        if (p && regionOf(slot, *p) == nRegionId && !p->m_pParentEntity && !p->m_pParentEffect &&
            !Filtered(bOnlyActive, p->IsRunning()))
            p->Send(msg);
    }
    const auto sendToInstances = [&](const cGroup& group) {
        for (int32_t slot = group.FirstTableSlot(); slot < group.EndTableSlot(); ++slot) {
            if (gcEffectTemplate* p = gcEffectTemplateMgr::GetPtr(gcEffectTemplateMgr::GetHandle(slot)))
                p->SendToInstances(nRegionId, msg);
        }
    };
    sendToInstances(m_effectTemplates);
    if (const gcGameState* pState = gcGameState::s_pGameState; pState && pState->m_pEffectTemplates)
        sendToInstances(*pState->m_pEffectTemplates);
    for (int32_t slot = m_entities.FirstTableSlot(); slot < m_entities.EndTableSlot(); ++slot) {
        gcEntity* p = gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(slot));
        if (p && regionOf(slot, *p) == nRegionId && !p->m_pParentEntity && !Filtered(bOnlyActive, p->IsActive()))
            p->Send(msg);
    }
    gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    const int nPlayerRegion = !pPlayer ? -1 : pStart ? pStart->OfPlayer(*pPlayer) : pPlayer->m_nRegionId;
    if (pPlayer && nPlayerRegion == nRegionId && !Filtered(bOnlyActive, pPlayer->IsActive()))
        pPlayer->Send(msg);
}

void gcMap::HandleMultiRegionLoad()
{
    if (m_nMultiRegionToLoad < 0 || m_nCinematicLoadingFrame >= 0)
        return;
    const gcMsgFreeze freeze;
    SendToLoadedRegions(freeze, true);
    if (m_pPreMultiRegionLoad)
        ApplyEmpty(*m_pPreMultiRegionLoad);
    gcRegionLoader::Get()->WaitForFinish();
    if (Cinematics())
        Cinematics()->WaitForStreamedLoad();
    gcMultiRegionLoader::Get()->Load(m_nMultiRegionToLoad);
    UpdateRegions(true);
    eZone::InvalidateStaticCollisionCache();
    const gcMsgUnfreeze unfreeze;
    SendToLoadedRegions(unfreeze, false);
    if (m_pPostMultiRegionLoad)
        ApplyEmpty(*m_pPostMultiRegionLoad);
    m_pPreMultiRegionLoad = m_pPostMultiRegionLoad = nullptr;
    m_nMultiRegionToLoad = -1;
    m_nLoadingRegionId = -1;
    m_nUnloadingRegionIndex = -1;
    m_nLoadingFrame = 0;
    // A streamed region waiting to be attached was deleted or attached by
    // the load above: the region loader forgets it with the map.
    gcRegionLoader::Get()->Clear();
    m_nFlags &= ~kFlagRegionWaiting;
}

void gcMap::WithdrawMultiRegionLoad(const gcEvent* pPreLoad)
{
    if (!pPreLoad || m_pPreMultiRegionLoad != pPreLoad)
        return;
    m_pPreMultiRegionLoad = m_pPostMultiRegionLoad = nullptr;
    m_nMultiRegionToLoad = -1;
}

void gcMap::WithdrawFromPool(const cMemPool* pPool)
{
    // A map in the pool went with it.
    if (s_pMap && !pPool->Contains(s_pMap) && pPool->Contains(s_pMap->m_pPreMultiRegionLoad))
        s_pMap->WithdrawMultiRegionLoad(s_pMap->m_pPreMultiRegionLoad);
}

bool gcMap::IsCinematicPlaying() const
{
    return m_nStreamedCinematicToLoad >= 0 || m_pCinematicToPlay ||
           (Cinematics() && Cinematics()->IsStreamedLoading()) || CinematicPlaying() ||
           (m_nFlags & kFlagNoCinematicEvents);
}

void gcMap::SetCinematicToPlay(cBase* pCinematic, int nStreamed)
{
    if (!Cinematics()) {
        cLogWarn_("gcMap: cinematic request dropped: this build plays no cinematics");
        return;
    }
    if (CinematicPlaying())
        m_nFlags |= kFlagNoCinematicEvents;
    Cinematics()->WaitForStreamedLoad();
    m_nCinematicLoadingFrame = -1;
    m_nStreamedCinematicToLoad = nStreamed;
    m_pCinematicToPlay = pCinematic;
}

void gcMap::HandleBackgroundCinematicLoading()
{
    if (m_nLoadingRegionId >= 0 || (!m_pCinematicToPlay && m_nStreamedCinematicToLoad == -1) || !Cinematics())
        return;
    const bool bStreamed = m_pCinematicToPlay == nullptr;
    int& f = m_nCinematicLoadingFrame;
    if (f == -1) {
        f = 0;
        if (CinematicPlaying())
            Cinematics()->Stop(true);
        return;
    }
    if (f == 0) {
        if (bStreamed) {
            ReleaseStreamedCinematic();
            Cinematics()->StartStreamedLoad(m_nStreamedCinematicToLoad);
        }
        if (!(m_nFlags & kFlagNoCinematicEvents) && gcGame::s_pGame)
            ApplyEmpty(gcGame::s_pGame->m_onCinematicStarted);
        f = 1;
        return;
    }
    if (bStreamed && Cinematics()->IsStreamedLoading()) {
        if (++f >= kLeadInFrames)
            Cinematics()->WaitForStreamedLoad();
        return;
    }
    if (f < kLeadInFrames) {
        m_nFlags |= kFlagCinematicLeadIn;
        ++f;
        return;
    }
    m_nFlags &= ~kFlagCinematicLeadIn;
    // A streamed load that failed leaves nothing to start.
    if (!bStreamed)
        Cinematics()->Play(m_pCinematicToPlay);
    else if (!Cinematics()->PlayResidentStreamed())
        cLogError_("gcMap: streamed cinematic %d did not load; nothing plays", m_nStreamedCinematicToLoad);
    f = -1;
    m_pCinematicToPlay = nullptr;
    m_nStreamedCinematicToLoad = -1;
    m_nFlags &= ~kFlagNoCinematicEvents;
}

void gcMap::HandleCinematicSkip()
{
    if (!CinematicPlaying() || (m_nFlags & (kFlagEndMap | kFlagPaused)) || !Cinematics()->IsSkippable())
        return;
    const gcValControllerState skip(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_CINEMATICSKIP);
    if (skip.Get(gcEventParams()) == 0.0f)
        return;
    const float fVolume = eAudio::s_fMasterVolume;
    eAudio::s_fMasterVolume = 0.0f;
    const bool bRumble = eInput::s_bRumble;
    if (bRumble)
        eInput::StopRumble();
    eInput::s_bRumble = false;
    gcGameCamera* pCamera = gcGameCamera::Get();
    for (int i = 0; i < 2; ++i) {
        pCamera->BeginRender();
        eVideo::Clear(true, true, 0x00000000, 1.0f, nullptr);
        pCamera->EndRender();
        eVideo::Flip();
    }
    const gcMsgTick tick(kTick);
    while (CinematicPlaying() && cUpdateOS()) {
        Update(tick);
        if ((m_nFlags & kFlagPaused) || ((m_nFlags & kFlagEndMap) && !gcUI::Get()->GetPausingDialog()))
            break;
    }
    eAudio::s_fMasterVolume = std::clamp(fVolume, 0.0f, 1.0f);
    if (bRumble != eInput::s_bRumble)
        eInput::StopRumble();
    eInput::s_bRumble = bRumble;
    Cull();
}
