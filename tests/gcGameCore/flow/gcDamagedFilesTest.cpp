// Damaged files kept from fuzzing runs, replayed through the game's own
// loads: each must fail or load cleanly and leave no debris in the global
// tables (the sanitizer build reports what a plain build cannot see).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cMemPool.h"
#include "datagen/datagen.h"
#include "datagen/flowWriters.h"
#include "datagen/recordDamage.h"
#include "datagen/sampleWriters.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eZone.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"

namespace {

class gcDamagedFilesTest : public gcFlowTest {
protected:
    void TearDown() override
    {
        if (gcMainMenu::s_pMainMenu)
            std::destroy_at(gcMainMenu::s_pMainMenu);
        gcFlowTest::TearDown();
    }
    // A kept damaged file copied over a file of the data directory.
    void Replay(const char* kept, const std::string& to)
    {
        std::filesystem::create_directories(std::filesystem::path(to).parent_path());
        std::filesystem::copy_file(std::string(QM_TEST_DATA_DIR "/damaged/") + kept, to,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    static std::vector<eTextureConfig*> TextureConfigSlots()
    {
        return {std::begin(eTextureConfigMgr::s_pInstances), std::end(eTextureConfigMgr::s_pInstances)};
    }

    gcTestLogCapture m_quiet;  // the damaged files are logged
};

// A menu whose widget cell names the game configuration's class: the cell is
// skipped unbuilt, so no texture configuration is registered by it, and the
// configuration and region read after it work on intact tables.
TEST_F(gcDamagedFilesTest, AForeignClassInAWidgetCellRegistersNothing)
{
    ASSERT_TRUE(datagen::WriteSampleFlowFiles(m_dir.HostPath("")));
    ASSERT_TRUE(gcGameConfig::Load());
    const std::vector<eTextureConfig*> before = TextureConfigSlots();

    Replay("MainMenu.mnu", GamePath("MainMenu.mnu"));
    EXPECT_FALSE(gcMainMenu::Load());
    EXPECT_EQ(TextureConfigSlots(), before);
    EXPECT_EQ(m_quiet.Count(LOGTYPE_ERROR, "drops a cell object of type gcGameConfig"), 1);

    {
        gcMap map;
        map.m_nMapId = 0;
        cStr name;
        gcRegion::GetFilename(-1, 0, 0, &name);
        Replay("Region01.rgn", m_dir.HostPath(name.m_sData));
        map.LoadRegion(0, 0);  // read whole or refused; either way nothing freed is touched
    }
    EXPECT_EQ(TextureConfigSlots(), before);

    Replay("GameConfig.gc", GamePath("GameConfig.gc"));
    gcGameConfig::Unload();
    EXPECT_FALSE(gcGameConfig::Load());
    gcGameConfig::Unload();
}

// A map whose entity range spans most of the integer range: it fails to load
// and is destroyed by visiting only the entity table's slots.
TEST_F(gcDamagedFilesTest, AHugeEntityRangeIsWalkedOnlyOverTheTable)
{
    Replay("HugeEntityRange.map", m_dir.HostPath("map.bin"));
    cMemPool pool("gcDamagedFilesTest", 0x100000, false);
    EXPECT_EQ(cBase::Load("/map.bin", &pool, gcMap::GetStaticType()), nullptr);

    gcMap map;
    for (const auto& [begin, end, first, last] :
         {std::array<int32_t, 4>{INT_MIN, INT_MAX, 0, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{-5, 3, 0, 3},
          std::array<int32_t, 4>{140, 200, 140, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{INT_MAX - 1, INT_MAX, INT_MAX - 1, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{-9, INT_MIN, 0, 0}}) {
        map.m_entities.m_nBegin = begin;
        map.m_entities.m_nEnd = end;
        EXPECT_EQ(map.m_entities.FirstTableSlot(), first) << begin << ".." << end;
        EXPECT_EQ(map.m_entities.EndTableSlot(), last) << begin << ".." << end;
    }
    map.m_entities.m_nBegin = map.m_entities.m_nEnd = -1;
}

// The one rule for every file the game loads: a group record of another
// class, or one that refuses its data, makes the whole file damaged. Each
// kind of file the game reads fails its load with one error naming the file
// and the record; read whole, the same load succeeds. An act holds no
// record the game keeps (its key values lie beyond the range it reads) and
// a region none but its zone (the sample's have no light grid): a refused
// group, or zone, stands for them.
TEST_F(gcDamagedFilesTest, ARecordOfAnotherClassOrRefusedFailsTheLoadOfEveryKindOfFile)
{
    ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
    // The sample's game state holds no record: one with a key value.
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {{"Keys", 2.0f}}));
    using Step = std::function<bool()>;
    const Step none = [] { return true; };
    const Step game = [] { return gcGameConfig::Load() && gcGame::Load(); };
    const Step act = [] { return gcGame::LoadAct(0); };
    const Step map = [] { return gcGame::LoadAct(0) && gcAct::s_pAct->LoadMap(0); };
    using D = datagen::RecordDamage;
    constexpr D kZone = static_cast<D>(99);  // the region's zone refused
    const struct {
        const char* sFile;  // below /Game
        Step prepare;       // loads the file needs first
        Step load;          // the file's own load
        std::vector<D> damages = {D::kOtherClass, D::kRefused};
    } rows[] = {
        {"GameConfig.gc", none, [] { return gcGameConfig::Load(); }},
        {"Game.gam", [] { return gcGameConfig::Load(); }, [] { return gcGame::Load(); }},
        {"GameState.gs", game, [] { return gcGame::LoadGameState(); }},
        {"MainMenu.mnu", game, [] { return gcMainMenu::Load(); }},
        {"LoadingScreens/LoadingScreen01.ls", game,
         [] {
             bool bDamaged = false;
             const bool bLoaded = gcGame::LoadLoadingScreen(0, &bDamaged);
             EXPECT_NE(bLoaded, bDamaged) << "damaged game data, not a missing screen";
             return bLoaded;
         }},
        {"PlayerConfig01.pc", game, [] { return gcGame::LoadPlayerConfig(0); }},
        {"Act01/Act01.act", game, act, {D::kGroup}},
        {"Act01/Map01/Map01.map", [&] { return game() && act(); }, [] { return gcAct::s_pAct->LoadMap(0); }},
        {"Act01/Map01/Region01.rgn", [&] { return game() && map(); },
         [] {
             const bool bLoaded = gcMap::s_pMap->LoadRegion(0, 0);
             EXPECT_EQ(gcMap::s_pMap->m_nDamagedRegionId, bLoaded ? -1 : 0);
             return bLoaded;
         },
         {kZone}},
    };
    const auto unload = [] {
        if (gcMainMenu::s_pMainMenu)
            std::destroy_at(gcMainMenu::s_pMainMenu);
        if (gcLoadingScreen::s_pLoadingScreen)
            std::destroy_at(gcLoadingScreen::s_pLoadingScreen);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        gcGame::Unload();
        gcGameConfig::Unload();
    };
    for (const auto& row : rows) {
        const std::string path = GamePath(row.sFile);
        const std::vector<uint8_t> whole = datagen::ReadBytes(path);
        for (int damage = -1; damage < static_cast<int>(row.damages.size()); ++damage) {
            SCOPED_TRACE(testing::Message() << row.sFile << ", damage " << damage);
            const D how = damage < 0 ? D::kGroup : row.damages[static_cast<size_t>(damage)];
            if (damage >= 0) {
                ASSERT_TRUE(how == kZone ? datagen::RefuseFirstBlockOfVersion(path, eZone::kVersion)
                                         : datagen::DamageFirstGroupRecord(path, how));
            }
            ASSERT_TRUE(row.prepare());
            gcTestLogCapture log;
            EXPECT_EQ(row.load(), damage < 0);
            ASSERT_TRUE(datagen::WriteBytes(path, whole));
            unload();
            const std::string file = std::string("cFile: \"/Game/") + row.sFile + "\": ";
            if (damage < 0) {
                // (A map's side files find no audio memory here: not its own.)
                EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 0);
                continue;
            }
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 1);
            const bool bRecord = how == D::kOtherClass || how == D::kRefused;
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, ": record 0 (slot "), bRecord ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "): holds a gcGameConfig"), how == D::kOtherClass ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "eZone: version not accepted"), how == kZone ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "version not accepted (block version 0"), how == D::kOtherClass ? 0 : 1);
        }
    }
}

// A loading screen's two paths: one that is not there leaves the map's load
// without a screen; one that is there and does not even open (its header
// damaged) is damaged game data, as one whose records are.
TEST_F(gcDamagedFilesTest, ALoadingScreenThatIsThereButDoesNotOpenIsDamaged)
{
    ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
    ASSERT_TRUE(gcGameConfig::Load() && gcGame::Load());
    const std::string path = GamePath("LoadingScreens/LoadingScreen01.ls");
    for (const bool bThere : {false, true}) {
        SCOPED_TRACE(bThere);
        if (bThere) {
            ASSERT_TRUE(datagen::WriteBytes(path, {0xFB, 0xBF, 0xFB, 0xBF, 0, 0, 0, 7}));  // another platform
        } else {
            std::filesystem::remove(path);
        }
        bool bDamaged = !bThere;
        EXPECT_FALSE(gcGame::LoadLoadingScreen(0, &bDamaged));
        EXPECT_EQ(bDamaged, bThere);
    }
}

}  // namespace
