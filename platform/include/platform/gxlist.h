#pragma once
// Host extension: display lists framed and checked without drawing them.
// GXCallDisplayList frames each command with GXFrameListCommand; a reader
// that holds a list checks it when it loads with GXCheckDisplayList, under
// the vertex format its draw will set, with the same framing and the same
// index bounds, so that a list it took never stops at draw time.

#include <cstddef>
#include <cstdint>

#include "platform/gx.h"

// What a command is, as its first byte says.
enum class GXListCommandKind : uint8_t {
    kNoOp,           // no-op, metrics and vertex-cache invalidation: one byte
    kLoadCp,         // CP register load
    kLoadXf,         // XF load of a run of words
    kLoadXfIndexed,  // XF load from one of the matrix arrays (12..15)
    kLoadBp,         // BP register load
    kCallList,       // a list called from a list (the hardware ignores it)
    kDraw,           // a primitive: the opcode's low bits name the vertex format
    kUnknown,
};

struct GXListCommand {
    GXListCommandKind kind = GXListCommandKind::kUnknown;
    uint8_t op = 0;
    uint32_t bytes = 0;  // the whole command; for a draw its op and count only
    GXPrimitive primitive = GX_POINTS;  // a draw's (0x88 draws quads)
    GXVtxFmt format = GX_VTXFMT0;       // a draw's
    uint16_t count = 0;                 // a draw's vertices
};

// The command at list[pos] (pos < nbytes). False for an unknown command or
// one whose own bytes reach past nbytes (a draw's vertices are not counted:
// their size depends on the vertex format); cmd says which either way.
bool GXFrameListCommand(const uint8_t* list, size_t nbytes, size_t pos, GXListCommand* cmd);
// "CP load", "draw command", ... for a report.
const char* GXListCommandText(GXListCommandKind kind);

// One attribute of the vertex a checked list's draws use, as GXSetVtxDesc
// and GXSetVtxAttrFmt give it; an indexed one with its array's stride and
// the bytes readable from the array's start.
struct GXListAttr {
    GXAttr attr = GX_VA_POS;
    GXAttrType input = GX_NONE;
    GXCompCnt count = GX_POS_XYZ;
    GXCompType type = GX_F32;
    uint8_t frac = 0;
    uint32_t stride = 0;
    uint64_t arrayBytes = 0;
};

struct GXListFormat {
    static constexpr int kMaxAttrs = 8;
    GXVtxFmt format = GX_VTXFMT0;  // the one format the list's draws may name
    int numAttrs = 0;
    GXListAttr attrs[kMaxAttrs];
};

// Checks a list as GXCallDisplayList would take it under this vertex format,
// drawing nothing, changing no state and reading no array. A list of
// geometry holds no-ops and draws in the format only: a register load would
// change state its drawer keeps (or one the front end only notes), and a
// call is ignored. Every draw's vertices lie within the list and every index
// within its array, as the draw checks them. True when sound; else false,
// with the fault and the byte it starts at in why (whySize bytes, cut).
bool GXCheckDisplayList(const void* list, uint32_t nbytes, const GXListFormat& format, char* why, size_t whySize);

// Where the report of a list the parser stops goes, once per list: by default
// a "GX: " line as every other report of the layer; a program with a log of
// its own installs its writer. Null restores the default. Returns the
// previous writer.
using GXListFaultWriter = void (*)(const char* text);
GXListFaultWriter GXSetListFaultWriter(GXListFaultWriter writer);
