#include "datagen/sampleDevices.h"

#include <cmath>
#include <memory>
#include <utility>

#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/sampleSounds.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/actions/gcDoDeviceAction.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "gcGameCore/values/gcValNumber.h"
#include "mMath/mQuat.h"

namespace datagen {

namespace {

constexpr float kGround = -3.0f;  // the sample's ground height
// The door's hinge stands at the west edge of the shed's doorway, just
// outside its south wall; the lever a few steps east of it.
constexpr float kHingeX = -3.0f, kHingeY = 8.85f;
constexpr float kLeverX = 1.5f, kLeverY = 8.2f;

}  // namespace

// Twelve triangles of an axis-aligned box, counter-clockwise seen from
// outside, the texture once across each face.
void AddBoxCorners(const mVec3& lo, const mVec3& hi, std::vector<MeshVertex>* pCorners)
{
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            mVec3 n(0, 0, 0);
            n.v[axis] = side ? 1.0f : -1.0f;
            mVec3 quad[4];
            const float uu[4] = {0, 1, 1, 0}, vv[4] = {0, 0, 1, 1};
            for (int k = 0; k < 4; ++k) {
                quad[k].v[axis] = side ? hi.v[axis] : lo.v[axis];
                quad[k].v[u] = uu[k] ? hi.v[u] : lo.v[u];
                quad[k].v[v] = vv[k] ? hi.v[v] : lo.v[v];
            }
            if (!side)
                std::swap(quad[1], quad[3]);
            for (int k : {0, 1, 2, 0, 2, 3})
                pCorners->push_back({quad[k], n, uu[k], vv[k]});
        }
    }
}

namespace {

// A root that stays put and one moving part below it.
MeshDesc HingedMesh(const char* name, const mOCS& partFrame, std::vector<std::pair<mVec3, mVec3>> rootBoxes,
                    const mVec3& lo, const mVec3& hi)
{
    MeshDesc d;
    d.name = name;
    d.nodes = {{"root", -1, MeshNodeDesc::Identity()}, {"part", 0, partFrame}};
    d.visRadius = 3.0f;
    d.colRadius = 2.0f;
    d.colliderSize.Set(1.0f, 0.5f, 1.5f);
    MeshObjectDesc part;
    part.node = 1;
    AddBoxCorners(lo, hi, &part.corners);
    d.objects.push_back(part);
    for (const auto& [bLo, bHi] : rootBoxes) {
        MeshObjectDesc fixed;
        fixed.node = 0;
        AddBoxCorners(bLo, bHi, &fixed.corners);
        d.objects.push_back(fixed);
    }
    return d;
}

// The moving part turns about an axis from one angle to another (degrees);
// the root keeps still, so the device does not move.
AnimationDesc Turn(const char* name, const mVec3& axis, float from, float to, const mVec3& partAt)
{
    AnimationDesc a;
    a.name = name;
    a.frames = 9;
    a.frameLength = 20;
    a.bLooping = false;
    a.nodes.resize(2);
    a.nodes[0] = {{mVec3(0, 0, 0)}, {mQuat(0, 0, 0, 1)}};
    a.nodes[1].positions = {partAt};
    for (int k = 0; k < a.frames; ++k) {
        mQuat q;
        q.SetAxisAngle(axis, from + (to - from) * static_cast<float>(k) / static_cast<float>(a.frames - 1));
        a.nodes[1].rotations.push_back(q);
    }
    return a;
}

mOCS At(float x, float y, float z)
{
    mOCS f = MeshNodeDesc::Identity();
    f.origin.Set(x, y, z);
    return f;
}

EntityTemplateDesc DeviceTemplatePart(const char* name, uint32_t hMesh, uint32_t hMaterial)
{
    EntityTemplateDesc t;
    t.name = name;
    t.flags = 0;  // neutral and not a target
    t.team = 0;
    t.hMesh = hMesh;
    t.materialCount = 1;
    t.materials.assign(4, hMaterial);
    return t;
}

}  // namespace

std::vector<MeshDesc> ShedDeviceMeshes()
{
    // The door leaf: 2 wide, 3 high, turning about its west edge.
    MeshDesc door = HingedMesh("ShedDoor", MeshNodeDesc::Identity(), {}, mVec3(0.0f, -0.08f, 0.0f),
                               mVec3(2.0f, 0.08f, 3.0f));
    // The lever: a post with a handle turning at its top.
    MeshDesc lever = HingedMesh("ShedLever", At(0, 0, 1.0f), {{mVec3(-0.1f, -0.1f, 0.0f), mVec3(0.1f, 0.1f, 1.0f)}},
                                mVec3(-0.04f, -0.04f, 0.0f), mVec3(0.04f, 0.04f, 0.7f));
    // The tip of the handle, where a pull throws its spark.
    lever.nodes.push_back({"Spark", 1, At(0, 0, 0.7f)});
    door.nMaterials = lever.nMaterials = 1;
    return {door, lever};
}

std::vector<AnimationDesc> ShedDeviceAnimations()
{
    AnimationDesc pull = Turn("LeverPull", mVec3(1, 0, 0), 35.0f, -35.0f, mVec3(0, 0, 1.0f));
    // An animation drives a mesh of as many nodes: the handle's tip rides
    // along at its place on the handle.
    pull.nodes.push_back({{mVec3(0, 0, 0.7f)}, {mQuat(0, 0, 0, 1)}});
    return {Turn("DoorSwing", mVec3(0, 0, 1), 0.0f, -100.0f, mVec3(0, 0, 0)), pull};
}

std::vector<DeviceTemplateDesc> ShedDeviceTemplates(const ShedDeviceSlots& s, bool* pOk)
{
    DeviceTemplateDesc door;
    door.entity = DeviceTemplatePart("ShedDoor", s.handleOf(s.mesh), s.hDoorMaterial);
    door.configs.resize(gcDevice::ANIM_IDLE_1 + 1);
    door.configs[gcDevice::ANIM_IDLE_1].hAnimation = s.handleOf(s.animation);
    door.configs[gcDevice::ANIM_IDLE_1].hSounds[0] = door.configs[gcDevice::ANIM_IDLE_1].hSounds[1] =
        SampleSoundHandle(kSoundDoor);
    DeviceTemplateDesc lever;
    lever.entity = DeviceTemplatePart("ShedLever", s.handleOf(s.mesh + 1), s.hLeverMaterial);
    // Worked from any side: the road lies behind the lever's front.
    lever.entity.values[gcEntityTemplate::VAL_INTERACTTOL] = 180.0f;
    lever.configs.resize(gcDevice::ANIM_IDLE_1 + 1);
    AnimationConfigDesc& pull = lever.configs[gcDevice::ANIM_IDLE_1];
    pull.hAnimation = s.handleOf(s.animation + 1);
    pull.hSounds[0] = pull.hSounds[1] = SampleSoundHandle(kSoundLever);
    // A completed pull opens the door.
    pull.actions = [s, pOk](BlockWriter& w, int index) {
        constexpr int kOnCompleted = 3;
        if (index != kOnCompleted)
            return;
        gcDesiredEntity door = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
        door.hSpecificEntity = gcEntityHandle(s.handleOf(s.device));
        *pOk = s.actionMember(w, gcDoDeviceAction(gcDoDeviceAction::DA_IDLE_1, door)) && *pOk;
        if (s.pullActions)
            *pOk = s.pullActions(w) && *pOk;
    };
    return {door, lever};
}

std::vector<DeviceDesc> ShedDevices(const ShedDeviceSlots& s, bool* pOk)
{
    DeviceDesc door;
    door.entity.name = "ShedDoor";
    door.entity.hTemplate = s.handleOf(s.deviceTemplate);
    door.entity.regionId = s.regionId;
    door.entity.active = true;
    door.entity.invulnerable = true;
    const float doorAt[12] = {kHingeX, kHingeY, kGround, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(std::begin(doorAt), std::end(doorAt), door.entity.placement);
    DeviceDesc lever = door;
    lever.entity.name = "ShedLever";
    lever.entity.hTemplate = s.handleOf(s.deviceTemplate + 1);
    lever.entity.placement[0] = kLeverX;
    lever.entity.placement[1] = kLeverY;
    // Worked by the player, who presses X at it: it always answers yes.
    lever.entity.actions = [s, pOk](BlockWriter& w, int index) {
        constexpr int kOnInteract = 0, kCanInteract = 1;
        if (index == kOnInteract) {
            const gcDesiredEntity self = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
            cMemPool pool("datagen ShedLever", 0x400, false);
            const gcDoLog* pLog = NewLog(&pool, gcDoLog::LOG_INFO, "ShedLever: pulled", nullptr, nullptr);
            *pOk = pLog && s.actionMember(w, *pLog) &&
                   s.actionMember(w, gcDoDeviceAction(gcDoDeviceAction::DA_IDLE_1, self)) && *pOk;
            if (pLog)
                std::destroy_at(pLog);
        } else if (index == kCanInteract) {
            cMemPool pool("datagen ShedLever", 0x400, false);
            gcDoReturn* pYes = NewReturn(&pool, pool.New<gcValNumber>(1.0f));
            *pOk = pYes && s.actionMember(w, *pYes) && *pOk;
            if (pYes)
                std::destroy_at(pYes);
        }
    };
    return {door, lever};
}

namespace {

// One record per piece from slot begin on, each with the check of its
// slot's handle, its type id and the block record(w, piece) lays.
template <class Desc, class Record>
void AddRecords(std::vector<SlotRecord>* pOut, const ShedDeviceSlots& s, int begin, const std::vector<Desc>& pieces,
                uint32_t typeId, Record record)
{
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int slot = begin + static_cast<int>(i);
        const auto check = static_cast<uint16_t>(s.handleOf(slot) >> 16);
        pOut->push_back({slot, {check, [piece = pieces[i], typeId, record](BlockWriter& w) {
                                    w.Word(typeId);
                                    record(w, piece);
                                }}});
    }
}

}  // namespace

std::vector<SlotRecord> ShedDeviceRecords(int mapGroup, const ShedDeviceSlots& s, bool* pOk)
{
    std::vector<SlotRecord> out;
    switch (mapGroup) {
    case kMapMeshes:
        AddRecords(&out, s, s.mesh, ShedDeviceMeshes(), eMesh::GetStaticType()->m_nTypeId,
                   [pOk](BlockWriter& b, const MeshDesc& mesh) {
                       MeshData data;
                       *pOk = BuildMesh(mesh, &data) && *pOk;
                       MeshBlock(b, mesh, data);
                   });
        break;
    case kMapAnimations:
        AddRecords(&out, s, s.animation, ShedDeviceAnimations(), eAnimation::GetStaticType()->m_nTypeId,
                   [](BlockWriter& b, const AnimationDesc& a) { AnimationBlock(b, a); });
        break;
    case kMapEntityTemplates:
        AddRecords(&out, s, s.deviceTemplate, ShedDeviceTemplates(s, pOk),
                   gcDeviceTemplate::GetStaticType()->m_nTypeId, [](BlockWriter& b, const DeviceTemplateDesc& t) {
                       DeviceTemplateBlock(b, t, gcDeviceTemplate::kVersion);
                   });
        break;
    case kMapEntities:
        AddRecords(&out, s, s.device, ShedDevices(s, pOk), gcDevice::GetStaticType()->m_nTypeId,
                   [](BlockWriter& b, const DeviceDesc& d) { DeviceBlock(b, d, gcDevice::kVersion); });
        break;
    default: break;
    }
    return out;
}

bool ShedDeviceGroup(BlockWriter& w, int mapGroup, const ShedDeviceSlots& s, bool* pOk)
{
    return LaySharedGroup(w, ShedDeviceRecords(mapGroup, s, pOk));
}

}  // namespace datagen
