#include "gcGameCore/actions/gcDoFunction.h"

#include <memory>

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
    WriteValueBlock(file, kVersion, pValue);
}

bool gcDoFunction::Read(const cFile& file, cMemPool* pPool)
{
    return ReadValueBlock(file, pPool, kVersion, &pValue);
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
