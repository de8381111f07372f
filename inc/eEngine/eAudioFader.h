#pragma once
// One fader of the audio mixer: a level set by its owner times a scale that
// fades move, stepped once a mixer update. Every channel has one and every
// channel group three. A plain value inside eAudio's tables; main thread.

#include "cCore/cTimeValue.h"

class eAudioFader {
public:
    enum eFadeDir {
        FADE_NONE = 0,
        FADE_UP = 1,
        FADE_DOWN = 2,
    };

    // Volume 1.0, scale 1.0, no fade, time 0, target 0.0 unused.
    eAudioFader();

    float GetGain() const { return m_fVolume * m_fVolScale; }

    // Fades up or down over time (the length of a whole 0-to-1 fade); the
    // target and its flag stay as they were.
    void Fade(cTimeValue time, bool bUp);
    // Fades to the target over time, up or down by where the scale stands.
    void FadeToTarget(cTimeValue time, float fTarget);
    // Fades up or down to the end of the range, whatever target was set.
    void FadeFull(cTimeValue time, bool bUp);
    // Moves the scale one update of step ticks. A fade time of 0 (or less)
    // ends the fade at once.
    void Step(cTimeValue step);

    float m_fVolume;
    float m_fVolScale;      // 0..1 for untargeted fades
    int m_fadeDir;          // eFadeDir
    cTimeValue m_fadeTime;  // a whole 0-to-1 fade
    float m_fTargetValue;
    bool m_bUseTargetValue;
};
