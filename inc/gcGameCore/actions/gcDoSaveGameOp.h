#pragma once
// Runs one profile operation of the save game: select, reset, update, save
// to or load from the card, start the saved map, or pick the player's
// controller. The outcome of card operations is left in the save game and
// the memory card's status for values to read. Lives in its event's pool;
// main thread. Type id 210.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoSaveGameOp : public gcAction {
    QM_DECLARE_TYPE(gcDoSaveGameOp)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kMinVersion = 1;

    // Stored in data files.
    enum gcOp : int32_t {
        OP_LOADALLPROFILES = 0,
        OP_SAVEALLPROFILES = 1,
        OP_NEWPROFILE = 2,
        OP_LOADPROFILE = 3,
        OP_SAVEPROFILE = 4,
        OP_SAVEOVERWRITEPROFILE_COMMIT = 5,
        OP_STARTPROFILE = 6,
        OP_UPDATELASTUSEDPROFILE = 7,
        OP_LOADPROFILE_COMMIT = 8,
        OP_SAVEPROFILE_COMMIT = 9,
        OP_DETERMINECONTROLLER = 10,
        OP_SETCURPROFILE = 11,
        OP_SAVEPROFILEOPTIONS_COMMIT = 12,
        MAX_OPS = 13,
    };

    // New profile; profile number 1.
    gcDoSaveGameOp();
    gcDoSaveGameOp(int32_t nOp, const gcDesiredValue& profileNumber) : op(nOp), profile(profileNumber) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the op, the profile number.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false). Version 1 holds the 0-based
    // profile index n, read as the number n + 1. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "SetCurProfile( 2 )" or "SaveGameOp.SaveProfile".
    void GetText(char* pBuf) const override;
    // Nothing for an op outside 0..12.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetOpText(int32_t op);  // "???" outside 0..12

    int32_t op = OP_NEWPROFILE;  // a gcOp as stored
    gcDesiredValue profile;      // 1-based profile number for OP_SETCURPROFILE
};
