#pragma once
// The interface's dialog, as far as the game flow needs it today: its type
// record (id 152), its handle, the manager of 300 slots and the dialog group
// (id 151) that game-flow files hold. The dialog's fields, its block, its
// events and its drawing are the interface's (built with the interface);
// until then the type has no factory, so dialogs stored in a file are
// skipped and their slots stay empty. Lives in the pool of its file; main
// thread.

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "cCore/cObject.h"

class gcUIDialog;
using gcUIDialogHandle = cHandle<gcUIDialog>;

class gcUIDialog : public cObject {
    QM_DECLARE_ABSTRACT_TYPE(gcUIDialog)
public:
    ~gcUIDialog() override;

    gcUIDialogHandle m_handle;
};

class gcUIDialogMgr : public cManager<gcUIDialog, 300> {};

// Version 2 (version 1 read): the slot range and, per slot, a 16-bit check
// and the dialog.
class gcUIDialogGroup : public cGroup {
    QM_DECLARE_GROUP(gcUIDialogGroup, gcUIDialogMgr)
};
