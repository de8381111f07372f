#pragma once
// The sample game's greeting scene: a cinematic in the first map that plays
// a spoken line (a tone) with its subtitle, started by a trigger across the
// road in the middle region; and what the subtitle is drawn with: a bitmap
// font in the game configuration and a subtitle dialog in the game file,
// named as the game's voice-over control. Offline tool; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/regionWriters.h"
#include "mMath/mVec3.h"

class gcMap;

namespace datagen {

// What the scene is made of, as a test listening to and looking at a run
// finds it.
constexpr double kGreetingToneHz = 880.0;
constexpr int kGreetingLengthTicks = 3 * 600;  // the line's length: three seconds
constexpr const char* kGreetingText = "Welcome to Ashgrove Road.";
constexpr uint32_t kSubtitleColor = 0xFFFFE020;  // 0xAARRGGBB: yellow
constexpr int kGreetingCinematicSlot = 10;       // in the first map's cinematic group
constexpr int kGreetingTriggerSlot = 10;         // in its region-trigger group

// The handle of the font the subtitles and the menus draw with (in the
// game configuration, loaded before the menu).
uint32_t SampleFontHandle();
// The handle of the material of the menus' and messages' boxes (in the game
// configuration too): plain yellow, faded with its dialog.
uint32_t SampleBoxMaterialHandle();
// A larger font of the same glyphs (kSampleLargeFontScale times their 16
// texels), for a message read at a glance.
constexpr float kSampleLargeFontScale = 2.5f;
uint32_t SampleLargeFontHandle();
// The material of a message's box: dark, faded with its dialog. A message
// is written light on it: a dark label over a light box lost its contrast
// with the square of the fade (the label's alpha over the box's), and was
// gone while its box still showed.
const mVec3 kMessageBoxColor(0.12f, 0.12f, 0.16f);
constexpr uint32_t kSampleMessageText = 0xFFFFF0C0;  // 0xAARRGGBB: pale yellow
uint32_t SampleMessageBoxMaterialHandle();

// The game configuration ("Game/GameConfig.gc"): the texture cache of the
// records from beginSlot, then the subtitle font: its glyph sheet's cache
// slot and texture, its material and the font itself; and the boxes'
// material.
bool WriteSampleSubtitleConfig(const std::string& path, int beginSlot, std::vector<TextureConfigRecord> cache);

// The game file ("Game/Game.gam"): game filled from desc, with the
// subtitle dialog in its dialog group as the voice-over control, written
// through gcGame::Write. With bGreetingAtMapStart the game's map-start event
// plays the greeting (test data: the sample's own game leaves it to the
// trigger). fill, when given, changes the game further before it is written.
bool WriteSampleGameWithSubtitles(const std::string& path, gcGame& game, const GameFileDesc& desc,
                                  bool bGreetingAtMapStart, const std::function<void(gcGame&)>& fill = nullptr);

// The first map's voice-overs ("Map01_eng.vo") and strings
// ("Map01Strings_eng.str"): the map's own groups (made by its creators)
// holding the greeting's line and text, written by the engine. False when
// the map has no such groups or a file cannot be written.
bool WriteSampleGreetingLine(gcMap& map, const std::string& voicePath, const std::string& stringsPath);

// The first map's cinematic group holding the greeting, laid in w (a group
// block); false (logged) when the engine's block could not be written.
bool LaySampleCinematics(BlockWriter& w, const std::string& scratch);
// The trigger across the road in the middle region (ground at groundZ) that
// plays the greeting when the player walks into it. *pOk turns false when
// its action cannot be written.
RegionTriggerDesc GreetingTrigger(float groundZ, const std::string& scratch, bool* pOk);

}  // namespace datagen
