// The sample game's player as the headless run plays it: the map's start
// puts the biped on the west end of the road, its control script walks,
// jumps and runs it from the scripted controller input, the camera follows
// it and turns to the shed by the shed's trigger, the east gate leads to
// the next map, and leaving the map leaves the pools as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <set>
#include <string>
#include <vector>

#include "platform/ar.h"
#include "platform/pad.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "../test/pad_test.h"
#include "datagen/datagen.h"
#include "datagen/sampleWriters.h"
#include "datagen/sampleFlying.h"
#include "datagen/sampleHud.h"
#include "datagen/sampleNpcs.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleProps.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcString.h"
#include "tempDir.h"

namespace {

using B = gcPlayerBiped;

constexpr float kStandZ = -2.1f;   // the ground (-3) plus the collider's half height
constexpr float kTickSeconds = 1.0f / 30.0f;  // the script runs once a frame
constexpr float kWalkSpeed = 1.5f, kRunSpeed = 4.0f;  // the sample biped's, units a second

// What the player and the camera were doing on one run of the control script.
struct Sample {
    int8_t state;
    int16_t region;
    mVec3 pos;  // in the region's frame
    gcGameCamera::gcPosCtrlMode cameraMode;
    gcGameCamera::gcLookAtCtrlMode lookAt;
    gcRegionPointHandle lookAtPoint;
    mVec3 cameraPos;  // in the current region's frame
};

std::vector<Sample>& Samples()
{
    static std::vector<Sample> s_samples;
    return s_samples;
}

// Runs after the control step each time the player's script runs.
class RecordPlayer : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        const gcPlayerBiped* p = dcast<gcPlayerBiped>(gcPlayer::Get()->m_pEntity);
        const gcGameCamera* c = gcGameCamera::Get();
        if (p)
            Samples().push_back({p->m_nCurState, p->m_nRegionId, p->m_model.m_localToParent.origin, c->m_PosCtrl.Mode,
                                 c->m_LookAtCtrl.Mode, c->m_LookAtCtrl.hRegionPoint, c->GetPos()});
    }
};

// An input file's frames count retraces from the video's start: the test
// plays them from now on.
std::string FromNow(const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t end = 0;
        const unsigned long frame = std::stoul(line, &end);
        out << frame + VIGetRetraceCount() << line.substr(end) << "\n";
    }
    return out.str();
}

// At rest for a second, then the stick held fully forward: the player runs
// east.
const char* const kRunEast = "0 0 -\n60 0 - 0 72\n";

std::map<std::string, size_t> PoolUse()
{
    std::map<std::string, size_t> use;
    const cMemPool* pFirst = cMemPool::s_pPoolList;
    for (const cMemPool* p = pFirst; p; p = p->GetNext() == pFirst ? nullptr : p->GetNext())
        use[p->GetName()] += p->BytesTaken();
    return use;
}

// The first of the samples from index from on that holds, or their count.
template <class T, class Pred>
size_t FirstWhere(const std::vector<T>& s, size_t from, Pred pred)
{
    return static_cast<size_t>(std::find_if(s.begin() + static_cast<long>(std::min(from, s.size())), s.end(), pred) -
                               s.begin());
}

class gcSamplePlayerTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        static TempDir s_settings("qm_sample_player");
        if (!ARCheckInit()) {
            OSTestSetSettingsDir(s_settings.c_str());
            AITestSetManualFrames(TRUE);
            ASSERT_TRUE(eAudioPlatform::Initialize());
        }
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        // Without the guards, who would stop the player on the road: these
        // tests follow the player's own control.
        ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir.HostPath(""), false));
        ASSERT_TRUE(gcGame::LoadBackground());
        Samples().clear();
    }
    void TearDown() override
    {
        VISetFrameLimit(0);
        PADTestSetScripted(false);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }

    // Loads map nMap of the act and plays it with the input for at most
    // nFrames, recording each run of the player's control script (by
    // pRecord when given).
    void Play(const std::string& input, uint32_t nFrames, int nMap = 0, gcAction* pRecord = nullptr)
    {
        const std::string path = m_dir.HostPath("input.txt");
        std::ofstream(path) << FromNow(input);
        ASSERT_TRUE(PADLoadReplay(path.c_str()));
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, nMap));
        gcStateMachine* pControl =
            gcStateMachineMgr::GetPtr(gcStateMachineMgr::GetHandle(datagen::kSamplePlayerControlSlot));
        ASSERT_NE(pControl, nullptr) << "the game holds the control script";
        RecordPlayer record;
        gcAction** ppLast = &pControl->onUpdate.pAction;
        while (*ppLast)
            ppLast = &(*ppLast)->pNextAction;
        *ppLast = pRecord ? pRecord : &record;
        VISetFrameLimit(nFrames);
        gcMap::s_pMap->Run();
        *ppLast = nullptr;
    }
    int Problems() const { return m_log.Count(LOGTYPE_ERROR, "") + m_log.Count(LOGTYPE_WARNING, ""); }
    // The maps again, the guards on the road; writing them unloads the game.
    void WithGuards()
    {
        ASSERT_TRUE(datagen::WriteSampleMapFiles(m_dir.HostPath(""), true));
        ASSERT_TRUE(gcGame::LoadBackground());
    }

    gcTestLogCapture m_log;
};

// The sample's own input: the stick half forward from the map's first
// frame (a walk), A tapped (a running jump, since the player walks), the
// stick fully forward (a run), then left (a turn north, off the road's
// middle), let go (a stand). Speeds
// are the animations' root motion: until the turn the player keeps to the
// road (y = 0) and faces east; it never falls.
TEST_F(gcSamplePlayerTest, WalksJumpsAndRunsFromTheScriptedInput)
{
    // The input counts retraces; the fixture shows one a frame.
    Play(datagen::SamplePlayerInputText(), 600);
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 560u);
    EXPECT_EQ(s[0].state, B::ST_WALKING) << "walking off from the first frame";
    EXPECT_EQ(s[0].region, 0);
    EXPECT_TRUE(s[0].pos.ApproxEqual(mVec3(datagen::kSamplePlayerStartX, 0.0f, kStandZ), 1e-4f));
    const size_t walk = FirstWhere(s, 0, [](const Sample& x) { return x.state == B::ST_WALKING; });
    const size_t jump = FirstWhere(s, walk, [](const Sample& x) { return x.state >= B::ST_SJUMP_UP && x.state <= B::ST_RLAND; });
    const size_t land = FirstWhere(s, jump + 1, [](const Sample& x) { return std::fabs(x.pos.z - kStandZ) < 1e-3f; });
    const size_t run = FirstWhere(s, land, [](const Sample& x) { return x.state == B::ST_RUNNING; });
    ASSERT_LT(run + 20, s.size()) << walk << " " << jump << " " << land << " " << run;
    EXPECT_EQ(s[jump].state, B::ST_RJUMP_UP) << "a jump while walking is a running jump";
    for (size_t i = 0; i < walk; ++i)
        EXPECT_EQ(s[i].pos.x, s[0].pos.x) << "at rest, " << i;
    const struct {
        const char* name;
        size_t at;  // a sample well inside the phase
        float speed;
    } phases[] = {{"walking", walk + 4, kWalkSpeed}, {"running", run + 10, kRunSpeed}};
    for (const auto& p : phases) {
        SCOPED_TRACE(p.name);
        EXPECT_NEAR((s[p.at + 1].pos.x - s[p.at].pos.x) / kTickSeconds, p.speed, 0.02f);
    }
    float top = kStandZ;
    for (size_t i = jump; i < land; ++i)
        top = std::max(top, s[i].pos.z);
    EXPECT_GT(top - kStandZ, 0.4f) << "the jump lifts the player";
    EXPECT_LT(top - kStandZ, 2.0f);
    EXPECT_LT(land, jump + 45) << "and it lands on the road within a second and a half";
    constexpr size_t kTurn = 310;  // the stick pushed left
    for (size_t i = 0; i < s.size(); ++i) {
        const Sample& x = s[i];
        if (i < kTurn) {
            EXPECT_NEAR(x.pos.y, 0.0f, 1e-3f) << i;
        }
        EXPECT_NE(x.state, B::ST_FALLING);
        EXPECT_EQ(x.cameraMode, gcGameCamera::POSCTRL_FOLLOWENTITY);
    }
    EXPECT_EQ(s.back().state, B::ST_STANDING) << "the stick let go";
    EXPECT_EQ(s.back().region, 1) << "in the middle region, short of the east gate";
    EXPECT_EQ(s.back().pos.x, s[s.size() - 2].pos.x);
    EXPECT_GT(s.back().pos.y, 0.5f) << "turned north before stopping";
    EXPECT_EQ(Problems(), 0);
}

// Running east the player crosses the middle region into the east one
// (the regions stream in ahead of the camera); the camera looks at the
// player all the way, past the shed's trigger too (only a player standing
// there turns it to the shed); the east gate then ends the map and asks
// for the next, whose start places the player again.
TEST_F(gcSamplePlayerTest, RunsEastPastTheShedToTheGateAndTheNextMap)
{
    Play(kRunEast, 1200);
    const std::vector<Sample>& s = Samples();
    ASSERT_FALSE(s.empty());
    ASSERT_NE(gcMap::s_pMap, nullptr);
    EXPECT_NE(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u) << "the gate ended the map";
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, 1);
    EXPECT_LT(s.size(), 1200u) << "before the frame limit";
    int regionsSeen = 0, inTrigger = 0;
    for (const Sample& x : s) {
        regionsSeen |= 1 << x.region;
        // The trigger's box spans x -8 to 4 of the east region.
        const bool bIn = x.region == 2 && x.pos.x > -7.5f && x.pos.x < 3.5f;
        const bool bOut = x.region < 2 || x.pos.x < -8.5f || x.pos.x > 4.5f;
        if (bIn)
            ++inTrigger;
        if (bIn || bOut) {
            EXPECT_EQ(x.lookAt, gcGameCamera::LOOKATCTRL_LOOKATENTITY) << x.region << " " << x.pos.x;
        }
    }
    EXPECT_EQ(regionsSeen, 0x7);
    EXPECT_GT(inTrigger, 60) << "11 units at 4 a second";
    EXPECT_EQ(s.back().region, 2);
    EXPECT_GT(s.back().pos.x, 10.0f) << "at the gate";
    EXPECT_EQ(Problems(), 0);

    Samples().clear();
    Play("0 0 -\n", 30, 1);
    ASSERT_FALSE(Samples().empty());
    EXPECT_EQ(Samples().back().region, 0);
    EXPECT_TRUE(Samples().back().pos.ApproxEqual(mVec3(datagen::kSamplePlayerStartX, 0.0f, kStandZ), 1e-3f));
    EXPECT_EQ(m_log.Count(LOGTYPE_INFO, "Log: Ashgrove Fields: the player sets out"), 1);
    EXPECT_EQ(Problems(), 0);
}

// The stick steers: the player turns to the stick's direction as seen from
// the camera (behind it, looking east at the start) and runs that way.
TEST_F(gcSamplePlayerTest, TheStickTurnsThePlayerToItsDirectionFromTheCamera)
{
    const struct {
        const char* name;
        const char* input;
        float dx, dy;  // the way the player went, roughly
    } rows[] = {
        {"forward: east", "0 0 -\n60 0 - 0 72\n", 1, 0},
        {"left: north", "0 0 -\n60 0 - -72 0\n", 0, 1},
        {"right: south", "0 0 -\n60 0 - 72 0\n", 0, -1},
        {"back: west", "0 0 -\n60 0 - 0 -72\n", -1, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Samples().clear();
        Play(r.input, 120);
        const std::vector<Sample>& s = Samples();
        ASSERT_GT(s.size(), 110u);
        ASSERT_EQ(s.back().region, 0);
        mVec3 way = s.back().pos - s[50].pos;
        way.z = 0.0f;
        ASSERT_GT(way.Length(), 1.0f) << "the player ran";
        way.Normalize();
        EXPECT_GT(way.Dot(mVec3(r.dx, r.dy, 0.0f)), 0.9f) << way.x << " " << way.y;
    }
    EXPECT_EQ(Problems(), 0);
}

// Whether the map's first track and the game's first track play, each tick.
class RecordMusic : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        const int nMap = gcMap::s_pMap->m_nMapTrackIndex[0];
        const int nGame = gcGame::s_pGame->m_nGameTrackIndex[0];
        m_map.push_back(nMap >= 0 && gcMusic::s_bIsPlaying[nMap] && gcMusic::s_bIsLooping[nMap]);
        m_game.push_back(nGame >= 0 && gcMusic::s_bIsPlaying[nGame]);
    }
    mutable std::vector<bool> m_map, m_game;
};

// Every map's start plays its own track, looping, in place of the game's
// (which the main menu plays); no two maps play the same one.
TEST_F(gcSamplePlayerTest, EveryMapPlaysItsTrack)
{
    std::set<int32_t> tracks;
    for (int nMap = 0; nMap < 3; ++nMap) {
        SCOPED_TRACE(nMap);
        RecordMusic music;
        Play("0 0 -\n", 10, nMap, &music);
        ASSERT_FALSE(music.m_map.empty());
        EXPECT_TRUE(music.m_map.back());
        EXPECT_FALSE(music.m_game.back());
        const int32_t nTrack = gcMap::s_pMap->m_nMapTracks[0];
        EXPECT_NE(nTrack, gcGame::s_pGame->m_nGameTracks[0]) << "not the menu's";
        tracks.insert(nTrack);
    }
    EXPECT_EQ(tracks.size(), 3u);
    EXPECT_EQ(Problems(), 0);
}

// The door's and the lever's states, each tick.
class RecordShed : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        int8_t door = -1, lever = -1;
        const gcMap* pMap = gcMap::s_pMap;
        for (int32_t slot = pMap->m_entities.m_nBegin; slot < pMap->m_entities.m_nEnd; ++slot) {
            const gcEntity* p = gcEntityMgr::s_pInstances[slot];
            if (p && std::string(p->m_name.m_sData) == "ShedDoor")
                door = p->m_nCurState;
            else if (p && std::string(p->m_name.m_sData) == "ShedLever")
                lever = p->m_nCurState;
        }
        m_door.push_back(door);
        m_lever.push_back(lever);
    }
    mutable std::vector<int8_t> m_door, m_lever;
};

// The lever waits for the player: walked up to and pressed with X, it is
// pulled, and only then does the door open.
TEST_F(gcSamplePlayerTest, ThePlayerPullsTheLeverAndThenTheDoorOpens)
{
    // East along the road, then up the verge to the lever's south side.
    RecordShed shed;
    Play("0 0 -\n60 0 - 0 72\n640 0 - -72 28\n700 0 -\n710 0 X\n716 0 -\n", 800, 0, &shed);
    ASSERT_GT(shed.m_door.size(), 790u);
    // A device plays its idle animation (the pull, the door's swing) in
    // the idling state.
    const auto playing = [](int8_t st) { return st == gcDevice::STATE_IDLING; };
    const size_t pulled = static_cast<size_t>(
        std::find_if(shed.m_lever.begin(), shed.m_lever.end(), playing) - shed.m_lever.begin());
    const size_t opened = static_cast<size_t>(
        std::find_if(shed.m_door.begin(), shed.m_door.end(), playing) - shed.m_door.begin());
    EXPECT_GE(pulled, 705u) << "not before X";
    EXPECT_LT(pulled, 720u) << "but at it";
    EXPECT_GT(opened, pulled) << "the pull's end opens the door";
    EXPECT_LT(opened, shed.m_door.size());
    EXPECT_EQ(m_log.Count(LOGTYPE_INFO, "ShedLever: pulled"), 1);
    EXPECT_EQ(Problems(), 0);
}

// What the HUD and the death message show, each tick, besides the player.
class RecordHud : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordPlayer().DoAction(params);
        gcEntity* p = gcPlayer::Get()->m_pEntity;
        const gcUIDialog* pHud = Dialog(datagen::kSampleHudDialogSlot);
        const gcUIControl* pBar = pHud ? Control(pHud, datagen::kSampleHealthControl) : nullptr;
        const gcUIControl* pKey = pHud ? Control(pHud, datagen::kSampleKeyControl) : nullptr;
        const gcUIDialog* pFallen = Dialog(datagen::kSampleDeathDialogSlot);
        m_health.push_back(p ? p->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f);
        m_bar.push_back(pBar && gcUI::Get()->FindDialog(pHud) >= 0 ? pBar->m_size.x : -1.0f);
        m_key.push_back(pKey && (pKey->m_nFlags & gcUIWidget::kVisible));
        m_fallen.push_back(pFallen && gcUI::Get()->FindDialog(pFallen) >= 0);
        const gcItemTemplateHandle hKey(datagen::SampleMapHandle(datagen::kKeyTemplateSlot));
        m_held.push_back(p ? p->GetItemCount(hKey, true, true, ~0u, nullptr) : -1);
    }
    static const gcUIDialog* Dialog(int slot)
    {
        return gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(slot));
    }
    static const gcUIControl* Control(const gcUIDialog* pDialog, const char* name)
    {
        for (int r = 0; pDialog && r < 2; ++r) {
            const gcUIWidget* p = pDialog->m_widgetGroup.GetCellWidget(r, 0);
            if (p && std::string(p->m_name.m_sData) == name)
                return static_cast<const gcUIControl*>(p);
        }
        return nullptr;
    }
    mutable std::vector<float> m_health, m_bar;
    mutable std::vector<bool> m_key, m_fallen;
    mutable std::vector<int> m_held;
};

// Run toward the west guard and stand: it strikes for 5 a second, the HUD's
// bar shrinking with every blow, until the player falls; "You fell" fades in
// and the map starts again, the player at its start with its health back.
TEST_F(gcSamplePlayerTest, StandingByAGuardEndsInTheDeathMessageAndTheMapStartingAgain)
{
    WithGuards();
    RecordHud hud;
    Play("0 0 -\n60 0 - 0 72\n110 0 -\n", 2400, 0, &hud);
    ASSERT_FALSE(hud.m_health.empty());
    EXPECT_LT(hud.m_health.size(), 2400u) << "the map ended before the frame limit";
    ASSERT_NE(gcMap::s_pMap, nullptr);
    EXPECT_NE(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u);
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, 0) << "the same map again";
    EXPECT_FLOAT_EQ(hud.m_health[0], 100.0f);
    int blows = 0;
    size_t died = hud.m_health.size();
    for (size_t i = 1; i < hud.m_health.size(); ++i) {
        const float before = hud.m_health[i - 1], now = hud.m_health[i];
        if (now < before) {
            ++blows;
            EXPECT_FLOAT_EQ(before - now, datagen::SampleGuards::kBlowDamage) << i;
        }
        if (now <= 0.0f && died == hud.m_health.size())
            died = i;
        // The bar follows the health within a frame.
        if (i >= 2 && hud.m_health[i - 2] == now && before == now) {
            EXPECT_FLOAT_EQ(hud.m_bar[i], now * datagen::kSampleHealthBarScale) << i;
        }
        EXPECT_EQ(hud.m_fallen[i], died <= i) << i;
    }
    EXPECT_EQ(blows, 20);
    ASSERT_LT(died, hud.m_health.size());
    const gcUIControl* pMessage = RecordHud::Control(RecordHud::Dialog(datagen::kSampleDeathDialogSlot), "Message");
    ASSERT_NE(pMessage, nullptr);
    const gcString* pText = gcStringMgr::GetPtr(pMessage->m_hText);
    ASSERT_NE(pText, nullptr) << "the game's strings hold the message";
    EXPECT_STREQ(pText->m_sData, "You fell");
    const size_t fade = hud.m_health.size() - died;
    const float shown = (2 * datagen::kSampleDeathFadeSeconds + datagen::kSampleDeathHoldSeconds) * 30.0f;
    EXPECT_GE(fade, static_cast<size_t>(shown) - 1) << "the message stays";
    EXPECT_LE(fade, static_cast<size_t>(shown) + 3) << "then the map restarts";
    EXPECT_EQ(Problems(), 0);

    Samples().clear();
    RecordHud again;
    Play("0 0 -\n", 10, 0, &again);
    ASSERT_FALSE(again.m_health.empty());
    EXPECT_TRUE(Samples().back().pos.ApproxEqual(mVec3(datagen::kSamplePlayerStartX, 0.0f, kStandZ), 1e-3f));
    EXPECT_FLOAT_EQ(again.m_health.back(), 100.0f);
    EXPECT_FLOAT_EQ(again.m_bar.back(), 100.0f * datagen::kSampleHealthBarScale);
    EXPECT_FALSE(again.m_fallen.back()) << "the message closed";
    EXPECT_EQ(Problems(), 0);
}

// The west guard's health each tick, besides the player.
class RecordGuard : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordPlayer().DoAction(params);
        const gcEntity* p = gcEntityMgr::s_pInstances[datagen::SampleGuards::kEntitySlot];
        m_guard.push_back(p ? p->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f);
    }
    mutable std::vector<float> m_guard;
};

// B strikes: the guard that came for the player loses the strike's damage
// at each press, one strike each, and none before the first.
TEST_F(gcSamplePlayerTest, BStrikesTheGuardStandingByThePlayer)
{
    WithGuards();
    RecordGuard guard;
    Play("0 0 -\n60 0 - 0 72\n110 0 -\n400 0 B\n406 0 -\n440 0 B\n446 0 -\n", 480, 0, &guard);
    ASSERT_GT(guard.m_guard.size(), 470u);
    EXPECT_FLOAT_EQ(guard.m_guard[0], 100.0f);
    std::vector<size_t> hits;
    for (size_t i = 1; i < guard.m_guard.size(); ++i) {
        if (guard.m_guard[i] < guard.m_guard[i - 1]) {
            hits.push_back(i);
            EXPECT_FLOAT_EQ(guard.m_guard[i - 1] - guard.m_guard[i], datagen::kSamplePlayerStrikeDamage) << i;
        }
    }
    ASSERT_EQ(hits.size(), 2u);
    // The script that reads the press runs on the sample before its frame's.
    EXPECT_EQ(hits[0], 399u);
    EXPECT_EQ(hits[1], 439u);
    EXPECT_EQ(Problems(), 0);
}

// East along the road into the middle region, then north to the chest:
// its trigger gives the player the brass key, which the HUD shows from the
// next frame on and not before.
TEST_F(gcSamplePlayerTest, TheChestsKeyShowsInTheHud)
{
    RecordHud hud;
    Play("0 0 -\n60 0 - 0 72\n420 0 - -72 0\n450 0 -\n", 500, 0, &hud);
    ASSERT_GT(hud.m_held.size(), 490u);
    const size_t given = static_cast<size_t>(std::find(hud.m_held.begin(), hud.m_held.end(), 1) - hud.m_held.begin());
    ASSERT_LT(given, hud.m_held.size()) << "the chest gave the key";
    EXPECT_EQ(hud.m_held.back(), 1);
    for (size_t i = 0; i < hud.m_key.size(); ++i)
        if (i < given || i > given + 1) {
            EXPECT_EQ(hud.m_key[i], i > given) << i;
        }
    EXPECT_EQ(Problems(), 0);
}

// A player that stops in front of the shed has the camera turn to it; as
// the player sets off again the camera goes back to the player.
TEST_F(gcSamplePlayerTest, StandingBeforeTheShedTurnsTheCameraToIt)
{
    Play("0 0 -\n60 0 - 0 72\n640 0 -\n760 0 - 0 72\n", 800);
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 790u);
    const gcRegionPointHandle shed(datagen::SampleMapHandle(datagen::kSampleShedPointSlot));
    const Sample& stood = s[740];
    EXPECT_EQ(stood.state, B::ST_STANDING);
    EXPECT_EQ(stood.region, 2);
    EXPECT_GT(stood.pos.x, -7.5f) << "inside the trigger";
    EXPECT_LT(stood.pos.x, 3.5f);
    EXPECT_EQ(stood.lookAt, gcGameCamera::LOOKATCTRL_LOOKATPOINT);
    EXPECT_EQ(stood.lookAtPoint, shed);
    EXPECT_EQ(s.back().lookAt, gcGameCamera::LOOKATCTRL_LOOKATENTITY) << "running on";
    EXPECT_EQ(Problems(), 0);
}

// Through the gate the stick is still held, so the next map's player runs
// from its first frame: the camera, snapped behind it by the map's start,
// follows it down the road rather than standing where it was placed.
TEST_F(gcSamplePlayerTest, TheCameraFollowsAPlayerRunningFromTheMapsStart)
{
    Play("0 0 - 0 72\n", 150, 1);
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 140u);
    for (const size_t at : {size_t{60}, size_t{140}}) {
        SCOPED_TRACE(at);
        ASSERT_EQ(s[at].region, 0) << "still in the first region, whose frame the camera shares";
        EXPECT_LT(s[at].cameraPos.Dist(s[at].pos), 10.0f);
    }
    EXPECT_GT(s[140].pos.x - s[0].pos.x, 12.0f) << "the player ran";
    EXPECT_GT(s[140].cameraPos.x - s[0].cameraPos.x, 10.0f) << "and the camera went along";
    EXPECT_EQ(Problems(), 0);
}

// The map's start shows the player in the lit world: the red cloak in
// the middle of the frame with the flagstones below it. Leaving the map
// gives every pool back what the map and the player took while it ran.
TEST_F(gcSamplePlayerTest, ShowsThePlayerAndLeavesThePoolsAsTheyWere)
{
    Play(datagen::SamplePlayerInputText(), 2);
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    const auto at = [&](int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; };
    const uint8_t* cloak = at(width / 2, height * 5 / 8);
    EXPECT_GT(cloak[0], cloak[1] + 30);
    EXPECT_GT(cloak[0], cloak[2] + 30);
    const uint8_t* road = at(width / 2, height - 20);
    EXPECT_LT(std::abs(road[0] - road[2]), 60) << "grey stone";
    EXPECT_GT(road[0] + road[1] + road[2], 150) << "lit";

    // The map's own pools keep it until the next map loads: entering the
    // same map again, playing it through the whole input and leaving it
    // leaves every pool as it was before; the player's pools are empty.
    const std::map<std::string, size_t> before = PoolUse();
    Play(datagen::SamplePlayerInputText(), 300);
    const std::map<std::string, size_t> after = PoolUse();
    EXPECT_EQ(after, before);
    EXPECT_EQ(after.at("Player Config"), 0u);
    EXPECT_EQ(after.at("Region"), 0u);
    EXPECT_EQ(Problems(), 0);
}

}  // namespace

namespace {

using F = gcPlayerFlying;

// What the flying player and the camera were doing on one run of the
// control script.
struct FlyingSample {
    int8_t state;
    int32_t gear;
    int16_t region;
    mVec3 pos;     // in the region's frame
    mVec3 camera;  // in the world
    float heading;  // degrees, 0 north, -90 east
};

std::vector<FlyingSample>& FlyingSamples()
{
    static std::vector<FlyingSample> s_samples;
    return s_samples;
}

class RecordFlyer : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        if (const gcPlayerFlying* p = dcast<gcPlayerFlying>(gcPlayer::Get()->m_pEntity))
            FlyingSamples().push_back({p->m_nCurState, p->m_nCurFlySpeed, p->m_nRegionId,
                                       p->m_model.m_localToParent.origin, gcGameCamera::Get()->GetPos(),
                                       gcEntity::GetHeading(p->m_model.m_localToParent.basis.forward)});
    }
};

// On its fifth run puts the biped into the updraft (standing on the verge).
class SnapIntoUpdraft : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
        if (++m_nRuns != 5 || !dcast<gcPlayerBiped>(pPlayer))
            return;
        mOCS inside;
        inside.MakeIdentity();
        inside.origin.Set(datagen::kSampleUpdraftX, datagen::kSampleUpdraftY, kStandZ);
        pPlayer->SnapTo(0, inside);
    }
    mutable int m_nRuns = 0;
};

// The updraft by the first map's start, off the road, leaves for the act's
// third map, where the player flies.
TEST_F(gcSamplePlayerTest, TheUpdraftLeavesForTheMapWhereThePlayerFlies)
{
    SnapIntoUpdraft snap;
    Play("0 0 -\n", 30, 0, &snap);
    EXPECT_EQ(snap.m_nRuns, 5) << "the map ended after the snap";
    ASSERT_NE(gcMap::s_pMap, nullptr);
    EXPECT_NE(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u) << "the updraft ended the map";
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap);
    EXPECT_EQ(Problems(), 0);
}

// Played rather than snapped: the stick held left from the start (the
// camera looks east along the road, so left is north) runs the biped off
// the road onto the verge and into the updraft, which asks for the third
// map within a few seconds.
TEST_F(gcSamplePlayerTest, TheStickRunsThePlayerIntoTheUpdraft)
{
    Play("0 0 -\n30 0 - -72 0\n", 300);
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 40u);
    EXPECT_LT(s.size(), 150u) << "the map ended early";
    ASSERT_NE(gcMap::s_pMap, nullptr);
    EXPECT_NE(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u) << "the updraft ended the map";
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap);
    EXPECT_GT(s.back().pos.y, 4.0f) << "on the verge, north of the road";
    EXPECT_LT(std::fabs(s.back().pos.x - datagen::kSampleUpdraftX), 4.0f);
    EXPECT_EQ(s.back().region, 0);
    EXPECT_EQ(Problems(), 0);
}

// In the third map the control script flies the player: it hovers in gear
// 0 where the map starts it; the stick fully forward flaps, climbing, and
// after 3.5 seconds the first gear carries it east along the road; A boosts
// it into the top gear for the boost's length less the ease-out. The camera
// follows it.
TEST_F(gcSamplePlayerTest, FliesTheThirdMapFromTheControlScript)
{
    FlyingSamples().clear();
    RecordFlyer record;
    Play("0 0 -\n30 0 - 0 72\n200 0 A 0 72\n206 0 - 0 72\n", 260, datagen::kSampleSkyMap, &record);
    const std::vector<FlyingSample>& s = FlyingSamples();
    ASSERT_GT(s.size(), 250u);
    const mVec3 start(datagen::kSamplePlayerStartX, 0.0f, -2.5f);  // the ground plus the sphere's radius
    const size_t flap = FirstWhere(s, 0, [&](const FlyingSample& x) { return x.pos.z > start.z + 1e-3f; });
    const size_t gear1 = FirstWhere(s, flap, [](const FlyingSample& x) { return x.gear == 1; });
    const size_t boost = FirstWhere(s, gear1, [](const FlyingSample& x) { return x.state == F::ST_BOOSTING; });
    const size_t flying = FirstWhere(s, boost, [](const FlyingSample& x) { return x.state == F::ST_FLYING; });
    ASSERT_LT(flying + 10, s.size()) << flap << " " << gear1 << " " << boost;
    for (size_t i = 0; i < flap; ++i) {
        EXPECT_TRUE(s[i].pos.ApproxEqual(start, 1e-4f)) << "hovering, " << i;
        EXPECT_EQ(s[i].gear, 0);
    }
    EXPECT_NEAR(static_cast<float>(gear1 - flap), 105.0f, 2.0f) << "3.5 seconds of flapping";
    EXPECT_NEAR(static_cast<float>(flying - boost), 26.0f, 1.0f) << "520 ticks";
    EXPECT_EQ(s[boost].gear, 3);
    const struct {
        const char* name;
        size_t at;
        float speed, climb;  // units a second
    } phases[] = {{"flapping in gear 0", flap + 10, 0.0f, 0.6f},
                  {"flapping in gear 1", gear1 + 10, 3.0f, 0.6f},
                  {"boosting", boost + 10, 10.0f, 0.0f},
                  {"flapping in gear 3", flying + 5, 7.0f, 0.6f}};
    for (const auto& p : phases) {
        SCOPED_TRACE(p.name);
        EXPECT_NEAR((s[p.at + 1].pos.x - s[p.at].pos.x) / kTickSeconds, p.speed, 0.02f);
        EXPECT_NEAR((s[p.at + 1].pos.z - s[p.at].pos.z) / kTickSeconds, p.climb, 0.02f);
    }
    for (const FlyingSample& x : s)
        EXPECT_NEAR(x.pos.y, 0.0f, 1e-3f);
    EXPECT_GT(s.back().camera.x - s.front().camera.x, 10.0f) << "the camera followed";
    EXPECT_EQ(Problems(), 0);
}

// The stick held from frame 30 turns the hovering flyer to its direction
// seen from the camera (which looks east at the start), and then flies it
// that way for as long as it is held: walls along the map's edges and a
// ceiling keep it inside the regions, and flying head-on into a wall
// knocks it back. Held forward it crosses the map to the east wall and
// climbs to the ceiling.
TEST_F(gcSamplePlayerTest, TheFlyerTurnsWithTheStickAndStaysInsideTheMap)
{
    const struct {
        const char* name;
        const char* input;
        uint32_t frames;
        float heading;  // once turned, hovering
        int region;     // where it ends
        bool bCeiling;  // it climbs to the ceiling
    } rows[] = {
        {"forward", "0 0 -\n30 0 - 0 72\n", 1000, -90.0f, 2, true},
        {"left", "0 0 -\n30 0 - -72 0\n", 400, 0.0f, 0, false},
        {"right", "0 0 -\n30 0 - 72 0\n", 400, 180.0f, 0, false},
        {"back", "0 0 -\n30 0 - 0 -72\n", 300, 90.0f, 0, false},
    };
    constexpr float kCeilingZ = 15.0f - 0.5f;  // less the flyer's radius
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        FlyingSamples().clear();
        m_log.m_lines.clear();
        RecordFlyer record;
        Play(r.input, r.frames, datagen::kSampleSkyMap, &record);
        const std::vector<FlyingSample>& s = FlyingSamples();
        ASSERT_GT(s.size() + 10, r.frames) << "it never froze";
        EXPECT_NEAR(gcEntity::WrapDegrees(s[120].heading - r.heading), 0.0f, 1.0f);
        EXPECT_NEAR(s[120].pos.x, s[0].pos.x, 1e-3f) << "turned where it hovers";
        EXPECT_NEAR(s[120].pos.y, s[0].pos.y, 1e-3f);
        bool bKnockedBack = false;
        float top = s[0].pos.z;
        for (const FlyingSample& x : s) {
            bKnockedBack = bKnockedBack || x.state == F::ST_HIT_FRONT;
            top = std::max(top, x.pos.z);
            ASSERT_GE(x.region, 0);
            ASSERT_LT(x.region, 3);
            ASSERT_LE(std::fabs(x.pos.y), 14.5f + 1e-3f);
        }
        EXPECT_TRUE(bKnockedBack);
        EXPECT_LE(top, kCeilingZ + 1e-3f);
        EXPECT_EQ(top > kCeilingZ - 0.1f, r.bCeiling) << top;
        EXPECT_EQ(s.back().region, r.region);
        EXPECT_EQ(Problems(), 0) << "no \"left every zone\"";
    }
}

}  // namespace
