#include "gcGameCore/interface/gcUI.h"

gcUI* gcUI::Get()
{
    static gcUI s_ui;
    return &s_ui;
}

// Updating and drawing the open dialogs belong to the interface; the stack
// alone has nothing to do each frame.
void gcUI::Update(const gcMsgTick&) {}

void gcUI::Draw(const eCamera*, unsigned int, unsigned int) {}
