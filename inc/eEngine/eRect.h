#pragma once
// A screen rectangle in the centred screen space of sprites and fonts (x to
// the right, y up): its lower-left corner and its size. Plain value; any
// thread.

#include "mMath/mVec2.h"

struct eRect {
    mVec2 pos;
    mVec2 size;
};
