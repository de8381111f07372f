#include "gcGameCore/values/gcValEntityState.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEntityState, gcValue, 220)

cBase* gcValEntityState::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityState>(*this) : nullptr;
}

void gcValEntityState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(state);
}

bool gcValEntityState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t s = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    state = s;
    return true;
}

// The entity's answer for the state; false outside the table.
static bool IsInState(const gcEntity& e, int32_t state)
{
    switch (state) {
    case gcValEntityState::STATE_ALIVE: return e.m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] > 0.0f;
    case gcValEntityState::STATE_DYING: return e.IsDying();
    case gcValEntityState::STATE_ONPATH: return e.IsOnPath();
    case gcValEntityState::STATE_LEADER: return (e.m_nEntityFlags & gcEntity::kGroupLeader) != 0;
    case gcValEntityState::STATE_INVULNERABLE: return (e.m_nEntityFlags & gcEntity::kInvulnerable) != 0;
    case gcValEntityState::STATE_IDLING: return e.IsIdling();
    default: return false;
    }
}

float gcValEntityState::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    return pEntity && IsInState(*pEntity, state) ? 1.0f : 0.0f;
}

void gcValEntityState::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetStateText(state));
}

const char* gcValEntityState::GetStateText(int32_t s)
{
    static const char* const s_texts[MAX_STATES] = {"IsAlive",  "IsDying",        "IsOnPath",
                                                    "IsLeader", "IsInvulnerable", "IsIdling"};
    return s >= 0 && s < MAX_STATES ? s_texts[s] : "???";
}
