#pragma once
// Shows or hides one widget of a dialog; a change runs the widget's
// OnShown or OnHidden. Main thread. Type id 157.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUIShow : public gcAction {
    QM_DECLARE_TYPE(gcDoUIShow)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoUIShow() = default;
    gcDoUIShow(const gcDesiredWidget& widget, bool show) : desiredWidget(widget), bShow(show) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the widget, the show flag.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Menu].[Start].Show", "....Hide"
    // Nothing when the widget does not resolve.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    bool bShow = true;
};
