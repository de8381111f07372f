#pragma once
// A ray's hit on a box, sphere or plane: distance along the ray, the point and
// the surface normal there. Written by mRay::Intersect.

#include "mMath/mVec3.h"

struct mRayVolHit {
    float distance;
    mVec3 pos;
    mVec3 normal;
};
