#include "gcGameCore/interface/gcUIDialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "cCore/cFile.h"
#include "datagen/dialogWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/slotLease.h"
#include "gcGameCore/actions/gcDoUIShow.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/entities/entityTestObjects.h"
#include "gcUIDialogTestSupport.h"

namespace {

using gcUIDialogTest = DialogTest;

// Every widget reachable from a group's cells, nested groups included.
void CollectWidgets(const gcUIWidgetGroup& g, std::set<const gcUIWidget*>* pOut)
{
    for (int r = 0; r < g.m_nRows; ++r)
        for (int c = 0; c < g.m_nCols; ++c) {
            const gcUIWidget* pFirst = g.GetCellWidget(r, c);
            for (const gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ) {
                pOut->insert(p);
                if (const auto* pInner = dcast<const gcUIWidgetGroup>(p))
                    CollectWidgets(*pInner, pOut);
            }
        }
}

unsigned int NewControl(gcUIDialog* d, cMemPool& pool)
{
    return d->CreateControl(pool.New<gcUIControl>());
}

TEST_F(gcUIDialogTest, ControlHandlesCarryTheMagicAndReusedSlotsGetANewOne)
{
    gcUIDialog* d = Dialog(0);
    gcUIDialog::s_nNextMagicNum = 0xFFFFFD;
    unsigned int h0 = NewControl(d, m_pool);
    const unsigned int h1 = NewControl(d, m_pool);
    const unsigned int h2 = NewControl(d, m_pool);
    EXPECT_EQ(h0, 0xFFFFFD00u);
    EXPECT_EQ(h1, 0xFFFFFE01u);
    EXPECT_EQ(h2, 0x00000102u);  // the counter starts again at 1
    EXPECT_EQ(d->m_nControls, 3);
    d->DestroyControl(h1);  // a middle slot stays, empty
    EXPECT_EQ(d->m_nControls, 3);
    EXPECT_EQ(d->GetControl(h1), nullptr);
    const unsigned int h3 = NewControl(d, m_pool);
    EXPECT_EQ(h3, 0x00000201u);  // slot 1 again, the next magic
    EXPECT_NE(d->GetControl(h3), nullptr);
    EXPECT_EQ(d->GetControl(h1), nullptr);
    d->DestroyControl(h2);
    d->DestroyControl(h3);  // the table is cut past the last control
    EXPECT_EQ(d->m_nControls, 1);
    d->DestroyControl(h0);
    EXPECT_EQ(d->m_nControls, 0);
    h0 = NewControl(d, m_pool);
    const struct { const char* why; unsigned int h; bool resolves; } rows[] = {
        {"live", h0, true}, {"zero", 0, false}, {"slot past the table", 0xFFFFFD05u, false},
        {"wrong magic", 0x12345600u, false}};
    for (const auto& r : rows)
        EXPECT_EQ(d->GetControl(r.h) != nullptr, r.resolves) << r.why;
}

TEST_F(gcUIDialogTest, ControlTableIsBoundedAndSlotsOutsideItAreRefused)
{
    gcUIDialog* d = Dialog(0);
    d->SetNumControls(1000);
    EXPECT_EQ(d->m_nControls, gcUIDialog::kMaxControls);
    for (int i = 0; i < gcUIDialog::kMaxControls; ++i)
        ASSERT_NE(NewControl(d, m_pool), 0u);
    gcTestLogCapture log;
    EXPECT_EQ(NewControl(d, m_pool), 0u);  // 257th
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "256"), 1);
    d->SetNumControls(-4);
    EXPECT_EQ(d->m_nControls, 0);
    EXPECT_EQ(d->m_pControls, nullptr);
    d->SetNumControls(2);
    gcUIControl* pStray = m_pool.New<gcUIControl>();
    pStray->m_hWidgetHandle = 0x0102;  // slot 2 of a table of 2
    EXPECT_FALSE(d->ReplaceControl(pStray));
    EXPECT_EQ(d->m_nControls, 2);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1) << "the 257th control only";
    gcUIControl* pFirst = m_pool.New<gcUIControl>();
    pFirst->m_hWidgetHandle = 0x0201;
    EXPECT_TRUE(d->ReplaceControl(pFirst));
    EXPECT_EQ(d->GetControl(0x0201), pFirst);
    EXPECT_EQ(d->FindControl(gcUIControl::kDefaultControlFlags), pFirst);
    EXPECT_EQ(d->FindControl(gcUIWidget::kFocused), nullptr);
    // A control the slot held before leaves its cell, deleted.
    ASSERT_TRUE(d->m_widgetGroup.SetDimensions(1, 1));
    const unsigned int hOld = d->m_widgetGroup.CreateCellWidget({0, 0}, gcUIControl::GetStaticType(), 0);
    ASSERT_EQ(hOld & gcUIDialog::kSlotMask, 0u);
    gcUIControl* pNew = m_pool.New<gcUIControl>();
    pNew->m_hWidgetHandle = 0x0300;
    EXPECT_TRUE(d->ReplaceControl(pNew));
    EXPECT_EQ(d->GetControl(0x0300), pNew);
    EXPECT_EQ(d->m_widgetGroup.GetNumCellWidgets({0, 0}), 0);
}

// Shrinking the table deletes the controls past it: the focus goes with a
// deleted control and stays on a kept one.
TEST_F(gcUIDialogTest, ShrinkingTheTableTakesTheFocusOnlyFromADeletedControl)
{
    const struct {
        int focused, nKept;
        bool bFocusKept;
    } rows[] = {{0, 2, true}, {1, 2, true}, {2, 2, false}, {0, 0, false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "slot " << row.focused << " focused, " << row.nKept << " kept");
        gcUIDialog* d = Dialog(0);
        const unsigned int h[] = {NewControl(d, m_pool), NewControl(d, m_pool), NewControl(d, m_pool)};
        d->m_hFocusedControl = h[row.focused];
        d->SetNumControls(row.nKept);
        EXPECT_EQ(d->m_nControls, row.nKept);
        EXPECT_EQ(d->m_hFocusedControl, row.bFocusKept ? h[row.focused] : 0u);
    }
}

TEST_F(gcUIDialogTest, RandomHandleChecksAndLayoutTexts)
{
    EXPECT_STREQ(gcUIDialog::GetLayoutText(0), "No background ");  // with its blank
    EXPECT_STREQ(gcUIDialog::GetLayoutText(5), "???");
    EXPECT_STREQ(gcUIDialog::GetLayoutText(-1), "???");
    gcUIDialog* d = Dialog(0);
    const gcUIDialogHandle h = gcUIDialogMgr::Add(42, d, 0);
    EXPECT_EQ(h.GetSlot(), 42);
    EXPECT_NE(h.GetCheck(), 0);
    EXPECT_EQ(d->m_handle, h);
    EXPECT_EQ(gcUIDialogMgr::GetPtr(h), d);
    EXPECT_EQ(gcUIDialogMgr::GetPtr(gcUIDialogHandle(h.m_nValue ^ 0x10000)), nullptr);
    gcUIDialogMgr::s_pInstances[42] = nullptr;
}

class gcUIDialogFileTest : public gcUIDialogTest {
protected:
    // Loads a hand-laid file holding one object of type T.
    template <class T>
    T* Load(const std::function<void(datagen::BlockWriter&)>& body)
    {
        if (!datagen::WriteObjectBlocksFile(m_data.HostPath("d.bin"), T::GetStaticType()->m_nTypeId, body))
            return nullptr;
        return dcast<T>(cBase::Load("/d.bin", &m_pool, T::GetStaticType()));
    }
    static datagen::DialogDesc Desc()
    {
        datagen::DialogDesc d;
        d.name = "Pause";
        d.flags = 0x106;
        d.controlCount = 3;
        d.controls = {0x0102};
        d.initiallyFocused = 0x0102;
        d.layout = 3;
        d.sprites = {0x00010001, 0x00020002};
        d.origin = 2;
        d.offset[0] = 4, d.offset[1] = -8;
        d.fixedSize[0] = 100, d.fixedSize[1] = 50;
        d.hBackdropMaterial = 0x00070007;
        d.backdropOpacity = 0.25f;
        d.actions = [](datagen::BlockWriter& w, int index) { RecordStepMember(w, index); };
        return d;
    }
    gcTestDataDir m_data;
};

TEST_F(gcUIDialogFileTest, EachVersionReadsTheFieldsItHolds)
{
    struct Row {
        uint32_t version;
        int32_t layout;
        uint32_t sprite0;
        bool update, focusChanged, initialUpdate;
    };
    const Row rows[] = {
        {6, 0, 0, false, false, false},       // no layout, sprite objects read over
        {7, 3, 0x00010001, false, false, false},
        {8, 3, 0x00010001, false, false, false},
        {9, 3, 0x00010001, true, false, false},
        {10, 3, 0x00010001, true, true, false},
        {11, 3, 0x00010001, true, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.version);
        gcUIDialog* d = Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, Desc(), row.version); });
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->m_nControls, 3);
        EXPECT_EQ(d->m_hInitiallyFocusedControl, 0x0102u);
        EXPECT_EQ(d->m_layout, row.layout);
        EXPECT_EQ(d->m_hSprites[0].m_nValue, row.sprite0);
        EXPECT_EQ(d->m_origin, 2);  // the fields after the sprites stay in step
        EXPECT_EQ(d->m_fBackdropOpacity, 0.25f);
        EXPECT_EQ(d->onUpdate.HasActions(), row.update);
        EXPECT_EQ(d->onFocusChanged.HasActions(), row.focusChanged);
        EXPECT_EQ(d->onInitialUpdate.HasActions(), row.initialUpdate);
        // The focused event of the file is the eighth, whatever came before.
        TestLog().clear();
        d->onFocused.Apply(gcEventParams(), gcEventStackData());
        EXPECT_EQ(TestLogTags(), std::vector<int32_t>{7});
    }
}

TEST_F(gcUIDialogFileTest, OldVersionsAndCountsOutsideTheTableAreRefused)
{
    gcTestLogCapture log;
    EXPECT_EQ(Load<gcUIDialog>([](datagen::BlockWriter& w) { datagen::DialogBlock(w, Desc(), 5); }), nullptr);
    EXPECT_EQ(Load<gcUIDialog>([](datagen::BlockWriter& w) { datagen::DialogBlock(w, Desc(), 12); }), nullptr);
    datagen::DialogDesc many = Desc();
    many.sprites = {1, 2, 3, 4, 5, 6, 7, 8, 0x99, 0x77};  // ten: the writer writes nine
    EXPECT_EQ(Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, many, 11); }), nullptr);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcUIDialog: sprite count not accepted"), 1);
    many.sprites.pop_back();
    many.controlCount = gcUIDialog::kMaxControls;
    gcUIDialog* d = Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, many, 11); });
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_hSprites[8].m_nValue, 0x99u);
    EXPECT_EQ(d->m_origin, 2);
    EXPECT_EQ(d->m_nControls, gcUIDialog::kMaxControls);
    datagen::DialogDesc none = Desc();
    none.controlCount = 0;
    none.controls = {};
    none.initiallyFocused = 0;
    d = Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, none, 11); });
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->m_nControls, 0);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcUIDialog: version not accepted"), 2);
    const struct {
        int32_t count;
        const char* sError;
    } refused[] = {
        {gcUIDialog::kMaxControls + 1, "\"/d.bin\": gcUIDialog \"Pause\": control count 257 outside 0..256"},
        {-1, "\"/d.bin\": gcUIDialog \"Pause\": control count -1 outside 0..256"},
        {INT32_MIN, "control count -2147483648 outside"},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.count);
        datagen::DialogDesc bad = Desc();
        bad.controlCount = row.count;
        gcTestLogCapture one;
        EXPECT_EQ(Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, bad, 11); }), nullptr);
        EXPECT_EQ(one.Count(LOGTYPE_ERROR, ""), 1);
        EXPECT_EQ(one.Count(LOGTYPE_ERROR, row.sError), 1);
    }
    EXPECT_EQ(log.Count(LOGTYPE_WARNING, "control count"), 0);
}

// Every control of the root group, and of a group within it, takes the slot
// of its stored handle. One whose slot lies past the stored count, or a
// second claim on a slot, refuses the dialog: one error, naming the file,
// the dialog and the controls, and no slot left naming a deleted control.
// Each row reads into a dialog that holds the controls of the last one read
// whole; a refused one keeps that one's flags.
TEST_F(gcUIDialogFileTest, ControlsOutsideTheirTableOrSharingASlotRefuseTheDialog)
{
    const struct {
        const char* why;
        int32_t count;
        uint32_t outer, inner, child;  // slots of cell 0's control, cell 1's group and the group's control
        const char* sError;            // null: read whole
    } rows[] = {
        {"each in a slot of its own", 3, 0, 1, 2, nullptr},
        {"slots left empty", 8, 7, 5, 2, nullptr},
        {"the last slot of the largest table", 256, 0, 1, 255, nullptr},
        {"no table", 0, 0, 1, 2, "control \"Outer\" names slot 0 of a table of 0"},
        {"a control one past the table", 2, 2, 1, 0, "control \"Outer\" names slot 2 of a table of 2"},
        {"the group past the table", 3, 0, 3, 2, "control \"Inner\" names slot 3 of a table of 3"},
        {"the group's control past the table", 3, 0, 1, 255, "control \"Child\" names slot 255 of a table of 3"},
        {"a control and the group", 3, 1, 1, 2, "controls \"Outer\" and \"Inner\" both name slot 1"},
        {"a control and the group's control", 3, 2, 1, 2, "controls \"Outer\" and \"Child\" both name slot 2"},
        {"the group and its own control", 3, 0, 1, 1, "controls \"Inner\" and \"Child\" both name slot 1"},
    };
    gcUIDialog* d = Dialog(0);
    uint32_t nKeptFlags = d->m_nFlags;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        gcUIDialog* pSource = Dialog(0);
        pSource->m_name.Set("Pause");
        pSource->m_nFlags = gcUIDialog::kPauses | static_cast<uint32_t>(&row - rows) << 12;
        ASSERT_TRUE(pSource->m_widgetGroup.SetDimensions(1, 2));
        pSource->SetNumControls(row.count);
        gcUIControl* pOuter = m_pool.New<gcUIControl>();
        gcUIWidgetGroup* pInner = m_pool.New<gcUIWidgetGroup>();
        gcUIControl* pChild = m_pool.New<gcUIControl>();
        ASSERT_TRUE(pInner->SetDimensions(1, 1));
        const std::pair<gcUIWidget*, uint32_t> widgets[] = {
            {pOuter, (5u << 8) | row.outer}, {pInner, (6u << 8) | row.inner}, {pChild, (7u << 8) | row.child}};
        const char* names[] = {"Outer", "Inner", "Child"};
        for (int i = 0; i < 3; ++i) {
            widgets[i].first->m_name.Set("%s", names[i]);
            widgets[i].first->m_hWidgetHandle = widgets[i].second;
        }
        pSource->m_widgetGroup.InsertInDrawOrder(0, pOuter, nullptr);
        pSource->m_widgetGroup.InsertInDrawOrder(1, pInner, nullptr);
        pInner->InsertInDrawOrder(0, pChild, nullptr);
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("d.bin"), *pSource));
        if (&row == &rows[0]) {
            ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("whole.bin"), *pSource));
        }
        gcTestLogCapture log;
        EXPECT_EQ(ReadObjectFile("d.bin", d, &m_pool), row.sError == nullptr);
        if (!row.sError) {
            nKeptFlags = pSource->m_nFlags;
            EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 0);
            EXPECT_EQ(d->m_nControls, row.count);
            int nPlaced = 0;
            for (int i = 0; i < d->m_nControls; ++i)
                nPlaced += d->m_pControls[i] != nullptr;
            EXPECT_EQ(nPlaced, 3);
            for (int i = 0; i < 3; ++i) {
                const gcUIWidget* p = d->GetControl(widgets[i].second);
                ASSERT_NE(p, nullptr) << names[i];
                EXPECT_TRUE(p->m_name == names[i]);
                EXPECT_NE(p, widgets[i].first) << "the dialog's own, read from the file";
            }
            continue;
        }
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, (std::string("\"/d.bin\": gcUIDialog \"Pause\": ") + row.sError).c_str()), 1);
        // The first row's controls went with its root group; none of the
        // refused dialog's took their slots.
        std::set<const gcUIWidget*> live;
        CollectWidgets(d->m_widgetGroup, &live);
        EXPECT_EQ(live.size(), 3u);
        EXPECT_EQ(d->m_nFlags, nKeptFlags) << "those of the dialog's last read";
        for (int i = 0; i < d->m_nControls; ++i)
            EXPECT_EQ(d->m_pControls[i], nullptr) << "slot " << i;
        ASSERT_TRUE(ReadObjectFile("whole.bin", d, &m_pool));  // the first row's controls again
        nKeptFlags = gcUIDialog::kPauses;
    }
}

// The bindings of a dialog's own events to the dialog are asked once its
// table is placed, each control named once: 300 bindings to its first
// control read; bindings naming one more control than a table holds refuse
// the dialog, one error.
TEST_F(gcUIDialogFileTest, BindingsToTheDialogBeingReadAreAskedOnceEach)
{
    constexpr int kSlot = 30;
    constexpr uint16_t kCheck = 0x0A0A;
    for (const bool bTooMany : {false, true}) {
        SCOPED_TRACE(bTooMany);
        datagen::SlotLease<gcUIDialogMgr, gcUIDialog> lease(kSlot, 1);
        gcUIDialog* pSource = datagen::NewGridDialog(&m_pool, datagen::GridDialogDesc());
        ASSERT_NE(pSource, nullptr);
        gcAction** ppNext = &pSource->onShown.pAction;
        for (uint32_t i = 0; i < 300; ++i) {
            gcDesiredWidget w;
            w.hDialog = gcUIDialogHandle::Make(kSlot, kCheck);
            w.hControl = bTooMany ? (i + 1) << gcUIDialog::kMagicShift : pSource->m_hInitiallyFocusedControl;
            *ppNext = m_pool.New<gcDoUIShow>(w, true);
            ASSERT_NE(*ppNext, nullptr);
            ppNext = &(*ppNext)->pNextAction;
        }
        ASSERT_TRUE(datagen::WriteDialogGroupFile(m_data.HostPath("g.bin"), kSlot, {{pSource, kCheck}}));
        gcTestLogCapture log;
        cBase* pGroup = cBase::Load("/g.bin", &m_pool, gcUIDialogGroup::GetStaticType());
        EXPECT_EQ(pGroup != nullptr, !bTooMany);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), bTooMany ? 1 : 0);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcUIDialog \"Grid\": its bindings name more than the 256 controls"),
                  bTooMany ? 1 : 0);
        if (pGroup)
            std::destroy_at(pGroup);
    }
}

// A root group whose cells end early fails the dialog's read; the dialog
// keeps its fields, its table and its controls.
TEST_F(gcUIDialogFileTest, ARootGroupCutInsideItsCellsFailsTheReadAndKeepsTheDialog)
{
    gcUIDialog* d = Load<gcUIDialog>([](datagen::BlockWriter& w) { datagen::DialogBlock(w, Desc(), 11); });
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(d->m_widgetGroup.SetDimensions(1, 1));
    const unsigned int h = d->m_widgetGroup.CreateCellWidget({0, 0}, gcUIControl::GetStaticType(), 0);
    ASSERT_NE(h, 0u);
    const int nControls = d->m_nControls;
    const struct {
        const char* why;
        int32_t controlCount, cellsCut;
    } rows[] = {
        {"one cell of two missing, a larger table", 12, 1},
        {"one cell of two missing, a smaller table", 0, 1},
        {"both cells missing", 3, 2},
    };
    gcTestLogCapture log;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        datagen::DialogDesc cut = Desc();
        cut.flags = 0x8;
        cut.controlCount = row.controlCount;
        cut.initiallyFocused = 0x0301;
        cut.rows = 1, cut.cols = 2;
        cut.cellsCut = row.cellsCut;
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("cut.bin"), gcUIDialog::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) { datagen::DialogBlock(w, cut, 11); }));
        EXPECT_FALSE(ReadObjectFile("cut.bin", d, &m_pool));
        EXPECT_EQ(d->m_nFlags, 0x106u);
        EXPECT_EQ(d->m_hInitiallyFocusedControl, 0x0102u);
        EXPECT_EQ(d->m_nControls, nControls);
        EXPECT_EQ(d->m_widgetGroup.m_nCols, 1);
        EXPECT_EQ(d->GetControl(0x0102), d->m_widgetGroup.GetCellWidget(0, 0));
        ASSERT_NE(d->GetControl(h), nullptr);
        gcUICell cell;
        d->GetControl(h)->GetCell(&cell);
        EXPECT_EQ(cell.nRow, 0);
        EXPECT_EQ(cell.nCol, 0);
    }
}

// A root group that refuses its own block (rows below 0) while the
// dialog's block around it stays intact still fails the dialog's read, and
// the dialog keeps its fields and controls.
TEST_F(gcUIDialogFileTest, ARefusedRootGroupInAnIntactBlockFailsTheRead)
{
    gcUIDialog* d = Load<gcUIDialog>([](datagen::BlockWriter& w) { datagen::DialogBlock(w, Desc(), 11); });
    ASSERT_NE(d, nullptr);
    const int nControls = d->m_nControls;
    datagen::DialogDesc refused = Desc();
    refused.flags = 0x8;
    refused.controlCount = 12;
    refused.initiallyFocused = 0x0301;
    refused.rows = -1;
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("refused.bin"), gcUIDialog::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) { datagen::DialogBlock(w, refused, 11); }));
    gcTestLogCapture log;
    EXPECT_FALSE(ReadObjectFile("refused.bin", d, &m_pool));
    EXPECT_GE(log.Count(LOGTYPE_ERROR, "gcUIWidgetGroup"), 1);
    EXPECT_EQ(d->m_nFlags, 0x106u);
    EXPECT_EQ(d->m_hInitiallyFocusedControl, 0x0102u);
    EXPECT_EQ(d->m_nControls, nControls);
}

TEST_F(gcUIDialogFileTest, GroupsReadBothCheckWidthsKeepAPresetRangeAndRefuseRangesPastTheTable)
{
    const std::vector<datagen::DialogGroupRecord> three = {{Desc(), 0x1111}, {Desc(), 0}, {Desc(), 0x3333}};
    for (uint32_t version : {1u, 2u}) {
        SCOPED_TRACE(version);
        gcUIDialogGroup* g = Load<gcUIDialogGroup>(
            [&](datagen::BlockWriter& w) { datagen::DialogGroupBlock(w, version, 40, 43, three, 11); });
        ASSERT_NE(g, nullptr);
        EXPECT_EQ(gcUIDialogMgr::GetHandle(40).m_nValue, 0x11110028u);
        EXPECT_EQ(gcUIDialogMgr::s_pInstances[41], nullptr);
        EXPECT_EQ(gcUIDialogMgr::GetHandle(42).m_nValue, 0x3333002Au);
        std::destroy_at(g);  // deletes its dialogs
        EXPECT_EQ(gcUIDialogMgr::s_pInstances[40], nullptr);
    }
    // A preset range of two: the third record is read and deleted.
    gcUIDialogGroup preset;
    preset.m_nBegin = 60, preset.m_nEnd = 62;
    preset.m_bDeleteContained = true;
    const std::vector<datagen::DialogGroupRecord> surplus = {{Desc(), 0x1111}, {Desc(), 0x2222}, {Desc(), 0x3333}};
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("g.bin"), gcUIDialogGroup::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) {
                                                   datagen::DialogGroupBlock(w, 2, 10, 13, surplus, 11);
                                               }));
    EXPECT_TRUE(ReadObjectFile("g.bin", &preset, &m_pool));
    EXPECT_EQ(gcUIDialogMgr::GetHandle(61).m_nValue, 0x2222003Du);
    EXPECT_EQ(gcUIDialogMgr::s_pInstances[62], nullptr);
    EXPECT_EQ(gcUIDialogMgr::s_pInstances[12], nullptr);
    gcTestLogCapture log;
    for (int32_t begin : {299, -1}) {
        SCOPED_TRACE(begin);
        EXPECT_EQ(Load<gcUIDialogGroup>([&](datagen::BlockWriter& bw) {
                      datagen::DialogGroupBlock(bw, 2, begin, begin + 3, three, 11);
                  }),
                  nullptr);
        EXPECT_EQ(gcUIDialogMgr::s_pInstances[299], nullptr);
    }
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "do not fit"), 2);
    // Empty ranges (also at slot 0) and one ending at the table's end fit; a
    // range ending before it begins does not.
    const struct { int32_t begin, end; size_t records; bool bRead; } ranges[] = {
        {50, 50, 0, true}, {0, 0, 0, true}, {297, 300, 3, true}, {50, 49, 0, false}};
    for (const auto& range : ranges) {
        SCOPED_TRACE(testing::Message() << range.begin << " to " << range.end);
        const std::vector<datagen::DialogGroupRecord> records(three.begin(), three.begin() + range.records);
        gcUIDialogGroup* g = Load<gcUIDialogGroup>([&](datagen::BlockWriter& bw) {
            datagen::DialogGroupBlock(bw, 2, range.begin, range.end, records, 11);
        });
        EXPECT_EQ(g != nullptr, range.bRead);
        if (g)
            std::destroy_at(g);
    }
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "do not fit"), 3);
}

// An event block refused refuses the dialog, as it does a widget, and fails
// its file; a group holding a refused dialog is refused whole, so no file
// loads with a screen missing its way on. Each load logs one error, naming
// the file.
TEST_F(gcUIDialogFileTest, ARefusedEventRefusesTheDialogAndItsGroup)
{
    gcTestLogCapture log;
    for (int event : {0, 3, 9}) {  // OnShown, OnBack, OnFocusChanged (the last)
        SCOPED_TRACE(event);
        datagen::DialogDesc refused = Desc();
        refused.refusedEvent = event;
        EXPECT_EQ(Load<gcUIDialog>([&](datagen::BlockWriter& w) { datagen::DialogBlock(w, refused, 11); }), nullptr);
    }
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\"/d.bin\": gcEvent: version not accepted"), 3);

    datagen::DialogDesc refused = Desc();
    refused.refusedEvent = 3;
    const std::vector<datagen::DialogGroupRecord> whole = {{Desc(), 0x1111}, {Desc(), 0x2222}, {Desc(), 0x3333}};
    std::vector<datagen::DialogGroupRecord> damaged = whole;
    damaged[1].dialog = refused;
    for (bool bWhole : {true, false}) {
        SCOPED_TRACE(bWhole);
        gcUIDialogGroup* g = Load<gcUIDialogGroup>(
            [&](datagen::BlockWriter& w) { datagen::DialogGroupBlock(w, 2, 40, 43, bWhole ? whole : damaged, 11); });
        EXPECT_EQ(g != nullptr, bWhole);
        if (g)
            std::destroy_at(g);
        for (int slot = 40; slot < 43; ++slot)
            gcUIDialogMgr::Remove(slot);  // a refused group leaves its records to the pool
    }
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "\"/d.bin\": gcUIDialogGroup: record 1 (slot 41): gcEvent: version not accepted"),
              1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 4);
}

// A table its dialog's pool has no room for fails the read and the file:
// one error, naming the file and the pool.
TEST_F(gcUIDialogFileTest, ATableWithoutRoomInTheDialogsPoolFailsTheRead)
{
    datagen::DialogDesc full = Desc();
    full.controlCount = gcUIDialog::kMaxControls;  // a table of 1 KiB or more
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("full.bin"), gcUIDialog::GetStaticType()->m_nTypeId,
                                               [&](datagen::BlockWriter& w) { datagen::DialogBlock(w, full, 11); }));
    cMemPool tight("gcUIDialogTest tight", sizeof(gcUIDialog) + 256, false);
    gcUIDialog* d = Dialog(0, &tight);
    ASSERT_NE(d, nullptr);
    gcTestLogCapture log;
    EXPECT_FALSE(ReadObjectFile("full.bin", d, &m_pool));
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "cFile: \"/full.bin\": the pool \"gcUIDialogTest tight\" cannot hold it: full: "),
              1);
    EXPECT_EQ(d->m_nControls, 0);
    EXPECT_EQ(d->m_nFlags, gcUIDialog::kPauses) << "not the file's";
    std::destroy_at(d);
}

TEST_F(gcUIDialogTest, DestroyingAnOpenDialogTakesItOffTheStackSilently)
{
    gcUIDialog* a = Dialog(100);
    gcUIDialog* b = Dialog(200);
    gcUI::OpenDialog(a, nullptr, 0);
    gcUI::OpenDialog(b, nullptr, 0);
    TestLog().clear();
    std::destroy_at(a);
    EXPECT_EQ(Stack(), std::vector<gcUIDialog*>{b});
    EXPECT_TRUE(TestLogTags().empty());
}

TEST_F(gcUIDialogTest, ResetEmptiesTheTableAndLeavesOneCell)
{
    gcUIDialog* d = Dialog(0);
    d->m_layout = gcUIDialog::DLG_LAYOUT_2x2;
    d->m_widgetGroup.SetDimensions(2, 2);
    for (int16_t i = 0; i < 4; ++i)
        d->m_widgetGroup.CreateCellWidget(gcUICell{static_cast<int16_t>(i / 2), static_cast<int16_t>(i % 2)},
                                          gcUIControl::GetStaticType(), 0);
    ASSERT_EQ(d->m_nControls, 4);
    d->Reset();
    EXPECT_EQ(d->m_nControls, 0);
    EXPECT_EQ(d->m_layout, gcUIDialog::DLG_LAYOUT_NONE);
    EXPECT_EQ(d->m_widgetGroup.m_nRows, 1);
    EXPECT_EQ(d->m_widgetGroup.m_nCols, 1);
    EXPECT_EQ(d->m_widgetGroup.GetCellWidget(0, 0), nullptr);
    EXPECT_TRUE(d->m_widgetGroup.m_name == "DialogGroup");
}

}  // namespace
