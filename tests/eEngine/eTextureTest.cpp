#include "eEngine/eTexture.h"

#include <cstring>

#include <gtest/gtest.h>

#include "gx/gxFront_local.h"
#include "eEngine/eTextureData.h"
#include "eEngine/eTextureGroup.h"
#include "materialTestSupport.h"

namespace {

using F = eTextureConfig::eFormat;

std::vector<uint8_t> SlotBytes(const eTextureConfig* c)
{
    const uint8_t* p = static_cast<const uint8_t*>(c->m_pTextureData->m_pTexels);
    return std::vector<uint8_t>(p, p + c->m_pTextureData->m_nBytes);
}

std::vector<uint8_t> Filled(const eTextureConfig* c, uint8_t value)
{
    return std::vector<uint8_t>(c->m_pTextureData->m_nBytes, value);
}

datagen::TextureFileDesc Desc(F format, uint32_t size, bool mip = false)
{
    datagen::TextureFileDesc d;
    d.name = "wall";
    d.wrap = eTexture::WRAP_CLAMP_T;
    d.format = format;
    d.width = d.height = size;
    d.bMipmaps = mip;
    d.texels.resize(eTextureConfig::CalcByteCount(format, size, size, mip, nullptr));
    for (size_t i = 0; i < d.texels.size(); ++i)
        d.texels[i] = static_cast<uint8_t>(i * 7 + 1);
    return d;
}

class eTextureTest : public MaterialTest {};

TEST_F(eTextureTest, ReadCopiesMatchingTexelsOrLeavesTheSlotWhite)
{
    enum Expect { NEW_TEXELS, WHITE, KEPT };
    struct Row {
        const char* name;
        F configFormat;
        uint32_t configSize, storedSize;
        bool hasTexels;
        int32_t present;     // first word of the console block
        int byteCountDelta;  // added to the stored byte count
        Expect expect;
        bool storedMips;
    };
    const Row rows[] = {
        {"description matches", F::FORMAT_RGBA8, 64, 64, true, 0, 0, NEW_TEXELS, false},
        {"128 into a 256 slot stays white", F::FORMAT_CMPR, 256, 128, true, 0, 0, WHITE, false},
        {"format differs", F::FORMAT_CMPR_ALPHA, 64, 64, true, 0, 0, WHITE, false},
        {"no texels stays white", F::FORMAT_RGBA8, 64, 64, false, 0, 0, WHITE, false},
        {"byte count differs keeps the texels", F::FORMAT_RGBA8, 64, 64, true, 0, 32, KEPT, false},
        {"a byte count one short keeps the texels", F::FORMAT_RGBA8, 64, 64, true, 0, -1, KEPT, false},
        {"mipmaps the slot has not stay white", F::FORMAT_RGBA8, 64, 64, true, 0, 0, WHITE, true},
        {"no texels follow keeps the texels", F::FORMAT_RGBA8, 64, 64, true, -1, 0, KEPT, false},
    };
    int slot = 30;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eTextureConfig* c = Configure(slot, row.configFormat, row.configSize);
        eTexture* t = PlaceTexture(slot++);
        ASSERT_NE(t, nullptr);
        std::memset(c->m_pTextureData->m_pTexels, 0x5A, c->m_pTextureData->m_nBytes);
        t->m_bHasData = true;
        datagen::TextureFileDesc d = Desc(row.configFormat == F::FORMAT_CMPR_ALPHA ? F::FORMAT_CMPR : row.configFormat,
                                          row.storedSize, row.storedMips);
        d.bHasTexels = row.hasTexels;
        datagen::BlockWriter w;
        w.Header();
        if (row.present != 0 || row.byteCountDelta != 0) {
            w.Begin(5).Begin(1).Begin(1).End().Name("wall").End().Int(d.wrap).Int(1);
            w.Int(d.format).Word(d.width).Word(d.height).Word(0).Word(0);
            w.Begin(1).Int(row.present).Int(0).Word(static_cast<uint32_t>(d.texels.size() + row.byteCountDelta));
            w.Bytes(d.texels.data(), d.texels.size()).End().End();
        } else {
            datagen::TextureBlock(w, d);
        }
        w.Int(0x7777).Trailer();
        cFile file;
        ASSERT_TRUE(OpenFile(w, &file));
        EXPECT_TRUE(t->Read(file, &m_pool));
        EXPECT_TRUE(NextWordIs(file, 0x7777));
        EXPECT_EQ(t->m_wrapMode, eTexture::WRAP_CLAMP_T);
        EXPECT_EQ(t->m_bHasData, row.expect != WHITE);
        if (row.expect == NEW_TEXELS) {
            EXPECT_EQ(SlotBytes(c), d.texels);
            EXPECT_EQ(c->m_pTextureData->m_texObj.wrapS, GX_REPEAT);
            EXPECT_EQ(c->m_pTextureData->m_texObj.wrapT, GX_CLAMP);
        } else {
            EXPECT_EQ(SlotBytes(c), Filled(c, row.expect == WHITE ? 0xFF : 0x5A));
        }
    }
}

TEST_F(eTextureTest, SlotWithoutConfigurationIsSkipped)
{
    eTexture* t = PlaceTexture(60, "old");
    t->m_bHasData = true;
    datagen::BlockWriter w;
    w.Header();
    datagen::TextureBlock(w, Desc(F::FORMAT_RGBA8, 64)).Int(0x7777);
    w.Trailer();
    cFile file;
    ASSERT_TRUE(OpenFile(w, &file));
    EXPECT_TRUE(t->Read(file, &m_pool));  // logged, nothing filled
    EXPECT_FALSE(t->m_bHasData);
    EXPECT_TRUE(NextWordIs(file, 0x7777));
}

TEST_F(eTextureTest, ApplyLoadsAMapOnceUntilForgotten)
{
    eTextureConfig* c = Configure(30, F::FORMAT_RGBA8, 64);
    eTexture* t = PlaceTexture(30);
    GXTexObj& obj = c->m_pTextureData->m_texObj;
    t->Apply(0);
    EXPECT_EQ(gxGet().texMaps[0].image, obj.image);
    GXInitTexObjWrapMode(&obj, GX_CLAMP, GX_CLAMP);
    t->Apply(0);
    EXPECT_EQ(gxGet().texMaps[0].wrapS, GX_REPEAT);
    t->Apply(1);  // another map has its own entry
    EXPECT_EQ(gxGet().texMaps[1].wrapS, GX_CLAMP);
    eTexture::ApplyNull(0);
    t->Apply(0);
    EXPECT_EQ(gxGet().texMaps[0].wrapS, GX_CLAMP);
}

TEST_F(eTextureTest, SetDataNeverWritesPastTheSlotAndNullDataWhitens)
{
    eTextureConfig* c = Configure(30, F::FORMAT_CMPR, 64);  // 2048 bytes for 4096 texels
    eTexture* t = PlaceTexture(30);
    const uint8_t* end = static_cast<const uint8_t*>(c->m_pTextureData->m_pTexels) + 2048;
    const uint8_t guard = *end;
    const std::vector<uint8_t> src(64 * 64, 0x33);
    t->SetData(src.data());
    EXPECT_TRUE(t->m_bHasData);
    EXPECT_EQ(SlotBytes(c), Filled(c, 0x33));
    EXPECT_EQ(*end, guard);
    t->NullData();
    EXPECT_FALSE(t->m_bHasData);
    EXPECT_EQ(SlotBytes(c), Filled(c, 0xFF));
}

TEST(eTexture, FileNameRules)
{
    struct Row {
        const char* path;
        bool ok;
        int size;
        int32_t format, wrap;
        bool flag;
    };
    const Row rows[] = {
        {"64ax_a", true, 64, F::FORMAT_CMPR_ALPHA, eTexture::WRAP_CLAMP_T, false},
        {"/Art/Walls/128cr_stone01.tga", true, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},
        {"256DY_Moss_2", true, 256, F::FORMAT_CMPR, eTexture::WRAP_CLAMP_S, true},
        {"128hc_glass", true, 128, F::FORMAT_RGB5A3, eTexture::WRAP_CLAMP, false},
        {"64fr_leaf", true, 64, F::FORMAT_I4, eTexture::WRAP_REPEAT, false},
        {"64HX_", true, 64, F::FORMAT_RGB5A3, eTexture::WRAP_CLAMP_T, false},  // nothing after the underscore
        {"128cr_abcdefghijklm", true, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},    // 19 characters
        {"128cr_abcdefghijklmn", false, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},  // 20
        {"512cr_a", false, 0, F::FORMAT_UNSET, eTexture::WRAP_REPEAT, false},
        {"128cr-a", false, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},
        {"128zr_a", false, 128, F::FORMAT_UNSET, eTexture::WRAP_REPEAT, false},
        {"128cq_a", false, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},
        {"128cr_a b", false, 128, F::FORMAT_CMPR, eTexture::WRAP_REPEAT, false},
        {"128c", false, 128, F::FORMAT_UNSET, eTexture::WRAP_REPEAT, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        int size = -1;
        eTextureConfig::eFormat format = F::FORMAT_RGBA8;
        eTexture::eWrapMode wrap = eTexture::WRAP_CLAMP;
        bool flag = true;
        EXPECT_EQ(eTexture::GetSettingsFromFilename(row.path, &size, &format, &wrap, &flag), row.ok);
        EXPECT_EQ(size, row.size);
        EXPECT_EQ(format, row.format);
        EXPECT_EQ(wrap, row.wrap);
        EXPECT_EQ(flag, row.flag);
    }
}

TEST_F(eTextureTest, ImportFindsTheSlotByNameOrConfiguration)
{
    Configure(61, F::FORMAT_CMPR_ALPHA, 64);
    Configure(62, F::FORMAT_CMPR, 64);
    Configure(63, F::FORMAT_CMPR, 128);
    auto* group = m_pool.New<eTextureGroup>();
    group->m_nBegin = 60;
    group->m_nEnd = 64;
    EXPECT_TRUE(group->Import("/Art/64FR_Leaf.tga"));
    ASSERT_TRUE(eTextureMgr::s_pInstances[61] && eTextureMgr::s_pInstances[62]);
    EXPECT_TRUE(eTextureMgr::s_pInstances[61]->m_name == "64ar_leaf");
    EXPECT_TRUE(eTextureMgr::s_pInstances[62]->m_name == "64cr_leaf");
    EXPECT_TRUE(group->Import("/Art/128cx_rock.tga"));
    const eTextureHandle h = eTextureMgr::GetHandle(63);
    EXPECT_EQ(eTextureMgr::GetPtr(h)->m_wrapMode, eTexture::WRAP_CLAMP_T);
    EXPECT_TRUE(group->Import("/Other/128cx_rock.tga"));  // the same name: replaced under its handle
    EXPECT_EQ(eTextureMgr::GetHandle(63), h);
    EXPECT_FALSE(group->Import("/Art/256cr_big.tga"));  // no slot of that size
    EXPECT_FALSE(group->Import("/Art/512cr_a.tga"));
    std::destroy_at(group);
}

}  // namespace
