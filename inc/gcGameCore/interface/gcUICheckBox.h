#pragma once
// A control with a checked state (the widget flag 0x10000, stored with the
// flags), two events that run when the state changes and three sprites for
// the checked look. Scripts read and set the state through the checked
// value; confirming does not toggle it. Type id 156; main thread.

#include <cstdint>

#include "gcGameCore/interface/gcUIControl.h"

class gcUICheckBox : public gcUIControl {
    QM_DECLARE_TYPE(gcUICheckBox)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kChecked = 0x10000;  // m_nFlags

    enum gcUICheckedSprite : int32_t {
        SPR_CHECKED = 0,
        SPR_CHECKED_DISABLED = 1,
        SPR_CHECKED_FOCUSED = 2,
        MAX_CHECKEDSPRITES = 3
    };

    gcUICheckBox();
    // The control part, both events (owned by the copy's name) and the
    // checked sprites.
    gcUICheckBox(const gcUICheckBox& other);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the control block, both events, the checked sprites (3).
    void Write(const cFile& file) const override;
    // Versions 1 to 3 are the control block alone; version 4 adds the
    // events and sprites (past the third read and dropped). Version 0 or a
    // refused control block fails with the block skipped.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // A change sets or clears the bit and applies OnChecked or OnUnchecked
    // with default parameters; no change does nothing. The dialog is not told.
    void Check(bool bCheck);
    bool IsChecked() const { return (m_nFlags & kChecked) != 0; }

    // Checked: the checked sprite of the state when it resolves; else the
    // control's choice, else the first checked sprite that resolves.
    eSprite* GetSpriteToDraw() const override;
    // The checked-focused sprite when it resolves, else the control's.
    eSprite* GetFocusedSpriteToDraw() const override;

    gcEvent onChecked;
    gcEvent onUnchecked;
    eSpriteHandle m_hCheckedSprites[MAX_CHECKEDSPRITES];
};
