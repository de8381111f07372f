// The judge's pseudo-random routes: see the header.
#include "judgeRoute.h"

#include <cmath>
#include <cstdio>

namespace cameraJudge {

namespace {

// The sample's menu: the title card's 45 frames, then A on the focused
// "New Game"; the map loads behind its loading screen.
constexpr uint32_t kNewGamePress = 60;
constexpr uint32_t kNewGameRelease = 66;
constexpr uint32_t kNewGamePlay = 75;
constexpr int kStickWalk = 36;  // half pushed
constexpr int kStickRun = 72;   // fully pushed (clamped to the controller's reach)
constexpr uint32_t kMinSegment = 15;  // half a second
constexpr uint32_t kMaxSegment = 90;  // three seconds
constexpr uint32_t kMaxStand = 150;   // five seconds
constexpr uint32_t kTapFrames = 6;
constexpr float kRadians = 0.01745329252f;

// splitmix64: a small generator whose sequence the seed alone fixes.
class Random {
public:
    explicit Random(uint64_t nSeed) : m_nState(nSeed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {}
    uint32_t Below(uint32_t n)
    {
        uint64_t z = (m_nState += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) % n);
    }

private:
    uint64_t m_nState;
};

void Line(std::string* pOut, uint64_t nFrame, const char* sButtons, int sx, int sy)
{
    char sLine[64];
    if (sx == 0 && sy == 0)
        std::snprintf(sLine, sizeof sLine, "%llu 0 %s\n", static_cast<unsigned long long>(nFrame), sButtons);
    else
        std::snprintf(sLine, sizeof sLine, "%llu 0 %s %d %d\n", static_cast<unsigned long long>(nFrame), sButtons,
                      sx, sy);
    *pOut += sLine;
}

// One stretch of the route from nFrame: the stick held one way (or let
// go), with a jump and a strike tapped now and then. Its end.
uint64_t Segment(Random& rng, uint64_t nFrame, std::string* pOut)
{
    if (rng.Below(10) < 2) {
        Line(pOut, nFrame, "-", 0, 0);
        return nFrame + kMinSegment + rng.Below(kMaxStand - kMinSegment + 1);
    }
    const uint64_t nEnd = nFrame + kMinSegment + rng.Below(kMaxSegment - kMinSegment + 1);
    const float fAngle = static_cast<float>(rng.Below(360)) * kRadians;
    const uint32_t nKind = rng.Below(3);
    const int nStrength = nKind == 0 ? kStickWalk : nKind == 1 ? kStickRun : 20 + static_cast<int>(rng.Below(53));
    const int sx = static_cast<int>(std::lround(nStrength * std::sin(fAngle)));
    const int sy = static_cast<int>(std::lround(nStrength * std::cos(fAngle)));
    Line(pOut, nFrame, "-", sx, sy);
    // At most one tap a stretch, inside it.
    const uint32_t nTap = rng.Below(20);
    const char* sTap = nTap < 7 ? "A" : nTap < 12 ? "B" : nullptr;
    const uint64_t nAt = nFrame + 1 + rng.Below(static_cast<uint32_t>(nEnd - nFrame - kTapFrames - 1));
    if (sTap) {
        Line(pOut, nAt, sTap, sx, sy);
        Line(pOut, nAt + kTapFrames, "-", sx, sy);
    }
    return nEnd;
}

}  // namespace

std::string Route::CommandLine() const
{
    return nMap > 0 ? "/act 1 /map " + std::to_string(nMap) : std::string();
}

Route MakeRoute(uint32_t nSeed, uint64_t nFrames, int nMap)
{
    Random rng(nSeed);
    Route route;
    route.nMap = nMap > 0 ? nMap : static_cast<int>(nSeed % 4);
    route.input = "# camera-judge route, seed " + std::to_string(nSeed) + ", " +
                  (route.nMap > 0 ? "from map " + std::to_string(route.nMap) + "'s start (" + route.CommandLine() + ")"
                                  : std::string("from New Game")) +
                  "\n";
    uint64_t nFrame = 1;
    Line(&route.input, 0, "-", 0, 0);
    if (route.nMap == 0) {
        Line(&route.input, kNewGamePress, "A", 0, 0);
        Line(&route.input, kNewGameRelease, "-", 0, 0);
        nFrame = kNewGamePlay;
    }
    // Forward and left from the start runs into the updraft.
    if (route.nMap <= 1 && rng.Below(3) == 0) {
        Line(&route.input, nFrame, "-", -60, 40);
        nFrame += kMaxSegment;
    }
    while (nFrame < nFrames)
        nFrame = Segment(rng, nFrame, &route.input);
    return route;
}

}  // namespace cameraJudge
