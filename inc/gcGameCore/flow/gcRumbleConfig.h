#pragma once
// One controller rumble: how long, how strong at its start and at its end,
// and up to which distance it is felt. Effect templates own one while their
// rumble is enabled. A plain value read with its owner; any thread that
// reads the owner. Type id 191.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cTimeValue.h"

class gcRumbleConfig : public cBase {
    QM_DECLARE_TYPE(gcRumbleConfig)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 3;  // older blocks are skipped

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: an empty cBase block, the life time in ticks, then the
    // start and end intensities and the falloff distance.
    void Write(const cFile& file) const override;
    // An older block is skipped and the values stay as they were (false).
    bool Read(const cFile& file, cMemPool* pPool) override;

    cTimeValue lifeTime;
    float fStartIntensity = 1.0f;
    float fEndIntensity = 1.0f;
    float fFalloffDistance = 10.0f;
};
