#pragma once
// 1.0 while the loaded map plays a cinematic. Read with its owner into its
// pool; main thread. Type id 169.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValCinematicPlaying : public gcValue {
    QM_DECLARE_TYPE(gcValCinematicPlaying)
public:
    static constexpr uint32_t kVersion = 1;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block only.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false).
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "IsCinematicPlaying"
};
