#include "eEngine/eMaterialExpInfo.h"

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/exportRecordWriters.h"
#include "worldTestSupport.h"

namespace {

class eMaterialExpInfoTest : public testing::Test {
protected:
    // Name, 32-bit, 16-bit, 32-bit, float, then the four texture blocks
    // (name, two floats, two floats, 16-bit value); the sample's texture 2
    // is named and texture 3 has the version given.
    static datagen::BlockWriter File(bool bSample, uint32_t lastTextureVersion = 1)
    {
        datagen::BlockWriter w;
        if (bSample)
            w.Header().Begin(1).Name("wall_brick").Word(0x01020304).Half(0xBEEF).Word(0x80000001).Float(0.75f);
        else
            w.Header().Begin(1).Name("").Word(0).Half(0).Word(0).Float(0);
        for (int i = 0; i < 4; ++i) {
            const float f = bSample ? static_cast<float>(i) : 0.0f;
            w.Begin(i == 3 ? lastTextureVersion : 1).Name(bSample && i == 2 ? "brick_n" : "");
            w.Float(f).Float(0).Float(0).Float(0.0f - f).Half(static_cast<uint16_t>(f)).End();
        }
        return w.End().Trailer();
    }
    bool Read(const std::vector<uint8_t>& bytes, eMaterialExpInfo* pInfo)
    {
        EXPECT_TRUE(datagen::WriteBytes(m_data.HostPath("m.dat"), bytes));
        cFile file;
        return file.Open("/m.dat") && pInfo->Read(file) && !file.Failed();
    }
    std::vector<uint8_t> Written(const eMaterialExpInfo& m)
    {
        EXPECT_TRUE(datagen::WriteMaterialExpInfoFile(m_data.HostPath("w.dat"), m));
        return ReadHostFile(m_data.HostPath("w.dat"));
    }
    eTestDataDir m_data;
};

TEST_F(eMaterialExpInfoTest, FieldsAndTextureBlocksReadAndWriteInTheirOrder)
{
    const datagen::BlockWriter w = File(true);
    ASSERT_EQ(w.Size(), 8u + 12 + 28 + 14 + 2 + 4 * 64 + 4 + 4);
    eMaterialExpInfo m;
    EXPECT_EQ(Written(m), File(false).GetBytes());  // a new record
    ASSERT_TRUE(Read(w.GetBytes(), &m));
    EXPECT_TRUE(m.m_name == "wall_brick");
    EXPECT_EQ(m.m_nFirst, 0x01020304u);
    EXPECT_EQ(m.m_nSecond, 0xBEEF);
    EXPECT_EQ(m.m_nThird, 0x80000001u);
    EXPECT_EQ(m.m_fValue, 0.75f);
    EXPECT_TRUE(m.m_textures[2].m_name == "brick_n");
    EXPECT_EQ(m.m_textures[3].m_first.x, 3.0f);
    EXPECT_EQ(m.m_textures[3].m_second.y, -3.0f);
    EXPECT_EQ(m.m_textures[1].m_nValue, 1);
    EXPECT_EQ(Written(m), w.GetBytes());
}

TEST_F(eMaterialExpInfoTest, ARefusedTextureBlockOrAShortFileKeepsTheRecord)
{
    eMaterialExpInfo before;
    before.m_name.Set("before");
    before.m_textures[3].m_nValue = 9;
    const std::vector<uint8_t> kept = Written(before);
    std::vector<std::vector<uint8_t>> bad = {File(true, 0).GetBytes(), File(true, 2).GetBytes()};
    for (size_t len = 0; len + 4 < File(true).Size(); len += 5)
        bad.push_back(File(true).Prefix(len));
    for (const auto& bytes : bad) {
        eMaterialExpInfo m = before;
        EXPECT_FALSE(Read(bytes, &m)) << bytes.size();
        EXPECT_EQ(Written(m), kept) << bytes.size();
    }
}

}  // namespace
