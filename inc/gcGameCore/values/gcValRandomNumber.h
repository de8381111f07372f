#pragma once
// A random number drawn anew at every evaluation from the main random
// stream: a range from a to b, or a plus or minus b, optionally in whole
// numbers. Read with its owner into its pool; main thread. Type id 116.

#include <cstdint>

#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcValue.h"

class gcValRandomNumber : public gcValue {
    QM_DECLARE_TYPE(gcValRandomNumber)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr uint32_t kModeMask = 0xF;        // nFlags: the mode
    static constexpr uint32_t kModeRange = 1;         // a to b
    static constexpr uint32_t kModeTolerance = 2;     // a plus or minus b
    static constexpr uint32_t kWholeNumbers = 0x1000;  // nFlags: draw whole numbers

    // A range from 0.0 to 1.0.
    gcValRandomNumber();
    gcValRandomNumber(const gcDesiredValue& da, const gcDesiredValue& db, uint32_t flags)
        : a(da), b(db), nFlags(flags) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, a, b (inline records), the flags.
    void Write(const cFile& file) const override;
    // Versions 1 (nothing beyond the base block: the defaults) and 2; others
    // skipped, false. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Evaluates a and b always; 0.0 for another mode.
    float Get(const gcEventParams& params) const override;
    // "RandomNumberRange( a, b )", "RandomNumberTol( a, b )"; the
    // whole-number flag is not shown.
    void GetText(char* pBuf) const override;

    gcDesiredValue a;
    gcDesiredValue b;
    uint32_t nFlags = kModeRange;
};
