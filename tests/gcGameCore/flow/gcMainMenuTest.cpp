// The main menu: its file and block versions, its loader thread, the sample
// game's menu, and the run from its start events to a requested map.
#include "gcGameCore/flow/gcMainMenu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "platform/vi.h"
#include "../test/pad_test.h"
#include "eEngine/eInput.h"
#include "datagen/flowWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/sampleCinematic.h"
#include "datagen/sampleHud.h"
#include "datagen/scriptWriters.h"
#include "datagen/slotLease.h"
#include "datagen/dialogWriters.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eVideoTestUtil.h"
#include "datagen/recordDamage.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMainMenuLoader.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gx/gxFront_local.h"

// On its n-th run requests act 1, map 1; on its m-th closes its dialog.
class mmTestMenuStep : public gcAction {
    QM_DECLARE_TYPE(mmTestMenuStep)
public:
    void DoAction(const gcEventParams&) const override
    {
        ++m_nRuns;
        if (m_nRuns == m_nRequestAt && gcGame::s_pGame)
            gcGame::s_pGame->SetNextMapToLoad(0, 0, 0);
        if (m_nRuns == m_nCloseAt)
            gcUI::CloseDialog(m_pDialog, nullptr, false);
    }
    mutable int m_nRuns = 0;
    int m_nRequestAt = 0;
    int m_nCloseAt = 0;
    gcUIDialog* m_pDialog = nullptr;
};
QM_DEFINE_TYPE(mmTestMenuStep, gcAction, 59)  // free in the real table

namespace {

class gcMainMenuTest : public gcFlowTest {
protected:
    void TearDown() override
    {
        if (gcMainMenu::s_pMainMenu)
            std::destroy_at(gcMainMenu::s_pMainMenu);
        gcFlowTest::TearDown();
    }
    void WriteMenu(uint32_t version, const std::vector<int32_t>& tracks)
    {
        datagen::BlockWriter w;
        ASSERT_TRUE(datagen::MainMenuBlock(w.Header(), version, tracks).Trailer().Save(GamePath("MainMenu.mnu")));
    }
};

TEST_F(gcMainMenuTest, ReadsEachVersionWithItsFieldsAndClipsTheTracks)
{
    const struct {
        uint32_t version;
        std::vector<int32_t> tracks;
        bool loads;
        int32_t want[2];
    } rows[] = {
        {0, {}, false, {-1, -1}},
        {1, {}, true, {-1, -1}},
        {2, {}, true, {-1, -1}},
        {3, {}, true, {-1, -1}},
        {4, {3, 5, 7}, true, {3, 5}},
        {5, {2}, true, {2, -1}},
        {5, {4, 6}, true, {4, 6}},
        {6, {4, 6}, false, {-1, -1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        WriteMenu(row.version, row.tracks);
        EXPECT_EQ(gcMainMenu::Load(), row.loads);
        gcMainMenu* p = gcMainMenu::s_pMainMenu;
        ASSERT_EQ(p != nullptr, row.loads);
        if (!p)
            continue;
        EXPECT_EQ(p->m_nMenuTracks[0], row.want[0]);
        EXPECT_EQ(p->m_nMenuTracks[1], row.want[1]);
        EXPECT_EQ(p->m_pSoundData, nullptr) << "no sound file: no sound data";
        std::destroy_at(p);
    }
}

// A menu whose dialog drops a button (its confirm event refused, so the
// control refuses its block) is damaged: the load fails as for a refused
// dialog, and no menu stays.
TEST_F(gcMainMenuTest, AMenuThatLosesAWidgetIsDamaged)
{
    cMemPool pool("gcMainMenuTest", 0x20000, false);
    datagen::GridDialogDesc desc;
    desc.rows = 1, desc.cols = 2;
    gcUIDialog* pDialog = datagen::NewGridDialog(&pool, desc);
    ASSERT_NE(pDialog, nullptr);
    gcUIControl* pControl = dcast<gcUIControl>(pDialog->m_widgetGroup.GetCellWidget(0, 1));
    ASSERT_NE(pControl, nullptr);
    datagen::AppendAction(pControl->onConfirm, pool.New<gcDoLog>());
    {
        datagen::SlotLease<gcUIDialogMgr, gcUIDialog> lease(100, 1);
        lease.Place(0, pDialog, 0x41);
        ASSERT_TRUE(datagen::WriteMainMenuFile(GamePath("MainMenu.mnu"), &pool, [](gcMainMenu& menu) {
            menu.m_UIDialogs.m_nBegin = 100;
            menu.m_UIDialogs.m_nEnd = 101;
            menu.m_UIDialogs.m_bDeleteContained = false;
        }));
    }
    std::destroy_at(pDialog);
    ASSERT_TRUE(gcMainMenu::Load()) << "whole, it loads";
    std::destroy_at(gcMainMenu::s_pMainMenu);

    // The control's confirm event is the file's first with an action.
    ASSERT_TRUE(datagen::BreakEventWithActions(GamePath("MainMenu.mnu")));
    gcTestLogCapture log;
    EXPECT_FALSE(gcMainMenu::Load());
    EXPECT_EQ(gcMainMenu::s_pMainMenu, nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/Game/MainMenu.mnu\": "), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
}

TEST_F(gcMainMenuTest, AVersionThreeMenuLoadsNoMusic)
{
    WriteMenu(3, {});
    ASSERT_TRUE(gcMainMenu::Load());
    EXPECT_TRUE(gcMainMenu::s_pMainMenu->LoadMusic());
    EXPECT_EQ(gcMainMenu::s_pMainMenu->m_nMenuTrackIndex[0], -1);
    EXPECT_EQ(gcMainMenu::s_pMainMenu->m_nMenuTrackIndex[1], -1);
}

TEST_F(gcMainMenuTest, LoaderReadsGameStateAndMenuAfreshOrLeavesNoMenu)
{
    gcTestLogCapture log;
    ASSERT_TRUE(datagen::WriteGameStateFile(GamePath("GameState.gs"), {}));
    EXPECT_FALSE(gcMainMenuLoader::Get()->Load());
    EXPECT_EQ(gcMainMenu::s_pMainMenu, nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cannot open \"/Game/MainMenu.mnu\""), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1) << "the file's one line";
    WriteMenu(5, {-1, -1});
    ASSERT_TRUE(gcMainMenuLoader::Get()->Load());
    gcMainMenu* pFirst = gcMainMenu::s_pMainMenu;
    ASSERT_NE(pFirst, nullptr);
    pFirst->m_nMenuTracks[0] = 9;  // changed in memory: the next load reads the file again
    ASSERT_TRUE(gcMainMenuLoader::Get()->Load());
    EXPECT_EQ(gcMainMenu::s_pMainMenu->m_nMenuTracks[0], -1);
}

TEST_F(gcMainMenuTest, SampleMenuHoldsItsDialogsCheckBoxAndStartEvent)
{
    ASSERT_TRUE(datagen::WriteSampleMainMenu(m_dir.HostPath("")));
    ASSERT_TRUE(gcMainMenu::Load());
    const gcMainMenu* p = gcMainMenu::s_pMainMenu;
    EXPECT_TRUE(p->onStarted.HasActions());
    ASSERT_NE(p->m_pSoundData, nullptr) << "the sound file is read";
    EXPECT_EQ(p->m_pSoundData->m_nBegin, gcMainMenu::kSoundBegin);
    const gcUIDialog* pMain = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(100));
    const gcUIDialog* pOptions = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(101));
    ASSERT_NE(pMain, nullptr);
    ASSERT_NE(pOptions, nullptr);
    EXPECT_STREQ(pMain->m_name.m_sData, "MainMenu");
    const char* kButtons[] = {"NewGame", "Continue", "Options"};
    for (int16_t r = 0; r < 3; ++r) {
        const gcUIWidget* pButton = pMain->m_widgetGroup.GetCellWidget(r, 0);
        ASSERT_NE(pButton, nullptr);
        EXPECT_STREQ(pButton->m_name.m_sData, kButtons[r]);
        EXPECT_TRUE(pButton->onConfirm.HasActions());
    }
    EXPECT_NE(dcast<gcUICheckBox>(pOptions->m_widgetGroup.GetCellWidget(0, 0)), nullptr);
    EXPECT_TRUE(pOptions->onBack.HasActions());
}

// The menu starts with its main dialog open and focused; options opens its
// dialog on top and backing out of it closes it again.
TEST_F(gcMainMenuTest, SampleMenuOpensItsDialogsThroughItsEvents)
{
    gcUI* pUI = gcUI::Get();
    ASSERT_EQ(pUI->m_nFocusedDialog, -1);
    ASSERT_TRUE(datagen::WriteSampleMainMenu(m_dir.HostPath("")));
    ASSERT_TRUE(gcMainMenu::Load());
    gcUIDialog* pMain = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(100));
    gcUIDialog* pOptions = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(101));
    ASSERT_NE(pMain, nullptr);
    ASSERT_NE(pOptions, nullptr);
    gcMainMenu::s_pMainMenu->onStarted.Apply(gcEventParams(), gcEventStackData());
    EXPECT_EQ(pUI->GetFocusedDialog(), pMain);
    pMain->m_widgetGroup.GetCellWidget(2, 0)->onConfirm.Apply(gcEventParams(), gcEventStackData());
    EXPECT_EQ(pUI->GetFocusedDialog(), pOptions);
    EXPECT_EQ(pUI->m_nFocusedDialog, 1);
    pOptions->onBack.Apply(gcEventParams(), gcEventStackData());
    EXPECT_EQ(pUI->GetFocusedDialog(), pMain);
    pUI->CloseAllDialogs(false);
}

// Every button of the sample's menu shows its label from the game's string
// table in the font, in another colour while focused.
TEST_F(gcMainMenuTest, SampleMenuLabelsResolve)
{
    ASSERT_TRUE(datagen::WriteSampleGameStrings(GamePath("GameStrings_eng.str")));
    ASSERT_TRUE(datagen::WriteSampleMainMenu(m_dir.HostPath("")));
    cMemPool pool{"gcMainMenuLabels", 0x10000, false};
    gcGame* pGame = pool.New<gcGame>();
    ASSERT_TRUE(pGame->LoadStringTable());
    ASSERT_TRUE(gcMainMenu::Load());
    gcUIDialog* pMain = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(100));
    gcUIDialog* pOptions = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(101));
    gcUIDialog* pNoSave = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(102));
    ASSERT_TRUE(pMain && pOptions && pNoSave);
    const struct {
        gcUIDialog* pDialog;
        int16_t row;
        const char* sLabel;
    } kRows[] = {{pMain, 0, "New Game"},   {pMain, 1, "Continue"}, {pMain, 2, "Options"},
                 {pOptions, 0, "[X] Subtitles"}, {pOptions, 1, "Back"},  {pNoSave, 0, "No saved game"}};
    for (const auto& row : kRows) {
        const auto* pControl = dcast<gcUIControl>(row.pDialog->m_widgetGroup.GetCellWidget(row.row, 0));
        ASSERT_NE(pControl, nullptr) << row.sLabel;
        EXPECT_STREQ(pControl->GetText(), row.sLabel);
        EXPECT_EQ(pControl->m_hFont.m_nValue, datagen::SampleFontHandle()) << row.sLabel;
        if (row.pDialog == pNoSave) {
            EXPECT_EQ(pControl->m_nTextColor, datagen::kSampleMessageText) << "a message: light on its dark box";
        } else {
            EXPECT_NE(pControl->m_nTextColor, pControl->m_nTextColorHi) << row.sLabel << ": focus shows";
        }
    }
    EXPECT_STREQ(gcStringMgr::GetPtr(gcStringHandle(datagen::SampleTextHandle(datagen::kTextSaved)))->m_sData, "Saved");
    std::destroy_at(pGame);
}

// The options' check box toggles on confirm and its label follows;
// Continue without a save opens the message beneath the main dialog, which
// keeps the focus.
TEST_F(gcMainMenuTest, SampleCheckBoxTogglesAndContinueWithoutASaveSaysSo)
{
    ASSERT_TRUE(datagen::WriteSampleMainMenu(m_dir.HostPath("")));
    ASSERT_TRUE(gcMainMenu::Load());
    gcUIDialog* pMain = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(100));
    gcUIDialog* pOptions = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(101));
    gcUIDialog* pNoSave = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(102));
    ASSERT_TRUE(pMain && pOptions && pNoSave);

    gcUI* pUI = gcUI::Get();
    gcMainMenu::s_pMainMenu->onStarted.Apply(gcEventParams(), gcEventStackData());
    auto* pBox = dcast<gcUICheckBox>(pOptions->m_widgetGroup.GetCellWidget(0, 0));
    ASSERT_NE(pBox, nullptr);
    for (datagen::SampleText label : {datagen::kTextSubtitlesOff, datagen::kTextSubtitlesOn}) {
        pBox->onConfirm.Apply(gcEventParams(), gcEventStackData());
        EXPECT_EQ(pBox->m_hText.m_nValue, datagen::SampleTextHandle(label));
        EXPECT_EQ(pBox->IsChecked(), label == datagen::kTextSubtitlesOn);
    }
    // Continue's last step, after the card found nothing to load (the card
    // operations themselves would leave the profile state to later tests).
    const gcAction* pLast = pMain->m_widgetGroup.GetCellWidget(1, 0)->onConfirm.pAction;
    while (pLast && pLast->pNextAction)
        pLast = pLast->pNextAction;
    ASSERT_NE(dcast<const gcDoEvaluation>(pLast), nullptr);
    pLast->DoAction(gcEventParams());
    EXPECT_EQ(pUI->GetFocusedDialog(), pMain) << "the menu stays";
    EXPECT_EQ(pUI->FindDialog(pNoSave), 0) << "the message opens beneath it";
    pUI->CloseAllDialogs(false);
}

// A controller that comes during the menu's update runs the platform's
// controller-changed event in that same update.
TEST_F(gcMainMenuTest, AControllerChangeRunsThePlatformEventInTheSameUpdate)
{
    WriteMenu(5, {-1, -1});
    ASSERT_TRUE(gcMainMenu::Load());
    cMemPool pool{"gcMainMenuTest", 0x10000, false};
    gcPlatformConfig* pPlatform = pool.New<gcPlatformConfig>();
    gcTestBuilder b{pool};
    FillEvent(pPlatform->onControllerChanged, b.Record(3));
    PADTestSetScripted(true);
    eInput::Initialize();
    gcPlayer::Get()->m_nControllerId = -1;
    const gcMsgTick tick(cTimeValue(20));
    gcMainMenu::s_pMainMenu->Update(tick);
    TestLog().clear();
    gcMainMenu::s_pMainMenu->Update(tick);
    EXPECT_TRUE(TestLog().empty()) << "no change, no event";
    PADTestSetStatus(0, PADTestIdleStatus());
    gcMainMenu::s_pMainMenu->Update(tick);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{3});
    PADTestSetScripted(false);
    std::destroy_at(pPlatform);
    TestLog().clear();
}

class gcMainMenuRunTest : public DrawingTest<gcMainMenuTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcMainMenuTest>::SetUp();
        if (IsSkipped())
            return;
        m_pGame = m_pool.New<gcGame>();
        m_pPlatform = m_pool.New<gcPlatformConfig>();
        WriteMenu(5, {-1, -1});
        ASSERT_TRUE(gcMainMenu::Load());
        gcTestBuilder b{m_pool};
        FillEvent(gcMainMenu::s_pMainMenu->onStarted, b.Record(1));
        FillEvent(m_pPlatform->onMainMenuStarted, b.Record(2));
        TestLog().clear();
    }
    void TearDown() override
    {
        gcUI* pUI = gcUI::Get();
        std::fill(std::begin(pUI->m_dialogStack), std::end(pUI->m_dialogStack), nullptr);
        pUI->m_nFocusedDialog = -1;
        VISetFrameLimit(0);
        if (m_pPlatform)
            std::destroy_at(m_pPlatform);
        if (m_pGame)
            std::destroy_at(m_pGame);
        TestLog().clear();
        DrawingTest<gcMainMenuTest>::TearDown();
    }

    cMemPool m_pool{"gcMainMenuRunTest", 0x40000, false};
    gcGame* m_pGame = nullptr;
    gcPlatformConfig* m_pPlatform = nullptr;
};

// The menu ends only with a map asked for and its dialogs closed, after
// one last cleared frame. One that leaves nothing to choose (its start
// events open no dialog, or its dialogs all close with no map asked for)
// has failed: an error naming its file. Step n is the dialog's n-th update:
// the first runs before the loop, so step n closing it is frame n - 1 of
// the loop, and a last frame follows.
TEST_F(gcMainMenuRunTest, EndsOnlyWithAMapAskedForAndFailsWithNothingToChoose)
{
    const char* kNoDialog = "gcMainMenu: \"/Game/MainMenu.mnu\": its start events opened no dialog; the main "
                            "menu cannot go on";
    const char* kAllClosed = "gcMainMenu: \"/Game/MainMenu.mnu\": its dialogs all closed with no map asked for; "
                             "the main menu cannot go on";
    const struct {
        const char* sName;
        bool bDialog;
        int nRequestAt, nCloseAt;  // 0: never
        bool bOk;
        uint64_t nFrames;
        const char* sError;  // null: none
    } rows[] = {
        {"no dialog", false, 0, 0, false, 0, kNoDialog},
        {"closed with a map asked for", true, 2, 6, true, 6, nullptr},
        {"a map asked for at the close", true, 6, 6, true, 6, nullptr},
        {"closed with no map", true, 0, 6, false, 6, kAllClosed},
        {"a map asked for after the close", true, 7, 6, false, 6, kAllClosed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        m_pGame->m_nActToLoad = m_pGame->m_nMapToLoad = m_pGame->m_nLoadingScreenToLoad = -1;
        mmTestMenuStep step;
        gcUIDialog* pDialog = m_pool.New<gcUIDialog>();
        step.m_nRequestAt = row.nRequestAt;
        step.m_nCloseAt = row.nCloseAt;
        step.m_pDialog = pDialog;
        FillEvent(pDialog->onUpdate, &step);
        if (row.bDialog)
            gcUI::OpenDialog(pDialog, nullptr, 0.0f);
        gcPlayer::Get()->m_nControllerId = 2;
        TestLog().clear();
        VISetFrameLimit(50);  // a menu that waits for nothing ends here
        gcTestLogCapture log;
        const uint64_t before = gxDisplayCopyCount();
        EXPECT_EQ(gcMainMenu::s_pMainMenu->Run(), row.bOk);
        EXPECT_EQ(gxDisplayCopyCount() - before, row.nFrames);
        EXPECT_FALSE(VIQuitRequested()) << "ended before the frame limit";
        VISetFrameLimit(0);
        EXPECT_EQ(gcUI::Get()->GetFocusedDialog(), nullptr);
        EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{1, 2})) << "the start events ran";
        EXPECT_EQ(gcPlayer::Get()->m_nControllerId, -1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), row.sError ? 1 : 0);
        if (row.sError) {
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, row.sError), 1);
        }
        if (row.nFrames > 0) {
            EXPECT_EQ(GXTestEfbPixel(320, 240).r, 0) << "left cleared";
        }
        pDialog->onUpdate.pAction = nullptr;
        std::destroy_at(pDialog);
    }
}

}  // namespace
