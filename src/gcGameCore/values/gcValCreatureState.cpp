#include "gcGameCore/values/gcValCreatureState.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCreatureState, gcValue, 134)

cBase* gcValCreatureState::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCreatureState>(*this) : nullptr;
}

void gcValCreatureState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredCreature.Write(wb);
    wb.WriteInt(state);
}

bool gcValCreatureState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity creature;
    creature.Read(rb, pPool);
    const int32_t s = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredCreature = creature;
    state = s;
    return true;
}

// The creature's answer for the state; false outside the table.
static bool IsInState(const gcCreature& c, int32_t state)
{
    switch (state) {
    case gcValCreatureState::STATE_ALIVE: return c.m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] > 0.0f;
    case gcValCreatureState::STATE_DYING: return c.IsDying();
    case gcValCreatureState::STATE_WALKING: return c.IsWalking();
    case gcValCreatureState::STATE_RUNNING: return c.IsRunning();
    case gcValCreatureState::STATE_JUMPING: return c.IsJumping();
    case gcValCreatureState::STATE_ATTACKING: return c.IsAttacking();
    case gcValCreatureState::STATE_DODGING: return c.IsDodging();
    case gcValCreatureState::STATE_BLOCKING: return c.IsBlocking();
    case gcValCreatureState::STATE_FALLING: return c.IsFalling();
    case gcValCreatureState::STATE_ONPATH: return c.IsOnPath();
    case gcValCreatureState::STATE_BLINDED: return c.IsBlinded();
    case gcValCreatureState::STATE_STUNNED: return c.IsStunned();
    case gcValCreatureState::STATE_ENRAGED: return (c.m_nCreatureFlags & gcCreature::kEnraged) != 0;
    case gcValCreatureState::STATE_STANDING: return c.IsStanding();
    case gcValCreatureState::STATE_IDLING: return c.IsIdling();
    default: return false;
    }
}

float gcValCreatureState::Get(const gcEventParams& params) const
{
    const gcCreature* pCreature = desiredCreature.GetEntityAs<gcCreature>(params);
    return pCreature && IsInState(*pCreature, state) ? 1.0f : 0.0f;
}

void gcValCreatureState::GetText(char* pBuf) const
{
    desiredCreature.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetStateText(state));
}

const char* gcValCreatureState::GetStateText(int32_t s)
{
#define QM_CREATURE_STATE_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_STATES] = {QM_CREATURE_STATES(QM_CREATURE_STATE_TEXT)};
#undef QM_CREATURE_STATE_TEXT
    return s >= 0 && s < MAX_STATES ? s_texts[s] : "???";
}
