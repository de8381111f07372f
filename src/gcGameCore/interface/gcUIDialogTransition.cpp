// The dialog's side of opening and closing: the shown and focused notices
// with their events, and the show and hide transitions.
#include <cmath>

#include "cCore/cLog.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcMsg.h"

using T = gcUIShowDialogData;

namespace {

constexpr float kDampBase = 0.00087f;      // what is left of the distance after the whole phase
constexpr float kFrameTicks = 20.0f;       // one 1/30 s frame
constexpr cTimeValue kLinearLead{40};      // linear values end two frames before the phase
constexpr float kOpacityTolerance = 0.01f;
constexpr float kScaleTolerance = 0.001f;
// Sums of step / span in float fall a hair short of the end (28 steps of
// 1/28 give 0.9999998): a linear value this close counts as arrived.
constexpr float kLinearSlack = 1e-5f;

}  // namespace

float gcUIDialog::Apply(const gcEvent& event, float fInValue0)
{
    return event.Apply(gcEventParams(), gcEventStackData(fInValue0, 0.0f));
}

float gcUIDialog::Apply(const gcEvent& event, gcEventStackData& frame)
{
    return event.Apply(gcEventParams(), frame);
}

void gcUIDialog::OnOpened(const gcUIShowDialogData* pShowAction, float fInParam)
{
    gcUI* pUI = gcUI::Get();
    if (pUI->GetFocusedDialog() == this)
        return;
    const bool bWasOpen = pUI->FindDialog(this) >= 0;
    const bool bFocus = !pShowAction || !(pShowAction->nFlags & T::kAtBottom);
    const bool bNewDialog = pUI->ActualOpenDialog(this, bFocus);
    if (!bWasOpen && !bNewDialog)
        return;  // the stack is full
    m_pShowAction = pShowAction;
    m_fInParam = fInParam;
    m_fReturnCode = 0.0f;
    if (!TransitionStart(pShowAction, 1, bNewDialog))
        m_nFlags &= ~kNotDrawn;
    if (bNewDialog)
        OnShown(true);
}

void gcUIDialog::OnClosed(const gcUIShowDialogData* pHideAction, bool bApplyEvents)
{
    gcUI* pUI = gcUI::Get();
    if (pUI->FindDialog(this) < 0)
        return;
    m_pHideAction = pHideAction;
    // With a transition the dialog stays until the transition closes it.
    if (!TransitionStart(pHideAction, 1, false))
        pUI->ActualCloseDialog(this, bApplyEvents);
}

void gcUIDialog::OnFinalClose(bool bApplyEvents)
{
    gcUI::Get()->ActualCloseDialog(this, bApplyEvents);
}

void gcUIDialog::OnShown(bool bShown)
{
    if (!bShown) {
        const gcUIShowDialogData* pShow = m_pShowAction;
        const gcUIShowDialogData* pHide = m_pHideAction;
        m_pShowAction = nullptr;
        m_pHideAction = nullptr;
        Apply(onHidden);
        Apply(onUnFocused);
        if (pShow)
            Apply(pShow->onHidden);
        if (pHide)
            Apply(pHide->onHidden);
        return;
    }
    m_nFlags |= kInitialUpdate;
    const bool bInitial = !m_pShowAction || (m_pShowAction->nFlags & T::kFocusInitial);
    FocusFirstControl(bInitial);
    if (Apply(onShown, m_fInParam) != 0.0f)
        FocusFirstControl(bInitial);
    if (m_pShowAction)
        Apply(m_pShowAction->onShown, m_fInParam);
    OnFocused(true);
}

void gcUIDialog::OnFocused(bool bFocused)
{
    Apply(bFocused ? onFocused : onUnFocused);
    Apply(onUpdateUI);
    m_widgetGroup.UpdateUI();
    if (gcUIWidget* pControl = GetControl(m_hFocusedControl))
        pControl->Focus(true, false);
}

void gcUIDialog::ResetTransition()
{
    m_pTransition = nullptr;
    m_transitionTime = cTimeValue(0);
    m_totalTransitionTime = cTimeValue(0);
    m_nTransitionPhase = 0;
    m_fOpacity = 1.0f;
    m_fBackdropCurOpacity = 1.0f;
    m_transitionOffset = mVec2(0.0f, 0.0f);
}

// A value restarted part-way runs for the part of the time still to go.
static cTimeValue TimeFraction(float fFraction, cTimeValue time)
{
    return cTimeValue(static_cast<int32_t>(fFraction * static_cast<float>(time.m_nTicks)));
}

void gcUIDialog::StartPhase(const gcUIShowDialogData& t, int nPhase, bool bNewDialog)
{
    const bool bShow = t.nFlags & T::kShow;
    const bool bFromStart = t.nFlags & T::kFromStart;
    if (t.transition == T::TRANSITION_FULLSCREENFADE) {
        gcGameCamera::Get()->Fade(nPhase == 1, bFromStart, t.hMaterial, m_transitionTime, nullptr);
        if (bShow) {
            // Hidden while the screen fades to the material.
            m_nFlags = nPhase == 1 ? (m_nFlags | kNotDrawn) : (m_nFlags & ~kNotDrawn);
        } else if (nPhase == 2) {
            gcUI::Get()->ActualCloseDialog(this, true);
        }
        return;
    }
    if (bShow) {
        if (nPhase != 1)
            return;  // the end values hold
        if (t.transition == T::TRANSITION_OPACITYFADE) {
            if (bNewDialog || bFromStart)
                m_fOpacity = m_fBackdropCurOpacity = 0.0f;
            else
                m_transitionTime = TimeFraction(1.0f - m_fOpacity, m_transitionTime);
        } else if (t.transition == T::TRANSITION_SCALE) {
            if (bNewDialog)
                m_fUniformScale = m_fBackdropCurOpacity = 0.0f;
            else
                m_transitionTime = TimeFraction(1.0f - m_fUniformScale, m_transitionTime);
        } else if (bNewDialog) {
            m_fBackdropCurOpacity = 0.0f;
            m_transitionOffset = mVec2(0.0f, 0.0f);
        }
        m_nFlags &= ~kNotDrawn;
        return;
    }
    if (t.transition == T::TRANSITION_OPACITYFADE) {
        if (bFromStart)
            m_fOpacity = m_fBackdropCurOpacity = 1.0f;
        else
            m_transitionTime = TimeFraction(m_fOpacity, m_transitionTime);
    } else if (t.transition == T::TRANSITION_SCALE) {
        m_fUniformScale = m_fBackdropCurOpacity = 1.0f;
    } else {
        m_fBackdropCurOpacity = 1.0f;
        m_transitionOffset = mVec2(1.0f, 1.0f);
    }
    if (nPhase == 2)
        gcUI::Get()->ActualCloseDialog(this, true);
}

bool gcUIDialog::TransitionStart(const gcUIShowDialogData* pTransition, int nPhase, bool bNewDialog)
{
    // A transition outside the enumeration would never end its phases (and
    // never close a hidden dialog): it counts as none.
    if (!pTransition || nPhase == 3 || pTransition->transition <= T::TRANSITION_NONE ||
        pTransition->transition >= T::MAX_TRANSITIONS) {
        ResetTransition();
        return false;
    }
    if (m_pTransition != pTransition) {
        m_pTransition = pTransition;
        m_totalTransitionTime = cTimeValue::FromSeconds(pTransition->transitionTime.GetValue());
    }
    m_transitionTime = m_totalTransitionTime;
    const int32_t nTotal = m_totalTransitionTime.m_nTicks;
    m_fTransitionDampConst = nTotal > 0 ? std::pow(kDampBase, kFrameTicks / static_cast<float>(nTotal)) : 0.0f;
    m_nTransitionPhase = nPhase;
    StartPhase(*pTransition, nPhase, bNewDialog);
    // A hide closes the dialog as its second phase starts.
    if (nPhase == 2 && gcUI::Get()->FindDialog(this) < 0) {
        ResetTransition();
        return false;
    }
    return true;
}

bool gcUIDialog::TransitionValue(float* pValue, cTimeValue step, float fTolerance)
{
    if (m_nTransitionPhase != 1 || !m_pTransition)
        return true;
    const bool bShow = m_pTransition->nFlags & T::kShow;
    const float fTarget = bShow ? 1.0f : 0.0f;
    if (m_pTransition->nFlags & T::kDamped) {
        const float k = m_fTransitionDampConst;
        *pValue = k * *pValue + (1.0f - k) * fTarget;
        if (std::fabs(*pValue - fTarget) > fTolerance)
            return false;
        *pValue = fTarget;
        return true;
    }
    const int32_t nSpan = std::max(m_totalTransitionTime.m_nTicks - kLinearLead.m_nTicks, 0);
    if (nSpan == 0) {
        *pValue = fTarget;
        return true;
    }
    const float fStep = static_cast<float>(step.m_nTicks) / static_cast<float>(nSpan);
    *pValue += bShow ? fStep : -fStep;
    if (bShow ? *pValue < 1.0f - kLinearSlack : *pValue > kLinearSlack)
        return false;
    *pValue = fTarget;
    return true;
}

// Steps the transition's own value and then the backdrop's; at the end of
// the phase both take the target.
void gcUIDialog::StepTransitionValues(const gcUIShowDialogData& t, cTimeValue step)
{
    const float fTarget = (t.nFlags & T::kShow) ? 1.0f : 0.0f;
    const bool bOver = m_transitionTime.m_nTicks <= 0;
    auto stepValue = [&](float* pValue, float fTolerance) {
        if (m_nTransitionPhase == 1)
            TransitionValue(pValue, step, fTolerance);
        if (bOver)
            *pValue = fTarget;
    };
    if (t.transition == T::TRANSITION_OPACITYFADE) {
        stepValue(&m_fOpacity, kOpacityTolerance);
    } else if (t.transition == T::TRANSITION_SCALE) {
        stepValue(&m_fUniformScale, kScaleTolerance);
    } else if (t.transition == T::TRANSITION_OFFSET) {
        stepValue(&m_transitionOffset.x, kOpacityTolerance);
        stepValue(&m_transitionOffset.y, kOpacityTolerance);
    }
    stepValue(&m_fBackdropCurOpacity, kOpacityTolerance);
}

bool gcUIDialog::TransitionTick(const gcMsgTick& msg)
{
    if (m_nTransitionPhase == 0 || !m_pTransition)
        return false;
    const gcUIShowDialogData& t = *m_pTransition;
    m_transitionTime -= msg.dT;
    if (t.transition != T::TRANSITION_FULLSCREENFADE)
        StepTransitionValues(t, msg.dT);
    if (m_transitionTime.m_nTicks > 0)
        return true;
    return TransitionStart(m_pTransition, m_nTransitionPhase + 1, false);
}
