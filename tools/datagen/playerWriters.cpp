#include "datagen/playerWriters.h"

#include <functional>
#include <iterator>

#include "datagen/entityWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
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

void PlayerFlyingBlock(BlockWriter& w, const CreatureDesc& d, uint32_t v)
{
    w.Begin(v);
    CreatureBlock(w, d, gcCreature::kVersion);
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

bool WritePlayerFlyingGroupFile(const std::string& path, int beginSlot, const std::vector<CreatureDesc>& players,
                                uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(players.size()) > gcEntityMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcPlayerFlying::GetStaticType()->m_nTypeId, players, version, &PlayerFlyingBlock);
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
MeshDesc PlayerMesh(const std::string& name, const mVec3& colliderSize)
{
    MeshDesc m;
    m.name = name;
    m.nodes.push_back({"root", -1, MeshNodeDesc::Identity()});
    m.objectsStart = 0;
    m.nObjects = 1;
    m.colliderSize = colliderSize;
    m.visRadius = m.colRadius = colliderSize.Length() * 2.0f;
    const float x = colliderSize.x, y = colliderSize.y, z = colliderSize.z;
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

// A loop of the root moving forward (+y) at the speed (a second's, or one
// stride's of the ticks given).
AnimationDesc RootMotion(const char* name, float fSpeed, int ticks = 600)
{
    return RootMove(name, mVec3(0, fSpeed * static_cast<float>(ticks) / 600.0f, 0), ticks, true);
}

// The creature template part both players' templates start with.
CreatureTemplateDesc PlayerCreature(const std::string& name, int32_t meshSlot, uint32_t hStateMachine,
                                    uint32_t hMaterial)
{
    CreatureTemplateDesc c;
    c.base.name = name;
    c.base.hMesh = Handle(meshSlot);
    c.base.team = 1;
    c.base.hStateMachine = hStateMachine;
    if (hMaterial) {
        c.base.materialCount = 1;
        c.base.materials.assign(gcEntityTemplate::kMaxSkins, hMaterial);
    }
    return c;
}

void BipedTemplate(BlockWriter& w, const BipedPlayerDesc& d)
{
    PlayerBipedTemplateDesc t;
    t.creature = PlayerCreature(d.name, d.meshSlot, d.hStateMachine, d.hMaterial);
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
    // The landing's short stand also ends being hit, so that the pain ends,
    // and the dying, so that it ends in the dead stand once (a looping
    // dying would start again, its cry with it, every loop).
    for (int anim : {T::ANIM_SLAND, T::ANIM_RLAND, T::ANIM_HIT, T::ANIM_HIT_LR, T::ANIM_HIT_RL, T::ANIM_HIT_BT,
                     T::ANIM_HIT_TB, T::ANIM_HIT_FRONT, T::ANIM_HIT_INAIR, T::ANIM_HIT_BLOCK, T::ANIM_HIT_HARD,
                     T::ANIM_RECOIL, T::ANIM_DYING})
        t.configs[anim].hAnimation = Handle(d.animationSlot + 5);
    if (d.strike) {
        t.creature.attacks = {d.strike};
        t.creature.attacks[0]->config.hAnimation = Handle(d.animationSlot + 6);
    }
    t.collisionMask = d.collisionMask;
    if (d.finish)
        d.finish(t);
    w.Int(static_cast<int32_t>(gcPlayerBipedTemplate::GetStaticType()->m_nTypeId));
    PlayerBipedTemplateBlock(w, t, gcPlayerBipedTemplate::kVersion);
}

// A player configuration of the mesh, the animations from animationSlot on
// and the template block in entity-template slot 0.
bool WritePlayerConfig(const std::string& path, const std::string& name, int32_t meshSlot, const MeshDesc& mesh,
                       int32_t animationSlot, const std::vector<AnimationDesc>& anims,
                       const std::function<void(BlockWriter&)>& templateBlock)
{
    MeshData meshData;
    if (!BuildMesh(mesh, &meshData))
        return false;
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
    // The body alone, as the game reads a player configuration.
    BlockWriter w;
    ObjectBlock(w.Header().Begin(gcPlayerConfig::kVersion), name.c_str());
    EmptyGroupBlock(w, 120);  // textures
    EmptyGroupBlock(w, 220);  // materials
    GroupBlock(w, meshSlot, {meshRecord});
    GroupBlock(w, animationSlot, animRecords);
    EmptyGroupBlock(w, 220);  // surfaces
    GroupBlock(w, 0, {{kCheck, templateBlock}});
    EmptyEventBlock(EmptyEventBlock(w));
    w.End().Trailer();
    return w.Save(path);
}

// The flying player's animations in the order of FlyingPlayerDesc.
std::vector<AnimationDesc> FlyingAnimations(const FlyingPlayerDesc& d)
{
    static const char* const kCoast[] = {"Coast1", "Coast2", "Coast3", "Coast4"};
    static const char* const kFlap[] = {"Flap1", "Flap2", "Flap3", "Flap4"};
    std::vector<AnimationDesc> anims = {RootMotion("Brake", 0.0f),
                                        RootMove("HitFront", mVec3(0, -d.knockback, 0), 300, false)};
    for (int g = 0; g < gcPlayerFlying::kNumGears; ++g)
        anims.push_back(RootMotion(kCoast[g], g == 0 && d.creepSpeed != 0.0f ? d.creepSpeed : d.gearSpeeds[g]));
    for (int g = 0; g < gcPlayerFlying::kNumGears; ++g)
        anims.push_back(RootMove(kFlap[g], mVec3(0, d.gearSpeeds[g], d.flapClimb), 600, true));
    anims.push_back(RootMove("Boost", mVec3(0, d.boostSpeed, 0), 600, false));
    return anims;
}

void FlyingTemplate(BlockWriter& w, const FlyingPlayerDesc& d)
{
    using T = gcPlayerFlyingTemplate;
    PlayerFlyingTemplateDesc t;
    t.creature = PlayerCreature(d.name, d.meshSlot, d.hStateMachine, d.hMaterial);
    t.configs.resize(T::MAX_ANIMATIONS);
    t.configs[T::ANIM_BRAKE].hAnimation = t.configs[T::ANIM_DEAD].hAnimation = Handle(d.animationSlot);
    t.configs[T::ANIM_BRAKE].actions = d.brakeActions;
    // The dying plays the knockback's once, so that the death ends.
    t.configs[T::ANIM_HIT_FRONT].hAnimation = t.configs[T::ANIM_DYING].hAnimation = Handle(d.animationSlot + 1);
    for (int g = 0; g < gcPlayerFlying::kNumGears; ++g) {
        t.configs[T::ANIM_COAST_1 + 2 * g].hAnimation = Handle(d.animationSlot + 2 + g);
        t.configs[T::ANIM_FLAP_1 + 2 * g].hAnimation = Handle(d.animationSlot + 2 + gcPlayerFlying::kNumGears + g);
    }
    t.configs[T::ANIM_BOOST].hAnimation = Handle(d.animationSlot + 2 + 2 * gcPlayerFlying::kNumGears);
    t.shiftTicks.assign(std::begin(d.shiftTicks), std::end(d.shiftTicks));
    t.collisionMask = d.collisionMask;
    if (d.finish)
        d.finish(t);
    w.Int(static_cast<int32_t>(T::GetStaticType()->m_nTypeId));
    PlayerFlyingTemplateBlock(w, t, T::kVersion);
}

}  // namespace

bool WriteBipedPlayerConfigFile(const std::string& path, const BipedPlayerDesc& d)
{
    // The jump's parts play once, so that their states end: the take-off
    // lifts the root (gravity pulls against it from the first tick), the
    // descent carries it on forward while it falls, the landing stands.
    const std::vector<AnimationDesc> anims = {RootMotion("Stand", 0.0f),
                                              RootMotion("Walk", d.walkSpeed, kBipedStrideTicks),
                                              RootMotion("Run", d.runSpeed, kBipedStrideTicks),
                                              RootMove("JumpUp", mVec3(0, 0.6f, 2.0f), 240, false),
                                              RootMove("JumpDown", mVec3(0, 1.0f, 0), 400, false),
                                              RootMove("Land", mVec3(0, 0, 0), 160, false),
                                              RootMove("Strike", mVec3(0, 0, 0), 300, false)};
    return WritePlayerConfig(path, d.name, d.meshSlot, PlayerMesh(d.name, d.colliderSize), d.animationSlot, anims,
                             [&d](BlockWriter& w) { BipedTemplate(w, d); });
}

bool WriteFlyingPlayerConfigFile(const std::string& path, const FlyingPlayerDesc& d)
{
    return WritePlayerConfig(path, d.name, d.meshSlot, PlayerMesh(d.name, d.colliderSize), d.animationSlot,
                             FlyingAnimations(d), [&d](BlockWriter& w) { FlyingTemplate(w, d); });
}

}  // namespace datagen
