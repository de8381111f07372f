#include "datagen/sampleSave.h"

#include <algorithm>
#include <initializer_list>
#include <iterator>
#include <memory>

#include "cCore/cGroup.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/poolBuilder.h"
#include "datagen/sampleCinematic.h"
#include "datagen/samplePlayer.h"
#include "datagen/scriptWriters.h"
#include "datagen/slotLease.h"
#include "eEngine/eInput.h"
#include "eEngine/eMemCard.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoMemCardOp.h"
#include "gcGameCore/actions/gcDoSaveGameOp.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/values/gcValControllerState.h"
#include "gcGameCore/values/gcValMemCardStatus.h"
#include "gcGameCore/values/gcValSaveGameVar.h"

namespace datagen {

namespace {

// Show-dialog flags: open and focus, close, close every dialog.
constexpr uint32_t kOpenAndFocus = gcUIShowDialogData::kShow | gcUIShowDialogData::kFocusInitial;
constexpr uint32_t kClose = 0;
constexpr uint32_t kHideAll = gcUIShowDialogData::kCloseAll;
// A message: opens under the other dialogs, without taking the focus.
constexpr uint32_t kShowBelow = gcUIShowDialogData::kShow | gcUIShowDialogData::kAtBottom;
constexpr int32_t kProfile = 1;  // the sample keeps one profile, the first

uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(SampleMapHandle(slot) >> 16);
}

// The actions of the sample's saving, made in one pool; Fill reports a
// full pool once.
class Builder : public PoolBuilder {
public:
    using PoolBuilder::PoolBuilder;

    // Without a transition, at once.
    gcAction* ShowDialog(uint32_t hDialog, uint32_t nFlags)
    {
        return New<gcDoUIShowDialog>(gcUIDialogHandle(hDialog), nFlags);
    }
    gcAction* SaveGameOp(int32_t op)
    {
        gcDesiredValue profile;
        profile.fConst = static_cast<float>(kProfile);
        return New<gcDoSaveGameOp>(op, profile);
    }
    gcAction* MemCardOp(int32_t op) { return New<gcDoMemCardOp>(op); }
    gcAction* If(gcValue* pCondition, gcAction* pThen) { return Took(NewEvaluation(Pool(), pCondition, {pThen}, {})); }

    // Appends the actions in order; false (logged) when any New failed.
    bool Fill(gcEvent& event, std::initializer_list<gcAction*> actions, const char* what)
    {
        if (Full()) {
            cLogError_("datagen: no room for the %s", what);
            return false;
        }
        for (gcAction* p : actions)
            AppendAction(event, p);
        return true;
    }
};

// Saving: slot A, then the current profile refreshed and written over
// whatever save file the card holds (a new game's first save replaces an
// older one), then the dialog closes, "Saved" or the failure shows by the
// card's status, and the game goes on.
bool FillSave(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    gcValue* pSaved = b.New<gcValMemCardStatus>(eMemCard::STATUS_READY);
    gcAction* pShowSaved = b.ShowDialog(SampleSavedDialogHandle(), kShowBelow);
    gcAction* pShowFailed = b.ShowDialog(SampleSaveFailedDialogHandle(), kShowBelow);
    return b.Fill(event,
                  {b.MemCardOp(gcDoMemCardOp::OP_SAVE), b.SaveGameOp(gcDoSaveGameOp::OP_SAVEOVERWRITEPROFILE_COMMIT),
                   b.ShowDialog(SamplePauseDialogHandle(), kClose),
                   b.Took(NewEvaluation(b.Pool(), pSaved, {pShowSaved}, {pShowFailed}))},
                  "pause dialog's save");
}

bool FillClose(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    return b.Fill(event, {b.ShowDialog(SamplePauseDialogHandle(), kClose)}, "pause dialog's close");
}

// Two labelled buttons in a column drawing the untextured sprite (plain
// boxes, as the menu's); it pauses the game while open.
gcUIDialog* NewPauseDialog(cMemPool* pPool)
{
    GridDialogDesc d = SampleButtonGrid("Pause", static_cast<int>(std::size(kSamplePauseButtons)),
                                        SampleMapHandle(kSamplePauseSpriteSlot));
    d.texts = {SampleTextHandle(kTextSave), SampleTextHandle(kTextResume)};
    gcUIDialog* pDialog = NewGridDialog(pPool, d);
    if (!pDialog)
        return nullptr;
    for (int16_t r = 0; r < d.rows; ++r)
        pDialog->m_widgetGroup.GetCellWidget(r, 0)->m_name.Set("%s", kSamplePauseButtons[r]);
    const bool ok = FillSave(pDialog->m_widgetGroup.GetCellWidget(0, 0)->onConfirm, pPool) &&
                    FillClose(pDialog->m_widgetGroup.GetCellWidget(1, 0)->onConfirm, pPool) &&
                    FillClose(pDialog->onBack, pPool);
    if (!ok) {
        std::destroy_at(pDialog);
        return nullptr;
    }
    return pDialog;
}

// Widens the group's range to take in slot; an empty range becomes just it.
// The objects stay the writer's.
void TakeInSlot(cGroup& group, int slot)
{
    if (group.m_nBegin >= group.m_nEnd) {
        group.m_nBegin = slot;
        group.m_nEnd = slot + 1;
    } else {
        group.m_nBegin = std::min(group.m_nBegin, slot);
        group.m_nEnd = std::max(group.m_nEnd, slot + 1);
    }
    group.m_bDeleteContained = false;
}

}  // namespace

uint32_t SamplePauseDialogHandle()
{
    return SampleMapHandle(kSamplePauseDialogSlot);
}

uint32_t SampleSavedDialogHandle()
{
    return SampleMapHandle(kSampleSavedDialogSlot);
}

uint32_t SampleSaveFailedDialogHandle()
{
    return SampleMapHandle(kSampleSaveFailedDialogSlot);
}

bool AppendSamplePauseStep(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    gcValue* pStart = b.New<gcValControllerState>(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_START1);
    return b.Fill(event, {b.If(pStart, b.ShowDialog(SamplePauseDialogHandle(), kOpenAndFocus))}, "pause step");
}

bool WithSamplePauseDialog(const std::function<bool(const GameFill& fill)>& write)
{
    cMemPool pool("datagen Pause", 0x10000, false);
    eSprite* pSprite = pool.New<eSprite>();
    gcUIDialog* pDialog = NewPauseDialog(&pool);
    GridDialogDesc saved = SampleButtonGrid("Saved", 1, SampleMapHandle(kSamplePauseSpriteSlot));
    saved.hText = SampleTextHandle(kTextSaved);
    gcUIDialog* pSaved = NewMessageDialog(&pool, saved, SampleSavedDialogHandle(), kSampleMessageSeconds);
    GridDialogDesc failed = SampleButtonGrid("SaveFailed", 1, SampleMapHandle(kSamplePauseSpriteSlot));
    failed.hText = SampleTextHandle(kTextSaveFailed);
    gcUIDialog* pFailed = NewMessageDialog(&pool, failed, SampleSaveFailedDialogHandle(), kSampleMessageSeconds);
    if (!pSprite || !pDialog || !pSaved || !pFailed) {
        cLogError_("datagen: no room for the pause dialog");
        return false;
    }
    pSprite->m_name.Set("PauseButton");
    // The messages fade out: their boxes fade with their labels.
    pSprite->m_hMaterial = eMaterialHandle(SampleBoxMaterialHandle());
    bool ok = false;
    {
        SlotLease<gcUIDialogMgr, gcUIDialog> dialogLease(kSamplePauseDialogSlot, 1);
        SlotLease<gcUIDialogMgr, gcUIDialog> savedLease(kSampleSavedDialogSlot, 1);
        SlotLease<gcUIDialogMgr, gcUIDialog> failedLease(kSampleSaveFailedDialogSlot, 1);
        dialogLease.Place(0, pDialog, CheckOf(kSamplePauseDialogSlot));
        savedLease.Place(0, pSaved, CheckOf(kSampleSavedDialogSlot));
        failedLease.Place(0, pFailed, CheckOf(kSampleSaveFailedDialogSlot));
        SlotLease<eSpriteMgr, eSprite> spriteLease(kSamplePauseSpriteSlot, 1);
        spriteLease.Place(0, pSprite, CheckOf(kSamplePauseSpriteSlot));
        ok = write([](gcGame& game) {
            TakeInSlot(game.m_UIDialogs, kSamplePauseDialogSlot);
            TakeInSlot(game.m_UIDialogs, kSampleSavedDialogSlot);
            TakeInSlot(game.m_UIDialogs, kSampleSaveFailedDialogSlot);
            TakeInSlot(game.m_sprites, kSamplePauseSpriteSlot);
        });
    }
    // Its actions hold heap memory of their own: destroyed, not just dropped with the pool.
    std::destroy_at(pDialog);
    std::destroy_at(pSaved);
    std::destroy_at(pFailed);
    return ok;
}

bool FillSampleNewGame(gcEvent& event, cMemPool* pPool)
{
    Builder b(pPool);
    // The load-map action saves: the new profile records the first map as
    // its position, so a save made there continues there.
    return b.Fill(event,
                  {b.SaveGameOp(gcDoSaveGameOp::OP_SETCURPROFILE), b.SaveGameOp(gcDoSaveGameOp::OP_NEWPROFILE),
                   b.New<gcDoLoadMap>(0, 0, 0, false, true, false), b.ShowDialog(0, kHideAll)},
                  "new game");
}

bool FillSampleContinue(gcEvent& event, cMemPool* pPool, uint32_t hNoSaveDialog)
{
    Builder b(pPool);
    gcValue* pHasMap = b.New<gcValSaveGameVar>(gcValSaveGameVar::VAR_MAP, gcValSaveGameVar::STAT_ENTITY, 0);
    return b.Fill(event,
                  {b.MemCardOp(gcDoMemCardOp::OP_LOAD), b.SaveGameOp(gcDoSaveGameOp::OP_SETCURPROFILE),
                   b.SaveGameOp(gcDoSaveGameOp::OP_LOADPROFILE_COMMIT), b.SaveGameOp(gcDoSaveGameOp::OP_STARTPROFILE),
                   b.Took(NewEvaluation(b.Pool(), pHasMap, {b.ShowDialog(0, kHideAll)},
                                        {b.ShowDialog(hNoSaveDialog, kShowBelow)}))},
                  "continue");
}

}  // namespace datagen
