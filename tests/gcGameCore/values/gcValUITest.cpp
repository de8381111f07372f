// The interface values: what each reads and assigns, what an unresolved
// reference or an index outside its table gives, the fields of each block
// version and the text forms.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "../interface/uiTestSupport.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "eEngine/modelTestSupport.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/values/gcValUIChecked.h"
#include "gcGameCore/values/gcValUIDialogVar.h"
#include "gcGameCore/values/gcValUIEnabled.h"
#include "gcGameCore/values/gcValUIOpacity.h"
#include "gcGameCore/values/gcValUIPosition.h"
#include "gcGameCore/values/gcValUISize.h"
#include "gcGameCore/values/gcValUITexCoord.h"
#include "gcGameCore/values/gcValUITextParam.h"
#include "gcGameCore/values/gcValUIVisible.h"

namespace {

constexpr int kDialogSlot = 253;
constexpr int kSpriteSlot = 591;

void ClearStack()
{
    gcUI* pUI = gcUI::Get();
    std::fill(std::begin(pUI->m_dialogStack), std::end(pUI->m_dialogStack), nullptr);
    pUI->m_nFocusedDialog = -1;
}

class gcValUITest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        ClearStack();
        m_pDialog->m_name.Set("Menu");
        m_hDialog = gcUIDialogMgr::Add(kDialogSlot, m_pDialog, 0x5353);
    }
    void TearDown() override
    {
        ClearStack();
        gcUIDialogMgr::s_pInstances[kDialogSlot] = nullptr;
        eSpriteMgr::s_pInstances[kSpriteSlot] = nullptr;
        UiTest::TearDown();
    }
    gcDesiredWidget Widget(const gcUIWidget* p) const { return {m_hDialog, p->m_hWidgetHandle}; }
    gcDesiredWidget Stale(const gcUIWidget* p) const { return {m_hDialog, p->m_hWidgetHandle ^ 0x100}; }
    template <class T>
    T* LoadFields(uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields)
    {
        const bool bSaved = datagen::WriteObjectBlocksFile(m_dir.HostPath("v.dat"), T::GetStaticType()->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               datagen::ValueBlock(w, version, true);
                                                               fields(w);
                                                               w.End();
                                                           });
        return bSaved ? dcast<T>(cBase::Load("/v.dat", &m_pool, T::GetStaticType())) : nullptr;
    }
    template <class T>
    T* RoundTrip(const T& value)
    {
        if (!datagen::WriteValueFile(m_dir.HostPath("r.dat"), value))
            return nullptr;
        return dcast<T>(cBase::Load("/r.dat", &m_pool, T::GetStaticType()));
    }
    static std::string Text(const gcValue& v)
    {
        char buf[gcScriptText::kSize] = {};
        v.GetTextRecursive(buf);
        return buf;
    }

    gcTestDataDir m_dir;
    gcEventParams m_params;
    gcUIDialogHandle m_hDialog;
};

TEST_F(gcValUITest, DialogVariablesAddressTheNamedOrTheFocusedDialog)
{
    gcUIDialog* pOther = m_pool.New<gcUIDialog>();
    pOther->m_fReturnCode = 4.0f;
    m_pDialog->m_fReturnCode = 1.0f;
    m_pDialog->m_fInParam = 2.0f;
    const gcUIDialogHandle stale(m_hDialog.m_nValue ^ 0x10000);
    const struct {
        const char* why;
        int32_t var;
        gcUIDialogHandle h;
        bool bOtherOpen;
        float fGet;
        float* pSet;  // what an assignment of 9 changes; null: nothing
    } rows[] = {
        {"named: return code", gcValUIDialogVar::VAR_RETURNCODE, m_hDialog, true, 1.0f, &m_pDialog->m_fReturnCode},
        {"named: in-parameter", gcValUIDialogVar::VAR_INPARAM, m_hDialog, true, 2.0f, &m_pDialog->m_fInParam},
        {"no handle: the focused dialog", gcValUIDialogVar::VAR_RETURNCODE, {}, true, 4.0f, &pOther->m_fReturnCode},
        {"stale: the focused dialog", gcValUIDialogVar::VAR_RETURNCODE, stale, true, 4.0f, &pOther->m_fReturnCode},
        {"no handle, nothing open", gcValUIDialogVar::VAR_RETURNCODE, {}, false, 0.0f, nullptr},
        {"a variable outside the two", 2, m_hDialog, true, 0.0f, nullptr},
        {"a negative variable", -1, m_hDialog, true, 0.0f, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        ClearStack();
        if (row.bOtherOpen)
            gcUI::Get()->ActualOpenDialog(pOther, true);
        const float before[] = {m_pDialog->m_fReturnCode, m_pDialog->m_fInParam, pOther->m_fReturnCode,
                                pOther->m_fInParam};
        gcValUIDialogVar v(row.var, row.h);
        EXPECT_EQ(v.Get(m_params), row.fGet);
        v.Set(9.0f, m_params);
        float* const fields[] = {&m_pDialog->m_fReturnCode, &m_pDialog->m_fInParam, &pOther->m_fReturnCode,
                                 &pOther->m_fInParam};
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(*fields[i], fields[i] == row.pSet ? 9.0f : before[i]) << i;
            *fields[i] = before[i];
        }
    }
}

// Version 1 holds the dialog alone; version 2 the variable first.
TEST_F(gcValUITest, DialogVariableBlocks)
{
    auto* p1 = LoadFields<gcValUIDialogVar>(1, [&](datagen::BlockWriter& w) { w.Int(m_hDialog.m_nValue); });
    ASSERT_NE(p1, nullptr);
    EXPECT_EQ(p1->var, gcValUIDialogVar::VAR_RETURNCODE);
    EXPECT_EQ(p1->hDialog, m_hDialog);
    auto* p2 = LoadFields<gcValUIDialogVar>(2, [&](datagen::BlockWriter& w) {
        w.Int(gcValUIDialogVar::VAR_INPARAM).Int(m_hDialog.m_nValue);
    });
    ASSERT_NE(p2, nullptr);
    EXPECT_EQ(p2->var, gcValUIDialogVar::VAR_INPARAM);
    EXPECT_EQ(p2->hDialog, m_hDialog);
}

// An opacity loaded from a file names the dialog and the control; a block
// cut short leaves either value as it was.
TEST_F(gcValUITest, OpacityAndDialogVariablesLoadedOrRefused)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    c[0]->m_fOpacity = 0.6f;
    auto* p = LoadFields<gcValUIOpacity>(1, [&](datagen::BlockWriter& w) {
        w.Word(m_hDialog.m_nValue).Word(c[0]->m_hWidgetHandle);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->desiredWidget.hDialog, m_hDialog);
    EXPECT_EQ(p->desiredWidget.hControl, c[0]->m_hWidgetHandle);
    EXPECT_EQ(p->Get(m_params), 0.6f);

    gcTestLogCapture quiet;
    const auto cut = [&](const cType* pType, const std::function<void(datagen::BlockWriter&)>& fields) {
        EXPECT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("cut.dat"), pType->m_nTypeId, [&](datagen::BlockWriter& w) {
            datagen::ValueBlock(w, pType == gcValUIOpacity::GetStaticType() ? 1 : 2, true);
            fields(w);
            w.End();
        }));
    };
    cut(gcValUIOpacity::GetStaticType(), [&](datagen::BlockWriter& w) { w.Word(0x00120003); });
    EXPECT_FALSE(ReadObjectAnswer("cut.dat", p, &m_pool));
    EXPECT_EQ(p->desiredWidget.hDialog, m_hDialog);
    EXPECT_EQ(p->desiredWidget.hControl, c[0]->m_hWidgetHandle);
    gcValUIDialogVar var(gcValUIDialogVar::VAR_INPARAM, m_hDialog);
    for (int nWords : {0, 1}) {
        SCOPED_TRACE(nWords);
        cut(gcValUIDialogVar::GetStaticType(), [&](datagen::BlockWriter& w) {
            if (nWords > 0)
                w.Int(gcValUIDialogVar::VAR_RETURNCODE);
        });
        EXPECT_FALSE(ReadObjectAnswer("cut.dat", &var, &m_pool));
        EXPECT_EQ(var.var, gcValUIDialogVar::VAR_INPARAM);
        EXPECT_EQ(var.hDialog, m_hDialog);
    }
}

TEST_F(gcValUITest, OpacityIsClampedAndFallsBackToTheDialog)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    m_pDialog->m_fOpacity = 0.3f;
    const struct {
        float fAssigned, fStored;
    } sets[] = {{1.5f, 1.0f}, {1.25f, 1.0f}, {-0.2f, 0.0f}, {0.4f, 0.4f}, {1.0f, 1.0f}, {0.0f, 0.0f}};
    gcValUIOpacity v(Widget(c[0]));
    for (const auto& row : sets) {
        SCOPED_TRACE(row.fAssigned);
        v.Set(row.fAssigned, m_params);
        EXPECT_EQ(c[0]->m_fOpacity, row.fStored);
        EXPECT_EQ(v.Get(m_params), row.fStored);
    }
    c[0]->m_fOpacity = 0.6f;
    const struct {
        const char* why;
        gcDesiredWidget w;
        float fGet;
    } gets[] = {
        {"a stale control reads the dialog", Stale(c[0]), 0.3f},
        {"the root group is no control", {m_hDialog, m_pDialog->m_widgetGroup.m_hWidgetHandle}, 0.3f},
        {"no dialog reads opaque", {gcUIDialogHandle(m_hDialog.m_nValue ^ 0x10000), c[0]->m_hWidgetHandle}, 1.0f},
    };
    for (const auto& row : gets) {
        SCOPED_TRACE(row.why);
        gcValUIOpacity u(row.w);
        EXPECT_EQ(u.Get(m_params), row.fGet);
        u.Set(0.9f, m_params);
        EXPECT_EQ(m_pDialog->m_fOpacity, 0.3f);
        EXPECT_EQ(c[0]->m_fOpacity, 0.6f);
    }
}

// Any number but 0.0 counts as true; an unchanged state fires nothing.
TEST_F(gcValUITest, VisibleAndEnabledTakeAnyNonZeroAsTrue)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    Record(c[0]->onShown, 1);
    Record(c[0]->onHidden, 2);
    gcValUIVisible visible(Widget(c[0]));
    gcValUIEnabled enabled(Widget(c[0]));
    const struct {
        float f;
        bool bOn;
        std::vector<int32_t> tags;
    } rows[] = {{0.5f, true, {}}, {0.0f, false, {2}}, {-1.0f, true, {1}}, {1.0f, true, {}}, {0.0f, false, {2}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.f);
        TestLog().clear();
        visible.Set(row.f, m_params);
        enabled.Set(row.f, m_params);
        EXPECT_EQ(TestLogTags(), row.tags);
        EXPECT_EQ((c[0]->m_nFlags & gcUIWidget::kVisible) != 0, row.bOn);
        EXPECT_EQ((c[0]->m_nFlags & gcUIWidget::kEnabled) != 0, row.bOn);
        EXPECT_EQ(visible.Get(m_params), row.bOn ? 1.0f : 0.0f);
        EXPECT_EQ(enabled.Get(m_params), row.bOn ? 1.0f : 0.0f);
    }
    EXPECT_EQ(gcValUIVisible(Stale(c[0])).Get(m_params), 0.0f);
    EXPECT_EQ(gcValUIEnabled(Stale(c[0])).Get(m_params), 0.0f);
}

TEST_F(gcValUITest, CheckedNeedsACheckBox)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    c[0]->m_nFlags |= gcUICheckBox::kChecked;
    gcValUIChecked plain(Widget(c[0]));
    EXPECT_EQ(plain.Get(m_params), 0.0f) << "the bit of another control means nothing";
    plain.Set(0.0f, m_params);
    EXPECT_TRUE(c[0]->m_nFlags & gcUICheckBox::kChecked);

    const unsigned int h = m_pDialog->CreateControl(gcUICheckBox::GetStaticType());
    auto* pBox = static_cast<gcUICheckBox*>(m_pDialog->GetControl(h));
    Record(pBox->onChecked, 5);
    Record(pBox->onUnchecked, 6);
    gcValUIChecked checked(Widget(pBox));
    const struct {
        float f;
        float fGet;
        std::vector<int32_t> tags;
    } rows[] = {{0.5f, 1.0f, {5}}, {2.0f, 1.0f, {}}, {0.0f, 0.0f, {6}}, {0.0f, 0.0f, {}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.f);
        TestLog().clear();
        checked.Set(row.f, m_params);
        EXPECT_EQ(TestLogTags(), row.tags);
        EXPECT_EQ(checked.Get(m_params), row.fGet);
    }
}

// The blocks hold no axis or dimension: every loaded value is X or width.
TEST_F(gcValUITest, LoadedPositionsAndSizesAddressXAndWidth)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    gcValUIPosition* pPos = RoundTrip(gcValUIPosition(Widget(c[0]), gcValUIPosition::AXIS_Y));
    gcValUISize* pSize = RoundTrip(gcValUISize(Widget(c[0]), gcValUISize::DIM_HEIGHT, false, 0.5f));
    ASSERT_NE(pPos, nullptr);
    ASSERT_NE(pSize, nullptr);
    EXPECT_EQ(pPos->axis, gcValUIPosition::AXIS_X);
    EXPECT_EQ(pSize->dimension, gcValUISize::DIM_WIDTH);
    c[0]->m_offset = mVec2(3.0f, 4.0f);
    c[0]->m_size = mVec2(30.0f, 40.0f);
    EXPECT_EQ(pPos->Get(m_params), 3.0f);
    EXPECT_EQ(pSize->Get(m_params), 30.0f);
    pPos->Set(7.0f, m_params);
    pSize->Set(70.0f, m_params);
    EXPECT_EQ(c[0]->m_offset.x, 7.0f);
    EXPECT_EQ(c[0]->m_offset.y, 4.0f);
    EXPECT_EQ(c[0]->m_size.x, 70.0f);
    EXPECT_EQ(c[0]->m_size.y, 40.0f);
}

TEST_F(gcValUITest, PositionAndSizeAxesOutsideTheTwoDoNothing)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    c[0]->m_offset = mVec2(3.0f, 4.0f);
    c[0]->m_size = mVec2(30.0f, 40.0f);
    // What lies next to the two components must be neither read nor written.
    c[0]->m_cellPadding[0] = 6.0f;
    c[0]->m_curTextSize = mVec2(7.0f, 8.0f);
    const struct {
        int32_t index;
        float fPos, fSize;
    } rows[] = {{1, 4.0f, 40.0f}, {2, 0.0f, 0.0f}, {-1, 0.0f, 0.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        gcValUIPosition pos(Widget(c[0]), row.index);
        gcValUISize size(Widget(c[0]), row.index, false, 0.85f);
        EXPECT_EQ(pos.Get(m_params), row.fPos);
        EXPECT_EQ(size.Get(m_params), row.fSize);
        if (row.index != 1) {
            pos.Set(9.0f, m_params);
            size.Set(9.0f, m_params);
            EXPECT_EQ(c[0]->m_offset, mVec2(3.0f, 4.0f));
            EXPECT_EQ(c[0]->m_size, mVec2(30.0f, 40.0f));
            EXPECT_EQ(c[0]->m_cellPadding[0], 6.0f);
            EXPECT_EQ(c[0]->m_curTextSize, mVec2(7.0f, 8.0f));
        }
    }
    EXPECT_EQ(gcValUIPosition(Stale(c[0]), 0).Get(m_params), 0.0f);
    EXPECT_EQ(gcValUISize(Stale(c[0]), 0, false, 0.85f).Get(m_params), 0.0f);
}

// Version 2 adds the damping after the widget; version 1 keeps undamped.
TEST_F(gcValUITest, DampedWidthApproachesTheTarget)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    const struct {
        uint32_t version;
        std::vector<float> widths;
    } rows[] = {{2, {15.0f, 27.75f}}, {1, {100.0f, 100.0f}}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.version);
        auto* p = LoadFields<gcValUISize>(row.version, [&](datagen::BlockWriter& w) {
            w.Int(m_hDialog.m_nValue).Int(c[0]->m_hWidgetHandle);
            if (row.version == 2)
                w.Int(1).Float(0.85f);
        });
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->fK, 0.85f);
        c[0]->m_size = mVec2(0.0f, 5.0f);
        for (float want : row.widths) {
            p->Set(100.0f, m_params);
            EXPECT_FLOAT_EQ(c[0]->m_size.x, want);
        }
        EXPECT_EQ(c[0]->m_size.y, 5.0f);
    }
    auto* pK = LoadFields<gcValUISize>(2, [&](datagen::BlockWriter& w) {
        w.Int(m_hDialog.m_nValue).Int(c[0]->m_hWidgetHandle).Int(0).Float(0.5f);
    });
    ASSERT_NE(pK, nullptr);
    EXPECT_FALSE(pK->bDampened);
    EXPECT_EQ(pK->fK, 0.5f);
}

TEST_F(gcValUITest, TextureCoordinatesChangeOneComponentOfTheStatesSprite)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    eSprite sprite;
    c[0]->m_hSprites[gcUIControl::SPR_FOCUSED] = eSpriteMgr::Add(kSpriteSlot, &sprite, 0x71);
    const struct {
        int32_t state, coord;
        float fGet;  // of corners (1, 2) and (3, 4)
        mVec2 c1, c2;  // after assigning 9
    } rows[] = {
        {gcUIControl::SPR_FOCUSED, gcValUITexCoord::TEXCOORD1_U, 1.0f, {9, 2}, {3, 4}},
        {gcUIControl::SPR_FOCUSED, gcValUITexCoord::TEXCOORD1_V, 2.0f, {1, 9}, {3, 4}},
        {gcUIControl::SPR_FOCUSED, gcValUITexCoord::TEXCOORD2_U, 3.0f, {1, 2}, {9, 4}},
        {gcUIControl::SPR_FOCUSED, gcValUITexCoord::TEXCOORD2_V, 4.0f, {1, 2}, {3, 9}},
        {gcUIControl::SPR_FOCUSED, 4, 0.0f, {1, 2}, {3, 4}},
        {gcUIControl::SPR_FOCUSED, -1, 0.0f, {1, 2}, {3, 4}},
        {gcUIControl::SPR_ENABLED, gcValUITexCoord::TEXCOORD1_U, 0.0f, {1, 2}, {3, 4}},
        {4, gcValUITexCoord::TEXCOORD1_U, 0.0f, {1, 2}, {3, 4}},
        {-1, gcValUITexCoord::TEXCOORD1_U, 0.0f, {1, 2}, {3, 4}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << row.state << "/" << row.coord);
        sprite.m_texCoord1 = mVec2(1.0f, 2.0f);
        sprite.m_texCoord2 = mVec2(3.0f, 4.0f);
        gcValUITexCoord v(Widget(c[0]), row.state, row.coord);
        EXPECT_EQ(v.Get(m_params), row.fGet);
        v.Set(9.0f, m_params);
        EXPECT_EQ(sprite.m_texCoord1, row.c1);
        EXPECT_EQ(sprite.m_texCoord2, row.c2);
    }
}

// Only version 2 is read, with the parameter index before the widget.
TEST_F(gcValUITest, TextParametersReadOnlyVersionTwoIndexFirst)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    for (uint32_t version : {1u, 2u}) {
        SCOPED_TRACE(version);
        auto* p = LoadFields<gcValUITextParam>(version, [&](datagen::BlockWriter& w) {
            w.Int(2).Int(m_hDialog.m_nValue).Int(c[0]->m_hWidgetHandle);
        });
        ASSERT_EQ(p != nullptr, version == 2);
        if (!p)
            continue;
        EXPECT_EQ(p->nTextParam, 2);
        p->Set(6.5f, m_params);
        EXPECT_EQ(c[0]->m_textParams[2], 6.5f);
        EXPECT_EQ(p->Get(m_params), 6.5f);
    }
    const struct {
        int32_t index;
        float fGet;
    } rows[] = {{0, 1.0f}, {1, 2.0f}, {3, 0.0f}, {-1, 0.0f}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        c[0]->m_textParams[0] = 1.0f;
        c[0]->m_textParams[1] = 2.0f;
        c[0]->m_textParams[2] = 3.0f;
        c[0]->m_textJustify = 0x3F800000;  // 1.0 as a float, were it read as one
        gcValUITextParam v(Widget(c[0]), row.index);
        EXPECT_EQ(v.Get(m_params), row.fGet);
        v.Set(8.0f, m_params);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(c[0]->m_textParams[i], i == row.index ? 8.0f : static_cast<float>(i + 1)) << i;
        EXPECT_EQ(c[0]->m_textJustify, 0x3F800000);
    }
}

TEST_F(gcValUITest, TextForms)
{
    std::vector<gcUIControl*> c = Grid(1, 1, {0});
    c[0]->m_name.Set("Bar");
    const gcDesiredWidget w = Widget(c[0]);
    const gcUIDialogHandle stale(0x00050007);
    const struct {
        std::string got;
        const char* want;
    } rows[] = {
        {Text(gcValUIChecked(w)), "[Menu].[Bar].Checked"},
        {Text(gcValUIEnabled(Stale(c[0]))), "[Menu].Enabled"},
        {Text(gcValUIVisible({stale, c[0]->m_hWidgetHandle})), "[???].Visible"},
        {Text(gcValUIOpacity(w)), "[Menu].[Bar].Opacity"},
        {Text(gcValUIPosition(w, gcValUIPosition::AXIS_Y)), "[Menu].[Bar].Y"},
        {Text(gcValUIPosition(w, 2)), "[Menu].[Bar].???"},
        {Text(gcValUISize(w, gcValUISize::DIM_HEIGHT, true, 0.5f)), "[Menu].[Bar].Height"},
        {Text(gcValUISize(w, gcValUISize::DIM_WIDTH, false, 0.5f)), "[Menu].[Bar].Width"},
        {Text(gcValUISize(w, -1, false, 0.5f)), "[Menu].[Bar].???"},
        {Text(gcValUITexCoord(w, gcUIControl::SPR_DISABLED, gcValUITexCoord::TEXCOORD1_V)),
         "[Menu].[Bar].Disabled.TexCoord1.V"},
        {Text(gcValUITexCoord(w, gcUIControl::SPR_UNUSED, 4)), "[Menu].[Bar].???.???"},
        {Text(gcValUITextParam(w, 2)), "[Menu].[Bar].TextParam[2]"},
        {Text(gcValUIDialogVar(gcValUIDialogVar::VAR_INPARAM, m_hDialog)), "[Menu].InParam"},
        {Text(gcValUIDialogVar(gcValUIDialogVar::VAR_RETURNCODE, stale)), "[FocusedDialog].ReturnCode"},
        {Text(gcValUIDialogVar(2, {})), "[FocusedDialog].???"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.got, row.want);
}

}  // namespace
