#pragma once
// The camera judge's routes: one pseudo-random route a seed, written as an
// input file of the program (FRAME PORT BUTTONS SX SY lines, port 0), so
// that the program plays it again frame for frame. From New Game (the main
// menu, A on "New Game") or from a map's start (/act 1 /map M); a route
// from a map's start may first place the player elsewhere on the map (the
// judge does that in its child, after the map's start; the input file
// keeps the place in a comment line that the judge reads back). Plain
// functions; any thread.

#include <cstdint>
#include <string>

namespace cameraJudge {

// Where the judge places the player: a region of the map, a point of its
// ground in the region's frame (metres), the way the player faces
// (degrees from the region's +x towards +y) and, for a flyer, how high
// above the ground.
struct Place {
    int nRegion = -1;  // -1: not placed
    float fX = 0.0f, fY = 0.0f;
    float fHeading = 0.0f;
    float fHeight = 0.0f;
};

struct Route {
    int nMap = 0;       // 0: New Game; else the act's map 1-3, started from the command line
    std::string input;  // the input file's text
    Place place;
    // The game's command line that starts it ("" or "/act 1 /map M").
    std::string CommandLine() const;
};

// The frame of a map's run after which the judge places the player.
constexpr int kPlaceFrame = 2;

// Each seed's route from its own generator, seeded by a hash of the seed:
// neighbouring seeds share nothing. The stick's direction and strength
// change every half second to three seconds; A (jump) and B (strike) are
// tapped now and then; now and then the stick is let go for up to five
// seconds; a route from New Game or map 1's start steers into the updraft
// north-east of the start one time in three. A route from a map's start is, a
// third each, left there, placed anywhere on the map's ground, or placed
// a few metres from one of the sample's named places (the garden, the
// pillars, the gate's posts, the cinematic's trigger, the shed and its
// lever, the east steps, the flying map's corners) facing it, the stick
// pushed towards it first. nMap 0 lets the seed choose the start (seed %
// 4: New Game, maps 1-3).
Route MakeRoute(uint32_t nSeed, uint64_t nFrames, int nMap);

// The frames and map of an input's first line, "# quillmere ... --frames N
// [/act 1 /map M]": each found, in range, is stored (a map of 1-3); the
// others are left as they were.
void CommandOfInput(const std::string& input, uint64_t* pFrames, int* pMap);

// The place line of a route's input text ("# camera-judge place R X Y H Z"),
// or no place when there is none or it does not read.
Place ReadPlace(const std::string& input);

}  // namespace cameraJudge
