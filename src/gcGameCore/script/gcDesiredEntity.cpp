#include "gcGameCore/script/gcDesiredEntity.h"

#include <iterator>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
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
