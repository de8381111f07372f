// A heap block that holds texels or a palette goes back to the host only
// once the render thread is done with it, and the live state stops naming it.
#include "gxDrawFixture.h"

#include "gx/gxFront_local.h"

namespace {

constexpr uint8_t kGrey = 0x60;  // every I8 texel of the block
constexpr uint32_t kTexelBytes = 8 * 8;  // one 8x8 I8 texture: two 8x4 blocks

class GxHeapFreeTest : public GxTextureDrawTest {
protected:
    static OSHeapHandle Heap()
    {
        static uint8_t s_range[64 * 1024];
        static const OSHeapHandle s_heap = [] {
            OSInitAlloc(OSGetArenaLo(), OSGetArenaHi(), 4);
            return OSCreateHeap(s_range, s_range + sizeof(s_range));  // heaps are never destroyed
        }();
        return s_heap;
    }

    // A grey 8x8 I8 texture in a new heap block, loaded as map 0.
    static uint8_t* LoadGreyBlock()
    {
        auto* texels = static_cast<uint8_t*>(OSAllocFromHeap(Heap(), kTexelBytes + 512));
        std::memset(texels, kGrey, kTexelBytes);
        DCStoreRange(texels, kTexelBytes);
        GXTexObj obj;
        GXInitTexObj(&obj, texels, 8, 8, GX_TF_I8, GX_CLAMP, GX_CLAMP, GX_FALSE);
        GXInitTexObjLOD(&obj, GX_NEAR, GX_NEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
        GXLoadTexObj(&obj, GX_TEXMAP0);
        return texels;
    }
};

TEST_F(GxHeapFreeTest, TheRenderThreadIsDoneWithABlockBeforeItIsFreed)
{
    ASSERT_GE(Heap(), 0);
    const GXColor grey{kGrey, kGrey, kGrey, kGrey}, white{255, 255, 255, 255};
    const struct {
        const char* why;
        bool bDrawBefore;  // drawn (queued, maybe not replayed) before the free
        GXColor before;    // the pixel the draw before the free leaves
        GXColor after;     // a draw after the free, with nothing loaded again
    } rows[] = {
        {"drawn, then freed at once", true, grey, white},
        {"loaded, freed, then drawn", false, {0, 0, 0, 0}, white},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
        uint8_t* texels = LoadGreyBlock();
        const size_t cached = GXTestTextureCacheSize();
        if (row.bDrawBefore)
            DrawTexturedRect(100, 100, 164, 164);
        OSFreeToHeap(Heap(), texels);
        EXPECT_FALSE(gxGet().texMapLoaded[GX_TEXMAP0]);
        EXPECT_EQ(GXTestTextureCacheSize(), cached);  // nothing decoded from the block is kept
        const GXColor got = Pixel(110, 110);
        EXPECT_EQ(got.r, row.before.r);
        EXPECT_EQ(got.a, row.before.a);
        DrawTexturedRect(200, 100, 264, 164);
        const GXColor later = Pixel(210, 110);
        EXPECT_EQ(later.r, row.after.r);
        EXPECT_EQ(later.a, row.after.a);
    }
}

TEST_F(GxHeapFreeTest, OnlyObjectsNamingTheBlockAreForgotten)
{
    ASSERT_GE(Heap(), 0);
    auto* block = static_cast<uint8_t*>(OSAllocFromHeap(Heap(), 1024));
    auto* other = static_cast<uint8_t*>(OSAllocFromHeap(Heap(), 1024));
    const struct {
        const char* why;
        const uint8_t* image;  // map n's texels
        bool bKept;
    } maps[] = {
        {"first byte", block, false},
        {"last byte", block + 1023, false},
        {"just past its end", block + 1024, true},
        {"another block", other, true},
    };
    for (int n = 0; n < 4; ++n) {
        GXTexObj obj;
        GXInitTexObj(&obj, maps[n].image, 8, 8, GX_TF_I8, GX_CLAMP, GX_CLAMP, GX_FALSE);
        GXLoadTexObj(&obj, static_cast<GXTexMapID>(GX_TEXMAP1 + n));
    }
    GXTlutObj inBlock, outside;
    GXInitTlutObj(&inBlock, block + 512, GX_TL_IA8, 16);
    GXInitTlutObj(&outside, other, GX_TL_IA8, 16);
    GXLoadTlut(&inBlock, 0);
    GXLoadTlut(&outside, 1);
    OSFreeToHeap(Heap(), block);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(gxGet().texMapLoaded[GX_TEXMAP1 + n], maps[n].bKept) << maps[n].why;
        EXPECT_EQ(gxGet().texMaps[GX_TEXMAP1 + n].image, maps[n].bKept ? maps[n].image : nullptr) << maps[n].why;
    }
    EXPECT_EQ(gxGet().tluts[0].lut, nullptr);
    EXPECT_EQ(gxGet().tluts[1].lut, other);
    OSFreeToHeap(Heap(), other);
}

}  // namespace
