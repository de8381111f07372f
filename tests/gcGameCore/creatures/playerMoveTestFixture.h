#pragma once
// The fixture shared by the players' movement tests: the collision tests'
// zones, zone slot 0 resident as region 1 and no other, the active creature
// table emptied, and the player's data: a figure mesh of a collider size and
// one animation whose root moves forward at a speed. The fixture destroys
// the player the test class names and empties the template slot.

#include <memory>

#include <gtest/gtest.h>

#include "eEngine/collisionTestSupport.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/entities/gcEntityWorld.h"

class PlayerMoveTest : public CollisionTest {
protected:
    static constexpr int kMeshSlot = 5, kAnimSlot = 6, kTemplateSlot = 3;

    void SetUp() override
    {
        CollisionTest::SetUp();
        gcEntityWorld::Funcs funcs{};
        funcs.pGetRegionId = [](int slot) { return slot == 0 ? 1 : -1; };
        m_oldFuncs = gcEntityWorld::Set(funcs);
        for (gcCreature*& p : gcCreature::s_pActiveCreatures)
            p = nullptr;
        gcCreature::s_nActiveCreatures = 0;
    }
    void TearDown() override
    {
        if (gcEntity* p = Player())
            std::destroy_at(p);
        gcEntityTemplateMgr::s_pInstances[kTemplateSlot] = nullptr;
        ClearModelManagers();
        gcEntityWorld::Set(m_oldFuncs);
        CollisionTest::TearDown();
    }
    // The mesh in kMeshSlot and, in kAnimSlot, two frames of a second whose
    // root moves fSpeed units a second along +y.
    void PlaceFigure(const mVec3& colliderSize, float fSpeed, bool bLooping)
    {
        datagen::MeshDesc mesh = FigureDesc();
        mesh.colliderSize = colliderSize;
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, mesh), nullptr);
        datagen::AnimationDesc anim;
        anim.frames = 2;
        anim.frameLength = 600;
        anim.bLooping = bLooping;
        anim.nodes.push_back({{{0, 0, 0}, {0, fSpeed, 0}}, {mQuat(0, 0, 0, 1)}});
        ASSERT_NE(PlaceAnimation(m_data, &m_pool, kAnimSlot, anim), nullptr);
    }
    // The player under test; null before it is placed.
    virtual gcCreature* Player() const = 0;
    // Ticks of 20 until the state is reached (or n ticks); the ticks run.
    int TickUntil(int state, int n)
    {
        for (int i = 1; i <= n; ++i) {
            Player()->Send(gcMsgTick(cTimeValue(20)));
            if (Player()->m_nCurState == state)
                return i;
        }
        return -1;
    }
    mVec3 Pos() const { return Player()->m_model.m_localToParent.origin; }

    gcEntityWorld::Funcs m_oldFuncs{};
};
