#pragma once
// Whether the controllers may rumble; assignable. Switching it on (also
// when it already is) gives the player's controller a short rumble as
// feedback, which holds the calling thread for 0.2 seconds. Read with its
// owner into its pool; main thread. Type id 213.

#include <cstdint>

#include "gcGameCore/script/gcLValue.h"

class gcValRumbleEnabled : public gcLValue {
    QM_DECLARE_TYPE(gcValRumbleEnabled)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr double kFeedbackSeconds = 0.2;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block only.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false).
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "RumbleEnabled"
    // Non-zero switches rumble on; a change stops every motor first.
    void Set(float fValue, const gcEventParams& params) override;
};
