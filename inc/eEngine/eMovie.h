#pragma once
// Full-screen movie playback: Open a THP movie, call Update once per
// displayed frame until it answers false, then Close (also after a failed
// Open). Each Update decodes the next frame with its audio, draws it, paces
// it to the display (two retraces a frame for a fast decode of a 30 frames a
// second movie) and shows it. A static class; main thread only, one movie
// at a time, with the movie pool of eMoviePlatform holding its buffers.

#include <cstdint>

class eMovie {
public:
    // An Update that waits longer than this for a frame from the disc ends
    // the movie (a read that never completes would otherwise hold the game).
    static constexpr int kMaxStallRetraces = 300;
    static constexpr double kFastFrameSeconds = 0.0166667;  // decode and draw within this: one more retrace

    // False when the movie does not open, its memory cannot be had or its
    // first frames cannot be read.
    static bool Open(const char* path);
    // False once the last frame has been shown, or when the movie cannot go
    // on (a frame that does not decode, a read that failed or stalls).
    static bool Update();
    static void Close();

    static int s_nStalledRetraces;  // retraces waited in a row for a frame
    static int s_nCurrentFrame;     // number of the frame last drawn; -1 before the first
};
