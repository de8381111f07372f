#pragma once
// The mixer library (MIX): one mixer channel per voice with an input level, a
// fader, pan and surround pan, turned into the voice's main-bus volumes by the
// sound mode. Levels are in 0.1 dB (0 = unity); at or below MIX_LEVEL_SILENT
// a channel is silent. Pan is 1 (left) .. 64 (centre) .. 127 (right), 0
// counting as 1, with equal power (each side -3 dB at the centre); surround
// pan is 1 (rear) .. 127 (front) alike, equal power between the front pair
// and the surround bus.
//
// Threads: the setters may be called from any OS thread (they take the
// interrupt lock) and only mark the channel; MIXUpdateSettings, called at
// interrupt level from the voice library's frame callback, writes the
// changed channels' volumes to their voices.

#include <cstdint>

#include "platform/ax.h"

constexpr uint32_t MIX_SOUND_MODE_MONO = 0;      // both sides equal, pan ignored
constexpr uint32_t MIX_SOUND_MODE_STEREO = 1;    // pan; surround pan ignored
constexpr uint32_t MIX_SOUND_MODE_SURROUND = 2;  // pan and surround pan
constexpr uint32_t MIX_SOUND_MODE_DPL2 = 3;      // as surround

constexpr int MIX_LEVEL_SILENT = -960;  // -96.0 dB; this or lower is silence
constexpr int MIX_LEVEL_MAX = 60;       // +6.0 dB; higher levels are taken as this
constexpr int MIX_PAN_LEFT = 0;    // the lowest value; 0 and 1 are both fully left
constexpr int MIX_PAN_CENTER = 64;
constexpr int MIX_PAN_RIGHT = 127;
constexpr int MIX_SPAN_REAR = 0;   // 0 and 1 are both fully rear
constexpr int MIX_SPAN_FRONT = 127;

void MIXInit();  // all channels released; the sound mode (stereo at start) is kept
void MIXQuit();  // all channels released
// Takes the voice into the mixer with these settings (mode holds the aux
// routing bits, kept but unused: there are no aux effects) and applies them
// at the next update; the voice's envelope volume is set to unity.
void MIXInitChannel(AXVPB* voice, uint32_t mode, int input, int auxA, int auxB, int pan, int span, int fader);
// The mixer leaves the voice alone afterwards; its volumes stay as they were.
void MIXReleaseChannel(AXVPB* voice);

// Settings of a channel; on a voice the mixer does not hold they are ignored
// and the getters answer MIX_LEVEL_SILENT (levels) or the centre (pans).
void MIXSetInput(AXVPB* voice, int level);
int MIXGetInput(AXVPB* voice);
void MIXSetFader(AXVPB* voice, int level);
int MIXGetFader(AXVPB* voice);
void MIXSetAuxA(AXVPB* voice, int level);
int MIXGetAuxA(AXVPB* voice);
void MIXSetAuxB(AXVPB* voice, int level);
int MIXGetAuxB(AXVPB* voice);
void MIXSetPan(AXVPB* voice, int pan);  // clamped to 0..127
int MIXGetPan(AXVPB* voice);
void MIXSetSPan(AXVPB* voice, int span);  // clamped to 0..127
int MIXGetSPan(AXVPB* voice);

void MIXSetSoundMode(uint32_t mode);  // MIX_SOUND_MODE_*; others are ignored (logged)
uint32_t MIXGetSoundMode();

// Writes the volumes of every changed channel (and of all after a mode
// change) to its voice. Interrupt level.
void MIXUpdateSettings();

// ---- laws (pure functions) -------------------------------------------------------
// Amplitude of a level in 0.1 dB: 10^(level / 200); 0 at or below silence.
float MIXLevelToGain(int level);
// Equal-power gains of a pan (or surround pan: first the rear, then the front
// share) for positions 0..127.
void MIXPanGains(int pan, float* pLeft, float* pRight);
