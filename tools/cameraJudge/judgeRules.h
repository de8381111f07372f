#pragma once
// The camera judge's rules: what a player must never see on a frame of
// follow play, checked from plain facts of each frame (the game's state
// read into numbers by the probe), frame after frame of one route at a
// time. For each rule it counts the frames checked and broken and keeps the
// worst one: its value, seed and frame. Plain data; any thread.

#include <cstdint>

#include "mMath/mVec3.h"

namespace cameraJudge {

// The rules; each one's threshold is in judgeRules.cpp's table.
enum Rule : int {
    RULE_COVERAGE,     // the player's box covers more than 40% of the screen, drawn solid or not
    RULE_SIZE_STEP,    // its size on the screen changes more than 1.3 times in a frame
    RULE_PITCH,        // the view looks down more than 60 degrees
    RULE_FLIP,         // the view turns upside down, or more than 90 degrees in a frame
    RULE_EMBEDDED,     // the world's collision within the near distance of the camera
    RULE_BEYOND_WALL,  // collision between the player and the camera
    RULE_HIDDEN,       // the player over half hidden by the world over 10 frames, or all of it over 3
    RULE_SOLID_COVER,  // a solid creature nearer the camera covers a fifth of the player
    RULE_FADE_STEP,    // a creature's alpha changes more than 1/6 in a frame
    RULE_SOLID_LONG,   // a creature not yet see-through covers half the player over 3 frames
    RULE_RESTLESS,     // the camera moves after 2 s of no input and nothing moving
    RULE_CUT,          // the view turns over 12 degrees, or the camera moves over 1 m, in a frame
    RULE_NEAR_FILL,    // over a quarter of the view meets the world within 1 m of the camera
    RULE_PLAYER_FADE,  // the player's own alpha changes more than 1/6 in a frame
    RULE_PITCH_RETURN, // held below the follow pitch over a second where nothing holds it there
    RULE_REST_BEHIND,  // at rest 3 s, not behind the player where there is room; cut off at a start
    RULE_COUNT
};
const char* RuleName(int rule);
// What the worst value means, and its unit ("share of the screen").
const char* RuleMeasure(int rule);

// A creature as one frame sees it.
struct CreatureFacts {
    uint32_t nId;     // the same creature keeps its id from frame to frame
    float fCover;     // share of the player's screen outline its outline lies over
    bool bNearer;     // its centre nearer the camera than the player's
    float fAlpha;     // as drawn, 0..1
};

// One frame of a route, as the probe reads it from the game.
struct FrameFacts {
    static constexpr int kMaxCreatures = 16;
    bool bFollow = false;  // follow play: the game camera following the player
    bool bCut = false;     // the map started or restarted, the player was placed anew, or the data asked for a cut
    bool bMapStart = false;   // a map's start: from its first frame until the input is first touched
    float fCoverage = 0.0f;   // the player's share of the screen
    bool bBoxWhole = true;    // all eight corners of the player's box on the screen
    float fPlayerAlpha = 1.0f; // the player as drawn, 0..1
    float fPitchDown = 0.0f;  // degrees the view looks below the level
    mVec3 forward{0.0f, 1.0f, 0.0f};  // the view's axes in the world
    mVec3 up{0.0f, 0.0f, 1.0f};
    float fEmbedDepth = 0.0f;  // how far collision reaches into the camera's sphere
    float fBeyond = 0.0f;      // how far behind collision the camera stands from the player
    int nRays = 0;             // rays from the camera to points spread over the player's box
    int nBlocked = 0;          // of those, blocked by the world
    float fNearShare = 0.0f;   // share of rays through the screen meeting the world within 1 m
    // The camera's pitch above the pivot it turns about, the data's follow
    // pitch (both degrees, looking down positive), and whether the place at
    // the follow pitch and distance, on the camera's heading, is clear.
    float fCameraPitch = 0.0f;
    float fFollowPitch = 0.0f;
    bool bPitchFree = false;
    // Degrees between the camera's heading from the player and the
    // player's back, and whether the ideal place behind it is clear.
    float fBehindTurn = 0.0f;
    bool bBehindClear = false;
    bool bPlayerStill = false;  // no input, and the player where it stood
    int nCreatures = 0;
    CreatureFacts creatures[kMaxCreatures] = {};
    bool bStill = false;  // no input, and neither the player nor a creature near it moved
    mVec3 cameraPos{0.0f, 0.0f, 0.0f};  // from the player's middle
    mVec3 cameraWorld{0.0f, 0.0f, 0.0f};
    mVec3 playerWorld{0.0f, 0.0f, 0.0f};
};

struct RuleStat {
    uint64_t nChecked = 0;
    uint64_t nBroken = 0;
    float fWorst = 0.0f;     // the largest value measured on a broken frame
    uint32_t nWorstSeed = 0;
    uint64_t nWorstFrame = 0;  // for a run: its first frame
};

class cameraJudgeRules {
public:
    // A new route: nothing carries over from the last one.
    void Begin(uint32_t nSeed);
    // One frame of the route; frames not of follow play are only counted
    // as breaking the run of follow frames.
    void Check(uint64_t nFrame, const FrameFacts& facts);
    const RuleStat& Stat(int rule) const { return m_stats[rule]; }
    // The other's counts added in, and its worst frames where worse.
    void Merge(const cameraJudgeRules& other);
    bool AnyBroken() const;

private:
    // A run of frames on which a condition held: its first frame and length.
    struct Run {
        uint64_t nFirst = 0;
        int nLength = 0;
    };
    void Note(int rule, bool bBroken, float fValue, uint64_t nFrame);
    void CheckScreen(uint64_t nFrame, const FrameFacts& facts, bool bStep);
    void CheckView(uint64_t nFrame, const FrameFacts& facts, bool bStep);
    void CheckPlace(uint64_t nFrame, const FrameFacts& facts);
    void CheckCreatures(uint64_t nFrame, const FrameFacts& facts, bool bStep);
    void CheckRest(uint64_t nFrame, const FrameFacts& facts, bool bStep);
    void CheckMotion(uint64_t nFrame, const FrameFacts& facts, bool bStep);
    // The run goes on (bOn) or ends; true when it is longer than nLimit.
    static bool Extend(Run* pRun, bool bOn, uint64_t nFrame, int nLimit);

    RuleStat m_stats[RULE_COUNT];
    uint32_t m_nSeed = 0;
    bool m_bHavePrev = false;  // the previous frame was one of follow play
    FrameFacts m_prev;
    Run m_hidden;
    Run m_allHidden;
    Run m_pitchLow;
    // The runs of the creatures covering the player, by their ids.
    struct CreatureRun {
        uint32_t nId;
        Run run;
    };
    CreatureRun m_solid[FrameFacts::kMaxCreatures] = {};
    int m_nSolid = 0;
    int m_nStillFrames = 0;
    int m_nPlayerStillFrames = 0;
};

}  // namespace cameraJudge
