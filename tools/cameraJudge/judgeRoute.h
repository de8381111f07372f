#pragma once
// The camera judge's routes: one pseudo-random route a seed, written as an
// input file of the program (FRAME PORT BUTTONS SX SY lines, port 0), so
// that the program plays it again frame for frame. From New Game (the main
// menu, A on "New Game") or from a map's start (/act 1 /map M). Plain
// functions; any thread.

#include <cstdint>
#include <string>

namespace cameraJudge {

struct Route {
    int nMap = 0;       // 0: New Game; else the act's map 1-3, started from the command line
    std::string input;  // the input file's text
    // The game's command line that starts it ("" or "/act 1 /map M").
    std::string CommandLine() const;
};

// The stick's direction and strength change every half second to three
// seconds; A (jump) and B (strike) are tapped now and then; now and then
// the stick is let go for up to five seconds; a route from New Game or map
// 1 steers into the updraft north of the start one time in three. nMap 0
// lets the seed choose the start (seed % 4: New Game, maps 1-3).
Route MakeRoute(uint32_t nSeed, uint64_t nFrames, int nMap);

}  // namespace cameraJudge
