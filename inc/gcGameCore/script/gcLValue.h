#pragma once
// The base of every assignable script value: a gcValue that can also be set
// (a key value, a frame variable, an entity's value...). Main thread. Type
// id 143, abstract.

#include "gcGameCore/script/gcValue.h"

class gcLValue : public gcValue {
    QM_DECLARE_ABSTRACT_TYPE(gcLValue)
public:
    gcLValue() = default;

    // The gcValue block wrapped in one more block of version 1.
    void Write(const cFile& file) const override;
    // Refuses version 0 at either level (the block skipped, false).
    bool Read(const cFile& file, cMemPool* pPool) override;

    virtual void Set(float fValue, const gcEventParams& params) = 0;
};
