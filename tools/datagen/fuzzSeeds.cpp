#include "datagen/fuzzSeeds.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cType.h"
#include "datagen/blockWriter.h"
#include "datagen/datagen.h"
#include "datagen/materialWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleProps.h"
#include "datagen/soundWriters.h"
#include "datagen/thpWriter.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eTextureConfig.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "platform/card.h"
#include "../../platform/test/card_test.h"

namespace datagen {

namespace {

namespace fs = std::filesystem;

RgbaImage Solid(uint32_t side, uint8_t r, uint8_t g, uint8_t b)
{
    RgbaImage image;
    image.width = image.height = side;
    for (uint32_t i = 0; i < side * side; ++i)
        image.rgba.insert(image.rgba.end(), {r, g, b, 255});
    return image;
}

// A file of every class that can be made, as its own Write stores a default
// object.
bool WriteEveryClass(const fs::path& dir)
{
    cMemPool pool("fuzzSeeds", 0x80000, false);
    bool ok = true;
    for (int id = 1; id < cType::kMaxTypes; ++id) {
        const cType* pType = cType::Find(id);
        if (!pType || !pType->m_pNewFunc)
            continue;
        cBase* p = pType->m_pNewFunc(&pool);
        if (!p)
            return false;
        ok = WriteObjectFile((dir / (std::string(pType->m_sTypeName) + ".dat")).string(), *p) && ok;
        std::destroy_at(p);
        pool.Reset();
    }
    return ok;
}

void AddTriangle(ZoneDesc* pDesc, mVec3 a, mVec3 b, mVec3 c)
{
    ZoneTriangle t;
    const mVec3 corners[3] = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        t.v[i].pos = corners[i];
        t.v[i].normal = mVec3(0, 0, 1);
        t.v[i].u = t.v[i].lu = corners[i].x / 8.0f;
        t.v[i].v = t.v[i].lv = corners[i].y / 8.0f;
    }
    pDesc->triangles.push_back(t);
}

// A zone of two triangles with a lightmap of the size the fuzz target's
// lightmap slots hold (32 x 32, compressed), and a mesh of one triangle.
bool WriteWorldFiles(const fs::path& dir)
{
    ZoneDesc zone;
    zone.boxMin = mVec3(-8, -8, -8);
    zone.boxMax = mVec3(8, 8, 8);
    zone.treeSize = 16;
    zone.visLevels = zone.colLevels = 3;
    zone.materials = {0x00110005u};
    zone.surfaces = {0x00330007u};
    AddTriangle(&zone, mVec3(-4, -4, 0), mVec3(4, -4, 0), mVec3(4, 4, 0));
    AddTriangle(&zone, mVec3(-4, -4, 0), mVec3(4, 4, 0), mVec3(-4, 4, 0));
    bool ok = WriteZoneFile((dir / "zone.dat").string(), zone);
    zone.bLightmap = true;
    TextureFileDesc lightmap;
    ok = MakeTextureDesc("lm_zone", 1, eTextureConfig::FORMAT_CMPR, false, Solid(32, 200, 180, 160), nullptr,
                         &lightmap) && ok;
    zone.lightmaps.push_back(lightmap);
    ok = WriteZoneFile((dir / "zoneLightmap.dat").string(), zone) && ok;

    MeshDesc mesh;
    mesh.nodes.resize(1);
    mesh.nodes[0].name = "root";
    mesh.objectsStart = 0;
    mesh.nObjects = 1;
    MeshObjectDesc object;
    object.corners.resize(3);
    object.corners[1].pos = mVec3(1, 0, 0);
    object.corners[2].pos = mVec3(0, 1, 0);
    mesh.objects.push_back(object);
    ok = WriteMeshFile((dir / "mesh.dat").string(), mesh) && ok;
    return ok;
}

bool WriteResourceGroups(const fs::path& dir)
{
    std::vector<int16_t> tone(800);
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<int16_t>(std::lround(6000.0 * std::sin(0.08 * static_cast<double>(i))));
    bool ok = WriteSoundDataGroupFile((dir / "soundGroup.dat").string(), 0,
                                      {MakeSoundRecord("tone", tone, true), MakeSoundRecord("blip", tone, false)});
    ok = WriteTextureConfigGroupFile((dir / "textureConfigGroup.dat").string(), 2,
                                     {{eTextureConfig::FORMAT_CMPR, 32, 32, false, false, 0x222},
                                      {eTextureConfig::FORMAT_RGBA8, 16, 16, true, false, 0x333}}) &&
         ok;
    return ok;
}

bool WriteMovies(const fs::path& dir)
{
    bool ok = true;
    for (int audio = 0; audio < 2; ++audio) {
        ThpMovie movie;
        movie.width = 16;
        movie.height = 16;
        for (int k = 0; k < 3; ++k) {
            std::vector<uint8_t> rgb(16 * 16 * 3);
            for (size_t i = 0; i < rgb.size(); ++i)
                rgb[i] = static_cast<uint8_t>(i * 7 + k * 40);
            movie.framesRgb.push_back(rgb);
        }
        if (audio) {
            movie.audioChannels = 2;
            std::vector<int16_t> track(2 * 3400);
            for (size_t i = 0; i < track.size(); ++i)
                track[i] = static_cast<int16_t>((i * 97) % 12000);
            movie.audioTracks.push_back(track);
        }
        ok = WriteThpFile((dir / (audio ? "audio.thp" : "silent.thp")).string(), movie) && ok;
    }
    return ok;
}

std::vector<uint8_t> ReadHost(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A save made by the game on a card in a scratch folder, laid out as the
// card target reads it: the status text's length (16 bits, big-endian), the
// text, then the image.
bool WriteCardSeed(const fs::path& dir)
{
    const fs::path scratch = dir / "scratch";
    std::error_code ec;
    fs::create_directories(scratch, ec);
    CARDTestSetRoot(scratch.c_str());
    eMemCard::Initialize("Quillmere Fuzz", "Maker");
    eMemCard::SetSlot(0);
    std::vector<uint8_t> payload(1000);
    for (size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<uint8_t>(i * 13);
    eMemCard::Save("QuillmereSave", 16, payload.data(), 1000, true);
    const bool saved = eMemCard::s_status == eMemCard::STATUS_READY;
    const fs::path folder = CARDTestSlotFolder(CARD_SLOT_A);
    const std::vector<uint8_t> status = ReadHost(folder / "QuillmereSave.stat");
    const std::vector<uint8_t> image = ReadHost(folder / "QuillmereSave.dat");
    CARDTestSetRoot(nullptr);
    fs::remove_all(scratch, ec);
    if (!saved || status.empty() || image.empty()) {
        cLogError_("datagen: the card seed could not be saved");
        return false;
    }
    std::vector<uint8_t> seed = {static_cast<uint8_t>(status.size() >> 8), static_cast<uint8_t>(status.size())};
    seed.insert(seed.end(), status.begin(), status.end());
    seed.insert(seed.end(), image.begin(), image.end());
    return WriteBytes((dir / "save.bin").string(), seed);
}

bool WriteSettingsSeeds(const fs::path& dir)
{
    const std::string texts[] = {"progressive=1\nsoundmode=0\n", "progressive=0\nsoundmode=1\n",
                                 "soundmode=7\nprogressive=\nname\n"};
    bool ok = true;
    for (size_t i = 0; i < std::size(texts); ++i)
        ok = WriteBytes((dir / ("settings" + std::to_string(i))).string(),
                        std::vector<uint8_t>(texts[i].begin(), texts[i].end())) &&
             ok;
    return ok;
}

// Each sample game file behind the byte that chooses it.
bool WriteGameSeeds(const fs::path& dir)
{
    const fs::path sample = dir / "sample";
    if (!WriteSampleGame(sample.string()))
        return false;
    for (int i = 0; i < kGameFuzzFileCount; ++i) {
        std::ifstream in(sample / "Game" / kGameFuzzFiles[i], std::ios::binary);
        std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        bytes.insert(bytes.begin(), static_cast<char>(i));
        std::ofstream out(dir / ("seed" + std::to_string(i)), std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (!in || !out)
            return false;
    }
    std::error_code ec;
    fs::remove_all(sample, ec);
    return !ec;
}

// A profile that has been played: a position, options, key values, time,
// items (a gem holding a gem, coins, the brass key) and stats.
void PlayedProfile(gcGameSave::gcGameProfile* p)
{
    const uint32_t coins = static_cast<uint32_t>(kSaveFuzzCoinsSlot) | uint32_t{kSaveFuzzCheck} << 16;
    const uint32_t gem = static_cast<uint32_t>(kSaveFuzzGemSlot) | uint32_t{kSaveFuzzCheck} << 16;
    p->nFlags = 0;
    p->timePlayed = cTimeValue(36000);
    p->nAct = 0;
    p->nMap = 1;
    p->nLoadingScreen = 0;
    p->fOptionValues[gcGameSave::OV_CAMERA_INVERT_Y] = -1.0f;
    for (int i = 0; i < 8; ++i)
        p->fGameStateKeyValues[i] = static_cast<float>(i) * 0.5f;
    const struct {
        uint32_t handle;
        int32_t count;
        uint32_t flags;
        int32_t parent;
    } items[] = {
        {gem, 1, gcItem::kEquipped, -1},
        {gem, 1, gcItem::kEquipped, 0},
        {coins, 7, 0, -1},
        {SampleMapHandle(kKeyTemplateSlot), 1, 0, -1},
    };
    p->nPlayerItems = static_cast<int32_t>(std::size(items));
    for (size_t i = 0; i < std::size(items); ++i) {
        p->hPlayerItems[i] = items[i].handle;
        p->nPlayerItemCounts[i] = items[i].count;
        p->nPlayerItemFlags[i] = items[i].flags;
        p->nPlayerItemParent[i] = items[i].parent;
    }
    const float entity[gcGameSave::kNumEntityStats] = {80.0f, 5.0f, 0.5f, 1.0f};
    std::copy(std::begin(entity), std::end(entity), p->fPlayerEntityStat);
    for (int i = 0; i < gcGameSave::kNumCreatureStats; ++i)
        p->fPlayerCreatureStat[i] = 10.0f + static_cast<float>(i);
    p->fSoundVolume = 0.5f;
    p->fMusicVolume = 0.25f;
    p->audioMode = 1;
    p->bRumble = false;
}

// A profile no game writes: counts, parents, ids, modes and stats out of
// every range.
void DamagedProfile(gcGameSave::gcGameProfile* p)
{
    PlayedProfile(p);
    p->nAct = INT32_MAX;
    p->nMap = -7;
    p->timePlayed = cTimeValue(INT32_MIN);
    p->nPlayerItems = 40;
    p->nPlayerItemParent[1] = 3;
    p->nPlayerItemCounts[2] = INT32_MIN;
    p->hPlayerItems[4] = 0xFFFFFFFFu;
    p->nPlayerItemParent[4] = -2;
    p->fPlayerEntityStat[0] = NAN;
    p->fPlayerCreatureStat[1] = -INFINITY;
    p->fSoundVolume = NAN;
    p->fMusicVolume = 1e30f;
    p->audioMode = 99;
}

// The save data as the game writes it to the card: the last used profile,
// then three profiles.
bool WriteSaveSeeds(const fs::path& dir)
{
    using Data = gcGameSave::gcGameData;
    const auto write = [&](const char* name, const std::function<void(Data&)>& fill) {
        auto pData = std::make_unique<Data>();
        fill(*pData);
        std::vector<uint8_t> bytes(gcGameSave::kDataSize);
        pData->Encode(bytes.data());
        return WriteBytes((dir / name).string(), bytes);
    };
    bool ok = write("new", [](Data&) {});
    ok = write("played", [](Data& d) {
        d.nLastUsedProfile = 1;
        PlayedProfile(&d.profiles[1]);
    }) && ok;
    ok = write("mixed", [](Data& d) {
        d.nLastUsedProfile = 5;
        PlayedProfile(&d.profiles[0]);
        DamagedProfile(&d.profiles[2]);
    }) && ok;
    return ok;
}

}  // namespace

const char* const kGameFuzzFiles[kGameFuzzFileCount] = {
    "Game.gam",        "GameConfig.gc",         "PlatformConfig_gc.plc", "GameState.gs",
    "Act01/Act01.act", "Act01/Map01/Map01.map", "Act01/Map01/Region01.rgn", "PlayerConfig01.pc",
    "MainMenu.mnu",    "LoadingScreens/LoadingScreen01.ls",
};

bool WriteFuzzSeeds(const std::string& root)
{
    const fs::path base(root);
    for (const char* sub : {"load", "movie", "card", "settings", "game", "save"}) {
        std::error_code ec;
        fs::create_directories(base / sub, ec);
        if (ec) {
            cLogError_("datagen: cannot make %s: %s", (base / sub).c_str(), ec.message().c_str());
            return false;
        }
    }
    bool ok = WriteEveryClass(base / "load");
    ok = WriteWorldFiles(base / "load") && ok;
    ok = WriteResourceGroups(base / "load") && ok;
    ok = WriteMovies(base / "movie") && ok;
    ok = WriteCardSeed(base / "card") && ok;
    ok = WriteSettingsSeeds(base / "settings") && ok;
    ok = WriteGameSeeds(base / "game") && ok;
    ok = WriteSaveSeeds(base / "save") && ok;
    return ok;
}

}  // namespace datagen
