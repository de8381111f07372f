// Reads near the edges of the disc buffers and of blocks: the inline path
// must hand out exactly the bytes the checked path would, and nothing once
// the file or a transfer has failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "../test/dvd_test.h"
#include "cCore/cFile.h"
#include "cCore/cFilePlatform.h"
#include "cCore/cReadBlock.h"
#include "cTestObjects.h"
#include "datagen/blockWriter.h"
#include "platform/ps.h"

namespace {

constexpr uint32_t kBuffer = cFilePlatform::kBufferSize;
constexpr uint32_t kPayloadStart = 8 + cReadBlock::kHeaderSize;  // file header, block header

// One block whose payload byte at file offset p is (p * 7 + p / 251) & 0xFF,
// so a value read from the wrong place or in the wrong order shows.
class cFileBufferTest : public testing::Test {
protected:
    static uint8_t ByteAt(uint32_t pos) { return static_cast<uint8_t>(pos * 7 + pos / 251); }

    void SaveBlock(uint32_t payloadBytes)
    {
        std::vector<uint8_t> payload(payloadBytes);
        for (uint32_t i = 0; i < payloadBytes; ++i)
            payload[i] = ByteAt(kPayloadStart + i);
        datagen::BlockWriter w;
        w.Header().Begin(1).Bytes(payload.data(), payload.size()).End().Trailer();
        ASSERT_TRUE(w.Save(m_data.HostPath("f.dat")));
    }
    // Saves a block of payloadBytes and opens the file on it.
    void OpenBlock(cFile* pFile, uint32_t payloadBytes)
    {
        SaveBlock(payloadBytes);
        ASSERT_TRUE(pFile->Open("/f.dat"));
    }
    static uint32_t WordAt(uint32_t pos)
    {
        const uint8_t b[4] = {ByteAt(pos), ByteAt(pos + 1), ByteAt(pos + 2), ByteAt(pos + 3)};
        return ps::LoadU32BE(b);
    }
    static uint16_t HalfAt(uint32_t pos)
    {
        const uint8_t b[2] = {ByteAt(pos), ByteAt(pos + 1)};
        return ps::LoadU16BE(b);
    }
    cTestDataDir m_data;
};

TEST_F(cFileBufferTest, ValuesAroundTheBufferEdgesReadTheirOwnBytes)
{
    SaveBlock(3 * kBuffer);
    const struct { const char* name; uint32_t pos; } rows[] = {
        {"ends two bytes short of the edge", kBuffer - 6},
        {"ends one byte short", kBuffer - 5},
        {"ends at the edge", kBuffer - 4},
        {"straddles by three", kBuffer - 3},
        {"straddles by one", kBuffer - 1},
        {"starts the second buffer", kBuffer},
        {"straddles the third buffer", 2 * kBuffer - 2},
        {"first payload bytes", kPayloadStart},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cFile file;
        ASSERT_TRUE(file.Open("/f.dat"));
        cReadBlock rb(file, 1);
        file.SetCurrentPos(row.pos);
        EXPECT_EQ(rb.ReadUInt(), WordAt(row.pos));
        EXPECT_EQ(file.GetCurrentPos(), row.pos + 4);
        file.SetCurrentPos(row.pos + 1);
        EXPECT_EQ(rb.ReadUShort(), HalfAt(row.pos + 1));
        EXPECT_EQ(rb.ReadUChar(), ByteAt(row.pos + 3));
        file.SetCurrentPos(row.pos);
        int16_t shorts[3];
        rb.ReadShorts(shorts, 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(static_cast<uint16_t>(shorts[i]), HalfAt(row.pos + 2 * i)) << i;
        file.SetCurrentPos(row.pos);
        uint32_t words[2];
        rb.ReadInts(words, 2);
        EXPECT_EQ(words[0], WordAt(row.pos));
        EXPECT_EQ(words[1], WordAt(row.pos + 4));
        uint8_t chars[5];
        rb.ReadChars(chars, 5);
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(chars[i], ByteAt(row.pos + 8 + i)) << i;
        EXPECT_EQ(file.GetCurrentPos(), row.pos + 13);
        EXPECT_FALSE(file.Failed());
        rb.SkipToEnd();
    }
}

TEST_F(cFileBufferTest, SequentialValuesAcrossEveryBufferMatchTheFile)
{
    cFile file;
    OpenBlock(&file, 3 * kBuffer);
    ASSERT_FALSE(HasFatalFailure());
    {
        cReadBlock rb(file, 1);
        // Odd sizes first, so later words straddle the buffer edges.
        EXPECT_EQ(rb.ReadUChar(), ByteAt(kPayloadStart));
        EXPECT_EQ(rb.ReadUShort(), HalfAt(kPayloadStart + 1));
        uint32_t mismatches = 0;
        for (uint32_t pos = kPayloadStart + 3; pos + 4 <= kPayloadStart + 3 * kBuffer; pos += 4)
            mismatches += rb.ReadUInt() != WordAt(pos);
        EXPECT_EQ(mismatches, 0u);
        EXPECT_FALSE(rb.Failed());
    }
    EXPECT_FALSE(file.Failed());
}

TEST_F(cFileBufferTest, TheBlockEndBoundsInlineReads)
{
    const struct { const char* name; uint32_t payload; uint32_t pos; int bytes; bool ok; } rows[] = {
        {"word ending at the block end", 64, kPayloadStart + 60, 4, true},
        {"word one past the block end", 64, kPayloadStart + 61, 4, false},
        {"half ending at the block end", 64, kPayloadStart + 62, 2, true},
        {"byte at the block end", 64, kPayloadStart + 64, 1, false},
        {"word ending at the block end past the first buffer", kBuffer + 64, kPayloadStart + kBuffer + 60, 4, true},
        {"word one past the block end past the first buffer", kBuffer + 64, kPayloadStart + kBuffer + 61, 4, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        cFile file;
        OpenBlock(&file, row.payload);
        ASSERT_FALSE(HasFatalFailure());
        cReadBlock rb(file, 1);
        file.SetCurrentPos(row.pos);
        uint32_t got = 0;
        if (row.bytes == 4)
            got = rb.ReadUInt();
        else if (row.bytes == 2)
            got = rb.ReadUShort();
        else
            got = rb.ReadUChar();
        const uint32_t want = row.bytes == 4 ? WordAt(row.pos) : (row.bytes == 2 ? HalfAt(row.pos) : ByteAt(row.pos));
        EXPECT_EQ(got, row.ok ? want : 0u);
        EXPECT_EQ(file.Failed(), !row.ok);
        rb.SkipToEnd();
    }
}

TEST_F(cFileBufferTest, ABlockWhoseHeaderStraddlesTheEdgeReadsAsAnyOther)
{
    // The inner block starts 4 bytes short of the first buffer's end, so its
    // header is read by the checked path.
    const std::vector<uint8_t> gap(kBuffer - 4 - kPayloadStart, 0);
    datagen::BlockWriter w;
    w.Header().Begin(1).Bytes(gap.data(), gap.size()).Begin(7).Word(0xCAFEF00D).End().End().Trailer();
    ASSERT_TRUE(w.Save(m_data.HostPath("f.dat")));
    cFile file;
    ASSERT_TRUE(file.Open("/f.dat"));
    cReadBlock outer(file, 1);
    file.SetCurrentPos(kBuffer - 4);
    {
        cReadBlock inner(file, 7);
        EXPECT_EQ(inner.m_nVersion, 7u);
        EXPECT_EQ(inner.m_nEndOffset, kBuffer + 12);
        EXPECT_EQ(inner.ReadUInt(), 0xCAFEF00Du);
    }
    EXPECT_EQ(file.GetCurrentPos(), kBuffer + 16);
    EXPECT_FALSE(file.Failed());
}

TEST_F(cFileBufferTest, NothingReadsInlineOnceTheFileHasFailed)
{
    cFile file;
    OpenBlock(&file, 256);
    ASSERT_FALSE(HasFatalFailure());
    cReadBlock rb(file, 1);
    file.Fail("made to fail");
    file.SetCurrentPos(kPayloadStart);
    uint8_t chars[4] = {9, 9, 9, 9};
    rb.ReadChars(chars, 4);
    float floats[2] = {1.0f, 1.0f};
    rb.ReadFloats(floats, 2);
    EXPECT_EQ(rb.ReadInt(), 0);
    EXPECT_EQ(rb.ReadShort(), 0);
    EXPECT_EQ(rb.ReadChar(), 0);
    EXPECT_EQ(std::vector<uint8_t>(chars, chars + 4), std::vector<uint8_t>(4, 0));
    EXPECT_EQ(floats[0], 0.0f);
    EXPECT_EQ(floats[1], 0.0f);
}

TEST_F(cFileBufferTest, AFailedTransferLeavesNoStaleBytesToReadInline)
{
    cFile file;
    OpenBlock(&file, 6 * kBuffer);
    ASSERT_FALSE(HasFatalFailure());
    cReadBlock rb(file, 1);
    EXPECT_EQ(rb.ReadUInt(), WordAt(kPayloadStart));
    DVDTestFailTransfers(true);
    // Far from both buffers: reloaded at once, and that transfer fails; the
    // buffer still holds the bytes of the start of the file.
    file.SetCurrentPos(4 * kBuffer + kPayloadStart);
    const uint32_t value = rb.ReadUInt();
    DVDTestFailTransfers(false);
    EXPECT_EQ(value, 0u);
    EXPECT_TRUE(file.Failed());
}

// Reads of no elements read nothing, fail nothing and need no destination
// (a mesh without an array hands over none), on the inline path as on the
// checked one.
TEST_F(cFileBufferTest, ReadsOfNoElementsNeedNoDestination)
{
    const struct { const char* name; void (*read)(const cReadBlock&); } rows[] = {
        {"chars", [](const cReadBlock& rb) { rb.ReadChars(nullptr, 0); }},
        {"ints", [](const cReadBlock& rb) { rb.ReadInts(static_cast<int32_t*>(nullptr), 0); }},
        {"shorts", [](const cReadBlock& rb) { rb.ReadShorts(static_cast<uint16_t*>(nullptr), 0); }},
        {"floats", [](const cReadBlock& rb) { rb.ReadFloats(nullptr, 0); }},
    };
    for (const uint32_t pos : {kPayloadStart, kBuffer - 1}) {
        for (const auto& row : rows) {
            SCOPED_TRACE(row.name);
            SCOPED_TRACE(pos);
            cFile file;
            OpenBlock(&file, 2 * kBuffer);
            ASSERT_FALSE(HasFatalFailure());
            cReadBlock rb(file, 1);
            file.SetCurrentPos(pos);
            row.read(rb);
            EXPECT_EQ(file.GetCurrentPos(), pos);
            EXPECT_FALSE(file.Failed());
            rb.SkipToEnd();
        }
    }
}

// Arrays are converted a word at a time with single elements after: every
// count must give each element its own bytes in order and write nothing past
// the last, both inside a buffer and across an edge (converted in place).
TEST_F(cFileBufferTest, ArraysOfEveryLengthConvertEachElementAndStopAtTheEnd)
{
    SaveBlock(2 * kBuffer);
    const struct { const char* name; uint32_t pos; } places[] = {
        {"inside the first buffer", kPayloadStart + 40},
        {"across the edge", kBuffer - 6},
    };
    const int counts[] = {1, 2, 3, 4, 5, 7, 9};
    constexpr uint32_t kSentinel = 0xA5A5A5A5;
    for (const auto& place : places) {
        for (const int count : counts) {
            SCOPED_TRACE(testing::Message() << place.name << ", " << count << " elements");
            cFile file;
            ASSERT_TRUE(file.Open("/f.dat"));
            cReadBlock rb(file, 1);
            uint32_t words[10];
            std::fill(std::begin(words), std::end(words), kSentinel);
            file.SetCurrentPos(place.pos);
            rb.ReadInts(words, count);
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(words[i], WordAt(place.pos + 4 * i)) << "word " << i;
            EXPECT_EQ(words[count], kSentinel);
            uint16_t halves[10];
            std::fill(std::begin(halves), std::end(halves), uint16_t{0xA5A5});
            file.SetCurrentPos(place.pos);
            rb.ReadShorts(halves, count);
            for (int i = 0; i < count; ++i)
                EXPECT_EQ(halves[i], HalfAt(place.pos + 2 * i)) << "half " << i;
            EXPECT_EQ(halves[count], 0xA5A5);
            EXPECT_EQ(file.GetCurrentPos(), place.pos + 2 * count);
            EXPECT_FALSE(file.Failed());
            rb.SkipToEnd();
        }
    }
}

}  // namespace
