#pragma once
// Gives the focus to one control of a dialog; the dialog refuses a control
// that cannot take it. Main thread. Type id 155.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUIFocus : public gcAction {
    QM_DECLARE_TYPE(gcDoUIFocus)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoUIFocus() = default;
    explicit gcDoUIFocus(const gcDesiredWidget& widget) : desiredWidget(widget) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the widget.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Menu].[Start].SetFocus"
    // Nothing when the dialog does not resolve.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
};
