#pragma once
// Helpers shared by the game camera's sources: headings and pitches of
// directions in degrees, the single wrap the controllers apply, and points
// carried between a region path's frame and the world.

#include <algorithm>
#include <cmath>

#include "eEngine/ePath.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

namespace gcCameraMath {

constexpr float kRadToDeg = 57.29578f;
constexpr float kDegToRad = 0.01745329f;

// Heading of a direction: 0 along +y, positive turning towards -x.
inline float Heading(const mVec3& dir)
{
    return kRadToDeg * std::atan2(-dir.x, dir.y);
}

inline float Pitch(const mVec3& dir)
{
    return kRadToDeg * std::asin(std::clamp(dir.z, -1.0f, 1.0f));
}

// One turn added or taken away: the inputs are at most one turn outside.
inline float Wrap180(float fDegrees)
{
    if (fDegrees > 180.0f)
        return fDegrees - 360.0f;
    if (fDegrees < -180.0f)
        return fDegrees + 360.0f;
    return fDegrees;
}

// The angle between two unit vectors, in degrees.
inline float AngleBetween(const mVec3& a, const mVec3& b)
{
    return std::acos(std::clamp(a.Dot(b), -1.0f, 1.0f)) * kRadToDeg;
}

// The unit direction of a heading and pitch (degrees).
inline mVec3 Forward(float fHeading, float fPitch)
{
    const float h = fHeading * kDegToRad, p = fPitch * kDegToRad;
    return mVec3(-std::cos(p) * std::sin(h), std::cos(p) * std::cos(h), std::sin(p));
}

inline mVec3 ToWorld(const mVec3& local, const mOCS& frame)
{
    mVec3 out;
    out.Xform(local, frame);
    return out;
}

inline mVec3 ToLocal(const mVec3& world, const mOCS& frame)
{
    mVec3 out;
    out.XformInv(world, frame);
    return out;
}

// The point of a path at parameter t, in the world.
inline mVec3 PathPointInWorld(const ePath& path, float t, const mOCS& pathToWorld)
{
    mVec3 local;
    path.GetPosOnPath(t, &local);
    return ToWorld(local, pathToWorld);
}

}  // namespace gcCameraMath
