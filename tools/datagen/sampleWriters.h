#pragma once
// The sample game that `make run` plays: the flow files (game, game state,
// configurations, strings, music), the act "Ashgrove" with its map of three
// textured, lit regions in a row (west, middle, east) along x, the map's
// effect, trigger, region point and music, the loading screen, the player
// configuration and the scripted input of a headless run. Offline tool;
// main thread, while nothing is loaded.

#include <string>

#include "datagen/flowWriters.h"

namespace datagen {

// The sample game's flow files below dir/Game. With bGreetingAtMapStart
// every map start plays the first map's greeting (test data).
bool WriteSampleFlowFiles(const std::string& dir, bool bGreetingAtMapStart = false);
// The act below dir/Game: Act01 with Map01, its three regions, its loading
// screen and its player configuration. Without bGuards the first map has no
// guards (test data: the player's way east is then free).
bool WriteSampleMapFiles(const std::string& dir, bool bGuards = true);
// The input a headless run plays (dir/input.txt): at rest in the main menu,
// A on its first button ("NewGame") at kSampleNewGameFrame, then, from
// kSampleMapInputShift on, what the player does in the map
// (SamplePlayerInputText): every in-map line is written at its own frame
// plus kSampleMapInputShift.
constexpr int kSampleNewGameFrame = 60;
constexpr int kSampleMapInputShift = 90;
bool WriteSampleInput(const std::string& dir);

}  // namespace datagen
