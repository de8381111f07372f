#include "datagen/sampleNpcs.h"

#include <iterator>
#include <memory>
#include <vector>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/sampleSounds.h"
#include "datagen/creatureWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/npcWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "gcGameCore/actions/gcDoCreatureAction.h"
#include "gcGameCore/actions/gcDoCreatureAttack.h"
#include "gcGameCore/actions/gcDoCreatureSetTarget.h"
#include "gcGameCore/actions/gcDoEntityChangeState.h"
#include "gcGameCore/actions/gcDoEntityDamage.h"
#include "gcGameCore/actions/gcDoEntityMoveTo.h"
#include "gcGameCore/actions/gcDoNPCAction.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/entities/gcBoundary.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcState.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValCreatureState.h"
#include "gcGameCore/values/gcValCreatureTimeSince.h"
#include "gcGameCore/values/gcValEntityDistance.h"
#include "gcGameCore/values/gcValEntityValid.h"
#include "gcGameCore/values/gcValEventVar.h"
#include "gcGameCore/values/gcValNumber.h"

namespace datagen {
namespace {

using G = SampleGuards;

constexpr float kGroundZ = -3.0f;  // the regions' ground
const mVec3 kCollider(0.4f, 0.4f, 0.9f);  // half sizes: the origin is the body's centre
const mVec3 kFistRest(0.45f, 0.3f, 0.2f);  // the fist's place on the body
const mVec3 kFistOut(0.2f, 0.95f, 0.35f);  // ... at the height of the swing
const mVec3 kFistGuard(0.25f, 0.45f, 0.55f);  // ... raised before the face
const mVec3 kFistDown(0.5f, 0.6f, 0.12f - kCollider.z + G::kFallDepth);  // ... on the ground once fallen

uint32_t HandleOf(int slot)
{
    return static_cast<uint32_t>(slot) | static_cast<uint32_t>(0x100 + slot) << 16;
}

uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(0x100 + slot);
}

// ---- The body ------------------------------------------------------------

// The five visible faces of a box (no bottom) around centre c with half
// sizes h, each face its own quad with the texture once across it.
void AddBox(MeshObjectDesc* pObject, const mVec3& c, const mVec3& h)
{
    struct Face {
        mVec3 n, u, v;  // normal, then the face's two half-axes
    };
    const Face faces[] = {
        {{0, 0, 1}, {h.x, 0, 0}, {0, h.y, 0}},  {{0, -1, 0}, {h.x, 0, 0}, {0, 0, h.z}},
        {{0, 1, 0}, {-h.x, 0, 0}, {0, 0, h.z}}, {{1, 0, 0}, {0, h.y, 0}, {0, 0, h.z}},
        {{-1, 0, 0}, {0, -h.y, 0}, {0, 0, h.z}},
    };
    for (const Face& f : faces) {
        const mVec3 centre(c.x + f.n.x * h.x, c.y + f.n.y * h.y, c.z + f.n.z * h.z);
        const float su[4] = {-1, 1, 1, -1}, sv[4] = {-1, -1, 1, 1};
        MeshVertex q[4];
        for (int k = 0; k < 4; ++k) {
            q[k].pos = mVec3(centre.x + f.u.x * su[k] + f.v.x * sv[k], centre.y + f.u.y * su[k] + f.v.y * sv[k],
                             centre.z + f.u.z * su[k] + f.v.z * sv[k]);
            q[k].normal = f.n;
            q[k].u = (su[k] + 1) * 0.5f;
            q[k].v = (1 - sv[k]) * 0.5f;
        }
        for (int k : {0, 1, 2, 0, 2, 3})
            pObject->corners.push_back(q[k]);
    }
}

// The body (node 0) and the fist (node 1) that the swing moves.
MeshDesc GuardMesh()
{
    MeshDesc m;
    m.name = "Guard";
    m.nodes.push_back({"body", -1, MeshNodeDesc::Identity()});
    mOCS fist = MeshNodeDesc::Identity();
    fist.origin = kFistRest;
    m.nodes.push_back({"fist", 0, fist});
    m.objectsStart = 0;
    m.nObjects = 2;
    m.colliderSize = kCollider;
    m.visRadius = m.colRadius = kCollider.Length() * 2.0f;
    MeshObjectDesc body, hand;
    AddBox(&body, mVec3(0, 0, 0), kCollider);
    hand.node = 1;
    AddBox(&hand, mVec3(0, 0, 0), mVec3(0.12f, 0.12f, 0.12f));
    m.objects = {body, hand};
    return m;
}

AnimationTrackDesc Still(const mVec3& at)
{
    return {{at}, {mQuat(0, 0, 0, 1)}};
}

// A looping second of the body moving forward (+y) at the speed, the fist
// at rest.
AnimationDesc Stride(const char* name, float fSpeed)
{
    AnimationDesc a;
    a.name = name;
    a.frames = 2;
    a.frameLength = 600;
    a.nodes = {{{{0, 0, 0}, {0, fSpeed, 0}}, {mQuat(0, 0, 0, 1)}}, Still(kFistRest)};
    return a;
}

// Half a second: the fist goes out and back while the body stands.
AnimationDesc Swing()
{
    AnimationDesc a;
    a.name = "Swing";
    a.frames = 3;
    a.frameLength = 150;
    a.bLooping = false;
    a.nodes = {Still(mVec3(0, 0, 0)), {{kFistRest, kFistOut, kFistRest}, {mQuat(0, 0, 0, 1)}}};
    return a;
}

// Half a second: struck, the body rocks back and forward again (its place
// in the end unchanged) while the fist comes up before it.
AnimationDesc Flinch()
{
    AnimationDesc a;
    a.name = "Flinch";
    a.frames = 3;
    a.frameLength = 150;
    a.bLooping = false;
    a.nodes = {{{{0, 0, 0}, {0, -G::kFlinchDepth, 0}, {0, 0, 0}}, {mQuat(0, 0, 0, 1)}},
               {{kFistRest, kFistGuard, kFistRest}, {mQuat(0, 0, 0, 1)}}};
    return a;
}

// The body (a box, with no skeleton to topple) sinks to its knees and the
// fist drops to the ground beside it; Dead holds that pose while the guard
// fades.
AnimationDesc Fall()
{
    AnimationDesc a;
    a.name = "Fall";
    a.frames = 3;
    a.frameLength = 240;
    a.bLooping = false;
    a.nodes = {{{{0, 0, 0}, {0, 0, -0.3f * G::kFallDepth}, {0, 0, -G::kFallDepth}}, {mQuat(0, 0, 0, 1)}},
               {{kFistRest, kFistGuard, kFistDown}, {mQuat(0, 0, 0, 1)}}};
    return a;
}

AnimationDesc Dead()
{
    AnimationDesc a = Stride("Dead", 0.0f);
    a.nodes[1] = Still(kFistDown);
    return a;
}

enum GuardAnimation { kStand, kWalk, kRun, kSwing, kFlinch, kFall, kDead, kAnimationCount };

std::vector<AnimationDesc> GuardAnimations()
{
    return {Stride("Stand", 0.0f), Stride("Walk", G::kWalkSpeed), Stride("Run", G::kRunSpeed), Swing(), Flinch(),
            Fall(), Dead()};
}

// ---- The template and the guards -----------------------------------------

// An action as a member of an event block being laid in w.
bool ActionMember(BlockWriter& w, const gcAction& action, const std::string& scratch)
{
    w.Int(static_cast<int32_t>(action.GetType()->m_nTypeId));
    return LayEngineObject(w, action, scratch);
}

// The blow the swing deals its target (the player the tactics chose) as it
// starts: the tactics only swing within reach.
gcDoEntityDamage* NewBlow(cMemPool* pPool)
{
    auto* p = pPool->New<gcDoEntityDamage>(gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1),
                                           gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR), 0u,
                                           int32_t{gcMsgDealDamage::DD_NONE}, false, false, 0.0f);
    gcValue* pAmount = p ? pPool->New<gcValNumber>(G::kBlowDamage) : nullptr;
    gcAction* pReturn = pAmount ? NewReturn(pPool, pAmount) : nullptr;
    if (!pReturn)
        return nullptr;
    AppendAction(p->calcDamage, pReturn);
    return p;
}

NPCTemplateDesc GuardTemplate(uint32_t hMaterial, const gcAction* pBlow, const std::string& scratch, bool* pOk)
{
    NPCTemplateDesc t;
    EntityTemplateDesc& base = t.creature.base;
    base.name = "Guard";
    base.hMesh = HandleOf(G::kMeshSlot);
    base.materialCount = 1;
    base.materials.assign(4, hMaterial);
    base.team = gcEntityTemplate::TEAM_UNFRIENDLY;
    base.hStateMachine = HandleOf(G::kStateMachineSlot);
    CreatureAttackDesc swing;
    swing.name = "Swing";
    swing.config.hAnimation = HandleOf(G::kAnimationSlot + kSwing);
    swing.config.actions = [pBlow, scratch, pOk](BlockWriter& w, int index) {
        if (index == 0)  // OnStarted
            *pOk = pBlow && ActionMember(w, *pBlow, scratch) && *pOk;
    };
    t.creature.attacks = {swing};
    t.configs.resize(gcNPCTemplate::MAX_ANIMATIONS);
    for (AnimationConfigDesc& c : t.configs)
        c.hAnimation = HandleOf(G::kAnimationSlot + kStand);
    t.configs[gcNPCTemplate::ANIM_WALK].hAnimation = HandleOf(G::kAnimationSlot + kWalk);
    for (int a : {gcNPCTemplate::ANIM_RUN, gcNPCTemplate::ANIM_TGT_F})
        t.configs[a].hAnimation = HandleOf(G::kAnimationSlot + kRun);
    // Every hit, from whichever side and however hard, the one flinch.
    for (int a = gcNPCTemplate::ANIM_HIT; a <= gcNPCTemplate::ANIM_HIT_FRONT; ++a)
        t.configs[a].hAnimation = HandleOf(G::kAnimationSlot + kFlinch);
    t.configs[gcNPCTemplate::ANIM_HIT_HARD].hAnimation = HandleOf(G::kAnimationSlot + kFlinch);
    t.configs[gcNPCTemplate::ANIM_DYING].hAnimation = HandleOf(G::kAnimationSlot + kFall);
    t.configs[gcNPCTemplate::ANIM_DEAD].hAnimation = HandleOf(G::kAnimationSlot + kDead);
    SetSampleGuardSoundKeys(t);
    return t;
}

struct GuardPlace {
    const char* name;
    int16_t regionId;
    std::vector<PathPointDesc> halves[2];  // the loop's two halves, in the region, on the ground
    float boundary[4];                     // centre x, y, width, depth
};

// The west guard walks a loop across the road ahead of the player's start,
// the middle one a loop where the middle region begins. A loop is two
// paths, each ending where the other starts: a guard follows a path from
// where it passes closest, and at the end of a single closed path that
// would be the end again. Each boundary takes in its loop and some road
// beyond, the two apart.
const GuardPlace kPlaces[G::kCount] = {
    {"WestGuard", 0,
     {{{2, -2, kGroundZ}, {9, -2, kGroundZ}, {9, 2, kGroundZ}}, {{9, 2, kGroundZ}, {2, 2, kGroundZ}, {2, -2, kGroundZ}}},
     {5.0f, 0.0f, 22.0f, 12.0f}},
    {"MiddleGuard", 1,
     {{{-12, 2, kGroundZ}, {-6, 2, kGroundZ}, {-6, -2, kGroundZ}},
      {{-6, -2, kGroundZ}, {-12, -2, kGroundZ}, {-12, 2, kGroundZ}}},
     {-6.0f, 0.0f, 19.0f, 12.0f}},
};

NPCDesc Guard(int i)
{
    const GuardPlace& p = kPlaces[i];
    NPCDesc d;
    EntityDesc& e = d.creature.entity;
    e.name = p.name;
    e.hTemplate = HandleOf(G::kTemplateSlot);
    e.regionId = p.regionId;
    e.paths = {HandleOf(G::kPathSlot + 2 * i), HandleOf(G::kPathSlot + 2 * i + 1)};
    e.active = true;
    const float at[12] = {p.halves[0][0].x, p.halves[0][0].y, kGroundZ + kCollider.z, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::copy(std::begin(at), std::end(at), e.placement);
    e.initialState = G::kPatrol;
    return d;
}

// Path j of the loop of guard i lies in slot kPathSlot + 2 i + j.
std::vector<RegionPathDesc> PatrolPaths()
{
    std::vector<RegionPathDesc> out;
    for (const GuardPlace& p : kPlaces) {
        for (int j = 0; j < 2; ++j) {
            RegionPathDesc d;
            d.name = std::string(p.name) + (j == 0 ? "Out" : "Back");
            d.regionId = p.regionId;
            d.points = p.halves[j];
            out.push_back(d);
        }
    }
    return out;
}

BoundaryDesc GuardBoundary(int i)
{
    const GuardPlace& p = kPlaces[i];
    BoundaryDesc d;
    d.name = std::string(p.name) + "Ground";
    d.regionId = p.regionId;
    d.frame = {p.boundary[0], p.boundary[1], kGroundZ, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    d.width = p.boundary[2];
    d.depth = p.boundary[3];
    return d;
}

// ---- The tactics ---------------------------------------------------------

const gcDesiredEntity kSelf = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kPlayer = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);

// Every New of one build: a null anywhere means the pool ran out.
class Builder {
public:
    explicit Builder(cMemPool* pPool) : m_pPool(pPool) {}

    template <class T, class... Args>
    T* New(Args&&... args)
    {
        T* p = m_pPool->New<T>(static_cast<Args&&>(args)...);
        m_bFull |= p == nullptr;
        return p;
    }
    bool Full() const { return m_bFull; }
    cMemPool* Pool() const { return m_pPool; }

    gcValue* Op(gcValBinaryOp::gcOperation op, gcValue* a, gcValue* b) { return New<gcValBinaryOp>(op, a, b); }
    // The player is there and its outline within fDistance of the guard's.
    gcValue* PlayerWithin(float fDistance)
    {
        return Op(gcValBinaryOp::OP_AND, New<gcValEntityValid>(kPlayer),
                  Op(gcValBinaryOp::OP_LESS, New<gcValEntityDistance>(kSelf, kPlayer), New<gcValNumber>(fDistance)));
    }
    gcValue* Is(int32_t state) { return New<gcValCreatureState>(state, kSelf); }
    gcAction* Command(int32_t type) { return New<gcDoCreatureAction>(type, kSelf); }
    gcAction* To(int tactic, bool bForce = false)
    {
        return New<gcDoEntityChangeState>(kSelf, gcStateMachineHandle(HandleOf(G::kStateMachineSlot)), tactic, bForce);
    }
    gcAction* Target(int32_t selected) { return New<gcDoCreatureSetTarget>(kSelf, selected, kPlayer); }
    gcAction* Swing()
    {
        gcDesiredValue first;
        first.fConst = 1.0f;
        return New<gcDoCreatureAttack>(kSelf, uint16_t{0}, int16_t{0}, first);
    }
    gcAction* If(gcValue* pCondition, gcAction* pThen, gcAction* pElse = nullptr)
    {
        std::vector<gcAction*> thenList, elseList;
        if (pThen)
            thenList.push_back(pThen);
        if (pElse)
            elseList.push_back(pElse);
        gcAction* p = NewEvaluation(m_pPool, pCondition, thenList, elseList);
        m_bFull |= p == nullptr;
        return p;
    }

private:
    cMemPool* m_pPool;
    bool m_bFull = false;
};

// Patrol: along one half of the guard's loop (its own patrol or initial
// path) from where it passes closest, then the other half; on to the chase
// when the player comes near.
void FillPatrol(Builder& b, gcState& s, int32_t half, int next)
{
    auto* pWalk = b.New<gcDoEntityMoveTo>(
        gcDoEntityMoveTo::EMT_REGIONPATH, kSelf,
        static_cast<uint16_t>(gcDoEntityMoveTo::kOffsetHeight | gcDoEntityMoveTo::kEntityPath |
                              gcDoEntityMoveTo::kClosestOnPath));
    if (pWalk)
        pWalk->entityPath = half;
    for (gcAction* p : {b.Target(gcDoCreatureSetTarget::TGT_NONE), static_cast<gcAction*>(pWalk),
                        b.Command(gcDoCreatureAction::CA_WALK)})
        AppendAction(s.onEnterState, p);
    AppendAction(s.onUpdate, b.If(b.PlayerWithin(G::kNoticeDistance), b.To(G::kChase)));
    gcValue* pDone = b.Op(gcValBinaryOp::OP_EQUAL, b.New<gcValEventVar>(gcValEventVar::VAR_EVENTID, 0),
                          b.New<gcValNumber>(static_cast<float>(gcMsgEvent::ID_ONPATHCOMPLETED)));
    AppendAction(s.onEvent, b.If(pDone, b.To(next)));
}

// Chase: off the loop into the boundary around it, the player as target
// (the guard turns toward its target as it runs); a swing within reach,
// back to the patrol when the player got away.
void FillChase(Builder& b, gcState& s)
{
    for (gcAction* p : {static_cast<gcAction*>(b.New<gcDoNPCAction>(gcDoNPCAction::NA_FINDBOUNDARY, kSelf)),
                        b.Target(gcDoCreatureSetTarget::TGT_SPECIFIC), b.Command(gcDoCreatureAction::CA_RUN)})
        AppendAction(s.onEnterState, p);
    gcAction* pKeepRunning = b.If(b.Is(gcValCreatureState::STATE_RUNNING), nullptr,
                                  b.Command(gcDoCreatureAction::CA_RUN));
    gcAction* pLost = b.If(b.PlayerWithin(G::kGiveUpDistance), pKeepRunning, b.To(G::kPatrol));
    AppendAction(s.onUpdate, b.If(b.PlayerWithin(G::kReach), b.To(G::kAttack), pLost));
}

// Attack: a swing, then another after a pause while the player stays
// within reach; the chase again when it does not.
void FillAttack(Builder& b, gcState& s)
{
    AppendAction(s.onEnterState, b.Command(gcDoCreatureAction::CA_STAND));
    gcValue* pRested = b.Op(gcValBinaryOp::OP_GREATEREQUAL,
                            b.New<gcValCreatureTimeSince>(kSelf, int32_t{gcCreature::TIMESINCE_ATTACK}),
                            b.New<gcValNumber>(G::kSwingPause));
    gcAction* pNext = b.If(b.PlayerWithin(G::kReach), b.If(pRested, b.Swing()), b.To(G::kChase));
    AppendAction(s.onUpdate, b.If(b.Is(gcValCreatureState::STATE_ATTACKING), nullptr, pNext));
}

gcStateMachine* NewGuardTactics(cMemPool* pPool)
{
    gcStateMachine* pMachine = NewStateMachine(pPool, "GuardTactics", gcStateMachineHandle());
    if (!pMachine)
        return nullptr;
    Builder b(pPool);
    gcState* pStates[4] = {AddState(*pMachine, G::kPatrol, "Patrol", pPool),
                           AddState(*pMachine, G::kChase, "Chase", pPool),
                           AddState(*pMachine, G::kAttack, "Attack", pPool),
                           AddState(*pMachine, G::kPatrolBack, "PatrolBack", pPool)};
    for (gcState* p : pStates)
        if (!p)
            return nullptr;
    FillPatrol(b, *pStates[0], gcEntity::PATH_PATROL, G::kPatrolBack);
    FillChase(b, *pStates[1]);
    FillAttack(b, *pStates[2]);
    FillPatrol(b, *pStates[3], gcEntity::PATH_INITIAL, G::kPatrol);
    if (b.Full()) {
        cLogError_("datagen: no room for the guards' tactics");
        return nullptr;
    }
    return pMachine;
}

// ---- The groups ----------------------------------------------------------

template <class T>
uint32_t TypeIdOf()
{
    return T::GetStaticType()->m_nTypeId;
}

// One record per piece, slots from begin on, each with its type id and the
// block write(w, piece) lays.
template <class Desc, class Write>
void AddRecords(std::vector<SlotRecord>* pOut, int begin, uint32_t typeId, const std::vector<Desc>& pieces, Write write)
{
    for (size_t i = 0; i < pieces.size(); ++i) {
        const int slot = begin + static_cast<int>(i);
        pOut->push_back({slot, {CheckOf(slot), [piece = pieces[i], typeId, write](BlockWriter& w) {
                                    w.Int(static_cast<int32_t>(typeId));
                                    write(w, piece);
                                }}});
    }
}

template <class Make>
std::vector<std::invoke_result_t<Make, int>> EachGuard(Make make)
{
    std::vector<std::invoke_result_t<Make, int>> out;
    for (int i = 0; i < G::kCount; ++i)
        out.push_back(make(i));
    return out;
}

// The template with the blow its swing deals, built as it is laid.
void LayTemplate(BlockWriter& w, uint32_t hMaterial, const std::string& scratch, bool* pOk)
{
    cMemPool pool("datagen SampleGuardTemplate", 0x4000, false);
    gcDoEntityDamage* pBlow = NewBlow(&pool);
    if (!pBlow) {
        cLogError_("datagen: no room for the guards' blow");
        *pOk = false;
    }
    NPCTemplateBlock(w, GuardTemplate(hMaterial, pBlow, scratch, pOk), gcNPCTemplate::kVersion);
    if (pBlow)
        std::destroy_at(pBlow);  // its events' actions' memory goes with the pool
}

// The tactics, built as they are laid.
void LayTactics(BlockWriter& w, const std::string& scratch, bool* pOk)
{
    cMemPool pool("datagen SampleGuardTactics", 0x10000, false);
    gcStateMachine* pMachine = NewGuardTactics(&pool);
    *pOk = pMachine && LayEngineObject(w, *pMachine, scratch) && *pOk;
    if (pMachine)
        std::destroy_at(pMachine);
}

}  // namespace

std::vector<SlotRecord> SampleGuardRecords(int index, uint32_t hMaterial, const std::string& scratch, bool* pOk)
{
    std::vector<SlotRecord> out;
    switch (index) {
    case kMapMeshes:
        AddRecords(&out, G::kMeshSlot, TypeIdOf<eMesh>(), std::vector<MeshDesc>{GuardMesh()},
                   [pOk](BlockWriter& w, const MeshDesc& mesh) {
                       MeshData data;
                       *pOk = BuildMesh(mesh, &data) && *pOk;
                       MeshBlock(w, mesh, data);
                   });
        break;
    case kMapAnimations:
        AddRecords(&out, G::kAnimationSlot, TypeIdOf<eAnimation>(), GuardAnimations(),
                   [](BlockWriter& w, const AnimationDesc& a) { AnimationBlock(w, a); });
        break;
    case kMapEntityTemplates:
        AddRecords(&out, G::kTemplateSlot, TypeIdOf<gcNPCTemplate>(), std::vector<int>{0},
                   [hMaterial, scratch, pOk](BlockWriter& w, int) { LayTemplate(w, hMaterial, scratch, pOk); });
        break;
    case kMapEntities:
        AddRecords(&out, G::kEntitySlot, TypeIdOf<gcNPC>(), EachGuard(Guard),
                   [](BlockWriter& w, const NPCDesc& d) { NPCBlock(w, d, gcNPC::kVersion); });
        break;
    case kMapRegionPaths:
        AddRecords(&out, G::kPathSlot, TypeIdOf<gcRegionPath>(), PatrolPaths(),
                   [](BlockWriter& w, const RegionPathDesc& d) { RegionPathBlock(w, d); });
        break;
    case kMapBoundaries:
        AddRecords(&out, G::kBoundarySlot, TypeIdOf<gcBoundary>(), EachGuard(GuardBoundary),
                   [](BlockWriter& w, const BoundaryDesc& d) { BoundaryBlock(w, d, gcBoundary::kVersion); });
        break;
    case kMapStateMachines:
        AddRecords(&out, G::kStateMachineSlot, TypeIdOf<gcStateMachine>(), std::vector<int>{0},
                   [scratch, pOk](BlockWriter& w, int) { LayTactics(w, scratch, pOk); });
        break;
    default:
        break;
    }
    return out;
}

}  // namespace datagen
