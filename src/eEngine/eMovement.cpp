#include "eEngine/eMovement.h"

#include <cmath>

#include "mMath/mOCS.h"
#include "mMath/mQuat.h"
#include "mMath/mScalar.h"
#include "mMath/mVec3.h"

static float Ticks(cTimeValue t)
{
    return static_cast<float>(t.m_nTicks);
}

static float Sign(float f)
{
    return f >= 0.0f ? 1.0f : -1.0f;
}

// The vector's length and its unit direction in place; a zero vector stays
// as it is with length 0.
static float Unit(mVec3* pV)
{
    const float lenSq = pV->LengthSq();
    if (lenSq == 0.0f)
        return 0.0f;
    const float len = mSqrt(lenSq);
    pV->Set(pV->x / len, pV->y / len, pV->z / len);
    return len;
}

static float Length(const mVec3& v)
{
    const float lenSq = v.LengthSq();
    return lenSq > 0.0f ? mSqrt(lenSq) : 0.0f;
}

// Distance needed to stop from this speed, plus one update's travel at it.
static float StopDistance(float speed, float decel, float t)
{
    float stopDist = speed * speed / (eMovement::kStopDistFactor * decel);
    if (speed > 0.0f)
        stopDist += speed * t;
    return stopDist;
}

static float DesiredSpeed(float speed, float dist, float stopDist, float maxSpeed)
{
    if (std::fabs(stopDist) <= eMovement::kStopEpsilon)
        return maxSpeed;
    const float want = speed * dist / stopDist;
    return want < maxSpeed ? want : maxSpeed;
}

static float Dot4(const mQuat& a, const mQuat& b)
{
    return ((a.x * b.x + a.y * b.y) + a.z * b.z) + a.w * b.w;
}

static void ClampPitch(mVec3* pAngles)
{
    if (pAngles->y <= -eMovement::kPitchLimit)
        pAngles->y = -eMovement::kPitchLimit;
    else if (pAngles->y >= eMovement::kPitchLimit)
        pAngles->y = eMovement::kPitchLimit;
}

bool eMovement::UpdateToStop(cTimeValue elapsed, float velocity, float* pChange, float maxSpeed, cTimeValue stopTime)
{
    const float rate = maxSpeed / Ticks(stopTime);
    const float step = rate * Ticks(elapsed);
    if (std::fabs(velocity) > step) {
        *pChange = velocity >= 0.0f ? -step : step;
        return false;
    }
    *pChange = 0.0f;
    return true;
}

bool eMovement::UpdateToStop(cTimeValue elapsed, const mVec3& velocity, mVec3* pChange, float maxSpeed,
                             cTimeValue stopTime)
{
    const float rate = maxSpeed / Ticks(stopTime);
    const float t = Ticks(elapsed);
    const float step = rate * t;
    if (Length(velocity) > step) {
        mVec3 dir = -velocity;
        Unit(&dir);
        *pChange = dir * rate * t;
        return false;
    }
    pChange->Set(0.0f, 0.0f, 0.0f);
    return true;
}

bool eMovement::FollowValue(cTimeValue elapsed, float velocity, float current, float target, float* pChange,
                            float maxSpeed, cTimeValue startTime, cTimeValue stopTime)
{
    const float t = Ticks(elapsed);
    const float diff = target - current;
    const float dist = std::fabs(diff);
    const float sign = Sign(diff);
    const float speed = std::fabs(velocity);
    const float decel = maxSpeed / Ticks(stopTime);
    if (dist <= maxSpeed * t && speed <= decel * t) {
        *pChange = 0.0f;
        return true;
    }
    const float stopDist = StopDistance(speed, decel, t);
    const float desired = sign * DesiredSpeed(speed, dist, stopDist, maxSpeed);
    const float dv = desired - velocity;
    const float sign2 = Sign(dv);
    if (dv * velocity < 0.0f) {
        *pChange = sign2 * decel * t;
    } else {
        // The rate per tick limits |dv| before the step scales it.
        const float accel = maxSpeed / Ticks(startTime);
        const float absDv = std::fabs(dv);
        *pChange = sign2 * (absDv < accel ? absDv : accel) * t;
    }
    return false;
}

bool eMovement::FollowPos(cTimeValue elapsed, const mVec3& velocity, const mVec3& current, const mVec3& target,
                          mVec3* pChange, float maxSpeed, cTimeValue startTime, cTimeValue stopTime)
{
    const float t = Ticks(elapsed);
    mVec3 dir = target - current;
    const float dist = Unit(&dir);
    const float speed = Length(velocity);
    const float decel = maxSpeed / Ticks(stopTime);
    if (dist <= maxSpeed * t && speed <= decel * t) {
        pChange->Set(0.0f, 0.0f, 0.0f);
        return true;
    }
    const float stopDist = StopDistance(speed, decel, t);
    const mVec3 desired = dir * DesiredSpeed(speed, dist, stopDist, maxSpeed);
    mVec3 dvDir = desired - velocity;
    const float dvLen = Unit(&dvDir);
    if (dvDir.Dot(velocity) < 0.0f) {
        *pChange = dvDir * decel * t;
    } else {
        const float accel = maxSpeed / Ticks(startTime);
        *pChange = dvDir * (dvLen < accel ? dvLen : accel) * t;
    }
    return false;
}

bool eMovement::FollowPos(cTimeValue elapsed, float k1, float k2, const mVec3& p1, const mVec3& p2, const mVec3& p3,
                          float followDist, mVec3* pOut)
{
    const float t = Ticks(elapsed);
    mVec3 u = p2 - p1;
    const float dist = Unit(&u);
    if (dist == 0.0f) {
        // Coinciding points give no direction to push along.
        pOut->Set(0.0f, 0.0f, 0.0f);
        return true;
    }
    const float s = k1 * (followDist - dist) + k2 * u.Dot((p3 - p2) * t) / dist;
    *pOut = u * s * t;
    return pOut->LengthSq() <= kStopEpsilon;
}

bool eMovement::FollowLookAt(float rate, const mVec3& target, const mVec3& current, mVec3* pOut, bool bClampPitch,
                             float tolerance)
{
    mQuat qT, qC, q;
    qT.SetHPR(target);
    qC.SetHPR(current);
    q.Slerp(qC, qT, rate);
    const bool bReached = std::fabs(Dot4(qT, qC) - 1.0f) <= tolerance;
    q.GetHPR(pOut);
    if (bClampPitch)
        ClampPitch(pOut);
    return bReached;
}

bool eMovement::FollowLookAt(float rate, const mOCS* pFrame, const mVec3* pTarget, float roll, mVec3* pOut,
                             bool bKeepAngles, bool bClampPitch, float tolerance)
{
    pFrame->basis.GetHPR(&pOut->x, &pOut->y, &pOut->z);
    const mVec3 current = *pOut;
    mVec3 d;
    if (pTarget) {
        d = *pTarget - pFrame->origin;
        if (Unit(&d) <= kMinLookDistance)
            return false;
    } else {
        d = pFrame->basis.forward;
    }
    mVec3 desired = current;
    if (!bKeepAngles) {
        float dz = d.z;
        if (dz <= -1.0f)
            dz = -1.0f;
        else if (dz >= 1.0f)
            dz = 1.0f;
        desired.Set(mAtan2(-d.x, d.y) * kRadToDeg, mAsin(dz) * kRadToDeg, roll);
    }
    mQuat qC, qD, q;
    qC.SetHPR(current);
    qD.SetHPR(desired);
    q.Slerp(qD, qC, rate);
    const bool bReached = std::fabs(Dot4(qC, qD) - 1.0f) <= tolerance;
    q.GetHPR(pOut);
    if (bClampPitch)
        ClampPitch(pOut);
    return bReached;
}
