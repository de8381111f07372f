#pragma once
// A widget group as a scrolling list: its cells are the visible window onto
// a longer sequence of items, one item is selected and its cell holds the
// focus. The list moves its selection with the direction buttons while it
// has (and captures) the focus, scrolls by whole lines, hands the focus to
// its neighbours at its edges and applies OnSelectionChange with the new
// index. A subclass supplies the items. Abstract (type id 237, no factory);
// main thread.

#include <cstdint>

#include "gcGameCore/interface/gcUIWidgetGroup.h"

class gcUIWidgetList : public gcUIWidgetGroup {
    QM_DECLARE_ABSTRACT_TYPE(gcUIWidgetList)
public:
    static constexpr uint32_t kVersion = 1;
    // m_nFlags of lists.
    static constexpr uint32_t kScrollsItself = 0x20000;  // direction buttons move the selection
    static constexpr uint32_t kColumnMajor = 0x40000;    // items run down the columns
    static constexpr uint32_t kWrap = 0x80000;           // the selection wraps at the ends
    static constexpr uint32_t kReverseFill = 0x100000;   // cells filled from the last one back

    gcUIWidgetList();
    // The group part, the event, top item, selection and focused cell.
    gcUIWidgetList(const gcUIWidgetList& other);

    // Version 1: the group block, then OnSelectionChange.
    void Write(const cFile& file) const override;
    // Version 1 and later (0 skipped, false); a refused group block fails.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void Update(const gcMsgTick& msg) override;  // the group's, then the scroll buttons while focused
    void UpdateUI() override;                   // fills the window when every cell is valid, then the group's
    // The list itself, then the focused cell's widgets (without telling the
    // dialog), then the capture of the focus.
    void Focus(bool bFocus, bool bNotify) override;
    // The focused cell's widgets (results dropped), then the list's own.
    float OnConfirm() override;
    float OnBack() override;

    // True when the selection changed. A never filled list, an empty one
    // and a grid without cells select nothing.
    virtual bool SelectItem(int nIndex);
    // Moves the selection one step, or at the list's edge hands the focus
    // on (false). A direction outside the four does nothing.
    virtual bool Scroll(gcUIWidget::gcUINeighbor neighbor);
    virtual void FillCell(const gcUICell& cell, int nItem) = 0;
    virtual bool IsValidCell(const gcUICell& cell) const = 0;
    virtual int GetNumItems() const = 0;
    virtual void FillCurVisibleItems();
    virtual void HandleScroll();

    // Focuses or unfocuses every widget of the focused cell (inside the grid).
    void FocusCurCell(bool bFocus);
    bool ValidateCells() const;

    gcEvent onSelectionChange;
    int32_t m_nTopVisibleItem = -1;  // -1: never filled
    int32_t m_nSelectedItem = -1;    // -1: none yet
    gcUICell m_focusedCell{0, 0};

protected:
    // Items per line (columns row-major, rows column-major) and per window.
    int LineLength() const;
    int WindowSize() const { return m_nRows * m_nCols; }
    // The cell of the p-th item of the window in forward order.
    gcUICell CellOfWindowIndex(int p) const;
    bool IsColumnMajor() const { return (m_nFlags & kColumnMajor) != 0; }
    // The widget's events and the list's, whole, or null.
    template <class T>
    static T* KeepWholeCopy(T* pCopy, const T& source)
    {
        return gcEvent::KeepWhole(gcUIWidget::KeepWholeCopy(pCopy, source), source,
                                  &gcUIWidgetList::onSelectionChange);
    }
};
