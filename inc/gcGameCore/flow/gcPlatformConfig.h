#pragma once
// What differs per target platform: the platform's own screens and
// resources and the script events through which the game flow hands
// platform moments to the data (before the game, after a save or a load, a
// changed controller, the main menu's start), and the save file's icon. One
// instance, read from "%s/Game/PlatformConfig_%s.plc" into the "Platform
// Config" pool on the game loader's thread at start-up, kept until
// shut-down, with its strings ("%s/Game/PlatformStrings_%s_%s.str") in the
// "Platform Config Strings" pool. Type id 215.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"

class gcStringGroup;

class gcPlatformConfig : public cObject {
    QM_DECLARE_TYPE(gcPlatformConfig)
public:
    static constexpr uint32_t kVersion = 7;  // version 0 is refused
    static constexpr int kPlatforms = 4;     // "pc", "gc", "xbox", "ps2"
    static constexpr int kConsolePlatform = 1;

    gcPlatformConfig();
    ~gcPlatformConfig() override;
    void Write(const cFile& file) const override;
    // Versions 1 to 7, newer fields keeping their defaults in older files.
    // An icon size below 0 or beyond what the pool can still hold is
    // refused before its bytes are read.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 1 (the console) unless the command line's "platform" value contains
    // "pc", "gc", "xbox" or "ps2", tested in that order.
    static int GetCurrentPlatformId();
    static const char* GetPlatformName(int platform);  // null outside 0..3
    // "%s/Game/PlatformConfig_%s.plc"; a negative platform is the current one.
    static void GetFilename(cStr* pName, int platform);
    // "%s/Game/PlatformStrings_%s_%s.str": the platform's name and the text
    // language's short name; a negative platform is the current one.
    static void GetStringsFilename(cStr* pName, int platform);
    // Loader thread: the configuration, then its strings (a missing strings
    // file leaves them empty). False (logged) when the configuration does
    // not open or is refused.
    static bool Load(int platform);
    // Deletes the instance and empties the Platform Config pool.
    static void Unload();
    // A fresh string group in the Platform Config Strings pool, read from the
    // strings file when it opens; true when it opened and was read (refused
    // strings leave the group empty).
    bool LoadStringTable(int platform);
    // The same group without a file (authoring).
    void CreateStringTable();
    // Authoring: an empty configuration named "PlatformConfig" with empty
    // strings; the game never calls it.
    static void Create();
    // Authoring: a copy of the icon in the object's pool, 32-byte aligned.
    // False (logged, icon unchanged) for a negative size, missing data or
    // no room.
    bool SetIconData(int size, const void* pData);

    gcEvent onPreGameStarted;
    gcEvent onGameSaved;
    gcEvent onGameLoaded;
    gcEvent onControllerChanged;
    gcEvent onMainMenuStarted;
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    gcFunctionGroup m_functions;
    gcUIDialogGroup m_UIDialogs;
    gcStringGroup* m_pStrings = nullptr;  // in the Platform Config Strings pool
    eSpriteGroup m_sprites;
    gcConstantGroup m_constants;
    int32_t m_nIconDataSize = 0;
    uint8_t* m_pIconData = nullptr;  // in the object's pool, 32-byte aligned

    static gcPlatformConfig* s_pPlatformConfig;
    static cMemPool s_platformConfigPool;         // "Platform Config"
    static cMemPool s_platformConfigStringsPool;  // "Platform Config Strings"

private:
    void DeleteStrings();
    bool ReadIconData(const cReadBlock& rb, cMemPool* pPool);
};
