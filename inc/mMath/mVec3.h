#pragma once
// Three-component float vector: positions, directions and colours. Plain value:
// default construction leaves it unset; any thread (except RandDir and IRandDir,
// which advance a random stream: game thread).
// Operations write into the vector they are called on and read all operands
// first, so the result may be an operand. Anything with more than one rounding
// per component is out of line, compiled without fused multiply-adds.

struct mBasis;
struct mOCS;

struct mVec3 {
    union {
        float v[3];
        struct { float x, y, z; };
    };

    mVec3() = default;
    constexpr mVec3(float fx, float fy, float fz) : x(fx), y(fy), z(fz) {}

    void Set(float fx, float fy, float fz) { x = fx; y = fy; z = fz; }
    float& operator[](int i) { return v[i]; }
    float operator[](int i) const { return v[i]; }

    mVec3 operator+(const mVec3& b) const { return mVec3(x + b.x, y + b.y, z + b.z); }
    mVec3 operator-(const mVec3& b) const { return mVec3(x - b.x, y - b.y, z - b.z); }
    mVec3 operator-() const { return mVec3(-x, -y, -z); }
    mVec3 operator*(float s) const { return mVec3(x * s, y * s, z * s); }
    mVec3& operator+=(const mVec3& b) { x += b.x; y += b.y; z += b.z; return *this; }
    mVec3& operator-=(const mVec3& b) { x -= b.x; y -= b.y; z -= b.z; return *this; }
    mVec3& operator*=(float s) { x *= s; y *= s; z *= s; return *this; }
    bool operator==(const mVec3& b) const { return x == b.x && y == b.y && z == b.z; }  // exact
    bool operator!=(const mVec3& b) const { return !(*this == b); }

    void Add(const mVec3& a, const mVec3& b) { Set(a.x + b.x, a.y + b.y, a.z + b.z); }
    void Sub(const mVec3& a, const mVec3& b) { Set(a.x - b.x, a.y - b.y, a.z - b.z); }
    void Scale(const mVec3& a, float s) { Set(a.x * s, a.y * s, a.z * s); }
    void CompMult(const mVec3& a, const mVec3& b) { Set(a.x * b.x, a.y * b.y, a.z * b.z); }
    void AddScaled(const mVec3& a, const mVec3& b, float s);  // a + b*s

    float Dot(const mVec3& b) const { return (x * b.x + y * b.y) + z * b.z; }  // inline: per-triangle tests use it
    void Cross(const mVec3& a, const mVec3& b);
    float LengthSq() const;
    float Length() const;
    float DistSq(const mVec3& b) const;
    float Dist(const mVec3& b) const;
    // Tolerant compare: every component within tol (<=).
    bool ApproxEqual(const mVec3& b, float tol) const;

    // Scales to unit length and returns the old length; a zero vector stays
    // zero and returns 0.
    float Normalize();
    // Unit normal of the triangle a, b, c: (b - a) x (c - b), normalised; it
    // points to the side from which a, b, c run counter-clockwise. Collinear
    // or coincident points give (0, 0, 0).
    void MakeNormal(const mVec3& a, const mVec3& b, const mVec3& c);

    void Xform(const mVec3& v, const mBasis& b);      // local direction to parent
    void XformInv(const mVec3& v, const mBasis& b);   // parent direction to local
    void Xform(const mVec3& p, const mOCS& o);        // local point to parent
    void XformInv(const mVec3& p, const mOCS& o);     // parent point to local
    void XformVec(const mVec3& v, const mOCS& o);     // direction, no translation
    void XformVecInv(const mVec3& v, const mOCS& o);

    // A random unit direction within the given angle (degrees) of +Y, from the
    // main stream (RandDir) or the second stream (IRandDir); two draws each.
    void RandDir(float degrees);
    void IRandDir(float degrees);
};
