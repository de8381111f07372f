#pragma once
// Places the player where a route says, through the game's own calls: on
// the ground of a region of the map (or, for a flyer, above it), where its
// box is clear of the world, the camera snapped behind it as when the game
// puts the player back. Only the judge's child does this, after a map's
// start. Main thread, inside a map.

#include "judgeRoute.h"
#include "mMath/mVec3.h"

namespace cameraJudge {

class cameraJudgePlace {
public:
    // The ground is looked for straight down from kLookFrom above the
    // sample's ground, over every top (the house's eave is 8.5 m up): the
    // first face met is the ground where it lies no higher than
    // kHighestGround (the terrace's top, 3 m up). A higher one is a wall's
    // top or a roof, and the point is passed over: a ray started beneath
    // it, inside a closed box (the shed), would find the floor inside.
    static constexpr float kGroundZ = -3.0f;
    static constexpr float kLookFrom = 9.0f;
    static constexpr float kHighestGround = 3.5f;
    // A point and those round it a metre apart, up to this many, are tried
    // until one has room for the player's box.
    static constexpr int kTries = 25;

    // True when the player was placed; false (nothing changed) when the
    // region is not resident or no point tried had room.
    static bool PlacePlayer(const Place& place);

private:
    // The player's middle standing (or hovering) at the point of the
    // region's frame, in the region's frame; false where it has no room.
    static bool StandAt(int nRegion, float x, float y, float fHeight, mVec3* pLocal);
};

}  // namespace cameraJudge
