// The WAV sink: every played frame appended to a 16-bit stereo 32 kHz PCM
// file whose header sizes are rewritten after each frame, so the file is
// complete whenever the program stops.
#include "platform/ai.h"

#include <cstdio>
#include <mutex>

#include "audio/audio_local.h"

namespace {

constexpr uint32_t kHeaderSize = 44;
constexpr uint32_t kChannels = 2;
constexpr uint32_t kBitsPerSample = 16;

struct Sink {
    std::mutex mutex;  // the output thread writes, the main thread opens and closes
    FILE* pFile = nullptr;
    uint32_t nDataBytes = 0;
};

Sink& W()
{
    static Sink* s_pSink = new Sink;
    return *s_pSink;
}

void PutLE(uint8_t* p, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void WriteHeader(FILE* pFile, uint32_t dataBytes)
{
    uint8_t h[kHeaderSize] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
    PutLE(h + 4, kHeaderSize - 8 + dataBytes, 4);
    PutLE(h + 16, 16, 4);  // format chunk size
    PutLE(h + 20, 1, 2);   // PCM
    PutLE(h + 22, kChannels, 2);
    PutLE(h + 24, AX_SAMPLE_RATE, 4);
    PutLE(h + 28, AX_SAMPLE_RATE * kChannels * kBitsPerSample / 8, 4);  // bytes a second
    PutLE(h + 32, kChannels * kBitsPerSample / 8, 2);                   // bytes a frame
    PutLE(h + 34, kBitsPerSample, 2);
    h[36] = 'd';
    h[37] = 'a';
    h[38] = 't';
    h[39] = 'a';
    PutLE(h + 40, dataBytes, 4);
    std::fseek(pFile, 0, SEEK_SET);
    std::fwrite(h, 1, kHeaderSize, pFile);
}

}  // namespace

BOOL AISetWavOutput(const char* path)
{
    Sink& w = W();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (w.pFile) {
        std::fclose(w.pFile);
        w.pFile = nullptr;
    }
    if (!path)
        return TRUE;
    FILE* pFile = std::fopen(path, "wb");
    if (!pFile) {
        OSReport("AI: cannot create the WAV file \"%s\"\n", path);
        return FALSE;
    }
    WriteHeader(pFile, 0);
    std::fflush(pFile);
    w.pFile = pFile;
    w.nDataBytes = 0;
    return TRUE;
}

void audio::WavWriteFrame(const int16_t frame[kFrameValues])
{
    Sink& w = W();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.pFile)
        return;
    // A file past 4 GiB cannot be described by its header; stop there.
    if (w.nDataBytes > 0xFFFFFFFFu - kHeaderSize - kFrameBytes)
        return;
    uint8_t bytes[kFrameBytes];
    for (int i = 0; i < kFrameValues; ++i)
        PutLE(bytes + 2 * i, static_cast<uint16_t>(frame[i]), 2);
    std::fseek(w.pFile, 0, SEEK_END);
    std::fwrite(bytes, 1, kFrameBytes, w.pFile);
    w.nDataBytes += kFrameBytes;
    WriteHeader(w.pFile, w.nDataBytes);
    std::fflush(w.pFile);
}
