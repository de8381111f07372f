#include "gcGameCore/interface/gcUIWidget.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eRect.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_ABSTRACT_TYPE(gcUIWidget, cObject, 150)

float gcUIWidget::s_extraCellPadding[4] = {0.0f, 0.0f, 0.0f, 0.0f};

namespace {

// The events in the order of the block; OnUpdate came with version 3.
constexpr gcEvent gcUIWidget::* kEvents[8] = {
    &gcUIWidget::onConfirm, &gcUIWidget::onBack,     &gcUIWidget::onShown,    &gcUIWidget::onHidden,
    &gcUIWidget::onFocused, &gcUIWidget::onUnfocused, &gcUIWidget::onUpdateUI, &gcUIWidget::onUpdate,
};
constexpr const char* kEventNames[8] = {"OnConfirm", "OnBack",      "OnShown",    "OnHidden",
                                        "OnFocused", "OnUnfocused", "OnUpdateUI", "OnUpdate"};
constexpr int kEventsBeforeV3 = 7;

bool IsNeighbor(int neighbor)
{
    return neighbor >= 0 && neighbor < gcUIWidget::MAX_NEIGHBORS;
}

}  // namespace

const char* gcUIWidget::GetNeighborText(int neighbor)
{
    switch (neighbor) {
#define QM_UI_NEIGHBOR_CASE(name, value, text) \
    case value: return text;
        QM_UI_NEIGHBORS(QM_UI_NEIGHBOR_CASE)
#undef QM_UI_NEIGHBOR_CASE
    default: return "???";
    }
}

gcUIWidget::gcUIWidget()
    : onConfirm(kEventNames[0], m_name.m_sData),
      onBack(kEventNames[1], m_name.m_sData),
      onShown(kEventNames[2], m_name.m_sData),
      onHidden(kEventNames[3], m_name.m_sData),
      onFocused(kEventNames[4], m_name.m_sData),
      onUnfocused(kEventNames[5], m_name.m_sData),
      onUpdateUI(kEventNames[6], m_name.m_sData),
      onUpdate(kEventNames[7], m_name.m_sData),
      m_origin(eSprite::SO_MIDCENTER)
{
}

gcUIWidget::gcUIWidget(const gcUIWidget& other)
    : cObject(other),
      onConfirm(other.onConfirm, m_name.m_sData),
      onBack(other.onBack, m_name.m_sData),
      onShown(other.onShown, m_name.m_sData),
      onHidden(other.onHidden, m_name.m_sData),
      onFocused(other.onFocused, m_name.m_sData),
      onUnfocused(other.onUnfocused, m_name.m_sData),
      onUpdateUI(other.onUpdateUI, m_name.m_sData),
      onUpdate(other.onUpdate, m_name.m_sData),
      m_nFlags(other.m_nFlags),
      m_origin(other.m_origin),
      m_offset(other.m_offset)
{
    std::copy(std::begin(other.m_cellPadding), std::end(other.m_cellPadding), m_cellPadding);
}

gcUIWidget::~gcUIWidget()
{
    // A group's table must not keep a widget that is gone.
    if (m_pParentGroup)
        m_pParentGroup->RemoveWidget(this);
}

void gcUIWidget::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(m_hWidgetHandle);
    wb.WriteInt(m_nFlags);
    wb.WriteInt(static_cast<int32_t>(MAX_NEIGHBORS));
    wb.WriteInts(m_hNeighbors, MAX_NEIGHBORS);
    wb.WriteInt(m_origin);
    wb.WriteFloats(m_offset.v, 2);
    wb.WriteFloats(m_cellPadding, 4);
    for (const auto event : kEvents)
        (this->*event).Write(file);
}

bool gcUIWidget::ReadWidgetBlock(const cFile& file, cMemPool* pPool, WidgetPart* pPart)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUIWidget", "version");
    cObject name;
    if (!name.Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    pPart->name = name.m_name;
    pPart->nHandle = rb.ReadUInt();
    pPart->nFlags = rb.ReadUInt() & ~kFocused;
    if (rb.m_nVersion == 1)
        rb.ReadUInt();  // the owning dialog's handle; the dialog sets itself
    const int32_t nNeighbors = rb.ReadInt();
    if (nNeighbors < 0)
        return rb.Reject("gcUIWidget", "neighbour count");
    const int nKept = std::min<int32_t>(nNeighbors, MAX_NEIGHBORS);
    rb.ReadInts(pPart->hNeighbors, nKept);
    for (int32_t i = nKept; i < nNeighbors && !rb.Failed(); ++i)
        rb.ReadUInt();  // more than four directions: not ours to keep
    pPart->origin = rb.ReadInt();
    rb.ReadFloats(pPart->offset.v, 2);
    rb.ReadFloats(pPart->padding, 4);
    const int nEvents = rb.m_nVersion >= 3 ? 8 : kEventsBeforeV3;
    for (int i = 0; i < nEvents && !rb.Failed(); ++i)
        if (!pPart->events[i].Read(file, pPool))
            return rb.Reject("gcUIWidget", "event block");
    return !rb.Failed();
}

void gcUIWidget::CommitWidgetPart(WidgetPart& part)
{
    m_name = part.name;
    m_hWidgetHandle = part.nHandle;
    m_nFlags = part.nFlags;
    std::copy(std::begin(part.hNeighbors), std::end(part.hNeighbors), m_hNeighbors);
    m_origin = part.origin;
    m_offset = part.offset;
    std::copy(std::begin(part.padding), std::end(part.padding), m_cellPadding);
    for (int i = 0; i < 8; ++i)
        std::swap((this->*kEvents[i]).pAction, part.events[i].pAction);
}

bool gcUIWidget::Read(const cFile& file, cMemPool* pPool)
{
    WidgetPart part;
    if (!ReadWidgetBlock(file, pPool, &part))
        return false;
    CommitWidgetPart(part);
    return true;
}

void gcUIWidget::InsertIntoDialog(gcUIDialog* pDialog)
{
    m_pDialog = pDialog;
    if (pDialog)
        pDialog->CreateControl(this);
}

void gcUIWidget::Update(const gcMsgTick&)
{
    if (m_nFlags & kFocused)
        ApplyEvent(onUpdate);
}

void gcUIWidget::UpdateUI()
{
    ApplyEvent(onUpdateUI);
}

float gcUIWidget::OnConfirm()
{
    return ApplyEvent(onConfirm);
}

float gcUIWidget::OnBack()
{
    return ApplyEvent(onBack);
}

void gcUIWidget::GetEventParams(gcEventParams&) const {}

void gcUIWidget::Enable(bool bEnable)
{
    if (bEnable == ((m_nFlags & kEnabled) != 0))
        return;
    const uint32_t nOld = m_nFlags;
    m_nFlags = bEnable ? (m_nFlags | kEnabled) : (m_nFlags & ~kEnabled);
    if (m_pDialog)
        m_pDialog->OnControlChanged(this, nOld, m_nFlags);
}

void gcUIWidget::Show(bool bShow)
{
    if (bShow == ((m_nFlags & kVisible) != 0))
        return;
    const uint32_t nOld = m_nFlags;
    m_nFlags = bShow ? (m_nFlags | kVisible) : (m_nFlags & ~kVisible);
    ApplyEvent(bShow ? onShown : onHidden);
    if (m_pDialog)
        m_pDialog->OnControlChanged(this, nOld, m_nFlags);
}

void gcUIWidget::Focus(bool bFocus, bool bNotify)
{
    if (bFocus == ((m_nFlags & kFocused) != 0) || (bFocus && !CanFocus()))
        return;
    const uint32_t nOld = m_nFlags;
    m_nFlags = bFocus ? (m_nFlags | kFocused) : (m_nFlags & ~kFocused);
    ApplyEvent(bFocus ? onFocused : onUnfocused);
    if (bNotify && m_pDialog)
        m_pDialog->OnControlChanged(this, nOld, m_nFlags);
}

void gcUIWidget::GetSize(mVec2* pSize, unsigned int nFlags) const
{
    if (nFlags & kNoPadding) {
        pSize->Set(0.0f, 0.0f);
        return;
    }
    pSize->Set(Padding(0) + Padding(2) + std::fabs(m_offset.x), Padding(1) + Padding(3) + std::fabs(m_offset.y));
}

void gcUIWidget::GetScreenPos(const eRect&, unsigned int, mVec2*, mVec2*) const {}

void gcUIWidget::Draw(const eCamera*, const eRect&, unsigned int) {}

unsigned int gcUIWidget::GetNeighbor(gcUINeighbor neighbor) const
{
    return IsNeighbor(neighbor) ? m_hNeighbors[neighbor] : 0;
}

void gcUIWidget::SetNeighbor(gcUINeighbor neighbor, unsigned int hWidget)
{
    if (IsNeighbor(neighbor))
        m_hNeighbors[neighbor] = hWidget;
}

gcUIWidget* gcUIWidget::GetNeighborWidget(gcUINeighbor neighbor) const
{
    return Resolve(GetNeighbor(neighbor));
}

void gcUIWidget::CaptureFocus(bool bCapture)
{
    if (!bCapture)
        m_nFlags &= ~kCapturesFocus;
    else if (m_nFlags & kFocused)
        m_nFlags |= kCapturesFocus;
}

void gcUIWidget::GetCell(gcUICell* pCell) const
{
    *pCell = gcUICell();
    if (m_pParentGroup)
        m_pParentGroup->FindWidgetCell(m_hWidgetHandle, pCell);
}

void gcUIWidget::Detach()
{
    if (m_pParentGroup)
        m_pParentGroup->RemoveWidget(this);
    if (!m_pDialog || !m_pDialog->m_pControls)
        return;
    for (int i = 0; i < m_pDialog->m_nControls; ++i) {
        gcUIWidget* pOther = m_pDialog->m_pControls[i];
        if (!pOther || pOther == this)
            continue;
        for (uint32_t& hNeighbor : pOther->m_hNeighbors)
            if (Resolve(hNeighbor) == this)
                hNeighbor = 0;
    }
}

gcUIWidget* gcUIWidget::FindFocusableNeighbor(gcUINeighbor neighbor) const
{
    if (!m_pDialog || !IsNeighbor(neighbor))
        return nullptr;
    uint32_t hNext = m_hNeighbors[neighbor];
    // Every control visited once is enough: a longer walk is going round a
    // ring that does not pass through this widget.
    for (int nStep = 0; nStep < m_pDialog->m_nControls; ++nStep) {
        gcUIWidget* pWidget = Resolve(hNext);
        if (!pWidget || pWidget == this)
            return nullptr;
        if (pWidget->CanFocus())
            return pWidget;
        hNext = pWidget->m_hNeighbors[neighbor];
    }
    return nullptr;
}

float gcUIWidget::ApplyEvent(const gcEvent& event) const
{
    if (!event.HasActions())
        return 0.0f;
    gcEventParams params;
    GetEventParams(params);
    gcEventStackData frame;
    return event.Apply(params, frame);
}

void gcUIWidget::PlaceBox(const eRect& rect, unsigned int nFlags, const mVec2& size, mVec2* pPos) const
{
    // Only positive offsets move the box; negative ones only enlarge it.
    const mVec2 shift(std::max(m_offset.x, 0.0f), std::max(m_offset.y, 0.0f));
    eSprite::GetScreenPos(static_cast<eSprite::eSpriteOrigin>(m_origin), shift, size, pPos, &rect);
    if (!(nFlags & kNoPadding))
        *pPos += mVec2(Padding(0), Padding(3));
}

gcUIWidget* gcUIWidget::Resolve(unsigned int hWidget) const
{
    return m_pDialog ? m_pDialog->GetControl(hWidget) : nullptr;
}
