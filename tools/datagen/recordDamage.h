#pragma once
// Damage made to a file's first group record, for tests of the rule that a
// file holding a refused or foreign record is damaged.

#include <cstdint>
#include <string>

namespace datagen {

enum class RecordDamage {
    kOtherClass,  // its type id names another class (the game configuration's)
    kRefused,     // its block's version word is 0
    kGroup,       // not a record: the group's own version word is 0
};

// The first group record of the file at path whose check is not 0 (a group
// block of version 2 whose empty base block and range come first), damaged
// as asked; for kGroup the first group, records or none. False when the
// file holds no such record or cannot be written.
bool DamageFirstGroupRecord(const std::string& path, RecordDamage how);
// The first block of the file at path whose version word is nVersion (and
// that is not the file's outermost block) given version 0, so that its
// reader refuses it. False when there is none.
bool RefuseFirstBlockOfVersion(const std::string& path, uint32_t nVersion);

}  // namespace datagen
