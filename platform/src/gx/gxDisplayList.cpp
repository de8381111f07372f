// Display lists: the hardware command stream parsed on the calling thread.
// Draw commands decode their vertices at once; register loads change the
// front-end state as the equivalent library calls would. Each command is
// framed, and checked to be whole, before it is read; a bad command ends the
// list. The same framing and index bounds check a list without drawing it.

#include "gx/gxFront_local.h"
#include "gx/gxRegisters.h"
#include "gx/gxVertex.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <memory>

#include "platform/gxlist.h"
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
constexpr uint32_t kDrawHeaderBytes = 3;  // op, then the vertex count (u16)

std::atomic<GXListFaultWriter> s_faultWriter{nullptr};

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

// Ends the list: reports once per list address and counts the rejection.
bool Reject(const Parser& p, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
bool Reject(const Parser& p, const char* fmt, ...)
{
    gxCountRejectedList();
    if (!gxTakeLogKey(p.list))
        return false;
    char reason[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(reason, sizeof(reason), fmt, args);
    va_end(args);
    char text[400];
    std::snprintf(text, sizeof(text), "display list %p (%zu bytes): %s at byte %zu; the rest of the list is skipped",
                  static_cast<const void*>(p.list), p.size, reason, p.pos);
    if (const GXListFaultWriter writer = s_faultWriter.load())
        writer(text);
    else
        gxLog("%s", text);
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
    const uint8_t reg = p.At()[1];
    const uint32_t value = ps::LoadU32BE(p.At() + 2);
    switch (gxApplyCpRegister(gxMut(), reg, value)) {
    case gxRegResult::kApplied: break;
    case gxRegResult::kIgnored: NoteIgnored(p, "CP", reg); break;
    case gxRegResult::kUnsupported: return Reject(p, "CP register 0x%02x (array address) cannot be loaded", reg);
    }
    p.InvalidatePlans();
    return true;
}

void LoadXf(Parser& p)
{
    const uint32_t header = ps::LoadU32BE(p.At() + 1);
    const uint32_t count = (header >> 16) + 1;
    const uint32_t address = header & 0xFFFF;
    gxState& s = gxMut();
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t a = address + i;
        if (gxApplyXfWord(s, a, ps::LoadU32BE(p.At() + 5 + 4 * i)) == gxRegResult::kIgnored)
            NoteIgnored(p, "XF", a);
    }
    p.InvalidatePlans();
}

bool LoadXfIndexed(Parser& p, uint8_t op)
{
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
    return true;
}

void LoadBp(Parser& p)
{
    const uint32_t v = ps::LoadU32BE(p.At() + 1);
    if (gxApplyBpRegister(gxMut(), v >> 24, v & 0xFFFFFF) == gxRegResult::kIgnored)
        NoteIgnored(p, "BP", v >> 24);
}

// The draw's vertices follow its header (the parser stands on the header).
bool Draw(Parser& p, const GXListCommand& c)
{
    const GXVtxFmt fmt = c.format;
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
    const uint8_t* data = p.At() + kDrawHeaderBytes;
    const gxDecodeStatus status = gxDecodeVertices(plan, data, p.Left() - kDrawHeaderBytes, c.count, vertices, &used, &err);
    if (status == gxDecodeStatus::kTruncated)
        return Reject(p, "%s of %u vertices (%u bytes each) cut by the list's end at vertex %u",
                      GXPrimitiveText(c.primitive), c.count, plan.vertexBytes, err.vertex);
    if (status == gxDecodeStatus::kIndexOutOfRange)
        return Reject(p, "vertex %u: %s index %u beyond its array (%llu readable bytes)", err.vertex,
                      GXAttrText(err.attr), err.index, static_cast<unsigned long long>(err.limit));
    if (c.count > 0) {
        ++p.draws;
        p.vertices += c.count;
        gxHandOverDraw(c.primitive, fmt, plan.attrMask, std::move(vertices));
    }
    p.pos += kDrawHeaderBytes + used;
    return true;
}

bool Step(Parser& p)
{
    GXListCommand c;
    if (!GXFrameListCommand(p.list, p.size, p.pos, &c)) {
        if (c.kind == GXListCommandKind::kUnknown)
            return Reject(p, "unknown command 0x%02x", c.op);
        return Reject(p, "%s cut by the list's end", GXListCommandText(c.kind));
    }
    switch (c.kind) {
    case GXListCommandKind::kDraw: return Draw(p, c);
    case GXListCommandKind::kLoadCp:
        if (!LoadCp(p))
            return false;
        break;
    case GXListCommandKind::kLoadXf: LoadXf(p); break;
    case GXListCommandKind::kLoadXfIndexed:
        if (!LoadXfIndexed(p, c.op))
            return false;
        break;
    case GXListCommandKind::kLoadBp: LoadBp(p); break;
    case GXListCommandKind::kCallList:
        // The hardware ignores a call from inside a list.
        gxLogOnce(p.list + 2, "display list %p calls another list; the call is ignored",
                  static_cast<const void*>(p.list));
        break;
    case GXListCommandKind::kNoOp:
    case GXListCommandKind::kUnknown: break;
    }
    p.pos += c.bytes;
    return true;
}

// The state a checked list is drawn under: its format's descriptor, formats
// and arrays, and nothing else. The check reads no array, so any address
// stands for an array's base; its bounds are the ones given.
bool BuildCheckState(const GXListFormat& f, gxState* s)
{
    gxStateReset(*s);
    if (static_cast<unsigned>(f.format) >= kGxNumVtxFmts || f.numAttrs < 0 || f.numAttrs > GXListFormat::kMaxAttrs)
        return false;
    static const uint8_t s_anyArray = 0;
    gxVtxFmt& vf = s->vtxFmt[f.format];
    vf.setUp = true;
    for (int i = 0; i < f.numAttrs; ++i) {
        const GXListAttr& a = f.attrs[i];
        if (a.attr < GX_VA_PNMTXIDX || a.attr >= GX_VA_MAX_ATTR)
            return false;
        s->vtxDesc[a.attr] = a.input;
        vf.attr[a.attr] = {a.count, a.type, a.frac};
        if (a.attr >= GX_VA_POS && a.attr - GX_VA_POS < kGxNumArrays && a.input != GX_DIRECT && a.input != GX_NONE) {
            gxArray& array = s->arrays[a.attr - GX_VA_POS];
            array.base = &s_anyArray;
            array.stride = a.stride;
            array.bytes = static_cast<uint32_t>(std::min<uint64_t>(a.arrayBytes, UINT32_MAX));
            array.boundsKnown = true;
        }
    }
    return true;
}

uint64_t DeclaredBytes(const gxArray& array)
{
    return array.bytes;
}

bool CheckFault(char* why, size_t whySize, size_t pos, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
bool CheckFault(char* why, size_t whySize, size_t pos, const char* fmt, ...)
{
    if (!why || whySize == 0)
        return false;
    char reason[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(reason, sizeof(reason), fmt, args);
    va_end(args);
    std::snprintf(why, whySize, "%s at byte %zu", reason, pos);
    return false;
}

}  // namespace

bool GXFrameListCommand(const uint8_t* list, size_t nbytes, size_t pos, GXListCommand* cmd)
{
    GXListCommand& c = *cmd;
    c = GXListCommand{};
    const uint8_t op = list[pos];
    const size_t left = nbytes - pos;
    c.op = op;
    if (op >= kOpDrawFirst && op <= kOpDrawLast) {
        c.kind = GXListCommandKind::kDraw;
        c.bytes = kDrawHeaderBytes;
        c.format = static_cast<GXVtxFmt>(op & 7);
        // 0x88 draws quads as 0x80 does.
        c.primitive = static_cast<GXPrimitive>((op & 0xF8) == GX_QUADS2 ? GX_QUADS : (op & 0xF8));
        if (left < kDrawHeaderBytes)
            return false;
        c.count = ps::LoadU16BE(list + pos + 1);
        return true;
    }
    switch (op) {
    case kOpNop:
    case kOpMetric:
    case kOpInvalidateVtxCache: c.kind = GXListCommandKind::kNoOp; c.bytes = 1; break;
    case kOpLoadCp: c.kind = GXListCommandKind::kLoadCp; c.bytes = 6; break;
    case kOpLoadBp: c.kind = GXListCommandKind::kLoadBp; c.bytes = 5; break;
    case kOpCallList: c.kind = GXListCommandKind::kCallList; c.bytes = 9; break;
    case kOpLoadXf:
        c.kind = GXListCommandKind::kLoadXf;
        c.bytes = 5;
        // The words' count less one follows the op.
        if (left >= 5)
            c.bytes += 4 * (static_cast<uint32_t>(ps::LoadU16BE(list + pos + 1)) + 1);
        break;
    default:
        if (op >= kOpLoadXfIndexedA && op <= kOpLoadXfIndexedD && (op & 7) == 0) {
            c.kind = GXListCommandKind::kLoadXfIndexed;
            c.bytes = 5;
            break;
        }
        return false;
    }
    return c.bytes <= left;
}

const char* GXListCommandText(GXListCommandKind kind)
{
    switch (kind) {
    case GXListCommandKind::kNoOp: return "no-op";
    case GXListCommandKind::kLoadCp: return "CP load";
    case GXListCommandKind::kLoadXf: return "XF load";
    case GXListCommandKind::kLoadXfIndexed: return "indexed XF load";
    case GXListCommandKind::kLoadBp: return "BP load";
    case GXListCommandKind::kCallList: return "nested list call";
    case GXListCommandKind::kDraw: return "draw command";
    case GXListCommandKind::kUnknown: break;
    }
    return "unknown command";
}

bool GXCheckDisplayList(const void* list, uint32_t nbytes, const GXListFormat& format, char* why, size_t whySize)
{
    if (!list)
        return nbytes == 0 || CheckFault(why, whySize, 0, "no list for %u bytes", nbytes);
    const auto state = std::make_unique<gxState>();
    gxVertexPlan plan;
    const char* reason = "the format's attributes are outside the hardware's";
    if (!BuildCheckState(format, state.get()) ||
        !gxBuildVertexPlan(*state, format.format, &DeclaredBytes, &plan, &reason))
        return CheckFault(why, whySize, 0, "vertex format %d: %s", format.format, reason);
    const uint8_t* p = static_cast<const uint8_t*>(list);
    size_t pos = 0;
    while (pos < nbytes) {
        GXListCommand c;
        if (!GXFrameListCommand(p, nbytes, pos, &c)) {
            if (c.kind == GXListCommandKind::kUnknown)
                return CheckFault(why, whySize, pos, "unknown command 0x%02x", c.op);
            return CheckFault(why, whySize, pos, "%s cut by the list's end", GXListCommandText(c.kind));
        }
        if (c.kind == GXListCommandKind::kNoOp) {
            pos += c.bytes;
            continue;
        }
        if (c.kind != GXListCommandKind::kDraw)
            return CheckFault(why, whySize, pos, "a %s (0x%02x) in a list of geometry", GXListCommandText(c.kind), c.op);
        if (c.format != format.format)
            return CheckFault(why, whySize, pos, "a draw in vertex format %d where the list's is %d", c.format,
                              format.format);
        const size_t left = nbytes - pos - c.bytes;
        if (static_cast<uint64_t>(c.count) * plan.vertexBytes > left)
            return CheckFault(why, whySize, pos, "%s of %u vertices (%u bytes each) cut by the list's end",
                              GXPrimitiveText(c.primitive), c.count, plan.vertexBytes);
        gxDecodeError err;
        if (gxCheckIndices(plan, p + pos + c.bytes, c.count, &err) != gxDecodeStatus::kOk)
            return CheckFault(why, whySize, pos, "vertex %u: %s index %u beyond its array of %llu bytes", err.vertex,
                              GXAttrText(err.attr), err.index, static_cast<unsigned long long>(err.limit));
        pos += c.bytes + static_cast<size_t>(c.count) * plan.vertexBytes;
    }
    return true;
}

GXListFaultWriter GXSetListFaultWriter(GXListFaultWriter writer)
{
    return s_faultWriter.exchange(writer);
}

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
