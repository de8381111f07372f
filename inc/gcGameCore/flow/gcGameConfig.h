#pragma once
// What the whole program needs before any game data: the data path, the text
// and voice-over languages, the sizes of every named pool, and the game
// configuration file ("%s/Game/GameConfig.gc": the texture cache's slots and
// the fonts, materials, meshes and animations every screen uses). The one
// instance lives in the "Game Config" pool, read on the game loader's thread
// at start-up, and stays until shut-down. The console half
// (gcGameConfigPlatform) installs the reset and disc-error handlers and shows
// the start-up notice. Type id 100.

#include <cstdint>

#include "cCore/cFile.h"
#include "cCore/cGroup.h"
#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureGroup.h"

class cReadBlock;
class cWriteBlock;

class gcGameConfig : public cObject {
    QM_DECLARE_TYPE(gcGameConfig)
public:
    static constexpr uint32_t kVersion = 1;  // version 0 is refused
    static constexpr int kStartupNoticeFrames = 45;
    static constexpr uint32_t kBlack = 0xFF000000;  // opaque black clear of the screens without a camera

    // Stored in data and save files.
    enum gcLanguage : int32_t {
        LANGUAGE_ENGLISH = 0,
        LANGUAGE_SPANISH = 1,
        LANGUAGE_FRENCH = 2,
        LANGUAGE_GERMAN = 3,
        LANGUAGE_ITALIAN = 4,
        LANGUAGE_DUTCH = 5,
        MAX_LANGUAGES = 6,
    };
    enum gcLanguageType : int32_t {
        LANGUAGE_TEXT = 0,  // strings files and the disc-error texts
        LANGUAGE_VO = 1,    // voice-over files
        MAX_LANGUAGETYPES = 2,
    };
    static const char* GetLanguageShortName(gcLanguage language);  // "eng"..."dut", else "???"
    static const char* GetLanguageName(gcLanguage language);       // "English"..."Dutch", else "???"
    static const char* GetLanguageTypeText(gcLanguageType type);   // "Text", "VoiceOver", else "???"

    // Pool sizes in console bytes (the host allocates kHostPoolScale times
    // as much); constants of the console build.
    static uint32_t GetGamePoolSize() { return 0xA6660; }
    static uint32_t GetGameMusicPoolSize() { return 0x1000; }
    static uint32_t GetGameSoundPoolSize() { return 0x4000; }
    static uint32_t GetGameStringsPoolSize() { return 0x8000; }
    static uint32_t GetGameStatePoolSize() { return 0x60000; }
    static uint32_t GetGameConfigPoolSize() { return 0x8000; }
    static uint32_t GetTexturesPoolSize() { return 0x846680; }
    static uint32_t GetActPoolSize() { return 0xCCC0; }
    static uint32_t GetMapPoolSize() { return 0x340000; }
    static uint32_t GetMainMenuPoolSize() { return 0x340000; }
    static uint32_t GetMapSoundPoolSize() { return 0x4000; }
    static uint32_t GetMapVoiceOversPoolSize() { return 0x4000; }
    static uint32_t GetMapMusicPoolSize() { return 0x1000; }
    static uint32_t GetMapStringsPoolSize() { return 0x8000; }
    static uint32_t GetMapCinematicPoolSize() { return 0x20000; }
    static uint32_t GetMapCinematicVOPoolSize() { return 0x4000; }
    static uint32_t GetRegionPoolSize() { return 0x100000; }
    static uint32_t GetPlayerConfigPoolSize() { return 0xCCCE0; }
    static uint32_t GetPlayerConfigSoundPoolSize() { return 0x4000; }
    static uint32_t GetLoadingScreenPoolSize() { return 0x4000; }
    static uint32_t GetPlatformConfigPoolSize() { return 0x10000; }
    static uint32_t GetPlatformConfigStringsPoolSize() { return 0x4000; }
    // Audio memory of the sound-data groups: none is set aside on the console.
    static uint32_t GetGameSoundDataSize() { return 0; }
    static uint32_t GetMapSoundDataSize() { return 0; }
    static uint32_t GetMapVoiceOversSize() { return 0; }
    static uint32_t GetMapStreamedVoiceOverSize() { return 0; }
    static uint32_t GetPlayerConfigSoundDataSize() { return 0; }

    // Gives a pool its block of size bytes when it has none, else empties it:
    // the first step of every load into a named pool.
    static void PrepPool(cMemPool& pool, uint32_t size);
    // Sets a group's default slot range; game-flow groups own their objects.
    static void SetGroupRange(cGroup& group, int32_t begin, int32_t end);
    // Reads a group block of a game-flow file: the file's range replaces the
    // default one the group was made with.
    static bool ReadGroup(cGroup& group, const cFile& file, cMemPool* pPool);
    // A stored count and its entries: the first nCapacity go to the table,
    // the rest are read and dropped. False for a negative count or a
    // damaged block.
    static bool ReadNameRun(const cReadBlock& rb, int32_t nCount, cName* pNames, int nCapacity);
    static bool ReadIntRun(const cReadBlock& rb, int32_t nCount, int32_t* pValues, int nCapacity);
    // The count, then the names.
    static void WriteNames(const cWriteBlock& wb, const cName* pNames, int nCount);

    // Sets s_pGameConfig, prepares the Textures pool and puts the two fixed
    // textures in texture slots 0 and 1 (check 0xFFFF) for the materials.
    gcGameConfig();
    // Version 1: the cObject block, the texture-configuration group (whose
    // configurations then reserve their texels in the Textures pool), then
    // the texture, material, font, mesh and animation groups.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Empties texture slots 0 and 1 and clears s_pGameConfig.
    ~gcGameConfig() override;

    static void GetFilename(cStr* pName);  // "%s/Game/GameConfig.gc"
    // Loader thread: reads the configuration into the Game Config pool. False
    // (logged) when the file does not open or is refused.
    static bool Load();
    // Deletes the instance and empties the Game Config pool.
    static void Unload();
    // The authoring counterpart: an empty configuration named "GameConfig".
    static void Create();

    // Console half, main thread: handlers first, then the start-up notice.
    static void Initialize();
    // Removes the disc-error handler; the reset handler stays.
    static void Uninitialize();

    eTextureConfigGroup m_textureConfigs;
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eFontGroup m_fonts;
    eMeshGroup m_meshes;
    eAnimationGroup m_animations;

    static gcGameConfig* s_pGameConfig;
    static cStr s_dataPath;  // the first "%s" of every data file name
    static gcLanguage s_languages[MAX_LANGUAGETYPES];
    static cMemPool s_gameConfigPool;  // "Game Config"
    static cMemPool s_texturesPool;    // "Textures": the texture cache's texels

private:
    void CreateTextureCache() const;
};
