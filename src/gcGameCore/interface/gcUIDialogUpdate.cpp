// The dialog's per-frame update, its buttons and how its focus moves among
// its controls along their neighbour handles.
#include "eEngine/eInput.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/values/gcValControllerState.h"

using W = gcUIWidget;

namespace {

bool IsPressed(eInput::eButton button)
{
    const gcValControllerState query(gcValControllerState::STATE_PRESSED, button);
    return query.Get(gcEventParams()) != 0.0f;
}

enum GameEvent { GAME_CONFIRM, GAME_BACK, GAME_FOCUSCHANGED };

// The nearest-neighbour walk tries these in turn.
constexpr W::gcUINeighbor kNearestOrder[] = {W::NEIGHBOR_DOWN, W::NEIGHBOR_UP, W::NEIGHBOR_RIGHT, W::NEIGHBOR_LEFT};

}  // namespace

void gcUIDialog::ApplyGameEvent(int which)
{
    const gcGame* pGame = gcGame::Get();
    if (!pGame)
        return;
    const gcEvent& event = which == GAME_CONFIRM ? pGame->m_onUIConfirm
                           : which == GAME_BACK  ? pGame->m_onUIBack
                                                 : pGame->m_onUIFocusChanged;
    Apply(event);
}

void gcUIDialog::RefreshUI(gcEventStackData& frame)
{
    Apply(onUpdateUI, frame);
    m_widgetGroup.UpdateUI();
}

void gcUIDialog::Update(const gcMsgTick& msg)
{
    // While no transition runs, m_transitionTime is the dialog's clock.
    gcEventStackData frame(m_transitionTime.GetSeconds(), 0.0f);
    if (TransitionTick(msg)) {
        RefreshUI(frame);
        return;
    }
    gcUI* pUI = gcUI::Get();
    if (pUI->GetFocusedDialog() != this) {
        RefreshUI(frame);
    } else {
        const gcUIWidget* pFocused = GetControl(m_hFocusedControl);
        if (!pFocused || !(pFocused->m_nFlags & W::kCapturesFocus)) {
            const int n = CheckNextNeighbor();
            if (n != -1 && FocusNextControl(static_cast<W::gcUINeighbor>(n), nullptr) &&
                !(m_nFlags & kNoGameFocusChanged))
                ApplyGameEvent(GAME_FOCUSCHANGED);
        }
        if (m_nFlags & kInitialUpdate) {
            m_transitionTime = cTimeValue(0);
            frame.fInValues[0] = 0.0f;
            Apply(onInitialUpdate, frame);
            m_nFlags &= ~kInitialUpdate;
            if (pUI->GetFocusedDialog() != this) {
                RefreshUI(frame);
                return;
            }
        }
        Apply(onUpdate, frame);
        m_widgetGroup.Update(msg);
        RefreshUI(frame);
        HandleOnConfirm();
        HandleOnBack();
    }
    m_transitionTime += msg.dT;
}

int gcUIDialog::CheckNextNeighbor()
{
    static constexpr struct {
        eInput::eButton button;
        W::gcUINeighbor neighbor;
    } kDirections[] = {{eInput::JOYBTN_UI_LEFT, W::NEIGHBOR_LEFT},
                       {eInput::JOYBTN_UI_RIGHT, W::NEIGHBOR_RIGHT},
                       {eInput::JOYBTN_UI_UP, W::NEIGHBOR_UP},
                       {eInput::JOYBTN_UI_DOWN, W::NEIGHBOR_DOWN}};
    for (const auto& d : kDirections)
        if (IsPressed(d.button))
            return d.neighbor;
    return -1;
}

// The focused control first, then the dialog, then the game: the first
// non-zero result handles the press.
void gcUIDialog::HandleOnConfirm()
{
    if (!IsPressed(eInput::JOYBTN_UI_CONFIRM))
        return;
    if (gcUIWidget* pControl = GetControl(m_hFocusedControl))
        if (pControl->OnConfirm() != 0.0f)
            return;
    if (Apply(onConfirm) != 0.0f)
        return;
    if (!(m_nFlags & kNoGameConfirm))
        ApplyGameEvent(GAME_CONFIRM);
}

void gcUIDialog::HandleOnBack()
{
    if (!IsPressed(eInput::JOYBTN_UI_BACK))
        return;
    if (gcUIWidget* pControl = GetControl(m_hFocusedControl))
        if (pControl->OnBack() != 0.0f)
            return;
    if (Apply(onBack) != 0.0f)
        return;
    if (!(m_nFlags & kNoGameBack))
        ApplyGameEvent(GAME_BACK);
}

void gcUIDialog::MoveFocusTo(gcUIWidget* pControl)
{
    if (gcUIWidget* pOld = GetControl(m_hFocusedControl))
        pOld->Focus(false, false);
    m_hFocusedControl = pControl->GetWidgetHandle();
    pControl->Focus(true, false);
    Apply(onFocusChanged);
}

bool gcUIDialog::FocusControl(unsigned int hControl)
{
    if (hControl == m_hFocusedControl)
        return false;
    gcUIWidget* pNew = GetControl(hControl);
    if (pNew && !pNew->CanFocus())
        return false;
    if (pNew) {
        MoveFocusTo(pNew);
        return true;
    }
    if (gcUIWidget* pOld = GetControl(m_hFocusedControl))
        pOld->Focus(false, false);
    m_hFocusedControl = 0;
    Apply(onFocusChanged);
    return false;
}

bool gcUIDialog::FocusNextControl(gcUIWidget::gcUINeighbor neighbor, gcUIWidget* pPrevControl)
{
    const gcUIWidget* pStart = pPrevControl ? pPrevControl : GetControl(m_hFocusedControl);
    if (!pStart) {
        m_hFocusedControl = 0;
        return FocusFirstControl(false);
    }
    // The walk is bounded by the number of controls: a ring of controls
    // that cannot take the focus finds nothing.
    const gcUIWidget* pFound = pStart->FindFocusableNeighbor(neighbor);
    return pFound && FocusControl(pFound->GetWidgetHandle());
}

bool gcUIDialog::FocusNearestNeighbor(gcUIWidget* pPrevControl)
{
    for (W::gcUINeighbor n : kNearestOrder)
        if (FocusNextControl(n, pPrevControl))
            return true;
    return false;
}

// The walk from the focused control, which may vanish on the way: then the
// first-focus rule stands in for that direction.
bool gcUIDialog::FocusNearestFromFocused()
{
    for (W::gcUINeighbor n : kNearestOrder) {
        gcUIWidget* pFocused = GetControl(m_hFocusedControl);
        bool bFocused;
        if (pFocused) {
            bFocused = FocusNextControl(n, pFocused);
        } else {
            m_hFocusedControl = 0;
            bFocused = FocusFirstControl(false);
        }
        if (bFocused)
            return true;
    }
    return false;
}

bool gcUIDialog::FocusFirstControl(bool bInitiallyFocusedControl)
{
    const uint32_t hCandidate =
        bInitiallyFocusedControl || m_hFocusedControl == 0 ? m_hInitiallyFocusedControl : m_hFocusedControl;
    if (gcUIWidget* pCandidate = GetControl(hCandidate)) {
        if (!pCandidate->CanFocus())
            return FocusNearestNeighbor(pCandidate);
        if (hCandidate != m_hFocusedControl)
            MoveFocusTo(pCandidate);
        return true;
    }
    return m_hFocusedControl != 0 && FocusNearestFromFocused();
}

bool gcUIDialog::FocusAnyControl()
{
    for (int i = 0; i < m_nControls; ++i)
        if (m_pControls[i] && m_pControls[i]->CanFocus())
            return FocusControl(m_pControls[i]->GetWidgetHandle());
    return FocusControl(0);
}

void gcUIDialog::OnControlChanged(gcUIWidget* pControl, unsigned int nOldFlags, unsigned int nNewFlags)
{
    const bool bCould = (nOldFlags & W::kCanFocus) == W::kCanFocus;
    const bool bCan = (nNewFlags & W::kCanFocus) == W::kCanFocus;
    if (bCould && !bCan && pControl && m_hFocusedControl == pControl->GetWidgetHandle()) {
        FocusControl(0);
        FocusNearestNeighbor(nullptr);
    } else if (bCan && m_hFocusedControl == 0) {
        FocusFirstControl(false);
    }
}
