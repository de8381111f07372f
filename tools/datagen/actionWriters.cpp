#include "datagen/actionWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoFunction.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/actions/gcDoSetValue.h"

namespace datagen {

// A default T in the pool; null (logged) when it does not fit.
template <class T>
static T* NewAction(cMemPool* pPool)
{
    T* p = pPool ? pPool->New<T>() : nullptr;
    if (!p)
        cLogError_("datagen: no room for a %s", T::GetStaticType()->m_sTypeName);
    return p;
}

static gcAction* Chain(const std::vector<gcAction*>& actions)
{
    gcAction* pFirst = nullptr;
    for (auto it = actions.rbegin(); it != actions.rend(); ++it)
        if (*it) {
            (*it)->pNextAction = pFirst;
            pFirst = *it;
        }
    return pFirst;
}

gcDoEvaluation* NewEvaluation(cMemPool* pPool, gcValue* pCondition, const std::vector<gcAction*>& trueList,
                              const std::vector<gcAction*>& falseList)
{
    gcDoEvaluation* p = NewAction<gcDoEvaluation>(pPool);
    if (p) {
        p->pEvaluation = pCondition;
        p->pTrueAction = Chain(trueList);
        p->pFalseAction = Chain(falseList);
    }
    return p;
}

gcDoFunction* NewDoFunction(cMemPool* pPool, gcValue* pValue)
{
    gcDoFunction* p = NewAction<gcDoFunction>(pPool);
    if (p)
        p->pValue = pValue;
    return p;
}

gcDoReturn* NewReturn(cMemPool* pPool, gcValue* pValue)
{
    gcDoReturn* p = NewAction<gcDoReturn>(pPool);
    if (p)
        p->pValue = pValue;
    return p;
}

gcDoSetValue* NewSetValue(cMemPool* pPool, int32_t operation, gcLValue* pDest, gcValue* pSource)
{
    gcDoSetValue* p = NewAction<gcDoSetValue>(pPool);
    if (p) {
        p->operation = operation;
        p->pDest = pDest;
        p->pSource = pSource;
    }
    return p;
}

gcDoLog* NewLog(cMemPool* pPool, int32_t logType, const char* sMsg, gcValue* pParam1, gcValue* pParam2)
{
    gcDoLog* p = NewAction<gcDoLog>(pPool);
    if (p && !p->Set(sMsg)) {
        cLogError_("datagen: no room for a log message");
        return nullptr;
    }
    if (p) {
        p->logType = logType;
        p->pParams[0] = pParam1;
        p->pParams[1] = pParam2;
    }
    return p;
}

BlockWriter& ActionBlock(BlockWriter& w, uint32_t version)
{
    return w.Begin(version).Begin(3).Begin(1).End().End();
}

}  // namespace datagen
