#pragma once
// Selects card slot A and formats the card or deletes the save file; saving
// and loading go through the save-game action, so the other operations only
// select the slot. Lives in its event's pool; main thread. Type id 168.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcDoMemCardOp : public gcAction {
    QM_DECLARE_TYPE(gcDoMemCardOp)
public:
    static constexpr uint32_t kVersion = 2;

    // Stored in data files.
    enum gcOp : int32_t { OP_FORMAT = 0, OP_SAVE = 1, OP_LOAD = 2, OP_DELETE = 3, OP_SAVEOVERWRITE = 4, MAX_OPS = 5 };

    gcDoMemCardOp() = default;
    explicit gcDoMemCardOp(int32_t nOp) : op(nOp) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block and the op.
    void Write(const cFile& file) const override;
    // Version 2 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "MemCard.Format"
    void GetText(char* pBuf) const override;
    // The delete names the game object's save file; without a game object
    // (or a name) it deletes nothing.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetOpText(int32_t op);  // "???" outside 0..4

    int32_t op = OP_SAVE;  // a gcOp as stored
};
