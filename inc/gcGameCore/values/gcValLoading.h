#pragma once
// 1.0 while the map loader's thread runs. Read with its owner into its
// pool; main thread. Type id 114.

#include <cstdint>

#include "gcGameCore/script/gcValue.h"

class gcValLoading : public gcValue {
    QM_DECLARE_TYPE(gcValLoading)
public:
    static constexpr uint32_t kVersion = 1;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block only.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false).
    bool Read(const cFile& file, cMemPool* pPool) override;
    float Get(const gcEventParams& params) const override;
    // The family's text: "Loading".
};
