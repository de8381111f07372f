#include "gcGameCore/actions/gcDoReturn.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
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
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteBase(pValue);
}

bool gcDoReturn::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoReturn", "version");
    const cType* pClass = gcValue::GetStaticType();
    gcValue* pNew = nullptr;
    if (!ReadValues(rb, pPool, &pClass, &pNew, 1))
        return rb.Reject("gcDoReturn", "value");
    DestroyValues(&pValue, 1);
    pValue = pNew;
    return true;
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
