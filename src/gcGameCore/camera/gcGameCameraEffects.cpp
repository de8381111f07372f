// The game camera's timed effects: the shake that jitters its position,
// the full-screen fade and the letterbox bars, each with a completion event.
#include "gcGameCore/camera/gcGameCamera.h"

#include <algorithm>

#include "eEngine/eSprite.h"
#include "eEngine/eVideo.h"
#include "eEngine/eViewport.h"
#include "gcGameCore/script/gcEvent.h"

namespace {

// One of the two opacity fades (full screen or letterbox) of the camera.
struct FadeRefs {
    uint32_t& flags;
    uint32_t nShown;
    uint32_t nIn;
    cTimeValue& total;
    cTimeValue& time;
    float& opacity;
    eMaterialHandle& hMaterial;
    const gcEvent*& pEvent;
};

const gcEvent* Storable(const gcEvent* pEvent)
{
    return pEvent && pEvent->HasActions() ? pEvent : nullptr;
}

void StartFade(const FadeRefs& f, bool bFadeIn, bool bSnap, eMaterialHandle hMaterial, cTimeValue time,
               const gcEvent* pOnCompleted)
{
    if (bFadeIn) {
        f.flags |= f.nIn;
        if (bSnap)
            f.opacity = 0.0f;
    } else {
        f.flags &= ~f.nIn;
        if (bSnap)
            f.opacity = 1.0f;
    }
    f.flags |= f.nShown;
    f.hMaterial = hMaterial;
    f.time = time;
    // The opacity reaches its end two frames before the event runs.
    f.total = std::max(time - gcGameCamera::kFadeLead, cTimeValue(0));
    f.pEvent = Storable(pOnCompleted);
}

// True when the fade's time ran out on this tick or before.
bool TickFade(const FadeRefs& f, cTimeValue dT)
{
    if (!(f.flags & f.nShown))
        return false;
    f.time -= dT;
    // A total of 0 makes the step infinite: the end opacity at once.
    const float fStep = static_cast<float>(dT.m_nTicks) / static_cast<float>(f.total.m_nTicks);
    const bool bDone = f.time.m_nTicks <= 0;
    if (f.flags & f.nIn) {
        f.opacity = bDone ? 1.0f : std::min(f.opacity + fStep, 1.0f);
    } else {
        f.opacity = bDone ? 0.0f : std::max(f.opacity - fStep, 0.0f);
        if (bDone)
            f.flags &= ~f.nShown;
    }
    return bDone;
}

eMaterialState OverlayState(float fOpacity)
{
    eMaterialState state;
    state.m_nColor = 0x00FFFFFFu | (static_cast<uint32_t>(255.0f * fOpacity) << 24);
    state.m_nTextureBlendFactor = 255;
    return state;
}

void InitOverlaySprite(eSprite* pSprite, eMaterialHandle hMaterial, eSprite::eSpriteOrigin origin)
{
    pSprite->m_handle = eSpriteHandle();
    pSprite->m_position.Set(0.0f, 0.0f);
    pSprite->m_hMaterial = hMaterial;
    pSprite->m_origin = origin;
    pSprite->m_texCoord1.Set(0.0f, 0.0f);
    pSprite->m_texCoord2.Set(128.0f, 128.0f);
    pSprite->m_fUniformScale = 1.0f;
}

}  // namespace

void gcGameCamera::ClearEffects()
{
    m_nFlags &= ~(kShaking | kFade | kFadeIn | kLetterbox | kLetterboxIn);
    m_fShakeIntensity = 0.0f;
    m_shakeRemainTime = cTimeValue(0);
    m_fadeTime = m_letterboxFadeTime = cTimeValue(0);
    m_totalFadeTime = m_totalLetterboxFadeTime = kDefaultFadeTime;
    m_fFadeOpacity = m_fLetterboxOpacity = 0.0f;
    m_pOnShakeCompleted = m_pOnFadeCompleted = m_pOnFadeLetterboxCompleted = nullptr;
}

void gcGameCamera::Shake(float fIntensity, cTimeValue time, const gcEvent* pOnCompleted)
{
    if (fIntensity > kMinShakeIntensity || fIntensity < -kMinShakeIntensity)
        m_nFlags |= kShaking;
    else
        m_nFlags &= ~kShaking;
    m_fShakeIntensity = fIntensity;
    m_shakeRemainTime = time;
    // A running shake's event is replaced unapplied.
    m_pOnShakeCompleted = Storable(pOnCompleted);
}

void gcGameCamera::Fade(bool bFadeIn, bool bSnap, eMaterialHandle hMaterial, cTimeValue time,
                        const gcEvent* pOnCompleted)
{
    StartFade({m_nFlags, kFade, kFadeIn, m_totalFadeTime, m_fadeTime, m_fFadeOpacity, m_hFadeMaterial,
               m_pOnFadeCompleted},
              bFadeIn, bSnap, hMaterial, time, pOnCompleted);
}

void gcGameCamera::FadeLetterbox(bool bFadeIn, bool bSnap, eMaterialHandle hMaterial, cTimeValue time,
                                 const gcEvent* pOnCompleted)
{
    StartFade({m_nFlags, kLetterbox, kLetterboxIn, m_totalLetterboxFadeTime, m_letterboxFadeTime,
               m_fLetterboxOpacity, m_hLetterboxMaterial, m_pOnFadeLetterboxCompleted},
              bFadeIn, bSnap, hMaterial, time, pOnCompleted);
}

void gcGameCamera::OnShakeTick(const gcMsgTick& tick, mVec3* pPos)
{
    if (!(m_nFlags & kShaking))
        return;
    m_shakeRemainTime -= tick.dT;
    if (m_shakeRemainTime.m_nTicks <= 0) {
        m_nFlags &= ~kShaking;
        RunCompletion(m_pOnShakeCompleted);
        return;
    }
    // Not filtered: the camera jumps by up to the intensity each tick.
    mVec3 dir;
    dir.IRandDir(180.0f);
    *pPos += dir * m_fShakeIntensity;
}

void gcGameCamera::OnFadeTick(const gcMsgTick& tick)
{
    const FadeRefs fade{m_nFlags, kFade, kFadeIn, m_totalFadeTime, m_fadeTime, m_fFadeOpacity, m_hFadeMaterial,
                        m_pOnFadeCompleted};
    if (TickFade(fade, tick.dT))
        RunCompletion(m_pOnFadeCompleted);
}

void gcGameCamera::OnLetterboxTick(const gcMsgTick& tick)
{
    const FadeRefs bars{m_nFlags, kLetterbox, kLetterboxIn, m_totalLetterboxFadeTime, m_letterboxFadeTime,
                        m_fLetterboxOpacity, m_hLetterboxMaterial, m_pOnFadeLetterboxCompleted};
    if (TickFade(bars, tick.dT))
        RunCompletion(m_pOnFadeLetterboxCompleted);
    // The view widens as the bars cover the screen's top and bottom.
    m_camera.SetFOV(kBaseFOV + kLetterboxFOVWiden * m_fLetterboxOpacity);
}

void gcGameCamera::DrawFade() const
{
    if (!(m_nFlags & kFade))
        return;
    int nWidth, nHeight;
    eVideo::GetMaxWidthHeight(&nWidth, &nHeight);
    eSprite sprite;
    InitOverlaySprite(&sprite, m_hFadeMaterial, eSprite::SO_MIDCENTER);
    sprite.m_size.Set(static_cast<float>(nWidth), static_cast<float>(nHeight));
    const eMaterialState state = OverlayState(m_fFadeOpacity);
    eSprite::BeginRender(nullptr);
    sprite.Draw(nullptr, &state, nullptr);
    eSprite::EndRender();
}

void gcGameCamera::DrawLetterbox() const
{
    if (!(m_nFlags & kLetterbox))
        return;
    int nWidth, nHeight;
    eVideo::GetMaxWidthHeight(&nWidth, &nHeight);
    eViewport safe;
    eVideo::GetSafeFrame(&safe);
    const float w = static_cast<float>(nWidth);
    const float h = static_cast<float>(nHeight);
    const float fBar = static_cast<float>(8 + 48 + safe.nY);  // 96 on the 480-line screen
    eSprite sprite;
    InitOverlaySprite(&sprite, m_hLetterboxMaterial, eSprite::SO_ABSOLUTE);
    sprite.m_size.Set(w, fBar);
    const eMaterialState state = OverlayState(m_fLetterboxOpacity);
    const mVec2 bottom(-w / 2.0f, -h / 2.0f);
    const mVec2 top(-w / 2.0f, h / 2.0f - fBar);
    eSprite::BeginRender(nullptr);
    sprite.Draw(&bottom, &state, nullptr);
    sprite.Draw(&top, &state, nullptr);
    eSprite::EndRender();
}
