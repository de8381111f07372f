#pragma once
// The placement every region-relative object stores in its block: the id of
// its region (signed 16-bit, -1 none, with no padding after it) and its frame
// relative to the region as 12 floats: origin, then the basis rows right,
// forward, up. Plain functions on the reader's or writer's stack.

#include <cstdint>

class cReadBlock;
class cWriteBlock;
struct mOCS;

struct gcRegionFrame {
    // Reads into the out values; a short block fails the reader (zeros).
    static void Read(const cReadBlock& rb, int16_t* pRegionId, mOCS* pFrame);
    static void Write(const cWriteBlock& wb, int16_t nRegionId, const mOCS& frame);
};
