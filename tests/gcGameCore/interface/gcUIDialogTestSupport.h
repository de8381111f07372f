#pragma once
// What the dialog-stack and dialog tests share: dialogs in a pool whose ten
// events record tag base + event code, show-dialog data with recording
// events, the stack emptied around each test, and scripted controllers.

#include <gtest/gtest.h>

#include <algorithm>

#include "../test/pad_test.h"
#include "cCore/cMemPool.h"
#include "eEngine/eInput.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

// Event codes added to a dialog's tag base.
enum UiEventCode {
    kShown = 1, kHidden, kConfirm, kBack, kFocused, kUnFocused, kUpdateUI, kUpdate, kInitialUpdate, kFocusChanged,
};
// Tags of the show-dialog data's events.
constexpr int32_t kActionShown = 91;
constexpr int32_t kActionHidden = 92;
constexpr int32_t kHideActionHidden = 93;

namespace ui {

constexpr cTimeValue kFrame{20};

inline void ClearStack()
{
    gcUI* pUI = gcUI::Get();
    std::fill(std::begin(pUI->m_dialogStack), std::end(pUI->m_dialogStack), nullptr);
    pUI->m_nFocusedDialog = -1;
}
// Port 0 reports these buttons and stick from now on; one input frame.
inline void Pad(uint16_t buttons, int8_t stickX = 0, int8_t stickY = 0)
{
    PADStatus s = PADTestIdleStatus();
    s.button = buttons;
    s.stickX = stickX;
    s.stickY = stickY;
    PADTestSetStatus(0, s);
    eInput::Update(kFrame, true);
}
// Frames of the dialog stack's update.
inline void Frames(int n)
{
    for (int i = 0; i < n; ++i)
        gcUI::Get()->Update(gcMsgTick(kFrame));
}
inline std::vector<gcUIDialog*> Stack()
{
    const gcUI* pUI = gcUI::Get();
    return std::vector<gcUIDialog*>(pUI->m_dialogStack, pUI->m_dialogStack + (pUI->m_nFocusedDialog + 1));
}
// The stack emptied and port 0 scripted at rest, with no player port.
inline void StartInput()
{
    ClearStack();
    PADTestSetScripted(true);
    PADTestSetStatus(0, PADTestIdleStatus());
    eInput::SetDeadzone(10, 10);
    eInput::Initialize();
    gcPlayer::Get()->m_nControllerId = -1;
}
inline void StopInput()
{
    ClearStack();
    PADTestSetScripted(false);
}

}  // namespace ui

class DialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestLog().clear();
        ui::StartInput();
    }
    void TearDown() override
    {
        ui::StopInput();
        TestLog().clear();
    }
    // A dialog whose events record base + code; tag base 0 records nothing.
    gcUIDialog* Dialog(int32_t base, cMemPool* pPool = nullptr)
    {
        gcUIDialog* p = (pPool ? pPool : &m_pool)->New<gcUIDialog>();
        if (!p || base == 0)
            return p;
        const std::pair<gcEvent*, int> events[] = {
            {&p->onShown, kShown}, {&p->onHidden, kHidden}, {&p->onConfirm, kConfirm}, {&p->onBack, kBack},
            {&p->onFocused, kFocused}, {&p->onUnFocused, kUnFocused}, {&p->onUpdateUI, kUpdateUI},
            {&p->onUpdate, kUpdate}, {&p->onInitialUpdate, kInitialUpdate}, {&p->onFocusChanged, kFocusChanged}};
        for (const auto& [pEvent, code] : events)
            FillEvent(*pEvent, m_steps.Record(base + code));
        return p;
    }
    // Show-dialog data (or hide data without kShow) with recording events.
    gcUIShowDialogData* Action(uint32_t flags, int32_t transition = gcUIShowDialogData::TRANSITION_NONE,
                               float seconds = 1.0f, int32_t hiddenTag = kActionHidden)
    {
        gcUIShowDialogData* p = m_pool.New<gcUIShowDialogData>();
        p->nFlags = flags;
        p->transition = transition;
        p->transitionTime.fConst = seconds;
        FillEvent(p->onShown, m_steps.Record(kActionShown));
        FillEvent(p->onHidden, m_steps.Record(hiddenTag));
        return p;
    }
    static void ClearStack() { ui::ClearStack(); }
    static void Pad(uint16_t buttons, int8_t stickX = 0, int8_t stickY = 0) { ui::Pad(buttons, stickX, stickY); }
    static void Frames(int n) { ui::Frames(n); }
    static std::vector<gcUIDialog*> Stack() { return ui::Stack(); }

    cMemPool m_pool{"gcUIDialogTest", 0x100000, false};
    gcTestBuilder m_steps{m_pool};
};
