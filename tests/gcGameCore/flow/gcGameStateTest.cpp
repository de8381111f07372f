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

TEST_F(gcGameStateTest, RefusesOldVersionsAndTruncation)
{
    gcTestLogCapture quiet;
    ASSERT_TRUE(SaveBlock(2));
    EXPECT_FALSE(gcGame::LoadGameState());
    EXPECT_EQ(gcGameState::s_pGameState, nullptr);
    datagen::BlockWriter w;
    datagen::GameStateBlock(w.Header(), 4, kValues).Trailer();
    for (size_t n = 0; n + 4 < w.Size(); n += 3) {
        ASSERT_TRUE(datagen::WriteBytes(GamePath("GameState.gs"), w.Prefix(n)));
        EXPECT_FALSE(gcGame::LoadGameState()) << n;
        EXPECT_EQ(gcGameState::s_pGameState, nullptr) << n;
    }
}

TEST_F(gcGameStateTest, WriterAndHandLaidBlockAgreeByteForByte)
{
    ASSERT_TRUE(SaveBlock(4));
    ASSERT_TRUE(datagen::WriteGameStateFile(m_dir.HostPath("written.gs"), kValues));
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("written.gs")), ReadHostFile(GamePath("GameState.gs")));
    ASSERT_TRUE(gcGame::LoadGameState());
    cFile out;
    ASSERT_TRUE(out.Create(m_dir.HostPath("again.gs").c_str(), 0, cFile::kPlatformConsole, true));
    gcGameState::s_pGameState->Write(out);
    out.Close();
    EXPECT_EQ(ReadHostFile(m_dir.HostPath("again.gs")), ReadHostFile(GamePath("GameState.gs")));
    cStr name;
    gcGameState::GetFilename(&name);
    EXPECT_STREQ(name.m_sData, "/Game/GameState.gs");
}

}  // namespace
