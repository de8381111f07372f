#include "datagen/sampleProps.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/deviceWriters.h"
#include "datagen/itemWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/sampleSounds.h"
#include "datagen/scriptWriters.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/actions/gcDoEffectSpawn.h"
#include "gcGameCore/actions/gcDoEntityDamage.h"
#include "gcGameCore/actions/gcDoEntityGiveItem.h"
#include "gcGameCore/actions/gcDoEntityPlaySound.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/values/gcValNumber.h"

namespace datagen {

namespace {

// The chest stands on the north verge, west of the plate; its trigger lies
// in front of it, from the road's edge (a trigger that responds to the
// player responds to any entity while there is none: the chest must not
// stand in its own).
constexpr float kChestX = 4.0f, kChestY = 5.0f;
// The shed's door and lever come first in each device group; the chest and
// the plate follow them.
constexpr int kShedDevices = 2;

// A one-node mesh of one box resting on its origin.
MeshDesc BoxMesh(const char* name, const mVec3& lo, const mVec3& hi)
{
    MeshDesc d;
    d.name = name;
    d.nodes = {{"root", -1, MeshNodeDesc::Identity()}};
    d.visRadius = d.colRadius = std::sqrt(hi.x * hi.x + hi.y * hi.y + hi.z * hi.z);
    d.colliderSize = hi;
    d.nMaterials = 1;
    MeshObjectDesc box;
    box.node = 0;
    AddBoxCorners(lo, hi, &box.corners);
    d.objects.push_back(box);
    return d;
}

MeshDesc PropMesh(int i)
{
    // The chest: 1.2 wide, 0.7 deep, 0.7 high; the plate a hand high.
    return i == 0 ? BoxMesh("Chest", mVec3(-0.6f, -0.35f, 0.0f), mVec3(0.6f, 0.35f, 0.7f))
                  : BoxMesh("SpikePlate", mVec3(-1.0f, -1.0f, 0.0f), mVec3(1.0f, 1.0f, 0.1f));
}

// The plate is unfriendly, so that what it hurts takes the blow; the chest
// is neutral. Neither is a target.
DeviceTemplateDesc PropTemplate(int i, const ShedDeviceSlots& s)
{
    DeviceTemplateDesc t;
    t.entity.name = i == 0 ? "Chest" : "SpikePlate";
    t.entity.flags = 0;
    t.entity.team = i == 0 ? gcEntityTemplate::TEAM_NEUTRAL : gcEntityTemplate::TEAM_UNFRIENDLY;
    t.entity.hMesh = s.handleOf(s.mesh + kShedDevices + i);
    t.entity.materialCount = 1;
    t.entity.materials.assign(4, i == 0 ? s.hDoorMaterial : s.hLeverMaterial);
    // The chest is small (a metre's reach): its lid carries as far as the
    // shed's devices do (45 m), heard whole from the camera behind the
    // player who opens it.
    if (i == 0)
        t.entity.values[gcEntityTemplate::VAL_SOUNDRADIUSSCALE] = 45.0f;
    return t;
}

DeviceDesc PropDevice(int i, const ShedDeviceSlots& s, float groundZ)
{
    DeviceDesc d;
    d.entity.name = i == 0 ? "Chest" : "SpikePlate";
    d.entity.hTemplate = s.handleOf(s.deviceTemplate + kShedDevices + i);
    d.entity.regionId = kPropsRegion;
    d.entity.active = true;
    d.entity.invulnerable = true;
    const FrameFloats at = i == 0 ? FrameAt(kChestX, kChestY, groundZ) : FrameAt(kTrapX, kTrapY, groundZ);
    std::copy(at.begin(), at.end(), d.entity.placement);
    return d;
}

}  // namespace

EffectTemplateDesc SparkTemplate()
{
    EffectTemplateDesc t;
    t.name = "Spark";
    t.light = EffectLightDesc{0, 0xFFA0C8FF, 4.0f, 0.5f, 0.75f};
    t.lifeTicks = 300;  // half a second
    t.maxInstances = 2;
    return t;
}

bool LeverSparkAction(BlockWriter& w, const ShedDeviceSlots& s)
{
    const gcDoEffectSpawn spawn(gcEffectTemplateHandle(s.handleOf(kSparkTemplateSlot)),
                                gcDoEffectSpawn::SPAWN_ENTITYHELPER,
                                gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), kLeverSparkNode);
    return s.actionMember(w, spawn);
}

RegionTriggerDesc ChestTrigger(float groundZ, const ShedDeviceSlots& s, bool* pOk)
{
    RegionTriggerDesc t = BoxTrigger("Chest", kPropsRegion, 3.0f, 2.4f, 3.0f, FrameAt(kChestX, kChestY - 1.8f, groundZ + 1.5f));
    t.actions = [s, pOk](BlockWriter& w, int index) {
        if (index != 0)
            return;
        gcDesiredValue one;
        one.fConst = 1.0f;
        const gcDoEntityGiveItem give(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR),
                                      gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC,
                                                               gcItemTemplateHandle(s.handleOf(kKeyTemplateSlot))),
                                      one);
        *pOk = s.actionMember(w, give) && *pOk;
        // The lid heard where the chest stands, the key in the player's hand.
        gcDesiredEntity chest = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
        chest.hSpecificEntity = gcEntityHandle(s.handleOf(s.device + kShedDevices));
        *pOk = s.actionMember(w, gcDoEntityPlaySound(chest, one, eSoundDataHandle(SampleSoundHandle(kSoundChest)),
                                                     gcVoiceOverHandle())) &&
               *pOk;
        *pOk = s.actionMember(w, gcDoEntityPlaySound(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), one,
                                                     eSoundDataHandle(SampleSoundHandle(kSoundKey)),
                                                     gcVoiceOverHandle())) &&
               *pOk;
    };
    return t;
}

RegionTriggerDesc TrapTrigger(float groundZ, const ShedDeviceSlots& s, bool* pOk)
{
    // Across the road over the plate.
    RegionTriggerDesc t = BoxTrigger("SpikeTrap", kPropsRegion, 2.0f, 6.0f, 3.0f, FrameAt(kTrapX, kTrapY, groundZ + 1.5f));
    t.actions = [s, pOk](BlockWriter& w, int index) {
        if (index != 0)
            return;
        cMemPool pool("datagen SpikeTrap", 0x1000, false);
        gcDesiredEntity plate = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
        plate.hSpecificEntity = gcEntityHandle(s.handleOf(s.device + kShedDevices + 1));
        // The area around the plate (the attacker), which it never hits.
        auto* pDamage = pool.New<gcDoEntityDamage>(gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), plate, 0u,
                                                   static_cast<int32_t>(gcMsgDealDamage::DD_NONE), false, true,
                                                   kTrapRadius);
        gcValNumber* pAmount = pDamage ? pool.New<gcValNumber>(kTrapDamage) : nullptr;
        gcDoReturn* pReturn = pAmount ? NewReturn(&pool, pAmount) : nullptr;
        if (pReturn)
            AppendAction(pDamage->calcDamage, pReturn);
        *pOk = pReturn && s.actionMember(w, *pDamage) && *pOk;
        if (pDamage)
            std::destroy_at(pDamage);  // its actions' memory goes with the pool
    };
    return t;
}

std::vector<SlotRecord> PropRecords(int mapGroup, const ShedDeviceSlots& s, float groundZ, bool* pOk)
{
    int begin = 0;
    uint32_t typeId = 0;
    std::function<void(BlockWriter& w, int i)> lay;
    switch (mapGroup) {
    case kMapMeshes:
        begin = s.mesh;
        typeId = eMesh::GetStaticType()->m_nTypeId;
        lay = [pOk](BlockWriter& w, int i) {
            const MeshDesc mesh = PropMesh(i);
            MeshData data;
            *pOk = BuildMesh(mesh, &data) && *pOk;
            MeshBlock(w, mesh, data);
        };
        break;
    case kMapEntityTemplates:
        begin = s.deviceTemplate;
        typeId = gcDeviceTemplate::GetStaticType()->m_nTypeId;
        lay = [s](BlockWriter& w, int i) { DeviceTemplateBlock(w, PropTemplate(i, s), gcDeviceTemplate::kVersion); };
        break;
    case kMapEntities:
        begin = s.device;
        typeId = gcDevice::GetStaticType()->m_nTypeId;
        lay = [s, groundZ](BlockWriter& w, int i) { DeviceBlock(w, PropDevice(i, s, groundZ), gcDevice::kVersion); };
        break;
    default: return {};
    }
    std::vector<SlotRecord> out;
    for (int i = 0; i < kPropDevices; ++i) {
        const int slot = begin + kShedDevices + i;
        out.push_back({slot, {static_cast<uint16_t>(s.handleOf(slot) >> 16), [typeId, lay, i](BlockWriter& w) {
                                  w.Word(typeId);
                                  lay(w, i);
                              }}});
    }
    return out;
}

void LayItemTemplates(BlockWriter& w, const std::function<uint16_t(int slot)>& checkOf)
{
    ItemTemplateDesc key;
    key.name = "Brass Key";
    key.maxCount = 1;  // one key: the chest has no second to give
    key.categoryMask = 0x1;
    w.Begin(2).Begin(1).End().Int(kKeyTemplateSlot).Int(kKeyTemplateSlot + 1);
    w.Half(checkOf(kKeyTemplateSlot)).Word(gcItemTemplate::GetStaticType()->m_nTypeId);
    ItemTemplateBlock(w, key, gcItemTemplate::kVersion);
    w.End();
}

}  // namespace datagen
