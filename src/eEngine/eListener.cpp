#include "eEngine/eListener.h"

#include <algorithm>

#include "eEngine/eSound.h"

eSound* eListener::s_pNeedsPlaying[eListener::kMaxSounds] = {};
int eListener::s_nNeedPlaying = 0;
eSound* eListener::s_pPlayingLastUpdate[eListener::kMaxSounds] = {};
int eListener::s_nNumPlaying = 0;

namespace {

eListener::CullAllSoundsFunc s_cullAllSounds = nullptr;

// Removes a sound from a list, keeping the others' order.
void RemoveFrom(eSound** list, int* pCount, const eSound* pSound)
{
    *pCount = static_cast<int>(std::remove(list, list + *pCount, pSound) - list);
}

}  // namespace

eListener::CullAllSoundsFunc eListener::SetCullAllSounds(CullAllSoundsFunc func)
{
    const CullAllSoundsFunc old = s_cullAllSounds;
    s_cullAllSounds = func;
    return old;
}

void eListener::Initialize()
{
    s_nNeedPlaying = 0;
    s_nNumPlaying = 0;
}

void eListener::Uninitialize()
{
    s_nNeedPlaying = 0;
    s_nNumPlaying = 0;
}

void eListener::AddSoundToPlayList(eSound* pSound)
{
    if (s_nNeedPlaying >= kMaxSounds)
        return;
    s_pNeedsPlaying[s_nNeedPlaying++] = pSound;
}

void eListener::Forget(const eSound* pSound)
{
    RemoveFrom(s_pNeedsPlaying, &s_nNeedPlaying, pSound);
    RemoveFrom(s_pPlayingLastUpdate, &s_nNumPlaying, pSound);
}

void eListener::Update(const mOCS& listener)
{
    s_nNeedPlaying = 0;
    if (s_cullAllSounds)
        s_cullAllSounds(listener);
    for (int i = 0; i < s_nNumPlaying; ++i) {
        eSound* pSound = s_pPlayingLastUpdate[i];
        if (!(pSound->m_nFlags & eSound::kFlagActive) || !pSound->m_pZone)
            continue;
        if (pSound->GetWorldPos().Dist(listener.origin) > pSound->m_fRadius)
            pSound->Stop();
    }
    for (int i = 0; i < s_nNeedPlaying; ++i)
        s_pNeedsPlaying[i]->Play();
    std::copy(s_pNeedsPlaying, s_pNeedsPlaying + s_nNeedPlaying, s_pPlayingLastUpdate);
    s_nNumPlaying = s_nNeedPlaying;
}
