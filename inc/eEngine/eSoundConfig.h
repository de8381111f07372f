#pragma once
// The settings of a zone sound as stored with effects and entities: which
// sound data, its audible radius, volume and loop flag. Lives in the pool of
// its load; main thread.

#include "cCore/cBase.h"
#include "eEngine/eSoundData.h"

class eSoundConfig : public cBase
{
    QM_DECLARE_TYPE(eSoundConfig)
public:
    static constexpr uint32_t kVersion = 1;

    eSoundConfig();  // no sound, radius 0, volume 1, one-shot

    // A new config in the pool with the four fields.
    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: an empty cBase block, the handle, radius, volume, looping.
    void Write(const cFile& file) const override;
    // Accepts version 1 only; anything else, or a short block, is skipped
    // and leaves the config as it was (false).
    bool Read(const cFile& file, cMemPool* pPool) override;

    eSoundDataHandle hSound;
    float fRadius;
    float fVolume;
    bool bLooping;
};
