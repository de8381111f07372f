#include "gcGameCore/script/gcDesiredValue.h"

#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"

void gcDesiredValue::Read(const cReadBlock& rb, cMemPool* pPool)
{
    desiredValue = rb.ReadInt();
    if (desiredValue == VAL_NUMBER)
        fConst = rb.ReadFloat();
    hSpecificKeyValue.Read(rb, pPool);
    if (desiredValue == VAL_CONSTANT)
        hSpecificConstant.Read(rb, pPool);
    nParamIndex = rb.ReadInt();
}

void gcDesiredValue::Write(const cWriteBlock& wb) const
{
    wb.WriteInt(desiredValue);
    if (desiredValue == VAL_NUMBER)
        wb.WriteFloat(fConst);
    hSpecificKeyValue.Write(wb);
    if (desiredValue == VAL_CONSTANT)
        hSpecificConstant.Write(wb);
    wb.WriteInt(nParamIndex);
}

// The frame's slot nParamIndex of one of its two arrays; null when there is
// no frame or the index is outside it (data may hold any index).
static const float* FrameSlot(const float (gcEventStackData::*array)[gcDesiredValue::kNumParams], int32_t nIndex)
{
    const gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pFrame || nIndex < 0 || nIndex >= gcDesiredValue::kNumParams)
        return nullptr;
    return &(pFrame->*array)[nIndex];
}

float gcDesiredValue::GetValue() const
{
    switch (desiredValue) {
    case VAL_INVALUE:
    case VAL_TEMP: {
        const float* p = FrameSlot(desiredValue == VAL_TEMP ? &gcEventStackData::fTemps : &gcEventStackData::fInValues,
                                   nParamIndex);
        return p ? *p : 0.0f;
    }
    case VAL_NUMBER:
        return fConst;
    case VAL_CONSTANT: {
        const gcConstant* p = gcConstantMgr::GetPtr(hSpecificConstant);
        return p ? p->m_fValue : 0.0f;
    }
    default: {
        const gcKeyValue* p = gcKeyValueMgr::GetPtr(hSpecificKeyValue);
        return p ? p->m_fValue : 0.0f;
    }
    }
}

void gcDesiredValue::GetText(char* pBuf) const
{
    switch (desiredValue) {
    case VAL_INVALUE:
        gcScriptText::AppendF(pBuf, "[Param%lld]", static_cast<long long>(nParamIndex) + 1);
        return;
    case VAL_TEMP:
        gcScriptText::AppendF(pBuf, "[Temp%lld]", static_cast<long long>(nParamIndex) + 1);
        return;
    case VAL_NUMBER:
        gcScriptText::AppendF(pBuf, "%g", static_cast<double>(fConst));
        return;
    case VAL_CONSTANT: {
        const gcConstant* p = gcConstantMgr::GetPtr(hSpecificConstant);
        gcScriptText::AppendF(pBuf, "{%s}", p ? p->m_name.m_sData : "???");
        return;
    }
    default: {
        const gcKeyValue* p = gcKeyValueMgr::GetPtr(hSpecificKeyValue);
        gcScriptText::AppendF(pBuf, "[%s]", p ? p->m_name.m_sData : "???");
        return;
    }
    }
}

const char* gcDesiredValue::GetValueTypeText(int32_t type)
{
    switch (type) {
    case VAL_INVALUE: return "Param";
    case VAL_TEMP: return "Temp";
    case VAL_NUMBER: return "Number";
    case VAL_CONSTANT: return "Constant";
    default: return "KeyValue";
    }
}
