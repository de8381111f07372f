#pragma once
// The block of a named script number (constants and key values): the cObject
// block, then the value as a float. The classes differ only in type id and
// version. Main thread.

#include <cstdint>

class cFile;
class cMemPool;
class cName;
class cObject;

namespace gcNamedFloat {

void Write(const cFile& file, uint32_t version, const cObject& object, float fValue);
// Accepts only the given version (others skipped, false). *pName and *pfValue
// change only when the block was read whole.
bool Read(const cFile& file, cMemPool* pPool, uint32_t version, const char* sClass, cName* pName, float* pfValue);

}  // namespace gcNamedFloat
