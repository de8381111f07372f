#pragma once
// Plays one route of the camera judge: the game started as the program
// starts it headless (virtual clock, no drawing), the route's input
// replayed on port 0, the probe and the rules run after every frame of the
// map loop. Each route runs in a child process of its own, so that it
// starts from the same state as the program does and the same input file
// plays it again frame for frame. Main thread of a process that has not
// started the game.

#include <cstdint>
#include <string>

#include "judgeRoute.h"
#include "judgeRules.h"

namespace cameraJudge {

struct PlayFigures {
    uint64_t nFrames = 0;  // frames shown, menu and loading included
    uint64_t nFollow = 0;  // of those, frames of follow play checked
    uint64_t nPlaced = 0;    // routes whose player was placed where they said
    uint64_t nUnplaced = 0;  // routes whose place had no room (or no region): left at the start
};

// The trace's header line: one row a frame of the map loop.
extern const char* const kTraceHeader;

// Starts the game's services as the program does headless, without
// drawing: the command line, the data, the input file to replay and the
// frame limit first. Once in a process, before anything else of the game.
void StartGame(const std::string& dataDir, const std::string& commandLine, const char* sInput, uint64_t nFrames);

// Plays the route for nFrames frames (the program's --frames) on the data,
// its frames checked into *pRules under nSeed; with a trace path, every
// frame of the map loop written there as a row of tab-separated numbers
// under kTraceHeader. False when the game could not be run or the trace
// not written (logged to stderr).
bool PlayRoute(const std::string& dataDir, const Route& route, uint32_t nSeed, uint64_t nFrames,
               cameraJudgeRules* pRules, PlayFigures* pFigures, const char* sTrace = nullptr);

}  // namespace cameraJudge
