#pragma once
// A reference to an interface control: the dialog's handle and the
// control's handle inside the dialog, stored as two 32-bit words. A plain
// value embedded in its owner. Main thread.

#include <cstdint>

#include "gcGameCore/interface/gcUIDialog.h"

class cReadBlock;
class cType;
class cWriteBlock;

struct gcDesiredWidget {
    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // The control of the dialog whose slot (the handle's low 8 bits, below
    // the dialog's control count) holds exactly this handle; null for a stale
    // dialog or handle 0. With bStrict it must also derive from pType
    // (gcUIWidget when null).
    gcUIWidget* GetControl(bool bStrict, const cType* pType) const;
    // "[dialog]" ("[???]" when stale), then ".[control]" when it resolves.
    void GetText(char* pBuf) const;

    gcUIDialogHandle hDialog;
    uint32_t hControl = 0;  // (magic << 8) | slot in the dialog's control table; 0 none
};
