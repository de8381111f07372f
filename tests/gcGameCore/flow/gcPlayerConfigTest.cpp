#include "gcGameCore/flow/gcPlayerConfig.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "datagen/flowWriters.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "eEngine/eSoundData.h"
#include "gcFlowTestSupport.h"
#include "../entities/entityTestObjects.h"

namespace {

class gcPlayerConfigTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        gcGameConfig::PrepPool(gcGame::s_gamePool, gcGameConfig::GetGamePoolSize());
        gcGame* pGame = gcGame::s_gamePool.New<gcGame>();
        ASSERT_NE(pGame, nullptr);
    }
    bool SaveBlock(int id, uint32_t version)
    {
        datagen::BlockWriter w;
        datagen::PlayerConfigBlock(w.Header(), version, "Stored").Trailer();
        return w.Save(FileOf(id));
    }
    static std::string FileName(int id, bool bSound)
    {
        cStr name;
        bSound ? gcPlayerConfig::GetSoundFilename(id, &name) : gcPlayerConfig::GetFilename(id, &name);
        return name.m_sData;
    }
    std::string FileOf(int id, bool bSound = false) const { return m_dir.HostPath(FileName(id, bSound).c_str() + 1); }
};

TEST_F(gcPlayerConfigTest, FilesAreNumberedByIdPlusOne)
{
    EXPECT_EQ(FileName(0, false), "/Game/PlayerConfig01.pc");
    EXPECT_EQ(FileName(7, true), "/Game/PlayerConfig08Sound.snd");
}

TEST_F(gcPlayerConfigTest, VersionsThreeAndFourLeaveNoEntityForAnEmptyTemplateGroup)
{
    for (uint32_t version : {3u, 4u}) {
        SCOPED_TRACE(version);
        gcGame::Unload();
        SetUp();
        ASSERT_TRUE(SaveBlock(0, version));
        ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
        const gcPlayerConfig& p = *gcPlayerConfig::s_pPlayerConfig;
        EXPECT_EQ(p.m_nPlayerConfigId, 0);
        EXPECT_STREQ(p.m_name.m_sData, "Stored");
        EXPECT_EQ(p.m_pEntity, nullptr);
        EXPECT_EQ(p.m_textures.m_nBegin, 120);
        EXPECT_EQ(p.m_textures.m_nEnd, 120) << "the file's empty range";
        EXPECT_EQ(p.m_surfaces.m_nBegin, 220);
        EXPECT_STREQ(p.onMapStarted.sName, "OnMapStarted");
    }
}

TEST_F(gcPlayerConfigTest, ResidentIdIsNotReadAgain)
{
    ASSERT_TRUE(SaveBlock(0, 4));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
    const gcPlayerConfig* pResident = gcPlayerConfig::s_pPlayerConfig;
    std::filesystem::remove(FileOf(0));
    EXPECT_TRUE(gcGame::LoadPlayerConfig(0));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, pResident);
    gcTestLogCapture quiet;
    EXPECT_FALSE(gcGame::LoadPlayerConfig(1)) << "no file";
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, pResident);
    for (int id : {-1, 8})
        EXPECT_FALSE(gcGame::LoadPlayerConfig(id)) << id;
    ASSERT_TRUE(SaveBlock(2, 4));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(2));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig->m_nPlayerConfigId, 2);
}

TEST_F(gcPlayerConfigTest, SoundDataFromItsOwnFileWhenThere)
{
    ASSERT_TRUE(SaveBlock(0, 4));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
    const eSoundDataGroup* pSound = gcPlayerConfig::s_pPlayerConfig->m_pSoundData;
    ASSERT_NE(pSound, nullptr);
    EXPECT_EQ(pSound->m_nBegin, 500);
    EXPECT_EQ(pSound->m_nEnd, 700) << "no sound file: the default range, empty";
    datagen::BlockWriter w;
    datagen::EmptyGroupBlock(w.Header(), 510).Trailer();
    ASSERT_TRUE(w.Save(FileOf(0, true)));
    EXPECT_FALSE(gcPlayerConfig::s_pPlayerConfig->LoadSoundData(1));
    EXPECT_TRUE(gcPlayerConfig::s_pPlayerConfig->LoadSoundData(0));
}

TEST_F(gcPlayerConfigTest, RefusesVersionsBelowThree)
{
    gcTestLogCapture quiet;
    ASSERT_TRUE(SaveBlock(0, 2));
    EXPECT_FALSE(gcGame::LoadPlayerConfig(0));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
}

TEST_F(gcPlayerConfigTest, VersionFourReadsItsMapEvents)
{
    // A damaged map-started event: version 4 reads it and is refused.
    datagen::BlockWriter w;
    datagen::ObjectBlock(w.Header().Begin(4), "Stored");
    for (int32_t begin : {120, 220, 100, 100, 220, 0})
        datagen::EmptyGroupBlock(w, begin);
    w.Begin(0).End();
    datagen::EmptyEventBlock(w).End().Trailer();
    ASSERT_TRUE(w.Save(FileOf(0)));
    gcTestLogCapture quiet;
    EXPECT_FALSE(gcGame::LoadPlayerConfig(0));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
}

TEST_F(gcPlayerConfigTest, DefaultRangesOfANewConfiguration)
{
    gcGameConfig::PrepPool(gcGame::s_playerConfigPool, gcGameConfig::GetPlayerConfigPoolSize());
    const gcPlayerConfig* p = gcGame::s_playerConfigPool.New<gcPlayerConfig>();
    ASSERT_NE(p, nullptr);
    const struct {
        const cGroup& group;
        int32_t begin, end;
    } rows[] = {{p->m_textures, 120, 150}, {p->m_materials, 220, 300}, {p->m_meshes, 100, 120},
                {p->m_animations, 100, 250}, {p->m_surfaces, 220, 300}, {p->m_entityTemplates, 0, 1}};
    for (const auto& r : rows) {
        EXPECT_EQ(r.group.m_nBegin, r.begin);
        EXPECT_EQ(r.group.m_nEnd, r.end);
    }
    std::destroy_at(p);
}

// A configuration whose entity-template group holds a test template in its
// begin slot (its block of the version given), then the two events.
bool SavePlayerWithTemplate(const std::string& path, int32_t begin, int32_t end,
                            uint32_t templateVersion = gcEntityTemplate::kVersion)
{
    datagen::BlockWriter w;
    datagen::ObjectBlock(w.Header().Begin(4), "Hero");
    for (int32_t groupBegin : {120, 220, 100, 100, 220})
        datagen::EmptyGroupBlock(w, groupBegin);
    w.Begin(2).Begin(1).End().Int(begin).Int(end);
    if (begin < end) {
        datagen::EntityTemplateDesc desc;
        desc.name = "HeroTemplate";
        desc.team = 1;
        w.Half(0x0123).Int(kTestEntityTemplateId);
        datagen::EntityTemplateBlock(w, desc, templateVersion);
    }
    w.End();
    datagen::EmptyEventBlock(datagen::EmptyEventBlock(w)).End().Trailer();
    return w.Save(path);
}

TEST_F(gcPlayerConfigTest, PlayerEntityFromTheFirstTemplateSitsInSlotZeroUntilTheConfigurationGoes)
{
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(0), 0, 1));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
    gcEntity* pEntity = gcPlayerConfig::s_pPlayerConfig->m_pEntity;
    ASSERT_NE(pEntity, nullptr);
    EXPECT_NE(dcast<gcTestEntity>(pEntity), nullptr) << "the class the template names";
    const gcEntityMgr::Handle h = gcEntityMgr::GetHandle(0);
    EXPECT_EQ(h.GetSlot(), 0);
    EXPECT_EQ(h.GetCheck(), 0xFFFF);
    EXPECT_EQ(gcEntityMgr::GetPtr(h), pEntity);
    ASSERT_NE(pEntity->GetTemplate(), nullptr);
    EXPECT_STREQ(pEntity->GetTemplate()->m_name.m_sData, "HeroTemplate");
    EXPECT_EQ(pEntity->m_team, 1) << "reset from its template";
    EXPECT_NE(pEntity->m_nEntityFlags & gcEntity::kInitialUpdatePending, 0);
    EXPECT_EQ(cMemPool::GetPoolFromPtr(pEntity), &gcGame::s_playerConfigPool);

    // Another configuration: the old entity and its template go first.
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(1), 0, 0));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(1));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig->m_pEntity, nullptr);
    EXPECT_TRUE(gcEntityMgr::GetHandle(0).IsNull());
    EXPECT_TRUE(gcEntityTemplateMgr::GetHandle(0).IsNull());
}

// A player template that refuses its data would leave a player of the
// template's defaults, nothing to play: the configuration is refused, and
// a map that names it (or one that makes no player) is not started.
TEST_F(gcPlayerConfigTest, ARefusedPlayerTemplateRefusesTheConfigurationAndTheMapsPlayer)
{
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(0), 0, 1, gcEntityTemplate::kVersion + 1));
    {
        gcTestLogCapture log;
        EXPECT_FALSE(gcGame::LoadPlayerConfig(0));
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/Game/PlayerConfig01.pc\": gcEntityTemplateGroup: record 0 (slot "),
                  1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "): gcEntityTemplate: version not accepted"), 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
    }
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, nullptr);
    EXPECT_TRUE(gcEntityMgr::GetHandle(0).IsNull());
    EXPECT_TRUE(gcEntityTemplateMgr::GetHandle(0).IsNull());
    // The same template read whole: the player is there.
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(0), 0, 1));
    EXPECT_TRUE(gcPlayer::Get()->UpdatePlayerConfig(0));
    EXPECT_NE(gcPlayer::Get()->m_pEntity, nullptr);
    // A configuration read whole that holds no template makes no player.
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(1), 0, 0));
    {
        gcTestLogCapture log;
        EXPECT_FALSE(gcPlayer::Get()->UpdatePlayerConfig(1));
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "player configuration \"/Game/PlayerConfig02.pc\" made no player"), 1);
    }
    EXPECT_EQ(gcPlayer::Get()->m_pEntity, nullptr);
    EXPECT_TRUE(gcPlayer::Get()->UpdatePlayerConfig(-1));
}

TEST_F(gcPlayerConfigTest, EmptyTemplateRangeMakesNoEntityFromAForeignTemplate)
{
    // A template in slot 0 that is not the configuration's: its range is empty.
    cMemPool pool("foreign template", 0x10000, false);
    gcEntityTemplateMgr::Add(0, pool.New<gcTestEntityTemplate>(), 0);
    ASSERT_TRUE(SavePlayerWithTemplate(FileOf(0), 0, 0));
    ASSERT_TRUE(gcGame::LoadPlayerConfig(0));
    EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig->m_pEntity, nullptr);
    EXPECT_TRUE(gcEntityMgr::GetHandle(0).IsNull());
    gcEntityTemplateMgr::Remove(0);
}

}  // namespace
