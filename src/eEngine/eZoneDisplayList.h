#pragma once
// The display lists of a zone's strips as the processor reads them: the
// checks at read time and the ray test walk the same commands the graphics
// layer will. A vertex of format 0 is position index (u16), normal index
// (u8) and two coordinate indices (u16 each); format 1 has four coordinate
// indices. Coordinate 0 indexes the second set (the lightmap's), 1-3 the
// first.

#include <cstdint>

#include "platform/gx.h"
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

// The length of a register load or other non-drawing command at p (its
// first byte op), 0 for a command the graphics layer does not know.
inline uint32_t CommandBytes(const uint8_t* p, uint32_t nLeft)
{
    switch (p[0]) {
    case 0x00:  // no-op
    case 0x44:  // metrics
    case 0x48:  // vertex-cache invalidation
        return 1;
    case 0x08: return 6;  // CP register load
    case 0x61: return 5;  // BP register load
    case 0x40: return 9;  // list call
    case 0x10:            // XF load: the count of words follows
        return nLeft >= 5 ? 5 + 4 * (static_cast<uint32_t>(ps::LoadU16BE(p + 1)) + 1) : 5;
    default:
        return (p[0] >= 0x20 && p[0] <= 0x38 && (p[0] & 7) == 0) ? 5 : 0;  // indexed XF loads
    }
}

// Calls draw(primitive, count, vertices) for every whole draw of the list in
// the strip's vertex format, in order, stepping over register loads. The
// graphics layer parses the draws of other formats itself: the walk stops at
// one of them or at a command it does not know. Returns null when the list
// is sound, else the fault; a fault draw returns stops the walk with it.
template <class Draw>
const char* ForEachDraw(const uint8_t* p, uint32_t nBytes, int format, Draw draw)
{
    constexpr uint8_t kPrimitiveMask = 0xF8;
    constexpr uint8_t kFormatMask = 0x07;
    const uint32_t vertexBytes = VertexBytes(format);
    uint32_t pos = 0;
    while (pos < nBytes) {
        const uint8_t op = p[pos];
        const uint8_t prim = op & kPrimitiveMask;
        if (prim < GX_QUADS || prim > GX_POINTS) {
            const uint32_t n = CommandBytes(p + pos, nBytes - pos);
            if (n == 0)
                return nullptr;
            if (n > nBytes - pos)
                return "a command cut by its end";
            pos += n;
            continue;
        }
        if ((op & kFormatMask) != format)
            return nullptr;
        if (pos + 3 > nBytes)
            return "a draw cut by its end";
        const uint32_t count = ps::LoadU16BE(p + pos + 1);
        pos += 3;
        if (static_cast<uint64_t>(count) * vertexBytes > nBytes - pos)
            return "a draw cut by its end";
        if (const char* sFault = draw(static_cast<GXPrimitive>(prim), count, p + pos))
            return sFault;
        pos += count * vertexBytes;
    }
    return nullptr;
}

}  // namespace eZoneDisplayList
