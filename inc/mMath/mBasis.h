#pragma once
// A rotation stored as three rows: the images of the local X, Y and Z axes in
// the parent frame. Row vectors; composing first A, then B is A*B. Angles in
// degrees: heading about +Z (counter-clockwise seen from above), pitch about
// right (positive looks up), roll about forward (positive lowers right).
// Keeps no invariant: it is orthonormal only if what was put in was. Any thread.

#include "mMath/mVec3.h"

struct mQuat;

struct mBasis {
    mVec3 right;
    mVec3 forward;
    mVec3 up;

    void MakeIdentity();
    void SetH(float h);
    void SetHP(float h, float p);
    void SetHPR(float h, float p, float r);  // roll, then pitch, then heading
    // Heading and roll in [-180, 180], pitch in [-90, 90]. Looking straight up
    // or down, the whole turn about +Z is reported as roll.
    void GetHPR(float* pH, float* pP, float* pR) const;

    void SetAxisAngle(const mVec3& axis, float degrees);  // axis of unit length
    void GetAxisAngle(mVec3* pAxis, float* pDegrees) const;
    void GetQuat(mQuat* pQuat) const;
    void SetQuat(const mQuat& q);  // q of unit length

    void Inverse(const mBasis& b);  // this = transpose of b
    void Inverse();                 // transpose in place

    // Tolerant compare of all nine components (difference <= tol).
    bool ApproxEqual(const mBasis& b, float tol) const;

    // A basis whose forward is dir (unit length), right = forward x reference
    // up normalised, up = right x forward. Straight up uses the reference up
    // (0, -1, 0), straight down (0, 1, 0), anything else (0, 0, 1).
    void SetDir(const mVec3& dir);

    // this = a*b: a rotation given relative to b, expressed in b's parent.
    void Xform(const mBasis& a, const mBasis& b);
    // this = a*transpose(b): a rotation in the parent, expressed relative to b.
    void XformInv(const mBasis& a, const mBasis& b);
};
