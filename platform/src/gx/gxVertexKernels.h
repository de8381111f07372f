// The vertex step kernels, compiled twice by gxVertex.cpp: for the baseline
// instruction set, and (QM_VERTEX_PSHUFB set, inside a target region) for
// processors with AVX2, whose byte shuffles turn big-endian values around in
// one instruction. Included only there, inside a namespace each time.

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
#if defined(QM_VERTEX_PSHUFB)
// Big-endian s16 values in the low 16-bit lanes to floats times scale: each
// value's bytes turned around into the top of a 32-bit lane, then shifted
// down with its sign; the same exact conversion and one rounding multiply
// as Comp.
inline __m128 S16Floats(__m128i be, float scale)
{
    const __m128i top = _mm_setr_epi8(-1, -1, 1, 0, -1, -1, 3, 2, -1, -1, 5, 4, -1, -1, 7, 6);
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_shuffle_epi8(be, top), 16)), _mm_set1_ps(scale));
}

// Big-endian 32-bit lanes turned around.
inline __m128 SwapF32(__m128i be)
{
    return _mm_castsi128_ps(_mm_shuffle_epi8(be, _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12)));
}
#else
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
#endif

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
    uint32_t n = 0;
    if constexpr (kInput != GX_DIRECT) {
        // Two vertices a round: their loads and conversions overlap. A bad
        // index leaves the round to the vertex-by-vertex loop below.
        for (; n + 2 <= count; n += 2, field += 2 * vertexBytes, out += 2 * outStride) {
            const uint32_t i0 = (kInput == GX_INDEX8) ? field[0] : ps::LoadU16BE(field);
            const uint32_t i1 = (kInput == GX_INDEX8) ? field[vertexBytes] : ps::LoadU16BE(field + vertexBytes);
            if (i0 >= indices || i1 >= indices)
                break;
            write(base + static_cast<size_t>(i0) * stride, i0 < wideIndices, out);
            write(base + static_cast<size_t>(i1) * stride, i1 < wideIndices, out + outStride);
        }
    }
    for (; n < count; ++n, field += vertexBytes, out += outStride) {
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

template <uint8_t kInput, uint8_t kType>
uint32_t ColourKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                      uint32_t outStride)
{
    return Run<kInput>(st, field, count, vertexBytes, out, outStride,
                       [](const uint8_t* src, bool, uint8_t* o) { DecodeColour(kType, src, o); });
}

// The colour kernel of one input kind, for the step's colour type.
template <uint8_t kInput>
gxStepKernel ChooseColour(const gxAttrStep& st)
{
    switch (st.type) {
    case GX_RGB565: return &ColourKernel<kInput, GX_RGB565>;
    case GX_RGB8: return &ColourKernel<kInput, GX_RGB8>;
    case GX_RGBX8: return &ColourKernel<kInput, GX_RGBX8>;
    case GX_RGBA4: return &ColourKernel<kInput, GX_RGBA4>;
    case GX_RGBA6: return &ColourKernel<kInput, GX_RGBA6>;
    default: return &ColourKernel<kInput, GX_RGBA8>;
    }
}

uint32_t MtxIdxKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                      uint32_t outStride)
{
    return Run<GX_DIRECT>(st, field, count, vertexBytes, out, outStride,
                          [](const uint8_t* src, bool, uint8_t* o) { o[0] = src[0] & 63; });
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
        return ChooseColour<kInput>(st);
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
