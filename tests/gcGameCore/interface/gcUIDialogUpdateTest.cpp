#include "gcGameCore/interface/gcUIDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "gcGameCore/actions/gcDoUIFocus.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcUIDialogTestSupport.h"

namespace {

using W = gcUIWidget;
using Tags = std::vector<int32_t>;

constexpr int32_t kGameConfirm = 81, kGameBack = 82, kGameFocusChanged = 83;

// A dialog (tags 100 + code) open on the stack with a 2 x 2 grid of
// controls linked as neighbours without wrapping; control i's confirm and
// back record 10 + i and 20 + i. The game's three interface events record
// 81 to 83.
class gcUIDialogUpdateTest : public DialogTest {
protected:
    void SetUp() override
    {
        DialogTest::SetUp();
        m_pGame = m_pool.New<gcGame>();
        FillEvent(m_pGame->m_onUIConfirm, m_steps.Record(kGameConfirm));
        FillEvent(m_pGame->m_onUIBack, m_steps.Record(kGameBack));
        FillEvent(m_pGame->m_onUIFocusChanged, m_steps.Record(kGameFocusChanged));
        m_pDialog = Dialog(100);
        gcUIWidgetGroup& root = m_pDialog->m_widgetGroup;
        root.SetDimensions(2, 2);
        for (int16_t i = 0; i < 4; ++i) {
            const unsigned int h = root.CreateCellWidget(gcUICell{static_cast<int16_t>(i / 2), static_cast<int16_t>(i % 2)},
                                                         gcUIControl::GetStaticType(), 0);
            m_c[i] = m_pDialog->GetControl(h);
            m_c[i]->m_nFlags |= W::kFocusable;
            FillEvent(m_c[i]->onConfirm, m_steps.Record(10 + i));
            FillEvent(m_c[i]->onBack, m_steps.Record(20 + i));
        }
        root.SetAutoNeighbors(true, true, false, false);
        m_pDialog->m_hInitiallyFocusedControl = m_c[0]->GetWidgetHandle();
        gcUI::OpenDialog(m_pDialog, nullptr, 0);
        Frames(1);  // the initial update
        TestLog().clear();
    }
    void TearDown() override
    {
        std::destroy_at(m_pGame);
        DialogTest::TearDown();
    }
    int Focused() const
    {
        for (int i = 0; i < 4; ++i)
            if (m_pDialog->m_hFocusedControl == m_c[i]->GetWidgetHandle())
                return i;
        return -1;
    }
    // One frame with these buttons and stick held after a frame of nothing.
    void Press(uint16_t buttons, int8_t stickX = 0, int8_t stickY = 0)
    {
        Pad(0);
        Pad(buttons, stickX, stickY);
        Frames(1);
        Pad(0);
    }
    static long CountTag(int32_t tag)
    {
        const Tags tags = TestLogTags();
        return std::count(tags.begin(), tags.end(), tag);
    }
    static void Returns(gcEvent& event, int32_t tag, float value, gcTestBuilder& b)
    {
        FillEvent(event, b.Record(tag), b.Return(b.Num(value)));
    }

    gcGame* m_pGame = nullptr;
    gcUIDialog* m_pDialog = nullptr;
    gcUIWidget* m_c[4] = {};
};

TEST_F(gcUIDialogUpdateTest, DirectionsMoveTheFocusAndLeftBeatsDown)
{
    ASSERT_EQ(Focused(), 0);
    struct Row {
        const char* why;
        uint16_t buttons;
        int8_t stickX, stickY;
        int from, to;
        Tags tags;
    };
    const Row rows[] = {
        {"right", PAD_BUTTON_RIGHT, 0, 0, 0, 1, {110, kGameFocusChanged}},
        {"left and down together: left", PAD_BUTTON_LEFT | PAD_BUTTON_DOWN, 0, 0, 1, 0, {110, kGameFocusChanged}},
        {"stick down", 0, 0, -100, 0, 2, {110, kGameFocusChanged}},
        {"nothing beyond the edge: no event", PAD_BUTTON_DOWN, 0, 0, 2, 2, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ASSERT_EQ(Focused(), row.from);
        TestLog().clear();
        Press(row.buttons, row.stickX, row.stickY);
        EXPECT_EQ(Focused(), row.to);
        Tags tags = TestLogTags();
        std::erase_if(tags, [](int32_t t) { return t == 107 || t == 108; });  // the frame's update events
        EXPECT_EQ(tags, row.tags);
        EXPECT_TRUE(m_c[row.to]->m_nFlags & W::kFocused);
    }
    m_pDialog->m_nFlags |= gcUIDialog::kNoGameFocusChanged;
    TestLog().clear();
    Press(PAD_BUTTON_UP);
    EXPECT_EQ(Focused(), 0);
    EXPECT_EQ(CountTag(kGameFocusChanged), 0);
}

TEST_F(gcUIDialogUpdateTest, AControlThatCapturesTheFocusKeepsIt)
{
    m_c[0]->CaptureFocus(true);
    Press(PAD_BUTTON_RIGHT);
    EXPECT_EQ(Focused(), 0);
}

// A ring of controls that cannot take the focus, not passing through the
// start, ends the walk after as many steps as the dialog has controls.
TEST_F(gcUIDialogUpdateTest, NeighbourWalkIntoARingOfUnfocusableControlsFindsNothing)
{
    m_c[0]->SetNeighbor(W::NEIGHBOR_RIGHT, m_c[1]->GetWidgetHandle());
    m_c[1]->SetNeighbor(W::NEIGHBOR_RIGHT, m_c[2]->GetWidgetHandle());
    m_c[2]->SetNeighbor(W::NEIGHBOR_RIGHT, m_c[1]->GetWidgetHandle());
    m_c[1]->m_nFlags &= ~W::kFocusable;
    m_c[2]->m_nFlags &= ~W::kEnabled;
    Press(PAD_BUTTON_RIGHT);
    EXPECT_EQ(Focused(), 0);
    EXPECT_FALSE(m_pDialog->FocusNextControl(W::NEIGHBOR_RIGHT, nullptr));
}

TEST_F(gcUIDialogUpdateTest, ConfirmAndBackGoFromControlToDialogToGame)
{
    struct Row {
        const char* why;
        float control, dialog;
        uint32_t flags;
        Tags confirm, back;
    };
    const Row rows[] = {
        {"the control handles it", 1, 0, 0, {10}, {20}},
        {"the dialog handles it", 0, 1, 0, {10, 103}, {20, 104}},
        {"nobody: the game's event", 0, 0, 0, {10, 103, kGameConfirm}, {20, 104, kGameBack}},
        {"nobody, the game's events turned off", 0, 0, gcUIDialog::kNoGameConfirm | gcUIDialog::kNoGameBack,
         {10, 103}, {20, 104}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        Returns(m_c[0]->onConfirm, 10, row.control, m_steps);
        Returns(m_c[0]->onBack, 20, row.control, m_steps);
        Returns(m_pDialog->onConfirm, 103, row.dialog, m_steps);
        Returns(m_pDialog->onBack, 104, row.dialog, m_steps);
        m_pDialog->m_nFlags = (m_pDialog->m_nFlags & ~0x60u) | row.flags;
        for (auto [button, expected] : {std::pair{PAD_BUTTON_A, row.confirm}, std::pair{PAD_BUTTON_B, row.back}}) {
            TestLog().clear();
            Press(button);
            Tags tags = TestLogTags();
            std::erase_if(tags, [](int32_t t) { return t == 107 || t == 108; });
            EXPECT_EQ(tags, expected);
        }
    }
    // Both in one frame: confirm first, then back.
    Returns(m_pDialog->onConfirm, 103, 1, m_steps);
    Returns(m_pDialog->onBack, 104, 1, m_steps);
    Returns(m_c[0]->onConfirm, 10, 0, m_steps);
    Returns(m_c[0]->onBack, 20, 0, m_steps);
    TestLog().clear();
    Press(PAD_BUTTON_A | PAD_BUTTON_B);
    Tags tags = TestLogTags();
    std::erase_if(tags, [](int32_t t) { return t == 107 || t == 108; });
    EXPECT_EQ(tags, (Tags{10, 103, 20, 104}));
}

// Only the focused dialog runs OnUpdate and reads buttons; a dialog opened
// at the bottom runs its initial update once it is on top. OnUpdate's first
// in-value is the dialog clock: 0 in the frame of the initial update.
TEST_F(gcUIDialogUpdateTest, InitialUpdateAndClockFollowTheFocus)
{
    gcUIDialog* b = Dialog(200);
    gcUIShowDialogData* pBottom = m_pool.New<gcUIShowDialogData>();
    pBottom->nFlags = gcUIShowDialogData::kShow | gcUIShowDialogData::kAtBottom;
    gcUI::OpenDialog(b, pBottom, 0);
    TestLog().clear();
    Frames(2);
    EXPECT_EQ(TestLogTags(), (Tags{207, 108, 107, 207, 108, 107}));  // b refreshed only
    gcUI::CloseDialog(m_pDialog, nullptr, false);
    TestLog().clear();
    Frames(3);
    const auto& log = TestLog();
    std::vector<float> clock;
    for (const auto& e : log)
        if (e.nTag == 208)
            clock.push_back(e.fParam1);
    EXPECT_EQ(TestLogTags().front(), 209);
    ASSERT_EQ(clock.size(), 3u);
    EXPECT_EQ(clock[0], 0.0f);
    EXPECT_NEAR(clock[1], 1.0f / 30, 1e-6f);
    EXPECT_NEAR(clock[2], 2.0f / 30, 1e-6f);
}

// Hiding the focused control clears the focus (an event), then focuses the
// initially focused control if it can, else its nearest neighbour.
TEST_F(gcUIDialogUpdateTest, HidingTheFocusedControlMovesTheFocus)
{
    m_pDialog->FocusControl(m_c[3]->GetWidgetHandle());
    m_c[0]->m_nFlags &= ~W::kEnabled;  // the initially focused one cannot
    TestLog().clear();
    m_c[3]->Show(false);
    EXPECT_EQ(Focused(), 2);  // down from 0: 2
    EXPECT_EQ(CountTag(110), 2);
    EXPECT_FALSE(m_c[3]->m_nFlags & W::kFocused);
    // With nothing focused, a control that becomes focusable takes it.
    m_pDialog->FocusControl(0);
    ASSERT_EQ(Focused(), -1);
    m_c[0]->Enable(true);
    EXPECT_EQ(Focused(), 0);
    EXPECT_FALSE(m_pDialog->FocusAnyControl());  // the first that can is focused already
    m_pDialog->FocusControl(0);
    m_c[0]->m_nFlags &= ~W::kEnabled;
    EXPECT_FALSE(m_pDialog->FocusControl(m_c[0]->GetWidgetHandle()));  // cannot: refused
    EXPECT_TRUE(m_pDialog->FocusAnyControl());
    EXPECT_EQ(Focused(), 1);
}

// The first focus from an initially focused control that cannot take it
// walks from it to its direct neighbours (down, up, right, left) only: a
// control further away is not reached, and nothing is focused.
TEST_F(gcUIDialogUpdateTest, FirstFocusFromAnUnfocusableControlTriesItsNeighboursOnly)
{
    const struct {
        const char* why;
        bool bFocusable[4];
        bool bResult;
        int focused;
    } rows[] = {
        {"only the far corner could: nothing", {false, false, false, true}, false, -1},
        {"down before right", {false, true, true, true}, true, 2},
        {"right when down cannot", {false, true, false, true}, true, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        m_pDialog->FocusControl(0);
        for (int i = 0; i < 4; ++i)
            m_c[i]->m_nFlags = row.bFocusable[i] ? m_c[i]->m_nFlags | W::kEnabled : m_c[i]->m_nFlags & ~W::kEnabled;
        EXPECT_EQ(m_pDialog->FocusFirstControl(true), row.bResult);
        EXPECT_EQ(Focused(), row.focused);
    }
}

// The dialog's OnShown runs after the first focus; when it returns other
// than 0 the first control is focused again, undoing a focus it gave.
TEST_F(gcUIDialogUpdateTest, ANonZeroOnShownResultFocusesTheFirstControlAgain)
{
    constexpr int kSlot = 291;
    gcDesiredWidget last;
    last.hDialog = gcUIDialogMgr::Add(kSlot, m_pDialog, 0x5353);
    last.hControl = m_c[3]->GetWidgetHandle();
    const struct { float fResult; int focused; } rows[] = {{0.0f, 3}, {1.0f, 0}, {-2.0f, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.fResult);
        gcUI::CloseDialog(m_pDialog, nullptr, false);
        FillEvent(m_pDialog->onShown, m_pool.New<gcDoUIFocus>(last), m_steps.Return(m_steps.Num(row.fResult)));
        gcUI::OpenDialog(m_pDialog, nullptr, 0);
        EXPECT_EQ(Focused(), row.focused);
    }
    gcUIDialogMgr::s_pInstances[kSlot] = nullptr;
}

}  // namespace
