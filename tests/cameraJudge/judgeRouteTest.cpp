// The judge's routes: fixed by their seed, started where the seed or --map
// says, and made of the program's input lines with the stick's changes
// half a second to five seconds apart.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "judgeRoute.h"

namespace cameraJudge {
namespace {

struct Line {
    uint64_t nFrame;
    int nPort;
    std::string buttons;
    int sx, sy;
};

std::vector<Line> Lines(const std::string& text)
{
    std::vector<Line> lines;
    std::istringstream in(text);
    std::string s;
    while (std::getline(in, s)) {
        if (s.empty() || s[0] == '#')
            continue;
        Line l{0, -1, "", 0, 0};
        std::istringstream fields(s);
        fields >> l.nFrame >> l.nPort >> l.buttons;
        fields >> l.sx >> l.sy;
        lines.push_back(l);
    }
    return lines;
}

TEST(judgeRouteTest, TheSeedChoosesTheStartUnlessAMapIsGiven)
{
    const struct {
        uint32_t nSeed;
        int nMap;
        int nStart;
        const char* commandLine;
    } rows[] = {
        {8, 0, 0, ""}, {9, 0, 1, "/act 1 /map 1"}, {10, 0, 2, "/act 1 /map 2"}, {11, 0, 3, "/act 1 /map 3"},
        {8, 2, 2, "/act 1 /map 2"}, {11, 1, 1, "/act 1 /map 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.nSeed);
        const Route route = MakeRoute(row.nSeed, 600, row.nMap);
        EXPECT_EQ(route.nMap, row.nStart);
        EXPECT_STREQ(route.CommandLine().c_str(), row.commandLine);
    }
}

TEST(judgeRouteTest, NewGamePressesAOnTheMenuAfterTheTitleCard)
{
    const std::vector<Line> lines = Lines(MakeRoute(4, 600, 0).input);
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines[0].nFrame, 0u);
    EXPECT_EQ(lines[0].buttons, "-");
    EXPECT_EQ(lines[1].nFrame, 60u) << "past the title card's 45 frames";
    EXPECT_EQ(lines[1].buttons, "A");
    EXPECT_EQ(lines[2].nFrame, 66u);
    EXPECT_EQ(lines[2].buttons, "-");
    EXPECT_GE(lines[3].nFrame, 75u) << "play starts once the map is loading";
}

TEST(judgeRouteTest, RoutesAreFixedByTheirSeed)
{
    EXPECT_EQ(MakeRoute(17, 3000, 0).input, MakeRoute(17, 3000, 0).input);
    // Past the comment naming the seed, every route its own.
    std::set<std::string> routes;
    for (uint32_t nSeed = 0; nSeed < 40; ++nSeed) {
        std::ostringstream lines;
        for (const Line& l : Lines(MakeRoute(nSeed, 3000, 1).input))
            lines << l.nFrame << ' ' << l.buttons << ' ' << l.sx << ' ' << l.sy << '\n';
        routes.insert(lines.str());
    }
    EXPECT_EQ(routes.size(), 40u);
}

// Over many routes: ports, buttons, stick ranges, the stretches' lengths,
// taps held six frames, let-gos and the updraft now and then.
TEST(judgeRouteTest, StretchesTapsAndStandsStayInTheirRanges)
{
    int nJumps = 0, nStrikes = 0, nStands = 0, nUpdrafts = 0, nRoutes = 0, nWalks = 0, nRuns = 0;
    for (uint32_t nSeed = 0; nSeed < 60; ++nSeed) {
        SCOPED_TRACE(nSeed);
        const Route route = MakeRoute(nSeed, 3000, 1 + static_cast<int>(nSeed % 3));
        const std::vector<Line> lines = Lines(route.input);
        ASSERT_GE(lines.size(), 20u);
        ++nRoutes;
        // Into the updraft: east along the road, then north over the verge.
        const bool bUpdraft = lines[1].sx == 0 && lines[1].sy == 72 && lines[2].sx == -72 && lines[2].sy == 0 &&
                              lines[2].nFrame - lines[1].nFrame == 225 && lines[3].nFrame - lines[2].nFrame == 150;
        nUpdrafts += bUpdraft ? 1 : 0;
        uint64_t nLastChange = lines[bUpdraft ? 3 : 1].nFrame;
        bool bLastStand = false;
        for (size_t i = bUpdraft ? 3 : 1; i < lines.size(); ++i) {
            const Line& l = lines[i];
            EXPECT_EQ(l.nPort, 0);
            EXPECT_GE(l.nFrame, lines[i - 1].nFrame);
            EXPECT_LE(std::abs(l.sx), 72);
            EXPECT_LE(std::abs(l.sy), 72);
            if (l.buttons != "-") {
                ASSERT_LT(i + 1, lines.size());
                EXPECT_EQ(lines[i + 1].nFrame, l.nFrame + 6) << "a tap is held six frames";
                EXPECT_EQ(lines[i + 1].sx, l.sx) << "with the stick as it was";
                (l.buttons == "A" ? nJumps : nStrikes) += 1;
                EXPECT_TRUE(l.buttons == "A" || l.buttons == "B") << l.buttons;
                ++i;
                continue;
            }
            if (i > (bUpdraft ? 3u : 1u)) {
                // Half a second to three seconds of the stick held, up to
                // five of it let go.
                const uint64_t nGap = l.nFrame - nLastChange;
                EXPECT_GE(nGap, 15u) << "at " << l.nFrame;
                // (The push towards a named place lasts past the map's load.)
                EXPECT_LE(nGap, bLastStand || nLastChange == 1 ? 150u : 90u) << "at " << l.nFrame;
            }
            const bool bStand = l.sx == 0 && l.sy == 0;
            const float fPush = std::hypot(static_cast<float>(l.sx), static_cast<float>(l.sy));
            nStands += bStand ? 1 : 0;
            nWalks += std::fabs(fPush - 36.0f) < 1.0f ? 1 : 0;
            nRuns += std::fabs(fPush - 72.0f) < 1.0f ? 1 : 0;
            EXPECT_TRUE(bStand || (fPush > 19.0f && fPush < 73.0f)) << "at " << l.nFrame << ": " << fPush;
            bLastStand = bStand;
            nLastChange = l.nFrame;
        }
        EXPECT_GE(nLastChange + 150, 3000u) << "the route lasts its frames";
    }
    EXPECT_GT(nJumps, nRoutes * 3);
    EXPECT_GT(nStrikes, nRoutes * 2);
    EXPECT_GT(nStands, nRoutes * 3);
    EXPECT_GT(nJumps, nStrikes) << "seven jumps to five strikes";
    EXPECT_GT(nWalks, nRoutes * 3) << "the stick half pushed";
    EXPECT_GT(nRuns, nRoutes * 3) << "fully pushed";
    EXPECT_GT(nUpdrafts, 0);
    EXPECT_LT(nUpdrafts, 10) << "only routes left at map 1's start go there, one in three";
}

// Each seed its own generator: no two neighbouring seeds share a stretch
// of three stick changes (direction, strength and length), as windows of
// one stream did.
TEST(judgeRouteTest, NeighbouringSeedsShareNoStretchOfInput)
{
    const auto stretches = [](uint32_t nSeed) {
        const std::vector<Line> lines = Lines(MakeRoute(nSeed, 1500, 1).input);
        std::set<std::string> windows;
        for (size_t i = 0; i + 3 < lines.size(); ++i) {
            std::ostringstream w;
            for (size_t j = i; j < i + 3; ++j)
                w << lines[j].sx << ',' << lines[j].sy << ',' << lines[j + 1].nFrame - lines[j].nFrame << ';';
            windows.insert(w.str());
        }
        return windows;
    };
    int nShared = 0;
    for (uint32_t nSeed = 1; nSeed < 60; ++nSeed) {
        const std::set<std::string> a = stretches(nSeed), b = stretches(nSeed + 1);
        for (const std::string& w : b)
            nShared += a.count(w) > 0 ? 1 : 0;
    }
    EXPECT_EQ(nShared, 0);
}

// From a map's start a third of the routes stay there, a third are placed
// anywhere on the map and a third near a named place: inside a region of
// the map, the flyer above the ground, the walker on it; the place line
// reads back as made.
TEST(judgeRouteTest, RoutesStartAnywhereAndNearTheNamedPlaces)
{
    int nKinds[3] = {}, nRegions[3] = {};
    for (uint32_t nSeed = 0; nSeed < 300; ++nSeed) {
        SCOPED_TRACE(nSeed);
        const int nMap = 1 + static_cast<int>(nSeed % 3);
        const Route route = MakeRoute(nSeed, 1500, nMap);
        const bool bNamed = route.input.find("# placed to make for ") != std::string::npos;
        const bool bAnywhere = route.input.find("# placed anywhere\n") != std::string::npos;
        nKinds[bNamed ? 2 : bAnywhere ? 1 : 0] += 1;
        const Place place = ReadPlace(route.input);
        EXPECT_EQ(place.nRegion, route.place.nRegion);
        if (route.place.nRegion < 0) {
            EXPECT_FALSE(bNamed || bAnywhere);
            continue;
        }
        ASSERT_LT(route.place.nRegion, 3);
        nRegions[route.place.nRegion] += 1;
        // Exactly: the file written plays the route judged.
        EXPECT_EQ(place.fX, route.place.fX);
        EXPECT_EQ(place.fY, route.place.fY);
        EXPECT_EQ(place.fHeading, route.place.fHeading);
        EXPECT_EQ(place.fHeight, route.place.fHeight);
        EXPECT_LE(std::fabs(route.place.fX), 15.0f);
        EXPECT_LE(std::fabs(route.place.fY), 15.0f);
        EXPECT_EQ(route.place.fHeight > 0.0f, nMap == 3) << "only the flyer hovers";
        if (bNamed) {
            const std::vector<Line> lines = Lines(route.input);
            ASSERT_GE(lines.size(), 2u);
            EXPECT_EQ(lines[1].nFrame, 1u);
            EXPECT_EQ(lines[1].sx, 0) << "straight on, the way it faces";
            EXPECT_GT(lines[1].sy, 0);
        }
    }
    for (int k = 0; k < 3; ++k) {
        EXPECT_GT(nKinds[k], 70) << k;
        EXPECT_GT(nRegions[k], 30) << "region " << k;
    }
}

TEST(judgeRouteTest, APlaceLineThatDoesNotReadPlacesNothing)
{
    const struct {
        const char* text;
        int nRegion;
    } rows[] = {
        {"0 0 -\n# camera-judge place 2 1.5 -3.25 90.0 0.000\n", 2},
        {"# camera-judge place 2 1.5 -3.25 90.0\n", -1},
        {"# camera-judge place -1 1.5 -3.25 90.0 0\n", -1},
        {"# camera-judge place 1 nan 0 0 0\n", -1},
        {"# camera-judge place x 1 2 3 4\n", -1},
        {"# camera-judge placed 1 1 2 3 4\n", -1},
        {"", -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        EXPECT_EQ(ReadPlace(row.text).nRegion, row.nRegion);
    }
    EXPECT_NEAR(ReadPlace(rows[0].text).fY, -3.25f, 1e-6f);
}

}  // namespace
}  // namespace cameraJudge
