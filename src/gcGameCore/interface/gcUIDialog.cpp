#include "gcGameCore/interface/gcUIDialog.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIItemControl.h"

QM_DEFINE_TYPE(gcUIDialog, cObject, 152)
QM_DEFINE_GROUP(gcUIDialogGroup, 151)

uint32_t gcUIDialog::s_nNextMagicNum = 1;

// The controls that bindings read while a dialog reads name of it: its
// table is placed only after its controls (and their events) are read, so
// they are asked once it is. Kept distinct, at most as many as a table
// holds: one more names a control the table cannot hold. Set for the
// dialog's read, nesting.
struct gcUIDialog::ReadingBindings {
    explicit ReadingBindings(const gcUIDialog* p) : pDialog(p), pOuter(s_pReading) { s_pReading = this; }
    ~ReadingBindings() { s_pReading = pOuter; }
    ReadingBindings(const ReadingBindings&) = delete;
    ReadingBindings& operator=(const ReadingBindings&) = delete;

    void Note(const cFile& file, uint32_t hControl)
    {
        if (std::find(ahControls, ahControls + nControls, hControl) != ahControls + nControls)
            return;
        if (nControls == kMaxControls) {
            file.Fail("gcUIDialog \"%s\": its bindings name more than the %d controls a table holds",
                      pDialog->m_name.m_sData, kMaxControls);
            return;
        }
        ahControls[nControls++] = hControl;
    }

    const gcUIDialog* pDialog;
    ReadingBindings* pOuter;
    uint32_t ahControls[kMaxControls];
    int nControls = 0;
};

gcUIDialog::ReadingBindings* gcUIDialog::s_pReading = nullptr;

const char* gcUIDialog::GetLayoutText(int layout)
{
#define QM_UI_DIALOG_LAYOUT_TEXT(name, value, text) \
    case value:                                     \
        return text;
    switch (layout) {
        QM_UI_DIALOG_LAYOUTS(QM_UI_DIALOG_LAYOUT_TEXT)
    default:
        return "???";
    }
#undef QM_UI_DIALOG_LAYOUT_TEXT
}

gcUIDialog::gcUIDialog()
    : onShown("OnShown", m_name.m_sData), onHidden("OnHidden", m_name.m_sData),
      onConfirm("OnConfirm", m_name.m_sData), onBack("OnBack", m_name.m_sData),
      onFocused("OnFocused", m_name.m_sData), onUnFocused("OnUnFocused", m_name.m_sData),
      onUpdateUI("OnUpdateUI", m_name.m_sData), onUpdate("OnUpdate", m_name.m_sData),
      onInitialUpdate("OnInitialUpdate", m_name.m_sData), onFocusChanged("OnFocusChanged", m_name.m_sData)
{
    m_widgetGroup.m_pDialog = this;
}

gcUIDialog::gcUIDialog(const gcUIDialog& o)
    : cObject(o), m_handle(o.m_handle), onShown(o.onShown, m_name.m_sData), onHidden(o.onHidden, m_name.m_sData),
      onConfirm(o.onConfirm, m_name.m_sData), onBack(o.onBack, m_name.m_sData),
      onFocused(o.onFocused, m_name.m_sData), onUnFocused(o.onUnFocused, m_name.m_sData),
      onUpdateUI(o.onUpdateUI, m_name.m_sData), onUpdate(o.onUpdate, m_name.m_sData),
      onInitialUpdate(o.onInitialUpdate, m_name.m_sData), onFocusChanged(o.onFocusChanged, m_name.m_sData),
      m_nFlags(o.m_nFlags), m_fOpacity(o.m_fOpacity), m_origin(o.m_origin), m_offset(o.m_offset),
      m_fixedSize(o.m_fixedSize), m_layout(o.m_layout), m_widgetGroup(o.m_widgetGroup), m_nControls(o.m_nControls),
      m_pControls(o.m_pControls), m_hInitiallyFocusedControl(o.m_hInitiallyFocusedControl),
      m_hFocusedControl(o.m_hFocusedControl), m_hBackdropMaterial(o.m_hBackdropMaterial),
      m_fBackdropOpacity(o.m_fBackdropOpacity), m_fBackdropCurOpacity(o.m_fBackdropCurOpacity),
      m_fUniformScale(o.m_fUniformScale), m_fInParam(o.m_fInParam), m_fReturnCode(o.m_fReturnCode),
      m_pTransition(o.m_pTransition), m_nTransitionPhase(o.m_nTransitionPhase), m_transitionTime(o.m_transitionTime),
      m_totalTransitionTime(o.m_totalTransitionTime), m_fTransitionDampConst(o.m_fTransitionDampConst),
      m_transitionOffset(o.m_transitionOffset), m_pShowAction(o.m_pShowAction), m_pHideAction(o.m_pHideAction)
{
    std::copy_n(o.m_hSprites, kNumSprites, m_hSprites);
    m_widgetGroup.m_pDialog = this;
}

cBase* gcUIDialog::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcUIDialog>(*this) : nullptr, *this, &gcUIDialog::onShown,
                              &gcUIDialog::onHidden, &gcUIDialog::onConfirm, &gcUIDialog::onBack,
                              &gcUIDialog::onFocused, &gcUIDialog::onUnFocused, &gcUIDialog::onUpdateUI,
                              &gcUIDialog::onUpdate, &gcUIDialog::onInitialUpdate, &gcUIDialog::onFocusChanged,
                              &gcUIDialog::m_widgetGroup);
}

gcUIDialog::~gcUIDialog()
{
    gcUI::CloseDialog(this, nullptr, false);
    m_widgetGroup.DeleteAllWidgets(false);
}

void gcUIDialog::OnMemPoolReset(const cMemPool* pPool)
{
    if (pPool->Contains(m_pShowAction))
        m_pShowAction = nullptr;
    if (pPool->Contains(m_pHideAction))
        m_pHideAction = nullptr;
    // The transition stops where it is: opacity, scale, offset and the
    // not-drawn flag keep their values.
    if (pPool->Contains(m_pTransition)) {
        m_pTransition = nullptr;
        m_nTransitionPhase = 0;
        m_transitionTime = cTimeValue(0);
        m_totalTransitionTime = cTimeValue(0);
    }
    // Item controls point at items of the game state or the map, which are
    // made anew at every map load; the controls fall back to their template.
    for (int i = 0; i < m_nControls; ++i) {
        gcUIItemControl* pItemControl = dcast<gcUIItemControl>(m_pControls[i]);
        if (pItemControl && pPool->Contains(pItemControl->pSpecificItem))
            pItemControl->pSpecificItem = nullptr;
    }
}

void gcUIDialog::ForgetItem(const gcItem* pItem)
{
    for (int i = 0; i < m_nControls; ++i) {
        gcUIItemControl* pItemControl = dcast<gcUIItemControl>(m_pControls[i]);
        if (pItemControl && pItemControl->pSpecificItem == pItem)
            pItemControl->pSpecificItem = nullptr;
    }
}

void gcUIDialog::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_nFlags);
    wb.WriteInt(m_nControls);
    wb.WriteInt(m_hInitiallyFocusedControl);
    m_widgetGroup.Write(file);
    wb.WriteInt(m_layout);
    wb.WriteInt(kNumSprites);
    for (const eSpriteHandle& h : m_hSprites)
        h.Write(wb);
    wb.WriteInt(m_origin);
    wb.WriteFloats(m_offset.v, 2);
    wb.WriteFloats(m_fixedSize.v, 2);
    m_hBackdropMaterial.Write(wb);
    wb.WriteFloat(m_fBackdropOpacity);
    for (const gcEvent* e : {&onShown, &onHidden, &onConfirm, &onBack, &onUpdateUI, &onUpdate, &onInitialUpdate,
                             &onFocused, &onUnFocused, &onFocusChanged})
        e->Write(file);
}

// The sprites of a version-6 block were objects of their own, read over;
// later ones are handles, nine at most: the dialog's writer writes its nine.
static bool ReadSprites(const cReadBlock& rb, cMemPool* pPool, eSpriteHandle* pOut, int nSlots)
{
    const int32_t n = rb.ReadInt();
    if (n < 0 || (n > nSlots && rb.m_nVersion >= 7))
        return rb.Reject("gcUIDialog", "sprite count");
    for (int32_t i = 0; i < n && !rb.Failed(); ++i) {
        if (rb.m_nVersion < 7) {
            rb.SkipBase();
            continue;
        }
        eSpriteHandle h;
        h.Read(rb, pPool);
        if (i < nSlots)
            pOut[i] = h;
    }
    return !rb.Failed();
}

bool gcUIDialog::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcUIDialog", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    ReadingBindings bindings(this);
    const uint32_t nFlags = rb.ReadUInt();
    const int32_t nControls = rb.ReadInt();
    const uint32_t hInitiallyFocused = rb.ReadUInt();
    if (rb.Failed())
        return false;
    if (nControls < 0 || nControls > kMaxControls) {
        file.Fail("gcUIDialog \"%s\": control count %d outside 0..%d", m_name.m_sData, nControls, kMaxControls);
        return rb.Reject("gcUIDialog", "control count");
    }
    // The table is left alone until the group is read whole, so that a group
    // that cannot be read leaves the dialog's controls as they were.
    if (!m_widgetGroup.Read(file, pPool))
        return rb.Reject("gcUIDialog", "root group");
    if (!PlaceReadControls(file, nControls))
        return rb.Reject("gcUIDialog", "control table");
    m_nFlags = nFlags;
    m_hInitiallyFocusedControl = hInitiallyFocused;
    if (rb.m_nVersion <= 7)
        rb.ReadInt();  // a word no longer used
    if (rb.m_nVersion >= 7)
        m_layout = rb.ReadInt();
    if (!ReadSprites(rb, pPool, m_hSprites, kNumSprites))
        return false;
    m_origin = rb.ReadInt();
    rb.ReadFloats(m_offset.v, 2);
    rb.ReadFloats(m_fixedSize.v, 2);
    m_hBackdropMaterial.Read(rb, pPool);
    m_fBackdropOpacity = rb.ReadFloat();
    const uint32_t v = rb.m_nVersion;
    for (gcEvent* e : {&onShown, &onHidden, &onConfirm, &onBack, &onUpdateUI, v >= 9 ? &onUpdate : nullptr,
                       v >= 11 ? &onInitialUpdate : nullptr, &onFocused, &onUnFocused,
                       v >= 10 ? &onFocusChanged : nullptr})
        if (e && !rb.Failed() && !e->Read(file, pPool))
            return rb.Reject("gcUIDialog", "event block");
    if (!rb.Failed() && !CheckReferences(file, bindings))
        return rb.Reject("gcUIDialog", "reference");
    return !rb.Failed();
}

void gcUIDialog::CheckBinding(const cFile& file, gcUIDialogHandle hDialog, uint32_t hControl)
{
    if (hControl == 0 || file.Failed())
        return;
    const gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(hDialog);
    if (!pDialog)
        return;
    for (ReadingBindings* p = s_pReading; p; p = p->pOuter) {
        if (p->pDialog == pDialog) {
            p->Note(file, hControl);
            return;
        }
    }
    if (!pDialog->GetControl(hControl))
        file.Fail("a binding names control %#x of gcUIDialog \"%s\", which holds no such control", hControl,
                  pDialog->m_name.m_sData);
}

// Every handle the dialog's data holds, once its table is placed: the
// first focus, each control's neighbours and the bindings to it (0 names
// none). False, the file failed naming the dialog, at the first that names
// no control of the table.
bool gcUIDialog::CheckReferences(const cFile& file, const ReadingBindings& bindings) const
{
    if (m_hInitiallyFocusedControl != 0 && !GetControl(m_hInitiallyFocusedControl)) {
        file.Fail("gcUIDialog \"%s\": its first focus names control %#x, which it does not hold", m_name.m_sData,
                  m_hInitiallyFocusedControl);
        return false;
    }
    for (int slot = 0; slot < m_nControls; ++slot) {
        const gcUIWidget* pControl = m_pControls[slot];
        for (int n = 0; pControl && n < gcUIWidget::MAX_NEIGHBORS; ++n) {
            const uint32_t h = pControl->m_hNeighbors[n];
            if (h != 0 && !GetControl(h)) {
                file.Fail("gcUIDialog \"%s\": control \"%s\": its %s neighbour names control %#x, which the dialog "
                          "does not hold",
                          m_name.m_sData, pControl->m_name.m_sData, gcUIWidget::GetNeighborText(n), h);
                return false;
            }
        }
    }
    for (int i = 0; i < bindings.nControls; ++i) {
        if (!GetControl(bindings.ahControls[i])) {
            file.Fail("gcUIDialog \"%s\": a binding names control %#x, which the dialog does not hold",
                      m_name.m_sData, bindings.ahControls[i]);
            return false;
        }
    }
    return true;
}

// ---- the control table ----

int gcUIDialog::FreeSlot()
{
    for (int i = 0; i < m_nControls; ++i)
        if (!m_pControls[i])
            return i;
    if (m_nControls >= kMaxControls) {
        cLogError_("gcUIDialog \"%s\": no control added, the table holds %d", m_name.m_sData, kMaxControls);
        return -1;
    }
    return ResizeTable(m_nControls + 1) ? m_nControls - 1 : -1;
}

unsigned int gcUIDialog::CreateControl(gcUIWidget* pControl)
{
    if (!pControl)
        return 0;
    const int slot = FreeSlot();
    if (slot < 0)
        return 0;
    const uint32_t h = (s_nNextMagicNum << kMagicShift) | static_cast<uint32_t>(slot);
    if (++s_nNextMagicNum >= kMagicWrap)
        s_nNextMagicNum = 1;
    m_pControls[slot] = pControl;
    pControl->m_hWidgetHandle = h;
    pControl->m_pDialog = this;
    return h;
}

unsigned int gcUIDialog::CreateControl(const cType* pType)
{
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    if (!pType || !pType->m_pNewFunc || !pPool)
        return 0;
    cBase* pObject = pType->m_pNewFunc(pPool);
    gcUIWidget* pControl = dcast<gcUIWidget>(pObject);
    if (!pControl) {
        if (pObject)
            std::destroy_at(pObject);
        return 0;
    }
    const unsigned int h = CreateControl(pControl);
    if (!h)
        std::destroy_at(pControl);
    return h;
}

bool gcUIDialog::ReplaceControl(gcUIWidget* pControl)
{
    const int slot = pControl ? static_cast<int>(pControl->m_hWidgetHandle & kSlotMask) : m_nControls;
    if (slot >= m_nControls)
        return false;
    gcUIWidget* pOld = m_pControls[slot];
    m_pControls[slot] = pControl;
    if (pOld && pOld != pControl)
        DiscardControl(pOld);
    return true;
}

// Each widget of the group's cells, and of the groups among them, claims
// the slot of its stored handle in apClaims (a table of nControls); false,
// the file failed naming the dialog and the widget, at the first widget
// whose handle no table gives (its magic 0 or past the last), or whose slot
// lies outside the table or is claimed already.
bool gcUIDialog::ClaimSlots(const cFile& file, const gcUIWidgetGroup& group, int nControls,
                            gcUIWidget** apClaims) const
{
    for (int i = 0; i < group.m_nRows * group.m_nCols; ++i) {
        gcUIWidget* const pFirst = group.m_pWidgets[i];
        for (gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ) {
            const uint32_t nMagic = p->m_hWidgetHandle >> kMagicShift;
            if (nMagic == 0 || nMagic >= kMagicWrap) {
                file.Fail("gcUIDialog \"%s\": control \"%s\" has handle %#x, which no table gives", m_name.m_sData,
                          p->m_name.m_sData, p->m_hWidgetHandle);
                return false;
            }
            const int slot = static_cast<int>(p->m_hWidgetHandle & kSlotMask);
            if (slot >= nControls) {
                file.Fail("gcUIDialog \"%s\": control \"%s\" names slot %d of a table of %d", m_name.m_sData,
                          p->m_name.m_sData, slot, nControls);
                return false;
            }
            if (apClaims[slot]) {
                file.Fail("gcUIDialog \"%s\": controls \"%s\" and \"%s\" both name slot %d", m_name.m_sData,
                          apClaims[slot]->m_name.m_sData, p->m_name.m_sData, slot);
                return false;
            }
            apClaims[slot] = p;
            const gcUIWidgetGroup* pInner = dcast<const gcUIWidgetGroup>(p);
            if (pInner && !ClaimSlots(file, *pInner, nControls, apClaims))
                return false;
        }
    }
    return true;
}

// The root group's widgets are put into the table only once every one has
// a slot of its own in it; a table that cannot be made that long fails the
// file too.
bool gcUIDialog::PlaceReadControls(const cFile& file, int nControls)
{
    gcUIWidget* apClaims[kMaxControls] = {};
    if (!ClaimSlots(file, m_widgetGroup, nControls, apClaims))
        return false;
    SetNumControls(nControls);
    if (m_nControls != nControls) {
        file.Fail("gcUIDialog \"%s\": no room for its %d controls", m_name.m_sData, nControls);
        return false;
    }
    for (int slot = 0; slot < nControls; ++slot)
        if (apClaims[slot])
            ReplaceControl(apClaims[slot]);
    return true;
}

// Deletes a control, which the table may no longer hold. A group's cell
// widgets are in the table too: they leave it before they are deleted, so
// that no slot is left naming a deleted control. The table keeps its size
// (a read may still be filling it).
void gcUIDialog::DiscardControl(gcUIWidget* pControl)
{
    pControl->Detach();
    if (gcUIWidgetGroup* pGroup = dcast<gcUIWidgetGroup>(pControl))
        for (int16_t r = 0; r < pGroup->m_nRows; ++r)
            for (int16_t c = 0; c < pGroup->m_nCols; ++c)
                while (gcUIWidget* p = pGroup->GetCellWidget(r, c)) {
                    pGroup->RemoveCellWidget(gcUICell{r, c}, p);
                    DiscardControl(p);
                }
    const uint32_t h = pControl->m_hWidgetHandle;
    const int slot = static_cast<int>(h & kSlotMask);
    if (slot < m_nControls && m_pControls[slot] == pControl)
        m_pControls[slot] = nullptr;
    if (m_hFocusedControl == h && h != 0)
        m_hFocusedControl = 0;
    std::destroy_at(pControl);
}

void gcUIDialog::DestroyControl(unsigned int hControl)
{
    gcUIWidget* pControl = GetControl(hControl);
    if (!pControl)
        return;
    DiscardControl(pControl);
    int nUsed = m_nControls;
    while (nUsed > 0 && !m_pControls[nUsed - 1])
        --nUsed;
    ResizeTable(nUsed);
}

// A new array from the dialog's pool (the old one is left to the pool).
bool gcUIDialog::ResizeTable(int nControls)
{
    if (nControls == m_nControls)
        return true;
    gcUIWidget** pNew = nullptr;
    if (nControls > 0) {
        cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
        pNew = pPool ? static_cast<gcUIWidget**>(pPool->Alloc(sizeof(gcUIWidget*) * nControls)) : nullptr;
        if (!pNew) {
            // The pool reported it (failing the file being read, if any).
            return false;
        }
        std::fill_n(pNew, nControls, nullptr);
        std::copy_n(m_pControls, std::min(nControls, m_nControls), pNew);
    }
    m_pControls = pNew;
    m_nControls = nControls;
    return true;
}

// Leaves every widget of the group's cells in place but out of the group,
// so that deleting the group deletes none of them.
static void EmptyCells(gcUIWidgetGroup& group)
{
    for (int16_t r = 0; r < group.m_nRows; ++r)
        for (int16_t c = 0; c < group.m_nCols; ++c)
            while (gcUIWidget* p = group.GetCellWidget(r, c))
                group.RemoveCellWidget(gcUICell{r, c}, p);
}

// Every control from slot nFirst on leaves its group and the table, then
// is deleted; cells of groups among them are emptied first, so that no
// control is deleted twice or left in the table deleted.
void gcUIDialog::DeleteControlsFrom(int nFirst)
{
    for (int i = nFirst; i < m_nControls; ++i)
        if (gcUIWidgetGroup* pGroup = dcast<gcUIWidgetGroup>(m_pControls[i]))
            EmptyCells(*pGroup);
    for (int i = nFirst; i < m_nControls; ++i)
        if (m_pControls[i])
            m_pControls[i]->Detach();
    for (int i = nFirst; i < m_nControls; ++i) {
        if (m_pControls[i] && m_hFocusedControl == m_pControls[i]->m_hWidgetHandle)
            m_hFocusedControl = 0;
        if (m_pControls[i])
            std::destroy_at(m_pControls[i]);
        m_pControls[i] = nullptr;
    }
}

void gcUIDialog::SetNumControls(int nControls)
{
    nControls = std::clamp(nControls, 0, kMaxControls);
    if (nControls == m_nControls)
        return;
    DeleteControlsFrom(nControls);
    ResizeTable(nControls);
}

gcUIWidget* gcUIDialog::GetControl(unsigned int hControl) const
{
    if (hControl == 0)
        return nullptr;
    const int slot = static_cast<int>(hControl & kSlotMask);
    if (slot >= m_nControls)
        return nullptr;
    gcUIWidget* p = m_pControls[slot];
    return p && p->m_hWidgetHandle == hControl ? p : nullptr;
}

gcUIWidget* gcUIDialog::FindControl(unsigned int nFlags)
{
    for (int i = 0; i < m_nControls; ++i)
        if (m_pControls[i] && (m_pControls[i]->m_nFlags & nFlags) == nFlags)
            return m_pControls[i];
    return nullptr;
}

void gcUIDialog::Reset()
{
    m_layout = DLG_LAYOUT_NONE;
    DeleteControlsFrom(0);
    m_pControls = nullptr;
    m_nControls = 0;
    m_widgetGroup.SetDimensions(1, 1);
    m_widgetGroup.m_name.Set("DialogGroup");
}

// ---- the group ----

// The range the group will fill must lie inside the table; cGroup reads the
// block itself once that is known.
bool gcUIDialogGroup::Read(const cFile& file, cMemPool* pPool)
{
    const uint32_t start = file.GetCurrentPos();
    {
        cReadBlock rb(file, kVersion);
        if (rb.m_nVersion == 0)
            return rb.Reject("gcUIDialogGroup", "version");
        { cReadBlock base(file, 1); }
        const int32_t nFileBegin = rb.ReadInt();
        const int32_t nFileEnd = rb.ReadInt();
        if (rb.Failed())
            return false;
        const bool bPreset = !(m_nBegin == -1 && m_nEnd == -1);
        const int64_t begin = bPreset ? m_nBegin : nFileBegin;
        const int64_t end = bPreset ? m_nEnd : nFileEnd;
        if (begin < 0 || end < begin || end > gcUIDialogMgr::kSlots) {
            file.Fail("gcUIDialogGroup: slots %lld to %lld do not fit the %d dialog slots", static_cast<long long>(begin),
                      static_cast<long long>(end), gcUIDialogMgr::kSlots);
            return false;
        }
    }
    file.SetCurrentPos(start);
    return cGroup::Read(file, pPool);
}
