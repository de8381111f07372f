// Where dialogs stand and what the stack draws: placement in the title-safe
// frame, the draw passes around the full-screen fade, the backdrop, and a
// headless run of a grid dialog fading in and moving its focus. The run's
// frames are written as PNG beside the test.
#include "gcGameCore/interface/gcUIDialog.h"

#include <gtest/gtest.h>

#include <memory>

#include "datagen/dialogWriters.h"
#include "datagen/overlayWriters.h"
#include "datagen/scriptWriters.h"
#include "eEngine/eFont.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/materialTestSupport.h"
#include "eEngine/overlayTestSupport.h"
#include "gcGameCore/script/gcString.h"
#include "gcUIDialogTestSupport.h"

namespace {

using T = gcUIShowDialogData;

// A root grid of one control of the given size (no sprite, no text).
void OneControl(gcUIDialog* d, float w, float h)
{
    d->m_widgetGroup.SetDimensions(1, 1);
    const unsigned int hc = d->m_widgetGroup.CreateCellWidget(gcUICell{0, 0}, gcUIControl::GetStaticType(), 0);
    static_cast<gcUIControl*>(d->GetControl(hc))->m_size = mVec2(w, h);
}

using gcUIDialogLayoutTest = DialogTest;

// Centred in the safe frame (-272..272 x -200..200 around the centre).
TEST_F(gcUIDialogLayoutTest, PlacesDialogAndControlsAreaInTheSafeFrame)
{
    struct Row {
        const char* why;
        int32_t layout;
        float w, h, offsetX;
        mVec2 pos, size, controlsPos, controlsSize;
    };
    const Row rows[] = {
        {"3x3 without sprites: 32 each side", gcUIDialog::DLG_LAYOUT_3x3, 100, 50, 0, {-82, -57}, {164, 114},
         {-50, -25}, {100, 50}},
        {"fixed layouts are at least 320 x 240", gcUIDialog::DLG_LAYOUT_NONE, 100, 50, 0, {-160, -120}, {320, 240},
         {-160, -120}, {320, 240}},
        {"wider widgets widen them", gcUIDialog::DLG_LAYOUT_2x2, 400, 50, 0, {-200, -120}, {400, 240}, {-200, -120},
         {400, 240}},
        {"values outside the enumeration as none", 9, 100, 50, 0, {-160, -120}, {320, 240}, {-160, -120}, {320, 240}},
        {"past the right edge the controls are cut", gcUIDialog::DLG_LAYOUT_1x1, 100, 50, 200, {40, -120},
         {320, 240}, {40, -120}, {232, 240}},
        {"wholly outside they collapse at the edge", gcUIDialog::DLG_LAYOUT_1x1, 100, 50, 600, {440, -120},
         {320, 240}, {272, -120}, {0, 240}},
        {"a 3x3 dialog cut shrinks around its controls, placed again", gcUIDialog::DLG_LAYOUT_3x3, 100, 50, 260, {197, -57},
         {126, 114}, {210, -25}, {62, 50}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        gcUIDialog* d = Dialog(0);
        OneControl(d, row.w, row.h);
        d->m_layout = row.layout;
        d->m_offset = mVec2(row.offsetX, 0);
        mVec2 pos, size, cpos, csize;
        d->GetScreenPosAndSize(0, &pos, &size, &cpos, &csize);
        EXPECT_EQ(pos, row.pos);
        EXPECT_EQ(size, row.size);
        EXPECT_EQ(cpos, row.controlsPos);
        EXPECT_EQ(csize, row.controlsSize);
    }
}

// From (0, -300) to (0, 0): 300 lower at the start, in place at the end.
TEST_F(gcUIDialogLayoutTest, OffsetTransitionMovesDialogAndControls)
{
    gcUIDialog* d = Dialog(0);
    OneControl(d, 100, 50);
    T* pShow = Action(T::kShow, T::TRANSITION_OFFSET, 1.0f);
    pShow->startOffset = mVec2(0, -300);
    gcUI::OpenDialog(d, pShow, 0);
    mVec2 pos, size, cpos, csize;
    for (auto [frames, y] : {std::pair{0, -420.0f}, {14, -270.0f}, {28, -120.0f}}) {
        SCOPED_TRACE(frames);
        Frames(frames == 0 ? 0 : 14);
        d->GetScreenPosAndSize(0, &pos, &size, &cpos, &csize);
        EXPECT_NEAR(pos.y, y, 1e-3f);
        EXPECT_NEAR(cpos.y, y, 1e-3f);
        EXPECT_EQ(pos.x, -160.0f);
    }
    Frames(32);  // the hold over, the transition state reset
    d->GetScreenPosAndSize(0, &pos, &size, &cpos, &csize);
    EXPECT_EQ(pos.y, -120.0f);
}

constexpr int kFontSlot = 6;
constexpr int kStringSlot = 77;
constexpr int kSpriteSlots = 40;  // background, enabled, focused, white, then five more colours
constexpr int kSprites = 9;
constexpr uint8_t kColours[kSprites][3] = {{60, 60, 60},  {0, 0, 160},   {160, 0, 0},   {255, 255, 255}, {0, 160, 0},
                                           {160, 160, 0}, {0, 160, 160}, {160, 0, 160}, {90, 40, 10}};

class gcUIDialogDrawTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        ui::StartInput();
        for (int i = 0; i < kSprites; ++i) {
            eTexture* pTexture = MakeTexture(20 + i, eTextureConfig::FORMAT_RGBA8,
                                             SolidImage(16, kColours[i][0], kColours[i][1], kColours[i][2]));
            ASSERT_NE(pTexture, nullptr);
            m_sprites[i].m_hMaterial = Material(10 + i, pTexture);
            m_sprites[i].m_texCoord2.Set(16, 16);
            m_hSprites[i] = eSpriteMgr::Add(kSpriteSlots + i, &m_sprites[i], static_cast<uint16_t>(0x500 + i));
        }
        // The frame buffer is cleared as a frame is copied out: earlier
        // tests' drawing leaves with one empty frame.
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        eVideo::Flip();
    }
    void TearDown() override
    {
        if (!IsSkipped()) {
            ui::StopInput();
            for (int i = 0; i < kSprites; ++i)
                eSpriteMgr::s_pInstances[kSpriteSlots + i] = nullptr;
            eFontMgr::s_pInstances[kFontSlot] = nullptr;
            gcStringMgr::s_pInstances[kStringSlot] = nullptr;
        }
        DrawingTest::TearDown();
    }
    eMaterialHandle Material(int slot, const eTexture* pTexture)
    {
        eMaterial* m = datagen::MakeOverlayMaterial(&m_pool, pTexture->m_handle);
        EXPECT_NE(m, nullptr);
        m_materials.push_back(m);
        return eMaterialMgr::Add(slot, m, static_cast<uint16_t>(0x400 + slot));
    }
    // A 1x1 dialog drawing the white sprite over itself.
    gcUIDialog* Plain(uint32_t flags)
    {
        gcUIDialog* d = m_ui.New<gcUIDialog>();
        d->m_nFlags = flags;
        d->m_layout = gcUIDialog::DLG_LAYOUT_1x1;
        d->m_hSprites[0] = m_hSprites[3];
        return d;
    }
    static uint64_t Draws(unsigned int passFlags)
    {
        GXTestResetDrawStats();
        gcUI::Get()->Draw(nullptr, passFlags, 0);
        return GXTestGetDrawStats().draws;
    }
    bool Frame(PresentedFrame* pFrame, const char* png)
    {
        eVideo::Clear(true, true, 0xFF000000u, 1.0f, nullptr);
        gcUI::Get()->Draw(nullptr, 0, 0);
        eVideo::Flip();
        return pFrame->Read() && SaveOverlayPng(png);
    }

    cMemPool m_ui{"dialogDraw", 0x80000, false};
    eSprite m_sprites[kSprites];
    eSpriteHandle m_hSprites[kSprites];
};

TEST_F(gcUIDialogDrawTest, PassesSplitAtTheDialogDrawnOverTheFadeAndCoveringStopsTheWalk)
{
    gcUIDialog* a = Plain(0);
    gcUIDialog* b = Plain(gcUIDialog::kOverFade);
    gcUIDialog* c = Plain(0);
    EXPECT_EQ(Draws(0), 0u);  // nothing open
    for (gcUIDialog* d : {a, b, c})
        gcUI::OpenDialog(d, nullptr, 0);
    struct Row {
        const char* why;
        uint32_t aFlags, cFlags;
        uint64_t all, below, over;
    };
    const Row rows[] = {
        {"three", 0, 0, 3, 1, 2},
        {"the top one covers the rest; under the fade it is not drawn", 0, gcUIDialog::kCoversBelow, 1, 1, 1},
        {"a dialog not drawn neither draws nor covers", 0, gcUIDialog::kCoversBelow | gcUIDialog::kNotDrawn, 2, 1, 1},
        {"the bottom one over the fade: all are", gcUIDialog::kOverFade, 0, 3, 0, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        a->m_nFlags = row.aFlags;
        c->m_nFlags = row.cFlags;
        EXPECT_EQ(Draws(0), row.all);
        EXPECT_EQ(Draws(1), row.below);
        EXPECT_EQ(Draws(2), row.over);
    }
}

TEST_F(gcUIDialogDrawTest, BackdropCoversTheScreenAtItsOpacity)
{
    gcUIDialog* d = m_ui.New<gcUIDialog>();
    d->m_nFlags = gcUIDialog::kBackdrop;
    d->m_hBackdropMaterial = m_sprites[3].m_hMaterial;
    gcUI::OpenDialog(d, nullptr, 0);
    PresentedFrame frame;
    ASSERT_TRUE(Frame(&frame, "dialog_backdrop.png"));
    for (auto [x, y] : {std::pair{2, 2}, {320, 240}, {637, 477}})
        EXPECT_NEAR(frame.Luma(x, y), 127, 2) << x << "," << y;  // 255 x 0.5, truncated
}

// Sprite i has colour i. Probes in screen pixels (y down) of the cells of
// a 320 x 240 dialog, and of the frame a 3x3 dialog puts round one control
// of 100 x 50 with borders of the sprites' own 32.
TEST_F(gcUIDialogDrawTest, LayoutSpritesFillTheirCells)
{
    struct Row {
        int32_t layout;
        std::vector<std::tuple<int, int, int>> probes;  // x, y, slot
    };
    const Row rows[] = {
        {gcUIDialog::DLG_LAYOUT_1x1, {{170, 130, 0}, {470, 350, 0}}},
        {gcUIDialog::DLG_LAYOUT_2x2, {{240, 180, 0}, {400, 180, 1}, {240, 300, 2}, {400, 300, 3}}},
        {gcUIDialog::DLG_LAYOUT_2x3,
         {{213, 180, 0}, {320, 180, 1}, {427, 180, 2}, {213, 300, 3}, {320, 300, 4}, {427, 300, 5}}},
        {gcUIDialog::DLG_LAYOUT_3x3,
         {{254, 199, 0}, {320, 199, 1}, {386, 199, 2}, {254, 240, 3}, {320, 240, 4}, {386, 240, 5}, {254, 281, 6},
          {320, 281, 7}, {386, 281, 8}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(gcUIDialog::GetLayoutText(row.layout));
        ui::ClearStack();
        gcUIDialog* d = m_ui.New<gcUIDialog>();
        d->m_layout = row.layout;
        std::copy(std::begin(m_hSprites), std::end(m_hSprites), d->m_hSprites);
        if (row.layout == gcUIDialog::DLG_LAYOUT_3x3)
            OneControl(d, 100, 50);
        gcUI::OpenDialog(d, nullptr, 0);
        PresentedFrame frame;
        ASSERT_TRUE(Frame(&frame, "dialog_layout.png"));
        for (auto [x, y, slot] : row.probes)
            for (int ch = 0; ch < 3; ++ch)
                EXPECT_NEAR(frame.At(x, y, ch), kColours[slot][ch], 3) << x << "," << y << " slot " << slot;
    }
}

// A datagen dialog: a 2 x 3 grid of controls with text over a grey 1x1
// background, opened with a one-second opacity fade; the focused control
// shows red, the others blue. A stick press to the right moves the focus.
TEST_F(gcUIDialogDrawTest, GridDialogFadesInAndTheFocusFollowsTheStick)
{
    datagen::FontSheet sheet;
    ASSERT_TRUE(datagen::BuildFontSheet(16, &sheet));
    eTexture* pGlyphs = MakeTexture(35, eTextureConfig::FORMAT_RGBA8, sheet.image);
    ASSERT_NE(pGlyphs, nullptr);
    eFont font;
    font.m_fWidth = 16;
    font.m_nFlags = eFont::kFlagKerning;
    std::copy(std::begin(sheet.kern), std::end(sheet.kern), font.m_kernTable);
    font.m_hMaterial = Material(25, pGlyphs);
    const eFontHandle hFont = eFontMgr::Add(kFontSlot, &font, 0x66);
    gcString* pText = datagen::NewString(&m_ui, "Ok", "OK");
    ASSERT_NE(pText, nullptr);
    const gcStringHandle hText = gcStringMgr::Add(kStringSlot, pText, 0x77);

    datagen::GridDialogDesc grid;
    grid.hFont = hFont.m_nValue;
    grid.hText = hText.m_nValue;
    grid.hEnabledSprite = m_hSprites[1].m_nValue;
    grid.hFocusedSprite = m_hSprites[2].m_nValue;
    gcUIDialog* pBuilt = datagen::NewGridDialog(&m_ui, grid);
    ASSERT_NE(pBuilt, nullptr);
    pBuilt->m_layout = gcUIDialog::DLG_LAYOUT_1x1;
    pBuilt->m_hSprites[0] = m_hSprites[0];
    ASSERT_TRUE(datagen::WriteDialogGroupFile(m_data.HostPath("ui.dat"), 30, {{pBuilt, 0x3131}}));
    auto* pGroup = dcast<gcUIDialogGroup>(cBase::Load("/ui.dat", &m_ui, gcUIDialogGroup::GetStaticType()));
    ASSERT_NE(pGroup, nullptr);
    gcUIDialog* d = gcUIDialogMgr::GetPtr(gcUIDialogHandle(0x3131001E));
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->m_nControls, 6);

    gcUIShowDialogData* pFade = m_ui.New<gcUIShowDialogData>();
    pFade->transition = T::TRANSITION_OPACITYFADE;
    gcUI::OpenDialog(d, pFade, 0);
    // Cells of 106.7 x 120 in the 320 x 240 dialog at 160..480 x 120..360;
    // each control's 96 x 64 box is centred in its cell, its text in the box.
    const int cellX[3] = {213, 320, 427}, cellY[2] = {180, 300};
    auto boxColour = [](const PresentedFrame& f, int c, int r, int channel) {
        const int cx[3] = {213, 320, 427}, cy[2] = {180, 300};
        return f.At(cx[c] - 40, cy[r] - 25, channel);
    };
    auto textPixels = [&](const PresentedFrame& f, int c, int r) {
        int n = 0;
        for (int y = cellY[r] - 20; y < cellY[r] + 20; ++y)
            for (int x = cellX[c] - 40; x < cellX[c] + 40; ++x)
                n += f.At(x, y, 1) > 200;  // white or yellow text: green is high only there
        return n;
    };
    struct Step {
        const char* png;
        int frames;
        int background, blue, red;  // grey, enabled (blue) and focused (red) box channels
    };
    const Step fade[] = {
        {"dialog_fade_0.png", 0, 0, 0, 0},
        {"dialog_fade_14.png", 14, 30, 95, 95},  // half of each, the boxes over half the grey
        {"dialog_fade_28.png", 14, 60, 160, 160},
    };
    PresentedFrame frame;
    for (const Step& s : fade) {
        SCOPED_TRACE(s.png);
        ui::Frames(s.frames);
        ASSERT_TRUE(Frame(&frame, s.png));
        EXPECT_NEAR(frame.At(170, 130, 0), s.background, 3);  // the grey background's corner
        EXPECT_NEAR(boxColour(frame, 0, 0, 0), s.red, 3);      // cell (0, 0) focused
        EXPECT_NEAR(boxColour(frame, 1, 0, 2), s.blue, 3);
        EXPECT_NEAR(boxColour(frame, 2, 1, 2), s.blue, 3);
    }
    EXPECT_GT(textPixels(frame, 0, 0), 20);
    EXPECT_GT(textPixels(frame, 2, 1), 20);

    ui::Frames(32);  // the hold phase; the dialog reads input afterwards
    ui::Pad(0);
    ui::Pad(0, 100, 0);  // stick to the right
    ui::Frames(1);
    ui::Pad(0);
    ASSERT_TRUE(Frame(&frame, "dialog_focus_moved.png"));
    EXPECT_NEAR(boxColour(frame, 0, 0, 2), 160, 3);  // blue now
    EXPECT_NEAR(boxColour(frame, 0, 0, 0), 0, 3);
    EXPECT_NEAR(boxColour(frame, 1, 0, 0), 160, 3);  // red now
    EXPECT_GT(textPixels(frame, 1, 0), 20);
    std::destroy_at(pGroup);
}

}  // namespace
