#pragma once
// The fixture of the biped's state tests: the creature world, a biped
// player template in the template slot and a biped of it placed in region
// 1, enabled and standing.

#include "creatureTestFixture.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"

class BipedTest : public CreatureTest {
protected:
    using B = gcPlayerBiped;
    using T = gcPlayerBipedTemplate;

    void SetUp() override
    {
        CreatureTest::SetUp();
        m_pTemplate = m_pool.New<gcPlayerBipedTemplate>();
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x77);
        m_pBiped = NewBiped({0, 0, 0});
        m_map.m_entities.m_nBegin = m_map.m_entities.m_nEnd = kFirstFoe;
    }
    gcPlayerBiped* NewBiped(const mVec3& at)
    {
        auto* p = static_cast<gcPlayerBiped*>(m_pTemplate->CreateInstance(&m_pool));
        m_entities.push_back(p);
        p->m_nRegionId = 1;
        p->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, 0.0f);
        EXPECT_TRUE(p->Reset(&m_pool));
        p->m_team = gcEntityTemplate::TEAM_FRIENDLY;
        p->Send(gcMsgActivate());
        p->Send(gcMsgUnfreeze());
        return p;
    }
    void TearDown() override
    {
        gcEntityTemplateMgr::s_pInstances[kFoeSlot] = nullptr;
        for (int i = kFirstFoe; i < m_map.m_entities.m_nEnd; ++i)
            gcEntityMgr::s_pInstances[i] = nullptr;
        m_map.m_entities.m_nEnd = m_map.m_entities.m_nBegin;  // the fixture's pool owns them
        CreatureTest::TearDown();
    }
    // Unfriendly, enabled test creatures of a template in the next slot, in
    // the map's entity slots as targeting candidates.
    gcTestCreature* PlaceFoe(const mVec3& at)
    {
        if (!m_pFoes) {
            m_pFoes = m_pool.New<gcTestCreatureTemplate>();
            gcEntityTemplateMgr::Add(kFoeSlot, m_pFoes, 0x78);
        }
        gcTestCreature* c = PlacedCreature(m_pFoes, at);
        c->m_nEntityFlags = 0;
        c->m_team = gcEntityTemplate::TEAM_UNFRIENDLY;
        c->SetStat(gcEntityTemplate::STAT_HEALTH, 10.0f);  // a template without mesh resets no stats
        EXPECT_TRUE(c->Enable());
        gcEntityMgr::s_pInstances[m_map.m_entities.m_nEnd++] = c;
        return c;
    }
    // Puts the biped into a state without its enter.
    void Force(int state)
    {
        m_pBiped->m_nCurState = static_cast<int8_t>(state);
        m_pBiped->m_nNextState = static_cast<int8_t>(state);
    }

    static constexpr int kFoeSlot = kTemplateSlot + 1;
    static constexpr int kFirstFoe = 60;
    gcMap m_map;
    gcTestCreatureTemplate* m_pFoes = nullptr;
    gcPlayerBipedTemplate* m_pTemplate = nullptr;
    gcPlayerBiped* m_pBiped = nullptr;
};
