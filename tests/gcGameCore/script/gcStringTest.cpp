#include "gcGameCore/script/gcString.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcString.h"
#include "gcScriptTestObjects.h"

namespace {

class gcStringTest : public testing::Test {
protected:
    bool ReadBlock(gcString& s, uint32_t version, int16_t length, const char* chars, uint32_t stamp, bool* pbAtEnd)
    {
        datagen::BlockWriter w;
        w.Header().Begin(version).Begin(1).Begin(1).End().Name("Title").End();
        w.Half(static_cast<uint16_t>(length)).Bytes(chars, std::strlen(chars));
        if (version >= 2)
            w.Word(stamp);
        w.End().Word(0xC0DEC0DE).Trailer();
        cFile file;
        if (!w.Save(m_dir.HostPath("s.dat")) || !file.Open("/s.dat"))
            return false;
        const bool bRead = s.Read(file, &m_pool);
        uint8_t after[4] = {};
        file.Read(after, 4);
        *pbAtEnd = after[0] == 0xC0 && after[3] == 0xDE;
        return bRead;
    }

    cMemPool m_pool{"gcStringTest", 0x20000, false};
    gcTestDataDir m_dir;
};

TEST_F(gcStringTest, CapacityDoublesOnGrowthAndIsReusedWhenShorter)
{
    gcString* s = m_pool.New<gcString>();
    struct Step {
        const char* text;
        int16_t buffer;
        bool bNewBuffer;
    };
    const Step steps[] = {
        {"0123456789", 20, true},              // from empty: twice the length
        {"0123456789abcde", 20, false},        // fits: reused
        {"0123456789abcdefghijk", 42, true},   // longer than the capacity
        {"", 0, false},                        // empty again
        {"x", 2, true},
    };
    const char* pPrevious = nullptr;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.text);
        const size_t taken = m_pool.BytesTaken();
        s->Set(step.text, nullptr);
        EXPECT_EQ(s->m_nLength, static_cast<int16_t>(std::strlen(step.text)));
        EXPECT_EQ(s->m_nBuffer, step.buffer);
        EXPECT_STREQ(s->m_sData ? s->m_sData : "", step.text);
        EXPECT_EQ(s->m_sData == nullptr, *step.text == '\0');
        EXPECT_EQ(s->m_sData && s->m_sData != pPrevious, step.bNewBuffer);
        // capacity + 1 padded to 4, from the string's own pool (after the
        // sanitizer build's red zone)
        EXPECT_EQ(m_pool.BytesTaken() - taken,
                  step.bNewBuffer ? ((step.buffer + 1 + 3u) & ~3u) + cMemPool::kRedZone : 0u);
        EXPECT_NE(s->m_lastModified, 0u);
        pPrevious = s->m_sData;
    }
}

}  // namespace

namespace {

// The text's length as stored: 0 up to the block's end; a negative one is
// never written and fails the file, the string as it was.
TEST_F(gcStringTest, ANegativeLengthFailsTheFile)
{
    const struct {
        int16_t length;
        const char* chars;
        bool bRead;
    } rows[] = {{3, "abc", true}, {0, "", true}, {-1, "", false}, {-32768, "abc", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.length);
        gcString s;
        s.Set("before", &m_pool);
        bool bAtEnd = false;
        gcTestLogCapture log;
        EXPECT_EQ(ReadBlock(s, gcString::kVersion, row.length, row.chars, 7, &bAtEnd), row.bRead);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/s.dat\": gcString: length not accepted"), row.bRead ? 0 : 1);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, ""), 0);
        EXPECT_STREQ(s.m_sData ? s.m_sData : "", row.bRead ? row.chars : "before");
    }
}

}  // namespace
