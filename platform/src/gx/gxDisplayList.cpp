// Display lists: the hardware command stream parsed on the calling thread.
// Draw commands decode their vertices at once; register loads change the
// front-end state as the equivalent library calls would. Each command is
// checked to be whole before it is read; a bad command ends the list.

#include "gx/gxFront_local.h"
#include "gx/gxRegisters.h"
#include "gx/gxVertex.h"

#include <cstdarg>
#include <cstdio>

#include "platform/ps.h"

namespace {

constexpr uint8_t kOpNop = 0x00;
constexpr uint8_t kOpLoadCp = 0x08;
constexpr uint8_t kOpLoadXf = 0x10;
constexpr uint8_t kOpLoadXfIndexedA = 0x20;  // ..0x38 in steps of 8: arrays 12..15
constexpr uint8_t kOpLoadXfIndexedD = 0x38;
constexpr uint8_t kOpCallList = 0x40;
constexpr uint8_t kOpMetric = 0x44;
constexpr uint8_t kOpInvalidateVtxCache = 0x48;
constexpr uint8_t kOpLoadBp = 0x61;
constexpr uint8_t kOpDrawFirst = 0x80;
constexpr uint8_t kOpDrawLast = 0xBF;

// The vertex plans of the eight formats, built as a list's draws need
// them; a parser marks which of them hold for its list. Kept apart from the
// parser so that a call does not clear them all, and per thread for lists
// called on several threads.
thread_local gxVertexPlan t_plans[kGxNumVtxFmts];

struct Parser {
    const uint8_t* list = nullptr;
    size_t size = 0;
    size_t pos = 0;
    uint64_t draws = 0;     // handed over so far, counted when the list ends
    uint64_t vertices = 0;
    bool planValid[kGxNumVtxFmts] = {};
    gxVertexPlan* plans = t_plans;
    // The draws' vertices: a draw no backend takes leaves its storage here
    // for the next one.
    gxVertexData drawVertices;

    size_t Left() const { return size - pos; }
    const uint8_t* At() const { return list + pos; }
    void InvalidatePlans()
    {
        for (bool& v : planValid)
            v = false;
    }
};

// Ends the list: logs once per list address and counts the rejection.
bool Reject(const Parser& p, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
bool Reject(const Parser& p, const char* fmt, ...)
{
    char reason[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(reason, sizeof(reason), fmt, args);
    va_end(args);
    gxLogOnce(p.list, "display list %p (%zu bytes): %s at byte %zu; the rest of the list is skipped",
              static_cast<const void*>(p.list), p.size, reason, p.pos);
    gxCountRejectedList();
    return false;
}

// A register the front end does not model: the command is well formed, so
// only it is skipped.
void NoteIgnored(const Parser& p, const char* unit, uint32_t reg)
{
    gxLogOnce(p.list + 1, "display list %p: %s register 0x%x is not modelled; ignored",
              static_cast<const void*>(p.list), unit, reg);
}

bool LoadCp(Parser& p)
{
    if (p.Left() < 6)
        return Reject(p, "CP load cut by the list's end");
    const uint8_t reg = p.At()[1];
    const uint32_t value = ps::LoadU32BE(p.At() + 2);
    switch (gxApplyCpRegister(gxMut(), reg, value)) {
    case gxRegResult::kApplied: break;
    case gxRegResult::kIgnored: NoteIgnored(p, "CP", reg); break;
    case gxRegResult::kUnsupported: return Reject(p, "CP register 0x%02x (array address) cannot be loaded", reg);
    }
    p.InvalidatePlans();
    p.pos += 6;
    return true;
}

bool LoadXf(Parser& p)
{
    if (p.Left() < 5)
        return Reject(p, "XF load cut by the list's end");
    const uint32_t header = ps::LoadU32BE(p.At() + 1);
    const uint32_t count = (header >> 16) + 1;
    const uint32_t address = header & 0xFFFF;
    if (p.Left() - 5 < 4ull * count)
        return Reject(p, "XF load of %u words cut by the list's end", count);
    gxState& s = gxMut();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t a = address + i;
        if (gxApplyXfWord(s, a, ps::LoadU32BE(p.At() + 5 + 4 * i)) == gxRegResult::kIgnored)
            NoteIgnored(p, "XF", a);
    }
    p.InvalidatePlans();
    p.pos += 5 + 4ull * count;
    return true;
}

bool LoadXfIndexed(Parser& p, uint8_t op)
{
    if (p.Left() < 5)
        return Reject(p, "indexed XF load cut by the list's end");
    const uint32_t v = ps::LoadU32BE(p.At() + 1);
    const uint32_t index = v >> 16;
    const uint32_t count = ((v >> 12) & 0xF) + 1;
    const uint32_t address = v & 0xFFF;
    const int arrayIndex = 12 + ((op - kOpLoadXfIndexedA) >> 3);
    const gxArray& array = gxGet().arrays[arrayIndex];
    const uint64_t offset = static_cast<uint64_t>(index) * array.stride;
    if (!array.base || offset + 4ull * count > gxArrayLimit(array))
        return Reject(p, "indexed XF load: element %u of array %d is outside the array", index, arrayIndex);
    gxState& s = gxMut();
    for (uint32_t i = 0; i < count; ++i)
        if (gxApplyXfWord(s, address + i, ps::LoadU32BE(array.base + offset + 4 * i)) == gxRegResult::kIgnored)
            NoteIgnored(p, "XF", address + i);
    p.InvalidatePlans();
    p.pos += 5;
    return true;
}

bool LoadBp(Parser& p)
{
    if (p.Left() < 5)
        return Reject(p, "BP load cut by the list's end");
    const uint32_t v = ps::LoadU32BE(p.At() + 1);
    if (gxApplyBpRegister(gxMut(), v >> 24, v & 0xFFFFFF) == gxRegResult::kIgnored)
        NoteIgnored(p, "BP", v >> 24);
    p.pos += 5;
    return true;
}

bool Draw(Parser& p, uint8_t op)
{
    if (p.Left() < 3)
        return Reject(p, "draw command cut by the list's end");
    const uint32_t count = ps::LoadU16BE(p.At() + 1);
    const GXVtxFmt fmt = static_cast<GXVtxFmt>(op & 7);
    // 0x88 draws quads as 0x80 does.
    const GXPrimitive primitive = static_cast<GXPrimitive>((op & 0xF8) == GX_QUADS2 ? GX_QUADS : (op & 0xF8));
    if (!p.planValid[fmt]) {
        const char* reason = "";
        if (!gxBuildVertexPlan(gxGet(), fmt, &gxArrayLimit, &p.plans[fmt], &reason))
            return Reject(p, "draw with vertex format %d: %s", fmt, reason);
        p.planValid[fmt] = true;
    }
    const gxVertexPlan& plan = p.plans[fmt];
    gxVertexData& vertices = p.drawVertices;
    size_t used = 0;
    gxDecodeError err;
    const gxDecodeStatus status = gxDecodeVertices(plan, p.At() + 3, p.Left() - 3, count, vertices, &used, &err);
    if (status == gxDecodeStatus::kTruncated)
        return Reject(p, "%s of %u vertices (%u bytes each) cut by the list's end at vertex %u",
                      GXPrimitiveText(primitive), count, plan.vertexBytes, err.vertex);
    if (status == gxDecodeStatus::kIndexOutOfRange)
        return Reject(p, "vertex %u: %s index %u beyond its array (%llu readable bytes)", err.vertex,
                      GXAttrText(err.attr), err.index, static_cast<unsigned long long>(err.limit));
    if (count > 0) {
        ++p.draws;
        p.vertices += count;
        gxHandOverDraw(primitive, fmt, plan.attrMask, std::move(vertices));
    }
    p.pos += 3 + used;
    return true;
}

bool Step(Parser& p)
{
    const uint8_t op = p.At()[0];
    if (op >= kOpDrawFirst && op <= kOpDrawLast)
        return Draw(p, op);
    switch (op) {
    case kOpNop:
    case kOpMetric:
    case kOpInvalidateVtxCache:
        ++p.pos;
        return true;
    case kOpLoadCp: return LoadCp(p);
    case kOpLoadXf: return LoadXf(p);
    case kOpLoadBp: return LoadBp(p);
    case kOpCallList:
        // The hardware ignores a call from inside a list.
        if (p.Left() < 9)
            return Reject(p, "nested list call cut by the list's end");
        gxLogOnce(p.list + 2, "display list %p calls another list; the call is ignored",
                  static_cast<const void*>(p.list));
        p.pos += 9;
        return true;
    default:
        if (op >= kOpLoadXfIndexedA && op <= kOpLoadXfIndexedD && (op & 7) == 0)
            return LoadXfIndexed(p, op);
        return Reject(p, "unknown command 0x%02x", op);
    }
}

}  // namespace

void GXCallDisplayList(const void* list, uint32_t nbytes)
{
    if (!list) {
        if (nbytes)
            gxLogOnce(list, "GXCallDisplayList: no list for %u bytes; ignored", nbytes);
        return;
    }
    Parser p;
    p.list = static_cast<const uint8_t*>(list);
    p.size = nbytes;
    while (p.pos < p.size && Step(p)) {
    }
    gxCountDraws(p.draws, p.vertices);
}
