#include "gx/gxVertex.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
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

void gxDecodeColor(uint8_t type, const uint8_t* src, uint8_t rgba[4])
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

namespace {

// The step kernels: DecodeElement's cases with the input kind, component
// type and count fixed at compile time, each looping over the vertices of a
// draw, so no vertex runs a switch or an indirect call.

template <uint8_t kType>
inline float Comp(const uint8_t* p, float scale)
{
    if constexpr (kType == GX_U8)
        return static_cast<float>(p[0]) * scale;
    else if constexpr (kType == GX_S8)
        return static_cast<float>(static_cast<int8_t>(p[0])) * scale;
    else if constexpr (kType == GX_U16)
        return static_cast<float>(ps::LoadU16BE(p)) * scale;
    else if constexpr (kType == GX_S16)
        return static_cast<float>(ps::LoadS16BE(p)) * scale;
    else
        return ps::LoadF32BE(p);
}

template <uint8_t kType, int kComps>
inline void Comps(const uint8_t* p, float scale, float* out)
{
    constexpr int kBytes = kType <= GX_S8 ? 1 : (kType <= GX_S16 ? 2 : 4);
    for (int i = 0; i < kComps; ++i)
        out[i] = Comp<kType>(p + i * kBytes, scale);
}

#if defined(__SSE2__)
// Big-endian 16-bit lanes turned around.
inline __m128i Swap16(__m128i v) { return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)); }

// Big-endian s16 values in the low 16-bit lanes to floats times scale: the
// same exact conversion and one rounding multiply as Comp.
inline __m128 S16Floats(__m128i be, float scale)
{
    const __m128i v = Swap16(be);
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)), _mm_set1_ps(scale));
}

// Big-endian 32-bit lanes turned around.
inline __m128 SwapF32(__m128i be)
{
    const __m128i v = Swap16(be);
    return _mm_castsi128_ps(_mm_shufflehi_epi16(_mm_shufflelo_epi16(v, _MM_SHUFFLE(2, 3, 0, 1)), _MM_SHUFFLE(2, 3, 0, 1)));
}

inline __m128i Load32(const uint8_t* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(v);
}
#endif

// kComps floats (kSlot written, the rest zero) into a packed slot. With
// SSE2, s16 and f32 elements are converted four lanes at a time; three
// components only when `wide`: the 4 bytes after the element may be read and
// 16 bytes stored at the slot.
template <uint8_t kType, int kComps, int kSlot>
inline void Floats(const uint8_t* src, float scale, bool wide, uint8_t* out)
{
#if defined(__SSE2__)
    if constexpr (kType == GX_S16 && kComps == 3 && kSlot == 3) {
        if (wide) {
            _mm_storeu_ps(reinterpret_cast<float*>(out), S16Floats(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), scale));
            return;
        }
    } else if constexpr (kType == GX_S16 && kComps == 2 && kSlot == 2) {
        _mm_storel_pi(reinterpret_cast<__m64*>(out), S16Floats(Load32(src), scale));
        return;
    } else if constexpr (kType == GX_F32 && kComps == 3 && kSlot == 3) {
        if (wide) {
            _mm_storeu_ps(reinterpret_cast<float*>(out), SwapF32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))));
            return;
        }
    } else if constexpr (kType == GX_F32 && kComps == 2 && kSlot == 2) {
        _mm_storel_pi(reinterpret_cast<__m64*>(out), SwapF32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src))));
        return;
    }
#endif
    float f[kSlot] = {};
    Comps<kType, kComps>(src, scale, f);
    std::memcpy(out, f, sizeof(f));
}

// Runs write(src, wide, out) over the vertices: src the element (inline, or
// the indexed array element), wide whether 4 bytes past it are readable and
// the slot takes a 16-byte store. The step's fields are read once, before
// the loop: the stores through out could otherwise alias them.
template <uint8_t kInput, class Write>
inline uint32_t Run(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                    uint32_t outStride, Write write)
{
    out += st.outOffset;
    const uint8_t* const base = st.base;
    const uint32_t stride = st.stride;
    const uint32_t indices = st.indices;
    const uint32_t wideIndices = st.wide ? st.wideIndices : 0;
    for (uint32_t n = 0; n < count; ++n, field += vertexBytes, out += outStride) {
        if constexpr (kInput == GX_DIRECT) {
            write(field, false, out);
        } else {
            const uint32_t index = (kInput == GX_INDEX8) ? field[0] : ps::LoadU16BE(field);
            if (index >= indices)
                return n;
            write(base + static_cast<size_t>(index) * stride, index < wideIndices, out);
        }
    }
    return count;
}

// Positions (z = 0 for two components), normals (of an NBT group only the
// normal, which the group starts with) and coordinates (t = 0 for one).
template <uint8_t kInput, uint8_t kType, int kComps, int kSlot>
uint32_t FloatKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                     uint32_t outStride)
{
    const float scale = st.scale;
    return Run<kInput>(st, field, count, vertexBytes, out, outStride, [scale](const uint8_t* src, bool wide, uint8_t* o) {
        Floats<kType, kComps, kSlot>(src, scale, wide, o);
    });
}

template <uint8_t kInput>
uint32_t ColourKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                      uint32_t outStride)
{
    const uint8_t type = st.type;
    return Run<kInput>(st, field, count, vertexBytes, out, outStride,
                       [type](const uint8_t* src, bool, uint8_t* o) { gxDecodeColor(type, src, o); });
}

uint32_t MtxIdxKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                      uint32_t outStride)
{
    return Run<GX_DIRECT>(st, field, count, vertexBytes, out, outStride,
                          [](const uint8_t* src, bool, uint8_t* o) { o[0] = src[0] & 63; });
}

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

// Position, normal or coordinate kernel of one input kind and type.
template <uint8_t kInput, uint8_t kType>
gxStepKernel ChooseComps(const gxAttrStep& st)
{
    if (st.attr == GX_VA_POS)
        return st.comps == 3 ? &FloatKernel<kInput, kType, 3, 3> : &FloatKernel<kInput, kType, 2, 3>;
    if (st.attr == GX_VA_NRM)
        return &FloatKernel<kInput, kType, 3, 3>;
    return st.comps == 2 ? &FloatKernel<kInput, kType, 2, 2> : &FloatKernel<kInput, kType, 1, 2>;
}

template <uint8_t kInput>
gxStepKernel ChooseType(const gxAttrStep& st)
{
    if (st.attr == GX_VA_CLR0 || st.attr == GX_VA_CLR1)
        return &ColourKernel<kInput>;
    switch (st.type) {
    case GX_U8: return ChooseComps<kInput, GX_U8>(st);
    case GX_S8: return ChooseComps<kInput, GX_S8>(st);
    case GX_U16: return ChooseComps<kInput, GX_U16>(st);
    case GX_S16: return ChooseComps<kInput, GX_S16>(st);
    default: return ChooseComps<kInput, GX_F32>(st);
    }
}

// The kernel of a described step (type and count already checked).
gxStepKernel ChooseKernel(const gxAttrStep& st)
{
    if (IsMtxIdx(st.attr))
        return &MtxIdxKernel;
    switch (st.input) {
    case GX_INDEX8: return ChooseType<GX_INDEX8>(st);
    case GX_INDEX16: return ChooseType<GX_INDEX16>(st);
    default: return ChooseType<GX_DIRECT>(st);
    }
}

// Bytes of an attribute's slot in a packed vertex.
uint16_t SlotBytes(uint8_t attr)
{
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
        if (st.attr == GX_VA_POS)
            l.pos = at;
        else if (st.attr == GX_VA_NRM)
            l.nrm = at;
        else if (st.attr == GX_VA_CLR0 || st.attr == GX_VA_CLR1)
            l.clr[st.attr - GX_VA_CLR0] = at;
        else
            l.tex[st.attr - GX_VA_TEX0] = at;
        at = static_cast<uint16_t>(at + SlotBytes(st.attr));
    }
    l.stride = at;
    for (uint32_t s = 0; s < p.numSteps; ++s)
        p.steps[s].wide = p.steps[s].outOffset + 16u <= l.stride;
}

}  // namespace

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
    *plan = p;
    return true;
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

gxDecodeStatus gxDecodeVertices(const gxVertexPlan& plan, const uint8_t* data, size_t bytes, uint32_t count,
                                gxVertexData& out, size_t* used, gxDecodeError* err)
{
    // Whole vertices present; the rest is reported as truncated after them.
    const uint32_t whole = plan.vertexBytes ? static_cast<uint32_t>(std::min<size_t>(count, bytes / plan.vertexBytes))
                                            : count;
    const gxVertexLayout& layout = plan.layout;
    out = gxVertexData(layout, whole);
    uint8_t* packed = out.MutableBytes();
    if (layout.mtx != gxVertexLayout::kAbsent) {
        // The rows of the matrices a vertex does not name, and the padding.
        uint8_t rows[12] = {layout.pnMtx};
        std::memcpy(rows + 1, layout.texMtx, sizeof(layout.texMtx));
        for (uint32_t n = 0; n < whole; ++n)
            std::memcpy(packed + static_cast<size_t>(n) * layout.stride + layout.mtx, rows, sizeof(rows));
    }
    // One attribute at a time over all vertices; a bad index stops the later
    // attributes at that vertex, so the first bad one in stream order is kept.
    uint32_t good = whole;
    const gxAttrStep* bad = nullptr;
    for (uint32_t s = 0; s < plan.numSteps; ++s) {
        const gxAttrStep& st = plan.steps[s];
        const uint32_t n = st.kernel(st, data + st.streamOffset, good, plan.vertexBytes, packed, layout.stride);
        if (n < good) {
            good = n;
            bad = &st;
        }
    }
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
