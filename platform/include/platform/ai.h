#pragma once
// The audio interface (AI): the DMA that plays blocks of 16-bit big-endian
// stereo samples (left then right) from main memory at 32 kHz. Every 5 ms
// frame (160 sample pairs) starts with the DMA interrupt: the registered
// callback runs (the voice library's frame, and whatever a program chained
// after it) and may give the DMA its next block with AIInitDMA; then the
// block the DMA points at is played.
//
// Output: an SDL audio device whose callback thread runs the frames (SDL
// converts to the device's format). On the virtual clock there is no device:
// a platform timer thread runs one frame per 5 ms of virtual time as an
// interrupt, so headless runs stay deterministic. Without a device on the
// real clock the same timer runs on real time. What is played can also be
// written to a WAV file (AISetWavOutput).
//
// Threads: the calls may be made from any OS thread; the DMA callback runs at
// interrupt level on the output's platform thread.

#include <cstdint>

#include "platform/os.h"

typedef void (*AIDCallback)();

// assumed: the interface's rate codes.
constexpr uint32_t AI_SAMPLERATE_32KHZ = 0;
constexpr uint32_t AI_SAMPLERATE_48KHZ = 1;
constexpr uint32_t AI_DMA_FRAME_BYTES = 640;  // one frame: 160 pairs of two big-endian s16

// Starts the interface and its output (device or timer). The stack argument
// of the console is unused. Idempotent.
void AIInit(uint8_t* stack);
BOOL AICheckInit();
// Installs the DMA callback and returns the previous one (null: none).
AIDCallback AIRegisterDMACallback(AIDCallback callback);
// The block the DMA plays from the next frame on. A frame plays 640 bytes;
// a shorter block is followed by silence, a longer one is cut. The memory
// must stay valid while it is the DMA's block.
void AIInitDMA(const void* start, uint32_t length);
void AIStartDMA();  // frames play the DMA's block
void AIStopDMA();   // frames play silence; the callback still runs
BOOL AIGetDMAEnableFlag();
const void* AIGetDMAStartAddr();
uint32_t AIGetDMALength();
uint32_t AIGetDSPSampleRate();  // AI_SAMPLERATE_32KHZ: the only rate here
// Only 32 kHz is played; another rate is refused (logged).
void AISetDSPSampleRate(uint32_t rate);

// ---- platform only ---------------------------------------------------------------
// Also writes every played frame to a 16-bit stereo 32 kHz WAV file at a host
// path (its header kept valid after every frame); null closes the file.
// FALSE (logged) when the file cannot be created or its header written, and
// when closing a file that a write failed on (writing stops at the failure).
BOOL AISetWavOutput(const char* path);
