#include "gcGameCore/flow/gcGame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"

namespace {

datagen::GameFileDesc FullDesc()
{
    datagen::GameFileDesc desc;
    desc.name = "Chronicle";
    for (int i = 0; i < gcGame::kMaxActs; ++i)
        desc.actNames.push_back("Act" + std::to_string(i + 1));
    for (int i = 0; i < gcGame::kMaxPlayerConfigs; ++i)
        desc.playerConfigNames.push_back("Player" + std::to_string(i));
    for (int i = 0; i < gcGame::kMaxLoadingScreens; ++i)
        desc.loadingScreenNames.push_back("Screen" + std::to_string(i));
    for (int i = 0; i < gcGame::kMaxMusic; ++i) {
        desc.musicNames.push_back("Track" + std::to_string(i));
        desc.musicSizes.push_back(1000 + i);
    }
    desc.gameTracks[0] = 7;
    desc.gameTracks[3] = 47;
    desc.voDialog = 0x12340021;
    desc.voControl = 0x00000305;
    desc.cameraCollisionMask = 0x8000000F;
    return desc;
}

class gcGameTest : public gcFlowTest {
protected:
    bool SaveGameBlock(uint32_t version, const datagen::GameFileDesc& desc)
    {
        datagen::BlockWriter w;
        datagen::GameBlock(w.Header(), version, desc).Trailer();
        m_bytes = w.GetBytes();
        return w.Save(GamePath("Game.gam"));
    }
    std::vector<uint8_t> m_bytes;
};

// Each version adds fields; what an older file lacks keeps the constructor's
// value (the camera mask keeps what the camera had). What was read, written
// back as the newest version, reads the same again.
TEST_F(gcGameTest, ReadsEveryAcceptedVersionAndWritesItBack)
{
    const datagen::GameFileDesc desc = FullDesc();
    for (uint32_t version = gcGame::kMinVersion; version <= gcGame::kVersion; ++version) {
        ASSERT_TRUE(SaveGameBlock(version, desc));
        gcGameCamera::Get()->m_nCollisionMask = 0x55;
        for (int pass = 0; pass < 2; ++pass) {
            SCOPED_TRACE(testing::Message() << "version " << version << ", pass " << pass);
            ASSERT_TRUE(gcGame::Load());
            const gcGame& g = *gcGame::Get();
            EXPECT_STREQ(g.m_name.m_sData, "Chronicle");
            EXPECT_STREQ(g.m_actNames[11].m_sData, "Act12");
            EXPECT_STREQ(g.m_playerConfigNames[7].m_sData, "Player7");
            EXPECT_STREQ(g.m_loadingScreenNames[47].m_sData, version >= 8 ? "Screen47" : "");
            EXPECT_STREQ(g.m_musicNames[3].m_sData, version >= 9 ? "Track3" : "");
            EXPECT_EQ(g.m_nMusicSize[47], version >= 14 ? 1047 : 0);
            EXPECT_EQ(g.m_nGameTracks[0], version >= 9 ? 7 : -1);
            EXPECT_EQ(g.m_nGameTracks[3], version >= 9 ? 47 : -1);
            if (pass == 0) {  // the file's empty ranges, else the defaults
                EXPECT_EQ(g.m_surfaces.m_nEnd, version >= 5 ? 20 : 200);
                EXPECT_EQ(g.m_UIDialogs.m_nEnd, version >= 7 ? 30 : 100);
                EXPECT_EQ(g.m_sprites.m_nEnd, version >= 13 ? 20 : 120);
                EXPECT_EQ(g.m_constants.m_nEnd, version >= 17 ? 0 : 400);
                EXPECT_EQ(g.m_stateMachines.m_nEnd, version >= 16 ? 20 : 120);
            }
            EXPECT_EQ(g.m_voDesiredWidget.hDialog.m_nValue, version >= 11 ? 0x12340021u : 0u);
            EXPECT_EQ(g.m_voDesiredWidget.hControl, version >= 11 ? 0x305u : 0u);
            EXPECT_EQ(gcGameCamera::Get()->m_nCollisionMask, version >= 18 ? 0x8000000Fu : 0x55u);
            EXPECT_EQ(g.m_nActToLoad, -1);
            EXPECT_NE(g.m_pSoundData, nullptr);  // empty without a sound file
            EXPECT_NE(g.m_pStrings, nullptr);
            if (pass == 0) {
                cFile out;
                ASSERT_TRUE(out.Create(GamePath("Game.gam").c_str(), 0, cFile::kPlatformConsole, true));
                g.Write(out);
                out.Close();
            }
        }
    }
}

// The events come in at version 10 (three), 12 (two more) and 15 (three
// more): in a file of each of those versions the first event is read, so a
// damaged one refuses the game.
TEST_F(gcGameTest, EventsAreReadFromTheVersionsThatHoldThem)
{
    for (uint32_t version : {10u, 12u, 15u}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(SaveGameBlock(version, FullDesc()));
        ASSERT_TRUE(gcGame::Load());
        // An empty event block: start, end, version 3, an empty version-1
        // block, then -1 at once. Words are big-endian.
        const auto word = [&](size_t i) {
            return (uint32_t(m_bytes[i]) << 24) | (uint32_t(m_bytes[i + 1]) << 16) | (uint32_t(m_bytes[i + 2]) << 8) |
                   m_bytes[i + 3];
        };
        size_t nAt = 0;
        for (size_t i = 0; i + 32 <= m_bytes.size() && nAt == 0; i += 4) {
            if (word(i) == 0xBBBBBBBB && word(i + 8) == 3 && word(i + 12) == 0xBBBBBBBB && word(i + 20) == 1 &&
                word(i + 28) == 0xFFFFFFFF)
                nAt = i;
        }
        ASSERT_NE(nAt, 0u);
        // The last event of the version's own: the nth empty event block.
        const int nSkip = version == 10 ? 2 : version == 12 ? 4 : 7;
        for (int k = 0; k < nSkip; ++k) {
            for (nAt += 4; !(word(nAt) == 0xBBBBBBBB && word(nAt + 8) == 3); nAt += 4) {
                ASSERT_LT(nAt + 32, m_bytes.size());
            }
        }
        m_bytes[nAt + 11] = 9;  // version 9: refused
        ASSERT_TRUE(datagen::WriteBytes(GamePath("Game.gam"), m_bytes));
        gcTestLogCapture quiet;
        EXPECT_FALSE(gcGame::Load());
    }
}

TEST_F(gcGameTest, SurplusNamesAndTracksAreReadAndDropped)
{
    datagen::GameFileDesc desc = FullDesc();
    desc.actNames.push_back("Act13");
    desc.actNames.push_back("Act14");
    for (int i = 0; i < 3; ++i)
        desc.musicNames.push_back("Extra");
    ASSERT_TRUE(SaveGameBlock(gcGame::kVersion, desc));
    ASSERT_TRUE(gcGame::Load());
    const gcGame& g = *gcGame::Get();
    EXPECT_STREQ(g.m_actNames[11].m_sData, "Act12");
    EXPECT_STREQ(g.m_musicNames[47].m_sData, "Track47");
    EXPECT_EQ(g.m_nGameTracks[3], 47);  // read after the surplus, in step
    EXPECT_EQ(gcGameCamera::Get()->m_nCollisionMask, 0x8000000Fu);
}

TEST_F(gcGameTest, RefusedOrDamagedFilesFailTheLoad)
{
    gcTestLogCapture log;
    EXPECT_FALSE(gcGame::Load());  // no file
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: cannot open \"/Game/Game.gam\""), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1) << "written once, by the file";

    ASSERT_TRUE(SaveGameBlock(3, FullDesc()));  // too old: refused, not a default game
    EXPECT_FALSE(gcGame::Load());
    EXPECT_EQ(gcGame::Get(), nullptr);

    datagen::BlockWriter negative;
    negative.Header().Begin(18);
    datagen::ObjectBlock(negative, "Bad").Int(-1).End().Trailer();
    ASSERT_TRUE(negative.Save(GamePath("Game.gam")));
    EXPECT_FALSE(gcGame::Load());
    EXPECT_EQ(gcGame::Get(), nullptr);
}

TEST_F(gcGameTest, UnloadDeletesTheGameAndEmptiesItsPools)
{
    ASSERT_TRUE(SaveGameBlock(gcGame::kVersion, FullDesc()));
    ASSERT_TRUE(gcGame::Load());
    EXPECT_GT(gcGame::s_gamePool.BytesTaken(), 0u);
    gcGame::Unload();
    EXPECT_EQ(gcGame::Get(), nullptr);
    EXPECT_EQ(gcGame::s_gamePool.BytesTaken(), 0u);
    EXPECT_EQ(gcGame::s_gameSoundPool.BytesTaken(), 0u);
}

TEST_F(gcGameTest, FileNamesFollowTheDataPathAndLanguage)
{
    cStr name;
    gcGame::GetMovieFilename("Intro", &name);
    EXPECT_STREQ(name.m_sData, "/Game/Movies/Intro_gc.mov");
    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = gcGameConfig::LANGUAGE_GERMAN;
    gcGame::GetStringsFilename(&name);
    EXPECT_STREQ(name.m_sData, "/Game/GameStrings_ger.str");
    gcGameConfig::s_languages[gcGameConfig::LANGUAGE_TEXT] = gcGameConfig::LANGUAGE_ENGLISH;
}

TEST_F(gcGameTest, SetNextMapToLoadStoresTheRequestAndEndsTheMap)
{
    cMemPool pool("gcGameTest", 0x20000, false);
    gcGame* pGame = pool.New<gcGame>();
    ASSERT_NE(pGame, nullptr);
    pGame->SetNextMapToLoad(4, 1, 2);
    EXPECT_EQ(pGame->m_nLoadingScreenToLoad, 4);
    EXPECT_TRUE(pGame->IsMapRequested());
    gcMap map;
    map.m_nFlags = 0x1;
    pGame->SetNextMapToLoad(-1, -1, -1);
    EXPECT_EQ(map.m_nFlags, 0x1u | gcMap::kFlagEndMap);
    EXPECT_FALSE(pGame->IsMapRequested());
    std::destroy_at(pGame);
}

TEST_F(gcGameTest, StartingTheGameInstallsTheEffectServices)
{
    gcEntityWorld::Set(gcEntityWorld::Funcs{});
    cMemPool pool("gcGameTest", 0x20000, false);
    gcGame* pGame = pool.New<gcGame>();
    ASSERT_NE(pGame, nullptr);
    const gcEntityWorld::Funcs funcs = gcEntityWorld::Set(gcEntityWorld::Funcs{});
    gcEntityWorld::Set(funcs);
    EXPECT_EQ(funcs.pSendToEffects, &gcEffect::SendToRing);
    // Placed objects see the resident regions and the map's light.
    ASSERT_NE(funcs.pGetRegionId, nullptr);
    ASSERT_NE(funcs.pGetMapLight, nullptr);
    float heading = 0.0f, pitch = 0.0f;
    EXPECT_FALSE(funcs.pGetMapLight(&heading, &pitch)) << "no map";
    {
        gcMap map;
        map.m_fLightHeading = 30.0f;
        map.m_fLightPitch = -45.0f;
        EXPECT_TRUE(funcs.pGetMapLight(&heading, &pitch));
        EXPECT_EQ(heading, 30.0f);
        EXPECT_EQ(pitch, -45.0f);
    }
    // Interaction targets: the map's entity slots, none without a map or
    // while a cinematic plays.
    int nBegin = -1, nEnd = -1;
    EXPECT_FALSE(gcEntity::s_pGetInteractRange(&nBegin, &nEnd)) << "no map";
    {
        gcMap map;
        map.m_entities.m_nBegin = 5;
        map.m_entities.m_nEnd = 9;
        EXPECT_TRUE(gcEntity::s_pGetInteractRange(&nBegin, &nEnd));
        EXPECT_EQ(nBegin, 5);
        EXPECT_EQ(nEnd, 9);
        nBegin = nEnd = -1;
        map.m_nStreamedCinematicToLoad = 2;
        EXPECT_FALSE(gcEntity::s_pGetInteractRange(&nBegin, &nEnd)) << "a cinematic is asked for";
        EXPECT_EQ(nBegin, -1);
    }
    gcRegion region;
    region.m_nRegionId = 7;
    gcRegion::s_pRegions[3] = &region;
    EXPECT_EQ(funcs.pGetRegionId(3), 7);
    EXPECT_EQ(funcs.pGetRegionId(2), -1);
    gcRegion::s_pRegions[3] = nullptr;
    EXPECT_EQ(gcEffect::s_pGetRumbleListener, &gcPlayer::GetRumbleListener);
    gcEffect::s_pGetRumbleListener = nullptr;
    std::destroy_at(pGame);
}

// Ids outside the game's loading screens are refused with the range named,
// numbered from 1 as the log numbers acts and maps.
TEST_F(gcGameTest, LoadingScreenIdsOutsideTheTableAreRefused)
{
    const struct {
        int nId;
        const char* sLine;
    } rows[] = {
        {-1, "loading screen 0 refused: loading screens are 1 to 48"},
        {48, "loading screen 49 refused: loading screens are 1 to 48"},
        {INT32_MAX, "loading screen 2147483648 refused"},  // one past the ids, not wrapped
        {INT32_MIN, "loading screen -2147483647 refused"},
    };
    for (const auto& row : rows) {
        gcTestLogCapture log;
        EXPECT_FALSE(gcGame::LoadLoadingScreen(row.nId));
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, row.sLine), 1) << row.nId;
    }
}

// Entities ask for the region of a resident slot by the slot's number.
TEST_F(gcGameTest, SlotRegionIdsAreThoseOfTheResidentRegions)
{
    gcRegion region;
    region.m_nRegionId = 7;
    gcRegion* const pSaved = gcRegion::s_pRegions[3];
    gcRegion::s_pRegions[3] = &region;
    const struct {
        int slot, id;
    } rows[] = {{3, 7}, {2, -1}, {-1, -1}, {gcRegion::kMaxResident, -1}};
    for (const auto& row : rows)
        EXPECT_EQ(gcRegion::GetSlotRegionId(row.slot), row.id) << "slot " << row.slot;
    gcRegion::s_pRegions[3] = pSaved;
}

}  // namespace

namespace {

// Only tracks other than -1 are loaded; the first one no music slot takes
// ends the load (no track plays in this build yet).
TEST_F(gcGameTest, LoadMusicSkipsEmptyTracksAndStopsAtARefusedOne)
{
    cMemPool pool("gcGameTest", 0x20000, false);
    gcGame* pGame = pool.New<gcGame>();
    ASSERT_NE(pGame, nullptr);
    gcTestLogCapture log;
    EXPECT_TRUE(pGame->LoadMusic());
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcMusic"), 0);
    pGame->m_nGameTracks[2] = 5;  // no Music05.mus
    EXPECT_FALSE(pGame->LoadMusic());
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: cannot open \"/Game/Music/Music05.mus\""), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
    EXPECT_EQ(pGame->m_nGameTrackIndex[2], -1);
    std::destroy_at(pGame);
}

}  // namespace
