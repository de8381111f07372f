#pragma once
// The front end shown whenever no map runs: dialogs with their textures,
// materials, fonts, sprites and functions, an event applied when it starts,
// its own sound data and up to two music tracks, read from
// "%s/Game/MainMenu.mnu" into the Map pool (so it and a map never coexist)
// on the main-menu loader's thread. Run draws and updates the interface
// until the menu's scripts have requested a map and every dialog has
// closed; a menu that shows no dialog, or closes them all with no map
// requested, has failed. One at a time (s_pMainMenu). Type id 173; Run on
// the main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cStr.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcFunction.h"

class eSoundDataGroup;
class gcMsgTick;

class gcMainMenu : public cBase {
    QM_DECLARE_TYPE(gcMainMenu)
public:
    static constexpr uint32_t kVersion = 5;
    static constexpr int kMaxMenuTracks = 2;
    static constexpr int32_t kSoundBegin = 250;
    static constexpr int32_t kSoundEnd = 450;

    // Groups over their slot ranges, no tracks; registers s_pMainMenu.
    gcMainMenu();
    gcMainMenu(const gcMainMenu&) = delete;
    gcMainMenu& operator=(const gcMainMenu&) = delete;
    // Its groups delete what they hold, the sound data too; clears s_pMainMenu.
    ~gcMainMenu() override;

    // Version 5: the cBase block, textures, materials, fonts, sprites,
    // dialogs, functions, OnStarted and the two tracks.
    void Write(const cFile& file) const override;
    // Versions 1 to 5 (fonts from 2, sprites from 3, tracks from 4,
    // functions from 5); version 0 and newer ones are refused. Track counts
    // beyond two keep two; a negative count fails. A menu one of whose
    // dialogs was refused or lost a widget on the way fails too.
    bool Read(const cFile& file, cMemPool* pPool) override;

    static void GetFilename(cStr* pName);       // "%s/Game/MainMenu.mnu"
    static void GetSoundFilename(cStr* pName);  // "%s/Game/MainMenuSound.snd"

    // The menu from its file into the Map pool, deleting the act (and its
    // map) and the old menu, then its sound data; true at once when a menu
    // is resident. False (logged) when the file does not open (nothing is
    // deleted) or is refused (no menu afterwards).
    static bool Load();
    // A missing sound file leaves the sound data as it was; true.
    bool LoadSoundData();
    // Empty sound data in a fresh Map Sound pool.
    void CreateSoundData();
    // The tracks into the Map Music pool; false at the first that finds no slot.
    bool LoadMusic();

    // Runs the menu until a map is requested and the dialog stack is empty
    // (true), or the OS step ends the program (true). A menu that leaves
    // nothing to choose fails with an error naming its file: false at once
    // when its start events open no dialog, or once its dialogs have all
    // closed with no map requested. Every end but the first comes after a
    // last cleared frame, with the music stopped and the channel groups
    // freed; an end by a choice first lets the choice's sound play out (at
    // most kChoiceMostSeconds).
    bool Run();
    // Input, the controller-changed event, the mixer, the game camera and
    // the dialog stack, one tick.
    void Update(const gcMsgTick& tick);
    // One frame of the menu: opaque black under the dialogs.
    void Draw();

    gcEvent onStarted;
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eFontGroup m_fonts;
    eSpriteGroup m_sprites;
    gcUIDialogGroup m_UIDialogs;
    eSoundDataGroup* m_pSoundData = nullptr;  // in the Map Sound pool; null without a sound file
    gcFunctionGroup m_functions;
    int32_t m_nMenuTracks[kMaxMenuTracks] = {-1, -1};      // music ids; -1 none
    int32_t m_nMenuTrackIndex[kMaxMenuTracks] = {-1, -1};  // music slots; -1 not loaded

    static gcMainMenu* s_pMainMenu;

    static constexpr float kChoiceMostSeconds = 0.5f;

private:
    static void PlayOutChoice();
    // Logs that the menu cannot go on, naming its file and why; false.
    static bool Fail(const char* why);
    bool ReadGroups(const cFile& file, cMemPool* pPool, uint32_t version);
    void DeleteSoundData();
};
