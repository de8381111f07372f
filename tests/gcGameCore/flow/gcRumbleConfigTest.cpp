#include "gcGameCore/flow/gcRumbleConfig.h"

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "datagen/blockWriter.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

class gcRumbleConfigTest : public testing::Test {
protected:
    // An object file holding a rumble block of the version.
    bool SaveBlock(uint32_t version, size_t keep = SIZE_MAX)
    {
        datagen::BlockWriter w;
        w.Header().Begin(1).Int(191).Begin(version).Begin(1).End().Int(90).Float(0.5f).Float(0.25f).Float(4.0f);
        w.End().End().Trailer();
        return datagen::WriteBytes(m_dir.HostPath("r.bin"), keep == SIZE_MAX ? w.GetBytes() : w.Prefix(keep));
    }
    gcRumbleConfig* Load() { return dcast<gcRumbleConfig>(cBase::Load("/r.bin", &m_pool, gcRumbleConfig::GetStaticType())); }

    gcTestDataDir m_dir;
    cMemPool m_pool{"rumbleTest", 0x1000, false};
};

TEST_F(gcRumbleConfigTest, ReadsVersionThreeAndWritesItBack)
{
    ASSERT_TRUE(SaveBlock(3));
    const gcRumbleConfig* p = Load();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->lifeTime, cTimeValue(90));
    EXPECT_FLOAT_EQ(p->fStartIntensity, 0.5f);
    EXPECT_FLOAT_EQ(p->fEndIntensity, 0.25f);
    EXPECT_FLOAT_EQ(p->fFalloffDistance, 4.0f);
    ASSERT_TRUE(p->Save(m_dir.HostPath("again.bin").c_str(), 0, cFile::kPlatformConsole, true));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("again.bin")), ReadHostFile(m_dir.HostPath("r.bin")));
}

TEST_F(gcRumbleConfigTest, BlockEndingEarlyChangesNothingAndCopiesCopyEverything)
{
    datagen::BlockWriter w;
    w.Header().Begin(3).Begin(1).End().Int(90).Float(0.5f).End().Trailer();  // two floats missing
    ASSERT_TRUE(datagen::WriteBytes(m_dir.HostPath("r.bin"), w.GetBytes()));
    cFile file;
    ASSERT_TRUE(file.Open("/r.bin"));
    gcRumbleConfig r;
    gcTestLogCapture quiet;
    EXPECT_FALSE(r.Read(file, &m_pool));
    file.Close();
    EXPECT_EQ(r.lifeTime, cTimeValue(0));
    EXPECT_FLOAT_EQ(r.fStartIntensity, 1.0f);
    r.lifeTime = cTimeValue(12);
    r.fFalloffDistance = 3.0f;
    const gcRumbleConfig* pCopy = dcast<gcRumbleConfig>(r.Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(pCopy->lifeTime, cTimeValue(12));
    EXPECT_FLOAT_EQ(pCopy->fFalloffDistance, 3.0f);
}

TEST_F(gcRumbleConfigTest, OlderOrCutBlocksLeaveTheDefaults)
{
    gcTestLogCapture quiet;
    ASSERT_TRUE(SaveBlock(2));
    cFile file;
    ASSERT_TRUE(file.Open("/r.bin"));
    cReadBlock outer(file, 1);
    outer.ReadInt();
    gcRumbleConfig r;
    EXPECT_FALSE(r.Read(file, &m_pool));
    EXPECT_TRUE(outer.Failed()) << "a refused block is a damaged file";
    EXPECT_EQ(r.lifeTime, cTimeValue(0));
    EXPECT_FLOAT_EQ(r.fStartIntensity, 1.0f);
    EXPECT_FLOAT_EQ(r.fEndIntensity, 1.0f);
    EXPECT_FLOAT_EQ(r.fFalloffDistance, 10.0f);
    file.Close();
    for (size_t n = 0; n < 60; n += 4) {
        ASSERT_TRUE(SaveBlock(3, n));
        EXPECT_EQ(Load(), nullptr) << n;
    }
}

}  // namespace
