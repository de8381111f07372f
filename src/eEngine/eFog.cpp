#include "eEngine/eFog.h"

#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"

bool eFog::s_bEnabled = false;
bool eFog::s_bStop = false;
float eFog::s_fNear = 0.0f;
float eFog::s_fFar = 0.0f;
mVec3 eFog::s_color(0.0f, 0.0f, 0.0f);
float eFog::s_fLastNear = 0.0f;
float eFog::s_fLastFar = 0.0f;
mVec3 eFog::s_lastColor(0.0f, 0.0f, 0.0f);
float eFog::s_fCurrentNear = 0.0f;
float eFog::s_fCurrentFar = 0.0f;
mVec3 eFog::s_currentColor(0.0f, 0.0f, 0.0f);
cTimeValue eFog::s_timeRemaining;
cTimeValue eFog::s_transitionTime;

namespace {

// The camera's far clip distance: minus the offset of its frustum's far plane.
float FarDistance(const eCamera& camera)
{
    return -camera.m_frustum.planes[mFrustum::kFar].offset;
}

float Channel(uint32_t color, int shift)
{
    return static_cast<float>((color >> shift) & 0xFFu) / 255.0f;
}

}  // namespace

void eFog::SetFog(const eCamera& camera, bool bOn, float fNear, float fFar, uint32_t color, cTimeValue time)
{
    s_timeRemaining = time;
    s_transitionTime = time;
    s_fLastNear = s_fCurrentNear;
    s_fLastFar = s_fCurrentFar;
    s_lastColor = s_currentColor;
    s_fNear = fNear;
    s_fFar = fFar;
    s_color.Set(Channel(color, 16), Channel(color, 8), Channel(color, 0));
    s_bStop = false;
    if (s_bEnabled && !bOn) {
        // Fade out: the fog recedes to the far clip, then goes off.
        s_bStop = true;
        s_fNear = s_fFar = FarDistance(camera);
    }
    if (!bOn)
        return;
    if (!s_bEnabled) {
        // Fade in from no fog at all.
        s_fLastNear = s_fLastFar = FarDistance(camera);
    }
    s_bEnabled = true;
}

void eFog::UpdateFog(const eCamera& camera, cTimeValue step)
{
    if (!s_bEnabled) {
        eMaterial::SetGlobalFog(false, &camera, s_currentColor, s_fCurrentNear, s_fCurrentNear);
        return;
    }
    if (s_timeRemaining > cTimeValue(0)) {
        const float f = s_timeRemaining.GetSeconds() / s_transitionTime.GetSeconds();
        const float g = 1.0f - f;
        s_fCurrentNear = s_fLastNear * f + s_fNear * g;
        s_fCurrentFar = s_fLastFar * f + s_fFar * g;
        s_currentColor = s_lastColor * f + s_color * g;
        s_timeRemaining -= step;
    } else {
        s_fLastNear = s_fCurrentNear = s_fNear;
        s_fLastFar = s_fCurrentFar = s_fFar;
        s_lastColor = s_currentColor = s_color;
        if (s_bStop) {
            s_bEnabled = false;
            s_bStop = false;
        }
    }
    eMaterial::SetGlobalFog(s_bEnabled, &camera, s_currentColor, s_fCurrentNear, s_fCurrentFar);
}

void eFog::ResetFog(const eCamera& camera)
{
    s_color.Set(1.0f, 1.0f, 1.0f);
    s_fNear = s_fFar = FarDistance(camera);
    s_fLastNear = s_fCurrentNear = s_fNear;
    s_fLastFar = s_fCurrentFar = s_fFar;
    s_lastColor = s_currentColor = s_color;
    s_bEnabled = false;
    s_bStop = false;
    eMaterial::SetGlobalFog(false, &camera, s_color, s_fFar, s_fFar);
}
