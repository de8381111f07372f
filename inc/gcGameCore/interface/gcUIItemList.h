#pragma once
// The widget list of an entity's inventory: the items an owner carries,
// filtered by item category and listed once per item template, each
// visible cell showing one through its item control. Its events run with
// the selected item as initiator. Type id 238; main thread.

#include <cstdint>

#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/interface/gcUIWidgetList.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcItem;

class gcUIItemList : public gcUIWidgetList {
    QM_DECLARE_TYPE(gcUIItemList)
public:
    static constexpr uint32_t kVersion = 1;

    gcUIItemList();  // moves its selection itself (0x20000)
    // The list part, owner and mask.
    gcUIItemList(const gcUIItemList& other) = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the list block, owner selector and handle, category mask.
    void Write(const cFile& file) const override;
    // Version 1 and later (0 skipped, false); the own fields stay unless
    // the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Entries, resolved anew each call: in ring order from the owner's
    // first item, each item whose categories share a bit with the mask and
    // whose template no earlier item (back to, not including, the first)
    // carries.
    int GetNumItems() const override;
    gcItem* GetItem(int nEntry) const;  // null outside the entries
    // Shows entry k in the cell's item control, or empties the control.
    void FillCell(const gcUICell& cell, int nItem) override;
    bool IsValidCell(const gcUICell& cell) const override;
    // The initiator is the selected entry's item.
    void GetEventParams(gcEventParams& params) const override;
    // Selects the first entry that is the item or has the template; false
    // when none matches.
    bool SelectItem(gcItem* pItem, gcItemTemplateHandle hTemplate);
    using gcUIWidgetList::SelectItem;

    gcDesiredEntity desiredEntity;
    uint32_t nItemCategoryMask = 0xFFFFFFFF;

private:
    // Calls f(entry index, item) for each entry until f returns true.
    template <class F>
    void ForEachEntry(F f) const;
};
