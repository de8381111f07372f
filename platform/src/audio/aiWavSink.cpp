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
    bool bFailed = false;  // a write failed; nothing more is written until closed
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

// False when the header could not be written.
bool WriteHeader(FILE* pFile, uint32_t dataBytes)
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
    return std::fseek(pFile, 0, SEEK_SET) == 0 && std::fwrite(h, 1, kHeaderSize, pFile) == kHeaderSize;
}

// Closes the file; false when a write since it was opened, or the close's
// own flush, failed.
bool CloseFile(Sink& w)
{
    const bool bOk = std::fclose(w.pFile) == 0 && !w.bFailed;
    w.pFile = nullptr;
    w.bFailed = false;
    return bOk;
}

}  // namespace

BOOL AISetWavOutput(const char* path)
{
    Sink& w = W();
    std::lock_guard<std::mutex> lock(w.mutex);
    const bool bClosedOk = !w.pFile || CloseFile(w);
    if (!bClosedOk)
        OSReport("AI: the WAV file could not be written completely\n");
    if (!path)
        return bClosedOk ? TRUE : FALSE;
    FILE* pFile = std::fopen(path, "wb");
    if (!pFile) {
        OSReport("AI: cannot create the WAV file \"%s\"\n", path);
        return FALSE;
    }
    if (!WriteHeader(pFile, 0) || std::fflush(pFile) != 0) {
        OSReport("AI: cannot write the WAV file \"%s\"\n", path);
        std::fclose(pFile);
        return FALSE;
    }
    w.pFile = pFile;
    w.nDataBytes = 0;
    w.bFailed = false;
    return TRUE;
}

void audio::WavWriteFrame(const int16_t frame[kFrameValues])
{
    Sink& w = W();
    std::lock_guard<std::mutex> lock(w.mutex);
    if (!w.pFile || w.bFailed)
        return;
    // A file past 4 GiB cannot be described by its header; stop there.
    if (w.nDataBytes > 0xFFFFFFFFu - kHeaderSize - kFrameBytes)
        return;
    uint8_t bytes[kFrameBytes];
    for (int i = 0; i < kFrameValues; ++i)
        PutLE(bytes + 2 * i, static_cast<uint16_t>(frame[i]), 2);
    const bool bOk = std::fseek(w.pFile, 0, SEEK_END) == 0 && std::fwrite(bytes, 1, kFrameBytes, w.pFile) == kFrameBytes &&
                     WriteHeader(w.pFile, w.nDataBytes + kFrameBytes) && std::fflush(w.pFile) == 0;
    if (!bOk) {
        OSReport("AI: writing the WAV file failed; the sound output is no longer written\n");
        w.bFailed = true;
        return;
    }
    w.nDataBytes += kFrameBytes;
}
