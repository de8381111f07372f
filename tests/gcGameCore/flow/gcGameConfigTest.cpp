#include "gcGameCore/flow/gcGameConfig.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "datagen/flowWriters.h"
#include "eEngine/eTexture.h"
#include "gcFlowTestSupport.h"

namespace {

class gcGameConfigTest : public gcFlowTest {};

TEST_F(gcGameConfigTest, LanguageTextsAndUnknownValues)
{
    using G = gcGameConfig;
    const struct {
        int value;
        const char* sShort;
        const char* sLong;
    } rows[] = {
        {0, "eng", "English"}, {2, "fre", "French"}, {5, "dut", "Dutch"},
        {6, "???", "???"},     {-1, "???", "???"},  // MAX_LANGUAGES and below the table
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_STREQ(G::GetLanguageShortName(static_cast<G::gcLanguage>(row.value)), row.sShort);
        EXPECT_STREQ(G::GetLanguageName(static_cast<G::gcLanguage>(row.value)), row.sLong);
    }
    EXPECT_STREQ(G::GetLanguageTypeText(G::LANGUAGE_VO), "VoiceOver");
    EXPECT_STREQ(G::GetLanguageTypeText(static_cast<G::gcLanguageType>(2)), "???");
}

// The constructor puts the two fixed textures at slots 0 and 1 with check
// 0xFFFF for the materials; the destructor takes them away again.
TEST_F(gcGameConfigTest, FixedTexturesLiveAsLongAsTheConfiguration)
{
    cMemPool pool("gcGameConfigTest", 0x4000, false);
    gcGameConfig* p = pool.New<gcGameConfig>();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(gcGameConfig::s_pGameConfig, p);
    EXPECT_EQ(eMaterial::s_hLightmapTex.m_nValue, 0xFFFF0000u);
    EXPECT_EQ(eMaterial::s_hFrameBufferTex.m_nValue, 0xFFFF0001u);
    const eTexture* pLightmap = eTextureMgr::GetPtr(eMaterial::s_hLightmapTex);
    const eTexture* pFrameBuffer = eTextureMgr::GetPtr(eMaterial::s_hFrameBufferTex);
    ASSERT_NE(pLightmap, nullptr);
    ASSERT_NE(pFrameBuffer, nullptr);
    EXPECT_STREQ(pLightmap->m_name.m_sData, "( Lightmap )");
    EXPECT_STREQ(pFrameBuffer->m_name.m_sData, "( Framebuffer )");
    EXPECT_TRUE(pool.Contains(pLightmap));
    std::destroy_at(p);
    EXPECT_EQ(gcGameConfig::s_pGameConfig, nullptr);
    EXPECT_EQ(eTextureMgr::s_pInstances[0], nullptr);
    EXPECT_EQ(eTextureMgr::s_pInstances[1], nullptr);
}

const std::vector<datagen::TextureConfigRecord> kCache = {
    {eTextureConfig::FORMAT_CMPR, 256, 256, true, false, 0xFFFF},
    {eTextureConfig::FORMAT_RGBA8, 64, 32, false, true, 0x0042},
    {eTextureConfig::FORMAT_RGB5A3, 16, 16, false, false, 0},  // an empty slot
};

// Reading the texture-configuration group carves each configuration's
// texels out of the Textures pool, once, with its own description.
TEST_F(gcGameConfigTest, LoadCarvesTheTextureCacheOutOfTheTexturesPool)
{
    ASSERT_TRUE(datagen::WriteGameConfigFile(GamePath("GameConfig.gc"), 4, kCache));
    ASSERT_TRUE(gcGameConfig::Load());
    ASSERT_NE(gcGameConfig::s_pGameConfig, nullptr);
    EXPECT_EQ(gcGameConfig::s_pGameConfig->m_textureConfigs.m_nBegin, 4);
    EXPECT_EQ(gcGameConfig::s_pGameConfig->m_textureConfigs.m_nEnd, 7);
    const eTextureConfig* p4 = eTextureConfigMgr::s_pInstances[4];
    const eTextureConfig* p5 = eTextureConfigMgr::s_pInstances[5];
    ASSERT_NE(p4, nullptr);
    ASSERT_NE(p5, nullptr);
    EXPECT_EQ(eTextureConfigMgr::s_pInstances[6], nullptr);
    EXPECT_TRUE(p5->m_bRenderTarget);
    ASSERT_NE(p4->m_pTextureData, nullptr);
    ASSERT_NE(p5->m_pTextureData, nullptr);
    EXPECT_TRUE(gcGameConfig::s_texturesPool.Contains(p4->m_pTextureData));
    EXPECT_TRUE(gcGameConfig::s_texturesPool.Contains(p5->m_pTextureData));
    const uint32_t nTexels = eTextureConfig::CalcByteCount(0, 256, 256, true, nullptr) +
                             eTextureConfig::CalcByteCount(1, 64, 32, false, nullptr);
    EXPECT_GE(gcGameConfig::s_texturesPool.BytesTaken(), nTexels);
    EXPECT_LT(gcGameConfig::s_texturesPool.BytesTaken(), nTexels + 1024u);  // records and alignment only
}

TEST_F(gcGameConfigTest, VersionZeroMissingAndTruncatedFilesFail)
{
    gcTestLogCapture quiet;
    EXPECT_FALSE(gcGameConfig::Load());
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, "cFile: cannot open \"/Game/GameConfig.gc\""), 1);
    EXPECT_EQ(quiet.Count(LOGTYPE_ERROR, ""), 1) << "written once, by the file";

    datagen::BlockWriter v0;
    v0.Header().Begin(0);
    datagen::ObjectBlock(v0, "Old").End().Trailer();
    ASSERT_TRUE(v0.Save(GamePath("GameConfig.gc")));
    EXPECT_FALSE(gcGameConfig::Load());
    EXPECT_EQ(gcGameConfig::s_pGameConfig, nullptr);

    ASSERT_TRUE(datagen::WriteGameConfigFile(GamePath("GameConfig.gc"), 4, kCache));
    std::vector<uint8_t> cut = ReadHostFile(GamePath("GameConfig.gc"));
    cut.resize(cut.size() / 2);
    ASSERT_TRUE(datagen::WriteBytes(GamePath("GameConfig.gc"), cut));
    EXPECT_FALSE(gcGameConfig::Load());
    EXPECT_EQ(gcGameConfig::s_pGameConfig, nullptr);
    EXPECT_EQ(eTextureMgr::s_pInstances[0], nullptr);  // no fixed texture left behind
}

}  // namespace
