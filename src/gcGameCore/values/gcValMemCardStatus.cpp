#include "gcGameCore/values/gcValMemCardStatus.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValMemCardStatus, gcValue, 167)

cBase* gcValMemCardStatus::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValMemCardStatus>(status) : nullptr;
}

void gcValMemCardStatus::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(status);
}

bool gcValMemCardStatus::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    const int32_t s = rb.ReadInt();
    if (rb.Failed())
        return false;
    status = s;
    return true;
}

float gcValMemCardStatus::Get(const gcEventParams&) const
{
    return static_cast<int32_t>(eMemCard::s_status) == status ? 1.0f : 0.0f;
}

void gcValMemCardStatus::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "MemCard.Status == [");
    gcScriptText::Append(pBuf, eMemCard::GetStatusText(status));
    gcScriptText::Append(pBuf, "]");
}
