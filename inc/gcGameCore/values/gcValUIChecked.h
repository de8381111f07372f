#pragma once
// Whether a check box is checked; assignable: a change runs the box's
// OnChecked or OnUnchecked. Read with its owner into its pool; main thread.
// Type id 162.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUIChecked : public gcLValue {
    QM_DECLARE_TYPE(gcValUIChecked)
public:
    static constexpr uint32_t kVersion = 1;

    gcValUIChecked() = default;
    explicit gcValUIChecked(const gcDesiredWidget& widget) : desiredWidget(widget) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the widget.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 1.0 when checked; 0.0 when the reference names no check box.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // [Options].[Rumble].Checked
    // Checks on any number but 0.0; nothing without a check box.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
};
