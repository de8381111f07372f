#pragma once
// The sample game's saving: the pause dialog that the player's Start button
// opens in a map, whose "Save" button writes the current profile to the
// memory card in slot A and shows "Saved" for a moment, and whose "Resume" button (or B) closes it; and the
// main menu's "NewGame" and "Continue" buttons, which start a new profile
// or load the one on the card and go on at its map. The east gate's map
// change records the position in the profile (its load-map action saves).
// Offline tool; main thread, while nothing is loaded.

#include <cstdint>
#include <functional>

class cMemPool;
class gcEvent;
class gcGame;

namespace datagen {

// The pause dialog sits in the game's dialog group next to the subtitle
// dialog (slot 200): a range reaching down into slots 70-79 would take in
// the main menu's and the maps' dialog slots (100 on), which the game's
// group would then empty and destroy. Its buttons' sprite is in the game's
// sprite group.
constexpr int kSamplePauseDialogSlot = 201;
constexpr int kSamplePauseSpriteSlot = 70;
// The "Saved" message a save shows for a moment, beside it.
constexpr int kSampleSavedDialogSlot = 202;
// "Save failed" in its place when the card refused the save.
constexpr int kSampleSaveFailedDialogSlot = 203;
// The dialogs' handles: check 0x100 + slot, as SampleMapHandle.
uint32_t SamplePauseDialogHandle();
uint32_t SampleSavedDialogHandle();
uint32_t SampleSaveFailedDialogHandle();

// The pause dialog's buttons, top to bottom; "Save" is focused first.
constexpr const char* kSamplePauseButtons[] = {"Save", "Resume"};

// Appends to the player's control step: Start pressed opens the pause
// dialog and gives it the focus. False (logged) when the pool is full.
bool AppendSamplePauseStep(gcEvent& event, cMemPool* pPool);

// Runs write with a fill that puts the pause dialog and its sprite in the
// game's dialog and sprite groups (widening their ranges); write passes the
// fill on to the game file's writer, to run after any fill that sets those
// ranges. write's result; false (logged) when the dialog cannot be made.
using GameFill = std::function<void(gcGame&)>;
bool WithSamplePauseDialog(const std::function<bool(const GameFill& fill)>& write);

// The main menu's buttons' confirm events. NewGame: profile 1 becomes a new
// profile, act 1 map 1 is requested with loading screen 1 and every dialog
// closes. Continue: profile 1 is loaded from the card in slot A and its map
// started; the dialogs close only when the profile holds a map, so without
// a save the menu stays and the message hNoSaveDialog opens. False (logged)
// when the pool is full.
bool FillSampleNewGame(gcEvent& event, cMemPool* pPool);
bool FillSampleContinue(gcEvent& event, cMemPool* pPool, uint32_t hNoSaveDialog);

}  // namespace datagen
