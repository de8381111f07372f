#pragma once
// Writers for script values: a value (with its operand tree) as a data file
// of its own through the engine's Write code, and a hand-laid value block
// for the versions the engine only reads and for odd counts. Offline tools
// and test fixtures; main thread.

#include <cstdint>
#include <string>

class gcValue;

namespace datagen {

class BlockWriter;

// The value at its newest version as a console data file. False (logged)
// when the file cannot be written.
bool WriteValueFile(const std::string& path, const gcValue& value);

// Begins a value's block of this version with the gcValue base block (a
// version-1 block holding an empty version-1 block), or the gcLValue one
// (that wrapped in one more version-1 block); the caller adds the class's
// fields and ends it.
BlockWriter& ValueBlock(BlockWriter& w, uint32_t version, bool bAssignable);
// A number value (type id 78, version 1) as a polymorphic member.
BlockWriter& NumberMember(BlockWriter& w, float fValue);

}  // namespace datagen
