#pragma once
// A named read-only number of the scripts, found by handle through
// gcConstantMgr. Lives in the pool of its group's load and never changes;
// main thread. Type id 251.

#include "cCore/cHandle.h"
#include "cCore/cObject.h"

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
