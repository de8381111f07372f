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
// guards (test data: the player's way east is then free). Every region of a
// map is a neighbour of every other; with bAdjacentOnly, in the walking maps
// only the regions beside it are (test data: the far end of the row streams
// in as the camera comes near).
bool WriteSampleMapFiles(const std::string& dir, bool bGuards = true, bool bAdjacentOnly = false);
// The input a headless run plays (dir/input.txt): at rest in the main menu,
// A on its first button ("NewGame") at kSampleNewGameFrame, then, from
// kSampleMapInputShift on, what the player does in the map
// (SamplePlayerInputText): every in-map line is written at its own frame
// plus kSampleMapInputShift.
// The music: the menu and game track (Music00), the first map's (Music01),
// the second's (Music02) and the third's (Music03) tunes of four notes of
// kSampleTuneNoteSamples each, looping.
constexpr double kSampleMenuTuneHz[4] = {349.0, 440.0, 523.0, 440.0};
constexpr double kSampleRoadTuneHz[4] = {220.0, 277.0, 330.0, 277.0};
constexpr double kSampleFieldsTuneHz[4] = {392.0, 494.0, 587.0, 494.0};
constexpr double kSampleSkiesTuneHz[4] = {659.0, 784.0, 988.0, 784.0};
constexpr int kSampleTuneNoteSamples = 8000;  // a quarter second

constexpr int kSampleNewGameFrame = 60;
constexpr int kSampleMapInputShift = 90;
bool WriteSampleInput(const std::string& dir);

}  // namespace datagen
