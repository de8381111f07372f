// The judge's screen outlines: boxes projected through a view whose window
// is 90 degrees both ways (near 1, edges at +-1), so that a point at depth d
// and offset o lands at o / d; the shares below are worked by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "judgeScreen.h"

namespace cameraJudge {
namespace {

ScreenView SquareView()
{
    ScreenView view;
    view.eye.MakeIdentity();  // looking along +y, z up
    view.fNear = 1.0f;
    view.fLeft = -1.0f;
    view.fRight = 1.0f;
    view.fTop = 1.0f;
    view.fBottom = -1.0f;
    return view;
}

float BoxShare(const ScreenView& view, const mVec3& centre, const mVec3& half)
{
    mOCS frame;
    frame.MakeIdentity();
    frame.origin = centre;
    mVec3 corners[8];
    BoxCorners(frame, half, corners);
    return ScreenShare(ProjectBox(view, corners));
}

TEST(judgeScreenTest, ProjectsBoxesAsTheirScreenShare)
{
    const struct {
        const char* name;
        mVec3 centre, half;
        float share;
    } rows[] = {
        // The near face at depth 4 spans +-0.25: 0.25 of the screen's 4.
        {"ahead", {0.0f, 5.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0.0625f},
        // Cut by the near plane at depth 1: what is left starts there,
        // +-0.5 wide and high: a quarter of the screen.
        {"through the near plane", {0.0f, 1.0f, 0.0f}, {0.5f, 1.0f, 0.5f}, 0.25f},
        // Right of the screen but for the far face's left part (x 0.6 to 1,
        // +-0.2 high) and the side joining it to the near face's left edge
        // (x 1, +-1/3): a trapezoid of 0.4 x (0.4 + 2/3) / 2.
        {"cut by the screen's edge", {4.0f, 4.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0.05333333f},
        // Round the camera: the whole screen.
        {"round the camera", {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 1.0f},
        {"behind the camera", {0.0f, -5.0f, 0.0f}, {1.0f, 1.0f, 1.0f}, 0.0f},
        {"above the screen", {0.0f, 5.0f, 9.0f}, {1.0f, 1.0f, 1.0f}, 0.0f},
        {"below the screen", {0.0f, 5.0f, -9.0f}, {1.0f, 1.0f, 1.0f}, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(BoxShare(SquareView(), row.centre, row.half), row.share, 1e-5f);
    }
}

// A box turned 45 degrees about the vertical at depth 1.2, its nearest
// edge behind the near plane. Seen from above its corners are (+-r, 1.2)
// and (0, 1.2 -+ r), r = 0.5 sqrt 2; the slanting edges from the near one
// cross depth 1 at x = +-(r - 0.2), heights +-0.5; the side corners land
// at x = +-r / 1.2, heights +-0.5 / 1.2. The outline: the rectangle between
// the crossings and a trapezoid on each side.
TEST(judgeScreenTest, ClipsSlantingEdgesAtTheNearPlane)
{
    mOCS frame;
    frame.MakeIdentity();
    frame.basis.SetH(45.0f);
    frame.origin = mVec3(0.0f, 1.2f, 0.0f);
    mVec3 corners[8];
    BoxCorners(frame, mVec3(0.5f, 0.5f, 0.5f), corners);
    const float r = 0.5f * std::sqrt(2.0f);
    const float xCross = r - 0.2f, xSide = r / 1.2f;
    const float fArea = 2.0f * xCross * 1.0f + 2.0f * (xSide - xCross) * (1.0f + 1.0f / 1.2f) / 2.0f;
    EXPECT_NEAR(ScreenShare(ProjectBox(SquareView(), corners)), fArea / 4.0f, 1e-5f);
}

// The window need not be centred: an off-centre one shifts the picture.
TEST(judgeScreenTest, OffCentreWindowShiftsThePicture)
{
    ScreenView view = SquareView();
    view.fLeft = 0.0f;  // x 0..1 maps to -1..1
    EXPECT_NEAR(BoxShare(view, {0.25f, 1.0f, 0.0f}, {0.25f, 0.0001f, 0.5f}), 0.25f, 1e-3f)
        << "x 0..0.5 of the window's 0..1, z half its height";
}

TEST(judgeScreenTest, BoxCornersTakeTheFramesAxes)
{
    mOCS frame;
    frame.MakeIdentity();
    frame.basis.SetH(90.0f);
    frame.origin = mVec3(10.0f, 0.0f, 0.0f);
    mVec3 corners[8];
    BoxCorners(frame, mVec3(1.0f, 2.0f, 3.0f), corners);
    mVec3 local;
    for (int k = 0; k < 8; ++k) {
        SCOPED_TRACE(k);
        local.XformInv(corners[k], frame);
        EXPECT_NEAR(local.x, (k & 1) ? 1.0f : -1.0f, 1e-5f);
        EXPECT_NEAR(local.y, (k & 2) ? 2.0f : -2.0f, 1e-5f);
        EXPECT_NEAR(local.z, (k & 4) ? 3.0f : -3.0f, 1e-5f);
    }
    EXPECT_NEAR(corners[7].Dist(frame.origin), std::sqrt(14.0f), 1e-5f);
}

TEST(judgeScreenTest, BoxEntryIsWhereASegmentFirstMeetsTheBox)
{
    mOCS frame;
    frame.MakeIdentity();
    frame.basis.SetH(90.0f);  // its x along the world's y
    frame.origin = mVec3(0.0f, 10.0f, 0.0f);
    const mVec3 half(2.0f, 1.0f, 1.0f);  // 4 along the world's y, 2 across x
    const struct {
        const char* name;
        mVec3 from, to;
        float share;
    } rows[] = {
        {"along its long axis", {0, 0, 0}, {0, 10, 0}, 0.8f},
        {"across its short one", {-5, 10, 0}, {5, 10, 0}, 0.4f},
        {"from inside", {0, 10.5f, 0}, {0, 20, 0}, 0.0f},
        {"stopping short", {0, 0, 0}, {0, 7.9f, 0}, 1.0f},
        {"passing above", {0, 0, 1.5f}, {0, 20, 1.5f}, 1.0f},
        {"passing beside, parallel", {1.5f, 0, 0}, {1.5f, 20, 0}, 1.0f},
        {"diagonal, missing the corner", {0, 7, 0}, {2, 8.8f, 0}, 1.0f},
        {"diagonal, through the corner", {0, 7, 0}, {2, 9.2f, 0}, 0.5f / 1.1f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(BoxEntry(frame, half, row.from, row.to), row.share, 1e-5f);
    }
}

TEST(judgeScreenTest, HullDropsInnerAndRepeatedPoints)
{
    const Outline hull = Hull({{0, 0}, {1, 0}, {0.5f, 0.5f}, {1, 1}, {0, 1}, {1, 0}, {0.5f, 0}, {0, 0.5f}});
    ASSERT_EQ(hull.size(), 4u);
    EXPECT_FLOAT_EQ(Area(hull), 1.0f);
    EXPECT_GT((hull[1].x - hull[0].x) * (hull[2].y - hull[0].y) - (hull[1].y - hull[0].y) * (hull[2].x - hull[0].x),
              0.0f)
        << "counter-clockwise";
    EXPECT_TRUE(Hull({{0, 0}, {1, 1}, {2, 2}}).empty()) << "a line has no area";
    EXPECT_FLOAT_EQ(Area(Hull({{0, 0}, {2, 0}, {0, 1}})), 1.0f) << "three points";
}

TEST(judgeScreenTest, CoveredShareIsTheOverlapOverTheCoveredArea)
{
    const Outline unit = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const struct {
        const char* name;
        Outline cover;
        float share;
    } rows[] = {
        {"half", {{0.5f, 0}, {1.5f, 0}, {1.5f, 1}, {0.5f, 1}}, 0.5f},
        {"a corner triangle", {{0, 0}, {1, 0}, {0, 1}}, 0.5f},
        // Its long side crosses the square's right edge half way up.
        {"a long triangle", {{0, 0}, {2, 0}, {0, 1}}, 0.75f},
        {"over all of it", {{-1, -1}, {2, -1}, {2, 2}, {-1, 2}}, 1.0f},
        {"apart", {{2, 2}, {3, 2}, {3, 3}, {2, 3}}, 0.0f},
        {"nothing", {}, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(CoveredShare(unit, row.cover), row.share, 1e-6f);
    }
    EXPECT_EQ(CoveredShare({}, unit), 0.0f) << "nothing covered";
}

}  // namespace
}  // namespace cameraJudge
