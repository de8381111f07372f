#pragma once
// The game camera's smoothing filter: four one-pole low-pass filters
// y = (1 - a) x + a y' in a row, written as one fourth-order recursion over
// the last four outputs (newest first). The record holds the pole and the
// five coefficients derived from it; the histories belong to the camera's
// controllers. Plain value; main thread.

#include "mMath/mQuat.h"
#include "mMath/mVec3.h"

struct gcCameraFilterConsts {
    static constexpr float kMaxPole = 0.9f;
    static constexpr float kDefaultPole = 0.8f;

    gcCameraFilterConsts() { Compute(kDefaultPole); }

    // Clamps into [0, 0.9] (not a number is ignored); recomputes the coefficients only when the pole
    // changes.
    void SetPole(float fRequested);

    // One step on input x: returns the new output and shifts it into the
    // history h (4 entries, newest first). Vectors per component.
    float Step(float x, float h[4]) const;
    mVec3 Step(const mVec3& x, mVec3 h[4]) const;
    // Quaternions as the four one-pole stages of the same recursion, each a
    // blend along the shorter arc, recovered from the history: turns about
    // one axis blend as their angles; a steady turn is followed at its rate
    // at every pole, whatever the output's lag.
    mQuat Step(const mQuat& x, mQuat h[4]) const;

    float a;     // pole: 0 passes the input through
    float gain;  // (1 - a)^4
    float c1;    // 4a
    float c2;    // -6a^2
    float c3;    // 4a^3
    float c4;    // 1 - (gain + c1 + c2 + c3), i.e. -a^4

private:
    void Compute(float fPole);
};
