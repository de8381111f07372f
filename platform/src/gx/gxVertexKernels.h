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
// Big-endian s16 values in the low 16-bit lanes to floats, each lane times
// its scale: each value's bytes turned around into the top of a 32-bit
// lane, then shifted down with its sign; the same exact conversion and one
// rounding multiply as Comp.
inline __m128 S16Floats(__m128i be, __m128 scales)
{
    const __m128i top = _mm_setr_epi8(-1, -1, 1, 0, -1, -1, 3, 2, -1, -1, 5, 4, -1, -1, 7, 6);
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_shuffle_epi8(be, top), 16)), scales);
}

// Big-endian 32-bit lanes turned around.
inline __m128 SwapF32(__m128i be)
{
    return _mm_castsi128_ps(_mm_shuffle_epi8(be, _mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12)));
}

// Big-endian 16-bit lanes turned around.
inline __m128i Swap16(__m128i v)
{
    return _mm_shuffle_epi8(v, _mm_setr_epi8(1, 0, 3, 2, 5, 4, 7, 6, 9, 8, 11, 10, 13, 12, 15, 14));
}
#else
// Big-endian 16-bit lanes turned around.
inline __m128i Swap16(__m128i v) { return _mm_or_si128(_mm_slli_epi16(v, 8), _mm_srli_epi16(v, 8)); }

// Big-endian s16 values in the low 16-bit lanes to floats, each lane times
// its scale: the same exact conversion and one rounding multiply as Comp.
inline __m128 S16Floats(__m128i be, __m128 scales)
{
    const __m128i v = Swap16(be);
    return _mm_mul_ps(_mm_cvtepi32_ps(_mm_srai_epi32(_mm_unpacklo_epi16(v, v), 16)), scales);
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
            _mm_storeu_ps(reinterpret_cast<float*>(out), S16Floats(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)), _mm_set1_ps(scale)));
            return;
        }
    } else if constexpr (kType == GX_S16 && kComps == 2 && kSlot == 2) {
        _mm_storel_pi(reinterpret_cast<__m64*>(out), S16Floats(Load32(src), _mm_set1_ps(scale)));
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

// Positions and coordinates kept as shorts: the stream's values in native
// order, a position's fourth short zero.
template <uint8_t kInput, int kComps>
uint32_t ShortsKernel(const gxAttrStep& st, const uint8_t* field, uint32_t count, uint32_t vertexBytes, uint8_t* out,
                      uint32_t outStride)
{
    return Run<kInput>(st, field, count, vertexBytes, out, outStride, [](const uint8_t* src, bool, uint8_t* o) {
        int16_t v[kComps == 3 ? 4 : 2] = {};
        for (int i = 0; i < kComps; ++i)
            v[i] = ps::LoadS16BE(src + 2 * i);
        std::memcpy(o, v, sizeof(v));
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
    if (st.shorts)
        return st.attr == GX_VA_POS ? &ShortsKernel<kInput, 3> : &ShortsKernel<kInput, 2>;
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

#if defined(__SSE2__)
// The whole-vertex decoder of the indexed layout most meshes use: a 16-bit
// indexed s16 position, an optional indexed normal (kNrmInput GX_NONE when
// absent) and kTex 16-bit indexed s16 coordinate pairs, in that stream and
// packed order. Positions and normals are read with wide loads (past the
// element) and slots written with stores that spill into the next slot, so
// a vertex whose position or normal leaves no room after its element is
// read from a copy instead; an index past its array ends the run, and the
// step kernels take over there with their exact checks and error reports.
// The position and coordinates are kept as shorts (8 bytes and 4 bytes
// each), the normal as floats.
template <uint8_t kNrmInput, uint8_t kNrmType, int kTex>
struct Mesh {
    static constexpr uint32_t kNrmBytes = kNrmInput == GX_INDEX8 ? 1 : (kNrmInput == GX_INDEX16 ? 2 : 0);
    static constexpr int kFirstTex = kNrmInput == GX_NONE ? 1 : 2;
    static constexpr int kSlots = kFirstTex + kTex;  // indices a vertex carries
    static constexpr uint32_t kTexOut = kNrmInput == GX_NONE ? 8 : 20;
    // Bytes of a stream vertex and of a packed one, fixed by the format.
    static constexpr uint32_t kVertexBytes = 2 + kNrmBytes + 2 * kTex;
    static constexpr uint32_t kOutStride = kTexOut + 4 * kTex;

    // The step fields the loop reads, copied out of the plan: the stores
    // through out could otherwise alias them.
    const uint8_t* base[kSlots];
    uint32_t stride[kSlots];
    uint32_t indices[kSlots];  // indices taken
    uint32_t wideIndices[kSlots];  // those whose element may be read wide (every coordinate's)
    __m128 nrmScales;

    explicit Mesh(const gxVertexPlan& plan)
    {
        for (int k = 0; k < kSlots; ++k) {
            const gxAttrStep& st = plan.steps[k];
            base[k] = st.base;
            stride[k] = st.stride;
            indices[k] = st.indices;
            wideIndices[k] = k < kFirstTex ? st.wideIndices : st.indices;
        }
        nrmScales = _mm_set1_ps(plan.steps[kFirstTex - 1].scale);
    }

    // Where slot k's index starts in a stream vertex.
    static constexpr uint32_t IndexAt(int k)
    {
        return k == 0 ? 0 : (k < kFirstTex ? 2 : 2 + kNrmBytes + 2 * (k - kFirstTex));
    }

    // The byte offsets of one vertex's elements in their arrays, and in
    // *wide whether every element may be read wide; false when an index is
    // not taken.
    bool Offsets(const uint8_t* field, uint32_t* off, bool* wide) const
    {
        *wide = true;
#pragma GCC unroll 8
        for (int k = 0; k < kSlots; ++k) {
            uint32_t index;
            if (k == 1 && kNrmInput == GX_INDEX8)
                index = field[2];
            else
                index = ps::LoadU16BE(field + IndexAt(k));
            if (index >= indices[k])
                return false;
            *wide = *wide && index < wideIndices[k];
            off[k] = index * stride[k];
        }
        return true;
    }

    __m128i Tex(int k, const uint32_t* off) const { return Load32(base[kFirstTex + k] + off[kFirstTex + k]); }

    // Big-endian x y z - | s0 t0 s1 t1 to native order, the position's
    // fourth short cleared.
    static __m128i PosTexShorts(__m128i v)
    {
#if defined(QM_VERTEX_PSHUFB)
        return _mm_shuffle_epi8(v, _mm_setr_epi8(1, 0, 3, 2, 5, 4, -1, -1, 9, 8, 11, 10, 13, 12, 15, 14));
#else
        return _mm_and_si128(Swap16(v), _mm_setr_epi16(-1, -1, -1, 0, -1, -1, -1, -1));
#endif
    }

    // The low 4, 8 or 16 bytes of v at out.
    template <int kBytes>
    static void StoreLow(__m128i v, uint8_t* out)
    {
        if constexpr (kBytes == 4) {
            const int32_t w = _mm_cvtsi128_si32(v);
            std::memcpy(out, &w, 4);
        } else if constexpr (kBytes == 8) {
            _mm_storel_epi64(reinterpret_cast<__m128i*>(out), v);
        } else {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out), v);
        }
    }

    // One vertex from its element offsets into its packed slots: the
    // position and the first two coordinates turned around in one
    // register, the normal (when present) stored whole before the
    // coordinates overwrite the 4 bytes it spills into their slots. Not
    // kWide, the position and normal are read from copies of their
    // elements alone.
    template <bool kWide>
    void Vertex(const uint32_t* off, uint8_t* out) const
    {
        const __m128i p = kWide ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(base[0] + off[0]))
                                : LoadExact<6>(base[0] + off[0]);
        __m128i t01 = Tex(0, off);
        if constexpr (kTex >= 2)
            t01 = _mm_unpacklo_epi32(t01, Tex(1, off));
        const __m128i pt = PosTexShorts(_mm_unpacklo_epi64(p, t01));
        if constexpr (kNrmInput != GX_NONE)
            _mm_storeu_ps(reinterpret_cast<float*>(out + 8), Normal<kWide>(off));
        if constexpr (kNrmInput == GX_NONE && kTex >= 2) {
            StoreLow<16>(pt, out);
        } else {
            StoreLow<8>(pt, out);
            if constexpr (kTex == 1)
                StoreLow<4>(_mm_unpackhi_epi64(pt, pt), out + kTexOut);
            else
                _mm_storeh_pi(reinterpret_cast<__m64*>(out + kTexOut), _mm_castsi128_ps(pt));
        }
        if constexpr (kTex >= 3) {
            __m128i t23 = Tex(2, off);
            if constexpr (kTex >= 4)
                t23 = _mm_unpacklo_epi32(t23, Tex(3, off));
            StoreLow<kTex == 3 ? 4 : 8>(Swap16(t23), out + kTexOut + 8);
        }
    }

    template <bool kWide>
    __m128 Normal(const uint32_t* off) const
    {
        const uint8_t* src = base[1] + off[1];
        if constexpr (kNrmType == GX_F32)
            return SwapF32(kWide ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)) : LoadExact<12>(src));
        else
            return S16Floats(kWide ? _mm_loadl_epi64(reinterpret_cast<const __m128i*>(src)) : LoadExact<6>(src),
                             nrmScales);
    }

    // The n bytes at src alone, the rest of the register zero.
    template <size_t kBytes>
    static __m128i LoadExact(const uint8_t* src)
    {
        alignas(16) uint8_t b[16] = {};
        std::memcpy(b, src, kBytes);
        return _mm_load_si128(reinterpret_cast<const __m128i*>(b));
    }

    // Vertex by vertex; returns those decoded.
    uint32_t Run(const uint8_t* data, uint32_t count, uint8_t* out) const
    {
        uint32_t off[kSlots];
        bool wide;
        for (uint32_t n = 0; n < count; ++n, data += kVertexBytes, out += kOutStride) {
            if (!Offsets(data, off, &wide))
                return n;
            if (wide)
                Vertex<true>(off, out);
            else
                Vertex<false>(off, out);
        }
        return count;
    }

#if defined(QM_VERTEX_PSHUFB)
    static constexpr uint32_t kGroup = 8;  // vertices whose offsets are worked out together

    // The byte shuffle that turns one vertex's (up to four) big-endian
    // indices into 32-bit lanes; lanes past the indices get 0.
    struct IndexShuffle {
        alignas(32) int8_t m[32] = {};
        constexpr IndexShuffle()
        {
            for (int lane = 0; lane < 8; ++lane) {
                const int k = lane & 3;
                int8_t* b = m + 4 * lane;
                b[0] = b[1] = b[2] = b[3] = -1;
                if (k >= kSlots)
                    continue;
                const int at = static_cast<int>(IndexAt(k));
                if (k == 1 && kNrmInput == GX_INDEX8) {
                    b[0] = static_cast<int8_t>(at);
                } else {
                    b[0] = static_cast<int8_t>(at + 1);
                    b[1] = static_cast<int8_t>(at);
                }
            }
        }
    };
    static constexpr IndexShuffle kShuffle{};

    // Lanes of four slots, twice (two vertices a register); the unused
    // slots hold `unused`.
    __m256i Lanes(const uint32_t* v, uint32_t unused) const
    {
        uint32_t l[4];
        for (int k = 0; k < 4; ++k)
            l[k] = k < kSlots ? v[k] : unused;
        return _mm256_setr_epi32(l[0], l[1], l[2], l[3], l[0], l[1], l[2], l[3]);
    }

    // What GroupOffsets found of a group's indices.
    enum GroupKind : uint8_t {
        kNotTaken,  // an index reaches past its array
        kTaken,     // all taken, a position or normal without room to be read wide
        kWide,      // all taken and read wide
    };

    // The limits of both kinds of a group's checks, two vertices a register.
    struct GroupLimits {
        __m256i shuffle, strides, taken, wide;
    };

    GroupLimits Limits() const
    {
        // An unused slot's index 0 is taken.
        return {_mm256_load_si256(reinterpret_cast<const __m256i*>(kShuffle.m)), Lanes(stride, 0), Lanes(indices, 1),
                Lanes(wideIndices, 1)};
    }

    // The indices of vertices v and v + 1 of a group at src, in lanes; those
    // of vertices from nv on read 0, which every array takes.
    static __m256i PairIndices(const uint8_t* src, uint32_t v, uint32_t nv, const GroupLimits& lim)
    {
        src += v * kVertexBytes;
        const __m256i bytes = _mm256_inserti128_si256(
            _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))),
            _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + kVertexBytes)), 1);
        const __m256i idx = _mm256_shuffle_epi8(bytes, lim.shuffle);
        if (nv >= kGroup)
            return idx;
        const int32_t a = v < nv ? -1 : 0, b = v + 1 < nv ? -1 : 0;
        return _mm256_and_si256(idx, _mm256_setr_epi32(a, a, a, a, b, b, b, b));
    }

    // The element offsets of kGroup vertices from src (whose 16-byte loads
    // all lie in readable bytes), four lanes at a time: the indices taken
    // out of the stream, checked and multiplied by the strides. The check
    // is against the wide limits, which are never above the others; only a
    // group that fails it is checked again against the others.
    GroupKind GroupOffsets(const uint8_t* src, const GroupLimits& lim, uint32_t (*off)[4], uint32_t nv = kGroup) const
    {
        __m256i wide = _mm256_set1_epi32(-1);
#pragma GCC unroll 4
        for (uint32_t v = 0; v < kGroup; v += 2) {
            const __m256i idx = PairIndices(src, v, nv, lim);
            // Indices and limits are at most 65,536: a signed compare holds.
            wide = _mm256_and_si256(wide, _mm256_cmpgt_epi32(lim.wide, idx));
            _mm256_store_si256(reinterpret_cast<__m256i*>(off[v]), _mm256_mullo_epi32(idx, lim.strides));
        }
        if (_mm256_movemask_epi8(wide) == -1)
            return kWide;
        __m256i taken = _mm256_set1_epi32(-1);
        for (uint32_t v = 0; v < kGroup; v += 2)
            taken = _mm256_and_si256(taken, _mm256_cmpgt_epi32(lim.taken, PairIndices(src, v, nv, lim)));
        return _mm256_movemask_epi8(taken) == -1 ? kTaken : kNotTaken;
    }

    // Groups of kGroup vertices, each group's offsets worked out while the
    // group before it is decoded (so no vertex waits for its own offsets);
    // a group with an index not taken goes vertex by vertex. A group's
    // loads reach 16 bytes past its last vertex's start: where that passes
    // the readable bytes (at a list's end), the group is read from a copy
    // padded with zeros.
    uint32_t RunGroups(const uint8_t* data, uint32_t count, size_t readable, uint8_t* out) const
    {
        if (kSlots > 4)
            return Run(data, count, out);
        const GroupLimits lim = Limits();
        constexpr uint32_t kReach = (kGroup - 1) * kVertexBytes + 16;
        constexpr uint32_t groupBytes = kGroup * kVertexBytes, groupOut = kGroup * kOutStride;
        // Whole groups whose loads stay within the readable bytes.
        const uint32_t groups = readable < kReach ? 0
                                                  : static_cast<uint32_t>(std::min<size_t>(
                                                        count / kGroup, (readable - kReach) / groupBytes + 1));
        alignas(32) uint32_t off[2][kGroup][4];
        GroupKind kind[2] = {groups > 0 ? GroupOffsets(data, lim, off[0]) : kNotTaken, kNotTaken};
        for (uint32_t g = 0; g < groups; ++g) {
            if (g + 1 < groups)
                kind[(g + 1) & 1] = GroupOffsets(data + (g + 1) * groupBytes, lim, off[(g + 1) & 1]);
            const uint32_t done = Group(kind[g & 1], off[g & 1], data + g * groupBytes, kGroup, out + g * groupOut);
            if (done < kGroup)
                return g * kGroup + done;
        }
        uint32_t n = groups * kGroup;
        uint8_t padded[kGroup * kVertexBytes + 16];
        while (n < count) {
            const uint32_t nv = std::min(kGroup, count - n);
            const uint8_t* src = data + n * kVertexBytes;
            if (static_cast<size_t>(n) * kVertexBytes + kReach > readable) {
                std::memset(padded, 0, sizeof(padded));
                std::memcpy(padded, src, nv * kVertexBytes);
                src = padded;
            }
            const uint32_t done = Group(GroupOffsets(src, lim, off[0], nv), off[0], src, nv, out + n * kOutStride);
            if (done < nv)
                return n + done;
            n += nv;
        }
        return count;
    }

    // The first nv vertices of a group at src; returns those decoded.
    uint32_t Group(GroupKind kind, const uint32_t (*off)[4], const uint8_t* src, uint32_t nv, uint8_t* out) const
    {
        if (kind == kNotTaken)
            return Run(src, nv, out);
        if (kind == kWide && nv == kGroup) {
#pragma GCC unroll 8
            for (uint32_t v = 0; v < kGroup; ++v)
                Vertex<true>(off[v], out + v * kOutStride);
        } else if (kind == kWide) {
            for (uint32_t v = 0; v < nv; ++v)
                Vertex<true>(off[v], out + v * kOutStride);
        } else {
            for (uint32_t v = 0; v < nv; ++v)
                Vertex<false>(off[v], out + v * kOutStride);
        }
        return nv;
    }
#else
    uint32_t RunGroups(const uint8_t* data, uint32_t count, size_t, uint8_t* out) const { return Run(data, count, out); }
#endif
};

template <uint8_t kNrmInput, uint8_t kNrmType, int kTex>
uint32_t IndexedMeshKernel(const gxVertexPlan& plan, const uint8_t* data, uint32_t count, size_t readable, uint8_t* out)
{
    return Mesh<kNrmInput, kNrmType, kTex>(plan).RunGroups(data, count, readable, out);
}
#endif

#if defined(__SSE2__)
// The kernel of kTex coordinates, when the plan's vertices have the sizes
// the kernel is built for (they follow from the steps; checked all the same).
template <uint8_t kNrmInput, uint8_t kNrmType, int kTex>
gxVertexKernel MeshKernelIfSized(const gxVertexPlan& plan)
{
    using M = Mesh<kNrmInput, kNrmType, kTex>;
    if (plan.vertexBytes != M::kVertexBytes || plan.layout.stride != M::kOutStride)
        return nullptr;
    return &IndexedMeshKernel<kNrmInput, kNrmType, kTex>;
}

template <uint8_t kNrmInput, uint8_t kNrmType>
gxVertexKernel ChooseMeshTex(const gxVertexPlan& plan, uint32_t texCount)
{
    switch (texCount) {
    case 1: return MeshKernelIfSized<kNrmInput, kNrmType, 1>(plan);
    case 2: return MeshKernelIfSized<kNrmInput, kNrmType, 2>(plan);
    case 3: return MeshKernelIfSized<kNrmInput, kNrmType, 3>(plan);
    case 4: return MeshKernelIfSized<kNrmInput, kNrmType, 4>(plan);
    default: return nullptr;
    }
}

// The whole-vertex decoder of a plan in the indexed mesh layout, or null.
gxVertexKernel ChooseMeshKernel(const gxVertexPlan& plan)
{
    const gxAttrStep* st = plan.steps;
    const gxAttrStep* const end = plan.steps + plan.numSteps;
    // Arrays with no element it may read wide (unknown bounds) would leave
    // every vertex to the step kernels: no whole-vertex decoder then.
    if (st == end || st->attr != GX_VA_POS || st->input != GX_INDEX16 || st->type != GX_S16 || st->comps != 3 ||
        st->wideIndices == 0)
        return nullptr;
    ++st;
    uint8_t nrmInput = GX_NONE, nrmType = GX_F32;
    if (st != end && st->attr == GX_VA_NRM) {
        if (st->input == GX_DIRECT || st->comps != 3 || (st->type != GX_F32 && st->type != GX_S16) ||
            st->wideIndices == 0)
            return nullptr;
        nrmInput = st->input;
        nrmType = st->type;
        ++st;
    }
    const uint32_t texCount = static_cast<uint32_t>(end - st);
    for (; st != end; ++st)
        if (st->attr < GX_VA_TEX0 || st->input != GX_INDEX16 || st->type != GX_S16 || st->comps != 2 ||
            st->indices == 0)
            return nullptr;
    if (nrmInput == GX_NONE)
        return ChooseMeshTex<GX_NONE, GX_F32>(plan, texCount);
    if (nrmInput == GX_INDEX8)
        return nrmType == GX_F32 ? ChooseMeshTex<GX_INDEX8, GX_F32>(plan, texCount)
                                 : ChooseMeshTex<GX_INDEX8, GX_S16>(plan, texCount);
    return nrmType == GX_F32 ? ChooseMeshTex<GX_INDEX16, GX_F32>(plan, texCount)
                             : ChooseMeshTex<GX_INDEX16, GX_S16>(plan, texCount);
}
#else
gxVertexKernel ChooseMeshKernel(const gxVertexPlan&) { return nullptr; }
#endif
