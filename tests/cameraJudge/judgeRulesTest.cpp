// The judge's rules over short routes of hand-made frames: each rule's
// limit from both sides, the steps between frames, the runs, and what a cut
// or a frame outside follow play does to them.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "judgeRules.h"

namespace cameraJudge {
namespace {

FrameFacts Follow()
{
    FrameFacts f;
    f.bFollow = true;
    f.fCoverage = 0.04f;
    f.nRays = 9;
    return f;
}

FrameFacts WithCreature(float fCover, float fAlpha, bool bNearer = true, uint32_t nId = 7)
{
    FrameFacts f = Follow();
    f.nCreatures = 1;
    f.creatures[0] = {nId, fCover, bNearer, fAlpha};
    return f;
}

// The frames in order, from frame 100, as seed 5.
cameraJudgeRules Judge(const std::vector<FrameFacts>& frames)
{
    cameraJudgeRules rules;
    rules.Begin(5);
    for (size_t i = 0; i < frames.size(); ++i)
        rules.Check(100 + i, frames[i]);
    return rules;
}

struct Row {
    const char* name;
    std::vector<FrameFacts> frames;
    int rule;
    uint64_t nBroken;
    float fWorst;        // when broken
    uint64_t nWorstFrame;
};

void Expect(const Row& row)
{
    SCOPED_TRACE(row.name);
    const cameraJudgeRules rules = Judge(row.frames);
    const RuleStat& s = rules.Stat(row.rule);
    EXPECT_EQ(s.nBroken, row.nBroken);
    if (row.nBroken > 0) {
        EXPECT_NEAR(s.fWorst, row.fWorst, 1e-3f);
        EXPECT_EQ(s.nWorstFrame, row.nWorstFrame);
        EXPECT_EQ(s.nWorstSeed, 5u);
    }
    // (A turn of the flip rule's size breaks the cut rule too.)
    if (row.nBroken > 0) {
        EXPECT_TRUE(rules.AnyBroken());
    }
}

FrameFacts Covering(float f, float fPlayerAlpha = 1.0f)
{
    FrameFacts x = Follow();
    x.fCoverage = f;
    x.fPlayerAlpha = fPlayerAlpha;
    return x;
}

TEST(judgeRulesTest, CoverageAndItsStepsOnTheScreen)
{
    FrameFacts cut = Covering(0.09f);
    cut.bCut = true;
    const Row rows[] = {
        {"40% is the most", {Covering(0.40f)}, RULE_COVERAGE, 0, 0, 0},
        {"more breaks it", {Covering(0.2f), Covering(0.45f), Covering(0.41f)}, RULE_COVERAGE, 2, 0.45f, 101},
        // Drawn see-through or not, a player filling the screen hides it.
        {"see-through counts", {Covering(0.9f, 0.3f), Covering(0.6f, 0.51f)}, RULE_COVERAGE, 2, 0.9f, 100},
        // Sizes 0.2 to 0.26: 1.3 times, the most.
        {"1.3 times is the most", {Covering(0.04f), Covering(0.0676f)}, RULE_SIZE_STEP, 0, 0, 0},
        {"growing more", {Covering(0.04f), Covering(0.0729f)}, RULE_SIZE_STEP, 1, 1.35f, 101},
        {"shrinking more", {Covering(0.0729f), Covering(0.04f)}, RULE_SIZE_STEP, 1, 1.35f, 101},
        // Sizes 0.01 and 0.05 both count as 0.05.
        {"tiny sizes count as 0.05", {Covering(0.0001f), Covering(0.0025f)}, RULE_SIZE_STEP, 0, 0, 0},
        {"from 0.05 up", {Covering(0.0f), Covering(0.01f)}, RULE_SIZE_STEP, 1, 2.0f, 101},
        {"a cut is no step", {Covering(0.04f), cut}, RULE_SIZE_STEP, 0, 0, 0},
        {"nor is the first frame after other play", {Covering(0.04f), FrameFacts(), Covering(0.09f)},
         RULE_SIZE_STEP, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
}

FrameFacts Looking(float fPitchDown, float fHeading = 0.0f, float fUpZ = 1.0f)
{
    FrameFacts x = Follow();
    const float h = fHeading * 0.01745329252f;
    x.fPitchDown = fPitchDown;
    x.forward = mVec3(-std::sin(h), std::cos(h), 0.0f);
    x.up = mVec3(0.0f, 0.0f, fUpZ);
    return x;
}

// Facing the other way, the view's axis a little longer than a unit:
// their dot product falls below -1.
FrameFacts Reversed()
{
    FrameFacts x = Follow();
    x.forward = mVec3(0.0f, -1.00001f, 0.0f);
    return x;
}

TEST(judgeRulesTest, PitchAndFlips)
{
    FrameFacts cut = Looking(10.0f, 170.0f);
    cut.bCut = true;
    const Row rows[] = {
        {"60 degrees down is the most", {Looking(60.0f)}, RULE_PITCH, 0, 0, 0},
        {"with a hundredth of a degree of rounding", {Looking(60.01f)}, RULE_PITCH, 0, 0, 0},
        {"61 breaks it", {Looking(30.0f), Looking(61.0f)}, RULE_PITCH, 1, 61.0f, 101},
        {"89 degrees of turn in a frame", {Looking(10.0f, 0.0f), Looking(10.0f, 89.0f)}, RULE_FLIP, 0, 0, 0},
        {"91 degrees", {Looking(10.0f, 0.0f), Looking(10.0f, 91.0f)}, RULE_FLIP, 1, 91.0f, 101},
        {"upside down", {Looking(10.0f), Looking(10.0f, 0.0f, -0.1f)}, RULE_FLIP, 1, 180.0f, 101},
        {"turned round, rounded past -1", {Looking(10.0f), Reversed()}, RULE_FLIP, 1, 180.0f, 101},
        {"upside down on a cut too", {Looking(10.0f, 0.0f, -0.1f)}, RULE_FLIP, 1, 180.0f, 100},
        {"a turn across a cut", {Looking(10.0f, 0.0f), cut}, RULE_FLIP, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
}

FrameFacts Blocked(int n)
{
    FrameFacts x = Follow();
    x.nBlocked = n;
    return x;
}

std::vector<FrameFacts> Repeat(const FrameFacts& f, int n, std::vector<FrameFacts> before = {})
{
    before.insert(before.end(), static_cast<size_t>(n), f);
    return before;
}

TEST(judgeRulesTest, PlaceAndHiddenRuns)
{
    FrameFacts embedded = Follow(), beyond = Follow();
    embedded.fEmbedDepth = 0.02f;
    beyond.fBeyond = 1.5f;
    std::vector<FrameFacts> interrupted = Repeat(Blocked(8), 6);
    interrupted.push_back(Blocked(4));
    interrupted = Repeat(Blocked(8), 6, interrupted);
    std::vector<FrameFacts> outside = Repeat(Blocked(8), 6);
    outside.push_back(FrameFacts());
    outside = Repeat(Blocked(8), 6, outside);
    std::vector<FrameFacts> allThenHalf = Repeat(Blocked(9), 3);
    allThenHalf = Repeat(Blocked(8), 3, allThenHalf);
    const Row rows[] = {
        {"embedded", {Follow(), embedded}, RULE_EMBEDDED, 1, 0.02f, 101},
        {"beyond a wall", {beyond, Follow()}, RULE_BEYOND_WALL, 1, 1.5f, 100},
        {"10 hidden frames are allowed", Repeat(Blocked(5), 10), RULE_HIDDEN, 0, 0, 0},
        // The run's length, from its first frame; frames 11 and 12 break it.
        {"12 hidden frames", Repeat(Blocked(5), 12, {Follow()}), RULE_HIDDEN, 2, 12.0f, 101},
        {"4 of 9 blocked is not hidden", Repeat(Blocked(4), 30), RULE_HIDDEN, 0, 0, 0},
        {"a frame in view ends the run", interrupted, RULE_HIDDEN, 0, 0, 0},
        {"so does one outside follow play", outside, RULE_HIDDEN, 0, 0, 0},
        // All of it hidden: three frames at most.
        {"3 frames all hidden", Repeat(Blocked(9), 3, {Blocked(8)}), RULE_HIDDEN, 0, 0, 0},
        {"4 frames all hidden", Repeat(Blocked(9), 4, {Follow()}), RULE_HIDDEN, 1, 4.0f, 101},
        {"8 of 9 is not all", Repeat(Blocked(8), 10), RULE_HIDDEN, 0, 0, 0},
        {"all, then most: one run of half", allThenHalf, RULE_HIDDEN, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
}

TEST(judgeRulesTest, CreaturesCoverFadeAndStaySolid)
{
    FrameFacts two = WithCreature(0.6f, 0.6f);
    two.nCreatures = 2;
    two.creatures[1] = {8, 0.0f, false, 1.0f};
    const Row rows[] = {
        {"a fifth under a solid one", {WithCreature(0.2f, 1.0f)}, RULE_SOLID_COVER, 1, 0.2f, 100},
        {"less than a fifth", {WithCreature(0.19f, 1.0f)}, RULE_SOLID_COVER, 0, 0, 0},
        {"see-through", {WithCreature(0.9f, 0.98f)}, RULE_SOLID_COVER, 0, 0, 0},
        {"farther than the player", {WithCreature(0.9f, 1.0f, false)}, RULE_SOLID_COVER, 0, 0, 0},
        // A sixth of the alpha byte's 255, truncated: 43 of them.
        {"a sixth a frame", {WithCreature(0, 1.0f), WithCreature(0, 212.0f / 255.0f)}, RULE_FADE_STEP, 0, 0, 0},
        {"45 of 255", {WithCreature(0, 1.0f), WithCreature(0, 210.0f / 255.0f)}, RULE_FADE_STEP, 1, 0.1765f, 101},
        {"a fade in one frame", {WithCreature(0, 0.3f), WithCreature(0, 1.0f)}, RULE_FADE_STEP, 1, 0.7f, 101},
        {"another creature is no step", {WithCreature(0, 0.3f), WithCreature(0, 1.0f, true, 9)}, RULE_FADE_STEP, 0,
         0, 0},
        {"three frames over half", Repeat(WithCreature(0.6f, 0.6f), 3), RULE_SOLID_LONG, 0, 0, 0},
        {"five frames over half", Repeat(WithCreature(0.6f, 0.6f), 5, {Follow()}), RULE_SOLID_LONG, 2, 5.0f, 101},
        {"see-through enough", Repeat(WithCreature(0.6f, 0.5f), 9), RULE_SOLID_LONG, 0, 0, 0},
        {"half is not over half", Repeat(WithCreature(0.5f, 0.9f), 9), RULE_SOLID_LONG, 0, 0, 0},
        {"each creature's own run", Repeat(two, 4), RULE_SOLID_LONG, 1, 4.0f, 100},
    };
    for (const Row& row : rows)
        Expect(row);
}

// The view turned fHeading degrees, the camera fX metres off, from the player.
FrameFacts Moved(float fHeading, float fX, bool bCut = false)
{
    FrameFacts f = Looking(10.0f, fHeading);
    f.cameraPos = mVec3(fX, -6.0f, 2.0f);
    f.bCut = bCut;
    return f;
}

FrameFacts Near(float fShare)
{
    FrameFacts f = Follow();
    f.fNearShare = fShare;
    return f;
}

FrameFacts Alpha(float fAlpha, bool bCut = false)
{
    FrameFacts f = Covering(0.04f, fAlpha);
    f.bCut = bCut;
    return f;
}

TEST(judgeRulesTest, CutsNearFillAndThePlayersFade)
{
    // The turn's and the move's shares of their limits, the larger kept.
    const Row rows[] = {
        {"12 degrees a frame is the most", {Moved(0.0f, 0.0f), Moved(12.0f, 0.0f)}, RULE_CUT, 0, 0, 0},
        {"13 degrees", {Moved(0.0f, 0.0f), Moved(0.0f, 0.0f), Moved(13.0f, 0.0f)}, RULE_CUT, 1, 13.0f / 12.0f, 102},
        {"a metre a frame is the most", {Moved(0.0f, 0.0f), Moved(0.0f, 1.0f)}, RULE_CUT, 0, 0, 0},
        {"2.2 metres", {Moved(0.0f, 0.0f), Moved(0.0f, 2.2f)}, RULE_CUT, 1, 2.2f, 101},
        {"both: the larger share", {Moved(0.0f, 0.0f), Moved(18.0f, 1.2f)}, RULE_CUT, 1, 1.5f, 101},
        {"a map's start or a placing", {Moved(0.0f, 0.0f), Moved(90.0f, 5.0f, true)}, RULE_CUT, 0, 0, 0},
        {"from other play", {Moved(0.0f, 0.0f), FrameFacts(), Moved(90.0f, 5.0f)}, RULE_CUT, 0, 0, 0},
        {"a quarter near is the most", {Near(0.25f)}, RULE_NEAR_FILL, 0, 0, 0},
        {"more near", {Near(0.1f), Near(0.26f), Near(0.5f)}, RULE_NEAR_FILL, 2, 0.5f, 102},
        // As a creature's: a sixth of 255, truncated, 43 of them.
        {"43 of 255 a frame", {Alpha(1.0f), Alpha(212.0f / 255.0f)}, RULE_PLAYER_FADE, 0, 0, 0},
        {"44 of 255", {Alpha(1.0f), Alpha(211.0f / 255.0f)}, RULE_PLAYER_FADE, 1, 44.0f / 255.0f, 101},
        {"back up in one frame", {Alpha(0.3f), Alpha(0.3f), Alpha(1.0f)}, RULE_PLAYER_FADE, 1, 0.7f, 102},
        {"across a cut", {Alpha(0.3f), Alpha(1.0f, true)}, RULE_PLAYER_FADE, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
}

FrameFacts Pitched(float fPitch, bool bFree = true)
{
    FrameFacts f = Follow();
    f.fFollowPitch = 15.0f;
    f.fCameraPitch = fPitch;
    f.bPitchFree = bFree;
    return f;
}

FrameFacts Resting(float fTurn, bool bClear = true, bool bStill = true)
{
    FrameFacts f = Follow();
    f.bPlayerStill = bStill;
    f.fBehindTurn = fTurn;
    f.bBehindClear = bClear;
    return f;
}

TEST(judgeRulesTest, ThePitchComesBackAndTheCameraRestsBehind)
{
    std::vector<FrameFacts> heldThenFree = Repeat(Pitched(2.0f, false), 40);
    heldThenFree = Repeat(Pitched(2.0f), 31, heldThenFree);
    // The first still frame counts 0: 91 frames on, 3 s have passed.
    std::vector<FrameFacts> rested = Repeat(Resting(170.0f), 91);
    std::vector<FrameFacts> restedTurned = Repeat(Resting(61.0f), 1, rested);
    std::vector<FrameFacts> interrupted = Repeat(Resting(170.0f, true, false), 1, Repeat(Resting(170.0f), 60));
    interrupted = Repeat(Resting(170.0f), 60, interrupted);
    FrameFacts start = Follow(), cutOff = Follow();
    start.bMapStart = cutOff.bMapStart = true;
    cutOff.bBoxWhole = false;
    FrameFacts later = cutOff;
    later.bMapStart = false;
    const Row rows[] = {
        // 5 degrees below the follow pitch for a second at most.
        {"a second below", Repeat(Pitched(9.0f), 30), RULE_PITCH_RETURN, 0, 0, 0},
        {"a frame more", Repeat(Pitched(9.0f), 31, {Follow()}), RULE_PITCH_RETURN, 1, 31.0f, 101},
        {"within 5 degrees", Repeat(Pitched(10.0f), 60), RULE_PITCH_RETURN, 0, 0, 0},
        {"held lower", Repeat(Pitched(0.0f, false), 60), RULE_PITCH_RETURN, 0, 0, 0},
        {"a second from where it is let go", heldThenFree, RULE_PITCH_RETURN, 1, 31.0f, 140},
        {"above is not below", Repeat(Pitched(40.0f), 60), RULE_PITCH_RETURN, 0, 0, 0},
        // 90 still frames after the first, then within 60 degrees.
        {"3 s turned away", rested, RULE_REST_BEHIND, 0, 0, 0},
        {"then 61 degrees", restedTurned, RULE_REST_BEHIND, 1, 61.0f, 191},
        {"then 60", Repeat(Resting(60.0f), 1, rested), RULE_REST_BEHIND, 0, 0, 0},
        {"no room behind", Repeat(Resting(170.0f, false), 200), RULE_REST_BEHIND, 0, 0, 0},
        {"a move starts the count again", interrupted, RULE_REST_BEHIND, 0, 0, 0},
        {"the box whole at a start", {start, start}, RULE_REST_BEHIND, 0, 0, 0},
        {"cut off at a start", {start, cutOff}, RULE_REST_BEHIND, 1, 360.0f, 101},
        {"cut off after it", {start, later}, RULE_REST_BEHIND, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
}

FrameFacts Still(float x, bool bStill = true)
{
    FrameFacts f = Follow();
    f.bStill = bStill;
    f.cameraPos = mVec3(x, 0.0f, 0.0f);
    return f;
}

TEST(judgeRulesTest, TheCameraRestsTwoSecondsAfterEverythingStops)
{
    // The first still frame starts the count; 60 more and it must rest.
    std::vector<FrameFacts> settling;
    for (int i = 0; i <= 60; ++i)
        settling.push_back(Still(0.01f * static_cast<float>(i)));
    std::vector<FrameFacts> restless = settling;
    restless.push_back(Still(0.7f));
    std::vector<FrameFacts> rested = settling;
    rested.push_back(Still(0.6005f));
    std::vector<FrameFacts> moved = settling;
    moved.push_back(Still(0.7f, false));
    const Row rows[] = {
        {"moving for 60 frames", settling, RULE_RESTLESS, 0, 0, 0},
        {"moving on the 61st", restless, RULE_RESTLESS, 1, 0.1f, 161},
        {"within a millimetre", rested, RULE_RESTLESS, 0, 0, 0},
        {"something moved", moved, RULE_RESTLESS, 0, 0, 0},
    };
    for (const Row& row : rows)
        Expect(row);
    EXPECT_EQ(Judge(restless).Stat(RULE_RESTLESS).nChecked, 1u);
}

TEST(judgeRulesTest, CountsFollowFramesOnly)
{
    const cameraJudgeRules rules = Judge({Follow(), FrameFacts(), Follow(), Follow()});
    EXPECT_EQ(rules.Stat(RULE_COVERAGE).nChecked, 3u);
    EXPECT_EQ(rules.Stat(RULE_SIZE_STEP).nChecked, 1u) << "one step between two follow frames";
}

TEST(judgeRulesTest, MergeAddsCountsAndKeepsTheWorst)
{
    cameraJudgeRules a, b, c;
    a.Begin(1);
    a.Check(10, Covering(0.5f));
    b.Begin(2);
    b.Check(20, Covering(0.7f));
    b.Check(21, Covering(0.1f));
    a.Merge(b);
    a.Merge(c);
    const RuleStat& s = a.Stat(RULE_COVERAGE);
    EXPECT_EQ(s.nChecked, 3u);
    EXPECT_EQ(s.nBroken, 2u);
    EXPECT_FLOAT_EQ(s.fWorst, 0.7f);
    EXPECT_EQ(s.nWorstSeed, 2u);
    EXPECT_EQ(s.nWorstFrame, 20u);
}

TEST(judgeRulesTest, MergeKeepsAWorseWorstItHas)
{
    cameraJudgeRules a, b;
    a.Begin(1);
    a.Check(10, Covering(0.9f));
    b.Begin(2);
    b.Check(20, Covering(0.5f));
    a.Merge(b);
    EXPECT_FLOAT_EQ(a.Stat(RULE_COVERAGE).fWorst, 0.9f);
    EXPECT_EQ(a.Stat(RULE_COVERAGE).nWorstSeed, 1u);
    EXPECT_EQ(a.Stat(RULE_COVERAGE).nBroken, 2u);
}

// Runs and counts of one route end with it.
TEST(judgeRulesTest, BeginForgetsTheLastRoute)
{
    cameraJudgeRules rules;
    rules.Begin(1);
    for (int i = 0; i < 3; ++i)
        rules.Check(static_cast<uint64_t>(i), WithCreature(0.6f, 0.6f));
    for (int i = 0; i < 60; ++i)
        rules.Check(static_cast<uint64_t>(10 + i), Still(0.0f));
    rules.Begin(2);
    rules.Check(100, WithCreature(0.6f, 0.6f));
    rules.Check(101, Still(0.5f));
    EXPECT_EQ(rules.Stat(RULE_SOLID_LONG).nBroken, 0u);
    EXPECT_EQ(rules.Stat(RULE_RESTLESS).nChecked, 0u);
}

TEST(judgeRulesTest, EveryRuleHasItsText)
{
    for (int rule = 0; rule < RULE_COUNT; ++rule)
        EXPECT_STRNE(RuleName(rule), "???") << rule;
    EXPECT_STREQ(RuleName(RULE_COUNT), "???");
    EXPECT_STREQ(RuleMeasure(-1), "???");
    EXPECT_STREQ(RuleMeasure(RULE_COUNT), "???");
    EXPECT_STRNE(RuleMeasure(RULE_COUNT - 1), "???");
    EXPECT_STRNE(RuleMeasure(0), "???");
}

}  // namespace
}  // namespace cameraJudge
