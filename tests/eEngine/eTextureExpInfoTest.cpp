#include "eEngine/eTextureExpInfo.h"

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/exportRecordWriters.h"
#include "worldTestSupport.h"

namespace {

class eTextureExpInfoTest : public testing::Test {
protected:
    bool Read(const std::vector<uint8_t>& bytes, eTextureExpInfo* pInfo)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), bytes));
        cFile file;
        return file.Open("/t.dat") && pInfo->Read(file) && !file.Failed();
    }
    eTestDataDir m_data;
};

// Name, two floats, two floats, a 16-bit value padded to the block's end.
TEST_F(eTextureExpInfoTest, FieldsReadAndWriteInTheirOrder)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Name("brick_d").Float(1.5f).Float(-2).Float(0.25f).Float(8).Half(0x8123).End().Trailer();
    ASSERT_EQ(w.Size(), 8u + 12 + 28 + 16 + 4 + 4 + 4);
    eTextureExpInfo t;
    ASSERT_TRUE(Read(w.GetBytes(), &t));
    EXPECT_TRUE(t.m_name == "brick_d");
    EXPECT_EQ(t.m_first, mVec2(1.5f, -2));
    EXPECT_EQ(t.m_second, mVec2(0.25f, 8));
    EXPECT_EQ(t.m_nValue, 0x8123);
    ASSERT_TRUE(datagen::WriteTextureExpInfoFile(m_data.HostPath("w.dat"), t));
    EXPECT_EQ(ReadHostFile(m_data.HostPath("w.dat")), w.GetBytes());

    datagen::BlockWriter v2;
    v2.Header().Begin(2).Name("other").Float(0).Float(0).Float(0).Float(0).Half(1).End().Trailer();
    const eTextureExpInfo kept = t;
    EXPECT_FALSE(Read(v2.GetBytes(), &t));
    EXPECT_TRUE(t == kept);
}

}  // namespace
