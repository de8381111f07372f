#pragma once
// What the camera judge reads of the game after each frame of the map loop:
// the game camera's frame and perspective, the player's box and the rays
// from the camera to it, the world's collision round the camera, the
// creatures' boxes and drawn alpha, and whether anything moved; put into
// FrameFacts for the rules. It only reads: a route judged plays the same
// as the same input played by the program. Main thread, inside a map.

#include <cstdint>

#include "judgeRules.h"
#include "mMath/mVec3.h"

class gcEntity;

namespace cameraJudge {

class cameraJudgeProbe {
public:
    // Metres round the camera that must be clear of collision: the near
    // plane's distance, where geometry would be cut open.
    static constexpr float kClearRadius = 0.1f;
    // Creatures this near the player count for "nothing moves".
    static constexpr float kNearCreature = 12.0f;
    // The player moved farther than this in a frame, in its own region, was
    // placed anew.
    // (No player runs or falls half as fast.)
    static constexpr float kPlacedAnew = 1.5f;

    // The facts of the frame just shown; nFrameOfRun counts the frames of
    // the map's run from 0 (its first is a cut); bPlaced: the judge placed
    // the player anew after the frame before (a cut too).
    void Read(int nFrameOfRun, bool bPlaced, FrameFacts* pOut);

private:
    struct Place {
        uint32_t nId;
        int nRegion;
        mVec3 local;  // in its region's frame
    };
    // Follow play: the camera following the player and looking at it, no
    // cinematic, no pause.
    static bool Following(const gcEntity& player);
    // Whether the player stands where it stood on the last frame read
    // (*pAllStill: and every creature near it); this frame's places kept
    // for the next.
    bool NothingMoved(const gcEntity& player, const mVec3& playerWorld, bool* pPlacedAnew, bool* pAllStill);
    static bool InputIdle();

    Place m_places[FrameFacts::kMaxCreatures + 1] = {};
    int m_nPlaces = 0;
    bool m_bAtStart = false;  // a map's start, nothing touched or moved since
};

}  // namespace cameraJudge
