#pragma once
// The geometry of a loose octree laid over a zone: a cube centred on the
// zone's origin, split level by level into eight children, every cell enlarged
// by the loose scale so that an object is filed in exactly one cell by its
// bounding sphere. Nodes are numbered in one flat array, level after level,
// so parent and children follow from the index. The node records themselves
// belong to the zone. Plain value; main thread.

#include <cstdint>

#include "mMath/mBox.h"

class cFile;
struct mSphere;

class eOctree
{
public:
    static constexpr int kVersion = 1;
    // Deepest tree a data file may describe: node arrays grow by 8 per level,
    // and 8 levels already mean 2,396,745 nodes.
    static constexpr int kMaxLevels = 8;
    static constexpr int kChildren = 8;

    // First node of level L: (8^L - 1) / 7, i.e. 0, 1, 9, 73, 585, ...
    static constexpr int32_t LevelStart(int level) { return ((int32_t{1} << (3 * level)) - 1) / 7; }
    // Nodes of a tree with that many levels: (8^n - 1) / 7.
    static constexpr int32_t NodeCount(int levels) { return LevelStart(levels); }
    static constexpr int32_t Parent(int32_t node) { return (node - 1) / kChildren; }
    // Child k (0-7) has x in bit 0, y in bit 1 and z in bit 2 of k.
    static constexpr int32_t Child(int32_t node, int k) { return kChildren * node + 1 + k; }
    // Interleaves the cell coordinates: bit i of x goes to bit 3i, of y to
    // bit 3i + 1, of z to bit 3i + 2.
    static uint32_t Morton(uint32_t x, uint32_t y, uint32_t z);

    // Level 0 size and loose scale 0, no levels, empty box.
    eOctree();

    // The node for a sphere, or -1 when its centre lies outside the cube. The
    // radius picks the level (the deepest whose loose cells still hold the
    // sphere wherever its centre falls), the centre picks the cell.
    int32_t GetNodeFromSphere(const mSphere& s) const;
    // The sphere around the box's middle with half its largest extent.
    int32_t GetNodeFromBox(const mBox& b) const;

    // Version 1: size, loose scale, levels, box min, box max (36 bytes). A
    // level count outside 1..kMaxLevels is refused (false, logged, old state
    // kept), since it sizes the zone's node arrays.
    bool Read(const cFile& file);
    void Write(const cFile& file) const;

    float m_fSize;        // edge of the root cube, which spans -size/2 .. +size/2
    float m_fLooseScale;  // a cell of edge e covers a cube of edge e x loose scale
    int32_t m_nLevels;    // level 0 is the root
    mBox m_volume;        // stored with the tree; filing uses only the size
};
