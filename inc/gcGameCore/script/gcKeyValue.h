#pragma once
// A named script variable: scripts read and assign it, and the game flow
// stores it with the game state and the save profiles. Found by handle
// through gcKeyValueMgr; lives in the pool of its group's load; main thread.
// Type id 65.

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcKeyValue;
using gcKeyValueHandle = cHandle<gcKeyValue>;

class gcKeyValue : public cObject {
    QM_DECLARE_TYPE(gcKeyValue)
public:
    static constexpr uint32_t kVersion = 3;

    gcKeyValue() = default;

    // Version 3: the cObject block and the value.
    void Write(const cFile& file) const override;
    // Version 3 only: older blocks are skipped and the read fails; the key
    // value is unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    gcKeyValueHandle m_handle;
    float m_fValue = 0.0f;
};

// The slot table of script key values: 200 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.
class gcKeyValueMgr : public cManager<gcKeyValue, 200> {};

// The file block that fills a range of gcKeyValueMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.
class gcKeyValueGroup : public cGroup {
    QM_DECLARE_GROUP(gcKeyValueGroup, gcKeyValueMgr)
};
