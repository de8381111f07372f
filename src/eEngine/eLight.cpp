#include "eEngine/eLight.h"

#include <cmath>

#include "platform/gx.h"
#include "mMath/mOCS.h"
#include "eEngine/eColorBytes.h"
#include "eEngine/eVideoPlatform.h"

mSphere eLight::s_omniSphere[kNumOmni];
mVec4 eLight::s_omniColor[kNumOmni];
mVec4 eLight::s_directionalColor(1.0f, 1.0f, 1.0f, 1.0f);
mVec3 eLight::s_directionalDir(0.0f, 0.0f, -1.0f);
bool eLight::s_bOmni[kNumOmni] = {false, false, false};
bool eLight::s_bDirectional = false;
int32_t eLight::s_nOpenOmniLight = 0;

namespace {

GXColor LightColor(const mVec4& c)
{
    return GXColor{eColorByte(c.x), eColorByte(c.y), eColorByte(c.z), eColorByte(c.w)};
}

GXLightID OmniLightId(int slot)
{
    return static_cast<GXLightID>(eLight::kFirstOmniMask << slot);
}

// A world-space point to the hardware's camera space: engine camera space
// (x right, y forward, z up) sent as (x, z, -y).
void LoadLight(const mVec3& worldPos, const mVec4& color, float k0, float k1, float k2, GXLightID id)
{
    mVec3 p;
    p.Xform(worldPos, eVideoPlatform::s_worldToCamera);
    GXLightObj light;
    GXInitLightPos(&light, p.x, p.z, -p.y);
    GXInitLightColor(&light, LightColor(color));
    GXInitLightAttn(&light, 1.0f, 0.0f, 0.0f, k0, k1, k2);
    GXLoadLightObjImm(&light, id);
}

}  // namespace

uint32_t eLight::GetLightMask()
{
    uint32_t mask = s_bDirectional ? kDirectionalMask : 0;
    for (int i = 0; i < kNumOmni; ++i)
        if (s_bOmni[i])
            mask |= kFirstOmniMask << i;
    return mask;
}

void eLight::SetDirectional(const mVec3& direction, const mVec4&, const mVec4& color, const mVec4&)
{
    s_directionalColor = color;
    s_directionalDir = direction;
    const mVec3 far = direction * -kDirectionalDistance;
    LoadLight(far, color, 1.0f, 0.0f, 0.0f, GX_LIGHT0);
}

void eLight::EnableDirectional(bool bOn)
{
    s_bDirectional = bOn;
    ApplyDirectional();
}

void eLight::SetOmni(int slot, const mVec3& position, float radius, const mVec4&, const mVec4& color, const mVec4&)
{
    if (slot < 0 || slot >= kNumOmni)
        return;
    s_omniSphere[slot].center = position;
    s_omniSphere[slot].radius = radius;
    s_omniColor[slot] = color;
    LoadLight(position, color, 1.0f, 0.0f, 0.0f, OmniLightId(slot));
}

void eLight::EnableOmni(int slot, bool bOn)
{
    if (slot < 0 || slot >= kNumOmni)
        return;
    s_bOmni[slot] = bOn;
    ApplyOmni(slot);
}

void eLight::AttenuateOmni(int slot, float k0, float k1, float k2)
{
    if (slot < 0 || slot >= kNumOmni)
        return;
    LoadLight(s_omniSphere[slot].center, s_omniColor[slot], k0, k1, k2, OmniLightId(slot));
}

void eLight::ApplyOmni(int)
{
    eVideoPlatform::SetMaterialLighting(GetLightMask());
}

void eLight::ApplyDirectional()
{
    eVideoPlatform::SetMaterialLighting(GetLightMask());
}

void eLight::EnableLightsInRange(const mSphere& object)
{
    const int nOpen = s_nOpenOmniLight < kNumOmni ? s_nOpenOmniLight : kNumOmni;
    for (int i = 0; i < nOpen; ++i) {
        const mSphere& s = s_omniSphere[i];
        const mVec3 d = object.center - s.center;
        const float reach = object.radius + s.radius;
        // Touching spheres overlap; a light of radius 0 reaches nothing. A
        // radius so small that 1/radius overflows lights nothing either.
        const float k1 = s.radius > 0.0f ? kOmniFalloff / s.radius : 0.0f;
        if (!(s.radius > 0.0f) || d.Dot(d) > reach * reach || !std::isfinite(k1)) {
            EnableOmni(i, false);
            continue;
        }
        // k0 is 0: at distance 0 the hardware's division by zero gives full
        // strength rather than a fault, and the light falls off as 1/d.
        LoadLight(s.center, s_omniColor[i], 0.0f, k1, 0.0f, OmniLightId(i));
        EnableOmni(i, true);
    }
}
