#pragma once
// The sample game's shed door and the lever beside it: their meshes, their
// animations, their device templates and the two devices. Pulling the lever
// (it pulls itself once it is first in the world, or when the player works
// it) swings the door open: the lever's pull animation, once completed,
// tells the door to play its first idle animation. Offline tool; main
// thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/deviceWriters.h"
#include "datagen/modelWriters.h"

class gcAction;

namespace datagen {

// Where the caller puts the pieces in the map's groups: first slots of two
// meshes, two animations, two templates and two devices (door, then lever),
// and the materials they are drawn with.
struct ShedDeviceSlots {
    int mesh = 0;
    int animation = 0;
    int deviceTemplate = 0;
    int device = 0;
    uint32_t hDoorMaterial = 0;
    uint32_t hLeverMaterial = 0;
    int16_t regionId = 0;
    // The handle the map gives an object in a slot of its groups.
    std::function<uint32_t(int slot)> handleOf;
    // Lays an action as an event member (type id, then its block); false
    // when it could not be written.
    std::function<bool(BlockWriter& w, const gcAction& action)> actionMember;
    // Optional: more actions of the lever's completed pull, laid after the
    // door's (false: one could not be written).
    std::function<bool(BlockWriter& w)> pullActions;
};

// The twelve triangles of an axis-aligned box, each face textured once.
void AddBoxCorners(const mVec3& lo, const mVec3& hi, std::vector<MeshVertex>* pCorners);

std::vector<MeshDesc> ShedDeviceMeshes();
std::vector<AnimationDesc> ShedDeviceAnimations();
std::vector<DeviceTemplateDesc> ShedDeviceTemplates(const ShedDeviceSlots& slots, bool* pOk);
std::vector<DeviceDesc> ShedDevices(const ShedDeviceSlots& slots, bool* pOk);

// The map group of that index (mapWriters' MapGroup) holding the shed's
// meshes, animations, device templates or devices, laid in w; false for
// another group (nothing laid). *pOk turns false when a piece could not be
// written.
bool ShedDeviceGroup(BlockWriter& w, int mapGroup, const ShedDeviceSlots& slots, bool* pOk);
// The same pieces as records, for a group the shed shares with other parts
// of the map (LaySharedGroup); none for another group.
std::vector<SlotRecord> ShedDeviceRecords(int mapGroup, const ShedDeviceSlots& slots, bool* pOk);

}  // namespace datagen
