#pragma once
// The stack frame a script event runs with: two parameters, two
// temporaries, a return value and the stop flag. Built on the stack of
// whoever fires the event; the running frame is gcEvent::s_pCurEventStackData.
// A plain structure.

#include <cstdint>

struct gcEventStackData {
    static constexpr uint32_t kReturn = 0x1;  // nFlags: stop applying actions

    gcEventStackData() = default;
    gcEventStackData(float fInValue0, float fInValue1) : fInValues{fInValue0, fInValue1} {}

    uint32_t nFlags = 0;
    float fRetVal = 0.0f;             // RetVal
    float fInValues[2] = {0.0f, 0.0f};  // Param1, Param2
    float fTemps[2] = {0.0f, 0.0f};     // Temp1, Temp2
};
