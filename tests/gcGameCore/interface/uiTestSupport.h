#pragma once
// What the widget, group and control tests share: a dialog in a pool with
// a root grid of controls made through the dialog's control table, and the
// script test steps to see which widget events ran.

#include <gtest/gtest.h>

#include "cCore/cMemPool.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

class UiTest : public testing::Test {
protected:
    void SetUp() override
    {
        TestLog().clear();
        m_pDialog = m_pool.New<gcUIDialog>();
        ASSERT_NE(m_pDialog, nullptr);
    }
    void TearDown() override { TestLog().clear(); }

    gcUIWidgetGroup& Root() { return m_pDialog->m_widgetGroup; }
    // A grid of rows x cols with a control of the type in each listed cell
    // (row-major indices); returns the controls in that order.
    std::vector<gcUIControl*> Grid(int rows, int cols, std::vector<int> cells)
    {
        Root().SetDimensions(rows, cols);
        std::vector<gcUIControl*> out;
        for (int i : cells) {
            const gcUICell cell{static_cast<int16_t>(i / cols), static_cast<int16_t>(i % cols)};
            const unsigned int h = Root().CreateCellWidget(cell, gcUIControl::GetStaticType(), 0);
            out.push_back(static_cast<gcUIControl*>(m_pDialog->GetControl(h)));
        }
        return out;
    }
    void Record(gcEvent& event, int32_t tag) { FillEvent(event, m_steps.Record(tag)); }

    cMemPool m_pool{"uiTest", 0x80000, false};
    gcTestBuilder m_steps{m_pool};
    gcUIDialog* m_pDialog = nullptr;
};
