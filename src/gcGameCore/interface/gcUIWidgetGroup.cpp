#include "gcGameCore/interface/gcUIWidgetGroup.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eRect.h"
#include "gcGameCore/interface/gcUIDialog.h"

QM_DEFINE_TYPE(gcUIWidgetGroup, gcUIWidget, 149)

namespace {

bool CellsFit(int nRows, int nCols)
{
    return nRows >= 0 && nCols >= 0 && static_cast<int64_t>(nRows) * nCols <= gcUIWidgetGroup::kMaxCells;
}

// Pool memory for n entries (zeroed); null for n 0 and, logged by the pool,
// when the pool cannot hold them.
template <class T>
T* AllocArray(const void* pOwner, int n)
{
    if (n <= 0)
        return nullptr;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(pOwner);
    if (!pPool) {
        cLogError_("gcUIWidgetGroup: a group outside every pool cannot hold cells");
        return nullptr;
    }
    return static_cast<T*>(pPool->Alloc(sizeof(T) * static_cast<size_t>(n), alignof(T)));
}

// Every array the grid needs is there (an array of no entries is null).
bool Allocated(int nRows, int nCols, gcUIWidget* const* pCells, const float* pRowHeights, const float* pColWidths)
{
    return (nRows * nCols == 0 || pCells) && (nRows == 0 || pRowHeights) && (nCols == 0 || pColWidths);
}

// Sizes smaller than an even share of what is available grow to share what
// the larger ones leave.
void SpreadEvenly(float* pSizes, int n, float fAvailable)
{
    if (n <= 0)
        return;
    const float fShare = fAvailable / static_cast<float>(n);
    int nCounted = 0;
    for (int i = 0; i < n; ++i) {
        if (pSizes[i] >= fShare)
            fAvailable -= pSizes[i];
        else
            ++nCounted;
    }
    if (nCounted == 0)
        return;
    const float fRaised = fAvailable / static_cast<float>(nCounted);
    for (int i = 0; i < n; ++i)
        if (pSizes[i] < fRaised)
            pSizes[i] = fRaised;
}

float Sum(const float* pSizes, int n)
{
    float f = 0.0f;
    for (int i = 0; i < n; ++i)
        f += pSizes[i];
    return f;
}

// The next index along one axis: wrapped, or clamped into the grid.
int Step(int i, int d, int n, bool bWrap)
{
    const int next = i + d;
    if (bWrap)
        return (next % n + n) % n;
    return next < 0 ? 0 : (next >= n ? n - 1 : next);
}

}  // namespace

template <class F>
void gcUIWidgetGroup::ForEachWidget(F f) const
{
    for (int i = 0; i < m_nRows * m_nCols; ++i) {
        // The ring is taken first: an event or the dialog may take widgets
        // out of it (a removed widget has no group any more).
        gcUIWidget* ring[kMaxCells];
        int n = 0;
        const gcUIWidget* pFirst = m_pWidgets[i];
        for (gcUIWidget* p = m_pWidgets[i]; p && n < kMaxCells; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ)
            ring[n++] = p;
        for (int j = 0; j < n; ++j)
            if (ring[j]->m_pParentGroup == this)
                f(ring[j]);
    }
}

gcUIWidgetGroup::gcUIWidgetGroup(const gcUIWidgetGroup& other) : gcUIWidget(other)
{
    if (!SetDimensions(other.m_nRows, other.m_nCols))
        return;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    for (int i = 0; i < m_nRows * m_nCols; ++i) {
        const gcUIWidget* pFirst = other.m_pWidgets[i];
        if (!pFirst)
            continue;
        const gcUIWidget* pWidget = pFirst;
        do {
            if (gcUIWidget* pCopy = dcast<gcUIWidget>(pWidget->Copy(pPool))) {
                LinkLast(m_pWidgets[i], pCopy);
                pCopy->m_pParentGroup = this;
            }
            pWidget = pWidget->m_pNextInZ;
        } while (pWidget != pFirst);
    }
}

gcUIWidgetGroup::~gcUIWidgetGroup()
{
    DeleteAllWidgets(false);
}

cBase* gcUIWidgetGroup::Copy(cMemPool* pPool) const
{
    gcUIWidgetGroup* pCopy = KeepWholeCopy(pPool ? pPool->New<gcUIWidgetGroup>(*this) : nullptr, *this);
    if (pCopy && !pCopy->HoldsAllOf(*this)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    return pCopy;
}

bool gcUIWidgetGroup::HoldsAllOf(const gcUIWidgetGroup& source) const
{
    if (m_nRows != source.m_nRows || m_nCols != source.m_nCols)
        return false;
    const auto length = [](const gcUIWidget* pFirst) {
        int n = 0;
        for (const gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ)
            ++n;
        return n;
    };
    for (int i = 0; i < m_nRows * m_nCols; ++i) {
        if (length(m_pWidgets[i]) != length(source.m_pWidgets[i]))
            return false;
    }
    return true;
}

void gcUIWidgetGroup::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIWidget::Write(file);
    wb.WriteInt(m_nRows);
    wb.WriteInt(m_nCols);
    for (int i = 0; i < m_nRows * m_nCols; ++i) {
        if (const gcUIWidget* pFirst = m_pWidgets[i]) {
            const gcUIWidget* pWidget = pFirst;
            do {
                wb.WriteBase(pWidget);
                pWidget = pWidget->m_pNextInZ;
            } while (pWidget != pFirst);
        }
        wb.WriteInt(-1);
    }
}

// A cell object that is no widget, or a widget that refuses its data,
// would leave the dialog without it (a menu without New Game): the file is
// damaged.
static void FailDroppedCell(const char* sGroup, const cFile& file, const cType* pType)
{
    file.Fail("gcUIWidgetGroup: \"%s\" drops a cell object of type %s", sGroup, pType->m_sTypeName);
}

bool gcUIWidgetGroup::ReadCell(const cReadBlock& rb, cMemPool* pPool, gcUIWidget*& rFirst)
{
    const cFile& file = rb.m_file;
    while (!rb.Failed()) {
        const uint32_t nPos = file.GetCurrentPos();
        if (rb.ReadInt() == -1)
            return true;
        file.SetCurrentPos(nPos);
        // A member that is not a widget is skipped unbuilt, failing the file.
        const cType* pForeign = nullptr;
        auto* pWidget = static_cast<gcUIWidget*>(rb.CreateBase(pPool, gcUIWidget::GetStaticType(), &pForeign));
        if (!pWidget) {
            if (pForeign)
                FailDroppedCell(m_name.m_sData, file, pForeign);
            continue;
        }
        pWidget->m_pDialog = m_pDialog;
        if (!pWidget->Read(file, pPool)) {
            pWidget->m_pDialog = nullptr;
            FailDroppedCell(m_name.m_sData, file, pWidget->GetType());
            std::destroy_at(pWidget);
            continue;
        }
        LinkLast(rFirst, pWidget);
    }
    return false;
}

void gcUIWidgetGroup::DiscardRing(gcUIWidget*& rFirst)
{
    while (gcUIWidget* pWidget = rFirst) {
        Unlink(rFirst, pWidget);
        std::destroy_at(pWidget);  // a group deletes its own widgets; none is in the dialog's table yet
    }
}

bool gcUIWidgetGroup::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUIWidgetGroup", "version");
    WidgetPart part;
    if (!ReadWidgetBlock(file, pPool, &part)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    const int32_t nRows = rb.ReadInt();
    const int32_t nCols = rb.ReadInt();
    if (rb.Failed())
        return false;
    if (!CellsFit(nRows, nCols)) {
        file.Fail("gcUIWidgetGroup: \"%s\" has %d x %d cells, at most %d allowed", part.name.m_sData, nRows, nCols,
                  kMaxCells);
        return rb.Reject("gcUIWidgetGroup", "rows x columns");
    }
    const int nCells = nRows * nCols;
    gcUIWidget** pCells = AllocArray<gcUIWidget*>(this, nCells);
    float* pRowHeights = nRows == m_nRows ? m_pRowHeights : AllocArray<float>(this, nRows);
    float* pColWidths = nCols == m_nCols ? m_pColWidths : AllocArray<float>(this, nCols);
    if (!Allocated(nRows, nCols, pCells, pRowHeights, pColWidths))
        return rb.Reject("gcUIWidgetGroup", "cell table (pool full)");
    bool bRead = true;
    for (int i = 0; i < nCells && bRead; ++i)
        bRead = ReadCell(rb, pPool, pCells[i]);
    if (!bRead || rb.Failed()) {
        for (int i = 0; i < nCells; ++i)
            DiscardRing(pCells[i]);
        return false;
    }
    DeleteAllWidgets(true);
    CommitWidgetPart(part);
    m_pWidgets = pCells;
    m_pRowHeights = nRows > 0 ? pRowHeights : nullptr;
    m_pColWidths = nCols > 0 ? pColWidths : nullptr;
    m_nRows = nRows;
    m_nCols = nCols;
    for (int i = 0; i < nCells; ++i)
        for (gcUIWidget* p = pCells[i]; p; p = p->m_pNextInZ == pCells[i] ? nullptr : p->m_pNextInZ)
            p->m_pParentGroup = this;
    // The dialog puts the widgets into its table once its root group is read
    // whole (gcUIDialog::Read).
    return true;
}

void gcUIWidgetGroup::InsertIntoDialog(gcUIDialog* pDialog)
{
    gcUIWidget::InsertIntoDialog(pDialog);
    ForEachWidget([pDialog](gcUIWidget* pWidget) { pWidget->InsertIntoDialog(pDialog); });
}

void gcUIWidgetGroup::Update(const gcMsgTick& msg)
{
    gcUIWidget::Update(msg);
    ForEachWidget([&msg](gcUIWidget* pWidget) { pWidget->Update(msg); });
}

void gcUIWidgetGroup::UpdateUI()
{
    gcUIWidget::UpdateUI();
    ForEachWidget([](gcUIWidget* pWidget) { pWidget->UpdateUI(); });
}

float gcUIWidgetGroup::OnConfirm()
{
    float fSum = 0.0f;
    ForEachWidget([&fSum](gcUIWidget* pWidget) { fSum += pWidget->OnConfirm(); });
    return fSum + gcUIWidget::OnConfirm();
}

float gcUIWidgetGroup::OnBack()
{
    float fSum = 0.0f;
    ForEachWidget([&fSum](gcUIWidget* pWidget) { fSum += pWidget->OnBack(); });
    return fSum + gcUIWidget::OnBack();
}

void gcUIWidgetGroup::Enable(bool bEnable)
{
    ForEachWidget([bEnable](gcUIWidget* pWidget) { pWidget->Enable(bEnable); });
    gcUIWidget::Enable(bEnable);
}

void gcUIWidgetGroup::Focus(bool bFocus, bool bNotify)
{
    ForEachWidget([bFocus, bNotify](gcUIWidget* pWidget) { pWidget->Focus(bFocus, bNotify); });
    gcUIWidget::Focus(bFocus, bNotify);
}

void gcUIWidgetGroup::Show(bool bShow)
{
    ForEachWidget([bShow](gcUIWidget* pWidget) { pWidget->Show(bShow); });
    gcUIWidget::Show(bShow);
}

void gcUIWidgetGroup::GetSize(mVec2* pSize, unsigned int nFlags) const
{
    gcUIWidget::GetSize(pSize, nFlags);
    if (!IsShownFor(nFlags))
        return;
    const mVec2 bare = *pSize;
    ResetTempDrawSizes();
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) {
            const gcUIWidget* pFirst = m_pWidgets[c + r * m_nCols];
            const gcUIWidget* pWidget = pFirst;
            do {
                // An empty cell is as large as the group's own bare size.
                mVec2 size = bare;
                if (pWidget)
                    pWidget->GetSize(&size, nFlags);
                m_pRowHeights[r] = std::max(m_pRowHeights[r], size.y);
                m_pColWidths[c] = std::max(m_pColWidths[c], size.x);
                pWidget = pWidget ? pWidget->m_pNextInZ : nullptr;
            } while (pWidget && pWidget != pFirst);
        }
    m_curNonPaddedSize.Set(Sum(m_pColWidths, m_nCols), Sum(m_pRowHeights, m_nRows));
    *pSize += m_curNonPaddedSize;
}

void gcUIWidgetGroup::ResetTempDrawSizes() const
{
    m_curNonPaddedSize.Set(0.0f, 0.0f);
    std::fill_n(m_pRowHeights, m_pRowHeights ? m_nRows : 0, 0.0f);
    std::fill_n(m_pColWidths, m_pColWidths ? m_nCols : 0, 0.0f);
}

void gcUIWidgetGroup::ResizeCellsEvenly(const eRect& rect, unsigned int nFlags)
{
    mVec2 bare;
    gcUIWidget::GetSize(&bare, nFlags);
    SpreadEvenly(m_pRowHeights, m_nRows, rect.size.y - bare.y);
    SpreadEvenly(m_pColWidths, m_nCols, rect.size.x - bare.x);
    m_curNonPaddedSize.Set(Sum(m_pColWidths, m_nCols), Sum(m_pRowHeights, m_nRows));
}

void gcUIWidgetGroup::GetScreenPos(const eRect& rect, unsigned int nFlags, mVec2* pPos, mVec2* pSize) const
{
    gcUIWidget::GetSize(pSize, nFlags);
    *pSize += m_curNonPaddedSize;
    PlaceBox(rect, nFlags, *pSize, pPos);
}

void gcUIWidgetGroup::Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags)
{
    if (!IsShownFor(nFlags))
        return;
    if (!(m_nFlags & kKeepNaturalSizes))
        ResizeCellsEvenly(rect, nFlags);
    mVec2 corner;
    mVec2 size;
    GetScreenPos(rect, nFlags, &corner, &size);
    // y grows upwards: the last row is drawn first, at the bottom.
    float y = corner.y;
    for (int r = m_nRows - 1; r >= 0; --r) {
        float x = corner.x;
        for (int c = 0; c < m_nCols; ++c) {
            const gcUICell cell{static_cast<int16_t>(r), static_cast<int16_t>(c)};
            DrawCell(pCamera, cell, eRect{{x, y}, {m_pColWidths[c], m_pRowHeights[r]}}, nFlags);
            x += m_pColWidths[c];
        }
        y += m_pRowHeights[r];
    }
    ResetTempDrawSizes();
}

void gcUIWidgetGroup::DrawCell(const eCamera* pCamera, const gcUICell& cell, const eRect& rect, unsigned int nFlags)
{
    if (!IsCell(cell))
        return;
    gcUIWidget* pFirst = m_pWidgets[CellIndex(cell)];
    gcUIWidget* pWidget = pFirst;
    while (pWidget) {
        pWidget->Draw(pCamera, rect, nFlags);
        pWidget = pWidget->m_pNextInZ == pFirst ? nullptr : pWidget->m_pNextInZ;
    }
}

template <class Map>
bool gcUIWidgetGroup::Reshape(int nRows, int nCols, Map map)
{
    if (!CellsFit(nRows, nCols)) {
        cLogError_("gcUIWidgetGroup: \"%s\" cannot have %d x %d cells, at most %d", m_name.m_sData, nRows, nCols,
                   kMaxCells);
        return false;
    }
    const int nCells = nRows * nCols;
    gcUIWidget** pCells = AllocArray<gcUIWidget*>(this, nCells);
    float* pRowHeights = nRows == m_nRows ? m_pRowHeights : AllocArray<float>(this, nRows);
    float* pColWidths = nCols == m_nCols ? m_pColWidths : AllocArray<float>(this, nCols);
    if (!Allocated(nRows, nCols, pCells, pRowHeights, pColWidths))
        return false;
    int nRow = 0;
    int nCol = 0;
    // Dropped cells go first, while the old table still finds their widgets.
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (!map(r, c, &nRow, &nCol))
                DeleteCellWidgets(gcUICell{static_cast<int16_t>(r), static_cast<int16_t>(c)}, true);
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (map(r, c, &nRow, &nCol))
                pCells[nCol + nRow * nCols] = m_pWidgets[c + r * m_nCols];
    m_pWidgets = pCells;
    m_pRowHeights = nRows > 0 ? pRowHeights : nullptr;
    m_pColWidths = nCols > 0 ? pColWidths : nullptr;
    m_nRows = nRows;
    m_nCols = nCols;
    return true;
}

bool gcUIWidgetGroup::SetDimensions(int nRows, int nCols)
{
    if (nRows == m_nRows && nCols == m_nCols)
        return true;
    return Reshape(nRows, nCols, [nRows, nCols](int r, int c, int* pRow, int* pCol) {
        *pRow = r, *pCol = c;
        return r < nRows && c < nCols;
    });
}

bool gcUIWidgetGroup::SetRowColSizes(int nRows, int nCols)
{
    // Arrays shorter than the grid would be measured past their end.
    if (nRows < m_nRows || nCols < m_nCols)
        return false;
    float* pRowHeights = nRows == m_nRows ? m_pRowHeights : AllocArray<float>(this, nRows);
    float* pColWidths = nCols == m_nCols ? m_pColWidths : AllocArray<float>(this, nCols);
    if ((nRows > 0 && !pRowHeights) || (nCols > 0 && !pColWidths))
        return false;
    m_pRowHeights = pRowHeights;
    m_pColWidths = pColWidths;
    return true;
}

void gcUIWidgetGroup::InsertRow(int nRow)
{
    Reshape(m_nRows + 1, m_nCols, [nRow](int r, int c, int* pRow, int* pCol) {
        *pRow = r > nRow ? r + 1 : r, *pCol = c;
        return true;
    });
}

void gcUIWidgetGroup::InsertCol(int nCol)
{
    Reshape(m_nRows, m_nCols + 1, [nCol](int r, int c, int* pRow, int* pCol) {
        *pRow = r, *pCol = c > nCol ? c + 1 : c;
        return true;
    });
}

void gcUIWidgetGroup::DeleteRow(int nRow)
{
    if (m_nRows <= 1 || nRow < 0 || nRow >= m_nRows)
        return;
    Reshape(m_nRows - 1, m_nCols, [nRow](int r, int c, int* pRow, int* pCol) {
        *pRow = r > nRow ? r - 1 : r, *pCol = c;
        return r != nRow;
    });
}

void gcUIWidgetGroup::DeleteCol(int nCol)
{
    if (m_nCols <= 1 || nCol < 0 || nCol >= m_nCols)
        return;
    Reshape(m_nRows, m_nCols - 1, [nCol](int r, int c, int* pRow, int* pCol) {
        *pRow = r, *pCol = c > nCol ? c - 1 : c;
        return c != nCol;
    });
}

bool gcUIWidgetGroup::IsCell(const gcUICell& cell) const
{
    return cell.nRow >= 0 && cell.nRow < m_nRows && cell.nCol >= 0 && cell.nCol < m_nCols;
}

void gcUIWidgetGroup::LinkLast(gcUIWidget*& rFirst, gcUIWidget* pWidget)
{
    if (!rFirst) {
        rFirst = pWidget;
        pWidget->m_pNextInZ = pWidget->m_pPrevInZ = pWidget;
        return;
    }
    gcUIWidget* pLast = rFirst->m_pPrevInZ;
    pWidget->m_pPrevInZ = pLast;
    pWidget->m_pNextInZ = rFirst;
    pLast->m_pNextInZ = pWidget;
    rFirst->m_pPrevInZ = pWidget;
}

void gcUIWidgetGroup::Unlink(gcUIWidget*& rFirst, gcUIWidget* pWidget)
{
    if (rFirst == pWidget)
        rFirst = pWidget->m_pNextInZ == pWidget ? nullptr : pWidget->m_pNextInZ;
    pWidget->m_pPrevInZ->m_pNextInZ = pWidget->m_pNextInZ;
    pWidget->m_pNextInZ->m_pPrevInZ = pWidget->m_pPrevInZ;
    pWidget->m_pNextInZ = pWidget->m_pPrevInZ = pWidget;
}

bool gcUIWidgetGroup::RingHolds(const gcUIWidget* pFirst, const gcUIWidget* pWidget)
{
    const gcUIWidget* p = pFirst;
    while (p) {
        if (p == pWidget)
            return true;
        p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ;
    }
    return false;
}

void gcUIWidgetGroup::InsertInDrawOrder(const gcUICell& cell, unsigned int hWidget, unsigned int hAfter)
{
    if (IsCell(cell))
        InsertInDrawOrder(CellIndex(cell), Resolve(hWidget), Resolve(hAfter));
}

void gcUIWidgetGroup::InsertInDrawOrder(int nCell, gcUIWidget* pWidget, gcUIWidget* pAfter)
{
    if (!pWidget || nCell < 0 || nCell >= m_nRows * m_nCols)
        return;
    pWidget->Detach();
    gcUIWidget*& rFirst = m_pWidgets[nCell];
    if (pAfter && pAfter != pWidget && RingHolds(rFirst, pAfter)) {
        pWidget->m_pPrevInZ = pAfter;
        pWidget->m_pNextInZ = pAfter->m_pNextInZ;
        pAfter->m_pNextInZ->m_pPrevInZ = pWidget;
        pAfter->m_pNextInZ = pWidget;
    } else {
        LinkLast(rFirst, pWidget);
    }
    pWidget->m_pParentGroup = this;
}

void gcUIWidgetGroup::RemoveCellWidget(const gcUICell& cell, gcUIWidget* pWidget)
{
    if (!pWidget || !IsCell(cell) || !RingHolds(m_pWidgets[CellIndex(cell)], pWidget))
        return;
    Unlink(m_pWidgets[CellIndex(cell)], pWidget);
    pWidget->m_pParentGroup = nullptr;
}

void gcUIWidgetGroup::RemoveWidget(gcUIWidget* pWidget)
{
    gcUICell cell;
    if (FindWidgetCell(pWidget, &cell))
        RemoveCellWidget(cell, pWidget);
}

unsigned int gcUIWidgetGroup::CreateCellWidget(const gcUICell& cell, const cType* pType, unsigned int hAfter)
{
    if (!m_pDialog || !IsCell(cell))
        return 0;
    const unsigned int hWidget = m_pDialog->CreateControl(pType);
    if (hWidget)
        InsertInDrawOrder(cell, hWidget, hAfter);
    return hWidget;
}

unsigned int gcUIWidgetGroup::CopyCellWidget(const gcUICell& cell, gcUIWidget* pWidget, unsigned int hAfter)
{
    if (!pWidget || !IsCell(cell))
        return 0;
    gcUIWidget* pCopy = dcast<gcUIWidget>(pWidget->Copy(cMemPool::GetPoolFromPtr(this)));
    if (!pCopy)
        return 0;
    pCopy->InsertIntoDialog(m_pDialog);
    InsertInDrawOrder(CellIndex(cell), pCopy, Resolve(hAfter));
    return pCopy->GetWidgetHandle();
}

void gcUIWidgetGroup::DeleteWidget(gcUIWidget* pWidget, bool bThroughDialog)
{
    RemoveWidget(pWidget);
    const unsigned int hWidget = pWidget->GetWidgetHandle();
    if (bThroughDialog && m_pDialog && m_pDialog->GetControl(hWidget) == pWidget)
        m_pDialog->DestroyControl(hWidget);
    else
        std::destroy_at(pWidget);
}

void gcUIWidgetGroup::DeleteCellWidgets(const gcUICell& cell, bool bThroughDialog)
{
    if (!IsCell(cell))
        return;
    while (gcUIWidget* pFirst = m_pWidgets[CellIndex(cell)])
        DeleteWidget(pFirst, bThroughDialog);
}

void gcUIWidgetGroup::ReleaseAllWidgets()
{
    for (int i = 0; i < m_nRows * m_nCols; ++i)
        while (gcUIWidget* pFirst = m_pWidgets[i]) {
            Unlink(m_pWidgets[i], pFirst);
            pFirst->m_pParentGroup = nullptr;
        }
}

void gcUIWidgetGroup::DeleteAllWidgets(bool bThroughDialog)
{
    for (int i = 0; i < m_nRows * m_nCols; ++i)
        while (gcUIWidget* pFirst = m_pWidgets[i])
            DeleteWidget(pFirst, bThroughDialog);
}

gcUIWidget* gcUIWidgetGroup::FindWidget(const gcUICell& cell, const cType* pType) const
{
    if (!pType || !IsCell(cell))
        return nullptr;
    gcUIWidget* pFirst = m_pWidgets[CellIndex(cell)];
    for (gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ)
        if (p->GetType()->IsA(pType))
            return p;
    return nullptr;
}

bool gcUIWidgetGroup::FindWidgetCell(unsigned int hWidget, gcUICell* pCell) const
{
    const gcUIWidget* pWidget = Resolve(hWidget);
    return pWidget && FindWidgetCell(pWidget, pCell);
}

bool gcUIWidgetGroup::FindWidgetCell(const gcUIWidget* pWidget, gcUICell* pCell) const
{
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c)
            if (RingHolds(m_pWidgets[c + r * m_nCols], pWidget)) {
                *pCell = gcUICell{static_cast<int16_t>(r), static_cast<int16_t>(c)};
                return true;
            }
    return false;
}

int gcUIWidgetGroup::GetNumCellWidgets(const gcUICell& cell) const
{
    if (!IsCell(cell))
        return 0;
    int n = 0;
    const gcUIWidget* pFirst = m_pWidgets[CellIndex(cell)];
    for (const gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ)
        ++n;
    return n;
}

gcUIWidget* gcUIWidgetGroup::GetCellWidget(int nRow, int nCol) const
{
    if (nRow < 0 || nRow >= m_nRows || nCol < 0 || nCol >= m_nCols)
        return nullptr;
    return m_pWidgets[nCol + nRow * m_nCols];
}

void gcUIWidgetGroup::SetAutoNeighbors(bool bHorizontal, bool bVertical, bool bWrapHorizontal, bool bWrapVertical)
{
    // The neighbour of (r, c) one step along (dr, dc): with wrapping the
    // search steps past empty cells until it finds a filled one or comes back.
    auto find = [this](int r, int c, int dr, int dc, bool bWrap) -> unsigned int {
        int row = r;
        int col = c;
        do {
            row = dr ? Step(row, dr, m_nRows, bWrap) : row;
            col = dc ? Step(col, dc, m_nCols, bWrap) : col;
        } while (bWrap && !GetCellWidget(row, col) && (row != r || col != c));
        const gcUIWidget* pTarget = GetCellWidget(row, col);
        return (row == r && col == c) || !pTarget ? 0 : pTarget->GetWidgetHandle();
    };
    for (int r = 0; r < m_nRows; ++r)
        for (int c = 0; c < m_nCols; ++c) {
            gcUIWidget* pWidget = GetCellWidget(r, c);
            if (!pWidget)
                continue;
            pWidget->SetNeighbor(NEIGHBOR_LEFT, bHorizontal ? find(r, c, 0, -1, bWrapHorizontal) : 0);
            pWidget->SetNeighbor(NEIGHBOR_RIGHT, bHorizontal ? find(r, c, 0, 1, bWrapHorizontal) : 0);
            pWidget->SetNeighbor(NEIGHBOR_UP, bVertical ? find(r, c, -1, 0, bWrapVertical) : 0);
            pWidget->SetNeighbor(NEIGHBOR_DOWN, bVertical ? find(r, c, 1, 0, bWrapVertical) : 0);
        }
}
