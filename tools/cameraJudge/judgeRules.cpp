// The camera judge's rules over the facts of each frame: see the header.
#include "judgeRules.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace cameraJudge {

namespace {

// The rules' limits in one place.
// The player's box may cover at most this share of the screen, drawn solid
// or see-through: a ghost of the player filling the picture hides the
// world as much as the player does.
constexpr float kMaxCoverage = 0.40f;
// Its size on the screen (the square root of its share) may change at
// most this many times from one frame to the next; sizes below kMinSize
// count as kMinSize, so that a player far off or leaving the picture's
// edge does not count as a jump.
constexpr float kMaxSizeStep = 1.3f;
constexpr float kMinSize = 0.05f;
// The view may look down at most this steeply (degrees); the tolerance is
// the rounding of a view built at the limit.
constexpr float kMaxPitchDown = 60.0f;
constexpr float kPitchTolerance = 0.01f;
// The view may turn at most this far (degrees) in a frame.
constexpr float kMaxTurn = 90.0f;
// Hidden: more than half the rays blocked, on more than this many frames in
// a row (a third of a second); all of them, on more than kMaxAllHiddenFrames.
constexpr int kMaxHiddenFrames = 10;
constexpr int kMaxAllHiddenFrames = 3;
// A creature nearer the camera drawn solid may cover less than this share
// of the player; "solid" is an alpha of kSolidAlpha or more (255 of 255).
constexpr float kMaxSolidCover = 0.2f;
constexpr float kSolidAlpha = 254.5f / 255.0f;
// A fade takes at least six frames: its alpha moves at most a sixth a
// frame. The drawn alpha is a byte, truncated: a sixth of 255 steps 42 or
// 43 of them.
constexpr float kMaxFadeStep = 43.0f / 255.0f + 0.0001f;
// Not yet see-through (alpha above kHalfAlpha), a creature may cover more
// than kLongCover of the player on at most kMaxLongFrames frames in a row.
constexpr float kHalfAlpha = 0.5f;
constexpr float kLongCover = 0.5f;
constexpr int kMaxLongFrames = 3;
// After kRestFrames still frames (2 s), the camera may move no farther than
// kRestTolerance a frame.
constexpr int kRestFrames = 60;
constexpr float kRestTolerance = 0.001f;
// No cut: the view turns at most kMaxCutTurn degrees and the camera moves at
// most kMaxCutTravel metres (relative to the player) from one frame to the
// next.
constexpr float kMaxCutTurn = 12.0f;
constexpr float kMaxCutTravel = 1.0f;
// At most this share of the view may meet the world near the camera.
constexpr float kMaxNearShare = 0.25f;
// Below the follow pitch by more than kPitchMargin degrees, where the place
// at the follow pitch is clear, for at most kPitchReturnFrames (a second).
constexpr float kPitchMargin = 5.0f;
constexpr int kPitchReturnFrames = 30;
// After kRestBehindFrames (3 s) of no input with the player standing, the
// camera stands within kMaxBehindTurn degrees of its back where the ideal
// place there is clear. A box cut off at a map's start counts as 360.
constexpr int kRestBehindFrames = 90;
constexpr float kMaxBehindTurn = 60.0f;
constexpr float kCutOffAtStart = 360.0f;

constexpr float kDegrees = 57.29577951f;

struct RuleText {
    const char* sName;
    const char* sMeasure;
};
const RuleText kRuleText[RULE_COUNT] = {
    {"coverage", "share of the screen of the player's box, > 0.40"},
    {"size-step", "player's size change in a frame, > 1.3x"},
    {"pitch", "degrees looking down, > 60"},
    {"flip", "degrees turned in a frame (180: upside down), > 90"},
    {"embedded", "metres of collision inside the camera's 0.1 m sphere"},
    {"beyond-wall", "metres behind collision, from the player"},
    {"hidden", "frames in a row the player is over half hidden (> 10) or all hidden (> 3)"},
    {"solid-cover", "share of the player under a solid nearer creature, >= 0.2"},
    {"fade-step", "creature alpha change in a frame, > 43/255 (a sixth)"},
    {"solid-long", "frames in a row a creature over alpha 0.5 covers > half the player, > 3"},
    {"restless", "metres the camera moved in a frame, nothing moving for 2 s"},
    {"cut", "the larger of a frame's turn over 12 degrees and move over 1 m, > 1"},
    {"near-fill", "share of the view meeting the world within 1 m, > 0.25"},
    {"player-fade", "player alpha change in a frame, > 43/255 (a sixth)"},
    {"pitch-return", "frames in a row 5 degrees below the follow pitch with room there, > 30"},
    {"rest-behind", "degrees from the player's back after 3 s at rest, > 60 (360: cut off at a start)"},
};

float SizeOf(float fCoverage)
{
    return std::max(std::sqrt(std::max(fCoverage, 0.0f)), kMinSize);
}

float AngleBetween(const mVec3& a, const mVec3& b)
{
    return std::acos(std::clamp(a.Dot(b), -1.0f, 1.0f)) * kDegrees;
}

}  // namespace

const char* RuleName(int rule)
{
    return rule >= 0 && rule < RULE_COUNT ? kRuleText[rule].sName : "???";
}

const char* RuleMeasure(int rule)
{
    return rule >= 0 && rule < RULE_COUNT ? kRuleText[rule].sMeasure : "???";
}

void cameraJudgeRules::Begin(uint32_t nSeed)
{
    m_nSeed = nSeed;
    m_bHavePrev = false;
    m_hidden = m_allHidden = m_pitchLow = Run();
    m_nSolid = 0;
    m_nStillFrames = m_nPlayerStillFrames = 0;
}

void cameraJudgeRules::Check(uint64_t nFrame, const FrameFacts& facts)
{
    if (!facts.bFollow) {
        m_bHavePrev = false;
        m_hidden = m_allHidden = m_pitchLow = Run();
        m_nSolid = 0;
        m_nStillFrames = m_nPlayerStillFrames = 0;
        return;
    }
    // A step from the frame before: only from one of follow play, and not
    // across a cut.
    const bool bStep = m_bHavePrev && !facts.bCut;
    CheckScreen(nFrame, facts, bStep);
    CheckView(nFrame, facts, bStep);
    CheckPlace(nFrame, facts);
    CheckCreatures(nFrame, facts, bStep);
    CheckRest(nFrame, facts, bStep);
    CheckMotion(nFrame, facts, bStep);
    m_prev = facts;
    m_bHavePrev = true;
}

void cameraJudgeRules::Note(int rule, bool bBroken, float fValue, uint64_t nFrame)
{
    RuleStat& s = m_stats[rule];
    ++s.nChecked;
    if (!bBroken)
        return;
    if (s.nBroken == 0 || fValue > s.fWorst) {
        s.fWorst = fValue;
        s.nWorstSeed = m_nSeed;
        s.nWorstFrame = nFrame;
    }
    ++s.nBroken;
}

bool cameraJudgeRules::Extend(Run* pRun, bool bOn, uint64_t nFrame, int nLimit)
{
    if (!bOn) {
        *pRun = Run();
        return false;
    }
    if (pRun->nLength++ == 0)
        pRun->nFirst = nFrame;
    return pRun->nLength > nLimit;
}

void cameraJudgeRules::CheckScreen(uint64_t nFrame, const FrameFacts& facts, bool bStep)
{
    Note(RULE_COVERAGE, facts.fCoverage > kMaxCoverage, facts.fCoverage, nFrame);
    Note(RULE_NEAR_FILL, facts.fNearShare > kMaxNearShare, facts.fNearShare, nFrame);
    if (bStep) {
        const float fFade = std::fabs(facts.fPlayerAlpha - m_prev.fPlayerAlpha);
        Note(RULE_PLAYER_FADE, fFade > kMaxFadeStep, fFade, nFrame);
    }
    if (!bStep)
        return;
    const float a = SizeOf(facts.fCoverage), b = SizeOf(m_prev.fCoverage);
    const float fStep = std::max(a / b, b / a);
    Note(RULE_SIZE_STEP, fStep > kMaxSizeStep, fStep, nFrame);
}

void cameraJudgeRules::CheckView(uint64_t nFrame, const FrameFacts& facts, bool bStep)
{
    Note(RULE_PITCH, facts.fPitchDown > kMaxPitchDown + kPitchTolerance, facts.fPitchDown, nFrame);
    float fTurn = bStep ? AngleBetween(facts.forward, m_prev.forward) : 0.0f;
    if (facts.up.z < 0.0f)
        fTurn = 180.0f;
    Note(RULE_FLIP, fTurn > kMaxTurn, fTurn, nFrame);
}

void cameraJudgeRules::CheckPlace(uint64_t nFrame, const FrameFacts& facts)
{
    Note(RULE_EMBEDDED, facts.fEmbedDepth > 0.0f, facts.fEmbedDepth, nFrame);
    Note(RULE_BEYOND_WALL, facts.fBeyond > 0.0f, facts.fBeyond, nFrame);
    const bool bHidden = 2 * facts.nBlocked > facts.nRays;
    const bool bAll = facts.nRays > 0 && facts.nBlocked >= facts.nRays;
    const bool bLong = Extend(&m_hidden, bHidden, nFrame, kMaxHiddenFrames);
    const bool bLongAll = Extend(&m_allHidden, bAll, nFrame, kMaxAllHiddenFrames);
    const Run& run = bLong ? m_hidden : m_allHidden;
    Note(RULE_HIDDEN, bLong || bLongAll, static_cast<float>(run.nLength), run.nFirst);
}

void cameraJudgeRules::CheckCreatures(uint64_t nFrame, const FrameFacts& facts, bool bStep)
{
    CreatureRun runs[FrameFacts::kMaxCreatures];
    int nRuns = 0;
    float fCover = 0.0f, fStep = 0.0f;
    int nLongest = 0;
    uint64_t nLongFirst = nFrame;
    for (int i = 0; i < facts.nCreatures && i < FrameFacts::kMaxCreatures; ++i) {
        const CreatureFacts& c = facts.creatures[i];
        if (c.bNearer && c.fAlpha >= kSolidAlpha)
            fCover = std::max(fCover, c.fCover);
        for (int j = 0; bStep && j < m_prev.nCreatures; ++j) {
            if (m_prev.creatures[j].nId == c.nId)
                fStep = std::max(fStep, std::fabs(c.fAlpha - m_prev.creatures[j].fAlpha));
        }
        Run run;
        for (int j = 0; j < m_nSolid; ++j) {
            if (m_solid[j].nId == c.nId)
                run = m_solid[j].run;
        }
        Extend(&run, c.bNearer && c.fAlpha > kHalfAlpha && c.fCover > kLongCover, nFrame, kMaxLongFrames);
        if (run.nLength > nLongest) {
            nLongest = run.nLength;
            nLongFirst = run.nFirst;
        }
        runs[nRuns++] = {c.nId, run};
    }
    std::copy(runs, runs + nRuns, m_solid);
    m_nSolid = nRuns;
    Note(RULE_SOLID_COVER, fCover >= kMaxSolidCover, fCover, nFrame);
    if (bStep)
        Note(RULE_FADE_STEP, fStep > kMaxFadeStep, fStep, nFrame);
    Note(RULE_SOLID_LONG, nLongest > kMaxLongFrames, static_cast<float>(nLongest), nLongFirst);
}

void cameraJudgeRules::CheckRest(uint64_t nFrame, const FrameFacts& facts, bool bStep)
{
    m_nStillFrames = facts.bStill && bStep ? m_nStillFrames + 1 : 0;
    if (m_nStillFrames <= kRestFrames)
        return;
    const float fMoved = facts.cameraPos.Dist(m_prev.cameraPos);
    Note(RULE_RESTLESS, fMoved > kRestTolerance, fMoved, nFrame);
}

void cameraJudgeRules::CheckMotion(uint64_t nFrame, const FrameFacts& facts, bool bStep)
{
    if (bStep) {
        const float fTurn = AngleBetween(facts.forward, m_prev.forward);
        const float fTravel = facts.cameraPos.Dist(m_prev.cameraPos);
        const float fCut = std::max(fTurn / kMaxCutTurn, fTravel / kMaxCutTravel);
        Note(RULE_CUT, fCut > 1.0f, fCut, nFrame);
    }
    const bool bLow = facts.bPitchFree && facts.fCameraPitch < facts.fFollowPitch - kPitchMargin;
    const bool bLong = Extend(&m_pitchLow, bLow, nFrame, kPitchReturnFrames);
    Note(RULE_PITCH_RETURN, bLong, static_cast<float>(m_pitchLow.nLength), m_pitchLow.nFirst);
    m_nPlayerStillFrames = facts.bPlayerStill && bStep ? m_nPlayerStillFrames + 1 : 0;
    if (facts.bMapStart) {
        Note(RULE_REST_BEHIND, !facts.bBoxWhole, kCutOffAtStart, nFrame);
    } else if (m_nPlayerStillFrames > kRestBehindFrames && facts.bBehindClear) {
        Note(RULE_REST_BEHIND, facts.fBehindTurn > kMaxBehindTurn, facts.fBehindTurn, nFrame);
    }
}

void cameraJudgeRules::Merge(const cameraJudgeRules& other)
{
    for (int rule = 0; rule < RULE_COUNT; ++rule) {
        RuleStat& s = m_stats[rule];
        const RuleStat& o = other.m_stats[rule];
        if (o.nBroken > 0 && (s.nBroken == 0 || o.fWorst > s.fWorst)) {
            s.fWorst = o.fWorst;
            s.nWorstSeed = o.nWorstSeed;
            s.nWorstFrame = o.nWorstFrame;
        }
        s.nChecked += o.nChecked;
        s.nBroken += o.nBroken;
    }
}

bool cameraJudgeRules::AnyBroken() const
{
    return std::any_of(std::begin(m_stats), std::end(m_stats), [](const RuleStat& s) { return s.nBroken > 0; });
}

}  // namespace cameraJudge
