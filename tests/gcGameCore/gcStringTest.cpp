#include "gcGameCore/gcString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/gcStringGroup.h"
#include "gcScriptTestObjects.h"

namespace {

class gcStringTest : public testing::Test {
protected:
    gcString* NewString() { return m_pool.New<gcString>(); }
    // A string block of the version with a name, the stored length, the
    // given characters and (from version 2) a stamp, then a sentinel word.
    void WriteBlock(uint32_t version, int16_t length, const char* chars, uint32_t stamp)
    {
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).Begin(1).End().Name("Title").End();
        w.Half(static_cast<uint16_t>(length)).Bytes(chars, std::strlen(chars));
        if (version >= 2)
            w.Word(stamp);
        w.End().Word(0xC0DEC0DE).Trailer();
        ASSERT_TRUE(w.Save(m_dir.HostPath("s.dat")));
    }
    bool ReadBlock(gcString& s, bool* pbAtSentinel)
    {
        cFile file;
        if (!file.Open("/s.dat"))
            return false;
        const bool bRead = s.Read(file, &m_pool);
        uint8_t after[4] = {};
        file.Read(after, 4);
        *pbAtSentinel = after[0] == 0xC0 && after[3] == 0xDE;
        return bRead;
    }

    cMemPool m_pool{"gcStringTest", 0x10000, false};
    gcTestDataDir m_dir;
};

TEST_F(gcStringTest, CapacityDoublesOnGrowthAndIsReusedWhenShorter)
{
    gcString* s = NewString();
    struct Step {
        const char* text;
        int16_t length;
        int16_t buffer;
        bool bNewBuffer;
    };
    const Step steps[] = {
        {"0123456789", 10, 20, true},                // empty: twice the length
        {"0123456789abcde", 15, 20, false},          // fits: reused
        {"abc", 3, 20, false},
        {"0123456789abcdefghijk", 21, 42, true},     // longer than the capacity
        {"", 0, 0, true},                            // empty again
        {"x", 1, 2, true},
    };
    const char* pPrevious = nullptr;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        const size_t taken = m_pool.BytesTaken();
        s->Set(step.text, nullptr);
        EXPECT_EQ(s->m_nLength, step.length);
        EXPECT_EQ(s->m_nBuffer, step.buffer);
        if (step.length == 0) {
            EXPECT_EQ(s->m_sData, nullptr);
        } else {
            ASSERT_NE(s->m_sData, nullptr);
            EXPECT_STREQ(s->m_sData, step.text);
            EXPECT_EQ(s->m_sData != pPrevious, step.bNewBuffer);
            // capacity + 1 padded to 4, from the string's own pool
            EXPECT_EQ(m_pool.BytesTaken() - taken, step.bNewBuffer ? ((step.buffer + 1 + 3u) & ~3u) : 0u);
        }
        pPrevious = s->m_sData;
        EXPECT_NE(s->m_lastModified, 0u);
    }
}

TEST_F(gcStringTest, SetWithoutAPoolKeepsTheText)
{
    gcTestLogCapture log;
    gcString onStack;  // in no pool
    onStack.Set("hello", nullptr);
    EXPECT_EQ(onStack.m_sData, nullptr);
    EXPECT_EQ(onStack.m_lastModified, 0u);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "no pool memory"), 1);
    onStack.Set("hello", &m_pool);  // an explicit pool serves
    EXPECT_STREQ(onStack.m_sData, "hello");
    EXPECT_TRUE(m_pool.Contains(onStack.m_sData));
}

TEST_F(gcStringTest, OverlongTextIsCutToTheLengthField)
{
    gcTestLogCapture log;
    cMemPool big("gcStringBig", 0x20000, false);
    gcString* s = big.New<gcString>();
    const std::string text(40000, 'z');
    s->Set(text.c_str(), nullptr);
    EXPECT_EQ(s->m_nLength, gcString::kMaxLength);
    EXPECT_EQ(s->m_nBuffer, gcString::kMaxLength);
    EXPECT_EQ(std::strlen(s->m_sData), static_cast<size_t>(gcString::kMaxLength));
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "cut to 32767"), 1);
}

TEST_F(gcStringTest, BlocksOfBothVersionsRead)
{
    struct Row {
        const char* name;
        uint32_t version;
        int16_t length;
        const char* chars;
        const char* text;  // null: empty
        uint32_t stamp;
    };
    const Row rows[] = {
        {"version 2", 2, 5, "Hello", "Hello", 0x5F000000},
        {"version 1 keeps the stamp", 1, 5, "Hello", "Hello", 77},
        {"empty", 2, 0, "", nullptr, 0x10},
        {"negative length reads as empty", 2, -4, "", nullptr, 0x20},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        WriteBlock(row.version, row.length, row.chars, row.stamp);
        gcTestLogCapture log;
        gcString* s = NewString();
        s->m_lastModified = 77;
        bool bAtSentinel = false;
        EXPECT_TRUE(ReadBlock(*s, &bAtSentinel));
        EXPECT_TRUE(bAtSentinel);
        EXPECT_TRUE(s->m_name == "Title");
        EXPECT_EQ(s->m_lastModified, row.stamp);
        if (row.text) {
            EXPECT_STREQ(s->m_sData, row.text);
            EXPECT_EQ(s->m_nBuffer, s->m_nLength);
        } else {
            EXPECT_EQ(s->m_sData, nullptr);
            EXPECT_EQ(s->m_nLength, 0);
        }
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "read as empty"), row.length < 0 ? 1 : 0);
    }
}

TEST_F(gcStringTest, LengthPastTheBlockIsRefusedWithTheStringKept)
{
    gcTestLogCapture log;
    WriteBlock(2, 300, "short", 0);
    gcString* s = NewString();
    s->Set("old", nullptr);
    const size_t taken = m_pool.BytesTaken();
    bool bAtSentinel = false;
    EXPECT_FALSE(ReadBlock(*s, &bAtSentinel));
    EXPECT_TRUE(bAtSentinel);
    EXPECT_STREQ(s->m_sData, "old");
    EXPECT_EQ(m_pool.BytesTaken(), taken);  // nothing allocated for it
    for (const uint32_t version : {0u, 3u}) {
        WriteBlock(version, 2, "ab", 0);
        EXPECT_FALSE(ReadBlock(*s, &bAtSentinel));
        EXPECT_TRUE(bAtSentinel);
    }
    EXPECT_STREQ(s->m_sData, "old");
}

TEST_F(gcStringTest, GroupRoundTripWritesTheSameBytes)
{
    gcString* a = datagen::NewString(&m_pool, "Greeting", "Welcome back");
    gcString* b = datagen::NewString(&m_pool, "Blank", "");
    a->m_lastModified = 0x12345678;
    b->m_lastModified = 1;
    ASSERT_TRUE(datagen::WriteStringGroupFile(m_dir.HostPath("s.grp"), 10, {{a, 0x0101}, {b, 0x0202}}));
    cBase* pGroup = cBase::Load("/s.grp", &m_pool, gcStringGroup::GetStaticType());
    ASSERT_NE(pGroup, nullptr);
    const gcString* pRead = gcStringMgr::GetPtr(gcStringHandle(0x0101000A));
    ASSERT_NE(pRead, nullptr);
    EXPECT_STREQ(pRead->m_sData, "Welcome back");
    EXPECT_EQ(pRead->m_lastModified, 0x12345678u);
    ASSERT_TRUE(datagen::WriteStringGroupFile(m_dir.HostPath("s2.grp"), 10,
                                              {{gcStringMgr::s_pInstances[10], 0x0101}, {gcStringMgr::s_pInstances[11], 0x0202}}));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("s.grp")), ReadHostFile(m_dir.HostPath("s2.grp")));
    std::destroy_at(pGroup);
}

}  // namespace
