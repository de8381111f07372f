#pragma once
// What to play when an entity is told to animate: a skeletal animation, up
// to two sounds (one is picked at random), four script events around the
// animation's life and play flags the entity interprets. Embedded in
// templates and script actions, handed to entities by message 119; lives in
// the pool of its owner. Main thread. Type id 133.

#include <cstdint>

#include "eEngine/eAnimation.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/script/gcEvent.h"

class gcAnimationConfig : public cBase {
    QM_DECLARE_TYPE(gcAnimationConfig)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr int kNumSounds = 2;

    // Null handles, empty events, flags 0.
    gcAnimationConfig();
    // Deep-copies the events into the pool that holds this config.
    gcAnimationConfig(const gcAnimationConfig& other);
    gcAnimationConfig& operator=(const gcAnimationConfig&) = delete;

    // Whole (every action of the four events) or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Whether this copy's four events hold every action of the source's: an
    // owner that embeds a config passes it to gcEvent::KeepWhole as it
    // passes its events.
    bool HoldsAllOf(const gcAnimationConfig& source) const;
    // Version 4: an empty base block, the animation, both sounds, the four
    // events, the flags.
    void Write(const cFile& file) const override;
    // Versions 1 to 4 (others skipped, false). Version 3 holds one sound,
    // which fills both; version 1 holds neither animation nor flags. The
    // config is unchanged unless the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    eAnimationHandle hAnimation;
    eSoundDataHandle hSoundData[kNumSounds];
    gcEvent onStarted;
    gcEvent onStopped;
    gcEvent onUpdated;
    gcEvent onCompleted;
    uint32_t nFlags = 0;
};
