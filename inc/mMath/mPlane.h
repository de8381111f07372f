#pragma once
// Plane of the points p with normal.p = offset; a plane contains its positive
// side, normal.p >= offset. Plain value: default construction leaves it unset;
// any thread.

#include "mMath/mVec3.h"
#include "mMath/mVolume.h"

struct mBox;
struct mSphere;

// The dominant axis of a plane's normal and its sign. Stored values.
enum mPlaneType : int {
    ALIGN_X = 0,
    ALIGN_Y = 1,
    ALIGN_Z = 2,
    ALIGN_NEGX = 3,
    ALIGN_NEGY = 4,
    ALIGN_NEGZ = 5,
};
const char* mPlaneTypeText(mPlaneType t);  // "???" outside the enumeration

struct mPlane : mVolume {
    mVec3 normal;
    float offset;

    // The point common to three planes. Leaves *pOut unchanged when they have
    // no single common point; reports no status.
    static void Intersection(const mPlane& a, const mPlane& b, const mPlane& c, mVec3* pOut);

    // A zero component counts as negative: (0, 0, 0) is ALIGN_NEGX.
    mPlaneType GetOrientation() const;
    mContainment Contains(const mSphere& s) const;  // NONE for radius <= 0
    mContainment Contains(const mBox& b) const;     // NONE for an empty box
};
