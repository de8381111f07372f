#include "datagen/sampleHud.h"

#include <algorithm>
#include <memory>

#include "cCore/cGroup.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/poolBuilder.h"
#include "datagen/sampleCinematic.h"
#include "datagen/sampleProps.h"
#include "datagen/scriptWriters.h"
#include "datagen/slotLease.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/actions/gcDoUIShow.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValEntityItemCount.h"
#include "gcGameCore/values/gcValEntityStat.h"
#include "gcGameCore/values/gcValEventVar.h"
#include "gcGameCore/values/gcValNumber.h"
#include "gcGameCore/values/gcValUISize.h"

namespace datagen {

namespace {

constexpr int kFontSlot = 4;  // the game configuration's font, the subtitles'
const gcDesiredEntity kPlayer = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);

uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(SampleMapHandle(slot) >> 16);
}

gcDesiredWidget WidgetOf(int dialogSlot, unsigned int hControl)
{
    gcDesiredWidget w;
    w.hDialog = gcUIDialogHandle(SampleMapHandle(dialogSlot));
    w.hControl = hControl;
    return w;
}

// Widens the group's range to take in slot; an empty range becomes just it.
// The objects stay the writer's.
void TakeIn(cGroup& group, int slot)
{
    const bool bEmpty = group.m_nBegin >= group.m_nEnd;
    group.m_nBegin = bEmpty ? slot : std::min(group.m_nBegin, slot);
    group.m_nEnd = bEmpty ? slot + 1 : std::max(group.m_nEnd, slot + 1);
    group.m_bDeleteContained = false;
}

// A dialog neither pausing nor taking the focus, at the origin and offset,
// holding a column of one control of each type; null (logged) when the pool
// is full.
gcUIDialog* NewColumnDialog(cMemPool* pPool, const char* name, int32_t origin, const mVec2& offset,
                            std::initializer_list<const cType*> types)
{
    gcUIDialog* pDialog = pPool->New<gcUIDialog>();
    if (!pDialog || !pDialog->m_widgetGroup.SetDimensions(static_cast<int>(types.size()), 1)) {
        cLogError_("datagen: no room for the dialog \"%s\"", name);
        return nullptr;
    }
    pDialog->m_name.Set("%s", name);
    pDialog->m_nFlags = 0;
    pDialog->m_origin = origin;
    pDialog->m_offset = offset;
    pDialog->m_fixedSize = mVec2(0.0f, 0.0f);  // as large as its controls
    int16_t row = 0;
    for (const cType* pType : types) {
        if (!pDialog->GetControl(pDialog->m_widgetGroup.CreateCellWidget(gcUICell{row++, 0}, pType, 0))) {
            cLogError_("datagen: no room for the controls of the dialog \"%s\"", name);
            std::destroy_at(pDialog);
            return nullptr;
        }
    }
    return pDialog;
}

gcUIControl* Cell(gcUIDialog* pDialog, int row)
{
    return static_cast<gcUIControl*>(pDialog->m_widgetGroup.GetCellWidget(row, 0));
}

// The HUD: the health bar (the untextured sprite stretched to the width
// its OnUpdateUI gives it every frame) over the key, which is shown only
// while the player holds one; the key's count is drawn in the font.
gcUIDialog* NewHudDialog(cMemPool* pPool)
{
    gcUIDialog* pDialog = NewColumnDialog(pPool, "Hud", eSprite::SO_UPPERLEFT, mVec2(40.0f, 30.0f),
                                          {gcUIControl::GetStaticType(), gcUIItemControl::GetStaticType()});
    if (!pDialog)
        return nullptr;
    gcUIControl* pBar = Cell(pDialog, 0);
    pBar->m_name.Set("%s", kSampleHealthControl);
    pBar->m_nFlags &= ~gcUIControl::kSpriteSize;
    pBar->m_origin = eSprite::SO_MIDLEFT;  // shrinks toward its left end
    pBar->m_size = mVec2(kSampleHealthBarFull * kSampleHealthBarScale, kSampleHealthBarHeight);
    pBar->m_hSprites[gcUIControl::SPR_ENABLED] = eSpriteHandle(SampleMapHandle(kSampleHudSpriteSlot));
    auto* pKey = static_cast<gcUIItemControl*>(Cell(pDialog, 1));
    pKey->m_name.Set("%s", kSampleKeyControl);
    pKey->m_nFlags &= ~(gcUIControl::kSpriteSize | gcUIWidget::kVisible);
    pKey->m_size = mVec2(32.0f, 32.0f);
    pKey->m_origin = eSprite::SO_MIDLEFT;
    pKey->m_hFont = eFontHandle(SampleMapHandle(kFontSlot));
    pKey->desiredEntity = kPlayer;
    pKey->hItemTemplate = gcItemTemplateHandle(SampleMapHandle(kKeyTemplateSlot));

    PoolBuilder b(pPool);
    auto* pWidth = b.New<gcValUISize>(WidgetOf(kSampleHudDialogSlot, pBar->m_hWidgetHandle),
                                      int32_t{gcValUISize::DIM_WIDTH}, false, gcValUISize::kDefaultK);
    auto* pSetWidth = b.New<gcDoSetValue>();
    if (pSetWidth) {
        // min(max(health, 0), full) * scale: the bar stays within its frame
        // whatever the health (max gives 0 for NaN).
        gcValue* pHealth = b.New<gcValEntityStat>(kPlayer, int32_t{gcEntityTemplate::STAT_HEALTH}, false);
        gcValue* pAtLeastNone = b.New<gcValBinaryOp>(gcValBinaryOp::OP_MAX, pHealth, b.New<gcValNumber>(0.0f));
        gcValue* pAtMostFull =
            b.New<gcValBinaryOp>(gcValBinaryOp::OP_MIN, pAtLeastNone, b.New<gcValNumber>(kSampleHealthBarFull));
        pSetWidth->pDest = pWidth;
        pSetWidth->pSource =
            b.New<gcValBinaryOp>(gcValBinaryOp::OP_MUL, pAtMostFull, b.New<gcValNumber>(kSampleHealthBarScale));
    }
    const gcDesiredItem key = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, pKey->hItemTemplate);
    gcValue* pHasKey = b.New<gcValBinaryOp>(
        gcValBinaryOp::OP_GREATER,
        b.New<gcValEntityItemCount>(int32_t{gcValEntityItemCount::ITEMCOUNT_SPECIFIC}, kPlayer, key, gcDesiredItem()),
        b.New<gcValNumber>(0.0f));
    const gcDesiredWidget keyWidget = WidgetOf(kSampleHudDialogSlot, pKey->m_hWidgetHandle);
    gcAction* pShowKey = b.Took(NewEvaluation(pPool, pHasKey, {b.New<gcDoUIShow>(keyWidget, true)},
                                              {b.New<gcDoUIShow>(keyWidget, false)}));
    if (b.Full()) {
        cLogError_("datagen: no room for the HUD's script");
        std::destroy_at(pDialog);
        return nullptr;
    }
    AppendAction(pDialog->onUpdateUI, pSetWidth);
    AppendAction(pDialog->onUpdateUI, pShowKey);
    return pDialog;
}

// The death message: one line in the large font, across the top of the
// screen under the health bar, clear of the player, whom the camera keeps
// about the middle.
gcUIDialog* NewDeathDialog(cMemPool* pPool)
{
    gcUIDialog* pDialog = NewColumnDialog(pPool, "Fallen", eSprite::SO_UPPERCENTER, mVec2(0.0f, -kSampleDeathTextTop),
                                          {gcUIControl::GetStaticType()});
    if (!pDialog)
        return nullptr;
    gcUIControl* pLine = Cell(pDialog, 0);
    pLine->m_name.Set("Message");
    pLine->m_nFlags = (pLine->m_nFlags & ~gcUIControl::kSpriteSize) | gcUIControl::kTextShadow;
    pLine->m_size = mVec2(400.0f, 60.0f);
    pLine->m_fMaxTextWidth = 400.0f;
    pLine->m_hFont = eFontHandle(SampleLargeFontHandle());
    pLine->m_hText = gcStringHandle(SampleMapHandle(kSampleDeathStringSlot));
    // The dialog's clock (its first parameter) starts again as the fade
    // ends: held that long, the map restarts. The map's start closes it.
    PoolBuilder b(pPool);
    gcValue* pHeld = b.New<gcValBinaryOp>(gcValBinaryOp::OP_GREATEREQUAL,
                                          b.New<gcValEventVar>(gcValEventVar::VAR_INVALUE, 0),
                                          b.New<gcValNumber>(kSampleDeathHoldSeconds));
    gcAction* pRestart = b.New<gcDoLoadMap>(0, 0, 0, false, false, true);
    gcAction* pIf = pHeld && pRestart ? b.Took(NewEvaluation(pPool, pHeld, {pRestart}, {})) : nullptr;
    if (b.Full()) {
        cLogError_("datagen: no room for the death message's script");
        std::destroy_at(pDialog);
        return nullptr;
    }
    AppendAction(pDialog->onUpdateUI, pIf);
    return pDialog;
}

gcDoUIShowDialog* NewShowDialog(PoolBuilder& b, int slot, uint32_t flags)
{
    return b.New<gcDoUIShowDialog>(gcUIDialogHandle(SampleMapHandle(slot)), flags);
}

}  // namespace

bool WithSampleHud(const std::function<bool(const HudGameFill& fill)>& write)
{
    cMemPool pool("datagen Hud", 0x10000, false);
    eSprite* pSprite = pool.New<eSprite>();
    gcUIDialog* pHud = NewHudDialog(&pool);
    gcUIDialog* pDeath = pHud ? NewDeathDialog(&pool) : nullptr;
    bool ok = pSprite && pDeath;
    if (ok) {
        pSprite->m_name.Set("HealthBar");
        SlotLease<gcUIDialogMgr, gcUIDialog> dialogLease(kSampleHudDialogSlot, 2);
        dialogLease.Place(0, pHud, CheckOf(kSampleHudDialogSlot));
        dialogLease.Place(1, pDeath, CheckOf(kSampleDeathDialogSlot));
        SlotLease<eSpriteMgr, eSprite> spriteLease(kSampleHudSpriteSlot, 1);
        spriteLease.Place(0, pSprite, CheckOf(kSampleHudSpriteSlot));
        ok = write([](gcGame& game) {
            TakeIn(game.m_UIDialogs, kSampleHudDialogSlot);
            TakeIn(game.m_UIDialogs, kSampleDeathDialogSlot);
            TakeIn(game.m_sprites, kSampleHudSpriteSlot);
        });
    } else {
        cLogError_("datagen: no room for the HUD");
    }
    // Their actions hold heap memory of their own: destroyed, not just dropped with the pool.
    for (gcUIDialog* p : {pHud, pDeath})
        if (p)
            std::destroy_at(p);
    return ok;
}

bool SampleHudStartActions(BlockWriter& w, const ActionMemberFunc& member)
{
    return member(w, gcDoUIShowDialog(gcUIDialogHandle(SampleMapHandle(kSampleDeathDialogSlot)), 0)) &&
           member(w, gcDoUIShowDialog(gcUIDialogHandle(SampleMapHandle(kSampleHudDialogSlot)),
                                      gcUIShowDialogData::kShow | gcUIShowDialogData::kAtBottom));
}

bool AppendSampleDeathStep(gcEvent& event, cMemPool* pPool)
{
    PoolBuilder b(pPool);
    gcDoUIShowDialog* pShow = NewShowDialog(b, kSampleDeathDialogSlot, gcUIShowDialogData::kShow |
                                                                           gcUIShowDialogData::kAtBottom |
                                                                           gcUIShowDialogData::kFromStart);
    gcValue* pDeath = b.New<gcValBinaryOp>(gcValBinaryOp::OP_EQUAL, b.New<gcValEventVar>(gcValEventVar::VAR_EVENTID, 0),
                                           b.New<gcValNumber>(static_cast<float>(gcMsgEvent::ID_ONDEATH)));
    gcAction* pIf = pShow && pDeath ? b.Took(NewEvaluation(pPool, pDeath, {pShow}, {})) : nullptr;
    if (b.Full()) {
        cLogError_("datagen: no room for the player's death");
        return false;
    }
    pShow->transition = gcUIShowDialogData::TRANSITION_OPACITYFADE;
    pShow->transitionTime.fConst = kSampleDeathFadeSeconds;
    AppendAction(event, pIf);
    return true;
}

static_assert(kSampleTextsBegin == kSampleGameStringsBegin && kSampleTextsBegin + kSampleTextCount <= kSampleDeathStringSlot,
              "the menus' texts lie before the death message");

bool WriteSampleGameStrings(const std::string& path)
{
    cMemPool pool("datagen GameStrings", 0x1000, false);
    SlotLease<gcStringMgr, gcString> lease(kSampleDeathStringSlot, 1);
    SlotLease<gcStringMgr, gcString> menuLease(kSampleTextsBegin, kSampleTextCount);
    gcString* pText = NewString(&pool, "Fallen", kSampleDeathText);
    if (!pText || !PlaceSampleTexts(&pool, menuLease))
        return false;
    lease.Place(0, pText, CheckOf(kSampleDeathStringSlot));
    // The game reads its strings into slots from 150 on whatever the file
    // says: the file starts there with the menus' texts, the slots between
    // them and the message empty.
    gcStringGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = kSampleGameStringsBegin;
    group.m_nEnd = kSampleDeathStringSlot + 1;
    return WriteBodyFile(path, group);
}

}  // namespace datagen
