#pragma once
// The fixture of the creature tests: the entity world of the entity tests
// (regions 1 and 2 resident in zones A and B), a test creature template in
// the template slot, creatures of it placed in region 1, and the active
// table and damage log emptied around each test.

#include <gtest/gtest.h>

#include "../entities/entityTestObjects.h"
#include "creatureTestTypes.h"

class CreatureTest : public EntityWorldTest {
protected:
    void SetUp() override
    {
        EntityWorldTest::SetUp();
        for (gcCreature*& p : gcCreature::s_pActiveCreatures)
            p = nullptr;
        gcCreature::s_nActiveCreatures = 0;
        DamageLog().clear();
    }

    gcTestCreatureTemplate* PlaceCreatureTemplate()
    {
        gcTestCreatureTemplate* p = m_pool.New<gcTestCreatureTemplate>();
        gcEntityTemplateMgr::Add(kTemplateSlot, p, 0x77);
        return p;
    }
    // A creature of the template, reset, at a point of region 1 facing the
    // heading (degrees).
    gcTestCreature* PlacedCreature(const gcEntityTemplate* pTemplate, const mVec3& at, float fHeading = 0.0f)
    {
        auto* c = static_cast<gcTestCreature*>(pTemplate->CreateInstance(&m_pool));
        m_entities.push_back(c);
        c->m_nRegionId = 1;
        c->m_model.m_localToParent = MakeFrame(at.x, at.y, at.z, fHeading);
        c->Reset(&m_pool);
        return c;
    }
    // A player of the template whose template check has gone stale: its
    // reset fails, and Activate after Unfreeze is taken but leaves it
    // disabled and deactivated.
    void ExpectStaysDisabledWithoutItsTemplate(const gcEntityTemplate* pTemplate, int nDisabledState)
    {
        gcEntity* pStray = pTemplate->CreateInstance(&m_pool);
        m_entities.push_back(pStray);
        pStray->m_nRegionId = 1;
        pStray->m_hTemplate = gcEntityTemplateHandle::Make(kTemplateSlot, 0x76);  // a stale check
        EXPECT_FALSE(pStray->Reset(&m_pool));
        pStray->Send(gcMsgUnfreeze());
        EXPECT_EQ(pStray->Send(gcMsgActivate()), 1);
        EXPECT_EQ(pStray->m_nCurState, nDisabledState);
        EXPECT_EQ(pStray->m_nEntityFlags & gcEntity::kDeactivated, gcEntity::kDeactivated);
    }
};
