#pragma once
// Sets the item an item control shows: the event's item when the reference names one, and the template. Main thread. Type id 232.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUISetItem : public gcAction {
    QM_DECLARE_TYPE(gcDoUISetItem)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoUISetItem() = default;
    gcDoUISetItem(const gcDesiredWidget& widget, const gcDesiredItem& item) : desiredWidget(widget), desiredItem(item) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the widget, the item's selector and template.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds no selector
    // and names the template. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Inventory].[Slot].SetItem( Initiator )"
    // Nothing when the reference names no item control.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    gcDesiredItem desiredItem{gcDesiredItem::SPECIFIC, {}};
};
