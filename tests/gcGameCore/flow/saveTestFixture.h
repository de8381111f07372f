#pragma once
// The fixture of the save-game tests: a creature as the player's entity in
// the creature tests' world, a game object named "SaveTest", a game state
// with its key values, item templates whose items lie in the Game State
// pool (sword, gem, coins) or in the Map pool (key), and a memory card in a
// temporary folder. Profile 2 (index 1) is current.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../creatures/creatureTestFixture.h"
#include "../test/card_test.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eMemCard.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "tempDir.h"

class SaveTest : public CreatureTest {
protected:
    void SetUp() override
    {
        CreatureTest::SetUp();
        ASSERT_TRUE(m_card.Valid());
        CARDTestSetRoot(m_cardRoot.c_str());
        eMemCard::Initialize("Quillmere Test", "Maker");
        eMemCard::SetSlot(0);
        gcGameConfig::PrepPool(*gcGame::GetGameStatePool(), 0x40000);
        gcGameConfig::PrepPool(gcGame::s_mapPool, 0x40000);
        m_pGame = m_pool.New<gcGame>();
        m_pGame->m_name.Set("SaveTest");
        m_pState = gcGame::GetGameStatePool()->New<gcGameState>();
        gcGameSave::ResetAllProfiles();
        gcGameSave::s_gameData.nLastUsedProfile = 0;
        gcGameSave::s_nCurProfile = 1;
        gcGameSave::s_fOptionValues[0] = gcGameSave::s_fOptionValues[1] = 1.0f;
        m_bRumble = eInput::s_bRumble;
        m_pCreature = PlacedCreature(PlaceCreatureTemplate(), {0, 0, 0});
        gcPlayer::Get()->m_pEntity = m_pCreature;
    }
    void TearDown() override
    {
        StripPlayer();
        gcPlayer::Get()->m_pEntity = nullptr;
        gcPlayer::s_timePlayed = cTimeValue(0);
        for (int i = 0; i < gcItemTemplateMgr::kSlots; ++i)
            gcItemTemplateMgr::Remove(i);
        for (int slot : {50, 52})
            gcKeyValueMgr::Remove(slot);
        gcGameSave::s_nCurProfile = -1;
        eInput::s_bRumble = m_bRumble;
        std::destroy_at(m_pState);
        std::destroy_at(m_pGame);
        CreatureTest::TearDown();
        gcGame::GetGameStatePool()->Reset();
        gcGame::s_mapPool.Reset();
        CARDTestSetRoot(nullptr);
    }

    // A template in the slot (check 0x40 + slot) with its items in the pool.
    gcItemTemplate* MakeTemplate(const char* name, int slot, int nMax, uint16_t flags, cMemPool* pPool)
    {
        auto* p = pPool->New<gcItemTemplate>();
        p->m_name.Set("%s", name);
        p->m_nFlags = flags;
        p->m_nCategoryMask = 0x1;
        gcItemTemplateMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        p->SetMaxInstances(nMax, pPool);
        p->ResetInstances();
        m_templates.push_back(p);
        return p;
    }
    // Every item of the test's templates back in its pool.
    void StripPlayer()
    {
        for (gcItemTemplate* t : m_templates)
            for (int i = 0; i < t->GetNumInstances(); ++i)
                if (gcItem* p = t->GetInstanceAt(i); p && (p->m_pParentEntity || p->m_pParentItem))
                    p->Detach();
        m_pCreature->m_pItems = nullptr;
    }

    // Volumes, options, a map request, key values, time, items and stats.
    void SetUpRunningGame()
    {
        eAudio::SetGroupVolume(eAudio::ACG_SFX, 0, 0.5f);
        eAudio::SetGroupVolume(eAudio::ACG_BGM, 0, 0.25f);
        eInput::s_bRumble = true;
        gcGameSave::s_fOptionValues[0] = -1.0f;
        m_pGame->SetNextMapToLoad(2, 1, 3);
        AddKeyValue(50, 7.5f);
        AddKeyValue(52, -2.0f);
        gcPlayer::s_timePlayed = cTimeValue(1234);
        cMemPool* pState = gcGame::GetGameStatePool();
        m_pSwordTemplate = MakeTemplate("sword", 5, 3, 0, pState);
        m_pCoinTemplate = MakeTemplate("coins", 6, 10, gcItemTemplate::kStackable, pState);
        m_pKeyTemplate = MakeTemplate("key", 7, 1, 0, &gcGame::s_mapPool);
        m_pGemTemplate = MakeTemplate("gem", 8, 2, 0, pState);
        m_pSword = m_pSwordTemplate->GetInstance();
        m_pCreature->AddItem(m_pSword, 1);
        m_pSword->Equip();
        m_pGem = m_pGemTemplate->GetInstance();
        m_pCreature->AddItem(m_pGem, 1);
        m_pSword->AddChild(m_pGem);
        m_pKey = m_pKeyTemplate->GetInstance();
        m_pCreature->AddItem(m_pKey, 1);
        m_pCreature->AddItem(m_pCoinTemplate->GetInstance(), 4);
        const float entityMax[4] = {80.0f, 0.0f, 1.0f, 1.0f}, entityCur[4] = {30.0f, 12.0f, 0.5f, 1.25f};
        const float creatureMax[9] = {0, 40.0f, 0, 0, 0, 0, 0, 90.0f, 0};
        const float creatureCur[9] = {150.0f, 10.0f, 3.0f, 2.0f, 6.0f, 0.0f, 0.0f, 5.0f, 12.0f};
        std::copy(entityMax, entityMax + 4, m_pCreature->m_fEntityStatsMax);
        std::copy(entityCur, entityCur + 4, m_pCreature->m_fEntityStatsCur);
        std::copy(creatureMax, creatureMax + 9, m_pCreature->m_fCreatureStatsMax);
        std::copy(creatureCur, creatureCur + 9, m_pCreature->m_fCreatureStatsCur);
        // The template gives the energy the player holds: a map start takes
        // the recorded maximum as one the player could have.
        auto* pTemplate = static_cast<gcCreatureTemplate*>(m_pCreature->GetTemplate());
        pTemplate->fCreatureStatsMax[gcCreatureTemplate::STAT_ENERGY] = 40.0f;
    }
    void AddKeyValue(int slot, float f)
    {
        auto* p = m_pool.New<gcKeyValue>();
        p->m_fValue = f;
        gcKeyValueMgr::Add(slot, p, 0x21);
    }

    std::string CardPath() const { return std::string(CARDTestSlotFolder(0)) + "/SaveTest.dat"; }
    std::vector<uint8_t> CardFile() const
    {
        std::ifstream in(CardPath(), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    void WriteCardFile(const std::vector<uint8_t>& bytes) const
    {
        std::ofstream(CardPath(), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    // The 3040 bytes of save data in the card file; empty without a file.
    std::vector<uint8_t> CardPayload() const
    {
        const std::vector<uint8_t> file = CardFile();
        if (file.size() < eMemCard::kPayloadOffset + gcGameSave::kDataSize)
            return {};
        return {file.begin() + eMemCard::kPayloadOffset,
                file.begin() + eMemCard::kPayloadOffset + gcGameSave::kDataSize};
    }

    TempDir m_card{"qm_savecard"};
    std::string m_cardRoot = m_card.Path();
    gcGame* m_pGame = nullptr;
    gcGameState* m_pState = nullptr;
    gcTestCreature* m_pCreature = nullptr;
    std::vector<gcItemTemplate*> m_templates;
    gcItemTemplate* m_pSwordTemplate = nullptr;
    gcItemTemplate* m_pCoinTemplate = nullptr;
    gcItemTemplate* m_pKeyTemplate = nullptr;
    gcItemTemplate* m_pGemTemplate = nullptr;
    gcItem* m_pSword = nullptr;
    gcItem* m_pGem = nullptr;
    gcItem* m_pKey = nullptr;
    bool m_bRumble = true;
};
