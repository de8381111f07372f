// The entity actions: what each sends to whom, old block layouts and texts.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "datagen/actionWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/actions/gcDoEntityActivate.h"
#include "gcGameCore/actions/gcDoEntityAnimation.h"
#include "gcGameCore/actions/gcDoEntityChangeState.h"
#include "gcGameCore/actions/gcDoEntityFace.h"
#include "gcGameCore/actions/gcDoEntityMakeLeader.h"
#include "gcGameCore/actions/gcDoEntityMoveTo.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

// A message with the payload the entity actions fill: heading and pitch
// (104), the point or path and the source and destination (117, 118), the
// configuration and the priority (119).
struct Sent {
    int32_t nId;
    const void* pWhere;
    float a, b, roll;
    bool operator==(const Sent&) const = default;
};
std::vector<Sent> s_sent;

class gcRecordingEntity : public gcTestEntity {
public:
    int Send(const gcMsg& msg) override
    {
        Sent s{msg.nMsgId, nullptr, 0, 0, 0};
        if (msg.nMsgId == MSG_FACEDIR) {
            const mVec3& hpr = static_cast<const gcMsgFaceDir&>(msg).hpr;
            s.a = hpr.x, s.b = hpr.y, s.roll = hpr.z;
        } else if (msg.nMsgId == MSG_MOVETOPOINT) {
            const auto& m = static_cast<const gcMsgMoveToPoint&>(msg);
            s.pWhere = m.pRegionPoint, s.a = m.bSnap, s.b = m.bOffsetHeight;
        } else if (msg.nMsgId == MSG_MOVETOPATH) {
            const auto& m = static_cast<const gcMsgMoveToPath&>(msg);
            s.pWhere = m.pRegionPath, s.a = m.fSrcOnPath, s.b = m.fDestOnPath;
            s.roll = m.bClosestOnPath * 4 + m.bSnap * 2 + m.bOffsetHeight + (m.pOnCompleted ? 8 : 0);
        } else if (msg.nMsgId == MSG_PLAYANIMATION) {
            const auto& m = static_cast<const gcMsgPlayAnimation&>(msg);
            s.pWhere = m.pAnimationConfig, s.a = static_cast<float>(m.priority);
        }
        s_sent.push_back(s);
        return gcTestEntity::Send(msg);
    }
};

const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kTarget = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
const gcDesiredEntity kNobody = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);

class gcEntityActionsTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, 5, FigureDesc()), nullptr);
        PlaceTemplate()->hMesh = eMeshMgr::GetHandle(5);
        m_params.pInitiator = m_pEntity = Placed({0, 0, 0});
        m_params.pParticipant1 = m_pTarget = Placed({0, 5, 0});
    }
    void TearDown() override
    {
        for (int i = 0; i < 10; ++i)
            gcRegionPointMgr::Remove(i), gcRegionPathMgr::Remove(i);
        EntityWorldTest::TearDown();
    }
    // Active, in zone A (region 1).
    gcRecordingEntity* Placed(const mVec3& at)
    {
        auto* e = m_pool.New<gcRecordingEntity>();
        m_entities.push_back(e);
        e->m_hTemplate = gcEntityTemplateMgr::GetHandle(kTemplateSlot);
        e->m_nRegionId = 1;
        e->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z);
        e->Reset(&m_pool);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags = 0;
        return e;
    }
    gcRegionPointHandle Point(int16_t region, const mVec3& at)
    {
        auto* p = m_pool.New<gcRegionPoint>();
        p->m_name.Set("Door");
        p->m_nRegionId = region;
        p->m_localToRegion = MakeFrame(at.x, at.y, at.z);
        return gcRegionPointMgr::Add(1, p, 0x31);
    }
    gcRegionPath* Path(int slot, const char* name)
    {
        auto* p = m_pool.New<gcRegionPath>();
        p->m_name.Set(name);
        gcRegionPathMgr::Add(slot, p, 0x32);
        return p;
    }
    std::vector<Sent> Run(const gcAction& action)
    {
        s_sent.clear();
        action.Apply(m_params);
        return s_sent;
    }
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("a.dat"), T::GetStaticType()->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               fields(datagen::ActionBlock(w, version));
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/a.dat", &m_pool, T::GetStaticType())) : nullptr;
    }

    gcRecordingEntity* m_pEntity = nullptr;
    gcRecordingEntity* m_pTarget = nullptr;
    gcEventParams m_params;
};

Sent Face(float heading, float pitch, float roll) { return {MSG_FACEDIR, nullptr, heading, pitch, roll}; }

// The map's range [11, 15) leaves slot 12 empty; slots 10 and 15 match
// every mask but lie outside. Slots are filled in reverse so the order seen
// is the slots', not the creation order.
TEST_F(gcEntityActionsTest, ActivateOneEntityOrTheMapsMatchingSlotsInOrder)
{
    gcTestEntity* e[16] = {};
    for (const auto& [slot, mask] : {std::pair{15, ~0u}, {14, 0x8u}, {13, 0x6u}, {11, 0x1u}, {10, ~0u}}) {
        e[slot] = NewEntity(nullptr);
        e[slot]->m_nActivationMask = mask;
        gcEntityMgr::Add(slot, e[slot], 0x40);
    }
    gcMap* pMap = m_pool.New<gcMap>();
    pMap->m_entities.m_nBegin = 11, pMap->m_entities.m_nEnd = 15;
    const struct {
        uint32_t flags, mask;
        std::vector<std::pair<const void*, int32_t>> log;
    } rows[] = {
        {0x1, 0, {{m_pEntity, MSG_ACTIVATE}}},   {0x0, 0, {{m_pEntity, MSG_DEACTIVATE}}},
        {0x5, 0, {{m_pEntity, MSG_REVIVE}}},     {0x3, 0x4, {{e[13], MSG_ACTIVATE}}},
        {0x2, 0x9, {{e[11], MSG_DEACTIVATE}, {e[14], MSG_DEACTIVATE}}},
        {0x6, ~0u, {{e[11], MSG_REVIVE}, {e[13], MSG_REVIVE}, {e[14], MSG_REVIVE}}},
        {0x3, 0, {}},                            {0x3, 0x10, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags * 100 + row.mask);
        EntityLog().clear();
        gcDoEntityActivate(kInitiator, row.flags, row.mask).Apply(m_params);
        std::vector<std::pair<const void*, int32_t>> log;
        for (const gcEntityLogEntry& entry : EntityLog())
            log.push_back({entry.pTo, entry.nId});
        EXPECT_EQ(log, row.log);
    }
    pMap->m_entities.m_nBegin = pMap->m_entities.m_nEnd = 0;  // the fixture owns the entities
    std::destroy_at(pMap);
}

TEST_F(gcEntityActionsTest, OldActivateBlocksBecomeFlags)
{
    const struct {
        uint32_t version;
        std::vector<uint32_t> words;  // after the activate boolean or the entity
        uint32_t flags, mask;
    } rows[] = {
        {1, {1}, 0x1, 0}, {1, {0}, 0x0, 0}, {2, {1, 1, 0x30}, 0x3, 0x30}, {2, {0, 0, 0x30}, 0x0, 0x30},
        {3, {0x5, 0x9}, 0x5, 0x9},  // the flags follow the entity
    };
    for (const auto& row : rows) {
        const auto* p = Load<gcDoEntityActivate>(row.version, [&](datagen::BlockWriter& w) {
            if (row.version < 3)
                w.Word(row.words[0]);
            w.Int(gcDesiredEntity::SPECIFIC).Word(0x00070002);
            for (size_t i = row.version < 3 ? 1 : 0; i < row.words.size(); ++i)
                w.Word(row.words[i]);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->nFlags, row.flags) << row.version;
        EXPECT_EQ(p->nActivationMask, row.mask) << row.version;
        EXPECT_EQ(p->desiredEntity.hSpecificEntity.m_nValue, 0x00070002u);
    }
}

// A map whose range starts at the table's first slot: slot 0 is reached.
TEST_F(gcEntityActionsTest, GroupActivationReachesSlotZero)
{
    gcTestEntity* e[2] = {NewEntity(nullptr), NewEntity(nullptr)};
    for (int slot : {0, 1}) {
        e[slot]->m_nActivationMask = 0x2;
        gcEntityMgr::Add(slot, e[slot], 0x40);
    }
    gcMap* pMap = m_pool.New<gcMap>();
    pMap->m_entities.m_nBegin = 0, pMap->m_entities.m_nEnd = 2;
    EntityLog().clear();
    gcDoEntityActivate(kInitiator, gcDoEntityActivate::kGroups, 0x2).Apply(m_params);
    std::vector<std::pair<const void*, int32_t>> log;
    for (const gcEntityLogEntry& entry : EntityLog())
        log.push_back({entry.pTo, entry.nId});
    EXPECT_EQ(log, (std::vector<std::pair<const void*, int32_t>>{{e[0], MSG_DEACTIVATE}, {e[1], MSG_DEACTIVATE}}));
    pMap->m_entities.m_nBegin = pMap->m_entities.m_nEnd = 0;  // the fixture owns the entities
    std::destroy_at(pMap);
}

// Versions 1 to 3 are read; 0 and 4 are refused with a logged error.
TEST_F(gcEntityActionsTest, ActivateBlocksOutsideVersionsOneToThreeAreRefused)
{
    for (uint32_t version : {0u, 4u}) {
        SCOPED_TRACE(version);
        gcTestLogCapture log;
        const auto* p = Load<gcDoEntityActivate>(
            version, [](datagen::BlockWriter& w) { w.Int(gcDesiredEntity::SPECIFIC).Word(0x00070002).Word(0x5).Word(0x9); });
        EXPECT_EQ(p, nullptr);
        EXPECT_GE(log.Count(LOGTYPE_ERROR, "gcDoEntityActivate"), 1);
    }
}

// A path move made with the defaults runs the whole path: from 0 to 1.
TEST_F(gcEntityActionsTest, APathMoveRunsTheWholePathByDefault)
{
    gcDoEntityMoveTo a(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, 0);
    const gcRegionPath* pPath = Path(2, "Region");
    a.hRegionPath = pPath->m_handle;
    EXPECT_EQ(Run(a), (std::vector<Sent>{{MSG_MOVETOPATH, pPath, 0.0f, 1.0f, 8}}));
}

// Region 2's zone lies 100 units along +x of region 1's. Nothing is sent
// for an inactive end or a region that is not resident.
TEST_F(gcEntityActionsTest, FaceSendsHeadingPitchAndTheKeptRoll)
{
    m_pEntity->m_desiredHPR[2] = 12.0f;
    const struct {
        const char* name;
        mVec3 at;  // the target entity's position, or the point's
        int16_t pointRegion;  // 0: face the entity
        uint16_t entityFlags, targetFlags;
        std::vector<Sent> sent;
    } rows[] = {
        {"ahead along +y", {0, 5, 0}, 0, 0, 0, {Face(0, 0, 12)}},
        {"along +x", {5, 0, 0}, 0, 0, 0, {Face(-90, 0, 12)}},
        {"up and ahead", {0, 5, 5}, 0, 0, 0, {Face(0, 45, 12)}},
        {"in the same place", {0, 0, 0}, 0, 0, 0, {Face(0, 0, 12)}},
        {"entity deactivated", {0, 5, 0}, 0, gcEntity::kDeactivated, 0, {}},
        {"entity frozen", {0, 5, 0}, 0, gcEntity::kFrozen, 0, {}},
        {"target deactivated", {0, 5, 0}, 0, 0, gcEntity::kDeactivated, {}},
        {"target frozen", {0, 5, 0}, 0, 0, gcEntity::kFrozen, {}},
        {"point along -x", {-5, 0, 0}, 1, 0, 0, {Face(90, 0, 12)}},
        {"point at the next region's origin", {0, 0, 0}, 2, 0, 0, {Face(-90, 0, 12)}},
        {"point in a region not resident", {0, 5, 0}, 3, 0, 0, {}},
        {"point, entity frozen", {0, 5, 0}, 1, gcEntity::kFrozen, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_nEntityFlags = row.entityFlags;
        m_pTarget->m_nEntityFlags = row.targetFlags;
        m_pTarget->m_model.m_localToParent = MakeFrame(row.at.x, row.at.y, row.at.z);
        m_pTarget->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
        const int32_t type = row.pointRegion ? gcDoEntityFace::EF_REGIONPOINT : gcDoEntityFace::EF_ENTITY;
        std::vector<Sent> sent = Run(gcDoEntityFace(type, kInitiator, kTarget, Point(row.pointRegion, row.at)));
        for (Sent& s : sent)
            s.a = std::round(s.a * 1000) / 1000, s.b = std::round(s.b * 1000) / 1000;
        EXPECT_EQ(sent, row.sent);
    }
    m_pEntity->m_nEntityFlags = 0;
    m_pEntity->m_nRegionId = 3;  // not resident
    EXPECT_TRUE(Run(gcDoEntityFace(1, kInitiator, kTarget, Point(1, {0, 5, 0}))).empty());
    m_pEntity->m_nRegionId = 1;
    EXPECT_TRUE(Run(gcDoEntityFace(2, kInitiator, kTarget, {})).empty());
    EXPECT_TRUE(Run(gcDoEntityFace(0, kInitiator, kNobody, {})).empty());
    EXPECT_TRUE(Run(gcDoEntityFace(1, kInitiator, kTarget, {})).empty());
}

// The roll column holds closest 4, snap 2, offset height 1, event 8.
TEST_F(gcEntityActionsTest, MoveToSendsThePointThePathOrADetach)
{
    const gcRegionPointHandle hPoint = Point(1, {1, 2, 0});
    const gcRegionPath* pRegion = Path(2, "Region");
    const gcRegionPath* pOwn = Path(3, "Own");
    m_pEntity->m_hPaths[gcEntity::PATH_INITIAL] = pOwn->m_handle;
    const void* pPoint = gcRegionPointMgr::GetPtr(hPoint);
    const struct {
        const char* name;
        int32_t type;
        uint16_t flags;
        int32_t entityPath;
        std::vector<Sent> sent;
    } rows[] = {
        {"point, snapped", 0, 0x3, 0, {{MSG_MOVETOPOINT, pPoint, 1, 0, 0}}},
        {"point, height offset", 0, 0x4, 0, {{MSG_MOVETOPOINT, pPoint, 0, 1, 0}}},
        {"region path", 1, 0x6, 1, {{MSG_MOVETOPATH, pRegion, 0.25f, 0.75f, 13}}},
        {"own initial path", 1, 0x9, 1, {{MSG_MOVETOPATH, pOwn, 0.25f, 0.75f, 10}}},
        {"own patrol slot empty", 1, 0x8, 0, {{MSG_MOVETOPATH, pRegion, 0.25f, 0.75f, 8}}},
        {"own path outside the slots", 1, 0x8, 2, {{MSG_MOVETOPATH, pRegion, 0.25f, 0.75f, 8}}},
        {"detach", 2, 0x1, 0, {{MSG_DETACHFROMPATH, nullptr, 0, 0, 0}}},
        {"no such move", 3, 0x1, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcDoEntityMoveTo a(row.type, kInitiator, row.flags);
        a.hRegionPoint = hPoint, a.hRegionPath = pRegion->m_handle, a.entityPath = row.entityPath;
        a.srcOnPath.fConst = 0.25f, a.destOnPath.fConst = 0.75f;
        EXPECT_EQ(Run(a), row.sent);
    }
    gcDoEntityMoveTo patrol(1, kInitiator, 0x8);
    m_pEntity->m_hPaths[gcEntity::PATH_PATROL] = pOwn->m_handle;
    ASSERT_EQ(Run(patrol).size(), 1u);
    EXPECT_EQ(s_sent[0].pWhere, pOwn);
    EXPECT_TRUE(Run(gcDoEntityMoveTo(0, kInitiator, 0)).empty());  // no point
    EXPECT_TRUE(Run(gcDoEntityMoveTo(1, kInitiator, 0)).empty());  // no path
    EXPECT_TRUE(Run(gcDoEntityMoveTo(2, kNobody, 0)).empty());
}

// Every version stores the destination before the source: 0.9, then 0.1.
// Versions 3 and 9, laid as 4 and 8, are refused.
TEST_F(gcEntityActionsTest, MoveToBlocksOfEveryVersion)
{
    const auto number = [](datagen::BlockWriter& w, float f) { w.Int(gcDesiredValue::VAL_NUMBER).Float(f).Int(0).Int(0); };
    gcTestLogCapture quiet;  // the refusals are logged
    for (uint32_t version : {3u, 4u, 5u, 6u, 7u, 8u, 9u}) {
        SCOPED_TRACE(version);
        const uint32_t laid = std::clamp(version, 4u, 8u);
        const auto* p = Load<gcDoEntityMoveTo>(version, [&](datagen::BlockWriter& w) {
            w.Int(1).Int(gcDesiredEntity::PARTICIPANT1).Word(0).Half(0x000A).Word(0x00050001).Word(0x00060003);
            if (laid >= 6)
                w.Int(gcEntity::PATH_INITIAL);
            if (laid == 4)
                w.Float(0.9f).Float(0.1f).Float(7.0f);  // the third is read over
            else
                number(w, 0.9f), number(w, 0.1f);
            if (laid == 5 || laid == 6)
                number(w, 7.0f);
            if (laid == 8)
                RecordStepMember(w.Begin(gcEvent::kVersion).Begin(1).End(), 3), w.Int(-1).End();
        });
        if (version != laid) {
            EXPECT_EQ(p, nullptr);
            continue;
        }
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->moveToType, 1);
        EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
        EXPECT_EQ(p->nFlags, 0x000A);
        EXPECT_EQ(p->hRegionPoint.m_nValue, 0x00050001u);
        EXPECT_EQ(p->hRegionPath.m_nValue, 0x00060003u);
        EXPECT_EQ(p->entityPath, version >= 6 ? 1 : 0);
        EXPECT_EQ(p->destOnPath.fConst, 0.9f);
        EXPECT_EQ(p->srcOnPath.fConst, 0.1f);
        EXPECT_EQ(p->srcOnPath.desiredValue, gcDesiredValue::VAL_NUMBER);
        EXPECT_EQ(p->onCompleted.HasActions(), version == 8);
    }
}

TEST_F(gcEntityActionsTest, AnimationStateAndLeaderReachTheEntity)
{
    const gcDoEntityAnimation anim(kInitiator, gcAnimationConfig(), gcMsgPlayAnimation::PRIORITY_HIGH);
    EXPECT_EQ(Run(anim), (std::vector<Sent>{{MSG_PLAYANIMATION, &anim.animationConfig, 2, 0, 0}}));  // its own

    m_pTarget->m_nEntityFlags = gcEntity::kGroupLeader;
    m_pEntity->m_hNeighbors[0] = gcEntityMgr::Add(20, m_pTarget, 0x50);
    gcDoEntityMakeLeader(kInitiator).Apply(m_params);
    EXPECT_EQ(m_pEntity->m_nEntityFlags, gcEntity::kGroupLeader);
    EXPECT_EQ(m_pTarget->m_nEntityFlags, 0);

    gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
    gcEntityTemplateMgr::GetPtr(m_pEntity->m_hTemplate)->hStateMachine = gcStateMachineMgr::Add(4, pMachine, 0x44);
    m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_CHANGEDSTATE] = cTimeValue(99);
    gcDoEntityChangeState(kInitiator, {}, 2, true).Apply(m_params);
    EXPECT_EQ(m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_CHANGEDSTATE].m_nTicks, 0);  // it changed
}

TEST_F(gcEntityActionsTest, TextsNameTheEntityAndWhatItIsTold)
{
    gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
    pMachine->m_name.Set("Guard");
    const gcStateMachineHandle hMachine = gcStateMachineMgr::Add(4, pMachine, 0x44);
    const gcRegionPointHandle hPoint = Point(1, {0, 0, 0});
    gcDoEntityMoveTo path(1, kInitiator, 0x0), ownPath(1, kInitiator, 0x9), point(0, kInitiator, 0x1);
    path.hRegionPath = Path(2, "Walk")->m_handle;
    ownPath.entityPath = gcEntity::PATH_INITIAL;
    ownPath.onCompleted.pAction = m_pool.New<gcDoEntityMakeLeader>(kInitiator);
    point.hRegionPoint = hPoint;
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    const struct {
        const gcAction& action;
        const char* text;
    } rows[] = {
        {gcDoEntityActivate(kInitiator, 0x2, 0), "EntityDeactivateGroups( --- )"},
        {gcDoEntityActivate(kInitiator, 0x3, 0x80000005), "EntityActivateGroups( 1, 3, 32 )"},
        {gcDoEntityActivate(kInitiator, 0x6, 0x2), "EntityReviveGroups( 2 )"},
        {gcDoEntityActivate(player, 0x1, 0x2), "Player.Activate"},
        {gcDoEntityActivate(player, 0x5, 0), "Player.Revive"},
        {gcDoEntityActivate(player, 0x0, 0), "Player.Deactivate"},
        {gcDoEntityAnimation(kInitiator, gcAnimationConfig(), 3), "Initiator.PlayAnimation( [none], VeryHighPriority )"},
        {gcDoEntityAnimation(kInitiator, gcAnimationConfig(), 4), "Initiator.PlayAnimation( [none], ???Priority )"},
        {gcDoEntityChangeState(kInitiator, hMachine, 2, false), "Initiator.ChangeState( [Guard].[none] )"},
        {gcDoEntityChangeState(player, {}, 0, true), "Player.ForceChangeState( [???].[???] )"},
        {gcDoEntityFace(0, kInitiator, player, hPoint), "Initiator.Face( Player )"},
        {gcDoEntityFace(1, kInitiator, player, hPoint), "Initiator.Face( [Door] )"},
        {gcDoEntityFace(1, kInitiator, player, {}), "Initiator.Face( [???] )"},
        {gcDoEntityFace(2, kInitiator, player, hPoint), "Initiator.Face( ??? )"},
        {gcDoEntityMakeLeader(player), "Player.MakeLeader"},
        {gcDoEntityMoveTo(2, kInitiator, 0x1), "Initiator.DetachFromPath( )"},
        {path, "Initiator.MoveTo( [Walk] )"},
        {ownPath, "Initiator.SnapTo( Initial ) {OnCompleted}"},
        {point, "Initiator.SnapTo( [Door] )"},
        {gcDoEntityMoveTo(7, kInitiator, 0x0), "Initiator.MoveTo( ??? )"},
    };
    for (const auto& row : rows) {
        char buf[gcScriptText::kSize] = {};
        row.action.GetText(buf);
        EXPECT_STREQ(buf, row.text);
    }
}

}  // namespace
