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

// The sample game's main menu, dir/Game/MainMenu.mnu: a main dialog opened
// when the menu starts, with "NewGame", "Continue" and "Options" buttons
// (new game starts a new profile at act 1, map 1 with loading screen 1,
// continue resumes the profile saved on the card, FillSampleNewGame and
// FillSampleContinue; options opens the options dialog), and an options
// dialog with a "Subtitles" check box that closes itself on back; the
// buttons draw the menu's one untextured sprite; and its sound file,
// dir/Game/MainMenuSound.snd, with no sounds.
bool WriteSampleMainMenu(const std::string& dir);

}  // namespace datagen
