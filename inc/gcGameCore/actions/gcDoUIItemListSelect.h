#pragma once
// Selects an entry of an item list: the event's item when the reference names one, else the first entry of the template. Main thread. Type id 239.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcDesiredWidget.h"

class gcDoUIItemListSelect : public gcAction {
    QM_DECLARE_TYPE(gcDoUIItemListSelect)
public:
    static constexpr uint32_t kVersion = 2;

    gcDoUIItemListSelect() = default;
    gcDoUIItemListSelect(const gcDesiredWidget& widget, const gcDesiredItem& item) : desiredWidget(widget), desiredItem(item) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the base block, the widget, the item's selector and template.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 (others skipped, false); version 1 holds no selector
    // and names the template. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "[Inventory].[List].ItemListSelect( Initiator )"
    // Nothing when the reference names no item list.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredWidget desiredWidget;
    gcDesiredItem desiredItem{gcDesiredItem::SPECIFIC, {}};
};
