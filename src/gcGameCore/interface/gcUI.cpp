#include "gcGameCore/interface/gcUI.h"

#include "cCore/cMemPool.h"

gcUI* gcUI::Get()
{
    static gcUI s_ui;
    return &s_ui;
}

// Updating and drawing the open dialogs belong to the interface; the stack
// alone has nothing to do each frame.
void gcUI::Update(const gcMsgTick&) {}

void gcUI::Draw(const eCamera*, unsigned int, unsigned int) {}

// Dialogs carry no pausing flag until the interface has them.
gcUIDialog* gcUI::GetPausingDialog() const
{
    return nullptr;
}

void gcUI::CloseAllDialogs(bool)
{
    for (gcUIDialog*& p : m_dialogStack)
        p = nullptr;
    m_nFocusedDialog = -1;
}

int gcUI::FindDialog(const gcUIDialog* pDialog) const
{
    for (int i = 0; i < kMaxDialogs; ++i) {
        if (m_dialogStack[i] == pDialog)
            return i;
    }
    return -1;
}

void gcUI::OnMemPoolReset(const cMemPool* pPool)
{
    int nTop = 0;
    for (gcUIDialog* p : m_dialogStack) {
        if (p && !pPool->Contains(p))
            m_dialogStack[nTop++] = p;
    }
    for (int i = nTop; i < kMaxDialogs; ++i)
        m_dialogStack[i] = nullptr;
    m_nFocusedDialog = nTop - 1;
}
