#include "datagen/soundWriters.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>

#include "platform/ar.h"
#include "platform/ps.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cWriteBlock.h"
#include "datagen/blockWriter.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundWaveData.h"

namespace datagen {

namespace {

constexpr int kFrameSamples = 14;
constexpr int kFrameBytes = 8;
constexpr int kMaxScale = 12;
constexpr double kPi = 3.14159265358979323846;

// Seven fixed predictor pairs (5.11 fixed point) for common signal shapes;
// the eighth is fitted to the signal.
constexpr int16_t kFixedPairs[7][2] = {
    {0, 0},          // no prediction: noise
    {2048, 0},       // the previous sample
    {4096, -2048},   // straight-line extrapolation
    {3072, -1024},   // 1.5, -0.5
    {3840, -1792},   // 1.875, -0.875: smooth low tones
    {3584, -1536},   // 1.75, -0.75
    {1024, 0},       // half the previous sample
};

int16_t ToFixed(double v)
{
    return static_cast<int16_t>(std::clamp(std::lround(v * 2048.0), -32768L, 32767L));
}

// The least-squares second-order predictor of the signal.
void FitPair(const std::vector<int16_t>& pcm, int16_t* pC1, int16_t* pC2)
{
    double r11 = 0, r12 = 0, r22 = 0, q1 = 0, q2 = 0;
    for (size_t n = 2; n < pcm.size(); ++n) {
        const double x = pcm[n], x1 = pcm[n - 1], x2 = pcm[n - 2];
        r11 += x1 * x1;
        r12 += x1 * x2;
        r22 += x2 * x2;
        q1 += x * x1;
        q2 += x * x2;
    }
    const double det = r11 * r22 - r12 * r12;
    double a = 0, b = 0;
    if (std::fabs(det) > 1e-9 * std::max(1.0, r11 * r22)) {
        a = (q1 * r22 - q2 * r12) / det;
        b = (r11 * q2 - r12 * q1) / det;
    } else if (r11 > 0) {
        a = q1 / r11;
    }
    *pC1 = ToFixed(std::clamp(a, -15.99, 15.99));
    *pC2 = ToFixed(std::clamp(b, -15.99, 15.99));
}

// The voice's arithmetic: prediction rounded from 5.11 products, residual
// code shifted up by the scale, saturated to +-32767.
int16_t DecodeOne(int code, int c1, int c2, int scale, int16_t* h1, int16_t* h2)
{
    const int32_t predicted = (1024 + c1 * *h1 + c2 * *h2) >> 11;
    const int32_t s = std::clamp(code * (1 << scale) + predicted, -32767, 32767);
    *h2 = *h1;
    *h1 = static_cast<int16_t>(s);
    return static_cast<int16_t>(s);
}

struct FrameChoice {
    int pair = 0;
    int scale = 0;
    int codes[kFrameSamples] = {};
    int16_t h1 = 0, h2 = 0;
    double error = 0;
};

// Stops once the error reaches bound: the choice can then no longer beat the
// best so far, and the search over every pair and scale takes most of the
// time of writing a game's sounds.
FrameChoice TryFrame(const int16_t* target, int c1, int c2, int scale, int16_t h1, int16_t h2, double bound)
{
    FrameChoice f;
    f.scale = scale;
    for (int i = 0; i < kFrameSamples && f.error < bound; ++i) {
        const int32_t predicted = (1024 + c1 * h1 + c2 * h2) >> 11;
        const double residual = static_cast<double>(target[i] - predicted) / (1 << scale);
        const int code = static_cast<int>(std::clamp(std::lround(residual), -8L, 7L));
        const int16_t s = DecodeOne(code, c1, c2, scale, &h1, &h2);
        f.codes[i] = code;
        const double e = static_cast<double>(s) - target[i];
        f.error += e * e;
    }
    f.h1 = h1;
    f.h2 = h2;
    return f;
}

// Objects being written and the encoded sounds their platform blocks hold.
std::map<const eSoundData*, const AdpcmSound*>& PendingSounds()
{
    static std::map<const eSoundData*, const AdpcmSound*> s_pending;
    return s_pending;
}

void WritePlatformBlock(const cFile& file, const uint8_t* header, uint32_t byteSize, uint32_t endOffset,
                        const uint8_t* bytes)
{
    cWriteBlock wb(file, eSoundData::kPlatformVersion);
    wb.WriteChars(header, eSoundWaveData::kHeaderSize);
    wb.WriteInt(byteSize);
    wb.WriteInt(endOffset);
    wb.WriteChars(bytes, static_cast<int>(byteSize));
}

// The console's platform block: from the encoded sound being written, or,
// for a loaded sound, from audio memory.
void WriteConsolePlatform(const eSoundData& sound, const cFile& file)
{
    auto it = PendingSounds().find(&sound);
    if (it != PendingSounds().end()) {
        const AdpcmSound& a = *it->second;
        WritePlatformBlock(file, a.header, static_cast<uint32_t>(a.bytes.size()), a.nEndOffset, a.bytes.data());
        return;
    }
    const eSoundWaveData* pWave = sound.m_pWaveData;
    if (!pWave || !pWave->HoldsMemory()) {
        // An empty platform block keeps the file readable: the reader refuses
        // the sound (it keeps its defaults) and goes on with the next record.
        cLogWarn_("datagen: sound data \"%s\" has no samples to write", sound.m_name.m_sData);
        const uint8_t header[eSoundWaveData::kHeaderSize] = {};
        WritePlatformBlock(file, header, 0, 0, header);
        return;
    }
    std::vector<uint8_t> bytes((pWave->m_nByteSize + 31u) & ~31u);
    ARQRequest request;
    ARQPostRequest(&request, 0, ARQ_TYPE_ARAM_TO_MRAM, ARQ_PRIORITY_HIGH, pWave->GetAudioAddress(),
                   reinterpret_cast<uintptr_t>(bytes.data()), static_cast<uint32_t>(bytes.size()), nullptr);
    WritePlatformBlock(file, pWave->m_adpcmHeader, pWave->m_nByteSize, pWave->m_nEndAddress - pWave->m_nStartAddress,
                       bytes.data());
}

// Builds the engine object for a record (no samples of its own).
void FillSoundData(eSoundData& data, const SoundRecord& record)
{
    data.m_name.Set("%s", record.name.c_str());
    data.m_originalName.Set("%s", record.originalName.c_str());
    data.m_length = record.nLengthTicks;
    data.m_bLooping = record.bLooping;
    data.m_nFrequency = record.nFrequency;
    data.m_nBitsPerSample = record.nBitsPerSample;
}

// Installs the console writer for the duration of one write.
class PendingWrite {
public:
    PendingWrite() : m_old(eSoundData::s_platformWriters[cFile::kPlatformConsole])
    {
        eSoundData::s_platformWriters[cFile::kPlatformConsole] = WriteConsolePlatform;
    }
    ~PendingWrite()
    {
        eSoundData::s_platformWriters[cFile::kPlatformConsole] = m_old;
        PendingSounds().clear();
    }
    PendingWrite(const PendingWrite&) = delete;
    PendingWrite& operator=(const PendingWrite&) = delete;

private:
    eSoundData::PlatformWriteFunc m_old;
};

}  // namespace

std::vector<int16_t> MakeSineTone(double hz, double amplitude, int n)
{
    std::vector<int16_t> out(static_cast<size_t>(std::max(n, 0)));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<int16_t>(
            std::lround(amplitude * std::sin(2.0 * kPi * hz * static_cast<double>(i) / kSoundSampleRate)));
    return out;
}

std::vector<int16_t> MakeTune(const std::vector<double>& notesHz, double amplitude, int nNoteSamples)
{
    const int n = std::max(nNoteSamples, 0);
    const int attack = kSoundSampleRate / 500, release = kSoundSampleRate / 100;
    std::vector<int16_t> out;
    out.reserve(notesHz.size() * static_cast<size_t>(n));
    for (double hz : notesHz) {
        for (int i = 0; i < n; ++i) {
            const double edge = std::min({1.0, static_cast<double>(i) / attack, static_cast<double>(n - i) / release});
            const double s = std::sin(2.0 * kPi * hz * static_cast<double>(i) / kSoundSampleRate);
            out.push_back(static_cast<int16_t>(std::lround(amplitude * edge * s)));
        }
    }
    return out;
}

std::vector<int16_t> MakeNoiseBurst(double amplitude, int n, uint32_t seed)
{
    std::vector<int16_t> out(static_cast<size_t>(std::max(n, 0)));
    uint32_t state = seed ? seed : 1;
    for (size_t i = 0; i < out.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const double white = static_cast<double>(state >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
        const double fade = 1.0 - static_cast<double>(i) / static_cast<double>(out.size());
        out[i] = static_cast<int16_t>(std::lround(amplitude * fade * white));
    }
    return out;
}

AdpcmSound EncodeDspAdpcm(const std::vector<int16_t>& pcm)
{
    AdpcmSound out;
    out.nSamples = static_cast<int>(pcm.size());
    int16_t pairs[8][2];
    for (int p = 0; p < 7; ++p) {
        pairs[p][0] = kFixedPairs[p][0];
        pairs[p][1] = kFixedPairs[p][1];
    }
    FitPair(pcm, &pairs[7][0], &pairs[7][1]);
    for (int p = 0; p < 8; ++p) {
        ps::StoreS16BE(out.header + 4 * p, pairs[p][0]);
        ps::StoreS16BE(out.header + 4 * p + 2, pairs[p][1]);
    }
    const int nFrames = (out.nSamples + kFrameSamples - 1) / kFrameSamples;
    out.bytes.assign(static_cast<size_t>(nFrames) * kFrameBytes, 0);
    int16_t h1 = 0, h2 = 0;  // the header's initial history
    for (int f = 0; f < nFrames; ++f) {
        int16_t target[kFrameSamples] = {};
        for (int i = 0; i < kFrameSamples; ++i) {
            const size_t n = static_cast<size_t>(f) * kFrameSamples + i;
            target[i] = n < pcm.size() ? pcm[n] : 0;
        }
        FrameChoice best;
        best.error = -1;
        for (int p = 0; p < 8; ++p) {
            for (int scale = 0; scale <= kMaxScale; ++scale) {
                const double bound = best.error < 0 ? std::numeric_limits<double>::infinity() : best.error;
                FrameChoice c = TryFrame(target, pairs[p][0], pairs[p][1], scale, h1, h2, bound);
                c.pair = p;
                if (best.error < 0 || c.error < best.error)
                    best = c;
            }
        }
        uint8_t* frame = out.bytes.data() + static_cast<size_t>(f) * kFrameBytes;
        frame[0] = static_cast<uint8_t>(best.pair << 4 | best.scale);
        for (int i = 0; i < kFrameSamples; i += 2)
            frame[1 + i / 2] = static_cast<uint8_t>((best.codes[i] & 0xF) << 4 | (best.codes[i + 1] & 0xF));
        h1 = best.h1;
        h2 = best.h2;
    }
    const uint16_t firstPredScale = nFrames > 0 ? out.bytes[0] : 0;
    ps::StoreU16BE(out.header + 32, 0);  // gain: 0 for ADPCM
    ps::StoreU16BE(out.header + 34, firstPredScale);
    ps::StoreS16BE(out.header + 36, 0);
    ps::StoreS16BE(out.header + 38, 0);
    const uint32_t last = out.nSamples > 0 ? static_cast<uint32_t>(out.nSamples - 1) : 0;
    out.nEndOffset = 16 * (last / kFrameSamples) + 2 + last % kFrameSamples;
    return out;
}

std::vector<int16_t> DecodeDspAdpcm(const AdpcmSound& sound)
{
    std::vector<int16_t> out;
    int16_t coef[16];
    for (int i = 0; i < 16; ++i)
        coef[i] = ps::LoadS16BE(sound.header + 2 * i);
    int16_t h1 = ps::LoadS16BE(sound.header + 36);
    int16_t h2 = ps::LoadS16BE(sound.header + 38);
    for (int n = 0; n < sound.nSamples; ++n) {
        const size_t frame = static_cast<size_t>(n / kFrameSamples) * kFrameBytes;
        if (frame + kFrameBytes > sound.bytes.size())
            break;
        const uint8_t ps = sound.bytes[frame];
        const int i = n % kFrameSamples;
        const uint8_t byte = sound.bytes[frame + 1 + i / 2];
        const int nibble = i % 2 == 0 ? byte >> 4 : byte & 0xF;
        const int code = nibble >= 8 ? nibble - 16 : nibble;
        const int pair = (ps >> 4) & 7;
        out.push_back(DecodeOne(code, coef[2 * pair], coef[2 * pair + 1], ps & 0xF, &h1, &h2));
    }
    return out;
}

SoundRecord MakeSoundRecord(const std::string& name, const std::vector<int16_t>& pcm, bool bLooping)
{
    SoundRecord r;
    r.name = name;
    r.originalName = name;
    r.adpcm = EncodeDspAdpcm(pcm);
    const int64_t samples = static_cast<int64_t>(pcm.size());
    r.nLengthTicks = static_cast<int32_t>((samples * 600 + kSoundSampleRate - 1) / kSoundSampleRate);
    r.bLooping = bLooping;
    return r;
}

bool WriteSoundDataFile(const std::string& path, const SoundRecord& record)
{
    PendingWrite pending;
    eSoundData data;
    FillSoundData(data, record);
    PendingSounds()[&data] = &record.adpcm;
    return WriteObjectFile(path, data);
}

bool WriteMusicFile(const std::string& path, const SoundRecord& record)
{
    PendingWrite pending;
    eSoundData data;
    FillSoundData(data, record);
    PendingSounds()[&data] = &record.adpcm;
    return WriteBodyFile(path, data);
}

bool WithPendingSound(eSoundData& sound, const SoundRecord& record, const std::function<bool()>& write)
{
    FillSoundData(sound, record);
    PendingWrite pending;
    PendingSounds()[&sound] = &record.adpcm;
    return write();
}

namespace {

// The group over the records' slots, written by write while the sounds
// occupy the manager's slots.
bool WriteSoundGroup(const std::string& path, int beginSlot, const std::vector<SoundRecord>& records,
                     bool (*write)(const std::string&, const cBase&))
{
    const int endSlot = beginSlot + static_cast<int>(records.size());
    if (beginSlot < 0 || endSlot > eSoundDataMgr::kSlots) {
        cLogError_("datagen: sound slots %d to %d outside the manager's %d", beginSlot, endSlot, eSoundDataMgr::kSlots);
        return false;
    }
    PendingWrite pending;
    std::vector<eSoundData> sounds(records.size());
    std::vector<eSoundData*> saved(eSoundDataMgr::s_pInstances + beginSlot, eSoundDataMgr::s_pInstances + endSlot);
    for (size_t i = 0; i < records.size(); ++i) {
        const int slot = beginSlot + static_cast<int>(i);
        FillSoundData(sounds[i], records[i]);
        PendingSounds()[&sounds[i]] = &records[i].adpcm;
        eSoundDataMgr::Add(slot, &sounds[i], records[i].check ? records[i].check : static_cast<uint16_t>(slot + 1));
    }
    eSoundDataGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = endSlot;
    const bool ok = write(path, group);
    for (size_t i = 0; i < saved.size(); ++i)
        eSoundDataMgr::s_pInstances[beginSlot + static_cast<int>(i)] = saved[i];
    return ok;
}

}  // namespace

bool WriteSoundDataGroupFile(const std::string& path, int beginSlot, const std::vector<SoundRecord>& records)
{
    return WriteSoundGroup(path, beginSlot, records, &WriteObjectFile);
}

bool WriteSoundDataGroupBodyFile(const std::string& path, int beginSlot, const std::vector<SoundRecord>& records)
{
    return WriteSoundGroup(path, beginSlot, records, &WriteBodyFile);
}

AudioMemorySoundWriter::AudioMemorySoundWriter() : m_old(eSoundData::s_platformWriters[cFile::kPlatformConsole])
{
    eSoundData::s_platformWriters[cFile::kPlatformConsole] = WriteConsolePlatform;
}

AudioMemorySoundWriter::~AudioMemorySoundWriter()
{
    eSoundData::s_platformWriters[cFile::kPlatformConsole] = m_old;
}

bool WriteSampleSounds(const std::string& path)
{
    std::vector<SoundRecord> records;
    records.push_back(MakeSoundRecord("lm_Tone", MakeSineTone(440.0, 12000.0, kSoundSampleRate), true));
    records.push_back(MakeSoundRecord("sm_Noise", MakeNoiseBurst(12000.0, kSoundSampleRate / 4, 7), false));
    return WriteSoundDataGroupFile(path, 0, records);
}

}  // namespace datagen
