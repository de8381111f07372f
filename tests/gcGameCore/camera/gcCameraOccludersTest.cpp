// The alpha a creature's place asks for, seen from a camera at the origin
// looking along +y at a followed body 7 units ahead.
#include <gtest/gtest.h>

#include "gcGameCore/camera/gcCameraOccluders.h"

namespace {

using O = gcCameraOccluders;

const mVec3 kBody(0.4f, 0.4f, 0.9f);       // half sizes, the followed body's and the creatures'
const mVec3 kHalfBody(0.2f, 0.2f, 0.45f);  // at half the distance, the same on the screen
const mVec3 kFollowed(0.0f, 7.0f, 0.0f);

TEST(gcCameraOccludersTest, TargetAlphaByPlace)
{
    mOCS eye;
    eye.MakeIdentity();
    const float gap = kBody.Length();  // a body's centre this far from the eye touches it
    const struct {
        const char* name;
        mVec3 centre, half;
        float alpha;
    } rows[] = {
        {"in front, covering it", {0.0f, 4.0f, 0.0f}, kBody, O::kSeeThrough},
        {"behind it", {0.0f, 8.0f, 0.0f}, kBody, 1.0f},
        {"inside its far half", {0.0f, 7.3f, 0.0f}, kBody, O::kSeeThrough},
        {"at its far side", {0.0f, 7.4f, 0.0f}, kBody, 1.0f},
        {"past its far side", {0.0f, 7.5f, 0.0f}, kBody, 1.0f},
        {"beside it", {0.8f, 7.0f, 0.0f}, kBody, 1.0f},
        {"in front, a little over a quarter of it", {0.29f, 3.5f, 0.0f}, kHalfBody, O::kSeeThrough},
        {"in front, a little under a quarter of it", {0.31f, 3.5f, 0.0f}, kHalfBody, 1.0f},
        {"in front, over it, but not across", {0.0f, 3.5f, 0.93f}, kHalfBody, 1.0f},
        {"in front, half the hiding distance from the eye", {0.0f, gap + 1.0f, 0.0f}, kBody, 0.5f * O::kSeeThrough},
        {"beside the eye, a quarter of the way", {gap + 0.5f, 0.0f, 0.0f}, kBody, 0.25f},
        {"behind the eye, out of reach", {0.0f, -gap - 2.5f, 0.0f}, kBody, 1.0f},
        {"around the eye", {0.0f, 0.5f, 0.0f}, kBody, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_NEAR(O::TargetAlpha(eye, row.centre, row.half, kFollowed, kBody), row.alpha, 1e-5f);
    }
}

}  // namespace
