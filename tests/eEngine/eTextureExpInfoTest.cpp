#include "eEngine/eTextureExpInfo.h"

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/exportRecordWriters.h"
#include "worldTestSupport.h"

namespace {

// Name, two floats, two floats, a 16-bit value padded to the block's end.
datagen::BlockWriter File(uint32_t version, const char* name, float a, float b, float c, float d, uint16_t value)
{
    datagen::BlockWriter w;
    w.Header().Begin(version).Name(name).Float(a).Float(b).Float(c).Float(d).Half(value);
    return w.End().Trailer();
}

class eTextureExpInfoTest : public testing::Test {
protected:
    bool Read(const std::vector<uint8_t>& bytes, eTextureExpInfo* pInfo)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("t.dat"), bytes));
        cFile file;
        return file.Open("/t.dat") && pInfo->Read(file) && !file.Failed();
    }
    std::vector<uint8_t> Written(const eTextureExpInfo& t)
    {
        EXPECT_TRUE(datagen::WriteTextureExpInfoFile(m_data.HostPath("w.dat"), t));
        return ReadHostFile(m_data.HostPath("w.dat"));
    }
    eTestDataDir m_data;
};

TEST_F(eTextureExpInfoTest, FieldsReadAndWriteInTheirOrder)
{
    const datagen::BlockWriter w = File(1, "brick_d", 1.5f, -2, 0.25f, 8, 0x8123);
    ASSERT_EQ(w.Size(), 8u + 12 + 28 + 16 + 4 + 4 + 4);
    eTextureExpInfo t;
    EXPECT_EQ(Written(t), File(1, "", 0, 0, 0, 0, 0).GetBytes());  // a new record
    ASSERT_TRUE(Read(w.GetBytes(), &t));
    EXPECT_TRUE(t.m_name == "brick_d");
    EXPECT_EQ(t.m_first, mVec2(1.5f, -2));
    EXPECT_EQ(t.m_second, mVec2(0.25f, 8));
    EXPECT_EQ(t.m_nValue, 0x8123);
    EXPECT_EQ(Written(t), w.GetBytes());

    EXPECT_FALSE(Read(File(2, "other", 0, 0, 0, 0, 1).GetBytes(), &t));
    EXPECT_EQ(Written(t), w.GetBytes());  // kept as it was
}

}  // namespace
