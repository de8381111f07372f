#pragma once
// Internals of the voice library shared between its files.

#include <cstdint>

#include "platform/ax.h"

namespace ax {

constexpr uint32_t kMaxRatio = 4u << 16;  // 16.16: the converter reads at most 4 inputs an output

// The voice table (AX_MAX_VOICES records, indices fixed).
AXVPB* Voices();

// Reads the voice's next input sample at its current address and advances
// the address: through the end address to the loop address (reloading the
// ADPCM loop context) when looping, else marking the input ended after the
// end address's sample. False once the input has ended.
bool NextInputSample(AXVPB& v, int16_t* pOut);
// The same as up to count calls of NextInputSample, ADPCM decoded a frame's
// run at a time: writes the samples read and returns how many, fewer than
// count only when the input ended.
uint32_t ReadInputSamples(AXVPB& v, int16_t* pOut, uint32_t count);

// Clears the decoder and converter state so the next frame starts reading at
// the current address.
void ResetPlayback(AXVPB& v);

// Mixes AX_FRAME_SAMPLES of a running voice into the bus accumulators
// (left, right, surround), each of AX_FRAME_SAMPLES values. A one-shot voice
// that plays its last sample stops.
void MixVoice(AXVPB& v, int32_t* pLeft, int32_t* pRight, int32_t* pSurround);
// Lets the frame take vector kernels beyond the baseline where the processor
// has them (the default) or not, for tests that compare the two; returns the
// previous setting.
bool SetMixSimd(bool enabled);

// Runs one frame of the voice library into a big-endian stereo block of
// audio::kFrameBytes: frame callback, voices, fold-down to stereo. Interrupt
// lock held.
void RenderFrame(uint8_t* pBlock);

}  // namespace ax
