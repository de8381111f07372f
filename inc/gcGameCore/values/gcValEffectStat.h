#pragma once
// One of an effect's five current stats (scale, two variables, blend,
// particle speed scale); assignable, unclamped. Read with its owner into
// its pool; main thread. Type id 231.

#include <cstdint>

#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/script/gcDesiredEffect.h"
#include "gcGameCore/script/gcLValue.h"

class gcValEffectStat : public gcLValue {
    QM_DECLARE_TYPE(gcValEffectStat)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEffectStat() = default;
    gcValEffectStat(const gcDesiredEffect& effect, int32_t stat) : desiredEffect(effect), desiredStat(stat) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcLValue block, the effect, the stat.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 when the effect does not resolve or the stat is outside the table.
    float Get(const gcEventParams& params) const override;
    // "Initiator.Scale"
    void GetText(char* pBuf) const override;
    // Stored as given; ignored as Get gives 0.0.
    void Set(float fValue, const gcEventParams& params) override;

    gcDesiredEffect desiredEffect;
    int32_t desiredStat = gcEffectTemplate::STAT_SCALE;  // a gcEffectStat as stored

private:
    float* Stat(const gcEventParams& params) const;
};
