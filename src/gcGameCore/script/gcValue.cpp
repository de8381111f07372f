#include "gcGameCore/script/gcValue.h"

#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcLValue.h"
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

float gcValue::GetOperand(const gcValue* pValue, const gcEventParams& params)
{
    return pValue ? pValue->Get(params) : 0.0f;
}

thread_local uint32_t gcValue::s_nReadOutOfRoom = 0;

// One member after its type id: the value, or null when it was not read (a
// member of another class or one that refused its data fails the file).
// *pbFull reports a pool that could not hold it.
static gcValue* ReadOperand(const cReadBlock& rb, int32_t nId, cMemPool* pPool, bool* pbFull)
{
    const cType* pType = cType::Find(nId);
    if (!pType || !pType->m_pNewFunc || !pType->IsA(gcValue::GetStaticType())) {
        rb.m_file.Fail("gcValue: type id %d (%s) before %u is no value class", nId,
                       pType ? pType->m_sTypeName : "not registered", rb.m_file.GetCurrentPos());
        return nullptr;
    }
    gcValue* pNew = static_cast<gcValue*>(pType->m_pNewFunc(pPool));
    if (!pNew) {
        ++gcValue::s_nReadOutOfRoom;
        *pbFull = true;
        return nullptr;
    }
    // One that ran out of room inside would change what the script
    // computes, so it fails its owner's read; a refused one is a damaged
    // file.
    const uint32_t nOutOfRoom = gcValue::s_nReadOutOfRoom;
    if (!pNew->Read(rb.m_file, pPool)) {
        if (gcValue::s_nReadOutOfRoom != nOutOfRoom)
            *pbFull = true;
        else
            rb.m_file.Fail("gcValue: a %s operand refused its data", pType->m_sTypeName);
        std::destroy_at(pNew);
        return nullptr;
    }
    return pNew;
}

bool gcValue::ReadOperands(const cReadBlock& rb, cMemPool* pPool, gcValue** ppOut, int count)
{
    for (int i = 0; i < count; ++i)
        ppOut[i] = nullptr;
    bool bFull = false;
    for (int i = 0; i < count && !bFull && !rb.Failed(); ++i) {
        const int32_t nId = rb.ReadInt();
        if (nId != -1 && !rb.Failed())
            ppOut[i] = ReadOperand(rb, nId, pPool, &bFull);
    }
    if (bFull) {
        cLogError_("gcValue: no room for an operand from \"%s\"", rb.m_file.m_filename.m_sData);
        DestroyOperands(ppOut, count);
    }
    return !bFull;
}

void gcValue::WriteOperands(const cWriteBlock& wb, const gcValue* const* ppValues, int count)
{
    for (int i = 0; i < count; ++i)
        wb.WriteBase(ppValues[i]);
}

gcValue* gcValue::CopyOperand(const gcValue* pValue, cMemPool* pPool)
{
    return pValue && pPool ? static_cast<gcValue*>(pValue->Copy(pPool)) : nullptr;
}

gcValue* gcValue::WholeCopy(gcValue* pCopy, const gcValue* const* ppFrom, const gcValue* const* ppTo, int count)
{
    if (!pCopy)
        return nullptr;
    for (int i = 0; i < count; ++i) {
        if (ppFrom[i] && !ppTo[i]) {
            cLogError_("gcValue: an operand of a %s could not be copied; no copy made", pCopy->GetType()->m_sTypeName);
            std::destroy_at(pCopy);
            return nullptr;
        }
    }
    return pCopy;
}

void gcValue::DestroyOperands(gcValue** ppValues, int count)
{
    for (int i = 0; i < count; ++i) {
        if (ppValues[i])
            std::destroy_at(ppValues[i]);  // the memory stays with the pool
        ppValues[i] = nullptr;
    }
}

bool gcValue::ReadFrame(const cReadBlock& rb, cMemPool* pPool, uint32_t nMin, uint32_t nMax)
{
    const char* sClass = GetType()->m_sTypeName;
    if (rb.m_nVersion < nMin || rb.m_nVersion > nMax)
        return rb.Reject(sClass, "version");
    // Assignable classes begin with the gcLValue block.
    gcLValue* pAssignable = dcast<gcLValue>(this);
    const bool bBase = pAssignable ? pAssignable->gcLValue::Read(rb.m_file, pPool) : gcValue::Read(rb.m_file, pPool);
    if (!bBase)
        return rb.Reject(sClass, "value block");
    return true;
}

int32_t gcValue::TruncToInt(double d)
{
    if (!(d > -2147483648.0))
        return INT32_MIN;
    if (!(d < 2147483647.0))
        return INT32_MAX;
    return static_cast<int32_t>(d);
}

int32_t gcValue::RoundToInt(float x)
{
    const double d = static_cast<double>(x);
    return TruncToInt(x < 0.0f ? d - 0.5 : d + 0.5);
}
