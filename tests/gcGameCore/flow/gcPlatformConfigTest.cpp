#include "gcGameCore/flow/gcPlatformConfig.h"

#include <gtest/gtest.h>

#include <vector>

#include "datagen/flowWriters.h"
#include "gcFlowTestSupport.h"

namespace {

class gcPlatformConfigTest : public gcFlowTest {
protected:
    bool SaveBlock(uint32_t version, int32_t iconSize, size_t iconBytes)
    {
        datagen::BlockWriter w;
        datagen::PlatformConfigBlock(w.Header(), version, iconSize, iconBytes).Trailer();
        return w.Save(GamePath("PlatformConfig_gc.plc"));
    }
};

TEST_F(gcPlatformConfigTest, ReadsVersionsOneToSevenWithTheirIcon)
{
    for (uint32_t version = 1; version <= gcPlatformConfig::kVersion; ++version) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(SaveBlock(version, 40, 40));
        ASSERT_TRUE(gcPlatformConfig::Load(-1));
        const gcPlatformConfig& p = *gcPlatformConfig::s_pPlatformConfig;
        EXPECT_EQ(p.m_nIconDataSize, version >= 5 ? 40 : 0);
        EXPECT_EQ(p.m_pIconData != nullptr, version >= 5);
        if (p.m_pIconData) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(p.m_pIconData) % 32, 0u);
            EXPECT_EQ(p.m_pIconData[39], 39 * 3);
        }
        EXPECT_EQ(p.m_sprites.m_nEnd, version >= 2 ? 400 : 500);  // the file's empty range, else the default
        EXPECT_EQ(p.m_constants.m_nEnd, version >= 4 ? 400 : 500);
    }
}

TEST_F(gcPlatformConfigTest, RefusesBadIconSizesAndVersionZero)
{
    gcTestLogCapture quiet;
    const struct {
        uint32_t version;
        int32_t iconSize;
        size_t iconBytes;
    } rows[] = {
        {0, 0, 0},                    // version 0
        {7, -4, 0},                   // negative icon size
        {7, 0x7FFFFFFF, 16},          // more than the pool or the block holds
        {7, 64, 16},                  // the block ends before the icon does
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.iconSize);
        ASSERT_TRUE(SaveBlock(row.version, row.iconSize, row.iconBytes));
        EXPECT_FALSE(gcPlatformConfig::Load(-1));
        EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig, nullptr);
    }
}

TEST_F(gcPlatformConfigTest, PlatformChosenByTheCommandLine)
{
    const struct {
        const char* commandLine;
        int id;
    } rows[] = {
        {"", 1}, {"/platform xbox", 2}, {"/platform gcpc", 0}, {"/platform ps2", 3}, {"/platform other", 1},
    };
    for (const auto& row : rows) {
        cSetCommandLine(row.commandLine);
        EXPECT_EQ(gcPlatformConfig::GetCurrentPlatformId(), row.id) << row.commandLine;
    }
    cStr name;
    gcPlatformConfig::GetFilename(&name, 3);
    EXPECT_STREQ(name.m_sData, "/Game/PlatformConfig_ps2.plc");
}

}  // namespace
