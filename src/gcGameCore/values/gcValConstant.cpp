#include "gcGameCore/values/gcValConstant.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValConstant, gcValue, 253)

cBase* gcValConstant::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValConstant>(*this) : nullptr;
}

void gcValConstant::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    hConstant.Write(wb);
}

bool gcValConstant::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcConstantHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    hConstant = h;
    return true;
}

float gcValConstant::Get(const gcEventParams&) const
{
    const gcConstant* p = gcConstantMgr::GetPtr(hConstant);
    return p ? p->m_fValue : 0.0f;
}

void gcValConstant::GetText(char* pBuf) const
{
    const gcConstant* p = gcConstantMgr::GetPtr(hConstant);
    gcScriptText::AppendF(pBuf, "{%s}", p ? p->m_name.m_sData : "???");
}
