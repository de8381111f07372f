#include "gcGameCore/interface/gcUI.h"

#include <gtest/gtest.h>

#include <cmath>

#include "gcGameCore/camera/gcGameCamera.h"
#include "gcUIDialogTestSupport.h"

namespace {

using T = gcUIShowDialogData;
using gcUITest = DialogTest;
using Tags = std::vector<int32_t>;

// Dialogs A, B, C record 100, 200, 300 + event code; the tags are what
// the step logs, in order.
TEST_F(gcUITest, EventsOfOpeningAndClosingComeInTheirOrder)
{
    struct Row {
        const char* why;
        std::function<void(gcUIDialog*, gcUIDialog*, gcUIDialog*)> before, step;
        Tags tags;
        std::vector<int> stack;  // 0 A, 1 B, 2 C, bottom first
    };
    const Row rows[] = {
        {"a new dialog on top: the one below gets nothing", [](auto a, auto, auto) { gcUI::OpenDialog(a, nullptr, 0); },
         [this](auto, auto b, auto) { gcUI::OpenDialog(b, Action(T::kShow | T::kFocusInitial), 0); },
         {201, kActionShown, 205, 207}, {0, 1}},
        {"a new dialog at the bottom keeps the focus where it is",
         [](auto a, auto, auto) { gcUI::OpenDialog(a, nullptr, 0); },
         [this](auto, auto b, auto) { gcUI::OpenDialog(b, Action(T::kShow | T::kAtBottom), 0); },
         {201, kActionShown, 205, 207}, {1, 0}},
        {"an open dialog below the top is brought up, not shown",
         [](auto a, auto b, auto) { gcUI::OpenDialog(a, nullptr, 0), gcUI::OpenDialog(b, nullptr, 0); },
         [this](auto a, auto, auto) { gcUI::OpenDialog(a, Action(T::kShow), 0); }, {206, 207, 105, 107}, {1, 0}},
        {"the focused dialog opened again: nothing",
         [](auto a, auto, auto) { gcUI::OpenDialog(a, nullptr, 0); },
         [this](auto a, auto, auto) { gcUI::OpenDialog(a, Action(T::kShow), 0); }, {}, {0}},
        {"closing with events: hidden, unfocused, both actions' hidden, then the new top focused",
         [this](auto a, auto b, auto) { gcUI::OpenDialog(a, nullptr, 0), gcUI::OpenDialog(b, Action(T::kShow), 0); },
         [this](auto, auto b, auto) { gcUI::CloseDialog(b, Action(0, 0, 1, kHideActionHidden), true); },
         {202, 206, kActionHidden, kHideActionHidden, 105, 107}, {0}},
        {"closing below the top tells the unchanged top again",
         [](auto a, auto b, auto) { gcUI::OpenDialog(a, nullptr, 0), gcUI::OpenDialog(b, nullptr, 0); },
         [](auto a, auto, auto) { gcUI::CloseDialog(a, nullptr, true); }, {102, 106, 205, 207}, {1}},
        {"closing without events", [](auto a, auto b, auto) { gcUI::OpenDialog(a, nullptr, 0), gcUI::OpenDialog(b, nullptr, 0); },
         [](auto, auto b, auto) { gcUI::CloseDialog(b, nullptr, false); }, {}, {0}},
        {"closing a dialog that is not open", [](auto a, auto, auto) { gcUI::OpenDialog(a, nullptr, 0); },
         [](auto, auto, auto c) { gcUI::CloseDialog(c, nullptr, true); }, {}, {0}},
        {"close all, bottom up, each new top told", [](auto a, auto b, auto c) {
             gcUI::OpenDialog(a, nullptr, 0), gcUI::OpenDialog(b, nullptr, 0), gcUI::OpenDialog(c, nullptr, 0); },
         [](auto, auto, auto) { gcUI::Get()->CloseAllDialogs(true); },
         {102, 106, 305, 307, 202, 206, 305, 307, 302, 306}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ClearStack();
        gcUIDialog* d[] = {Dialog(100), Dialog(200), Dialog(300)};
        row.before(d[0], d[1], d[2]);
        TestLog().clear();
        row.step(d[0], d[1], d[2]);
        EXPECT_EQ(TestLogTags(), row.tags);
        std::vector<gcUIDialog*> expected;
        for (int i : row.stack)
            expected.push_back(d[i]);
        EXPECT_EQ(Stack(), expected);
    }
}

TEST_F(gcUITest, OpenStoresInParameterAndClearsReturnCodeUnlessAlreadyFocused)
{
    gcUIDialog* a = Dialog(100);
    gcUIDialog* b = Dialog(0);
    gcUI::OpenDialog(a, nullptr, 2.5f);
    a->m_fReturnCode = 7.0f;
    gcUI::OpenDialog(a, nullptr, 9.0f);  // focused: nothing taken
    EXPECT_EQ(a->m_fInParam, 2.5f);
    EXPECT_EQ(a->m_fReturnCode, 7.0f);
    gcUI::OpenDialog(b, nullptr, 0.0f);
    const T* pBottom = Action(T::kShow | T::kAtBottom);
    TestLog().clear();
    gcUI::OpenDialog(a, pBottom, 4.0f);  // open below the top, without focus: no move, values taken
    EXPECT_TRUE(TestLogTags().empty());  // not shown again
    EXPECT_EQ(Stack(), (std::vector<gcUIDialog*>{a, b}));
    EXPECT_EQ(a->m_fInParam, 4.0f);
    EXPECT_EQ(a->m_fReturnCode, 0.0f);
    EXPECT_EQ(a->m_pShowAction, pBottom);
}

TEST_F(gcUITest, ASeventeenthDialogIsRefusedWithALogLine)
{
    std::vector<gcUIDialog*> open;
    for (int i = 0; i < gcUI::kMaxDialogs; ++i) {
        open.push_back(Dialog(0));
        gcUI::OpenDialog(open.back(), nullptr, 0);
    }
    for (uint32_t flags : {T::kShow, T::kShow | T::kAtBottom}) {
        gcUIDialog* extra = Dialog(1000);
        gcTestLogCapture log;
        TestLog().clear();
        gcUI::OpenDialog(extra, Action(flags), 3.0f);
        EXPECT_EQ(log.Count(LOGTYPE_WARNING, "dialog stack"), 1);
        EXPECT_EQ(Stack(), open);
        EXPECT_TRUE(TestLogTags().empty());
        EXPECT_EQ(extra->m_fInParam, 0.0f);
        EXPECT_EQ(extra->m_pShowAction, nullptr);
    }
    gcUI::CloseDialog(open[14], nullptr, false);  // from a full stack the top moves down too
    open.erase(open.begin() + 14);
    EXPECT_EQ(Stack(), open);
}

TEST_F(gcUITest, PausingDialogIsTheTopmostFlaggedOne)
{
    gcUIDialog* a = Dialog(0);
    gcUIDialog* b = Dialog(0);
    gcUIDialog* c = Dialog(0);
    EXPECT_EQ(a->m_nFlags, gcUIDialog::kPauses);  // new dialogs pause
    c->m_nFlags = 0;
    for (gcUIDialog* d : {a, b, c})
        gcUI::OpenDialog(d, nullptr, 0);
    EXPECT_EQ(gcUI::Get()->GetPausingDialog(), b);
    b->m_nFlags = 0;
    EXPECT_EQ(gcUI::Get()->GetPausingDialog(), a);
    gcUI::Get()->CloseAllDialogs(false);
    EXPECT_EQ(gcUI::Get()->GetPausingDialog(), nullptr);
    EXPECT_EQ(gcUI::Get()->FindDialog(a), -1);
}

// Events of one close open another dialog: a further pass closes it too.
TEST_F(gcUITest, CloseAllCatchesDialogsThatEventsOpen)
{
    gcUIDialog* a = Dialog(0);
    gcUIDialog* late = Dialog(0);
    struct Opener : gcAction {
        gcUIDialog* p = nullptr;
        void DoAction(const gcEventParams&) const override { gcUI::OpenDialog(p, nullptr, 0); }
    };
    Opener* pOpener = m_pool.New<Opener>();
    pOpener->p = late;
    FillEvent(a->onHidden, pOpener);
    gcUI::OpenDialog(a, nullptr, 0);
    gcUI::Get()->CloseAllDialogs(true);
    EXPECT_TRUE(Stack().empty());
}

TEST_F(gcUITest, PoolResetRemovesItsDialogsWithoutEventsAndForgetsItsActions)
{
    cMemPool other("gcUITestOther", 0x10000, false);
    gcUIDialog* a = Dialog(100);
    gcUIDialog* b = Dialog(200, &other);
    gcUIDialog* c = Dialog(300, &other);
    gcUIDialog* d = Dialog(400);
    gcUIShowDialogData* pOtherAction = other.New<gcUIShowDialogData>();
    pOtherAction->transition = T::TRANSITION_OPACITYFADE;
    gcUI::OpenDialog(a, nullptr, 0);
    gcUI::OpenDialog(b, nullptr, 0);
    gcUI::OpenDialog(c, nullptr, 0);  // two of the pool side by side
    gcUI::OpenDialog(d, pOtherAction, 0);
    Frames(3);
    ASSERT_EQ(d->m_nTransitionPhase, 1);
    const float fOpacity = d->m_fOpacity;
    TestLog().clear();
    gcUI::Get()->OnMemPoolReset(&other);
    EXPECT_EQ(Stack(), (std::vector<gcUIDialog*>{a, d}));
    EXPECT_TRUE(TestLogTags().empty());
    EXPECT_EQ(d->m_pShowAction, nullptr);
    EXPECT_EQ(d->m_pTransition, nullptr);
    EXPECT_EQ(d->m_nTransitionPhase, 0);
    EXPECT_EQ(d->m_transitionTime.m_nTicks, 0);
    EXPECT_EQ(d->m_fOpacity, fOpacity);  // stops where it was
}

// Opening re-reads the controllers with a zero step: the press of this
// frame is no longer a new press for the dialog that just opened.
TEST_F(gcUITest, OpeningRereadsInputSoAPressIsNotSeenTwice)
{
    Pad(PAD_BUTTON_A);
    ASSERT_EQ(eInput::s_joyState[0].bButtonPressed[eInput::JOYBTN_UI_CONFIRM], true);
    gcUIDialog* a = Dialog(100);
    gcUI::OpenDialog(a, nullptr, 0);
    EXPECT_EQ(eInput::s_joyState[0].bButtonPressed[eInput::JOYBTN_UI_CONFIRM], false);
    TestLog().clear();
    Frames(1);
    EXPECT_EQ(TestLogTags(), (Tags{109, 108, 107}));  // initial update, update, UI; no confirm
}

TEST_F(gcUITest, LinearOpacityFadeOfOneSecondEndsInTwentyEightFramesAndHoldsThirty)
{
    gcUIDialog* a = Dialog(100);
    gcUI::OpenDialog(a, Action(T::kShow, T::TRANSITION_OPACITYFADE, 1.0f), 0);
    EXPECT_EQ(a->m_fOpacity, 0.0f);
    EXPECT_EQ(a->m_fBackdropCurOpacity, 0.0f);
    EXPECT_EQ(a->m_totalTransitionTime.m_nTicks, 600);
    struct { int frames; float opacity; int phase; } rows[] = {
        {1, 1.0f / 28, 1}, {27, 27.0f / 28, 1}, {28, 1.0f, 1}, {29, 1.0f, 1}, {30, 1.0f, 2}, {59, 1.0f, 2}, {60, 1.0f, 0},
    };
    int done = 0;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.frames);
        TestLog().clear();
        Frames(r.frames - done);
        done = r.frames;
        EXPECT_NEAR(a->m_fOpacity, r.opacity, 1e-5f);
        if (r.opacity == 1.0f) {
            EXPECT_EQ(a->m_fOpacity, 1.0f) << "exactly: a control's alpha is 255, not 254";
        }
        EXPECT_EQ(a->m_nTransitionPhase, r.phase);
        const Tags tags = TestLogTags();
        // Only the refresh runs until the hold is over; then the initial update.
        EXPECT_EQ(std::count(tags.begin(), tags.end(), 108), r.phase == 0 ? 1 : 0);
        EXPECT_EQ(std::count(tags.begin(), tags.end(), 109), r.phase == 0 ? 1 : 0);
    }
    EXPECT_EQ(a->m_fOpacity, 1.0f);
}

TEST_F(gcUITest, FadesRestartFromTheCurrentValueOrTheStartAndHidesClose)
{
    gcUIDialog* a = Dialog(100);
    gcUI::OpenDialog(a, Action(T::kShow, T::TRANSITION_OPACITYFADE, 1.0f), 0);
    Frames(14);  // half way
    ASSERT_NEAR(a->m_fOpacity, 0.5f, 1e-5f);
    gcUIDialog* b = Dialog(0);
    gcUI::OpenDialog(b, nullptr, 0);
    gcUI::OpenDialog(a, Action(T::kShow, T::TRANSITION_OPACITYFADE, 1.0f), 0);  // brought up again
    EXPECT_NEAR(a->m_fOpacity, 0.5f, 1e-5f);
    EXPECT_NEAR(a->m_transitionTime.m_nTicks, 300, 1);  // the remaining half, truncated
    // A hide from 0.5 runs half the time; the dialog leaves at the end of
    // the first phase and the transition state resets.
    gcUI::CloseDialog(a, Action(0, T::TRANSITION_OPACITYFADE, 1.0f), true);
    EXPECT_NEAR(a->m_transitionTime.m_nTicks, 300, 1);
    Frames(14);
    EXPECT_NEAR(a->m_fOpacity, 0.0f, 1e-5f);
    EXPECT_NE(gcUI::Get()->FindDialog(a), -1);
    Frames(1);
    EXPECT_EQ(gcUI::Get()->FindDialog(a), -1);
    EXPECT_EQ(a->m_nTransitionPhase, 0);
    EXPECT_EQ(a->m_fOpacity, 1.0f);
    // Flag 0x2 starts a show from transparent, whatever the opacity.
    a->m_fOpacity = 0.75f;
    gcUI::OpenDialog(a, Action(T::kShow | T::kFromStart, T::TRANSITION_OPACITYFADE, 1.0f), 0);
    EXPECT_EQ(a->m_fOpacity, 0.0f);
    EXPECT_EQ(a->m_transitionTime.m_nTicks, 600);
    // A close without an action resets the transition and closes at once.
    gcUI::CloseDialog(a, nullptr, true);
    EXPECT_EQ(gcUI::Get()->FindDialog(a), -1);
    EXPECT_EQ(a->m_fOpacity, 1.0f);
    EXPECT_EQ(a->m_fBackdropCurOpacity, 1.0f);
}

TEST_F(gcUITest, ScaleOffsetAndDampedTransitions)
{
    struct Row {
        const char* why;
        int32_t transition;
        uint32_t flags;
        int frames;
        float scale, offset;
    };
    // Damped: k = 0.00087^(20/600) per frame, snapping within the tolerance.
    const float k = std::pow(0.00087f, 20.0f / 600.0f);
    const Row rows[] = {
        {"scale, linear, one frame", T::TRANSITION_SCALE, T::kShow, 1, 1.0f / 28, 0.0f},
        {"scale, damped, one frame", T::TRANSITION_SCALE, T::kShow | T::kDamped, 1, 1.0f - k, 0.0f},
        {"scale, damped, two frames", T::TRANSITION_SCALE, T::kShow | T::kDamped, 2, 1.0f - k * k, 0.0f},
        {"offset, linear, 14 frames", T::TRANSITION_OFFSET, T::kShow, 14, 1.0f, 0.5f},
        {"offset at the end of the phase", T::TRANSITION_OFFSET, T::kShow | T::kDamped, 30, 1.0f, 1.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        ClearStack();
        gcUIDialog* a = Dialog(0);
        gcUI::OpenDialog(a, Action(row.flags, row.transition, 1.0f), 0);
        Frames(row.frames);
        EXPECT_NEAR(a->m_fUniformScale, row.transition == T::TRANSITION_SCALE ? row.scale : 1.0f, 1e-5f);
        EXPECT_NEAR(a->m_transitionOffset.x, row.offset, 1e-5f);
        EXPECT_NEAR(a->m_transitionOffset.y, row.offset, 1e-5f);
    }
}

// The dialog is hidden while the screen fades to the material and appears
// as it fades back; a hide closes the dialog as the screen fades back.
TEST_F(gcUITest, FullScreenFadeHidesTheDialogWhileTheCameraFades)
{
    gcGameCamera* pCamera = gcGameCamera::Get();
    pCamera->Reset(true);
    gcUIDialog* a = Dialog(100);
    const T* pShow = Action(T::kShow | T::kFromStart, T::TRANSITION_FULLSCREENFADE, 0.5f);
    gcUI::OpenDialog(a, pShow, 0);
    EXPECT_TRUE(a->m_nFlags & gcUIDialog::kNotDrawn);
    EXPECT_TRUE(pCamera->m_nFlags & gcGameCamera::kFadeIn);
    Frames(15);
    EXPECT_FALSE(a->m_nFlags & gcUIDialog::kNotDrawn);
    EXPECT_FALSE(pCamera->m_nFlags & gcGameCamera::kFadeIn);
    EXPECT_EQ(a->m_nTransitionPhase, 2);
    Frames(15);
    EXPECT_EQ(a->m_nTransitionPhase, 0);
    gcUI::CloseDialog(a, Action(0, T::TRANSITION_FULLSCREENFADE, 0.5f, kHideActionHidden), true);
    EXPECT_FALSE(a->m_nFlags & gcUIDialog::kNotDrawn);  // stays drawn while the screen fades out
    Frames(14);
    EXPECT_NE(gcUI::Get()->FindDialog(a), -1);
    TestLog().clear();
    Frames(1);
    EXPECT_EQ(gcUI::Get()->FindDialog(a), -1);
    // Closed inside its own update, which then only refreshes it.
    EXPECT_EQ(TestLogTags(), (Tags{102, 106, kActionHidden, kHideActionHidden, 107}));
    EXPECT_FALSE(pCamera->m_nFlags & gcGameCamera::kFadeIn);
    pCamera->Reset(true);
}

TEST_F(gcUITest, TransitionTextsAndValuesOutsideTheEnumeration)
{
    EXPECT_STREQ(T::GetTransitionText(4), "Offset");
    EXPECT_STREQ(T::GetTransitionText(5), "???");
    EXPECT_STREQ(T::GetTransitionText(-1), "???");
    // An unknown transition opens and closes at once instead of never.
    gcUIDialog* a = Dialog(0);
    gcUI::OpenDialog(a, Action(T::kShow, 7, 1.0f), 0);
    EXPECT_EQ(a->m_nTransitionPhase, 0);
    gcUI::CloseDialog(a, Action(0, 7, 1.0f), true);
    EXPECT_EQ(gcUI::Get()->FindDialog(a), -1);
}

}  // namespace
