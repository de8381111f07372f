#include "datagen/menuWriters.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cWriteBlock.h"
#include "datagen/actionWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/interfaceWriters.h"
#include "datagen/poolBuilder.h"
#include "datagen/sampleCinematic.h"
#include "datagen/samplePlayer.h"
#include "datagen/scriptWriters.h"
#include "datagen/sampleSave.h"
#include "datagen/slotLease.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoPlayMusic.h"
#include "gcGameCore/actions/gcDoPlaySound.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/actions/gcDoUISetText.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/values/gcValNumber.h"
#include "gcGameCore/values/gcValUIChecked.h"

namespace datagen {

namespace {

constexpr uint32_t kSurplus = 0x99;     // entries past the slots the reader keeps
constexpr uint32_t kDroppedWord = 0x77;  // the words old item controls carry

BlockWriter& EmptyEvent(BlockWriter& w)
{
    return w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
}

}  // namespace

bool WriteCheckBoxFile(const std::string& path, const gcUICheckBox& box)
{
    return WriteObjectFile(path, box);
}

BlockWriter& CheckBoxBlock(BlockWriter& w, const gcUICheckBox& box, uint32_t version, int32_t nSprites)
{
    w.Begin(version);
    ControlBlock(w, box, gcUIControl::kVersion, gcUIWidget::kVersion);
    if (version >= 4) {
        EmptyEvent(w);
        EmptyEvent(w);
        w.Int(nSprites);
        for (int i = 0; i < nSprites; ++i)
            w.Word(i < gcUICheckBox::MAX_CHECKEDSPRITES ? box.m_hCheckedSprites[i].m_nValue : kSurplus);
    }
    return w.End();
}

bool WriteItemControlFile(const std::string& path, const gcUIItemControl& control)
{
    return WriteObjectFile(path, control);
}

BlockWriter& ItemControlBlock(BlockWriter& w, const gcUIItemControl& control, uint32_t version)
{
    w.Begin(version);
    ControlBlock(w, control, gcUIControl::kVersion, gcUIWidget::kVersion);
    if (version == 1)
        w.Word(kDroppedWord);
    w.Int(control.desiredEntity.desiredEntity).Word(control.desiredEntity.hSpecificEntity.m_nValue);
    w.Word(control.hItemTemplate.m_nValue);
    if (version == 3)
        w.Word(kDroppedWord);
    if (version >= 5)
        for (float f : control.itemPadding)
            w.Float(f);
    return w.End();
}

bool WriteItemListFile(const std::string& path, const gcUIItemList& list)
{
    return WriteObjectFile(path, list);
}

bool WriteMainMenuFile(const std::string& path, cMemPool* pPool, const std::function<void(gcMainMenu&)>& fill)
{
    return WriteResidentBody<gcMainMenu>(path, pPool, gcMainMenu::s_pMainMenu, [&](gcMainMenu& menu) {
        EmptyRanges(menu.m_textures, menu.m_materials, menu.m_fonts, menu.m_sprites, menu.m_UIDialogs,
                    menu.m_functions);
        if (fill)
            fill(menu);
    });
}

BlockWriter& MainMenuBlock(BlockWriter& w, uint32_t version, const std::vector<int32_t>& tracks)
{
    w.Begin(version).Begin(1).End();
    EmptyGroupBlock(w, 150);
    EmptyGroupBlock(w, 300);
    if (version >= 2)
        EmptyGroupBlock(w, 4);
    if (version >= 3)
        EmptyGroupBlock(w, 200);
    EmptyGroupBlock(w, 100);
    if (version >= 5)
        EmptyGroupBlock(w, 400);
    EmptyEventBlock(w);
    if (version >= 4) {
        w.Int(static_cast<int32_t>(tracks.size()));
        for (int32_t t : tracks)
            w.Int(t);
    }
    return w.End();
}

namespace {

constexpr uint32_t kOpenAndFocus = 0x11;
constexpr int kMenuDialogsBegin = 100;
constexpr uint16_t kMainCheck = 0x0A01;
constexpr uint16_t kOptionsCheck = 0x0A02;
constexpr uint16_t kNoSaveCheck = 0x0A04;
constexpr int kMenuDialogs = 3;
// Below the buttons (the last one's bottom 100 under the middle), a button's
// height apart from them.
constexpr float kMessageOffsetY = -210.0f;
constexpr uint32_t kSampleButtonText = 0xFF202020;         // 0xAARRGGBB: near black
constexpr uint32_t kSampleButtonTextFocused = 0xFFC01010;  // red
constexpr int kMenuSpritesBegin = 200;  // the menu's sprite range begins here
constexpr uint16_t kButtonSpriteCheck = 0x0A03;
constexpr uint16_t kMessageSpriteCheck = 0x0A05;
constexpr int kMenuSprites = 2;  // the buttons', the message's

uint32_t DialogHandle(uint16_t check, int slot)
{
    return (static_cast<uint32_t>(check) << 16) | static_cast<uint32_t>(slot);
}

// Show-dialog without a transition: opens (kOpenAndFocus), closes (0) or
// closes every dialog (0x20).
gcAction* ShowDialog(cMemPool* pPool, uint32_t hDialog, uint32_t nFlags)
{
    gcDoUIShowDialog* p = pPool->New<gcDoUIShowDialog>(gcUIDialogHandle(hDialog), nFlags);
    if (p)
        p->transitionTime.fConst = 0.0f;
    return p;
}

// The menu's sound, not placed in the world (the interface's channels).
gcAction* PlayMenuSound(cMemPool* pPool, SampleSound sound)
{
    gcDoPlaySound* p = pPool->New<gcDoPlaySound>();
    if (p)
        p->hSoundData = eSoundDataHandle(SampleSoundHandle(sound));
    return p;
}

// A blip as the focus comes to the widget, two notes as it is confirmed
// (before what the confirm does).
void AddMenuSounds(gcUIWidget* pWidget, cMemPool* pPool)
{
    gcAction* pChoose = PlayMenuSound(pPool, kSoundMenuChoose);
    if (pChoose) {
        pChoose->pNextAction = pWidget->onConfirm.pAction;
        pWidget->onConfirm.pAction = pChoose;
    }
    gcAction* pMove = PlayMenuSound(pPool, kSoundMenuMove);
    if (pMove) {
        pMove->pNextAction = pWidget->onFocused.pAction;
        pWidget->onFocused.pAction = pMove;
    }
}

void SetActions(gcEvent& event, std::initializer_list<gcAction*> actions)
{
    gcAction** ppLink = &event.pAction;
    for (gcAction* p : actions) {
        if (!p)
            continue;  // the pool is full: the writer's pool size is the fault
        *ppLink = p;
        ppLink = &p->pNextAction;
    }
}

// Confirming the box toggles it; checking and unchecking set its label.
bool FillCheckBoxToggle(gcUICheckBox& box, const gcDesiredWidget& self, cMemPool* pPool)
{
    PoolBuilder b(pPool);
    auto set = [&](float f) {
        return b.Took(NewSetValue(pPool, gcDoSetValue::OP_ASSIGN, b.New<gcValUIChecked>(self), b.New<gcValNumber>(f)));
    };
    gcAction* pToggle = b.Took(NewEvaluation(pPool, b.New<gcValUIChecked>(self), {set(0.0f)}, {set(1.0f)}));
    SetActions(box.onConfirm, {pToggle});
    SetActions(box.onChecked, {b.New<gcDoUISetText>(self, gcStringHandle(SampleTextHandle(kTextSubtitlesOn)))});
    SetActions(box.onUnchecked, {b.New<gcDoUISetText>(self, gcStringHandle(SampleTextHandle(kTextSubtitlesOff)))});
    if (b.Full())
        cLogError_("datagen: no room for the options' check box");
    return !b.Full();
}

}  // namespace

uint32_t SampleTextHandle(SampleText text)
{
    return SampleMapHandle(kSampleTextsBegin + text);
}

bool PlaceSampleTexts(cMemPool* pPool, SlotLease<gcStringMgr, gcString>& lease)
{
    for (int i = 0; i < kSampleTextCount; ++i) {
        gcString* pString = NewString(pPool, kSampleTexts[i], kSampleTexts[i]);
        if (!pString)
            return false;
        lease.Place(i, pString, static_cast<uint16_t>(SampleTextHandle(static_cast<SampleText>(i)) >> 16));
    }
    return true;
}

GridDialogDesc SampleButtonGrid(const char* name, int rows, uint32_t hSprite)
{
    GridDialogDesc d;
    d.name = name;
    d.rows = rows;
    d.cols = 1;
    d.cellSize[0] = 200.0f;
    d.cellSize[1] = 40.0f;
    d.hFont = SampleFontHandle();
    d.textColor = kSampleButtonText;
    d.textColorHi = kSampleButtonTextFocused;
    d.hEnabledSprite = d.hFocusedSprite = hSprite;
    return d;
}

bool WriteSampleMainMenu(const std::string& dir)
{
    cMemPool pool("datagen MainMenu", 0x40000, false);
    // One untextured sprite for every button: it draws as a plain box.
    eSprite* pButtonSprite = pool.New<eSprite>();
    if (!pButtonSprite)
        return false;
    pButtonSprite->m_name.Set("Button");
    pButtonSprite->m_hMaterial = eMaterialHandle(SampleBoxMaterialHandle());
    // "No saved game" fades out: its dark box with its light label.
    eSprite* pMessageSprite = pool.New<eSprite>();
    if (!pMessageSprite)
        return false;
    pMessageSprite->m_name.Set("Message");
    pMessageSprite->m_hMaterial = eMaterialHandle(SampleMessageBoxMaterialHandle());
    const uint32_t hButtonSprite = DialogHandle(kButtonSpriteCheck, kMenuSpritesBegin);
    const uint32_t hMain = DialogHandle(kMainCheck, kMenuDialogsBegin);
    const uint32_t hOptions = DialogHandle(kOptionsCheck, kMenuDialogsBegin + 1);
    const uint32_t hNoSave = DialogHandle(kNoSaveCheck, kMenuDialogsBegin + 2);
    GridDialogDesc main = SampleButtonGrid("MainMenu", 3, hButtonSprite);
    main.texts = {SampleTextHandle(kTextNewGame), SampleTextHandle(kTextContinue), SampleTextHandle(kTextOptions)};
    GridDialogDesc options = SampleButtonGrid("Options", 2, hButtonSprite);
    options.texts = {0, SampleTextHandle(kTextBack)};
    options.flags |= gcUIDialog::kCoversBelow;  // the main menu's buttons are not drawn beneath
    GridDialogDesc message = SampleButtonGrid("NoSave", 1, DialogHandle(kMessageSpriteCheck, kMenuSpritesBegin + 1));
    message.hText = SampleTextHandle(kTextNoSave);
    message.textColor = message.textColorHi = kSampleMessageText;
    gcUIDialog* pMain = NewGridDialog(&pool, main);
    gcUIDialog* pOptions = NewGridDialog(&pool, options);
    gcUIDialog* pNoSave = NewMessageDialog(&pool, message, hNoSave, kSampleMessageSeconds);
    if (!pMain || !pOptions || !pNoSave)
        return false;
    pNoSave->m_offset = mVec2(0.0f, kMessageOffsetY);  // below the buttons
    const char* kButtons[] = {"NewGame", "Continue", "Options"};
    for (int16_t r = 0; r < 3; ++r) {
        gcUIWidget* pButton = pMain->m_widgetGroup.GetCellWidget(r, 0);
        pButton->m_name.Set("%s", kButtons[r]);
        if (r == 0 && !FillSampleNewGame(pButton->onConfirm, &pool))
            return false;
        if (r == 1 && !FillSampleContinue(pButton->onConfirm, &pool, hNoSave))
            return false;
        if (r == 2)
            SetActions(pButton->onConfirm, {ShowDialog(&pool, hOptions, kOpenAndFocus)});
    }
    // The options dialog's first cell holds the check box instead of a button.
    gcUIWidgetGroup& root = pOptions->m_widgetGroup;
    gcUIWidget* pCell = root.GetCellWidget(0, 0);
    root.RemoveCellWidget(gcUICell{0, 0}, pCell);
    pOptions->DestroyControl(pCell->GetWidgetHandle());
    const unsigned int hBox = root.CreateCellWidget(gcUICell{0, 0}, gcUICheckBox::GetStaticType(), 0);
    auto* pBox = static_cast<gcUICheckBox*>(pOptions->GetControl(hBox));
    if (!pBox)
        return false;
    pBox->m_name.Set("Subtitles");
    // Checked, as the subtitles show; the label tells the state.
    StyleGridCell(pBox, options, SampleTextHandle(kTextSubtitlesOn));
    pBox->m_nFlags |= gcUICheckBox::kChecked;
    for (eSpriteHandle& h : pBox->m_hCheckedSprites)
        h = eSpriteHandle(hButtonSprite);
    root.SetAutoNeighbors(true, true, true, true);
    pOptions->m_hInitiallyFocusedControl = hBox;
    if (!FillCheckBoxToggle(*pBox, gcDesiredWidget{gcUIDialogHandle(hOptions), hBox}, &pool))
        return false;
    gcUIWidget* pBack = root.GetCellWidget(1, 0);
    pBack->m_name.Set("Back");
    SetActions(pBack->onConfirm, {ShowDialog(&pool, hOptions, 0)});
    for (int16_t r = 0; r < 3; ++r)
        AddMenuSounds(pMain->m_widgetGroup.GetCellWidget(r, 0), &pool);
    AddMenuSounds(pBox, &pool);
    AddMenuSounds(pBack, &pool);
    SetActions(pOptions->onBack, {ShowDialog(&pool, hOptions, 0)});
    bool ok = false;
    {
        // The menu's dialog group writes what the dialog slots hold.
        SlotLease<gcUIDialogMgr, gcUIDialog> lease(kMenuDialogsBegin, kMenuDialogs);
        lease.Place(0, pMain, kMainCheck);
        lease.Place(1, pOptions, kOptionsCheck);
        lease.Place(2, pNoSave, kNoSaveCheck);
        SlotLease<eSpriteMgr, eSprite> spriteLease(kMenuSpritesBegin, kMenuSprites);
        spriteLease.Place(0, pButtonSprite, kButtonSpriteCheck);
        spriteLease.Place(1, pMessageSprite, kMessageSpriteCheck);
        ok = WriteMainMenuFile(dir + "/Game/MainMenu.mnu", &pool, [&](gcMainMenu& menu) {
            menu.m_UIDialogs.m_nBegin = kMenuDialogsBegin;
            menu.m_UIDialogs.m_nEnd = kMenuDialogsBegin + kMenuDialogs;
            menu.m_UIDialogs.m_bDeleteContained = false;  // the dialogs stay this writer's
            menu.m_sprites.m_nBegin = kMenuSpritesBegin;
            menu.m_sprites.m_nEnd = kMenuSpritesBegin + kMenuSprites;
            menu.m_sprites.m_bDeleteContained = false;
            // The game's track plays in the menu, looping.
            gcDoPlayMusic* pMusic = pool.New<gcDoPlayMusic>();
            SetActions(menu.onStarted, {ShowDialog(&pool, hMain, kOpenAndFocus), pMusic});
        });
    }
    // Their actions hold heap memory of their own: destroyed, not just dropped with the pool.
    std::destroy_at(pMain);
    std::destroy_at(pOptions);
    std::destroy_at(pNoSave);
    // The menu's sound data: its moves and choices.
    return ok && WriteSampleSoundBank(dir + "/Game/MainMenuSound.snd", SampleSoundBank::kMenu);
}

}  // namespace datagen
