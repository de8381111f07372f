#include "gcGameCore/interface/gcUIItemList.h"

#include <gtest/gtest.h>

#include <memory>

#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIItemControl.h"
#include "uiItemTestSupport.h"

namespace {

class gcUIItemListTest : public UiItemTest {
protected:
    // A list of one row of item controls, filled once.
    gcUIItemList* List(int cols, uint32_t nMask = 0xFFFFFFFF)
    {
        gcUIItemList* p = m_pool.New<gcUIItemList>();
        Root().SetDimensions(1, 1);
        Root().InsertInDrawOrder(0, p, nullptr);
        p->InsertIntoDialog(m_pDialog);
        p->SetDimensions(1, cols);
        for (int16_t c = 0; c < cols; ++c)
            p->CreateCellWidget(gcUICell{0, c}, gcUIItemControl::GetStaticType(), 0);
        p->nItemCategoryMask = nMask;
        p->UpdateUI();
        return p;
    }
    gcUIItemControl* Cell(const gcUIItemList* p, int col)
    {
        return static_cast<gcUIItemControl*>(p->GetCellWidget(0, col));
    }
};

TEST_F(gcUIItemListTest, ListsEachTemplateOnceFilteredByCategory)
{
    gcItemTemplate* t1 = Template(1, 0x1);
    gcItemTemplate* t2 = Template(2, 0x2);
    gcItemTemplate* t3 = Template(3, 0x1);
    gcItem *x = Item(t1), *y = Item(t2), *z = Item(t1), *w = Item(t3), *v = Item(t2);
    const struct {
        const char* why;
        std::vector<gcItem*> ring;
        uint32_t mask;
        std::vector<gcItem*> want;
    } rows[] = {
        {"X(T1) Y(T2) Z(T1): Y then Z", {x, y, z}, 0xFFFFFFFF, {y, z}},
        {"X(T1) Y(T2): X then Y", {x, y}, 0xFFFFFFFF, {x, y}},
        {"the first's template listed at its next carrier", {y, x, v}, 0xFFFFFFFF, {x, v}},
        {"mask 0 lists nothing", {x, y, w}, 0, {}},
        {"the mask filters categories", {x, y, w}, 0x2, {y}},
        {"no items", {}, 0xFFFFFFFF, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        Carry(row.ring);
        gcUIItemList* p = List(3, row.mask);
        ASSERT_EQ(p->GetNumItems(), static_cast<int>(row.want.size()));
        for (size_t k = 0; k < row.want.size(); ++k)
            EXPECT_EQ(p->GetItem(static_cast<int>(k)), row.want[k]) << k;
        EXPECT_EQ(p->GetItem(-1), nullptr);
        EXPECT_EQ(p->GetItem(static_cast<int>(row.want.size())), nullptr);
        // The cells show the entries, and a cell past the last one is empty.
        for (int c = 0; c < 3; ++c) {
            const gcUIItemControl* pCell = Cell(p, c);
            gcItem* pWant = c < static_cast<int>(row.want.size()) ? row.want[c] : nullptr;
            EXPECT_EQ(pCell->pSpecificItem, pWant) << c;
            EXPECT_EQ(pCell->hItemTemplate, pWant ? pWant->m_hTemplate : gcItemTemplateHandle()) << c;
            EXPECT_EQ(pCell->desiredEntity.desiredEntity,
                      pWant ? gcDesiredEntity::PLAYER : gcDesiredEntity::SPECIFIC) << c;
        }
    }
}

TEST_F(gcUIItemListTest, SelectsByItemOrTemplateAndRunsEventsWithTheSelection)
{
    gcItemTemplate* t1 = Template(1);
    gcItemTemplate* t2 = Template(2);
    gcItemTemplate* t3 = Template(3);
    gcItem *x = Item(t1), *y = Item(t2);
    Carry({x, y});
    gcUIItemList* p = List(2);
    Record(p->onSelectionChange, 4);
    EXPECT_FALSE(p->SelectItem(nullptr, t3->m_handle)) << "an absent template";
    EXPECT_EQ(p->m_nSelectedItem, 0);
    EXPECT_TRUE(p->SelectItem(nullptr, t2->m_handle));
    EXPECT_EQ(p->m_nSelectedItem, 1);
    EXPECT_TRUE(p->SelectItem(x, gcItemTemplateHandle()));
    EXPECT_EQ(p->m_nSelectedItem, 0);
    ASSERT_EQ(TestLog().size(), 2u);
    EXPECT_EQ(TestLog()[0].pInitiator, y);
    EXPECT_EQ(TestLog()[1].pInitiator, x);
    EXPECT_EQ(TestLog()[1].fParam1, 0.0f);
}

// An item destroyed after the last refresh (an event may destroy one
// before the list refreshes) is shown by no control of an open dialog or a
// closed one of the dialog table.
TEST_F(gcUIItemListTest, AnItemDestroyedSinceTheRefreshLeavesItsControl)
{
    for (bool bOpen : {true, false}) {
        SCOPED_TRACE(bOpen ? "open" : "closed, in the table");
        gcItem *x = Item(Template(1)), *y = Item(Template(2));
        Carry({x, y});
        gcUIItemList* p = List(2);
        ASSERT_EQ(Cell(p, 0)->pSpecificItem, x);
        if (bOpen)
            gcUI::Get()->ActualOpenDialog(m_pDialog, true);
        else
            gcUIDialogMgr::Add(77, m_pDialog, 0x0505);
        Carry({y});
        std::destroy_at(x);
        EXPECT_EQ(Cell(p, 0)->pSpecificItem, nullptr);
        EXPECT_EQ(Cell(p, 1)->pSpecificItem, y);
        if (bOpen)
            gcUI::Get()->ActualCloseDialog(m_pDialog, false);
        gcUIDialogMgr::s_pInstances[77] = nullptr;
    }
}

TEST_F(gcUIItemListTest, CellsWithoutItemControlsAreNotFilled)
{
    Carry({Item(Template(1))});
    gcUIItemList* p = m_pool.New<gcUIItemList>();
    EXPECT_TRUE(p->m_nFlags & gcUIWidgetList::kScrollsItself);
    Root().SetDimensions(1, 1);
    Root().InsertInDrawOrder(0, p, nullptr);
    p->InsertIntoDialog(m_pDialog);
    p->SetDimensions(1, 2);
    p->CreateCellWidget(gcUICell{0, 0}, gcUIItemControl::GetStaticType(), 0);
    p->CreateCellWidget(gcUICell{0, 1}, gcUIControl::GetStaticType(), 0);
    p->UpdateUI();
    EXPECT_EQ(p->m_nTopVisibleItem, -1) << "a cell that cannot show items keeps the list unfilled";
    EXPECT_EQ(Cell(p, 0)->pSpecificItem, nullptr);
}

}  // namespace
