#pragma once
// Sound data for tests and the sample game: test signals, a DSP-ADPCM
// encoder, and writers of sound-data files (single sounds and the groups the
// game's sound files hold) through the engine's own Write code plus a
// platform-block writer of our own. Offline tools and test fixtures; main
// thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class cFile;
class eSoundData;

namespace datagen {

constexpr int kSoundSampleRate = 32000;

// A sound encoded as the console stores it.
struct AdpcmSound {
    uint8_t header[40] = {};     // the ADPCM parameter block, big-endian
    std::vector<uint8_t> bytes;  // 8-byte frames: predictor/scale byte, 14 nibbles
    uint32_t nEndOffset = 0;     // nibbles from the first frame to the last sample
    int nSamples = 0;
};

// n samples of a sine of hz at amplitude (peak, in sample units), 32 kHz,
// starting at phase 0.
std::vector<int16_t> MakeSineTone(double hz, double amplitude, int n);
// A tune: each note's sine for nNoteSamples samples in turn, 32 kHz, each
// faded in over 2 ms and out over 10 ms so that notes meet without a click.
std::vector<int16_t> MakeTune(const std::vector<double>& notesHz, double amplitude, int nNoteSamples);
// n samples of white noise of the peak amplitude, fading linearly to 0;
// the same seed gives the same burst.
std::vector<int16_t> MakeNoiseBurst(double amplitude, int n, uint32_t seed);

// Encodes samples into DSP-ADPCM: eight predictor pairs (seven fixed ones
// and the signal's own least-squares pair), chosen per frame with the scale
// that decodes closest to the input. The last frame is padded with silence.
// An empty input gives no frames.
AdpcmSound EncodeDspAdpcm(const std::vector<int16_t>& pcm);
// Decodes what EncodeDspAdpcm wrote, sample by sample as the voice does
// (nSamples samples).
std::vector<int16_t> DecodeDspAdpcm(const AdpcmSound& sound);

// One sound for a file.
struct SoundRecord {
    std::string name;           // the object's name, at most 19 characters
    std::string originalName;   // the sample file it came from (version 3)
    AdpcmSound adpcm;
    int32_t nLengthTicks = 0;
    bool bLooping = false;
    int32_t nFrequency = kSoundSampleRate;
    int32_t nBitsPerSample = 16;
    uint16_t check = 0;  // a group's check value for its slot (0: random)
};

// A record of the samples at 32 kHz with its length in ticks rounded up.
SoundRecord MakeSoundRecord(const std::string& name, const std::vector<int16_t>& pcm, bool bLooping);

// Writes one sound data as the object of a console data file. False (logged)
// when the file cannot be written.
bool WriteSoundDataFile(const std::string& path, const SoundRecord& record);
// Writes one sound data as a music track ("Music%02i.mus"): its block alone,
// without the type id of an object file. False (logged) when the file cannot
// be written.
bool WriteMusicFile(const std::string& path, const SoundRecord& record);
// Writes an eSoundDataGroup over slots beginSlot .. beginSlot + n - 1. The
// sounds occupy the sound-data manager's slots only while the group is
// written. False (logged) for a range outside the manager or a failed write.
bool WriteSoundDataGroupFile(const std::string& path, int beginSlot, const std::vector<SoundRecord>& records);
// The same group's block alone, as the game's sound banks (GameSound.snd,
// MainMenuSound.snd, the players' and the maps') hold it.
bool WriteSoundDataGroupBodyFile(const std::string& path, int beginSlot, const std::vector<SoundRecord>& records);

// Fills sound from the record (names, length, looping, format) and runs
// write with the record's encoded samples standing for its platform block:
// a sound made here (in a voice-over, say) has no samples of its own.
// write's result.
bool WithPendingSound(eSoundData& sound, const SoundRecord& record, const std::function<bool()>& write);

// Installs, while it lives, a console platform writer that writes the
// platform block of sound data loaded into audio memory from what audio
// memory holds, so a loaded sound can be written back.
class AudioMemorySoundWriter {
public:
    AudioMemorySoundWriter();
    ~AudioMemorySoundWriter();
    AudioMemorySoundWriter(const AudioMemorySoundWriter&) = delete;
    AudioMemorySoundWriter& operator=(const AudioMemorySoundWriter&) = delete;

private:
    void (*m_old)(const eSoundData&, const cFile&);
};

// The sample game's sounds: "lm_Tone" (a looping 440 Hz sine, one second)
// and "sm_Noise" (a quarter-second noise burst), as a group in slots 0 and 1.
bool WriteSampleSounds(const std::string& path);

}  // namespace datagen
