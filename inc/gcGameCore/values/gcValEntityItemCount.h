#pragma once
// How many items of a template an entity holds: in all (nested items too),
// in its own item ring, attached directly to its first item of a second
// template, or the count of one particular item. An item named by the event
// counts under its own carrier, whatever entity the reference names. Read
// with its owner into its pool; main thread. Type id 119.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityItemCount : public gcValue {
    QM_DECLARE_TYPE(gcValEntityItemCount)
public:
    static constexpr uint32_t kVersion = 3;

    // Stored in data files.
    enum gcItemCountType : int32_t {
        ITEMCOUNT_TOTAL = 0,
        ITEMCOUNT_AVAILABLE = 1,
        ITEMCOUNT_ATTACHED = 2,
        ITEMCOUNT_SPECIFIC = 3,
        MAX_COUNTTYPES = 4,
    };

    gcValEntityItemCount() = default;
    gcValEntityItemCount(int32_t type, const gcDesiredEntity& entity, const gcDesiredItem& item,
                         const gcDesiredItem& attached)
        : countType(type), desiredEntity(entity), desiredItem(item), desiredAttached(attached) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the gcValue block, the count type, the entity, the item
    // and the attached item.
    void Write(const cFile& file) const override;
    // Versions 1 and 2 name the items by template only; version 1 counts
    // available items and has no attached item. Others skipped (false);
    // unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // 0.0 without a template, owner or item, and for a count type outside
    // the table.
    float Get(const gcEventParams& params) const override;
    // "Player.AvailableItems( [[none] )", "TotalItems( [Initiator )"
    void GetText(char* pBuf) const override;

    static const char* GetCountTypeText(int32_t type);  // "Total"...; "???" outside

    int32_t countType = ITEMCOUNT_AVAILABLE;  // a gcItemCountType as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
    gcDesiredItem desiredAttached = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
};
