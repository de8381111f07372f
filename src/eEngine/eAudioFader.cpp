#include "eEngine/eAudioFader.h"

eAudioFader::eAudioFader()
    : m_fVolume(1.0f), m_fVolScale(1.0f), m_fadeDir(FADE_NONE), m_fadeTime(0), m_fTargetValue(0.0f),
      m_bUseTargetValue(false)
{
}

void eAudioFader::Fade(cTimeValue time, bool bUp)
{
    m_fadeTime = time;
    m_fadeDir = bUp ? FADE_UP : FADE_DOWN;
}

void eAudioFader::FadeToTarget(cTimeValue time, float fTarget)
{
    m_fadeTime = time;
    m_fTargetValue = fTarget;
    m_bUseTargetValue = true;
    m_fadeDir = m_fVolScale > fTarget ? FADE_DOWN : FADE_UP;
}

void eAudioFader::FadeFull(cTimeValue time, bool bUp)
{
    m_bUseTargetValue = false;
    Fade(time, bUp);
}

void eAudioFader::Step(cTimeValue step)
{
    if (m_fadeDir == FADE_NONE)
        return;
    if (m_fadeTime.m_nTicks <= 0) {
        if (m_bUseTargetValue)
            m_fVolScale = m_fTargetValue;
        else
            m_fVolScale = m_fadeDir == FADE_DOWN ? 0.0f : 1.0f;
        m_fadeDir = FADE_NONE;
        return;
    }
    float fDelta = static_cast<float>(step.m_nTicks) / static_cast<float>(m_fadeTime.m_nTicks);
    if (m_fadeDir == FADE_DOWN)
        fDelta = -fDelta;
    m_fVolScale += fDelta;
    if (m_bUseTargetValue) {
        // Targeted fades stop exactly on the target.
        const bool bDone = m_fadeDir == FADE_DOWN ? m_fVolScale <= m_fTargetValue : m_fVolScale >= m_fTargetValue;
        if (bDone) {
            m_fVolScale = m_fTargetValue;
            m_fadeDir = FADE_NONE;
        }
        return;
    }
    if (m_fVolScale <= 0.0f || m_fVolScale >= 1.0f) {
        m_fVolScale = m_fVolScale <= 0.0f ? 0.0f : 1.0f;
        m_fadeDir = FADE_NONE;
    }
}
