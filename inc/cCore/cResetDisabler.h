#pragma once
// Scope object: while it lives, the reset notification is off, so a reset
// pressed during a memory-card write is noticed only after the write. Main
// thread; scopes nest.

#include "cCore/cCoreServices.h"

class cResetDisabler {
public:
    cResetDisabler();
    ~cResetDisabler();
    cResetDisabler(const cResetDisabler&) = delete;
    cResetDisabler& operator=(const cResetDisabler&) = delete;

private:
    cResetNotifyFunc m_previous;
};
