#include "cCore/cName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cStr.h"
#include "cTestObjects.h"
#include "datagen/blockWriter.h"

namespace {

cName Named(const char* text)
{
    cName n;
    n.Set("%s", text);
    return n;
}

TEST(cNameTest, SetKeepsAtMostNineteenCharacters)
{
    const struct { const char* name; std::string text; std::string kept; int length; } rows[] = {
        {"empty", "", "", 0},
        {"19 chars", "abcdefghijklmnopqrs", "abcdefghijklmnopqrs", 19},
        {"20 chars", "abcdefghijklmnopqrst", "abcdefghijklmnopqrs", 19},
        {"25 chars", "abcdefghijklmnopqrstuvwxy", "abcdefghijklmnopqrs", 19},
        {"past the work buffer", std::string(60, 'z'), std::string(19, 'z'), 19},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const cName n = Named(row.text.c_str());
        EXPECT_EQ(std::string(n.m_sData), row.kept);
        EXPECT_EQ(n.m_nLength, row.length);
        for (size_t i = row.kept.size(); i < sizeof(n.m_sData); ++i)
            EXPECT_EQ(n.m_sData[i], 0) << i;
    }
    EXPECT_TRUE(Named("abcdefghijklmnopqrstuvwxy") == Named("abcdefghijklmnopqrs"));
    cName formatted;
    formatted.Set("Map%02i", 3);
    EXPECT_TRUE(formatted == "Map03");
}

TEST(cNameTest, ChecksumWeighsEvenAndOddBytesAsSigned)
{
    const struct { const char* text; uint16_t crc; } rows[] = {
        {"", 0},
        {"a", 97 * 7},
        {"ab", 973},
        {"\xFF", 0xFFF9},             // -1 x 7 = -7
        {"a\x80", 97 * 7 - 128 * 3},  // 295
        {"zzzzzzzzzzzzzzzzzzz", static_cast<uint16_t>(122 * (10 * 7 + 9 * 3))},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(Named(row.text).m_nCRC, row.crc);
    }
}

TEST(cNameTest, ComparesLengthChecksumThenText)
{
    const cName empty;
    EXPECT_TRUE(empty == Named(""));
    EXPECT_STREQ(empty.m_sData, "");
    cName unformatted = Named("stale");
    unformatted.Set(nullptr);
    EXPECT_TRUE(unformatted == empty);
    EXPECT_STREQ(unformatted.m_sData, "");
    EXPECT_TRUE(empty == "");
    EXPECT_TRUE(empty == static_cast<const char*>(nullptr));
    EXPECT_FALSE(Named("a") == static_cast<const char*>(nullptr));
    EXPECT_FALSE(empty == "a");
    ASSERT_EQ(Named("d[").m_nCRC, Named("ab").m_nCRC);
    EXPECT_FALSE(Named("d[") == Named("ab"));
    EXPECT_FALSE(Named("ab") == Named("abc"));
    EXPECT_TRUE(Named("Region01") == Named("Region01"));
    EXPECT_FALSE(Named("abcdefghijklmnopqrs") == "abcdefghijklmnopqrst");  // a longer text never matches
}

TEST(cNameTest, ReadTakesTwentyEightBytesAndClampsTheLength)
{
    cTestDataDir data;
    const struct { const char* name; int16_t length; int16_t expected; } rows[] = {
        {"as written", 3, 3},
        {"too long", 500, 19},
        {"negative", -3, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        char text[20];
        std::memset(text, 'x', sizeof(text));  // no terminator stored
        datagen::BlockWriter w;
        w.Header().Begin(1).Name(text, row.length, 0x1234).Byte(0x5A).End().Trailer();
        ASSERT_TRUE(w.Save(data.HostPath("n.dat")));
        cFile file;
        ASSERT_TRUE(file.Open("/n.dat"));
        cReadBlock rb(file, 1);
        cName n;
        n.Read(rb);
        EXPECT_EQ(file.GetCurrentPos(), 20u + 28u);
        EXPECT_EQ(n.m_nLength, row.expected);
        EXPECT_EQ(n.m_nCRC, 0x1234);
        EXPECT_EQ(n == cName(), row.expected == 0);  // any two names of length 0 are equal
        EXPECT_EQ(n.m_sData[19], 0);
        EXPECT_EQ(std::strlen(n.m_sData), 19u);
        EXPECT_EQ(rb.ReadUChar(), 0x5A);
        EXPECT_FALSE(rb.Failed());
    }
}

TEST(cStrTest, FormatsTerminatesAndReadsWithItsLastByteZero)
{
    const cStr s("%s/Game/Act%02i/Act%02i.act", "", 1, 1);
    EXPECT_STREQ(s, "/Game/Act01/Act01.act");
    const cStr longText("%s", std::string(300, 'q').c_str());
    EXPECT_EQ(std::strlen(longText), 255u);

    cTestDataDir data;
    std::string stored(256, 'r');
    datagen::BlockWriter w;
    w.Header().Begin(1).Bytes(stored.data(), stored.size()).End().Trailer();
    ASSERT_TRUE(w.Save(data.HostPath("s.dat")));
    cFile file;
    ASSERT_TRUE(file.Open("/s.dat"));
    cReadBlock rb(file, 1);
    cStr read;
    read.Read(rb);
    EXPECT_EQ(std::strlen(read), 255u);
    EXPECT_FALSE(rb.Failed());
}

}  // namespace
