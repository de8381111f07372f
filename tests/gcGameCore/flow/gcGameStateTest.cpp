#include "gcGameCore/flow/gcGameState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/flowWriters.h"
#include "gcFlowTestSupport.h"

namespace {

const std::vector<datagen::KeyValueRecord> kValues = {{"Keys", 3.0f}, {"Doors", -1.5f}, {"Bells", 0.25f}};

class gcGameStateTest : public gcFlowTest {
protected:
    bool SaveBlock(uint32_t version, const std::vector<datagen::KeyValueRecord>& values = kValues)
    {
        datagen::BlockWriter w;
        datagen::GameStateBlock(w.Header(), version, values).Trailer();
        return w.Save(GamePath("GameState.gs"));
    }
    // The loaded key values, by slot from 50.
    static std::vector<std::pair<std::string, float>> KeyValues()
    {
        std::vector<std::pair<std::string, float>> out;
        const gcKeyValueGroup& g = gcGameState::s_pGameState->m_keyValues;
        for (int slot = g.m_nBegin; slot < g.m_nEnd; ++slot) {
            const gcKeyValue* p = gcKeyValueMgr::s_pInstances[slot];
            out.emplace_back(p ? p->m_name.m_sData : "-", p ? p->m_fValue : 0.0f);
        }
        return out;
    }
};

TEST_F(gcGameStateTest, VersionsThreeAndFourLoadTheSameState)
{
    const std::vector<std::pair<std::string, float>> expected = {{"Keys", 3.0f}, {"Doors", -1.5f}, {"Bells", 0.25f}};
    for (uint32_t version : {3u, 4u}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(SaveBlock(version));
        ASSERT_TRUE(gcGame::LoadGameState());
        EXPECT_EQ(gcGameState::s_pGameState->m_keyValues.m_nBegin, 50);
        EXPECT_EQ(KeyValues(), expected);
    }
}

TEST_F(gcGameStateTest, NewStateKeepsOneHundredKeyValuesFromSlotFifty)
{
    gcGameConfig::PrepPool(gcGame::s_gameStatePool, gcGameConfig::GetGameStatePoolSize());
    const gcGameState* p = gcGame::s_gameStatePool.New<gcGameState>();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->m_keyValues.m_nBegin, 50);
    EXPECT_EQ(p->m_keyValues.m_nEnd, 150);  // the profiles store exactly 100
    std::destroy_at(p);
}

TEST_F(gcGameStateTest, EveryLoadReadsTheFileAfresh)
{
    ASSERT_TRUE(SaveBlock(4));
    ASSERT_TRUE(gcGame::LoadGameState());
    gcKeyValueMgr::s_pInstances[50]->m_fValue = 99.0f;  // a map changed it
    ASSERT_TRUE(gcGame::LoadGameState());
    EXPECT_FLOAT_EQ(gcKeyValueMgr::s_pInstances[50]->m_fValue, 3.0f);
    ASSERT_TRUE(SaveBlock(4, {{"Keys", 7.0f}}));
    ASSERT_TRUE(gcGame::LoadGameState());
    EXPECT_EQ(KeyValues().size(), 1u);
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[51], nullptr) << "the old state's values went with it";
}

TEST_F(gcGameStateTest, MissingFileKeepsTheResidentState)
{
    ASSERT_TRUE(SaveBlock(4));
    ASSERT_TRUE(gcGame::LoadGameState());
    const gcGameState* pResident = gcGameState::s_pGameState;
    std::filesystem::remove(GamePath("GameState.gs"));
    gcTestLogCapture quiet;
    EXPECT_FALSE(gcGame::LoadGameState());
    EXPECT_EQ(gcGameState::s_pGameState, pResident);
    EXPECT_FLOAT_EQ(gcKeyValueMgr::s_pInstances[50]->m_fValue, 3.0f);
}

TEST_F(gcGameStateTest, RefusesVersionsBelowThree)
{
    gcTestLogCapture quiet;
    ASSERT_TRUE(SaveBlock(2));
    EXPECT_FALSE(gcGame::LoadGameState());
    EXPECT_EQ(gcGameState::s_pGameState, nullptr);
    EXPECT_EQ(gcKeyValueMgr::s_pInstances[50], nullptr);
    cStr name;
    gcGameState::GetFilename(&name);
    EXPECT_STREQ(name.m_sData, "/Game/GameState.gs");
}

}  // namespace
