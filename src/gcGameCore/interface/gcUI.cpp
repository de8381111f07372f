#include "gcGameCore/interface/gcUI.h"

#include <algorithm>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cTimeValue.h"
#include "eEngine/eInput.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/interface/gcUIDialog.h"

const char* gcUIShowDialogData::GetTransitionText(int transition)
{
#define QM_UI_TRANSITION_TEXT(name, value, text) \
    case value:                                  \
        return text;
    switch (transition) {
        QM_UI_TRANSITIONS(QM_UI_TRANSITION_TEXT)
    default:
        return "???";
    }
#undef QM_UI_TRANSITION_TEXT
}

gcUI::gcUI() : m_dialogStack{}, m_nFocusedDialog(-1) {}

gcUI* gcUI::Get()
{
    static gcUI s_ui;
    return &s_ui;
}

void gcUI::OpenDialog(gcUIDialog* pDialog, const gcUIShowDialogData* pTransition, float fInParam)
{
    pDialog->OnOpened(pTransition, fInParam);
}

void gcUI::CloseDialog(gcUIDialog* pDialog, const gcUIShowDialogData* pTransition, bool bApplyEvents)
{
    pDialog->OnClosed(pTransition, bApplyEvents);
}

// Events of one close may open or close others: each pass works on a copy,
// and later passes catch what the events opened.
void gcUI::CloseAllDialogs(bool bApplyEvents)
{
    for (int pass = 0; pass < kCloseAllPasses && m_nFocusedDialog >= 0; ++pass) {
        gcUIDialog* open[kMaxDialogs];
        const int nOpen = m_nFocusedDialog + 1;
        std::copy_n(m_dialogStack, nOpen, open);
        for (int i = 0; i < nOpen; ++i)
            open[i]->OnClosed(nullptr, bApplyEvents);
    }
}

gcUIDialog* gcUI::GetPausingDialog() const
{
    for (int i = m_nFocusedDialog; i >= 0; --i)
        if (m_dialogStack[i] && (m_dialogStack[i]->m_nFlags & gcUIDialog::kPauses))
            return m_dialogStack[i];
    return nullptr;
}

int gcUI::FindDialog(const gcUIDialog* pDialog) const
{
    for (int i = 0; i < kMaxDialogs; ++i)
        if (m_dialogStack[i] == pDialog)
            return i;
    return -1;
}

void gcUI::Update(const gcMsgTick& msg)
{
    gcUIDialog* open[kMaxDialogs];
    const int nOpen = m_nFocusedDialog + 1;
    std::copy_n(m_dialogStack, nOpen, open);
    for (int i = 0; i < nOpen; ++i)
        if (open[i])
            open[i]->Update(msg);
}

// Top down: the dialogs this pass draws, stopping under a dialog that covers
// the ones below. Returns how many.
int gcUI::CollectDrawn(unsigned int nFlags, gcUIDialog** ppOut) const
{
    int nCollected = 0;
    for (int i = m_nFocusedDialog; i >= 0; --i) {
        gcUIDialog* pDialog = m_dialogStack[i];
        if (!pDialog || (pDialog->m_nFlags & gcUIDialog::kNotDrawn))
            continue;
        if (nFlags & 3) {
            bool bOverFade = false;
            for (int j = i; j >= 0 && !bOverFade; --j)
                bOverFade = m_dialogStack[j] && (m_dialogStack[j]->m_nFlags & gcUIDialog::kOverFade);
            if (((nFlags & 1) && bOverFade) || ((nFlags & 2) && !bOverFade))
                continue;
        }
        ppOut[nCollected++] = pDialog;
        if (pDialog->m_nFlags & gcUIDialog::kCoversBelow)
            break;
    }
    return nCollected;
}

void gcUI::Draw(const eCamera* pCamera, unsigned int nFlags, unsigned int nControlFlags)
{
    if (m_nFocusedDialog < 0)
        return;
    eMaterial::ApplyNull();
    eSprite::BeginRender(pCamera);
    gcUIDialog* drawn[kMaxDialogs];
    for (int i = CollectDrawn(nFlags, drawn) - 1; i >= 0; --i)
        drawn[i]->Draw(pCamera, nControlFlags);
    eSprite::EndRender();
}

// An entry that moves down into a removed one's place is examined too.
void gcUI::OnMemPoolReset(const cMemPool* pPool)
{
    for (int i = 0; i <= m_nFocusedDialog;) {
        gcUIDialog* pDialog = m_dialogStack[i];
        if (pDialog && pPool->Contains(pDialog)) {
            RemoveDialog(i);
            continue;
        }
        if (pDialog)
            pDialog->OnMemPoolReset(pPool);
        ++i;
    }
    // Closed dialogs keep item pointers and actions too.
    for (int slot = 0; slot < gcUIDialogMgr::kSlots; ++slot) {
        gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(slot));
        if (pDialog && !pPool->Contains(pDialog) && FindDialog(pDialog) < 0)
            pDialog->OnMemPoolReset(pPool);
    }
}

void gcUI::ForgetItem(const gcItem* pItem)
{
    for (int i = 0; i <= m_nFocusedDialog; ++i)
        if (gcUIDialog* pDialog = m_dialogStack[i])
            pDialog->ForgetItem(pItem);
    for (int slot = 0; slot < gcUIDialogMgr::kSlots; ++slot)
        if (gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(slot)))
            pDialog->ForgetItem(pItem);
}

bool gcUI::ActualOpenDialog(gcUIDialog* pDialog, bool bFocus)
{
    const int index = FindDialog(pDialog);
    if (index >= 0) {
        if (index == m_nFocusedDialog || !bFocus)
            return false;
        RemoveDialog(index);
        if (gcUIDialog* pTop = GetFocusedDialog())
            pTop->OnFocused(false);
        m_dialogStack[++m_nFocusedDialog] = pDialog;
        pDialog->OnFocused(true);
        return false;
    }
    if (m_nFocusedDialog >= kMaxDialogs - 1) {
        cLogWarn_("gcUI: dialog \"%s\" not opened: all %d places of the dialog stack are taken",
                  pDialog->m_name.m_sData, kMaxDialogs);
        return false;
    }
    ++m_nFocusedDialog;
    if (bFocus) {
        m_dialogStack[m_nFocusedDialog] = pDialog;
    } else {
        std::copy_backward(m_dialogStack, m_dialogStack + m_nFocusedDialog, m_dialogStack + m_nFocusedDialog + 1);
        m_dialogStack[0] = pDialog;
    }
    // A press seen in this frame must not reach the new dialog as a new one.
    eInput::Update(cTimeValue(0), false);
    return true;
}

bool gcUI::ActualCloseDialog(gcUIDialog* pDialog, bool bApplyEvents)
{
    if (m_nFocusedDialog < 0)
        return false;
    const int index = FindDialog(pDialog);
    if (index < 0)
        return false;
    RemoveDialog(index);
    if (bApplyEvents) {
        pDialog->OnShown(false);
        if (gcUIDialog* pTop = GetFocusedDialog())
            pTop->OnFocused(true);
    }
    return true;
}

void gcUI::RemoveDialog(int nDialogIndex)
{
    if (nDialogIndex < 0 || nDialogIndex >= kMaxDialogs)
        return;
    int i = nDialogIndex;
    for (; i + 1 < kMaxDialogs && m_dialogStack[i + 1]; ++i)
        m_dialogStack[i] = m_dialogStack[i + 1];
    m_dialogStack[i] = nullptr;
    if (m_nFocusedDialog >= 0)
        --m_nFocusedDialog;
}
