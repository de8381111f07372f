#include "gcGameCore/values/gcValKeyValue.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValKeyValue, gcLValue, 109)

cBase* gcValKeyValue::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValKeyValue>(*this) : nullptr;
}

void gcValKeyValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    hKeyValue.Write(wb);
}

bool gcValKeyValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcKeyValueHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    hKeyValue = h;
    return true;
}

float gcValKeyValue::Get(const gcEventParams&) const
{
    const gcKeyValue* p = gcKeyValueMgr::GetPtr(hKeyValue);
    return p ? p->m_fValue : 0.0f;
}

void gcValKeyValue::GetText(char* pBuf) const
{
    const gcKeyValue* p = gcKeyValueMgr::GetPtr(hKeyValue);
    gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
}

void gcValKeyValue::Set(float fValue, const gcEventParams&)
{
    if (gcKeyValue* p = gcKeyValueMgr::GetPtr(hKeyValue))
        p->m_fValue = fValue;
}
