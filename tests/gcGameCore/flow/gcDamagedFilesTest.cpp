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
#include "datagen/dialogWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/recordDamage.h"
#include "datagen/sampleWriters.h"
#include "datagen/slotLease.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eZone.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcState.h"

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

// The loads of every kind of file the game reads, the sample game written
// first: the file below /Game, the loads it needs first, and its own load.
struct FileLoad {
    const char* sFile;
    std::function<bool()> prepare;
    std::function<bool()> load;
};

bool LoadGame()
{
    return gcGameConfig::Load() && gcGame::Load();
}

bool LoadAct()
{
    return gcGame::LoadAct(0);
}

bool LoadMap()
{
    return LoadGame() && LoadAct() && gcAct::s_pAct->LoadMap(0);
}

const FileLoad kPlayerConfig = {"PlayerConfig01.pc", LoadGame, [] { return gcGame::LoadPlayerConfig(0); }};
const FileLoad kMap = {"Act01/Map01/Map01.map", [] { return LoadGame() && LoadAct(); },
                       [] { return gcAct::s_pAct->LoadMap(0); }};
const FileLoad kRegion = {"Act01/Map01/Region01.rgn", LoadMap, [] {
                              const bool bLoaded = gcMap::s_pMap->LoadRegion(0, 0);
                              EXPECT_EQ(gcMap::s_pMap->m_nDamagedRegionId, bLoaded ? -1 : 0);
                              return bLoaded;
                          }};

void UnloadAll()
{
    if (gcMainMenu::s_pMainMenu)
        std::destroy_at(gcMainMenu::s_pMainMenu);
    if (gcLoadingScreen::s_pLoadingScreen)
        std::destroy_at(gcLoadingScreen::s_pLoadingScreen);
    if (gcAct::s_pAct)
        std::destroy_at(gcAct::s_pAct);
    gcGame::Unload();
    gcGameConfig::Unload();
}

// The file damaged by damage, its loads run: the load fails with exactly one
// error, which names the file and holds each of the texts; read whole, the
// same load succeeds and logs nothing of the file. The file is left whole.
void ExpectOneError(const std::string& path, const FileLoad& f, const std::function<bool()>& damage,
                    const std::vector<std::string>& texts)
{
    const std::vector<uint8_t> whole = datagen::ReadBytes(path);
    const std::string file = std::string("cFile: \"/Game/") + f.sFile + "\": ";
    for (const bool bDamaged : {false, true}) {
        SCOPED_TRACE(bDamaged ? "damaged" : "whole");
        if (bDamaged) {
            ASSERT_TRUE(damage());
        }
        ASSERT_TRUE(f.prepare());
        gcTestLogCapture log;
        EXPECT_EQ(f.load(), !bDamaged);
        ASSERT_TRUE(datagen::WriteBytes(path, whole));
        UnloadAll();
        if (!bDamaged) {
            // (A map's side files find no audio memory here: not its own.)
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 0);
            continue;
        }
        ASSERT_EQ(log.Count(LOGTYPE_ERROR, ""), 1) << (log.m_lines.empty() ? "" : log.m_lines[0].second);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 1);
        for (const std::string& text : texts)
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, text.c_str()), 1) << text;
    }
}

// Whether the type id is of a class derived from pClass.
std::function<bool(uint32_t)> OfClass(const cType* pClass)
{
    return [pClass](uint32_t nId) {
        const cType* pType = nId < 0x10000 ? cType::Find(static_cast<int32_t>(nId)) : nullptr;
        return pType && pType->IsA(pClass);
    };
}

using D = datagen::RecordDamage;
constexpr D kZone = static_cast<D>(99);    // the region's zone refused
constexpr D kMember = static_cast<D>(98);  // a member of the class given made another class's

// What the one error of a damage holds.
std::vector<std::string> Reasons(D how, const cType* pMember)
{
    if (how == D::kOtherClass)
        return {": record 0 (slot ", "): holds a gcGameConfig"};
    if (how == D::kRefused)
        return {": record 0 (slot ", "version not accepted (block version 0"};
    if (how == D::kUnknownClass)
        return {": record 0 (slot ", "): unknown type id 30583 before "};
    if (how == D::kEndsEarly)
        return {"records end at "};
    if (how == D::kGroup)
        return {"version not accepted (block version 0"};
    if (how == kZone)
        return {"eZone: version not accepted"};
    // Read as its own kind, an action refuses it; any other member is never
    // built.
    if (pMember == gcAction::GetStaticType())
        return {"gcAction: type id 100 (gcGameConfig) before ", " is not of this kind"};
    return {"a gcGameConfig before ", std::string(" where a ") + pMember->m_sTypeName + " belongs"};
}

// The one rule for every file the game loads: a group record of another
// class, of no class, or one that refuses its data, a group whose records
// end before its block does, and a polymorphic member of another class make
// the whole file damaged. Each kind of file the game reads fails its load
// with one error naming the file (and the record); read whole, the same
// load succeeds. An act holds no record the game keeps (its key values lie
// beyond the range it reads) and a region none but its zone (the sample's
// have no light grid): a refused group, or zone, stands for them.
TEST_F(gcDamagedFilesTest, ARecordOfAnotherClassOrRefusedFailsTheLoadOfEveryKindOfFile)
{
    ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
    // The sample's game state holds no record: one with a key value.
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {{"Keys", 2.0f}}));
    const std::vector<D> kRecords = {D::kOtherClass, D::kRefused, D::kUnknownClass, D::kEndsEarly};
    const struct {
        FileLoad f;
        std::vector<D> damages;
        const cType* pMember = nullptr;  // the class of the member made another class's
    } rows[] = {
        {{"GameConfig.gc", [] { return true; }, [] { return gcGameConfig::Load(); }}, kRecords},
        {{"Game.gam", [] { return gcGameConfig::Load(); }, [] { return gcGame::Load(); }}, kRecords,
         gcAction::GetStaticType()},
        {{"GameState.gs", LoadGame, [] { return gcGame::LoadGameState(); }}, kRecords},
        {{"MainMenu.mnu", LoadGame, [] { return gcMainMenu::Load(); }}, kRecords, gcAction::GetStaticType()},
        {{"LoadingScreens/LoadingScreen01.ls", LoadGame,
          [] {
              bool bDamaged = false;
              const bool bLoaded = gcGame::LoadLoadingScreen(0, &bDamaged);
              EXPECT_NE(bLoaded, bDamaged) << "damaged game data, not a missing screen";
              return bLoaded;
          }},
         kRecords, gcAction::GetStaticType()},
        {kPlayerConfig, kRecords, gcCreatureAttack::GetStaticType()},
        {{"Act01/Act01.act", LoadGame, LoadAct}, {D::kGroup}},
        {kMap, kRecords, gcState::GetStaticType()},
        {kRegion, {kZone}},
    };
    for (const auto& row : rows) {
        const std::string path = GamePath(row.f.sFile);
        std::vector<D> damages = row.damages;
        if (row.pMember)
            damages.push_back(kMember);
        for (const D how : damages) {
            SCOPED_TRACE(testing::Message() << row.f.sFile << ", damage " << static_cast<int>(how));
            const std::function<bool()> damage = [&] {
                if (how == kZone)
                    return datagen::RefuseFirstBlockOfVersion(path, eZone::kVersion);
                if (how == kMember && row.pMember == gcAction::GetStaticType())
                    return datagen::DamageFirstAction(path, OfClass(row.pMember));
                if (how == kMember)
                    return datagen::DamageFirstMember(path, OfClass(row.pMember));
                return datagen::DamageFirstGroupRecord(path, how);
            };
            ExpectOneError(path, row.f, damage, Reasons(how, row.pMember));
        }
    }
}

// One damage, one error: a part of a file that finds itself damaged fails
// the file with its reason (naming the file, and the record it lies in),
// and nothing else in the load adds a line. The player's mesh with no node,
// or an object naming a node it does not have; a region's zone whose
// octree has no level; a patrol path with more points than its block holds;
// a file whose header names another platform.
TEST_F(gcDamagedFilesTest, ADamagedPartGivesOneErrorNamingItsFileAndRecord)
{
    ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
    const FileLoad game = {"Game.gam", [] { return gcGameConfig::Load(); }, [] { return gcGame::Load(); }};
    constexpr size_t kMeshNodes = 0;       // words after the mesh's object part
    constexpr size_t kMeshObject0 = 42;    // the player mesh's first object: its node, its triangles
    constexpr size_t kZoneLevels = 14;     // the volume, export offset and octree header first
    constexpr size_t kPathPoints = 0;
    const struct {
        const char* sName;
        FileLoad f;
        const char* sText;   // the name of the object damaged
        int nOccurrence;     // of the text: the object's own name block (0: the header)
        size_t nWord;
        uint32_t nValue;
        std::vector<std::string> reasons;
    } rows[] = {
        {"mesh without nodes", kPlayerConfig, "Wanderer", 2, kMeshNodes, 0,
         {": record 0 (slot ", "): eMesh \"Wanderer\": 0 nodes and 0 bones from node -1 refused"}},
        {"mesh object outside", kPlayerConfig, "Wanderer", 2, kMeshObject0, 0x0009000C,
         {": record 0 (slot ", "): eMesh \"Wanderer\": object 0 of material 0 names node 9"}},
        {"octree without levels", kRegion, "West", 2, kZoneLevels, 0, {": eOctree: 0 levels (allowed 1 to "}},
        {"path past its block", kMap, "WestGuardOut", 2, kPathPoints, 1000,
         {": record 0 (slot ", "): ePath \"WestGuardOut\": point count 1000"}},
        {"header of another platform", game, "", 0, 0, 0, {"\": not a console data file (magic 0xFBBFFBBF, platform 7"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        const std::string path = GamePath(row.f.sFile);
        ExpectOneError(path, row.f,
                       [&] {
                           if (row.nOccurrence == 0) {
                               std::vector<uint8_t> bytes = datagen::ReadBytes(path);
                               bytes[7] = 7;  // the header's platform word
                               return datagen::WriteBytes(path, bytes);
                           }
                           return datagen::SetWordAfterName(path, std::string(row.sText) + '\0', row.nOccurrence,
                                                            row.nWord, row.nValue);
                       },
                       row.reasons);
    }
}

// A dialog of two controls, "Buttons", written as the only dialog of a
// loading screen, a map and a platform configuration, which the sample
// holds none of (its loading screen's dialog has one control).
void WriteFilesWithButtons(const std::function<std::string(const char*)>& path)
{
    cMemPool pool("gcDamagedFilesTest dialogs", 0x10000, false);
    datagen::GridDialogDesc desc;
    desc.name = "Buttons", desc.rows = 2, desc.cols = 1;
    gcUIDialog* pButtons = datagen::NewGridDialog(&pool, desc);
    ASSERT_NE(pButtons, nullptr);
    // The slots each file's reader takes its dialogs from.
    const auto holdIn = [pButtons](gcUIDialogGroup& group, int slot) {
        gcUIDialogMgr::Add(slot, pButtons, 0x0B0B);
        group.m_nBegin = slot, group.m_nEnd = slot + 1;
        group.m_bDeleteContained = false;  // the dialog stays this writer's
    };
    {
        datagen::SlotLease<gcUIDialogMgr, gcUIDialog> lease(20, 1);
        EXPECT_TRUE(datagen::WriteLoadingScreenFile(path("LoadingScreens/LoadingScreen01.ls"), "Dusk", &pool,
                                                    [&](gcLoadingScreen& screen) { holdIn(screen.m_UIDialogs, 20); }));
    }
    {
        datagen::SlotLease<gcUIDialogMgr, gcUIDialog> lease(100, 1);
        EXPECT_TRUE(datagen::WriteMapFile(path("Act01/Map01/Map01.map"), datagen::MapDesc(), &pool,
                                          [&](gcMap& map) { holdIn(map.m_UIDialogs, 100); }));
    }
    {
        datagen::SlotLease<gcUIDialogMgr, gcUIDialog> lease(250, 1);
        EXPECT_TRUE(datagen::WritePlatformConfigFile(path("PlatformConfig_gc.plc"), "gc",
                                                     [&](gcPlatformConfig& p) { holdIn(p.m_UIDialogs, 250); }));
    }
    std::destroy_at(pButtons);
}

// A dialog whose controls do not fit its table, whose control count lies
// outside what a table holds, or two of whose controls name one slot makes
// its file damaged, in every kind of file that holds dialogs: the load fails
// with one error naming the file and the dialog; undamaged, it succeeds.
TEST_F(gcDamagedFilesTest, ADialogsDamagedControlTableFailsTheLoadOfEveryFileHoldingDialogs)
{
    ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
    WriteFilesWithButtons([this](const char* name) { return GamePath(name); });
    using Step = std::function<bool()>;
    using C = datagen::ControlTableDamage;
    const Step none = [] { return true; };
    const Step config = [] { return gcGameConfig::Load(); };
    const Step game = [] { return gcGameConfig::Load() && gcGame::Load(); };
    const Step act = [&] { return game() && gcGame::LoadAct(0); };
    const std::vector<C> all = {C::kNoRoom, C::kPastLimit, C::kSlotTwice};
    const struct {
        const char* sFile;  // below /Game
        const char* sDialog;
        Step prepare;
        Step load;
        std::vector<C> damages;
    } rows[] = {
        {"MainMenu.mnu", "MainMenu", game, [] { return gcMainMenu::Load(); }, all},
        {"MainMenu.mnu", "Options", game, [] { return gcMainMenu::Load(); }, all},
        {"MainMenu.mnu", "NoSave", game, [] { return gcMainMenu::Load(); }, {C::kNoRoom, C::kPastLimit}},
        {"Game.gam", "Pause", config, [] { return gcGame::Load(); }, all},
        {"Game.gam", "Hud", config, [] { return gcGame::Load(); }, all},
        {"LoadingScreens/LoadingScreen01.ls", "Buttons", game,
         [] {
             bool bDamaged = false;
             const bool bLoaded = gcGame::LoadLoadingScreen(0, &bDamaged);
             EXPECT_NE(bLoaded, bDamaged) << "damaged game data, not a missing screen";
             return bLoaded;
         },
         all},
        {"Act01/Map01/Map01.map", "Buttons", act, [] { return gcAct::s_pAct->LoadMap(0); }, all},
        {"PlatformConfig_gc.plc", "Buttons", config, [] { return gcPlatformConfig::Load(-1); }, all},
    };
    const auto unload = [] {
        gcPlatformConfig::Unload();
        UnloadAll();
    };
    for (const auto& row : rows) {
        const std::string path = GamePath(row.sFile);
        const std::vector<uint8_t> whole = datagen::ReadBytes(path);
        for (int damage = -1; damage < static_cast<int>(row.damages.size()); ++damage) {
            SCOPED_TRACE(testing::Message() << row.sFile << ", " << row.sDialog << ", damage " << damage);
            const C how = damage < 0 ? C::kNoRoom : row.damages[static_cast<size_t>(damage)];
            if (damage >= 0) {
                ASSERT_TRUE(datagen::DamageDialogControls(path, row.sDialog, how));
            }
            ASSERT_TRUE(row.prepare());
            gcTestLogCapture log;
            EXPECT_EQ(row.load(), damage < 0);
            ASSERT_TRUE(datagen::WriteBytes(path, whole));
            unload();
            const std::string file = std::string("cFile: \"/Game/") + row.sFile + "\": ";
            const std::string dialog = std::string(": gcUIDialog \"") + row.sDialog + "\": ";
            if (damage < 0) {
                EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 0);
                EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcUIDialog"), 0);
                continue;
            }
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, file.c_str()), 1);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, dialog.c_str()), 1);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "of a table of 0"), how == C::kNoRoom ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "control count 257 outside 0..256"), how == C::kPastLimit ? 1 : 0);
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\" both name slot "), how == C::kSlotTwice ? 1 : 0);
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
