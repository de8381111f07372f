#pragma once
// Run-time type records: one per persistent class, in a fixed table of 300
// indexed by type id. Data files store the id before every polymorphic
// object, so the ids are fixed per class (1 cBase, 2 cObject, 3 to 43 engine
// classes, 64 and up game classes; 44 to 63 and 115 are free). Records are
// registered during static initialisation (and lazily by GetStaticType) and
// never removed; returned pointers live to program end.

#include <cstdint>

#include "cCore/cMemPool.h"  // the factories of QM_DEFINE_TYPE construct in pools

class cBase;

class cType {
public:
    typedef cBase* (*NewFunc)(cMemPool* pPool);
    static constexpr int kMaxTypes = 300;

    constexpr cType() = default;
    virtual ~cType() {}
    cType(const cType&) = delete;
    cType& operator=(const cType&) = delete;

    // Registers a class in the table and links it under its parent. An id
    // outside 1..299 is refused (null, logged). A second registration of the
    // same id returns the record unchanged, and logs when the name differs.
    static const cType* InitializeType(const char* sName, uint32_t nId, const cType* pParent, NewFunc pNew);
    // The same linking on a record the caller owns, outside the table.
    void Initialize(const char* sName, uint32_t nId, const cType* pParent, NewFunc pNew);

    // The name without its leading lowercase letters: "eFont" gives "Font".
    // Points into the stored name.
    const char* GetFriendlyName() const;
    // True when this record is pType or one of its descendants.
    bool IsA(const cType* pType) const;
    // The registered record of a type id from a file; null for ids outside the
    // table and for unregistered ones.
    static const cType* Find(int32_t nId);

    uint32_t m_nTypeId = 0;  // 0: not registered
    const char* m_sTypeName = nullptr;
    NewFunc m_pNewFunc = nullptr;  // null for abstract classes
    cType* m_pParentType = nullptr;
    cType* m_pFirstChildType = nullptr;
    cType* m_pPrevSiblingType = nullptr;  // ring of the parent's children
    cType* m_pNextSiblingType = nullptr;

    static cType* s_types;  // the table once initialised
    static cType s_typesList[kMaxTypes];
};

// Declares the type members of a class X (inside its body): the record
// s_pType, GetStaticType (registers X and its ancestors on first use), the
// virtual GetType and the factory New. The abstract form has no New.
#define QM_DECLARE_TYPE(X)                                  \
public:                                                     \
    static cType* s_pType;                                  \
    static const cType* GetStaticType();                    \
    const cType* GetType() const override;                  \
    static cBase* New(cMemPool* pPool);

#define QM_DECLARE_ABSTRACT_TYPE(X)                         \
public:                                                     \
    static cType* s_pType;                                  \
    static const cType* GetStaticType();                    \
    const cType* GetType() const override;

// Defines them (in the class's source file) and registers the class during
// static initialisation. New constructs a default X in the pool (null when
// the pool is full).
#define QM_DEFINE_TYPE_COMMON(X, PARENT, ID, NEWFUNC)                                  \
    cType* X::s_pType = nullptr;                                                       \
    const cType* X::GetStaticType()                                                    \
    {                                                                                  \
        if (!s_pType || s_pType->m_nTypeId == 0)                                       \
            s_pType = const_cast<cType*>(                                              \
                cType::InitializeType(#X, ID, PARENT::GetStaticType(), NEWFUNC));      \
        return s_pType;                                                                \
    }                                                                                  \
    const cType* X::GetType() const { return GetStaticType(); }                        \
    [[maybe_unused]] static const cType* const s_pRegistered##X = X::GetStaticType();

#define QM_DEFINE_TYPE(X, PARENT, ID)                                                  \
    cBase* X::New(cMemPool* pPool) { return pPool ? pPool->New<X>() : nullptr; }       \
    QM_DEFINE_TYPE_COMMON(X, PARENT, ID, &X::New)

#define QM_DEFINE_ABSTRACT_TYPE(X, PARENT, ID) QM_DEFINE_TYPE_COMMON(X, PARENT, ID, nullptr)
