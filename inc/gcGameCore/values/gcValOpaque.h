#pragma once
// Stand-ins for the value classes whose behaviour is not built yet: each is
// registered under its own name and type id, so that files holding it
// load. An object keeps its block's bytes as stored and writes them back
// unchanged; it reads 0.0 and, when assignable, ignores assignments. The
// classes are listed once in the source; a class that gets its own
// implementation leaves the list. Read with its owner into its pool; main
// thread.

#include <cstdint>

#include "gcGameCore/script/gcLValue.h"

// The stored block of a stand-in: its version and the bytes after its
// header, kept in the object's pool.
struct gcValOpaqueBlock {
    // Refuses version 0 (skipped, false); otherwise takes the whole rest of
    // the block. False (skipped) when the pool cannot hold the bytes.
    bool Read(const cFile& file, cMemPool* pPool, const char* sClass);
    void Write(const cFile& file) const;
    // The same bytes again, in pPool; false when it cannot hold them.
    bool CopyTo(gcValOpaqueBlock& to, cMemPool* pPool) const;

    uint32_t nVersion = 1;
    const uint8_t* pBytes = nullptr;
    uint32_t nBytes = 0;
};

template <class Base>
class gcValOpaqueOf : public Base {
public:
    explicit gcValOpaqueOf(const cType* pType) : m_pType(pType) {}

    const cType* GetType() const override { return m_pType; }
    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override { m_block.Write(file); }
    bool Read(const cFile& file, cMemPool* pPool) override
    {
        return m_block.Read(file, pPool, m_pType->m_sTypeName);
    }
    float Get(const gcEventParams&) const override { return 0.0f; }

    const cType* m_pType;  // the registered record of the class it stands for
    gcValOpaqueBlock m_block;
};

class gcValOpaque : public gcValOpaqueOf<gcValue> {
public:
    using gcValOpaqueOf::gcValOpaqueOf;
};

class gcLValOpaque : public gcValOpaqueOf<gcLValue> {
public:
    using gcValOpaqueOf::gcValOpaqueOf;
    void Set(float, const gcEventParams&) override {}
};

struct gcValOpaqueEntry {
    const char* sName;  // the class name, "gcValLoading"
    uint32_t nTypeId;
    bool bAssignable;   // registered under gcLValue
};

// The classes that stand in, in type id order, registered during static
// initialisation.
const gcValOpaqueEntry* GetOpaqueValueEntries(int* pCount);
