// The probe on map 1 of the sample game, with the camera placed by hand
// round the player standing at its start (region frame: x -12, y 0, its
// centre at z -2.1; the west wall's inner face at x -15, its outer one at
// -16): what it reads of the screen, the view, the world between and
// round the camera, and the creatures. The game runs in a child process,
// as the judge runs it; the facts come back through a pipe.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>

#include <sys/wait.h>
#include <unistd.h>

#include "datagen/datagen.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMap.h"
#include "judgePlay.h"
#include "judgeProbe.h"
#include "tempDir.h"

namespace cameraJudge {
namespace {

enum Case : int {
    CASE_OPEN,         // 2.5 m behind and 1 m above the player's centre
    CASE_AT_WALL,      // 5 cm from the west wall's face
    CASE_BEYOND,       // a metre beyond the west wall
    CASE_CLOSE,        // 0.9 m behind it
    CASE_DOWN,         // 3 m over it, 0.5 m behind
    CASE_UPSIDE_DOWN,  // as CASE_OPEN, the view rolled over
    CASE_IN_FRONT,     // as CASE_OPEN, a creature half way to the player
    CASE_BEHIND,       // as CASE_OPEN, the creature 2 m past the player
    CASE_AGAIN,        // as CASE_OPEN, read again: nothing moved
    CASE_FACING_WALL,  // 0.5 m from the west wall's face, looking at it
    CASE_EAST,         // 2.5 m east of the player and 1 m above, in front of it
    CASE_COUNT
};

struct Results {
    bool bRan;
    bool bCreature;  // a creature in the player's region to place
    FrameFacts facts[CASE_COUNT];
};

int s_nPipe = -1;

mVec3 RegionToWorld(int nRegion, const mVec3& p)
{
    mVec3 world;
    world.Xform(p, gcEntityWorld::GetRegionZone(nRegion)->m_localToWorld);
    return world;
}

// Looking from eye at target, level right, or rolled over.
void PlaceCamera(const mVec3& eye, const mVec3& target, bool bRolled)
{
    mOCS frame;
    frame.origin = eye;
    frame.basis.forward = target - eye;
    frame.basis.forward.Normalize();
    frame.basis.right.Cross(frame.basis.forward, mVec3(0.0f, 0.0f, 1.0f));
    frame.basis.right.Normalize();
    if (bRolled)
        frame.basis.right = -frame.basis.right;
    frame.basis.up.Cross(frame.basis.right, frame.basis.forward);
    gcGameCamera::Get()->m_camera.SetCameraToWorld(frame);
}

gcCreature* CreatureIn(int nRegion)
{
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        if (p && p != gcPlayer::Get()->m_pEntity && p->m_nRegionId == nRegion)
            return p;
    }
    return nullptr;
}

void PlaceCreature(gcCreature* pCreature, const mVec3& at)
{
    if (!pCreature)
        return;
    pCreature->m_model.m_localToParent.origin = at;
    pCreature->m_model.m_nGeomFlags |= eGeom::kDirty;
}

// On the map's 20th frame: every case read, the results sent, the child
// ended.
void ReadCases(int nFrameOfRun)
{
    if (nFrameOfRun < 20)
        return;
    static Results s_results;
    static cameraJudgeProbe s_probe;
    const int nRegion = gcPlayer::Get()->m_pEntity->m_nRegionId;
    const auto at = [&](float x, float y, float z) { return RegionToWorld(nRegion, mVec3(x, y, z)); };
    const mVec3 player = at(-12.0f, 0.0f, -2.1f);
    const struct {
        mVec3 eye;
        bool bRolled;
    } places[CASE_COUNT] = {
        {at(-14.5f, 0.0f, -1.1f), false}, {at(-14.95f, 0.0f, -1.1f), false}, {at(-17.0f, 0.0f, -1.1f), false},
        {at(-12.9f, 0.0f, -1.8f), false}, {at(-12.5f, 0.0f, 0.9f), false},   {at(-14.5f, 0.0f, -1.1f), true},
        {at(-14.5f, 0.0f, -1.1f), false}, {at(-14.5f, 0.0f, -1.1f), false}, {at(-14.5f, 0.0f, -1.1f), false},
        {at(-14.5f, 0.0f, -1.1f), false}, {at(-9.5f, 0.0f, -1.1f), false},
    };
    gcCreature* pCreature = CreatureIn(nRegion);
    s_results.bCreature = pCreature != nullptr;
    const mVec3 creatureWas = pCreature ? pCreature->m_model.m_localToParent.origin : mVec3(0.0f, 0.0f, 0.0f);
    for (int i = 0; i < CASE_COUNT; ++i) {
        if (i == CASE_IN_FRONT)
            PlaceCreature(pCreature, mVec3(-13.25f, 0.0f, -1.6f));
        if (i == CASE_BEHIND)
            PlaceCreature(pCreature, mVec3(-10.0f, 0.0f, -2.1f));
        if (i == CASE_AGAIN)
            PlaceCreature(pCreature, creatureWas);
        PlaceCamera(places[i].eye, i == CASE_FACING_WALL ? at(-20.0f, 0.0f, -1.1f) : player, places[i].bRolled);
        s_probe.Read(1, false, &s_results.facts[i]);
    }
    s_results.bRan = true;
    [[maybe_unused]] const ssize_t n = write(s_nPipe, &s_results, sizeof s_results);
    _exit(0);
}

class judgeProbeTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        TempDir data("qm_camera_probe");
        ASSERT_TRUE(datagen::WriteSampleGame(data.Path()));
        const std::string input = data.File("input.txt");
        std::ofstream(input) << "0 0 -\n";
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            s_nPipe = fds[1];
            StartGame(data.Path(), "/act 1 /map 1", input.c_str(), 200);
            gcMap::SetFrameObserver(ReadCases);
            if (gcGame::LoadBackground())
                gcGame::s_pGame->Run();
            _exit(1);
        }
        close(fds[1]);
        s_results = Results();
        size_t nGot = 0;
        for (ssize_t n = 1; n > 0 && nGot < sizeof s_results; nGot += static_cast<size_t>(n > 0 ? n : 0))
            n = read(fds[0], reinterpret_cast<char*>(&s_results) + nGot, sizeof s_results - nGot);
        close(fds[0]);
        waitpid(pid, nullptr, 0);
        ASSERT_EQ(nGot, sizeof s_results);
    }
    const FrameFacts& Facts(int c) const { return s_results.facts[c]; }

    static Results s_results;
};
Results judgeProbeTest::s_results;

TEST_F(judgeProbeTest, FollowPlayIsReadAtAll)
{
    ASSERT_TRUE(s_results.bRan);
    for (int c = 0; c < CASE_COUNT; ++c) {
        SCOPED_TRACE(c);
        EXPECT_TRUE(Facts(c).bFollow);
        EXPECT_FALSE(Facts(c).bCut);
        EXPECT_EQ(Facts(c).nRays, 27) << "a 3 x 3 x 3 grid over the box";
    }
}

// 2.5 m back and 1 m up: the view looks down atan(1 / 2.5), the player
// small and in the open.
TEST_F(judgeProbeTest, ReadsThePictureAndTheViewInTheOpen)
{
    const FrameFacts& f = Facts(CASE_OPEN);
    EXPECT_NEAR(f.fPitchDown, std::atan(1.0f / 2.5f) * 57.29578f, 0.01f);
    EXPECT_GT(f.fCoverage, 0.02f);
    EXPECT_LT(f.fCoverage, 0.35f);
    EXPECT_EQ(f.fEmbedDepth, 0.0f);
    EXPECT_EQ(f.fBeyond, 0.0f);
    EXPECT_EQ(f.nBlocked, 0);
    EXPECT_NEAR(f.cameraPos.x, -2.5f, 1e-3f) << "the camera's place from the player";
    EXPECT_NEAR(f.cameraPos.z, 1.0f, 1e-3f);
    EXPECT_GT(f.up.z, 0.0f);
    EXPECT_LT(Facts(CASE_UPSIDE_DOWN).up.z, 0.0f);
    EXPECT_NEAR(Facts(CASE_UPSIDE_DOWN).fCoverage, f.fCoverage, 1e-4f) << "the same picture, rolled over";
    EXPECT_NEAR(Facts(CASE_DOWN).fPitchDown, std::atan(3.0f / 0.5f) * 57.29578f, 0.01f);
    EXPECT_GT(Facts(CASE_CLOSE).fCoverage, 0.9f) << "the player fills the picture";
}

TEST_F(judgeProbeTest, ReadsTheWorldRoundAndBehindTheCamera)
{
    // The wall's face 5 cm behind the camera: 5 cm into its 0.1 m sphere
    // (along the ray straight back at it).
    EXPECT_NEAR(Facts(CASE_AT_WALL).fEmbedDepth, 0.05f, 0.002f);
    EXPECT_EQ(Facts(CASE_AT_WALL).fBeyond, 0.0f);
    EXPECT_EQ(Facts(CASE_AT_WALL).nBlocked, 0);
    // A metre past the wall's outer face, two past its inner one, along a
    // ray that climbs a little on its way.
    const FrameFacts& beyond = Facts(CASE_BEYOND);
    EXPECT_GT(beyond.fBeyond, 1.95f);
    EXPECT_LT(beyond.fBeyond, 2.1f);
    EXPECT_EQ(beyond.nBlocked, 27);
    EXPECT_EQ(beyond.fEmbedDepth, 0.0f);
}

TEST_F(judgeProbeTest, ReadsTheCreaturesCoverPlaceAndAlpha)
{
    ASSERT_TRUE(s_results.bCreature) << "a guard in the west region";
    const auto find = [](const FrameFacts& f, uint32_t nId) -> const CreatureFacts* {
        for (int i = 0; i < f.nCreatures; ++i)
            if (f.creatures[i].nId == nId)
                return &f.creatures[i];
        return nullptr;
    };
    const FrameFacts& front = Facts(CASE_IN_FRONT);
    ASSERT_GT(front.nCreatures, 0);
    const CreatureFacts* pFront = nullptr;
    for (int i = 0; i < front.nCreatures; ++i)
        if (front.creatures[i].fCover > 0.9f)
            pFront = &front.creatures[i];
    ASSERT_NE(pFront, nullptr) << "half way to the player, it covers all of it";
    EXPECT_TRUE(pFront->bNearer);
    EXPECT_EQ(pFront->fAlpha, 1.0f) << "drawn solid: nothing faded it yet";
    const CreatureFacts* pBehind = find(Facts(CASE_BEHIND), pFront->nId);
    ASSERT_NE(pBehind, nullptr);
    EXPECT_FALSE(pBehind->bNearer) << "its outline round the player's counts for nothing";
}

// The view's rays within a metre: none in the open, all half a metre
// from a wall (the farthest, to a corner of the picture, meets it about
// 0.65 m off).
TEST_F(judgeProbeTest, ReadsTheViewNearTheCamera)
{
    EXPECT_EQ(Facts(CASE_OPEN).fNearShare, 0.0f);
    EXPECT_EQ(Facts(CASE_AT_WALL).fNearShare, 0.0f) << "the wall behind the camera";
    EXPECT_EQ(Facts(CASE_FACING_WALL).fNearShare, 1.0f);
    EXPECT_TRUE(Facts(CASE_OPEN).bBoxWhole);
    EXPECT_FALSE(Facts(CASE_CLOSE).bBoxWhole) << "the player fills the picture";
    EXPECT_FALSE(Facts(CASE_FACING_WALL).bBoxWhole);
}

// The sample's follow pitch (15 degrees) and distance (7 m) from the pivot
// 0.8 m over the player's middle: the camera 0.2 m over it, 2.5 m off. To
// the west the follow place lies past the wall; to the east it is clear.
// The player faces east: the place behind it is past the wall too.
TEST_F(judgeProbeTest, ReadsThePitchAndThePlaceBehind)
{
    const FrameFacts& west = Facts(CASE_OPEN);
    const FrameFacts& east = Facts(CASE_EAST);
    EXPECT_NEAR(west.fFollowPitch, 15.0f, 1e-4f);
    EXPECT_NEAR(west.fCameraPitch, std::atan(0.2f / 2.5f) * 57.29578f, 0.01f);
    EXPECT_NEAR(east.fCameraPitch, west.fCameraPitch, 0.01f);
    EXPECT_FALSE(west.bPitchFree) << "the follow place is past the west wall";
    EXPECT_TRUE(east.bPitchFree);
    EXPECT_NEAR(west.fBehindTurn, 0.0f, 0.5f);
    EXPECT_NEAR(east.fBehindTurn, 180.0f, 0.5f);
    EXPECT_FALSE(west.bBehindClear);
    EXPECT_FALSE(east.bBehindClear) << "the place behind is the same wherever the camera is";
    const mVec3 fromPlayer = east.cameraWorld - east.playerWorld;
    EXPECT_NEAR(fromPlayer.Dist(east.cameraPos), 0.0f, 1e-4f);
    EXPECT_NEAR(east.cameraPos.x, 2.5f, 1e-3f);
}

// The creature put back and the camera where it was: nothing moved since
// the last read, and the controller is at rest.
TEST_F(judgeProbeTest, NothingMovedBetweenTwoReadsOfOneFrame)
{
    EXPECT_TRUE(Facts(CASE_AGAIN).bStill);
    EXPECT_FALSE(Facts(CASE_BEHIND).bStill) << "the creature moved";
}

}  // namespace
}  // namespace cameraJudge
