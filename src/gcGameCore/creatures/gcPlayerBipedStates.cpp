// gcPlayerBiped: the handlers of the states, the handlers common to all
// states, the disabled state, and the per-tick work.
#include <algorithm>

#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"

namespace {

using T = gcPlayerBipedTemplate;
using B = gcPlayerBiped;

// The state each PlayAnimation priority enters.
constexpr int8_t kPriorityStates[gcMsgPlayAnimation::MAX_PRIORITIES] = {B::ST_ANIM_LOW, B::ST_ANIM_MEDIUM,
                                                                        B::ST_ANIM_HIGH, B::ST_ANIM_VERYHIGH};

// The walk each target-relative command enters and the strafe heading
// (degrees, 0 forward, 90 left) that walk keeps.
struct TargetWalk {
    int32_t nMsg;
    int8_t nState;
    int nAnim;
    float fStrafe;
};
constexpr TargetWalk kTargetWalks[] = {
    {MSG_WALKFORWARD, B::ST_TGT_F, T::ANIM_TGT_F, 0.0f},
    {MSG_WALKBACK, B::ST_TGT_B, T::ANIM_TGT_B, 180.0f},
    {MSG_WALKLEFT, B::ST_TGT_L, T::ANIM_TGT_L, 90.0f},
    {MSG_WALKRIGHT, B::ST_TGT_R, T::ANIM_TGT_R, -90.0f},
};

const TargetWalk* FindWalk(int state)
{
    for (const TargetWalk& w : kTargetWalks)
        if (w.nState == state)
            return &w;
    return nullptr;
}

}  // namespace

gcPlayerBiped::Handled gcPlayerBiped::HandleStateMessage(const gcMsg& msg)
{
    const int32_t id = msg.nMsgId;
    switch (m_nCurState) {
    case ST_UNKNOWN:
        if (id != MSG_ENTERSTATE)
            return Handled::kPass;
        To(GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f ? ST_STANDING : ST_DEAD);
        m_desiredHPR[0] = GetHeading(m_model.m_localToParent.basis.forward);
        m_desiredHPR[1] = 0.0f;
        m_desiredHPR[2] = 0.0f;
        return Handled::kTaken;
    case ST_STANDING:
        if (id == MSG_ENTERSTATE)
            Play(m_pTarget ? T::ANIM_TGT_STAND : T::ANIM_STAND);
        else if (id == MSG_INTERACT)
            OnInteract();
        else
            return id == MSG_FORCESTAND ? Handled::kRefused : Handled::kPass;
        return Handled::kTaken;
    case ST_IDLING:
        if (id == MSG_STAND)
            return Handled::kRefused;
        if (id != MSG_UPDATE)
            return Handled::kPass;
        To(ST_UNKNOWN);
        return Handled::kTaken;
    case ST_TGT_F:
    case ST_TGT_B:
    case ST_TGT_L:
    case ST_TGT_R:
        if (id != MSG_ENTERSTATE)
            return Handled::kPass;
        Play(FindWalk(m_nCurState)->nAnim);
        m_fStrafeDir = FindWalk(m_nCurState)->fStrafe;
        return Handled::kTaken;
    case ST_WALKING:
    case ST_RUNNING:
        if (id == MSG_ENTERSTATE)
            Play(m_nCurState == ST_WALKING ? T::ANIM_WALK : T::ANIM_RUN);
        else if (id == MSG_INTERACT)
            OnInteract();
        else if (id == MSG_JUMP && !(m_nFlags & kGroundFlags))
            To(ST_RJUMP_UP);
        else
            return Handled::kPass;
        return Handled::kTaken;
    default: return HandleJumpStates(msg);
    }
}

gcPlayerBiped::Handled gcPlayerBiped::HandleJumpStates(const gcMsg& msg)
{
    // Per jump state: the animation it plays for its length, the state its
    // Update goes to, whether it lifts (its exit hands the lift to the fall
    // step), where a Jump takes it and whether Attack is refused.
    struct JumpRow {
        int8_t nState;
        int nAnim;
        int8_t nUpdateTo;  // -1: the common Update
        bool bLifts;
        int8_t nJumpTo;    // -1: the common Jump
        bool bNoAttack;
    };
    static constexpr JumpRow kRows[] = {
        {ST_SJUMP_UP, T::ANIM_SJUMPUP, ST_SJUMP_DOWN, true, -1, true},
        {ST_SJUMP_DOWN, T::ANIM_SJUMPDOWN, ST_SLAND, false, -1, true},
        {ST_RJUMP_UP, T::ANIM_RJUMPUP, ST_RJUMP_DOWN, true, ST_DJUMP, true},
        {ST_RJUMP_DOWN, T::ANIM_RJUMPDOWN, ST_RLAND, false, ST_DJUMP, false},
        {ST_DJUMP, T::ANIM_DJUMP, ST_DJUMP_DOWN, true, -1, true},
        {ST_DJUMP_DOWN, T::ANIM_RJUMPDOWN, ST_RLAND, false, -1, false},
        {ST_SLAND, T::ANIM_SLAND, -1, false, -1, false},
        {ST_RLAND, T::ANIM_RLAND, -1, false, ST_RJUMP_UP, false},
    };
    const auto* it = std::find_if(std::begin(kRows), std::end(kRows),
                                  [this](const JumpRow& r) { return r.nState == m_nCurState; });
    if (it == std::end(kRows))
        return HandleCombatStates(msg);
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: PlayTimed(it->nAnim); return Handled::kTaken;
    case MSG_EXITSTATE:
        if (!it->bLifts)
            return Handled::kPass;
        m_gravityVelocity.z = m_velocity.z;
        return Handled::kTaken;
    case MSG_UPDATE:
        if (it->nUpdateTo < 0)
            return Handled::kPass;
        To(it->nUpdateTo);
        return Handled::kTaken;
    case MSG_JUMP:
        // The landing jumps again only on the ground.
        if (it->nJumpTo < 0 || (it->nState == ST_RLAND && (m_nFlags & kGroundFlags)))
            return Handled::kPass;
        To(it->nJumpTo);
        return Handled::kTaken;
    case MSG_ATTACK: return it->bNoAttack ? Handled::kRefused : Handled::kPass;
    default: return Handled::kPass;
    }
}

gcPlayerBiped::Handled gcPlayerBiped::HandleCombatStates(const gcMsg& msg)
{
    const int32_t id = msg.nMsgId;
    const bool bTargetState = m_nCurState >= ST_ATTACKING && m_nCurState <= ST_DODGING;
    if (bTargetState && id == MSG_SETTARGET) {
        OnSetTarget(msg);
        return Handled::kTaken;
    }
    switch (m_nCurState) {
    case ST_ATTACKING:
        if (id == MSG_ENTERSTATE)
            HandleAttackStarted();
        else if (id == MSG_EXITSTATE)
            HandleAttackEnded();
        else if (id == MSG_UPDATE)
            OnAttackingUpdate();
        else if (id == MSG_TICK)
            OnAttackingTick(static_cast<const gcMsgTick&>(msg));
        else if (id == MSG_BLOCK && m_pAttack && (m_pAttack->nFlags & gcCreatureAttack::kBlockable))
            To(ST_BLOCKING);
        else
            return Handled::kPass;
        return Handled::kTaken;
    case ST_BLOCKING:
        if (id == MSG_ENTERSTATE)
            Play(T::ANIM_BLOCK);
        else if (id == MSG_EXITSTATE)
            m_creatureTimeSince[TIMESINCE_BLOCK] = cTimeValue(0);
        else if (id == MSG_UNBLOCK)
            To(ST_UNKNOWN);
        else
            return Handled::kPass;
        return Handled::kTaken;
    case ST_DODGING:
        if (id != MSG_EXITSTATE)
            return Handled::kPass;
        m_creatureTimeSince[TIMESINCE_DODGE] = cTimeValue(0);
        return Handled::kTaken;
    default: return HandleLateStates(msg);
    }
}

gcPlayerBiped::Handled gcPlayerBiped::HandleLateStates(const gcMsg& msg)
{
    const int32_t id = msg.nMsgId;
    switch (m_nCurState) {
    case ST_RECOIL:
        if (id != MSG_ENTERSTATE)
            return Handled::kPass;
        PlayTimed(T::ANIM_RECOIL);
        return Handled::kTaken;
    case ST_PAIN:
        if (id != MSG_UPDATE)
            return Handled::kPass;
        OnPainUpdate();
        return Handled::kTaken;
    case ST_FALLING:
    case ST_SLIDING:
        if (id == MSG_ENTERSTATE) {
            ClearTarget();
            m_nextUpdate = cTimeValue(0);
            Play(m_nCurState == ST_FALLING ? T::ANIM_FALLING : T::ANIM_SLIDE);
        } else if (id == MSG_FACEDIR && m_nCurState == ST_SLIDING) {
            return gcPlayer::FaceDir(this, msg) ? Handled::kTaken : Handled::kRefused;
        } else {
            return Handled::kPass;
        }
        return Handled::kTaken;
    case ST_DYING:
        if (id == MSG_ENTERSTATE) {
            ClearTarget();
            PlayTimed(T::ANIM_DYING);
        } else if (id == MSG_UPDATE) {
            To(ST_DEAD);
        } else {
            return Handled::kPass;
        }
        return Handled::kTaken;
    case ST_DEAD:
        if (id == MSG_ENTERSTATE)
            Play(T::ANIM_DEAD);
        else if (id == MSG_UPDATE)
            To(ST_DEATH_END);
        else
            return Handled::kPass;
        return Handled::kTaken;
    case ST_DEATH_END:
        if (id != MSG_ENTERSTATE)
            return Handled::kPass;
        To(ST_DISABLED);
        return Handled::kTaken;
    default: return Handled::kPass;
    }
}

bool gcPlayerBiped::HandleCommon(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_TICK: OnTick(static_cast<const gcMsgTick&>(msg)); return true;
    case MSG_UPDATE: To(ST_UNKNOWN); return true;
    case MSG_POSTENTERSTATE:
        HandleAnimationStarted(m_pTarget);
        if (m_nEntityFlags & kInitialUpdatePending)
            HandleInitialUpdate();
        return true;
    case MSG_POSTEXITSTATE: HandleAnimationEnded(m_pTarget); return true;
    case MSG_DEACTIVATE:
    case MSG_FREEZE: return gcPlayer::Suspend(this, msg, ST_DISABLED);
    case MSG_MOVETOPOINT:
    case MSG_MOVETOPATH:
    case MSG_DETACHFROMPATH:
    case MSG_REVIVE: return HandleMoves(msg);
    default: return HandleCommands(msg);
    }
}

bool gcPlayerBiped::HandleMoves(const gcMsg& msg)
{
    if (msg.nMsgId != MSG_REVIVE)
        return HandlePathMessage(msg);
    OnRevive();
    return true;
}

bool gcPlayerBiped::HandleCommands(const gcMsg& msg)
{
    const int s = m_nCurState;
    const int32_t id = msg.nMsgId;
    for (const TargetWalk& w : kTargetWalks)
        if (id == w.nMsg) {
            if (s > ST_RUNNING)
                return false;
            To(w.nState);
            return true;
        }
    switch (id) {
    case MSG_STAND:
    case MSG_WALK:
    case MSG_RUN:
        if (s > ST_RUNNING)
            return false;
        To(id == MSG_STAND ? ST_STANDING : id == MSG_WALK ? ST_WALKING : ST_RUNNING);
        return true;
    case MSG_JUMP:
        if (s >= ST_WALKING)
            return false;
        To(ST_SJUMP_UP);
        return true;
    case MSG_FACEDIR:
        if (s > ST_DODGING)
            return false;
        return gcPlayer::FaceDir(this, msg);
    case MSG_ATTACK: {
        if (s > ST_ATTACKING || (m_nFlags & kGroundFlags))
            return false;
        const auto& m = static_cast<const gcMsgAttack&>(msg);
        if (Attack(m.nAttack, m.bChain, m.nBranch))
            To(ST_ATTACKING);
        return true;
    }
    case MSG_CANCELATTACK:
        if (s > ST_ATTACKING)
            return false;
        m_nCreatureFlags |= static_cast<const gcMsgCancelAttack&>(msg).nBranch ? kBranchBCancelled : kBranchACancelled;
        return true;
    case MSG_DEALDAMAGE: return s < ST_DYING && OnTakeDamage(static_cast<const gcMsgDealDamage&>(msg));
    case MSG_DODGELEFT:
    case MSG_DODGERIGHT: {
        if (s > ST_RUNNING)
            return false;
        const cTimeValue length = Play(id == MSG_DODGELEFT ? T::ANIM_DODGE_L : T::ANIM_DODGE_R);
        if (s != ST_DODGING)
            RequestState(ST_DODGING, length);
        return true;
    }
    case MSG_BLOCK:
        if (s > ST_RUNNING)
            return false;
        To(ST_BLOCKING);
        return true;
    case MSG_SETTARGET:
        if (s > ST_RUNNING)
            return false;
        OnSetTarget(msg);
        return true;
    case MSG_PLAYANIMATION: return gcPlayer::PlayByPriority(this, msg, kPriorityStates);
    case MSG_BLOCKED:
        if (s >= ST_RECOIL)
            return false;
        To(ST_RECOIL);
        return true;
    case MSG_STRAFEDIR:
        if (s >= ST_WALKING)
            return false;
        m_fStrafeDir = static_cast<const gcMsgStrafeDir&>(msg).fHeading;
        return true;
    case MSG_IDLE: return s <= ST_RUNNING && OnIdle(msg);
    case MSG_FORCESTAND:
        if (s > ST_ANIM_VERYHIGH)
            return false;
        m_model.ResetAnimationState();
        To(ST_STANDING);
        return true;
    default: return false;
    }
}

bool gcPlayerBiped::HandleDisabled(const gcMsg& msg)
{
    switch (msg.nMsgId) {
    case MSG_ENTERSTATE: Disable(); return true;
    case MSG_ACTIVATE:
    case MSG_UNFREEZE: gcPlayer::Resume(this, msg, m_pTemplate != nullptr); return true;
    case MSG_DEACTIVATE:
    case MSG_FREEZE: return gcPlayer::Suspend(this, msg, ST_DISABLED);
    case MSG_REVIVE:
    case MSG_MOVETOPOINT:
    case MSG_MOVETOPATH:
    case MSG_DETACHFROMPATH: return HandleMoves(msg);
    default: return false;
    }
}

void gcPlayerBiped::OnTick(const gcMsgTick& msg)
{
    if (msg.dT.m_nTicks > 0) {
        // Only Health has a maximum: the other stats start each tick at 1,
        // whatever the template's value, for scripts to scale.
        SetStat(gcEntityTemplate::STAT_MOVEMENT_SCALE, 1.0f);
        HandleTimeSince(msg.dT);
        if (m_pTarget && !IsValidTarget(m_pTarget, true)) {
            SetClosestTarget();
            if (IsStanding())
                RequestState(ST_STANDING, cTimeValue(0));
        }
        gcPlayer::Get()->m_pInteractTarget = FindInteractTarget();
        gcPlayer::RunTickScripts(this, msg);
    }
    Move(msg.dT);
    UpdateSound(msg.dT);
    SendAttached(msg);
}

void gcPlayerBiped::OnAttackingTick(const gcMsgTick& msg)
{
    mVec3 prev[gcCreatureAttack::kNumHelpers];
    for (int i = 0; i < gcCreatureAttack::kNumHelpers; ++i)
        GetAttackHelperPos(i, &prev[i]);
    OnTick(msg);
    UpdateAttack(prev);
}

void gcPlayerBiped::OnAttackingUpdate()
{
    if ((m_pNextAttackA && !(m_nCreatureFlags & kBranchACancelled)) ||
        (m_pNextAttackB && !(m_nCreatureFlags & kBranchBCancelled))) {
        m_nCreatureFlags |= kChained;
        RequestState(ST_ATTACKING, cTimeValue(0));
        return;
    }
    To(ST_UNKNOWN);
}

void gcPlayerBiped::OnSetTarget(const gcMsg& msg)
{
    const auto& m = static_cast<const gcMsgSetTarget&>(msg);
    switch (m.target) {
    case gcMsgSetTarget::CLOSEST: SetClosestTarget(); break;
    case gcMsgSetTarget::NEXT: SetNextTarget(); break;
    case gcMsgSetTarget::SPECIFIC:
        if (!m.pTarget || IsValidTarget(m.pTarget, false))
            SetTarget(m.pTarget);
        break;
    default: break;
    }
    if (IsStanding())
        RequestState(ST_STANDING, cTimeValue(0));
}

bool gcPlayerBiped::OnIdle(const gcMsg& msg)
{
    const int32_t nAnim = static_cast<const gcMsgIdle&>(msg).nAnim;
    if (nAnim < 0 || nAnim >= kNumIdles || !m_pTemplate)
        return false;
    const gcAnimationConfig& config = m_pTemplate->animationConfigs[T::ANIM_IDLE_1 + nAnim];
    if (m_pAnimationConfig && m_pAnimationConfig->hAnimation == config.hAnimation)
        return true;
    m_creatureTimeSince[TIMESINCE_IDLED] = cTimeValue(0);
    RequestState(ST_IDLING, PlayAnimation(&config));
    return true;
}

void gcPlayerBiped::OnRevive()
{
    if (GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f)
        return;
    SetStat(gcEntityTemplate::STAT_HEALTH, std::max(m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 0.0f));
    m_model.ResetAnimationState();
    if (IsActive())
        To(ST_UNKNOWN);
}

void gcPlayerBiped::OnPainUpdate()
{
    const cTimeValue since = m_creatureTimeSince[TIMESINCE_STUNNED];
    if (since < m_stunLength) {
        const cTimeValue length = Play(T::ANIM_STUNNED);
        const cTimeValue left = m_stunLength - since;
        RequestState(ST_PAIN, length > left ? length : left);
        return;
    }
    m_stunLength = cTimeValue(0);
    To(ST_UNKNOWN);
}

void gcPlayerBiped::OnInteract()
{
    if (gcEntity* pTarget = gcPlayer::Get()->m_pInteractTarget)
        HandleInteract(pTarget);
}
