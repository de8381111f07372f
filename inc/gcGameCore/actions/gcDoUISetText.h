#pragma once
// Changes the string a control shows. Main thread. Type id 158.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcString.h"

class gcDoUISetText : public gcAction {
    QM_DECLARE_TYPE(gcDoUISetText)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoUISetText() = default;
    gcDoUISetText(const gcDesiredWidget& widget, gcStringHandle text) : desiredWidget(widget), hText(text) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the widget, the string.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "[Menu].[Start].SetText( [Title] )"; "[none]" for no string.
    void GetText(char* pBuf) const override;
    // Nothing when the reference names no control.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    gcStringHandle hText;
};
