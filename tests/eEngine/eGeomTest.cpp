#include "eEngine/eGeom.h"

#include <memory>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "worldTestSupport.h"
#include "worldZoneFixture.h"

namespace {

constexpr uint16_t kDraw = eGeom::kDraw;
constexpr uint16_t kCollide = eGeom::kCollide;
constexpr uint16_t kDirty = eGeom::kDirty;

// Node numbers in the fixture's trees (hand-worked: cell = trunc(0.08 x
// (50 + c)) per axis at level 3, Morton code added to 73).
constexpr int16_t kNodeAt10_10_10 = 521;   // cells (4,4,4); ancestors 65, 8, 0
constexpr int16_t kNodeAtM10_10_10 = 466;  // cells (3,4,4); ancestors 58, 7, 0
constexpr int16_t kBigNodeAt10_10_10 = 8;  // radius 20: level 1, cell (1,1,1)

class eGeomTest : public WorldZoneTest {
protected:
    // A node placed at a zone position, filed by SetZone and its first update.
    std::unique_ptr<eTestGeom> MakeNode(eZone* pZone, float x, float y, float z, uint16_t flags = kDraw | kCollide)
    {
        auto g = std::make_unique<eTestGeom>();
        g->m_fVisRadius = 1.0f;
        g->m_fColRadius = 20.0f;
        g->SetPosition(x, y, z);
        g->m_nGeomFlags = static_cast<uint16_t>(g->m_nGeomFlags | flags);
        g->SetZone(pZone);
        g->Update(cTimeValue(20));
        return g;
    }
};

TEST(eGeomBasicTest, NewNodeIsUnfiledAndCopiesTakeNothing)
{
    eTestGeom g;
    EXPECT_EQ(g.m_pZone, nullptr);
    EXPECT_EQ(g.m_nGeomFlags, 0);
    EXPECT_EQ(g.m_nSubIndex, -1);
    EXPECT_EQ(g.m_nVisNodeIndex, -1);
    EXPECT_EQ(g.m_nColNodeIndex, -1);
    EXPECT_EQ(g.m_fVisRadius, -1.0f);
    EXPECT_EQ(g.m_fColRadius, -1.0f);
    mOCS identity;
    identity.MakeIdentity();
    EXPECT_EQ(g.m_localToParent, identity);
    EXPECT_EQ(g.m_localToZone, identity);
    EXPECT_EQ(eGeom::GetStaticType()->m_nTypeId, 13u);
    EXPECT_EQ(eGeom::GetStaticType()->m_pNewFunc, nullptr);

    eTestGeom parent;
    parent.AddChild(&g, 2);
    g.m_nGeomFlags = kDraw | kCollide;
    g.m_fVisRadius = 5.0f;
    const eTestGeom copy(g);
    EXPECT_EQ(copy.m_pParent, nullptr);
    EXPECT_EQ(copy.m_pPrevSibling, nullptr);
    EXPECT_EQ(copy.m_nSubIndex, -1);
    EXPECT_EQ(copy.m_nVisNodeIndex, -1);
    EXPECT_EQ(copy.m_nGeomFlags, 0);
    EXPECT_EQ(copy.m_fVisRadius, 0.0f);
    EXPECT_EQ(copy.m_localToZone.basis.right, mVec3(0, 0, 0));
    EXPECT_EQ(parent.m_pFirstChild, &g);  // the source stays where it was
}

TEST(eGeomBasicTest, ChildrenFormARingInAttachOrder)
{
    eTestGeom parent, a, b, c, other;
    parent.AddChild(&a, 0);
    parent.AddChild(&b, 1);
    parent.AddChild(&c, 1);
    EXPECT_EQ(parent.m_pFirstChild, &a);
    EXPECT_EQ(a.m_pNextSibling, &b);
    EXPECT_EQ(b.m_pNextSibling, &c);
    EXPECT_EQ(c.m_pNextSibling, &a);
    EXPECT_EQ(a.m_pPrevSibling, &c);
    EXPECT_EQ(parent.GetChild(1), &b);  // first in ring order
    EXPECT_EQ(parent.GetChild(3), nullptr);

    parent.AddChild(&b, 3);  // already a child: nothing changes, not even the index
    EXPECT_EQ(b.m_nSubIndex, 1);
    EXPECT_EQ(a.m_pNextSibling, &b);

    other.AddChild(&b, 3);  // taken from its parent's ring
    EXPECT_EQ(b.m_pParent, &other);
    EXPECT_EQ(b.m_nSubIndex, 3);
    EXPECT_EQ(a.m_pNextSibling, &c);
    EXPECT_EQ(other.m_pFirstChild, &b);
    EXPECT_EQ(b.m_pNextSibling, &b);  // a lone child links to itself

    a.Detach();  // the first of several: the next becomes first
    EXPECT_EQ(parent.m_pFirstChild, &c);
    EXPECT_EQ(c.m_pNextSibling, &c);
    EXPECT_EQ(a.m_pParent, nullptr);
    EXPECT_EQ(a.m_pNextSibling, nullptr);
    EXPECT_EQ(a.m_nSubIndex, -1);
    c.Detach();  // the only one
    EXPECT_EQ(parent.m_pFirstChild, nullptr);
    c.Detach();  // detaching a free node is harmless
    EXPECT_EQ(c.m_pParent, nullptr);
}

TEST(eGeomBasicTest, CyclesAreRefused)
{
    eTestGeom a, b;
    a.AddChild(&b, 0);
    b.AddChild(&a, 0);
    a.AddChild(&a, 0);
    EXPECT_EQ(a.m_pParent, nullptr);
    EXPECT_EQ(b.m_pFirstChild, nullptr);
    EXPECT_EQ(a.m_pFirstChild, &b);
}

TEST(eGeomBasicTest, DetachedNodeKeepsItsPlacement)
{
    eTestGeom parent, child;
    parent.AddChild(&child, -1);
    child.m_localToParent = MakeFrame(1, 2, 3);
    child.m_localToZone = MakeFrame(11, 12, 13, 90);
    child.Detach();
    EXPECT_EQ(child.m_localToParent, MakeFrame(11, 12, 13, 90));
}

TEST(eGeomBasicTest, DestroyedParentFreesItsChildren)
{
    eTestGeom a, b;
    {
        eTestGeom parent;
        parent.AddChild(&a, 0);
        parent.AddChild(&b, 1);
        a.m_localToZone = MakeFrame(5, 0, 0);
    }
    EXPECT_EQ(a.m_pParent, nullptr);
    EXPECT_EQ(b.m_pParent, nullptr);
    EXPECT_EQ(a.m_pNextSibling, nullptr);
    EXPECT_EQ(a.m_localToParent, MakeFrame(5, 0, 0));
}

TEST(eGeomBasicTest, FlagChangesPassToChildrenExceptOptedOutBits)
{
    const struct {
        const char* why;
        uint16_t childFlags;  // before the parent's change
        unsigned int on, off;
        uint16_t parentAfter, childAfter;
    } rows[] = {
        {"draw passes on", 0, kDraw, 0, kDraw, kDraw},
        {"collide passes on", 0, kCollide, 0, kCollide, kCollide},
        {"0x100 keeps the child's own draw (off)", 0x100, kDraw, 0, kDraw, 0x100},
        {"0x100 keeps the child's own draw (on)", 0x100 | kDraw, 0, kDraw, 0, 0x100 | kDraw},
        {"0x200 keeps the child's own collide", 0x200, kDraw | kCollide, 0, kDraw | kCollide, 0x200 | kDraw},
        {"0x100-0x800 never reach a child", 0, 0xF00 | 0x10, 0, 0xF00 | 0x10, 0x10},
        {"nor are they cleared on a child", 0x400, 0x10, 0x400, 0x10, 0x400 | 0x10},
        {"off bits pass on", kDraw | 0x10, 0x20, 0x10, 0x20, kDraw | 0x20},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom parent, child, grandchild;
        parent.AddChild(&child, 0);
        child.AddChild(&grandchild, 0);
        parent.m_nGeomFlags = 0;
        child.m_nGeomFlags = row.childFlags;
        grandchild.m_nGeomFlags = 0;
        parent.SetGeomFlagsOnOff(row.on, row.off);
        EXPECT_EQ(parent.m_nGeomFlags, row.parentAfter);
        EXPECT_EQ(child.m_nGeomFlags, row.childAfter);
    }
}

TEST(eGeomBasicTest, UnchangedFlagsDoNotVisitChildren)
{
    eTestGeom parent, child;
    parent.AddChild(&child, 0);
    parent.m_nGeomFlags = kDraw;
    child.m_nGeomFlags = 0;  // out of step with the parent on purpose
    parent.SetGeomFlagsOnOff(kDraw, 0);
    EXPECT_EQ(child.m_nGeomFlags, 0);
    parent.SetGeomFlagsOnOff(0x10, 0);
    EXPECT_EQ(child.m_nGeomFlags, 0x10);  // a real change passes on its own bits only
}

TEST(eGeomBasicTest, AttachedChildTakesParentFlagsAndBecomesDirty)
{
    // No draw or collide bit here: those would file the child at once (and,
    // with no zone live, mark it outside every zone).
    eTestGeom parent, plain, optedOut;
    parent.m_nGeomFlags = 0x10 | 0x400 | 0x2000;
    plain.m_nGeomFlags = 0x20 | kDraw;
    optedOut.m_nGeomFlags = 0x100 | 0x200 | 0x800;
    parent.AddChild(&plain, 0);
    parent.AddChild(&optedOut, 1);
    EXPECT_EQ(plain.m_nGeomFlags, kDirty | 0x10 | 0x2000);  // 0x20 and draw cleared, 0x400 not passed
    EXPECT_EQ(optedOut.m_nGeomFlags, 0x100 | 0x200 | 0x800 | kDirty | 0x10 | 0x2000);
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

TEST_F(eGeomTest, FilingFollowsTheFlagBits)
{
    auto g = MakeNode(&m_a, 10, 10, 10, 0);
    EXPECT_EQ(g->m_pZone, &m_a);
    EXPECT_EQ(g->m_nVisNodeIndex, -1);
    EXPECT_EQ(g->m_nColNodeIndex, -1);

    g->SetGeomFlagsOnOff(kDraw, 0);
    EXPECT_EQ(g->m_nVisNodeIndex, kNodeAt10_10_10);
    EXPECT_EQ(g->m_nColNodeIndex, -1);
    EXPECT_EQ(m_a.m_pVisNodes[kNodeAt10_10_10].pGeomVis, g.get());
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 1);

    g->SetGeomFlagsOnOff(kCollide, kDraw);
    EXPECT_EQ(g->m_nVisNodeIndex, -1);
    EXPECT_EQ(g->m_nColNodeIndex, kBigNodeAt10_10_10);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
    EXPECT_EQ(m_a.m_pVisNodes[kNodeAt10_10_10].pGeomVis, nullptr);
    EXPECT_EQ(m_a.m_pColNodes[kBigNodeAt10_10_10].nGeomColCount, 1);
    EXPECT_EQ(m_a.m_pColNodes[0].nGeomColCount, 1);
    EXPECT_EQ(m_a.m_pColNodes[1].nGeomColCount, 0);
}

TEST_F(eGeomTest, MovingRefilesAndRecountsBothBranches)
{
    auto g = MakeNode(&m_a, 10, 10, 10);
    auto h = MakeNode(&m_a, 10, 10, 10);
    ASSERT_EQ(g->m_nVisNodeIndex, kNodeAt10_10_10);
    for (int node : {521, 65, 8, 0})
        EXPECT_EQ(m_a.m_pVisNodes[node].nGeomVisCount, 2) << node;
    EXPECT_EQ(m_a.m_pVisNodes[kNodeAt10_10_10].pGeomVis, g.get());
    EXPECT_EQ(g->m_pVisNext, h.get());
    EXPECT_EQ(h->m_pVisNext, g.get());

    g->SetPosition(-10, 10, 10);
    g->Update(cTimeValue(20));
    EXPECT_EQ(g->m_nVisNodeIndex, kNodeAtM10_10_10);
    for (int node : {521, 65, 8})
        EXPECT_EQ(m_a.m_pVisNodes[node].nGeomVisCount, 1) << node;
    for (int node : {466, 58, 7})
        EXPECT_EQ(m_a.m_pVisNodes[node].nGeomVisCount, 1) << node;
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 2);
    EXPECT_EQ(m_a.m_pVisNodes[kNodeAt10_10_10].pGeomVis, h.get());  // head moved to the next
    EXPECT_EQ(h->m_pVisNext, h.get());

    // Updating in place changes nothing.
    g->SetPosition(-10, 10, 10);
    g->Update(cTimeValue(20));
    EXPECT_EQ(m_a.m_pVisNodes[466].nGeomVisCount, 1);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 2);

    h.reset();  // destruction unfiles
    for (int node : {521, 65, 8})
        EXPECT_EQ(m_a.m_pVisNodes[node].nGeomVisCount, 0) << node;
    EXPECT_EQ(m_a.m_pVisNodes[kNodeAt10_10_10].pGeomVis, nullptr);
    EXPECT_EQ(m_a.m_pColNodes[0].nGeomColCount, 1);
}

TEST_F(eGeomTest, CrossingIntoAnotherZoneRefilesThereWithTheOffset)
{
    auto g = MakeNode(&m_a, 40, 0, 0);
    ASSERT_EQ(g->m_pZone, &m_a);
    g->SetPosition(60, 0, 0);  // past A's max face, inside B
    g->Update(cTimeValue(20));
    EXPECT_EQ(g->m_pZone, &m_b);
    EXPECT_EQ(g->m_localToZone.origin, mVec3(-40, 0, 0));
    EXPECT_EQ(g->m_localToParent.origin, mVec3(-40, 0, 0));  // no parent: follows the zone frame
    EXPECT_EQ(g->m_nZoneChanges, 1);
    EXPECT_EQ(g->m_lastDelta, mVec3(-100, 0, 0));
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
    EXPECT_EQ(m_a.m_pColNodes[0].nGeomColCount, 0);
    EXPECT_EQ(m_b.m_pVisNodes[0].nGeomVisCount, 1);
    EXPECT_EQ(m_b.m_pColNodes[0].nGeomColCount, 1);
    EXPECT_FALSE(g->m_nGeomFlags & kDirty);
}

TEST_F(eGeomTest, LeavingEveryZoneUnfilesWithoutCallback)
{
    auto g = MakeNode(&m_a, 0, 0, 0);
    g->SetPosition(0, 200, 0);
    g->Update(cTimeValue(20));
    EXPECT_EQ(g->m_pZone, &m_a);  // keeps its zone
    EXPECT_TRUE(g->m_nGeomFlags & eGeom::kOutsideZones);
    EXPECT_FALSE(g->m_nGeomFlags & kDirty);
    EXPECT_EQ(g->m_localToZone.origin, mVec3(0, 200, 0));
    EXPECT_EQ(g->m_nVisNodeIndex, -1);
    EXPECT_EQ(g->m_nColNodeIndex, -1);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
    EXPECT_EQ(g->m_nZoneChanges, 0);

    // Turning draw on recomputes a dirty frame but files nothing while outside.
    g->SetGeomFlagsOnOff(0, kDraw);
    g->SetPosition(0, 300, 0);
    g->SetGeomFlagsOnOff(kDraw, 0);
    EXPECT_EQ(g->m_localToZone.origin, mVec3(0, 300, 0));
    EXPECT_FALSE(g->m_nGeomFlags & kDirty);
    EXPECT_EQ(g->m_nVisNodeIndex, -1);

    g->SetPosition(10, 10, 10);  // back inside its zone
    g->Update(cTimeValue(20));
    EXPECT_FALSE(g->m_nGeomFlags & eGeom::kOutsideZones);
    EXPECT_EQ(g->m_nVisNodeIndex, kNodeAt10_10_10);
    EXPECT_EQ(g->m_nZoneChanges, 0);
}

TEST_F(eGeomTest, ChildFollowsItsAttachFrame)
{
    auto parent = MakeNode(&m_a, 10, 0, 0);
    parent->m_localToParent.basis.SetH(90);  // right is +y, forward is -x
    parent->m_nGeomFlags |= kDirty;
    parent->Update(cTimeValue(20));
    parent->m_subFrames[2] = MakeFrame(0, 0, 5);

    const struct { const char* why; int subIndex; uint16_t extra; mVec3 expected; } rows[] = {
        {"the parent's own frame", -1, 0, {10, 1, 0}},
        {"0x400: only the attach position", -1, eGeom::kAttachPosOnly, {11, 0, 0}},
        {"a sub-object's frame", 2, 0, {1, 0, 5}},
        {"a sub-object without a frame: the parent's own frame", 7, 0, {10, 1, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        eTestGeom child;
        child.m_nGeomFlags = row.extra;
        parent->AddChild(&child, row.subIndex);
        child.m_localToParent = MakeFrame(1, 0, 0);
        child.m_nGeomFlags |= kDirty;
        child.Update(cTimeValue(20));
        EXPECT_TRUE(child.m_localToZone.origin.ApproxEqual(row.expected, 1e-5f));
        EXPECT_EQ(child.m_pZone, &m_a);
        child.Detach();
    }
}

TEST_F(eGeomTest, ChildOfAParentInAnotherZoneFindsItsOwnZone)
{
    auto parent = MakeNode(&m_a, 45, 0, 0);
    eTestGeom child;
    child.m_fVisRadius = 1.0f;
    parent->AddChild(&child, -1);
    child.m_localToParent = MakeFrame(0, 2, 0);
    child.m_nGeomFlags |= kDirty;
    child.Update(cTimeValue(20));
    ASSERT_EQ(child.m_pZone, &m_a);
    EXPECT_EQ(child.m_localToZone.origin, mVec3(45, 2, 0));

    parent->SetPosition(55, 0, 0);
    parent->Update(cTimeValue(20));
    ASSERT_EQ(parent->m_pZone, &m_b);
    EXPECT_EQ(child.m_pZone, &m_a);  // not moved with its parent

    child.m_nGeomFlags |= kDirty;
    child.Update(cTimeValue(20));
    EXPECT_EQ(child.m_pZone, &m_b);
    EXPECT_EQ(child.m_localToZone.origin, mVec3(-45, 2, 0));
    EXPECT_EQ(child.m_lastDelta, mVec3(-100, 0, 0));
    EXPECT_EQ(child.m_localToParent.origin, mVec3(0, 2, 0));  // a child keeps its offset
    EXPECT_EQ(m_b.m_pVisNodes[0].nGeomVisCount, 2);
}

TEST_F(eGeomTest, SetZoneMovesTheSubtreeButSkipsBranchesAlreadyThere)
{
    auto parent = MakeNode(&m_a, 0, 0, 0);
    eTestGeom moved, skipped, underSkipped;
    parent->AddChild(&moved, 0);
    parent->AddChild(&skipped, 1);
    skipped.AddChild(&underSkipped, 0);
    ASSERT_EQ(underSkipped.m_pZone, &m_a);
    skipped.m_pZone = &m_b;  // as if it had already moved itself

    parent->SetZone(&m_b);
    EXPECT_EQ(parent->m_pZone, &m_b);
    EXPECT_EQ(moved.m_pZone, &m_b);
    EXPECT_EQ(underSkipped.m_pZone, &m_a);
    EXPECT_TRUE(parent->m_nGeomFlags & kDirty);
    EXPECT_EQ(m_a.m_pVisNodes[0].nGeomVisCount, 0);
    EXPECT_EQ(m_b.m_pVisNodes[0].nGeomVisCount, 1);  // filed by its current frame

    parent->SetZone(nullptr);
    EXPECT_EQ(parent->m_pZone, nullptr);
    EXPECT_EQ(m_b.m_pVisNodes[0].nGeomVisCount, 0);
    skipped.m_pZone = nullptr;
}

TEST_F(eGeomTest, DestroyedZoneLeavesNoNodePointingAtIt)
{
    eTestGeom g;
    {
        eZone c;
        SetUpZone(&c, 2, 0.0f);
        g.m_fVisRadius = 1.0f;
        g.m_fColRadius = 1.0f;
        g.m_nGeomFlags = kDraw | kCollide;
        g.SetZone(&c);
        ASSERT_GE(g.m_nVisNodeIndex, 0);
    }
    EXPECT_EQ(eZone::s_pZones[2], nullptr);
    EXPECT_EQ(g.m_pZone, nullptr);
    EXPECT_EQ(g.m_nVisNodeIndex, -1);
    EXPECT_EQ(g.m_nColNodeIndex, -1);
    EXPECT_EQ(g.m_pVisNext, nullptr);
}

class eGeomFileTest : public testing::Test {
protected:
    eTestDataDir m_data;
};

TEST_F(eGeomFileTest, BlockHoldsOnlyAnEmptyBaseBlock)
{
    eTestGeom g;
    {
        cFile file;
        ASSERT_TRUE(file.Create(m_data.HostPath("g.dat").c_str(), 0, cFile::kPlatformConsole, true));
        g.Write(file);
    }
    datagen::BlockWriter expected;
    expected.Header().Begin(1).Begin(1).End().End().Trailer();
    EXPECT_EQ(ReadHostFile(m_data.HostPath("g.dat")), expected.GetBytes());

    cFile file;
    ASSERT_TRUE(file.Open("/g.dat"));
    EXPECT_TRUE(g.Read(file, nullptr));
}

TEST_F(eGeomFileTest, VersionZeroIsSkippedWhole)
{
    datagen::BlockWriter w;
    w.Header().Begin(0).Int(7).Int(8).End().Int(0x1234).Trailer();
    ASSERT_TRUE(w.Save(m_data.HostPath("g.dat")));
    cFile file;
    ASSERT_TRUE(file.Open("/g.dat"));
    eTestGeom g;
    EXPECT_FALSE(g.Read(file, nullptr));
    EXPECT_EQ(file.GetCurrentPos(), 8u + 12u + 8u + 4u);  // after the end marker
}

TEST_F(eGeomFileTest, TruncatedBlocksFail)
{
    datagen::BlockWriter w;
    w.Header().Begin(1).Begin(1).End().End().Trailer();
    for (size_t len = 8; len < 8 + 12 + 12 + 4; ++len) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("g.dat"), w.Prefix(len)));
        cFile file;
        ASSERT_TRUE(file.Open("/g.dat"));
        eTestGeom g;
        EXPECT_FALSE(g.Read(file, nullptr));
    }
}

}  // namespace
