#pragma once
// A control's opacity, 0..1 (drawn times its dialog's); assignable, the
// assignment clamped into 0..1. Without a control it reads the dialog's
// opacity, or fully opaque without a dialog. Read with its owner into its
// pool; main thread. Type id 185.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUIOpacity : public gcLValue {
    QM_DECLARE_TYPE(gcValUIOpacity)
public:
    static constexpr uint32_t kVersion = 1;

    gcValUIOpacity() = default;
    explicit gcValUIOpacity(const gcDesiredWidget& widget) : desiredWidget(widget) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the widget.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The control's opacity; without a control the dialog's, 1.0 without
    // either.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Menu].[Start].Opacity"
    // The control's opacity, clamped into 0..1; never the dialog's.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
};
