// Feeds arbitrary bytes to the profiles' decode and apply as the save data
// on the memory card: the input, cut or padded with zeros to the 3040 bytes
// of save data, goes into the sample game's save file with its CRC made
// right, so that every input gets past the card's checks. Each of the three
// profiles is then loaded and applied to a running game (the sample's game,
// game state, first act and map, and the player's entity, with two item
// templates of the harness's own beside the map's key so that items can
// stack and nest), its map requested, and the running game recorded back
// into it as a save records it. Every input must apply cleanly and leave the
// player's items back in their pools: no crash, no read outside the
// buffers, no sanitizer report.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "datagen/datagen.h"
#include "datagen/fuzzSeeds.h"
#include "eEngine/eMemCard.h"
#include "fuzzAudio.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "platform/ps.h"
#include "../test/card_test.h"
#include "tempDir.h"

namespace {

constexpr int kConsolePlatform = 1;  // "gc"

TempDir* g_pDir = nullptr;
std::string g_savePath;          // the save file's host path
std::vector<uint8_t> g_image;    // the file the game saved, the payload replaced per input
gcCreature* g_pPlayer = nullptr;
float g_entityStats[2][gcGameSave::kNumEntityStats];      // current, maximum
float g_creatureStats[2][gcGameSave::kNumCreatureStats];

[[noreturn]] void Fail(const char* what)
{
    std::fprintf(stderr, "fuzzSave: %s\n", what);
    std::abort();
}

// The running game as it is when a map has loaded.
bool LoadGame()
{
    return gcGameConfig::Load() && gcPlatformConfig::Load(kConsolePlatform) && gcGame::Load() &&
           gcGame::LoadGameState() && gcGame::LoadAct(0) && gcAct::s_pAct->LoadMap(0) &&
           gcPlayer::Get()->UpdatePlayerConfig(0);
}

void AddItemTemplate(const char* name, int slot, int nMax, uint16_t flags)
{
    cMemPool* pPool = gcGame::GetGameStatePool();
    const gcItemTemplateHandle handle = gcItemTemplateHandle::Make(slot, datagen::kSaveFuzzCheck);
    if (gcItemTemplateMgr::GetPtr(handle))
        Fail("the sample's game state already has an item template in the harness's slot");
    gcItemTemplate* p = pPool->New<gcItemTemplate>();
    if (!p)
        Fail("no room for the harness's item templates");
    p->m_name.Set("%s", name);
    p->m_nFlags = flags;
    p->m_nCategoryMask = 0x1;
    gcItemTemplateMgr::Add(slot, p, datagen::kSaveFuzzCheck);
    p->SetMaxInstances(nMax, pPool);
    p->ResetInstances();
}

std::vector<uint8_t> ReadHost(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteHost(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// The payload in the saved file, with the CRC over the whole file (its own
// word 0) as the card writes it.
void WriteSave(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> image = g_image;
    uint8_t* payload = image.data() + eMemCard::kPayloadOffset;
    std::fill(payload, payload + gcGameSave::kDataSize, 0);
    std::copy(data, data + std::min<size_t>(size, gcGameSave::kDataSize), payload);
    ps::StoreU32BE(image.data() + eMemCard::kCrcOffset, 0);
    ps::StoreU32BE(image.data() + eMemCard::kCrcOffset, cCalcCRC32(image.data(), eMemCard::kFileSize));
    if (!WriteHost(g_savePath, image))
        Fail("cannot write the save file");
}

// The player as the map made it: no items, the stats it started with, no
// map requested.
void ResetPlayer()
{
    g_pPlayer->RemoveItems(gcGame::GetGameStatePool());
    g_pPlayer->RemoveItems(&gcGame::s_mapPool);
    if (g_pPlayer->m_pItems)
        Fail("the player still holds items outside both pools");
    std::copy(std::begin(g_entityStats[0]), std::end(g_entityStats[0]), g_pPlayer->m_fEntityStatsCur);
    std::copy(std::begin(g_entityStats[1]), std::end(g_entityStats[1]), g_pPlayer->m_fEntityStatsMax);
    std::copy(std::begin(g_creatureStats[0]), std::end(g_creatureStats[0]), g_pPlayer->m_fCreatureStatsCur);
    std::copy(std::begin(g_creatureStats[1]), std::end(g_creatureStats[1]), g_pPlayer->m_fCreatureStatsMax);
    gcGame* pGame = gcGame::s_pGame;
    pGame->m_nLoadingScreenToLoad = pGame->m_nActToLoad = pGame->m_nMapToLoad = -1;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);  // thousands of damaged profiles a second
    fuzzAudio::Start();
    g_pDir = new TempDir("qm_fuzz_save");
    const std::string data = g_pDir->File("data");
    if (!datagen::WriteSampleGame(data))
        Fail("cannot write the sample game");
    DVDSetDataDirectory(data.c_str());
    if (!LoadGame())
        Fail("the sample game does not load");
    g_pPlayer = dcast<gcCreature>(gcPlayer::Get()->m_pEntity);
    if (!g_pPlayer || !gcGame::s_pGame->m_name.m_sData[0])
        Fail("the sample has no player creature or no game name");
    AddItemTemplate("Coins", datagen::kSaveFuzzCoinsSlot, 10, gcItemTemplate::kStackable);
    AddItemTemplate("Gem", datagen::kSaveFuzzGemSlot, 3, 0);
    std::copy(std::begin(g_pPlayer->m_fEntityStatsCur), std::end(g_pPlayer->m_fEntityStatsCur), g_entityStats[0]);
    std::copy(std::begin(g_pPlayer->m_fEntityStatsMax), std::end(g_pPlayer->m_fEntityStatsMax), g_entityStats[1]);
    std::copy(std::begin(g_pPlayer->m_fCreatureStatsCur), std::end(g_pPlayer->m_fCreatureStatsCur),
              g_creatureStats[0]);
    std::copy(std::begin(g_pPlayer->m_fCreatureStatsMax), std::end(g_pPlayer->m_fCreatureStatsMax),
              g_creatureStats[1]);

    // The game saves once; its file is the frame every input goes into.
    CARDTestSetRoot(g_pDir->c_str());
    eMemCard::Initialize("Quillmere Fuzz", "Maker");
    eMemCard::SetSlot(0);
    gcGameSave::ResetAllProfiles();
    gcGameSave::s_nCurProfile = 0;
    gcGameSave::SaveCurProfile(true, false);
    g_savePath = std::string(CARDTestSlotFolder(CARD_SLOT_A)) + "/" + gcGame::s_pGame->m_name.m_sData + ".dat";
    g_image = ReadHost(g_savePath);
    if (eMemCard::s_status != eMemCard::STATUS_READY || g_image.size() != eMemCard::kFileSize)
        Fail("the game's save could not be written");
    ResetPlayer();
    fuzzAudio::Mark();
    std::atexit([] {
        CARDTestSetRoot(nullptr);
        delete g_pDir;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WriteSave(data, size);
    gcGameSave::s_nCurProfile = 0;
    gcGameSave::LoadCurProfile();
    // A save with its CRC made right is loaded, or refused as damaged when
    // a word lies outside what the game writes (the last-used profile).
    if (eMemCard::s_status != eMemCard::STATUS_READY &&
        eMemCard::s_status != eMemCard::STATUS_CORRUPTED_SAVEFILE)
        Fail("a save with its CRC made right was neither loaded nor refused as damaged");
    for (int n = 0; n < gcGameSave::kNumProfiles; ++n) {
        gcGameSave::s_nCurProfile = n;
        gcGameSave::ApplyCurProfile();
        gcGameSave::StartCurProfile();
        gcGameSave::UpdateCurProfile(false);
        ResetPlayer();
    }
    fuzzAudio::CheckNothingKept();
    return 0;
}
