#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "gx/gxRegisters.h"
#include "gxFrontTestUtil.h"
#include "platform/gxlist.h"
#include "platform/os.h"

namespace {

class GxDisplayListTest : public GxFrontTest {
protected:
    void SetUp() override
    {
        GxFrontTest::SetUp();
        for (int n = 0; n < 4; ++n)
            m_pos.U16(n * 256 + 128).U16(static_cast<uint16_t>(-n * 256)).U16(n * 64);
        for (int n = 0; n < 3; ++n)
            m_nrm.F32(0).F32(static_cast<float>(n)).F32(-1);
        GXClearVtxDesc();
        GXSetVtxDesc(GX_VA_POS, GX_INDEX16);
        GXSetVtxDesc(GX_VA_NRM, GX_INDEX8);
        GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_POS, GX_POS_XYZ, GX_S16, 8);
        GXSetVtxAttrFmt(GX_VTXFMT0, GX_VA_NRM, GX_NRM_XYZ, GX_F32, 0);
        GXSetArray(GX_VA_POS, m_pos.data(), 6);
        GXSetArrayBounds(GX_VA_POS, m_pos.size());
        GXSetArray(GX_VA_NRM, m_nrm.data(), 12);
        GXSetArrayBounds(GX_VA_NRM, m_nrm.size());
    }
    static void Draw(BeBytes& list, uint8_t primitive, std::initializer_list<std::pair<int, int>> v)
    {
        list.U8(primitive | GX_VTXFMT0).U16(static_cast<uint32_t>(v.size()));
        for (const auto& p : v)
            list.U16(p.first).U8(p.second);
    }
    static void Call(const BeBytes& list, uint32_t length)
    {
        std::unique_ptr<uint8_t[]> exact(new uint8_t[length ? length : 1]);
        std::memcpy(exact.get(), list.data(), length);
        GXCallDisplayList(exact.get(), length);
    }
    static uint64_t Rejected() { return gxGetFrontStats().rejectedLists; }

    BeBytes m_pos, m_nrm;
};

TEST_F(GxDisplayListTest, DecodesIndexedPositionsAndNormals)
{
    BeBytes list;
    Draw(list, GX_TRIANGLES, {{1, 2}, {3, 0}, {0, 1}});
    list.Pad32();
    Call(list, list.size());
    std::vector<gxCommand> draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    ASSERT_EQ(draws[0].vertices.size(), 3u);
    EXPECT_EQ(draws[0].primitive, GX_TRIANGLES);
    EXPECT_EQ(draws[0].attrMask, (1u << GX_VA_POS) | (1u << GX_VA_NRM));
    const gxVertex& v = draws[0].vertices[0];
    EXPECT_EQ(v.pos[0], 1.5f);
    EXPECT_EQ(v.pos[1], -1.0f);
    EXPECT_EQ(v.pos[2], 0.25f);
    EXPECT_EQ(v.nrm[1], 2.0f);
    EXPECT_EQ(v.nrm[2], -1.0f);
    EXPECT_EQ(draws[0].vertices[1].pos[0], 3.5f);
    EXPECT_EQ(draws[0].vertices[1].nrm[1], 0.0f);
    EXPECT_EQ(Rejected(), 0u);
}

TEST_F(GxDisplayListTest, BadDataLogsAndSkipsTheRestOfTheList)
{
    struct Row { const char* name; void (*build)(BeBytes&); size_t drawsBefore; };
    const Row rows[] = {
        {"unknown command", [](BeBytes& l) { l.U8(0x18); }, 1},
        {"position index past the declared array", [](BeBytes& l) { Draw(l, GX_TRIANGLES, {{0, 0}, {4, 0}, {1, 0}}); }, 1},
        {"normal index past the declared array", [](BeBytes& l) { Draw(l, GX_POINTS, {{0, 3}}); }, 1},
        {"vertex format not set up", [](BeBytes& l) { l.U8(static_cast<uint32_t>(GX_TRIANGLES) | GX_VTXFMT5).U16(1).U32(0); }, 1},
        {"array address loaded by the list", [](BeBytes& l) { l.U8(0x08).U8(kGxCpArrayBase).U32(0x80001000); }, 1},
        {"draw cut mid-vertex", [](BeBytes& l) { l.U8(GX_POINTS).U16(2).U16(0).U8(0).U16(1); }, 1},
        {"CP load cut", [](BeBytes& l) { l.U8(0x08).U8(0x50).U16(0); }, 1},
        {"XF load longer than the list", [](BeBytes& l) { l.U8(0x10).U32(0x00030000).U32(0); }, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const uint64_t before = Rejected();
        BeBytes list;
        Draw(list, GX_POINTS, {{1, 1}});
        r.build(list);
        Draw(list, GX_POINTS, {{2, 2}});  // never reached
        const bool cut = std::strstr(r.name, "cut") || std::strstr(r.name, "longer");
        const uint32_t length = cut ? list.size() - 6 : list.size();
        Call(list, length);
        std::vector<gxCommand> draws = Draws();
        EXPECT_EQ(draws.size(), r.drawsBefore);
        if (!draws.empty()) {
            EXPECT_EQ(draws[0].vertices[0].pos[0], 1.5f);
        }
        EXPECT_EQ(Rejected(), before + 1);
    }
}

// The format SetUp gives the live state, as a reader describes it.
GXListFormat CheckedFormat(uint32_t posBytes, uint32_t nrmBytes)
{
    GXListFormat f;
    f.format = GX_VTXFMT0;
    f.numAttrs = 2;
    f.attrs[0] = {GX_VA_POS, GX_INDEX16, GX_POS_XYZ, GX_S16, 8, 6, posBytes};
    f.attrs[1] = {GX_VA_NRM, GX_INDEX8, GX_NRM_XYZ, GX_F32, 0, 12, nrmBytes};
    return f;
}

// What the check takes, the draw takes whole; what it refuses, it says why.
TEST_F(GxDisplayListTest, ACheckedListIsTakenWholeByTheDraw)
{
    struct Row { const char* name; void (*build)(BeBytes&); const char* fault; };
    const Row rows[] = {
        {"draws and no-ops", [](BeBytes& l) { l.U8(0x00).U8(0x44).U8(0x48); Draw(l, GX_TRIANGLES, {{0, 0}, {1, 1}, {2, 2}}); }, nullptr},
        {"the last element of each array", [](BeBytes& l) { Draw(l, GX_POINTS, {{3, 2}}); }, nullptr},
        {"an empty draw", [](BeBytes& l) { l.U8(GX_LINES).U16(0); }, nullptr},
        {"a position past its array", [](BeBytes& l) { Draw(l, GX_POINTS, {{0, 0}, {4, 0}}); }, "vertex 1: GX_VA_POS index 4 beyond its array of 24 bytes at byte 3"},
        {"a normal past its array", [](BeBytes& l) { Draw(l, GX_POINTS, {{0, 3}}); }, "vertex 0: GX_VA_NRM index 3 beyond its array of 36 bytes at byte 3"},
        {"a vertex count past the list", [](BeBytes& l) { l.U8(GX_POINTS).U16(2).U16(0).U8(0).U16(1); }, "GX_POINTS of 2 vertices (3 bytes each) cut by the list's end at byte 3"},
        {"a draw's header cut", [](BeBytes& l) { l.U8(GX_POINTS).U8(0); }, "draw command cut by the list's end at byte 3"},
        {"an unknown command", [](BeBytes& l) { l.U8(0x18); }, "unknown command 0x18 at byte 3"},
        {"a draw in another format", [](BeBytes& l) { l.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT1).U16(0); }, "a draw in vertex format 1 where the list's is 0 at byte 3"},
        {"a BP load", [](BeBytes& l) { l.U8(0x61).U32(0x41000000); }, "a BP load (0x61) in a list of geometry at byte 3"},
        {"a CP load", [](BeBytes& l) { l.U8(0x08).U8(0x50).U32(0); }, "a CP load (0x08) in a list of geometry at byte 3"},
        {"an XF load cut", [](BeBytes& l) { l.U8(0x10).U32(0x00010000).U32(0); }, "XF load cut by the list's end at byte 3"},
        {"a list call", [](BeBytes& l) { l.U8(0x40).U32(0).U32(0); }, "a nested list call (0x40) in a list of geometry at byte 3"},
    };
    const GXListFormat format = CheckedFormat(m_pos.size(), m_nrm.size());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        BeBytes list;
        list.U8(0x00).U8(0x00).U8(0x00);  // the fault's byte counts from the list's start
        r.build(list);
        char why[200] = "";
        const bool bSound = GXCheckDisplayList(list.data(), list.size(), format, why, sizeof(why));
        EXPECT_EQ(bSound, r.fault == nullptr);
        if (r.fault) {
            EXPECT_STREQ(why, r.fault);
            continue;
        }
        const uint64_t before = Rejected();
        Call(list, list.size());
        EXPECT_EQ(Rejected(), before);
    }
    // Bounds are the reader's own: one element less refuses the last one.
    BeBytes last;
    Draw(last, GX_POINTS, {{3, 2}});
    char why[200];
    EXPECT_FALSE(GXCheckDisplayList(last.data(), last.size(), CheckedFormat(m_pos.size() - 1, m_nrm.size()), why, sizeof(why)));
    EXPECT_FALSE(GXCheckDisplayList(last.data(), last.size(), CheckedFormat(m_pos.size(), m_nrm.size() - 1), why, sizeof(why)));
}

TEST(gxListFraming, EachCommandIsFramedAsTheHardwareReadsIt)
{
    using K = GXListCommandKind;
    struct Row { std::vector<uint8_t> bytes; K kind; uint32_t length; bool whole; };
    const Row rows[] = {
        {{0x00}, K::kNoOp, 1, true},
        {{0x44}, K::kNoOp, 1, true},
        {{0x48}, K::kNoOp, 1, true},
        {{0x08, 0x50, 0, 0, 0, 0}, K::kLoadCp, 6, true},
        {{0x08, 0x50, 0, 0, 0}, K::kLoadCp, 6, false},
        {{0x10, 0x00, 0x01, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0, 0}, K::kLoadXf, 13, true},
        {{0x10, 0x00, 0x01, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0}, K::kLoadXf, 13, false},
        {{0x20, 0, 0, 0, 0}, K::kLoadXfIndexed, 5, true},
        {{0x38, 0, 0, 0, 0}, K::kLoadXfIndexed, 5, true},
        {{0x40, 0, 0, 0, 0, 0, 0, 0, 0}, K::kCallList, 9, true},
        {{0x61, 0, 0, 0, 0}, K::kLoadBp, 5, true},
        {{0x98, 0x01, 0x02}, K::kDraw, 3, true},
        {{0x98, 0x01}, K::kDraw, 3, false},
        {{0x21}, K::kUnknown, 0, false},
        {{0x3F}, K::kUnknown, 0, false},
        {{0x18}, K::kUnknown, 0, false},
        {{0x7F}, K::kUnknown, 0, false},
        {{0xC0}, K::kUnknown, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.bytes[0]));
        GXListCommand c;
        EXPECT_EQ(GXFrameListCommand(r.bytes.data(), r.bytes.size(), 0, &c), r.whole);
        EXPECT_EQ(c.kind, r.kind);
        EXPECT_EQ(c.op, r.bytes[0]);
        EXPECT_EQ(c.bytes, r.length);
    }
    // A draw's op names its primitive and format; 0x88 draws quads.
    const uint8_t quads[] = {0x00, 0x8A, 0x01, 0x02};
    GXListCommand c;
    ASSERT_TRUE(GXFrameListCommand(quads, sizeof(quads), 1, &c));
    EXPECT_EQ(c.primitive, GX_QUADS);
    EXPECT_EQ(c.format, GX_VTXFMT2);
    EXPECT_EQ(c.count, 0x0102);
}

std::vector<std::string> g_faults;

TEST_F(GxDisplayListTest, AStoppedListIsReportedOnceToTheWriterInstalled)
{
    gxLogResetKeys();
    const GXListFaultWriter old = GXSetListFaultWriter([](const char* text) { g_faults.emplace_back(text); });
    g_faults.clear();
    BeBytes list;
    Draw(list, GX_POINTS, {{1, 1}});
    list.U8(0x18);
    GXCallDisplayList(list.data(), list.size());
    GXCallDisplayList(list.data(), list.size());  // the same list: not again
    GXSetListFaultWriter(old);
    ASSERT_EQ(g_faults.size(), 1u);
    EXPECT_NE(g_faults[0].find("(7 bytes): unknown command 0x18 at byte 6; the rest of the list is skipped"),
              std::string::npos)
        << g_faults[0];
    EXPECT_EQ(Draws().size(), 2u);
}

TEST_F(GxDisplayListTest, TruncationSweepNeverReadsPastTheLength)
{
    BeBytes list;
    Draw(list, GX_TRIANGLES, {{0, 0}, {1, 1}, {2, 2}});
    const uint32_t firstEnd = list.size();
    Draw(list, GX_LINES, {{3, 0}, {2, 1}});
    for (uint32_t length = 0; length < list.size(); ++length) {
        SCOPED_TRACE(length);
        Call(list, length);
        std::vector<gxCommand> draws = Draws();
        EXPECT_EQ(draws.size(), length >= firstEnd ? 1u : 0u);
        for (const gxCommand& d : draws)
            EXPECT_EQ(d.vertices.size(), 3u) << "no partial primitive";
    }
}

TEST_F(GxDisplayListTest, UndeclaredArraysAreBoundedByTheStoredRange)
{
    GXSetArray(GX_VA_POS, m_pos.data(), 6);  // forgets the declared length
    DCStoreRangeNoSync(const_cast<uint8_t*>(m_pos.data()), 12);  // elements 0 and 1 only
    BeBytes ok, bad;
    Draw(ok, GX_POINTS, {{1, 0}});
    Draw(bad, GX_POINTS, {{2, 0}});
    Call(ok, ok.size());
    EXPECT_EQ(Draws().size(), 1u);
    const uint64_t before = Rejected();
    Call(bad, bad.size());
    EXPECT_EQ(Draws().size(), 0u);
    EXPECT_EQ(Rejected(), before + 1);
    DCStoreRangeNoSync(const_cast<uint8_t*>(m_pos.data()) + 12, 12);
    Call(bad, bad.size());
    EXPECT_EQ(Draws().size(), 1u);
}

TEST_F(GxDisplayListTest, RegisterLoadsSetFormatsDescriptorAndMatrices)
{
    const uint32_t vatA = 1u | (3u << 1) | (4u << 4) | (1u << 13) | (5u << 14) | (1u << 30);
    const uint32_t vcdLow = 1u | (1u << 9) | (1u << 13);
    BeBytes list;
    list.U8(0x08).U8(kGxCpVatA + 6).U32(vatA);
    list.U8(0x08).U8(kGxCpVatB + 6).U32(1u << 31);
    list.U8(0x08).U8(kGxCpVatC + 6).U32(0);
    list.U8(0x08).U8(kGxCpVcdLow).U32(vcdLow);
    list.U8(0x08).U8(kGxCpVcdHigh).U32(0);
    list.U8(0x10).U32((3u << 16) | 12u).F32(1).F32(2).F32(3).F32(4);
    list.U8(static_cast<uint32_t>(GX_POINTS) | GX_VTXFMT6).U16(1).U8(3).U16(0x0018).U16(0xFFF0).U16(0x0004).U32(0x0A0B0C0D);
    Call(list, list.size());
    std::vector<gxCommand> draws = Draws();
    ASSERT_EQ(draws.size(), 1u);
    const gxVertex& v = draws[0].vertices[0];
    EXPECT_EQ(v.pnMtx, GX_PNMTX1);
    EXPECT_EQ(v.pos[0], 1.5f);
    EXPECT_EQ(v.pos[1], -1.0f);
    EXPECT_EQ(v.clr[0][3], 0x0D);
    const gxState& s = *draws[0].state;
    EXPECT_EQ(s.posTexMtx[3][0], 1.0f);
    EXPECT_EQ(s.posTexMtx[3][3], 4.0f);
    EXPECT_EQ(s.vtxFmt[6].attr[GX_VA_POS].frac, 4);
    uint32_t a, b, c;
    gxPackVat(s.vtxFmt[6], &a, &b, &c);
    EXPECT_EQ(a, vatA);
}

TEST(gxRegisters, BlendAndAlphaCompareFollowTheWriteMask)
{
    gxState s;
    gxStateReset(s);
    gxApplyBpRegister(s, kGxBpBlendMode, 1u | (1u << 3) | (1u << 8) | (1u << 11));
    EXPECT_EQ(s.blendMode, GX_BM_SUBTRACT);
    EXPECT_EQ(s.blendSrc, GX_BL_ONE);
    EXPECT_FALSE(s.alphaUpdate);
    gxApplyBpRegister(s, kGxBpAlphaCompare, (2u) | (6u << 16) | (1u << 22));
    gxApplyBpRegister(s, kGxBpWriteMask, 0x00FF00);
    gxApplyBpRegister(s, kGxBpAlphaCompare, 0xFFFFFF);
    EXPECT_EQ(s.alphaRef0, 2);
    EXPECT_EQ(s.alphaRef1, 0xFF);
    EXPECT_EQ(s.alphaComp0, GX_GEQUAL);
    EXPECT_EQ(s.alphaOp, GX_AOP_OR);
    EXPECT_EQ(s.bpWriteMask, 0xFFFFFFu) << "the mask holds for one write";
}

TEST(gxRegisters, XfLoadsReachViewportLightsAndMatrixIndices)
{
    gxState s;
    gxStateReset(s);
    auto xf = [&s](uint32_t address, float f) {
        uint32_t v;
        std::memcpy(&v, &f, 4);
        return gxApplyXfWord(s, address, v);
    };
    xf(kGxXfViewport + 0, 150.0f);
    xf(kGxXfViewport + 1, -100.0f);
    xf(kGxXfViewport + 2, 0.75f * 16777215.0f);
    xf(kGxXfViewport + 3, 502.0f);
    xf(kGxXfViewport + 4, 462.0f);
    xf(kGxXfViewport + 5, 16777215.0f);
    EXPECT_FLOAT_EQ(s.viewport.left, 10.0f);
    EXPECT_FLOAT_EQ(s.viewport.top, 20.0f);
    EXPECT_FLOAT_EQ(s.viewport.wd, 300.0f);
    EXPECT_FLOAT_EQ(s.viewport.ht, 200.0f);
    EXPECT_NEAR(s.viewport.nearZ, 0.25f, 1e-6f);
    EXPECT_FLOAT_EQ(s.viewport.farZ, 1.0f);
    gxApplyXfWord(s, kGxXfLightBase + 16 + 3, 0x11223344u);
    xf(kGxXfLightBase + 16 + 8, 0.5f);
    xf(kGxXfLightBase + 16 + 15, -1.0f);
    EXPECT_EQ(s.lights[1].color.g, 0x22);
    EXPECT_EQ(s.lights[1].color.a, 0x44);
    EXPECT_EQ(s.lights[1].k[1], 0.5f);
    EXPECT_EQ(s.lights[1].dir[2], -1.0f);
    gxApplyXfWord(s, kGxXfMatrixIndexA, 6u | (30u << 6) | (39u << 24));
    EXPECT_EQ(s.currentPnMtx, 6u);
    EXPECT_EQ(s.currentTexMtx[0], 30u);
    EXPECT_EQ(s.currentTexMtx[3], 39u);
    xf(kGxXfNrmBase + 31, 2.5f);
    EXPECT_EQ(s.nrmMtx[10][1], 2.5f);
    EXPECT_EQ(xf(0x2000, 1.0f), gxRegResult::kIgnored);
}

TEST_F(GxDisplayListTest, CommandsEndingAtTheListsEndRun)
{
    const uint64_t before = Rejected();
    BeBytes xf;
    xf.U8(0x10).U32(12u).F32(7);  // one XF word: the first of PNMTX1
    Call(xf, xf.size());
    EXPECT_EQ(gxGet().posTexMtx[3][0], 7.0f);
    BeBytes bp;
    bp.U8(0x61).U32((kGxBpBlendMode << 24) | 1u | (1u << 3) | (1u << 8) | (1u << 11));
    Call(bp, bp.size());
    EXPECT_EQ(gxGet().blendMode, GX_BM_SUBTRACT);
    BeBytes draw;
    Draw(draw, GX_POINTS, {});
    Call(draw, draw.size());
    EXPECT_EQ(Rejected(), before);
}

}  // namespace

namespace {

// A list's draws are counted once it ends, also when bad data ends it early:
// the draws handed over before the bad command count, the rest do not.
TEST_F(GxDisplayListTest, CountsTheDrawsAListHandedOver)
{
    struct Row {
        const char* name;
        void (*build)(BeBytes&);
        uint64_t draws, vertices, rejected;
    };
    const Row rows[] = {
        {"two draws", [](BeBytes& l) { Draw(l, GX_TRIANGLES, {{1, 2}, {3, 0}, {0, 1}}); Draw(l, GX_POINTS, {{0, 0}}); }, 2, 4, 0},
        {"empty draw", [](BeBytes& l) { Draw(l, GX_POINTS, {}); Draw(l, GX_LINES, {{0, 0}, {1, 1}}); }, 1, 2, 0},
        {"bad index after a draw", [](BeBytes& l) { Draw(l, GX_LINES, {{0, 0}, {1, 1}}); Draw(l, GX_POINTS, {{4, 0}}); }, 1, 2, 1},
        {"unknown command after two draws", [](BeBytes& l) { Draw(l, GX_POINTS, {{0, 0}}); Draw(l, GX_POINTS, {{1, 0}}); l.U8(0x18); }, 2, 2, 1},
    };
    for (const Row& row : rows) {
        const gxFrontStats before = gxGetFrontStats();
        BeBytes list;
        row.build(list);
        Call(list, list.size());
        const gxFrontStats after = gxGetFrontStats();
        EXPECT_EQ(after.draws - before.draws, row.draws) << row.name;
        EXPECT_EQ(after.vertices - before.vertices, row.vertices) << row.name;
        EXPECT_EQ(after.commands - before.commands, row.draws) << row.name;
        EXPECT_EQ(after.rejectedLists - before.rejectedLists, row.rejected) << row.name;
        EXPECT_EQ(Draws().size(), row.draws) << row.name;
    }
}

}  // namespace
