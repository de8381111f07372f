// The judge's pseudo-random routes: see the header.
#include "judgeRoute.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

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
constexpr uint32_t kToTheUpdraft = 225;  // running east from the start, level with the updraft
constexpr uint32_t kIntoTheUpdraft = 150;  // then north, over the verge into it
constexpr uint32_t kMaxStand = 150;   // five seconds
constexpr uint32_t kTapFrames = 6;
constexpr uint32_t kMapLoaded = 60;  // from a map's start: its run has begun by then
constexpr float kRadians = 0.01745329252f;

// The sample's ground in a region's frame, and the flyer's ceiling.
constexpr float kRegionHalf = 16.0f;
constexpr float kPlaceMargin = 1.0f;   // random places keep this far inside a region's edge
constexpr float kMaxHover = 8.0f;      // a placed flyer hovers up to this high
constexpr float kApproach = 4.0f;      // a named place is made for from this far off
constexpr int kFlyingMap = 3;

// The sample's named places, in their region's frame: the point made for
// and the way the player faces going there; mapMask's bit m: on map m.
struct NamedPlace {
    const char* sName;
    int nRegion;
    float fX, fY, fHeading, fHeight;
    unsigned mapMask;
};
constexpr unsigned kWalking = (1u << 1) | (1u << 2), kAll = kWalking | (1u << kFlyingMap);
const NamedPlace kNamed[] = {
    {"the garden through its gateway", 0, -6.0f, 13.0f, 90.0f, 0.0f, kAll},
    {"the garden's west corner", 0, -15.0f, 14.5f, 150.0f, 0.0f, kAll},
    {"the garden's steps", 0, 0.5f, 13.0f, 0.0f, 0.0f, kWalking},
    {"the west pillar", 0, -8.5f, 4.5f, 90.0f, 0.0f, kAll},
    {"the east pillar", 0, 11.5f, 4.5f, 90.0f, 0.0f, kAll},
    {"the west wall", 0, -15.5f, 0.0f, 180.0f, 0.0f, kAll},
    {"the gate's north post", 1, -2.25f, 4.25f, 0.0f, 0.0f, kAll},
    {"the gate's south post", 1, -2.25f, -4.25f, 0.0f, 0.0f, kAll},
    {"beneath the gate's top", 1, -2.25f, 0.0f, 0.0f, 4.5f, kAll},
    {"the cinematic's trigger", 1, 0.0f, 0.0f, 0.0f, 0.0f, kAll},
    {"the shed's lever", 2, 1.5f, 8.2f, 90.0f, 0.0f, kAll},
    {"the shed's east corner", 2, 4.5f, 8.5f, 135.0f, 0.0f, kAll},
    {"the east steps", 2, 9.5f, 6.0f, 90.0f, 0.0f, kAll},
    {"the north-west corner", 0, -15.5f, 15.5f, 135.0f, 9.0f, 1u << kFlyingMap},
    {"the south-west corner", 0, -15.5f, -15.5f, 225.0f, 9.0f, 1u << kFlyingMap},
    {"the north-east corner", 2, 15.5f, 15.5f, 45.0f, 9.0f, 1u << kFlyingMap},
    {"the south-east corner", 2, 15.5f, -15.5f, 315.0f, 9.0f, 1u << kFlyingMap},
};

// splitmix64's mix of one value.
uint64_t Mix(uint64_t z)
{
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

// A Weyl sequence mixed (splitmix64) whose start and step both come from
// a hash of the seed: each seed its own sequence, not a window of one
// shared stream, so that neighbouring seeds share no stretch of input.
class Random {
public:
    explicit Random(uint64_t nSeed)
        : m_nState(Mix(nSeed ^ 0x632BE59BD9B4E019ull)), m_nStep(Mix(nSeed + 0x9E3779B97F4A7C15ull) | 1u)
    {
    }
    uint32_t Below(uint32_t n) { return static_cast<uint32_t>(Mix(m_nState += m_nStep) % n); }
    // Uniform in [a, b), in thousandths.
    float Between(float a, float b) { return a + (b - a) * static_cast<float>(Below(1000)) / 1000.0f; }

private:
    uint64_t m_nState;
    uint64_t m_nStep;
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


// Anywhere on the map: a region, a point inside it, a facing and, for a
// flyer, a height.
Place AnyPlace(Random& rng, int nMap)
{
    Place place;
    place.nRegion = static_cast<int>(rng.Below(3));
    place.fX = rng.Between(-kRegionHalf + kPlaceMargin, kRegionHalf - kPlaceMargin);
    place.fY = rng.Between(-kRegionHalf + kPlaceMargin, kRegionHalf - kPlaceMargin);
    place.fHeading = static_cast<float>(rng.Below(360));
    place.fHeight = nMap == kFlyingMap ? rng.Between(0.5f, kMaxHover) : 0.0f;
    return place;
}

// kApproach short of a named place on the map, facing it.
Place NearNamedPlace(Random& rng, int nMap, const char** psName)
{
    const NamedPlace* pOn[std::size(kNamed)];
    size_t n = 0;
    for (const NamedPlace& p : kNamed) {
        if (p.mapMask & (1u << nMap))
            pOn[n++] = &p;
    }
    const NamedPlace& named = *pOn[rng.Below(static_cast<uint32_t>(n))];
    *psName = named.sName;
    Place place;
    place.nRegion = named.nRegion;
    // Facing it from a little to either side.
    place.fHeading = named.fHeading + static_cast<float>(rng.Below(61)) - 30.0f;
    const float h = place.fHeading * kRadians;
    place.fX = std::clamp(named.fX - kApproach * std::cos(h), -kRegionHalf + kPlaceMargin, kRegionHalf - kPlaceMargin);
    place.fY = std::clamp(named.fY - kApproach * std::sin(h), -kRegionHalf + kPlaceMargin, kRegionHalf - kPlaceMargin);
    place.fHeight = nMap == kFlyingMap ? std::max(named.fHeight, rng.Between(0.5f, kMaxHover)) : 0.0f;
    return place;
}

std::string PlaceLine(const Place& place)
{
    char sLine[128];
    std::snprintf(sLine, sizeof sLine, "# camera-judge place %d %.3f %.3f %.1f %.3f\n", place.nRegion, place.fX,
                  place.fY, place.fHeading, place.fHeight);
    return sLine;
}

}  // namespace

std::string Route::CommandLine() const
{
    return nMap > 0 ? "/act 1 /map " + std::to_string(nMap) : std::string();
}

void CommandOfInput(const std::string& input, uint64_t* pFrames, int* pMap)
{
    static const std::string kTag = "# quillmere ";
    const std::string first = input.substr(0, input.find('\n'));
    if (first.compare(0, kTag.size(), kTag) != 0)
        return;
    std::istringstream words(first.substr(kTag.size()));
    std::string word, value;
    while (words >> word) {
        char* pEnd = nullptr;
        if ((word != "--frames" && word != "/map") || !(words >> value) || value[0] < '0' || value[0] > '9')
            continue;
        const unsigned long long n = std::strtoull(value.c_str(), &pEnd, 10);
        if (*pEnd)
            continue;
        if (word == "--frames" && n > 0 && n <= UINT32_MAX)
            *pFrames = n;
        else if (word == "/map" && n >= 1 && n <= 3)
            *pMap = static_cast<int>(n);
    }
}

Place ReadPlace(const std::string& input)
{
    static const std::string kTag = "# camera-judge place ";
    std::istringstream lines(input);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.compare(0, kTag.size(), kTag) != 0)
            continue;
        std::istringstream fields(line.substr(kTag.size()));
        Place place;
        if (fields >> place.nRegion >> place.fX >> place.fY >> place.fHeading >> place.fHeight && place.nRegion >= 0 &&
            std::isfinite(place.fX) && std::isfinite(place.fY) && std::isfinite(place.fHeading) &&
            std::isfinite(place.fHeight))
            return place;
        return Place();
    }
    return Place();
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
    const uint32_t nStart = route.nMap > 0 ? rng.Below(3) : 0;
    // The place as its line reads back, so that the input file written
    // plays exactly the route judged.
    if (nStart == 1) {
        route.input += "# placed anywhere\n" + PlaceLine(AnyPlace(rng, route.nMap));
        route.place = ReadPlace(route.input);
    } else if (nStart == 2) {
        const char* sName = "";
        const Place place = NearNamedPlace(rng, route.nMap, &sName);
        route.input += std::string("# placed to make for ") + sName + "\n" + PlaceLine(place);
        route.place = ReadPlace(route.input);
    }
    Line(&route.input, 0, "-", 0, 0);
    if (route.nMap == 0) {
        Line(&route.input, kNewGamePress, "A", 0, 0);
        Line(&route.input, kNewGameRelease, "-", 0, 0);
        nFrame = kNewGamePlay;
    }
    if (nStart == 2) {
        // Towards the named place: the camera snaps behind the placed
        // player, so the stick pushed forward goes the way it faces.
        // The map's run starts within kMapLoaded frames of the program's.
        Line(&route.input, 1, "-", 0, rng.Below(2) ? kStickRun : kStickWalk);
        nFrame = kMapLoaded + kMinSegment + rng.Below(kMaxSegment - kMinSegment + 1);
    } else if (route.nMap <= 1 && nStart == 0 && rng.Below(3) == 0) {
        // East along the road from the start, then north over the verge,
        // runs into the updraft east of the terrace's steps.
        Line(&route.input, nFrame, "-", 0, kStickRun);
        nFrame += kToTheUpdraft;
        Line(&route.input, nFrame, "-", -kStickRun, 0);
        nFrame += kIntoTheUpdraft;
    }
    while (nFrame < nFrames)
        nFrame = Segment(rng, nFrame, &route.input);
    return route;
}

}  // namespace cameraJudge
