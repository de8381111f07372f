#include "gcGameCore/creatures/gcPlayer.h"

#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

#include "eEngine/eInput.h"
#include "gcGameCore/entities/entityTestObjects.h"
#include "gcGameCore/flow/gcPlayerConfig.h"

namespace {

class gcPlayerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::fill(std::begin(eInput::s_joyState), std::end(eInput::s_joyState), eInput::eInputState{});
        gcPlayer::Get()->m_nControllerId = -1;
        gcPlayer::s_timePlayed = cTimeValue(0);
    }
    void TearDown() override
    {
        SetUp();
        gcPlayer::Get()->m_pEntity = nullptr;
        gcPlayer::Get()->m_pInteractTarget = nullptr;
        if (gcPlayerConfig::s_pPlayerConfig)
            std::destroy_at(gcPlayerConfig::s_pPlayerConfig);
    }
    static void Press(int port, eInput::eButton button) { eInput::s_joyState[port].bButtonPressed[button] = true; }
};

TEST_F(gcPlayerTest, ConfirmIsAskedOverAllPortsBeforeStartAndAChosenPortStays)
{
    gcPlayer* p = gcPlayer::Get();
    p->DeterminePlayerController();
    EXPECT_EQ(p->m_nControllerId, -1);  // nobody answered: asked again next time
    Press(1, eInput::JOYBTN_UI_START);
    Press(2, eInput::JOYBTN_UI_START);
    Press(3, eInput::JOYBTN_UI_CONFIRM);
    p->DeterminePlayerController();
    EXPECT_EQ(p->m_nControllerId, 3);
    Press(0, eInput::JOYBTN_UI_CONFIRM);
    p->DeterminePlayerController();
    EXPECT_EQ(p->m_nControllerId, 3);
}

TEST_F(gcPlayerTest, SwitchingConfigurationsClearsEntityAndTimeAndKeepsTheController)
{
    gcPlayer* p = gcPlayer::Get();
    p->m_nControllerId = 2;
    cMemPool pool("gcPlayerTest", 0x4000, false);
    // Both destroyed by UpdatePlayerConfig(-1): the configuration owns its entity.
    gcTestEntity& entity = *pool.New<gcTestEntity>();
    entity.m_nRegionId = 4;
    entity.m_name.Set("Hero");
    gcPlayerConfig* pConfig = pool.New<gcPlayerConfig>();
    ASSERT_NE(pConfig, nullptr);
    pConfig->m_nPlayerConfigId = 3;
    pConfig->m_pEntity = &entity;

    gcPlayer::UpdateTimePlayed(cTimeValue(500));
    EXPECT_TRUE(p->UpdatePlayerConfig(3));  // already loaded: the same id again
    EXPECT_EQ(p->m_pEntity, &entity);
    EXPECT_STREQ(entity.m_name.m_sData, "Player");
    EXPECT_EQ(entity.m_nRegionId, -1);
    EXPECT_EQ(gcPlayer::s_timePlayed, cTimeValue(0));

    gcPlayer::UpdateTimePlayed(cTimeValue(40));
    {
        gcTestLogCapture quiet;
        EXPECT_FALSE(p->UpdatePlayerConfig(5));  // cannot be loaded
    }
    EXPECT_EQ(p->m_pEntity, nullptr);
    EXPECT_EQ(gcPlayer::s_timePlayed, cTimeValue(0));

    gcPlayer::UpdateTimePlayed(cTimeValue(40));
    EXPECT_TRUE(p->UpdatePlayerConfig(-1));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
    EXPECT_TRUE(p->UpdatePlayerConfig(-1));  // nothing loaded
    EXPECT_EQ(p->m_pEntity, nullptr);
    EXPECT_EQ(gcPlayer::s_timePlayed, cTimeValue(0));
    EXPECT_EQ(p->m_nControllerId, 2);
}

// The HUD and the scripts read the target between the biped's ticks: it must
// not outlive the map nor its entity.
TEST_F(gcPlayerTest, TheInteractionTargetGoesWithTheMapAndWithItsEntity)
{
    gcPlayer* p = gcPlayer::Get();
    cMemPool pool("gcPlayerTest", 0x4000, false);
    gcTestEntity* pTarget = pool.New<gcTestEntity>();
    gcTestEntity* pOther = pool.New<gcTestEntity>();
    p->m_pInteractTarget = pTarget;
    std::destroy_at(pOther);
    EXPECT_EQ(p->m_pInteractTarget, pTarget);
    std::destroy_at(pTarget);
    EXPECT_EQ(p->m_pInteractTarget, nullptr);

    gcTestEntity* pNext = pool.New<gcTestEntity>();
    p->m_pInteractTarget = pNext;
    EXPECT_TRUE(p->UpdatePlayerConfig(-1));  // the map ends
    EXPECT_EQ(p->m_pInteractTarget, nullptr);
    std::destroy_at(pNext);
}

}  // namespace
