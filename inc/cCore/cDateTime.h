#pragma once
// A wall-clock time in seconds since the epoch (UTC), as the C library's time
// gives it. The script strings read it.

#include <cstdint>

struct cDateTime {
    uint32_t m_nSecondsUTC = 0;

    void Now();
};
