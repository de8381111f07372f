#pragma once
// The fixture of the NPC tests: the creature world, an NPC template (health
// 100, the figure mesh with collider (0.5, 0.5, 1), a walk that strides 2
// units along +y every 20 ticks, every other configuration without an
// animation so that it plays for 1 tick), NPCs of it in region 1, a map
// whose boundary range the tests fill, and script events that record.

#include "creatureTestFixture.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/flow/gcMap.h"
#include "mMath/mRand.h"

// Record tags of the template's events.
enum NPCEventTag : int32_t {
    TAG_DEATH = 5,
    TAG_HITBOUNDARY = 6,
    TAG_HITNEIGHBOR = 7,
    TAG_ENRAGED = 11,
    TAG_INSTANCE_DEATH = 50,
};

class NPCTest : public CreatureTest {
protected:
    static constexpr int kMeshSlot = 5;
    static constexpr int kWalkSlot = 6;
    static constexpr int kBoundarySlot = 20;

    void SetUp() override
    {
        CreatureTest::SetUp();
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = mVec3(0.5f, 0.5f, 1.0f);
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, mesh), nullptr);
        datagen::AnimationDesc walk;
        walk.name = "stride";
        walk.frames = 9;
        walk.nodes.resize(1);
        for (int k = 0; k < walk.frames; ++k) {
            walk.nodes[0].positions.push_back(mVec3(0, 2.0f * static_cast<float>(k), 0));
            walk.nodes[0].rotations.push_back(mQuat(0, 0, 0, 1));
        }
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, kWalkSlot, walk), nullptr);
        m_t = m_pool.New<gcNPCTemplate>();
        m_t->hMesh = eMeshMgr::GetHandle(kMeshSlot);
        m_t->fEntityStatsMax[gcEntityTemplate::STAT_HEALTH] = 100.0f;
        m_t->team = gcEntityTemplate::TEAM_UNFRIENDLY;
        m_t->animationConfigs[gcNPCTemplate::ANIM_WALK].hAnimation = eAnimationMgr::GetHandle(kWalkSlot);
        FillEvent(m_t->onDeath, b.Record(TAG_DEATH));
        FillEvent(m_t->onHitBoundary, b.Record(TAG_HITBOUNDARY));
        FillEvent(m_t->onHitNeighbor, b.Record(TAG_HITNEIGHBOR));
        FillEvent(m_t->onEnraged, b.Record(TAG_ENRAGED));
        gcEntityTemplateMgr::Add(kTemplateSlot, m_t, 0x77);
        m_map.m_boundaries.m_nBegin = m_map.m_boundaries.m_nEnd = kBoundarySlot;
        mRandReset();
    }
    void TearDown() override
    {
        for (gcBoundary*& p : gcBoundaryMgr::s_pInstances)
            p = nullptr;
        CreatureTest::TearDown();
    }

    // A new NPC of the template at a point of region 1, facing the heading.
    gcNPC* NewNPC(const mVec3& at, float fHeading = 0.0f)
    {
        auto* p = static_cast<gcNPC*>(m_t->CreateInstance(&m_pool));
        m_entities.push_back(p);
        p->m_nRegionId = 1;
        p->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, fHeading);
        p->Reset(&m_pool);
        FillEvent(p->onDeath, b.Record(TAG_INSTANCE_DEATH));
        return p;
    }
    // Unfrozen and activated: standing (or dead) in the world.
    gcNPC* RunningNPC(const mVec3& at, float fHeading = 0.0f)
    {
        gcNPC* p = NewNPC(at, fHeading);
        p->Send(gcMsgUnfreeze());
        p->Send(gcMsgActivate());
        return p;
    }
    // A rectangle of the map in region 1 (zone A) centred at the point.
    gcBoundary* PlaceBoundary(const mVec3& at, float fWidth, float fDepth)
    {
        gcBoundary* p = m_pool.New<gcBoundary>();
        p->m_nRegionId = 1;
        p->m_localToRegion = MakeFrame(at.x, at.y, at.z);
        p->m_fWidth = fWidth;
        p->m_fDepth = fDepth;
        const int slot = m_map.m_boundaries.m_nEnd++;
        gcBoundaryMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        return p;
    }
    int Count(int32_t tag) const
    {
        int n = 0;
        for (int32_t t : TestLogTags())
            n += t == tag;
        return n;
    }
    void Tick(gcNPC* p, int n = 1)
    {
        for (int i = 0; i < n; ++i)
            p->Send(gcMsgTick(cTimeValue(20)));
    }

    gcMap m_map;
    gcNPCTemplate* m_t = nullptr;
};
