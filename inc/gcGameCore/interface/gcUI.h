#pragma once
// The one dialog stack of the game, as far as the game flow needs it today:
// the open dialogs bottom to top and the index of the focused one. Opening,
// closing, transitions, the per-frame update and the drawing of dialogs are
// the interface's (built with the interface); until then Update and Draw
// have no dialog to serve. The stack owns nothing. Main thread.

#include <cstdint>

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
    void Draw(const eCamera* pCamera, unsigned int nFlags, unsigned int nControlFlags);

    gcUIDialog* m_dialogStack[kMaxDialogs] = {};
    int32_t m_nFocusedDialog = -1;  // -1: no dialog open
};
