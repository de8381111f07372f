#pragma once
// Damage made in place to one record of a whole block-format file, for tests
// of what the game makes of it (a file holding a refused or foreign record
// is damaged). The block found is given version 0, which no reader takes, or
// its record another class's type id. Words are big-endian, as the files are
// stored; a block starts on a multiple of four. Each call reads the file,
// finds its place by scanning the bytes and writes the file back; false
// leaves the file as it was.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace datagen {

enum class RecordDamage {
    kOtherClass,  // its type id names another class (the game configuration's)
    kRefused,     // its block's version word is 0
    kGroup,       // not a record: the group's own version word is 0
    kUnknownClass,  // its type id names no class (30583)
    kEndsEarly,     // not a record: the first group whose range holds a slot has
                    // its range end where it begins, so it reads no record and
                    // its block's data is left
};

// Damage to a dialog's table of controls.
enum class ControlTableDamage {
    kNoRoom,      // the control count 0: no control fits the table
    kPastLimit,   // the control count 257, one more than a table holds
    kSlotTwice,   // the second control's stored slot that of the first (its magic kept)
};

// The whole file at path; empty when it cannot be read.
std::vector<uint8_t> ReadBytes(const std::string& path);

// The first group record of the file at path whose check is not 0 (a group
// block of version 2 whose empty base block and range come first), damaged
// as asked; for kGroup the first group, records or none. False when the
// file holds no such record or cannot be written.
bool DamageFirstGroupRecord(const std::string& path, RecordDamage how);
// The first polymorphic member of the file at path (its type id word on a
// multiple of four, then its block) whose type id isMember takes, given
// another class's type id (the game configuration's). False when there is
// none.
bool DamageFirstMember(const std::string& path, const std::function<bool(uint32_t)>& isMember);
// The first action of an event (an event block holding an action whose
// type id isAction takes) given another class's type id (the game
// configuration's). False when there is none.
bool DamageFirstAction(const std::string& path, const std::function<bool(uint32_t)>& isAction);
// The word nWord words after the end marker of the block holding the
// occurrence-th (from 1) copy of the text (a stored name, its terminating
// zero included) set to value. False when the text or the word is not there.
bool SetWordAfterName(const std::string& path, const std::string& text, int occurrence, size_t nWord,
                      uint32_t value);
// The first block of the file at path whose version word is nVersion (and
// that is not the file's outermost block) refused. False when there is none.
bool RefuseFirstBlockOfVersion(const std::string& path, uint32_t nVersion);
// The block of the first record of the type (its type id, then at the next
// multiple of four its block) of the block version nVersion (0: any)
// refused. False when there is none.
bool RefuseRecord(const std::string& path, uint32_t nType, uint32_t nVersion = 0);
// The first event block holding an action that lies past each of the texts
// in turn refused, so that the object holding the event refuses its block
// too. False when a text or such an event is not found.
bool BreakEventWithActions(const std::string& path, std::initializer_list<std::string> after = {});

// The first dialog record named dialog in the file at path damaged as asked.
// False when there is no such dialog, or for kSlotTwice when its root group
// holds fewer than two widgets.
bool DamageDialogControls(const std::string& path, const std::string& dialog, ControlTableDamage how);

}  // namespace datagen
