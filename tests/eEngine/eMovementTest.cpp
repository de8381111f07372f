#include "eEngine/eMovement.h"

#include <cmath>

#include <gtest/gtest.h>

#include "mMath/mOCS.h"

namespace {

const cTimeValue t20(20);

TEST(eMovementTest, UpdateToStopBrakesByOneStepUntilWithinIt)
{
    const struct { float velocity, change; bool reached; } rows[] = {{2, 0, true}, {3, -2, false}, {-3, 2, false}};
    for (const auto& row : rows) {
        float change = 99;
        EXPECT_EQ(eMovement::UpdateToStop(t20, row.velocity, &change, 6, cTimeValue(60)), row.reached) << row.velocity;
        EXPECT_EQ(change, row.change) << row.velocity;
    }
    mVec3 change;
    EXPECT_FALSE(eMovement::UpdateToStop(t20, mVec3(3, 4, 0), &change, 6, cTimeValue(60)));
    EXPECT_TRUE(change.ApproxEqual(mVec3(-1.2f, -1.6f, 0), 1e-6f));
    EXPECT_TRUE(eMovement::UpdateToStop(t20, mVec3(1.2f, 1.6f, 0), &change, 6, cTimeValue(60)));
    EXPECT_EQ(change, mVec3(0, 0, 0));
}

TEST(eMovementTest, FollowValueAcceleratesBrakesAndArrives)
{
    struct Row { const char* why; float velocity, current, target; int start, stop; float change; bool reached; };
    const Row rows[] = {
        {"at the target, at rest", 0, 5, 5, 40, 40, 0, true},
        {"far, at rest: start-up rate 2/40 per tick", 0, 0, 100, 40, 40, 1.0f, false},
        {"moving away: full deceleration 2/20 per tick", -1, 0, 100, 40, 20, 2.0f, false},
        {"at full speed near the goal: braking", 2, 0, 10, 40, 40, -1.0f, false},
        {"a small shortfall is closed, not the whole rate", 1.99f, 0, 100, 40, 40, 0.2f, false},
        {"this step's travel counts toward stopping", 1.5f, 0, 50, 40, 40, -1.0f, false},
    };
    for (const auto& row : rows) {
        float change = 99;
        EXPECT_EQ(eMovement::FollowValue(t20, row.velocity, row.current, row.target, &change, 2, cTimeValue(row.start),
                                         cTimeValue(row.stop)),
                  row.reached)
            << row.why;
        EXPECT_NEAR(change, row.change, 1e-5f) << row.why;
    }
    const struct { const char* why; mVec3 velocity, target; int stop; mVec3 change; bool reached; } moves[] = {
        {"far, at rest", {0, 0, 0}, {1, 101, 1}, 40, {0, 1, 0}, false},
        {"moving across and away: braking along the difference", {1, -1, 0}, {1, 101, 1}, 20,
         mVec3(-1, 3, 0) * (2.0f / std::sqrt(10.0f)), false},
        {"at the target, at rest", {0, 0, 0}, {1, 1, 1}, 40, {0, 0, 0}, true},
        {"near, at exactly one step of braking", {0, 1, 0}, {1, 2, 1}, 40, {0, 0, 0}, true},
    };
    for (const auto& row : moves) {
        mVec3 dv(9, 9, 9);
        EXPECT_EQ(eMovement::FollowPos(t20, row.velocity, {1, 1, 1}, row.target, &dv, 2, cTimeValue(40),
                                       cTimeValue(row.stop)),
                  row.reached)
            << row.why;
        EXPECT_TRUE(dv.ApproxEqual(row.change, 1e-5f)) << row.why;
    }
}

TEST(eMovementTest, SpringHoldsTheFollowDistance)
{
    const struct { const char* why; float k2; mVec3 p2, p3; mVec3 out; bool reached; } rows[] = {
        {"too far: pulled back", 0, {0, 5, 0}, {0, 5, 0}, {0, -4, 0}, false},
        {"damped by the third point's lead", 0.5f, {0, 5, 0}, {0, 6, 0}, {0, 36, 0}, false},
        {"at the distance, nothing moving", 0.5f, {0, 3, 0}, {0, 3, 0}, {0, 0, 0}, true},
        {"points that coincide: no direction, no push", 0.5f, {0, 0, 0}, {0, 9, 0}, {0, 0, 0}, true},
    };
    for (const auto& row : rows) {
        for (const mVec3& at : {mVec3(0, 0, 0), mVec3(3, -2, 1)}) {  // only the differences count
            mVec3 out(9, 9, 9);
            EXPECT_EQ(eMovement::FollowPos(t20, 0.1f, row.k2, at, row.p2 + at, row.p3 + at, 3, &out), row.reached)
                << row.why;
            EXPECT_TRUE(out.ApproxEqual(row.out, 1e-4f)) << row.why;
        }
    }
}

TEST(eMovementTest, FollowLookAtTurnsTowardAnglesOrAPoint)
{
    mVec3 out;
    EXPECT_TRUE(eMovement::FollowLookAt(0.5f, mVec3(30, 10, 5), mVec3(30, 10, 5), &out, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(30, 10, 5), 1e-3f));
    for (float pitch : {85.0f, -85.0f}) {
        EXPECT_TRUE(eMovement::FollowLookAt(0.5f, mVec3(0, pitch, 0), mVec3(0, pitch, 0), &out, true, 1e-5f));
        EXPECT_EQ(out.y, pitch > 0 ? 80.0f : -80.0f);  // clamped
    }
    EXPECT_FALSE(eMovement::FollowLookAt(0.5f, mVec3(90, 0, 0), mVec3(0, 0, 0), &out, false, 1e-5f));
    EXPECT_TRUE(out.ApproxEqual(mVec3(45, 0, 0), 1e-3f));

    mOCS frame;
    frame.basis.SetHPR(20, 10, 0);
    frame.origin.Set(1, 2, 3);
    const mVec3 near(1.005f, 2, 3), target(0, 3, 3);  // the target lies along (-1, 1, 0): heading 45
    const struct { const char* why; float rate; const mVec3* pTarget; bool keep, reached; mVec3 out; } rows[] = {
        {"a target within 0.01: nothing", 0, &near, false, false, {20, 10, 0}},
        {"rate 0 snaps to the target, with the roll", 0, &target, false, false, {45, 0, 15}},
        {"no target: only the roll moves", 0, nullptr, false, false, {20, 10, 15}},
        {"rate 1 keeps the current angles", 1, &target, false, false, {20, 10, 0}},
        {"keeping the angles asks for nothing", 0.5f, &target, true, true, {20, 10, 0}},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(eMovement::FollowLookAt(row.rate, &frame, row.pTarget, 15, &out, row.keep, false, 1e-5f), row.reached)
            << row.why;
        EXPECT_TRUE(out.ApproxEqual(row.out, 1e-3f)) << row.why;
    }
}

}  // namespace
