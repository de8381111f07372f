#pragma once
// One dimension of a control's box; assignable, directly or damped (each
// assignment moves the size a share 1 - fK of the way to the number). The
// file block holds no dimension: a loaded value addresses the width. Read
// with its owner into its pool; main thread. Type id 165.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUISize : public gcLValue {
    QM_DECLARE_TYPE(gcValUISize)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr float kDefaultK = 0.85f;

    enum gcDimension : int32_t { DIM_WIDTH = 0, DIM_HEIGHT = 1, MAX_DIMENSIONS = 2 };
    static const char* GetDimensionText(int32_t dimension);  // "Width", "Height"; "???" outside

    gcValUISize() = default;
    gcValUISize(const gcDesiredWidget& widget, int32_t dim, bool damped, float k)
        : desiredWidget(widget), dimension(dim), bDampened(damped), fK(k) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the widget, bDampened, fK (not the
    // dimension).
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 keeps undamped
    // and fK 0.85; the dimension is not read, so a loaded value keeps the width. Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a control or for a dimension outside the two.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Menu].[Bar].Width"
    // Ignored without a control or for a dimension outside the two.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
    int32_t dimension = DIM_WIDTH;  // a gcDimension
    bool bDampened = false;
    float fK = kDefaultK;  // the share of the old size kept per damped assignment
};
