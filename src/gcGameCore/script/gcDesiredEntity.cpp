#include "gcGameCore/script/gcDesiredEntity.h"

#include <iterator>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredEntity::Read(const cReadBlock& rb, cMemPool* pPool)
{
    desiredEntity = rb.ReadInt();
    hSpecificEntity.Read(rb, pPool);
}

void gcDesiredEntity::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(desiredEntity);
    hSpecificEntity.Write(wb);
}

void gcDesiredEntity::GetText(char* pBuf) const
{
    static const char* const s_texts[] = {
        "Player", "Initiator", "Participant1", "Participant2", nullptr,
        "Initiator.Leader", "Initiator.Neighbor1", "Initiator.Neighbor2",
        "Participant1.Leader", "Participant1.Neighbor1", "Participant1.Neighbor2",
        "Player.InteractTarget", "Player.Target", "Initiator.Target", "Participant1.Target", "Participant2.Target",
    };
    if (desiredEntity == SPECIFIC) {
        const gcEntity* p = gcEntityMgr::GetPtr(hSpecificEntity);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else if (desiredEntity >= 0 && desiredEntity < static_cast<int32_t>(std::size(s_texts))) {
        gcScriptText::Append(pBuf, s_texts[desiredEntity]);
    }
}

// The creature's target; with bActiveOnly none while the target is
// deactivated or frozen.
static gcEntity* TargetOf(gcEntity* pEntity, bool bActiveOnly)
{
    const gcCreature* pCreature = dcast<gcCreature>(pEntity);
    gcEntity* pTarget = pCreature ? pCreature->m_pTarget : nullptr;
    return pTarget && (!bActiveOnly || pTarget->IsActive()) ? pTarget : nullptr;
}

static gcEntity* NeighborOf(const gcEntity* pEntity, int i)
{
    return pEntity ? gcEntityMgr::GetPtr(pEntity->m_hNeighbors[i]) : nullptr;
}

static gcEntity* LeaderOf(const gcEntity* pEntity)
{
    return pEntity ? pEntity->GetGroupLeader() : nullptr;
}

gcEntity* gcDesiredEntity::GetEntity(const gcEventParams& params, const cType* pType, bool bStrict) const
{
    // The cast applies to the objects a selector goes through as well as to
    // the result: with bStrict, an initiator whose leader is asked for must
    // itself be of the type.
    const cType* pWanted = pType ? pType : gcEntity::GetStaticType();
    const auto cast = [&](cBase* pObject) -> gcEntity* {
        gcEntity* p = dcast<gcEntity>(pObject);
        return p && bStrict && !p->GetType()->IsA(pWanted) ? nullptr : p;
    };
    gcEntity* pPlayer = cast(gcPlayer::Get()->m_pEntity);
    gcEntity* pInitiator = cast(params.pInitiator);
    gcEntity* pFirst = cast(params.pParticipant1);
    gcEntity* p = nullptr;
    switch (desiredEntity) {
    case PLAYER: p = pPlayer; break;
    case INITIATOR: p = pInitiator; break;
    case PARTICIPANT1: p = pFirst; break;
    case PARTICIPANT2: p = cast(params.pParticipant2); break;
    case SPECIFIC: p = gcEntityMgr::GetPtr(hSpecificEntity); break;
    case INITIATOR_LEADER: p = LeaderOf(pInitiator); break;
    case INITIATOR_NEIGHBOR1: p = NeighborOf(pInitiator, 0); break;
    case INITIATOR_NEIGHBOR2: p = NeighborOf(pInitiator, 1); break;
    case PARTICIPANT1_LEADER: p = LeaderOf(pFirst); break;
    case PARTICIPANT1_NEIGHBOR1: p = NeighborOf(pFirst, 0); break;
    case PARTICIPANT1_NEIGHBOR2: p = NeighborOf(pFirst, 1); break;
    case PLAYER_INTERACT_TARGET: p = gcPlayer::Get()->m_pInteractTarget; break;
    case PLAYER_TARGET: p = TargetOf(pPlayer, false); break;  // the player keeps a frozen target
    case INITATOR_TARGET: p = TargetOf(pInitiator, true); break;
    case PARTICIPANT1_TARGET: p = TargetOf(pFirst, true); break;
    case PARTICIPANT2_TARGET: p = TargetOf(cast(params.pParticipant2), true); break;
    default: return nullptr;
    }
    return cast(p);
}
