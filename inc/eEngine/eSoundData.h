#pragma once
// One sound resource: a named object with its length, loop flag, sample rate
// and sample width, whose ADPCM samples are copied into audio memory when it
// is read and described by an eSoundWaveData that the mixer programs into a
// voice. Found by eSoundDataHandle through eSoundDataMgr. Lives in the pool
// of its load; its audio memory is released when it is destroyed. Main
// thread, or the loader thread while its group is read.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class eSoundData;
class eSoundWaveData;
using eSoundDataHandle = cHandle<eSoundData>;

enum eSoundDataChannels {
    SDC_MONO = 1,
    SDC_STEREO = 2,
};

class eSoundData : public cObject
{
    QM_DECLARE_TYPE(eSoundData)
public:
    static constexpr uint32_t kVersion = 3;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr uint32_t kPlatformVersion = 1;
    static constexpr uint32_t kStagingChunk = 16384;  // sample bytes copied to audio memory at a time
    static constexpr uint32_t kStagingSize = 16416;
    static constexpr int kMaxNameLength = 19;         // source names must be shorter than 20
    static constexpr int kPlatforms = 4;

    // Writes the platform block of the file's target platform. The game
    // leaves every entry empty; tools install theirs.
    typedef void (*PlatformWriteFunc)(const eSoundData& sound, const cFile& file);
    static PlatformWriteFunc s_platformWriters[kPlatforms];

    eSoundData();  // all zero, no wave data
    // Releases the audio memory of its wave data.
    ~eSoundData() override;

    // An empty sound data in the pool (no samples are copied).
    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the object's name, length, looping, frequency, bits per
    // sample and original name, then the target platform's writer.
    void Write(const cFile& file) const override;
    // Accepts versions 2 and 3 (version 2 takes its own name as the original
    // name) followed by the platform block: the ADPCM header, the byte size
    // and the end offset, then the samples, copied into a new audio-memory
    // block. Any other version, a platform block that is not accepted,
    // sizes that do not fit the block or audio memory, or a short file: the
    // block is skipped, false, and the sound keeps its previous state (no
    // audio memory is kept).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Checks a source file's name against the naming rule: first letter s
    // (one-shot) or l (looping), second s (stereo) or m (mono), third an
    // underscore, then only letters, digits and underscores, fewer than 20
    // characters in all (the folder and the extension not counted), letters
    // in either case. Sets both outputs from the first two letters and
    // answers true when the rule holds. A tool-side check.
    static bool GetSettingsFromFilename(const char* path, bool* pLooping, eSoundDataChannels* pChannels);

    eSoundDataHandle m_handle;
    int32_t m_length;  // ticks; a one-shot ends after this
    bool m_bLooping;
    int32_t m_nFrequency;  // samples a second; 0 when not stored
    int32_t m_nBitsPerSample;
    int32_t m_nModCount;
    eSoundWaveData* m_pWaveData;  // in the load pool; null until loaded
    cName m_originalName;         // the sample file it was made from

private:
    // The console half (eSoundData_gc.cpp): reads the platform block and
    // copies the samples into audio memory. The new record, or null.
    static eSoundWaveData* PlatformRead(const cFile& file, cMemPool* pPool);
    void DestroyWaveData();
};

// The slot table of sound data: 700 slots, resolved by handle. A stale or
// zero handle gives null. Main thread, or the loader filling a group.
class eSoundDataMgr : public cManager<eSoundData, 700> {};

// The file block that fills a range of eSoundDataMgr's slots with sound data
// and their check values; the game's sound files are such groups. Lives in
// the pool of its load; one made by the factory destroys its sounds with it,
// last slot first, which releases audio memory in the reverse order of
// loading.
class eSoundDataGroup : public cGroup
{
    QM_DECLARE_GROUP(eSoundDataGroup, eSoundDataMgr)
public:
    int32_t m_nMemSize = 0;  // kept, not used
};
