#pragma once
// Test seams of the audio layer: run output frames by hand and read what they
// played, watch audio-memory transfers, and inspect or clear audio memory's
// bookkeeping. For tests and benchmarks only; the program never calls these.
// The WAV sink is chosen with AISetWavOutput (ai.h).

#include <cstdint>

#include "platform/ai.h"
#include "platform/ar.h"

// While set, neither the device nor the timer runs frames (one running
// already stops before its next frame); frames then run only through
// AITestRunFrames. Set before AIInit, no device is ever opened.
void AITestSetManualFrames(BOOL manual);
// Runs count frames at once on the calling thread, as interrupts. out (when
// not null) gets count x 320 host-order values: left, right, left, ...
void AITestRunFrames(int count, int16_t* out);
// Frames run since start-up, by any driver.
uint32_t AITestFrameCount();

// Called after every posted transfer (after its copy, before its callback).
typedef void (*ARQObserver)(const ARQRequest* request);
ARQObserver ARQTestSetObserver(ARQObserver observer);  // returns the previous one

int ARTestLiveBlocks();  // blocks allocated and not freed
void ARTestFreeAll();    // forgets every block (their contents stay)
