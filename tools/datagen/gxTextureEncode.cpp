#include "datagen/gxTextureEncode.h"

#include <algorithm>
#include <map>

#include "cCore/cLog.h"

namespace datagen {

namespace {

struct Texel {
    uint8_t r, g, b, a;
};

struct Shape {
    uint32_t width, height, bytes;
};

bool ShapeOf(GXTexFmt format, Shape* shape)
{
    switch (format) {
    case GX_TF_I4:
    case GX_TF_C4:
    case GX_TF_CMPR: *shape = {8, 8, 32}; return true;
    case GX_TF_I8:
    case GX_TF_IA4:
    case GX_TF_C8: *shape = {8, 4, 32}; return true;
    case GX_TF_IA8:
    case GX_TF_RGB565:
    case GX_TF_RGB5A3: *shape = {4, 4, 32}; return true;
    case GX_TF_RGBA8: *shape = {4, 4, 64}; return true;
    default: return false;
    }
}

bool ValidImage(const RgbaImage& image)
{
    return image.width > 0 && image.height > 0 &&
           image.rgba.size() == static_cast<size_t>(image.width) * image.height * 4;
}

// The texel at (x, y), the edge texel for positions beyond the image.
Texel At(const RgbaImage& image, uint32_t x, uint32_t y)
{
    x = std::min(x, image.width - 1);
    y = std::min(y, image.height - 1);
    const uint8_t* p = image.rgba.data() + (static_cast<size_t>(y) * image.width + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

// 8-bit value to the nearest of `max` + 1 levels.
uint32_t Quant(uint32_t v, uint32_t max)
{
    return (v * max + 127) / 255;
}

// Luma weights that sum to 256, so a grey texel keeps its value.
uint8_t Intensity(const Texel& t)
{
    return static_cast<uint8_t>((77u * t.r + 150u * t.g + 29u * t.b + 128u) >> 8);
}

uint16_t ToRGB565(const Texel& t)
{
    return static_cast<uint16_t>((Quant(t.r, 31) << 11) | (Quant(t.g, 63) << 5) | Quant(t.b, 31));
}

// Opaque layout when the alpha rounds to the top of three bits, else A3 R4 G4 B4.
uint16_t ToRGB5A3(const Texel& t)
{
    const uint32_t a = Quant(t.a, 7);
    if (a == 7)
        return static_cast<uint16_t>(0x8000 | (Quant(t.r, 31) << 10) | (Quant(t.g, 31) << 5) |
                                     Quant(t.b, 31));
    return static_cast<uint16_t>((a << 12) | (Quant(t.r, 15) << 8) | (Quant(t.g, 15) << 4) |
                                 Quant(t.b, 15));
}

// Alpha in the high byte (first in memory), intensity in the low.
uint16_t ToIA8(const Texel& t)
{
    return static_cast<uint16_t>((t.a << 8) | Intensity(t));
}

uint16_t ToEntry(const Texel& t, GXTlutFmt tlutFormat)
{
    return tlutFormat == GX_TL_IA8 ? ToIA8(t) : tlutFormat == GX_TL_RGB565 ? ToRGB565(t) : ToRGB5A3(t);
}

// Bit replication back to 8 bits, as the texture unit widens a channel.
uint8_t Widen3(uint32_t v) { return static_cast<uint8_t>((v << 5) | (v << 2) | (v >> 1)); }
uint8_t Widen4(uint32_t v) { return static_cast<uint8_t>((v << 4) | v); }
uint8_t Widen5(uint32_t v) { return static_cast<uint8_t>((v << 3) | (v >> 2)); }
uint8_t Widen6(uint32_t v) { return static_cast<uint8_t>((v << 2) | (v >> 4)); }

Texel FromRGB565(uint16_t v)
{
    return {Widen5(v >> 11), Widen6((v >> 5) & 0x3F), Widen5(v & 0x1F), 255};
}

// The colour an entry stands for, to pick the nearest entry for a texel.
Texel FromEntry(uint16_t v, GXTlutFmt tlutFormat)
{
    if (tlutFormat == GX_TL_IA8)
        return {static_cast<uint8_t>(v), static_cast<uint8_t>(v), static_cast<uint8_t>(v),
                static_cast<uint8_t>(v >> 8)};
    if (tlutFormat == GX_TL_RGB565)
        return FromRGB565(v);
    if (v & 0x8000)
        return {Widen5((v >> 10) & 0x1F), Widen5((v >> 5) & 0x1F), Widen5(v & 0x1F), 255};
    return {Widen4((v >> 8) & 0xF), Widen4((v >> 4) & 0xF), Widen4(v & 0xF), Widen3((v >> 12) & 7)};
}

uint32_t Distance(const Texel& p, const Texel& q)
{
    const int dr = p.r - q.r, dg = p.g - q.g, db = p.b - q.b, da = p.a - q.a;
    return static_cast<uint32_t>(dr * dr + dg * dg + db * db + da * da);
}

void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}

// Texel to palette index: exact entries first, else the nearest colour.
class IndexMap {
public:
    explicit IndexMap(const GxPalette& palette) : m_format(palette.format)
    {
        const size_t count = palette.entries.size() / 2;
        for (size_t i = 0; i < count; ++i) {
            const uint16_t v = static_cast<uint16_t>((palette.entries[2 * i] << 8) |
                                                     palette.entries[2 * i + 1]);
            m_exact.emplace(v, static_cast<uint32_t>(i));  // keeps the first of duplicates
            m_colours.push_back(FromEntry(v, m_format));
        }
    }
    uint32_t Index(const Texel& t) const
    {
        const auto it = m_exact.find(ToEntry(t, m_format));
        if (it != m_exact.end())
            return it->second;
        uint32_t best = 0;
        for (uint32_t i = 1; i < m_colours.size(); ++i)
            if (Distance(t, m_colours[i]) < Distance(t, m_colours[best]))
                best = i;
        return best;
    }

private:
    GXTlutFmt m_format;
    std::map<uint16_t, uint32_t> m_exact;
    std::vector<Texel> m_colours;
};

// ---- CMPR -------------------------------------------------------------------

// The four colours of a sub-block as the hardware derives them.
void CmprColours(uint16_t raw0, uint16_t raw1, Texel out[4])
{
    const Texel c0 = FromRGB565(raw0), c1 = FromRGB565(raw1);
    out[0] = c0;
    out[1] = c1;
    auto mix = [](uint32_t a, uint32_t b, uint32_t wa, uint32_t wb) {
        return static_cast<uint8_t>((wa * a + wb * b) / 8);
    };
    if (raw0 > raw1) {
        out[2] = {mix(c0.r, c1.r, 5, 3), mix(c0.g, c1.g, 5, 3), mix(c0.b, c1.b, 5, 3), 255};
        out[3] = {mix(c0.r, c1.r, 3, 5), mix(c0.g, c1.g, 3, 5), mix(c0.b, c1.b, 3, 5), 255};
    } else {
        out[2] = {mix(c0.r, c1.r, 4, 4), mix(c0.g, c1.g, 4, 4), mix(c0.b, c1.b, 4, 4), 255};
        out[3] = {out[2].r, out[2].g, out[2].b, 0};
    }
}

uint32_t RgbDistance(const Texel& p, const Texel& q)
{
    return Distance({p.r, p.g, p.b, 0}, {q.r, q.g, q.b, 0});
}

// One 4x4 sub-block whose top-left texel is (x0, y0), into 8 bytes. Texels
// with alpha below 128 make it a three-colour block with those texels
// transparent; otherwise it is a four-colour block. The end colours are the
// two opaque texels farthest apart.
void EncodeCmprSubBlock(const RgbaImage& image, uint32_t x0, uint32_t y0, uint8_t* out)
{
    Texel texels[16];
    bool transparent = false;
    int e0 = -1, e1 = -1;
    uint32_t widest = 0;
    for (uint32_t i = 0; i < 16; ++i) {
        texels[i] = At(image, x0 + i % 4, y0 + i / 4);
        transparent |= texels[i].a < 128;
    }
    for (int i = 0; i < 16; ++i) {
        if (texels[i].a < 128)
            continue;
        if (e0 < 0)
            e0 = e1 = i;
        for (int j = i + 1; j < 16; ++j) {
            if (texels[j].a >= 128 && RgbDistance(texels[i], texels[j]) > widest) {
                widest = RgbDistance(texels[i], texels[j]);
                e0 = i;
                e1 = j;
            }
        }
    }
    uint16_t raw0 = e0 < 0 ? 0 : ToRGB565(texels[e0]);
    uint16_t raw1 = e1 < 0 ? 0 : ToRGB565(texels[e1]);
    // The order of the end colours selects the mode: colour 0 > colour 1 for four colours.
    if (transparent ? raw0 > raw1 : raw0 < raw1)
        std::swap(raw0, raw1);
    Texel colours[4];
    CmprColours(raw0, raw1, colours);
    const uint32_t opaqueChoices = raw0 > raw1 ? 4 : raw0 == raw1 ? 1 : 3;
    PutU16(out, raw0);
    PutU16(out + 2, raw1);
    for (uint32_t row = 0; row < 4; ++row) {
        uint8_t bits = 0;
        for (uint32_t col = 0; col < 4; ++col) {
            const Texel& t = texels[row * 4 + col];
            uint32_t best = 3;
            if (t.a >= 128) {
                best = 0;
                for (uint32_t k = 1; k < opaqueChoices; ++k)
                    if (RgbDistance(t, colours[k]) < RgbDistance(t, colours[best]))
                        best = k;
            }
            bits = static_cast<uint8_t>(bits | (best << (6 - 2 * col)));
        }
        out[4 + row] = bits;
    }
}

// ---- blocks -------------------------------------------------------------------

// Fills one block of a format whose top-left texel is (x0, y0).
void EncodeBlock(const RgbaImage& image, GXTexFmt format, const Shape& shape, uint32_t x0,
                 uint32_t y0, const IndexMap* indices, uint8_t* out)
{
    if (format == GX_TF_CMPR) {
        EncodeCmprSubBlock(image, x0, y0, out);
        EncodeCmprSubBlock(image, x0 + 4, y0, out + 8);
        EncodeCmprSubBlock(image, x0, y0 + 4, out + 16);
        EncodeCmprSubBlock(image, x0 + 4, y0 + 4, out + 24);
        return;
    }
    const uint32_t count = shape.width * shape.height;
    for (uint32_t i = 0; i < count; ++i) {
        const Texel t = At(image, x0 + i % shape.width, y0 + i / shape.width);
        switch (format) {
        case GX_TF_I4:  // the left texel of a pair is the high nibble
            out[i / 2] = static_cast<uint8_t>(out[i / 2] | (Quant(Intensity(t), 15) << ((i & 1) ? 0 : 4)));
            break;
        case GX_TF_C4:
            out[i / 2] = static_cast<uint8_t>(out[i / 2] | (indices->Index(t) << ((i & 1) ? 0 : 4)));
            break;
        case GX_TF_I8: out[i] = Intensity(t); break;
        case GX_TF_IA4: out[i] = static_cast<uint8_t>((Quant(t.a, 15) << 4) | Quant(Intensity(t), 15)); break;
        case GX_TF_C8: out[i] = static_cast<uint8_t>(indices->Index(t)); break;
        case GX_TF_IA8: PutU16(out + 2 * i, ToIA8(t)); break;
        case GX_TF_RGB565: PutU16(out + 2 * i, ToRGB565(t)); break;
        case GX_TF_RGB5A3: PutU16(out + 2 * i, ToRGB5A3(t)); break;
        case GX_TF_RGBA8:  // (A, R) pairs, then (G, B) pairs
            out[2 * i] = t.a;
            out[2 * i + 1] = t.r;
            out[32 + 2 * i] = t.g;
            out[33 + 2 * i] = t.b;
            break;
        default: break;  // refused before any block is encoded
        }
    }
}

}  // namespace

bool BuildGxPalette(const RgbaImage& image, GXTlutFmt tlutFormat, uint32_t entries,
                    GxPalette* palette)
{
    if (tlutFormat > GX_TL_RGB5A3 || entries == 0 || !ValidImage(image)) {
        cLogError_("datagen: cannot build a palette (format %u, %u entries, %ux%u image)",
                     static_cast<unsigned>(tlutFormat), entries, image.width, image.height);
        return false;
    }
    std::map<uint16_t, uint32_t> counts;
    for (uint32_t y = 0; y < image.height; ++y)
        for (uint32_t x = 0; x < image.width; ++x)
            ++counts[ToEntry(At(image, x, y), tlutFormat)];
    std::vector<std::pair<uint32_t, uint16_t>> byCount;  // (count, entry)
    for (const auto& [entry, count] : counts)
        byCount.emplace_back(count, entry);
    // Most frequent first; ties by entry value, so the result is reproducible.
    std::stable_sort(byCount.begin(), byCount.end(),
                     [](const auto& p, const auto& q) { return p.first > q.first; });
    GxPalette result;
    result.format = tlutFormat;
    result.entries.assign(static_cast<size_t>(entries) * 2, 0);
    for (size_t i = 0; i < byCount.size() && i < entries; ++i)
        PutU16(result.entries.data() + 2 * i, byCount[i].second);
    *palette = std::move(result);
    return true;
}

bool EncodeGxTexture(const RgbaImage& image, GXTexFmt format, const GxPalette* palette,
                     std::vector<uint8_t>* out)
{
    Shape shape;
    const bool indexed = format == GX_TF_C4 || format == GX_TF_C8;
    if (!ShapeOf(format, &shape) || !ValidImage(image) ||
        (indexed && (palette == nullptr || palette->entries.empty()))) {
        cLogError_("datagen: cannot encode a %ux%u image in texture format %u",
                     image.width, image.height, static_cast<unsigned>(format));
        return false;
    }
    const IndexMap indices(indexed ? *palette : GxPalette{});
    const uint32_t blocksX = (image.width + shape.width - 1) / shape.width;
    const uint32_t blocksY = (image.height + shape.height - 1) / shape.height;
    std::vector<uint8_t> bytes(static_cast<size_t>(blocksX) * blocksY * shape.bytes, 0);
    uint8_t* block = bytes.data();
    for (uint32_t by = 0; by < blocksY; ++by)
        for (uint32_t bx = 0; bx < blocksX; ++bx, block += shape.bytes)
            EncodeBlock(image, format, shape, bx * shape.width, by * shape.height, &indices, block);
    *out = std::move(bytes);
    return true;
}

RgbaImage HalveImage(const RgbaImage& image)
{
    RgbaImage half;
    half.width = std::max(1u, image.width / 2);
    half.height = std::max(1u, image.height / 2);
    half.rgba.resize(static_cast<size_t>(half.width) * half.height * 4);
    const uint32_t sx = image.width > 1 ? 2 : 1;
    const uint32_t sy = image.height > 1 ? 2 : 1;
    const uint32_t n = sx * sy;
    for (uint32_t y = 0; y < half.height; ++y) {
        for (uint32_t x = 0; x < half.width; ++x) {
            uint8_t* dst = half.rgba.data() + (static_cast<size_t>(y) * half.width + x) * 4;
            for (uint32_t c = 0; c < 4; ++c) {
                uint32_t sum = 0;
                for (uint32_t dy = 0; dy < sy; ++dy)
                    for (uint32_t dx = 0; dx < sx; ++dx)
                        sum += image.rgba[((static_cast<size_t>(y) * sy + dy) * image.width +
                                           x * sx + dx) * 4 + c];
                dst[c] = static_cast<uint8_t>((sum + n / 2) / n);
            }
        }
    }
    return half;
}

bool EncodeGxTextureChain(const RgbaImage& image, GXTexFmt format, uint32_t levels,
                          const GxPalette* palette, std::vector<uint8_t>* out)
{
    std::vector<uint8_t> chain;
    RgbaImage level = image;
    for (uint32_t i = 0; i < levels; ++i) {
        std::vector<uint8_t> bytes;
        if (!EncodeGxTexture(level, format, palette, &bytes))
            return false;
        chain.insert(chain.end(), bytes.begin(), bytes.end());
        if (i + 1 < levels)
            level = HalveImage(level);
    }
    *out = std::move(chain);
    return true;
}

}  // namespace datagen
