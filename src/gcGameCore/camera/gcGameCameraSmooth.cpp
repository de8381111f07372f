// The game camera's smoothing: the position, the look-at point, the view
// orientation and the height looked at above an entity each pass through a
// fourth-order low-pass filter, so every move starts and stops gently.
#include "gcGameCore/camera/gcGameCamera.h"

#include "gcGameCameraMath.h"

#include <algorithm>
#include <cmath>

namespace {

using gcCameraMath::Heading;
using gcCameraMath::Pitch;
using gcCameraMath::Wrap180;

constexpr float kMinLookDist = 0.00001f;

}  // namespace

void gcGameCamera::SmoothPos(cTimeValue dT, const mVec3* pTarget, bool bHold, mVec3* pOut)
{
    gcPosCtrl& ctrl = m_PosCtrl;
    const mVec3 pos = GetPos();
    const float fTicks = static_cast<float>(dT.m_nTicks);
    const float fPole = m_params.m_fMaxTimes[gcGameCameraParams::SPD_MOVEMENT];
    if (!pTarget || bHold) {
        // Coasting on in the last direction, slowing by the pole each tick.
        ctrl.fPosVel = fPole * ctrl.fPosVel;
        mVec3 dir = ctrl.posVel;
        dir.Normalize();
        *pOut = pos + dir * (ctrl.fPosVel * fTicks);
        for (int i = 3; i > 0; --i)
            ctrl.filter[i] = ctrl.filter[i - 1];
        ctrl.filter[0] = *pOut;
        if (fTicks > 0.0f)
            ctrl.posVel = (*pOut - pos) * (1.0f / fTicks);
        return;
    }
    ctrl.filterConsts.SetPole(fPole);
    *pOut = ctrl.filterConsts.Step(*pTarget, ctrl.filter);
    if (fTicks > 0.0f)
        ctrl.posVel = (*pOut - pos) * (1.0f / fTicks);
    ctrl.fPosVel = ctrl.posVel.Length();
}

void gcGameCamera::FilterEntityOffset()
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    ctrl.fEntityOffset = ctrl.entityOffsetFilterConsts.Step(m_params.m_fOffsets[gcGameCameraParams::OFF_ENTITY],
                                                            ctrl.entityOffsetFilter);
}

void gcGameCamera::SmoothLookAtPos(cTimeValue, const mVec3* pTarget, float, bool bHold, mVec3* pOutHPR)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    const mOCS& view = m_camera.m_cameraToWorld;
    if (!pTarget || bHold) {
        ctrl.curLookAtWorld = view.origin + view.basis.forward;
    } else {
        ctrl.filterConsts.SetPole(m_params.m_fMaxTimes[gcGameCameraParams::SPD_LOOKAT]);
        ctrl.curLookAtWorld = ctrl.filterConsts.Step(*pTarget, ctrl.posFilter);
    }
    mVec3 dir = ctrl.curLookAtWorld - view.origin;
    if (dir.Length() <= kMinLookDist) {
        view.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
    } else {
        dir.Normalize();
        pOutHPR->Set(Heading(dir), std::clamp(Pitch(dir), -kMaxViewPitch, kMaxViewPitch), 0.0f);
    }
    FilterEntityOffset();
}

void gcGameCamera::SmoothLookAtQuat(cTimeValue dT, const mVec3* pTarget, float fRoll, bool bHold, mVec3* pOutHPR)
{
    const mOCS& view = m_camera.m_cameraToWorld;
    if (!pTarget || bHold) {
        view.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
        return;
    }
    UpdateLookAtPole();
    mVec3 dir = *pTarget - view.origin;
    if (dir.Length() <= kMinLookDist) {
        view.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
        return;
    }
    dir.Normalize();
    const mVec3 hpr(Heading(dir), Pitch(dir), fRoll);
    TurnAndFilter(dT, hpr, pOutHPR);
}

void gcGameCamera::SmoothLookAtQuat(cTimeValue dT, const mVec3* pTargetHPR, bool bHold, mVec3* pOutHPR)
{
    if (!pTargetHPR || bHold) {
        m_camera.m_cameraToWorld.basis.GetHPR(&pOutHPR->x, &pOutHPR->y, &pOutHPR->z);
        return;
    }
    UpdateLookAtPole();
    TurnAndFilter(dT, *pTargetHPR, pOutHPR);
}

// Looking at the entity the camera follows lets the lag die away: the pole
// decays towards 0 by 0.9 a tick.
void gcGameCamera::UpdateLookAtPole()
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    const bool bFollowed = ctrl.Mode == LOOKATCTRL_LOOKATENTITY && ctrl.hEntity == m_PosCtrl.hEntity &&
                           (m_PosCtrl.Mode == POSCTRL_FOLLOWENTITY || m_PosCtrl.Mode == POSCTRL_FOLLOWPATH_ENTITY);
    const float fWanted = bFollowed ? 0.0f : m_params.m_fMaxTimes[gcGameCameraParams::SPD_LOOKAT];
    ctrl.fCurLookAtK = ctrl.fCurLookAtK > 0.0f ? 0.9f * ctrl.fCurLookAtK + 0.1f * fWanted : fWanted;
    ctrl.filterConsts.SetPole(ctrl.fCurLookAtK);
}

// Turns at most 60 degrees of heading from the current view, the shorter
// way round, then filters the orientation.
void gcGameCamera::TurnAndFilter(cTimeValue, const mVec3& targetHPR, mVec3* pOutHPR)
{
    gcLookAtCtrl& ctrl = m_LookAtCtrl;
    const float fCurHeading = Heading(m_camera.m_cameraToWorld.basis.forward);
    const float fDiff = std::clamp(Wrap180(targetHPR.x - fCurHeading), -kMaxTurnPerTick, kMaxTurnPerTick);
    mQuat q;
    q.SetHPR(Wrap180(fCurHeading + fDiff), targetHPR.y, targetHPR.z);
    const mQuat filtered = ctrl.filterConsts.Step(q, ctrl.filter);
    filtered.GetHPR(pOutHPR);
    pOutHPR->y = std::clamp(pOutHPR->y, -kMaxViewPitch, kMaxViewPitch);
    if (ctrl.Mode != LOOKATCTRL_LOOKATPATH)
        pOutHPR->z = 0.0f;
    FilterEntityOffset();
}
