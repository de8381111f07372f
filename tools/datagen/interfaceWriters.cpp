#include "datagen/interfaceWriters.h"

#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"

namespace datagen {

namespace {

constexpr uint32_t kSurplus = 0x99;  // counts past the slots the reader keeps

BlockWriter& EmptyEvent(BlockWriter& w)
{
    return w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
}

BlockWriter& Floats(BlockWriter& w, const float* p, int n)
{
    for (int i = 0; i < n; ++i)
        w.Float(p[i]);
    return w;
}

}  // namespace

bool WriteControlFile(const std::string& path, const gcUIControl& control)
{
    return WriteObjectFile(path, control);
}

bool WriteWidgetGroupFile(const std::string& path, const gcUIWidgetGroup& group)
{
    return WriteObjectFile(path, group);
}

BlockWriter& WidgetBlock(BlockWriter& w, const gcUIWidget& widget, uint32_t version, int32_t nNeighbors)
{
    w.Begin(version).Begin(1).Begin(1).End().Name(widget.m_name.m_sData).End();
    w.Word(widget.m_hWidgetHandle).Word(widget.m_nFlags);
    if (version == 1)
        w.Word(0x00120003);  // the owning dialog's handle
    w.Int(nNeighbors);
    for (int i = 0; i < nNeighbors; ++i)
        w.Word(i < gcUIWidget::MAX_NEIGHBORS ? widget.m_hNeighbors[i] : kSurplus);
    w.Int(widget.m_origin);
    Floats(w, widget.m_offset.v, 2);
    Floats(w, widget.m_cellPadding, 4);
    for (int i = 0; i < (version >= 3 ? 8 : 7); ++i)
        EmptyEvent(w);
    return w.End();
}

BlockWriter& ControlBlock(BlockWriter& w, const gcUIControl& control, uint32_t version, uint32_t widgetVersion,
                          int32_t nSprites)
{
    w.Begin(version);
    WidgetBlock(w, control, widgetVersion);
    w.Float(control.m_fOpacity).Word(control.m_hText.m_nValue);
    Floats(w, control.m_textMargins, 4);
    w.Word(control.m_hFont.m_nValue).Int(control.m_textJustify);
    w.Word(control.m_nTextColor).Word(control.m_nTextColorHi);
    if (version >= 7)
        w.Word(control.m_nTextColorDisabled);
    if (version >= 8)
        w.Word(control.m_nTextColorShadow);
    w.Float(control.m_fMaxTextWidth);
    Floats(w, control.m_size.v, 2);
    w.Int(nSprites);
    for (int i = 0; i < nSprites; ++i) {
        if (version == 5)
            w.Int(-1);  // a null sprite object
        else
            w.Word(i < gcUIControl::MAX_SPRITES ? control.m_hSprites[i].m_nValue : kSurplus);
    }
    return w.End();
}

BlockWriter& WidgetGroupBlock(BlockWriter& w, const gcUIWidget& group, int32_t rows, int32_t cols,
                              const std::vector<std::vector<const gcUIControl*>>& cells, int32_t strayTypeId)
{
    w.Begin(gcUIWidgetGroup::kVersion);
    WidgetBlock(w, group, gcUIWidget::kVersion);
    w.Int(rows).Int(cols);
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i == 0 && strayTypeId != 0)
            w.Int(strayTypeId).Begin(1).End();
        for (const gcUIControl* pControl : cells[i]) {
            w.Int(static_cast<int32_t>(gcUIControl::GetStaticType()->m_nTypeId));
            ControlBlock(w, *pControl, gcUIControl::kVersion, gcUIWidget::kVersion);
        }
        w.Int(-1);
    }
    return w.End();
}

}  // namespace datagen
