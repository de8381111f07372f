#pragma once
// A test-only action class that keeps its bytes the way the placeholders of
// unbuilt classes do, so that the tests keep a subject whichever classes get
// built. Registered during static initialisation under an id no engine class
// takes.

#include <cstdint>

#include "cCore/cMemPool.h"
#include "cCore/cType.h"
#include "gcGameCore/actions/gcPendingAction.h"

constexpr int32_t kPendingId = 295;

inline cBase* NewTestStandInAction(cMemPool* pPool)
{
    return pPool ? pPool->New<gcPendingAction>(cType::Find(kPendingId)) : nullptr;
}

inline const cType* const kTestStandInActionType =
    cType::InitializeType("gcDoTestStandIn", kPendingId, gcAction::GetStaticType(), &NewTestStandInAction);
