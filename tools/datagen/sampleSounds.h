#pragma once
// The sample game's sound effects: each one made by arithmetic (tones,
// filtered noise, envelopes), its place in one of the game's sound banks
// (the game's, the main menu's, each player's, the maps'), and the handle
// by which the data that triggers it names it. Offline tools and test
// fixtures; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class gcAction;

namespace datagen {

class BlockWriter;

struct EffectTemplateDesc;
struct NPCTemplateDesc;
struct PlayerBipedTemplateDesc;
struct PlayerFlyingTemplateDesc;

// Which file holds a sound, by the slot range its reader gives the bank.
enum class SampleSoundBank {
    kGame,    // Game/GameSound.snd, slots 20..: the guards, the key, the updraft, the steps
    kMenu,    // Game/MainMenuSound.snd, slots 250..
    kBiped,   // Game/PlayerConfig01Sound.snd, slots 500..
    kFlyer,   // Game/PlayerConfig02Sound.snd, slots 500..
    kMap,     // each road map's ActNN/MapNN/MapNNSound.snd, slots 250..
};

enum SampleSound : int {
    kSoundStepStone,     // the biped's steps on the flagstones (walk and run)
    kSoundStepGrass,     // ... on the grass verges
    kSoundJump,
    kSoundLand,
    kSoundStrike,        // the biped's blow
    kSoundHurt,          // a blow the biped takes
    kSoundPlayerFelled,
    kSoundGuardSwing,    // a guard's blow
    kSoundGuardHurt,     // a blow a guard takes
    kSoundGuardFelled,
    kSoundKey,
    kSoundUpdraft,       // its gust as the biped enters, the flyer lifted as the sky map starts
    kSoundLever,
    kSoundDoor,
    kSoundChest,
    kSoundBoost,         // the flyer's
    kSoundBump,          // the flyer knocked back by a wall
    kSoundMenuMove,
    kSoundMenuChoose,
    kSampleSoundCount
};

struct SampleSoundInfo {
    const char* name;  // the sound data's name, at most 19 characters
    SampleSoundBank bank;
    int slot;
};
const SampleSoundInfo& GetSampleSoundInfo(SampleSound sound);
// The handle of the sound data in its bank's slot.
uint32_t SampleSoundHandle(SampleSound sound);
// The sound's samples, 32 kHz mono, as the bank holds them before encoding.
std::vector<int16_t> MakeSampleSound(SampleSound sound);

// The footsteps: the biped's walk and run, as they start and at each loop
// of their animation (a stride), spawn the impact effect of the surface
// beneath it (the column below of the surface's table); the flagstones'
// and the grass's effects each play a step.
// The templates stand in every map's effect-template group at these slots.
constexpr uint32_t kSampleStepEffectType = 0;
constexpr int kSampleStoneStepTemplateSlot = 103;
constexpr int kSampleGrassStepTemplateSlot = 104;
EffectTemplateDesc SampleStepTemplate(bool bGrass);
// The surface's effect table with the step template at the handle given,
// for every size of entity.
void SetSampleStepEffects(uint32_t (&effects)[15], uint32_t hTemplate);

// The sound keys of the animations that make a sound as they start: the
// biped's jump, landing, strike, hurts and fall; the
// flyer's boost and knockback; a guard's swing, hurts and fall.
void SetSampleBipedSoundKeys(PlayerBipedTemplateDesc& t);
// The walk's and run's OnStarted (at each loop too): the surface effect
// under the biped (whose surface mask the ray needs, every bit). The member
// writes an action into its event; false when it fails.
void SetSampleBipedStepActions(PlayerBipedTemplateDesc& t,
                               const std::function<bool(BlockWriter&, const gcAction&)>& member, bool* pOk);
void SetSampleFlyerSoundKeys(PlayerFlyingTemplateDesc& t);
void SetSampleGuardSoundKeys(NPCTemplateDesc& t);

// Writes the bank's sounds, encoded, as the group its reader loads.
bool WriteSampleSoundBank(const std::string& path, SampleSoundBank bank);

}  // namespace datagen
