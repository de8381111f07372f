#pragma once
// Damped movement: static functions that move a value, a position or an
// orientation toward a goal under a speed limit, a time to reach that speed
// from rest and a time to come to rest from it. They keep no state: the
// caller holds the value and its velocity, calls once per update with the
// elapsed ticks and applies the change written out. Each returns true when
// the goal is reached. Speeds are units per tick; angle vectors hold heading,
// pitch and roll in degrees (x, y, z). Any thread.

#include "cCore/cTimeValue.h"

struct mOCS;
struct mVec3;

class eMovement {
public:
    static constexpr float kStopEpsilon = 1e-5f;      // stopping distance that asks for full speed; spring rest
    static constexpr float kStopDistFactor = 2.0f;    // stopDist = speed^2 / (2 decel)
    static constexpr float kMinLookDistance = 0.01f;  // a closer look-at target changes nothing
    static constexpr float kPitchLimit = 80.0f;       // degrees either way, when clamping

    // The change of velocity that brakes at maxSpeed / stopTime per tick;
    // true (no change) once the velocity is within one step of rest.
    static bool UpdateToStop(cTimeValue elapsed, float velocity, float* pChange, float maxSpeed,
                             cTimeValue stopTime);
    static bool UpdateToStop(cTimeValue elapsed, const mVec3& velocity, mVec3* pChange, float maxSpeed,
                             cTimeValue stopTime);
    // The change of velocity that carries current to target, speeding up over
    // startTime and braking over stopTime.
    static bool FollowValue(cTimeValue elapsed, float velocity, float current, float target, float* pChange,
                            float maxSpeed, cTimeValue startTime, cTimeValue stopTime);
    static bool FollowPos(cTimeValue elapsed, const mVec3& velocity, const mVec3& current, const mVec3& target,
                          mVec3* pChange, float maxSpeed, cTimeValue startTime, cTimeValue stopTime);
    // A spring along P1 to P2 that holds followDist with gain k1, damped by
    // P3's move relative to P2 with gain k2; writes a displacement. P1 on P2
    // has no direction: no displacement, true.
    static bool FollowPos(cTimeValue elapsed, float k1, float k2, const mVec3& p1, const mVec3& p2,
                          const mVec3& p3, float followDist, mVec3* pOut);
    // Turns the current angles toward the target by rate (0 keeps current, 1
    // gives target); true when they already matched within tolerance.
    static bool FollowLookAt(float rate, const mVec3& target, const mVec3& current, mVec3* pOut, bool bClampPitch,
                             float tolerance);
    // Turns a frame to look at a point (its own forward without one), with
    // roll as given; rate is the share of the current orientation kept. With
    // keepAngles the desired angles are the current ones. A target within
    // kMinLookDistance of the origin: false, the current angles.
    static bool FollowLookAt(float rate, const mOCS* pFrame, const mVec3* pTarget, float roll, mVec3* pOut,
                             bool bKeepAngles, bool bClampPitch, float tolerance);
};
