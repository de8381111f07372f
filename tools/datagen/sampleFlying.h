#pragma once
// The sample game's flying player: its configuration (the game's second),
// flown by the player's control script (stick half forward coasts, fully
// forward flaps up through the gears, A boosts) in the act's third map, and
// the updraft in the first map's west region, off the road, whose trigger
// leaves for that map. Offline tool; main thread, while nothing is loaded.

#include <cstdint>
#include <string>

#include "datagen/regionWriters.h"
#include "datagen/samplePlayer.h"

namespace datagen {

constexpr int kSampleFlyingConfigId = 1;        // dir/Game/PlayerConfig02.pc
constexpr int kSampleSkyMap = 2;                // the act's third map, "Ashgrove Skies"
constexpr int kSampleUpdraftTriggerSlot = 60;   // in the first map's region-trigger group
// The updraft's box in the west region's frame: north of the road by the
// player's start, clear of the walls.
constexpr float kSampleUpdraftX = -12.0f;
constexpr float kSampleUpdraftY = 8.0f;

// Gear 0's coast: a half push from a hover creeps the flyer forward at this
// speed (units a second); flapping there only climbs.
constexpr float kSampleFlyerCreepSpeed = 1.5f;

// The flying player (dir/Game/PlayerConfig02.pc and its sound file; see
// WriteSamplePlayerFiles).
bool WriteSampleFlyingPlayer(const std::string& dir, uint32_t hMaterial);

// The updraft: entering it loads the act's third map, where the player
// flies. A member that could not be written clears *pOk.
RegionTriggerDesc UpdraftTrigger(const ActionMemberFunc& member, bool* pOk);

}  // namespace datagen
