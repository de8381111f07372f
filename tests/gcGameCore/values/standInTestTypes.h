#pragma once
// Test-only value classes that stand in the way the engine's placeholders
// for unbuilt classes do (their bytes kept, 0.0, assignments ignored), so
// that the placeholder machinery keeps a subject whichever classes get
// built. Registered on first use under ids no engine class takes.

#include <cstdint>

#include "cCore/cMemPool.h"
#include "cCore/cType.h"
#include "gcGameCore/values/gcValOpaque.h"

constexpr uint32_t kStandInValueId = 296;
constexpr uint32_t kStandInLValueId = 297;

inline const cType* StandInValueType(bool bAssignable);

struct StandInFactories {
    static cBase* NewValue(cMemPool* p) { return p ? p->New<gcValOpaque>(StandInValueType(false)) : nullptr; }
    static cBase* NewLValue(cMemPool* p) { return p ? p->New<gcLValOpaque>(StandInValueType(true)) : nullptr; }
};

// "gcValTestStandIn" under gcValue, "gcValTestStandInL" under gcLValue.
inline const cType* StandInValueType(bool bAssignable)
{
    static const cType* const s_pValue = cType::InitializeType("gcValTestStandIn", kStandInValueId,
                                                               gcValue::GetStaticType(), &StandInFactories::NewValue);
    static const cType* const s_pLValue = cType::InitializeType(
        "gcValTestStandInL", kStandInLValueId, gcLValue::GetStaticType(), &StandInFactories::NewLValue);
    return bAssignable ? s_pLValue : s_pValue;
}
