// The compressed format: 8x8 tiles of four 4x4 sub-blocks, each two RGB565
// end colours and 2-bit indices. Close to the PC's first block-compression
// format, but its interpolated colours differ (see SubBlockColours).
#include "gx/tex/gxTexDecode_local.h"

#include <bit>
#include <cstring>
#include <initializer_list>

#if defined(__x86_64__) || defined(__i386__)
// GCC 12.2's AVX-512 intrinsics start many results from a deliberately
// undefined vector, which it then reports as used uninitialised wherever
// they are inlined (fixed in later releases); the report points into the
// header, so it is silenced for the header's lines only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#if !defined(__clang__)  // clang has no such warning group and warns of the name
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif

#include "platform/ps.h"

namespace gxtex::detail {

// A texel as one word whose memory bytes are R, G, B, A. Built in registers
// and stored whole: byte-wise stores read back as words stall the CPU.
static uint32_t Pack(uint32_t r, uint32_t g, uint32_t b, uint32_t a)
{
    if constexpr (std::endian::native == std::endian::little)
        return r | (g << 8) | (b << 16) | (a << 24);
    else
        return (r << 24) | (g << 16) | (b << 8) | a;
}

// The four colours a sub-block's indices select.
static void SubBlockColours(uint16_t raw0, uint16_t raw1, uint32_t colours[4])
{
    const uint32_t r0 = Expand5(raw0 >> 11), g0 = Expand6((raw0 >> 5) & 0x3F), b0 = Expand5(raw0 & 0x1F);
    const uint32_t r1 = Expand5(raw1 >> 11), g1 = Expand6((raw1 >> 5) & 0x3F), b1 = Expand5(raw1 & 0x1F);
    colours[0] = Pack(r0, g0, b0, 0xFF);
    colours[1] = Pack(r1, g1, b1, 0xFF);
    if (raw0 > raw1) {
        // The console weights the in-between colours 5/8 and 3/8, not the
        // PC format's thirds.
        colours[2] = Pack((5 * r0 + 3 * r1) >> 3, (5 * g0 + 3 * g1) >> 3, (5 * b0 + 3 * b1) >> 3, 0xFF);
        colours[3] = Pack((3 * r0 + 5 * r1) >> 3, (3 * g0 + 5 * g1) >> 3, (3 * b0 + 5 * b1) >> 3, 0xFF);
    } else {
        // Three-colour mode (colour 0 <= colour 1, so also when they are equal).
        // The transparent entry keeps the average colour, where the PC format
        // gives transparent black.
        const uint32_t r = (r0 + r1) >> 1, g = (g0 + g1) >> 1, b = (b0 + b1) >> 1;
        colours[2] = Pack(r, g, b, 0xFF);
        colours[3] = Pack(r, g, b, 0x00);
    }
}

// Sub-block of 8 bytes into 4x4 texels at out, rows `stride` bytes apart.
static void DecodeSubBlock(const uint8_t* src, uint8_t* out, size_t stride)
{
    uint32_t colours[4];
    SubBlockColours(ps::LoadU16BE(src), ps::LoadU16BE(src + 2), colours);
    for (uint32_t row = 0; row < 4; ++row) {
        const uint8_t bits = src[4 + row];
        uint8_t* dst = out + row * stride;
        // The leftmost texel takes the top two bits.
        std::memcpy(dst, &colours[(bits >> 6) & 3], 4);
        std::memcpy(dst + 4, &colours[(bits >> 4) & 3], 4);
        std::memcpy(dst + 8, &colours[(bits >> 2) & 3], 4);
        std::memcpy(dst + 12, &colours[bits & 3], 4);
    }
}

// Sub-blocks: top-left, top-right, bottom-left, bottom-right.
static void DecodeTile(const uint8_t* src, uint8_t* out, size_t stride)
{
    DecodeSubBlock(src, out, stride);
    DecodeSubBlock(src + 8, out + 16, stride);
    DecodeSubBlock(src + 16, out + 4 * stride, stride);
    DecodeSubBlock(src + 24, out + 4 * stride + 16, stride);
}

// Decodes `tiles` tiles stored one after another into the level left to
// right from out, rows `stride` bytes apart.
using TileDecoder = void (*)(const uint8_t* src, uint32_t tiles, uint8_t* out, size_t stride);

static void DecodeTiles(const uint8_t* src, uint32_t tiles, uint8_t* out, size_t stride)
{
    for (uint32_t t = 0; t < tiles; ++t)
        DecodeTile(src + 32 * t, out + 32 * t, stride);
}

#if defined(__x86_64__) || defined(__i386__)

// For each byte of a sub-block row's four 2-bit indices, the byte shuffle
// that picks those texels' colours out of the sub-block's 16-byte palette.
struct RowShuffles {
    alignas(16) uint8_t mask[256][16] = {};
    constexpr RowShuffles()
    {
        for (uint32_t bits = 0; bits < 256; ++bits)
            for (uint32_t texel = 0; texel < 4; ++texel)
                for (uint32_t byte = 0; byte < 4; ++byte)
                    mask[bits][4 * texel + byte] = static_cast<uint8_t>(4 * ((bits >> (6 - 2 * texel)) & 3) + byte);
    }
};
static constexpr RowShuffles s_rowShuffles{};

// n-bit channel (in 16-bit lanes) widened to 8 bits by bit replication.
template <int kBits>
__attribute__((target("ssse3"))) static inline __m128i Widen(__m128i v)
{
    return _mm_or_si128(_mm_slli_epi16(v, 8 - kBits), _mm_srli_epi16(v, 2 * kBits - 8));
}

// RGBA words of four sub-blocks' colour k from its channels (32-bit lanes).
__attribute__((target("ssse3"))) static inline __m128i PackLanes(__m128i r, __m128i g, __m128i b, __m128i a)
{
    return _mm_or_si128(_mm_or_si128(r, _mm_slli_epi32(g, 8)), _mm_or_si128(_mm_slli_epi32(b, 16), _mm_slli_epi32(a, 24)));
}

// The four sub-blocks' 16-byte palettes (colours 0..3 as RGBA words), worked
// out side by side, one sub-block per 32-bit lane, with the same integer
// arithmetic as SubBlockColours.
__attribute__((target("ssse3"), always_inline)) static inline void TilePalettes(const uint8_t* src, __m128i palettes[4])
{
    const __m128i lo = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
    const __m128i hi = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
    // The end-colour words of sub-blocks 0..3, then their big-endian halves
    // turned around: 16-bit lane 2k is colour 0 of sub-block k, 2k+1 colour 1.
    const __m128i words = _mm_unpacklo_epi64(_mm_shuffle_epi32(lo, _MM_SHUFFLE(3, 1, 2, 0)),
                                             _mm_shuffle_epi32(hi, _MM_SHUFFLE(3, 1, 2, 0)));
    const __m128i raw = _mm_or_si128(_mm_slli_epi16(words, 8), _mm_srli_epi16(words, 8));
    const __m128i r = Widen<5>(_mm_srli_epi16(raw, 11));
    const __m128i g = Widen<6>(_mm_and_si128(_mm_srli_epi16(raw, 5), _mm_set1_epi16(0x3F)));
    const __m128i b = Widen<5>(_mm_and_si128(raw, _mm_set1_epi16(0x1F)));
    const __m128i low16 = _mm_set1_epi32(0xFFFF);
    const __m128i ff = _mm_set1_epi32(0xFF);
    // raw0 > raw1: the four-colour mode (both are below 2^16, so a signed compare holds).
    const __m128i four = _mm_cmpgt_epi32(_mm_and_si128(raw, low16), _mm_srli_epi32(raw, 16));
    __m128i c[3][4];  // channel, colour
    const __m128i channels[3] = {r, g, b};
    for (int ch = 0; ch < 3; ++ch) {
        const __m128i x0 = _mm_and_si128(channels[ch], low16);
        const __m128i x1 = _mm_srli_epi32(channels[ch], 16);
        const __m128i x0x5 = _mm_add_epi32(_mm_slli_epi32(x0, 2), x0), x0x3 = _mm_add_epi32(_mm_slli_epi32(x0, 1), x0);
        const __m128i x1x5 = _mm_add_epi32(_mm_slli_epi32(x1, 2), x1), x1x3 = _mm_add_epi32(_mm_slli_epi32(x1, 1), x1);
        const __m128i mid = _mm_srli_epi32(_mm_add_epi32(x0, x1), 1);
        const __m128i c2 = _mm_srli_epi32(_mm_add_epi32(x0x5, x1x3), 3);
        const __m128i c3 = _mm_srli_epi32(_mm_add_epi32(x0x3, x1x5), 3);
        c[ch][0] = x0;
        c[ch][1] = x1;
        c[ch][2] = _mm_or_si128(_mm_and_si128(four, c2), _mm_andnot_si128(four, mid));
        c[ch][3] = _mm_or_si128(_mm_and_si128(four, c3), _mm_andnot_si128(four, mid));
    }
    const __m128i p0 = PackLanes(c[0][0], c[1][0], c[2][0], ff);
    const __m128i p1 = PackLanes(c[0][1], c[1][1], c[2][1], ff);
    const __m128i p2 = PackLanes(c[0][2], c[1][2], c[2][2], ff);
    const __m128i p3 = PackLanes(c[0][3], c[1][3], c[2][3], _mm_and_si128(four, ff));
    // Transposed: one 16-byte palette (colours 0..3) per sub-block.
    const __m128i t0 = _mm_unpacklo_epi32(p0, p1), t1 = _mm_unpacklo_epi32(p2, p3);
    const __m128i t2 = _mm_unpackhi_epi32(p0, p1), t3 = _mm_unpackhi_epi32(p2, p3);
    palettes[0] = _mm_unpacklo_epi64(t0, t1);
    palettes[1] = _mm_unpackhi_epi64(t0, t1);
    palettes[2] = _mm_unpacklo_epi64(t2, t3);
    palettes[3] = _mm_unpackhi_epi64(t2, t3);
}

__attribute__((target("ssse3"), always_inline)) static inline __m128i RowShuffle(uint8_t bits)
{
    return _mm_load_si128(reinterpret_cast<const __m128i*>(s_rowShuffles.mask[bits]));
}

// DecodeTile with the palettes from TilePalettes and each row of four
// texels picked by one byte shuffle.
__attribute__((target("ssse3"))) static void DecodeTileSsse3(const uint8_t* src, uint8_t* out, size_t stride)
{
    __m128i palettes[4];
    TilePalettes(src, palettes);
    // Sub-blocks: top-left, top-right, bottom-left, bottom-right.
    for (int row = 0; row < 4; ++row) {
        uint8_t* top = out + row * stride;
        uint8_t* bottom = top + 4 * stride;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(top), _mm_shuffle_epi8(palettes[0], RowShuffle(src[4 + row])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(top + 16), _mm_shuffle_epi8(palettes[1], RowShuffle(src[12 + row])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom), _mm_shuffle_epi8(palettes[2], RowShuffle(src[20 + row])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bottom + 16), _mm_shuffle_epi8(palettes[3], RowShuffle(src[28 + row])));
    }
}

// The palettes of two sub-blocks, one per 128-bit half, from `pair`: the
// 16 bytes of both sub-blocks in each half. Worked in 16-bit lanes holding
// R, G, B, A of colour 0 then colour 1, with the integer arithmetic of
// SubBlockColours.
__attribute__((target("avx2"), always_inline)) static inline __m256i PairPalettes(__m256i pair)
{
    // Each half takes its own sub-block's end colours (bytes 0-3 of the lower
    // half's sub-block, 8-11 of the upper's), each big-endian word spread
    // over four lanes.
    const __m256i spread = _mm256_setr_epi8(1, 0, 1, 0, 1, 0, 1, 0, 3, 2, 3, 2, 3, 2, 3, 2,  //
                                            9, 8, 9, 8, 9, 8, 9, 8, 11, 10, 11, 10, 11, 10, 11, 10);
    const __m256i raw = _mm256_shuffle_epi8(pair, spread);
    const __m256i swap = _mm256_shuffle_epi32(raw, _MM_SHUFFLE(1, 0, 3, 2));
    // Colour 0 > colour 1 (unsigned): the four-colour mode, over the whole half.
    const __m256i bias = _mm256_set1_epi16(static_cast<short>(0x8000));
    const __m256i greater = _mm256_cmpgt_epi16(_mm256_xor_si256(raw, bias), _mm256_xor_si256(swap, bias));
    const __m256i four = _mm256_shuffle_epi32(greater, _MM_SHUFFLE(1, 0, 1, 0));
    // Channels widened by bit replication: each field moved to the top of
    // its lane (blue by the low multiply), then the high multiply by
    // 2^-8 + 2^-13 (5 bits) or 2^-3 + 2^-9 (green's 6) is (v << 3) | (v >> 2)
    // or (v << 2) | (v >> 4); alpha 255.
    const __m256i fields = _mm256_and_si256(
        raw, _mm256_setr_epi16(static_cast<short>(0xF800), 0x07E0, 0x001F, 0, static_cast<short>(0xF800), 0x07E0, 0x001F, 0,
                               static_cast<short>(0xF800), 0x07E0, 0x001F, 0, static_cast<short>(0xF800), 0x07E0, 0x001F, 0));
    const __m256i top = _mm256_mullo_epi16(fields, _mm256_setr_epi16(1, 1, 2048, 0, 1, 1, 2048, 0, 1, 1, 2048, 0, 1, 1, 2048, 0));
    const __m256i alpha = _mm256_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255);
    const __m256i ends = _mm256_or_si256(
        _mm256_mulhi_epu16(top, _mm256_setr_epi16(0x108, 0x2080, 0x108, 0, 0x108, 0x2080, 0x108, 0, 0x108, 0x2080, 0x108, 0,
                                                  0x108, 0x2080, 0x108, 0)),
        alpha);
    const __m256i other = _mm256_shuffle_epi32(ends, _MM_SHUFFLE(1, 0, 3, 2));
    // Colours 2 and 3: (5a + 3b) >> 3 with a, b = 0, 1 and then 1, 0; or
    // both the average, the second one transparent.
    const __m256i weighted = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(ends, _mm256_set1_epi16(5)), _mm256_mullo_epi16(other, _mm256_set1_epi16(3))), 3);
    const __m256i average = _mm256_srli_epi16(_mm256_add_epi16(ends, other), 1);
    const __m256i keep = _mm256_setr_epi16(-1, -1, -1, -1, -1, -1, -1, 0, -1, -1, -1, -1, -1, -1, -1, 0);
    const __m256i mixed = _mm256_and_si256(_mm256_blendv_epi8(average, weighted, four), _mm256_or_si256(four, keep));
    return _mm256_packus_epi16(ends, mixed);
}

__attribute__((target("avx2"), always_inline)) static inline __m256i RowShuffles(uint8_t left, uint8_t right)
{
    return _mm256_inserti128_si256(_mm256_castsi128_si256(RowShuffle(left)), RowShuffle(right), 1);
}

// DecodeTiles with a whole tile row (both sub-blocks side by side, each
// 128-bit half shuffling its own palette) in one 32-byte store.
__attribute__((target("avx2"))) static void DecodeTilesAvx2(const uint8_t* src, uint32_t tiles, uint8_t* out, size_t stride)
{
    for (uint32_t t = 0; t < tiles; ++t, src += 32, out += 32) {
        const __m256i top = PairPalettes(_mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src))));
        const __m256i bottom =
            PairPalettes(_mm256_broadcastsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16))));
        for (int row = 0; row < 4; ++row) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + row * stride),
                                _mm256_shuffle_epi8(top, RowShuffles(src[4 + row], src[12 + row])));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + (4 + row) * stride),
                                _mm256_shuffle_epi8(bottom, RowShuffles(src[20 + row], src[28 + row])));
        }
    }
}

#define QM_AVX512 "avx512f,avx512bw"

// Constants of the AVX-512 path that differ between 128-bit quarters,
// loaded whole.
struct Avx512Tables {
    alignas(64) uint8_t spread[64] = {};     // end colours of each quarter's sub-block, over four 16-bit lanes each
    alignas(64) uint8_t swapHalves[64] = {}; // each quarter's 8-byte halves exchanged
    alignas(64) uint8_t lowTwice[64] = {};   // each quarter's low 8 bytes in both halves
    alignas(64) uint8_t pick[4][64] = {};    // row r: its index byte into byte 1 of each 32-bit lane
    constexpr Avx512Tables()
    {
        for (int q = 0; q < 4; ++q) {
            const int first = (q & 1) ? 8 : 0;  // quarters 1 and 3 hold the second sub-block of their 16 bytes
            for (int i = 0; i < 16; ++i) {
                const int word = first + (i < 8 ? 0 : 2);
                spread[16 * q + i] = static_cast<uint8_t>(word + ((i & 1) ? 0 : 1));
                swapHalves[16 * q + i] = static_cast<uint8_t>((i + 8) % 16);
                lowTwice[16 * q + i] = static_cast<uint8_t>(i % 8);
                for (int r = 0; r < 4; ++r)
                    pick[r][16 * q + i] = (i % 4 == 1) ? static_cast<uint8_t>(first + 4 + r) : 0x80;
            }
        }
    }
};
static constexpr Avx512Tables s_avx512{};

__attribute__((target(QM_AVX512), always_inline)) static inline __m512i Load512(const uint8_t* p)
{
    return _mm512_load_si512(p);
}

// One 128-bit constant in all four quarters.
__attribute__((target(QM_AVX512), always_inline)) static inline __m512i Quarters(__m128i v)
{
    return _mm512_broadcast_i32x4(v);
}

// PairPalettes over a whole tile: four sub-blocks, one per 128-bit quarter,
// from `quad` (the tile's first 16 bytes in quarters 0 and 1, the last 16 in
// 2 and 3).
__attribute__((target(QM_AVX512), always_inline)) static inline __m512i QuadPalettes(__m512i quad)
{
    const __m512i swapHalves = Load512(s_avx512.swapHalves);
    const __m512i raw = _mm512_shuffle_epi8(quad, Load512(s_avx512.spread));
    const __m512i swap = _mm512_shuffle_epi8(raw, swapHalves);
    const __m512i greater = _mm512_movm_epi16(_mm512_cmpgt_epu16_mask(raw, swap));
    const __m512i four = _mm512_shuffle_epi8(greater, Load512(s_avx512.lowTwice));
    const __m512i fields = _mm512_and_si512(
        raw, Quarters(_mm_setr_epi16(static_cast<short>(0xF800), 0x07E0, 0x001F, 0, static_cast<short>(0xF800),
                                                   0x07E0, 0x001F, 0)));
    const __m512i top = _mm512_mullo_epi16(fields, Quarters(_mm_setr_epi16(1, 1, 2048, 0, 1, 1, 2048, 0)));
    const __m512i ends = _mm512_or_si512(
        _mm512_mulhi_epu16(top, Quarters(_mm_setr_epi16(0x108, 0x2080, 0x108, 0, 0x108, 0x2080, 0x108, 0))),
        Quarters(_mm_setr_epi16(0, 0, 0, 255, 0, 0, 0, 255)));
    const __m512i other = _mm512_shuffle_epi8(ends, swapHalves);
    const __m512i weighted = _mm512_srli_epi16(
        _mm512_add_epi16(_mm512_mullo_epi16(ends, _mm512_set1_epi16(5)), _mm512_mullo_epi16(other, _mm512_set1_epi16(3))), 3);
    const __m512i average = _mm512_srli_epi16(_mm512_add_epi16(ends, other), 1);
    const __m512i keep = Quarters(_mm_setr_epi16(-1, -1, -1, -1, -1, -1, -1, 0));
    const __m512i mixed =
        _mm512_and_si512(_mm512_mask_blend_epi16(_mm512_movepi16_mask(four), average, weighted), _mm512_or_si512(four, keep));
    return _mm512_packus_epi16(ends, mixed);
}

// The shuffle picking row r's texels out of the palettes of `quad` (four
// sub-blocks, laid out as QuadPalettes takes them): each texel's 32-bit
// lane takes its row's index byte, shifted so that the texel's two bits land
// on bits 2-3 (4 times the index), spread to the lane's four bytes plus 0,
// 1, 2, 3.
struct RowPicker {
    __m512i shifts, spread, bytes, fours, pick[4];
    __attribute__((target(QM_AVX512), always_inline)) inline RowPicker()
        : shifts(Quarters(_mm_setr_epi32(12, 10, 8, 6))),
          spread(Quarters(_mm_setr_epi8(0, 0, 0, 0, 4, 4, 4, 4, 8, 8, 8, 8, 12, 12, 12, 12))),
          bytes(_mm512_set1_epi32(0x03020100)),
          fours(_mm512_set1_epi32(0x0C0C0C0C)),
          pick{Load512(s_avx512.pick[0]), Load512(s_avx512.pick[1]), Load512(s_avx512.pick[2]), Load512(s_avx512.pick[3])}
    {
    }
    __attribute__((target(QM_AVX512), always_inline)) inline __m512i Row(__m512i quad, __m512i palettes, int r) const
    {
        const __m512i shifted = _mm512_srlv_epi32(_mm512_shuffle_epi8(quad, pick[r]), shifts);
        // (spread & 4 times the index) | bytes, in one bitwise-select instruction.
        const __m512i mask = _mm512_ternarylogic_epi32(_mm512_shuffle_epi8(shifted, spread), fours, bytes, 0xEA);
        return _mm512_shuffle_epi8(palettes, mask);
    }
};

// DecodeTiles two tiles at a time: the top halves of both tiles are one set
// of four sub-blocks, the bottom halves another, and each 512-bit shuffle
// makes one whole row of both tiles, stored at once. An odd last tile is
// done alone, its rows' two halves stored apart.
__attribute__((target(QM_AVX512))) static void DecodeTilesAvx512(const uint8_t* src, uint32_t tiles, uint8_t* out,
                                                                 size_t stride)
{
    const RowPicker picker;
    uint32_t t = 0;
    for (; t + 2 <= tiles; t += 2, src += 64, out += 64) {
        const __m512i both = _mm512_loadu_si512(src);
        const __m512i top = _mm512_shuffle_i64x2(both, both, _MM_SHUFFLE(2, 2, 0, 0));
        const __m512i bottom = _mm512_shuffle_i64x2(both, both, _MM_SHUFFLE(3, 3, 1, 1));
        const __m512i topPalettes = QuadPalettes(top), bottomPalettes = QuadPalettes(bottom);
        for (int r = 0; r < 4; ++r) {
            _mm512_storeu_si512(out + r * stride, picker.Row(top, topPalettes, r));
            _mm512_storeu_si512(out + (4 + r) * stride, picker.Row(bottom, bottomPalettes, r));
        }
    }
    if (t < tiles) {
        const __m512i tile = _mm512_zextsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src)));
        const __m512i quad = _mm512_shuffle_i64x2(tile, tile, _MM_SHUFFLE(1, 1, 0, 0));
        const __m512i palettes = QuadPalettes(quad);
        for (int r = 0; r < 4; ++r) {
            const __m512i rows = picker.Row(quad, palettes, r);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + r * stride), _mm512_castsi512_si256(rows));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + (4 + r) * stride), _mm512_extracti64x4_epi64(rows, 1));
        }
    }
}

__attribute__((target("ssse3"))) static void DecodeTilesSsse3(const uint8_t* src, uint32_t tiles, uint8_t* out,
                                                               size_t stride)
{
    for (uint32_t t = 0; t < tiles; ++t)
        DecodeTileSsse3(src + 32 * t, out + 32 * t, stride);
}

static TileDecoder TileDecoderOf(CmprPath path)
{
    switch (path) {
    case CmprPath::kAvx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") ? &DecodeTilesAvx512 : nullptr;
    case CmprPath::kAvx2: return __builtin_cpu_supports("avx2") ? &DecodeTilesAvx2 : nullptr;
    case CmprPath::kSsse3: return __builtin_cpu_supports("ssse3") ? &DecodeTilesSsse3 : nullptr;
    default: return &DecodeTiles;
    }
}

#else

static TileDecoder TileDecoderOf(CmprPath path)
{
    return path == CmprPath::kScalar ? &DecodeTiles : nullptr;
}

#endif

static TileDecoder BestTileDecoder()
{
    for (CmprPath path : {CmprPath::kAvx512, CmprPath::kAvx2, CmprPath::kSsse3})
        if (TileDecoder decoder = TileDecoderOf(path))
            return decoder;
    return &DecodeTiles;
}

static void DecodeLevelWith(TileDecoder decodeTiles, const uint8_t* src, uint32_t width, uint32_t height, uint8_t* dst)
{
    const uint32_t tilesX = (width + 7) / 8;
    const uint32_t tilesY = (height + 7) / 8;
    const size_t stride = static_cast<size_t>(width) * 4;
    // Tiles wholly inside the level are decoded in place; the last column
    // and row may hold padding texels, so their tiles go through a scratch tile.
    const uint32_t wholeX = width / 8;
    Rgba tile[64];
    for (uint32_t ty = 0; ty < tilesY; ++ty) {
        const bool wholeRow = (ty + 1) * 8 <= height;
        const uint32_t inPlace = wholeRow ? wholeX : 0;
        decodeTiles(src, inPlace, dst + ty * 8 * stride, stride);
        for (uint32_t tx = inPlace; tx < tilesX; ++tx) {
            decodeTiles(src + 32 * tx, 1, reinterpret_cast<uint8_t*>(tile), 8 * sizeof(Rgba));
            StoreBlock(tile, 8, 8, tx, ty, width, height, dst);
        }
        src += 32 * tilesX;
    }
}

void DecodeCmprLevel(const uint8_t* src, uint32_t width, uint32_t height, const Rgba*, uint8_t* dst)
{
    static const TileDecoder s_decodeTiles = BestTileDecoder();
    DecodeLevelWith(s_decodeTiles, src, width, height, dst);
}

bool DecodeCmprLevelOn(CmprPath path, const uint8_t* src, uint32_t width, uint32_t height, uint8_t* dst)
{
    const TileDecoder decodeTiles = TileDecoderOf(path);
    if (!decodeTiles)
        return false;
    DecodeLevelWith(decodeTiles, src, width, height, dst);
    return true;
}

}  // namespace gxtex::detail
