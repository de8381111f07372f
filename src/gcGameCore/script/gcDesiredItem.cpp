#include "gcGameCore/script/gcDesiredItem.h"

#include <iterator>

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredItem::Read(const cReadBlock& rb, cMemPool* pPool)
{
    desiredItem = rb.ReadInt();
    hSpecificItemTemplate.Read(rb, pPool);
}

void gcDesiredItem::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(desiredItem);
    hSpecificItemTemplate.Write(wb);
}

void gcDesiredItem::GetText(char* pBuf) const
{
    static const char* const s_texts[] = {"Initiator", "Participant1", "Participant2", "CombineItem1"};
    if (desiredItem == SPECIFIC)
        gcScriptText::Append(pBuf, hSpecificItemTemplate.IsNull() ? "[none]" : "[???]");
    else if (desiredItem >= 0 && desiredItem < static_cast<int32_t>(std::size(s_texts)))
        gcScriptText::Append(pBuf, s_texts[desiredItem]);
}

gcItem* gcDesiredItem::GetItem(const gcEventParams& params, bool) const
{
    switch (desiredItem) {
    case INITIATOR:
        return dcast<gcItem>(params.pInitiator);
    case PARTICIPANT1:
        return dcast<gcItem>(params.pParticipant1);
    case PARTICIPANT2:
        return dcast<gcItem>(params.pParticipant2);
    default:
        return nullptr;  // SPECIFIC names a template, not an item
    }
}
