#pragma once
// The game: the object read from "%s/Game/Game.gam" that names every act,
// player configuration, loading screen and music track, holds the resources
// and script events of the whole game and carries the request of the next
// map; and, statically, the named pools of the game flow with the loads
// that fill them, and the top loop. The one instance lives in the "Game"
// pool, read on the game loader's thread at start-up, destroyed at
// shut-down. The top loop and everything it calls run on the main thread.
// Type id 64.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSprite.h"
#include "eEngine/eSurface.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcDesiredWidget.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcStateMachine.h"

class eSoundDataGroup;
struct mOCS;
class gcMsgTick;
class gcStringGroup;

class gcGame : public cObject {
    QM_DECLARE_TYPE(gcGame)
public:
    static constexpr uint32_t kVersion = 18;
    static constexpr uint32_t kMinVersion = 4;  // older blocks are refused
    static constexpr int kMaxActs = 12;
    static constexpr int kMaxPlayerConfigs = 8;
    static constexpr int kMaxLoadingScreens = 48;
    static constexpr int kMaxMusic = 48;
    static constexpr int kMaxGameTracks = 4;
    static constexpr int kRegionPools = 5;

    // Names empty, groups with their default slot ranges, events named and
    // owned by the game's name, no map requested, no game tracks. Sets
    // s_pGame and starts the music.
    gcGame();
    // A copy in the pool that holds it, which is not the resident game
    // (s_pGame stays the source or whatever it was): names, music sizes, game tracks, the request and the voice-over
    // control as they are; the events' actions copied into the pool; the
    // sound data and strings as groups of their own in the pool. The
    // groups cover the source's slot ranges without owning them (the
    // objects in those slots stay the source's), and no music slot is
    // taken (the game tracks are not loaded).
    gcGame(const gcGame& other);
    gcGame& operator=(const gcGame&) = delete;
    // Deletes its sound data and strings and frees its game tracks. The
    // resident game (s_pGame) also deletes what the game's pools hold through
    // it (main menu, act, player configuration, loading screen, game state),
    // stops the music and clears s_pGame; a copy leaves all that alone.
    ~gcGame() override;
    // A copy holding every action of the eight events, or null.
    cBase* Copy(cMemPool* pPool) const override;

    // Version 18, with 12 act, 8 player-configuration, 48 loading-screen and
    // 48 music names, 48 music sizes and 4 game tracks, and the game camera's
    // collision mask.
    void Write(const cFile& file) const override;
    // Versions 4 to 18; fields newer than the file keep their defaults.
    // Counts beyond a table are read and the surplus dropped; a negative
    // count fails the block.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // File names, all below the data path.
    static void GetFilename(cStr* pName);         // "%s/Game/Game.gam"
    static void GetSoundFilename(cStr* pName);    // "%s/Game/GameSound.snd"
    static void GetStringsFilename(cStr* pName);  // "%s/Game/GameStrings_%s.str", text language
    static void GetMovieFilename(const char* name, cStr* pName);  // "%s/Game/Movies/%s_%s.mov"

    // Loader thread: the game object from its file, then its sound data and
    // strings (missing ones leave their groups empty). False (logged) when
    // the file does not open or is refused.
    static bool Load();
    // Steps of Load alone: true when the file opened.
    bool LoadSoundData();
    bool LoadStringTable();
    // The game tracks into the Game Music pool; false at the first track no
    // slot takes.
    bool LoadMusic();
    // The game state, read anew every time into the Game State pool. False
    // (logged) when the file does not open (the resident state stays) or
    // is refused.
    static bool LoadGameState();
    // Player configuration id (0..7) into the Player Config pool, then its
    // sound data; true at once when that id is resident. False (logged) for
    // an id outside 0..7, a file that does not open (the resident one stays)
    // or a refused one.
    static bool LoadPlayerConfig(int nId);
    // Act id (0..11) into the Act pool, deleting the main menu too; true at
    // once when that act is resident. False (logged) for an id outside the
    // table, a file that does not open (the resident act stays) or a
    // refused one.
    static bool LoadAct(int nId);
    // Loading screen id (0..47) into the Loading Screen pool; true at once
    // when it is resident. False (logged) as for LoadAct; *pRefused, when
    // given, tells a file that is there and damaged (damaged game data) from
    // an id or a file that is not there.
    static bool LoadLoadingScreen(int nId, bool* pRefused = nullptr);

    // Editing tools: the loads' pool handling and construction, without a
    // file. The game in the Game pool (the Game Music and Game Sound pools
    // readied too), then its empty sound data and strings.
    static void Create();
    // The game alone, without sound data and strings.
    static void PreCreate();
    // Empty sound data over the slots of the load in a fresh Game Sound
    // pool; empty strings likewise in the Game Strings pool.
    void CreateSoundData();
    void CreateStringTable();
    // An empty loading screen of that id, with that name, which also goes
    // into the resident game's table at the id. Ids outside the table are
    // refused (logged), as by the load.
    static void CreateLoadingScreen(int nId, const cName& name);
    // An empty player configuration of that id and name with empty sound
    // data; the name into the game's table.
    static void CreatePlayerConfig(int nId, const cName& name);
    // The same without sound data, the table left alone.
    static void PreCreatePlayerConfig(int nId, const cName& name);
    // An empty main menu in the Map pool (the act and its map deleted, the
    // Map Music pool readied), with empty sound data.
    static void CreateMainMenu();
    // The same without sound data.
    static void PreCreateMainMenu();
    // An empty act of that id and name in the Act pool, the main menu
    // deleted; the name into the game's table.
    static void CreateAct(int nId, const cName& name);
    // An empty game state in the Game State pool.
    static void CreateGameState();

    static cMemPool* GetGameStatePool() { return &s_gameStatePool; }
    // Deletes the game object, then empties the pools of the game flow.
    static void Unload();
    static gcGame* Get() { return s_pGame; }

    // The start-up load on the game loader's thread (main thread waits).
    static bool LoadBackground();

    // How the top loop ended.
    enum eRunEnd {
        RUN_ENDED,                  // by the OS service step
        RUN_MAP_FAILED,             // a map could not be loaded, or a region streamed in was damaged
        RUN_GAME_STATE_FAILED,      // the game state could not be loaded for a map
        RUN_MAIN_MENU_FAILED,       // the main menu (or the game state before it) could not be loaded,
                                    // or the menu left nothing to choose
        RUN_LOADING_SCREEN_FAILED,  // a loading screen of the game's data was refused
    };
    // The top loop: pre-game screens, then main menu or map until the OS
    // service step, a failed load or a failed main menu ends it.
    eRunEnd Run();
    // The frame of the screens without a world (pre-game, loading): opaque
    // black under the game camera's overlays (the interface).
    static void DrawOverBlack();
    // One tick of the services that keep going while a loader thread runs:
    // input, music, the mixer with the listener at the frame, the interface
    // and the game camera. With bControllerEvent the platform's
    // controller-changed event runs after the input.
    static void UpdateWhileLoading(const mOCS& listener, bool bControllerEvent);
    // Applies the platform configuration's controller-changed event when a
    // controller came or went this frame.
    static void HandleControllerChanged();
    // Runs the pre-game screens for as long as a dialog is open.
    void HandlePreGame();
    // Reads "act" and "map" (1-based) from the command line; both or neither.
    void HandleCommandLineParams();
    // The command-line value of name as a 0-based id: -1 when the option is
    // absent. False when it is there but not a decimal number from 1 to
    // 2^31-1 (0, signed, not a number, missing, too large).
    static bool ReadCommandLineId(const char* name, int32_t* pId);
    // Stores the request and ends the running map.
    void SetNextMapToLoad(int nLoadingScreen, int nAct, int nMap);
    // Plays a movie full screen until it ends or, when skippable, the
    // cinematic-skip button is pressed.
    void PlayMovie(const char* name, bool bSkippable);
    bool IsMapRequested() const { return m_nActToLoad >= 0 && m_nMapToLoad >= 0; }

    cName m_actNames[kMaxActs];
    cName m_playerConfigNames[kMaxPlayerConfigs];
    cName m_loadingScreenNames[kMaxLoadingScreens];
    cName m_musicNames[kMaxMusic];
    int32_t m_nMusicSize[kMaxMusic] = {};  // kept with the names; unused by the running game
    int32_t m_nGameTracks[kMaxGameTracks];  // music ids played game-wide; -1 none
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eMeshGroup m_meshes;
    eAnimationGroup m_animations;
    eSurfaceGroup m_surfaces;
    gcKeyValueGroup m_keyValues;
    gcFunctionGroup m_functions;
    eSoundDataGroup* m_pSoundData = nullptr;  // in the Game Sound pool
    gcUIDialogGroup m_UIDialogs;
    gcStringGroup* m_pStrings = nullptr;  // in the Game Strings pool
    eSpriteGroup m_sprites;
    gcConstantGroup m_constants;
    gcStateMachineGroup m_stateMachines;
    gcDesiredWidget m_voDesiredWidget;  // the control that shows voice-over texts
    gcEvent m_onGameStarted;
    gcEvent m_onMapStarted;
    gcEvent m_onMapEnded;
    gcEvent m_onCinematicStarted;
    gcEvent m_onCinematicEnded;
    gcEvent m_onUIConfirm;
    gcEvent m_onUIBack;
    gcEvent m_onUIFocusChanged;
    int32_t m_nLoadingScreenToLoad = -1;  // the next-map request, 0-based; -1 none
    int32_t m_nActToLoad = -1;
    int32_t m_nMapToLoad = -1;
    int32_t m_nGameTrackIndex[kMaxGameTracks];  // music slot of each game track; -1 not loaded

    static gcGame* s_pGame;
    static cMemPool s_gamePool;                // "Game"
    static cMemPool s_gameMusicPool;           // "Game Music"
    static cMemPool s_gameSoundPool;           // "Game Sound"
    static cMemPool s_gameStringsPool;         // "Game Strings"
    static cMemPool s_gameStatePool;           // "Game State"
    static cMemPool s_actPool;                 // "Act"
    static cMemPool s_mapPool;                 // "Map": a map or the main menu
    static cMemPool s_mapSoundPool;            // "Map Sound"
    static cMemPool s_mapVoiceOversPool;       // "Map Voice Overs"
    static cMemPool s_mapMusicPool;            // "Map Music " (the trailing blank is the name's)
    static cMemPool s_mapStringsPool;          // "Map Strings"
    static cMemPool s_mapCinematicPool;        // "Map Streamed Cinematics"
    static cMemPool s_mapCinematicVOPool;      // "Map Streamed Cinematic VO"
    static cMemPool s_playerConfigPool;        // "Player Config"
    static cMemPool s_playerConfigSoundPool;   // "Player Config Sound"
    static cMemPool s_loadingScreenPool;       // "Loading Screen"
    static cMemPool s_regionPools[kRegionPools];  // "Region", one region each

private:
    // The hooks the game installs into the classes below it.
    static void InstallHooks();
    bool ReadNames(const cReadBlock& rb);
    bool ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version);
    bool ReadEvents(const cFile& file, cMemPool* pPool, uint32_t version);
    void PreGameFrame(const gcMsgTick& tick);
};
