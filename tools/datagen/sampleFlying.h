#pragma once
// The sample game's flying player: its configuration (the game's second),
// flown by the player's control script (stick half forward coasts, fully
// forward flaps up through the gears, A boosts) in the act's third map, and
// the updraft in the first map's west region, off the road, whose trigger
// leaves for that map. Offline tool; main thread, while nothing is loaded.

#include <cstdint>
#include <string>

#include "datagen/effectWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/samplePlayer.h"

class cMemPool;
class eMaterial;

namespace datagen {

constexpr int kSampleFlyingConfigId = 1;        // dir/Game/PlayerConfig02.pc
constexpr int kSampleSkyMap = 2;                // the act's third map, "Ashgrove Skies"
constexpr int kSampleUpdraftTriggerSlot = 60;   // in the first map's region-trigger group
// The updraft's box in the west region's frame: on the verge north of the
// road, east of the steps up to the terrace and under its front, clear of
// them, of the pillar and of the way from the start to the garden's gateway
// (west of the steps). Ahead and to the left of the player's start, in
// view from it.
constexpr float kSampleUpdraftX = 10.0f;
constexpr float kSampleUpdraftY = 8.0f;
constexpr float kSampleUpdraftSide = 4.0f;  // its box's edge, along x and y

// Gear 0's coast: a half push from a hover creeps the flyer forward at this
// speed (units a second); flapping there only climbs.
constexpr float kSampleFlyerCreepSpeed = 1.5f;

// What marks the updraft from afar: motes rising from its box's floor over
// its whole height and a warm glow, an effect of the first map standing
// there (region 0), its template in the map's effect-template group at
// kSampleUpdraftTemplateSlot. The motes are drawn with the material
// NewSampleMoteMaterial makes, at the handle given.
constexpr int kSampleUpdraftTemplateSlot = 102;
constexpr float kSampleMoteRiseSpeed = 1.5f;  // units a second
constexpr float kSampleMoteSeconds = 2.5f;    // a mote's life
EffectTemplateDesc UpdraftTemplate(uint32_t hMoteMaterial);
EffectDesc UpdraftEffect(uint32_t hTemplate);
// Unlit, untextured and added to what lies behind, pale gold, unfogged: a
// mote glows at dusk and at night. Null when the pool is full.
eMaterial* NewSampleMoteMaterial(cMemPool* pPool);

// The flying player (dir/Game/PlayerConfig02.pc and its sound file; see
// WriteSamplePlayerFiles).
bool WriteSampleFlyingPlayer(const std::string& dir, uint32_t hMaterial);

// The updraft: entering it loads the act's third map, where the player
// flies. A member that could not be written clears *pOk.
RegionTriggerDesc UpdraftTrigger(const ActionMemberFunc& member, bool* pOk);

}  // namespace datagen
