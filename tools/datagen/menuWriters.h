#pragma once
// Writers for the interface's lists and special controls (check boxes, item
// controls, item lists) and for the main menu: through the engine's own
// Write code and, for the versions the engine only reads, hand-laid; and
// the sample game's main menu. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/dialogWriters.h"
#include "datagen/slotLease.h"
#include "gcGameCore/script/gcString.h"

class cMemPool;
class gcMainMenu;
class gcUICheckBox;
class gcUIItemControl;
class gcUIItemList;

namespace datagen {

// A check box (version 4) as a console data file.
bool WriteCheckBoxFile(const std::string& path, const gcUICheckBox& box);
// The check box block of version 1 to 4 around a version-8 control block;
// version 4 adds empty events and nSprites checked sprites (past the third
// 0x99).
BlockWriter& CheckBoxBlock(BlockWriter& w, const gcUICheckBox& box, uint32_t version, int32_t nSprites = 3);

// An item control (version 5) as a console data file.
bool WriteItemControlFile(const std::string& path, const gcUIItemControl& control);
// The item control block of version 1 to 5: versions 1 and 3 carry a word
// 0x77 that readers drop, version 5 the item padding.
BlockWriter& ItemControlBlock(BlockWriter& w, const gcUIItemControl& control, uint32_t version);

// An item list (version 1) with the widgets of its cells as a console data
// file.
bool WriteItemListFile(const std::string& path, const gcUIItemList& list);

// A main menu through gcMainMenu::Write (version 5), its groups empty unless
// fill puts objects in them.
bool WriteMainMenuFile(const std::string& path, cMemPool* pPool, const std::function<void(gcMainMenu&)>& fill = nullptr);
// The main-menu block of version 1 to 5 as that version stored it, groups
// and event empty; from version 4 the track count and tracks as given.
BlockWriter& MainMenuBlock(BlockWriter& w, uint32_t version, const std::vector<int32_t>& tracks);

// The sample game's texts, in the game's string table (slots 150 on, the
// order of SampleText), drawn by the menu and the pause dialog.
enum SampleText : int {
    kTextNewGame,
    kTextContinue,
    kTextOptions,
    kTextSave,
    kTextResume,
    kTextSubtitlesOn,
    kTextSubtitlesOff,
    kTextBack,
    kTextNoSave,
    kTextSaved,
    kTextSaveFailed,
    kSampleTextCount
};
constexpr const char* kSampleTexts[kSampleTextCount] = {
    "New Game", "Continue", "Options", "Save", "Resume", "[X] Subtitles", "[ ] Subtitles", "Back", "No saved game",
    "Saved", "Save failed"};
constexpr int kSampleTextsBegin = 150;
uint32_t SampleTextHandle(SampleText text);
// Puts the texts in a lease over their kSampleTextCount slots from
// kSampleTextsBegin, made in the pool; false when it is full.
bool PlaceSampleTexts(cMemPool* pPool, SlotLease<gcStringMgr, gcString>& lease);
// The look of the sample's buttons and messages: a dialog of rows x 1
// cells drawing hSprite, dark text in the sample's font, red while focused.
GridDialogDesc SampleButtonGrid(const char* name, int rows, uint32_t hSprite);
// How long the sample's messages ("No saved game", "Saved", "Save failed") stay.
constexpr float kSampleMessageSeconds = 2.5f;

// The sample game's main menu, dir/Game/MainMenu.mnu: a main dialog opened
// when the menu starts, with "NewGame", "Continue" and "Options" buttons
// (new game starts a new profile at act 1, map 1 with loading screen 1,
// continue resumes the profile saved on the card, FillSampleNewGame and
// FillSampleContinue; options opens the options dialog), and an options
// dialog with a "Subtitles" check box (confirm toggles it, its label shows
// the state) and a "Back" button, which like B closes it; a message dialog
// that Continue opens when the card holds no save; every button shows its
// label from the string table and draws the menu's one untextured sprite;
// and its sound file, dir/Game/MainMenuSound.snd, with the blip every
// button and box plays as it takes the focus and the two notes it plays
// as it is confirmed.
bool WriteSampleMainMenu(const std::string& dir);

}  // namespace datagen
