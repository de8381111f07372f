#pragma once
// The root of every class read from or written to data files. Objects made
// from data live in memory pools (constructed by their type's factory) and
// are never freed one by one. dcast is the IS-A downcast over the type
// records. Load and Save read and write files holding one object.

#include <type_traits>

#include "cCore/cType.h"

class cFile;
class cMemPool;

class cBase {
public:
    static cType* s_pType;
    static const cType* GetStaticType();  // id 1, no parent, no factory

    cBase() = default;

    // Virtual operations in this order.
    virtual const cType* GetType() const;
    // Constructs a copy in the pool; null for classes that are never copied.
    virtual cBase* Copy(cMemPool* pPool) const;
    // Writes one empty block of version 1.
    virtual void Write(const cFile& file) const;
    // Reads one block (header and end marker); true.
    virtual bool Read(const cFile& file, cMemPool* pPool);
    virtual ~cBase();
    // Drops every pointer into a pool being reset; nothing here.
    virtual void OnMemPoolReset(const cMemPool* pPool);

    // Loads the one top-level object of a file into the pool. Null (logged,
    // file closed) when the file does not open, the stored type is not pType
    // or derived from it (any type when pType is null), the type has no
    // factory, the pool is full, the object rejects its block, or the file
    // is damaged or short.
    static cBase* Load(const char* path, cMemPool* pPool, const cType* pType);
    // Writes the object as such a file. False when the file cannot be created
    // or written.
    bool Save(const char* path, int flag, int32_t platformId, bool bSwapBytes) const;
};

// The IS-A downcast: p as a T when its class is T or derived from T, else
// null. T may be const-qualified.
template <class T, class B>
T* dcast(B* p)
{
    static_assert(std::is_base_of_v<cBase, std::remove_const_t<B>>, "dcast works on cBase objects");
    if (!p)
        return nullptr;
    const cType* target = std::remove_const_t<T>::GetStaticType();
    if (!target || !p->GetType()->IsA(target))
        return nullptr;
    return static_cast<T*>(p);
}
