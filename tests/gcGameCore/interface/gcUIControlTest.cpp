#include "gcGameCore/interface/gcUIControl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "datagen/interfaceWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/overlayWriters.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/materialTestSupport.h"
#include "eEngine/eMaterial.h"
#include "gx/gxState.h"
#include "../test/gx_test.h"
#include "uiTestSupport.h"

namespace {

using C = gcUIControl;
constexpr int kSpriteSlot = 590;  // four sprites from here, out of the data's way
constexpr int kFontSlot = 7;
constexpr int kStringSlot = 990;

// Sprites, a font of 16-unit cells (no kerning) and the text "ab" in their
// managers while the test runs.
class ControlResources {
public:
    ControlResources()
    {
        for (int i = 0; i < C::MAX_SPRITES; ++i) {
            m_sprites[i].m_size.Set(50.0f + i, 40.0f + i);
            m_hSprites[i] = eSpriteMgr::Add(kSpriteSlot + i, &m_sprites[i], 0x100 + i);
        }
        m_hFont = eFontMgr::Add(kFontSlot, &m_font, 0x77);
        m_text.Set("ab", &m_pool);
        m_hText = gcStringMgr::Add(kStringSlot, &m_text, 0x66);
    }
    ~ControlResources()
    {
        for (int i = 0; i < C::MAX_SPRITES; ++i)
            eSpriteMgr::s_pInstances[kSpriteSlot + i] = nullptr;
        eFontMgr::s_pInstances[kFontSlot] = nullptr;
        gcStringMgr::s_pInstances[kStringSlot] = nullptr;
    }
    // Makes only the masked sprites resolve.
    void Only(C& c, uint32_t mask) const
    {
        for (int i = 0; i < C::MAX_SPRITES; ++i)
            c.m_hSprites[i] = (mask & (1u << i)) ? m_hSprites[i] : eSpriteHandle(0x00AA0000u + kSpriteSlot + i);
    }

    cMemPool m_pool{"controlText", 0x1000, false};
    eSprite m_sprites[C::MAX_SPRITES];
    eSpriteHandle m_hSprites[C::MAX_SPRITES];
    eFont m_font;
    eFontHandle m_hFont;
    gcString m_text;
    gcStringHandle m_hText;
};

class gcUIControlTest : public UiTest {
protected:
    ControlResources m_res;
};

TEST_F(gcUIControlTest, TheStateSpriteFallsBackToTheFirstThatResolves)
{
    constexpr uint32_t kOn = C::kDefaultControlFlags | C::kFocusable;
    const struct { const char* why; uint32_t flags; uint32_t resolves; int want; } rows[] = {
        {"enabled", kOn, 0xF, C::SPR_ENABLED},
        {"disabled", kOn & ~C::kEnabled, 0xF, C::SPR_DISABLED},
        {"focused", kOn | C::kFocused, 0xF, C::SPR_FOCUSED},
        {"disabled beats focused", (kOn | C::kFocused) & ~C::kEnabled, 0xF, C::SPR_DISABLED},
        {"focused as an overlay keeps the enabled one", kOn | C::kFocused | C::kFocusOverlay, 0xF, C::SPR_ENABLED},
        {"only an enabled sprite: shown when focused", kOn | C::kFocused, 0x1, C::SPR_ENABLED},
        {"only an enabled sprite: shown when disabled", kOn & ~C::kEnabled, 0x1, C::SPR_ENABLED},
        {"the first that resolves, in slot order", kOn & ~C::kEnabled, 0xC, C::SPR_UNUSED},
        {"none", kOn, 0x0, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_nFlags = row.flags;
        m_res.Only(c, row.resolves);
        EXPECT_EQ(c.GetSpriteToDraw(), row.want < 0 ? nullptr : &m_res.m_sprites[row.want]);
    }
    EXPECT_STREQ(C::GetSpriteText(C::SPR_FOCUSED), "Focused");
    EXPECT_STREQ(C::GetSpriteText(C::SPR_UNUSED), "???");
}

TEST_F(gcUIControlTest, SizeIsTheLargerOfBoxAndTextPlusPadding)
{
    constexpr uint32_t kPlain = C::kDefaultControlFlags & ~C::kTextWrap;  // one line, 16 per character
    const struct { const char* why; uint32_t flags; bool text, font; uint32_t hText; mVec2 box, want; } rows[] = {
        {"text wider, box taller", kPlain & ~C::kSpriteSize, true, true, 0, {20, 30}, {32, 30}},
        {"the shadow adds 2 each way", (kPlain & ~C::kSpriteSize) | C::kTextShadow, true, true, 0, {0, 0}, {34, 18}},
        {"the state sprite's own size", kPlain, false, true, 0, {1, 1}, {50, 40}},
        {"no font: no text size", kPlain & ~C::kSpriteSize, true, false, 0, {20, 8}, {20, 8}},
        {"a text that does not resolve reads ???", kPlain & ~C::kSpriteSize, true, true, 0x00010001, {0, 0}, {48, 16}},
        {"hidden: the padding only", (kPlain & ~C::kVisible), true, true, 0, {20, 30}, {3, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_nFlags = row.flags;
        c.m_cellPadding[0] = 3;
        c.m_size = row.box;
        m_res.Only(c, 0x1);
        c.m_hText = row.text ? (row.hText ? gcStringHandle(row.hText) : m_res.m_hText) : gcStringHandle();
        c.m_hFont = row.font ? m_res.m_hFont : eFontHandle();
        mVec2 size;
        c.GetSize(&size, 0);
        EXPECT_EQ(size, row.want + mVec2(row.flags & C::kVisible ? 3.0f : 0.0f, 0)) << size.x << " x " << size.y;
    }
    C none;
    EXPECT_EQ(none.GetText(), nullptr);
    mVec2 size;
    EXPECT_FALSE(none.GetTextSize("ab", &size));
    EXPECT_EQ(size, mVec2(0, 0));
}

TEST_F(gcUIControlTest, WrappedTextStaysWithinTheMaximumWidthAndTheSafeFrame)
{
    std::string words;
    for (int i = 0; i < 60; ++i)
        words += "abc ";
    m_res.m_text.Set(words.c_str(), &m_res.m_pool);
    const struct { const char* why; float maxWidth; float bound; } rows[] = {
        {"the control's width", 128, 128},
        {"never wider than the safe frame", 5000, 544},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_hText = m_res.m_hText;
        c.m_hFont = m_res.m_hFont;
        c.m_fMaxTextWidth = row.maxWidth;
        mVec2 size;
        c.GetTextSize(&size);
        EXPECT_LE(size.x, row.bound);
        EXPECT_GT(size.x, row.bound - 4 * 16 - 1);  // a line holds as many words as fit
        EXPECT_GT(size.y, 16.0f);
        EXPECT_EQ(c.m_curTextSize, size);
    }
}

TEST_F(gcUIControlTest, OlderBlocksKeepTheDefaultsOfFieldsTheyLack)
{
    gcTestDataDir dir;
    C src;
    src.m_nTextColorDisabled = 0x11111111;
    src.m_nTextColorShadow = 0x22222222;
    for (int i = 0; i < C::MAX_SPRITES; ++i)
        src.m_hSprites[i] = eSpriteHandle(0x00050000u + i);
    const struct { uint32_t version; uint32_t disabled, shadow; uint32_t sprite3; } rows[] = {
        {5, 0xFF7F7F7F, 0xFF000000, 0},
        {6, 0xFF7F7F7F, 0xFF000000, 0x00050003},
        {7, 0x11111111, 0xFF000000, 0x00050003},
        {8, 0x11111111, 0x22222222, 0x00050003},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("c.ui"), C::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ControlBlock(w, src, row.version, 3, 6);
                                                   }));
        const auto* c = static_cast<C*>(cBase::Load("/c.ui", &m_pool, C::GetStaticType()));
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->m_nTextColorDisabled, row.disabled);
        EXPECT_EQ(c->m_nTextColorShadow, row.shadow);
        EXPECT_EQ(c->m_hSprites[3].m_nValue, row.sprite3);
        EXPECT_EQ(c->m_nFlags, C::kDefaultControlFlags);
    }
    gcTestLogCapture log;
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("old.ui"), C::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) { datagen::ControlBlock(w, src, 4, 3); }));
    EXPECT_EQ(cBase::Load("/old.ui", &m_pool, C::GetStaticType()), nullptr);
}

// Drawing through the sprite and font renderers, counted at the backend.
class gcUIControlDrawTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        eMaterial* m = datagen::MakeOverlayMaterial(&m_pool, eTextureHandle());
        ASSERT_NE(m, nullptr);
        m_materials.push_back(m);
        const eMaterialHandle h = eMaterialMgr::Add(4, m, 0x44);
        for (eSprite& s : m_res.m_sprites)
            s.m_hMaterial = h;
        m_res.m_font.m_hMaterial = h;
        m_pDialog = m_ui.New<gcUIDialog>();
        ASSERT_NE(m_pDialog, nullptr);
        eSprite::BeginRender(nullptr);
    }
    void TearDown() override
    {
        if (!IsSkipped())
            eSprite::EndRender();
        DrawingTest::TearDown();
    }
    uint64_t Draws(C& c, unsigned int flags = 0)
    {
        mVec2 size;
        c.GetSize(&size, flags);
        GXTestResetDrawStats();
        c.Draw(nullptr, eRect{{-100, -100}, {200, 200}}, flags);
        return GXTestGetDrawStats().draws;
    }

    ControlResources m_res;
    cMemPool m_ui{"controlDraw", 0x20000, false};
    gcUIDialog* m_pDialog = nullptr;
};

TEST_F(gcUIControlDrawTest, SpritesOverlaysAndTextEachDrawOnce)
{
    constexpr uint32_t kOn = C::kDefaultControlFlags | C::kFocusable;
    const struct { const char* why; uint32_t flags; uint32_t sprites; bool text; mVec2 box; uint64_t draws; } rows[] = {
        {"the state sprite", kOn, 0xF, false, {32, 32}, 1},
        {"a focused overlay draws the enabled and the focused sprite", kOn | C::kFocused | C::kFocusOverlay, 0xF,
         false, {32, 32}, 2},
        {"a disabled focused overlay only its disabled sprite", (kOn | C::kFocused | C::kFocusOverlay) & ~C::kEnabled,
         0xF, false, {32, 32}, 1},
        {"the overlay is not drawn twice when it is the state sprite", kOn | C::kFocused | C::kFocusOverlay, 0x8,
         false, {32, 32}, 1},
        {"a box of zero width draws no sprite", kOn & ~C::kSpriteSize, 0xF, false, {0, 32}, 0},
        {"the text after the sprite", kOn, 0x1, true, {32, 32}, 2},
        {"the shadow first", kOn | C::kTextShadow, 0x1, true, {32, 32}, 3},
        {"a hidden control is not drawn", kOn & ~C::kVisible, 0xF, true, {32, 32}, 0},
        {"a font without a text draws nothing", kOn, 0x0, false, {32, 32}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_pDialog = m_pDialog;
        c.m_nFlags = row.flags;
        c.m_size = row.box;
        m_res.Only(c, row.sprites);
        c.m_hFont = m_res.m_hFont;
        c.m_hText = row.text ? m_res.m_hText : gcStringHandle();
        EXPECT_EQ(Draws(c), row.draws);
        EXPECT_EQ(c.m_curTextSize, mVec2(0, 0));
    }
    C loose;
    m_res.Only(loose, 0xF);
    EXPECT_EQ(Draws(loose), 0u);  // no dialog
}

TEST_F(gcUIControlDrawTest, SpriteAlphaIsBothOpacitiesAndHiddenControlsAreDimmed)
{
    const struct { const char* why; float control, dialog; bool visible; uint8_t alpha; } rows[] = {
        {"opaque", 1.0f, 1.0f, true, 255},
        {"the control's opacity, truncated", 0.5f, 1.0f, true, 127},
        {"times the dialog's", 0.5f, 0.5f, true, 63},
        {"hidden but drawn: 127/255 of it", 1.0f, 1.0f, false, 127},
        {"hidden and half: rounded down twice", 1.0f, 0.5f, false, 63},
        {"an opacity above 1 does not wrap", 2.0f, 1.0f, true, 255},
        {"a negative opacity is transparent", -0.5f, 1.0f, true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_pDialog = m_pDialog;
        m_pDialog->m_fOpacity = row.dialog;
        m_pDialog->m_fUniformScale = 0.75f;
        c.m_fOpacity = row.control;
        c.m_nFlags = row.visible ? C::kDefaultControlFlags : C::kDefaultControlFlags & ~C::kVisible;
        m_res.Only(c, 0x1);
        ASSERT_EQ(Draws(c, C::kDrawHidden), 1u);
        const GXTestLastDraw last = GXTestGetLastDraw();
        ASSERT_NE(last.state, nullptr);
        EXPECT_EQ(last.state->matColor[0].a, row.alpha);
        EXPECT_EQ(m_res.m_sprites[0].m_fUniformScale, 0.75f);
    }
}

// The text's alpha is its colour's times the control's and the dialog's
// opacity over 255, rounded down; drawn in white over black, the
// brightest pixel of the frame buffer shows it.
TEST_F(gcUIControlDrawTest, TextAlphaIsItsColoursScaledByTheOpacities)
{
    const struct { const char* why; uint32_t colour; float opacity; int shown; } rows[] = {
        {"opaque white", 0xFFFFFFFFu, 1.0f, 255},
        {"half: 255 x 127 / 255", 0xFFFFFFFFu, 0.5f, 127},
        {"the colour's own alpha: 200 x 255 / 255", 0xC8FFFFFFu, 1.0f, 200},
        {"both: 200 x 127 / 255, rounded down", 0xC8FFFFFFu, 0.5f, 99},
    };
    // Glyphs of a white texture: its colour is the text's own.
    eTexture* pWhite = MakeTexture(30, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 255, 255, 255));
    ASSERT_NE(pWhite, nullptr);
    eMaterial* pGlyphs = datagen::MakeOverlayMaterial(&m_pool, pWhite->m_handle);
    ASSERT_NE(pGlyphs, nullptr);
    m_materials.push_back(pGlyphs);
    m_res.m_font.m_hMaterial = eMaterialMgr::Add(5, pGlyphs, 0x45);
    m_res.m_font.m_fWidth = 16.0f;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        C c;
        c.m_pDialog = m_pDialog;
        m_pDialog->m_fOpacity = 1.0f;
        c.m_fOpacity = row.opacity;
        c.m_nFlags = C::kDefaultControlFlags;
        c.m_size = mVec2(32, 32);
        m_res.Only(c, 0);
        c.m_hFont = m_res.m_hFont;
        c.m_hText = m_res.m_hText;
        c.m_nTextColor = row.colour;
        GXTestClearEfb(GXColor{0, 0, 0, 255}, 0xFFFFFF);
        ASSERT_EQ(Draws(c), 1u);
        std::vector<uint8_t> rgba;
        ASSERT_TRUE(GXTestReadEfb(0, 0, 640, 480, &rgba));
        int brightest = 0;
        for (size_t i = 0; i < rgba.size(); i += 4)
            brightest = std::max<int>(brightest, rgba[i]);
        EXPECT_EQ(brightest, row.shown);
    }
}

}  // namespace
