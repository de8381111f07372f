#pragma once
// Where a sound's samples lie in audio memory and how to decode them: the
// record the mixer programs into a voice. Built by the sound data's platform
// read in the loading pool; owns its audio-memory block and releases it
// exactly once (on Release or destruction). Main thread, or the loader
// thread while it reads the sound.

#include <cstdint>

class eSoundWaveData {
public:
    static constexpr uint32_t kHeaderSize = 40;  // the voice library's ADPCM parameter block
    static constexpr uint32_t kStoredSize = 52;  // bytes taken from the pool for it

    eSoundWaveData();
    ~eSoundWaveData();
    eSoundWaveData(const eSoundWaveData&) = delete;
    eSoundWaveData& operator=(const eSoundWaveData&) = delete;

    // Bytes of audio memory a sound of byteSize sample bytes takes:
    // (byteSize + 35) rounded down to a multiple of 32.
    static uint32_t AllocationSize(uint32_t byteSize);

    // Frees the audio-memory block, once; afterwards the record holds none.
    void Release();
    bool HoldsMemory() const { return m_nStartAddress != 0; }
    // The block's audio-memory byte address.
    uint32_t GetAudioAddress() const { return m_nStartAddress / 2; }

    uint32_t m_nStartAddress;  // nibbles: the block's byte address x 2; also the loop start; 0 = none
    uint32_t m_nEndAddress;    // nibbles: stored end offset + start address (the last sample)
    uint32_t m_nByteSize;      // sample bytes
    uint8_t m_adpcmHeader[kHeaderSize];  // as stored (big-endian), passed to the voice as is
};

static_assert(sizeof(eSoundWaveData) == eSoundWaveData::kStoredSize, "the record takes 52 bytes of its pool");
