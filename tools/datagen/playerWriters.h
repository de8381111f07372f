#pragma once
// Writers for the players' data: the biped and flying player template
// blocks of any version the loaders read, their template groups, a group of
// flying players, and whole player configurations for a biped and a flying
// player (a box mesh, animations with root motion, and the template in
// entity-template slot 0, so the configuration's entity is that player).
// Counts are written as given, so damaged counts can be written too.
// Offline tools and test fixtures; main thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/creatureWriters.h"
#include "mMath/mVec3.h"

namespace datagen {

struct PlayerBipedTemplateDesc {
    CreatureTemplateDesc creature;
    uint32_t creatureVersion = 8;
    int32_t configCount = 46;
    std::vector<AnimationConfigDesc> configs;  // default ones for the rest of the count
    uint32_t collisionMask = 0;                // version 5 on
};
// The newest is 5.
void PlayerBipedTemplateBlock(BlockWriter& w, const PlayerBipedTemplateDesc& desc, uint32_t version);

struct PlayerFlyingTemplateDesc {
    CreatureTemplateDesc creature;
    uint32_t creatureVersion = 8;
    int32_t configCount = 13;
    std::vector<AnimationConfigDesc> configs;
    int32_t shiftCount = 4;                         // the times that follow plus one
    std::vector<int32_t> shiftTicks = {2100, 2100, 2100};
    uint32_t collisionMask = 0;
};
// The only version is 4.
void PlayerFlyingTemplateBlock(BlockWriter& w, const PlayerFlyingTemplateDesc& desc, uint32_t version);

// The flying player's own block: version 1, the creature record.
void PlayerFlyingBlock(BlockWriter& w, const CreatureDesc& desc, uint32_t version);

// Template groups over slots beginSlot.., as data files at a host path.
bool WritePlayerBipedTemplateGroupFile(const std::string& path, int beginSlot,
                                       const std::vector<PlayerBipedTemplateDesc>& templates, uint32_t version);
bool WritePlayerFlyingTemplateGroupFile(const std::string& path, int beginSlot,
                                        const std::vector<PlayerFlyingTemplateDesc>& templates, uint32_t version);
// A group of flying players (gcEntityGroup) over slots beginSlot...
bool WritePlayerFlyingGroupFile(const std::string& path, int beginSlot, const std::vector<CreatureDesc>& players,
                                uint32_t version);

// The biped's walk and run loop once a stride (a third of a second): each
// loop starts its configuration again, a step with it.
constexpr int kBipedStrideTicks = 200;

// The sample biped player: where its mesh and animations go in the player
// configuration's groups, and how fast it walks and runs (units per second
// of root motion along its forward axis).
struct BipedPlayerDesc {
    std::string name = "Biped";
    int32_t meshSlot = 100;       // the configuration's mesh group begins here
    int32_t animationSlot = 100;  // stand, walk, run, jump up, jump down, land from here
    float walkSpeed = 1.5f;
    float runSpeed = 4.0f;
    mVec3 colliderSize{0.4f, 0.4f, 0.9f};
    uint32_t collisionMask = 0xFFFFFFFF;
    uint32_t hStateMachine = 0;  // the template's script; 0: none
    uint32_t hMaterial = 0;      // every skin's material; 0: the mesh's own
    // The template's attack 0, played with the strike animation; none when
    // absent.
    std::optional<CreatureAttackDesc> strike;
    // Last touches to the template (its sound keys, say); none when empty.
    std::function<void(PlayerBipedTemplateDesc&)> finish;
};
// A player configuration (version 4) holding the biped's mesh, its
// animations (stand, walk, run looping; the jump's take-off, descent and
// landing, and the half-second strike, once, from animationSlot on; standing
// also plays for the states without one of their own) and its template in
// entity-template slot 0.
bool WriteBipedPlayerConfigFile(const std::string& path, const BipedPlayerDesc& desc);

// The sample flying player: where its mesh and animations go, and how fast
// it flies (units per second of root motion along its forward axis) in each
// gear (coasting and flapping alike) and boosting; flapping also climbs.
struct FlyingPlayerDesc {
    std::string name = "Flyer";
    int32_t meshSlot = 100;       // the configuration's mesh group begins here
    int32_t animationSlot = 100;  // brake, knockback, coast 1-4, flap 1-4, boost from here
    float gearSpeeds[4] = {0.0f, 3.0f, 5.0f, 7.0f};  // gear 0 hovers
    float creepSpeed = 0.0f;      // gear 0's coast, when not gearSpeeds[0]: flapping there only climbs
    float flapClimb = 0.6f;       // units per second up its own axis while flapping
    float boostSpeed = 10.0f;     // over the boost's second
    float knockback = 1.5f;       // units flown backwards by the knockback
    int32_t shiftTicks[3] = {2100, 2100, 2100};
    mVec3 colliderSize{0.5f, 0.5f, 0.5f};
    uint32_t collisionMask = 0xFFFFFFFF;
    uint32_t hStateMachine = 0;  // the template's script; 0: none
    uint32_t hMaterial = 0;      // every skin's material; 0: the mesh's own
    EventActionsFunc brakeActions;  // the braking configuration's events (AnimationConfigDesc's)
    // Last touches to the template (its sound keys, say); none when empty.
    std::function<void(PlayerFlyingTemplateDesc&)> finish;
};
// A player configuration (version 4) holding the flying player's mesh, its
// animations (braking and the gears looping; the knockback, which dying
// plays too, and the boost once; braking also stands for dead) and its
// template in entity-template slot 0.
bool WriteFlyingPlayerConfigFile(const std::string& path, const FlyingPlayerDesc& desc);

}  // namespace datagen
