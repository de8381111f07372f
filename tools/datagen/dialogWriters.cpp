#include "datagen/dialogWriters.h"

#include <algorithm>

#include "cCore/cLog.h"
#include "datagen/interfaceWriters.h"
#include "datagen/overlayWriters.h"
#include "datagen/slotLease.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEvent.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr int kDialogEvents = 10;

// A refused one takes a version no reader knows.
void EventBlock(BlockWriter& w, const EventActionsFunc& actions, int index, bool bRefused = false)
{
    w.Begin(bRefused ? gcEvent::kVersion + 1 : gcEvent::kVersion).Begin(kBaseVersion).End();
    if (actions)
        actions(w, index);
    w.Int(-1).End();
}

void ObjectPart(BlockWriter& w, const std::string& name)
{
    w.Begin(1).Begin(kBaseVersion).End().Name(name.c_str()).End();
}

void SpritesPart(BlockWriter& w, const DialogDesc& d, uint32_t version)
{
    w.Int(static_cast<int32_t>(d.sprites.size()));
    for (uint32_t h : d.sprites) {
        if (version >= 7) {
            w.Word(h);
            continue;
        }
        eSprite sprite;  // version 6 stored sprite objects, which are read over
        w.Word(eSprite::GetStaticType()->m_nTypeId);
        SpriteBlock(w, sprite, eSprite::kVersion);
    }
}

}  // namespace

bool WriteDialogGroupFile(const std::string& path, int beginSlot, const std::vector<DialogRecord>& records)
{
    return WriteSlotGroup<gcUIDialogGroup, gcUIDialogMgr>("dialog", path, beginSlot, records, &DialogRecord::pDialog);
}

BlockWriter& DialogBlock(BlockWriter& w, const DialogDesc& d, uint32_t version)
{
    w.Begin(version);
    ObjectPart(w, d.name);
    w.Word(d.flags).Int(d.controlCount).Word(d.initiallyFocused);
    gcUIWidgetGroup root;  // empty cells
    root.m_name.Set("DialogGroup");
    const int64_t nWritten = d.rows > 0 && d.cols > 0 ? int64_t{d.rows} * d.cols - d.cellsCut : 0;
    const size_t nCells = nWritten > 0 ? static_cast<size_t>(nWritten) : 0;
    std::vector<gcUIControl> controls(std::min(d.controls.size(), nCells));
    std::vector<std::vector<const gcUIControl*>> cells(nCells);
    for (size_t i = 0; i < controls.size(); ++i) {
        controls[i].m_name.Set("Control%zu", i);
        controls[i].m_hWidgetHandle = d.controls[i];
        cells[i].push_back(&controls[i]);
    }
    WidgetGroupBlock(w, root, d.rows, d.cols, cells);
    if (version <= 7)
        w.Word(0);  // no longer used
    if (version >= 7)
        w.Int(d.layout);
    SpritesPart(w, d, version);
    w.Int(d.origin).Float(d.offset[0]).Float(d.offset[1]).Float(d.fixedSize[0]).Float(d.fixedSize[1]);
    w.Word(d.hBackdropMaterial).Float(d.backdropOpacity);
    const bool bPresent[kDialogEvents] = {true, true, true, true, true, version >= 9, version >= 11,
                                          true, true, version >= 10};
    for (int i = 0; i < kDialogEvents; ++i)
        if (bPresent[i])
            EventBlock(w, d.actions, i, i == d.refusedEvent);
    return w.End();
}

BlockWriter& DialogGroupBlock(BlockWriter& w, uint32_t version, int32_t begin, int32_t end,
                              const std::vector<DialogGroupRecord>& records, uint32_t dialogVersion)
{
    w.Begin(version).Begin(kBaseVersion).End().Int(begin).Int(end);
    for (const DialogGroupRecord& r : records) {
        if (version == 1)
            w.Word(static_cast<uint32_t>(r.check) << 16);
        else
            w.Half(r.check);
        if (r.check == 0)
            continue;
        w.Word(gcUIDialog::GetStaticType()->m_nTypeId);
        DialogBlock(w, r.dialog, dialogVersion);
    }
    return w.End();
}

void StyleGridCell(gcUIControl* pControl, const GridDialogDesc& d, uint32_t hText)
{
    // The box is the cell size, not a sprite's own.
    pControl->m_nFlags = (pControl->m_nFlags | gcUIWidget::kFocusable) & ~gcUIControl::kSpriteSize;
    pControl->m_size = mVec2(d.cellSize[0], d.cellSize[1]);
    pControl->m_fMaxTextWidth = d.cellSize[0];
    pControl->m_hFont = eFontHandle(d.hFont);
    pControl->m_hText = gcStringHandle(hText);
    pControl->m_nTextColor = d.textColor;
    pControl->m_nTextColorHi = d.textColorHi;
    pControl->m_hSprites[gcUIControl::SPR_ENABLED] = eSpriteHandle(d.hEnabledSprite);
    pControl->m_hSprites[gcUIControl::SPR_FOCUSED] = eSpriteHandle(d.hFocusedSprite);
}

gcUIDialog* NewGridDialog(cMemPool* pPool, const GridDialogDesc& d)
{
    gcUIDialog* pDialog = pPool ? pPool->New<gcUIDialog>() : nullptr;
    if (!pDialog || !pDialog->m_widgetGroup.SetDimensions(d.rows, d.cols)) {
        cLogError_("datagen: no room for the dialog \"%s\"", d.name.c_str());
        return nullptr;
    }
    pDialog->m_name.Set("%s", d.name.c_str());
    pDialog->m_nFlags = d.flags;
    for (int16_t r = 0; r < d.rows; ++r) {
        for (int16_t c = 0; c < d.cols; ++c) {
            const unsigned int h =
                pDialog->m_widgetGroup.CreateCellWidget(gcUICell{r, c}, gcUIControl::GetStaticType(), 0);
            auto* pControl = static_cast<gcUIControl*>(pDialog->GetControl(h));
            if (!pControl) {
                cLogError_("datagen: no room for the controls of the dialog \"%s\"", d.name.c_str());
                return nullptr;
            }
            pControl->m_name.Set("Cell%d%d", r, c);
            const size_t nCell = static_cast<size_t>(r) * static_cast<size_t>(d.cols) + static_cast<size_t>(c);
            StyleGridCell(pControl, d, nCell < d.texts.size() ? d.texts[nCell] : d.hText);
            if (r == 0 && c == 0)
                pDialog->m_hInitiallyFocusedControl = h;
        }
    }
    pDialog->m_widgetGroup.SetAutoNeighbors(true, true, true, true);
    return pDialog;
}

gcUIDialog* NewMessageDialog(cMemPool* pPool, GridDialogDesc d, uint32_t hSelf, float fSeconds)
{
    d.rows = d.cols = 1;
    d.flags = 0;
    gcUIDialog* pDialog = NewGridDialog(pPool, d);
    auto* pFade = pDialog ? pPool->New<gcDoUIShowDialog>(gcUIDialogHandle(hSelf), 0u) : nullptr;
    if (!pFade) {
        cLogError_("datagen: no room for the message \"%s\"", d.name.c_str());
        return nullptr;
    }
    const unsigned int hControl = pDialog->m_hInitiallyFocusedControl;
    pDialog->m_hInitiallyFocusedControl = 0;
    gcUIWidget* pControl = pDialog->GetControl(hControl);
    pControl->m_name.Set("Text");
    pControl->m_nFlags &= ~gcUIWidget::kFocusable;
    pFade->transition = gcUIShowDialogData::TRANSITION_OPACITYFADE;
    pFade->transitionTime.fConst = fSeconds;
    pDialog->onShown.pAction = pFade;
    return pDialog;
}

}  // namespace datagen
