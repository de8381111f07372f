#pragma once
// The four hardware lights the engine uses: one directional light (the map's
// sun or moon, re-coloured per model), emulated as a point light far away
// against its direction, and three omni slots the dynamic lights fill each
// frame, which each object switches on when their spheres reach it. A static
// class; main thread.

#include <cstdint>

#include "mMath/mSphere.h"
#include "mMath/mVec3.h"
#include "mMath/mVec4.h"

class eLight {
public:
    static constexpr int kNumOmni = 3;
    static constexpr uint32_t kDirectionalMask = 0x1;  // hardware light 0
    static constexpr uint32_t kFirstOmniMask = 0x2;    // lights 1-3: 0x2, 0x4, 0x8
    static constexpr float kDirectionalDistance = 1048576.0f;  // 2^20 units against the direction
    // Distance attenuation of a lit object: 1 / (k1 d) with k1 = this / radius,
    // full strength at 0.15 of the radius.
    static constexpr float kOmniFalloff = 6.6666665f;

    // Stores direction and colour and loads light 0; does not switch it on.
    static void SetDirectional(const mVec3& direction, const mVec4&, const mVec4& color, const mVec4&);
    static void EnableDirectional(bool bOn);
    // Stores the sphere and colour of slot 0-2 and loads its light without
    // attenuation; does not switch it on. Other slots are ignored.
    static void SetOmni(int slot, const mVec3& position, float radius, const mVec4&, const mVec4& color,
                        const mVec4&);
    static void EnableOmni(int slot, bool bOn);
    // Loads slot 0-2's stored light again with the distance attenuation
    // 1 / (k0 + k1 d + k2 d^2); the stored sphere and colour stay.
    static void AttenuateOmni(int slot, float k0, float k1, float k2);
    // Both send the light mask; the argument has no effect.
    static void ApplyOmni(int);
    static void ApplyDirectional();
    // Per filled omni slot: the attenuated light on when its sphere reaches
    // the object (world space), else off.
    static void EnableLightsInRange(const mSphere& object);
    static uint32_t GetLightMask();

    static mSphere s_omniSphere[kNumOmni];
    static mVec4 s_omniColor[kNumOmni];
    static mVec4 s_directionalColor;
    static mVec3 s_directionalDir;
    static bool s_bOmni[kNumOmni];
    static bool s_bDirectional;
    static int32_t s_nOpenOmniLight;  // omni slots filled this frame, 0-3
};
