#pragma once
// Changes the font a control draws its text with. Main thread. Type id 159.

#include <cstdint>

#include "eEngine/eFont.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUISetFont : public gcAction {
    QM_DECLARE_TYPE(gcDoUISetFont)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoUISetFont() = default;
    gcDoUISetFont(const gcDesiredWidget& widget, eFontHandle font) : desiredWidget(widget), hFont(font) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the widget, the font.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Menu].[Start].SetFont( [Big] )"
    // Nothing when the reference names no control.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    eFontHandle hFont;
};
