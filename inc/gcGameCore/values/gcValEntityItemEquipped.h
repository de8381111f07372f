#pragma once
// Whether an item is equipped: the item the event names, or else the
// entity's first item of the template (nested items searched). Read with
// its owner into its pool; main thread. Type id 234.

#include <cstdint>

#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"
#include "gcGameCore/script/gcValue.h"

class gcValEntityItemEquipped : public gcValue {
    QM_DECLARE_TYPE(gcValEntityItemEquipped)
public:
    static constexpr uint32_t kVersion = 2;

    gcValEntityItemEquipped() = default;
    gcValEntityItemEquipped(const gcDesiredEntity& entity, const gcDesiredItem& item)
        : desiredEntity(entity), desiredItem(item) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 2: the gcValue block, the entity, the item reference.
    void Write(const cFile& file) const override;
    // Version 1 names the item by template only. Others skipped (false);
    // unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;
    void GetText(char* pBuf) const override;  // "Player.IsItemEquipped( [none] )"

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle());
};
