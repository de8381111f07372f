#pragma once
// The kind of a device (door, lever, platform, trap): an entity template
// with the nine animation configurations its devices play when hit, dying,
// dead and idling. Creates devices (gcDevice). Neutral and not targeted by
// creatures unless the data says otherwise. Lives in the pool of its
// group's load. Main thread. Type id 219.

#include <cstdint>

#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/script/gcAnimationConfig.h"

class gcDeviceTemplate : public gcEntityTemplate {
    QM_DECLARE_TYPE(gcDeviceTemplate)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr uint32_t kMinVersion = 1;
    // The table's slots: hit, dying, dead, then six idles (gcDevice's
    // gcAnimations index it).
    static constexpr int kNumAnimations = 9;

    // Team neutral, template flag 0x1 clear, nine empty configurations.
    gcDeviceTemplate();
    // Takes nothing from the source: the entity template part with its own
    // defaults (team unfriendly, targetable) and nine empty configurations.
    gcDeviceTemplate(const gcDeviceTemplate& other);
    gcDeviceTemplate& operator=(const gcDeviceTemplate&) = delete;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the entity template block, 9, the nine configurations.
    void Write(const cFile& file) const override;
    // Version 1 and up (0 skipped, false). A count beyond nine is read up to
    // nine and the rest skipped; configurations the block does not hold stay
    // empty. Unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The device's type record.
    const cType* GetEntityType() const override;

    gcAnimationConfig animationConfigs[kNumAnimations];
};
