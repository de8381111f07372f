#include "gcGameCore/interface/gcUIWidgetList.h"

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "datagen/flowWriters.h"
#include "datagen/interfaceWriters.h"
#include "datagen/modelWriters.h"
#include "gcUIDialogTestSupport.h"
#include "uiTestSupport.h"

// A list of n items whose cells are always valid; remembers what it filled.
class uiTestList : public gcUIWidgetList {
public:
    void FillCell(const gcUICell& cell, int nItem) override
    {
        if (m_nFilled < 16)
            m_filled[m_nFilled] = {cell.nRow, cell.nCol, nItem};
        ++m_nFilled;
    }
    bool IsValidCell(const gcUICell&) const override { return true; }
    int GetNumItems() const override { return m_nItems; }
    int m_nItems = 10;
    struct Fill {
        int row, col, item;
    } m_filled[16];
    int m_nFilled = 0;
};

namespace {

using L = gcUIWidgetList;
using W = gcUIWidget;

class gcUIWidgetListTest : public UiTest {
protected:
    uiTestList* List(int rows, int cols, uint32_t flags, int nItems)
    {
        uiTestList* p = m_pool.New<uiTestList>();
        p->SetDimensions(rows, cols);
        p->m_nFlags |= flags;
        p->m_nItems = nItems;
        p->UpdateUI();  // the first refresh fills from item 0
        return p;
    }
};

TEST_F(gcUIWidgetListTest, ScrollMovesClampsWrapsAndScrollsByWholeLines)
{
    const struct {
        const char* why;
        int rows, cols;
        uint32_t flags;
        int from;
        W::gcUINeighbor dir;
        bool result;
        int sel, top, cellRow, cellCol;
    } rows[] = {
        {"3 x 10: down from 9 (to 12) stays", 2, 3, 0, 9, W::NEIGHBOR_DOWN, false, 9, 6, 1, 0},
        {"down from 7 (to 10 = n) selects 9", 2, 3, 0, 7, W::NEIGHBOR_DOWN, true, 9, 6, 1, 0},
        {"up from 1 (to -2) selects 0", 2, 3, 0, 1, W::NEIGHBOR_UP, true, 0, 0, 0, 0},
        {"left in the first column leaves", 2, 3, 0, 0, W::NEIGHBOR_LEFT, false, 0, 0, 0, 0},
        {"right in the last column leaves", 2, 3, 0, 2, W::NEIGHBOR_RIGHT, false, 2, 0, 0, 2},
        {"below the window: the fewest lines", 2, 3, 0, 4, W::NEIGHBOR_DOWN, true, 7, 3, 1, 1},
        {"wrap from 0 selects the last, last line", 3, 1, L::kWrap, 0, W::NEIGHBOR_UP, true, 9, 7, 2, 0},
        {"wrap past the last selects 0", 3, 1, L::kWrap, 9, W::NEIGHBOR_DOWN, true, 0, 0, 0, 0},
        {"column-major one row: left from 0 keeps 0", 1, 3, L::kColumnMajor, 0, W::NEIGHBOR_LEFT, false, 0, 0, 0, 0},
        {"column-major: right steps a column", 3, 2, L::kColumnMajor, 0, W::NEIGHBOR_RIGHT, true, 3, 0, 0, 1},
        {"column-major: down in the last row leaves", 3, 2, L::kColumnMajor, 2, W::NEIGHBOR_DOWN, false, 2, 0, 2, 0},
        {"column-major: window scrolls by columns", 3, 2, L::kColumnMajor, 5, W::NEIGHBOR_RIGHT, true, 8, 3, 2, 1},
        {"reverse fill: the cell from the forward order", 2, 3, L::kReverseFill, 4, W::NEIGHBOR_RIGHT, true, 5, 0, 1, 2},
        {"a direction outside the four does nothing", 2, 3, 0, 1, static_cast<W::gcUINeighbor>(7), false, 1, 0, 0, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        uiTestList* p = List(row.rows, row.cols, row.flags, 10);
        if (row.from != 0) {
            ASSERT_TRUE(p->SelectItem(row.from));
        }
        EXPECT_EQ(p->Scroll(row.dir), row.result);
        EXPECT_EQ(p->m_nSelectedItem, row.sel);
        EXPECT_EQ(p->m_nTopVisibleItem, row.top);
        EXPECT_EQ(p->m_focusedCell.nRow, row.cellRow);
        EXPECT_EQ(p->m_focusedCell.nCol, row.cellCol);
    }
}

// Lists without cells or items never divide and select nothing.
TEST_F(gcUIWidgetListTest, EmptyGridsAndEmptyListsSelectNothing)
{
    const struct { int rows, cols, items; } rows[] = {{2, 0, 10}, {0, 3, 10}, {2, 3, 0}};
    for (const auto& row : rows) {
        uiTestList* p = List(row.rows, row.cols, L::kWrap, row.items);
        EXPECT_FALSE(p->SelectItem(1));
        EXPECT_FALSE(p->Scroll(W::NEIGHBOR_DOWN));
        EXPECT_EQ(p->m_nSelectedItem, 0);
    }
    uiTestList* pNever = m_pool.New<uiTestList>();  // never filled
    pNever->SetDimensions(1, 1);
    EXPECT_FALSE(pNever->SelectItem(3));
    EXPECT_EQ(pNever->m_nSelectedItem, -1);
}

TEST_F(gcUIWidgetListTest, FillsRowOrColumnMajorAndReverseFromTheTop)
{
    const struct { uint32_t flags; int top; std::vector<std::vector<int>> want; } rows[] = {
        {0, 0, {{0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {1, 0, 3}, {1, 1, 4}, {1, 2, 5}}},
        {L::kColumnMajor, 0, {{0, 0, 0}, {1, 0, 1}, {0, 1, 2}, {1, 1, 3}, {0, 2, 4}, {1, 2, 5}}},
        {L::kReverseFill, 0, {{1, 2, 0}, {1, 1, 1}, {1, 0, 2}, {0, 2, 3}, {0, 1, 4}, {0, 0, 5}}},
        {0, 3, {{0, 0, 3}, {0, 1, 4}, {0, 2, 5}, {1, 0, 6}, {1, 1, 7}, {1, 2, 8}}},
    };
    for (const auto& row : rows) {
        uiTestList* p = List(2, 3, row.flags, 10);
        EXPECT_EQ(p->m_nTopVisibleItem, 0);
        EXPECT_EQ(p->m_nSelectedItem, 0);
        p->m_nTopVisibleItem = row.top;
        p->m_nFilled = 0;
        p->FillCurVisibleItems();
        ASSERT_EQ(p->m_nFilled, 6);
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ((std::vector<int>{p->m_filled[k].row, p->m_filled[k].col, p->m_filled[k].item}), row.want[k])
                << row.flags << " cell " << k;
    }
}

TEST_F(gcUIWidgetListTest, SelectionChangeGetsTheIndexAndMovesTheCellFocus)
{
    Root().SetDimensions(1, 1);
    uiTestList* p = m_pool.New<uiTestList>();
    Root().InsertInDrawOrder(0, p, nullptr);
    p->InsertIntoDialog(m_pDialog);
    p->SetDimensions(2, 3);
    p->m_nItems = 10;
    const unsigned int h0 = p->CreateCellWidget(gcUICell{0, 0}, gcUIControl::GetStaticType(), 0);
    const unsigned int h4 = p->CreateCellWidget(gcUICell{1, 1}, gcUIControl::GetStaticType(), 0);
    gcUIWidget* pCell0 = m_pDialog->GetControl(h0);
    gcUIWidget* pCell4 = m_pDialog->GetControl(h4);
    for (gcUIWidget* w : {static_cast<gcUIWidget*>(p), pCell0, pCell4})
        w->m_nFlags |= W::kFocusable;
    Record(p->onSelectionChange, 5);
    p->UpdateUI();
    EXPECT_TRUE(TestLog().empty()) << "filling fires nothing";
    p->Focus(true, false);
    EXPECT_TRUE(pCell0->m_nFlags & W::kFocused);
    EXPECT_TRUE(p->m_nFlags & W::kCapturesFocus);
    ASSERT_TRUE(p->SelectItem(4));
    ASSERT_EQ(TestLog().size(), 1u);
    EXPECT_EQ(TestLog()[0].fParam1, 4.0f);
    EXPECT_FALSE(pCell0->m_nFlags & W::kFocused);
    EXPECT_TRUE(pCell4->m_nFlags & W::kFocused);
    p->Focus(false, false);
    EXPECT_FALSE(pCell4->m_nFlags & (W::kFocused | W::kCapturesFocus));
    EXPECT_FALSE(p->m_nFlags & W::kCapturesFocus);
}

TEST_F(gcUIWidgetListTest, LeavingTheFirstColumnFocusesTheLeftNeighbour)
{
    std::vector<gcUIControl*> controls = Grid(1, 2, {0});
    uiTestList* p = m_pool.New<uiTestList>();
    p->SetDimensions(1, 3);
    p->m_nFlags |= W::kFocusable;
    Root().InsertInDrawOrder(1, p, nullptr);
    p->InsertIntoDialog(m_pDialog);
    const unsigned int hList = p->GetWidgetHandle();
    ASSERT_NE(hList, 0u);
    controls[0]->m_nFlags |= W::kFocusable;
    p->SetNeighbor(W::NEIGHBOR_LEFT, controls[0]->GetWidgetHandle());
    p->UpdateUI();
    ASSERT_TRUE(m_pDialog->FocusControl(hList));
    ASSERT_TRUE(p->m_nFlags & W::kCapturesFocus);
    EXPECT_FALSE(p->Scroll(W::NEIGHBOR_LEFT));
    EXPECT_TRUE(controls[0]->m_nFlags & W::kFocused);
    EXPECT_FALSE(p->m_nFlags & (W::kFocused | W::kCapturesFocus));
}

// While focused, a list that scrolls itself moves its selection with the
// direction buttons in its update; others leave them to the dialog.
TEST_F(gcUIWidgetListTest, UpdateScrollsWithTheDirectionButtonsWhenAllowed)
{
    ui::StartInput();
    const struct { uint32_t flags; bool focused; int want; } rows[] = {
        {L::kScrollsItself, true, 3}, {0, true, 0}, {L::kScrollsItself, false, 0}};
    for (const auto& row : rows) {
        uiTestList* p = List(2, 3, row.flags | W::kFocusable, 10);
        if (row.focused)
            p->Focus(true, false);
        ui::Pad(0);
        ui::Pad(PAD_BUTTON_DOWN);
        p->Update(gcMsgTick(ui::kFrame));
        EXPECT_EQ(p->m_nSelectedItem, row.want) << row.flags << " " << row.focused;
    }
    ui::StopInput();
}

// The dialog moves the focus before the focused widget's update runs: a
// press that carries the focus into a list that scrolls itself also moves
// the list's selection in the same frame.
TEST_F(gcUIWidgetListTest, EnteringAListByADirectionPressAlsoMovesItsSelection)
{
    const struct { uint32_t flags; int selected; } rows[] = {{L::kScrollsItself, 1}, {0, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.flags);
        ui::StartInput();
        std::vector<gcUIControl*> controls = Grid(1, 2, {0});
        uiTestList* p = m_pool.New<uiTestList>();
        p->SetDimensions(1, 3);
        p->m_nFlags |= W::kFocusable | row.flags;
        Root().InsertInDrawOrder(1, p, nullptr);
        p->InsertIntoDialog(m_pDialog);
        controls[0]->m_nFlags |= W::kFocusable;
        controls[0]->SetNeighbor(W::NEIGHBOR_RIGHT, p->GetWidgetHandle());
        p->UpdateUI();
        m_pDialog->m_hInitiallyFocusedControl = controls[0]->GetWidgetHandle();
        gcUI::OpenDialog(m_pDialog, nullptr, 0);
        ui::Frames(1);
        ASSERT_EQ(m_pDialog->m_hFocusedControl, controls[0]->GetWidgetHandle());
        ui::Pad(0);
        ui::Pad(PAD_BUTTON_RIGHT);
        ui::Frames(1);
        ui::Pad(0);
        EXPECT_EQ(m_pDialog->m_hFocusedControl, p->GetWidgetHandle());
        EXPECT_EQ(p->m_nSelectedItem, row.selected);
        ui::StopInput();
        m_pDialog->Reset();
    }
}

// A list block reads as true only whole: its group and then its selection
// event. A refused version, a refused group or a missing event fails it.
TEST_F(gcUIWidgetListTest, AListBlockIsReadOnlyWhole)
{
    enum Cut { WHOLE, VERSION_0, BAD_GROUP, NO_EVENT };
    const struct { const char* why; Cut cut; bool bRead; } rows[] = {
        {"whole", WHOLE, true},
        {"version 0", VERSION_0, false},
        {"a group of 17 x 16 cells", BAD_GROUP, false},
        {"the selection event missing", NO_EVENT, false},
    };
    gcTestDataDir dir;
    gcUIControl a;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("l.ui"), L::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       w.Begin(row.cut == VERSION_0 ? 0 : 1);
                                                       if (row.cut == BAD_GROUP)
                                                           datagen::WidgetGroupBlock(w, a, 17, 16, {});
                                                       else
                                                           datagen::WidgetGroupBlock(w, a, 1, 2, {{&a}, {}});
                                                       if (row.cut != NO_EVENT)
                                                           datagen::EmptyEventBlock(w);
                                                       w.End();
                                                   }));
        uiTestList& list = *m_pool.New<uiTestList>();  // cells come from the list's pool
        gcTestLogCapture log;
        cFile file;
        ASSERT_TRUE(file.Open("/l.ui"));
        {
            cReadBlock top(file, 1);
            ASSERT_EQ(top.ReadInt(), static_cast<int32_t>(L::GetStaticType()->m_nTypeId));
            EXPECT_EQ(list.Read(file, &m_pool), row.bRead);
        }
        file.Close();
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "") + log.Count(LOGTYPE_WARNING, "") > 0, !row.bRead);
    }
}

}  // namespace
