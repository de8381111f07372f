// Triangle strips of one state that wait in the render queue back to back
// are replayed as one OpenGL draw: which draws may join, and that joined
// strips draw exactly what they draw one at a time, in the same order.
#include <algorithm>
#include <vector>

#include "gx/gl/gxGlBackend.h"
#include "gx/gl/gxGlDevice.h"
#include "gxDrawFixture.h"
#include "gxRenderGate.h"

namespace {

using gxgl::GlBackend;
using gxgl::GlDevice;

gxCommand Strip(std::shared_ptr<const gxState> state, size_t vertices)
{
    gxCommand cmd;
    cmd.primitive = GX_TRIANGLESTRIP;
    cmd.attrMask = 1u << GX_VA_POS;
    cmd.state = std::move(state);
    cmd.vertices = gxVertexData(std::vector<gxVertex>(vertices));
    return cmd;
}

struct JoinRow {
    const char* name;
    void (*change)(gxCommand& second);
    bool bJoins;
};

const JoinRow kJoinRows[] = {
    {"same snapshot and attributes", [](gxCommand&) {}, true},
    {"another snapshot", [](gxCommand& b) { b.state = std::make_shared<const gxState>(); }, false},
    {"no snapshot", [](gxCommand& b) { b.state = nullptr; }, false},
    {"other attributes", [](gxCommand& b) { b.attrMask |= 1u << GX_VA_CLR0; }, false},
    {"a triangle list", [](gxCommand& b) { b.primitive = GX_TRIANGLES; }, false},
    {"a fan", [](gxCommand& b) { b.primitive = GX_TRIANGLEFAN; }, false},
    {"no vertices", [](gxCommand& b) { b.vertices = gxVertexData(); }, false},
    {"another vertex layout",
     [](gxCommand& b) {
         gxVertexLayout packed;
         packed.stride = 12;
         packed.pos = 0;
         b.vertices = gxVertexData(packed, 3);
     },
     false},
    {"a copy", [](gxCommand& b) { b.kind = gxCommandKind::kCopyDisp; }, false},
};

// Overlapping half-transparent strips: blending makes their order show. A
// two-vertex strip draws nothing, an odd count ends on a single triangle.
struct StripSpec {
    float x0, y0, x1, y1;
    int vertices;
    GXColor color;
};
const StripSpec kStrips[] = {
    {10, 10, 200, 120, 6, {255, 0, 0, 160}},
    {60, 40, 260, 150, 2, {0, 0, 255, 255}},
    {80, 30, 300, 100, 5, {0, 255, 0, 128}},
    {20, 70, 150, 200, 4, {0, 0, 255, 96}},
};

class GxDrawJoinTest : public GxDrawTest {
protected:
    void SetUp() override
    {
        GxDrawTest::SetUp();
        GXSetBlendMode(GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_INVSRCALPHA, GX_LO_CLEAR);
    }

    // A zigzag strip across the box, corners alternating top and bottom.
    static void DrawStrip(const StripSpec& s)
    {
        GXBegin(GX_TRIANGLESTRIP, GX_VTXFMT0, static_cast<uint16_t>(s.vertices));
        for (int i = 0; i < s.vertices; ++i) {
            const float x = s.x0 + (s.x1 - s.x0) * static_cast<float>(i / 2) / 2.0f;
            GXPosition3f32(x, i % 2 ? s.y1 : s.y0, -0.5f);
            GXColor4u8(s.color.r, s.color.g, s.color.b, s.color.a);
        }
        GXEnd();
    }

    static std::vector<uint8_t> Efb()
    {
        std::vector<uint8_t> rgba;
        GXDrawDone();
        EXPECT_TRUE(GXTestReadEfb(0, 0, 320, 240, &rgba));
        return rgba;
    }
};

}  // namespace

TEST(GlBackendJoin, OnlyStripsOfOneSnapshotAndAttributesJoin)
{
    const auto state = std::make_shared<const gxState>();
    for (const JoinRow& row : kJoinRows) {
        SCOPED_TRACE(row.name);
        const gxCommand a = Strip(state, 4);
        gxCommand b = Strip(state, 3);
        row.change(b);
        EXPECT_EQ(GlBackend::CanJoin(a, b), row.bJoins);
        EXPECT_EQ(GlBackend::CanJoin(b, a), row.bJoins);
    }
}

TEST_F(GxDrawJoinTest, StripsWaitingTogetherDrawAsOneWhatTheyDrawOneByOne)
{
    for (const StripSpec& s : kStrips) {
        DrawStrip(s);
        GXDrawDone();  // the queue is empty for the next one: nothing joins
    }
    const std::vector<uint8_t> alone = Efb();
    const uint64_t joinedBefore = GlBackend::Get().JoinedDrawCount();

    GXTestClearEfb(GXColor{0, 0, 0, 0}, 0xFFFFFF);
    GXTestResetDrawStats();
    RenderGate gate;
    GlDevice::Get().Post([&gate] { gate.Hold(); });
    gate.WaitEntered();
    for (const StripSpec& s : kStrips)
        DrawStrip(s);
    gate.Open();
    const std::vector<uint8_t> joined = Efb();

    EXPECT_EQ(GlBackend::Get().JoinedDrawCount() - joinedBefore, std::size(kStrips));
    EXPECT_TRUE(joined == alone) << "joined strips drew other pixels";
    const GXTestDrawStats stats = GXTestGetDrawStats();
    EXPECT_EQ(stats.draws, std::size(kStrips));
    EXPECT_EQ(stats.vertices, 17u);
    EXPECT_EQ(GXTestGetLastDraw().vertexCount, 4u);
    EXPECT_NE(static_cast<size_t>(std::count(alone.begin(), alone.end(), 0)), alone.size()) << "nothing drawn";
}
