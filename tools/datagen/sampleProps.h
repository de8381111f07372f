#pragma once
// The sample game's props: a spark that flies from the shed lever's handle
// when it is pulled; a chest beside the middle region's road whose trigger
// hands whoever walks up to it a brass key; and a spike plate on that road
// whose trigger hurts everything standing on it. The chest and the plate are
// devices (meshes, templates and entities that follow the shed's in the
// same groups); the key is an item template, the spark an effect template.
// Offline tool; main thread.

#include <cstdint>
#include <functional>

#include "datagen/blockWriter.h"
#include "datagen/effectWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/sampleDevices.h"

class gcAction;

namespace datagen {

// Where the props sit, as a test looking at a run finds them.
constexpr int kSparkTemplateSlot = 101;  // in the map's effect-template group
constexpr int kKeyTemplateSlot = 64;     // in its item-template group
constexpr int kChestTriggerSlot = 12;    // in its region-trigger group
constexpr int kTrapTriggerSlot = 13;
constexpr int kPropsRegion = 1;          // the middle region
constexpr const char* kLeverSparkNode = "Spark";  // the lever handle's tip
constexpr float kTrapX = 8.0f, kTrapY = 0.0f;      // the plate's centre on the road
constexpr float kTrapRadius = 1.5f;                // metres around it
constexpr float kTrapDamage = 10.0f;               // health per step onto it
constexpr int kPropDevices = 2;                     // the chest, then the plate

// The spark: a short blue-white flash.
EffectTemplateDesc SparkTemplate();
// The lever's completed pull also throws the spark from its handle's tip
// (the lever, the event's initiator).
bool LeverSparkAction(BlockWriter& w, const ShedDeviceSlots& slots);

// The chest's trigger (gives the one who enters one key) and the trap's
// (deals area damage around the plate, the plate as attacker), with the
// handles and action writer of slots. *pOk turns false when an action
// cannot be written.
RegionTriggerDesc ChestTrigger(float groundZ, const ShedDeviceSlots& slots, bool* pOk);
RegionTriggerDesc TrapTrigger(float groundZ, const ShedDeviceSlots& slots, bool* pOk);

// The chest's and the plate's records for a map group they share with the
// shed's devices (LaySharedGroup): their meshes, device templates or
// devices, in the slots after the shed's; none for another group.
std::vector<SlotRecord> PropRecords(int mapGroup, const ShedDeviceSlots& slots, float groundZ, bool* pOk);
// The item-template group holding the key, laid in w.
void LayItemTemplates(BlockWriter& w, const std::function<uint16_t(int slot)>& checkOf);

}  // namespace datagen
