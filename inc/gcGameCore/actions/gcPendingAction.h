#pragma once
// Stands for every action class whose behaviour is not built yet, so that
// files holding them load and save unchanged: one record per class, under
// its own name and type id, whose objects keep the block's fields after the
// base block as stored and do nothing when applied. A class that gets built
// drops its row from the table in gcPendingAction.cpp. Lives in its event's
// pool; main thread.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"

class gcPendingAction : public gcAction {
public:
    explicit gcPendingAction(const cType* pType) : m_pType(pType) {}

    const cType* GetType() const override { return m_pType; }
    cBase* Copy(cMemPool* pPool) const override;
    // The version it was read with, the base block and the kept bytes.
    void Write(const cFile& file) const override;
    // Any version with an accepted base block; logs nothing. Unchanged
    // unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void DoAction(const gcEventParams&) const override {}

private:
    const cType* m_pType;
    uint32_t m_nVersion = 1;
    const uint8_t* m_pFields = nullptr;  // as stored, in the action's pool
    uint32_t m_nFields = 0;
};
