#pragma once
// A coordinate system: the local frame's origin and axes in the parent frame.
// The placement of every node, entity, camera, light and volume. Plain value;
// any thread.

#include "mMath/mBasis.h"

struct mOCS {
    mVec3 origin;
    mBasis basis;

    void MakeIdentity();  // origin 0, identity basis

    // A frame given relative to b, expressed in b's parent. this may be a or b.
    void Xform(const mOCS& a, const mOCS& b);
    // A frame given in the parent, expressed relative to b; the inverse of
    // Xform. this may be a or b.
    void XformInv(const mOCS& a, const mOCS& b);

    bool ApproxEqual(const mOCS& o, float tol) const;  // origin, then basis
    bool operator==(const mOCS& o) const;              // exact, origin first
    bool operator!=(const mOCS& o) const { return !(*this == o); }

    // Places the frame at eye looking at target (forward), right = forward x
    // upHint, up = right x forward, each normalised. A target at the eye leaves
    // all three axes zero; an up hint along the view leaves right and up zero.
    void LookAt(const mVec3& eye, const mVec3& target, const mVec3& upHint);
};
