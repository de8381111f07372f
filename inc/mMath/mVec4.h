#pragma once
// Four-component float vector: colours (r, g, b, a in 0..1) and the storage of
// quaternions. Plain value: default construction leaves it unset; any thread.

struct mVec4 {
    union {
        float v[4];
        struct { float x, y, z, w; };
    };

    mVec4() = default;
    constexpr mVec4(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}

    void Set(float fx, float fy, float fz, float fw) { x = fx; y = fy; z = fz; w = fw; }
    float& operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }

    mVec4 operator+(const mVec4& b) const { return mVec4(x + b.x, y + b.y, z + b.z, w + b.w); }
    mVec4 operator-(const mVec4& b) const { return mVec4(x - b.x, y - b.y, z - b.z, w - b.w); }
    mVec4 operator*(float s) const { return mVec4(x * s, y * s, z * s, w * s); }
    bool operator==(const mVec4& b) const { return x == b.x && y == b.y && z == b.z && w == b.w; }  // exact
    bool operator!=(const mVec4& b) const { return !(*this == b); }
};
