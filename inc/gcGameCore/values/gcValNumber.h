#pragma once
// A literal number of a script expression. Read with its owner into its
// pool; main thread. Type id 78.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValNumber : public gcValue {
    QM_DECLARE_TYPE(gcValNumber)
public:
    static constexpr uint32_t kVersion = 1;

    gcValNumber() = default;
    explicit gcValNumber(float f) : fValue(f) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, then the number.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "%.3g"

    float fValue = 0.0f;
};
