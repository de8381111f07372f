// The sample biped player configuration loads as the game loads one: its
// entity is a biped of the biped template, with its mesh and walk.
#include <gtest/gtest.h>

#include "../flow/gcFlowTestSupport.h"
#include "datagen/playerWriters.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "mMath/mQuat.h"

namespace {

class BipedConfigTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        gcGameConfig::PrepPool(gcGame::s_gamePool, gcGameConfig::GetGamePoolSize());
        ASSERT_NE(gcGame::s_gamePool.New<gcGame>(), nullptr);
    }
};

TEST_F(BipedConfigTest, TheSampleConfigurationMakesABipedInEntitySlotZero)
{
    datagen::BipedPlayerDesc d;
    d.walkSpeed = 2.0f;
    ASSERT_TRUE(datagen::WriteBipedPlayerConfigFile(m_dir.HostPath("Game/PlayerConfig01.pc"), d));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
    auto* pBiped = dcast<gcPlayerBiped>(gcPlayerConfig::s_pPlayerConfig->m_pEntity);
    ASSERT_NE(pBiped, nullptr);
    EXPECT_EQ(gcEntityMgr::s_pInstances[0], pBiped);
    ASSERT_NE(pBiped->m_pTemplate, nullptr);
    EXPECT_EQ(pBiped->m_pTemplate->nCollisionMask, 0xFFFFFFFFu);
    EXPECT_TRUE(pBiped->GetColliderSize().ApproxEqual(d.colliderSize, 1e-3f));
    const eAnimation* pWalk =
        eAnimationMgr::GetPtr(pBiped->m_pTemplate->animationConfigs[gcPlayerBipedTemplate::ANIM_WALK].hAnimation);
    ASSERT_NE(pWalk, nullptr);
    mVec3 step;
    mQuat turn;
    EXPECT_EQ(pWalk->m_length.m_nTicks, datagen::kBipedStrideTicks) << "a stride's loop";
    pWalk->CalcNodeDelta(0, cTimeValue(0), cTimeValue(150), 1.0f, &step, &turn);
    EXPECT_NEAR(step.y, 0.5f, 1e-3f);  // a quarter of a second at 2 units a second
}

}  // namespace
