#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>
#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eInput.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"
#include "gcGameCameraMath.h"

QM_DEFINE_TYPE(gcGameCamera, gcGameObject, 81)

namespace {

const mQuat kIdentityQuat(0.0f, 0.0f, 0.0f, 1.0f);

}  // namespace

gcGameCamera* gcGameCamera::Get()
{
    static gcGameCamera s_camera;
    return &s_camera;
}

gcGameCamera::gcGameCamera()
{
    m_nCurState = 0;
    m_nNextState = 0;
    m_name.Set("GameCamera");
    for (int i = 0; i < 4; ++i) {
        m_LookAtCtrl.filter[i] = kIdentityQuat;
        m_LookAtCtrl.posFilter[i] = m_LookAtCtrl.curLookAtWorld;
        m_PosCtrl.filter[i] = GetPos();
    }
}

cBase* gcGameCamera::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcGameCamera>(*this) : nullptr;
}

void gcGameCamera::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
}

bool gcGameCamera::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcGameCamera", "version");
    if (!gcGameObject::Read(file, pPool))
        return rb.Reject("gcGameCamera", "object block");
    return !rb.Failed();
}

void gcGameCamera::OnMemPoolReset(const cMemPool* pPool)
{
    for (const gcEvent** ppEvent : {&m_pOnFadeCompleted, &m_pOnFadeLetterboxCompleted, &m_pOnShakeCompleted}) {
        if (pPool && pPool->Contains(*ppEvent))
            *ppEvent = nullptr;
    }
}

int gcGameCamera::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) {
        if (m_nCurState == -2 || m.nMsgId != MSG_TICK)
            return false;
        OnTick(static_cast<const gcMsgTick&>(m));
        return true;
    });
}

void gcGameCamera::SetCameraPos(const mVec3& pos)
{
    mOCS frame = m_camera.m_cameraToWorld;
    frame.origin = pos;
    m_camera.SetCameraToWorld(frame);
}

void gcGameCamera::ReseedPosFilter(const mVec3& pos)
{
    SetCameraPos(pos);
    gcPosCtrl& ctrl = m_PosCtrl;
    const float fMinDist = m_params.m_fOffsets[gcGameCameraParams::OFF_MINDIST];
    for (mVec3& entry : ctrl.filter)
        entry = pos;
    ctrl.fDesiredMinDist = fMinDist;
    ctrl.fPosVel = 0.0f;
    ctrl.posVel.Set(0.0f, 0.0f, 0.0f);
    m_fFollowEntityHK = m_fFollowEntityPK = 1.0f;
    m_rig.stillTime = cTimeValue(0);
    m_rig.bCut = true;
    m_bControlHeld = false;
}

void gcGameCamera::Reset(bool bFull)
{
    m_params = gcGameCameraParams();
    FollowNone(true);
    LookAtNone(true);
    m_nFlags &= ~(kReorienting | kAlternate | kBehindEntity);
    m_fReorientSpeedFactor = kDefaultReorientFactor;
    m_occluders.Clear();
    // A fade or letterbox that runs while a map changes goes on across it.
    if (bFull) {
        ClearEffects();
        m_camera.SetFOV(kBaseFOV);
    }
    mOCS origin;
    origin.MakeIdentity();
    m_camera.SetCameraToWorld(origin);
    ReseedPosFilter(origin.origin);
}

void gcGameCamera::UpdateWorld(const mOCS& newCameraToWorld, const mOCS& shift)
{
    m_camera.SetCameraToWorld(newCameraToWorld);
    for (int i = 0; i < 4; ++i) {
        m_LookAtCtrl.posFilter[i].Xform(m_LookAtCtrl.posFilter[i], shift);
        m_PosCtrl.filter[i].Xform(m_PosCtrl.filter[i], shift);
    }
    // Left in the old frame, the pivot would seem to jump by the regions'
    // distance: the entity standing all the while would start its settling
    // again, and the rig would take the jump for the entity placed anew.
    m_rig.stillPivot.Xform(m_rig.stillPivot, shift);
    m_rig.lastPivot.Xform(m_rig.lastPivot, shift);
}

void gcGameCamera::FollowNone(bool bSnap)
{
    gcPosCtrl& ctrl = m_PosCtrl;
    ctrl.Mode = POSCTRL_NONE;
    ctrl.hEntity = gcEntityHandle();
    ctrl.hRegionPoint = gcRegionPointHandle();
    ctrl.hPath = gcRegionPathHandle();
    ctrl.fPathT = ctrl.fPathTDesired = ctrl.fPathTClosest = 0.0f;
    if (bSnap)
        ReseedPosFilter(GetPos());
}

// The player's control reads the stick in the camera's frame: turned with
// a camera that swings round an obstacle, a stick held steady would lead the
// player round and round it. So the frame is held from the tick the stick is
// pushed until it is let go or turned. Read before the view moves: the
// control read the stick in the view shown.
void gcGameCamera::HoldControlFrame()
{
    const int nPort = gcPlayer::Get()->m_nControllerId;
    const eInput::eInputState& pad = eInput::s_joyState[nPort >= 0 && nPort < eInput::kMaxControllers ? nPort : 0];
    const float fMag = pad.fCurrentState[eInput::JOYBTN_LTHUMB_MAG];
    const float fStick = pad.fCurrentState[eInput::JOYBTN_LTHUMB_HEADING];
    const bool bSteady = m_bControlHeld && fMag >= kStickHeld &&
                         std::fabs(gcCameraMath::Wrap180(fStick - m_fHeldStickHeading)) <= kStickMoved;
    if (bSteady || m_PosCtrl.Mode != POSCTRL_FOLLOWENTITY)
        return;
    m_bControlHeld = false;
    m_fControlHeading = gcCameraMath::Heading(ControlFrame().basis.forward);
    m_fHeldStickHeading = fStick;
    m_bControlHeld = fMag >= kStickHeld;
}

void gcGameCamera::OnTick(const gcMsgTick& tick)
{
    if (tick.dT.m_nTicks == 0)
        return;
    HoldControlFrame();
    if (gcMap::s_pMap && !(gcMap::s_pMap->m_nFlags & kMapViewPaused))
        UpdateView(tick);
    OnLetterboxTick(tick);
    OnFadeTick(tick);
}

void gcGameCamera::OnFollowNone(const gcMsgTick& tick, mVec3* pPos)
{
    SmoothPos(tick.dT, nullptr, true, pPos);
}

// The share of the screen the followed entity's box takes in the view.
float gcGameCamera::FollowedScreenShare(gcEntity& followed) const
{
    float fNear = 0.0f, fFar = 0.0f;
    gcCameraOccluders::ScreenBox screen;
    m_camera.m_frustum.GetPerspective(&fNear, &fFar, &screen.x0, &screen.x1, &screen.y1, &screen.y0);
    if (fNear <= 0.0f)
        return 0.0f;
    screen = {screen.x0 / fNear, screen.y0 / fNear, screen.x1 / fNear, screen.y1 / fNear};
    return gcCameraOccluders::FollowedShare(m_camera.m_cameraToWorld, screen, followed);
}

void gcGameCamera::UpdateView(const gcMsgTick& tick)
{
    const mVec3 oldPos = GetPos();
    mVec3 pos = oldPos;
    // Following an entity shakes inside its own tick.
    const bool bShakeHere = m_PosCtrl.Mode != POSCTRL_FOLLOWENTITY;
    mVec3 pivot(0.0f, 0.0f, 0.0f);
    const bool bFollowed = RunPosCtrl(tick, &pos, &pivot);
    // The look-at controller works from the new position.
    SetCameraPos(pos);
    mVec3 hpr(0.0f, 0.0f, 0.0f);
    RunLookAtCtrl(tick, bFollowed ? &pivot : nullptr, &hpr);
    if (bShakeHere)
        OnShakeTick(tick, &pos);
    mOCS frame;
    frame.origin = pos;
    frame.basis.SetHPR(hpr.x, hpr.y, hpr.z);
    m_camera.SetCameraToWorld(frame);
    mOCS followed;
    gcEntity* pFollowed = m_PosCtrl.Mode == POSCTRL_FOLLOWENTITY ? GetFollowedEntity(&followed) : nullptr;
    if (pFollowed) {
        m_occluders.Update(m_camera.m_cameraToWorld, *pFollowed, tick.dT);
        // Wherever the camera had to stand, the followed entity filling
        // much of the picture is drawn see-through; read ahead, as that fade
        // is eased.
        const float fShare = FollowedScreenShare(*pFollowed);
        const float fAhead = fShare + (fShare - m_fFollowedShare) * FollowRules::kShareLookAhead;
        m_fFollowedShare = fShare;
        m_occluders.ShowFollowed(*pFollowed, bFollowed ? FollowedAlpha(*pFollowed, pos, pivot) : 1.0f,
                                 FollowedShareAlpha(std::max(fShare, fAhead)));
    }
    else {
        m_occluders.Clear();
        m_fFollowedShare = 0.0f;
    }
    QueryTriggers(oldPos, 0);
    m_PosCtrl.UpdatePathPos(GetPos());
    m_LookAtCtrl.UpdatePathPos(m_LookAtCtrl.Mode == LOOKATCTRL_LOOKATPATHCLOSEST ? GetPos()
                                                                               : m_LookAtCtrl.curLookAtWorld);
}

void gcGameCamera::Draw()
{
    DrawLetterbox();
    gcUI* pUI = gcUI::Get();
    if (m_nFlags & kFade) {
        // Dialogs marked to be drawn over the fade stay visible.
        pUI->Draw(nullptr, 1, 0);
        DrawFade();
        pUI->Draw(nullptr, 2, 0);
    } else {
        pUI->Draw(nullptr, 0, 0);
    }
}

void gcGameCamera::RunCompletion(const gcEvent*& pEvent)
{
    const gcEvent* pRun = pEvent;
    pEvent = nullptr;
    if (!pRun)
        return;
    gcEventParams params(this, nullptr, nullptr, nullptr, nullptr);
    pRun->Apply(params, gcEventStackData());
}
