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
        nUpdrafts += lines[1].sx == -60 && lines[1].sy == 40 ? 1 : 0;
        uint64_t nLastChange = lines[1].nFrame;
        bool bLastStand = false;
        for (size_t i = 1; i < lines.size(); ++i) {
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
            if (i > 1) {
                // Half a second to three seconds of the stick held, up to
                // five of it let go.
                const uint64_t nGap = l.nFrame - nLastChange;
                EXPECT_GE(nGap, 15u) << "at " << l.nFrame;
                EXPECT_LE(nGap, bLastStand ? 150u : 90u) << "at " << l.nFrame;
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
    EXPECT_GT(nUpdrafts, 5);
    EXPECT_LT(nUpdrafts, 40) << "only routes from map 1 go there, one in three";
}

}  // namespace
}  // namespace cameraJudge
