#include "gcGameCore/actions/gcDoReturn.h"

#include <memory>

#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoReturn, gcAction, 178)

gcDoReturn::~gcDoReturn()
{
    DestroyValues(&pValue, 1);
}

cBase* gcDoReturn::Copy(cMemPool* pPool) const
{
    gcDoReturn* pCopy = pPool ? pPool->New<gcDoReturn>() : nullptr;
    if (pCopy && !CopyValues(&pValue, pPool, &pCopy->pValue, 1)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

void gcDoReturn::Write(const cFile& file) const
{
    WriteValueBlock(file, kVersion, pValue);
}

bool gcDoReturn::Read(const cFile& file, cMemPool* pPool)
{
    return ReadValueBlock(file, pPool, kVersion, &pValue);
}

void gcDoReturn::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "return");
}

void gcDoReturn::GetTextRecursive(char* pBuf) const
{
    GetText(pBuf);
    if (pValue) {
        gcScriptText::Append(pBuf, " ");
        pValue->GetTextRecursive(pBuf);
    }
}

void gcDoReturn::DoAction(const gcEventParams& params) const
{
    gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pFrame)
        return;
    if (pValue)
        pFrame->fRetVal = pValue->Get(params);
    pFrame->nFlags |= gcEventStackData::kReturn;
}
