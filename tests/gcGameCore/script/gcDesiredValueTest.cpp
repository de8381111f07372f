#include "gcGameCore/script/gcDesiredValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcScriptTestObjects.h"

namespace {

constexpr int kSlot = 7;

// A key value "Health" = 40 and a constant "Max" = 100 in slot 7 of their
// managers while the fixture lives; the old slot contents come back after.
class gcDesiredValueTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_hKey = gcKeyValueMgr::Add(kSlot, datagen::NewKeyValue(&m_pool, "Health", 40.0f), 0x1111);
        m_hConst = gcConstantMgr::Add(kSlot, datagen::NewConstant(&m_pool, "Max", 100.0f), 0x2222);
    }
    void TearDown() override
    {
        gcKeyValueMgr::s_pInstances[kSlot] = m_pOldKey;
        gcConstantMgr::s_pInstances[kSlot] = m_pOldConst;
    }
    static gcDesiredValue Make(int32_t type, int32_t index, uint32_t hKey, uint32_t hConst, float f)
    {
        gcDesiredValue v;
        v.desiredValue = type;
        v.nParamIndex = index;
        v.hSpecificKeyValue = gcKeyValueHandle(hKey);
        v.hSpecificConstant = gcConstantHandle(hConst);
        v.fConst = f;
        return v;
    }
    cMemPool m_pool{"gcDesiredValueTest", 0x4000, false};
    gcKeyValue* m_pOldKey = gcKeyValueMgr::s_pInstances[kSlot];
    gcConstant* m_pOldConst = gcConstantMgr::s_pInstances[kSlot];
    gcKeyValueHandle m_hKey;
    gcConstantHandle m_hConst;
    gcTestDataDir m_dir;
};

TEST_F(gcDesiredValueTest, ValuesAndTextsAgainstTheRunningFrame)
{
    const uint32_t key = m_hKey.m_nValue, stale = m_hKey.m_nValue ^ 0x10000, con = m_hConst.m_nValue;
    using V = gcDesiredValue;
    const struct {
        const char* name;
        gcDesiredValue v;
        float expected;
        const char* text;
    } rows[] = {
        {"parameter 1", Make(V::VAL_INVALUE, 0, 0, 0, 0), 1.5f, "[Param1]"},
        {"parameter 2", Make(V::VAL_INVALUE, 1, 0, 0, 0), 2.5f, "[Param2]"},
        {"temporary 2", Make(V::VAL_TEMP, 1, 0, 0, 0), 4.5f, "[Temp2]"},
        {"parameter index past the frame", Make(V::VAL_INVALUE, 2, 0, 0, 0), 0.0f, "[Param3]"},
        {"negative temporary index", Make(V::VAL_TEMP, -1, 0, 0, 0), 0.0f, "[Temp0]"},
        {"literal", Make(V::VAL_NUMBER, 0, key, con, -0.25f), -0.25f, "-0.25"},
        {"constant", Make(V::VAL_CONSTANT, 0, key, con, 0), 100.0f, "{Max}"},
        {"stale constant", Make(V::VAL_CONSTANT, 0, key, con ^ 0x10000, 0), 0.0f, "{???}"},
        {"key value", Make(V::VAL_KEYVALUE, 0, key, con, 0), 40.0f, "[Health]"},
        {"any other type reads the key value", Make(3, 0, key, 0, 0), 40.0f, "[Health]"},
        {"stale key value", Make(V::VAL_KEYVALUE, 0, stale, 0, 0), 0.0f, "[???]"},
    };
    gcEventStackData frame(1.5f, 2.5f);
    frame.fTemps[0] = 3.5f;
    frame.fTemps[1] = 4.5f;
    gcEvent::s_pCurEventStackData = &frame;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.v.GetValue(), row.expected);
        char sText[gcScriptText::kSize] = "";
        row.v.GetText(sText);
        EXPECT_STREQ(sText, row.text);
    }
    gcEvent::s_pCurEventStackData = nullptr;
    EXPECT_EQ(Make(V::VAL_TEMP, 0, 0, 0, 0).GetValue(), 0.0f) << "no running frame";
}

// Only a literal stores its float and only a constant its handle; the key
// value's handle and the index are always there.
TEST_F(gcDesiredValueTest, InlineRecordHoldsOnlyTheFieldsOfItsType)
{
    using V = gcDesiredValue;
    const struct {
        const char* name;
        gcDesiredValue v;
        std::vector<uint32_t> words;
    } rows[] = {
        {"literal", Make(V::VAL_NUMBER, 1, 0x11, 0x22, 2.0f), {2, 0x40000000, 0x11, 1}},
        {"constant", Make(V::VAL_CONSTANT, 0, 0x11, 0x22, 2.0f), {32769, 0x11, 0x22, 0}},
        {"key value", Make(V::VAL_KEYVALUE, 0, 0x11, 0x22, 2.0f), {32768, 0x11, 0}},
        {"temporary", Make(V::VAL_TEMP, 1, 0x11, 0x22, 2.0f), {1, 0x11, 1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::string path = m_dir.HostPath("value.dat");
        {
            cFile out;
            ASSERT_TRUE(out.Create(path.c_str(), 0, cFile::kPlatformConsole, true));
            cWriteBlock wb(out, 1);
            row.v.Write(wb);
            wb.End();
            out.Close();
        }
        datagen::BlockWriter expected;
        expected.Header().Begin(1);
        for (uint32_t word : row.words)
            expected.Word(word);
        expected.End().Trailer();
        EXPECT_EQ(ReadHostFile(path), expected.GetBytes());

        cFile in;
        ASSERT_TRUE(in.Open("/value.dat"));
        gcDesiredValue read = Make(V::VAL_INVALUE, 9, 9, 9, 9.0f);
        {
            cReadBlock rb(in, 1);
            read.Read(rb, nullptr);
            EXPECT_FALSE(rb.Failed());
        }
        in.Close();
        EXPECT_EQ(read.desiredValue, row.v.desiredValue);
        EXPECT_EQ(read.nParamIndex, row.v.nParamIndex);
        EXPECT_EQ(read.hSpecificKeyValue, row.v.hSpecificKeyValue);
    }
}

// The text of a reference with this selector and handle.
template <class Desired, class Handle>
std::string Text(int32_t Desired::*selector, Handle Desired::*handle, int32_t s, uint32_t h)
{
    Desired d;
    d.*selector = s;
    d.*handle = Handle(h);
    char sText[gcScriptText::kSize] = "";
    d.GetText(sText);
    return sText;
}

std::string EntityText(int32_t s, uint32_t h = 0)
{
    return Text(&gcDesiredEntity::desiredEntity, &gcDesiredEntity::hSpecificEntity, s, h);
}

std::string EffectText(int32_t s)
{
    return Text(&gcDesiredEffect::desiredEffect, &gcDesiredEffect::hSpecificEffect, s, 0x00FF0001);
}

std::string ItemText(int32_t s, uint32_t h = 0)
{
    return Text(&gcDesiredItem::desiredItem, &gcDesiredItem::hSpecificItemTemplate, s, h);
}

TEST(gcDesiredReferenceText, SelectorsAndUnresolvedObjects)
{
    const struct {
        const char* name;
        std::string text, expected;
    } rows[] = {
        {"player", EntityText(gcDesiredEntity::PLAYER), "Player"},
        {"specific entity that does not resolve", EntityText(gcDesiredEntity::SPECIFIC, 0x00FF0001), "[???]"},
        {"leader", EntityText(gcDesiredEntity::INITIATOR_LEADER), "Initiator.Leader"},
        {"participant 1's second neighbour", EntityText(gcDesiredEntity::PARTICIPANT1_NEIGHBOR2), "Participant1.Neighbor2"},
        {"player's target", EntityText(gcDesiredEntity::PLAYER_TARGET), "Player.Target"},
        {"last entity selector", EntityText(gcDesiredEntity::PARTICIPANT2_TARGET), "Participant2.Target"},
        {"entity selector past the table", EntityText(16), ""},
        {"negative entity selector", EntityText(-1), ""},
        {"effect participant 2", EffectText(gcDesiredEffect::PARTICIPANT2), "Participant2"},
        {"specific effect that does not resolve", EffectText(gcDesiredEffect::SPECIFIC), "[???]"},
        {"effect selector past the table", EffectText(4), ""},
        {"combine item", ItemText(gcDesiredItem::COMBINE_ITEM, 0), "CombineItem1"},
        {"specific template of handle 0", ItemText(gcDesiredItem::SPECIFIC, 0), "[none]"},
        {"specific template", ItemText(gcDesiredItem::SPECIFIC, 0x00030001), "[???]"},
        {"item selector between the table's ends", ItemText(4, 0), ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.text, row.expected) << row.name;
}

}  // namespace
