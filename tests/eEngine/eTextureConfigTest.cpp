#include "eEngine/eTextureConfig.h"

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureData.h"
#include "materialTestSupport.h"

namespace {

using F = eTextureConfig::eFormat;

TEST(eTextureConfig, ByteCountsAndLevelsPerFormat)
{
    struct Row {
        const char* name;
        int32_t format;
        uint32_t w, h;
        bool mip;
        uint32_t bytes;
        int levels;
    };
    const Row rows[] = {
        {"CMPR 256 mipmapped", F::FORMAT_CMPR, 256, 256, true, 43680, 6},
        {"CMPR alpha 64 mipmapped", F::FORMAT_CMPR_ALPHA, 64, 64, true, 2720, 4},
        {"RGBA8 64 mipmapped", F::FORMAT_RGBA8, 64, 64, true, 21824, 5},
        {"RGB5A3 128 single level", F::FORMAT_RGB5A3, 128, 128, false, 32768, 1},
        {"RGB5A3 4 x 4 counts for 16-bit", F::FORMAT_RGB5A3, 4, 4, true, 32, 1},
        {"C8 64 mipmapped stops above 4", F::FORMAT_C8, 64, 64, true, 5440, 4},
        {"CMPR 4 x 4 holds nothing", F::FORMAT_CMPR, 4, 4, false, 0, 0},
        {"RGBA8 256 x 64: the short side ends the chain", F::FORMAT_RGBA8, 256, 64, true, 87296, 5},
        {"I4 reserves nothing", F::FORMAT_I4, 64, 64, false, 0, 0},
        {"negative reserves nothing", -1, 64, 64, false, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int levels = -1;
        EXPECT_EQ(eTextureConfig::CalcByteCount(row.format, row.w, row.h, row.mip, &levels), row.bytes);
        EXPECT_EQ(levels, row.levels);
    }
}

class eTextureConfigTest : public MaterialTest {};

TEST_F(eTextureConfigTest, CreateReservesAlignedTexelsPlusFourRoundedTo32)
{
    eTextureConfig* c = Configure(5, F::FORMAT_RGB5A3, 128);
    ASSERT_TRUE(c && c->m_pTextureData && c->m_pTextureData->m_pTexels);
    const eTextureData& d = *c->m_pTextureData;
    EXPECT_EQ(d.m_nBytes, 32768u);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(d.m_pTexels) % 32, 0u);
    const size_t texelOffset = static_cast<const uint8_t*>(d.m_pTexels) - m_textures.GetStart();
    EXPECT_EQ(m_textures.BytesTaken(), texelOffset + 32800);
}

TEST_F(eTextureConfigTest, CreateSetsUpTheHardwareObject)
{
    struct Row {
        F format;
        uint32_t size;
        bool mip, target;
        GXTexFmt gxFormat;
        GXTexFilter minFilter;
        float maxLod;
        GXTexWrapMode wrap;
    };
    const Row rows[] = {
        {F::FORMAT_CMPR, 256, true, false, GX_TF_CMPR, GX_LIN_MIP_LIN, 5.0f, GX_REPEAT},
        {F::FORMAT_CMPR_ALPHA, 64, false, false, GX_TF_CMPR, GX_LINEAR, 0.0f, GX_REPEAT},
        {F::FORMAT_RGBA8, 64, true, true, GX_TF_RGBA8, GX_LIN_MIP_LIN, 4.0f, GX_CLAMP},  // render target
        {F::FORMAT_C8, 64, false, false, GX_TF_C8, GX_LINEAR, 0.0f, GX_REPEAT},
    };
    int slot = 20;
    for (const Row& row : rows) {
        SCOPED_TRACE(slot);
        eTextureConfig* c = Configure(slot++, row.format, row.size, row.mip, row.target);
        ASSERT_TRUE(c && c->m_pTextureData);
        const GXTexObj& o = c->m_pTextureData->m_texObj;
        EXPECT_EQ(o.image, c->m_pTextureData->m_pTexels);
        EXPECT_EQ(o.width, row.size);
        EXPECT_EQ(o.format, row.gxFormat);
        EXPECT_EQ(o.colorIndexed, row.format == F::FORMAT_C8 ? GX_TRUE : GX_FALSE);
        EXPECT_EQ(o.minFilter, row.minFilter);
        EXPECT_EQ(o.maxLod, row.maxLod);
        EXPECT_EQ(o.wrapS, row.wrap);
        EXPECT_EQ(o.wrapT, row.wrap);
    }
}

TEST_F(eTextureConfigTest, FormatsWithoutMemoryAndOversizeSlotsKeepTheirFields)
{
    const struct {
        F format;
        uint32_t size;
    } rows[] = {{F::FORMAT_I4, 128}, {F::FORMAT_UNSET, 128}, {F::FORMAT_RGBA8, 2048}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size);
        eTextureConfig c;
        c.m_format = F::FORMAT_CMPR_ALPHA;  // as read
        c.m_nWidth = 64;
        c.Create(&m_textures, row.format, row.size, row.size, false, false);
        ASSERT_NE(c.m_pTextureData, nullptr);
        EXPECT_EQ(c.m_pTextureData->m_nBytes, 0u);
        EXPECT_EQ(c.m_pTextureData->m_pTexels, nullptr);
        EXPECT_EQ(c.m_format, F::FORMAT_CMPR_ALPHA);
        EXPECT_EQ(c.m_nWidth, 64u);
    }
}

}  // namespace
