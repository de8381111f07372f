// The audio interface: its DMA registers, the frame that its interrupt runs,
// and the drivers that run frames: the SDL device's callback, or a platform
// timer thread on the OS clock (virtual in headless runs), or the tests.
#include "platform/ai.h"

#include <SDL.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "../test/audio_test.h"
#include "audio/audio_local.h"
#include "platform/ps.h"

namespace {

struct Interface {
    bool bInit = false;
    AIDCallback callback = nullptr;
    const uint8_t* pStart = nullptr;
    uint32_t nLength = 0;
    bool bDmaOn = false;
    uint32_t nFrames = 0;

    // Drivers. A driver runs a frame only while its generation is current, so
    // a stopped driver never adds a frame afterwards.
    bool bManual = false;
    uint32_t nGeneration = 0;
    SDL_AudioDeviceID device = 0;
    int16_t leftover[audio::kFrameValues] = {};  // the device callback's part-used frame
    int nLeftoverPos = audio::kFrameValues;
};

Interface& I()
{
    static Interface* s_pInterface = new Interface;
    return *s_pInterface;
}

// The frame proper. Interrupt lock held.
void FrameLocked(int16_t out[audio::kFrameValues])
{
    Interface& i = I();
    if (i.callback)
        i.callback();
    uint32_t n = 0;
    if (i.bDmaOn && i.pStart) {
        n = std::min<uint32_t>(i.nLength, audio::kFrameBytes) / 2;
        for (uint32_t k = 0; k < n; ++k)
            out[k] = ps::LoadS16BE(i.pStart + 2 * k);
    }
    std::fill(out + n, out + audio::kFrameValues, int16_t(0));
    ++i.nFrames;
}

// A driver's frame: none once the driver's generation has passed.
bool DriverFrame(uint32_t generation, int16_t out[audio::kFrameValues])
{
    {
        OSInterruptScope scope;
        if (I().nGeneration != generation)
            return false;
        FrameLocked(out);
    }
    audio::WavWriteFrame(out);
    return true;
}

// Set by a new timer thread just before its first wait.
std::atomic<bool> s_bTimerWaiting{false};

void TimerThread(uint32_t generation, OSTime first)
{
    int16_t frame[audio::kFrameValues];
    OSTime next = first;
    s_bTimerWaiting = true;
    for (;;) {
        OSWaitUntil(next);
        if (!DriverFrame(generation, frame))
            return;
        next += AX_FRAME_TICKS;
        // On the real clock a stall (a debugger, a loaded host) is not made up
        // in a burst.
        if (!OSIsVirtualClock() && OSGetTime() - next > 20 * AX_FRAME_TICKS)
            next = OSGetTime();
    }
}

void DeviceCallback(void* pUser, Uint8* pStream, int length)
{
    const uint32_t generation = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pUser));
    Interface& i = I();
    int16_t* pOut = reinterpret_cast<int16_t*>(pStream);
    int nValues = length / 2;
    while (nValues > 0) {
        if (i.nLeftoverPos == audio::kFrameValues) {
            if (!DriverFrame(generation, i.leftover)) {
                std::memset(pOut, 0, static_cast<size_t>(nValues) * 2);
                return;
            }
            i.nLeftoverPos = 0;
        }
        const int n = std::min(nValues, audio::kFrameValues - i.nLeftoverPos);
        std::memcpy(pOut, i.leftover + i.nLeftoverPos, static_cast<size_t>(n) * 2);
        i.nLeftoverPos += n;
        pOut += n;
        nValues -= n;
    }
}

bool OpenDevice(uint32_t generation)
{
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        OSReport("AI: no audio (%s); frames run on a timer\n", SDL_GetError());
        return false;
    }
    SDL_AudioSpec want = {};
    want.freq = AX_SAMPLE_RATE;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = 512;
    want.callback = DeviceCallback;
    want.userdata = reinterpret_cast<void*>(static_cast<uintptr_t>(generation));
    SDL_AudioSpec have = {};
    // No changes allowed: SDL converts from 32 kHz stereo to the device.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        OSReport("AI: no audio device (%s); frames run on a timer\n", SDL_GetError());
        return false;
    }
    I().device = device;
    SDL_PauseAudioDevice(device, 0);
    return true;
}

}  // namespace

void audio::RunFrame(int16_t out[kFrameValues])
{
    {
        OSInterruptScope scope;
        FrameLocked(out);
    }
    WavWriteFrame(out);
}

void audio::StartOutput()
{
    uint32_t generation;
    {
        OSInterruptScope scope;
        if (I().bManual)
            return;
        generation = ++I().nGeneration;
    }
    if (!OSIsVirtualClock()) {
        if (!OpenDevice(generation))
            std::thread(TimerThread, generation, OSGetTime() + AX_FRAME_TICKS).detach();
        return;
    }
    // The virtual clock knows a platform thread only once it waits on time;
    // until then it could move past the first frame. It stands still while
    // this thread is in a blocking wait, so the timer's first wait is in
    // place before time goes on: the frames fall on the same virtual times
    // in every run.
    OSBlockingWaitBegin();
    s_bTimerWaiting = false;
    std::thread(TimerThread, generation, OSGetTime() + AX_FRAME_TICKS).detach();
    while (!s_bTimerWaiting)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(2));  // from the flag into the wait: a few instructions
    OSBlockingWaitEnd();
}

void audio::StopOutput()
{
    SDL_AudioDeviceID device;
    {
        OSInterruptScope scope;
        ++I().nGeneration;
        device = I().device;
        I().device = 0;
    }
    // Closing waits for a callback in progress; outside the interrupt lock,
    // which that callback may be waiting for.
    if (device)
        SDL_CloseAudioDevice(device);
}

void AIInit(uint8_t* /*stack*/)
{
    {
        OSInterruptScope scope;
        if (I().bInit)
            return;
        I().bInit = true;
    }
    audio::StartOutput();
}

BOOL AICheckInit()
{
    OSInterruptScope scope;
    return I().bInit ? TRUE : FALSE;
}

AIDCallback AIRegisterDMACallback(AIDCallback callback)
{
    OSInterruptScope scope;
    const AIDCallback old = I().callback;
    I().callback = callback;
    return old;
}

void AIInitDMA(const void* start, uint32_t length)
{
    OSInterruptScope scope;
    I().pStart = static_cast<const uint8_t*>(start);
    I().nLength = length;
}

void AIStartDMA()
{
    OSInterruptScope scope;
    I().bDmaOn = true;
}

void AIStopDMA()
{
    OSInterruptScope scope;
    I().bDmaOn = false;
}

BOOL AIGetDMAEnableFlag()
{
    OSInterruptScope scope;
    return I().bDmaOn ? TRUE : FALSE;
}

const void* AIGetDMAStartAddr()
{
    OSInterruptScope scope;
    return I().pStart;
}

uint32_t AIGetDMALength()
{
    OSInterruptScope scope;
    return I().nLength;
}

uint32_t AIGetDSPSampleRate()
{
    return AI_SAMPLERATE_32KHZ;
}

void AISetDSPSampleRate(uint32_t rate)
{
    if (rate != AI_SAMPLERATE_32KHZ)
        OSReport("AI: AISetDSPSampleRate(%u) refused: output runs at 32 kHz\n", rate);
}

void AITestSetManualFrames(BOOL manual)
{
    bool bStart;
    {
        OSInterruptScope scope;
        bStart = I().bManual && !manual && I().bInit;
        I().bManual = manual != FALSE;
    }
    if (manual)
        audio::StopOutput();
    else if (bStart)
        audio::StartOutput();
}

void AITestRunFrames(int count, int16_t* out)
{
    int16_t frame[audio::kFrameValues];
    for (int n = 0; n < count; ++n) {
        audio::RunFrame(frame);
        if (out)
            std::memcpy(out + static_cast<size_t>(n) * audio::kFrameValues, frame, sizeof(frame));
    }
}

uint32_t AITestFrameCount()
{
    OSInterruptScope scope;
    return I().nFrames;
}
