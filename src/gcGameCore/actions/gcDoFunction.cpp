#include "gcGameCore/actions/gcDoFunction.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoFunction, gcAction, 148)

gcDoFunction::~gcDoFunction()
{
    DestroyValues(&pValue, 1);
}

cBase* gcDoFunction::Copy(cMemPool* pPool) const
{
    gcDoFunction* pCopy = pPool ? pPool->New<gcDoFunction>() : nullptr;
    if (pCopy && !CopyValues(&pValue, pPool, &pCopy->pValue, 1)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

void gcDoFunction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBase(pValue);
}

bool gcDoFunction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoFunction", "version");
    const cType* pClass = gcValue::GetStaticType();
    gcValue* pNew = nullptr;
    if (!ReadValues(rb, pPool, &pClass, &pNew, 1))
        return rb.Reject("gcDoFunction", "value");
    DestroyValues(&pValue, 1);
    pValue = pNew;
    return true;
}

void gcDoFunction::GetText(char* pBuf) const
{
    if (pValue)
        pValue->GetText(pBuf);
    else
        gcScriptText::Append(pBuf, "???");
}

void gcDoFunction::GetTextRecursive(char* pBuf) const
{
    if (pValue)
        pValue->GetTextRecursive(pBuf);
    else
        GetText(pBuf);
}

void gcDoFunction::DoAction(const gcEventParams& params) const
{
    if (pValue)
        pValue->Get(params);
}
