#pragma once
// One of the three numbers a control's text formatting shows; assignable.
// Read with its owner into its pool; main thread. Type id 166.

#include <cstdint>

#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcLValue.h"

class gcValUITextParam : public gcLValue {
    QM_DECLARE_TYPE(gcValUITextParam)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int32_t kNumTextParams = 3;

    gcValUITextParam() = default;
    gcValUITextParam(const gcDesiredWidget& widget, int32_t param) : desiredWidget(widget), nTextParam(param) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcLValue block, the parameter index, the widget.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a control or for an index outside 0..2.
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Hud].[Count].TextParam[1]"
    // Ignored without a control or for an index outside 0..2.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredWidget desiredWidget;
    int32_t nTextParam = 0;
};
