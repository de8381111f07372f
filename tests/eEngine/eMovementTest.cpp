#include "eEngine/eMovement.h"

#include <gtest/gtest.h>

#include "mMath/mOCS.h"

namespace {

const cTimeValue t20(20);

TEST(eMovementTest, UpdateToStopBrakesByOneStepUntilWithinIt)
{
    // Maximum speed 6 and stop time 60: 0.1 per tick, a step of 2 in 20 ticks.
    const struct { float velocity, change; bool reached; } rows[] = {
        {2, 0, true}, {3, -2, false}, {-3, 2, false}, {0, 0, true}, {-2, 0, true},
    };
    for (const auto& row : rows) {
        float change = 99;
        EXPECT_EQ(eMovement::UpdateToStop(t20, row.velocity, &change, 6, cTimeValue(60)), row.reached) << row.velocity;
        EXPECT_EQ(change, row.change) << row.velocity;
    }
    mVec3 change;
    EXPECT_FALSE(eMovement::UpdateToStop(t20, mVec3(3, 4, 0), &change, 6, cTimeValue(60)));
    EXPECT_TRUE(change.ApproxEqual(mVec3(-1.2f, -1.6f, 0), 1e-6f));
    EXPECT_TRUE(eMovement::UpdateToStop(t20, mVec3(1, 1, 0), &change, 6, cTimeValue(60)));
    EXPECT_EQ(change, mVec3(0, 0, 0));
}

TEST(eMovementTest, FollowValueAcceleratesBrakesAndArrives)
{
    // Maximum speed 2; 20 ticks a step.
    const struct { const char* why; float velocity, current, target; int start, stop; float change; bool reached; } rows[] = {
        {"at the target, at rest", 0, 5, 5, 40, 40, 0, true},
        {"within one step and slow enough", 0.5f, 4, 5, 40, 40, 0, true},
        {"far, at rest: start-up rate 2/40 per tick", 0, 0, 100, 40, 40, 1.0f, false},
        {"far below, at rest: the other way", 0, 0, -100, 40, 40, -1.0f, false},
        {"moving away: full deceleration 2/20 per tick", -1, 0, 100, 40, 20, 2.0f, false},
        {"at full speed near the goal: braking", 2, 0, 10, 40, 40, -1.0f, false},
        {"a small shortfall is closed, not the whole rate", 1.99f, 0, 100, 40, 40, 0.2f, false},
    };
    for (const auto& row : rows) {
        float change = 99;
        EXPECT_EQ(eMovement::FollowValue(t20, row.velocity, row.current, row.target, &change, 2, cTimeValue(row.start),
                                         cTimeValue(row.stop)),
                  row.reached)
            << row.why;
        EXPECT_NEAR(change, row.change, 1e-5f) << row.why;
    }
}

TEST(eMovementTest, FollowPosApproachesAlongTheDirection)
{
    mVec3 change;
    EXPECT_FALSE(eMovement::FollowPos(t20, mVec3(0, 0, 0), mVec3(1, 1, 1), mVec3(1, 101, 1), &change, 2,
                                      cTimeValue(40), cTimeValue(40)));
    EXPECT_TRUE(change.ApproxEqual(mVec3(0, 1, 0), 1e-6f));
    // Moving away along x while the target lies along y: braking against
    // the difference of velocities.
    EXPECT_FALSE(eMovement::FollowPos(t20, mVec3(-2, 0, 0), mVec3(0, 0, 0), mVec3(0, 100, 0), &change, 2,
                                      cTimeValue(40), cTimeValue(20)));
    EXPECT_NEAR(change.Length(), 2.0f, 1e-5f);
    EXPECT_GT(change.x, 0.0f);
    EXPECT_TRUE(eMovement::FollowPos(t20, mVec3(0, 0, 0), mVec3(3, 3, 3), mVec3(3, 3, 3), &change, 2,
                                     cTimeValue(40), cTimeValue(40)));
    EXPECT_EQ(change, mVec3(0, 0, 0));
}

TEST(eMovementTest, SpringHoldsTheFollowDistance)
{
    const struct { const char* why; float k1, k2; mVec3 p1, p2, p3; float dist; mVec3 out; bool reached; } rows[] = {
        {"too far: pulled back", 0.1f, 0, {0, 0, 0}, {0, 5, 0}, {0, 5, 0}, 3, {0, -4, 0}, false},
        {"damped by the third point's lead", 0.1f, 0.5f, {0, 0, 0}, {0, 5, 0}, {0, 6, 0}, 3, {0, 36, 0}, false},
        {"at the distance, nothing moving", 0.1f, 0.5f, {0, 0, 0}, {0, 3, 0}, {0, 3, 0}, 3, {0, 0, 0}, true},
        {"points that coincide: no direction, no push", 0.1f, 0.5f, {1, 1, 1}, {1, 1, 1}, {0, 9, 0}, 3, {0, 0, 0}, true},
    };
    for (const auto& row : rows) {
        mVec3 out(9, 9, 9);
        EXPECT_EQ(eMovement::FollowPos(t20, row.k1, row.k2, row.p1, row.p2, row.p3, row.dist, &out), row.reached)
            << row.why;
        EXPECT_TRUE(out.ApproxEqual(row.out, 1e-4f)) << row.why << " " << out.x << " " << out.y << " " << out.z;
    }
}

TEST(eMovementTest, FollowLookAtAnglesTurnsAndClampsPitch)
{
    mVec3 out;
    EXPECT_TRUE(eMovement::FollowLookAt(0.5f, mVec3(30, 10, 5), mVec3(30, 10, 5), &out, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(30, 10, 5), 1e-3f));
    EXPECT_TRUE(eMovement::FollowLookAt(0.5f, mVec3(0, 85, 0), mVec3(0, 85, 0), &out, true, 1e-5f));
    EXPECT_EQ(out.y, 80.0f);
    EXPECT_FALSE(eMovement::FollowLookAt(0.5f, mVec3(90, 0, 0), mVec3(0, 0, 0), &out, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(45, 0, 0), 1e-3f));
    EXPECT_FALSE(eMovement::FollowLookAt(1.0f, mVec3(90, 0, 0), mVec3(0, 0, 0), &out, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(90, 0, 0), 1e-3f));
}

TEST(eMovementTest, FollowLookAtFrameAimsAtTheTargetOrKeepsItsCourse)
{
    mOCS frame;
    frame.basis.SetHPR(20, 10, 0);
    frame.origin.Set(1, 2, 3);
    mVec3 out;
    const mVec3 near(1.005f, 2, 3);
    EXPECT_FALSE(eMovement::FollowLookAt(0, &frame, &near, 0, &out, false, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(20, 10, 0), 1e-3f));

    // Rate 0 keeps none of the current orientation.
    const mVec3 target(0, 3, 3);  // along (-1, 1, 0): heading 45
    EXPECT_FALSE(eMovement::FollowLookAt(0, &frame, &target, 15, &out, false, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(45, 0, 15), 1e-3f));
    // Without a target only the roll moves toward the argument.
    EXPECT_FALSE(eMovement::FollowLookAt(0, &frame, nullptr, 30, &out, false, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(20, 10, 30), 1e-3f));
    // Rate 1 keeps the current angles; keeping the angles asks for nothing.
    EXPECT_FALSE(eMovement::FollowLookAt(1, &frame, &target, 15, &out, false, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(20, 10, 0), 1e-3f));
    EXPECT_TRUE(eMovement::FollowLookAt(0.5f, &frame, &target, 15, &out, true, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(20, 10, 0), 1e-3f));
}

}  // namespace
