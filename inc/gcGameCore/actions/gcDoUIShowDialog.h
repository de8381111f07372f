#pragma once
// Opens or closes one dialog with a transition, or closes every dialog. The
// action is itself the transition data the dialog stack reads (flags, kind,
// time, fade material, offsets and the two events run when the dialog it
// opened is shown or hidden), so it must outlive its use by the stack: it
// lives as long as the data file that holds it. Main thread. Type id 174.

#include <cstdint>

#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoUIShowDialog : public gcAction, public gcUIShowDialogData {
    QM_DECLARE_TYPE(gcDoUIShowDialog)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr float kSecondsPerTick = 1.0f / 600.0f;  // versions 3 and 4 store ticks

    gcDoUIShowDialog() = default;
    gcDoUIShowDialog(gcUIDialogHandle dialog, uint32_t flags) : hDialog(dialog) { nFlags = flags; }
    // Every field; the events' actions are copied into the pool of the copy.
    gcDoUIShowDialog(const gcDoUIShowDialog& other)
        : gcAction(), gcUIShowDialogData(other), hDialog(other.hDialog), inParam(other.inParam) {}
    gcDoUIShowDialog& operator=(const gcDoUIShowDialog&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 5: the base block, dialog, flags, transition, time as a
    // desired value, material, offsets, in-parameter, both events.
    void Write(const cFile& file) const override;
    // Versions 1 to 5 (others skipped, false): 3 and 4 store the time as
    // ticks, 1 and 2 as float seconds; the in-parameter comes with 4, the
    // events with 2. The damped flag is kept only for the scale and offset
    // transitions. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "HideAllDialogs", "[Menu].Show", "[Menu].Hide {OnShown}{OnHidden}"
    void GetText(char* pBuf) const override;
    // Nothing when the dialog does not resolve (unless closing all).
    void DoAction(const gcEventParams& params) const override;

    gcUIDialogHandle hDialog;
    gcDesiredValue inParam;  // literal 0.0
};
