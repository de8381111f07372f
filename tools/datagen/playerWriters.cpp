#include "datagen/playerWriters.h"

#include "datagen/entityWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/script/gcAnimationConfig.h"

namespace datagen {

namespace {

void Configs(BlockWriter& w, int32_t count, const std::vector<AnimationConfigDesc>& configs)
{
    w.Int(count);
    for (int32_t i = 0; i < count; ++i)
        AnimationConfigBlock(w, static_cast<size_t>(i) < configs.size() ? configs[i] : AnimationConfigDesc(),
                             gcAnimationConfig::kVersion);
}

template <class Desc, class Block>
bool WriteTemplateGroup(const std::string& path, int beginSlot, uint32_t typeId, const std::vector<Desc>& templates,
                        uint32_t version, Block block)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(templates.size()) > gcEntityTemplateMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityTemplateGroup::GetStaticType()->m_nTypeId, beginSlot, typeId, templates,
                           version, block);
}

}  // namespace

void PlayerBipedTemplateBlock(BlockWriter& w, const PlayerBipedTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    CreatureTemplateBlock(w, d.creature, d.creatureVersion);
    Configs(w, d.configCount, d.configs);
    if (v >= gcPlayerBipedTemplate::kMaskVersion)
        w.Word(d.collisionMask);
    w.End();
}

void PlayerFlyingTemplateBlock(BlockWriter& w, const PlayerFlyingTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    CreatureTemplateBlock(w, d.creature, d.creatureVersion);
    Configs(w, d.configCount, d.configs);
    w.Int(d.shiftCount);
    for (int32_t t : d.shiftTicks)
        w.Int(t);
    w.Word(d.collisionMask);
    w.End();
}

bool WritePlayerBipedTemplateGroupFile(const std::string& path, int beginSlot,
                                       const std::vector<PlayerBipedTemplateDesc>& templates, uint32_t version)
{
    return WriteTemplateGroup(path, beginSlot, gcPlayerBipedTemplate::GetStaticType()->m_nTypeId, templates,
                              version, &PlayerBipedTemplateBlock);
}

bool WritePlayerFlyingTemplateGroupFile(const std::string& path, int beginSlot,
                                        const std::vector<PlayerFlyingTemplateDesc>& templates, uint32_t version)
{
    return WriteTemplateGroup(path, beginSlot, gcPlayerFlyingTemplate::GetStaticType()->m_nTypeId, templates,
                              version, &PlayerFlyingTemplateBlock);
}

namespace {

constexpr uint16_t kCheck = 0x1B1;  // the check of every record the sample writes

uint32_t Handle(int32_t slot)
{
    return (static_cast<uint32_t>(kCheck) << 16) | static_cast<uint32_t>(slot);
}

// One face of a box: corners counter-clockwise seen from outside.
void AddBoxFace(MeshObjectDesc* pObject, const mVec3 (&c)[4], const mVec3& normal)
{
    const float uv[4][2] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
    for (int k : {0, 1, 2, 0, 2, 3})
        pObject->corners.push_back({c[k], normal, uv[k][0], uv[k][1]});
}

// A closed box of the collider's size around its origin (the collider's
// centre: the biped stands the collider's half height above the ground),
// one root node.
MeshDesc BipedMesh(const BipedPlayerDesc& d)
{
    MeshDesc m;
    m.name = d.name;
    m.nodes.push_back({"root", -1, MeshNodeDesc::Identity()});
    m.objectsStart = 0;
    m.nObjects = 1;
    m.colliderSize = d.colliderSize;
    m.visRadius = m.colRadius = d.colliderSize.Length() * 2.0f;
    const float x = d.colliderSize.x, y = d.colliderSize.y, z = d.colliderSize.z;
    MeshObjectDesc o;
    AddBoxFace(&o, {{-x, -y, -z}, {x, -y, -z}, {x, -y, z}, {-x, -y, z}}, {0, -1, 0});
    AddBoxFace(&o, {{x, y, -z}, {-x, y, -z}, {-x, y, z}, {x, y, z}}, {0, 1, 0});
    AddBoxFace(&o, {{x, -y, -z}, {x, y, -z}, {x, y, z}, {x, -y, z}}, {1, 0, 0});
    AddBoxFace(&o, {{-x, y, -z}, {-x, -y, -z}, {-x, -y, z}, {-x, y, z}}, {-1, 0, 0});
    AddBoxFace(&o, {{-x, -y, z}, {x, -y, z}, {x, y, z}, {-x, y, z}}, {0, 0, 1});
    AddBoxFace(&o, {{-x, y, -z}, {x, y, -z}, {x, -y, -z}, {-x, -y, -z}}, {0, 0, -1});
    m.objects.push_back(o);
    return m;
}

// The root moving by move over the ticks, once or looping.
AnimationDesc RootMove(const char* name, const mVec3& move, int ticks, bool bLooping)
{
    AnimationDesc a;
    a.name = name;
    a.frames = 2;
    a.frameLength = ticks;
    a.bLooping = bLooping;
    a.nodes.push_back({{{0, 0, 0}, move}, {mQuat(0, 0, 0, 1)}});
    return a;
}

// A looping second of the root moving forward (+y) at the speed.
AnimationDesc RootMotion(const char* name, float fSpeed)
{
    return RootMove(name, mVec3(0, fSpeed, 0), 600, true);
}

// The jump's parts play once, so that their states end: the take-off lifts
// the root (gravity pulls against it from the first tick), the descent
// carries it on forward while it falls, the landing stands.
const AnimationDesc kJumpUp = RootMove("JumpUp", mVec3(0, 0.6f, 2.0f), 240, false);
const AnimationDesc kJumpDown = RootMove("JumpDown", mVec3(0, 1.0f, 0), 400, false);
const AnimationDesc kLand = RootMove("Land", mVec3(0, 0, 0), 160, false);

void BipedTemplate(BlockWriter& w, const BipedPlayerDesc& d)
{
    PlayerBipedTemplateDesc t;
    t.creature.base.name = d.name;
    t.creature.base.hMesh = Handle(d.meshSlot);
    t.creature.base.team = 1;
    t.creature.base.hStateMachine = d.hStateMachine;
    if (d.hMaterial) {
        t.creature.base.materialCount = 1;
        t.creature.base.materials.assign(gcEntityTemplate::kMaxSkins, d.hMaterial);
    }
    t.creature.base.values[1] = gcPlayerBipedTemplate::kTurningRate;
    t.configs.resize(gcPlayerBipedTemplate::MAX_ANIMATIONS);
    for (AnimationConfigDesc& c : t.configs)
        c.hAnimation = Handle(d.animationSlot);
    t.configs[gcPlayerBipedTemplate::ANIM_WALK].hAnimation = Handle(d.animationSlot + 1);
    t.configs[gcPlayerBipedTemplate::ANIM_RUN].hAnimation = Handle(d.animationSlot + 2);
    using T = gcPlayerBipedTemplate;
    for (int anim : {T::ANIM_SJUMPUP, T::ANIM_RJUMPUP, T::ANIM_DJUMP})
        t.configs[anim].hAnimation = Handle(d.animationSlot + 3);
    for (int anim : {T::ANIM_SJUMPDOWN, T::ANIM_RJUMPDOWN})
        t.configs[anim].hAnimation = Handle(d.animationSlot + 4);
    // The landing's short stand also ends being hit, so that the pain ends.
    for (int anim : {T::ANIM_SLAND, T::ANIM_RLAND, T::ANIM_HIT, T::ANIM_HIT_LR, T::ANIM_HIT_RL, T::ANIM_HIT_BT,
                     T::ANIM_HIT_TB, T::ANIM_HIT_FRONT, T::ANIM_HIT_INAIR, T::ANIM_HIT_BLOCK, T::ANIM_HIT_HARD,
                     T::ANIM_RECOIL})
        t.configs[anim].hAnimation = Handle(d.animationSlot + 5);
    t.collisionMask = d.collisionMask;
    w.Int(static_cast<int32_t>(gcPlayerBipedTemplate::GetStaticType()->m_nTypeId));
    PlayerBipedTemplateBlock(w, t, gcPlayerBipedTemplate::kVersion);
}

}  // namespace

bool WriteBipedPlayerConfigFile(const std::string& path, const BipedPlayerDesc& d)
{
    const MeshDesc mesh = BipedMesh(d);
    MeshData meshData;
    if (!BuildMesh(mesh, &meshData))
        return false;
    const AnimationDesc anims[] = {RootMotion("Stand", 0.0f), RootMotion("Walk", d.walkSpeed),
                                   RootMotion("Run", d.runSpeed), kJumpUp, kJumpDown, kLand};
    std::vector<GroupRecord> animRecords;
    for (const AnimationDesc& a : anims)
        animRecords.push_back({kCheck, [&a](BlockWriter& w) {
                                   w.Int(static_cast<int32_t>(eAnimation::GetStaticType()->m_nTypeId));
                                   AnimationBlock(w, a);
                               }});
    const GroupRecord meshRecord{kCheck, [&](BlockWriter& w) {
                                     w.Int(static_cast<int32_t>(eMesh::GetStaticType()->m_nTypeId));
                                     MeshBlock(w, mesh, meshData);
                                 }};
    const GroupRecord templateRecord{kCheck, [&d](BlockWriter& w) { BipedTemplate(w, d); }};
    // The body alone, as the game reads a player configuration.
    BlockWriter w;
    ObjectBlock(w.Header().Begin(gcPlayerConfig::kVersion), d.name.c_str());
    EmptyGroupBlock(w, 120);  // textures
    EmptyGroupBlock(w, 220);  // materials
    GroupBlock(w, d.meshSlot, {meshRecord});
    GroupBlock(w, d.animationSlot, animRecords);
    EmptyGroupBlock(w, 220);  // surfaces
    GroupBlock(w, 0, {templateRecord});
    EmptyEventBlock(EmptyEventBlock(w));
    w.End().Trailer();
    return w.Save(path);
}

}  // namespace datagen
