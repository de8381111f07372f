#pragma once
// Scrolls a widget list one step in a direction. Main thread. Type id 240.

#include <cstdint>

#include "gcGameCore/interface/gcUIWidget.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUIListScroll : public gcAction {
    QM_DECLARE_TYPE(gcDoUIListScroll)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoUIListScroll() = default;
    gcDoUIListScroll(const gcDesiredWidget& widget, int32_t direction) : desiredWidget(widget), dir(direction) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the widget, the direction.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false). Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Menu].[List].ListScroll( Down )"
    // Nothing when the reference names no widget list or the direction is
    // none of the four.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    int32_t dir = gcUIWidget::NEIGHBOR_DOWN;  // a gcUINeighbor as stored
};
