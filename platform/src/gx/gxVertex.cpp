#include "gx/gxVertex.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include "platform/ps.h"

namespace {

// Bit replication to 8 bits, as the hardware widens short colour fields.
inline uint8_t Expand4(uint32_t v) { return static_cast<uint8_t>((v << 4) | v); }
inline uint8_t Expand5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
inline uint8_t Expand6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

uint32_t CompBytes(uint8_t type)
{
    switch (type) {
    case GX_U8:
    case GX_S8: return 1;
    case GX_U16:
    case GX_S16: return 2;
    case GX_F32: return 4;
    default: return 0;
    }
}

inline uint32_t CompBytesInline(uint8_t type) { return type <= GX_S8 ? 1 : (type <= GX_S16 ? 2 : 4); }

// Normals ignore the fraction field: signed types put 1.0 at 2^6 and 2^14;
// the unsigned ones are assumed to use 2^7 and 2^15.
float NormalScale(uint8_t type)
{
    switch (type) {
    case GX_U8: return 1.0f / 128.0f;
    case GX_S8: return 1.0f / 64.0f;
    case GX_U16: return 1.0f / 32768.0f;
    case GX_S16: return 1.0f / 16384.0f;
    default: return 1.0f;
    }
}

inline float ReadComp(const uint8_t* p, uint8_t type, float scale)
{
    switch (type) {
    case GX_U8: return static_cast<float>(p[0]) * scale;
    case GX_S8: return static_cast<float>(static_cast<int8_t>(p[0])) * scale;
    case GX_U16: return static_cast<float>(ps::LoadU16BE(p)) * scale;
    case GX_S16: return static_cast<float>(ps::LoadS16BE(p)) * scale;
    default: return ps::LoadF32BE(p);
    }
}

// n components of one type: the type is chosen once, not per component.
inline void ReadComps(const uint8_t* p, uint8_t type, float scale, int n, float* out)
{
    switch (type) {
    case GX_S16:
        for (int i = 0; i < n; ++i)
            out[i] = static_cast<float>(ps::LoadS16BE(p + 2 * i)) * scale;
        break;
    case GX_F32:
        for (int i = 0; i < n; ++i)
            out[i] = ps::LoadF32BE(p + 4 * i);
        break;
    default:
        for (int i = 0; i < n; ++i)
            out[i] = ReadComp(p + i * CompBytesInline(type), type, scale);
        break;
    }
}

bool IsMtxIdx(uint8_t attr) { return attr <= GX_VA_TEX7MTXIDX; }

// Fills the component layout of one attribute; false with a reason when the
// format's fields are outside what the hardware decodes.
bool DescribeStep(uint8_t attr, const gxVtxAttrFmt& f, gxAttrStep& st, const char** reason)
{
    st.type = static_cast<uint8_t>(f.type);
    if (IsMtxIdx(attr)) {
        st.comps = 1;
        st.compBytes = 1;
        st.elemBytes = 1;
        return true;
    }
    if (attr == GX_VA_CLR0 || attr == GX_VA_CLR1) {
        st.comps = 1;
        st.compBytes = static_cast<uint8_t>(gxColorBytes(st.type));
        st.elemBytes = st.compBytes;
        if (st.compBytes == 0 || f.cnt > GX_CLR_RGBA) {
            *reason = "colour type or count outside the hardware's";
            return false;
        }
        return true;
    }
    st.compBytes = static_cast<uint8_t>(CompBytes(st.type));
    if (st.compBytes == 0) {
        *reason = "component type outside the hardware's";
        return false;
    }
    if (attr == GX_VA_POS) {
        if (f.cnt > GX_POS_XYZ) { *reason = "position count outside the hardware's"; return false; }
        st.comps = (f.cnt == GX_POS_XYZ) ? 3 : 2;
        st.scale = std::ldexp(1.0f, -static_cast<int>(f.frac & 31));
    } else if (attr == GX_VA_NRM) {
        if (f.cnt > GX_NRM_NBT3) { *reason = "normal count outside the hardware's"; return false; }
        st.comps = (f.cnt == GX_NRM_XYZ) ? 3 : 9;
        st.nbt3 = (f.cnt == GX_NRM_NBT3);
        st.scale = NormalScale(st.type);
    } else {
        if (f.cnt > GX_TEX_ST) { *reason = "texture coordinate count outside the hardware's"; return false; }
        st.comps = (f.cnt == GX_TEX_ST) ? 2 : 1;
        st.scale = std::ldexp(1.0f, -static_cast<int>(f.frac & 31));
    }
    st.elemBytes = static_cast<uint32_t>(st.comps) * st.compBytes;
    if (st.type == GX_F32)
        st.scale = 1.0f;
    // The most common mesh components: the packed vertex keeps the shorts.
    st.shorts = st.type == GX_S16 && st.comps == (attr == GX_VA_POS ? 3 : 2) && attr != GX_VA_NRM;
    return true;
}

uint32_t StreamBytes(const gxAttrStep& st)
{
    const uint32_t indices = st.nbt3 ? 3 : 1;
    switch (st.input) {
    case GX_INDEX8: return indices;
    case GX_INDEX16: return 2 * indices;
    default: return st.elemBytes;
    }
}

}  // namespace

uint32_t gxColorBytes(uint8_t type)
{
    switch (type) {
    case GX_RGB565:
    case GX_RGBA4: return 2;
    case GX_RGB8:
    case GX_RGBA6: return 3;
    case GX_RGBX8:
    case GX_RGBA8: return 4;
    default: return 0;
    }
}

namespace {

// gxDecodeColor, inlined where the kernels call it with a constant type, so
// its switch folds away.
__attribute__((always_inline)) inline void DecodeColour(uint8_t type, const uint8_t* src, uint8_t rgba[4])
{
    switch (type) {
    case GX_RGB565: {
        const uint32_t v = ps::LoadU16BE(src);
        rgba[0] = Expand5(v >> 11); rgba[1] = Expand6((v >> 5) & 63); rgba[2] = Expand5(v & 31); rgba[3] = 255;
        break;
    }
    case GX_RGB8:
    case GX_RGBX8:
        rgba[0] = src[0]; rgba[1] = src[1]; rgba[2] = src[2]; rgba[3] = 255;
        break;
    case GX_RGBA4: {
        const uint32_t v = ps::LoadU16BE(src);
        rgba[0] = Expand4(v >> 12); rgba[1] = Expand4((v >> 8) & 15); rgba[2] = Expand4((v >> 4) & 15);
        rgba[3] = Expand4(v & 15);
        break;
    }
    case GX_RGBA6: {
        const uint32_t v = (uint32_t(src[0]) << 16) | (uint32_t(src[1]) << 8) | src[2];
        rgba[0] = Expand6(v >> 18); rgba[1] = Expand6((v >> 12) & 63); rgba[2] = Expand6((v >> 6) & 63);
        rgba[3] = Expand6(v & 63);
        break;
    }
    default:  // RGBA8
        rgba[0] = src[0]; rgba[1] = src[1]; rgba[2] = src[2]; rgba[3] = src[3];
        break;
    }
}

}  // namespace

void gxDecodeColor(uint8_t type, const uint8_t* src, uint8_t rgba[4]) { DecodeColour(type, src, rgba); }

namespace {

namespace base {
#include "gx/gxVertexKernels.h"
}  // namespace base

#if defined(__x86_64__) || defined(__i386__)
// Clang does not take GCC's target pragma; its attribute pragma does the same.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
#define QM_VERTEX_PSHUFB 1
namespace avx2 {
#include "gx/gxVertexKernels.h"
}  // namespace avx2
#undef QM_VERTEX_PSHUFB
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif
#endif

std::atomic<bool> s_bVertexSimd{true};

// Whether plans take the AVX2 kernels: the processor has them and they are
// not switched off.
bool UseAvx2()
{
#if defined(__x86_64__) || defined(__i386__)
    static const bool s_bAvx2 = __builtin_cpu_supports("avx2");
    return s_bAvx2 && s_bVertexSimd;
#else
    return false;
#endif
}

#if defined(__x86_64__) || defined(__i386__)
#define QM_VERTEX_CHOOSE(call) (UseAvx2() ? avx2::call : base::call)
#else
#define QM_VERTEX_CHOOSE(call) (base::call)
#endif

// The kernel of a described step, for the processor the program runs on.
gxStepKernel ChooseKernel(const gxAttrStep& st) { return QM_VERTEX_CHOOSE(ChooseKernel(st)); }

// The whole-vertex decoder of a built plan, or null.
gxVertexKernel ChooseMeshKernel(const gxVertexPlan& plan) { return QM_VERTEX_CHOOSE(ChooseMeshKernel(plan)); }

// How many indices (of the 65,536 a 16-bit index can name) reach an element
// whose first `bytes` bytes lie within the limit.
uint32_t IndicesWithin(uint64_t limit, uint32_t stride, uint32_t bytes)
{
    constexpr uint64_t kAll = 65536;
    if (limit < bytes)
        return 0;
    if (stride == 0)
        return kAll;
    return static_cast<uint32_t>(std::min<uint64_t>(kAll, (limit - bytes) / stride + 1));
}

// Bytes of an attribute's slot in a packed vertex.
uint16_t SlotBytes(const gxAttrStep& st)
{
    const uint8_t attr = st.attr;
    if (st.shorts)
        return attr == GX_VA_POS ? 8 : 4;
    if (attr == GX_VA_POS || attr == GX_VA_NRM)
        return 12;
    if (attr == GX_VA_CLR0 || attr == GX_VA_CLR1)
        return 4;
    return 8;
}

// The packed layout of the plan's steps, in stream order: the matrix-row
// block (when any index is carried), then the other attributes.
void BuildLayout(gxVertexPlan& p)
{
    gxVertexLayout& l = p.layout;
    l.nrm = l.clr[0] = l.clr[1] = l.mtx = gxVertexLayout::kAbsent;
    for (uint16_t& t : l.tex)
        t = gxVertexLayout::kAbsent;
    l.pnMtx = p.pnMtx;
    std::memcpy(l.texMtx, p.texMtx, sizeof(l.texMtx));
    uint16_t at = 0;
    if (p.attrMask & ((1u << (GX_VA_TEX7MTXIDX + 1)) - 1)) {
        l.mtx = 0;
        at = 12;
    }
    for (uint32_t s = 0; s < p.numSteps; ++s) {
        gxAttrStep& st = p.steps[s];
        if (IsMtxIdx(st.attr)) {
            st.outOffset = static_cast<uint16_t>(st.attr == GX_VA_PNMTXIDX ? 0 : 1 + st.attr - GX_VA_TEX0MTXIDX);
            continue;
        }
        st.outOffset = at;
        if (st.attr == GX_VA_POS) {
            l.pos = at;
            if (st.shorts) {
                l.shorts |= gxVertexLayout::kPosShorts;
                l.posScale = st.scale;
            }
        } else if (st.attr == GX_VA_NRM) {
            l.nrm = at;
        } else if (st.attr == GX_VA_CLR0 || st.attr == GX_VA_CLR1) {
            l.clr[st.attr - GX_VA_CLR0] = at;
        } else {
            const int t = st.attr - GX_VA_TEX0;
            l.tex[t] = at;
            if (st.shorts) {
                l.shorts |= gxVertexLayout::TexShorts(t);
                l.texScale[t] = st.scale;
            }
        }
        at = static_cast<uint16_t>(at + SlotBytes(st));
    }
    l.stride = at;
    for (uint32_t s = 0; s < p.numSteps; ++s)
        p.steps[s].wide = p.steps[s].outOffset + 16u <= l.stride;
}

}  // namespace

bool gxSetVertexSimd(bool enabled) { return s_bVertexSimd.exchange(enabled); }

bool gxBuildVertexPlan(const gxState& state, GXVtxFmt fmt, uint64_t (*limitOf)(const gxArray&),
                       gxVertexPlan* plan, const char** reason)
{
    if (static_cast<unsigned>(fmt) >= kGxNumVtxFmts) { *reason = "vertex format number outside 0..7"; return false; }
    const gxVtxFmt& vf = state.vtxFmt[fmt];
    if (!vf.setUp) { *reason = "vertex format not set up"; return false; }
    if (state.vtxDesc[GX_VA_POS] == GX_NONE) { *reason = "no position in the vertex descriptor"; return false; }
    gxVertexPlan p;
    p.pnMtx = static_cast<uint8_t>(state.currentPnMtx & 63);
    for (int i = 0; i < kGxNumTexCoords; ++i)
        p.texMtx[i] = static_cast<uint8_t>(state.currentTexMtx[i] & 63);
    for (uint8_t attr = GX_VA_PNMTXIDX; attr <= GX_VA_TEX7; ++attr) {
        const GXAttrType input = state.vtxDesc[attr];
        if (input == GX_NONE)
            continue;
        gxAttrStep& st = p.steps[p.numSteps];
        st = gxAttrStep{};
        st.attr = attr;
        // Matrix indices are one inline byte whatever the descriptor says.
        st.input = IsMtxIdx(attr) ? static_cast<uint8_t>(GX_DIRECT) : static_cast<uint8_t>(input);
        if (!DescribeStep(attr, vf.attr[attr], st, reason))
            return false;
        // Inline NBT3 is plain NBT; indexed, each index names one 3-value group.
        if (st.nbt3 && st.input == GX_DIRECT)
            st.nbt3 = false;
        else if (st.nbt3)
            st.elemBytes = 3u * st.compBytes;
        if (st.input != GX_DIRECT) {
            const gxArray& array = state.arrays[attr - GX_VA_POS];
            if (!array.base) { *reason = "indexed attribute without an array"; return false; }
            st.base = array.base;
            st.stride = array.stride;
            st.limit = limitOf(array);
            st.indices = IndicesWithin(st.limit, st.stride, st.elemBytes);
            // Unknown bounds: only the element itself is known readable.
            st.wideIndices = st.limit == UINT64_MAX ? 0 : IndicesWithin(st.limit, st.stride, st.elemBytes + 4);
        }
        st.streamBytes = StreamBytes(st);
        st.streamOffset = p.vertexBytes;
        st.kernel = ChooseKernel(st);
        p.vertexBytes += st.streamBytes;
        p.attrMask |= 1u << attr;
        ++p.numSteps;
    }
    BuildLayout(p);
    p.wholeKernel = ChooseMeshKernel(p);
    *plan = p;
    return true;
}

gxDecodeStatus gxCheckIndices(const gxVertexPlan& plan, const uint8_t* data, uint32_t count, gxDecodeError* err)
{
    for (uint32_t v = 0; v < count; ++v, data += plan.vertexBytes) {
        for (uint32_t k = 0; k < plan.numSteps; ++k) {
            const gxAttrStep& st = plan.steps[k];
            if (st.input == GX_DIRECT)
                continue;
            // NBT3 carries three indices; the first (normal) is the one read.
            const uint8_t* field = data + st.streamOffset;
            const uint32_t index = st.input == GX_INDEX8 ? field[0] : ps::LoadU16BE(field);
            if (index >= st.indices) {
                err->vertex = v;
                err->attr = st.attr;
                err->index = index;
                err->limit = st.limit;
                return gxDecodeStatus::kIndexOutOfRange;
            }
        }
    }
    return gxDecodeStatus::kOk;
}

gxVertex gxDefaultVertex(const gxVertexPlan& plan)
{
    gxVertex v{};
    v.pnMtx = plan.pnMtx;
    for (int i = 0; i < kGxNumTexCoords; ++i)
        v.texMtx[i] = plan.texMtx[i];
    return v;
}

const uint8_t* gxIndexedElement(const gxAttrStep& step, uint32_t index)
{
    const uint64_t offset = static_cast<uint64_t>(index) * step.stride;
    if (offset + step.elemBytes > step.limit)
        return nullptr;
    return step.base + offset;
}

namespace {

inline void DecodeElement(const gxAttrStep& st, const uint8_t* src, gxVertex& v)
{
    const uint8_t attr = st.attr;
    if (attr == GX_VA_POS) {
        ReadComps(src, st.type, st.scale, st.comps, v.pos);
        if (st.comps == 2)
            v.pos[2] = 0.0f;
    } else if (attr == GX_VA_NRM) {
        // Of an NBT group only the normal is kept; binormal and tangent
        // follow it in memory and have no consumer.
        ReadComps(src, st.type, st.scale, 3, v.nrm);
    } else if (attr >= GX_VA_TEX0) {
        float* t = v.tex[attr - GX_VA_TEX0];
        ReadComps(src, st.type, st.scale, st.comps, t);
        if (st.comps == 1)
            t[1] = 0.0f;
    } else if (attr == GX_VA_CLR0 || attr == GX_VA_CLR1) {
        gxDecodeColor(st.type, src, v.clr[attr - GX_VA_CLR0]);
    } else if (attr == GX_VA_PNMTXIDX) {
        v.pnMtx = src[0] & 63;
    } else {
        v.texMtx[attr - GX_VA_TEX0MTXIDX] = src[0] & 63;
    }
}

}  // namespace

void gxDecodeElement(const gxAttrStep& st, const uint8_t* src, gxVertex& v) { DecodeElement(st, src, v); }

namespace {

// The step kernels over vertices first..first+count-1, one attribute at a
// time: a bad index stops the later attributes at that vertex, so the first
// bad one in stream order is kept in *bad. Returns the vertices decoded.
uint32_t StepVertices(const gxVertexPlan& plan, const uint8_t* data, uint32_t first, uint32_t count, uint8_t* packed,
                      const gxAttrStep** bad)
{
    const uint8_t* field = data + static_cast<size_t>(first) * plan.vertexBytes;
    uint8_t* out = packed + static_cast<size_t>(first) * plan.layout.stride;
    uint32_t good = count;
    for (uint32_t s = 0; s < plan.numSteps; ++s) {
        const gxAttrStep& st = plan.steps[s];
        const uint32_t n = st.kernel(st, field + st.streamOffset, good, plan.vertexBytes, out, plan.layout.stride);
        if (n < good) {
            good = n;
            *bad = &st;
        }
    }
    return good;
}

}  // namespace

gxDecodeStatus gxDecodeVertices(const gxVertexPlan& plan, const uint8_t* data, size_t bytes, uint32_t count,
                                gxVertexData& out, size_t* used, gxDecodeError* err)
{
    // Whole vertices present; the rest is reported as truncated after them.
    const uint32_t whole = plan.vertexBytes ? static_cast<uint32_t>(std::min<size_t>(count, bytes / plan.vertexBytes))
                                            : count;
    const gxVertexLayout& layout = plan.layout;
    out.Reshape(layout, whole);
    uint8_t* packed = out.MutableBytes();
    if (layout.mtx != gxVertexLayout::kAbsent) {
        // The rows of the matrices a vertex does not name, and the padding.
        uint8_t rows[12] = {layout.pnMtx};
        std::memcpy(rows + 1, layout.texMtx, sizeof(layout.texMtx));
        for (uint32_t n = 0; n < whole; ++n)
            std::memcpy(packed + static_cast<size_t>(n) * layout.stride + layout.mtx, rows, sizeof(rows));
    }
    // The whole-vertex decoder, when the format has one, stops only at an
    // index past its array; the step kernels take the rest from there and
    // find the first bad index in stream order.
    const uint32_t done = plan.wholeKernel ? plan.wholeKernel(plan, data, whole, bytes, packed) : 0;
    uint32_t good = whole;
    const gxAttrStep* bad = nullptr;
    if (done < whole)
        good = done + StepVertices(plan, data, done, whole - done, packed, &bad);
    if (bad) {
        out.Truncate(good);
        *used = static_cast<size_t>(good) * plan.vertexBytes;
        const uint8_t* field = data + *used + bad->streamOffset;
        err->vertex = good;
        err->attr = bad->attr;
        // NBT3 carries three indices; the first (normal) is the one read.
        err->index = (bad->input == GX_INDEX8) ? field[0] : ps::LoadU16BE(field);
        err->limit = bad->limit;
        return gxDecodeStatus::kIndexOutOfRange;
    }
    *used = static_cast<size_t>(whole) * plan.vertexBytes;
    if (whole < count) {
        err->vertex = whole;
        return gxDecodeStatus::kTruncated;
    }
    return gxDecodeStatus::kOk;
}
