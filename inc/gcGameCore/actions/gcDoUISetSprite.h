#pragma once
// Changes the sprite a control draws in one of its states (enabled,
// disabled, focused). Main thread. Type id 160.

#include <cstdint>

#include "eEngine/eSprite.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUISetSprite : public gcAction {
    QM_DECLARE_TYPE(gcDoUISetSprite)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoUISetSprite() = default;
    gcDoUISetSprite(const gcDesiredWidget& widget, int32_t state, eSpriteHandle h)
        : desiredWidget(widget), sprite(state), hSprite(h) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the widget, the state, the sprite.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "[Menu].[Start].Focused.SetSprite( [Glow] )"; "[none]" for no sprite.
    void GetText(char* pBuf) const override;
    // Nothing when the reference names no control or the state lies
    // outside the control's four sprite slots.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    int32_t sprite = gcUIControl::SPR_ENABLED;  // a gcUISprite as stored
    eSpriteHandle hSprite;
};
