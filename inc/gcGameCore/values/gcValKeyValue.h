#pragma once
// A script key value (a global variable of the scripts) read and assigned
// by handle; 0.0 and no assignment while the handle does not resolve. Read
// with its owner into its pool; main thread. Type id 109.

#include <cstdint>

#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcLValue.h"

class gcValKeyValue : public gcLValue {
    QM_DECLARE_TYPE(gcValKeyValue)
public:
    static constexpr uint32_t kVersion = 1;

    gcValKeyValue() = default;
    explicit gcValKeyValue(gcKeyValueHandle h) : hKeyValue(h) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, then the handle.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "[Name]", "[???]" when stale
    void Set(float fValue, const gcEventParams& params) override;

    gcKeyValueHandle hKeyValue;
};
