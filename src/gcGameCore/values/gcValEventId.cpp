#include "gcGameCore/values/gcValEventId.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEventId, gcValue, 250)

cBase* gcValEventId::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEventId>(*this) : nullptr;
}

void gcValEventId::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(static_cast<int32_t>(eventId));
}

bool gcValEventId::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t id = rb.ReadInt();
    if (rb.Failed())
        return false;
    eventId = static_cast<gcMsgEvent::gcEventId>(id);  // kept as stored; "???" outside
    return true;
}

float gcValEventId::Get(const gcEventParams&) const
{
    return static_cast<float>(eventId);
}

void gcValEventId::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "[%s]", GetEventIdText(eventId));
}
