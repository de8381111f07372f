#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "gx/tex/gxTexDecode.h"
#include "gx/tex/gxTexDecode_local.h"

using namespace gxtex;

namespace {

using Texel = std::array<uint8_t, 4>;

// The compressed format worked out texel by texel, as plainly as it reads.
Texel ReferenceTexel(const std::vector<uint8_t>& src, uint32_t width, uint32_t x, uint32_t y)
{
    const uint32_t tilesX = (width + 7) / 8;
    const uint8_t* block = &src[32 * ((y / 8) * tilesX + x / 8) + 8 * (((y % 8) / 4) * 2 + (x % 8) / 4)];
    const uint32_t c0 = (block[0] << 8) | block[1], c1 = (block[2] << 8) | block[3];
    const uint32_t index = (block[4 + y % 4] >> (6 - 2 * (x % 4))) & 3;
    const auto widen = [](uint32_t v, int bits) { return (v << (8 - bits)) | (v >> (2 * bits - 8)); };
    const uint32_t e0[3] = {widen(c0 >> 11, 5), widen((c0 >> 5) & 63, 6), widen(c0 & 31, 5)};
    const uint32_t e1[3] = {widen(c1 >> 11, 5), widen((c1 >> 5) & 63, 6), widen(c1 & 31, 5)};
    Texel t{0, 0, 0, 255};
    for (int ch = 0; ch < 3; ++ch) {
        uint32_t v = index == 0 ? e0[ch] : e1[ch];
        if (index >= 2 && c0 > c1)
            v = index == 2 ? (5 * e0[ch] + 3 * e1[ch]) / 8 : (3 * e0[ch] + 5 * e1[ch]) / 8;
        else if (index >= 2)
            v = (e0[ch] + e1[ch]) / 2;
        t[ch] = static_cast<uint8_t>(v);
    }
    if (index == 3 && c0 <= c1)
        t[3] = 0;
    return t;
}

// Random sub-blocks; every third has its end colours ordered for the
// three-colour mode, every seventh has them equal.
std::vector<uint8_t> RandomBlocks(size_t bytes, uint32_t seed)
{
    std::vector<uint8_t> src(bytes);
    for (uint8_t& b : src) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<uint8_t>(seed >> 24);
    }
    for (size_t k = 0; k + 8 <= bytes; k += 8) {
        uint8_t* s = &src[k];
        const uint32_t c0 = (s[0] << 8) | s[1], c1 = (s[2] << 8) | s[3];
        const bool wantThree = (k / 8) % 3 == 0;
        if ((c0 > c1) == wantThree) {  // swap the end colours
            std::swap(s[0], s[2]);
            std::swap(s[1], s[3]);
        }
        if ((k / 8) % 7 == 0) {
            s[2] = s[0];
            s[3] = s[1];
        }
    }
    return src;
}

// A copy of bytes that ends where an unreadable page starts, so that a
// decoder reading past the level's data faults.
class TailGuarded {
public:
    explicit TailGuarded(const std::vector<uint8_t>& bytes)
    {
        const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
        m_size = (bytes.size() + page - 1) / page * page + page;
        void* p = mmap(nullptr, m_size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            return;
        m_base = static_cast<uint8_t*>(p);
        mprotect(m_base + m_size - page, page, PROT_NONE);
        m_data = m_base + m_size - page - bytes.size();
        std::memcpy(m_data, bytes.data(), bytes.size());
    }
    ~TailGuarded()
    {
        if (m_base)
            munmap(m_base, m_size);
    }
    TailGuarded(const TailGuarded&) = delete;
    TailGuarded& operator=(const TailGuarded&) = delete;
    const uint8_t* data() const { return m_data; }

private:
    uint8_t* m_base = nullptr;
    uint8_t* m_data = nullptr;
    size_t m_size = 0;
};

}  // namespace

// Every tile decoder this processor can run gives, for every texel of levels
// with whole and cut tiles, exactly the texel the format defines, reading
// and writing nothing beyond the level.
TEST(gxTexCmprPaths, EveryPathMatchesTheTexelRule)
{
    struct Path { const char* name; detail::CmprPath path; };
    const Path paths[] = {{"AVX-512", detail::CmprPath::kAvx512}, {"AVX2", detail::CmprPath::kAvx2}, {"SSSE3", detail::CmprPath::kSsse3},
                          {"scalar", detail::CmprPath::kScalar}};
    struct Size { uint32_t w, h; };
    const Size sizes[] = {{64, 64}, {40, 24}, {36, 20}, {8, 8}, {4, 4}, {1, 12}};
    int pathsRun = 0;
    for (const Path& p : paths) {
        for (const Size& s : sizes) {
            SCOPED_TRACE(testing::Message() << p.name << " " << s.w << "x" << s.h);
            const std::vector<uint8_t> src = RandomBlocks(LevelBytes(GX_TF_CMPR, s.w, s.h), s.w * 131 + s.h);
            const TailGuarded guarded(src);
            ASSERT_NE(guarded.data(), nullptr);
            std::vector<uint8_t> out(static_cast<size_t>(s.w) * s.h * 4 + 64, 0xCD);
            if (!detail::DecodeCmprLevelOn(p.path, guarded.data(), s.w, s.h, out.data()))
                break;  // the processor lacks the instructions
            for (uint32_t y = 0; y < s.h; ++y)
                for (uint32_t x = 0; x < s.w; ++x) {
                    const uint8_t* t = &out[(static_cast<size_t>(y) * s.w + x) * 4];
                    ASSERT_EQ((Texel{t[0], t[1], t[2], t[3]}), ReferenceTexel(src, s.w, x, y)) << x << "," << y;
                }
            for (size_t i = static_cast<size_t>(s.w) * s.h * 4; i < out.size(); ++i)
                ASSERT_EQ(out[i], 0xCD) << "written past the level";
            pathsRun += s.w == 64;
        }
    }
    EXPECT_GE(pathsRun, 1);
}
