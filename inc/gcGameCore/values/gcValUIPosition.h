#pragma once
// One axis of a control's offset from its anchor; assignable, the other
// axis kept. The file block holds no axis: a loaded value addresses X.
// Read with its owner into its pool; main thread. Type id 164.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUIPosition : public gcLValue {
    QM_DECLARE_TYPE(gcValUIPosition)
public:
    static constexpr uint32_t kVersion = 1;

    enum gcAxis : int32_t { AXIS_X = 0, AXIS_Y = 1, MAX_AXIS = 2 };
    static const char* GetAxisText(int32_t axis);  // "X", "Y"; "???" outside

    gcValUIPosition() = default;
    gcValUIPosition(const gcDesiredWidget& widget, int32_t a) : desiredWidget(widget), axis(a) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the widget (not the axis).
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); the axis is not read, so a
    // loaded value keeps X. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a control or for an axis outside the two.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Menu].[Start].X"
    // Ignored without a control or for an axis outside the two.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
    int32_t axis = AXIS_X;  // a gcAxis
};
