#pragma once
// Axis-aligned box. Zone and octree tests include the minimum and exclude the
// maximum. The empty box is min (F, F, F), max (-F, -F, -F), F the largest
// float; a box is empty when min exceeds max strictly on all three axes.
// Plain value: default construction leaves it unset; any thread.

#include "mMath/mVec3.h"
#include "mMath/mVolume.h"

struct mOCS;
struct mSphere;

struct mBox : mVolume {
    mVec3 minCorner;
    mVec3 maxCorner;

    void MakeEmpty();
    bool IsEmpty() const;

    // Overlap test: the sphere touches the box (squared distance from the
    // centre to the box at most radius^2). False for an empty box.
    bool Contains(const mSphere& s) const;
    // The box around b's eight corners moved local to parent (Xform) or parent
    // to local (XformInv). An empty source gives the empty box.
    void Xform(const mBox& b, const mOCS& o);
    void XformInv(const mBox& b, const mOCS& o);
    // Per axis: p <= min gives min, else p >= max gives max, else p.
    void Clamp(const mVec3& p, mVec3* pOut) const;
    // Corner k takes max for x when bit 2 of k is set, y bit 1, z bit 0.
    void GetCorners(mVec3* pCorners) const;
    // An empty b changes nothing; an empty this becomes b; else the union.
    void Extend(const mBox& b);
    // Takes in n points spaced stride bytes apart (n <= 0: nothing).
    void Extend(int n, const mVec3* pPoints, int stride);
    // center +- radius; a radius <= 0 gives the empty box.
    void Surround(const mSphere& s);
};
