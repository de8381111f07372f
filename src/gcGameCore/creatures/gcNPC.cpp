// gcNPC: the block, the reset and the messages common to all states.
#include "gcGameCore/creatures/gcNPC.h"

#include <cmath>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_TYPE(gcNPC, gcCreature, 129)

static_assert(gcNPCTemplate::kNPCTypeId == 129);

namespace {

constexpr const char* kStateTexts[gcNPC::MAX_STATES] = {
    "Unknown", "Standing", "Idling", "PlayingLow", "TgtWalking", "TgtWalkingBack", "TgtWalkingLeft",
    "TgtWalkingRight", "Walking", "Running", "PlayingMedium", "Attacking", "Dodging", "Blocking",
    "PlayingHigh", "Recoiling", "Pain", "PlayingVeryHigh", "Dying", "Dead", "Fading", "Disabled", "Faded",
};

// The state each animation priority of message 119 plays in.
constexpr int8_t kPriorityStates[gcMsgPlayAnimation::MAX_PRIORITIES] = {
    gcNPC::STATE_PLAYINGLOW, gcNPC::STATE_PLAYINGMEDIUM, gcNPC::STATE_PLAYINGHIGH, gcNPC::STATE_PLAYINGVERYHIGH};

constexpr int kAnyState = 127;

// The highest state in which the common handling takes the message; -1 for
// a message it never takes.
int CommonBound(int32_t nMsgId)
{
    switch (nMsgId) {
    case MSG_TICK:
    case MSG_UPDATE:
    case MSG_POSTENTERSTATE:
    case MSG_POSTEXITSTATE:
    case MSG_DEACTIVATE:
    case MSG_FREEZE:
    case MSG_MOVETOPOINT:
    case MSG_MOVETOPATH:
    case MSG_DETACHFROMPATH: return kAnyState;
    case MSG_DODGELEFT:
    case MSG_DODGERIGHT: return gcNPC::STATE_WALKING;
    case MSG_STAND:
    case MSG_WALK:
    case MSG_RUN:
    case MSG_WALKFORWARD:
    case MSG_WALKLEFT:
    case MSG_WALKRIGHT:
    case MSG_WALKBACK:
    case MSG_BLOCK:
    case MSG_SETTARGET:
    case MSG_IDLE: return gcNPC::STATE_RUNNING;
    case MSG_STRAFEDIR: return gcNPC::STATE_TGTWALKINGRIGHT;
    case MSG_ATTACK:
    case MSG_CANCELATTACK: return gcNPC::STATE_ATTACKING;
    case MSG_FACEDIR: return gcNPC::STATE_BLOCKING;
    case MSG_BLOCKED: return gcNPC::STATE_RECOILING;
    case MSG_DEALDAMAGE:
    case MSG_PLAYANIMATION:
    case MSG_FORCESTAND: return gcNPC::STATE_PLAYINGVERYHIGH;
    default: return -1;
    }
}

// The state each plain movement command goes to; -1 for other messages.
int MovementState(int32_t nMsgId)
{
    switch (nMsgId) {
    case MSG_STAND: return gcNPC::STATE_STANDING;
    case MSG_WALK: return gcNPC::STATE_WALKING;
    case MSG_RUN: return gcNPC::STATE_RUNNING;
    case MSG_WALKFORWARD: return gcNPC::STATE_TGTWALKING;
    case MSG_WALKLEFT: return gcNPC::STATE_TGTWALKINGLEFT;
    case MSG_WALKRIGHT: return gcNPC::STATE_TGTWALKINGRIGHT;
    case MSG_WALKBACK: return gcNPC::STATE_TGTWALKINGBACK;
    default: return -1;
    }
}

}  // namespace

const char* gcNPC::GetStateText(int32_t state)
{
    return (state >= 0 && state < MAX_STATES) ? kStateTexts[state] : "???";
}

gcNPC::gcNPC()
{
    m_nCurState = STATE_DISABLED;
    m_nNextState = STATE_DISABLED;
}

// A copy starts disabled like a new NPC.
gcNPC::gcNPC(const gcNPC& other) : gcCreature(other)
{
    StartAsCopy(STATE_DISABLED);
}

cBase* gcNPC::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcNPC>(*this) : nullptr, *this);
}

const cType* gcNPC::GetTemplateType() const
{
    return gcNPCTemplate::GetStaticType();
}

void gcNPC::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreature::Write(file);
}

bool gcNPC::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcNPC", "version");
    if (!gcCreature::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    // The NPC finds its boundary where it stands; a stored one is stale.
    if (rb.m_nVersion == kBoundaryVersion)
        rb.ReadInt();
    return !rb.Failed();
}

bool gcNPC::Reset(cMemPool* pPool)
{
    m_pTemplate = nullptr;
    gcCreature::Reset(pPool);
    m_pTemplate = dcast<gcNPCTemplate>(GetTemplate());
    return m_pTemplate != nullptr;
}

bool gcNPC::IsBlinded() const
{
    const int state = m_model.m_nCurAnimationState;
    if (!m_pTemplate || state < 0 || state >= eModel::kNumAnimationStates)
        return false;
    return m_model.m_animationStates[state].hAnimation ==
           m_pTemplate->animationConfigs[gcNPCTemplate::ANIM_BLINDED].hAnimation;
}

int gcNPC::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) {
        switch (HandleStateMessage(m)) {
        case Handled::Taken: return true;
        case Handled::Refused: return false;
        case Handled::NotMine: break;
        }
        return HandleCommonMessage(m);
    });
}

void gcNPC::GoTo(int nState)
{
    if (m_nCurState != nState)
        RequestState(nState, cTimeValue(0));
}

void gcNPC::RequestKeepingCountdown(int nState)
{
    RequestState(nState, m_nextUpdate);
}

cTimeValue gcNPC::PlayNPCAnimation(int nAnim)
{
    const bool bInTable = m_pTemplate && nAnim >= 0 && nAnim < gcNPCTemplate::MAX_ANIMATIONS;
    return PlayAnimation(bInTable ? &m_pTemplate->animationConfigs[nAnim] : nullptr);
}

cTimeValue gcNPC::PlayNPCAnimationFor(int nAnim, cTimeValue fallback)
{
    const cTimeValue play = PlayNPCAnimation(nAnim);
    return play.m_nTicks > 0 ? play : fallback;
}

float gcNPC::CurrentHeading() const
{
    return GetHeading(m_model.m_localToParent.basis.forward);
}

bool gcNPC::HandleCommonMessage(const gcMsg& msg)
{
    const int nBound = CommonBound(msg.nMsgId);
    if (nBound < 0 || m_nCurState > nBound)
        return false;
    switch (msg.nMsgId) {
    case MSG_TICK: OnTick(static_cast<const gcMsgTick&>(msg)); return true;
    case MSG_UPDATE: GoTo(STATE_UNKNOWN); return true;
    case MSG_POSTENTERSTATE:
        HandleAnimationStarted(m_pTarget);
        if (IsActive() && (m_nEntityFlags & kInitialUpdatePending)) {
            FindBoundary();
            HandleInitialUpdate();
        }
        return true;
    case MSG_POSTEXITSTATE: HandleAnimationEnded(m_pTarget); return true;
    case MSG_DEACTIVATE: Suspend(kDeactivated, msg); return true;
    case MSG_FREEZE: Suspend(kFrozen, msg); return true;
    default: return HandleCommand(msg);
    }
}

// Deactivating or freezing keeps the state and its countdown for the
// resume: the change into the disabled state sends no exit.
void gcNPC::Suspend(uint16_t nBit, const gcMsg& msg)
{
    if (m_nEntityFlags & nBit)
        return;
    SetTarget(nullptr);
    m_nEntityFlags |= nBit;
    SendAttached(msg);
    if (m_nCurState == STATE_DISABLED)
        return;
    RequestKeepingCountdown(STATE_DISABLED);
    m_nGameObjectFlags |= kSkipExit;
}

bool gcNPC::HandleCommand(const gcMsg& msg)
{
    if (const int nState = MovementState(msg.nMsgId); nState >= 0) {
        GoTo(nState);
        return true;
    }
    switch (msg.nMsgId) {
    case MSG_FACEDIR: {
        const auto& face = static_cast<const gcMsgFaceDir&>(msg);
        if (!face.IsFinite())
            return false;
        const mVec3& hpr = face.hpr;
        m_desiredHPR[0] = hpr.x;
        m_desiredHPR[1] = hpr.y;
        m_desiredHPR[2] = hpr.z;
        return true;
    }
    case MSG_ATTACK: {
        const auto& m = static_cast<const gcMsgAttack&>(msg);
        if (m.nAttack < 0 || m.nAttack >= gcCreatureTemplate::kMaxAttacks) {
            cLogWarn_("gcNPC: \"%s\" refuses attack %d, outside 0-%d", m_name.m_sData, m.nAttack,
                      gcCreatureTemplate::kMaxAttacks - 1);
            return false;
        }
        if (Attack(m.nAttack, m.bChain, m.nBranch))
            GoTo(STATE_ATTACKING);
        return true;
    }
    case MSG_CANCELATTACK:
        m_nCreatureFlags |= static_cast<const gcMsgCancelAttack&>(msg).nBranch != 0 ? kBranchBCancelled
                                                                                    : kBranchACancelled;
        return true;
    case MSG_DEALDAMAGE: {
        const auto& m = static_cast<const gcMsgDealDamage&>(msg);
        if (m.dir < gcMsgDealDamage::DD_NONE || m.dir >= gcMsgDealDamage::MAX_DAMAGEDIR) {
            cLogWarn_("gcNPC: \"%s\" refuses damage from hit direction %d, outside 0-%d", m_name.m_sData, m.dir,
                      gcMsgDealDamage::MAX_DAMAGEDIR - 1);
            m.fAmount = 0.0f;
            return false;
        }
        OnTakeDamage(m);
        return true;
    }
    case MSG_BLOCKED: GoTo(STATE_RECOILING); return true;
    case MSG_STRAFEDIR: {
        // A heading that is no number would make every later position none.
        const float fHeading = static_cast<const gcMsgStrafeDir&>(msg).fHeading;
        if (!std::isfinite(fHeading)) {
            cLogWarn_("gcNPC: \"%s\" refuses the strafe heading %g", m_name.m_sData, static_cast<double>(fHeading));
            return false;
        }
        m_fStrafeDir = fHeading;
        return true;
    }
    case MSG_MOVETOPOINT:
        HandleMoveToPoint(static_cast<const gcMsgMoveToPoint&>(msg));
        if (IsActive() && !FindBoundary())
            m_hBoundary = gcBoundaryHandle();
        return true;
    case MSG_MOVETOPATH:
        HandleMoveToPath(static_cast<const gcMsgMoveToPath&>(msg));
        m_hBoundary = gcBoundaryHandle();
        return true;
    case MSG_DETACHFROMPATH:
        if (FindBoundary())
            DetachFromPath();
        return true;
    case MSG_FORCESTAND:
        m_model.ResetAnimationState();
        GoTo(STATE_STANDING);
        return true;
    default: return HandleAnimationCommand(msg);
    }
}

// The commands that play one of the template's animations and time a state
// with it.
bool gcNPC::HandleAnimationCommand(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_DODGELEFT:
    case MSG_DODGERIGHT: {
        const cTimeValue t = PlayNPCAnimation(msg.nMsgId == MSG_DODGELEFT ? gcNPCTemplate::ANIM_DODGE_L
                                                                         : gcNPCTemplate::ANIM_DODGE_R);
        if (m_nCurState != STATE_DODGING)
            RequestState(STATE_DODGING, t);
        return true;
    }
    case MSG_BLOCK: {
        const cTimeValue t = PlayNPCAnimation(gcNPCTemplate::ANIM_BLOCK);
        if (m_nCurState != STATE_BLOCKING)
            RequestState(STATE_BLOCKING, t);
        return true;
    }
    case MSG_SETTARGET: {
        const auto& m = static_cast<const gcMsgSetTarget&>(msg);
        if (m.target == gcMsgSetTarget::CLOSEST)
            SetClosestTarget();
        else if (m.target == gcMsgSetTarget::NEXT)
            SetNextTarget();
        else if (!m.pTarget || IsValidTarget(m.pTarget, false))
            SetTarget(m.pTarget);
        // Standing again replays the stand that suits having a target or not.
        if (IsStanding())
            RequestState(STATE_STANDING, cTimeValue(0));
        return true;
    }
    case MSG_PLAYANIMATION: {
        const auto& m = static_cast<const gcMsgPlayAnimation&>(msg);
        if (m.priority < 0 || m.priority >= gcMsgPlayAnimation::MAX_PRIORITIES) {
            cLogWarn_("gcNPC: \"%s\" refuses an animation of priority %d, outside 0-%d", m_name.m_sData, m.priority,
                      gcMsgPlayAnimation::MAX_PRIORITIES - 1);
            return false;
        }
        const int nState = kPriorityStates[m.priority];
        if (m_nCurState > nState)
            return false;
        RequestState(nState, PlayAnimation(m.pAnimationConfig));
        return true;
    }
    case MSG_IDLE: {
        const int32_t nAnim = static_cast<const gcMsgIdle&>(msg).nAnim;
        constexpr int kIdles = gcNPCTemplate::MAX_ANIMATIONS - gcNPCTemplate::ANIM_IDLE_1;
        if (nAnim < 0 || nAnim >= kIdles || !m_pTemplate) {
            cLogWarn_("gcNPC: \"%s\" refuses idle animation %d, outside 0-%d", m_name.m_sData, nAnim, kIdles - 1);
            return false;
        }
        const gcAnimationConfig& config = m_pTemplate->animationConfigs[gcNPCTemplate::ANIM_IDLE_1 + nAnim];
        // Without an animation of its own the configuration plays nothing
        // that could be playing already.
        if (m_pAnimationConfig && config.hAnimation.m_nValue != 0 &&
            m_pAnimationConfig->hAnimation == config.hAnimation)
            return true;
        m_creatureTimeSince[TIMESINCE_IDLED] = cTimeValue(0);
        RequestState(STATE_IDLING, PlayAnimation(&config));
        return true;
    }
    default: return false;
    }
}

void gcNPC::OnTick(const gcMsgTick& tick)
{
    if (tick.dT.m_nTicks > 0) {
        HandleTimeSince(tick.dT);
        if (m_pTarget && !IsValidTarget(m_pTarget, false)) {
            SetClosestTarget();
            if (IsStanding())
                RequestState(STATE_STANDING, cTimeValue(0));
        }
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

// The helpers sweep from where they were before the tick moved them.
void gcNPC::AttackTick(const gcMsgTick& tick)
{
    mVec3 prev[2] = {mVec3(0.0f, 0.0f, 0.0f), mVec3(0.0f, 0.0f, 0.0f)};
    for (int i = 0; i < 2; ++i)
        GetAttackHelperPos(i, &prev[i]);
    OnTick(tick);
    UpdateAttack(prev);
}
