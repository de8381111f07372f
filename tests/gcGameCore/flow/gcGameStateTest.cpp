#include "gcGameCore/flow/gcGameState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "datagen/effectWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/itemWriters.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
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

// A version 4 state whose effect-template group holds one template with a
// pool of two instances in slot 5.
bool SaveStateWithEffectTemplate(const std::string& path)
{
    datagen::EffectTemplateDesc desc;
    desc.name = "spark";
    desc.maxInstances = 2;
    const datagen::GroupRecord record = {0x105, [&](datagen::BlockWriter& w) {
                                             w.Word(gcEffectTemplate::GetStaticType()->m_nTypeId);
                                             datagen::EffectTemplateBlock(w, desc, gcEffectTemplate::kVersion);
                                         }};
    datagen::BlockWriter w;
    datagen::KeyValueGroupBlock(w.Header().Begin(4).Begin(1).End(), 50, {});
    datagen::GroupBlock(w, 5, {record});
    datagen::EmptyGroupBlock(w, 5).End().Trailer();
    return w.Save(path);
}

TEST_F(gcGameStateTest, EveryLoadHandsOutResetEffectInstances)
{
    ASSERT_TRUE(SaveStateWithEffectTemplate(GamePath("GameState.gs")));
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load);
        ASSERT_TRUE(gcGame::LoadGameState());
        const gcEffectTemplate* pTemplate = gcEffectTemplateMgr::s_pInstances[5];
        ASSERT_NE(pTemplate, nullptr);
        ASSERT_EQ(pTemplate->GetMaxInstances(), 2);
        for (int i = 0; i < 2; ++i) {
            const gcEffect* p = pTemplate->GetInstanceAt(i);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->m_hTemplate, pTemplate->m_handle);
            EXPECT_STREQ(p->m_name.m_sData, "spark");
            EXPECT_NE(p->m_nFlags & gcEffect::kPooled, 0);
        }
    }
}

// A version 4 state with an effect template in slot 5 and an item template
// in slot 6 whose two items carry that effect.
bool SaveStateWithItemTemplate(const std::string& path)
{
    datagen::EffectTemplateDesc glow;
    glow.name = "glow";
    datagen::ItemTemplateDesc lamp;
    lamp.name = "lamp";
    lamp.maxCount = 2;
    lamp.effects[1] = 0x01050005;  // slot 5, check 0x105
    const datagen::GroupRecord effect = {0x105, [&](datagen::BlockWriter& w) {
                                             w.Word(gcEffectTemplate::GetStaticType()->m_nTypeId);
                                             datagen::EffectTemplateBlock(w, glow, gcEffectTemplate::kVersion);
                                         }};
    const datagen::GroupRecord item = {0x106, [&](datagen::BlockWriter& w) {
                                           w.Word(gcItemTemplate::GetStaticType()->m_nTypeId);
                                           datagen::ItemTemplateBlock(w, lamp, gcItemTemplate::kVersion);
                                       }};
    datagen::BlockWriter w;
    datagen::KeyValueGroupBlock(w.Header().Begin(4).Begin(1).End(), 50, {});
    datagen::GroupBlock(w, 5, {effect});
    datagen::GroupBlock(w, 6, {item}).End().Trailer();
    return w.Save(path);
}

TEST_F(gcGameStateTest, EveryLoadHandsOutResetItems)
{
    ASSERT_TRUE(SaveStateWithItemTemplate(GamePath("GameState.gs")));
    for (int load = 0; load < 2; ++load) {
        SCOPED_TRACE(load);
        ASSERT_TRUE(gcGame::LoadGameState());
        const gcItemTemplate* pTemplate = gcItemTemplateMgr::s_pInstances[6];
        ASSERT_NE(pTemplate, nullptr);
        ASSERT_EQ(pTemplate->GetNumInstances(), 2);
        for (int i = 0; i < 2; ++i) {
            const gcItem* p = pTemplate->GetInstanceAt(i);
            ASSERT_NE(p, nullptr);
            EXPECT_EQ(p->m_hTemplate, pTemplate->m_handle);
            EXPECT_STREQ(p->m_name.m_sData, "lamp");
            ASSERT_NE(p->m_pEffects[1], nullptr) << "built by the reset";
            EXPECT_STREQ(p->m_pEffects[1]->m_name.m_sData, "glow");
        }
    }
}

}  // namespace
