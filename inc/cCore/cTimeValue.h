#pragma once
// Time as a signed count of ticks, 600 a second (a frame at 30 frames a second
// is 20 ticks). A plain value: spans and points alike.

#include <compare>
#include <cstdint>

struct cTimeValue {
    static constexpr int32_t TICKS_PER_SECOND = 600;
    static constexpr float SECONDS_PER_TICK = 1.0f / 600.0f;

    int32_t m_nTicks = 0;

    constexpr cTimeValue() = default;
    constexpr explicit cTimeValue(int32_t nTicks) : m_nTicks(nTicks) {}

    // Seconds to ticks, truncated toward zero.
    static cTimeValue FromSeconds(float fSeconds);
    float GetSeconds() const { return static_cast<float>(m_nTicks) * SECONDS_PER_TICK; }

    constexpr cTimeValue operator+(cTimeValue t) const { return cTimeValue(m_nTicks + t.m_nTicks); }
    constexpr cTimeValue operator-(cTimeValue t) const { return cTimeValue(m_nTicks - t.m_nTicks); }
    constexpr cTimeValue& operator+=(cTimeValue t) { m_nTicks += t.m_nTicks; return *this; }
    constexpr cTimeValue& operator-=(cTimeValue t) { m_nTicks -= t.m_nTicks; return *this; }
    constexpr auto operator<=>(const cTimeValue&) const = default;
};
