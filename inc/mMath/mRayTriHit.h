#pragma once
// A ray's hit on a triangle list. u and v weigh the triangle's second and third
// vertex (the first has 1 - u - v); index is the position of the triangle's
// first index in the index list (3 x its number). Written by mRay::Intersect.

#include "mMath/mVec3.h"

struct mRayTriHit {
    float distance;
    mVec3 pos;
    mVec3 normal;
    float u;
    float v;
    int index;
};
