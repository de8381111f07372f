#include "gcGameCore/actions/gcDoSetValue.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoSetValue, gcAction, 127)

const char* gcDoSetValue::GetOpText(int32_t op)
{
    static const char* const s_texts[MAX_OPS] = {"=", "+=", "-=", "*=", "/="};
    return op >= 0 && op < MAX_OPS ? s_texts[op] : "???";
}

gcDoSetValue::~gcDoSetValue()
{
    gcValue* const values[] = {pDest, pSource};
    DestroyValues(values, 2);
}

cBase* gcDoSetValue::Copy(cMemPool* pPool) const
{
    gcDoSetValue* pCopy = pPool ? pPool->New<gcDoSetValue>() : nullptr;
    if (!pCopy)
        return nullptr;
    const gcValue* const from[] = {pDest, pSource};
    gcValue* to[2] = {};
    if (!CopyValues(from, pPool, to, 2)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    pCopy->operation = operation;
    pCopy->pDest = static_cast<gcLValue*>(to[0]);  // a copy is of its original's class
    pCopy->pSource = to[1];
    return pCopy;
}

void gcDoSetValue::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(operation);
    wb.WriteBase(pDest);
    wb.WriteBase(pSource);
}

bool gcDoSetValue::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoSetValue", "version");
    const int32_t nOperation = rb.m_nVersion >= 2 ? rb.ReadInt() : OP_ASSIGN;
    const cType* const classes[] = {gcLValue::GetStaticType(), gcValue::GetStaticType()};
    gcValue* values[2] = {};
    if (!ReadValues(rb, pPool, classes, values, 2))
        return rb.Reject("gcDoSetValue", "values");
    gcValue* const old[] = {pDest, pSource};
    DestroyValues(old, 2);
    operation = nOperation;
    pDest = static_cast<gcLValue*>(values[0]);
    pSource = values[1];
    return true;
}

void gcDoSetValue::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, GetOpText(operation));
}

const gcValue* gcDoSetValue::GetChildByIndex(int i) const
{
    return i == 0 ? pDest : i == 1 ? pSource : nullptr;
}

void gcDoSetValue::DoAction(const gcEventParams& params) const
{
    if (!pDest || !pSource)
        return;
    const float fSource = pSource->Get(params);
    if (operation == OP_ASSIGN) {
        pDest->Set(fSource, params);
        return;
    }
    const float fCurrent = pDest->Get(params);
    switch (operation) {
    case OP_ASSIGN_INC: pDest->Set(fCurrent + fSource, params); return;
    case OP_ASSIGN_DEC: pDest->Set(fCurrent - fSource, params); return;
    case OP_ASSIGN_MUL: pDest->Set(fCurrent * fSource, params); return;
    case OP_ASSIGN_DIV: pDest->Set(fCurrent / fSource, params); return;
    default: return;
    }
}
