#pragma once
// Uniform cubic B-spline evaluation (trail ribbons are smoothed with it).
// Stateless; any thread.

struct mVec3;

struct mBSpline {
    // The four basis weights at t in [0, 1].
    static void EvaluateBasis(float t, float* pWeights);
    // The curve point of segment s at t: control points s-2 .. s+1, clamped to
    // the list so the ends repeat. Points lie stride bytes apart. A count below
    // 1 gives (0, 0, 0) and reads nothing.
    static void Interpolate(int segment, float t, const mVec3* pPoints, int count, int stride,
                            mVec3* pOut);
    static void Interpolate(int segment, const float* pWeights, const mVec3* pPoints, int count,
                            int stride, mVec3* pOut);
};
