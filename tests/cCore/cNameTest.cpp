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

}  // namespace
