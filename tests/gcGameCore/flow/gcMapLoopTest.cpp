// The map loop on the sample game's map of three regions in a row: region
// streaming as the camera walks west to east, the order of the start and
// end events, the pause flag and the sound effects, wind gusts and the
// cinematic request machine.

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <utility>

#include "datagen/datagen.h"
#include "eEngine/eAudio.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eInput.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/eZone.h"
#include "gcFlowTestSupport.h"
#include "datagen/dialogWriters.h"
#include "datagen/sampleWriters.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "platform/pad.h"
#include "../test/pad_test.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapCinematics.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcRegionLoader.h"
#include "gcGameCore/entities/gcEntity.h"
#include "../entities/entityTestTypes.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/script/gcMsg.h"
#include "mMath/mRand.h"

namespace {

const gcMsgTick kTick(cTimeValue(20));

class gcMapLoopTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        // A row whose east end is no neighbour of its west end: it streams in.
        ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir.HostPath(""), true, true));
        ASSERT_TRUE(gcGame::LoadAct(0));
        ASSERT_TRUE(gcAct::s_pAct->LoadMap(0));
        m_pMap = gcMap::s_pMap;
        ASSERT_TRUE(m_pMap->LoadRegions(m_pMap->m_nInitialRegionId));
        m_pMap->UpdateRegions(true);
        gcMapCinematics::s_pCinematics = nullptr;  // each test installs what it needs
    }
    void TearDown() override
    {
        gcRegionLoader::Get()->WaitForFinish();
        gcRegionLoader::Get()->Clear();
        gcMapCinematics::s_pCinematics = nullptr;
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        gcFlowTest::TearDown();
    }
    static void PlaceCamera(float x)
    {
        gcGameCamera::Get()->m_camera.m_cameraToWorld.MakeIdentity();
        gcGameCamera::Get()->m_camera.m_cameraToWorld.origin.Set(x, 0.0f, 4.0f);
    }
    static int Resident()
    {
        int n = 0;
        for (const gcRegion* p : gcRegion::s_pRegions)
            n += p != nullptr;
        return n;
    }
    static int CurrentId() { return gcRegion::s_pRegions[gcRegion::s_nCurrentRegion]->m_nRegionId; }
    static bool Attached(int nRegionId)
    {
        const int slot = gcRegion::FindSlot(nRegionId);
        return slot >= 0 && eZone::s_pZones[slot] == gcRegion::s_pRegions[slot]->m_pZone;
    }
    // Streaming steps until the region is attached; the step count, or -1.
    int StepUntilAttached(int nRegionId)
    {
        for (int step = 0; step < 200; ++step) {
            m_pMap->HandleBackgroundLoading();
            EXPECT_LE(Resident(), gcRegion::kMaxResident);
            if (Attached(nRegionId))
                return step;
        }
        return -1;
    }

    gcMap* m_pMap = nullptr;
    gcTestLogCapture m_quiet;
};

// West is current with the middle attached; walking into the middle
// re-bases the camera there, chooses the east and attaches it no earlier
// than 60 steps later; walking on into the east drops the west.
TEST_F(gcMapLoopTest, StreamingFollowsTheCameraAcrossTheRegions)
{
    EXPECT_EQ(CurrentId(), 0);
    EXPECT_TRUE(Attached(1));
    PlaceCamera(5.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 0) << "inside the west nothing changes";
    EXPECT_EQ(m_pMap->m_nLoadingRegionId, -1);

    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 1);
    EXPECT_FLOAT_EQ(gcGameCamera::Get()->GetPos().x, -12.0f) << "re-based into the middle's frame";
    EXPECT_EQ(m_pMap->m_nLoadingRegionId, 2);
    EXPECT_EQ(eZone::s_pZones[gcRegion::FindSlot(0)]->m_localToWorld.origin.x, -32.0f);
    EXPECT_EQ(StepUntilAttached(2), 61) << "start, 60 waiting steps, attach";
    EXPECT_EQ(eZone::s_pZones[gcRegion::FindSlot(2)]->m_localToWorld.origin.x, 32.0f);
    EXPECT_EQ(m_pMap->m_nFlags & 0x1, 0) << "no region waits to be attached";

    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 2);
    EXPECT_FALSE(Attached(0)) << "the west is no neighbour of the east";
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(gcRegion::FindSlot(0), -1) << "and is deleted a step later";
    EXPECT_EQ(Resident(), 2);
}

// Walking back west streams region 0 (the lowest id) in again; a load of
// the region already current changes nothing.
TEST_F(gcMapLoopTest, RegionZeroStreamsBackInAndLoadingTheCurrentRegionIsANoOp)
{
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_GE(StepUntilAttached(2), 0);
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(CurrentId(), 2);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(gcRegion::FindSlot(0), -1);
    PlaceCamera(-20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(CurrentId(), 1);
    EXPECT_EQ(m_pMap->m_nLoadingRegionId, 0);
    EXPECT_EQ(StepUntilAttached(0), 61);

    const int nSlot = gcRegion::s_nCurrentRegion;
    const gcRegion* pCurrent = gcRegion::s_pRegions[nSlot];
    gcRegion* pBefore[gcRegion::kMaxResident];
    std::copy(std::begin(gcRegion::s_pRegions), std::end(gcRegion::s_pRegions), pBefore);
    EXPECT_TRUE(m_pMap->LoadRegions(1));
    EXPECT_EQ(gcRegion::s_nCurrentRegion, nSlot);
    EXPECT_EQ(gcRegion::s_pRegions[nSlot], pCurrent);
    EXPECT_TRUE(std::equal(std::begin(pBefore), std::end(pBefore), std::begin(gcRegion::s_pRegions)));
}

// A multi-region load while the east waits to be attached deletes it; the
// region loader forgets it, so that walking back into the middle chooses the
// east again and attaches it 61 steps after the choosing step.
TEST_F(gcMapLoopTest, AMultiRegionLoadDuringStreamingLeavesTheLoaderClear)
{
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(m_pMap->m_nLoadingRegionId, 2);
    for (int step = 0; step < 10; ++step)
        m_pMap->HandleBackgroundLoading();
    gcRegionLoader::Get()->WaitForFinish();
    m_pMap->HandleBackgroundLoading();
    ASSERT_NE(gcRegionLoader::Get()->m_pLoadedRegion, nullptr);
    EXPECT_EQ(m_pMap->m_nFlags & 0x1, 0x1) << "the east waits to be attached";
    m_pMap->m_nMultiRegionToLoad = 0;
    m_pMap->HandleMultiRegionLoad();
    EXPECT_EQ(CurrentId(), 0);
    EXPECT_EQ(gcRegion::FindSlot(2), -1) << "the east is no neighbour of the west";
    EXPECT_EQ(gcRegionLoader::Get()->m_pLoadedRegion, nullptr);
    EXPECT_EQ(m_pMap->m_nFlags & 0x1, 0);

    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(CurrentId(), 1);
    ASSERT_EQ(m_pMap->m_nLoadingRegionId, 2);
    EXPECT_EQ(StepUntilAttached(2), 61);
    ASSERT_GE(gcRegion::FindSlot(2), 0);
    EXPECT_EQ(gcRegion::s_pRegions[gcRegion::FindSlot(2)]->m_nRegionId, 2);
}

// A current region without a zone never counts as attached; it and its
// neighbours stay resident however many steps run.
TEST_F(gcMapLoopTest, ACurrentRegionWithoutAZoneIsKept)
{
    const int slot = gcRegion::s_nCurrentRegion;
    gcRegion::s_pRegions[slot]->m_pZone = nullptr;
    eZone::s_pZones[slot] = nullptr;
    for (int step = 0; step < 3; ++step)
        m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(gcRegion::s_nCurrentRegion, slot);
    ASSERT_NE(gcRegion::s_pRegions[slot], nullptr);
    EXPECT_EQ(CurrentId(), 0);
    EXPECT_GE(gcRegion::FindSlot(1), 0) << "the neighbour stays too";
    EXPECT_EQ(Resident(), 2);
}

// The east's file is missing, or cut in half: it is still chosen at every
// step, but logged about once and never read again.
struct NeighbourFileRow {
    const char* sName;
    bool bCut;  // cut in half, or missing
    cLogType type;
    const char* sLine;  // the one line about it
};

class gcMapLoopNeighbourFileTest : public gcMapLoopTest, public testing::WithParamInterface<NeighbourFileRow> {};

TEST_P(gcMapLoopNeighbourFileTest, IsLoggedAboutOnce)
{
    const NeighbourFileRow& row = GetParam();
    cStr name;
    gcRegion::GetFilename(gcAct::s_pAct->m_nActId, m_pMap->m_nMapId, 2, &name);
    const std::string path = m_dir.HostPath(name.m_sData + 1);
    if (row.bCut)
        std::filesystem::resize_file(path, std::filesystem::file_size(path) / 2);
    else
        ASSERT_TRUE(std::filesystem::remove(path));
    gcTestLogCapture log;
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(CurrentId(), 1);
    int nChosen = m_pMap->m_nLoadingRegionId == 2;
    for (int step = 0; step < 40; ++step) {
        m_pMap->HandleBackgroundLoading();
        gcRegionLoader::Get()->WaitForFinish();
        nChosen += m_pMap->m_nLoadingRegionId == 2;
    }
    EXPECT_GE(nChosen, 10) << "the neighbour is chosen again and again";
    EXPECT_LT(nChosen, 41) << "each failed load is abandoned before the next choice";
    EXPECT_EQ(gcRegion::FindSlot(2), -1);
    const std::string quoted = std::string("\"") + name.m_sData + "\"";
    std::string lines;
    for (const auto& [type, text] : log.m_lines)
        lines += text + "\n";
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, quoted.c_str()) + log.Count(LOGTYPE_ERROR, quoted.c_str()), 1)
        << "the file named once:\n" << lines;
    EXPECT_EQ(log.Count(row.type, row.sLine), 1);
    EXPECT_EQ(log.Count(row.type, ""), 1) << lines;
    EXPECT_EQ(log.Count(row.type == LOGTYPE_ERROR ? LOGTYPE_WARNING : LOGTYPE_ERROR, ""), 0) << lines;
    // Streaming is not stuck on the region: walking back west still
    // changes the current region.
    PlaceCamera(-20.0f);
    for (int step = 0; step < 3 && CurrentId() != 0; ++step)
        m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, gcMapLoopNeighbourFileTest,
                         testing::Values(NeighbourFileRow{"Missing", false, LOGTYPE_WARNING, "for region 3"},
                                         NeighbourFileRow{"CutInHalf", true, LOGTYPE_ERROR, "Region03.rgn"}),
                         [](const testing::TestParamInfo<NeighbourFileRow>& info) { return info.param.sName; });

// A message for a region reaches its triggers and its entities, no
// other region's; with "only active" an inactive entity is passed over.
TEST_F(gcMapLoopTest, RegionMessagesReachOnlyThatRegion)
{
    m_pMap->SendToLoadedRegions(gcMsgUnfreeze(), false);
    std::vector<gcRegionTrigger*> triggers;
    const cGroup& triggerGroup = *m_pMap->m_pRegionTriggers;
    for (int32_t slot = triggerGroup.FirstTableSlot(); slot < triggerGroup.EndTableSlot(); ++slot) {
        gcRegionTrigger* p = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(slot));
        if (p && p->m_nRegionId == 1)
            triggers.push_back(p);
    }
    std::vector<gcEntity*> west, middle;
    for (int32_t slot = m_pMap->m_entities.FirstTableSlot(); slot < m_pMap->m_entities.EndTableSlot(); ++slot)
        if (gcEntity* p = gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(slot)); p && p->m_nRegionId <= 1)
            (p->m_nRegionId == 0 ? west : middle).push_back(p);
    ASSERT_FALSE(triggers.empty());
    ASSERT_FALSE(west.empty());
    ASSERT_FALSE(middle.empty());
    const auto isFrozen = [](const gcEntity* p) { return (p->m_nEntityFlags & gcEntity::kFrozen) != 0; };
    auto frozen = [&](const std::vector<gcEntity*>& v) { return std::all_of(v.begin(), v.end(), isFrozen); };
    auto awake = [&](const std::vector<gcEntity*>& v) { return std::none_of(v.begin(), v.end(), isFrozen); };
    ASSERT_TRUE(awake(west));
    ASSERT_TRUE(awake(middle));
    m_pMap->SendToRegion(0, gcMsgFreeze(), true);
    EXPECT_TRUE(frozen(west));
    EXPECT_TRUE(awake(middle));
    for (const gcRegionTrigger* p : triggers)
        EXPECT_EQ(p->m_nTriggerFlags & gcRegionTrigger::kFrozen, 0) << "the middle's trigger";
    m_pMap->SendToRegion(0, gcMsgUnfreeze(), true);
    EXPECT_TRUE(frozen(west)) << "frozen entities are not active";
    m_pMap->SendToRegion(0, gcMsgUnfreeze(), false);
    EXPECT_TRUE(awake(west));
}

// An entity whose tick carries it into another resident region, the
// player and an effect likewise, and an entity carried back by another's tick before
// its turn, take the frame's tick once each: in the region they stood in
// when the ticks went out.
TEST_F(gcMapLoopTest, EachEntityTakesTheTickOnceWhateverRegionItsTickCarriesItTo)
{
    struct Crossing : gcTestEntity {
        int Send(const gcMsg& msg) override
        {
            if (msg.nMsgId == MSG_TICK) {
                ++nTicks;
                m_nRegionId = static_cast<int16_t>(nTo);
                if (pCarried)
                    pCarried->m_nRegionId = static_cast<int16_t>(nCarriedTo);
            }
            return gcTestEntity::Send(msg);
        }
        int nTicks = 0;
        int nTo = -1;
        Crossing* pCarried = nullptr;
        int nCarriedTo = -1;
    };
    struct Drifting : gcEffect {
        int Send(const gcMsg& msg) override
        {
            if (msg.nMsgId == MSG_TICK) {
                ++nTicks;
                m_nRegionId = static_cast<int16_t>(nTo);
            }
            return 1;
        }
        int nTicks = 0;
        int nTo = -1;
    };
    const int nFirst = gcRegion::FindSlot(0) < gcRegion::FindSlot(1) ? 0 : 1;  // the region passed first
    const int nLater = 1 - nFirst;
    Drifting effect;
    effect.m_nFlags = 0;
    effect.m_nRegionId = static_cast<int16_t>(nFirst);
    effect.nTo = nLater;
    const int32_t nEffectEnd = m_pMap->m_effects.m_nEnd;
    gcEffectMgr::Add(nEffectEnd, &effect, 0x53);
    m_pMap->m_effects.m_nEnd = nEffectEnd + 1;
    Crossing walker, carried, player;
    walker.m_nEntityFlags = carried.m_nEntityFlags = player.m_nEntityFlags = 0;
    player.m_nRegionId = static_cast<int16_t>(nFirst);
    player.nTo = nLater;
    gcEntity*& pPlayer = gcPlayer::Get()->m_pEntity;
    gcEntity* const pWasPlayer = std::exchange(pPlayer, &player);
    walker.m_nRegionId = static_cast<int16_t>(nFirst);
    walker.nTo = nLater;
    walker.pCarried = &carried;
    walker.nCarriedTo = nFirst;
    carried.m_nRegionId = static_cast<int16_t>(nLater);
    carried.nTo = nFirst;
    const int32_t nEnd = m_pMap->m_entities.m_nEnd;
    gcEntityMgr::Add(nEnd, &carried, 0x52);  // before the walker: passed over before it is carried
    gcEntityMgr::Add(nEnd + 1, &walker, 0x51);
    m_pMap->m_entities.m_nEnd = nEnd + 2;
    m_pMap->SendToLoadedRegions(kTick, true);
    m_pMap->SendToLoadedRegions(kTick, true);
    gcEntityMgr::Add(nEnd, nullptr, 0);
    gcEntityMgr::Add(nEnd + 1, nullptr, 0);
    m_pMap->m_entities.m_nEnd = nEnd;
    gcEffectMgr::Add(nEffectEnd, nullptr, 0);
    m_pMap->m_effects.m_nEnd = nEffectEnd;
    pPlayer = pWasPlayer;
    EXPECT_EQ(player.nTicks, 2) << "the player's likewise";
    EXPECT_EQ(effect.nTicks, 2) << "a drifting effect's likewise";
    EXPECT_EQ(walker.nTicks, 2) << "once a frame, not again in the region it walked into";
    EXPECT_EQ(carried.nTicks, 2) << "once a frame, though carried into a region already ticked";
    EXPECT_EQ(walker.m_nRegionId, nLater);
}

// A camera on the far face of the current zone's box is outside it; on
// the near face it is inside; outside every zone nothing changes. Changes
// wait while a region streams.
TEST_F(gcMapLoopTest, TheZoneBoxIsHalfOpen)
{
    PlaceCamera(16.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 1);
    ASSERT_GE(StepUntilAttached(2), 0);  // no region changes while one streams
    PlaceCamera(-16.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 1) << "the middle's near face belongs to it";
    PlaceCamera(-100.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 1) << "outside every zone nothing changes";
    EXPECT_FLOAT_EQ(gcGameCamera::Get()->GetPos().x, -100.0f);
    PlaceCamera(-16.5f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 0);
}

// Gusts: with no time left a new one starts, lasting 1,200 to 4,199 ticks,
// and every tick counts down.
TEST_F(gcMapLoopTest, WindGustsLastTwoToSevenSeconds)
{
    mRandReset();
    for (int i = 0; i < 200; ++i) {
        m_pMap->m_windTime = cTimeValue(0);
        m_pMap->CalculateWindVelocity(cTimeValue(20));
        const int32_t nLength = m_pMap->m_windTime.m_nTicks + 20;
        EXPECT_GE(nLength, 1200);
        EXPECT_LE(nLength, 4199);
    }
    m_pMap->m_windTime = cTimeValue(30);
    m_pMap->CalculateWindVelocity(cTimeValue(20));
    EXPECT_EQ(m_pMap->m_windTime.m_nTicks, 10);
    // A gust blows within 45 degrees of the map's heading, at its speed.
    m_pMap->m_fWindHeading = 30.0f;
    m_pMap->m_fWindPitch = 0.0f;
    m_pMap->m_fWindSpeed = 2.0f;
    float fWidest = 0.0f;
    for (int i = 0; i < 200; ++i) {
        m_pMap->m_windTime = cTimeValue(0);
        m_pMap->CalculateWindVelocity(cTimeValue(20));
        const mVec3 wind = gcEffect::s_wind;
        EXPECT_NEAR(std::hypot(wind.x, wind.y), 2.0f, 1e-5f);
        const float fOff = std::atan2(-wind.x, wind.y) * 57.29578f - 30.0f;
        EXPECT_LE(std::fabs(fOff), 45.001f);
        fWidest = std::max(fWidest, std::fabs(fOff));
    }
    EXPECT_GT(fWidest, 40.0f) << "the whole spread is used";
    const mVec3 down = gcMap::Direction(0.0f, -75.0f);
    EXPECT_FLOAT_EQ(down.x, 0.0f);
    EXPECT_NEAR(down.y, 0.258819f, 1e-6f);
    EXPECT_NEAR(down.z, -0.965926f, 1e-6f);
}

// While paused the step only fades the sound effects out (198 ticks) and
// leaves streaming, timers and the collision counts alone; unpaused it
// fades them back in (60 ticks) and resets the locked-triangle counts.
TEST_F(gcMapLoopTest, PausedStepsFadeTheSoundEffectsAndSkipTheWorld)
{
    eCollisionCache* pCache = eZone::s_pStaticColCache;
    if (pCache)
        pCache->m_nLockedTris = 9;
    m_pMap->m_nFlags |= gcMap::kFlagPaused;
    PlaceCamera(20.0f);
    m_pMap->Update(kTick);
    EXPECT_TRUE(eAudio::IsGroupPaused(eAudio::ACG_SFX));
    EXPECT_EQ(CurrentId(), 0) << "no streaming while paused";
    if (pCache) {
        EXPECT_EQ(pCache->m_nLockedTris, 9);
    }
    EXPECT_EQ(m_pMap->m_nFlags & gcMap::kFlagPaused, 0) << "no pausing dialog: the flag follows a tick late";
    m_pMap->Update(kTick);
    EXPECT_FALSE(eAudio::IsGroupPaused(eAudio::ACG_SFX));
    EXPECT_EQ(CurrentId(), 1);
    if (pCache) {
        EXPECT_EQ(pCache->m_nLockedTris, 0);
    }
}

// Records what the loop asks of the cinematics; a streamed load takes
// three of the loop's steps.
class RecordingCinematics : public gcMapCinematics {
public:
    // A loop that never ends is cut short (a test fails instead of hanging).
    bool IsPlaying() const override { return bPlaying && ++nAsked < 100000; }
    bool IsSkippable() const override { return bSkippable; }
    void Stop(bool) override
    {
        calls.push_back("stop");
        bPlaying = false;
    }
    // Counts the ticks, noting the volume and rumble they run with; the
    // cinematic ends after nLength of them.
    void Send(const gcMsg&) override
    {
        ++nTicks;
        fVolumeSeen = eAudio::s_fMasterVolume;
        bRumbleSeen = eInput::s_bRumble;
        if (onTick)
            onTick(nTicks);
        if (nTicks >= nLength)
            bPlaying = false;
    }
    void Play(cBase*) override
    {
        calls.push_back("play");
        bPlaying = true;
    }
    void StartStreamedLoad(int nIndex) override
    {
        calls.push_back("load " + std::to_string(nIndex));
        nLoadingSteps = 3;
        bResident = true;
    }
    bool IsStreamedLoading() const override { return nLoadingSteps > 0; }
    void WaitForStreamedLoad() override { nLoadingSteps = 0; }
    cMemPool* GetResidentStreamedPool() const override { return bResident ? &gcGame::s_mapCinematicPool : nullptr; }
    void DeleteResidentStreamed() override
    {
        calls.push_back("delete");
        bResident = false;
    }
    bool PlayResidentStreamed() override
    {
        calls.push_back("play streamed");
        bPlaying = bResident;
        return bResident;
    }

    std::vector<std::string> calls;
    bool bPlaying = false;
    bool bSkippable = true;
    bool bResident = false;
    int nLoadingSteps = 0;
    int nTicks = 0;
    int nLength = 1000;
    mutable int nAsked = 0;
    float fVolumeSeen = -1.0f;
    bool bRumbleSeen = true;
    std::function<void(int)> onTick;
};

// A request stops the old cinematic at once, starts loading a step later,
// runs the lead-in and plays at the 30th step; a request made while one
// plays suppresses the started event until the new one starts.
TEST_F(gcMapLoopTest, CinematicRequestsRunTheirLeadIn)
{
    RecordingCinematics cinematics;
    gcMapCinematics::s_pCinematics = &cinematics;
    cinematics.bPlaying = true;
    m_pMap->SetCinematicToPlay(nullptr, 4);
    EXPECT_EQ(m_pMap->m_nFlags & gcMap::kFlagNoCinematicEvents, gcMap::kFlagNoCinematicEvents);
    EXPECT_TRUE(m_pMap->IsCinematicPlaying());
    int nLeadIn = 0;
    for (int step = 0; step < 40 && cinematics.calls.size() < 3; ++step) {
        if (cinematics.nLoadingSteps > 0)
            --cinematics.nLoadingSteps;
        m_pMap->HandleBackgroundCinematicLoading();
        nLeadIn += (m_pMap->m_nFlags & gcMap::kFlagCinematicLeadIn) != 0;
    }
    m_pMap->HandleBackgroundCinematicLoading();
    EXPECT_EQ(cinematics.calls, (std::vector<std::string>{"stop", "load 4", "play streamed"}));
    EXPECT_EQ(nLeadIn, 27) << "play 30 steps after the load started, three of them loading";
    EXPECT_EQ(m_pMap->m_nFlags & (gcMap::kFlagCinematicLeadIn | gcMap::kFlagNoCinematicEvents), 0);
    EXPECT_EQ(m_pMap->m_nCinematicLoadingFrame, -1);
    EXPECT_TRUE(m_pMap->IsCinematicPlaying());
}

// A cinematic request waits while a region streams (nothing is stopped);
// once the region is attached the old cinematic stops, and while the
// request runs region streaming waits in turn.
TEST_F(gcMapLoopTest, CinematicLoadingWaitsWhileARegionStreams)
{
    RecordingCinematics cinematics;
    gcMapCinematics::s_pCinematics = &cinematics;
    cinematics.bPlaying = true;
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    ASSERT_EQ(m_pMap->m_nLoadingRegionId, 2);
    m_pMap->SetCinematicToPlay(nullptr, 4);
    for (int step = 0; step < 5; ++step)
        m_pMap->HandleBackgroundCinematicLoading();
    EXPECT_TRUE(cinematics.calls.empty());
    EXPECT_EQ(m_pMap->m_nCinematicLoadingFrame, -1);
    ASSERT_EQ(StepUntilAttached(2), 61);
    m_pMap->HandleBackgroundCinematicLoading();
    EXPECT_EQ(cinematics.calls, (std::vector<std::string>{"stop"}));
    EXPECT_EQ(m_pMap->m_nCinematicLoadingFrame, 0);
    PlaceCamera(20.0f);
    m_pMap->HandleBackgroundLoading();
    EXPECT_EQ(CurrentId(), 1) << "no region change while the request runs";
    EXPECT_EQ(m_pMap->m_nLoadingRegionId, -1);
}

// Without cinematics installed a request is dropped.
TEST_F(gcMapLoopTest, WithoutCinematicsARequestIsDropped)
{
    m_pMap->SetCinematicToPlay(nullptr, 2);
    m_pMap->HandleBackgroundCinematicLoading();
    EXPECT_FALSE(m_pMap->IsCinematicPlaying());
    EXPECT_EQ(m_quiet.Count(LOGTYPE_WARNING, "cinematic request dropped"), 1);
}

// The skip press fast-forwards the playing cinematic without drawing,
// muted and without rumble, until it ends, the game pauses or the map is
// asked to end; then volume (within 0 to 1) and rumble come back.
class gcMapLoopSkipTest : public DrawingTest<gcMapLoopTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcMapLoopTest>::SetUp();
        if (IsSkipped())
            return;
        PADTestSetScripted(true);
        for (int port = 0; port < eInput::kMaxControllers; ++port)
            PADTestSetStatus(port, PADTestIdleStatus());
        eInput::Initialize();
        eInput::Update(cTimeValue(20), true);
        m_cinematics.bPlaying = true;
        gcMapCinematics::s_pCinematics = &m_cinematics;
    }
    void TearDown() override
    {
        gcUI::Get()->CloseAllDialogs(false);
        eAudio::s_fMasterVolume = 1.0f;
        eInput::s_bRumble = false;
        PADTestSetScripted(false);
        DrawingTest<gcMapLoopTest>::TearDown();
    }
    // The skip button goes down in this step.
    static void PressSkip()
    {
        PADStatus status = PADTestIdleStatus();
        status.button = PAD_BUTTON_A;
        PADTestSetStatus(0, status);
        eInput::Update(cTimeValue(20), true);
    }

    RecordingCinematics m_cinematics;
};

TEST_F(gcMapLoopSkipTest, FastForwardStopsAtTheEndThePauseOrTheEndRequest)
{
    cMemPool pool("gcMapLoopSkipTest", 0x20000, false);
    gcUIDialog* pPausing = datagen::NewGridDialog(&pool, datagen::GridDialogDesc{});
    ASSERT_NE(pPausing, nullptr);
    enum Stop { ENDS, PAUSES, END_REQUEST };
    const struct {
        Stop stop;
        float fVolume;
        float fVolumeAfter;
        int nTicks;
    } rows[] = {
        {ENDS, 0.5f, 0.5f, 12},        // the cinematic runs to its end
        {PAUSES, 1.25f, 1.0f, 3},      // a pausing dialog opens in the third tick
        {END_REQUEST, -0.5f, 0.0f, 3},  // the map is asked to end in the third tick
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stop);
        m_cinematics.bPlaying = true;
        m_cinematics.nTicks = 0;
        m_cinematics.nLength = 12;
        m_cinematics.onTick = [&](int n) {
            if (n != 3)
                return;
            if (row.stop == PAUSES)
                gcUI::OpenDialog(pPausing, nullptr, 0.0f);
            else if (row.stop == END_REQUEST)
                m_pMap->m_nFlags |= gcMap::kFlagEndMap;
        };
        m_pMap->m_nFlags = 0;
        eAudio::s_fMasterVolume = row.fVolume;
        eInput::s_bRumble = true;
        PressSkip();
        m_pMap->HandleCinematicSkip();
        EXPECT_EQ(m_cinematics.nTicks, row.nTicks);
        EXPECT_EQ(m_cinematics.fVolumeSeen, 0.0f);
        EXPECT_FALSE(m_cinematics.bRumbleSeen);
        EXPECT_EQ(eAudio::s_fMasterVolume, row.fVolumeAfter);
        EXPECT_TRUE(eInput::s_bRumble);
        gcUI::Get()->CloseAllDialogs(false);
        PADTestSetStatus(0, PADTestIdleStatus());
        eInput::Update(cTimeValue(20), true);
    }
    std::destroy_at(pPausing);
}

// No fast-forward while the map is paused or asked to end, for a cinematic
// that cannot be skipped, or without the press.
TEST_F(gcMapLoopSkipTest, NothingIsSkippedWhenPausedEndingUnskippableOrUnpressed)
{
    const struct {
        int32_t nFlags;
        bool bSkippable;
        bool bPress;
    } rows[] = {
        {gcMap::kFlagPaused, true, true},
        {gcMap::kFlagEndMap, true, true},
        {0, false, true},
        {0, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.nFlags << " " << row.bSkippable << " " << row.bPress);
        m_cinematics.nTicks = 0;
        m_cinematics.bSkippable = row.bSkippable;
        m_pMap->m_nFlags = row.nFlags;
        if (row.bPress)
            PressSkip();
        m_pMap->HandleCinematicSkip();
        EXPECT_EQ(m_cinematics.nTicks, 0);
        EXPECT_TRUE(m_cinematics.bPlaying);
        PADTestSetStatus(0, PADTestIdleStatus());
        eInput::Update(cTimeValue(20), true);
    }
}

// The lightmaps follow the map's light as a script changes it: the ratio of
// the light to the map's own per channel, never above 1, and 1 for a
// channel the map's own light leaves dark.
TEST_F(gcMapLoopTest, TheLightmapTintIsTheLightOverTheMapsOwn)
{
    const struct {
        mVec3 own, now, tint;
    } rows[] = {
        {{0.8f, 0.5f, 0.4f}, {0.8f, 0.5f, 0.4f}, {1, 1, 1}},
        {{0.8f, 0.5f, 0.4f}, {0.2f, 0.25f, 0.4f}, {0.25f, 0.5f, 1}},
        {{0.8f, 0.5f, 0.4f}, {1.6f, 0.5f, 0.8f}, {1, 1, 1}},
        {{0.0f, 0.5f, 0.4f}, {0.3f, 0.0f, 0.1f}, {1, 0, 0.25f}},
    };
    for (const auto& row : rows) {
        m_pMap->m_originalLightDiffuse = row.own;
        m_pMap->m_lightDiffuse = row.now;
        const mVec3 t = m_pMap->LightmapTint();
        EXPECT_FLOAT_EQ(t.x, row.tint.x);
        EXPECT_FLOAT_EQ(t.y, row.tint.y);
        EXPECT_FLOAT_EQ(t.z, row.tint.z);
    }
}

}  // namespace
