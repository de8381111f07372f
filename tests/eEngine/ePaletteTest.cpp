#include "eEngine/ePalette.h"

#include <memory>

#include <gtest/gtest.h>

#include "gx/gxFront_local.h"
#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/materialWriters.h"
#include "materialTestSupport.h"

namespace {

datagen::GxPalette Ramp()
{
    datagen::GxPalette p;
    for (int i = 0; i < 256; ++i) {
        p.entries.push_back(static_cast<uint8_t>(255 - i));  // alpha
        p.entries.push_back(static_cast<uint8_t>(i));        // intensity
    }
    return p;
}

class ePaletteTest : public MaterialTest {};

TEST_F(ePaletteTest, PalettesReadFromOnePoolLie544BytesApart)
{
    datagen::BlockWriter w;
    w.Header();
    datagen::PaletteBlock(w, Ramp().entries);
    datagen::PaletteBlock(w, Ramp().entries).Trailer();
    cFile file;
    ASSERT_TRUE(OpenFile(w, &file));
    m_pool.Alloc(3, 1);  // the first reservation must align itself
    ePalette a, b;
    ASSERT_TRUE(a.Read(file, &m_pool));
    ASSERT_TRUE(b.Read(file, &m_pool));
    ASSERT_TRUE(a.m_pData && b.m_pData);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(a.m_pData) % 32, 0u);
    const ptrdiff_t apart = static_cast<ptrdiff_t>((544 + cMemPool::kRedZone + 31) / 32 * 32);
    EXPECT_EQ(reinterpret_cast<const uint8_t*>(b.m_pData) - reinterpret_cast<const uint8_t*>(a.m_pData), apart);
    EXPECT_EQ(a.m_pData->m_entries[0], 255);
    EXPECT_EQ(a.m_pData->m_entries[511], 255);
    EXPECT_EQ(a.m_pData->m_tlutObj.lut, a.m_pData->m_entries);
    EXPECT_EQ(a.m_pData->m_tlutObj.numEntries, 256);
    EXPECT_EQ(a.m_pData->m_tlutObj.format, GX_TL_IA8);
}

TEST_F(ePaletteTest, ApplyAlwaysLoadsPaletteMemoryZeroAndCopiesShareEntries)
{
    ePalette p;
    ASSERT_TRUE(p.Create(&m_pool));
    p.Apply(3);
    EXPECT_EQ(gxGet().tluts[GX_TLUT0].lut, p.m_pData->m_entries);
    EXPECT_EQ(gxGet().tluts[GX_TLUT0].numEntries, 256);
    EXPECT_NE(gxGet().tluts[3].lut, p.m_pData->m_entries);
    auto* copy = static_cast<ePalette*>(p.Copy(&m_pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_pData, p.m_pData);
    std::destroy_at(copy);
}

}  // namespace
