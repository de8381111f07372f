// gcDevice: the block, the reset, the handling shared by the living states
// and movement.
#include "gcGameCore/entities/gcDevice.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eShadow.h"
#include "mMath/mQuat.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_TYPE(gcDevice, gcEntity, 218)

static_assert(gcDevice::MAX_ANIMATIONS == gcDeviceTemplate::kNumAnimations);

namespace {

// The state each animation priority of message 119 plays in.
constexpr int8_t kPriorityStates[gcMsgPlayAnimation::MAX_PRIORITIES] = {
    gcDevice::STATE_PLAYINGLOW, gcDevice::STATE_PLAYINGMEDIUM, gcDevice::STATE_PLAYINGHIGH,
    gcDevice::STATE_PLAYINGVERYHIGH};

}  // namespace

gcDevice::gcDevice()
{
    m_nEntityFlags |= kInvulnerable;
    m_team = gcEntityTemplate::TEAM_NEUTRAL;
    m_nCurState = STATE_SUSPENDED;
    m_nNextState = STATE_SUSPENDED;
}

// A copy starts suspended like a new device.
gcDevice::gcDevice(const gcDevice& other) : gcEntity(other)
{
    StartAsCopy(STATE_SUSPENDED);
}

cBase* gcDevice::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcDevice>(*this) : nullptr, *this);
}

const cType* gcDevice::GetTemplateType() const
{
    return gcDeviceTemplate::GetStaticType();
}

void gcDevice::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcEntity::Write(file);
}

bool gcDevice::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.Failed())
        return false;
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcDevice", "version");
    if (!gcEntity::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    return !rb.Failed();
}

bool gcDevice::Reset(cMemPool* pPool)
{
    m_pTemplate = nullptr;
    if (!gcEntity::Reset(pPool))
        return false;
    m_pTemplate = dcast<gcDeviceTemplate>(GetTemplate());
    return m_pTemplate != nullptr;
}

int gcDevice::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) {
        bool bTaken = false;
        if (HandleStateMessage(m, &bTaken))
            return bTaken;
        return HandleCommonMessage(m);
    });
}

void gcDevice::GoTo(int nState)
{
    if (m_nCurState != nState)
        RequestState(nState, cTimeValue(0));
}

const gcAnimationConfig* gcDevice::ResolvedConfig(int nAnim) const
{
    if (!m_pTemplate || nAnim < 0 || nAnim >= MAX_ANIMATIONS)
        return nullptr;
    const gcAnimationConfig& c = m_pTemplate->animationConfigs[nAnim];
    return eAnimationMgr::GetPtr(c.hAnimation) ? &c : nullptr;
}

cTimeValue gcDevice::PlayDeviceAnimation(int nAnim)
{
    const gcAnimationConfig* p = ResolvedConfig(nAnim);
    return p ? PlayAnimation(p) : cTimeValue(1);
}

bool gcDevice::HandleCommonMessage(const gcMsg& msg)
{
    const int s = m_nCurState;
    switch (msg.nMsgId) {
    case MSG_TICK: OnTick(static_cast<const gcMsgTick&>(msg)); return true;
    case MSG_UPDATE: GoTo(STATE_START); return true;  // every timed state ends through state 0
    case MSG_POSTENTERSTATE: OnPostEnterState(); return true;
    case MSG_POSTEXITSTATE: OnPostExitState(); return true;
    case MSG_DEACTIVATE: OnDeactivated(msg); return true;
    case MSG_FREEZE: OnFrozen(msg); return true;
    case MSG_FACEDIR: {
        const auto& face = static_cast<const gcMsgFaceDir&>(msg);
        if (s > STATE_PLAYINGHIGH || !face.IsFinite())
            return false;
        const mVec3& hpr = face.hpr;
        m_desiredHPR[0] = hpr.x;
        m_desiredHPR[1] = hpr.y;
        m_desiredHPR[2] = hpr.z;
        return true;
    }
    case MSG_DEALDAMAGE:
        if (s > STATE_PLAYINGVERYHIGH)
            return false;
        OnTakeDamage(static_cast<const gcMsgDealDamage&>(msg));
        return true;
    case MSG_PLAYANIMATION:
        return s <= STATE_PLAYINGVERYHIGH && OnPlayAnimation(static_cast<const gcMsgPlayAnimation&>(msg));
    case MSG_IDLE: return s <= STATE_PLAYINGHIGH && OnIdle(static_cast<const gcMsgIdle&>(msg));
    default: return HandlePathMessage(msg);
    }
}

void gcDevice::OnPostEnterState()
{
    HandleAnimationStarted(nullptr);
    if (m_nEntityFlags & kInitialUpdatePending)
        HandleInitialUpdate();
}

void gcDevice::OnPostExitState()
{
    HandleAnimationEnded(nullptr);
}

void gcDevice::OnDeactivated(const gcMsg& msg)
{
    Suspend(kDeactivated, msg);
}

void gcDevice::OnFrozen(const gcMsg& msg)
{
    Suspend(kFrozen, msg);
}

// The suspended state keeps the countdown and is entered without an exit,
// so that resuming finds the state as it was.
void gcDevice::Suspend(uint16_t nBit, const gcMsg& msg)
{
    if (m_nEntityFlags & nBit)
        return;
    m_nEntityFlags |= nBit;
    SendAttached(msg);
    if (m_nCurState == STATE_SUSPENDED)
        return;
    RequestState(STATE_SUSPENDED, m_nextUpdate);
    m_nGameObjectFlags |= kSkipExit;
}

bool gcDevice::OnPlayAnimation(const gcMsgPlayAnimation& msg)
{
    if (msg.priority < 0 || msg.priority >= gcMsgPlayAnimation::MAX_PRIORITIES) {
        cLogWarn_("gcDevice: \"%s\" refuses an animation of priority %d, outside 0-%d", m_name.m_sData,
                  msg.priority, gcMsgPlayAnimation::MAX_PRIORITIES - 1);
        return false;
    }
    const int nState = kPriorityStates[msg.priority];
    if (m_nCurState > nState)
        return false;
    RequestState(nState, PlayAnimation(msg.pAnimationConfig));
    return true;
}

bool gcDevice::OnIdle(const gcMsgIdle& msg)
{
    if (msg.nAnim < 0 || msg.nAnim >= kNumIdles || !m_pTemplate) {
        cLogWarn_("gcDevice: \"%s\" refuses idle animation %d, outside 0-%d", m_name.m_sData, msg.nAnim,
                  kNumIdles - 1);
        return false;
    }
    const int nAnim = ANIM_IDLE_1 + msg.nAnim;
    // Asking for the idle that already plays changes nothing.
    if (m_pAnimationConfig && m_pAnimationConfig->hAnimation == m_pTemplate->animationConfigs[nAnim].hAnimation)
        return true;
    RequestState(STATE_IDLING, PlayDeviceAnimation(nAnim));
    return true;
}

void gcDevice::OnTick(const gcMsgTick& tick)
{
    if (tick.dT.m_nTicks > 0) {
        HandleTimeSince(tick.dT);
        gcEventParams params;
        GetEventParams(&params);
        if (HasStateMachine())
            m_stateInfo.Send(tick, params, gcEventStackData());
        else if (m_pTemplate)
            m_pTemplate->onUpdate.Apply(params, gcEventStackData());
        // An animation that started this tick has not run an update yet.
        if (!(m_nEntityFlags & kAnimConfigStarted) && m_pAnimationConfig)
            m_pAnimationConfig->onUpdated.Apply(params, gcEventStackData());
        m_nEntityFlags &= static_cast<uint16_t>(~kAnimConfigStarted);
        HandleFadeOut(tick.dT);
        HandleTextureBlend();
    }
    if (!IsActive())
        return;
    Move(tick.dT);
    UpdateSound(tick.dT);
    SendAttached(tick);
}

void gcDevice::Move(cTimeValue step)
{
    if (step.m_nTicks > 0) {
        mOCS frame = m_model.m_localToParent;
        const mVec3 p0 = frame.origin;
        mVec3 delta;
        mQuat rot;
        m_model.CalcNodeDelta(step, 0, &delta, &rot);
        const float fSpeed = delta.Length();
        if (m_pTemplate && (m_pTemplate->nEntityTemplateFlags & gcEntityTemplate::kFullOrientation)) {
            mVec3 hpr;
            HandleHPRChange(fSpeed, &hpr, -1.0f);
            frame.basis.SetHPR(hpr.x, hpr.y, hpr.z);
        } else {
            frame.basis.SetH(HandleHeadingChange(fSpeed, -1.0f));
        }
        mVec3 moved;
        moved.Xform(delta, frame.basis);
        const mVec3 p1 = p0 + moved;
        frame.origin = p1;
        m_velocity = moved * (1.0f / static_cast<float>(step.m_nTicks));
        HandleHeightOnPath(&frame);
        m_model.m_localToParent = frame;
        m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
        m_model.UpdateLocalToZone();
        UpdatePathPos();
        QueryTriggers(p0, p1, 0);
    }
    if (!IsActive())
        return;
    UpdateModel(step);
    if (m_pShadow)
        m_pShadow->Update(step);
    UpdateRegionId();
}
