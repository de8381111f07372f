#pragma once
// A reference to an interface control: the dialog's handle and the
// control's handle inside the dialog, stored as two 32-bit words. Resolving
// and the text form come with the interface's controls. A plain value
// embedded in its owner.

#include <cstdint>

#include "gcGameCore/interface/gcUIDialog.h"

class cReadBlock;
class cWriteBlock;

struct gcDesiredWidget {
    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;

    gcUIDialogHandle hDialog;
    uint32_t hControl = 0;  // (magic << 8) | slot in the dialog's control table; 0 none
};
