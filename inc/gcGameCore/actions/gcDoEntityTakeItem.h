#pragma once
// The script's taking: removes a number of items from the entity that
// carries the designated item, or from the entity's own item of a template
// (nested ones included). A stack shrinks; anything else is handed back to
// its template's pool. Lives in its event's pool; main thread. Type id 117.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcDesiredValue.h"

class gcDoEntityTakeItem : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityTakeItem)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 3;

    gcDoEntityTakeItem() { desiredCount.fConst = 1.0f; }
    gcDoEntityTakeItem(const gcDesiredEntity& entity, const gcDesiredItem& item, const gcDesiredValue& count)
        : desiredEntity(entity), desiredItem(item), desiredCount(count) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, the entity, the item, the count reference.
    void Write(const cFile& file) const override;
    // Versions 3 and 4 (others skipped, false); version 3 stores the count
    // as an integer, read as that number. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Player.TakeItem( [Key], 1 )"; without the entity for an item of the
    // event: "TakeItem( Initiator, 1 )"
    void GetText(char* pBuf) const override;
    // The count is truncated toward zero; 0 or less (or not a number) takes
    // nothing. A designated item lying in the world (no carrier) is left
    // alone.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    gcDesiredValue desiredCount;  // the number 1 when new
};
