// The interface actions: which dialogs the show-dialog action opens and
// closes, how each block version's fields arrive, and what the control
// actions change, refuse and show as text.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "../interface/uiItemTestSupport.h"
#include "actionTestSupport.h"
#include "gcGameCore/actions/gcDoUIFocus.h"
#include "gcGameCore/actions/gcDoUIItemListSelect.h"
#include "gcGameCore/actions/gcDoUIListScroll.h"
#include "gcGameCore/actions/gcDoUISetFont.h"
#include "gcGameCore/actions/gcDoUISetItem.h"
#include "gcGameCore/actions/gcDoUISetSprite.h"
#include "gcGameCore/actions/gcDoUISetText.h"
#include "gcGameCore/actions/gcDoUIShow.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

constexpr int kDialogSlot = 251;
constexpr int kOtherSlot = 252;
constexpr int kFontSlot = 6;
constexpr int kSpriteSlot = 590;
constexpr int kStringSlot = 990;

void ClearStack()
{
    gcUI* pUI = gcUI::Get();
    std::fill(std::begin(pUI->m_dialogStack), std::end(pUI->m_dialogStack), nullptr);
    pUI->m_nFocusedDialog = -1;
}

std::vector<gcUIDialog*> Stack()
{
    const gcUI* pUI = gcUI::Get();
    return std::vector<gcUIDialog*>(pUI->m_dialogStack, pUI->m_dialogStack + (pUI->m_nFocusedDialog + 1));
}

template <class T>
std::string Text(const T& action)
{
    char buf[gcScriptText::kSize] = {};
    action.GetText(buf);
    return buf;
}

class gcUIActionsTest : public UiItemTest {
protected:
    void SetUp() override
    {
        UiItemTest::SetUp();
        ClearStack();
        m_pDialog->m_name.Set("Menu");
        m_hDialog = gcUIDialogMgr::Add(kDialogSlot, m_pDialog, 0x5151);
        m_pOther = m_pool.New<gcUIDialog>();
        m_pOther->m_name.Set("Other");
        m_hOther = gcUIDialogMgr::Add(kOtherSlot, m_pOther, 0x5252);
    }
    void TearDown() override
    {
        ClearStack();
        gcUIDialogMgr::s_pInstances[kDialogSlot] = nullptr;
        gcUIDialogMgr::s_pInstances[kOtherSlot] = nullptr;
        eFontMgr::s_pInstances[kFontSlot] = nullptr;
        eSpriteMgr::s_pInstances[kSpriteSlot] = nullptr;
        gcStringMgr::s_pInstances[kStringSlot] = nullptr;
        UiItemTest::TearDown();
    }
    gcDesiredWidget Widget(const gcUIWidget* pControl) const { return {m_hDialog, pControl->m_hWidgetHandle}; }
    // The first action of an event file whose one member is T's block.
    template <class T>
    T* Load(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
            w.Int(static_cast<int32_t>(T::GetStaticType()->m_nTypeId));
            datagen::ActionBlock(w, version);
            fields(w);
            w.End();
        });
        return pEvent ? dcast<T>(pEvent->pAction) : nullptr;
    }
    // An item list of one row of two item controls, filled.
    gcUIItemList* List()
    {
        gcUIItemList* p = m_pool.New<gcUIItemList>();
        Root().SetDimensions(1, 1);
        Root().InsertInDrawOrder(0, p, nullptr);
        p->InsertIntoDialog(m_pDialog);
        p->SetDimensions(1, 2);
        for (int16_t c = 0; c < 2; ++c)
            p->CreateCellWidget(gcUICell{0, c}, gcUIItemControl::GetStaticType(), 0);
        p->UpdateUI();
        return p;
    }

    gcTestDataDir m_dir;
    gcUIDialogHandle m_hDialog;
    gcUIDialogHandle m_hOther;
    gcUIDialog* m_pOther = nullptr;
};

// An event block holding one recording step, or none.
void EventBlock(datagen::BlockWriter& w, int32_t tag)
{
    w.Begin(gcEvent::kVersion).Begin(1).End();
    if (tag)
        RecordMember(w, tag);
    w.Int(-1).End();
}

TEST_F(gcUIActionsTest, ShowDialogOpensClosesOrClosesEverything)
{
    const struct {
        const char* why;
        uint32_t flags;
        bool bStale;
        std::vector<int> before;  // 0 Menu, 1 Other
        std::vector<int> after;
    } rows[] = {
        {"0x21 closes all and opens nothing", 0x21, false, {1}, {}},
        {"0x20 ignores the dialog handle", 0x20, true, {0, 1}, {}},
        {"0x11 opens on top", 0x11, false, {1}, {1, 0}},
        {"0x19 opens at the bottom", 0x19, false, {1}, {0, 1}},
        {"0x10 closes", 0x10, false, {0, 1}, {1}},
        {"a stale dialog opens nothing", 0x11, true, {1}, {1}},
        {"a stale dialog closes nothing", 0x0, true, {1}, {1}},
    };
    gcUIDialog* const dialogs[] = {m_pDialog, m_pOther};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        ClearStack();
        for (int i : row.before)
            gcUI::OpenDialog(dialogs[i], nullptr, 0.0f);
        gcDoUIShowDialog action(row.bStale ? gcUIDialogHandle(m_hDialog.m_nValue ^ 0x10000) : m_hDialog, row.flags);
        action.Apply(gcEventParams());
        std::vector<gcUIDialog*> want;
        for (int i : row.after)
            want.push_back(dialogs[i]);
        EXPECT_EQ(Stack(), want);
    }
}

// The in-parameter is evaluated as the dialog opens; opening the top dialog
// again changes nothing, not even the show action the stack keeps.
TEST_F(gcUIActionsTest, ShowDialogHandsOverItsInParameterAndKeepsTheFirstShowAction)
{
    gcDoUIShowDialog first(m_hDialog, 0x11);
    first.inParam.fConst = 2.5f;
    gcDoUIShowDialog second(m_hDialog, 0x11);
    second.inParam.fConst = 7.0f;
    first.Apply(gcEventParams());
    EXPECT_EQ(m_pDialog->m_pShowAction, static_cast<const gcUIShowDialogData*>(&first));
    EXPECT_EQ(m_pDialog->m_fInParam, 2.5f);
    second.Apply(gcEventParams());
    EXPECT_EQ(m_pDialog->m_pShowAction, static_cast<const gcUIShowDialogData*>(&first));
    EXPECT_EQ(m_pDialog->m_fInParam, 2.5f);
    EXPECT_EQ(Stack(), std::vector<gcUIDialog*>{m_pDialog});
}

// Each block version's time encoding and the fields it lacks.
TEST_F(gcUIActionsTest, ShowDialogBlocksOfEveryVersion)
{
    const struct {
        uint32_t version;
        float fTime;
        float fInParam;
        bool bEvents;
    } rows[] = {
        {1, 0.25f, 0.0f, false}, {2, 0.25f, 0.0f, true}, {3, 0.5f, 0.0f, true},
        {4, 0.5f, 3.0f, true},   {5, 0.75f, 3.0f, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        gcDoUIShowDialog* p = Load<gcDoUIShowDialog>(row.version, [&](datagen::BlockWriter& w) {
            w.Int(m_hDialog.m_nValue).Int(0x1D).Int(gcUIShowDialogData::TRANSITION_OFFSET);
            if (row.version >= 5)
                w.Int(gcDesiredValue::VAL_NUMBER).Float(0.75f).Int(0).Int(0);
            else if (row.version >= 3)
                w.Int(300);
            else
                w.Float(0.25f);
            w.Int(0x00330004).Float(1.0f).Float(2.0f).Float(3.0f).Float(4.0f);
            if (row.version >= 4)
                w.Int(gcDesiredValue::VAL_NUMBER).Float(3.0f).Int(0).Int(0);
            if (row.version >= 2) {
                EventBlock(w, 5);
                EventBlock(w, 6);
            }
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->hDialog, m_hDialog);
        EXPECT_EQ(p->nFlags, 0x1Du);
        EXPECT_EQ(p->transition, gcUIShowDialogData::TRANSITION_OFFSET);
        EXPECT_EQ(p->transitionTime.desiredValue, gcDesiredValue::VAL_NUMBER);
        EXPECT_FLOAT_EQ(p->transitionTime.fConst, row.fTime);
        EXPECT_EQ(p->hMaterial.m_nValue, 0x00330004u);
        EXPECT_EQ(p->startOffset.x, 1.0f);
        EXPECT_EQ(p->startOffset.y, 2.0f);
        EXPECT_EQ(p->endOffset.x, 3.0f);
        EXPECT_EQ(p->endOffset.y, 4.0f);
        EXPECT_EQ(p->inParam.fConst, row.fInParam);
        EXPECT_EQ(p->onShown.HasActions(), row.bEvents);
        EXPECT_EQ(p->onHidden.HasActions(), row.bEvents);
        TestLog().clear();
        p->onHidden.Apply(gcEventParams(), gcEventStackData());
        EXPECT_EQ(TestLogTags(), row.bEvents ? std::vector<int32_t>{6} : std::vector<int32_t>{});
    }
}

TEST_F(gcUIActionsTest, ShowDialogKeepsTheDampedFlagOnlyForScaleAndOffset)
{
    const struct {
        int32_t transition;
        uint32_t flags;
    } rows[] = {
        {gcUIShowDialogData::TRANSITION_NONE, 0x3},     {gcUIShowDialogData::TRANSITION_FULLSCREENFADE, 0x3},
        {gcUIShowDialogData::TRANSITION_OPACITYFADE, 0x3}, {gcUIShowDialogData::TRANSITION_SCALE, 0x7},
        {gcUIShowDialogData::TRANSITION_OFFSET, 0x7},   {5, 0x3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.transition);
        gcDoUIShowDialog* p = Load<gcDoUIShowDialog>(1, [&](datagen::BlockWriter& w) {
            w.Int(0).Int(0x7).Int(row.transition).Float(1.0f).Int(0).Float(0).Float(0).Float(0).Float(0);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->nFlags, row.flags);
    }
}

TEST_F(gcUIActionsTest, ControlActionsChangeTheirControlAndNothingElse)
{
    std::vector<gcUIControl*> c = Grid(1, 2, {0, 1});
    c[0]->m_nFlags |= gcUIWidget::kFocusable;
    c[1]->m_nFlags |= gcUIWidget::kFocusable;
    m_pDialog->FocusControl(c[0]->m_hWidgetHandle);
    const gcDesiredWidget w = Widget(c[1]);
    const eFontHandle hFont(0x00090006);
    const gcStringHandle hText(0x000C03DE);
    const eSpriteHandle hSprite(0x000E024E);
    gcDoUIFocus(w).Apply(gcEventParams());
    EXPECT_EQ(m_pDialog->m_hFocusedControl, c[1]->m_hWidgetHandle);
    gcDoUIShow(w, false).Apply(gcEventParams());
    EXPECT_EQ(c[1]->m_nFlags & gcUIWidget::kVisible, 0u);
    EXPECT_EQ(c[0]->m_nFlags & gcUIWidget::kVisible, gcUIWidget::kVisible);
    gcDoUIShow(w, true).Apply(gcEventParams());
    EXPECT_EQ(c[1]->m_nFlags & gcUIWidget::kVisible, gcUIWidget::kVisible);
    gcDoUISetFont(w, hFont).Apply(gcEventParams());
    EXPECT_EQ(c[1]->m_hFont, hFont);
    gcDoUISetText(w, hText).Apply(gcEventParams());
    EXPECT_EQ(c[1]->m_hText, hText);
    gcDoUISetSprite(w, gcUIControl::SPR_FOCUSED, hSprite).Apply(gcEventParams());
    EXPECT_EQ(c[1]->m_hSprites[3], hSprite);
    EXPECT_TRUE(c[1]->m_hSprites[2].IsNull());
    EXPECT_TRUE(c[0]->m_hText.IsNull() && c[0]->m_hFont.IsNull() && c[0]->m_hSprites[3].IsNull());
}

// A stale control, a control of the wrong class and a sprite state outside
// the four slots change nothing.
TEST_F(gcUIActionsTest, ControlActionsWithoutTheirControlDoNothing)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    const gcDesiredWidget stale{m_hDialog, c[0]->m_hWidgetHandle ^ 0x100};
    const gcDesiredWidget staleDialog{m_hOther, c[0]->m_hWidgetHandle};
    const eSpriteHandle hSprite(0x000E024E);
    const gcAction* actions[] = {
        m_pool.New<gcDoUIShow>(stale, false),
        m_pool.New<gcDoUIShow>(staleDialog, false),
        m_pool.New<gcDoUISetFont>(stale, eFontHandle(7)),
        m_pool.New<gcDoUISetText>(staleDialog, gcStringHandle(7)),
        m_pool.New<gcDoUISetSprite>(Widget(c[0]), 4, hSprite),
        m_pool.New<gcDoUISetSprite>(Widget(c[0]), -1, hSprite),
        m_pool.New<gcDoUISetItem>(Widget(c[0]), gcDesiredItem{gcDesiredItem::SPECIFIC, gcItemTemplateHandle(9)}),
        m_pool.New<gcDoUIListScroll>(Widget(c[0]), gcUIWidget::NEIGHBOR_DOWN),
    };
    const std::vector<uint8_t> before(reinterpret_cast<const uint8_t*>(c[0]),
                                      reinterpret_cast<const uint8_t*>(c[0]) + sizeof(gcUIControl));
    for (const gcAction* p : actions)
        p->Apply(gcEventParams());
    const std::vector<uint8_t> after(reinterpret_cast<const uint8_t*>(c[0]),
                                     reinterpret_cast<const uint8_t*>(c[0]) + sizeof(gcUIControl));
    EXPECT_EQ(before, after);
}

// A version-1 block holds no selector: it names the template.
TEST_F(gcUIActionsTest, ItemActionsOfVersionOneSelectByTemplate)
{
    gcItemTemplate* t1 = Template(1);
    gcItemTemplate* t2 = Template(2);
    gcItem *x = Item(t1), *y = Item(t2);
    Carry({x, y});
    gcUIItemList* pList = List();
    ASSERT_EQ(pList->m_nSelectedItem, 0);
    const gcDesiredWidget w = Widget(pList);
    auto* pSelect = Load<gcDoUIItemListSelect>(1, [&](datagen::BlockWriter& b) {
        b.Int(w.hDialog.m_nValue).Int(w.hControl).Int(t2->m_handle.m_nValue);
    });
    ASSERT_NE(pSelect, nullptr);
    EXPECT_EQ(pSelect->desiredItem.desiredItem, gcDesiredItem::SPECIFIC);
    pSelect->Apply(gcEventParams(x, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(pList->m_nSelectedItem, 1) << "by template, not the event's item";
    EXPECT_EQ(Load<gcDoUIItemListSelect>(3, [&](datagen::BlockWriter& b) { b.Int(0).Int(0).Int(0).Int(0); }), nullptr);

    gcUIItemControl* pCell = static_cast<gcUIItemControl*>(pList->GetCellWidget(0, 0));
    auto* pSet = Load<gcDoUISetItem>(1, [&](datagen::BlockWriter& b) {
        b.Int(w.hDialog.m_nValue).Int(pCell->m_hWidgetHandle).Int(t2->m_handle.m_nValue);
    });
    ASSERT_NE(pSet, nullptr);
    pSet->Apply(gcEventParams(x, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(pCell->pSpecificItem, nullptr);
    EXPECT_EQ(pCell->hItemTemplate, t2->m_handle);
}

// Version 2 stores the selector first: an event's item wins over the
// template in the list and is what the item control shows.
TEST_F(gcUIActionsTest, ItemActionsOfVersionTwoTakeTheEventsItem)
{
    gcItemTemplate* t1 = Template(1);
    gcItemTemplate* t2 = Template(2);
    gcItem *x = Item(t1), *y = Item(t2);
    Carry({x, y});
    gcUIItemList* pList = List();
    pList->SelectItem(1);
    auto* pSelect = Load<gcDoUIItemListSelect>(2, [&](datagen::BlockWriter& b) {
        b.Int(m_hDialog.m_nValue).Int(pList->m_hWidgetHandle).Int(gcDesiredItem::PARTICIPANT1).Int(t2->m_handle.m_nValue);
    });
    ASSERT_NE(pSelect, nullptr);
    pSelect->Apply(gcEventParams(nullptr, x, nullptr, nullptr, nullptr));
    EXPECT_EQ(pList->m_nSelectedItem, 0);

    gcUIItemControl* pCell = static_cast<gcUIItemControl*>(pList->GetCellWidget(0, 1));
    gcDoUISetItem set(Widget(pCell), gcDesiredItem{gcDesiredItem::INITIATOR, t1->m_handle});
    set.Apply(gcEventParams(y, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(pCell->pSpecificItem, y);
    EXPECT_EQ(pCell->hItemTemplate, t1->m_handle);
    // A map's pool reset leaves the closed dialog's control with its
    // template when the item lay in that pool, and untouched otherwise.
    ClearStack();
    cMemPool items{"items", 0x10000, false};
    gcUI::Get()->OnMemPoolReset(&items);
    EXPECT_EQ(pCell->pSpecificItem, y);
    pCell->pSpecificItem = items.New<gcItem>();
    gcUI::Get()->OnMemPoolReset(&items);
    EXPECT_EQ(pCell->pSpecificItem, nullptr);
    EXPECT_EQ(pCell->hItemTemplate, t1->m_handle);
}

TEST_F(gcUIActionsTest, ListScrollMovesOnlyInTheFourDirections)
{
    gcItemTemplate* t1 = Template(1);
    gcItemTemplate* t2 = Template(2);
    gcItemTemplate* t3 = Template(3);
    Carry({Item(t1), Item(t2), Item(t3)});
    gcUIItemList* pList = List();
    const gcDesiredWidget w = Widget(pList);
    const struct {
        int32_t dir;
        int32_t selected;
    } rows[] = {{4, 0}, {-1, 0}, {gcUIWidget::NEIGHBOR_RIGHT, 1}, {gcUIWidget::NEIGHBOR_LEFT, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.dir);
        gcDoUIListScroll(w, row.dir).Apply(gcEventParams());
        EXPECT_EQ(pList->m_nSelectedItem, row.selected);
    }
}

TEST_F(gcUIActionsTest, SetSpriteReadsOnlyVersionTwo)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    for (uint32_t version : {1u, 2u, 3u}) {
        SCOPED_TRACE(version);
        auto* p = Load<gcDoUISetSprite>(version, [&](datagen::BlockWriter& b) {
            b.Int(m_hDialog.m_nValue).Int(c[0]->m_hWidgetHandle).Int(gcUIControl::SPR_DISABLED).Int(0x000E024E);
        });
        ASSERT_EQ(p != nullptr, version == 2);
        if (p) {
            EXPECT_EQ(p->sprite, gcUIControl::SPR_DISABLED);
            EXPECT_EQ(p->hSprite.m_nValue, 0x000E024Eu);
        }
    }
}

TEST_F(gcUIActionsTest, TextForms)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    c[0]->m_name.Set("Start");
    eFont font;
    font.m_name.Set("Big");
    const eFontHandle hFont = eFontMgr::Add(kFontSlot, &font, 0x61);
    eSprite sprite;
    sprite.m_name.Set("Glow");
    const eSpriteHandle hSprite = eSpriteMgr::Add(kSpriteSlot, &sprite, 0x62);
    gcString* pString = m_pool.New<gcString>();
    pString->m_name.Set("Title");
    const gcStringHandle hText = gcStringMgr::Add(kStringSlot, pString, 0x63);
    const gcDesiredWidget w = Widget(c[0]);
    const gcDesiredWidget staleControl{m_hDialog, 0x7700};
    const gcDesiredWidget staleDialog{gcUIDialogHandle(0x00050003), c[0]->m_hWidgetHandle};
    gcDoUIShowDialog withEvents(m_hDialog, 0x0);
    FillEvent(withEvents.onHidden, m_steps.Record(1));
    gcDoUIShowDialog bothEvents(gcUIDialogHandle(0x00050003), 0x11);
    FillEvent(bothEvents.onShown, m_steps.Record(1));
    FillEvent(bothEvents.onHidden, m_steps.Record(2));
    const struct {
        std::string got;
        const char* want;
    } rows[] = {
        {Text(gcDoUIShowDialog(m_hDialog, 0x21)), "HideAllDialogs"},
        {Text(gcDoUIShowDialog(m_hDialog, 0x11)), "[Menu].Show"},
        {Text(withEvents), "[Menu].Hide {OnHidden}"},
        {Text(bothEvents), "[???].Show {OnShown}{OnHidden}"},
        {Text(gcDoUIFocus(w)), "[Menu].[Start].SetFocus"},
        {Text(gcDoUIFocus(staleControl)), "[Menu].SetFocus"},
        {Text(gcDoUIShow(staleDialog, false)), "[???].Hide"},
        {Text(gcDoUIShow(w, true)), "[Menu].[Start].Show"},
        {Text(gcDoUIListScroll(w, gcUIWidget::NEIGHBOR_UP)), "[Menu].[Start].ListScroll( Up )"},
        {Text(gcDoUIListScroll(w, 4)), "[Menu].[Start].ListScroll( ??? )"},
        {Text(gcDoUISetFont(w, hFont)), "[Menu].[Start].SetFont( [Big] )"},
        {Text(gcDoUISetFont(w, eFontHandle())), "[Menu].[Start].SetFont( [???] )"},
        {Text(gcDoUISetText(w, hText)), "[Menu].[Start].SetText( [Title] )"},
        {Text(gcDoUISetText(w, gcStringHandle())), "[Menu].[Start].SetText( [none] )"},
        {Text(gcDoUISetText(w, gcStringHandle(0x00070009))), "[Menu].[Start].SetText( [???] )"},
        {Text(gcDoUISetSprite(w, gcUIControl::SPR_FOCUSED, hSprite)), "[Menu].[Start].Focused.SetSprite( [Glow] )"},
        {Text(gcDoUISetSprite(w, gcUIControl::SPR_DISABLED, eSpriteHandle())),
         "[Menu].[Start].Disabled.SetSprite( [none] )"},
        {Text(gcDoUISetSprite(w, gcUIControl::SPR_UNUSED, eSpriteHandle(0x00070009))),
         "[Menu].[Start].???.SetSprite( [???] )"},
        {Text(gcDoUISetItem(w, gcDesiredItem{gcDesiredItem::PARTICIPANT2, {}})),
         "[Menu].[Start].SetItem( Participant2 )"},
        {Text(gcDoUIItemListSelect(w, gcDesiredItem{gcDesiredItem::SPECIFIC, {}})),
         "[Menu].[Start].ItemListSelect( [none] )"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.want);
}

}  // namespace
