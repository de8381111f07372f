#include "gcGameCore/gcMsg.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

TEST(gcMsgTest, CatalogueIdsAndTexts)
{
    struct Row {
        int32_t id;
        const char* text;
    };
    const Row rows[] = {
        {0, "EnterState"},  {1, "ExitState"},    {2, "Tick"},         {3, "Update"},       {4, "PostEnterState"},
        {5, "PostExitState"}, {6, "???"},        {9, "???"},          {10, "Activate"},    {13, "Unfreeze"},
        {14, "???"},        {99, "???"},         {100, "Stand"},      {107, "DealDamage"}, {115, "WalkBack"},
        {120, "Blocked"},   {127, "Idle"},       {128, "Event"},      {130, "ForceStand"}, {131, "???"},
        {-1, "???"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_STREQ(gcMsgIdText(row.id), row.text);
    }
}

TEST(gcMsgTest, PayloadEnumTextsAndRanges)
{
    struct Row {
        const char* (*text)(int32_t);
        int32_t value;
        const char* expected;
    };
    const Row rows[] = {
        {&gcMsgEvent::GetEventIdText, 0, "???"},
        {&gcMsgEvent::GetEventIdText, 1, "OnInteract"},
        {&gcMsgEvent::GetEventIdText, 10, "Calcdamage"},
        {&gcMsgEvent::GetEventIdText, 14, "OnMessage"},
        {&gcMsgEvent::GetEventIdText, 15, "???"},
        {&gcMsgPlayAnimation::GetPriorityText, 0, "Low"},
        {&gcMsgPlayAnimation::GetPriorityText, 3, "VeryHigh"},
        {&gcMsgPlayAnimation::GetPriorityText, 4, "???"},
        {&gcMsgDealDamage::GetDamageDirText, 5, "F"},
        {&gcMsgDealDamage::GetDamageDirText, 6, "???"},
        {&gcMsgDealDamage::GetDamageDirText, -1, "???"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_STREQ(row.text(row.value), row.expected);
    }
}

TEST(gcMsgTest, MessagesCarryTheirIdsAndANullSender)
{
    const gcMsgDeactivate deactivate;
    EXPECT_EQ(deactivate.nMsgId, 11);
    EXPECT_EQ(deactivate.pFrom, nullptr);
    const gcMsgEvent event(gcMsgEvent::ID_ONDEATH);
    EXPECT_EQ(event.nMsgId, 128);
    EXPECT_EQ(event.eventId, 5);
    const gcMsgDealDamage damage(nullptr, gcMsgDealDamage::kForced, 3.0f, gcMsgDealDamage::DD_TB, cTimeValue(40));
    EXPECT_EQ(damage.nMsgId, 107);
    EXPECT_FALSE(damage.bBlocked);
    const gcMsg& asHeader = damage;
    static_cast<const gcMsgDealDamage&>(asHeader).bBlocked = true;  // the receiver's answer
    EXPECT_TRUE(damage.bBlocked);
    EXPECT_EQ(gcMsgIdle(3).nMsgId, 127);
    EXPECT_EQ(gcMsgTick(cTimeValue(20)).dT.m_nTicks, 20);
}

}  // namespace
