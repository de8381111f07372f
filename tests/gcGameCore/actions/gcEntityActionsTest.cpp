// The entity actions: what each sends to whom, the blocks of their older
// versions, and their texts.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "cCore/cFile.h"
#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
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
#include "gcGameCore/script/gcStateMachine.h"

namespace {

// One message with the payload fields the entity actions fill.
struct Sent {
    const void* pTo = nullptr;
    int32_t nId = 0;
    float hpr[3] = {};                 // 104
    const void* pWhere = nullptr;      // 117 point, 118 path, 119 configuration
    float fSrc = 0.0f, fDest = 0.0f;   // 118
    bool bClosest = false, bSnap = false, bOffsetHeight = false;  // 117, 118
    const gcEvent* pOnCompleted = nullptr;                          // 118
    int32_t nPriority = 0;                                          // 119
};
std::vector<Sent>& SentLog()
{
    static std::vector<Sent> s_log;
    return s_log;
}

class gcRecordingEntity : public gcTestEntity {
public:
    int Send(const gcMsg& msg) override
    {
        Sent s;
        s.pTo = this;
        s.nId = msg.nMsgId;
        if (msg.nMsgId == MSG_FACEDIR) {
            const mVec3& a = static_cast<const gcMsgFaceDir&>(msg).hpr;
            s.hpr[0] = a.x, s.hpr[1] = a.y, s.hpr[2] = a.z;
        } else if (msg.nMsgId == MSG_MOVETOPOINT) {
            const auto& m = static_cast<const gcMsgMoveToPoint&>(msg);
            s.pWhere = m.pRegionPoint, s.bSnap = m.bSnap, s.bOffsetHeight = m.bOffsetHeight;
        } else if (msg.nMsgId == MSG_MOVETOPATH) {
            const auto& m = static_cast<const gcMsgMoveToPath&>(msg);
            s.pWhere = m.pRegionPath, s.fSrc = m.fSrcOnPath, s.fDest = m.fDestOnPath;
            s.bClosest = m.bClosestOnPath, s.bSnap = m.bSnap, s.bOffsetHeight = m.bOffsetHeight;
            s.pOnCompleted = m.pOnCompleted;
        } else if (msg.nMsgId == MSG_PLAYANIMATION) {
            const auto& m = static_cast<const gcMsgPlayAnimation&>(msg);
            s.pWhere = m.pAnimationConfig, s.nPriority = m.priority;
        }
        SentLog().push_back(s);
        return gcTestEntity::Send(msg);
    }
};

constexpr int kMeshSlot = 5;
constexpr int kPointSlot = 7;
constexpr int kPathSlot = 8;
const gcDesiredEntity kInitiator = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
const gcDesiredEntity kParticipant = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1);
const gcDesiredEntity kNobody = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT2);

class gcEntityActionsTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        SentLog().clear();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc()), nullptr);
        m_pTemplate = PlaceTemplate();
        m_pTemplate->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_pEntity = Placed(1, {0, 0, 0});
        m_pTarget = Placed(1, {0, 5, 0});
        m_params.pInitiator = m_pEntity;
        m_params.pParticipant1 = m_pTarget;
    }
    void TearDown() override
    {
        for (int i = 0; i < gcRegionPointMgr::kSlots; ++i)
            gcRegionPointMgr::Remove(i);
        for (int i = 0; i < gcRegionPathMgr::kSlots; ++i)
            gcRegionPathMgr::Remove(i);
        EntityWorldTest::TearDown();
    }

    // An active recording entity of the template in the region (zone A for
    // region 1) at a point of its zone.
    gcRecordingEntity* Placed(int16_t region, const mVec3& at)
    {
        auto* e = m_pool.New<gcRecordingEntity>();
        m_entities.push_back(e);
        e->m_hTemplate = gcEntityTemplateMgr::GetHandle(kTemplateSlot);
        e->m_nRegionId = region;
        e->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z);
        e->Reset(&m_pool);
        EXPECT_TRUE(e->Enable());
        e->m_nEntityFlags &= static_cast<uint16_t>(~(gcEntity::kDeactivated | gcEntity::kFrozen));
        return e;
    }
    gcRegionPoint* Point(int slot, int16_t region, const mVec3& at, const char* name = "Door")
    {
        auto* p = m_pool.New<gcRegionPoint>();
        p->m_name.Set(name);
        p->m_nRegionId = region;
        p->m_localToRegion = MakeFrame(at.x, at.y, at.z);
        gcRegionPointMgr::Add(slot, p, 0x31);
        return p;
    }
    gcRegionPath* Path(int slot, const char* name = "Walk")
    {
        auto* p = m_pool.New<gcRegionPath>();
        p->m_name.Set(name);
        gcRegionPathMgr::Add(slot, p, 0x32);
        return p;
    }
    std::vector<Sent> Run(const gcAction& action)
    {
        SentLog().clear();
        action.Apply(m_params);
        return SentLog();
    }
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const cType* pType = T::GetStaticType();
        const bool bSaved = datagen::WriteObjectBlocksFile(m_data.HostPath("a.dat"), pType->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               datagen::ActionBlock(w, version);
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/a.dat", &m_pool, pType)) : nullptr;
    }
    static std::string Text(const gcAction& action)
    {
        char buf[gcScriptText::kSize] = {};
        action.GetText(buf);
        return buf;
    }

    gcTestEntityTemplate* m_pTemplate = nullptr;
    gcRecordingEntity* m_pEntity = nullptr;
    gcRecordingEntity* m_pTarget = nullptr;
    gcEventParams m_params;
};

std::vector<int32_t> Ids(const std::vector<Sent>& sent)
{
    std::vector<int32_t> ids;
    for (const Sent& s : sent)
        ids.push_back(s.nId);
    return ids;
}

// ---- activate ----

TEST_F(gcEntityActionsTest, ActivateOneEntitySendsTheMessageOfItsFlags)
{
    const struct {
        uint32_t flags;
        gcDesiredEntity entity;
        std::vector<int32_t> ids;
    } rows[] = {
        {0x1, kInitiator, {MSG_ACTIVATE}},  {0x0, kInitiator, {MSG_DEACTIVATE}}, {0x5, kInitiator, {MSG_REVIVE}},
        {0x4, kInitiator, {MSG_REVIVE}},    {0x1, kNobody, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags);
        const std::vector<Sent> sent = Run(gcDoEntityActivate(row.entity, row.flags, 0xFFFFFFFF));
        EXPECT_EQ(Ids(sent), row.ids);
        for (const Sent& s : sent)
            EXPECT_EQ(s.pTo, m_pEntity);
    }
}

// The map's entity range [11, 15) holds slot 12 empty; slots 10 and 15
// match every mask but lie outside. Entities reach the slots in reverse so
// the order seen is the slots', not the creation order.
TEST_F(gcEntityActionsTest, GroupActivationWalksTheMapsEntitySlotsInOrder)
{
    gcTestEntity* e[16] = {};
    const std::pair<int, uint32_t> placed[] = {{15, ~0u}, {14, 0x8}, {13, 0x6}, {11, 0x1}, {10, ~0u}};
    for (const auto& [slot, mask] : placed) {
        e[slot] = NewEntity(nullptr);
        e[slot]->m_nActivationMask = mask;
        gcEntityMgr::Add(slot, e[slot], 0x40);
    }
    gcMap* pMap = m_pool.New<gcMap>();
    pMap->m_entities.m_nBegin = 11;
    pMap->m_entities.m_nEnd = 15;
    const struct {
        const char* name;
        uint32_t flags, mask;
        std::vector<gcEntityLogEntry> log;
    } rows[] = {
        {"one bit", 0x3, 0x4, {{e[13], MSG_ACTIVATE, 0}}},
        {"in slot order", 0x2, 0x9, {{e[11], MSG_DEACTIVATE, 0}, {e[14], MSG_DEACTIVATE, 0}}},
        {"revive wins", 0x7, 0x2, {{e[13], MSG_REVIVE, 0}}},
        {"every bit", 0x3, ~0u, {{e[11], MSG_ACTIVATE, 0}, {e[13], MSG_ACTIVATE, 0}, {e[14], MSG_ACTIVATE, 0}}},
        {"mask 0 reaches nobody", 0x3, 0, {}},
        {"no bit shared", 0x3, 0x10, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EntityLog().clear();
        gcDoEntityActivate(kInitiator, row.flags, row.mask).Apply(m_params);
        ASSERT_EQ(EntityLog().size(), row.log.size());
        for (size_t i = 0; i < row.log.size(); ++i) {
            EXPECT_EQ(EntityLog()[i].pTo, row.log[i].pTo) << i;
            EXPECT_EQ(EntityLog()[i].nId, row.log[i].nId) << i;
        }
    }
    pMap->m_entities.m_nBegin = pMap->m_entities.m_nEnd = 0;  // the fixture owns the entities
    std::destroy_at(pMap);
    EntityLog().clear();
    gcDoEntityActivate(kInitiator, 0x3, ~0u).Apply(m_params);  // no map: nobody
    EXPECT_TRUE(EntityLog().empty());
}

TEST_F(gcEntityActionsTest, OldActivateBlocksBecomeFlags)
{
    const struct {
        const char* name;
        uint32_t version;
        std::function<void(datagen::BlockWriter&)> fields;
        uint32_t flags, mask;
    } rows[] = {
        {"v1 true: one entity activated", 1, [](auto& w) { w.Int(1).Int(4).Word(0x00070002); }, 0x1, 0},
        {"v1 false: deactivated", 1, [](auto& w) { w.Int(0).Int(4).Word(0x00070002); }, 0x0, 0},
        {"v2 groups", 2, [](auto& w) { w.Int(1).Int(4).Word(0x00070002).Int(1).Word(0x30); }, 0x3, 0x30},
        {"v2 one entity", 2, [](auto& w) { w.Int(0).Int(4).Word(0x00070002).Int(0).Word(0x30); }, 0x0, 0x30},
        {"v3 flags after the entity", 3, [](auto& w) { w.Int(4).Word(0x00070002).Word(0x5).Word(0x9); }, 0x5, 0x9},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto* p = Load<gcDoEntityActivate>(row.version, row.fields);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->nFlags, row.flags);
        EXPECT_EQ(p->nActivationMask, row.mask);
        EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::SPECIFIC);
        EXPECT_EQ(p->desiredEntity.hSpecificEntity.m_nValue, 0x00070002u);
    }
}

// ---- face ----

TEST_F(gcEntityActionsTest, FaceSendsHeadingPitchAndTheKeptRoll)
{
    m_pEntity->m_desiredHPR[2] = 12.0f;
    const struct {
        const char* name;
        mVec3 target;
        float heading, pitch;
    } rows[] = {
        {"ahead along +y", {0, 5, 0}, 0.0f, 0.0f},
        {"along +x", {5, 0, 0}, -90.0f, 0.0f},
        {"along -x", {-5, 0, 0}, 90.0f, 0.0f},
        {"up and ahead", {0, 5, 5}, 0.0f, 45.0f},
        {"straight up", {0, 0, 5}, 0.0f, 90.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pTarget->m_model.m_localToParent = MakeFrame(row.target.x, row.target.y, row.target.z);
        m_pTarget->m_model.SetGeomFlagsOnOff(eGeom::kDirty, 0);
        const std::vector<Sent> sent = Run(gcDoEntityFace(gcDoEntityFace::EF_ENTITY, kInitiator, kParticipant, {}));
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].pTo, m_pEntity);
        EXPECT_EQ(sent[0].nId, MSG_FACEDIR);
        EXPECT_NEAR(sent[0].hpr[0], row.heading, 1e-3);
        EXPECT_NEAR(sent[0].hpr[1], row.pitch, 1e-3);
        EXPECT_EQ(sent[0].hpr[2], 12.0f);
    }
}

TEST_F(gcEntityActionsTest, FaceLeavesInactiveEntitiesAndTargetsAlone)
{
    const struct {
        const char* name;
        uint16_t entityFlags, targetFlags;
        gcDesiredEntity target;
    } rows[] = {
        {"entity deactivated", gcEntity::kDeactivated, 0, kParticipant},
        {"entity frozen", gcEntity::kFrozen, 0, kParticipant},
        {"target deactivated", 0, gcEntity::kDeactivated, kParticipant},
        {"target frozen", 0, gcEntity::kFrozen, kParticipant},
        {"no target", 0, 0, kNobody},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_nEntityFlags = row.entityFlags;
        m_pTarget->m_nEntityFlags = row.targetFlags;
        EXPECT_TRUE(Run(gcDoEntityFace(gcDoEntityFace::EF_ENTITY, kInitiator, row.target, {})).empty());
    }
    m_pEntity->m_nEntityFlags = m_pTarget->m_nEntityFlags = 0;
    EXPECT_TRUE(Run(gcDoEntityFace(2, kInitiator, kParticipant, {})).empty());  // no such face type
    EXPECT_TRUE(Run(gcDoEntityFace(gcDoEntityFace::EF_ENTITY, kNobody, kParticipant, {})).empty());
}

// Region 2's zone lies 100 units along +x of region 1's, so its origin is
// along +x of an entity at region 1's origin.
TEST_F(gcEntityActionsTest, FacingAPointGoesThroughBothRegionsZones)
{
    const struct {
        const char* name;
        int16_t pointRegion, entityRegion;
        mVec3 at;
        bool bSent;
        float heading;
    } rows[] = {
        {"same region, along -x", 1, 1, {-5, 0, 0}, true, 90.0f},
        {"next region's origin", 2, 1, {0, 0, 0}, true, -90.0f},
        {"point's region not resident", 3, 1, {0, 5, 0}, false, 0.0f},
        {"entity's region not resident", 1, 3, {0, 5, 0}, false, 0.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_nRegionId = row.entityRegion;
        const gcRegionPoint* p = Point(kPointSlot, row.pointRegion, row.at);
        const std::vector<Sent> sent =
            Run(gcDoEntityFace(gcDoEntityFace::EF_REGIONPOINT, kInitiator, kParticipant, p->m_handle));
        ASSERT_EQ(sent.size(), row.bSent ? 1u : 0u);
        if (row.bSent) {
            EXPECT_NEAR(sent[0].hpr[0], row.heading, 1e-3);
        }
    }
    m_pEntity->m_nRegionId = 1;
    EXPECT_TRUE(Run(gcDoEntityFace(gcDoEntityFace::EF_REGIONPOINT, kInitiator, kParticipant, {})).empty());
}

// ---- move-to ----

TEST_F(gcEntityActionsTest, MoveToSendsPointPathOrDetach)
{
    const gcRegionPoint* pPoint = Point(kPointSlot, 1, {1, 2, 0});
    const gcRegionPath* pPath = Path(kPathSlot);
    gcDoEntityMoveTo toPoint(gcDoEntityMoveTo::EMT_REGIONPOINT, kInitiator, 0x1);
    toPoint.hRegionPoint = pPoint->m_handle;
    std::vector<Sent> sent = Run(toPoint);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].nId, MSG_MOVETOPOINT);
    EXPECT_EQ(sent[0].pWhere, pPoint);
    EXPECT_TRUE(sent[0].bSnap);
    EXPECT_FALSE(sent[0].bOffsetHeight);

    gcDoEntityMoveTo toPath(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, 0x6);
    toPath.hRegionPath = pPath->m_handle;
    toPath.srcOnPath.fConst = 0.25f;
    toPath.destOnPath.fConst = 0.75f;
    sent = Run(toPath);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].nId, MSG_MOVETOPATH);
    EXPECT_EQ(sent[0].pWhere, pPath);
    EXPECT_EQ(sent[0].fSrc, 0.25f);
    EXPECT_EQ(sent[0].fDest, 0.75f);
    EXPECT_TRUE(sent[0].bClosest);
    EXPECT_FALSE(sent[0].bSnap);
    EXPECT_TRUE(sent[0].bOffsetHeight);
    EXPECT_EQ(sent[0].pOnCompleted, &toPath.onCompleted);

    EXPECT_EQ(Ids(Run(gcDoEntityMoveTo(gcDoEntityMoveTo::EMT_DETACHFROMPATH, kInitiator, 0))),
              std::vector<int32_t>{MSG_DETACHFROMPATH});
    EXPECT_TRUE(Run(gcDoEntityMoveTo(3, kInitiator, 0)).empty());
    EXPECT_TRUE(Run(gcDoEntityMoveTo(gcDoEntityMoveTo::EMT_REGIONPOINT, kInitiator, 0)).empty());  // no point
    EXPECT_TRUE(Run(gcDoEntityMoveTo(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, 0)).empty());   // no path
    EXPECT_TRUE(Run(gcDoEntityMoveTo(gcDoEntityMoveTo::EMT_DETACHFROMPATH, kNobody, 0)).empty());
}

TEST_F(gcEntityActionsTest, OwnPathsFallBackToTheRegionPath)
{
    const gcRegionPath* pRegion = Path(kPathSlot, "Region");
    const gcRegionPath* pOwn = Path(kPathSlot + 1, "Own");
    const struct {
        const char* name;
        uint16_t flags;
        int32_t entityPath;
        int ownSlot;  // of m_hPaths holding the entity's path
        const void* path;
    } rows[] = {
        {"own initial path", 0x8, gcEntity::PATH_INITIAL, gcEntity::PATH_INITIAL, pOwn},
        {"own patrol path", 0x8, gcEntity::PATH_PATROL, gcEntity::PATH_PATROL, pOwn},
        {"own patrol slot empty", 0x8, gcEntity::PATH_PATROL, gcEntity::PATH_INITIAL, pRegion},
        {"own path outside the slots", 0x8, 2, gcEntity::PATH_INITIAL, pRegion},
        {"without the flag", 0x0, gcEntity::PATH_INITIAL, gcEntity::PATH_INITIAL, pRegion},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pEntity->m_hPaths[0] = m_pEntity->m_hPaths[1] = gcRegionPathHandle();
        m_pEntity->m_hPaths[row.ownSlot] = pOwn->m_handle;
        gcDoEntityMoveTo a(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, row.flags);
        a.hRegionPath = pRegion->m_handle;
        a.entityPath = row.entityPath;
        const std::vector<Sent> sent = Run(a);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_EQ(sent[0].pWhere, row.path);
    }
}

// Blocks of a version before the oldest read or after the newest are
// refused, even when their fields would read.
TEST_F(gcEntityActionsTest, VersionsOutsideTheReadRangeAreRefused)
{
    const auto entity = [](datagen::BlockWriter& w) { w.Int(gcDesiredEntity::PLAYER).Word(0); };
    const auto number = [](datagen::BlockWriter& w) { w.Int(gcDesiredValue::VAL_NUMBER).Float(1).Int(0).Int(0); };
    const auto refused = [&](auto* p) { return p == nullptr; };
    gcTestLogCapture quiet;  // each refusal is logged
    for (uint32_t version : {0u, 4u}) {
        SCOPED_TRACE(version);
        EXPECT_TRUE(refused(Load<gcDoEntityActivate>(version, [&](auto& w) { entity(w), w.Word(1).Word(1); })));
        EXPECT_TRUE(refused(Load<gcDoEntityChangeState>(version, [&](auto& w) { entity(w), w.Word(0).Int(1).Int(1); })));
    }
    for (uint32_t version : {0u, 2u}) {
        SCOPED_TRACE(version);
        EXPECT_TRUE(refused(Load<gcDoEntityAnimation>(version, [&](auto& w) {
            entity(w);
            w.Begin(1).Begin(1).End().End().Int(1);
        })));
        EXPECT_TRUE(refused(Load<gcDoEntityMakeLeader>(version, entity)));
    }
    for (uint32_t version : {1u, 3u})
        EXPECT_TRUE(refused(Load<gcDoEntityFace>(version, [&](auto& w) { w.Int(0), entity(w), entity(w), w.Word(0); })));
    EXPECT_TRUE(refused(Load<gcDoEntityMoveTo>(9, [&](auto& w) {
        w.Int(0), entity(w), w.Half(0).Word(0).Word(0).Int(0), number(w), number(w);
        w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
    })));
}

// Every version reads the destination before the source.
TEST_F(gcEntityActionsTest, MoveToBlocksStoreTheDestinationFirst)
{
    const auto head = [](datagen::BlockWriter& w, uint32_t version) {
        w.Int(1).Int(gcDesiredEntity::PARTICIPANT1).Word(0).Half(0x000A).Word(0x00050001).Word(0x00060003);
        if (version >= 6)
            w.Int(gcEntity::PATH_INITIAL);
    };
    const auto number = [](datagen::BlockWriter& w, float f) { w.Int(gcDesiredValue::VAL_NUMBER).Float(f).Int(0).Int(0); };
    const struct {
        uint32_t version;
        std::function<void(datagen::BlockWriter&)> values;
        int32_t entityPath;
        bool bEvent;
    } rows[] = {
        {4, [](auto& w) { w.Float(0.9f).Float(0.1f).Float(7.0f); }, gcEntity::PATH_PATROL, false},
        {5, [&](auto& w) { number(w, 0.9f), number(w, 0.1f), number(w, 7.0f); }, gcEntity::PATH_PATROL, false},
        {6, [&](auto& w) { number(w, 0.9f), number(w, 0.1f), number(w, 7.0f); }, gcEntity::PATH_INITIAL, false},
        {7, [&](auto& w) { number(w, 0.9f), number(w, 0.1f); }, gcEntity::PATH_INITIAL, false},
        {8, [&](auto& w) {
             number(w, 0.9f), number(w, 0.1f);
             w.Begin(gcEvent::kVersion).Begin(1).End();
             RecordStepMember(w, 3);
             w.Int(-1).End();
         }, gcEntity::PATH_INITIAL, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        const auto* p = Load<gcDoEntityMoveTo>(row.version, [&](datagen::BlockWriter& w) {
            head(w, row.version);
            row.values(w);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->moveToType, gcDoEntityMoveTo::EMT_REGIONPATH);
        EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::PARTICIPANT1);
        EXPECT_EQ(p->nFlags, 0x000A);
        EXPECT_EQ(p->hRegionPoint.m_nValue, 0x00050001u);
        EXPECT_EQ(p->hRegionPath.m_nValue, 0x00060003u);
        EXPECT_EQ(p->entityPath, row.entityPath);
        EXPECT_EQ(p->destOnPath.desiredValue, gcDesiredValue::VAL_NUMBER);
        EXPECT_EQ(p->destOnPath.fConst, 0.9f);
        EXPECT_EQ(p->srcOnPath.desiredValue, gcDesiredValue::VAL_NUMBER);
        EXPECT_EQ(p->srcOnPath.fConst, 0.1f);
        EXPECT_EQ(p->onCompleted.HasActions(), row.bEvent);
        EXPECT_STREQ(p->onCompleted.sName, "OnCompleted");
    }
    gcTestLogCapture quiet;  // the refusal is logged
    EXPECT_EQ(Load<gcDoEntityMoveTo>(3, [&](auto& w) { head(w, 3), number(w, 1), number(w, 0); }), nullptr);
}

// ---- animation, state, leader ----

TEST_F(gcEntityActionsTest, AnimationStateAndLeaderReachTheEntity)
{
    const gcDoEntityAnimation anim(kInitiator, gcAnimationConfig(), gcMsgPlayAnimation::PRIORITY_HIGH);
    const std::vector<Sent> sent = Run(anim);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].nId, MSG_PLAYANIMATION);
    EXPECT_EQ(sent[0].pWhere, &anim.animationConfig);  // the entity keeps the action's own
    EXPECT_EQ(sent[0].nPriority, gcMsgPlayAnimation::PRIORITY_HIGH);

    m_pTarget->m_nEntityFlags |= gcEntity::kGroupLeader;
    m_pEntity->m_hNeighbors[0] = m_pTarget->m_handle = gcEntityMgr::Add(20, m_pTarget, 0x50);
    gcDoEntityMakeLeader(kInitiator).Apply(m_params);
    EXPECT_TRUE(m_pEntity->m_nEntityFlags & gcEntity::kGroupLeader);
    EXPECT_FALSE(m_pTarget->m_nEntityFlags & gcEntity::kGroupLeader);
}

// A change restarts the entity's time-since-changed-state counter.
TEST_F(gcEntityActionsTest, ChangeStateNeedsAMachineAndForceForTheSameState)
{
    gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
    const gcStateMachineHandle hMachine = gcStateMachineMgr::Add(4, pMachine, 0x44);
    const struct {
        const char* name;
        bool bMachine;
        int8_t from;
        int32_t to;
        bool bForce, bChanged;
    } rows[] = {
        {"another state", true, 1, 2, false, true},
        {"the same state unforced", true, 2, 2, false, false},
        {"the same state forced", true, 2, 2, true, true},
        {"template without a machine", false, 1, 2, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_pTemplate->hStateMachine = row.bMachine ? hMachine : gcStateMachineHandle();
        m_pEntity->m_stateInfo.m_nCurState = row.from;
        m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_CHANGEDSTATE] = cTimeValue(99);
        gcDoEntityChangeState(kInitiator, {}, row.to, row.bForce).Apply(m_params);
        EXPECT_EQ(m_pEntity->m_entityTimeSince[gcEntity::TIMESINCE_CHANGEDSTATE].m_nTicks == 0, row.bChanged);
    }
}

TEST_F(gcEntityActionsTest, OldChangeStateBlocksAreNotForced)
{
    const auto* p = Load<gcDoEntityChangeState>(1, [](auto& w) { w.Int(0).Int(0).Word(0x00080001).Int(-2); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredEntity.desiredEntity, gcDesiredEntity::PLAYER);
    EXPECT_EQ(p->hStateMachine.m_nValue, 0x00080001u);
    EXPECT_EQ(p->nState, -2);
    EXPECT_FALSE(p->bForce);
}

// ---- texts ----

TEST_F(gcEntityActionsTest, TextsNameTheEntityAndWhatItIsTold)
{
    gcStateMachine* pMachine = m_pool.New<gcStateMachine>();
    pMachine->m_name.Set("Guard");
    const gcStateMachineHandle hMachine = gcStateMachineMgr::Add(4, pMachine, 0x44);
    const gcRegionPointHandle hPoint = Point(kPointSlot, 1, {0, 0, 0}, "Door")->m_handle;
    const gcRegionPathHandle hPath = Path(kPathSlot, "Walk")->m_handle;
    gcDoEntityMoveTo path(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, 0x0);
    path.hRegionPath = hPath;
    gcDoEntityMoveTo ownPath(gcDoEntityMoveTo::EMT_REGIONPATH, kInitiator, 0x9);
    ownPath.entityPath = gcEntity::PATH_INITIAL;
    ownPath.onCompleted.pAction = m_pool.New<gcDoEntityMakeLeader>(kInitiator);
    gcDoEntityMoveTo point(gcDoEntityMoveTo::EMT_REGIONPOINT, kInitiator, 0x1);
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
        {gcDoEntityMoveTo(gcDoEntityMoveTo::EMT_DETACHFROMPATH, kInitiator, 0x1), "Initiator.DetachFromPath( )"},
        {path, "Initiator.MoveTo( [Walk] )"},
        {ownPath, "Initiator.SnapTo( Initial ) {OnCompleted}"},
        {point, "Initiator.SnapTo( [Door] )"},
        {gcDoEntityMoveTo(7, kInitiator, 0x0), "Initiator.MoveTo( ??? )"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Text(row.action), row.text);
    EXPECT_STREQ(gcDoEntityMoveTo::GetMoveToTypeText(2), "DetachFromPath");
    EXPECT_STREQ(gcDoEntityMoveTo::GetMoveToTypeText(3), "???");
}

}  // namespace
