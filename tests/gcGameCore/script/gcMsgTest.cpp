#include "gcGameCore/script/gcMsg.h"

#include <gtest/gtest.h>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/script/gcTimer.h"

namespace {

TEST(gcMsgTest, CatalogueAndPayloadEnumTexts)
{
    struct Row {
        const char* (*text)(int32_t);
        int32_t value;
        const char* expected;
    };
    const Row rows[] = {
        {&gcMsgIdText, 0, "EnterState"}, {&gcMsgIdText, 5, "PostExitState"}, {&gcMsgIdText, 6, "???"},
        {&gcMsgIdText, 10, "Activate"},  {&gcMsgIdText, 13, "Unfreeze"},     {&gcMsgIdText, 99, "???"},
        {&gcMsgIdText, 100, "Stand"},    {&gcMsgIdText, 107, "DealDamage"},  {&gcMsgIdText, 120, "Blocked"},
        {&gcMsgIdText, 128, "Event"},    {&gcMsgIdText, 130, "ForceStand"},  {&gcMsgIdText, 131, "???"},
        {&gcMsgEvent::GetEventIdText, 0, "???"},        {&gcMsgEvent::GetEventIdText, 10, "Calcdamage"},
        {&gcMsgEvent::GetEventIdText, 14, "OnMessage"}, {&gcMsgEvent::GetEventIdText, 15, "???"},
        {&gcMsgPlayAnimation::GetPriorityText, 3, "VeryHigh"}, {&gcMsgPlayAnimation::GetPriorityText, 4, "???"},
        {&gcMsgDealDamage::GetDamageDirText, 5, "F"},   {&gcMsgDealDamage::GetDamageDirText, -1, "???"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_STREQ(row.text(row.value), row.expected);
    }
    EXPECT_EQ(gcMsgDeactivate().nMsgId, 11);
    EXPECT_EQ(gcMsgDeactivate().pFrom, nullptr);
}

TEST(gcMsgTest, TypeIdsAndParentsAreFixed)
{
    struct Row {
        const cType* type;
        uint32_t id;
        uint32_t parent;
        bool bFactory;
    };
    const Row rows[] = {
        {gcGameObject::GetStaticType(), 70, 2, false},   {gcValue::GetStaticType(), 82, 1, false},
        {gcEvent::GetStaticType(), 83, 1, true},         {gcAction::GetStaticType(), 84, 1, false},
        {gcLValue::GetStaticType(), 143, 82, false},     {gcKeyValue::GetStaticType(), 65, 2, true},
        {gcKeyValueGroup::GetStaticType(), 66, 1, true}, {gcFunction::GetStaticType(), 146, 2, true},
        {gcFunctionGroup::GetStaticType(), 147, 1, true}, {gcString::GetStaticType(), 183, 2, true},
        {gcStringGroup::GetStaticType(), 184, 1, true},  {gcTimer::GetStaticType(), 195, 70, true},
        {gcTimerGroup::GetStaticType(), 196, 1, true},   {gcStateMachine::GetStaticType(), 244, 2, true},
        {gcStateMachineGroup::GetStaticType(), 245, 1, true}, {gcState::GetStaticType(), 246, 2, true},
        {gcConstant::GetStaticType(), 251, 2, true},     {gcConstantGroup::GetStaticType(), 252, 1, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type->m_sTypeName);
        EXPECT_EQ(row.type->m_nTypeId, row.id);
        EXPECT_EQ(cType::Find(static_cast<int32_t>(row.id)), row.type);
        EXPECT_EQ(row.type->m_pParentType->m_nTypeId, row.parent);
        EXPECT_EQ(row.type->m_pNewFunc != nullptr, row.bFactory);
    }
    EXPECT_EQ(gcTimerMgr::kSlots, 100);
    EXPECT_EQ(gcStateMachineMgr::kSlots, 250);
    EXPECT_EQ(gcStringMgr::kSlots, 1000);
    EXPECT_EQ(gcFunctionMgr::kSlots, 500);
}

}  // namespace
