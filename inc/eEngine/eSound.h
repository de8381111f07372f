#pragma once
// A positional sound placed in a zone: sound data with an audible radius,
// volume and loop flag, a frame relative to its zone, and the mixer channel
// it plays on. Its zone files it in the zone's sound tree (through the zone
// filing below), the listener starts and stops it by distance, and its owner
// (an entity or effect, which keeps it in its own pool) switches it on and
// off, moves it and updates it every tick. Main thread.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "mMath/mOCS.h"

class eSoundConfig;
class eSoundData;
class eZone;

class eSound {
public:
    // m_nFlags
    static constexpr uint32_t kFlagOutsideZones = 0x1;  // its position lies in no zone
    static constexpr uint32_t kFlagReevaluate = 0x2;    // zone and frame to be found again
    static constexpr uint32_t kFlagActive = 0x4;        // filed with its zone for playing

    // How zones file their sounds: the zone system installs its AddSound
    // (files or refiles by position and radius) and RemoveSound. Until it
    // does, sounds are filed nowhere and so are never offered.
    struct ZoneFiling {
        void (*pAdd)(eZone* pZone, eSound* pSound);
        void (*pRemove)(eZone* pZone, eSound* pSound);
    };
    static ZoneFiling SetZoneFiling(const ZoneFiling& filing);  // returns the previous one

    // No zone, no data, radius -1, volume and intensity 1, identity frame,
    // no channel.
    eSound();
    // Stops its channel, leaves its zone's filing and the listener's lists,
    // so nothing points at it afterwards.
    ~eSound();
    eSound(const eSound&) = delete;
    eSound& operator=(const eSound&) = delete;

    // Frees the channel, then takes the config's data (null when its handle
    // is stale), radius, volume and loop flag; play position 0.
    void SetConfig(const eSoundConfig& config);
    // Frees the channel, takes the data; play position 0.
    void SetSoundData(const eSoundData* pData);
    // Moves to another zone's filing and asks for re-evaluation; with no
    // zone the channel is freed.
    void SetZone(eZone* pZone);
    // Sets the on bits and clears the off bits. Clearing kFlagActive leaves
    // the zone's filing; setting it while in a zone files it and asks for
    // re-evaluation, unless the sound is a finished one-shot.
    void SetFlagsOnOff(uint32_t on, uint32_t off);
    // Starts the sound in the "SoundEffects" group at its world position
    // from its play position, unless it has a channel; the channel stays -1
    // when the group is full.
    void Play();
    void Stop();  // frees its channel
    // One tick of the owner (the owner's zone, the step): false when a
    // one-shot has finished, else true. The play position stays at 0 in the
    // first tick after new data or a new config: the listener, which starts
    // the sound after its owner's tick, starts it from its first sample.
    bool Update(eZone* pZone, cTimeValue step);

    // Its local origin through its zone's frame (as is without a zone).
    mVec3 GetWorldPos() const;
    bool IsFinishedOneShot() const;  // a one-shot at or past its length

    eZone* m_pZone;
    void* m_pOwner;       // not used here
    eSound* m_pSndPrev;   // kept by the zone's filing
    eSound* m_pSndNext;
    int16_t m_nSndNodeIndex;  // -1 when not filed
    bool m_bLooping;
    float m_fRadius;
    float m_fVolume;
    float m_fIntensity;
    uint32_t m_nFlags;
    cTimeValue m_timeAlive;  // play position
    bool m_bFresh;           // new data: the next tick leaves the position at 0
    int m_nChannelId;        // mixer channel handle, -1 when silent
    mOCS m_localToZone;
    const eSoundData* m_pSoundData;

private:
    void FileInZone();
    void UnfileFromZone();
    void Reevaluate(eZone* pZone);
};
