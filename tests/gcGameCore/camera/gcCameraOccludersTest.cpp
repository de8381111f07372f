// The creatures drawn see-through in front of the followed entity, seen
// from a camera at the origin looking along +y (x right, z up).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "gcGameCore/camera/gcCameraOccluders.h"
#include "gcGameCore/camera/gcGameCamera.h"

#include "../creatures/creatureTestFixture.h"
#include "oneTint.h"

namespace {

using O = gcCameraOccluders;

// Flat bodies (no depth) keep the hand-worked boxes simple: the followed
// one 10 ahead, 0.2 wide and 0.4 high on the screen; a creature at depth 5
// as large on the screen.
const mVec3 kFollowed(0.0f, 10.0f, 0.0f);
const mVec3 kFollowedHalf(1.0f, 0.0f, 2.0f);
const mVec3 kHalf(0.5f, 0.0f, 1.0f);
constexpr float kTick = 1.0f / 30.0f;

// A frame at a point, turned fHeading degrees.
mOCS At(const mVec3& at, float fHeading = 0.0f)
{
    mOCS frame;
    frame.MakeIdentity();
    frame.origin = at;
    frame.basis.SetHPR(fHeading, 0.0f, 0.0f);
    return frame;
}

mOCS Eye() { return At({0, 0, 0}); }

// A creature's look at a body at a point, the eye and the followed one
// shifted by the same offset.
gcCameraOccluders::Sight LookAt(const mVec3& at, const mVec3& half, float fHeading = 0.0f,
                                const mVec3& followed = kFollowed, const mVec3& shift = {0, 0, 0})
{
    return gcCameraOccluders::Look(At(shift), At(at + shift, fHeading), half, At(followed + shift), kFollowedHalf);
}

TEST(gcCameraOccludersTest, LooksAtTheShareCoveredAndWhoIsNearer)
{
    const struct {
        const char* name;
        mVec3 centre, half;
        float share, nearer;
        float fHeading = 0.0f;  // the body's turn: its box is taken along its own axes
    } rows[] = {
        {"in front, covering it", {0.0f, 5.0f, 0.0f}, kHalf, 1.0f, 6.0f},
        {"in front, a quarter to the right", {0.25f, 5.0f, 0.0f}, kHalf, 0.75f, 6.0f},
        {"in front, half above it", {0.0f, 5.0f, 1.0f}, kHalf, 0.5f, 6.0f},
        {"in front, a quarter right and half up", {0.25f, 5.0f, 1.0f}, kHalf, 0.375f, 6.0f},
        {"in front, just beside it", {1.0f, 5.0f, 0.0f}, kHalf, 0.0f, 6.0f},
        {"in front, above it", {0.0f, 5.0f, 2.5f}, kHalf, 0.0f, 6.0f},
        {"in front, turned edge on", {0.0f, 5.0f, 0.0f}, kHalf, 0.0f, 6.0f, 90.0f},
        {"behind it, over it", {0.0f, 20.0f, 0.0f}, {2.0f, 0.0f, 4.0f}, 1.0f, -9.0f},
        {"at its far side", {0.0f, 11.0f, 0.0f}, kHalf, 0.5f * 0.5f * 10.0f / 11.0f * 10.0f / 11.0f, 0.0f},
        // Its near edge behind the eye is taken just in front of it: the
        // box grows over the whole view.
        {"through the eye plane", {0.0f, 0.0f, 0.0f}, {0.5f, 1.0f, 1.0f}, 1.0f, 11.0f},
        {"wholly behind the eye", {0.0f, -1.1f, 0.0f}, {0.5f, 1.0f, 1.0f}, -1.0f, 12.1f},
    };
    for (const auto& row : rows) {
        for (const mVec3& shift : {mVec3(0, 0, 0), mVec3(3, -2, 1)}) {
            SCOPED_TRACE(row.name);
            SCOPED_TRACE(shift.x);
            const O::Sight s = LookAt(row.centre, row.half, row.fHeading, kFollowed, shift);
            EXPECT_NEAR(s.followed.x0, -0.1f, 1e-6f);
            EXPECT_NEAR(s.followed.y1, 0.2f, 1e-6f);
            EXPECT_EQ(s.bInView, row.share >= 0.0f);
            if (s.bInView) {  // a box wholly behind the eye means nothing
                EXPECT_NEAR(O::CoveredShare(s.box, s.followed), row.share, 1e-5f);
            }
            EXPECT_NEAR(s.fNearer, row.nearer, 1e-5f);
        }
    }
    // The gap to the eye: 5 from it, less the body's half diagonal.
    EXPECT_NEAR(LookAt({0.0f, 5.0f, 0.0f}, kHalf, 0.0f, kFollowed, {3, -2, 1}).fEyeGap, 5.0f - 1.118034f, 1e-5f);
    // Nothing followed on the screen: nothing is covered.
    EXPECT_EQ(O::CoveredShare({-1, -1, 1, 1}, {0, 0, 0, 1}), 0.0f);
    EXPECT_EQ(O::CoveredShare({-1, -1, 1, 1}, {0, 0, 0, 0}), 0.0f);
}

// A creature's walk, one tick at a time: from start, standing for nStill
// ticks, then moving by step each tick; a turn every nTurn ticks walks it
// back (0: never).
struct Walk {
    const char* name;
    mVec3 start, step;
    int nStill, nTicks, nTurn;
    float fDt;
    // At most this alpha on any tick it covers a fifth of the followed
    // entity from nearer the camera.
    float maxAlphaCovering;
    int nFades;  // the fades it starts out of solid
    mVec3 followed = kFollowed, followedStep = {0, 0, 0};  // where the followed one starts, its step
};

// What a walk shows, tick by tick, and the rule of every tick checked.
struct Seen {
    float maxAlphaCovering = 0.0f;
    int nFades = 0;
    int nLongestSolidOverHalf = 0;
};

Seen WalkPast(const Walk& w)
{
    Seen seen;
    O::Track track;
    mVec3 at = w.start, step = w.step, followed = w.followed;
    float fLast = 1.0f;
    int nSolidOverHalf = 0, nFadeTicks = 0;
    bool bFalling = false;
    for (int i = 0; i < w.nTicks; ++i) {
        if (w.nTurn > 0 && i > w.nStill && (i - w.nStill) % w.nTurn == 0)
            step = step * -1.0f;
        const O::Sight s = LookAt(at, kHalf, 0.0f, followed);
        O::Step(s, w.fDt, &track);
        const float a = track.fAlpha, fShare = O::CoveredShare(s.box, s.followed);
        EXPECT_LE(std::fabs(a - fLast), 1.0f / 6.0f) << "tick " << i;
        // A fade out of solid or back to it runs over six ticks at least.
        if ((fLast == 1.0f) != (a == 1.0f) || (a <= O::kSeeThrough) != (fLast <= O::kSeeThrough)) {
            if (fLast == 1.0f && a < 1.0f) {
                ++seen.nFades;
                bFalling = true;
                nFadeTicks = 0;
            } else if (fLast <= O::kSeeThrough && a > O::kSeeThrough) {
                bFalling = false;
                nFadeTicks = 0;
            } else {
                EXPECT_GE(nFadeTicks + 1, 6) << "tick " << i << (bFalling ? " fading out" : " fading in");
            }
        }
        ++nFadeTicks;
        if (s.fNearer > 0.0f && fShare >= O::kHiddenShare)
            seen.maxAlphaCovering = std::max(seen.maxAlphaCovering, a);
        nSolidOverHalf = a == 1.0f && s.fNearer > 0.0f && fShare > 0.5f ? nSolidOverHalf + 1 : 0;
        seen.nLongestSolidOverHalf = std::max(seen.nLongestSolidOverHalf, nSolidOverHalf);
        fLast = a;
        if (i >= w.nStill)
            at += step;
        followed += w.followedStep;
    }
    return seen;
}

TEST(gcCameraOccludersTest, FadesOutBeforeCoveringAFifthOverSixTicksEachWay)
{
    const Walk walks[] = {
        // Across the followed one's screen box 0.01 a tick: a fifth covered
        // after 44 ticks, the fade starting some 17 before.
        {"walking across in front", {-3.0f, 5.0f, 0.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 0, kTick, O::kSeeThrough, 1},
        {"running across in front", {-6.0f, 5.0f, 0.0f}, {0.2f, 0.0f, 0.0f}, 0, 60, 0, kTick, O::kSeeThrough, 1},
        {"dropping in front from above", {0.0f, 5.0f, 5.0f}, {0.0f, 0.0f, -0.15f}, 0, 60, 0, kTick, O::kSeeThrough, 1},
        // From behind the followed one towards the camera, over it: see-
        // through by the time it passes its far side.
        {"coming out from behind it", {0.3f, 13.0f, 0.0f}, {0.0f, -0.1f, 0.0f}, 0, 60, 0, kTick, O::kSeeThrough, 1},
        // Standing just beside it, then lunging across: the margin has
        // started the fade before it moves.
        {"lunging in from beside it", {-1.1f, 5.0f, 0.0f}, {0.2f, 0.0f, 0.0f}, 20, 40, 0, kTick, O::kSeeThrough, 1},
        {"stepping in and out of the margin", {-1.45f, 5.0f, 0.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 4, kTick, 1.0f, 1},
        {"standing over it from the first look", {0.0f, 5.0f, 0.0f}, {0, 0, 0}, 0, 30, 0, kTick, 0.9f, 1},
        // Ticks of 0.2 s: each change is still capped.
        {"walking across at 5 ticks a second", {-3.0f, 5.0f, 0.0f}, {0.3f, 0.0f, 0.0f}, 0, 30, 0, 0.2f, 0.5f, 1},
        // Standing just below it (nearer the camera, low in the view), then
        // rising over it.
        {"rising in from below it", {0.0f, 5.0f, -2.1f}, {0.0f, 0.0f, 0.2f}, 20, 40, 0, kTick, O::kSeeThrough, 1},
        // Keeping pace beside it, high in the view: the two move across the
        // screen together, neither towards the other.
        {"keeping pace beside it", {-1.5f, 5.0f, 0.5f}, {0.05f, 0.0f, 0.0f}, 0, 60, 0, kTick, 0.0f, 0,
         {0.0f, 10.0f, 1.0f}, {0.1f, 0.0f, 0.0f}},
        {"keeping pace above it", {0.0f, 5.0f, 3.5f}, {0.05f, 0.0f, 0.0f}, 0, 60, 0, kTick, 0.0f, 0,
         {0.0f, 10.0f, 1.0f}, {0.1f, 0.0f, 0.0f}},
        {"walking past far above it", {-3.0f, 5.0f, 3.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 0, kTick, 0.0f, 0},
        {"walking across behind it", {-6.0f, 20.0f, 0.0f}, {0.1f, 0.0f, 0.0f}, 0, 120, 0, kTick, 0.0f, 0},
    };
    for (const Walk& w : walks) {
        SCOPED_TRACE(w.name);
        const Seen seen = WalkPast(w);
        EXPECT_LE(seen.maxAlphaCovering, w.maxAlphaCovering + 1e-6f);
        EXPECT_EQ(seen.nFades, w.nFades);
        EXPECT_LE(seen.nLongestSolidOverHalf, 1);
    }
}

TEST(gcCameraOccludersTest, FadesOutNearTheEyeAheadOfItsMotion)
{
    const struct {
        const char* name;
        mVec3 start, step;
        int nTicks;
        float alpha;  // after the ticks
    } rows[] = {
        {"standing at a gap of 1", {0.0f, -2.118034f, 0.0f}, {0, 0, 0}, 30, 0.5f},
        {"standing over it at a gap of 1", {0.0f, 2.118034f, 0.0f}, {0, 0, 0}, 30, 0.5f * O::kSeeThrough},
        // At a gap of 1.5 closing 0.1 a tick: 0.3 s on, it touches the eye.
        {"walking at the eye from 1.5 away", {-2.618034f, 0.0f, 0.0f}, {0.1f, 0.0f, 0.0f}, 6, 0.4f},
        {"walking away from 1.5 away", {-2.618034f, 0.0f, 0.0f}, {-0.1f, 0.0f, 0.0f}, 6, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        O::Track track;
        mVec3 at = row.start;
        for (int i = 0; i < row.nTicks; ++i, at += row.step)
            O::Step(LookAt(at, kHalf), kTick, &track);
        EXPECT_NEAR(track.fAlpha, row.alpha, 1e-4f);
    }
}

// A tick of no time sees no motion: a creature that jumped from far beside
// the followed one to near it is not taken for one about to cover it.
TEST(gcCameraOccludersTest, ATickOfNoTimeLooksNoWayAhead)
{
    O::Track track;
    O::Step(LookAt({-4.0f, 5.0f, 0.0f}, kHalf), kTick, &track);
    O::Step(LookAt({-1.5f, 5.0f, 0.0f}, kHalf), 0.0f, &track);
    EXPECT_EQ(track.fHold, 0.0f);
    EXPECT_EQ(track.fAlpha, 1.0f);
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
    const cTimeValue tick(20);
    constexpr int kSlot = 40;
    const struct {
        const char* name;
        mVec3 at;   // where the creature stands
        int held;   // creatures held after a tick
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
        occ.Update(Eye(), *followed, tick);
        EXPECT_EQ(occ.Count(), row.held);
        for (int i = 0; i < 30; ++i)
            occ.Update(Eye(), *followed, tick);
        EXPECT_EQ(occ.Count(), row.heldAfterASecond);
        // Cleared, nothing is held; one that leaves the world is let go on
        // the next tick.
        occ.Clear();
        EXPECT_EQ(occ.Count(), 0);
        occ.Update(Eye(), *followed, tick);
        EXPECT_EQ(occ.Count(), row.held);
        c->Disable();
        occ.Update(Eye(), *followed, tick);
        EXPECT_EQ(occ.Count(), 0);
        ASSERT_TRUE(c->Enable());
        occ.Update(Eye(), *followed, tick);
        // Moved away, it eases back to solid and is let go.
        c->m_model.m_localToParent = MakeFrame(20, 20, 0, 0);
        c->m_model.m_nGeomFlags |= eGeom::kDirty;
        for (int i = 0; i < 30; ++i)
            occ.Update(Eye(), *followed, tick);
        EXPECT_EQ(occ.Count(), 0);
        c->Disable();
        gcEntityMgr::s_pInstances[kSlot] = nullptr;
    }
}

// The alpha of a creature it has not faded is left to its owner, also once
// it leaves the world.
TEST_F(gcCameraOccludersUpdateTest, LeavesTheSolidCreaturesAlphaAlone)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    gcTestCreature* c = PlacedCreature(t, {20.0f, 20.0f, 0});
    constexpr int kSlot = 40;
    gcEntityMgr::Add(kSlot, c, 0x5A);
    ASSERT_TRUE(c->Enable());
    const OneTint tint(c, 0x40102030u);
    gcCameraOccluders occ;
    for (int i = 0; i < 3; ++i)
        occ.Update(Eye(), *followed, cTimeValue(20));
    c->Disable();
    occ.Update(Eye(), *followed, cTimeValue(20));
    EXPECT_EQ(tint.Color(), 0x40102030u);
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
}

TEST_F(gcCameraOccludersUpdateTest, ACameraResetMakesItsCreaturesSolid)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    gcTestCreature* c = PlacedCreature(t, {1.0f, 0, 0});  // halfway into the hiding distance
    constexpr int kSlot = 40;
    gcEntityMgr::Add(kSlot, c, 0x5A);
    ASSERT_TRUE(c->Enable());
    const OneTint tint(c, 0xFF102030u);
    gcGameCamera cam;
    for (int i = 0; i < 10; ++i)
        cam.m_occluders.Update(Eye(), *followed, cTimeValue(20));
    EXPECT_EQ(tint.Color(), 0x7F102030u);  // 0.5
    cam.Reset(false);
    EXPECT_EQ(tint.Color(), 0xFF102030u);
    EXPECT_EQ(cam.m_occluders.Count(), 0);
    c->Disable();
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
}

// The followed one drawn see-through while the camera is held too near it:
// at the alpha asked, solid again once another is followed or the camera
// resets; one never faded keeps its owner's alpha.
TEST_F(gcCameraOccludersUpdateTest, TheFollowedOneIsShownAsAskedAndMadeSolidWhenLetGo)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    gcTestCreature* other = PlacedCreature(t, {0, 9, 0});
    constexpr int kSlot = 40, kOtherSlot = 41;
    gcEntityMgr::Add(kSlot, followed, 0x5A);
    gcEntityMgr::Add(kOtherSlot, other, 0x5B);
    const OneTint tint(followed, 0x40102030u);
    gcCameraOccluders occ;
    occ.ShowFollowed(*followed, 1.0f);
    EXPECT_EQ(tint.Color(), 0x40102030u) << "its owner's alpha, never faded";
    occ.ShowFollowed(*followed, 0.4f);
    EXPECT_EQ(tint.Color(), 0x66102030u);
    occ.ShowFollowed(*other, 1.0f);
    EXPECT_EQ(tint.Color(), 0xFF102030u) << "another followed";
    occ.ShowFollowed(*followed, 0.4f);
    occ.Clear();
    EXPECT_EQ(tint.Color(), 0xFF102030u) << "cleared";
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
    gcEntityMgr::s_pInstances[kOtherSlot] = nullptr;
}

// What its share of the screen asks is eased, by an eighth a tick both ways
// (the fade takes six ticks), under the near alpha taken at once; letting
// the followed one go forgets the eased alpha.
TEST_F(gcCameraOccludersUpdateTest, TheFollowedOnesShareFadeIsEasedOverTicks)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    constexpr int kSlot = 40;
    gcEntityMgr::Add(kSlot, followed, 0x5A);
    const OneTint tint(followed, 0xFF102030u);
    gcCameraOccluders occ;
    const struct {
        float fNear, fShare;
        uint32_t nColor;
    } rows[] = {
        {1.0f, 0.3f, 0xDF102030u},  // 0.875
        {1.0f, 0.3f, 0xBF102030u},  // 0.75
        {0.3f, 0.3f, 0x4C102030u},  // the near alpha at once; the eased one 0.625
        {1.0f, 0.3f, 0x7F102030u},  // 0.5
        {1.0f, 1.0f, 0x9F102030u},  // back by an eighth
    };
    for (const auto& row : rows) {
        occ.ShowFollowed(*followed, row.fNear, row.fShare);
        EXPECT_EQ(tint.Color(), row.nColor) << row.fNear << " " << row.fShare;
    }
    occ.Clear();
    occ.ShowFollowed(*followed, 1.0f, 1.0f);
    EXPECT_EQ(tint.Color(), 0xFF102030u) << "forgotten when let go";
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
}

}  // namespace
