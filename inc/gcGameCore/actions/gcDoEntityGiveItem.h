#pragma once
// The script's gift: gives an entity a number of items of a template, the
// designated item itself or items from the template's pool; a stackable
// template grows the stack the entity holds. Nothing at all when the entity
// may not hold that many more. Lives in its event's pool; main thread. Type
// id 101.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoEntityGiveItem : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityGiveItem)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 3;

    gcDoEntityGiveItem() { desiredCount.fConst = 1.0f; }
    gcDoEntityGiveItem(const gcDesiredEntity& entity, const gcDesiredItem& item, const gcDesiredValue& count)
        : desiredEntity(entity), desiredItem(item), desiredCount(count) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, the entity, the item, the count reference.
    void Write(const cFile& file) const override;
    // Versions 3 and 4 (others skipped, false); version 3 stores the count
    // as an integer, read as that number. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.GiveItem( [Key], 3 )"
    void GetText(char* pBuf) const override;
    // The count is truncated toward zero; 0 or less (or not a number) gives
    // nothing. A stackable template adds the whole count to the designated
    // item, else to the one the entity holds, else to a pooled one.
    // Otherwise the designated item is added once, or count pooled items one
    // by one while the pool has free ones.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    gcDesiredValue desiredCount;  // the number 1 when new
};
