#pragma once
// A cBase with a name: the base of every named resource and game object.
// Lives in the pool its factory used. Type id 2, abstract.

#include "cCore/cBase.h"
#include "cCore/cName.h"

class cReadBlock;

class cObject : public cBase {
    QM_DECLARE_ABSTRACT_TYPE(cObject)
public:
    cObject() = default;

    // A block of version 1 holding an empty cBase block and the name.
    void Write(const cFile& file) const override;
    // Accepts every version but 0 (skipped whole, false). The name changes
    // only when the block was read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    ~cObject() override;

    cName m_name;

protected:
    // Reads the cObject part inside a derived class's block rb. On failure the
    // name is unchanged and the rest of rb is skipped (unless the file has
    // already failed), so the caller returns false at once.
    bool ReadObjectPart(const cReadBlock& rb, cMemPool* pPool);
};
