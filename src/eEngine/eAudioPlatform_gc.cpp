// Start-up of the console's audio libraries, audio-memory allocation and
// transfers, and the channel overlay.
#include "eEngine/eAudioPlatform.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/ai.h"
#include "platform/ar.h"
#include "platform/ax.h"
#include "platform/gx.h"
#include "platform/mix.h"
#include "platform/os.h"

#include "cCore/cLog.h"
#include "cCore/cThread.h"
#include "eEngine/eAudio.h"
#include "eEngine/eFont.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eVideoPlatform.h"

bool eAudioPlatform::s_bStereo = false;
uint32_t eAudioPlatform::s_nZeroBuffer = 0;

namespace {

uint32_t s_blockTable[eAudioPlatform::kBlockTableEntries];

// The overlay's layout in screen space (centred, y up, 640 x 480).
constexpr int kOverlayLines = 1 + eAudio::kNumChannels;  // the header, then a line a channel
constexpr int kOverlayLineSize = 64;
constexpr int kOverlayColumns = 39;
constexpr float kOverlayLeft = -300.0f;
constexpr float kOverlayTop = 224.0f;
constexpr float kOverlayMargin = 4.0f;
constexpr uint32_t kOverlayBack = 0xC0000000;  // 0xAARRGGBB
constexpr uint32_t kOverlayText = 0xFFFFFFFF;
constexpr uint32_t kOverlayRule = 0xFF808080;
bool s_bVoicesAcquired = false;

// Runs at interrupt level once an audio frame: only the mixer library's
// pending settings are applied; nothing of eAudio is touched.
void eAudioAXCallback()
{
    MIXUpdateSettings();
}

void WaitForTransfers()
{
    while (ARGetDMAStatus() != 0)
        cThread::Yield();
}

void AcquireVoices()
{
    for (int i = 0; i < eAudio::kNumChannels; ++i) {
        AXVPB* pVoice = AXAcquireVoice(1, nullptr, 0);
        if (!pVoice) {
            cLogError_("eAudioPlatform::Initialize: no voice for channel %d; it stays silent", i);
            continue;
        }
        MIXInitChannel(pVoice, 0, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, MIX_LEVEL_SILENT, MIX_PAN_CENTER,
                       MIX_SPAN_FRONT, 0);
        eAudio::s_channels[i].pPlatformData = pVoice;
    }
}

}  // namespace

bool eAudioPlatform::Initialize()
{
    AIInit(nullptr);
    AXInit();
    if (OSGetSoundMode() == OS_SOUND_MODE_STEREO) {
        s_bStereo = true;
        OSSetSoundMode(OS_SOUND_MODE_STEREO);
        MIXSetSoundMode(MIX_SOUND_MODE_STEREO);
        AXSetMode(AX_MODE_STEREO);
    } else {
        s_bStereo = false;
        OSSetSoundMode(OS_SOUND_MODE_MONO);
        MIXSetSoundMode(MIX_SOUND_MODE_MONO);
    }
    std::memset(s_blockTable, 0, sizeof(s_blockTable));
    ARInit(s_blockTable, kBlockTableEntries);
    ARQInit();
    if (!s_bVoicesAcquired) {
        MIXInit();
        AcquireVoices();
        s_bVoicesAcquired = true;
    }
    if (s_nZeroBuffer == 0) {
        alignas(32) static uint8_t s_zeros[kZeroBufferSize];
        std::memset(s_zeros, 0, sizeof(s_zeros));
        s_nZeroBuffer = AllocARAM(kZeroBufferSize);
        if (s_nZeroBuffer != 0)
            FillARAM(s_nZeroBuffer, s_zeros, kZeroBufferSize);
    }
    AXRegisterCallback(eAudioAXCallback);
    return true;
}

void eAudioPlatform::Uninitialize()
{
    if (s_nZeroBuffer != 0)
        FreeARAM(s_nZeroBuffer);
    s_nZeroBuffer = 0;
}

uint32_t eAudioPlatform::AllocARAM(uint32_t size)
{
    return ARAlloc(size);
}

void eAudioPlatform::FreeARAM(uint32_t address)
{
    ARFree(address, nullptr);
}

void eAudioPlatform::FillARAM(uint32_t address, const void* pSource, uint32_t size)
{
    DCFlushRange(const_cast<void*>(pSource), size);
    ARQRequest request;
    ARQPostRequest(&request, 0, ARQ_TYPE_MRAM_TO_ARAM, ARQ_PRIORITY_HIGH, reinterpret_cast<uintptr_t>(pSource),
                   address, size, nullptr);
    WaitForTransfers();
}

// One line a channel: index, sound name, play time in seconds, loop flag,
// volume in percent, pan as the listener hears a positional channel (-99 left
// .. 99 right), positional flag.
static void FormatChannelLines(const mOCS& listener, char lines[kOverlayLines][kOverlayLineSize])
{
    std::snprintf(lines[0], kOverlayLineSize, "ChName         Time   LoopVol Pan Pos");
    for (int i = 0; i < eAudio::kNumChannels; ++i) {
        const eAudioChannel& c = eAudio::s_channels[i];
        const char* sName = c.pSound ? c.pSound->m_name.m_sData : "";
        int nPan = 0;
        if (c.b3D) {
            mVec3 d = c.position - listener.origin;
            d.Normalize();
            mVec3 local;
            local.XformInv(d, listener.basis);
            nPan = static_cast<int>(99.0f * local.x);
        }
        std::snprintf(lines[1 + i], kOverlayLineSize, "%02d%-13.13s%6.2f %s%3d %3d %s", i, sName,
                      static_cast<double>(c.playTime.GetSeconds()), c.bIsLooping ? "On  " : "Off ",
                      static_cast<int>(100.0f * c.fader.GetGain()), nPan, c.b3D ? "On  " : "Off ");
    }
}

void eAudioPlatform::DrawChannels(const mOCS& listener, cHandle<eFont> hFont)
{
    const eFont* pFont = eFontMgr::GetPtr(hFont);
    if (!pFont)
        return;
    char lines[kOverlayLines][kOverlayLineSize];
    FormatChannelLines(listener, lines);
    const float fAdvance = pFont->m_fWidth * pFont->m_fScale;
    const float fRight = kOverlayLeft + kOverlayColumns * fAdvance;
    const float fBottom = kOverlayTop - kOverlayLines * fAdvance;
    eFont::BeginRender(nullptr);
    eMaterial::ApplyNull();
    eVideoPlatform::SetVertexColorLighting();
    eVideoPlatform::SetPassColor(GX_TEVSTAGE0);
    eVideoPlatform::DrawQuad(kOverlayLeft - kOverlayMargin, kOverlayTop + kOverlayMargin, fRight + kOverlayMargin,
                             fBottom - kOverlayMargin, kOverlayBack, 0.0f);
    eVideoPlatform::DrawLine(kOverlayLeft, kOverlayTop - fAdvance, fRight, kOverlayTop - fAdvance, kOverlayRule);
    for (int i = 0; i < kOverlayLines; ++i)
        pFont->Print(lines[i], kOverlayLeft, kOverlayTop - i * fAdvance, kOverlayText);
    eFont::EndRender();
}
