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
    int nFades;        // the fades it starts out of solid
    float fLowest;     // the lowest alpha it reaches (at most)
    mVec3 followed = kFollowed, followedStep = {0, 0, 0};  // where the followed one starts, its step
};

// What a walk shows, tick by tick, with what a player would see checked on
// every tick: no fade of more than an eighth a tick, nothing nearer drawn
// solid over a fifth of the followed one, and nothing over half solid over
// more than half of it for more than three ticks in a row.
struct Seen {
    int nFades = 0;
    float fLowest = 1.0f;
};

Seen WalkPast(const Walk& w)
{
    Seen seen;
    O::Track track;
    mVec3 at = w.start, step = w.step, followed = w.followed;
    float fLast = 1.0f;
    int nLong = 0;
    for (int i = 0; i < w.nTicks; ++i) {
        if (w.nTurn > 0 && i > w.nStill && (i - w.nStill) % w.nTurn == 0)
            step = step * -1.0f;
        const O::Sight s = LookAt(at, kHalf, 0.0f, followed);
        O::Step(s, w.fDt, &track);
        const float a = track.fAlpha, fHidden = s.fNearer > 0.0f ? O::HiddenShare(s.outline, s.followedOutline) : 0.0f;
        EXPECT_LE(std::fabs(a - fLast), O::kMaxStep + 1e-6f) << "tick " << i;
        if (fHidden >= O::kHiddenShare) {
            EXPECT_LT(a, 1.0f) << "solid over a fifth, tick " << i;
        }
        nLong = a > 0.5f && fHidden > 0.5f ? nLong + 1 : 0;
        EXPECT_LE(nLong, 3) << "over half solid over half, tick " << i;
        seen.nFades += fLast == 1.0f && a < 1.0f;
        seen.fLowest = std::min(seen.fLowest, a);
        fLast = a;
        if (i >= w.nStill)
            at += step;
        followed += w.followedStep;
    }
    return seen;
}

TEST(gcCameraOccludersTest, FadesOnlyWhatHidesTheFollowedOneWithinTheRules)
{
    const float kThird = O::CoverAlpha(1.0f / 3.0f);
    const Walk walks[] = {
        // Across the followed one's outline 0.01 a tick (of its 0.2 width).
        {"walking across in front", {-3.0f, 5.0f, 0.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 0, kTick, 1, O::kSeeThrough},
        {"running across in front", {-6.0f, 5.0f, 0.0f}, {0.2f, 0.0f, 0.0f}, 0, 60, 0, kTick, 1, 0.7f},
        {"dropping in front from above", {0.0f, 5.0f, 5.0f}, {0.0f, 0.0f, -0.15f}, 0, 60, 0, kTick, 1, O::kSeeThrough},
        // From behind the followed one towards the camera, over it.
        {"coming out from behind it", {0.3f, 13.0f, 0.0f}, {0.0f, -0.1f, 0.0f}, 0, 60, 0, kTick, 1, 0.6f},
        // Beside it, then lunging across: solid until it moves.
        {"lunging in from beside it", {-1.1f, 5.0f, 0.0f}, {0.2f, 0.0f, 0.0f}, 20, 40, 0, kTick, 1, O::kSeeThrough},
        // A fighter at its side, swaying towards it and back, its edge on
        // the followed one's edge: it hides nothing and stays solid.
        {"fighting at its side", {-1.15f, 5.0f, 0.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 3, kTick, 0, 1.0f},
        {"fighting at its side, lower and nearer", {-0.95f, 3.0f, -1.0f}, {0.03f, 0.0f, 0.0f}, 0, 120, 3, kTick, 0, 1.0f},
        // Standing over a third of it: faded by as much, not to see-through.
        {"standing over a third of it", {-0.66666667f, 5.0f, 0.0f}, {0, 0, 0}, 0, 30, 0, kTick, 1, kThird},
        {"standing over it from the first look", {0.0f, 5.0f, 0.0f}, {0, 0, 0}, 0, 30, 0, kTick, 1, O::kSeeThrough},
        {"rising in from below it", {0.0f, 5.0f, -2.1f}, {0.0f, 0.0f, 0.2f}, 20, 40, 0, kTick, 1, O::kSeeThrough},
        // Keeping pace beside it, high in the view: the two move across the
        // screen together, neither towards the other.
        {"keeping pace beside it", {-1.5f, 5.0f, 0.5f}, {0.05f, 0.0f, 0.0f}, 0, 60, 0, kTick, 0, 1.0f,
         {0.0f, 10.0f, 1.0f}, {0.1f, 0.0f, 0.0f}},
        {"keeping pace above it", {0.0f, 5.0f, 3.5f}, {0.05f, 0.0f, 0.0f}, 0, 60, 0, kTick, 0, 1.0f,
         {0.0f, 10.0f, 1.0f}, {0.1f, 0.0f, 0.0f}},
        {"walking past far above it", {-3.0f, 5.0f, 3.0f}, {0.05f, 0.0f, 0.0f}, 0, 120, 0, kTick, 0, 1.0f},
        {"walking across behind it", {-6.0f, 20.0f, 0.0f}, {0.1f, 0.0f, 0.0f}, 0, 120, 0, kTick, 0, 1.0f},
    };
    for (const Walk& w : walks) {
        SCOPED_TRACE(w.name);
        const Seen seen = WalkPast(w);
        EXPECT_EQ(seen.nFades, w.nFades);
        EXPECT_LE(seen.fLowest, w.fLowest + 1e-5f);
        if (w.step.Length() == 0.0f) {  // standing: faded as much as it hides, no more
            EXPECT_NEAR(seen.fLowest, w.fLowest, 1e-5f);
        }
    }
    // Ticks of 0.2 s: each change is still an eighth at most.
    const Walk slow = {"at 5 ticks a second", {-3.0f, 5.0f, 0.0f}, {0.3f, 0.0f, 0.0f}, 0, 30, 0, 0.2f, 1, 0.6f};
    O::Track track;
    mVec3 at = slow.start;
    for (int i = 0; i < slow.nTicks; ++i, at += slow.step) {
        const float fFrom = track.fAlpha;
        O::Step(LookAt(at, kHalf), slow.fDt, &track);
        EXPECT_LE(std::fabs(track.fAlpha - fFrom), O::kMaxStep + 1e-6f);
    }
}

// The alpha asked for a share hidden, and the steps there and back: an
// eighth a tick of 30 Hz both ways, the lowest ask held kHoldTime first.
TEST(gcCameraOccludersTest, FadesAnEighthATickBothWays)
{
    const struct {
        float fHidden, alpha;
    } asks[] = {{0.0f, 1.0f}, {0.1f, 1.0f}, {0.2f, 0.825f}, {0.3f, 0.65f}, {0.5f, O::kSeeThrough}, {1.0f, O::kSeeThrough}};
    for (const auto& row : asks)
        EXPECT_NEAR(O::CoverAlpha(row.fHidden), row.alpha, 1e-5f) << row.fHidden;
    O::Track track;
    const float down[] = {0.875f, 0.75f, 0.625f, 0.5f, 0.375f, 0.3f, 0.3f};
    for (float a : down) {
        O::Step(LookAt({0.0f, 5.0f, 0.0f}, kHalf), kTick, &track);
        EXPECT_NEAR(track.fAlpha, a, 1e-5f);
    }
    // Ticks of 60 Hz: a sixteenth a tick.
    O::Track fast;
    O::Step(LookAt({0.0f, 5.0f, 0.0f}, kHalf), 0.5f * kTick, &fast);
    EXPECT_NEAR(fast.fAlpha, 0.9375f, 1e-5f);
    // Gone aside at once: held 0.3 s (eight ticks, the ninth the hold's
    // end), then back up.
    const float up[] = {0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.3f, 0.425f, 0.55f, 0.675f, 0.8f, 0.925f, 1.0f};
    for (float a : up) {
        O::Step(LookAt({-3.0f, 5.0f, 0.0f}, kHalf), kTick, &track);
        EXPECT_NEAR(track.fAlpha, a, 1e-4f);
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
        {"walking at the eye from 1.5 away", {-2.618034f, 0.0f, 0.0f}, {0.1f, 0.0f, 0.0f}, 6, 0.25f},
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

// A creature a tenth of a metre short of the followed one's outline,
// having come 0.3 in the last tick, is fading already: a tick and a half on
// it will hide a third of it. Going the other way, or seen over a tick of no
// time (it jumped), it is not.
TEST(gcCameraOccludersTest, LooksATickAndAHalfAheadAlongItsMotion)
{
    const struct {
        const char* name;
        float fFrom;
        float fDt;
        float alpha;
    } rows[] = {
        {"coming", -1.4f, kTick, 0.875f},
        {"going", -1.0f, kTick, 1.0f},
        {"jumped in no time", -4.0f, 0.0f, 1.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        O::Track track;
        O::Step(LookAt({row.fFrom, 5.0f, 0.0f}, kHalf), kTick, &track);
        O::Step(LookAt({-1.1f, 5.0f, 0.0f}, kHalf), row.fDt, &track);
        EXPECT_NEAR(track.fAlpha, row.alpha, 1e-5f);
    }
}

// The outline is the hull of the box's corners: a box rolled on the screen
// hides the followed one by the hull's share, not by its bounds.
TEST(gcCameraOccludersTest, TheOutlineIsTheHullNotTheBounds)
{
    // A flat square rolled 45 degrees, 5 ahead and 1 to the left: a
    // diamond whose bounds reach well over the followed one's left edge,
    // its tip only a little.
    mOCS diamond = At({-1.0f, 5.0f, 0.0f});
    diamond.basis.SetHPR(0.0f, 0.0f, 45.0f);
    const O::Sight s = O::Look(Eye(), diamond, {0.5f, 0.0f, 0.5f}, At(kFollowed), kFollowedHalf);
    EXPECT_NEAR(O::CoveredShare(s.box, s.followed), 0.1464f, 1e-3f);
    EXPECT_NEAR(O::HiddenShare(s.outline, s.followedOutline), 0.0214f, 1e-3f);
    EXPECT_EQ(s.outline.n, 4);
    // Square on, the two agree.
    const O::Sight t = LookAt({-0.25f, 5.0f, 0.0f}, kHalf);
    EXPECT_NEAR(O::HiddenShare(t.outline, t.followedOutline), 0.75f, 1e-5f);
    // Edge on it has no area and hides nothing.
    const O::Sight e = LookAt({0.0f, 5.0f, 0.0f}, kHalf, 90.0f);
    EXPECT_NEAR(O::HiddenShare(e.outline, e.followedOutline), 0.0f, 1e-6f);
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
// eased towards the alpha asked, solid again once another is followed or the camera
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
    occ.ShowFollowed(*followed, 0.4f);
    EXPECT_EQ(tint.Color(), 0xDF102030u) << "an eighth down, the second tick asked";
    occ.ShowFollowed(*other, 1.0f);
    EXPECT_EQ(tint.Color(), 0xFF102030u) << "another followed";
    occ.ShowFollowed(*followed, 0.4f);
    occ.Clear();
    EXPECT_EQ(tint.Color(), 0xFF102030u) << "cleared";
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
    gcEntityMgr::s_pInstances[kOtherSlot] = nullptr;
}

// The followed one's fade: out of solid only when asked two ticks running,
// by an eighth a tick both ways whichever asks (the camera near it or its
// share of the screen), the lowest ask held two ticks; a single tick's ask
// leaves it solid, and no fade shows for one frame only.
TEST_F(gcCameraOccludersUpdateTest, TheFollowedOnesFadeIsEasedBothWaysAndNeverBlinks)
{
    gcTestCreatureTemplate* t = PlaceCreatureTemplate();
    gcTestCreature* followed = PlacedCreature(t, {0, 7, 0});
    constexpr int kSlot = 40;
    gcEntityMgr::Add(kSlot, followed, 0x5A);
    const OneTint tint(followed, 0xFF102030u);
    const struct {
        const char* name;
        // Each tick's asks (near, share; 0 ends), and the alpha drawn after
        // each tick, 255 scale.
        float asks[24][2];
        int alphas[24];
    } rows[] = {
        {"near, then let go",
         {{0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {0.3f, 1}, {1, 1}, {1, 1}, {1, 1},
          {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
         {255, 223, 191, 159, 127, 95, 76, 76, 76, 76, 108, 140, 172, 204, 235, 255}},
        {"a share, then near",
         {{1, 0.5f}, {1, 0.5f}, {1, 0.5f}, {0.3f, 0.5f}, {0.3f, 0.5f}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
         {255, 223, 191, 159, 127, 95, 76, 108, 140, 172, 204}},
        {"asked one tick", {{1, 1}, {0.3f, 1}, {1, 1}, {1, 1}, {1, 0.3f}, {1, 1}, {1, 1}}, {255, 255, 255, 255, 255, 255, 255}},
        {"asked two ticks", {{0.3f, 1}, {0.3f, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}, {1, 1}},
         {255, 223, 191, 159, 191, 223, 255, 255}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcCameraOccluders occ;
        int nBelow = 0;
        for (int i = 0; i < 24 && row.asks[i][0] > 0.0f; ++i) {
            occ.ShowFollowed(*followed, row.asks[i][0], row.asks[i][1]);
            const int nAlpha = static_cast<int>(tint.Color() >> 24);
            EXPECT_EQ(nAlpha, row.alphas[i]) << "tick " << i;
            // Never below solid for a single frame.
            if (nAlpha == 255) {
                EXPECT_NE(nBelow, 1) << "tick " << i;
            }
            nBelow = nAlpha < 255 ? nBelow + 1 : 0;
        }
        occ.Clear();
        EXPECT_EQ(tint.Color(), 0xFF102030u) << "solid when let go";
    }
    gcEntityMgr::s_pInstances[kSlot] = nullptr;
}

}  // namespace
