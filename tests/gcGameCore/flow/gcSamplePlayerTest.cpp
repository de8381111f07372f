// The sample game's player as the headless run plays it: the map's start
// puts the biped on the west end of the road, its control script walks,
// jumps and runs it from the scripted controller input, the camera follows
// it and turns to the shed by the shed's trigger, the east gate leads to
// the next map, and leaving the map leaves the pools as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <limits>
#include <iterator>
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
#include "../test/card_test.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "../test/pad_test.h"
#include "datagen/datagen.h"
#include "datagen/sampleWriters.h"
#include "datagen/sampleFlying.h"
#include "datagen/sampleHud.h"
#include "datagen/sampleNpcs.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleSave.h"
#include "datagen/sampleProps.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eVideoTestUtil.h"
#include "eEngine/eZone.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "eEngine/eParticleSystem.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/entities/gcDevice.h"
#include "eEngine/eZone.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcString.h"
#include "tempDir.h"

namespace {

using B = gcPlayerBiped;

constexpr float kStandZ = -2.1f;   // the ground (-3) plus the collider's half height
constexpr float kTickSeconds = 1.0f / 30.0f;  // the script runs once a frame
constexpr float kWalkSpeed = 1.5f, kRunSpeed = 4.0f;  // the sample biped's, units a second

// The camera's position in the map's frame (the regions' frames end to end
// along x, the west one's at the origin), through the world frame of the
// player's region.
mVec3 CameraInMap(int nRegion)
{
    mVec3 at = gcGameCamera::Get()->GetPos();
    if (const eZone* pZone = gcEntityWorld::GetRegionZone(nRegion))
        at = at - pZone->m_localToWorld.origin;
    at.x += 32.0f * static_cast<float>(nRegion);
    return at;
}

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

// The stick pushed fStick towards a way across the ground, as the control
// reads it: in the frame the camera holds while the stick is steady (its
// ControlFrame), not in the view as it swings.
void PushStickTowards(const mVec3& way, float fStick, PADStatus* pPad)
{
    const mBasis frame = gcGameCamera::Get()->ControlFrame().basis;
    const float sx = way.Dot(frame.right), sy = way.Dot(frame.forward);
    const float len = std::max(std::sqrt(sx * sx + sy * sy), 1e-3f);
    pPad->stickX = static_cast<int8_t>(std::lround(fStick * sx / len));
    pPad->stickY = static_cast<int8_t>(std::lround(fStick * sy / len));
}

// Steers the biped through way points in the west region as a player
// would, with the stick pushed towards the next point (PushStickTowards:
// steered in the view, the push that the control reads in the held frame
// would miss the point by as much as the camera had turned since); on a
// climbing leg A is tapped every 16 ticks. Records the player each tick.
class WalkTheWay : public gcAction {
public:
    struct Leg {
        float x, y;
        bool bClimb;
    };
    // The legs' points in the map's frame (the regions' frames end to end
    // along x, the west one's at the origin); the stick pushed nStick.
    explicit WalkTheWay(std::vector<Leg> legs, float fStick = 72.0f) : m_legs(std::move(legs)), m_fStick(fStick) {}
    void DoAction(const gcEventParams& params) const override
    {
        RecordPlayer().DoAction(params);
        const gcEntity* p = gcPlayer::Get()->m_pEntity;
        PADStatus pad = PADTestIdleStatus();
        if (p && p->m_nRegionId >= 0 && m_nLeg < m_legs.size()) {
            const Leg& leg = m_legs[m_nLeg];
            const mVec3& at = p->m_model.m_localToParent.origin;
            const float x = at.x + 32.0f * static_cast<float>(p->m_nRegionId);
            mVec3 way(leg.x - x, leg.y - at.y, 0.0f);
            if (way.Length() < 0.5f)
                ++m_nLeg;
            PushStickTowards(way, m_fStick, &pad);
            if (leg.bClimb && ++m_nTicks % 16 == 0)
                pad.button = PAD_BUTTON_A;
        }
        PADTestSetStatus(0, pad);
    }
    std::vector<Leg> m_legs;
    float m_fStick;
    mutable size_t m_nLeg = 0;
    mutable int m_nTicks = 0;
};

// The way into the updraft, steered (WalkTheWay) at a run: east along the
// road past the steps up to the terrace, then north onto the verge into the
// updraft, west of the pillar on the verge south of its box's east half.
const std::vector<WalkTheWay::Leg> kIntoTheUpdraft = {
    {datagen::kSampleUpdraftX - 0.5f, 0.0f, false},
    {datagen::kSampleUpdraftX - 0.5f, datagen::kSampleUpdraftY, false},
};

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
        // These tests follow the game, not its pictures: drawing is left
        // out but where a test reads the frame.
        GXTestSetDrawing(false);
    }
    void TearDown() override
    {
        GXTestSetDrawing(true);
        VISetFrameLimit(0);
        PADTestSetScripted(false);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }

    // Loads map nMap of the act and plays it with the input for at most
    // nFrames, recording each run of the player's control script (by
    // pRecord when given). An empty input leaves port 0 to what the test
    // sets, from a controller at rest; any other plays it from the replay.
    void Play(const std::string& input, uint32_t nFrames, int nMap = 0, gcAction* pRecord = nullptr)
    {
        if (input.empty()) {
            PADTestSetScripted(true);
            PADTestSetStatus(0, PADTestIdleStatus());
        } else {
            // The port left scripted by a play before would hold its
            // last stick and buttons over the input.
            PADTestSetScripted(false);
            const std::string path = m_dir.HostPath("input.txt");
            std::ofstream(path) << FromNow(input);
            ASSERT_TRUE(PADLoadReplay(path.c_str()));
        }
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
    // Plays the first map, steering the biped into the updraft, for at most
    // 400 frames.
    void RunIntoTheUpdraft()
    {
        WalkTheWay way(kIntoTheUpdraft);
        Play("", 400, 0, &way);
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
// the camera (behind it, looking east at the start) and runs that way (the
// camera, held close by the west wall, swings round after it: the way is
// read over the run's first second).
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
        mVec3 way = s[90].pos - s[50].pos;
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

// Steers the biped the way (WalkTheWay) and, once there, stands; X is
// pressed on tick nPress for six ticks. Records the shed each tick.
class WalkAndPressX : public RecordShed {
public:
    WalkAndPressX(std::vector<WalkTheWay::Leg> legs, size_t nPress) : m_way(std::move(legs)), m_nPress(nPress) {}
    void DoAction(const gcEventParams& params) const override
    {
        RecordShed::DoAction(params);
        m_way.DoAction(params);
        const size_t tick = m_door.size() - 1;
        if (tick >= m_nPress && tick < m_nPress + 6) {
            PADStatus pad = PADTestIdleStatus();
            pad.button = PAD_BUTTON_X;
            PADTestSetStatus(0, pad);
        }
    }
    WalkTheWay m_way;
    size_t m_nPress;
};

// The lever waits for the player: walked up to and pressed with X, it is
// pulled, and only then does the door open.
TEST_F(gcSamplePlayerTest, ThePlayerPullsTheLeverAndThenTheDoorOpens)
{
    // East along the road at a run, then up the verge to the lever's south
    // side (the lever stands in the east region, x 64 on in the map's
    // frame), steered the way a player would; X well after the arrival.
    constexpr size_t kPress = 705;
    const float x = 64.0f + 1.5f;
    WalkAndPressX shed({{x, 0.0f, false}, {x, 7.5f, false}}, kPress);
    Play("", 800, 0, &shed);
    ASSERT_EQ(shed.m_way.m_nLeg, 2u) << "at the lever";
    ASSERT_GT(shed.m_door.size(), 790u);
    // A device plays its idle animation (the pull, the door's swing) in
    // the idling state.
    const auto playing = [](int8_t st) { return st == gcDevice::STATE_IDLING; };
    const size_t pulled = static_cast<size_t>(
        std::find_if(shed.m_lever.begin(), shed.m_lever.end(), playing) - shed.m_lever.begin());
    const size_t opened = static_cast<size_t>(
        std::find_if(shed.m_door.begin(), shed.m_door.end(), playing) - shed.m_door.begin());
    EXPECT_GE(pulled, kPress) << "not before X";
    EXPECT_LT(pulled, kPress + 15) << "but at it";
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

// The player's health forced each tick to a value held for a window of
// ticks, one value after another, and the HUD recorded.
class ForceHealth : public RecordHud {
public:
    static constexpr size_t kWindow = 8;
    explicit ForceHealth(std::vector<float> values) : m_values(std::move(values)) {}
    void DoAction(const gcEventParams& params) const override
    {
        if (gcEntity* p = gcPlayer::Get()->m_pEntity)
            p->m_fEntityStatsCur[gcEntityTemplate::STAT_HEALTH] =
                m_values[std::min(m_nTicks / kWindow, m_values.size() - 1)];
        ++m_nTicks;
        RecordHud::DoAction(params);
    }

private:
    std::vector<float> m_values;
    mutable size_t m_nTicks = 0;
};

// The HUD's bar stands for 0 to 100 health in its 160 pixels: a health
// above that is drawn as a full bar, one below it (or not a number) as an
// empty one; it never leaves its frame.
TEST_F(gcSamplePlayerTest, TheHealthBarStaysWithinItsFrameWhateverTheHealth)
{
    const float kNaN = std::numeric_limits<float>::quiet_NaN();
    const float kInf = std::numeric_limits<float>::infinity();
    const struct {
        float fHealth, fBar;
    } rows[] = {{50.0f, 80.0f}, {100.0f, 160.0f}, {100.5f, 160.0f}, {999.0f, 160.0f}, {1e30f, 160.0f},
                {kInf, 160.0f}, {kNaN, 0.0f},     {0.0f, 0.0f},     {-5.0f, 0.0f},    {-1e30f, 0.0f}};
    std::vector<float> values;
    for (const auto& row : rows)
        values.push_back(row.fHealth);
    ForceHealth hud(values);
    Play("0 0 -\n", static_cast<uint32_t>(ForceHealth::kWindow * std::size(rows) + 2), 0, &hud);
    ASSERT_GE(hud.m_bar.size(), ForceHealth::kWindow * std::size(rows));
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].fHealth);
        EXPECT_FLOAT_EQ(hud.m_bar[(i + 1) * ForceHealth::kWindow - 1], rows[i].fBar);
    }
    for (const float bar : hud.m_bar) {
        if (bar == -1.0f)
            continue;  // the HUD not shown yet
        EXPECT_GE(bar, 0.0f);
        EXPECT_LE(bar, datagen::kSampleHealthBarFull * datagen::kSampleHealthBarScale);
    }
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

// The middle guard and the player each tick, in the map's frame (the
// regions end to end along x, the west one centred on the origin).
class RecordMiddleGuard : public RecordHud {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordHud::DoAction(params);
        const gcEntity* g = gcEntityMgr::s_pInstances[datagen::SampleGuards::kEntitySlot + 1];
        m_guard.push_back(g ? InMap(g) : mVec3(1e9f, 1e9f, 1e9f));
        const gcEntity* p = gcPlayer::Get()->m_pEntity;
        m_player.push_back(p ? InMap(p) : mVec3(-1e9f, -1e9f, -1e9f));
    }
    static mVec3 InMap(const gcEntity* p)
    {
        mVec3 at = p->m_model.m_localToParent.origin;
        at.x += 32.0f * static_cast<float>(p->m_nRegionId);
        return at;
    }
    mutable std::vector<mVec3> m_guard, m_player;
};

// The sample's own input with the guards on the road, as the program plays
// it: the middle guard leaves its loop for the running player and meets it
// short of the middle region's gate; the stick turns the player north
// there and lets go, and the guard strikes it until it falls, a little
// under 1200 frames into the run (the menu's 90 frames included); the map
// starts again and the player stands at its start.
TEST_F(gcSamplePlayerTest, TheScriptedRunEndsByTheMiddleGuardShortOfTheGate)
{
    WithGuards();
    RecordMiddleGuard r;
    Play(datagen::SamplePlayerInputText(), 1200, 0, &r);
    const size_t n = r.m_player.size();
    ASSERT_GT(n, 400u);
    EXPECT_LT(n, 1200u - 90u) << "the player fell and the map ended";
    EXPECT_LE(r.m_health.back(), 0.0f);
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, 0) << "the same map again";
    constexpr float kGateWestX = 32.0f - 3.0f;  // the gate's pillars, in the middle region
    float east = -1e9f;
    for (const mVec3& at : r.m_player)
        east = std::max(east, at.x);
    EXPECT_LT(east, kGateWestX) << "held up short of the gate";
    EXPECT_GT(east, 16.0f) << "in the middle region";
    // Where the README's 450-frame run ends: stopped, turned north, the
    // guard at arm's length.
    const size_t end = 450 - 90;
    ASSERT_LT(end, n);
    const mVec3 p = r.m_player[end], g = r.m_guard[end];
    EXPECT_EQ(Samples()[end].region, 1);
    EXPECT_EQ(Samples()[end].state, B::ST_STANDING);
    EXPECT_GT(p.y, 0.5f) << "turned north";
    EXPECT_LT(std::hypot(p.x - g.x, p.y - g.y), 2.0f) << "the middle guard beside it";
    EXPECT_LT(r.m_health[end], 100.0f) << "and striking";
}

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

// The west guard each tick, besides the player: its state, its health,
// the configuration it plays (an index of its template's table, -1 none)
// whether it is in the world and the animation its model plays.
class RecordFight : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordPlayer().DoAction(params);
        const gcNPC* p = dcast<gcNPC>(gcEntityMgr::s_pInstances[datagen::SampleGuards::kEntitySlot]);
        const gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
        m_state.push_back(p ? p->m_nCurState : -1);
        m_health.push_back(p ? p->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f);
        m_player.push_back(pPlayer ? pPlayer->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f);
        const bool bPlaying = p && p->m_pTemplate && p->m_pAnimationConfig;
        m_config.push_back(bPlaying ? static_cast<int>(p->m_pAnimationConfig - p->m_pTemplate->animationConfigs) : -1);
        m_inWorld.push_back(p && p->m_model.m_pZone != nullptr);
        const int16_t k = p ? p->m_model.m_nCurAnimationState : -1;
        const eAnimation* pAnim =
            k >= 0 && k < eModel::kNumAnimationStates ? eAnimationMgr::GetPtr(p->m_model.m_animationStates[k].hAnimation)
                                                      : nullptr;
        m_animation.push_back(pAnim ? pAnim->m_name.m_sData : "");
    }
    // The first tick from `from` on in that state, or the count.
    size_t First(int8_t state, size_t from) const
    {
        return FirstWhere(m_state, from, [state](int8_t s) { return s == state; });
    }
    mutable std::vector<int8_t> m_state;
    mutable std::vector<float> m_health, m_player;
    mutable std::vector<int> m_config;
    mutable std::vector<bool> m_inWorld;
    mutable std::vector<std::string> m_animation;  // the one the model eases in
};

// One strike: the guard flinches and is back at its swinging within two
// seconds. Four: it falls, lies still, fades and leaves the road.
TEST_F(gcSamplePlayerTest, StruckGuardsFlinchAndFightOnAndFourStrikesFellThem)
{
    using N = gcNPC;
    using T = gcNPCTemplate;
    WithGuards();
    {
        RecordFight once;
        Play("0 0 -\n60 0 - 0 72\n110 0 -\n400 0 B\n406 0 -\n", 480, 0, &once);
        ASSERT_GT(once.m_state.size(), 470u);
        const size_t hit = 399;  // the press is read on the sample before its frame's
        EXPECT_FLOAT_EQ(once.m_health[hit], 100.0f - datagen::kSamplePlayerStrikeDamage);
        EXPECT_EQ(once.m_state[hit + 1], N::STATE_PAIN);
        EXPECT_EQ(once.m_config[hit + 2], T::ANIM_HIT_FRONT) << "the strike comes from the front";
        EXPECT_EQ(once.m_animation[hit + 2], "Flinch");
        const size_t swing = once.First(N::STATE_ATTACKING, hit);
        ASSERT_LT(swing, once.m_state.size()) << "fights on";
        EXPECT_LE(swing - hit, 60u) << "within two seconds";
        const size_t blow = FirstWhere(once.m_player, swing, [&](float f) { return f < once.m_player[swing - 1]; });
        EXPECT_LT(blow, once.m_player.size()) << "and its swing lands";
    }
    RecordFight four;
    Play("0 0 -\n60 0 - 0 72\n110 0 -\n400 0 B\n406 0 -\n440 0 B\n446 0 -\n480 0 B\n486 0 -\n520 0 B\n"
         "526 0 -\n",
         640, 0, &four);
    ASSERT_GT(four.m_state.size(), 630u);
    const size_t dead = FirstWhere(four.m_health, 0, [](float f) { return f <= 0.0f; });
    ASSERT_LT(dead, four.m_health.size());
    EXPECT_NEAR(static_cast<double>(dead), 519.0, 1.0) << "the fourth strike";
    const size_t dying = four.First(N::STATE_DYING, dead);
    const size_t lying = four.First(N::STATE_FADING, dying);
    const size_t gone = four.First(N::STATE_FADED, lying);
    EXPECT_LE(dying - dead, 1u);
    EXPECT_EQ(four.m_config[dying + 1], T::ANIM_DYING);
    EXPECT_EQ(four.m_animation[dying + 1], "Fall");
    ASSERT_LT(lying, four.m_state.size());
    EXPECT_GE(lying - dying, 15u) << "the fall plays out";
    EXPECT_EQ(four.m_animation[lying + 1], "Dead") << "lies still";
    ASSERT_LT(gone, four.m_state.size());
    EXPECT_NEAR(static_cast<double>(gone - lying), 30.0, 2.0) << "a second's fade";
    EXPECT_TRUE(four.m_inWorld[gone - 1]);
    EXPECT_FALSE(four.m_inWorld[gone]) << "off the road";
    EXPECT_FALSE(four.m_inWorld.back());
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
    GXTestSetDrawing(true);
    Play(datagen::SamplePlayerInputText(), 2);
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    const auto at = [&](int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; };
    const uint8_t* cloak = at(width / 2, height * 5 / 8);
    EXPECT_GT(cloak[0], cloak[1] + 30);
    EXPECT_GT(cloak[0], cloak[2] + 30);
    const uint8_t* road = at(width * 2 / 3, height - 20);  // beside the player, near the west wall
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
    mVec3 cameraInMap;
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
                                       gcEntity::GetHeading(p->m_model.m_localToParent.basis.forward),
                                       CameraInMap(p->m_nRegionId)});
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

// Played rather than snapped: the stick, pushed fully the way a player
// steers, runs the biped east along the road and then north off it onto the
// verge and into the updraft, which asks for the third map within ten
// seconds.
TEST_F(gcSamplePlayerTest, TheStickRunsThePlayerIntoTheUpdraft)
{
    RunIntoTheUpdraft();
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 200u);
    EXPECT_LT(s.size(), 300u) << "the map ended early";
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
// climbs to the ceiling. The camera stays inside the walls and under the
// ceiling all the while (by its collider, the near plane's corner distance
// of 0.12), clear of the flyer.
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
            const mVec3& camera = x.cameraInMap;
            const mVec3 flyer(x.pos.x + 32.0f * static_cast<float>(x.region), x.pos.y, x.pos.z);
            ASSERT_TRUE(camera.x >= -15.0f + 0.1f && camera.x <= 79.0f - 0.1f && std::fabs(camera.y) <= 15.0f - 0.1f &&
                        camera.z >= -3.0f + 0.1f && camera.z <= kCeilingZ + 0.5f - 0.1f && camera.Dist(flyer) >= 1.0f)
                << camera.x << " " << camera.y << " " << camera.z << ", the flyer at " << flyer.x << " " << flyer.y
                << " " << flyer.z;
        }
        EXPECT_TRUE(bKnockedBack);
        EXPECT_LE(top, kCeilingZ + 1e-3f);
        EXPECT_EQ(top > kCeilingZ - 0.1f, r.bCeiling) << top;
        EXPECT_EQ(s.back().region, r.region);
        EXPECT_EQ(Problems(), 0) << "no \"left every zone\"";
    }
}

// A gentle stick from a hover, whatever came before: pushed half forward it
// coasts the flyer slowly away (in gear 0, level), then half left it turns
// it left and carries it on; let go, it brakes to a hover. Rows
// differ in what came before: nothing, a short half push, a long one, a
// flap and a brake.
TEST_F(gcSamplePlayerTest, TheFlyerAnswersAGentleStickFromAHover)
{
    const struct {
        const char* name;
        std::string before;  // from frame 0; the gentle stick follows at kAt
    } rows[] = {
        {"from the map's start", "0 0 -\n"},
        {"after ten frames of a half push", "0 0 -\n20 0 - 0 36\n30 0 -\n"},
        {"after a hundred frames of a half push", "0 0 -\n20 0 - 0 36\n120 0 -\n"},
        {"after a flap and a brake", "0 0 -\n20 0 - 0 72\n60 0 -\n"},
    };
    constexpr size_t kAt = 160, kLeft = 260, kGo = 380;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        FlyingSamples().clear();
        RecordFlyer record;
        const std::string input = r.before + std::to_string(kAt) + " 0 - 0 36\n" + std::to_string(kLeft) +
                                  " 0 - -36 0\n" + std::to_string(kGo) + " 0 -\n";
        Play(input, kGo + 60, datagen::kSampleSkyMap, &record);
        const std::vector<FlyingSample>& s = FlyingSamples();
        ASSERT_GT(s.size(), kGo + 50);
        // Forward: away from the camera, slowly and level, in gear 0.
        const mVec3 ahead = s[kLeft - 5].pos - s[kAt + 5].pos;
        const float speed = ahead.Length() / (kTickSeconds * static_cast<float>(kLeft - kAt - 10));
        EXPECT_GT(speed, 0.8f) << "it moves";
        EXPECT_LT(speed, 2.0f) << "slowly";
        EXPECT_NEAR(ahead.z, 0.0f, 0.05f) << "level";
        EXPECT_EQ(s[kLeft - 5].gear, 0);
        // Left: turned left (the camera turning after it, the stick held
        // there turns it on), still going.
        EXPECT_GT(gcEntity::WrapDegrees(s[kLeft + 45].heading - s[kAt + 5].heading), 45.0f)
            << s[kAt + 5].heading << " " << s[kLeft + 45].heading;
        EXPECT_GT((s[kGo - 5].pos - s[kLeft + 45].pos).Length(), 1.0f);
        // Let go: a hover.
        EXPECT_TRUE(s.back().pos.ApproxEqual(s[s.size() - 10].pos, 1e-4f)) << "hovering";
    }
    EXPECT_EQ(Problems(), 0);
}

}  // namespace

namespace {

// The menu's New Game as the sample's main menu runs it: the first profile
// made new (in the menu, without a player) and the first map asked for.
class gcSampleNewGameTest : public gcSamplePlayerTest {
protected:
    void TearDown() override
    {
        gcGameSave::s_nCurProfile = -1;
        gcGameSave::ResetAllProfiles();
        gcSamplePlayerTest::TearDown();
    }
    void NewGame()
    {
        if (!gcAct::s_pAct) {
            ASSERT_EQ(gcPlayer::Get()->m_pEntity, nullptr) << "the menu has no player";
        }
        if (!m_newGame.pAction) {
            ASSERT_TRUE(datagen::FillSampleNewGame(m_newGame, &m_pool));
        }
        m_newGame.Apply(gcEventParams(), gcEventStackData());
        ASSERT_NE(gcGameSave::GetCurProfile(), nullptr);
        ASSERT_EQ(gcGame::s_pGame->m_nMapToLoad, 0);
    }

    // The third map's first frames, drawn (below).
    void ExpectTheWholeRowAndPlainWalls();

    cMemPool m_pool{"gcSampleNewGameTest", 0x4000, false};
    gcEvent m_newGame;
};

// The flyer, its health and the HUD's bar, each tick.
class RecordFlyerHud : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordFlyer().DoAction(params);
        const gcEntity* p = gcPlayer::Get()->m_pEntity;
        const gcUIDialog* pHud = RecordHud::Dialog(datagen::kSampleHudDialogSlot);
        const gcUIControl* pBar = pHud ? RecordHud::Control(pHud, datagen::kSampleHealthControl) : nullptr;
        m_health.push_back(p ? p->GetStat(gcEntityTemplate::STAT_HEALTH) : -1.0f);
        m_bar.push_back(pBar && gcUI::Get()->FindDialog(pHud) >= 0 ? pBar->m_size.x : -1.0f);
    }
    mutable std::vector<float> m_health, m_bar;
};

// New Game, then standing by the west guard until the player falls; the
// map starts again with the player at full health, its bar full, and the
// stick runs it east as before.
TEST_F(gcSampleNewGameTest, AfterFallingTheRestartedPlayerHasFullHealthAndControl)
{
    WithGuards();
    NewGame();
    RecordHud fell;
    Play("0 0 -\n60 0 - 0 72\n110 0 -\n", 2400, 0, &fell);
    ASSERT_FALSE(fell.m_health.empty());
    ASSERT_LE(fell.m_health.back(), 0.0f) << "the player fell";
    ASSERT_EQ(gcGame::s_pGame->m_nMapToLoad, 0) << "the same map again";

    Samples().clear();
    RecordHud again;
    Play("0 0 -\n30 0 - 0 72\n", 90, 0, &again);
    const std::vector<Sample>& s = Samples();
    ASSERT_GT(s.size(), 80u);
    EXPECT_FLOAT_EQ(again.m_health.front(), 100.0f);
    EXPECT_FLOAT_EQ(again.m_bar.back(), 100.0f * datagen::kSampleHealthBarScale);
    EXPECT_EQ(s.back().state, B::ST_RUNNING);
    EXPECT_GT(s.back().pos.x - s.front().pos.x, 5.0f) << "the stick runs it east";
    EXPECT_EQ(Problems(), 0);
}

// The regions resident and the zones attached, each tick.
class RecordRegions : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        std::set<int32_t> ids;
        int attached = 0;
        for (int slot = 0; slot < gcRegion::kMaxResident; ++slot) {
            const gcRegion* p = gcRegion::GetResident(slot);
            if (p)
                ids.insert(p->m_nRegionId);
            attached += p && p->m_pZone && eZone::s_pZones[slot] == p->m_pZone;
        }
        m_regions.push_back(static_cast<int>(ids.size()));
        m_attached.push_back(attached);
        m_nAmbient = eMaterial::s_nGlobalAmbient;  // as the last frame was drawn with
    }
    mutable std::vector<int> m_regions, m_attached;
    mutable uint32_t m_nAmbient = 0;
};

// What the third map's first frames show from where the flyer starts, in
// the west region looking east down the row under the ceiling: the whole
// row, the east region's walls and ceiling at its far end too (no pixel is
// left with only the ambient added over the cleared frame), and plain
// brick on the house front and the garden wall, without the pure red
// (no green, no blue) stripes that a wall face in the plane of theirs left
// on them.
void gcSampleNewGameTest::ExpectTheWholeRowAndPlainWalls()
{
    RecordRegions regions;
    GXTestSetDrawing(true);
    Play("0 0 -\n", 3, datagen::kSampleSkyMap, &regions);
    GXTestSetDrawing(false);
    ASSERT_FALSE(regions.m_regions.empty());
    EXPECT_EQ(regions.m_regions.back(), 3) << "every region of the row is resident";
    EXPECT_EQ(regions.m_attached.back(), 3) << "and drawn";
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    const uint32_t ambient = regions.m_nAmbient;  // ARGB
    const int bare[3] = {static_cast<int>(ambient >> 16 & 0xFF), static_cast<int>(ambient >> 8 & 0xFF),
                         static_cast<int>(ambient & 0xFF)};
    int nBare = 0, nStripe = 0;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const uint8_t* p = &rgba[i];
        nBare += p[0] == bare[0] && p[1] == bare[1] && p[2] == bare[2];
        nStripe += p[0] > 90 && p[1] < 32 && p[2] < 32;
    }
    EXPECT_EQ(nBare, 0) << "a hole at the row's far end";
    EXPECT_EQ(nStripe, 0) << "stripes on the house front";
}

// New Game, then the stick held left into the updraft: the third map's
// first frames show the whole row and plain walls; its flyer has its health
// and bar, and the stick and A fly it.
TEST_F(gcSampleNewGameTest, ThroughTheUpdraftTheFlyerHasItsHealthAndFlies)
{
    NewGame();
    RunIntoTheUpdraft();
    ASSERT_EQ(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap) << "the updraft asked for the third map";
    ExpectTheWholeRowAndPlainWalls();

    FlyingSamples().clear();
    RecordFlyerHud flyer;
    Play("0 0 -\n30 0 - 0 72\n200 0 A 0 72\n206 0 - 0 72\n", 260, datagen::kSampleSkyMap, &flyer);
    const std::vector<FlyingSample>& s = FlyingSamples();
    ASSERT_GT(s.size(), 250u);
    ASSERT_FALSE(flyer.m_health.empty());
    EXPECT_GT(flyer.m_health.back(), 0.0f);
    EXPECT_GT(flyer.m_bar.back(), 0.0f) << "the bar shows";
    EXPECT_GT(s.back().pos.x - s.front().pos.x, 10.0f) << "flown east";
    EXPECT_GT(s.back().pos.z, s.front().pos.z) << "and up";
    EXPECT_TRUE(std::any_of(s.begin(), s.end(), [](const FlyingSample& x) { return x.state == F::ST_BOOSTING; }))
        << "A boosts it";
    EXPECT_EQ(Problems(), 0);
}

// Whether the pause dialog's two messages are open, each tick.
class RecordSaveMessages : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        m_saved = m_saved || Open(datagen::kSampleSavedDialogSlot);
        m_failed = m_failed || Open(datagen::kSampleSaveFailedDialogSlot);
    }
    static bool Open(int slot)
    {
        const gcUIDialog* p = RecordHud::Dialog(slot);
        return p && gcUI::Get()->FindDialog(p) >= 0;
    }
    mutable bool m_saved = false, m_failed = false;
};

// The pause dialog's Save says "Saved" only when the card took the save,
// and that the save failed otherwise (the card's warning says why).
TEST_F(gcSampleNewGameTest, ThePauseDialogsSaveShowsWhetherTheCardTookIt)
{
    TempDir card("qm_sample_card");
    CARDTestSetRoot(card.c_str());
    eMemCard::Initialize("Quillmere", "Maker");
    const struct {
        const char* name;
        int32_t writeResult;  // injected into the card's write; READY: none
        bool bSaved;
    } rows[] = {
        {"the card takes it", CARD_RESULT_READY, true},
        {"the card is full", CARD_RESULT_INSSPACE, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_log.m_lines.clear();
        NewGame();
        if (row.writeResult != CARD_RESULT_READY)
            CARDTestInjectResult(CARD_SLOT_A, CARD_TEST_WRITE, row.writeResult);
        RecordSaveMessages messages;
        // Start opens the pause dialog with Save focused; A saves.
        Play("0 0 -\n30 0 START\n36 0 -\n50 0 A\n56 0 -\n", 120, 0, &messages);
        EXPECT_EQ(messages.m_saved, row.bSaved);
        EXPECT_EQ(messages.m_failed, !row.bSaved);
        EXPECT_EQ(m_log.Count(LOGTYPE_WARNING, "eMemCard: the save \"Quillmere\" could not be written: Not Enough Space"),
                  row.bSaved ? 0 : 1);
        EXPECT_EQ(Problems(), row.bSaved ? 0 : 1);
    }
    CARDTestSetRoot(nullptr);
}

// Continue holds the saved health against the player of the saved map,
// read from its configuration while no map runs and released again: the
// Player Config pools empty, no player entity left in slot 0. While a map
// runs, its player stays as it is and the map's start decides.
TEST_F(gcSampleNewGameTest, ContinueHoldsTheHealthAgainstTheMapsPlayerAndKeepsNothingOfIt)
{
    const struct {
        const char* sName;
        bool bInMap;
        float fHealth;
        bool bStarts;
    } rows[] = {
        {"at the player's 100", false, 100.0f, true},
        {"past it", false, std::nextafter(100.0f, 101.0f), false},
        {"past it while a map runs", true, 999.0f, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        if (row.bInMap)
            Play("0 0 -\n", 2);
        ASSERT_EQ(gcMap::s_pMap != nullptr, row.bInMap);
        const gcPlayerConfig* pResident = gcPlayerConfig::s_pPlayerConfig;
        const gcEntity* pSlot0 = gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(0));
        gcGameSave::s_nCurProfile = 0;
        gcGameSave::gcGameProfile& p = *gcGameSave::GetCurProfile();
        p.Reset();
        p.nFlags = 0;
        p.nAct = 0;
        p.nMap = 1;
        p.fPlayerEntityStat[gcEntityTemplate::STAT_HEALTH] = row.fHealth;
        gcGame::s_pGame->m_nActToLoad = gcGame::s_pGame->m_nMapToLoad = -1;
        m_log.m_lines.clear();
        gcGameSave::StartCurProfile();
        EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, row.bStarts ? 1 : -1);
        EXPECT_EQ(m_log.Count(LOGTYPE_WARNING, "gcGameSave: profile 1 is damaged: its Health 100 lies beyond "
                                               "the player's 100"),
                  row.bStarts ? 0 : 1);
        EXPECT_EQ(Problems(), row.bStarts ? 0 : 1);
        EXPECT_EQ(gcPlayerConfig::s_pPlayerConfig, pResident);
        EXPECT_EQ(gcEntityMgr::GetPtr(gcEntityMgr::GetHandle(0)), pSlot0);
        for (const cMemPool* pPool : {&gcGame::s_playerConfigPool, &gcGame::s_playerConfigSoundPool})
            EXPECT_EQ(pPool->BytesTaken() == 0, pResident == nullptr) << pPool->GetName();
    }
}

// After Save the "Saved" message fades out, its box with its label: shown,
// its box is the solid yellow of the buttons; two thirds of the way through
// the fade none of it is left near that yellow. (The box drawn opaque
// whatever its alpha stood solid to the end of the fade.)
TEST_F(gcSampleNewGameTest, TheSavedMessagesBoxFadesWithItsLabel)
{
    TempDir card("qm_sample_card");
    CARDTestSetRoot(card.c_str());
    eMemCard::Initialize("Quillmere", "Maker");
    const struct {
        uint32_t frames;  // Save pressed at 50: the message shows from the next
        bool bSolid;
    } rows[] = {{54, true}, {110, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.frames);
        NewGame();
        GXTestSetDrawing(true);
        Play("0 0 -\n30 0 START\n36 0 -\n50 0 A\n56 0 -\n", row.frames);
        GXTestSetDrawing(false);
        VIWaitForRetrace();
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
        ASSERT_EQ(width, 640);
        // The message's box: 200 x 40 at the middle of the screen.
        int nYellow = 0;
        for (int y = 200; y < 280; ++y) {
            for (int x = 200; x < 440; ++x) {
                const uint8_t* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(width) + x) * 4];
                nYellow += p[0] > 200 && p[1] > 200 && p[2] < 60;
            }
        }
        if (row.bSolid) {
            EXPECT_GT(nYellow, 5000);
        } else {
            EXPECT_LT(nYellow, 100);
        }
        EXPECT_EQ(Problems(), 0);
    }
    CARDTestSetRoot(nullptr);
}

// The ways a player takes from the map's start to the garden's gateway
// miss the updraft: walked north along the west wall first, then east to
// the gateway; walked straight at it; or the stick pushed forward and left
// (the camera looking east along the road) and held. The map goes on. And
// the updraft shows from the start: its motes rise inside its box, a
// gold glow on the left of the first frames' view, ahead of the player.
TEST_F(gcSamplePlayerTest, TheWaysToTheGardenMissTheUpdraftWhoseMotesShowFromTheStart)
{
    using Leg = WalkTheWay::Leg;
    const struct {
        const char* name;
        std::vector<Leg> legs;  // none: the input
        const char* input;
    } rows[] = {
        // (A recorded input first: the legs' rows leave the port to the test.)
        // (Held steady, the stick is read in the frame the camera held when
        // it was pushed: the player runs straight, 65 degrees left of the
        // road, west of the pillar on the verge, into the gateway.)
        {"forward and left, held", {}, "0 0 -\n30 0 - -65 30\n"},
        {"north first, then east to the gateway", {{-12.0f, 8.5f, false}, {-7.5f, 8.5f, false}, {-7.5f, 13.0f, false}},
         ""},
        {"straight to the gateway", {{-7.5f, 12.5f, false}}, ""},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Samples().clear();
        WalkTheWay way(r.legs);
        if (r.legs.empty())
            Play(r.input, 300);
        else
            Play("", 400, 0, &way);
        ASSERT_NE(gcMap::s_pMap, nullptr);
        EXPECT_EQ(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u) << "the map went on";
        EXPECT_NE(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap);
        EXPECT_EQ(way.m_nLeg, r.legs.size()) << "stopped short";
        float north = 0.0f;
        for (const Sample& x : Samples())
            north = std::max(north, x.pos.y);
        EXPECT_GT(north, 11.0f) << "in the gateway";
    }

    GXTestSetDrawing(true);
    Play("0 0 -\n", 120);
    VIWaitForRetrace();
    const gcEffect* pUpdraft = nullptr;
    for (const gcEffect* p : gcEffectMgr::s_pInstances)
        if (p && std::string(p->m_name.m_sData) == "Updraft")
            pUpdraft = p;
    ASSERT_NE(pUpdraft, nullptr);
    EXPECT_EQ(pUpdraft->m_nRegionId, 0);
    const eParticleSystem* pMotes = pUpdraft->m_pParticleSystem[0];
    ASSERT_NE(pMotes, nullptr);
    EXPECT_GT(pMotes->m_nCurrentParticles, 60) << "the box full of motes";
    // The effect stands on the verge at the box's middle; its motes, in the
    // same zone's space, over its floor and up to the height they rise in a
    // life, with the speed's spread.
    const mVec3 floor = pUpdraft->m_model.m_localToZone.origin;
    EXPECT_TRUE(pUpdraft->m_model.m_localToParent.origin.ApproxEqual(
        mVec3(datagen::kSampleUpdraftX, datagen::kSampleUpdraftY, kStandZ - 1.0f), 1e-3f));
    const float half = datagen::kSampleUpdraftSide / 2;
    for (int i = 0; i < pMotes->m_nMaxParticles; ++i) {
        const eParticle& m = pMotes->m_pParticleList[i];
        if (m.IsFree())
            continue;
        const mVec3 d = m.position - floor;
        ASSERT_LE(std::fabs(d.x), half + 0.2f) << i;
        ASSERT_LE(std::fabs(d.y), half + 0.2f) << i;
        ASSERT_GE(d.z, -0.2f) << i;
        ASSERT_LE(d.z, datagen::kSampleMoteRiseSpeed * datagen::kSampleMoteSeconds * 1.6f) << i;
    }
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    // Gold: red full, green a little under, some blue (the HUD's bar is
    // pure yellow), in the left third, above the middle.
    int gold = 0;
    for (int y = 0; y < height / 2; ++y) {
        for (int x = 0; x < width / 3; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            gold += p[0] > 220 && p[1] > 150 && p[1] < 245 && p[2] > 40 && p[2] < p[1] - 40;
        }
    }
    EXPECT_GT(gold, 40);
    EXPECT_EQ(Problems(), 0);
}

// Every flight of steps in the first map is walked up and down with the
// stick held, at a walk and at a run, never jumping: the garden's up to the
// terrace and along the house's front, and the east region's up to the
// platform (run to, the way being long). The player stands on the top, and
// back at the foot.
TEST_F(gcSamplePlayerTest, EveryFlightOfStepsIsWalkedUpAndDown)
{
    using Leg = WalkTheWay::Leg;
    constexpr float kTerrace = kStandZ + 3.0f, kPlatform = kStandZ + 1.6f;
    const struct {
        const char* name;
        std::vector<Leg> legs;  // to the foot, the top, the foot again
        float fStick;
        float top;
    } rows[] = {
        {"up to the terrace, walking", {{4.0f, 3.5f, false}, {4.0f, 12.5f, false}, {4.0f, 3.5f, false}}, 36.0f, kTerrace},
        {"up to the terrace, running", {{4.0f, 3.5f, false}, {4.0f, 12.5f, false}, {4.0f, 3.5f, false}}, 72.0f, kTerrace},
        // (West of the pillar on the verge, whose face the straight line
        // from the start to the gateway meets.)
        {"along the house, walking",
         {{-10.0f, 5.5f, false}, {-7.5f, 6.0f, false}, {-7.5f, 13.0f, false}, {3.0f, 13.0f, false}, {-7.5f, 13.0f, false}},
         36.0f, kTerrace},
        {"along the house, running",
         {{-10.0f, 5.5f, false}, {-7.5f, 6.0f, false}, {-7.5f, 13.0f, false}, {3.0f, 13.0f, false}, {-7.5f, 13.0f, false}},
         72.0f, kTerrace},
        {"up to the east platform, running",
         {{73.5f, 2.0f, false}, {73.5f, 12.0f, false}, {73.5f, 2.0f, false}}, 72.0f, kPlatform},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Samples().clear();
        WalkTheWay way(r.legs, r.fStick);
        Play("", 1500, 0, &way);
        EXPECT_EQ(way.m_nLeg, r.legs.size()) << "stopped short";
        const std::vector<Sample>& s = Samples();
        ASSERT_FALSE(s.empty());
        float top = kStandZ;
        for (const Sample& x : s) {
            top = std::max(top, x.pos.z);
            ASSERT_FALSE(x.state >= B::ST_SJUMP_UP && x.state <= B::ST_DJUMP_DOWN) << "a jump";
        }
        EXPECT_NEAR(top, r.top, 0.05f) << "on the top";
        EXPECT_NEAR(s.back().pos.z, kStandZ, 0.15f) << "at the foot";
    }
    EXPECT_EQ(Problems(), 0);
}

// New Game, into the updraft; in the third map the stick pushed fully left
// for 12 frames, then let go: the flyer, sent off flapping (climbing), brakes
// as the stick is let go, hovers in gear 0 within a third of a second and
// stays there, clear of the walls and the ceiling. (Let go, it flapped on,
// shifting up, until a wall stopped it.)
TEST_F(gcSampleNewGameTest, LetGoAfterAShortPushTheFlyerBrakesToAHover)
{
    NewGame();
    RunIntoTheUpdraft();
    ASSERT_EQ(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap) << "the updraft asked for the third map";
    FlyingSamples().clear();
    RecordFlyer record;
    Play("0 0 -\n30 0 - -72 0\n42 0 -\n", 480, datagen::kSampleSkyMap, &record);
    const std::vector<FlyingSample>& s = FlyingSamples();
    ASSERT_GT(s.size(), 470u);
    const size_t off = FirstWhere(s, 0, [&](const FlyingSample& x) { return x.pos.z > s[0].pos.z + 1e-3f; });
    ASSERT_LT(off, 60u) << "the push sent it off";
    const size_t braked = FirstWhere(s, off, [](const FlyingSample& x) { return x.state == F::ST_BRAKING; });
    ASSERT_LT(braked, s.size()) << "it braked";
    EXPECT_LE(braked, off + 12 + 1) << "as the stick was let go";
    // The brake eases the flap out over a few ticks.
    for (size_t i = braked + 10; i < s.size(); ++i) {
        ASSERT_TRUE(s[i].pos.ApproxEqual(s.back().pos, 1e-4f)) << "hovering, " << i;
        ASSERT_EQ(s[i].gear, 0);
    }
    EXPECT_LT(s.back().pos.z - s[0].pos.z, 0.5f) << "it climbed only while pushed";
    const mVec3& at = s.back().pos;
    EXPECT_EQ(s.back().region, 0);
    EXPECT_TRUE(at.x > -13.0f && at.x < 13.0f && std::fabs(at.y) < 12.0f && at.z < 10.0f)
        << at.x << " " << at.y << " " << at.z;
    EXPECT_EQ(Problems(), 0);
}

// The pictures drawn at chosen ticks (drawing is on for those only) and
// where the west guard's body and the player's lie in each as the camera
// sees them: the centre, the points three quarters of the way from there
// to the top and the foot, and halfway to the left and right edges; none
// while the body is out of the world.
class RecordGuardPictures : public RecordFight {
public:
    enum Point { kCentre, kUpper, kLower, kLeft, kRight, kPoints };
    struct Spot {
        int x, y;
    };
    using Rgb = std::array<int, 3>;
    struct Picture {
        std::vector<Spot> body, player;
        std::vector<uint8_t> rgba;
    };

    explicit RecordGuardPictures(std::vector<size_t> ticks) : m_ticks(std::move(ticks)) {}
    void DoAction(const gcEventParams& params) const override
    {
        const size_t tick = m_state.size();
        RecordFight::DoAction(params);
        const gcEntity* pGuard = gcEntityMgr::s_pInstances[datagen::SampleGuards::kEntitySlot];
        const eModel* pModel = pGuard ? &pGuard->m_model : nullptr;
        const bool bDrawn = pModel && pModel->m_nDrawInfos > 0;
        m_alpha.push_back(bDrawn ? pModel->m_pDrawInfos[0].materialState.m_nColor >> 24 : 0);
        // A frame is presented from the second retrace after its tick on,
        // so drawing goes on to the tick after each chosen one; it starts
        // a tick before, as the first frame drawn after undrawn ones may
        // show nothing.
        if (tick >= 2 && m_pictures.count(tick - 2)) {
            int width = 0, height = 0;
            std::vector<uint8_t>& rgba = m_pictures[tick - 2].rgba;
            if (!GXTestReadPresented(&rgba, &width, &height) || width != kWidth || height != kHeight)
                rgba.clear();
        }
        const bool bDraw = std::find(m_ticks.begin(), m_ticks.end(), tick) != m_ticks.end();
        const bool bNext = std::find(m_ticks.begin(), m_ticks.end(), tick + 1) != m_ticks.end();
        GXTestSetDrawing(bDraw || bNext || m_pictures.count(tick - 1));
        if (bDraw) {
            Picture& picture = m_pictures[tick];
            picture.body = Place(gcEntityMgr::s_pInstances[datagen::SampleGuards::kEntitySlot]);
            picture.player = Place(gcPlayer::Get()->m_pEntity);
        }
    }
    bool Has(size_t tick) const { return m_pictures.count(tick) && !m_pictures.at(tick).rgba.empty(); }
    const std::vector<Spot>& Body(size_t tick) const { return m_pictures.at(tick).body; }
    const std::vector<Spot>& Player(size_t tick) const { return m_pictures.at(tick).player; }
    Rgb Pixel(size_t tick, Spot at) const
    {
        const uint8_t* p = &m_pictures.at(tick).rgba[(static_cast<size_t>(at.y) * kWidth + at.x) * 4];
        return {p[0], p[1], p[2]};
    }
    // Where a point of the world lies in the picture drawn now, kept on the
    // screen.
    static Spot OnScreen(const mVec3& at)
    {
        const eCamera& camera = gcGameCamera::Get()->m_camera;
        const mOCS& eye = camera.m_cameraToWorld;
        float n = 0, f = 0, l = 0, r = 0, t = 0, b = 0;
        camera.m_frustum.GetPerspective(&n, &f, &l, &r, &t, &b);
        const mVec3 d = at - eye.origin;
        const float ahead = d.Dot(eye.basis.forward);
        const float x = kWidth * (n * d.Dot(eye.basis.right) / ahead - l) / (r - l);
        const float y = kHeight * (t - n * d.Dot(eye.basis.up) / ahead) / (t - b);
        return {std::clamp(static_cast<int>(x), 0, kWidth - 1), std::clamp(static_cast<int>(y), 0, kHeight - 1)};
    }

    static constexpr int kWidth = 640, kHeight = 480;
    mutable std::vector<uint32_t> m_alpha;  // the west guard's model's, each tick

private:
    // The body of the guard and of the player alike: a collider 0.4 across
    // and 0.9 up from its centre.
    static std::vector<Spot> Place(const gcEntity* p)
    {
        std::vector<Spot> out;
        if (!p || !p->m_model.m_pZone || !p->m_model.m_pNodeToZone)
            return out;
        const mOCS& eye = gcGameCamera::Get()->m_camera.m_cameraToWorld;
        mVec3 centre;  // the body's node
        centre.Xform(p->m_model.m_pNodeToZone[0].origin, p->m_model.m_pZone->m_localToWorld);
        const mVec3 up(0.0f, 0.0f, 0.75f * 0.9f), side = eye.basis.right * (0.5f * 0.4f);  // of the collider's
        for (const mVec3& at : {centre, centre + up, centre - up, centre - side, centre + side})
            out.push_back(OnScreen(at));
        return out;
    }

    std::vector<size_t> m_ticks;
    mutable std::map<size_t, Picture> m_pictures;
};

int Distance(const RecordGuardPictures::Rgb& a, const RecordGuardPictures::Rgb& b)
{
    return std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]);
}

// The boards' brown all over the body (red above green, well above blue)
// and the same within the grain wherever it is read: neither the
// flagstones' grey or blue-grey, their joints, nor the grass behind it.
void ExpectSolidGuard(const RecordGuardPictures& pictures, size_t tick)
{
    SCOPED_TRACE(tick);
    ASSERT_TRUE(pictures.Has(tick));
    ASSERT_EQ(pictures.Body(tick).size(), size_t{RecordGuardPictures::kPoints});
    RecordGuardPictures::Rgb lo{255, 255, 255}, hi{0, 0, 0};
    for (const RecordGuardPictures::Spot& at : pictures.Body(tick)) {
        const RecordGuardPictures::Rgb c = pictures.Pixel(tick, at);
        EXPECT_GT(c[0], c[1]) << at.x << " " << at.y;
        EXPECT_GT(c[0], c[2] + 5) << at.x << " " << at.y;
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], c[k]);
            hi[k] = std::max(hi[k], c[k]);
        }
    }
    for (int k = 0; k < 3; ++k)
        EXPECT_LE(hi[k] - lo[k], 30) << "channel " << k;
}

// New Game. By day the west guard walks its loop ahead of the player, who
// runs east, turns north and stands; by night the guard comes and swings
// at it from beside it, in view, and four strikes fell it. Its body hides
// what lies behind it by day and by night; felled, it sinks and then fades
// over a second, the road showing through more and more, before it is
// gone.
TEST_F(gcSampleNewGameTest, GuardsAreDrawnSolidAndAFelledOneSinksAndFades)
{
    using N = gcNPC;
    WithGuards();
    NewGame();
    constexpr size_t kDay = 60, kNight = 390, kStruck = 510, kLying = 540, kFading = 550, kFaint = 560, kGone = 600;
    RecordGuardPictures pictures({kDay, kNight, kStruck, kLying, kFading, kFaint, kGone});
    Play("0 0 -\n60 0 - 0 72\n110 0 - -72 0\n116 0 -\n400 0 B\n406 0 -\n440 0 B\n446 0 -\n480 0 B\n486 0 -\n520 0 B\n"
         "526 0 -\n",
         kGone + 3, 0, &pictures);
    GXTestSetDrawing(false);
    ASSERT_GT(pictures.m_state.size(), kGone + 2);
    ASSERT_TRUE(pictures.Has(kGone));
    // What the pictures show: the guard on its loop by day, standing by
    // the player unstruck by night, fading from kLying and gone by kGone.
    EXPECT_EQ(pictures.m_state[kDay], N::STATE_WALKING);
    EXPECT_FLOAT_EQ(pictures.m_health[kNight], 100.0f);
    EXPECT_GT(pictures.m_health[kStruck], 0.0f);
    for (size_t t : {kLying, kFading, kFaint})
        EXPECT_EQ(pictures.m_state[t], N::STATE_FADING) << t;
    EXPECT_FALSE(pictures.m_inWorld[kGone]);

    // By night it swings from beside the player, a little nearer the
    // camera, and is struck there: the occluders watch it with a margin
    // round the player and draw it see-through, so only the day's picture
    // shows it solid.
    ExpectSolidGuard(pictures, kDay);

    // Sunk to its knees: where the top of the standing body was, what lies
    // behind it shows.
    const RecordGuardPictures::Spot upper = pictures.Body(kStruck)[RecordGuardPictures::kUpper];
    ASSERT_TRUE(pictures.Has(kLying));
    EXPECT_GT(Distance(pictures.Pixel(kStruck, upper), pictures.Pixel(kGone, upper)), 30);
    EXPECT_LE(Distance(pictures.Pixel(kLying, upper), pictures.Pixel(kGone, upper)), 12);

    // Fading: the lying body's middle goes over to what lies behind it,
    // picture by picture, and is not gone yet in the last.
    const RecordGuardPictures::Spot middle = pictures.Body(kLying)[RecordGuardPictures::kCentre];
    const RecordGuardPictures::Rgb behind = pictures.Pixel(kGone, middle);
    int before = Distance(pictures.Pixel(kLying, middle), behind);
    EXPECT_GT(before, 30);
    for (size_t t : {kFading, kFaint}) {
        ASSERT_TRUE(pictures.Has(t)) << t;
        const int now = Distance(pictures.Pixel(t, middle), behind);
        EXPECT_LT(now, before - 8) << t;
        before = now;
    }
    EXPECT_GT(before, 4) << "still there";
    EXPECT_EQ(Problems(), 0);
}

// New Game and the sample's own input with the guards on the road, as
// `make run` plays it: the west guard chases the running player from
// behind, between it and the camera, and falls behind; then the middle
// guard meets the player. In every picture the middle of
// the player's body shows its cloak's red (red well above green and blue,
// by day and by night), through a guard in front of it or with none; the
// boards' brown there (red barely above the others) would be a guard
// hiding it, or filling the view. The guard is drawn see-through while it
// is in the way.
TEST_F(gcSampleNewGameTest, TheGuardsNeverHideThePlayerInTheScriptedRun)
{
    WithGuards();
    NewGame();
    constexpr size_t kFirst = 60, kLast = 330;  // from the player's run to the end of make run's frames
    std::vector<size_t> ticks;
    for (size_t t = kFirst; t <= kLast; t += 2)
        ticks.push_back(t);
    RecordGuardPictures pictures(ticks);
    Play(datagen::SamplePlayerInputText(), kLast + 3, 0, &pictures);
    GXTestSetDrawing(false);
    for (size_t t : ticks) {
        ASSERT_TRUE(pictures.Has(t)) << t;
        ASSERT_EQ(pictures.Player(t).size(), size_t{RecordGuardPictures::kPoints}) << t;
        const RecordGuardPictures::Rgb c = pictures.Pixel(t, pictures.Player(t)[RecordGuardPictures::kCentre]);
        EXPECT_TRUE(c[0] * 5 > c[1] * 8 && c[0] * 5 > c[2] * 8) << t << ": " << c[0] << " " << c[1] << " " << c[2];
    }
    // The west guard as drawn: solid, eased to see-through (0.3, or out
    // altogether should it pass the camera) in steps of at most 3.75 a
    // second while it is in the way, and solid again once it is not. How
    // long it stays in the way is the camera's to choose.
    const std::vector<uint32_t>& a = pictures.m_alpha;
    ASSERT_GT(a.size(), kLast);
    uint32_t step = 0;
    for (size_t t = 1; t < a.size(); ++t)
        step = std::max(step, a[t] > a[t - 1] ? a[t] - a[t - 1] : a[t - 1] - a[t]);
    EXPECT_EQ(step, 32u) << "255 x 3.75 / 30, the bytes truncated";
    EXPECT_EQ(a[kFirst], 255u);
    EXPECT_LE(*std::min_element(a.begin(), a.end()), 76u) << "0.3";
    EXPECT_EQ(a.back(), 255u);
    EXPECT_EQ(Problems(), 0);
}

// A picture at one tick, the regions resident and drawn each tick, and
// where points of the east region's far wall (the inner face of the
// row's east end, from the road's height up) lie in the picture.
class RecordRowPicture : public RecordGuardPictures {
public:
    explicit RecordRowPicture(size_t tick) : RecordGuardPictures({tick}), m_tick(tick) {}
    void DoAction(const gcEventParams& params) const override
    {
        RecordGuardPictures::DoAction(params);
        m_regions.DoAction(params);
        const eZone* pWest = gcEntityWorld::GetRegionZone(0);
        if (m_state.size() != m_tick + 1 || !pWest)
            return;
        for (float y : {-4.0f, 0.0f, 4.0f})
            for (float z : {-2.5f, -1.5f})
                m_wall.push_back(OnScreen(pWest->m_localToWorld.origin + mVec3(2 * 32.0f + 15.0f, y, z)));
    }
    size_t m_tick;
    RecordRegions m_regions;
    mutable std::vector<Spot> m_wall;
};

// New Game, a run east towards the west guard and a stand in the west
// region: through the middle region's gate the road runs on to the east
// region's far wall. All three regions are drawn, and where the far wall
// lies in the picture its bricks show, not the bare frame (only the
// ambient over the cleared frame, blue-grey).
TEST_F(gcSampleNewGameTest, TheEastRegionIsDrawnFromTheWestOne)
{
    WithGuards();
    NewGame();
    constexpr size_t kStand = 80;
    RecordRowPicture pictures(kStand);
    Play("0 0 -\n30 0 - 0 72\n70 0 -\n", kStand + 3, 0, &pictures);
    GXTestSetDrawing(false);
    ASSERT_TRUE(pictures.Has(kStand));
    ASSERT_GT(pictures.m_regions.m_regions.size(), kStand);
    EXPECT_EQ(Samples()[kStand].region, 0) << "in the west region";
    EXPECT_EQ(pictures.m_regions.m_regions[kStand], 3);
    EXPECT_EQ(pictures.m_regions.m_attached[kStand], 3) << "and drawn";
    const uint32_t ambient = pictures.m_regions.m_nAmbient;  // ARGB
    const RecordGuardPictures::Rgb bare{static_cast<int>(ambient >> 16 & 0xFF), static_cast<int>(ambient >> 8 & 0xFF),
                                        static_cast<int>(ambient & 0xFF)};
    ASSERT_EQ(pictures.m_wall.size(), 6u);
    for (const RecordGuardPictures::Spot& at : pictures.m_wall) {
        const RecordGuardPictures::Rgb c = pictures.Pixel(kStand, at);
        EXPECT_NE(c, bare) << at.x << " " << at.y;
        EXPECT_GT(c[0], c[2] + 10) << at.x << " " << at.y << ": the bricks' red";
    }
    EXPECT_EQ(Problems(), 0);
}

// The walled row of the walking maps, in the map's frame (the regions'
// frames put end to end along x, the west one's centred on the origin):
// where the biped's centre can go, the walls' inner faces less its radius.
constexpr float kRegionEdge = 32.0f;
constexpr float kBipedRadius = 0.4f;
constexpr float kWestX = -15.0f + kBipedRadius, kEastX = 2 * kRegionEdge + 15.0f - kBipedRadius;
constexpr float kSideY = 15.0f - kBipedRadius;

// Where the camera may stand in the walking maps, in the map's frame: in
// front of the walls' inner faces (by its collider, the near plane's corner
// distance of 0.12), and clear of the player: a unit from its centre.
constexpr float kCameraClear = 0.1f;
bool CameraInside(const mVec3& camera, const mVec3& player)
{
    return camera.x >= -15.0f + kCameraClear && camera.x <= 2 * kRegionEdge + 15.0f - kCameraClear &&
           std::fabs(camera.y) <= 15.0f - kCameraClear && camera.Dist(player) >= 1.0f;
}

// One leg of a route, in the map's frame: run to a point, or hold the
// stick one way (jumping now and then) for a number of frames.
struct Leg {
    float x, y;
    int nHoldFrames;  // 0: run to (x, y); else hold the stick towards (x, y) as a direction
    bool bJump;
};

// Plays the controller as a player watching the screen would: each frame
// the stick points where the leg goes (PushStickTowards). Records the
// player's placement in the map's frame.
class DriveRoute : public gcAction {
public:
    explicit DriveRoute(std::vector<Leg> legs) : m_legs(std::move(legs)) {}
    void DoAction(const gcEventParams&) const override
    {
        const gcPlayerBiped* p = dcast<gcPlayerBiped>(gcPlayer::Get()->m_pEntity);
        if (!p)
            return;
        mVec3 at = p->m_model.m_localToParent.origin;
        at.x += kRegionEdge * static_cast<float>(p->m_nRegionId);
        m_track.push_back({p->m_nCurState, p->m_nRegionId, at, CameraInMap(p->m_nRegionId)});
        PADStatus pad = PADTestIdleStatus();
        if (m_nLeg < m_legs.size()) {
            const Leg& leg = m_legs[m_nLeg];
            mVec3 way(leg.x, leg.y, 0.0f);
            if (!leg.nHoldFrames) {
                way = way - mVec3(at.x, at.y, 0.0f);
                if (way.Length() < 0.5f || ++m_nFrames > kMaxLegFrames)
                    Next();
            } else if (++m_nFrames >= leg.nHoldFrames) {
                Next();
            }
            PushStickTowards(way, 72.0f, &pad);
            if (leg.bJump && m_nFrames % 20 < 2)
                pad.button = PAD_BUTTON_A;
        }
        PADTestSetStatus(0, pad);
    }
    // The last leg done, the run ends after the next frame.
    void Next() const
    {
        m_bTimedOut = m_bTimedOut || m_nFrames > kMaxLegFrames;
        ++m_nLeg;
        m_nFrames = 0;
        if (m_nLeg == m_legs.size())
            VISetFrameLimit(2);
    }
    bool Done() const { return m_nLeg == m_legs.size() && !m_bTimedOut; }

    static constexpr int kMaxLegFrames = 600;
    struct Step {
        int8_t state;
        int16_t region;
        mVec3 at;  // in the map's frame
        mVec3 camera;  // likewise
    };
    std::vector<Leg> m_legs;
    mutable size_t m_nLeg = 0;
    mutable int m_nFrames = 0;
    mutable bool m_bTimedOut = false;
    mutable std::vector<Step> m_track;
};

struct Route {
    const char* name;
    std::vector<Leg> legs;
    float endX, endY;  // where it ends up, held there
};

// Drives each route through map nMap (from the map's start, at (-12, 0)):
// the player stays in a zone and inside the walls all the way, never
// falls, and ends where the route leads, held there by the walls; the
// camera stays inside the walls too, clear of the player.
class gcSampleEdgesTest : public gcSamplePlayerTest {
protected:
    void Drive(int nMap, const std::vector<Route>& routes)
    {
        for (const Route& r : routes) {
            SCOPED_TRACE(r.name);
            int nFrames = 0;
            for (const Leg& leg : r.legs)
                nFrames += leg.nHoldFrames ? leg.nHoldFrames : DriveRoute::kMaxLegFrames;
            DriveRoute drive(r.legs);
            Play("", static_cast<uint32_t>(nFrames), nMap, &drive);
            const auto& t = drive.m_track;
            ASSERT_FALSE(t.empty());
            EXPECT_TRUE(drive.Done()) << "leg " << drive.m_nLeg << " of " << r.legs.size();
            EXPECT_EQ(gcMap::s_pMap->m_nFlags & gcMap::kFlagEndMap, 0u) << "the map went on";
            // The verges lie a tenth below the road.
            const size_t out = FirstWhere(t, 0, [](const DriveRoute::Step& x) {
                return x.region < 0 || x.region > 2 || x.at.x < kWestX - 1e-3f || x.at.x > kEastX + 1e-3f ||
                       std::fabs(x.at.y) > kSideY + 1e-3f || x.at.z < kStandZ - 0.1f - 1e-3f ||
                       x.state == B::ST_FALLING;
            });
            if (out < t.size()) {
                const DriveRoute::Step& x = t[out];
                ADD_FAILURE() << "left at frame " << out << ": region " << x.region << " at " << x.at.x << " "
                              << x.at.y << " " << x.at.z << ", state " << int{x.state};
            }
            const size_t cameraOut =
                FirstWhere(t, 0, [](const DriveRoute::Step& x) { return !CameraInside(x.camera, x.at); });
            if (cameraOut < t.size()) {
                const DriveRoute::Step& x = t[cameraOut];
                ADD_FAILURE() << "the camera left at frame " << cameraOut << ": " << x.camera.x << " " << x.camera.y
                              << " " << x.camera.z << ", the player at " << x.at.x << " " << x.at.y;
            }
            EXPECT_NEAR(t.back().at.x, r.endX, 0.6f) << t.back().at.y;
            EXPECT_NEAR(t.back().at.y, r.endY, 0.6f) << t.back().at.x;
            EXPECT_EQ(Problems(), 0);
        }
    }
};

}  // namespace

namespace {

// Where the routes hold the player in the end.
constexpr float kGardenY = 10.0f - kBipedRadius;    // against the west region's garden wall
constexpr float kPlatformY = 10.0f - kBipedRadius;  // against the east region's platform

// From the start to the east region: along the south wall into the
// south-east corner, then up the east wall by the legs up; up the east
// region's steps into the north-east corner.
Route SouthAndEastWalls(const std::vector<Leg>& up, float endY)
{
    Route r{"along the south wall into the south-east corner and up the east wall",
            {{-12, -14.2f, 0, false}, {30, -14.2f, 0, true}, {76, -14.2f, 0, true}, {1, -1, 60, true}},
            kEastX,
            endY};
    r.legs.insert(r.legs.end(), up.begin(), up.end());
    return r;
}
const Route kNorthEastCorner = {"up the east region's steps into the north-east corner",
                                {{14, -8, 0, false}, {74, -8, 0, false}, {74, 12, 0, true}, {1, 1, 150, true}},
                                kEastX,
                                kSideY};

// The stick held half back and left from the start walks the player into
// the west wall north of the road and along it, pressed against it to the
// end (held steady, the stick is read in the frame the camera held when it
// was pushed, so it no longer circles the player round the camera, the
// way held half left once brought it there); held fully back, it runs the
// player (jumping) into the west wall with the camera between them, which
// swings round to the side, the player running on after it. Routes run
// and jump along the west region's edges into its corners (the garden's
// behind the terrace too), the updraft left alone. The camera stays inside
// the walls, clear of the player.
TEST_F(gcSampleEdgesTest, ThePlayerStaysInsideTheFirstMapsWestEnd)
{
    const struct {
        const char* name;
        const char* input;
        bool bHeld;  // held against the west wall to the end, else only brought to it
    } rows[] = {{"half back and left", "0 0 -\n1 0 - -26 -26\n", true},
                {"fully back", "0 0 -\n1 0 - 0 -72\n120 0 A 0 -72\n126 0 - 0 -72\n320 0 -\n", false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Samples().clear();
        Play(r.input, 400);
        const std::vector<Sample>& s = Samples();
        ASSERT_GT(s.size(), 390u) << "the player never froze";
        float west = 0.0f;
        for (const Sample& x : s) {
            west = std::min(west, x.pos.x);
            ASSERT_EQ(x.region, 0);
            ASSERT_GE(x.pos.x, kWestX - 1e-3f) << x.pos.y;
            ASSERT_LE(std::fabs(x.pos.y), kSideY + 1e-3f) << x.pos.x;
            ASSERT_TRUE(CameraInside(x.cameraPos, x.pos))
                << x.cameraPos.x << " " << x.cameraPos.y << " " << x.cameraPos.z << ", the player at " << x.pos.x
                << " " << x.pos.y;
        }
        EXPECT_NEAR(r.bHeld ? s.back().pos.x : west, kWestX, 1e-3f) << "against the west wall";
    }
    Drive(0, {{"into the south-west corner", {{-13, -13, 0, false}, {-1, -1, 90, true}}, kWestX, -kSideY},
              {"up the west wall to the garden wall",
               {{-14, -2, 0, false}, {-14.5f, 9, 0, false}, {-1, 1, 60, true}},
               kWestX,
               kGardenY},
              {"over the terrace into the garden's corner",
               {{4, 3, 0, false}, {4, 13.5f, 0, true}, {-4, 13.5f, 0, false}, {-13, 13.5f, 0, false}, {-1, 1, 60, true}},
               kWestX,
               kSideY}});
}

// The east gate left alone: the east wall south of the road.
TEST_F(gcSampleEdgesTest, ThePlayerStaysInsideTheFirstMapsSouthAndEastEnds)
{
    Drive(0, {SouthAndEastWalls({{kEastX - 0.2f, -6, 0, true}}, -6), kNorthEastCorner});
}

// Off the terrace's east end the player comes down onto the middle
// region's bank and off its front onto the verge (a strip behind a wall
// there held it for good); along the bank's front it is held by the
// terrace's east end (it walked into the terrace there, through the slit
// between the bank and the terrace's front); up the lane between the east
// region's shed and its platform, 3 m from the shed (the lane was 2 m
// wide), to the map's north wall and back to the road.
TEST_F(gcSampleEdgesTest, ThePlayerLeavesTheBankAndTheLaneByTheShed)
{
    Drive(0, {{"off the terrace's east end onto the bank, off it onto the verge",
               {{4, 4.5f, 0, false}, {4, 13, 0, true}, {24, 13.5f, 0, false}, {24, 8, 0, false}},
               24,
               8},
              {"west along the bank's front to the terrace's east end",
               {{24, 8, 0, false}, {24, 11.5f, 0, false}, {-1, 0, 90, false}},
               16 + kBipedRadius,
               11.5f},
              {"up the lane by the shed and back",
               {{14, -8, 0, false}, {71, -6, 0, false}, {71, 14, 0, false}, {71, 2, 0, false}},
               71,
               2}});
}

// The second map has the same regions without the gate or the updraft:
// the east wall closes the road.
TEST_F(gcSampleEdgesTest, ThePlayerStaysInsideTheSecondMapsWestEnd)
{
    Drive(1, {{"into the south-west corner and up the west wall to the garden wall",
               {{-13, -13, 0, false}, {-1, -1, 60, true}, {-14.3f, 9, 0, false}, {-1, 1, 60, true}},
               kWestX,
               kGardenY}});
}

TEST_F(gcSampleEdgesTest, ThePlayerStaysInsideTheSecondMapsSouthAndEastEnds)
{
    Drive(1, {SouthAndEastWalls({{kEastX - 0.2f, 6, 0, true}, {0.2f, 1, 60, true}}, kPlatformY), kNorthEastCorner});
}

// Casts a ray between two points of a region's frame once the region is
// resident: how far it reaches (its length when nothing stops it).
class RayInRegion : public gcAction {
public:
    RayInRegion(int nRegion, const mVec3& from, const mVec3& to) : m_nRegion(nRegion), m_from(from), m_to(to) {}
    void DoAction(const gcEventParams&) const override
    {
        const eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegion);
        if (m_bCast || !pZone)
            return;
        eColliderRay ray;
        ray.m_ray.origin.Xform(m_from, pZone->m_localToWorld);
        mVec3 to;
        to.Xform(m_to, pZone->m_localToWorld);
        ray.m_ray.dir = to - ray.m_ray.origin;
        ray.m_ray.length = ray.m_ray.dir.Normalize();
        ray.m_nCollisionMask = ~0u;
        ray.ClearHit();
        eZone::CollisionCullAll(ray);
        m_fReach = eZone::CollideAllRay(&ray) ? ray.m_rayHit.fDistance : ray.m_ray.length;
        m_bCast = true;
    }
    mutable bool m_bCast = false;
    mutable float m_fReach = 0.0f;

private:
    int m_nRegion;
    mVec3 m_from, m_to;
};

// What stands above the ground is closed beneath (a ray and the camera's
// sweep meet only the faces turned towards them: without a bottom face the
// camera and the flyer passed up into the eave, the gate's top and the
// roof's overhang), and the terrace, the eave and the bank are closed at
// the region's east edge, where nothing goes on from them. The flying
// map's house has no eave for a flyer to back in beneath, its gate no top.
TEST_F(gcSampleEdgesTest, BoxesAreClosedBeneathAndAtTheRegionsEdge)
{
    const struct {
        const char* name;
        int nMap, nRegion;
        mVec3 from, to;  // in the region's frame
        float fHitAt;    // from `from`
    } rows[] = {
        {"the house's eave", 0, 0, {0, 14.5f, 4}, {0, 14.5f, 7}, 1.0f},
        {"the gate's top", 0, 1, {-2.25f, 0, 1}, {-2.25f, 0, 5}, 2.0f},
        {"the shed roof's overhang", 0, 2, {4.25f, 12, 1}, {4.25f, 12, 4}, 1.0f},
        {"no eave over the flyer's house front", 2, 0, {0, 14.5f, 4}, {0, 14.5f, 7}, 3.0f},
        {"no top over the flyer's gate", 2, 1, {-2.25f, 0, 1}, {-2.25f, 0, 5}, 4.0f},
        {"the terrace's east end", 0, 0, {17, 11.5f, -2.5f}, {14, 11.5f, -2.5f}, 1.01f},
        {"the eave's east end", 0, 0, {16.5f, 14.5f, 5.25f}, {14, 14.5f, 5.25f}, 0.51f},
        {"the bank's east end", 0, 1, {16.5f, 13, -2}, {14, 13, -2}, 0.51f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        RayInRegion ray(r.nRegion, r.from, r.to);
        Play("", 10, r.nMap, &ray);
        ASSERT_TRUE(ray.m_bCast) << "the region never came";
        EXPECT_NEAR(ray.m_fReach, r.fHitAt, 5e-3f);  // as the stored vertices round it
    }
}

}  // namespace

namespace {

// What the player sees of itself each tick: where the camera stands in the
// map's frame, its pitch over the pivot above the player, how far down the
// view looks, and the player's box as the view shows it (its projected
// corners' bounds, clipped to the frame; zero when behind the camera).
class RecordView : public gcAction {
public:
    struct View {
        mVec3 camera, player;  // in the map's frame
        float pitchOver;       // degrees, the camera over the pivot
        float lookDown;        // degrees below level the view looks
        float size;            // the projected box's diagonal, pixels
        bool bCentreShown;     // the player's centre inside the frame
    };
    void DoAction(const gcEventParams&) const override
    {
        gcEntity* p = gcPlayer::Get()->m_pEntity;
        if (!p)
            return;
        const bool bFlyer = dcast<gcPlayerFlying>(p) != nullptr;
        const gcGameCamera* c = gcGameCamera::Get();
        View v{};
        v.player = p->m_model.m_localToParent.origin;
        v.player.x += 32.0f * static_cast<float>(p->m_nRegionId);
        v.camera = CameraInMap(p->m_nRegionId);
        mVec3 d = v.camera - (v.player + mVec3(0, 0, datagen::kSampleCameraHeight));
        d.Normalize();
        v.pitchOver = std::asin(std::clamp(d.z, -1.0f, 1.0f)) * 57.29578f;
        const mOCS& eye = c->m_camera.m_cameraToWorld;
        v.lookDown = -std::asin(std::clamp(eye.basis.forward.z, -1.0f, 1.0f)) * 57.29578f;
        float n = 0, f = 0, l = 0, r = 0, t = 0, b = 0;
        c->m_camera.m_frustum.GetPerspective(&n, &f, &l, &r, &t, &b);
        const float w = bFlyer ? 0.5f : 0.4f, h = bFlyer ? 0.5f : 0.9f;
        float x0 = 1e9f, x1 = -1e9f, y0 = 1e9f, y1 = -1e9f;
        const auto project = [&](const mVec3& at, float* px, float* py) {
            const mVec3 rel = at - v.camera;
            const float ahead = rel.Dot(eye.basis.forward);
            if (ahead <= n)
                return false;
            *px = 640.0f * (n * rel.Dot(eye.basis.right) / ahead - l) / (r - l);
            *py = 480.0f * (t - n * rel.Dot(eye.basis.up) / ahead) / (t - b);
            return true;
        };
        bool bAll = true;
        for (int k = 0; k < 8; ++k) {
            const mVec3 corner = v.player + mVec3(k & 1 ? w : -w, k & 2 ? w : -w, k & 4 ? h : -h);
            float x = 0, y = 0;
            bAll = project(corner, &x, &y) && bAll;
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
        float cx = 0, cy = 0;
        v.bCentreShown = project(v.player, &cx, &cy) && cx >= 0 && cx < 640 && cy >= 0 && cy < 480;
        const float dx = std::clamp(x1, 0.0f, 640.0f) - std::clamp(x0, 0.0f, 640.0f);
        const float dy = std::clamp(y1, 0.0f, 480.0f) - std::clamp(y0, 0.0f, 480.0f);
        v.size = bAll ? std::sqrt(dx * dx + dy * dy) : 0.0f;
        m_views.push_back(v);
    }
    // The largest change of the player's size on screen from one tick to
    // the next, as a ratio, from tick nFrom on.
    float LargestSizeStep(size_t nFrom = 1) const
    {
        float worst = 1.0f;
        for (size_t i = std::max<size_t>(nFrom, 1); i < m_views.size(); ++i) {
            const float a = m_views[i - 1].size, b = m_views[i].size;
            worst = std::max(worst, a > 0 && b > 0 ? std::max(a / b, b / a) : 1e9f);
        }
        return worst;
    }
    mutable std::vector<View> m_views;
};

// Each tick from nFrom on: the player shown, the view never steeper than
// 60 degrees down, the camera never beneath the player's middle (under a
// ceiling it may stand level with it, to within 5 cm), no cut (the
// player's size on screen changes by at most a fifth between ticks).
void ExpectSteadyView(const RecordView& view, size_t nFrom, const char* route)
{
    const std::vector<RecordView::View>& v = view.m_views;
    ASSERT_GT(v.size(), nFrom + 10);
    const float step = view.LargestSizeStep(nFrom);
    EXPECT_LE(step, 1.2f) << route;
    for (size_t i = nFrom; i < v.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(v[i].bCentreShown);
        ASSERT_LE(v[i].lookDown, 61.0f);
        ASSERT_GE(v[i].camera.z, v[i].player.z - 0.05f) << "from beneath";
        ASSERT_GE(v[i].lookDown, -6.0f) << "looking up";
    }
}

// New Game, then the stick held back (towards the camera) into the first
// map's west wall, then in the open: run east, turn north, let go so that
// the camera swings behind, then walk south towards it. The view never
// looks straight down, the camera stays inside the walls, its pitch over
// the pivot is eased back while the player walks at it (kept, it would
// climb to the cap), and a second after the walk it is back near the
// follow pitch.
TEST_F(gcSampleNewGameTest, WalkingTowardsTheCameraKeepsTheViewLevelAtAWallAndInTheOpen)
{
    const struct {
        const char* name;
        const char* input;
        uint32_t frames;
        size_t from;    // the first tick checked
        size_t walk;    // the first tick of the walk towards the camera
        float highest;  // from there the camera's pitch over the pivot stays below this (kept, it climbs to 60)
    } rows[] = {
        {"back into the west wall", "0 0 -\n20 0 - 0 -72\n140 0 A 0 -72\n146 0 - 0 -72\n340 0 -\n", 400, 0, 20, 45.0f},
        {"back towards the camera in the open", "0 0 -\n10 0 - 0 72\n70 0 - -72 0\n100 0 -\n160 0 - 0 -72\n260 0 -\n",
         300, 0, 160, 30.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        NewGame();
        RecordView view;
        Play(r.input, r.frames, 0, &view);
        ExpectSteadyView(view, r.from, r.name);
        for (const RecordView::View& x : view.m_views)
            ASSERT_TRUE(CameraInside(x.camera, x.player)) << x.camera.x << " " << x.camera.y;
        EXPECT_LT(view.m_views.back().pitchOver, 25.0f) << "eased back";
        float highest = -90.0f;
        for (size_t i = r.walk; i < view.m_views.size(); ++i)
            highest = std::max(highest, view.m_views[i].pitchOver);
        EXPECT_LT(highest, r.highest) << "walking at the camera tilts it up only so far";
    }
    EXPECT_EQ(Problems(), 0);
}

// New Game, run east, let go, then the stick held back: the player walks
// back west towards the camera and into the west wall. The camera never
// stands beyond the wall and never cuts in; likewise at the second map's
// west end. Nor does it cut in as the player goes west off the terrace
// down the garden's steps into the garden, in the steps' middle or
// jumping down them along the house's front and the garden's back wall.
TEST_F(gcSampleNewGameTest, WalkingBackToTheWestWallTheCameraNeverPassesItNorCutsIn)
{
    using Leg = WalkTheWay::Leg;
    const struct {
        const char* name;
        int nMap;
        std::vector<Leg> legs;  // none: the input below
        float west;             // as far west as the player comes
    } rows[] = {
        {"back to the west wall from afar", 0, {}, kWestX},
        {"second map, back to the west wall from afar", 1, {}, kWestX},
        {"down the garden's steps into the garden", 0,
         {{4.0f, 4.5f, false}, {4.0f, 13.5f, true}, {-0.5f, 13.0f, false}, {-10.0f, 13.0f, false}}, -9.5f},
        {"jumping down the garden's steps along the house and the back wall", 0,
         {{4.0f, 4.5f, false}, {4.0f, 13.5f, true}, {-0.3f, 12.6f, false}, {-0.3f, 14.5f, false}, {-10.0f, 14.5f, true}},
         -9.5f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        NewGame();
        RecordView view;
        WalkTheWay way(r.legs);
        way.pNextAction = &view;
        if (r.legs.empty())
            Play("0 0 -\n10 0 - 0 72\n100 0 -\n130 0 - 0 -72\n440 0 -\n", 460, r.nMap, &view);
        else
            Play("", 1200, r.nMap, &way);
        ExpectSteadyView(view, 0, r.name);
        float west = 0.0f;
        for (const RecordView::View& x : view.m_views) {
            ASSERT_TRUE(CameraInside(x.camera, x.player)) << x.camera.x << " " << x.camera.y;
            west = std::min(west, x.player.x);
        }
        EXPECT_LT(west, r.west + 0.5f) << "at the wall";
    }
    EXPECT_EQ(Problems(), 0);
}

// Records the player's view each tick; from a second after the player's
// health ran out it draws, and the run ends two ticks later: "You fell" is
// then fully shown.
class ViewTheFall : public RecordView {
public:
    void DoAction(const gcEventParams& params) const override
    {
        RecordView::DoAction(params);
        const gcEntity* p = gcPlayer::Get()->m_pEntity;
        if (m_nSince < 0 && p && p->GetStat(gcEntityTemplate::STAT_HEALTH) <= 0.0f)
            m_nSince = 0;
        if (m_nSince < 0)
            return;
        ++m_nSince;
        if (m_nSince == kShownTicks)
            GXTestSetDrawing(true);
        if (m_nSince == kShownTicks + 1)
            VISetFrameLimit(2);
    }
    static constexpr int kShownTicks = 35;  // past the fade in
    mutable int m_nSince = -1;
};

// Felled by the west guard, the player stays in view under "You fell":
// the message's letters (white) stand clear of the player's projected box,
// above it, and are tall enough to read at a glance.
TEST_F(gcSamplePlayerTest, YouFellStandsClearOfThePlayerLargeEnoughToRead)
{
    WithGuards();
    ViewTheFall view;
    Play("0 0 -\n60 0 - 0 72\n110 0 -\n", 2400, 0, &view);
    GXTestSetDrawing(false);
    ASSERT_GE(view.m_nSince, ViewTheFall::kShownTicks) << "felled";
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    ASSERT_EQ(width, 640);
    // The player's box, as RecordView projects it: its top on the screen.
    const RecordView::View& v = view.m_views.back();
    ASSERT_TRUE(v.bCentreShown);
    const gcGameCamera* pCamera = gcGameCamera::Get();
    const mOCS& eye = pCamera->m_camera.m_cameraToWorld;
    float n = 0, f = 0, l = 0, r = 0, t = 0, b = 0;
    pCamera->m_camera.m_frustum.GetPerspective(&n, &f, &l, &r, &t, &b);
    float top = 480.0f;
    for (int k = 0; k < 8; ++k) {
        const mVec3 rel = v.player + mVec3(k & 1 ? 0.4f : -0.4f, k & 2 ? 0.4f : -0.4f, k & 4 ? 0.9f : -0.9f) - v.camera;
        const float ahead = rel.Dot(eye.basis.forward);
        ASSERT_GT(ahead, n);
        top = std::min(top, 480.0f * (t - n * rel.Dot(eye.basis.up) / ahead) / (t - b));
    }
    // The letters (white) above it, across the middle of the screen.
    int x0 = width, x1 = -1, y0 = height, y1 = -1;
    for (int y = 0; y < static_cast<int>(top); ++y) {
        for (int x = width / 4; x < width * 3 / 4; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            if (p[0] > 225 && p[1] > 225 && p[2] > 225)
                x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    }
    ASSERT_GE(x1, 0) << "the message shows above the player";
    // "You fell" in the large font: some 90 pixels across, the letters'
    // white cores 20 high (in the subtitles' font, 55 and 12).
    EXPECT_GE(y1 - y0, 16) << "letters tall enough";
    EXPECT_GE(x1 - x0, 80) << "and wide";
    EXPECT_EQ(Problems(), 0);
}

// The player's box on screen, across (RecordView's size), in the garden:
// a tenth of the screen at the follow distance, some 180 pixels; the
// camera on the player's head fills the screen, some 800.
constexpr float kMostOfTheScreen = 520.0f;

// New Game, then into the walled garden and out again as a player would,
// each leg steered as seen from the camera: in through the gateway in its
// front wall to the back wall, along it into the west corner and out
// again onto the road; or down the steps from the terrace along the
// house's front, across the garden, and back east along the back wall and
// up the steps onto the terrace. Every leg is walked, the player stands in
// the garden on the way, and the camera has room behind it all along: the
// player never fills the screen.
TEST_F(gcSampleNewGameTest, ThePlayerWalksIntoTheGardenAndOutAgain)
{
    using Leg = WalkTheWay::Leg;
    const struct {
        const char* name;
        std::vector<Leg> legs;
    } rows[] = {
        {"through the gateway to the back wall and back to the road",
         {{-7.5f, 6.0f, false},
          {-7.5f, 14.5f, false},
          {-14.0f, 14.5f, false},
          {-14.0f, 11.5f, false},
          {-7.5f, 11.5f, false},
          {-7.5f, 1.0f, false}}},
        {"down the steps along the house, back up them along the back wall",
         {{4.0f, 4.5f, false},
          {4.0f, 12.5f, true},
          {0.0f, 14.5f, false},
          {-14.0f, 14.0f, false},
          {-14.0f, 11.5f, false},
          {-9.0f, 14.5f, false},
          {3.0f, 14.5f, true}}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        Samples().clear();
        NewGame();
        RecordView view;
        WalkTheWay way(r.legs);
        way.pNextAction = &view;
        Play("", 1500, 0, &way);
        EXPECT_EQ(way.m_nLeg, r.legs.size()) << "stopped short";
        const std::vector<Sample>& s = Samples();
        const size_t garden = FirstWhere(s, 0, [](const Sample& x) {
            return x.region == 0 && x.pos.x < -6.0f && x.pos.y > 11.0f && x.pos.y < 15.0f &&
                   std::fabs(x.pos.z - kStandZ) < 0.15f;
        });
        EXPECT_LT(garden, s.size()) << "in the garden";
        float most = 0.0f;
        for (const RecordView::View& x : view.m_views)
            most = std::max(most, x.size);
        EXPECT_LT(most, kMostOfTheScreen);
    }
    EXPECT_EQ(Problems(), 0);
}

// New Game, into the updraft; in the third map the flyer is flown back west
// into the wall, and (another time) climbs with the stick forward to the
// ceiling at the east wall and then circles up-left along the walls under
// it. The camera never stands beneath the flyer, never looks up at it, and
// never flips over it.
TEST_F(gcSampleNewGameTest, UnderTheCeilingTheCameraNeverGoesBeneathTheFlyer)
{
    NewGame();
    RunIntoTheUpdraft();
    ASSERT_EQ(gcGame::s_pGame->m_nMapToLoad, datagen::kSampleSkyMap);
    const struct {
        const char* name;
        const char* input;
        uint32_t frames;
    } rows[] = {
        {"back west", "0 0 -\n120 0 - 0 -72\n440 0 -\n", 460},
        {"up to the ceiling, then circling up-left along the walls under it", "0 0 -\n20 0 - 0 72\n900 0 - -60 60\n1400 0 -\n", 1420},
    };
    // The first tick records where the map's start put the camera; the
    // rig's first tick places it anew, a cut (the wall behind the flyer may
    // lift it): from the tick after that on, each tick is a step from the last.
    constexpr size_t kPlaced = 2;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        RecordView view;
        Play(r.input, r.frames, datagen::kSampleSkyMap, &view);
        ExpectSteadyView(view, kPlaced, r.name);
        // A flip over the flyer turns the view farther in a tick than the
        // 12 degrees a player calls a cut; the rig turns it less.
        for (size_t i = kPlaced; i < view.m_views.size(); ++i)
            ASSERT_LE(std::fabs(view.m_views[i].pitchOver - view.m_views[i - 1].pitchOver), 12.0f) << "a flip at " << i;
    }
    EXPECT_EQ(Problems(), 0);
}

}  // namespace

