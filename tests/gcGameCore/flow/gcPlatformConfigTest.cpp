#include "gcGameCore/flow/gcPlatformConfig.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <vector>

#include "eEngine/eMemCardPlatform.h"
#include "gcGameCore/script/gcString.h"

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

TEST_F(gcPlatformConfigTest, IconOfSizeZeroIsNoIcon)
{
    ASSERT_TRUE(SaveBlock(5, 0, 0));
    ASSERT_TRUE(gcPlatformConfig::Load(-1));
    EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig->m_nIconDataSize, 0);
    EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig->m_pIconData, nullptr);
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

TEST_F(gcPlatformConfigTest, StringsFollowThePlatformAndTheTextLanguage)
{
    ASSERT_TRUE(datagen::WritePlatformConfigFile(GamePath("PlatformConfig_xbox.plc"), "PlatformConfig"));
    ASSERT_TRUE(datagen::WritePlatformStringsFile(GamePath("PlatformStrings_xbox_fre.str"),
                                                  {{"Saving", "Sauvegarde"}, {"Loading", "Chargement"}}));
    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = gcGameConfig::LANGUAGE_FRENCH;
    cSetCommandLine("/platform xbox");
    cStr name;
    gcPlatformConfig::GetStringsFilename(&name, -1);
    EXPECT_STREQ(name.m_sData, "/Game/PlatformStrings_xbox_fre.str");
    ASSERT_TRUE(gcPlatformConfig::Load(-1));
    const gcStringGroup* pStrings = gcPlatformConfig::s_pPlatformConfig->m_pStrings;
    ASSERT_NE(pStrings, nullptr);
    EXPECT_EQ(pStrings->m_nBegin, 850);
    ASSERT_NE(gcStringMgr::s_pInstances[851], nullptr);
    EXPECT_STREQ(gcStringMgr::s_pInstances[851]->m_sData, "Chargement");

    // Without a strings file in the language the group is there and empty.
    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = gcGameConfig::LANGUAGE_ENGLISH;
    EXPECT_FALSE(gcPlatformConfig::s_pPlatformConfig->LoadStringTable(-1));
    pStrings = gcPlatformConfig::s_pPlatformConfig->m_pStrings;
    ASSERT_NE(pStrings, nullptr);
    EXPECT_EQ(pStrings->m_nBegin, 850);
    EXPECT_EQ(pStrings->m_nEnd, 1000);
    EXPECT_EQ(gcStringMgr::s_pInstances[851], nullptr) << "the old strings went with their group";
}

TEST_F(gcPlatformConfigTest, DamagedStringsAreRefusedAndLeaveAnEmptyTable)
{
    ASSERT_TRUE(datagen::WritePlatformConfigFile(GamePath("PlatformConfig_gc.plc"), "PlatformConfig"));
    const std::string strings = GamePath("PlatformStrings_gc_eng.str");
    ASSERT_TRUE(datagen::WritePlatformStringsFile(strings, {{"Saving", "Saving..."}, {"Loading", "Loading..."}}));
    std::vector<uint8_t> bytes = ReadHostFile(strings);
    bytes.resize(bytes.size() - 12);  // the second string cut short
    ASSERT_TRUE(datagen::WriteBytes(strings, bytes));
    gcTestLogCapture quiet;
    ASSERT_TRUE(gcPlatformConfig::Load(gcPlatformConfig::kConsolePlatform)) << "the configuration stands";
    EXPECT_FALSE(gcPlatformConfig::s_pPlatformConfig->LoadStringTable(gcPlatformConfig::kConsolePlatform));
    const gcStringGroup* pStrings = gcPlatformConfig::s_pPlatformConfig->m_pStrings;
    ASSERT_NE(pStrings, nullptr);
    EXPECT_EQ(pStrings->m_nBegin, 850);
    EXPECT_EQ(pStrings->m_nEnd, 1000);
    EXPECT_EQ(gcStringMgr::s_pInstances[850], nullptr) << "nothing of the damaged file kept";
}

TEST_F(gcPlatformConfigTest, CreatedConfigurationTakesAnAlignedIconCopy)
{
    gcPlatformConfig::Create();
    gcPlatformConfig* p = gcPlatformConfig::s_pPlatformConfig;
    ASSERT_NE(p, nullptr);
    EXPECT_STREQ(p->m_name.m_sData, "PlatformConfig");
    ASSERT_NE(p->m_pStrings, nullptr);
    std::vector<uint8_t> icon(100);
    for (size_t i = 0; i < icon.size(); ++i)
        icon[i] = static_cast<uint8_t>(i + 1);
    ASSERT_TRUE(p->SetIconData(100, icon.data()));
    ASSERT_NE(p->m_pIconData, icon.data());
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p->m_pIconData) % 32, 0u);
    EXPECT_EQ(std::memcmp(p->m_pIconData, icon.data(), icon.size()), 0);
    EXPECT_EQ(gcPlatformConfig::s_platformConfigPool.GetPoolFromPtr(p->m_pIconData), &gcPlatformConfig::s_platformConfigPool);
    gcTestLogCapture quiet;
    const struct {
        int size;
        const void* data;
    } refused[] = {{-1, icon.data()}, {4, nullptr}, {0x7FFFFFFF, icon.data()}};
    for (const auto& r : refused) {
        EXPECT_FALSE(p->SetIconData(r.size, r.data)) << r.size;
        EXPECT_EQ(p->m_nIconDataSize, 100) << "the icon stays";
    }
    ASSERT_TRUE(p->SetIconData(0, nullptr));
    EXPECT_EQ(p->m_pIconData, nullptr);
    // Written and read back: the icon reaches the memory card.
    ASSERT_TRUE(p->SetIconData(100, icon.data()));
    cFile out;
    ASSERT_TRUE(out.Create(GamePath("PlatformConfig_gc.plc").c_str(), 0, cFile::kPlatformConsole, true));
    p->Write(out);
    out.Close();
    eMemCardPlatform::s_iconData[99] = 0;
    ASSERT_TRUE(gcPlatformConfig::Load(1));
    EXPECT_EQ(eMemCardPlatform::s_iconData[99], 100);
    EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig->m_nIconDataSize, 100);
    EXPECT_EQ(gcPlatformConfig::s_pPlatformConfig->m_pIconData[99], 100);
}

}  // namespace
