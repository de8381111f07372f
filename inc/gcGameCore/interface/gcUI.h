#pragma once
// The one dialog stack of the game: the open dialogs bottom to top, the top
// one focused (only it reads the controller). It orders the dialogs' update
// and drawing, answers which dialog pauses the game and carries out the
// opening and closing transitions that a show-dialog action asks for. The
// stack owns nothing: dialogs live in the pools of their files. Main thread.
//
// gcUIShowDialogData is what the stack reads of a show-dialog action: its
// flags, transition, time, fade material, offsets and its two events. The
// action keeps it alive as long as the data file that holds the action.

#include <cstdint>

#include "eEngine/eMaterial.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcEvent.h"
#include "mMath/mVec2.h"

class cMemPool;
class eCamera;
class gcMsgTick;
class gcItem;
class gcUIDialog;

struct gcUIShowDialogData {
#define QM_UI_TRANSITIONS(X)                                 \
    X(TRANSITION_NONE, 0, "None")                            \
    X(TRANSITION_FULLSCREENFADE, 1, "Fullscreen Fade")       \
    X(TRANSITION_OPACITYFADE, 2, "Opacity Fade")             \
    X(TRANSITION_SCALE, 3, "Scale")                          \
    X(TRANSITION_OFFSET, 4, "Offset")
#define QM_UI_TRANSITION_ENUM(name, value, text) name = value,
    enum gcTransition : int32_t { QM_UI_TRANSITIONS(QM_UI_TRANSITION_ENUM) MAX_TRANSITIONS = 5 };
#undef QM_UI_TRANSITION_ENUM
    static const char* GetTransitionText(int transition);  // "???" outside the enumeration

    static constexpr uint32_t kShow = 0x1;          // opens the dialog; clear: closes it
    static constexpr uint32_t kFromStart = 0x2;     // fades start from their start value
    static constexpr uint32_t kDamped = 0x4;        // values approach their target exponentially
    static constexpr uint32_t kAtBottom = 0x8;      // opens at the bottom, without focus
    static constexpr uint32_t kFocusInitial = 0x10; // focuses the initially focused control
    static constexpr uint32_t kCloseAll = 0x20;     // the action closes every dialog

    gcUIShowDialogData() : onShown("OnShown", "UIShowDialog"), onHidden("OnHidden", "UIShowDialog")
    {
        transitionTime.fConst = 1.0f;
    }

    uint32_t nFlags = kShow | kFocusInitial;
    // Stored as data; values outside the enumeration animate nothing.
    int32_t transition = TRANSITION_NONE;
    gcDesiredValue transitionTime;  // seconds, evaluated as a transition starts
    eMaterialHandle hMaterial;     // the full-screen fade's material
    mVec2 startOffset{0.0f, 0.0f};  // screen offsets of the offset transition
    mVec2 endOffset{0.0f, 0.0f};
    gcEvent onShown;   // after the dialog's own OnShown
    gcEvent onHidden;  // after the dialog's own OnHidden
};

class gcUI {
public:
    static constexpr int kMaxDialogs = 16;
    static constexpr int kCloseAllPasses = 10;  // catches dialogs that close events open

    gcUI();
    // The stack is never copied: both leave it as it is.
    gcUI(const gcUI&) : gcUI() {}
    gcUI& operator=(const gcUI&) { return *this; }

    static gcUI* Get();  // made on the first call

    // The dialog's open and close with their transitions (null: none, on
    // top, closed at once). Callers resolve the dialog first.
    static void OpenDialog(gcUIDialog* pDialog, const gcUIShowDialogData* pTransition, float fInParam);
    static void CloseDialog(gcUIDialog* pDialog, const gcUIShowDialogData* pTransition, bool bApplyEvents);
    // Closes every open dialog at once, bottom up, in at most ten passes.
    void CloseAllDialogs(bool bApplyEvents);

    // The topmost open dialog with flag 0x2; null when none.
    gcUIDialog* GetPausingDialog() const;
    // The focused dialog: the top of the stack; null when none is open.
    gcUIDialog* GetFocusedDialog() const
    {
        return m_nFocusedDialog >= 0 && m_nFocusedDialog < kMaxDialogs ? m_dialogStack[m_nFocusedDialog] : nullptr;
    }
    // Index on the stack; -1 when it is not there.
    int FindDialog(const gcUIDialog* pDialog) const;

    // Every open dialog, bottom up; dialogs opened meanwhile wait a frame.
    void Update(const gcMsgTick& msg);
    // nFlags 0 draws every visible dialog; 1 only those below the lowest
    // dialog drawn over the full-screen fade (0x100); 2 that one and above.
    void Draw(const eCamera* pCamera, unsigned int nFlags, unsigned int nControlFlags);
    // Dialogs of the pool leave the stack without events; the others, open
    // or closed, drop their pointers into it.
    void OnMemPoolReset(const cMemPool* pPool);
    // An item being destroyed: item controls of every dialog, open or
    // closed, that show it fall back to their template.
    void ForgetItem(const gcItem* pItem);

    // The stack change of an open: true when the dialog was not open before.
    // A 17th dialog is refused (logged, false, no change).
    bool ActualOpenDialog(gcUIDialog* pDialog, bool bFocus);
    // The stack change of a close: true when the dialog was removed; with
    // events it is told it is hidden and the new top that it is focused.
    bool ActualCloseDialog(gcUIDialog* pDialog, bool bApplyEvents);
    // Takes the entry out (those above move down); no events.
    void RemoveDialog(int nDialogIndex);

    gcUIDialog* m_dialogStack[kMaxDialogs];  // bottom first; null above the top
    int32_t m_nFocusedDialog;                // -1: no dialog open

private:
    int CollectDrawn(unsigned int nFlags, gcUIDialog** ppOut) const;
};
