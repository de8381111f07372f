#include "gcGameCore/script/gcDesiredEffect.h"

#include <iterator>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredEffect::Read(const cReadBlock& rb, cMemPool* pPool)
{
    desiredEffect = rb.ReadInt();
    hSpecificEffect.Read(rb, pPool);
}

void gcDesiredEffect::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(desiredEffect);
    hSpecificEffect.Write(wb);
}

void gcDesiredEffect::GetText(char* pBuf) const
{
    static const char* const s_texts[] = {"Initiator", "Participant1", "Participant2"};
    if (desiredEffect == SPECIFIC) {
        const gcEffect* p = gcEffectMgr::GetPtr(hSpecificEffect);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
    } else if (desiredEffect >= 0 && desiredEffect < static_cast<int32_t>(std::size(s_texts))) {
        gcScriptText::Append(pBuf, s_texts[desiredEffect]);
    }
}

gcEffect* gcDesiredEffect::GetEffect(const gcEventParams& params, const cType* pType) const
{
    cBase* p = nullptr;
    switch (desiredEffect) {
    case INITIATOR: p = params.pInitiator; break;
    case PARTICIPANT1: p = params.pParticipant1; break;
    case PARTICIPANT2: p = params.pParticipant2; break;
    case SPECIFIC: p = gcEffectMgr::GetPtr(hSpecificEffect); break;
    default: break;
    }
    gcEffect* pEffect = dcast<gcEffect>(p);
    return (pEffect && (!pType || pEffect->GetType()->IsA(pType))) ? pEffect : nullptr;
}
