#include "gcGameCore/values/gcValEventVar.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValEventVar, gcLValue, 179)

cBase* gcValEventVar::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEventVar>(*this) : nullptr;
}

void gcValEventVar::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(static_cast<int32_t>(varType));
    wb.WriteInt(nIndex);
}

bool gcValEventVar::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    // Version 1 knew only the parameters.
    const int32_t nType = rb.m_nVersion >= 2 ? rb.ReadInt() : VAR_INVALUE;
    const int32_t index = rb.ReadInt();
    if (rb.Failed())
        return false;
    // Values outside the enumeration or 0..1 are kept as stored: they read
    // 0.0 and ignore assignments.
    varType = static_cast<gcEventVarType>(nType);
    nIndex = index;
    return true;
}

float* gcValEventVar::FrameSlot() const
{
    gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
    if (!pFrame)
        return nullptr;
    if (varType == VAR_RETVAL)
        return &pFrame->fRetVal;
    // Data may hold any index; only two of each exist.
    if (nIndex < 0 || nIndex >= kIndexCount)
        return nullptr;
    if (varType == VAR_INVALUE)
        return &pFrame->fInValues[nIndex];
    if (varType == VAR_TEMP)
        return &pFrame->fTemps[nIndex];
    return nullptr;
}

float gcValEventVar::Get(const gcEventParams& params) const
{
    switch (varType) {
    case VAR_EVENTHANDLED:
        return params.bHandled ? 1.0f : 0.0f;
    case VAR_EVENTID:
        return static_cast<float>(params.nEventId);
    case VAR_MESSAGEID:
        return static_cast<float>(params.nMessageId);
    default: {
        const float* pSlot = FrameSlot();
        return pSlot ? *pSlot : 0.0f;
    }
    }
}

void gcValEventVar::Set(float fValue, const gcEventParams& params)
{
    if (varType == VAR_EVENTHANDLED) {
        params.bHandled = fValue != 0.0f;  // the one writable field of the parameters
        return;
    }
    if (float* pSlot = FrameSlot())
        *pSlot = fValue;
}

void gcValEventVar::GetText(char* pBuf) const
{
    // 64-bit, so that the 1-based index of any stored index is exact.
    const long long nShown = nIndex + 1LL;
    if (varType == VAR_INVALUE)
        gcScriptText::AppendF(pBuf, "[Param%lld]", nShown);
    else if (varType == VAR_TEMP)
        gcScriptText::AppendF(pBuf, "[Temp%lld]", nShown);
    else
        gcScriptText::Append(pBuf, GetVarTypeText(varType));
}

const char* gcValEventVar::GetVarTypeText(int type)
{
#define QM_EVENT_VAR_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_VARTYPES] = {QM_EVENT_VAR_TYPES(QM_EVENT_VAR_TEXT)};
#undef QM_EVENT_VAR_TEXT
    return type >= 0 && type < MAX_VARTYPES ? s_texts[type] : "[???]";
}
