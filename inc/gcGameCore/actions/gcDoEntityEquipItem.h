#pragma once
// The script's equipping: equips or unequips the designated item, or the
// entity's own item of a template (nested ones included). Lives in its
// event's pool; main thread. Type id 128.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredItem.h"

class gcDoEntityEquipItem : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityEquipItem)
public:
    static constexpr uint32_t kVersion = 3;

    gcDoEntityEquipItem() = default;
    gcDoEntityEquipItem(const gcDesiredEntity& entity, const gcDesiredItem& item, bool equip)
        : desiredEntity(entity), desiredItem(item), bEquip(equip) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the entity, the item, the equip flag.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Before version 3 only the
    // template handle of the item is stored (the selector is SPECIFIC);
    // version 1 has no flag and unequips. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.EquipItem( [Sword] )", "UnequipItem( Participant1 )"
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcDesiredItem desiredItem = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC);
    bool bEquip = false;  // false: unequip
};
