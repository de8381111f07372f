#pragma once
// A named read-only number of the scripts, found by handle through
// gcConstantMgr. Lives in the pool of its group's load and never changes;
// main thread. Type id 251.

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class gcConstant;
using gcConstantHandle = cHandle<gcConstant>;

class gcConstant : public cObject {
    QM_DECLARE_TYPE(gcConstant)
public:
    static constexpr uint32_t kVersion = 1;

    gcConstant() = default;

    // Version 1: the cObject block and the value.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    gcConstantHandle m_handle;
    float m_fValue = 0.0f;
};

// The slot table of named script constants: 500 slots, resolved by handle. A stale or zero
// handle gives null. Main thread, or the loader filling a group.
class gcConstantMgr : public cManager<gcConstant, 500> {};

// The file block that fills a range of gcConstantMgr's slots. Lives in the pool
// of its load; one made by the factory destroys its objects with it.
class gcConstantGroup : public cGroup {
    QM_DECLARE_GROUP(gcConstantGroup, gcConstantMgr)
};
