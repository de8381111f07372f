#pragma once
// The sample map's guards: two non-player characters on the road, one in
// the west region and one where the middle region begins. Each walks a
// loop of its own (its patrol path out, its initial path back) until the
// player comes near, then leaves the path for the boundary around it, runs
// at the player and swings at it; when the player gets away it goes back
// to its loop. Their
// body (a plank-clad box with a fist that swings), its animations, their
// template and their tactics (a script state machine) are written into
// the map's groups. Offline tool; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/modelWriters.h"

namespace datagen {

// Where the guards' records go in the map's groups (handles check 0x100 +
// slot), and the numbers their tactics use.
struct SampleGuards {
    static constexpr int kMeshSlot = 200;
    static constexpr int kAnimationSlot = 600;  // stand, walk, run, swing, flinch, fall, dead
    static constexpr int kTemplateSlot = 20;
    static constexpr int kEntitySlot = 20;     // and the next
    static constexpr int kCount = 2;
    static constexpr int kPathSlot = 10;       // two each: the loop's halves
    static constexpr int kBoundarySlot = 10;   // one each
    static constexpr int kStateMachineSlot = 200;
    enum Tactic : int { kPatrol = 0, kChase = 1, kAttack = 2, kPatrolBack = 3 };

    static constexpr float kNoticeDistance = 8.0f;  // between the outlines, metres
    static constexpr float kGiveUpDistance = 12.0f;
    static constexpr float kReach = 0.6f;
    static constexpr float kBlowDamage = 5.0f;
    static constexpr float kSwingPause = 1.0f;      // seconds from one swing's end to the next
    static constexpr float kWalkSpeed = 1.5f;       // metres per second of root motion
    static constexpr float kRunSpeed = 4.5f;        // a little faster than the player runs
    static constexpr float kFlinchDepth = 0.2f;     // metres a blow rocks the body back
    static constexpr float kFallDepth = 0.5f;       // metres the body sinks as it falls
};

// The records of map group `index` (a MapGroup) that the guards fill:
// their mesh, animations, template, the guards, their paths, boundaries and
// tactics, for LaySharedGroup. hMaterial is the material the body is clad
// in; scratch a file path the engine's own Write may use. None for a group
// they leave alone; *pOk becomes false (logged) when a record could not be
// laid.
std::vector<SlotRecord> SampleGuardRecords(int index, uint32_t hMaterial, const std::string& scratch, bool* pOk);

}  // namespace datagen
