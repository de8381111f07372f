#include "eEngine/ePath.h"

#include <cmath>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/particleWriters.h"
#include "eEngine/ePath.h"
#include "mMath/mBasis.h"
#include "worldTestSupport.h"

namespace {

class ePathTest : public testing::Test {
protected:
    void TearDown() override
    {
        for (ePath*& p : ePathMgr::s_pInstances)
            p = nullptr;
    }
    ePath* Make(const std::vector<datagen::PathPointDesc>& points)
    {
        ePath* p = datagen::BuildPath("route", points, &m_pool);
        EXPECT_NE(p, nullptr);
        return p;
    }
    ePath* Corner() { return Make({{0, 0, 0, 0}, {0, 4, 0, 10}, {-6, 4, 0, 40}}); }
    eTestDataDir m_data;
    cMemPool m_pool{"pathTest", 0x20000, false};
};

TEST_F(ePathTest, ParameterDistancePositionAndRoll)
{
    const ePath& p = *Corner();
    EXPECT_EQ(p.m_fLength, 10.0f);
    EXPECT_EQ(p.PathT2Units(1.5f), 7.0f);
    const struct { const char* why; float units, hint; bool forward; float t; } rows[] = {
        {"forward from the start", 7, 0, true, 1.5f},
        {"backward from the end", 7, 2, false, 1.5f},
        {"past the length: clamped to the end", 12, 0, true, 2.0f},
        {"below zero: the start", -3, 2, false, 0.0f},
        {"exactly on a point going forward", 4, 0, true, 1.0f},
        {"backward from a hint in the same segment", 7, 1.2f, false, 1.5f},
        {"backward from a hint before the place", 7, 0, false, 1.75f},
        {"backward from the first segment's second half", 7, 0.6f, false, 1.75f},
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(p.Units2PathT(row.units, row.hint, row.forward), row.t) << row.why;
    mVec3 pos;
    p.GetPosOnPath(2.0f, &pos);
    EXPECT_EQ(pos, mVec3(-6, 4, 0));  // the last point exactly
    p.GetPosOnPath(1.25f, &pos);
    EXPECT_EQ(pos, mVec3(-1.5f, 4, 0));
    p.GetPosOnPath(-5.0f, &pos);  // outside the range: the first point, never before the array
    EXPECT_EQ(pos, mVec3(0, 0, 0));
    EXPECT_FLOAT_EQ(p.GetRollAt(1.5f), 25.0f);
    EXPECT_EQ(p.GetRollAt(2.0f), 40.0f);
    for (float t : {1.9f, 2.0f}) {
        mBasis b;
        p.GetBasisAt(t, &b);
        float h, pitch, r;
        b.GetHPR(&h, &pitch, &r);
        EXPECT_NEAR(h, 90.0f, 1e-4f) << t;
        EXPECT_NEAR(pitch, 0.0f, 1e-4f) << t;
        EXPECT_NEAR(r, t == 2.0f ? 40.0f : 37.0f, 1e-3f) << t;
    }
}

TEST_F(ePathTest, ClosestPoints)
{
    const ePath& p = *Corner();
    const struct { const char* why; mVec3 at; float t; } rows[] = {
        {"beside the middle of the second segment", {-3, 5, 0}, 1.5f},
        {"before the first point", {0, -5, 0}, 0.0f},
        {"as near to both segments: the lower wins", {-2, 2, 0}, 0.5f},
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(p.FindClosestPoint(row.at), row.t) << row.why;
    const ePath& climb = *Make({{0, 0, 0}, {10, 0, 0}, {20, 0, 100}});
    EXPECT_EQ(climb.FindClosestPoint2DXY(mVec3(15, 0, 0)), 1.5f);
    EXPECT_LT(climb.FindClosestPoint(mVec3(15, 0, 0)), 1.01f);
    EXPECT_EQ(p.FindClosestPoint2DXY(mVec3(-3, 5, 1000)), 1.5f);  // height ignored

    EXPECT_FLOAT_EQ(p.FindClosestPointMinDist(0, 2, 2, mVec3(0, 1, 0)), 0.75f);
    EXPECT_FLOAT_EQ(p.FindClosestPointMinDist(0, 2, 2, mVec3(0, 3.5f, 0)), 1.0f + std::sqrt(3.75f) / 6.0f);
    EXPECT_EQ(p.FindClosestPointMinDist(0.25f, 2, 2, mVec3(5, 1, 0)), 0.25f);  // out of reach: fromT
    EXPECT_FLOAT_EQ(p.FindClosestPointMinDist(2, 0, 1, mVec3(-4, 4, 0)), 1.5f);  // walking backward
    EXPECT_FLOAT_EQ(Make({{0, 0, 0}, {10, 0, 0}})->FindClosestPointMinDist(0, 1, 2, mVec3(5, 0, 0)), 0.7f);
}

TEST_F(ePathTest, MovingAlongAtALimitedSpeed)
{
    const ePath& p = *Corner();
    float unused = 0;
    const struct { const char* why; float cur, dest, speed; bool oneWay; float t; } rows[] = {
        {"a step past the goal lands on it", 0, 2, 1.0f, false, 2.0f},
        {"5 units forward", 0, 2, 0.25f, false, 1.0f + 1.0f / 6.0f},
        {"5 units backward", 2, 0, 0.25f, false, 1.0f + 1.0f / 6.0f},
        {"one way toward the goal", 0, 2, 0.1f, true, 0.5f},
        {"one way backward toward the goal", 2, 0, 0.25f, true, 1.0f + 1.0f / 6.0f},
        {"already there: unchanged", 1.2f, 1.2f, 1.0f, false, 1.2f},
    };
    for (const auto& row : rows)
        EXPECT_FLOAT_EQ(p.MoveAlongPath(cTimeValue(20), row.cur, row.dest, unused, row.speed, {}, {}, row.oneWay),
                        row.t)
            << row.why;
    mVec3 dir;
    EXPECT_EQ(p.GetSegmentDir(0, 2, &dir), 10.0f);
    EXPECT_TRUE(dir.ApproxEqual(mVec3(-0.6f, 0.4f, 0), 1e-7f));
    EXPECT_EQ(p.GetSegmentDir(1, 2, &dir), 6.0f);
    EXPECT_EQ(dir, mVec3(-1, 0, 0));
    EXPECT_EQ(p.GetSegmentDir(0, 3, &dir), 0.0f);  // outside the path
}

TEST_F(ePathTest, DegeneratePathsGiveFiniteAnswers)
{
    const ePath& rep = *Make({{0, 0, 0}, {0, 0, 0}, {5, 0, 0}});
    EXPECT_EQ(rep.FindClosestPoint(mVec3(-1, 1, 0)), 0.0f);
    EXPECT_EQ(rep.Units2PathT(0, 0, false), 0.0f);
    EXPECT_EQ(Make({{0, 0, 0}, {5, 0, 0}, {5, 0, 0}})->FindClosestPoint(mVec3(9, 0, 0)), 1.0f);
    EXPECT_EQ(Make({{0, 0, 0}, {0, 0, 5}, {3, 0, 5}})->FindClosestPoint2DXY(mVec3(0, 0, 10)), 0.0f);
    mBasis b;
    Make({{1, 1, 1}, {1, 1, 1}})->GetBasisAt(0.5f, &b);
    EXPECT_EQ(b.forward, mVec3(0, 1, 0));  // identity

    const ePath* one = dcast<ePath>(Make({{1, 2, 3}})->Copy(&m_pool));
    ASSERT_NE(one, nullptr);
    mVec3 at;
    one->GetPosOnPath(0, &at);
    EXPECT_EQ(at, mVec3(1, 2, 3));

    ePath empty;  // no points: the origin and t = 0
    mVec3 pos(9, 9, 9);
    empty.GetPosOnPath(0.5f, &pos);
    EXPECT_EQ(pos, mVec3(0, 0, 0));
    EXPECT_EQ(empty.PathT2Units(3) + empty.GetRollAt(3) + empty.Units2PathT(5, 0, true), 0.0f);
    EXPECT_EQ(empty.FindClosestPoint(pos) + empty.FindClosestPointMinDist(0, 1, 1, pos), 0.0f);
    empty.GetBasisAt(0, &b);
    EXPECT_EQ(b.up, mVec3(0, 0, 1));
}

TEST_F(ePathTest, GroupFillsManagerSlots)
{
    ASSERT_TRUE(datagen::WritePathGroupFile(m_data.HostPath("g.dat"), 98, {{Corner(), 0x4321}, {nullptr, 0}}));
    EXPECT_EQ(ePathMgr::s_pInstances[98], nullptr);  // the writer gave the slots back
    ASSERT_NE(cBase::Load("/g.dat", &m_pool, ePathGroup::GetStaticType()), nullptr);
    const ePath* loaded = ePathMgr::GetPtr(ePathHandle::Make(98, 0x4321));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->m_fLength, 10.0f);
    EXPECT_FALSE(datagen::WritePathGroupFile(m_data.HostPath("bad.dat"), 99, {{Corner(), 1}, {Corner(), 2}}));
}

}  // namespace
