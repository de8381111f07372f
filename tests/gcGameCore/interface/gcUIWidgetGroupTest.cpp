#include "gcGameCore/interface/gcUIWidgetGroup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/interfaceWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eRect.h"
#include "eEngine/modelTestSupport.h"
#include "uiTestSupport.h"

// A widget of a fixed size that remembers where it was drawn.
class uiTestBox : public gcUIWidget {
    QM_DECLARE_TYPE(uiTestBox)
public:
    void GetSize(mVec2* pSize, unsigned int) const override { *pSize = m_box; }
    void Draw(const eCamera*, const eRect& rect, unsigned int) override
    {
        if (m_nDrawn < 4)
            m_drawn[m_nDrawn] = rect;
        ++m_nDrawn;
    }
    mVec2 m_box{0.0f, 0.0f};
    eRect m_drawn[4];  // pooled objects are never destroyed: no heap here
    int m_nDrawn = 0;
};
QM_DEFINE_TYPE(uiTestBox, gcUIWidget, 60)  // free in the real table

namespace {

using G = gcUIWidgetGroup;

class gcUIWidgetGroupTest : public UiTest {
protected:
    // A group of rows x cols in the pool with boxes of the given sizes in
    // the listed cells (row-major index, size).
    G* Group(int rows, int cols, std::vector<std::pair<int, mVec2>> boxes, std::vector<uiTestBox*>* pOut = nullptr)
    {
        G* g = m_pool.New<G>();
        g->SetDimensions(rows, cols);
        for (const auto& [cell, size] : boxes) {
            uiTestBox* b = m_pool.New<uiTestBox>();
            b->m_box = size;
            g->InsertInDrawOrder(cell, b, nullptr);
            if (pOut)
                pOut->push_back(b);
        }
        return g;
    }
};

TEST_F(gcUIWidgetGroupTest, MeasuresCellsFromWidgetsAndEmptyCellsAsItsBareSize)
{
    const struct { const char* why; uint32_t flags; unsigned int measure; mVec2 want; } rows[] = {
        // bare size (4, 6); rows 20 and max(6, 5); columns max(10, 4) and 30
        {"padding counts, empty cells count as bare", G::kDefaultFlags, 0, {4 + 40, 6 + 26}},
        {"without padding empty cells count as zero", G::kDefaultFlags, G::kNoPadding, {40, 25}},
        {"a hidden group measures bare", G::kEnabled, 0, {4, 6}},
        {"unless hidden ones are measured too", G::kEnabled, G::kDrawHidden, {44, 32}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        G* g = Group(2, 2, {{0, {10, 20}}, {3, {30, 5}}});
        const float pad[4] = {1, 2, 3, 4};
        std::copy(pad, pad + 4, g->m_cellPadding);
        g->m_nFlags = row.flags;
        mVec2 size;
        g->GetSize(&size, row.measure);
        EXPECT_EQ(size, row.want) << size.x << " x " << size.y;
    }
    G* empty = Group(0, 3, {});
    empty->m_cellPadding[0] = 5;
    mVec2 size;
    empty->GetSize(&size, 0);
    EXPECT_EQ(size, mVec2(5, 0));
}

TEST_F(gcUIWidgetGroupTest, StretchingRaisesOnlyTheRowsBelowTheShare)
{
    const struct { const char* why; float heights[3]; float rect; float want[3]; } rows[] = {
        {"small rows share what the large one leaves", {10, 50, 20}, 120, {35, 50, 35}},
        {"a rect smaller than the grid changes nothing", {10, 50, 20}, 60, {10, 50, 20}},
        {"equal rows fill it evenly", {0, 0, 0}, 30, {10, 10, 10}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        G* g = Group(3, 1, {{0, {1, row.heights[0]}}, {1, {1, row.heights[1]}}, {2, {1, row.heights[2]}}});
        mVec2 size;
        g->GetSize(&size, 0);
        g->ResizeCellsEvenly(eRect{{0, 0}, {1, row.rect}}, 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(g->m_pRowHeights[i], row.want[i]) << i;
        EXPECT_EQ(g->m_curNonPaddedSize.y, row.want[0] + row.want[1] + row.want[2]);
    }
}

TEST_F(gcUIWidgetGroupTest, DrawsRowZeroAtTheTopIntoItsCellsAndForgetsTheSizes)
{
    std::vector<uiTestBox*> b;
    G* g = Group(2, 2, {{0, {10, 20}}, {3, {30, 5}}, {3, {1, 1}}}, &b);
    g->m_origin = eSprite::SO_LOWERLEFT;
    g->m_cellPadding[0] = 2;  // left
    g->m_cellPadding[3] = 3;  // bottom
    g->m_nFlags |= G::kKeepNaturalSizes;
    mVec2 size;
    g->GetSize(&size, 0);
    g->Draw(nullptr, eRect{{100, 200}, {400, 300}}, 0);
    ASSERT_EQ(b[0]->m_nDrawn, 1);
    ASSERT_EQ(b[1]->m_nDrawn, 1);
    ASSERT_EQ(b[2]->m_nDrawn, 1);
    // corner (102, 203); row 1 (height 5) at the bottom, row 0 (20) above it
    EXPECT_EQ(b[0]->m_drawn[0].pos, mVec2(102, 208));
    EXPECT_EQ(b[0]->m_drawn[0].size, mVec2(10, 20));
    EXPECT_EQ(b[1]->m_drawn[0].pos, mVec2(112, 203));
    EXPECT_EQ(b[2]->m_drawn[0].size, mVec2(30, 5));
    EXPECT_EQ(g->m_curNonPaddedSize, mVec2(0, 0));
    EXPECT_EQ(g->m_pRowHeights[0], 0.0f);

    g->m_nFlags &= ~G::kVisible;
    g->Draw(nullptr, eRect{{0, 0}, {1, 1}}, 0);
    EXPECT_EQ(b[0]->m_nDrawn, 1);
    g->Draw(nullptr, eRect{{0, 0}, {1, 1}}, G::kDrawHidden);
    EXPECT_EQ(b[0]->m_nDrawn, 2);
}

TEST_F(gcUIWidgetGroupTest, AutoNeighboursFollowTheGridWrappingPastEmptyCells)
{
    // . A B
    // C . D
    std::vector<gcUIControl*> c = Grid(2, 3, {1, 2, 3, 5});
    const auto h = [&](int i) { return i < 0 ? 0u : c[i]->GetWidgetHandle(); };
    const struct { const char* why; bool hz, vt, wrapH, wrapV; int of; int want[4]; } rows[] = {
        // want: left, right, up, down as indices into c (-1 none)
        {"clamped: edges give 0, empty cells give 0", true, true, false, false, 0, {-1, 1, -1, -1}},
        {"clamped at the right edge", true, true, false, false, 1, {0, -1, -1, 3}},
        {"wrapping skips the empty cells of the row", true, true, true, false, 2, {3, 3, -1, -1}},
        {"wrapping a column of one filled cell", true, true, true, true, 0, {1, 1, -1, -1}},
        {"wrapping vertically", true, true, true, true, 3, {2, 2, 1, 1}},
        {"links off", false, false, true, true, 3, {-1, -1, -1, -1}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Root().SetAutoNeighbors(row.hz, row.vt, row.wrapH, row.wrapV);
        for (int n = 0; n < 4; ++n)
            EXPECT_EQ(c[row.of]->GetNeighbor(static_cast<gcUIWidget::gcUINeighbor>(n)), h(row.want[n])) << n;
    }
}

TEST_F(gcUIWidgetGroupTest, ReadsEachCellsRingInOrderPastObjectsWithoutFactory)
{
    gcTestDataDir dir;
    gcUIControl a, b, d;
    a.m_name.Set("a"), b.m_name.Set("b"), d.m_name.Set("d");
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("g.ui"), G::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) {
                                                   datagen::WidgetGroupBlock(w, a, 1, 2, {{&a, &b}, {&d}}, 150);
                                               }));
    const auto* g = static_cast<G*>(cBase::Load("/g.ui", &m_pool, G::GetStaticType()));
    ASSERT_NE(g, nullptr);
    ASSERT_EQ(g->GetNumCellWidgets({0, 0}), 2);
    EXPECT_TRUE(g->GetCellWidget(0, 0)->m_name == "a");
    EXPECT_TRUE(g->GetCellWidget(0, 0)->m_pNextInZ->m_name == "b");
    EXPECT_EQ(g->GetCellWidget(0, 0)->m_pParentGroup, g);
    ASSERT_EQ(g->GetNumCellWidgets({0, 1}), 1);
    EXPECT_TRUE(g->GetCellWidget(0, 1)->m_name == "d");

    gcTestLogCapture log;
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("big.ui"), G::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) {
                                                   datagen::WidgetGroupBlock(w, a, 17, 16, {}, 0);
                                               }));
    EXPECT_EQ(cBase::Load("/big.ui", &m_pool, G::GetStaticType()), nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "17 x 16"), 1);
}

// A copy has the same grid; every cell holds copies of the original's
// widgets in the same drawing order, owned by the copy.
TEST_F(gcUIWidgetGroupTest, ACopyKeepsEveryCellsWidgetsInOrder)
{
    G* g = m_pool.New<G>();
    ASSERT_TRUE(g->SetDimensions(2, 3));
    const std::vector<std::pair<int, const char*>> placed = {{0, "a"}, {0, "b"}, {0, "c"}, {2, "d"}, {4, "e"}, {4, "f"},
                                                             {5, "g"}};
    for (const auto& [cell, name] : placed) {
        gcUIControl* p = m_pool.New<gcUIControl>();
        p->m_name.Set("%s", name);
        g->InsertInDrawOrder(cell, p, nullptr);
    }
    auto names = [](const G& group) {
        std::vector<std::string> out;
        for (int i = 0; i < group.m_nRows * group.m_nCols; ++i) {
            std::string ring;
            const gcUIWidget* pFirst = group.m_pWidgets[i];
            for (const gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ) {
                ring += p->m_name.m_sData;
                EXPECT_EQ(p->m_pParentGroup, &group);
            }
            out.push_back(ring);
        }
        return out;
    };
    const std::vector<std::string> expected = {"abc", "", "d", "", "ef", "g"};
    ASSERT_EQ(names(*g), expected);
    const G* pCopy = dcast<G>(g->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    EXPECT_EQ(pCopy->m_nRows, 2);
    EXPECT_EQ(pCopy->m_nCols, 3);
    EXPECT_EQ(names(*pCopy), expected);
    for (int i = 0; i < 6; ++i) {
        if (g->m_pWidgets[i]) {
            EXPECT_NE(pCopy->m_pWidgets[i], g->m_pWidgets[i]) << "cell " << i << " holds copies";
        }
    }
}

// A dialog's group read alone keeps every widget with its stored handle,
// two naming one slot or one past the table too, and leaves the dialog's
// table alone: the dialog checks and fills the table once its whole root
// group is read.
TEST_F(gcUIWidgetGroupTest, ReadIntoADialogKeepsEveryWidgetAndLeavesTheTableToTheDialog)
{
    gcTestDataDir dir;
    gcUIControl a, b, d;
    a.m_hWidgetHandle = b.m_hWidgetHandle = (5u << 8) | 1;  // the same slot twice
    d.m_hWidgetHandle = (6u << 8) | 7;                      // past the table
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("g.ui"), G::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) {
                                                   datagen::WidgetGroupBlock(w, a, 1, 2, {{&a, &b}, {&d}});
                                               }));
    m_pDialog->SetNumControls(2);
    gcTestLogCapture log;
    ASSERT_TRUE(ReadObjectFile("g.ui", &Root(), &m_pool));
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 0);
    ASSERT_EQ(Root().GetNumCellWidgets({0, 0}), 2);
    ASSERT_EQ(Root().GetNumCellWidgets({0, 1}), 1);
    EXPECT_EQ(Root().GetCellWidget(0, 1)->m_hWidgetHandle, (6u << 8) | 7);
    EXPECT_EQ(Root().GetCellWidget(0, 1)->m_pDialog, m_pDialog);
    ASSERT_EQ(m_pDialog->m_nControls, 2);
    EXPECT_EQ(m_pDialog->m_pControls[0], nullptr);
    EXPECT_EQ(m_pDialog->m_pControls[1], nullptr);
}

TEST_F(gcUIWidgetGroupTest, CellsOutsideTheGridGiveNothing)
{
    std::vector<uiTestBox*> boxes;
    G* g = Group(2, 3, {{0, {1, 1}}, {2, {1, 1}}, {3, {1, 1}}, {5, {1, 1}}}, &boxes);
    // Sizes measured: the memory after the cell table is not zero.
    std::fill_n(g->m_pRowHeights, 2, 64.0f);
    std::fill_n(g->m_pColWidths, 3, 64.0f);
    const gcUICell outside[] = {{-1, 0}, {0, -1}, {2, 0}, {0, 3}, {1, 3}, {2, 3}, {-1, -1}};
    for (const gcUICell& cell : outside) {
        SCOPED_TRACE(testing::Message() << cell.nRow << ", " << cell.nCol);
        EXPECT_EQ(g->FindWidget(cell, gcUIWidget::GetStaticType()), nullptr);
        EXPECT_EQ(g->GetNumCellWidgets(cell), 0);
        EXPECT_EQ(g->GetCellWidget(cell.nRow, cell.nCol), nullptr);
        g->DrawCell(nullptr, cell, eRect{{0, 0}, {1, 1}}, 0);
    }
    for (const uiTestBox* b : boxes)
        EXPECT_EQ(b->m_nDrawn, 0);
    EXPECT_EQ(g->FindWidget({1, 2}, gcUIWidget::GetStaticType()), boxes[3]);  // the last cell still answers
    EXPECT_EQ(g->GetNumCellWidgets({1, 0}), 1);
    EXPECT_EQ(g->GetCellWidget(1, 2), boxes[3]);
    // A widget the group does not hold has no cell; the cell is not touched.
    uiTestBox stranger;
    gcUICell found{7, 7};
    EXPECT_FALSE(g->FindWidgetCell(&stranger, &found));
    EXPECT_EQ(found.nRow, 7);
    EXPECT_TRUE(g->FindWidgetCell(boxes[2], &found));
    EXPECT_EQ(found.nRow, 1);
    EXPECT_EQ(found.nCol, 0);
}

// A copy the group's pool cannot hold gives no handle and no widget.
TEST_F(gcUIWidgetGroupTest, ACellWidgetCopyWithoutRoomGivesNothing)
{
    cMemPool tight("tight", 0x1000, false);
    G* g = tight.New<G>();
    ASSERT_NE(g, nullptr);
    ASSERT_TRUE(g->SetDimensions(1, 1));
    gcUIControl control;
    ASSERT_NE(tight.Alloc(tight.Capacity() - tight.BytesTaken(), 1), nullptr);
    gcTestLogCapture quiet;
    EXPECT_EQ(g->CopyCellWidget({0, 0}, &control, 0), 0u);
    EXPECT_EQ(g->GetNumCellWidgets({0, 0}), 0);
    std::destroy_at(g);
}

TEST_F(gcUIWidgetGroupTest, EditingRowsAndColumnsKeepsTheOtherCells)
{
    std::vector<gcUIControl*> c = Grid(2, 2, {0, 1, 2, 3});
    const unsigned int h1 = c[1]->GetWidgetHandle();
    Root().InsertRow(0);  // a new empty row 1
    ASSERT_EQ(Root().m_nRows, 3);
    EXPECT_EQ(Root().GetCellWidget(0, 1), c[1]);
    EXPECT_EQ(Root().GetCellWidget(1, 0), nullptr);
    EXPECT_EQ(Root().GetCellWidget(2, 0), c[2]);
    Root().DeleteRow(1);  // the empty row again
    ASSERT_EQ(Root().m_nRows, 2);
    EXPECT_EQ(Root().GetCellWidget(1, 0), c[2]);
    Root().DeleteCol(1);  // through the dialog
    EXPECT_EQ(m_pDialog->GetControl(h1), nullptr);
    EXPECT_EQ(Root().GetCellWidget(1, 0), c[2]);
    const unsigned int h2 = c[2]->GetWidgetHandle();
    Root().SetDimensions(1, 1);  // drops c2 through the dialog: no stale control in its table
    EXPECT_EQ(m_pDialog->GetControl(h2), nullptr);
    EXPECT_EQ(Root().GetCellWidget(0, 0), c[0]);
    Root().DeleteRow(0);  // the only row stays
    EXPECT_EQ(Root().m_nRows, 1);
    EXPECT_FALSE(Root().SetDimensions(17, 16));
    EXPECT_FALSE(Root().SetDimensions(-1, 1));
    EXPECT_EQ(Root().m_nCols, 1);
    EXPECT_FALSE(Root().SetRowColSizes(0, 1));  // shorter than the grid
    EXPECT_TRUE(Root().SetRowColSizes(3, 1));
}

TEST_F(gcUIWidgetGroupTest, InsertingInDrawOrderAndFindingCells)
{
    std::vector<gcUIControl*> c = Grid(1, 2, {0, 0, 1});
    const unsigned int hNew = Root().CreateCellWidget({0, 0}, gcUIControl::GetStaticType(), c[0]->GetWidgetHandle());
    gcUIWidget* pNew = m_pDialog->GetControl(hNew);
    ASSERT_NE(pNew, nullptr);
    EXPECT_EQ(c[0]->m_pNextInZ, pNew);  // after c0, before c1
    EXPECT_EQ(pNew->m_pNextInZ, c[1]);
    Root().InsertInDrawOrder({0, 1}, c[0]->GetWidgetHandle(), 0);  // moves to the end of cell 1
    EXPECT_EQ(Root().GetCellWidget(0, 0), pNew);
    EXPECT_EQ(c[2]->m_pNextInZ, c[0]);
    gcUICell cell;
    ASSERT_TRUE(Root().FindWidgetCell(c[0]->GetWidgetHandle(), &cell));
    EXPECT_EQ(cell.nCol, 1);
    EXPECT_EQ(Root().FindWidget({0, 1}, gcUIWidget::GetStaticType()), c[2]);
    EXPECT_EQ(Root().FindWidget({0, 1}, G::GetStaticType()), nullptr);
    EXPECT_EQ(Root().FindWidget({0, 1}, nullptr), nullptr);
    const unsigned int hCopy = Root().CopyCellWidget({0, 0}, c[2], 0);
    EXPECT_NE(hCopy, 0u);
    EXPECT_EQ(Root().GetNumCellWidgets({0, 0}), 3);
    Root().DeleteCellWidgets({0, 0}, true);
    EXPECT_EQ(m_pDialog->GetControl(hCopy), nullptr);
    EXPECT_EQ(Root().GetNumCellWidgets({0, 0}), 0);
}

TEST_F(gcUIWidgetGroupTest, StateGoesToTheWidgetsFirstAndConfirmSumsTheirValues)
{
    std::vector<gcUIControl*> c = Grid(1, 2, {0, 1});
    Record(c[0]->onHidden, 1);
    Record(c[1]->onHidden, 2);
    Record(Root().onHidden, 3);
    Root().Show(false);
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{1, 2, 3}));
    FillEvent(c[0]->onConfirm, m_steps.Return(m_steps.Num(1.5f)));
    FillEvent(Root().onConfirm, m_steps.Return(m_steps.Num(2.0f)));
    EXPECT_EQ(Root().OnConfirm(), 3.5f);
}

}  // namespace
