// Routes played on the sample game as the judge plays them: the frames
// counted as the program counts them, only follow play checked, the same
// input judged the same every time.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "datagen/datagen.h"
#include "judgePlay.h"
#include "tempDir.h"

namespace cameraJudge {
namespace {

class judgePlayTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_pData = new TempDir("qm_camera_judge");
        ASSERT_TRUE(datagen::WriteSampleGame(s_pData->Path()));
    }
    static void TearDownTestSuite()
    {
        delete s_pData;
        s_pData = nullptr;
    }
    static bool Play(const Route& route, uint64_t nFrames, cameraJudgeRules* pRules, PlayFigures* pFigures)
    {
        pRules->Begin(0);
        return PlayRoute(s_pData->Path(), route, 3, nFrames, pRules, pFigures);
    }

    static TempDir* s_pData;
};
TempDir* judgePlayTest::s_pData = nullptr;

// A recorded route of tests/data/cameraRoutes, with its frames and map.
bool Recorded(const std::string& name, Route* pRoute, uint64_t* pFrames)
{
    std::string path = QM_TEST_DATA_DIR;
    path += "/cameraRoutes/";
    path += name;
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    pRoute->input = text.str();
    pRoute->place = ReadPlace(pRoute->input);
    CommandOfInput(pRoute->input, pFrames, &pRoute->nMap);
    return in && *pFrames > 0;
}

Route Standing(int nMap)
{
    Route route;
    route.nMap = nMap;
    route.input = nMap == 0 ? "0 0 -\n60 0 A\n66 0 -\n" : "0 0 -\n";
    return route;
}

// From map 1's start, standing: the map loop's frames are nearly all the
// run's; the player stands small in the picture; two seconds after the
// map's start the camera's rest is checked on every frame.
TEST_F(judgePlayTest, ChecksEveryFrameOfFollowPlay)
{
    cameraJudgeRules rules;
    PlayFigures figures;
    ASSERT_TRUE(Play(Standing(1), 240, &rules, &figures));
    EXPECT_EQ(figures.nFrames, 240u) << "the program's --frames";
    EXPECT_GT(figures.nFollow, 180u);
    EXPECT_LT(figures.nFollow, 240u) << "the frames before the map's first are not follow play";
    EXPECT_EQ(rules.Stat(RULE_COVERAGE).nChecked, figures.nFollow);
    EXPECT_EQ(rules.Stat(RULE_COVERAGE).nBroken, 0u);
    EXPECT_EQ(rules.Stat(RULE_HIDDEN).nBroken, 0u);
    EXPECT_EQ(rules.Stat(RULE_PITCH).nBroken, 0u);
    EXPECT_GT(rules.Stat(RULE_RESTLESS).nChecked, 100u) << "the player and its input still";
    EXPECT_EQ(rules.Stat(RULE_SIZE_STEP).nChecked + 1, figures.nFollow) << "a step from each frame but the first";
}

// From New Game the title card, the menu and the loading screen come
// first: not follow play.
TEST_F(judgePlayTest, MenuAndLoadingAreNotFollowPlay)
{
    cameraJudgeRules rules;
    PlayFigures figures;
    ASSERT_TRUE(Play(Standing(0), 240, &rules, &figures));
    EXPECT_EQ(figures.nFrames, 240u);
    EXPECT_GT(figures.nFollow, 100u);
    EXPECT_LT(figures.nFollow, 240u - 60u);
}

TEST_F(judgePlayTest, TheSameRouteIsJudgedTheSame)
{
    const Route route = MakeRoute(6, 400, 2);
    cameraJudgeRules a, b;
    PlayFigures fa, fb;
    ASSERT_TRUE(Play(route, 400, &a, &fa));
    ASSERT_TRUE(Play(route, 400, &b, &fb));
    EXPECT_EQ(fa.nFollow, fb.nFollow);
    for (int rule = 0; rule < RULE_COUNT; ++rule) {
        SCOPED_TRACE(RuleName(rule));
        EXPECT_EQ(a.Stat(rule).nChecked, b.Stat(rule).nChecked);
        EXPECT_EQ(a.Stat(rule).nBroken, b.Stat(rule).nBroken);
        EXPECT_EQ(a.Stat(rule).fWorst, b.Stat(rule).fWorst);
        EXPECT_EQ(a.Stat(rule).nWorstFrame, b.Stat(rule).nWorstFrame);
    }
}

// Routes that once broke a rule, played to just past where they broke it:
// - seed 1189's from map 1 jumps the player onto the shed's roof beam: from
//   frame 955 its box sinks into the beam, which then lay between the box's
//   centre and the camera although nothing stands between the camera and
//   the box (the rays end where they meet the box);
// - seed 4489's flies along the house's front beneath where the flying
//   map's eave overhung it, and out past the eave's end at frame 1289: the
//   pivot rose beside the edge, every sweep back to the camera met it, and
//   the camera stood on the flyer for three frames, its size on the screen
//   stepping up to 20 times (the flying map's house has no eave);
// - seed 5400's flies along the gate's post, the line to the camera
//   grazing the post's corner: the camera was pulled in at once (it swings
//   round the corner instead); and past the corner half a metre off at
//   frame 600, the line turning round it faster than the squeeze swung, the
//   camera was lifted over the gate's top behind the post, and seed 7049's
//   passes the post's corner, the camera pulled in onto it at frame 634
//   (round a corner that near, it swings as fast as a deep squeeze); and
//   seed 15859's flies at the post's face, the camera behind its corner:
//   at frame 1414 it was lifted over the gate's top in front of its edge,
//   and pulled in onto the flyer the next (it swings round the corner);
// - seed 7060's comes out from beneath the gate's top, the camera behind it
//   grazing the top's underside: it was pulled in onto the flyer (the
//   flyer's own point is the pivot that tick);
// - seed 6050's stands before a wall, the camera at rest against it: swept
//   again each tick, the camera slid along the wall two seconds on;
// - seed 5227's flies along the west wall towards the camera, which had
//   climbed to the steepest pitch in front of it: the room along its line
//   halved in the last tick before the wall (it comes in ahead of the wall);
// - seed 7173's stops the flyer in front of the terrace steps' face, its
//   body's middle below the steps' top: from frame 1129 the camera, swung
//   round up over the steps, rested where it saw only the top of the body,
//   the steps' edge hiding the rest for 154 frames;
// - seed 12745's walks past the pillar on the verge, and seed 16007's
//   flies up beside the gate's post, the line to the camera grazing the
//   corner: the wall test passed it by a hair, the final sweep met it and
//   pulled the camera in at once (2.4 and 2.7 times the size in a frame).
// The routes are the judge's first generator's, recorded: each file's
// first line is the command that plays it (its frames and map).
TEST_F(judgePlayTest, RoutesThatOnceBrokeARuleHoldIt)
{
    const struct {
        uint32_t nSeed;
        int rules[2];
    } rows[] = {
        {1189, {RULE_BEYOND_WALL, RULE_HIDDEN}},     {4489, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
        {5400, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},  {7049, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
        {15859, {RULE_SIZE_STEP, RULE_COVERAGE}},    {7060, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
        {6050, {RULE_RESTLESS, RULE_SIZE_STEP}},     {5227, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
        {7173, {RULE_HIDDEN, RULE_SIZE_STEP}},       {12745, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
        {16007, {RULE_SIZE_STEP, RULE_BEYOND_WALL}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.nSeed);
        Route route;
        uint64_t nFrames = 0;
        ASSERT_TRUE(Recorded("seed-" + std::to_string(r.nSeed) + ".txt", &route, &nFrames));
        cameraJudgeRules rules;
        PlayFigures figures;
        ASSERT_TRUE(Play(route, nFrames, &rules, &figures));
        for (const int rule : r.rules)
            EXPECT_EQ(rules.Stat(rule).nBroken, 0u) << RuleName(rule);
    }
}

std::vector<std::vector<std::string>> ReadTrace(const std::string& path, std::string* pHeader)
{
    std::ifstream in(path);
    std::getline(in, *pHeader);
    std::vector<std::vector<std::string>> rows;
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, '\t');)
            fields.push_back(cell);
        rows.push_back(fields);
    }
    return rows;
}

// Placed on the east region's road from map 1's start, standing: the
// trace's rows, one a frame of the map loop from its first, show the cut
// at the start and the one after the placing, and the player 20 m on.
// Placed inside the shed, there is no room within two metres: the player
// stays at the start.
TEST_F(judgePlayTest, PlacesThePlayerAndTracesEveryFrame)
{
    const struct {
        const char* name;
        Place place;
        uint64_t nPlaced;
        float fMovedAtLeast, fMovedAtMost;
    } rows[] = {
        {"on the road", {2, 9.5f, 0.0f, 90.0f, 0.0f}, 1, 20.0f, 60.0f},
        {"inside the shed", {2, -2.0f, 12.0f, 0.0f, 0.0f}, 0, 0.0f, 0.01f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Route route = Standing(1);
        route.place = row.place;
        const std::string trace = s_pData->File("trace.tsv");
        cameraJudgeRules rules;
        PlayFigures figures;
        rules.Begin(0);
        ASSERT_TRUE(PlayRoute(s_pData->Path(), route, 3, 120, &rules, &figures, trace.c_str()));
        EXPECT_EQ(figures.nPlaced, row.nPlaced);
        EXPECT_EQ(figures.nUnplaced, 1 - row.nPlaced);
        std::string header;
        const std::vector<std::vector<std::string>> frames = ReadTrace(trace, &header);
        EXPECT_EQ(header, "frame\tfollow\tcut\tcam_x\tcam_y\tcam_z\tfwd_x\tfwd_y\tfwd_z\tup_x\tup_y\tup_z\tplayer_x\t"
                          "player_y\tplayer_z\tshare\tplayer_alpha\tnear_share\thidden_share");
        ASSERT_GE(frames.size(), figures.nFollow);
        ASSERT_GT(frames.size(), static_cast<size_t>(kPlaceFrame + 2));
        EXPECT_EQ(std::stoull(frames.back()[0]), 120u) << "numbered as the program's --frames";
        for (const auto& f : frames)
            ASSERT_EQ(f.size(), 19u);
        EXPECT_EQ(frames[0][2], "1") << "the map's start";
        EXPECT_EQ(frames[kPlaceFrame + 1][2], row.nPlaced ? "1" : "0") << "the frame after the placing";
        EXPECT_EQ(frames[kPlaceFrame + 2][2], "0");
        const auto at = [](const std::vector<std::string>& f) {
            return mVec3(std::stof(f[12]), std::stof(f[13]), std::stof(f[14]));
        };
        const float fMoved = at(frames[kPlaceFrame + 1]).Dist(at(frames[kPlaceFrame]));
        EXPECT_GE(fMoved, row.fMovedAtLeast);
        EXPECT_LE(fMoved, row.fMovedAtMost);
    }
}

TEST_F(judgePlayTest, AGameThatCannotRunIsReported)
{
    cameraJudgeRules rules;
    PlayFigures figures;
    Route route = Standing(1);
    route.nMap = 9;  // no such map
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Play(route, 60, &rules, &figures));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("seed 3"), std::string::npos);
    EXPECT_EQ(figures.nFrames, 0u);
}

}  // namespace
}  // namespace cameraJudge
