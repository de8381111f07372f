#pragma once
// A grid of widgets: rows x columns of cells, each a ring of widgets drawn
// in ring order into the same cell rectangle. Measures its cells from its
// widgets, stretches them to the rectangle it is given, draws them, passes
// state changes and events on, builds neighbour links from the grid and
// edits cells. Every dialog owns one as its root; cells may hold groups.
// The cell table and size arrays come from the pool that holds the group
// and are never freed. Type id 149; main thread.

#include <cstdint>

#include "gcGameCore/interface/gcUIWidget.h"

class cType;

class gcUIWidgetGroup : public gcUIWidget {
    QM_DECLARE_TYPE(gcUIWidgetGroup)
public:
    static constexpr uint32_t kVersion = 1;
    // Rows x columns a file may ask for: more cells than a dialog has
    // control slots cannot be filled.
    static constexpr int kMaxCells = 256;
    // m_nFlags: keep the measured sizes, do not stretch to the rectangle.
    static constexpr uint32_t kKeepNaturalSizes = 0x10000;

    gcUIWidgetGroup() = default;
    // The widget part, the same dimensions and a copy of every widget in the
    // group's pool, in ring order; the copies join a dialog later through
    // InsertIntoDialog.
    gcUIWidgetGroup(const gcUIWidgetGroup& other);
    // Unlinks and deletes every widget of every cell (not through the dialog).
    ~gcUIWidgetGroup() override;

    // Whole (every widget, and its and the group's events) or null.
    cBase* Copy(cMemPool* pPool) const override;
    // Whether this copy has the source's cells with as many widgets in each
    // (the widgets' Copy being whole or null, the rest follows): an owner
    // that embeds a group passes it to gcEvent::KeepWhole as its events.
    bool HoldsAllOf(const gcUIWidgetGroup& source) const;
    // Version 1: the widget block, rows, columns and per cell its widgets
    // followed by -1 (an empty cell is a lone -1).
    void Write(const cFile& file) const override;
    // Version 1 and later (0 refused, false). Rows x columns outside
    // 0..kMaxCells are refused. A cell object that is no widget, or a widget
    // that refuses its block, fails the file as a damaged one. Every widget
    // gets the group's dialog before it reads and is registered in it by its
    // stored handle afterwards. The group keeps its old cells unless the
    // block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Each over every cell, rows outer, columns inner, each ring in order.
    void InsertIntoDialog(gcUIDialog* pDialog) override;  // group first
    void Update(const gcMsgTick& msg) override;            // group first
    void UpdateUI() override;                              // group first
    float OnConfirm() override;  // widgets, then the group; the sum
    float OnBack() override;
    void Enable(bool bEnable) override;  // widgets first, then the group
    void Focus(bool bFocus, bool bNotify) override;
    void Show(bool bShow) override;
    // The bare size plus the measured cells (sums of the column widths and
    // row heights). A hidden group without kDrawHidden measures bare.
    void GetSize(mVec2* pSize, unsigned int nFlags) const override;
    // The lower-left corner of the cell area placed in rect.
    void GetScreenPos(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize) const override;
    // Stretches (unless kKeepNaturalSizes), draws row 0 at the top, then
    // clears the measured sizes: GetSize must come first in each frame.
    void Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags) override;

    void ResetTempDrawSizes() const;  // the measurement is scratch
    // Rows (columns) smaller than an even share of what the rectangle leaves
    // grow to share the space the larger ones leave.
    void ResizeCellsEvenly(const eRect& rect, unsigned int nFlags);
    void DrawCell(const eCamera* pCamera, const gcUICell& cell, const eRect& rect, unsigned int nFlags);

    // Cells in both the old and the new grid keep their widgets; widgets of
    // cells that fall outside are deleted. False (nothing changed, logged)
    // for negative counts, more than kMaxCells cells or a full pool.
    bool SetDimensions(int nRows, int nCols);
    // Replaces the size arrays whose count changes; false for counts below
    // the grid's (the measurement would pass their end) or a full pool.
    bool SetRowColSizes(int nRows, int nCols);
    void InsertRow(int nRow);  // an empty row after nRow
    void InsertCol(int nCol);
    void DeleteRow(int nRow);  // only when more than one; through the dialog
    void DeleteCol(int nCol);

    // Detaches the widget and links it after hAfter, else at the ring's end.
    void InsertInDrawOrder(const gcUICell& cell, unsigned int hWidget, unsigned int hAfter);
    void InsertInDrawOrder(int nCell, gcUIWidget* pWidget, gcUIWidget* pAfter);
    void RemoveCellWidget(const gcUICell& cell, gcUIWidget* pWidget);
    // Takes the widget out of whichever cell of this group holds it.
    void RemoveWidget(gcUIWidget* pWidget);
    // Both return the new widget's handle; 0 when nothing was made.
    unsigned int CreateCellWidget(const gcUICell& cell, const cType* pType, unsigned int hAfter);
    unsigned int CopyCellWidget(const gcUICell& cell, gcUIWidget* pWidget, unsigned int hAfter);
    // bThroughDialog: destroyed as the dialog's controls, else deleted.
    void DeleteCellWidgets(const gcUICell& cell, bool bThroughDialog);
    void DeleteAllWidgets(bool bThroughDialog);
    // Empties every cell without deleting: for a dialog that deletes all
    // its controls itself.
    void ReleaseAllWidgets();

    // The first widget of the cell that is or derives from the type.
    gcUIWidget* FindWidget(const gcUICell& cell, const cType* pType) const;
    bool FindWidgetCell(unsigned int hWidget, gcUICell* pCell) const;
    bool FindWidgetCell(const gcUIWidget* pWidget, gcUICell* pCell) const;
    int GetNumCellWidgets(const gcUICell& cell) const;
    // The first widget of a cell; null outside the grid or for an empty cell.
    gcUIWidget* GetCellWidget(int nRow, int nCol) const;

    // Sets the four neighbours of every cell's first widget from the grid:
    // links per axis on or off (0), wrapping per axis.
    void SetAutoNeighbors(bool bHorizontal, bool bVertical, bool bWrapHorizontal, bool bWrapVertical);

    int32_t m_nRows = 0;
    int32_t m_nCols = 0;
    gcUIWidget** m_pWidgets = nullptr;  // row-major: col + row * cols
    float* m_pRowHeights = nullptr;     // one frame's measurement
    float* m_pColWidths = nullptr;
    mutable mVec2 m_curNonPaddedSize{0.0f, 0.0f};  // measured by the const GetSize

private:
    bool IsCell(const gcUICell& cell) const;
    int CellIndex(const gcUICell& cell) const { return cell.nCol + cell.nRow * m_nCols; }
    static void LinkLast(gcUIWidget*& rFirst, gcUIWidget* pWidget);
    static void Unlink(gcUIWidget*& rFirst, gcUIWidget* pWidget);
    static bool RingHolds(const gcUIWidget* pFirst, const gcUIWidget* pWidget);
    // Unlinked first; through the dialog only when the widget is its control.
    void DeleteWidget(gcUIWidget* pWidget, bool bThroughDialog);
    // Reads one cell's objects up to -1 into a ring; false on a damaged file.
    bool ReadCell(const cReadBlock& rb, cMemPool* pPool, gcUIWidget*& rFirst);
    // Destroys a ring that was read but never taken over.
    void DiscardRing(gcUIWidget*& rFirst);
    // A new grid of nRows x nCols: map(row, col, &newRow, &newCol) places each
    // old cell, or returns false to destroy its widgets.
    template <class Map>
    bool Reshape(int nRows, int nCols, Map map);
    template <class F>
    void ForEachWidget(F f) const;
};
