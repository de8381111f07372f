#include "eEngine/eLightmap.h"

#include <cstring>

#include "gx/gxFront_local.h"
#include "eEngine/eTextureData.h"
#include "materialTestSupport.h"

namespace {

constexpr int kRegion = 3;
constexpr int kSlot = eTextureMgr::kFirstLightmapSlot + kRegion;

class eLightmapTest : public MaterialTest {
protected:
    void SetUp() override
    {
        MaterialTest::SetUp();
        for (int i = 0; i < 2; ++i) {
            m_configs[i] = Configure(kSlot + i, eTextureConfig::FORMAT_CMPR, 32);
            std::memset(m_configs[i]->m_pTextureData->m_pTexels, 0x5A, 512);
            PlaceTexture(kSlot + i, "lightmap")->m_wrapMode = eTexture::WRAP_CLAMP;
        }
        m_lightmap.m_nStartIndex = kSlot;
        m_lightmap.m_nNumTextures = 2;
        for (int i = 0; i < 2; ++i) {
            datagen::RgbaImage image = SolidImage(32, static_cast<uint8_t>(100 * i), 50, 0);
            ASSERT_TRUE(datagen::MakeTextureDesc("lm", eTexture::WRAP_CLAMP, eTextureConfig::FORMAT_CMPR, false, image,
                                                 nullptr, &m_desc[i]));
        }
    }
    std::vector<uint8_t> Slot(int i) const
    {
        const uint8_t* p = static_cast<const uint8_t*>(m_configs[i]->m_pTextureData->m_pTexels);
        return std::vector<uint8_t>(p, p + 512);
    }
    eTextureConfig* m_configs[2] = {};
    eLightmap m_lightmap;
    datagen::TextureFileDesc m_desc[2];
};

TEST_F(eLightmapTest, TexturesLandInTheRegionSlotsAndApplyBindsTheCurrentOne)
{
    datagen::BlockWriter w;
    w.Header();
    datagen::LightmapBlock(w, {m_desc[0], m_desc[1]}).Int(0x7777).Trailer();
    cFile file;
    ASSERT_TRUE(OpenFile(w, &file));
    ASSERT_TRUE(m_lightmap.Read(file, &m_pool));
    EXPECT_EQ(Slot(0), m_desc[0].texels);
    EXPECT_EQ(Slot(1), m_desc[1].texels);
    EXPECT_TRUE(eTextureMgr::s_pInstances[kSlot + 1]->m_bHasData);
    EXPECT_TRUE(NextWordIs(file, 0x7777));

    m_lightmap.m_nCurrentIndex = 1;
    m_lightmap.Apply(2);
    EXPECT_EQ(eTexture::s_pLastTex[2], m_configs[1]->m_pTextureData);
    EXPECT_EQ(gxGet().texMaps[2].image, m_configs[1]->m_pTextureData->m_pTexels);
    EXPECT_EQ(gxGet().texMaps[2].wrapS, GX_CLAMP);
    m_lightmap.m_nCurrentIndex = 2;  // outside the range: nothing
    eTexture::ApplyNull(2);
    m_lightmap.Apply(2);
    EXPECT_EQ(eTexture::s_pLastTex[2], nullptr);
}

TEST_F(eLightmapTest, StoredCountsAndMissingTexturesKeepTheFileInStep)
{
    struct Row { const char* name; int stored; bool removeFirst; bool first, second; } rows[] = {
        {"fewer stored than slots", 1, false, true, false}, {"more stored than slots", 3, false, true, true},
        {"a slot without texture is passed over", 2, true, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (eTextureConfig* c : m_configs)
            std::memset(c->m_pTextureData->m_pTexels, 0x5A, 512);
        eTexture* saved = eTextureMgr::s_pInstances[kSlot];
        if (row.removeFirst)
            eTextureMgr::s_pInstances[kSlot] = nullptr;
        std::vector<datagen::TextureFileDesc> stored;
        for (int i = 0; i < row.stored; ++i)
            stored.push_back(m_desc[i % 2]);
        datagen::BlockWriter w;
        w.Header();
        datagen::LightmapBlock(w, stored).Int(0x7777).Trailer();
        cFile file;
        ASSERT_TRUE(OpenFile(w, &file));
        EXPECT_TRUE(m_lightmap.Read(file, &m_pool));
        EXPECT_EQ(Slot(0) == m_desc[0].texels, row.first);
        EXPECT_EQ(Slot(1) == m_desc[1].texels, row.second);
        EXPECT_TRUE(NextWordIs(file, 0x7777));
        eTextureMgr::s_pInstances[kSlot] = saved;
    }
}

TEST_F(eLightmapTest, VersionOneIsSkippedAndTheTexturesKeepTheirTexels)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Int(1);
    datagen::TextureBlock(w, m_desc[0]).End().Int(0x7777).Trailer();
    cFile file;
    ASSERT_TRUE(OpenFile(w, &file));
    EXPECT_TRUE(m_lightmap.Read(file, &m_pool));  // skipped, not an error: the zone goes on
    EXPECT_EQ(Slot(0), std::vector<uint8_t>(512, 0x5A));
    EXPECT_TRUE(NextWordIs(file, 0x7777));
}

}  // namespace
