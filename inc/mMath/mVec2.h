#pragma once
// Two-component float vector (screen positions and sizes, texture coordinates).
// Plain value: default construction leaves it unset; any thread.

struct mVec2 {
    union {
        float v[2];
        struct { float x, y; };
    };

    mVec2() = default;
    constexpr mVec2(float fx, float fy) : x(fx), y(fy) {}

    void Set(float fx, float fy) { x = fx; y = fy; }
    float& operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }

    mVec2 operator+(const mVec2& b) const { return mVec2(x + b.x, y + b.y); }
    mVec2 operator-(const mVec2& b) const { return mVec2(x - b.x, y - b.y); }
    mVec2 operator*(float s) const { return mVec2(x * s, y * s); }
    mVec2& operator+=(const mVec2& b) { x += b.x; y += b.y; return *this; }
    mVec2& operator-=(const mVec2& b) { x -= b.x; y -= b.y; return *this; }
    mVec2& operator*=(float s) { x *= s; y *= s; return *this; }
    bool operator==(const mVec2& b) const { return x == b.x && y == b.y; }  // exact
    bool operator!=(const mVec2& b) const { return !(*this == b); }
};
