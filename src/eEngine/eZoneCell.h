#pragma once
// The cells of a zone's loose octrees as the walks see them: a cell is
// given by its centre and edge, the root's centre being the zone's origin.

#include <cstdint>

#include "eEngine/eOctree.h"
#include "mMath/mBox.h"
#include "mMath/mVec3.h"

namespace eZoneCell {

// Child k of a cell: the centre moves a quarter of the edge along each axis,
// towards + where bit k of x (0), y (1), z (2) is set.
inline mVec3 ChildCentre(const mVec3& centre, float edge, int k)
{
    const float q = 0.25f * edge;
    return mVec3(centre.x + ((k & 1) ? q : -q), centre.y + ((k & 2) ? q : -q), centre.z + ((k & 4) ? q : -q));
}

// The cell enlarged by the loose scale: edge x looseScale, on the same centre.
inline mBox LooseBox(const mVec3& centre, float edge, float looseScale)
{
    const float h = 0.5f * edge * looseScale;
    mBox b;
    b.minCorner.Set(centre.x - h, centre.y - h, centre.z - h);
    b.maxCorner.Set(centre.x + h, centre.y + h, centre.z + h);
    return b;
}

// min <= p < max on every axis.
inline bool Holds(const mBox& b, const mVec3& p)
{
    for (int a = 0; a < 3; ++a)
        if (!(b.minCorner[a] <= p[a] && p[a] < b.maxCorner[a]))
            return false;
    return true;
}

// min <= p <= max on every axis: the ray walk's test for an origin in a
// loose box, faces included, since a ray that starts on a face and runs
// inwards meets the box at distance 0, which the box test refuses.
inline bool Touches(const mBox& b, const mVec3& p)
{
    for (int a = 0; a < 3; ++a)
        if (!(b.minCorner[a] <= p[a] && p[a] <= b.maxCorner[a]))
            return false;
    return true;
}

// A node index inside the tree's node array.
inline bool ValidNode(int32_t node, const eOctree& tree)
{
    return node >= 0 && node < eOctree::NodeCount(tree.m_nLevels);
}

}  // namespace eZoneCell
