#pragma once
// The console half of the audio mixer: starts the audio libraries and the 32
// voices, allocates and fills audio memory for sound data, and lists the
// channels for debugging. Initialize and Uninitialize run on the main thread
// at start-up and shut-down; the audio-memory calls on the main thread or the
// loader thread that reads sound data.

#include <cstdint>

#include "cCore/cHandle.h"
#include "mMath/mOCS.h"

class eFont;

class eAudioPlatform {
public:
    static constexpr uint32_t kZeroBufferSize = 256;  // bytes of silence one-shots loop to
    static constexpr uint32_t kBlockTableEntries = 768;

    // AI, AX, the sound mode from the console's setting (stereo when it is
    // stereo, else mono), audio memory and its queue, the mixer library, a
    // voice and mixer channel for every mixer channel, the zero buffer, and
    // the voice library's frame callback. True. Voices are taken once for
    // the program's life; calling it again only renews the zero buffer.
    static bool Initialize();
    // Releases the zero buffer. Voices stay with their channels and the
    // libraries keep running.
    static void Uninitialize();

    // A block of audio memory (its byte address), or 0 when none is left.
    static uint32_t AllocARAM(uint32_t size);
    // Releases the block at that byte address.
    static void FreeARAM(uint32_t address);
    // Copies size bytes (a multiple of 32) from main memory to audio memory
    // and returns once the copy is done.
    static void FillARAM(uint32_t address, const void* pSource, uint32_t size);

    // Debug overlay: the 32 channels (name, play time, loop, volume, pan as
    // the listener hears it, positional) in the font over a dark quad, under
    // the header "ChName         Time   LoopVol Pan Pos", in screen space.
    // Nothing without the font. Draws inside the caller's video frame.
    static void DrawChannels(const mOCS& listener, cHandle<eFont> hFont);

    static bool s_bStereo;
    static uint32_t s_nZeroBuffer;  // audio-memory byte address of 256 zero bytes
};
