#include "gcGameCore/script/gcFunction.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcFunction.h"
#include "cCore/cMemPool.h"

QM_DEFINE_TYPE(gcFunction, cObject, 146)

gcFunction::gcFunction() : onCalled("OnCalled", m_name.m_sData) {}

void gcFunction::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    onCalled.Write(file);
}

bool gcFunction::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcFunction", "version");
    cObject name;
    gcEvent called;
    const bool bRead = name.Read(file, pPool) && called.Read(file, pPool);
    if (rb.Failed())
        return false;
    if (!bRead)
        return rb.Reject("gcFunction", "name or event block");
    m_name = name.m_name;
    std::swap(onCalled.pAction, called.pAction);
    return true;
}

float gcFunction::Call(const gcEventParams& params, float fParam1, float fParam2) const
{
    gcEventStackData frame(fParam1, fParam2);
    return onCalled.Apply(params, frame);
}

float gcFunction::Call(gcFunctionHandle hFunction, const gcEventParams& params, float fParam1, float fParam2)
{
    const gcFunction* pFunction = gcFunctionMgr::GetPtr(hFunction);
    return pFunction ? pFunction->Call(params, fParam1, fParam2) : 0.0f;
}

QM_DEFINE_GROUP(gcFunctionGroup, 147)
