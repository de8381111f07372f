// The sample game as `make run` plays it: loaded by the map loader and run
// for a number of frames, it logs no error and no warning but the seams'
// notes, places what it holds, and draws its textured, lit world.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include <vector>

#include "platform/ar.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/gx_test.h"
#include "../test/os_test.h"
#include "../test/pad_test.h"
#include "datagen/datagen.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "tempDir.h"
#include "gcFlowTestSupport.h"
#include "eEngine/eFog.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/actions/gcDoDeviceAction.h"
#include "eEngine/eAudio.h"
#include "eEngine/eInput.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMusic.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "datagen/sampleCinematic.h"
#include "datagen/sampleFlying.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleProps.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/creatures/gcNPCTemplate.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "cCore/cMemPool.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcCinematic.h"

namespace {

constexpr uint32_t kFrames = 120;  // the neighbour is attached after 60

class gcSampleGameTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        // The music goes into audio memory, as when the program runs.
        static TempDir s_settings("qm_sample");
        if (!ARCheckInit()) {
            OSTestSetSettingsDir(s_settings.c_str());
            AITestSetManualFrames(TRUE);
            ASSERT_TRUE(eAudioPlatform::Initialize());
        }
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        ASSERT_TRUE(gcGame::LoadBackground());
    }
    void TearDown() override
    {
        VISetFrameLimit(0);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }
    int Problems() const { return m_log.Count(LOGTYPE_ERROR, "") + m_log.Count(LOGTYPE_WARNING, ""); }

    gcTestLogCapture m_log;
};

TEST_F(gcSampleGameTest, LoadsAndRunsWithoutAProblemLogged)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    EXPECT_NE(pMap->m_nMapTrackIndex[0], -1) << "the map's music";
    EXPECT_EQ(pMap->m_effects.m_nEnd - pMap->m_effects.m_nBegin, 2);  // the lantern, the updraft's motes
    EXPECT_EQ(pMap->m_regionPoints.m_nEnd - pMap->m_regionPoints.m_nBegin, 3);  // the view, the player's two
    ASSERT_NE(pMap->m_pRegionTriggers, nullptr);
    // Slots 5 to 13, then the updraft's in 60.
    EXPECT_EQ(pMap->m_pRegionTriggers->m_nBegin, 5);
    EXPECT_EQ(pMap->m_pRegionTriggers->m_nEnd, datagen::kSampleUpdraftTriggerSlot + 1);
    VISetFrameLimit(kFrames);
    pMap->Run();
    EXPECT_EQ(Problems(), 0);
    for (const auto& line : m_log.m_lines)
        EXPECT_NE(line.first, LOGTYPE_ERROR) << line.second;
}

// Four seconds in, night falls: fog on and the light dimmed. The east
// gate's OnEnter asks for the act's second map, which loads as cleanly.
TEST_F(gcSampleGameTest, NightFallsAndTheEastGateLeadsToTheNextMap)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    const mVec3 dusk = pMap->m_lightDiffuse;
    VISetFrameLimit(130);
    pMap->Run();
    EXPECT_TRUE(eFog::s_bEnabled);
    EXPECT_FLOAT_EQ(eFog::s_fFar, 60.0f);
    EXPECT_LT(pMap->m_lightDiffuse.x, dusk.x);
    const gcRegionTrigger* pGate = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(pMap->m_pRegionTriggers->m_nBegin + 1));
    ASSERT_NE(pGate, nullptr);
    EXPECT_EQ(pGate->m_nRegionId, 2) << "the last region";
    pMap->m_nFlags = 0;
    pGate->onEnter.Apply(gcEventParams(), gcEventStackData());
    EXPECT_NE(pMap->m_nFlags & gcMap::kFlagEndMap, 0);
    EXPECT_EQ(gcGame::s_pGame->m_nActToLoad, 0);
    EXPECT_EQ(gcGame::s_pGame->m_nMapToLoad, 1);
    std::destroy_at(gcAct::s_pAct);
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 1));
    VISetFrameLimit(10);
    gcMap::s_pMap->Run();
    EXPECT_EQ(Problems(), 0);
}

// Once the map's regions are attached and woken, the greeting's trigger is
// filed in the middle region's zone (not left frozen with a warning);
// walking into it plays the greeting, whose line puts its text in the
// game's voice-over control and opens that dialog without pausing the game.
// The cinematic ends with its line and the subtitle closes.
TEST_F(gcSampleGameTest, TheMiddleRoadTriggerPlaysTheGreetingWithItsSubtitle)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    pMap->UpdateRegions(true);
    pMap->SendToLoadedRegions(gcMsgUnfreeze(), false);
    gcRegionTrigger* pTrigger = gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(datagen::kGreetingTriggerSlot));
    ASSERT_NE(pTrigger, nullptr);
    EXPECT_EQ(pTrigger->m_nRegionId, 1) << "the middle region";
    EXPECT_EQ(pTrigger->m_nCurState, gcRegionTrigger::STATE_ENABLED);
    EXPECT_NE(pTrigger->m_volume.m_pZone, nullptr);
    const mVec3 box = pTrigger->m_volume.m_boxSize;
    EXPECT_FLOAT_EQ(pTrigger->m_volume.m_fRadius, 0.5f * std::sqrt(box.x * box.x + box.y * box.y + box.z * box.z))
        << "the bounding radius reaches the box's corners";
    EXPECT_EQ(gcCinematic::s_pCinematic, nullptr) << "nothing plays before the player gets there";

    pTrigger->onEnter.Apply(gcEventParams(), gcEventStackData());
    constexpr int kStep = cTimeValue::TICKS_PER_SECOND / 30;  // the map loop's
    const gcMsgTick tick{cTimeValue(kStep)};
    // The map's lead-in runs first.
    for (int f = 0; f <= gcMap::kLeadInFrames + 2 && !gcCinematic::s_pCinematic; ++f)
        pMap->Update(tick);
    const gcCinematic* pGreeting = gcCinematicMgr::GetPtr(gcCinematicMgr::GetHandle(datagen::kGreetingCinematicSlot));
    ASSERT_NE(pGreeting, nullptr);
    EXPECT_EQ(gcCinematic::s_pCinematic, pGreeting);
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(gcGame::s_pGame->m_voDesiredWidget.hDialog);
    ASSERT_NE(pDialog, nullptr);
    const auto* pControl = dcast<gcUIControl>(pDialog->GetControl(gcGame::s_pGame->m_voDesiredWidget.hControl));
    ASSERT_NE(pControl, nullptr);
    ASSERT_NE(pControl->GetText(), nullptr);
    EXPECT_STREQ(pControl->GetText(), datagen::kGreetingText);
    EXPECT_NE(gcUI::Get()->FindDialog(pDialog), -1) << "the subtitle is open";
    EXPECT_EQ(gcUI::Get()->GetPausingDialog(), nullptr);

    for (int t = 0; t < datagen::kGreetingLengthTicks / kStep + 2; ++t)
        pMap->Update(tick);
    EXPECT_EQ(gcCinematic::s_pCinematic, nullptr) << "ended with its line";
    EXPECT_EQ(gcUI::Get()->FindDialog(pDialog), -1) << "the subtitle closed";
    EXPECT_EQ(Problems(), 0);
    for (const auto& line : m_log.m_lines)
        EXPECT_EQ(line.first, LOGTYPE_INFO) << line.second;
}

// The map's loaded and woken, with a stand-in for the player: a friendly
// NPC (health 100, the chest's mesh as its collider box 0.6 x 0.35 x 0.7)
// placed in the middle region by the tests.
class gcSamplePropsTest : public gcSampleGameTest {
protected:
    static constexpr int kTemplateSlot = 49;

    void SetUp() override
    {
        gcSampleGameTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
        m_pMap = gcMap::s_pMap;
        ASSERT_NE(m_pMap, nullptr);
        // The middle region current: the west and east ones resident too.
        ASSERT_TRUE(m_pMap->LoadRegions(datagen::kPropsRegion));
        m_pTemplate = m_pool.New<gcNPCTemplate>();
        ASSERT_NE(m_pTemplate, nullptr);
        const gcEntity* pChest = Named("Chest");
        ASSERT_NE(pChest, nullptr);
        m_pTemplate->hMesh = pChest->m_model.m_hMesh;
        m_pTemplate->team = gcEntityTemplate::TEAM_FRIENDLY;
        gcEntityTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x49);
        // A player far from the props when the triggers wake, so that they
        // answer to it alone and not to the stand-ins.
        gcPlayer::Get()->m_pEntity = StandIn(-12.0f, -9.0f);
        ASSERT_NE(gcPlayer::Get()->m_pEntity, nullptr);
        m_pMap->UpdateRegions(true);
        m_pMap->SendToLoadedRegions(gcMsgUnfreeze(), false);
    }
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = nullptr;
        for (gcNPC* p : m_npcs)
            std::destroy_at(p);
        for (gcCreature*& p : gcCreature::s_pActiveCreatures)
            p = nullptr;
        gcCreature::s_nActiveCreatures = 0;
        if (m_pTemplate)
            gcEntityTemplateMgr::Remove(kTemplateSlot);  // destroys it
        gcSampleGameTest::TearDown();
    }
    // The map's entity of that name, or null.
    gcEntity* Named(const char* sName) const
    {
        for (int32_t slot = m_pMap->m_entities.m_nBegin; slot < m_pMap->m_entities.m_nEnd; ++slot) {
            gcEntity* p = gcEntityMgr::s_pInstances[slot];
            if (p && std::string(p->m_name.m_sData) == sName)
                return p;
        }
        return nullptr;
    }
    // An active stand-in on the ground of the middle region.
    gcNPC* StandIn(float x, float y)
    {
        auto* p = static_cast<gcNPC*>(m_pTemplate->CreateInstance(&m_pool));
        if (!p)
            return nullptr;
        m_npcs.push_back(p);
        p->m_nRegionId = datagen::kPropsRegion;
        p->m_model.m_localToParent.MakeIdentity();
        p->m_model.m_localToParent.origin.Set(x, y, -3.0f);
        p->Reset(&m_pool);
        p->Send(gcMsgUnfreeze());
        p->Send(gcMsgActivate());
        return p;
    }
    gcRegionTrigger* Trigger(int slot) const
    {
        return gcRegionTriggerMgr::GetPtr(gcRegionTriggerMgr::GetHandle(slot));
    }

    cMemPool m_pool{"sample props test", 0x20000, false};
    gcMap* m_pMap = nullptr;
    gcNPCTemplate* m_pTemplate = nullptr;
    std::vector<gcNPC*> m_npcs;
};

// The lever's completed pull throws the spark from the handle's tip (the
// helper node), not from the lever's foot.
TEST_F(gcSamplePropsTest, TheLeversPullThrowsASparkFromTheHandlesTip)
{
    gcEntity* pLever = Named("ShedLever");
    ASSERT_NE(pLever, nullptr);
    gcDoDeviceAction(gcDoDeviceAction::DA_IDLE_1, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR))
        .DoAction(gcEventParams(pLever, nullptr, nullptr, nullptr, nullptr));
    cName tipName;
    tipName.Set("%s", datagen::kLeverSparkNode);
    const int nTip = pLever->m_model.GetSubObjectIndex(tipName, 0, false);
    ASSERT_GT(nTip, 0) << "the lever's mesh names its helper";
    const gcEffectTemplate* pSpark =
        gcEffectTemplateMgr::GetPtr(gcEffectTemplateMgr::GetHandle(datagen::kSparkTemplateSlot));
    ASSERT_NE(pSpark, nullptr);
    ASSERT_GT(pSpark->GetMaxInstances(), 0);
    const gcEffect* pThrown = nullptr;
    const gcMsgTick tick{cTimeValue(20)};
    for (int f = 0; f < 30 && !pThrown; ++f) {
        m_pMap->SendToLoadedRegions(tick, true);
        for (int i = 0; i < pSpark->GetMaxInstances(); ++i) {
            const gcEffect* p = pSpark->GetInstanceAt(i);
            if (p && p->IsRunning() && p->m_pSpawnEntity == pLever)
                pThrown = p;
        }
    }
    ASSERT_NE(pThrown, nullptr) << "no spark from the lever";
    EXPECT_EQ(pThrown->m_nSpawnNodeIndex, nTip);
    EXPECT_EQ(pThrown->m_nRegionId, pLever->m_nRegionId);
    // The lever has moved on since; the tip keeps its distance from the
    // handle's pivot (the node above the post) and lies above it.
    pLever->m_model.UpdateLocalToZone();
    const mVec3 pivot = pLever->m_model.GetSubObjectToZone(1)->origin;
    const mVec3 at = pThrown->m_model.m_localToParent.origin;
    const mVec3 d(at.x - pivot.x, at.y - pivot.y, at.z - pivot.z);
    EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 0.7f, 1e-3f) << "the handle's length from its pivot";
    EXPECT_NEAR(d.x, 0.0f, 1e-3f) << "the handle turns about x";
    EXPECT_GT(d.z, 0.5f) << "above the pivot";
    EXPECT_EQ(Problems(), 0);
}

// Walking up to the chest gives one brass key; the key is the only one,
// so a second visit gives nothing more.
TEST_F(gcSamplePropsTest, TheChestGivesOneKey)
{
    const gcRegionTrigger* pChest = Trigger(datagen::kChestTriggerSlot);
    ASSERT_NE(pChest, nullptr);
    EXPECT_EQ(pChest->m_nRegionId, datagen::kPropsRegion);
    const gcItemTemplateHandle hKey = gcItemTemplateMgr::GetHandle(datagen::kKeyTemplateSlot);
    ASSERT_NE(gcItemTemplateMgr::GetPtr(hKey), nullptr);
    ASSERT_NE(Named("Chest"), nullptr);
    EXPECT_TRUE(Named("Chest")->IsActive()) << "standing in the world";
    // Applied by hand: placed in the trigger the stand-in (not the player)
    // would set it off only while the game has no player.
    gcNPC* pVisitor = StandIn(4.0f, -6.0f);
    ASSERT_NE(pVisitor, nullptr);
    ASSERT_EQ(pVisitor->HasItem(hKey, true), nullptr);
    for (int visit = 1; visit <= 2; ++visit) {
        pChest->onEnter.Apply(gcEventParams(pVisitor, nullptr, nullptr, nullptr, nullptr), gcEventStackData());
        EXPECT_EQ(pVisitor->GetItemCount(hKey, true, true, ~0u, nullptr), 1) << "visit " << visit;
    }
    EXPECT_EQ(Problems(), 0);
}

// The spike trap hurts what its sphere around the plate touches: the
// stand-in's box (half extents 0.6 x 0.35) reaches the 1.5 m sphere from
// 1.8 m off the plate's centre across the road and 2.05 m along it, not
// from 1.9 m and 2.2 m. The plate itself is not hurt.
TEST_F(gcSamplePropsTest, TheTrapHurtsWhatStandsOnIt)
{
    const gcRegionTrigger* pTrap = Trigger(datagen::kTrapTriggerSlot);
    ASSERT_NE(pTrap, nullptr);
    EXPECT_EQ(pTrap->m_nRegionId, datagen::kPropsRegion);
    gcEntity* pPlate = Named("SpikePlate");
    ASSERT_NE(pPlate, nullptr);
    EXPECT_TRUE(pPlate->IsActive()) << "standing in the world";
    const float fPlateHealth = pPlate->GetStat(gcEntityTemplate::STAT_HEALTH);
    const struct {
        float dx, dy;
        float fLost;
    } kRows[] = {
        {0.0f, 0.0f, datagen::kTrapDamage},  {0.0f, 1.8f, datagen::kTrapDamage}, {0.0f, -1.8f, datagen::kTrapDamage},
        {2.05f, 0.0f, datagen::kTrapDamage}, {0.0f, 1.9f, 0.0f},                  {2.2f, 0.0f, 0.0f},
        {0.0f, 6.0f, 0.0f},
    };
    for (const auto& r : kRows) {
        SCOPED_TRACE(testing::Message() << r.dx << ", " << r.dy);
        gcNPC* pStander = StandIn(datagen::kTrapX + r.dx, datagen::kTrapY + r.dy);
        ASSERT_NE(pStander, nullptr);
        gcPlayer::Get()->m_pEntity = pStander;
        const float fBefore = pStander->GetStat(gcEntityTemplate::STAT_HEALTH);
        EXPECT_FLOAT_EQ(fBefore, 100.0f);
        pTrap->onEnter.Apply(gcEventParams(pStander, nullptr, nullptr, nullptr, nullptr), gcEventStackData());
        EXPECT_FLOAT_EQ(fBefore - pStander->GetStat(gcEntityTemplate::STAT_HEALTH), r.fLost);
        gcPlayer::Get()->m_pEntity = nullptr;
    }
    EXPECT_FLOAT_EQ(pPlate->GetStat(gcEntityTemplate::STAT_HEALTH), fPlateHealth);
    EXPECT_EQ(Problems(), 0);
}

// The sample's writers refuse what they cannot write whole: a texture cache
// that runs into the subtitle font's slot, files that cannot be created.
TEST(gcSampleGreetingWriters, RefuseWhatTheyCannotWriteWhole)
{
    gcTestLogCapture log;
    TempDir dir("qm_greeting_writers");
    const std::vector<datagen::TextureConfigRecord> cache(100);
    const std::string missing = dir.Path() + "/no/such/dir/";
    EXPECT_FALSE(datagen::WriteSampleSubtitleConfig(dir.Path() + "/GameConfig.gc", 346, cache)) << "346 + 100 > 440";
    EXPECT_TRUE(datagen::WriteSampleSubtitleConfig(dir.Path() + "/GameConfig.gc", 340, cache)) << "340 + 100 = 440";
    cName name;
    gcGame::CreateAct(0, name);
    gcAct::s_pAct->CreateMap(0, name);
    gcMap& map = *gcMap::s_pMap;
    EXPECT_FALSE(datagen::WriteSampleGreetingLine(map, missing + "Map01_eng.vo", dir.Path() + "/Strings.str"));
    EXPECT_FALSE(datagen::WriteSampleGreetingLine(map, dir.Path() + "/Map01_eng.vo", missing + "Strings.str"));
    std::destroy_at(gcAct::s_pAct);
    gcGame::Unload();
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "subtitle font"), 1);
}

// The camera and the west region's frame as the map's last frame is drawn
// with them (the frame observer runs after each frame's update).
struct DrawnView {
    bool bValid = false;
    mOCS eye, west;
    float n = 0, l = 0, r = 0, t = 0, b = 0;
};
DrawnView s_drawn;

void RecordDrawnView(int)
{
    const eZone* pWest = gcEntityWorld::GetRegionZone(0);
    s_drawn.bValid = pWest != nullptr;
    if (!pWest)
        return;
    const eCamera& camera = gcGameCamera::Get()->m_camera;
    float f = 0;
    camera.m_frustum.GetPerspective(&s_drawn.n, &f, &s_drawn.l, &s_drawn.r, &s_drawn.t, &s_drawn.b);
    s_drawn.eye = camera.m_cameraToWorld;
    s_drawn.west = pWest->m_localToWorld;
}

// Where a point of the west region (in its frame) lies in that picture;
// false when it lies off it.
bool SpotInPicture(const mVec3& local, int* pX, int* pY)
{
    const DrawnView& v = s_drawn;
    mVec3 at;
    at.Xform(local, v.west);
    const mVec3 d = at - v.eye.origin;
    const float ahead = d.Dot(v.eye.basis.forward);
    if (!v.bValid || ahead <= v.n)
        return false;
    *pX = static_cast<int>(640.0f * (v.n * d.Dot(v.eye.basis.right) / ahead - v.l) / (v.r - v.l));
    *pY = static_cast<int>(480.0f * (v.t - v.n * d.Dot(v.eye.basis.up) / ahead) / (v.t - v.b));
    return *pX >= 0 && *pX < 640 && *pY >= 0 && *pY < 480;
}

// From behind the player at the west end of the road, looking east, at the
// map's start: where the camera shows them, the brick pillar on the north
// verge west of the garden's gateway (its west face), the grass verge south
// of the road, the flagstones ahead and the player's red cloak; none of
// them the white of a texture that did not fit its slot, nor black.
TEST_F(gcSampleGameTest, DrawsTheTexturedLitWorld)
{
    ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, 0));
    VISetFrameLimit(2);
    const gcMap::FrameObserver old = gcMap::SetFrameObserver(RecordDrawnView);
    gcMap::s_pMap->Run();
    gcMap::SetFrameObserver(old);
    VIWaitForRetrace();
    std::vector<uint8_t> rgba;
    int width = 0, height = 0;
    ASSERT_TRUE(GXTestReadPresented(&rgba, &width, &height));
    ASSERT_EQ(width, 640);
    const struct {
        const char* name;
        mVec3 at;      // in the west region's frame
        int dominant;  // 0 red, 1 green, 2 grey
    } kSpots[] = {
        {"the pillar's brick", {-8.1f, 4.0f, -2.7f}, 0},
        {"the verge's grass", {-6.0f, -4.5f, -3.1f}, 1},
        {"the flagstones", {-8.0f, -1.5f, -3.0f}, 2},
        {"the player's cloak", {datagen::kSamplePlayerStartX, 0.0f, -2.1f}, 0},
    };
    for (const auto& s : kSpots) {
        SCOPED_TRACE(s.name);
        int x = 0, y = 0;
        ASSERT_TRUE(SpotInPicture(s.at, &x, &y)) << "in the picture: " << x << ", " << y;
        SCOPED_TRACE(testing::Message() << x << ", " << y);
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        const struct {
            int r, g, b;
        } c = {p[0], p[1], p[2]};
        EXPECT_GT(c.r + c.g + c.b, 60) << "lit";
        EXPECT_LT(c.r + c.g + c.b, 3 * 235) << "not the white of a missing texture";
        if (s.dominant == 0)
            EXPECT_GT(c.r, c.g + 30);
        else if (s.dominant == 1)
            EXPECT_GT(c.g, c.r + 30);
        else
            EXPECT_LT(std::abs(c.r - c.b), 60);
    }
    EXPECT_EQ(Problems(), 0);
}

// The main menu as a player meets it: every button's label drawn dark on
// its box, the focused one in red; Down moves the red to the next button.
TEST_F(gcSampleGameTest, TheMenuDrawsItsLabelsAndDownMovesTheFocus)
{
    ASSERT_TRUE(gcMainMenu::Load());
    gcMainMenu* pMenu = gcMainMenu::s_pMainMenu;
    ASSERT_NE(pMenu, nullptr);
    pMenu->onStarted.Apply(gcEventParams(), gcEventStackData());
    PADTestSetScripted(true);
    PADStatus idle = PADTestIdleStatus();
    PADStatus down = idle;
    down.button = PAD_BUTTON_DOWN;
    const gcMsgTick tick{cTimeValue(cTimeValue::TICKS_PER_SECOND / 30)};
    struct Counts {
        int red[3], dark[3];
    };
    // Red and dark pixels inside each of the three buttons (boxes of 200 x
    // 40 from y 140, 80 apart, centred).
    auto frame = [&](const PADStatus& status) {
        PADTestSetStatus(0, status);
        pMenu->Update(tick);
        pMenu->Draw();
        eVideo::Flip();
        VIWaitForRetrace();
        std::vector<uint8_t> rgba;
        int width = 0, height = 0;
        Counts c{};
        if (!GXTestReadPresented(&rgba, &width, &height) || width != 640)
            return c;
        for (int b = 0; b < 3; ++b)
            for (int y = 145 + 80 * b; y < 175 + 80 * b; ++y)
                for (int x = 225; x < 415; ++x) {
                    const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
                    c.red[b] += p[0] > 150 && p[1] < 90 && p[2] < 90;
                    c.dark[b] += p[0] < 90 && p[1] < 90 && p[2] < 90;
                }
        return c;
    };
    frame(idle);
    const Counts before = frame(idle);
    frame(down);
    frame(idle);
    const Counts after = frame(idle);
    // As the menu's run ends: nothing of it is left for the next test.
    PADTestSetScripted(false);
    eInput::Reset();
    gcUI::Get()->CloseAllDialogs(false);
    gcMusic::StopAllMusic();
    for (eAudio::eAudioChannelGroup group : {eAudio::ACG_UI, eAudio::ACG_BGM, eAudio::ACG_VO, eAudio::ACG_SFX})
        eAudio::FreeGroup(group);
    std::destroy_at(pMenu);
    const struct {
        const Counts& c;
        int nFocused;
    } kFrames[] = {{before, 0}, {after, 1}};
    for (const auto& f : kFrames)
        for (int b = 0; b < 3; ++b) {
            SCOPED_TRACE(testing::Message() << "focus on " << f.nFocused << ", button " << b);
            EXPECT_GT(f.c.red[b] + f.c.dark[b], 40) << "a label is drawn";
            if (b == f.nFocused)
                EXPECT_GT(f.c.red[b], 40);
            else
                EXPECT_EQ(f.c.red[b], 0);
        }
    EXPECT_EQ(Problems(), 0);
}

}  // namespace
