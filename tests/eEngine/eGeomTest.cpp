#include "eEngine/eGeom.h"

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "worldTestSupport.h"

namespace {

constexpr uint16_t kDraw = eGeom::kDraw, kCollide = eGeom::kCollide, kDirty = eGeom::kDirty;

TEST(eGeomBasicTest, NewNodeIsUnfiledAndCopiesTakeNothing)
{
    eTestGeom g, parent;
    EXPECT_TRUE(g.m_nSubIndex == -1 && g.m_nVisNodeIndex == -1 && g.m_fColRadius == -1.0f);
    EXPECT_EQ(g.m_localToZone, MakeFrame(0, 0, 0));
    parent.AddChild(&g, 2);
    g.m_nGeomFlags = kDraw;
    const eTestGeom copy(g);  // unfiled, unattached, zero frames, flags and radii
    EXPECT_TRUE(!copy.m_pParent && copy.m_nSubIndex == -1 && copy.m_nGeomFlags == 0 && copy.m_fVisRadius == 0);
    EXPECT_EQ(copy.m_localToZone.basis.right, mVec3(0, 0, 0));
}

TEST(eGeomBasicTest, ChildRingsKeepAttachOrderAndDetachedNodesTheirPlace)
{
    eTestGeom parent, a, b, c, other;
    parent.AddChild(&a, 0);
    parent.AddChild(&b, 1);
    parent.AddChild(&c, 1);
    EXPECT_EQ(a.m_pNextSibling, &b);
    EXPECT_EQ(c.m_pNextSibling, &a);
    EXPECT_EQ(a.m_pPrevSibling, &c);
    EXPECT_EQ(parent.GetChild(1), &b);
    parent.AddChild(&b, 3);  // already its child: not even the index changes
    EXPECT_EQ(b.m_nSubIndex, 1);
    other.AddChild(&b, 3);   // taken from the old ring
    EXPECT_EQ(a.m_pNextSibling, &c);
    EXPECT_EQ(b.m_pNextSibling, &b);
    a.m_localToZone = MakeFrame(11, 12, 13, 90);
    a.Detach();  // the first of several: the next becomes first
    EXPECT_EQ(parent.m_pFirstChild, &c);
    EXPECT_EQ(a.m_localToParent, MakeFrame(11, 12, 13, 90));
    c.Detach();  // the only one
    EXPECT_EQ(parent.m_pFirstChild, nullptr);
    b.AddChild(&other, 0);  // other is b's parent: a cycle, refused
    EXPECT_EQ(other.m_pParent, nullptr);
    {
        eTestGeom doomed;
        doomed.AddChild(&a, 0);
    }
    EXPECT_EQ(a.m_pParent, nullptr);  // freed by its parent's end
}

TEST(eGeomBasicTest, FlagChangesPassToChildrenExceptOptedOutBits)
{
    const struct { const char* why; uint16_t child; unsigned int on, off; uint16_t childAfter; } rows[] = {
        {"collide passes on", 0, kCollide, 0, kCollide},
        {"0x100 keeps the child's draw bit off", 0x100, kDraw, 0, 0x100},
        {"0x100 keeps the child's draw bit on", 0x100 | kDraw, 0, kDraw, 0x100 | kDraw},
        {"0x200 keeps the child's collide bit", 0x200 | kCollide, 0, kCollide, 0x200 | kCollide},
        {"0x100-0x800 never reach a child", 0, 0xF00 | 0x10, 0, 0x10},
        {"nor are they cleared on it", 0x400, 0x10, 0x400, 0x410},
        {"a change passes on only its own bits", kDraw | 0x100, 0x20, 0, kDraw | 0x120},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom parent, child;
        parent.AddChild(&child, 0);
        child.m_nGeomFlags = row.child;
        parent.SetGeomFlagsOnOff(row.on, row.off);
        EXPECT_EQ(child.m_nGeomFlags, row.childAfter);
    }
    eTestGeom parent, child;
    parent.AddChild(&child, 0);
    parent.m_nGeomFlags = 0x10;
    child.m_nGeomFlags = 0;
    parent.SetGeomFlagsOnOff(0x10, 0);  // no change: the child is not visited
    EXPECT_EQ(child.m_nGeomFlags, 0);
    parent.m_nGeomFlags = 0x10 | 0x400 | 0x2000;
    eTestGeom plain, optedOut;
    plain.m_nGeomFlags = 0x20 | kDraw;
    optedOut.m_nGeomFlags = 0x300;
    parent.AddChild(&plain, 1);
    parent.AddChild(&optedOut, 2);
    EXPECT_EQ(plain.m_nGeomFlags, kDirty | 0x2010);  // the parent's flags, dirty, without 0x400
    EXPECT_EQ(optedOut.m_nGeomFlags, 0x300 | kDirty | 0x2010);
}

TEST(eGeomBasicTest, FindAttachNodeSkipsSubObjectsInUse)
{
    eTestGeom g, c0, c2;
    g.m_subNames[0].Set("hand");
    g.m_subNames[1].Set("foot");
    g.m_subNames[2].Set("hand");
    cName hand, head;
    hand.Set("hand");
    head.Set("head");
    EXPECT_EQ(g.FindAttachNode(hand), 0);
    g.AddChild(&c0, 0);
    EXPECT_EQ(g.FindAttachNode(hand), 2);
    g.AddChild(&c2, 2);
    EXPECT_EQ(g.FindAttachNode(hand), 0);  // all in use: the first
    EXPECT_EQ(g.FindAttachNode(head), -1);
}

class eGeomTest : public WorldZoneTest {
protected:
    std::unique_ptr<eTestGeom> MakeNode(eZone* pZone, float x, float y, float z, uint16_t flags = kDraw | kCollide)
    {
        auto g = std::make_unique<eTestGeom>();
        g->m_fVisRadius = 1.0f;
        g->m_fColRadius = 20.0f;
        g->m_nGeomFlags = flags;
        g->SetZone(pZone);
        g->MoveTo(x, y, z);
        return g;
    }
    uint16_t VisCount(const eZone& z, int node) const { return z.m_pVisNodes[node].nGeomVisCount; }
    std::vector<int> VisCounts(const eZone& z, std::initializer_list<int> nodes) const
    {
        std::vector<int> counts;
        for (int node : nodes)
            counts.push_back(VisCount(z, node));
        return counts;
    }
};

TEST_F(eGeomTest, FlagsFileAndMovesRecountBothBranches)
{
    auto g = MakeNode(&m_a, 10, 10, 10, 0);
    EXPECT_EQ(g->m_nVisNodeIndex, -1);
    g->SetGeomFlagsOnOff(kDraw | kCollide, 0);
    EXPECT_EQ(g->m_nVisNodeIndex, 521);  // cells (4,4,4): ancestors 65, 8, 0
    EXPECT_EQ(g->m_nColNodeIndex, 8);    // radius 20: level 1, cell (1,1,1)
    auto h = MakeNode(&m_a, 10, 10, 10);
    EXPECT_EQ(m_a.m_pVisNodes[521].pGeomVis, g.get());
    EXPECT_EQ(h->m_pVisNext, g.get());
    EXPECT_EQ(VisCounts(m_a, {521, 65, 8, 0}), std::vector<int>({2, 2, 2, 2}));

    g->MoveTo(-10, 10, 10);  // cells (3,4,4): node 466, ancestors 58, 7, 0
    EXPECT_EQ(g->m_nVisNodeIndex, 466);
    EXPECT_EQ(VisCounts(m_a, {521, 65, 8, 466, 58, 7, 0}), std::vector<int>({1, 1, 1, 1, 1, 1, 2}));
    EXPECT_EQ(m_a.m_pVisNodes[521].pGeomVis, h.get());  // the head moved on
    g->MoveTo(-10, 10, 10);  // refiling into the same node changes nothing
    EXPECT_EQ(VisCount(m_a, 466), 1);

    h.reset();
    EXPECT_EQ(VisCount(m_a, 65), 0);
    EXPECT_EQ(m_a.m_pVisNodes[521].pGeomVis, nullptr);
    g->SetGeomFlagsOnOff(0, kDraw);
    EXPECT_EQ(VisCount(m_a, 0), 0);
    EXPECT_EQ(m_a.m_pColNodes[0].nGeomColCount, 1);
}

TEST_F(eGeomTest, CrossingZonesRefilesWithTheOffsetAndLeavingAllUnfiles)
{
    auto g = MakeNode(&m_a, 40, 0, 0);
    g->MoveTo(60, 0, 0);  // past A's max face, inside B
    EXPECT_EQ(g->m_pZone, &m_b);
    EXPECT_EQ(g->m_localToZone.origin, mVec3(-40, 0, 0));
    EXPECT_EQ(g->m_localToParent.origin, mVec3(-40, 0, 0));  // without a parent it follows the zone
    EXPECT_EQ(g->m_nZoneChanges, 1);
    EXPECT_EQ(g->m_lastDelta, mVec3(-100, 0, 0));
    EXPECT_EQ(VisCount(m_a, 0), 0);
    EXPECT_EQ(VisCount(m_b, 0), 1);
    EXPECT_EQ(m_b.m_pColNodes[0].nGeomColCount, 1);

    g->MoveTo(0, 200, 0);  // in no zone
    EXPECT_EQ(g->m_pZone, &m_b);
    EXPECT_EQ(g->m_nGeomFlags & (eGeom::kOutsideZones | kDirty), eGeom::kOutsideZones);
    EXPECT_EQ(g->m_nVisNodeIndex, -1);
    EXPECT_EQ(VisCount(m_b, 0), 0);
    EXPECT_EQ(g->m_nZoneChanges, 1);

    g->SetGeomFlagsOnOff(0, kDraw);  // draw on while outside: frame recomputed, nothing filed
    g->m_localToParent.origin.Set(0, 300, 0);
    g->m_nGeomFlags |= kDirty;
    g->SetGeomFlagsOnOff(kDraw, 0);
    EXPECT_EQ(g->m_localToZone.origin, mVec3(0, 300, 0));
    EXPECT_EQ(g->m_nVisNodeIndex, -1);

    g->MoveTo(0, 0, 0);  // back inside its zone
    EXPECT_EQ(g->m_nGeomFlags & eGeom::kOutsideZones, 0);
    EXPECT_EQ(VisCount(m_b, 0), 1);
}

TEST_F(eGeomTest, ChildrenFollowTheirAttachFrameAcrossZones)
{
    auto parent = MakeNode(&m_a, 10, 0, 0);
    parent->m_localToParent.basis.SetH(90);  // right is +y
    parent->MoveTo(10, 0, 0);
    parent->m_subFrames[2] = MakeFrame(0, 0, 5);
    const struct { const char* why; int sub; uint16_t flags; mVec3 at; } rows[] = {
        {"the parent's own frame", -1, 0, {10, 1, 0}},
        {"0x400: only the attach position", -1, eGeom::kAttachPosOnly, {11, 0, 0}},
        {"a sub-object's frame", 2, 0, {1, 0, 5}},
        {"a sub-object without a frame: the parent's own", 7, 0, {10, 1, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom child;
        child.m_nGeomFlags = row.flags;
        parent->AddChild(&child, row.sub);
        EXPECT_EQ(child.m_pZone, &m_a);
        child.MoveTo(1, 0, 0);
        EXPECT_TRUE(child.m_localToZone.origin.ApproxEqual(row.at, 1e-5f));
        child.Detach();
    }

    parent->m_localToParent.basis.MakeIdentity();
    parent->MoveTo(45, 0, 0);
    eTestGeom child;
    parent->AddChild(&child, -1);
    child.MoveTo(0, 2, 0);
    parent->MoveTo(55, 0, 0);
    ASSERT_EQ(parent->m_pZone, &m_b);
    EXPECT_EQ(child.m_pZone, &m_a);  // children find their zone at their own update
    child.MoveTo(0, 2, 0);
    EXPECT_EQ(child.m_pZone, &m_b);
    EXPECT_EQ(child.m_localToZone.origin, mVec3(-45, 2, 0));
    EXPECT_EQ(child.m_lastDelta, mVec3(-100, 0, 0));
    EXPECT_EQ(child.m_localToParent.origin, mVec3(0, 2, 0));
}

TEST_F(eGeomTest, SetZoneMovesTheSubtreeButSkipsBranchesAlreadyThere)
{
    auto parent = MakeNode(&m_a, 0, 0, 0);
    eTestGeom moved, skipped, underSkipped;
    parent->AddChild(&moved, 0);
    parent->AddChild(&skipped, 1);
    skipped.AddChild(&underSkipped, 0);
    skipped.m_pZone = &m_b;  // as if it had moved itself (radius -1: never filed)
    parent->SetZone(&m_b);
    EXPECT_EQ(moved.m_pZone, &m_b);
    EXPECT_EQ(underSkipped.m_pZone, &m_a);
    EXPECT_TRUE(parent->m_nGeomFlags & kDirty);
    EXPECT_EQ(VisCount(m_a, 0), 0);
    EXPECT_EQ(VisCount(m_b, 0), 1);  // filed by its current frame
}

TEST_F(eGeomTest, ADestroyedZoneLeavesNoNodePointingAtIt)
{
    eTestGeom g;
    {
        eZone c;
        SetUpZone(&c, 2, 0.0f);
        g.m_fVisRadius = 1.0f;
        g.m_nGeomFlags = kDraw;
        g.SetZone(&c);
        ASSERT_GE(g.m_nVisNodeIndex, 0);
    }
    EXPECT_EQ(eZone::s_pZones[2], nullptr);
    EXPECT_EQ(g.m_pZone, nullptr);
    EXPECT_EQ(g.m_nVisNodeIndex, -1);
    EXPECT_EQ(g.m_pVisNext, nullptr);
}

TEST(eGeomFileTest, BlockHoldsAnEmptyBaseBlockAndVersionZeroIsSkipped)
{
    eTestDataDir data;
    eTestGeom g;
    {
        cFile file;
        ASSERT_TRUE(file.Create(data.HostPath("g.dat").c_str(), 0, cFile::kPlatformConsole, true));
        g.Write(file);
    }
    datagen::BlockWriter w;
    w.Header().Begin(1).Begin(1).End().End().Trailer();
    EXPECT_EQ(ReadHostFile(data.HostPath("g.dat")), w.GetBytes());
    ASSERT_TRUE(datagen::BlockWriter().Header().Begin(0).Int(7).End().Int(1).Trailer().Save(data.HostPath("g.dat")));
    cFile file;
    ASSERT_TRUE(file.Open("/g.dat"));
    EXPECT_FALSE(g.Read(file, nullptr));
    EXPECT_TRUE(file.Failed());  // a refused block is a damaged file
}

}  // namespace
