#pragma once
// A periodic wave: base + amplitude * shape(fraction of frequency*(t + phase)).
// The texture matrix generators animate with them; the shape numbers are
// stored in data files. Plain value; any thread.

#include <cstdint>

struct mWaveGen {
    enum : int32_t {
        kConstBase = 0,        // base
        kConstPeak = 1,        // base + amplitude
        kSine = 2,
        kTriangle = 3,         // -1 at the period's start, +1 halfway
        kSquare = 4,           // +1 for the first half, -1 for the second
        kRampUp = 5,
        kRampDown = 6,
        kRampUpAlt = 7,        // rises like kRampUp
    };

    float base;
    float amplitude;
    float phase;
    float frequency;   // periods per unit of time
    int32_t waveType;  // one of the shapes above; any other value gives base

    mWaveGen();  // base 0, amplitude 1, phase 0, frequency 1, constant

    // The value at time t (seconds). The spelling is the engine's own.
    float Calulate(float t) const;
};
