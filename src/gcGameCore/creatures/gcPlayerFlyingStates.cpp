// gcPlayerFlying: the handlers of the states, the handlers common to all
// states, the disabled state, the per-tick work and the speed gears.
#include <cstdint>

#include "eEngine/eAnimation.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/script/gcAnimationConfig.h"

namespace {

using T = gcPlayerFlyingTemplate;
using F = gcPlayerFlying;

constexpr float kLargestTickFloat = 2147483520.0f;  // the largest float below 2^31

// The state each PlayAnimation priority enters.
constexpr int8_t kPriorityStates[gcMsgPlayAnimation::MAX_PRIORITIES] = {F::ST_ANIM_LOW, F::ST_ANIM_MEDIUM,
                                                                        F::ST_ANIM_HIGH, F::ST_ANIM_VERYHIGH};

// The states whose Update moves on, and where to.
struct UpdateRow {
    int8_t nState;
    int8_t nTo;
};
constexpr UpdateRow kUpdates[] = {
    {F::ST_BOOSTING, F::ST_UNKNOWN},
    {F::ST_HIT_FRONT, F::ST_UNKNOWN},
    {F::ST_DYING, F::ST_DEAD},
    {F::ST_DEAD, F::ST_DEATH_END},
};

}  // namespace

bool gcPlayerFlying::HandleStateMessage(const gcMsg& msg, bool* pDone)
{
    if (msg.nMsgId == MSG_UPDATE) {
        for (const UpdateRow& r : kUpdates)
            if (r.nState == m_nCurState) {
                To(r.nTo);
                return true;
            }
        *pDone = false;
        return false;
    }
    if (msg.nMsgId != MSG_ENTERSTATE) {
        *pDone = false;
        return false;
    }
    switch (m_nCurState) {
    case ST_UNKNOWN:
        if (GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f)
            Send(gcMsgPlayFlyingAnimation(m_nCurFlySpeed, false));
        else
            To(ST_DYING);
        return true;
    case ST_BRAKING:
        StopFlying();
        Play(T::ANIM_BRAKE);
        return true;
    case ST_BOOSTING: EnterBoost(); return true;
    case ST_HIT_FRONT:
        StopFlying();
        m_nextUpdate = Play(T::ANIM_HIT_FRONT);
        return true;
    case ST_DYING:
        SetTarget(nullptr);
        m_nextUpdate = Play(T::ANIM_DYING);
        return true;
    case ST_DEAD: Play(T::ANIM_DEAD); return true;
    case ST_DEATH_END: To(ST_DISABLED); return true;
    default: *pDone = false; return false;
    }
}

void gcPlayerFlying::StopFlying()
{
    m_nCurFlySpeed = 0;
    m_accelTime = cTimeValue(0);
    m_nFlags &= ~kFlapping;
}

void gcPlayerFlying::EnterBoost()
{
    m_nCurFlySpeed = kTopGear;
    m_accelTime = m_pTemplate ? m_pTemplate->timesToShift[T::kNumShiftTimes - 1] : cTimeValue(0);
    m_nFlags &= ~kFlapping;
    Play(T::ANIM_BOOST);
    // The boost lasts its animation at the movement scale, looping or not,
    // in whole ticks.
    const gcAnimationConfig* pConfig = m_pTemplate ? &m_pTemplate->animationConfigs[T::ANIM_BOOST] : nullptr;
    const eAnimation* pAnim = pConfig ? eAnimationMgr::GetPtr(pConfig->hAnimation) : nullptr;
    float fTicks = 1.0f;
    if (pAnim) {
        const float fScale = GetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE);
        fTicks = fScale * static_cast<float>((pAnim->m_length - eAnimation::easeOutTime).m_nTicks);
    }
    // A countdown of 0 would never end the boost, and no command is taken
    // from it: a boost shorter than a tick (or scaled by what is not a
    // number) lasts one. The scale comes from scripts: one beyond the tick
    // range lasts the longest countdown rather than overflowing the cast.
    int32_t nTicks = 1;
    if (fTicks >= kLargestTickFloat)
        nTicks = INT32_MAX;
    else if (fTicks >= 1.0f)
        nTicks = static_cast<int32_t>(fTicks);
    m_nextUpdate = cTimeValue(nTicks);
}

bool gcPlayerFlying::HandleCommon(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_TICK: OnTick(static_cast<const gcMsgTick&>(msg)); return true;
    case MSG_POSTENTERSTATE: HandleAnimationStarted(m_pTarget); return true;
    case MSG_POSTEXITSTATE: HandleAnimationEnded(m_pTarget); return true;
    case MSG_DEACTIVATE:
    case MSG_FREEZE: return gcPlayer::Suspend(this, msg, ST_DISABLED);
    default: return HandleCommands(msg);
    }
}

bool gcPlayerFlying::HandleCommands(const gcMsg& msg)
{
    const int s = m_nCurState;
    switch (msg.nMsgId) {
    case MSG_STAND:
        if (s > ST_FLYING)
            return false;
        To(ST_BRAKING);
        return true;
    case MSG_WALK:
    case MSG_RUN: {
        if (s > ST_FLYING)
            return false;
        const bool bFlap = msg.nMsgId == MSG_RUN;
        if (((m_nFlags & kFlapping) != 0) != bFlap) {
            Send(gcMsgPlayFlyingAnimation(m_nCurFlySpeed, bFlap));
            m_nFlags = bFlap ? (m_nFlags | kFlapping) : (m_nFlags & ~kFlapping);
        }
        return true;
    }
    case MSG_JUMP:
        if (s >= ST_BOOSTING)
            return false;
        To(ST_BOOSTING);
        return true;
    case MSG_FACEDIR:
        if (s > ST_HIT_FRONT)
            return false;
        return gcPlayer::FaceDir(this, msg);
    case MSG_PLAYANIMATION: return gcPlayer::PlayByPriority(this, msg, kPriorityStates);
    case MSG_PLAYFLYINGANIMATION: return OnPlayFlyingAnimation(static_cast<const gcMsgPlayFlyingAnimation&>(msg));
    default: return HandlePathMessage(msg);
    }
}

bool gcPlayerFlying::OnPlayFlyingAnimation(const gcMsgPlayFlyingAnimation& msg)
{
    // A gear outside 0..3 would index past the animations and shift times.
    if (m_nCurState > ST_FLYING || msg.nSpeed < 0 || msg.nSpeed >= kNumGears)
        return false;
    m_nCurFlySpeed = msg.nSpeed;
    const int nAnim = (msg.bFlapping ? T::ANIM_FLAP_1 : T::ANIM_COAST_1) + 2 * msg.nSpeed;
    RequestState(ST_FLYING, Play(nAnim));
    return true;
}

bool gcPlayerFlying::HandleDisabled(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: Disable(); return true;
    case MSG_ACTIVATE:
    case MSG_UNFREEZE: gcPlayer::Resume(this, msg, m_pTemplate != nullptr); return true;
    case MSG_DEACTIVATE:
    case MSG_FREEZE: return gcPlayer::Suspend(this, msg, ST_DISABLED);
    default: return HandlePathMessage(msg);
    }
}

void gcPlayerFlying::OnTick(const gcMsgTick& msg)
{
    if (msg.dT.m_nTicks > 0) {
        if (m_nEntityFlags & kInitialUpdatePending)
            HandleInitialUpdate();
        HandleTimeSince(msg.dT);
        gcPlayer::RunTickScripts(this, msg);
    }
    Move(msg.dT);
    UpdateSound(msg.dT);
    SendAttached(msg);
}

void gcPlayerFlying::HandleAccel(cTimeValue step)
{
    const int g = m_nCurFlySpeed;
    if (!m_pTemplate || g < 0 || g > kTopGear)
        return;
    const cTimeValue* shift = m_pTemplate->timesToShift;
    if (m_nFlags & kFlapping) {
        // At the top the time is held full, ready to count down.
        if (g == kTopGear) {
            m_accelTime = shift[T::kNumShiftTimes - 1];
            return;
        }
        m_accelTime += step;
        if (m_accelTime >= shift[g]) {
            m_accelTime = cTimeValue(0);
            Send(gcMsgPlayFlyingAnimation(g + 1, true));
        }
        return;
    }
    if (g == 0) {
        m_accelTime = cTimeValue(0);
        return;
    }
    m_accelTime -= step;
    if (m_accelTime.m_nTicks <= 0) {
        m_accelTime = shift[g - 1] - step;
        Send(gcMsgPlayFlyingAnimation(g - 1, false));
    }
}
