#pragma once
// The script's combining, in two steps: the first action makes the item it
// finds the pending item (s_pFirstItem), the second nests the item it finds
// in the pending one and ends the combination; a cancel ends it without
// nesting. While an item is pending, item references with the combine
// selector name it. Lives in its event's pool; main thread. Type id 118.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"

class gcItem;

class gcDoEntityCombineItem : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityCombineItem)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoEntityCombineItem() = default;
    gcDoEntityCombineItem(const gcDesiredEntity& entity, const gcDesiredItem& item, bool cancel)
        : desiredEntity(entity), desiredItem(item), bCancel(cancel) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the entity, the item, the cancel flag.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Player.CombineItem( [Gem] )", "CombineItem( Initiator )",
    // "Player.CancelCombine"
    void GetText(char* pBuf) const override;
    // Cancel: no item is pending any more. Otherwise the designated item, or
    // the entity's own item of the template (not a nested one); none found
    // changes nothing. With no item pending it becomes the pending one;
    // else it is nested in the pending item unless it is that item, and the
    // combination ends either way.
    void DoAction(const gcEventParams& params) const override;

    // Forgets the pending item when it lies in the pool: called when a pool
    // is reset, so no combination outlives its item.
    static void HandlePoolReset(const cMemPool* pPool);

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    bool bCancel = false;

    static gcItem* s_pFirstItem;  // the pending item, or null

private:
    // Makes the item pending and makes sure a reset of its pool reaches
    // HandlePoolReset.
    static void SetPending(gcItem* pItem);
};
