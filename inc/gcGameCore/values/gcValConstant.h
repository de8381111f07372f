#pragma once
// A named script constant read by handle; 0.0 while the handle does not
// resolve. Read with its owner into its pool; main thread. Type id 253.

#include <cstdint>

#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcValue.h"

class gcValConstant : public gcValue {
    QM_DECLARE_TYPE(gcValConstant)
public:
    static constexpr uint32_t kVersion = 1;

    gcValConstant() = default;
    explicit gcValConstant(gcConstantHandle h) : hConstant(h) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, then the handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "{Name}", "{???}" when stale

    gcConstantHandle hConstant;
};
