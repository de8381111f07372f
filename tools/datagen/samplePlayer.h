#pragma once
// The sample game's player: a biped whose control state machine (in the
// game file, so it outlives every map) walks, runs and jumps it from the
// controller and opens the pause dialog on Start; the map's start actions that put it on the west end of the
// road facing east with the camera following and watching it; and the
// trigger by the east region's shed that turns the camera to the shed
// while the player stands in front of it. Offline tool; main thread, while
// nothing is loaded.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/sampleSounds.h"
#include "gcGameCore/camera/gcGameCameraParams.h"

class cMemPool;
class gcAction;

namespace datagen {

// The game's state-machine group is read into slots from 20 on whatever
// the file says, so the control machine sits in its first slot.
constexpr int kSamplePlayerControlSlot = 20;
// The map's region points and trigger the player adds.
constexpr int kSampleStartPointSlot = 6;    // west: where the player starts
constexpr int kSampleShedPointSlot = 7;     // east: what the camera turns to
constexpr int kSampleShedViewTriggerSlot = 8;
// Where the player starts, in the west region's frame (the ground is at
// z = -3), facing +x along the road.
constexpr float kSamplePlayerStartX = -12.0f;

// The handle of a sample map record (and of the control machine): check
// 0x100 + slot.
uint32_t SampleMapHandle(int slot);

// The camera keeps this far from the player and looks at the point this
// high above its centre, so that it sees over the player's head.
constexpr float kSampleCameraDistance = 7.0f;
constexpr float kSampleCameraHeight = 0.8f;
// The camera's collision mask: it meets every surface sharing a bit.
constexpr uint32_t kSampleCameraCollisionMask = 1;
gcGameCameraParams SampleCameraParams();

// Lays one action as a member of an event block being written; false
// (logged) when that fails.
using ActionMemberFunc = std::function<bool(BlockWriter& w, const gcAction& action)>;

// The region points of slots kSampleStartPointSlot and kSampleShedPointSlot.
std::vector<RegionPointDesc> SamplePlayerPoints();

// The map's OnMapStarted members: "Log: <map name>: the player sets out"
// (information), the player snapped to the start point and
// switched on, the camera given SampleCameraParams and snapped behind it following and looking at it. False when a
// member could not be written.
bool SamplePlayerStartActions(BlockWriter& w, const ActionMemberFunc& member, const char* mapName);

// The east region's trigger across the road in front of the shed: entering
// turns the camera to the shed, leaving turns it back to the player. A
// member that could not be written clears *pOk.
RegionTriggerDesc ShedViewTrigger(const ActionMemberFunc& member, bool* pOk);

// Runs write with a fill that puts the player's control state machine (made
// in pPool, with the pause step of AppendSamplePauseStep and the death step
// of AppendSampleDeathStep) in the game's
// state-machine group; write passes the fill on to
// the game file's writer. write's result.
bool WithSamplePlayerControl(cMemPool* pPool,
                             const std::function<bool(const std::function<void(gcGame&)>& fill)>& write);

// A player of the sample: its configuration (stem.pc) written by
// writeConfig, named name, its template running the control state machine
// and drawn with the map's material hMaterial; and its sound file
// (stemSound.snd) holding the bank's sounds.
template <class Desc>
bool WriteSamplePlayerFiles(const std::string& stem, SampleSoundBank sounds, const char* name, uint32_t hMaterial,
                            bool (*writeConfig)(const std::string& path, const Desc& desc), Desc d = Desc())
{
    d.name = name;
    d.hStateMachine = SampleMapHandle(kSamplePlayerControlSlot);
    d.hMaterial = hMaterial;
    return writeConfig(stem + ".pc", d) && WriteSampleSoundBank(stem + "Sound.snd", sounds);
}

// The biped's strike: within kSamplePlayerStrikeReach metres of its
// outline, everything but the biped loses kSamplePlayerStrikeDamage health
// as the strike starts.
constexpr float kSamplePlayerStrikeReach = 1.0f;
constexpr float kSamplePlayerStrikeDamage = 25.0f;

// The biped (dir/Game/PlayerConfig01.pc and its sound file): it strikes
// with attack 0.
bool WriteSampleBipedPlayer(const std::string& dir, uint32_t hMaterial);

// The scripted input of a headless run (its text): the stick pushed
// halfway forward (walking east along the road), A tapped to jump, then
// pushed fully (running), then left (turning north in the middle region),
// then let go: the player stands short of the east gate however long the
// run lasts, and a run of the Makefile's length ends with the player, the
// road and the east region's shed in view.
const char* SamplePlayerInputText();

}  // namespace datagen
