#pragma once
// Whether a widget is visible; assignable: a change runs the widget's
// OnShown or OnHidden. Read with its owner into its pool; main thread. Type
// id 163.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUIVisible : public gcLValue {
    QM_DECLARE_TYPE(gcValUIVisible)
public:
    static constexpr uint32_t kVersion = 1;

    gcValUIVisible() = default;
    explicit gcValUIVisible(const gcDesiredWidget& widget) : desiredWidget(widget) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the widget.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 1.0 when visible; 0.0 when the reference names no widget.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // [Menu].[Start].Visible
    // Shows on any number but 0.0; nothing without a widget.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
};
