#pragma once
// A zone's precomputed light grid: one bit per sample point of a regular
// lattice over a cube centred on the zone's origin (1 = lit), with coarser
// copies for large objects. Models ask it for a brightness at their centre.
// Its arrays live in the pool it was read or created in; the destructor
// releases nothing. Main thread (reading on the loader thread).

#include <cstdint>

#include "cCore/cBase.h"

struct mVec3;

// One resolution of the grid. Sample (i, j, k) sits at (i, j, k) x fCellSize
// - size/2 in zone space; its bit is number i + j n + k n^2 (n = nSamples),
// in byte number >> 3 at bit number & 7 counted from the least significant.
struct eLightGridLevel {
    int32_t nSamples;  // per axis: (resolution >> level) + 1
    int32_t nBytes;    // at least (nSamples^3 + 7) / 8
    float fCellSize;   // level 0's spacing x 2^level
    uint8_t* pBits;
};

class eLightGrid : public cBase
{
    QM_DECLARE_TYPE(eLightGrid)
public:
    static constexpr uint32_t kVersion = 1;
    static constexpr int kMaxLevels = 16;
    // Largest lattice a file may describe per axis (2^30 samples); the bytes
    // left in the block bound it further.
    static constexpr int kMaxSamples = 1024;
    static constexpr int kLit = 255;

    eLightGrid();  // no levels, sizes 0
    eLightGrid(const eLightGrid&);  // takes nothing from the source: an empty grid

    // A new empty grid in the pool; the source's levels are not shared.
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    // Refuses version 0, and a level whose sample count is outside
    // 1..kMaxSamples or whose stored bytes are too few for its samples or run
    // past the block (logged, false, old grid kept).
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Brightness 0-255 at a zone-space position for an object of that radius:
    // the finest level whose cells are at least half the radius, blended from
    // the eight samples around the position by distance. Positions outside
    // the cube, or in its last layer, use the nearest cells (clamped); when no
    // sample is within one cell the nearest sample decides. A grid without
    // levels reports fully lit.
    int GetLightValue(const mVec3& pos, float radius) const;

    // Builds an empty grid (all dark) of that shape in the pool for tools
    // that compute the bits. False (logged) for a shape Read would refuse or
    // when the pool is full; the grid is then unchanged.
    bool CreateLightGrid(int levels, int resolution, float size, cMemPool* pPool);
    // Tools: sets or clears one sample; out-of-range indices do nothing.
    void SetSample(int level, int i, int j, int k, bool bLit);
    bool IsLit(int level, int i, int j, int k) const;  // false out of range

    float m_fSize;      // side of the cube, zone units
    float m_fCellSize;  // level 0 spacing: size / resolution
    int32_t m_nLevels;
    eLightGridLevel* m_pLevels;
};
