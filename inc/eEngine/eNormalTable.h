#pragma once
// The fixed table of 252 unit normals that zone geometry indexes with one
// byte per vertex. Its order is part of the data format: exported display
// lists hold indices into it. Built before main, never changed; read from any
// thread. Indices 252-255 do not exist.

#include <cstdint>

#include "mMath/mVec3.h"

class eNormalTable
{
public:
    static constexpr int kCount = 252;
    static constexpr int kGXStride = 12;  // bytes per entry in the GPU array: 3 big-endian f32
    static constexpr uint8_t kNoIndex = 255;  // what a direction that matches nothing (NaN) gets

    // The entry with the largest dot product with the direction; the first of
    // equal candidates wins and the length of the direction does not matter.
    // A NaN component matches nothing and gives kNoIndex.
    static uint8_t GetIndexFromNormal(const mVec3& normal);

    // The same 252 normals as big-endian f32 triples (kGXStride bytes each),
    // the array the graphics layer binds for the zone vertex formats. Built on
    // first call; the pointer stays valid for the whole run.
    static const uint8_t* GetGXArray();

    static const mVec3 s_normalTable[kCount];
};
