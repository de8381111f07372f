#pragma once
// Rotation quaternion (x, y, z, w), w the scalar part. A right-handed rotation
// by A about the unit axis n is (-n sin(A/2), cos(A/2)): the vector part has the
// opposite sign of the textbook convention, matching mBasis::SetQuat and the
// stored animation keys. Angles in degrees. Plain value; any thread.

#include "mMath/mVec4.h"

struct mVec3;

struct mQuat : mVec4 {
    mQuat() = default;
    constexpr mQuat(float fx, float fy, float fz, float fw) : mVec4(fx, fy, fz, fw) {}

    // this = a*b (Hamilton product): first a, then b, as mBasis::Xform.
    void Mult(const mQuat& a, const mQuat& b);
    // Spherical interpolation along the shorter arc; not renormalised.
    void Slerp(const mQuat& a, const mQuat& b, float t);

    void SetAxisAngle(const mVec3& axis, float degrees);  // axis of unit length
    // Reads back axis -n and angle -A for SetAxisAngle(n, A): the same rotation.
    // The identity, and a quaternion with |w| >= 1 (a whole turn, or not of unit
    // length) that has no usable axis, give axis (0, 0, 1) and angle 0.
    void GetAxisAngle(mVec3* pAxis, float* pDegrees) const;

    void SetHPR(float h, float p, float r);
    void SetHPR(const mVec3& hpr);  // heading, pitch, roll in x, y, z
    void SetHP(float h, float p);
    void GetHPR(mVec3* pHpr) const;
    void GetHPR(float* pH, float* pP, float* pR) const;
    void GetHP(float* pH, float* pP) const;

    void Exp(const mQuat& q);   // q's w is ignored
    void LogN(const mQuat& q);  // w of the result is 0
};
