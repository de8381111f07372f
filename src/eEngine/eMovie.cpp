#include "eEngine/eMovie.h"

#include <algorithm>

#include "platform/gx.h"
#include "platform/os.h"
#include "platform/vi.h"
#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eAudio.h"
#include "eEngine/eMoviePlatform.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "Utilities/THP/THP.h"

int eMovie::s_nStalledRetraces = 0;
int eMovie::s_nCurrentFrame = -1;

namespace {

THPVideoInfo s_videoInfo;
THPAudioInfo s_audioInfo;
uint8_t* s_pBuffer = nullptr;

// The audio track of this frame: picked by the clock among the movie's
// tracks; track 0 for a movie without audio.
int32_t PickTrack()
{
    return s_audioInfo.sndNumTracks > 0 ? static_cast<int32_t>(OSGetTick() % s_audioInfo.sndNumTracks) : 0;
}

// The movie plays at the loudness of the music group.
int32_t MusicVolume()
{
    float fVolume = 1.0f;
    for (int fader = 0; fader < eAudio::kNumGroupFaders; ++fader)
        fVolume *= eAudio::GetGroupVolume(eAudio::ACG_BGM, fader);
    return std::clamp(static_cast<int32_t>(THP_MAX_VOLUME * fVolume), 0, THP_MAX_VOLUME);
}

}  // namespace

bool eMovie::Open(const char* path)
{
    s_nStalledRetraces = 0;
    s_nCurrentFrame = -1;
    s_videoInfo = THPVideoInfo();
    s_audioInfo = THPAudioInfo();
    if (!THPSimpleInit(TRUE, eMoviePlatform::ReadCallback) || !THPSimpleOpen(path))
        return false;
    THPSimpleGetVideoInfo(&s_videoInfo);
    THPSimpleGetAudioInfo(&s_audioInfo);
    const uint32_t nBytes = THPSimpleCalcNeedMemory();
    cMemPool& pool = eMoviePlatform::s_moviePool;
    if (!pool.AllocPoolMemory(nBytes + 32))
        return false;
    s_pBuffer = static_cast<uint8_t*>(pool.Alloc(nBytes, 32));
    if (!s_pBuffer || !THPSimpleSetBuffer(s_pBuffer) || !THPSimplePreLoad(FALSE))
        return false;
    THPSimpleAudioStart();
    THPSimpleSetVolume(MusicVolume(), 0);
    return true;
}

bool eMovie::Update()
{
    const double fStart = cGetTimeSeconds();
    const int32_t nResult = THPSimpleDecode(PickTrack());
    if (nResult == THP_DECODE_NOT_READ || nResult == THP_DECODE_AUDIO_BUSY) {
        // The disc (or the audio) is behind: keep showing the last frame and
        // try again at the next retrace rather than cutting the movie short.
        if (++s_nStalledRetraces > kMaxStallRetraces) {
            cLogError_("eMovie: no frame for %d retraces (%s); the movie ends", kMaxStallRetraces,
                       THPDecodeResultText(nResult));
            return false;
        }
        VIWaitForRetrace();
        return true;
    }
    if (nResult != THP_DECODE_OK)
        return false;
    s_nStalledRetraces = 0;
    GXSetCullMode(GX_CULL_NONE);
    const int32_t nFrame = THPSimpleDrawCurrentFrame(eVideoPlatform::s_pRenderMode, 0, 0, s_videoInfo.xSize,
                                                     s_videoInfo.ySize);
    // The player drew past the render-state cache; the engine's next draw
    // must set everything again.
    eVideoPlatform::ResetState();
    if (nFrame < 0)
        return false;
    s_nCurrentFrame = nFrame;
    if (cGetTimeSeconds() - fStart <= kFastFrameSeconds)
        VIWaitForRetrace();
    VIWaitForRetrace();
    GXCopyDisp(eVideoPlatform::GetBackBuffer(), GX_TRUE);
    GXDrawDone();
    return nFrame < static_cast<int32_t>(THPSimpleGetTotalFrame()) - 1;
}

void eMovie::Close()
{
    THPSimpleAudioStop();
    THPSimpleLoadStop();
    THPSimpleClose();
    THPSimpleQuit();
    s_pBuffer = nullptr;
    eMoviePlatform::s_moviePool.Reset();
    eMoviePlatform::s_moviePool.FreePoolMemory();
    // The quantisation formats need no restoring here: this host converts
    // with explicit helpers, which the movie never changed.
    eVideo::BeginRender();
    eVideo::EndRender();
}
