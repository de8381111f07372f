#pragma once
// The scene's distance fog and its timed transitions: a request names the
// fog to reach (on or off, near and far distance, colour) and the time to
// reach it in; every frame the map advances the transition and hands the
// result to the materials. Fog going off is itself a transition: near and
// far recede to the camera's far distance, and the fog switches off when
// they arrive. A static class; main thread.

#include "cCore/cTimeValue.h"
#include "mMath/mVec3.h"

class eCamera;

class eFog {
public:
    // Requests a change, reached over time (a negative time acts as 0). The
    // colour's alpha byte is not used. A request to switch fog off while it
    // is off changes nothing visible (the targets are kept).
    static void SetFog(const eCamera& camera, bool bOn, float fNear, float fFar, uint32_t color, cTimeValue time);
    // One frame: the value shown is computed before the step is taken off,
    // so the first frame after SetFog still shows the old fog.
    static void UpdateFog(const eCamera& camera, cTimeValue step);
    // Fog off at once and applied (the map's start).
    static void ResetFog(const eCamera& camera);

    static bool s_bEnabled;  // on, possibly fading
    static bool s_bStop;     // the running transition ends with fog off
    static float s_fNear, s_fFar;  // targets
    static mVec3 s_color;          // 0-1
    static float s_fLastNear, s_fLastFar;  // at the start of the transition
    static mVec3 s_lastColor;
    static float s_fCurrentNear, s_fCurrentFar;
    static mVec3 s_currentColor;
    static cTimeValue s_timeRemaining;
    static cTimeValue s_transitionTime;
};
