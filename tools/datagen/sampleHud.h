#pragma once
// The sample game's heads-up display and the player's death: a dialog at
// the top left of every map (shown by the map's start actions) whose bar is
// as wide as the player's health, and beside it the brass key while the
// player carries one; and a dialog saying "You fell" that the player's death
// fades in, after which the map starts again from its start. Both live in the
// game's dialog group next to the pause dialog, the bar's sprite in the
// game's sprite group, the message in the game's strings. Offline tool; main
// thread, while nothing is loaded.

#include <cstdint>
#include <functional>
#include <string>

#include "datagen/blockWriter.h"
#include "datagen/samplePlayer.h"

class cMemPool;
class gcEvent;

class gcGame;

namespace datagen {

// Slots (handles: check 0x100 + slot, as SampleMapHandle).
constexpr int kSampleHudDialogSlot = 205;    // in the game's dialog group
constexpr int kSampleDeathDialogSlot = 206;
constexpr int kSampleHudSpriteSlot = 75;     // in the game's sprite group
constexpr int kSampleGameStringsBegin = 150;
constexpr int kSampleDeathStringSlot = 199;  // in the game's strings
// The bar's width in pixels per point of health: 100 health, 160 pixels.
constexpr float kSampleHealthBarScale = 1.6f;
// The health of a full bar: its frame. A health outside 0 to it is drawn as
// an empty or a full bar.
constexpr float kSampleHealthBarFull = 100.0f;
constexpr float kSampleHealthBarHeight = 14.0f;
// The death message fades in over the first time (the show's transition
// then holds it as long again) and stays for the second; then the map
// restarts: three seconds in all. The dialog's clock counts a transition's
// time down from its length, so the hold is the longer.
constexpr float kSampleDeathFadeSeconds = 0.75f;
constexpr float kSampleDeathHoldSeconds = 1.5f;
constexpr const char* kSampleDeathText = "You fell";
// How far its dialog stands below the top middle of the screen's safe
// frame, in pixels (the health bar lies above that frame's top).
constexpr float kSampleDeathTextTop = 40.0f;
// The names of the HUD's controls, as a test finds them.
constexpr const char* kSampleHealthControl = "Health";
constexpr const char* kSampleKeyControl = "Key";

// Runs write with a fill that puts the two dialogs and the bar's sprite in
// the game's groups (widening their ranges); write passes the fill on to the
// game file's writer. write's result; false (logged) when a dialog cannot be
// made.
using HudGameFill = std::function<void(gcGame&)>;
bool WithSampleHud(const std::function<bool(const HudGameFill& fill)>& write);

// The map's start actions: the death message closed (a restart leaves it
// open) and the HUD opened beneath any other dialog, without the focus.
// False when one could not be written.
bool SampleHudStartActions(BlockWriter& w, const ActionMemberFunc& member);

// Appends to the player's control script's event handler: on the player's
// death the message fades in. False (logged) when the pool is full.
bool AppendSampleDeathStep(gcEvent& event, cMemPool* pPool);

// The game's strings (the menus' texts and the death message) as a string
// file.
bool WriteSampleGameStrings(const std::string& path);

}  // namespace datagen
