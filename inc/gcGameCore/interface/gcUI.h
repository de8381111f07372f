#pragma once
// The one dialog stack of the game, as far as the game flow needs it today:
// the open dialogs bottom to top and the index of the focused one. Opening,
// closing, transitions, the per-frame update and the drawing of dialogs are
// the interface's (built with the interface); until then Update and Draw
// have no dialog to serve. The stack owns nothing. Main thread.

#include <cstdint>

class cMemPool;
class eCamera;
class gcMsgTick;
class gcUIDialog;

class gcUI {
public:
    static constexpr int kMaxDialogs = 16;

    static gcUI* Get();  // made on the first call

    // The focused dialog: the top of the stack; null when none is open.
    gcUIDialog* GetFocusedDialog() const
    {
        return m_nFocusedDialog >= 0 && m_nFocusedDialog < kMaxDialogs ? m_dialogStack[m_nFocusedDialog] : nullptr;
    }
    void Update(const gcMsgTick& msg);
    // The topmost dialog that pauses the game; null when none.
    gcUIDialog* GetPausingDialog() const;
    // Closes every open dialog.
    void CloseAllDialogs(bool bApplyEvents);
    // The dialog's index on the stack; -1 when it is not open.
    int FindDialog(const gcUIDialog* pDialog) const;
    // Takes the pool's dialogs off the stack.
    void OnMemPoolReset(const cMemPool* pPool);
    void Draw(const eCamera* pCamera, unsigned int nFlags, unsigned int nControlFlags);

    gcUIDialog* m_dialogStack[kMaxDialogs] = {};
    int32_t m_nFocusedDialog = -1;  // -1: no dialog open
};
