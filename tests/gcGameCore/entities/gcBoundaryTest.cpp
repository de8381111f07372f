// Boundary shapes, the hand-over to neighbours, regions that are not
// resident, and movers far from the world's origin.
#include "gcGameCore/entities/gcBoundary.h"

#include <cmath>

#include <gtest/gtest.h>

#include "datagen/regionWriters.h"
#include "entityTestObjects.h"

namespace {

using B = gcBoundary;
constexpr float kIn = B::kClipInset;

class gcBoundaryTest : public EntityWorldTest {
protected:
    void TearDown() override
    {
        for (gcBoundary*& p : gcBoundaryMgr::s_pInstances)
            p = nullptr;
        EntityWorldTest::TearDown();
    }
    // In region 1 (zone A, the world's frame): origin (1, 2, 5), turned a
    // quarter left, so that a local (x, y, z) is the world (1 - y, 2 + x, 5 + z).
    gcBoundary* Place(int slot, bool bCircular, float w, float d, float r, float ox = 1, float oy = 2)
    {
        gcBoundary* p = m_pool.New<gcBoundary>();
        p->m_nRegionId = 1;
        p->m_localToRegion = MakeFrame(ox, oy, 5);
        p->m_localToRegion.basis.right.Set(0, 1, 0);
        p->m_localToRegion.basis.forward.Set(-1, 0, 0);
        p->m_bCircular = bCircular;
        p->m_fWidth = w, p->m_fDepth = d, p->m_fRadius = r;
        gcBoundaryMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        return p;
    }
    static mVec3 W(float x, float y, float z = 0) { return mVec3(1 - y, 2 + x, 5 + z); }
};

void ExpectNear(const mVec3& got, const mVec3& want, const char* what)
{
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(got[i], want[i], 1e-6f) << what << " component " << i;
}

const mVec3 kUnset(-99, -99, -99);

TEST_F(gcBoundaryTest, ShapesAnswerInTheirFrame)
{
    struct Row {
        const char* name;
        bool bCircular;
        mVec3 start, end;  // local
        bool result, inside;
        mVec3 clip, slide;  // world; kUnset: not written
        int16_t regionId = 1;
    };
    const float a = 2 - kIn, r = 2 - B::kSlideInset;
    const Row rows[] = {
        {"on a corner is inside", false, W(2, 1), W(2, 1), true, true, W(a, 1 - kIn), W(a, 1 - kIn)},
        {"out through x", false, W(0, 0), W(4, 0.5f), false, true, W(a, 0.25f), W(a, 0.5f)},
        // Each clipped coordinate from its own side: x where y = 1, y where x = 2.
        {"out through a corner", false, W(0.5f, 0.5f), W(4, 2), false, true, W(0.5f + 0.5f * 3.5f / 1.5f, 1 - kIn),
         W(a, 1 - kIn)},
        {"outside along the side", false, W(3, 0), W(3, 0.5f), false, false, W(a, 0), W(a, 0.5f)},
        {"heights are dropped", false, W(0, 0, 3), W(1, 0.5f, -2), true, true, W(1, 0.5f), W(1, 0.5f)},
        {"on the circle is outside", true, W(2, 0), W(2, 0), false, false, W(2, 0), kUnset},
        {"out of the circle", true, W(0, 0, 7), W(3, 4, 1), false, true, W(0, 0), W(r * 0.6f, r * 0.8f)},
        {"within the circle", true, W(0, 0), W(1, 1, 9), true, true, W(1, 1), kUnset},
        {"no rectangle off the map", false, W(0, 0), W(0.5f, 0), false, false, kUnset, kUnset, 7},
        {"no circle off the map", true, W(0, 0), W(0.5f, 0), false, false, kUnset, kUnset, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        gcBoundary* p = Place(0, row.bCircular, 4, 2, 2);
        p->m_nRegionId = row.regionId;
        mVec3 clip = kUnset, slide = kUnset;
        bool bInside = !row.inside;
        EXPECT_EQ(p->Contains(row.start, row.end, &clip, &slide, &bInside), row.result);
        EXPECT_EQ(bInside, row.inside);
        ExpectNear(clip, row.clip, "clip");
        ExpectNear(slide, row.slide, "slide");
        EXPECT_EQ(p->Contains(row.start), row.inside);
    }
}

TEST_F(gcBoundaryTest, MovementsPassIntoNeighbours)
{
    // A: x in [-2, 2] (local), B overlapping it from 1.5 to 3.5, C unplaced.
    gcBoundary* a = Place(0, false, 4, 2, 0);
    gcBoundary* b = Place(1, false, 2, 2, 0, 1, 4.5f);
    a->m_hNeighbors[0] = gcBoundaryHandle(0x12340007);  // resolves to nothing: skipped
    a->m_hNeighbors[1] = b->m_handle;
    struct Row {
        const char* name;
        mVec3 start, end;
        bool result;
        const gcBoundary* current;
        mVec3 clip, slide;
    };
    const Row rows[] = {
        {"ends in the neighbour", W(0, 0), W(3, 0.5f), true, b, W(3, 0.5f), W(2 - kIn, 0.5f)},
        {"stops in the neighbour", W(0, 0), W(5, 0.5f), false, b, W(3.5f - kIn, 0.5f), W(3.5f - kIn, 0.5f)},
        {"starts outside", W(-3, 0), W(3, 0.5f), false, a, W(2 - kIn, 5 * 0.5f / 6), W(2 - kIn, 0.5f)},
        {"stays inside", W(0, 0), W(1, 0), true, a, W(1, 0), W(1, 0)},
        {"out where no neighbour is", W(0, 0), W(0, 5), false, a, W(0, 1 - kIn), W(0, 1 - kIn)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mVec3 clip = kUnset, slide = kUnset;
        gcBoundaryHandle current;
        bool bInside = false;
        EXPECT_EQ(a->Contains(row.start, row.end, &clip, &slide, &current, &bInside), row.result);
        EXPECT_EQ(current, row.current->m_handle);
        ExpectNear(clip, row.clip, "clip");
        ExpectNear(slide, row.slide, "slide");
    }
    b->m_hNeighbors[0] = a->m_handle;  // the way back: handed to A
    mVec3 clip, slide;
    gcBoundaryHandle current;
    bool bInside = false;
    EXPECT_TRUE(b->Contains(W(3, 0), W(0, 0), &clip, &slide, &current, &bInside));
    EXPECT_EQ(current, a->m_handle);
}

// Far out a float step exceeds the fixed pull: the stopped mover must still
// test as inside, or it could never move again.
TEST_F(gcBoundaryTest, AMoverFarFromTheOriginStaysInside)
{
    m_b.m_localToWorld = MakeFrame(3000.0f, -2000.0f, 40.0f);
    for (bool bCircular : {false, true}) {
        SCOPED_TRACE(bCircular);
        gcBoundary* p = Place(0, bCircular, 4, 2, 2);
        p->m_nRegionId = 2;
        p->m_localToRegion.origin.Set(0.3f, 0.7f, 0.0f);
        for (float angle = 0.0f; angle < 360.0f; angle += 7.0f) {
            const mVec3 start(3000.3f, -1999.3f, 40.0f);
            const mVec3 end = start + mVec3(std::cos(angle) * 5, std::sin(angle) * 5, 0);
            mVec3 clip = start, slide = start;
            bool bInside = false;
            ASSERT_FALSE(p->Contains(start, end, &clip, &slide, &bInside)) << angle;
            ASSERT_TRUE(bInside);
            EXPECT_TRUE(p->Contains(slide)) << angle;
            EXPECT_TRUE(bCircular || p->Contains(clip)) << angle;
        }
    }
}

TEST_F(gcBoundaryTest, VersionOneKeepsTheShapeDefaults)
{
    datagen::BoundaryDesc d{"Old", 3, {1, 2, 3, 0, 1, 0, -1, 0, 0, 0, 0, 1}, 6, 8, true, 9, {5, 6}};
    gcBoundary* p = m_pool.New<gcBoundary>();
    ASSERT_TRUE(ReadBlock([&](datagen::BlockWriter& w) { datagen::BoundaryBlock(w, d, 1); }, p));
    EXPECT_EQ(p->m_nRegionId, 3);
    EXPECT_EQ(p->m_localToRegion.origin, mVec3(1, 2, 3));
    EXPECT_EQ(p->m_localToRegion.basis.forward, mVec3(-1, 0, 0));
    EXPECT_EQ(p->m_fWidth, 6.0f);
    EXPECT_EQ(p->m_fDepth, 8.0f);
    EXPECT_FALSE(p->m_bCircular);
    EXPECT_EQ(p->m_fRadius, 1.0f);
    EXPECT_TRUE(p->m_hNeighbors[1].IsNull());
    std::destroy_at(p);
}

// A size that is not a number or below zero refuses the block, logged once,
// and the boundary keeps what it had: one that is not finite is refused by
// the block reader, one below zero by the boundary.
TEST_F(gcBoundaryTest, SizesThatAreNotNumbersOrNegativeAreRefused)
{
    const float kNaN = std::nanf("");
    struct Row {
        float width, depth, radius;
        bool bAccepted;
    };
    const Row rows[] = {
        {kNaN, 8, 9, false}, {6, kNaN, 9, false},      {6, 8, kNaN, false},   {-1, 8, 9, false},
        {6, -0.5f, 9, false}, {6, 8, -2, false},       {INFINITY, 8, 9, false}, {6, 8, -INFINITY, false},
        {0, 0, 0, true},     {6, 8, 9, true},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.width << " " << r.depth << " " << r.radius);
        gcBoundary* p = Place(1, true, 2, 3, 4);
        datagen::BoundaryDesc d{"New", 3, {1, 2, 3, 0, 1, 0, -1, 0, 0, 0, 0, 1}, r.width, r.depth, true, r.radius, {5, 6}};
        gcTestLogCapture log;
        EXPECT_EQ(ReadBlock([&](datagen::BlockWriter& w) { datagen::BoundaryBlock(w, d, B::kVersion); }, p), r.bAccepted);
        const bool bFinite = std::isfinite(r.width) && std::isfinite(r.depth) && std::isfinite(r.radius);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), r.bAccepted ? 0 : 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "size not accepted"), r.bAccepted || !bFinite ? 0 : 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "a float that is not finite"), bFinite ? 0 : 1);
        EXPECT_EQ(p->m_fWidth, r.bAccepted ? r.width : 2.0f);
        EXPECT_EQ(p->m_fDepth, r.bAccepted ? r.depth : 3.0f);
        EXPECT_EQ(p->m_fRadius, r.bAccepted ? r.radius : 4.0f);
        EXPECT_EQ(p->m_nRegionId, r.bAccepted ? 3 : 1);
        EXPECT_STREQ(p->m_name.m_sData, r.bAccepted ? "New" : "");
    }
}

}  // namespace
