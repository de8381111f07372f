#pragma once
// The display lists of a zone's strips as the processor reads them: the ray
// test walks the draws with the graphics layer's own framing. A vertex of
// format 0 is position index (u16), normal index (u8) and two coordinate
// indices (u16 each); format 1 has four coordinate indices. Coordinate 0 indexes the second set (the lightmap's), 1-3 the
// first.

#include <cstddef>
#include <cstdint>

#include "platform/gx.h"
#include "platform/gxlist.h"
#include "platform/ps.h"

namespace eZoneDisplayList {

constexpr uint32_t kPosIndex = 0;       // byte offsets within a vertex
constexpr uint32_t kNormalIndex = 2;
constexpr uint32_t kCoordIndex = 3;     // coordinate k at kCoordIndex + 2k
constexpr uint32_t kFirstSetIndex = 5;  // coordinate 1: the first set's index

inline int CoordCount(int format)
{
    return format == 1 ? 4 : 2;
}

inline uint32_t VertexBytes(int format)
{
    return kCoordIndex + 2 * static_cast<uint32_t>(CoordCount(format));
}

// Calls draw(primitive, count, vertices) for every whole draw of the list in
// the strip's vertex format, in order, stepping over no-ops. A list that
// loaded holds nothing else (eRenderStateCache::CheckDisplayList); the walk
// stops at anything else all the same.
template <class Draw>
void ForEachDraw(const uint8_t* p, uint32_t nBytes, int format, Draw draw)
{
    const uint32_t vertexBytes = VertexBytes(format);
    size_t pos = 0;
    GXListCommand c;
    while (pos < nBytes && GXFrameListCommand(p, nBytes, pos, &c)) {
        pos += c.bytes;
        if (c.kind == GXListCommandKind::kNoOp)
            continue;
        if (c.kind != GXListCommandKind::kDraw || c.format != format ||
            uint64_t{c.count} * vertexBytes > nBytes - pos)
            return;
        draw(c.primitive, c.count, p + pos);
        pos += size_t{c.count} * vertexBytes;
    }
}

}  // namespace eZoneDisplayList
