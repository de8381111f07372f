#include "gcGameCore/interface/gcUIWidgetList.h"

#include <algorithm>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_ABSTRACT_TYPE(gcUIWidgetList, gcUIWidgetGroup, 237)

namespace {

// The widgets of one cell, in ring order; nothing outside the grid.
template <class F>
void ForCellWidgets(const gcUIWidgetGroup& group, const gcUICell& cell, F f)
{
    gcUIWidget* pFirst = group.GetCellWidget(cell.nRow, cell.nCol);
    if (!pFirst)
        return;
    gcUIWidget* ring[gcUIWidgetGroup::kMaxCells];
    int n = 0;
    for (gcUIWidget* p = pFirst; p && n < gcUIWidgetGroup::kMaxCells; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ)
        ring[n++] = p;
    for (int i = 0; i < n; ++i)
        f(ring[i]);
}

}  // namespace

gcUIWidgetList::gcUIWidgetList() : onSelectionChange("OnSelectionChange", m_name.m_sData) {}

gcUIWidgetList::gcUIWidgetList(const gcUIWidgetList& other)
    : gcUIWidgetGroup(other),
      onSelectionChange(other.onSelectionChange, m_name.m_sData),
      m_nTopVisibleItem(other.m_nTopVisibleItem),
      m_nSelectedItem(other.m_nSelectedItem),
      m_focusedCell(other.m_focusedCell)
{
}

void gcUIWidgetList::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIWidgetGroup::Write(file);
    onSelectionChange.Write(file);
}

bool gcUIWidgetList::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUIWidgetList", "version");
    if (!gcUIWidgetGroup::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    gcEvent event;
    if (!event.Read(file, pPool))
        return rb.Reject("gcUIWidgetList", "event block");
    std::swap(onSelectionChange.pAction, event.pAction);
    ValidateCells();  // the cells are looked at; the answer is asked again each refresh
    return true;
}

int gcUIWidgetList::LineLength() const
{
    return IsColumnMajor() ? m_nRows : m_nCols;
}

gcUICell gcUIWidgetList::CellOfWindowIndex(int p) const
{
    const int n = LineLength();
    const int line = p / n;
    const int along = p % n;
    gcUICell cell;
    cell.nRow = static_cast<int16_t>(IsColumnMajor() ? along : line);
    cell.nCol = static_cast<int16_t>(IsColumnMajor() ? line : along);
    return cell;
}

void gcUIWidgetList::Update(const gcMsgTick& msg)
{
    gcUIWidgetGroup::Update(msg);
    if (m_nFlags & kFocused)
        HandleScroll();
}

void gcUIWidgetList::UpdateUI()
{
    if (ValidateCells())
        FillCurVisibleItems();
    gcUIWidgetGroup::UpdateUI();
}

void gcUIWidgetList::Focus(bool bFocus, bool bNotify)
{
    gcUIWidget::Focus(bFocus, bNotify);
    FocusCurCell(bFocus);
    CaptureFocus(bFocus);
}

float gcUIWidgetList::OnConfirm()
{
    ForCellWidgets(*this, m_focusedCell, [](gcUIWidget* p) { p->OnConfirm(); });
    return gcUIWidget::OnConfirm();
}

float gcUIWidgetList::OnBack()
{
    ForCellWidgets(*this, m_focusedCell, [](gcUIWidget* p) { p->OnBack(); });
    return gcUIWidget::OnBack();
}

void gcUIWidgetList::FocusCurCell(bool bFocus)
{
    ForCellWidgets(*this, m_focusedCell, [bFocus](gcUIWidget* p) { p->Focus(bFocus, false); });
}

bool gcUIWidgetList::ValidateCells() const
{
    // Column by column, each down its rows.
    for (int c = 0; c < m_nCols; ++c)
        for (int r = 0; r < m_nRows; ++r)
            if (!IsValidCell(gcUICell{static_cast<int16_t>(r), static_cast<int16_t>(c)}))
                return false;
    return true;
}

void gcUIWidgetList::HandleScroll()
{
    if (!(m_nFlags & kScrollsItself) || m_nTopVisibleItem < 0 || m_nSelectedItem < 0)
        return;
    const int neighbor = gcUIDialog::CheckNextNeighbor();
    if (neighbor >= 0)
        Scroll(static_cast<gcUINeighbor>(neighbor));
}

bool gcUIWidgetList::Scroll(gcUIWidget::gcUINeighbor neighbor)
{
    if (neighbor < NEIGHBOR_LEFT || neighbor > NEIGHBOR_DOWN)
        return false;
    const bool bColumnMajor = IsColumnMajor();
    // Leaving happens across the lines' ends only: the other axis scrolls.
    const bool bLeaves =
        bColumnMajor ? (neighbor == NEIGHBOR_UP && m_focusedCell.nRow == 0) ||
                           (neighbor == NEIGHBOR_DOWN && m_focusedCell.nRow == m_nRows - 1)
                     : (neighbor == NEIGHBOR_LEFT && m_focusedCell.nCol == 0) ||
                           (neighbor == NEIGHBOR_RIGHT && m_focusedCell.nCol == m_nCols - 1);
    if (bLeaves) {
        if (m_pDialog)
            m_pDialog->FocusNextControl(neighbor, nullptr);
        return false;
    }
    const int nAlong = 1;
    const int nAcross = LineLength();
    int step = 0;
    switch (neighbor) {
    case NEIGHBOR_LEFT: step = bColumnMajor ? -nAcross : -nAlong; break;
    case NEIGHBOR_RIGHT: step = bColumnMajor ? nAcross : nAlong; break;
    case NEIGHBOR_UP: step = bColumnMajor ? -nAlong : -nAcross; break;
    case NEIGHBOR_DOWN: step = bColumnMajor ? nAlong : nAcross; break;
    default: break;
    }
    return SelectItem(m_nSelectedItem + step);
}

bool gcUIWidgetList::SelectItem(int nIndex)
{
    if (m_nTopVisibleItem < 0 || nIndex == m_nSelectedItem)
        return false;
    const int nLine = LineLength();
    const int nWindow = WindowSize();
    if (nLine <= 0 || nWindow <= 0)
        return false;  // a grid without cells shows no item
    const int n = GetNumItems();
    if (m_nFlags & kWrap) {
        if (nIndex < 0)
            nIndex = n - 1;
        else if (nIndex >= n)
            nIndex = 0;
    } else if (nIndex == -1 || nIndex > n) {
        nIndex = m_nSelectedItem;
    } else if (nIndex < -1) {
        nIndex = 0;
    } else if (nIndex == n) {
        nIndex = n - 1;
    }
    // An empty list has nothing to select.
    if (nIndex == m_nSelectedItem || nIndex < 0)
        return false;
    int nTop = m_nTopVisibleItem;
    const int nLineStart = nIndex - nIndex % nLine;
    if (nIndex < nTop)
        nTop = nLineStart;  // the selected line becomes the first visible one
    else if (nIndex - nTop >= nWindow)
        nTop = std::max(0, nLineStart - (nWindow - nLine));  // ... or the last
    const gcUICell cell = CellOfWindowIndex(nIndex - nTop);
    if (nTop != m_nTopVisibleItem) {
        m_nTopVisibleItem = nTop;
        FillCurVisibleItems();
    }
    m_nSelectedItem = nIndex;
    FocusCurCell(false);
    m_focusedCell = cell;
    FocusCurCell(true);
    gcEventParams params;
    GetEventParams(params);
    gcEventStackData frame(static_cast<float>(nIndex), 0.0f);
    onSelectionChange.Apply(params, frame);
    return true;
}

void gcUIWidgetList::FillCurVisibleItems()
{
    if (m_nTopVisibleItem < 0)
        m_nTopVisibleItem = 0;
    if (m_nSelectedItem < 0)
        m_nSelectedItem = 0;
    const int nWindow = WindowSize();
    const bool bReverse = (m_nFlags & kReverseFill) != 0;
    for (int k = 0; k < nWindow; ++k) {
        // The k-th cell in forward order, or counted back from the last one.
        const gcUICell cell = CellOfWindowIndex(bReverse ? nWindow - 1 - k : k);
        FillCell(cell, m_nTopVisibleItem + k);
    }
}
