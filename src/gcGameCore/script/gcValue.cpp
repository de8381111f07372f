#include "gcGameCore/script/gcValue.h"

#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_ABSTRACT_TYPE(gcValue, cBase, 82)

void gcValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
}

bool gcValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcValue", "version");
    cBase::Read(file, pPool);
    return !rb.Failed();
}

void gcValue::GetText(char* pBuf) const
{
    const char* sName = GetType()->GetFriendlyName();
    gcScriptText::Append(pBuf, std::strlen(sName) >= 3 ? sName + 3 : "");
}

void gcValue::GetTextRecursive(char* pBuf) const
{
    gcScriptText::AppendRecursive(*this, pBuf);
}
