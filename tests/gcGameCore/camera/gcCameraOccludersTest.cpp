// The alpha a creature's place asks for, seen from a camera at the origin
// looking along +y at a followed body 7 units ahead.
#include <gtest/gtest.h>

#include "gcGameCore/camera/gcCameraOccluders.h"

#include "../creatures/creatureTestFixture.h"

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

// Creatures without a mesh (no body: a point) in region 1, whose zone
// stands at the world's origin, seen from an eye 7 units behind the followed
// one and looking along +y at it. Only the creatures that want to be
// see-through are held, and each is let go once it is solid again.
class gcCameraOccludersUpdateTest : public CreatureTest {};

TEST_F(gcCameraOccludersUpdateTest, HoldsOnlyTheCreaturesItFades)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    mOCS eye;
    eye.MakeIdentity();
    const cTimeValue tick(20);
    constexpr int kSlot = 40;
    const struct {
        const char* name;
        mVec3 at;   // where the creature stands
        int held;   // entries after a tick
        int heldAfterASecond;
    } rows[] = {
        {"a point just past the hiding distance", {2.05f, 0, 0}, 0, 0},
        {"a point halfway into it", {1.0f, 0, 0}, 1, 1},
        {"a point far beside the followed one", {5.0f, 7, 0}, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcTestCreature* c = PlacedCreature(t, row.at);
        gcEntityMgr::Add(kSlot, c, 0x5A);  // its entry is let go by its handle
        ASSERT_TRUE(c->Enable());
        gcCameraOccluders occ;
        occ.Update(eye, *followed, tick);
        EXPECT_EQ(occ.Count(), row.held);
        for (int i = 0; i < 30; ++i)
            occ.Update(eye, *followed, tick);
        EXPECT_EQ(occ.Count(), row.heldAfterASecond);
        // Cleared, nothing is held; one that leaves the world is let go on
        // the next tick.
        occ.Clear();
        EXPECT_EQ(occ.Count(), 0);
        occ.Update(eye, *followed, tick);
        EXPECT_EQ(occ.Count(), row.held);
        c->Disable();
        occ.Update(eye, *followed, tick);
        EXPECT_EQ(occ.Count(), 0);
        ASSERT_TRUE(c->Enable());
        occ.Update(eye, *followed, tick);
        // Moved away, it eases back to solid and is let go.
        c->m_model.m_localToParent = MakeFrame(20, 20, 0, 0);
        c->m_model.m_nGeomFlags |= eGeom::kDirty;
        for (int i = 0; i < 30; ++i)
            occ.Update(eye, *followed, tick);
        EXPECT_EQ(occ.Count(), 0);
        c->Disable();
        gcEntityMgr::s_pInstances[kSlot] = nullptr;
    }
}

}  // namespace
