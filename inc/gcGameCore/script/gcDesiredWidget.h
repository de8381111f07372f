#pragma once
// A reference to an interface control: the dialog's handle and the
// control's handle inside the dialog, stored as two 32-bit words and
// resolved afresh at every use. A plain value embedded in its owner.

#include <cstdint>

#include "gcGameCore/interface/gcUIDialog.h"

class cReadBlock;
class cType;
class cWriteBlock;
class gcUIWidget;

struct gcDesiredWidget {
    // The two words; a control the dialog does not hold fails the file
    // (gcUIDialog::CheckBinding).
    void Read(const cReadBlock& rb, cMemPool* pPool);
    void Write(const cWriteBlock& wb) const;
    // The dialog's control behind the handle; null when either handle does
    // not resolve or, with bCheckType, when the control does not derive
    // from pType (gcUIWidget when null).
    gcUIWidget* GetControl(bool bCheckType, const cType* pType = nullptr) const;
    template <class T>
    T* GetControlAs() const
    {
        return static_cast<T*>(GetControl(true, T::GetStaticType()));
    }
    // "[dialog]" ("[???]" for a stale dialog), then ".[control]" when the
    // control resolves.
    void GetText(char* pBuf) const;

    gcUIDialogHandle hDialog;
    uint32_t hControl = 0;  // (magic << 8) | slot in the dialog's control table; 0 none
};
