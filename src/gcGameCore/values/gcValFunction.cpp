#include "gcGameCore/values/gcValFunction.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValFunction, gcValue, 177)

gcValFunction::gcValFunction(const gcValFunction& other) : gcValue(other), hFunction(other.hFunction)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    for (int i = 0; i < kMaxParams; ++i)
        pParams[i] = CopyOperand(other.pParams[i], pPool);
}

gcValFunction::~gcValFunction()
{
    DestroyOperands(pParams, kMaxParams);
}

cBase* gcValFunction::Copy(cMemPool* pPool) const
{
    gcValFunction* pCopy = pPool ? pPool->New<gcValFunction>(*this) : nullptr;
    const gcValue* from[kMaxParams];
    const gcValue* to[kMaxParams];
    for (int i = 0; i < kMaxParams; ++i) {
        from[i] = pParams[i];
        to[i] = pCopy ? pCopy->pParams[i] : nullptr;
    }
    return WholeCopy(pCopy, from, to, kMaxParams);
}

void gcValFunction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    hFunction.Write(wb);
    wb.WriteInt(static_cast<int32_t>(kMaxParams));
    WriteOperands(wb, pParams, kMaxParams);
}

bool gcValFunction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcFunctionHandle h;
    h.Read(rb, pPool);
    const int32_t nCount = rb.m_nVersion >= 2 ? rb.ReadInt() : 1;
    if (!rb.Failed() && (nCount < 0 || nCount > kMaxParams))
        return rb.Reject("gcValFunction", "parameter count");
    gcValue* params[kMaxParams] = {nullptr, nullptr};
    if (!ReadOperands(rb, pPool, params, nCount))
        return rb.Reject("gcValFunction", "parameter (pool full)");
    if (rb.Failed()) {
        DestroyOperands(params, kMaxParams);
        return false;
    }
    DestroyOperands(pParams, kMaxParams);
    std::copy_n(params, kMaxParams, pParams);
    hFunction = h;
    return true;
}

float gcValFunction::Get(const gcEventParams& params) const
{
    const gcFunction* pFunction = gcFunctionMgr::GetPtr(hFunction);
    if (!pFunction)
        return 0.0f;
    // In slot order, before the call.
    const float fParam1 = GetOperand(pParams[0], params);
    const float fParam2 = GetOperand(pParams[1], params);
    return pFunction->Call(params, fParam1, fParam2);
}

void gcValFunction::GetText(char* pBuf) const
{
    const gcFunction* pFunction = gcFunctionMgr::GetPtr(hFunction);
    gcScriptText::AppendF(pBuf, "[%s]", pFunction ? pFunction->m_name.m_sData : "???");
}

unsigned gcValFunction::GetTextFlags() const
{
    return gcScriptText::kParentheses | gcScriptText::kFunction;
}

const gcValue* gcValFunction::GetChildByIndex(int i) const
{
    return i >= 0 && i < kMaxParams ? pParams[i] : nullptr;
}

bool gcValFunction::AddParam(gcValue* pValue)
{
    for (gcValue*& pSlot : pParams) {
        if (!pSlot) {
            pSlot = pValue;
            return true;
        }
    }
    return false;
}
