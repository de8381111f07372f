#include "datagen/menuWriters.h"

#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cWriteBlock.h"
#include "datagen/dialogWriters.h"
#include "datagen/flowWriters.h"
#include "datagen/interfaceWriters.h"
#include "datagen/slotLease.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/script/gcAction.h"

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

// An action of a class the engine keeps as bytes until it is built, written
// as its block of that version: the action base block, then the words.
class RawAction : public gcAction {
public:
    RawAction(uint32_t nTypeId, uint32_t version, std::vector<uint32_t> words, int nEmptyEvents = 0)
        : m_pType(cType::Find(static_cast<int32_t>(nTypeId))),
          m_version(version),
          m_words(std::move(words)),
          m_nEmptyEvents(nEmptyEvents)
    {
    }
    const cType* GetType() const override { return m_pType; }
    void Write(const cFile& file) const override
    {
        cWriteBlock wb(file, m_version);
        gcAction::Write(file);
        for (uint32_t word : m_words)
            wb.WriteInt(word);
        for (int i = 0; i < m_nEmptyEvents; ++i)
            gcEvent().Write(file);
    }
    void DoAction(const gcEventParams&) const override {}

private:
    const cType* m_pType;
    uint32_t m_version;
    std::vector<uint32_t> m_words;
    int m_nEmptyEvents;
};

constexpr uint32_t kShowDialogId = 174;
constexpr uint32_t kShowDialogVersion = 3;  // the transition time in ticks, no in-parameter
constexpr uint32_t kOpenAndFocus = 0x11;
constexpr uint32_t kHideAll = 0x20;
constexpr int kMenuDialogsBegin = 100;
constexpr uint16_t kMainCheck = 0x0A01;
constexpr uint16_t kOptionsCheck = 0x0A02;

uint32_t DialogHandle(uint16_t check, int slot)
{
    return (static_cast<uint32_t>(check) << 16) | static_cast<uint32_t>(slot);
}

uint32_t FloatWord(float f)
{
    uint32_t w;
    std::memcpy(&w, &f, sizeof w);
    return w;
}

// Show-dialog: dialog, flags, no transition, 0 ticks, no material, two zero
// offsets, then empty OnShown and OnHidden events.
gcAction* ShowDialog(cMemPool* pPool, uint32_t hDialog, uint32_t nFlags)
{
    const uint32_t zero = FloatWord(0.0f);
    std::vector<uint32_t> words = {hDialog, nFlags, 0, 0, 0, zero, zero, zero, zero};
    return pPool->New<RawAction>(kShowDialogId, kShowDialogVersion, std::move(words), 2);
}

gcAction* LoadMap(cMemPool* pPool, int32_t nLoadingScreen, int32_t nAct, int32_t nMap)
{
    // No profile to record yet: the save flag is off.
    return pPool->New<gcDoLoadMap>(nLoadingScreen, nAct, nMap, false, false, false);
}

void SetActions(gcEvent& event, std::initializer_list<gcAction*> actions)
{
    gcAction** ppLink = &event.pAction;
    for (gcAction* p : actions) {
        *ppLink = p;
        ppLink = &p->pNextAction;
    }
}

}  // namespace

bool WriteSampleMainMenu(const std::string& dir)
{
    cMemPool pool("datagen MainMenu", 0x40000, false);
    GridDialogDesc main;
    main.name = "MainMenu", main.rows = 3, main.cols = 1;
    gcUIDialog* pMain = NewGridDialog(&pool, main);
    GridDialogDesc options;
    options.name = "Options", options.rows = 1, options.cols = 1;
    gcUIDialog* pOptions = NewGridDialog(&pool, options);
    if (!pMain || !pOptions)
        return false;
    const uint32_t hMain = DialogHandle(kMainCheck, kMenuDialogsBegin);
    const uint32_t hOptions = DialogHandle(kOptionsCheck, kMenuDialogsBegin + 1);
    const char* kButtons[] = {"NewGame", "Continue", "Options"};
    for (int16_t r = 0; r < 3; ++r) {
        gcUIWidget* pButton = pMain->m_widgetGroup.GetCellWidget(r, 0);
        pButton->m_name.Set("%s", kButtons[r]);
        if (r < 2)
            SetActions(pButton->onConfirm, {LoadMap(&pool, 0, 0, 0), ShowDialog(&pool, 0, kHideAll)});
        else
            SetActions(pButton->onConfirm, {ShowDialog(&pool, hOptions, kOpenAndFocus)});
    }
    // The options dialog's one cell holds the check box instead of a button.
    gcUIWidgetGroup& root = pOptions->m_widgetGroup;
    root.DeleteAllWidgets(true);
    const unsigned int hBox = root.CreateCellWidget(gcUICell{0, 0}, gcUICheckBox::GetStaticType(), 0);
    gcUIWidget* pBox = pOptions->GetControl(hBox);
    if (!pBox)
        return false;
    pBox->m_name.Set("Subtitles");
    pBox->m_nFlags |= gcUIWidget::kFocusable;
    pOptions->m_hInitiallyFocusedControl = hBox;
    SetActions(pOptions->onBack, {ShowDialog(&pool, hOptions, 0)});
    bool ok = false;
    {
        // The menu's dialog group writes what the dialog slots hold.
        SlotLease<gcUIDialogMgr, gcUIDialog> lease(kMenuDialogsBegin, 2);
        lease.Place(0, pMain, kMainCheck);
        lease.Place(1, pOptions, kOptionsCheck);
        ok = WriteMainMenuFile(dir + "/Game/MainMenu.mnu", &pool, [&](gcMainMenu& menu) {
            menu.m_UIDialogs.m_nBegin = kMenuDialogsBegin;
            menu.m_UIDialogs.m_nEnd = kMenuDialogsBegin + 2;
            menu.m_UIDialogs.m_bDeleteContained = false;  // the dialogs stay this writer's
            SetActions(menu.onStarted, {ShowDialog(&pool, hMain, kOpenAndFocus)});
        });
    }
    // Their actions hold heap memory of their own: destroyed, not just dropped with the pool.
    std::destroy_at(pMain);
    std::destroy_at(pOptions);
    // The menu's sound data, empty for now.
    BlockWriter sound;
    return ok && EmptyGroupBlock(sound.Header(), gcMainMenu::kSoundBegin).Trailer().Save(dir + "/Game/MainMenuSound.snd");
}

}  // namespace datagen
