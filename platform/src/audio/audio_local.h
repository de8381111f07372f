#pragma once
// Internals of the audio layer shared between its files: the audio-memory
// bytes the voices read, the frame that AI runs, and the hooks between AI and
// AX.

#include <cstdint>

#include "platform/ai.h"
#include "platform/ax.h"

namespace audio {

// Audio memory (AR_MEMORY_SIZE bytes); the voices read samples from it with
// addresses wrapped into its size, so no address reaches outside it.
uint8_t* Memory();

// One output frame: AX_FRAME_SAMPLES stereo pairs.
constexpr int kFrameValues = AX_FRAME_SAMPLES * 2;
constexpr uint32_t kFrameBytes = AI_DMA_FRAME_BYTES;  // kFrameValues big-endian s16, left then right
static_assert(kFrameBytes == kFrameValues * 2, "a frame is 160 pairs of 16-bit samples");

// Runs one frame as the DMA interrupt of the audio interface: the registered
// DMA callback (normally the voice layer's frame), then copies the block the
// DMA plays into out (host order, left then right; zeros while the DMA is
// stopped) and hands it to the WAV sink. The caller holds no interrupt lock;
// the frame takes it.
void RunFrame(int16_t out[kFrameValues]);

// Output drivers: the device or the headless timer. Started by AIInit unless
// frames are run by hand.
void StartOutput();
void StopOutput();

// The WAV sink: appends one frame when a file is open.
void WavWriteFrame(const int16_t frame[kFrameValues]);

}  // namespace audio
