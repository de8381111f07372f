#include "gcGameCore/interface/gcUIWidget.h"

#include <gtest/gtest.h>

#include "datagen/interfaceWriters.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/script/gcMsg.h"
#include "uiTestSupport.h"

namespace {

using W = gcUIWidget;
enum Tag { kConfirm = 1, kBack, kShown, kHidden, kFocused, kUnfocused, kUpdateUI, kUpdate };

class gcUIWidgetTest : public UiTest {
protected:
    // A control outside any dialog whose eight events record their tags.
    gcUIControl* Loose(uint32_t flags)
    {
        gcUIControl* c = m_pool.New<gcUIControl>();
        c->m_nFlags = flags;
        gcEvent* events[] = {&c->onConfirm, &c->onBack,      &c->onShown,    &c->onHidden,
                             &c->onFocused, &c->onUnfocused, &c->onUpdateUI, &c->onUpdate};
        for (int i = 0; i < 8; ++i)
            Record(*events[i], i + 1);
        return c;
    }
};

TEST_F(gcUIWidgetTest, StateChangesAndCaptureHappenOnceAndOnlyWhenAllowed)
{
    enum Op { ENABLE, SHOW, FOCUS, CAPTURE };
    constexpr uint32_t kAll = W::kCanFocus;
    const struct { const char* why; uint32_t flags; Op op; bool arg; uint32_t want; std::vector<int32_t> tags; } rows[] = {
        {"showing a visible widget does nothing", kAll, SHOW, true, kAll, {}},
        {"hiding fires OnHidden", kAll, SHOW, false, kAll & ~W::kVisible, {kHidden}},
        {"showing fires OnShown", W::kEnabled, SHOW, true, W::kEnabled | W::kVisible, {kShown}},
        {"enabling fires nothing", W::kVisible, ENABLE, true, W::kVisible | W::kEnabled, {}},
        {"disabling a disabled widget does nothing", W::kVisible, ENABLE, false, W::kVisible, {}},
        {"focusing fires OnFocused", kAll, FOCUS, true, kAll | W::kFocused, {kFocused}},
        {"a hidden widget takes no focus", kAll & ~W::kVisible, FOCUS, true, kAll & ~W::kVisible, {}},
        {"a disabled widget takes no focus", kAll & ~W::kEnabled, FOCUS, true, kAll & ~W::kEnabled, {}},
        {"an unfocusable widget takes no focus", W::kDefaultFlags, FOCUS, true, W::kDefaultFlags, {}},
        {"a focused widget is not focused again", kAll | W::kFocused, FOCUS, true, kAll | W::kFocused, {}},
        {"a hidden focused widget can lose the focus", W::kFocused, FOCUS, false, 0, {kUnfocused}},
        {"a focused widget captures", W::kFocused, CAPTURE, true, W::kFocused | W::kCapturesFocus, {}},
        {"an unfocused widget does not capture", kAll, CAPTURE, true, kAll, {}},
        {"release without the focus", W::kCapturesFocus, CAPTURE, false, 0, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        TestLog().clear();
        gcUIControl* c = Loose(row.flags);
        if (row.op == ENABLE)
            c->Enable(row.arg);
        else if (row.op == SHOW)
            c->Show(row.arg);
        else if (row.op == FOCUS)
            c->Focus(row.arg, true);
        else
            c->CaptureFocus(row.arg);
        EXPECT_EQ(c->m_nFlags, row.want);
        EXPECT_EQ(TestLogTags(), row.tags);
    }
}

TEST_F(gcUIWidgetTest, UpdateRunsOnlyWhenFocusedAndConfirmReturnsTheEventsValue)
{
    gcUIControl* c = Loose(W::kCanFocus);
    const gcMsgTick tick(cTimeValue(20));
    c->Update(tick);
    c->UpdateUI();
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{kUpdateUI});
    c->Focus(true, false);
    TestLog().clear();
    c->Update(tick);
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{kUpdate});

    gcUIControl quiet;
    EXPECT_EQ(quiet.OnConfirm(), 0.0f);
    FillEvent(quiet.onBack, m_steps.Return(m_steps.Num(2.5f)));
    EXPECT_EQ(quiet.OnBack(), 2.5f);
}

TEST_F(gcUIWidgetTest, BareSizeIsPaddingWithItsExtraAndTheOffsetsMagnitude)
{
    const struct { const char* why; float pad[4]; mVec2 offset; unsigned int flags; mVec2 want; } rows[] = {
        {"left and right, top and bottom", {1, 2, 4, 8}, {0, 0}, 0, {5, 10}},
        {"a negative offset enlarges", {0, 0, 0, 0}, {-3, 2}, 0, {3, 2}},
        {"flag 0x1 leaves it all out", {1, 2, 4, 8}, {-3, 2}, W::kNoPadding, {0, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        gcUIControl c;
        std::copy(row.pad, row.pad + 4, c.m_cellPadding);
        c.m_offset = row.offset;
        mVec2 size;
        c.gcUIWidget::GetSize(&size, row.flags);
        EXPECT_EQ(size, row.want);
    }
}

TEST_F(gcUIWidgetTest, TheNeighbourWalkSkipsWhatCannotTakeTheFocusAndEnds)
{
    const struct { const char* why; int next[4]; uint32_t unfocusable; int want; } rows[] = {
        // next[i]: the control right of control i (-1 none, 9 a stale handle)
        {"the next one", {1, -1, -1, -1}, 0, 1},
        {"skips a disabled one", {1, 2, -1, -1}, 0x2, 2},
        {"a stale handle ends the walk", {1, 9, -1, -1}, 0x2, -1},
        {"back at the start: nothing", {1, 0, -1, -1}, 0x2, -1},
        {"a ring that misses the start ends at the bound", {1, 2, 3, 1}, 0xE, -1},
        {"no neighbour", {-1, -1, -1, -1}, 0, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        m_pDialog = m_pool.New<gcUIDialog>();
        std::vector<gcUIControl*> c = Grid(1, 4, {0, 1, 2, 3});
        ASSERT_EQ(c.size(), 4u);
        for (int i = 0; i < 4; ++i) {
            c[i]->m_nFlags |= W::kFocusable;
            if (row.unfocusable & (1u << i))
                c[i]->m_nFlags &= ~W::kEnabled;
            const int n = row.next[i];
            c[i]->SetNeighbor(W::NEIGHBOR_RIGHT, n < 0 ? 0 : n == 9 ? c[1]->GetWidgetHandle() + 0x100 : c[n]->GetWidgetHandle());
        }
        EXPECT_EQ(c[0]->FindFocusableNeighbor(W::NEIGHBOR_RIGHT), row.want < 0 ? nullptr : c[row.want]);
    }
}

TEST_F(gcUIWidgetTest, DetachLeavesNoNeighbourPointingAtTheWidget)
{
    std::vector<gcUIControl*> c = Grid(2, 2, {0, 1, 2, 3});
    Root().SetAutoNeighbors(true, true, true, true);
    const unsigned int h = c[3]->GetWidgetHandle();
    ASSERT_EQ(c[1]->GetNeighbor(W::NEIGHBOR_DOWN), h);
    c[3]->Detach();
    for (gcUIControl* p : c)
        for (int n = 0; n < W::MAX_NEIGHBORS; ++n)
            EXPECT_NE(p->GetNeighbor(static_cast<W::gcUINeighbor>(n)), h);
    gcUICell cell{1, 1};
    c[3]->GetCell(&cell);
    EXPECT_EQ(cell.nRow, -1);
    EXPECT_EQ(Root().GetNumCellWidgets({1, 1}), 0);
    EXPECT_EQ(c[0]->GetNeighborWidget(W::NEIGHBOR_RIGHT), c[1]);
}

TEST_F(gcUIWidgetTest, ReadDropsTheFocusTheDialogHandleAndSurplusNeighbours)
{
    gcTestDataDir dir;
    gcUIControl src;
    src.m_nFlags = 0x90F;  // focused in the file
    for (int i = 0; i < 4; ++i)
        src.m_hNeighbors[i] = 0x100u * (i + 1) + 1;
    src.m_origin = eSprite::SO_LOWERLEFT;
    src.m_offset.Set(1.5f, -2);
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("c.ui"), gcUIControl::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) {
                                                   w.Begin(gcUIControl::kVersion);
                                                   datagen::WidgetBlock(w, src, 1, 6);
                                                   w.Float(1).Int(0).Float(0).Float(0).Float(0).Float(0).Int(0);
                                                   w.Int(5).Int(-1).Int(-1).Int(-1).Int(-1).Float(99);
                                                   w.Float(8).Float(9).Int(0).End();
                                               }));
    const auto* c = static_cast<gcUIControl*>(cBase::Load("/c.ui", &m_pool, gcUIControl::GetStaticType()));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->m_nFlags, 0x90Bu);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(c->m_hNeighbors[i], src.m_hNeighbors[i]);
    EXPECT_EQ(c->m_origin, eSprite::SO_LOWERLEFT);
    EXPECT_EQ(c->m_offset, src.m_offset);
    EXPECT_EQ(c->m_fMaxTextWidth, 99.0f);
    EXPECT_EQ(c->m_size, mVec2(8, 9));
    EXPECT_EQ(c->m_hSprites[0].m_nValue, 0u);
}

TEST_F(gcUIWidgetTest, ACopyKeepsEventsAndLooksButNotItsPlace)
{
    std::vector<gcUIControl*> c = Grid(1, 2, {0, 1});
    c[0]->m_name.Set("ok");
    c[0]->m_offset.Set(3, 4);
    c[0]->SetNeighbor(W::NEIGHBOR_RIGHT, c[1]->GetWidgetHandle());
    Record(c[0]->onConfirm, 7);
    auto* copy = static_cast<gcUIControl*>(c[0]->Copy(&m_pool));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_offset, mVec2(3, 4));
    EXPECT_EQ(copy->GetWidgetHandle(), 0u);
    EXPECT_EQ(copy->m_pDialog, nullptr);
    EXPECT_EQ(copy->m_pParentGroup, nullptr);
    EXPECT_EQ(copy->GetNeighbor(W::NEIGHBOR_RIGHT), 0u);
    EXPECT_EQ(copy->m_pNextInZ, copy);
    EXPECT_EQ(copy->onConfirm.sOwnerName, copy->m_name.m_sData);
    copy->OnConfirm();
    EXPECT_EQ(TestLogTags(), std::vector<int32_t>{7});
    EXPECT_STREQ(W::GetNeighborText(W::NEIGHBOR_DOWN), "Down");
    EXPECT_STREQ(W::GetNeighborText(4), "???");
}

}  // namespace
