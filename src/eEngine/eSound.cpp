#include "eEngine/eSound.h"

#include "eEngine/eAudio.h"
#include "eEngine/eListener.h"
#include "eEngine/eSoundConfig.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eZone.h"

namespace {

eSound::ZoneFiling s_filing = {nullptr, nullptr};

}  // namespace

eSound::ZoneFiling eSound::SetZoneFiling(const ZoneFiling& filing)
{
    const ZoneFiling old = s_filing;
    s_filing = filing;
    return old;
}

eSound::eSound()
    : m_pZone(nullptr),
      m_pOwner(nullptr),
      m_pSndPrev(nullptr),
      m_pSndNext(nullptr),
      m_nSndNodeIndex(-1),
      m_bLooping(false),
      m_fRadius(-1.0f),
      m_fVolume(1.0f),
      m_fIntensity(1.0f),
      m_nFlags(0),
      m_timeAlive(0),
      m_bFresh(false),
      m_nChannelId(eAudio::kNoChannel),
      m_pSoundData(nullptr)
{
    m_localToZone.MakeIdentity();
}

eSound::~eSound()
{
    Stop();
    UnfileFromZone();
    eListener::Forget(this);
}

void eSound::FileInZone()
{
    if (m_pZone && s_filing.pAdd)
        s_filing.pAdd(m_pZone, this);
}

void eSound::UnfileFromZone()
{
    if (m_pZone && s_filing.pRemove)
        s_filing.pRemove(m_pZone, this);
}

// A new config must not leave the old channel playing on with nobody
// holding its handle.
void eSound::SetConfig(const eSoundConfig& config)
{
    Stop();
    m_pSoundData = eSoundDataMgr::GetPtr(config.hSound);
    m_fRadius = config.fRadius;
    m_fVolume = config.fVolume;
    m_bLooping = config.bLooping;
    m_timeAlive = cTimeValue(0);
    m_bFresh = true;
}

void eSound::SetSoundData(const eSoundData* pData)
{
    Stop();
    m_pSoundData = pData;
    m_timeAlive = cTimeValue(0);
    m_bFresh = true;
}

void eSound::SetZone(eZone* pZone)
{
    if (pZone != m_pZone) {
        UnfileFromZone();
        m_pZone = pZone;
        FileInZone();
        m_nFlags |= kFlagReevaluate;
    }
    if (!pZone)
        Stop();
}

bool eSound::IsFinishedOneShot() const
{
    return !m_bLooping && m_pSoundData && m_timeAlive >= cTimeValue(m_pSoundData->m_length);
}

void eSound::SetFlagsOnOff(uint32_t on, uint32_t off)
{
    // The zone's filing reads the active flag: leave while it is still set,
    // join once it is.
    if ((off & kFlagActive) && (m_nFlags & kFlagActive))
        UnfileFromZone();
    const bool bJoin = (on & kFlagActive) && m_pZone && !IsFinishedOneShot();
    if (bJoin)
        on |= kFlagReevaluate;
    m_nFlags = (m_nFlags | on) & ~off;
    if (bJoin)
        FileInZone();
}

mVec3 eSound::GetWorldPos() const
{
    if (!m_pZone)
        return m_localToZone.origin;
    mVec3 world;
    world.Xform(m_localToZone.origin, m_pZone->m_localToWorld);
    return world;
}

void eSound::Play()
{
    if (m_nChannelId != eAudio::kNoChannel && eAudio::IsValidHandle(m_nChannelId))
        return;
    m_nChannelId = eAudio::Play(eAudio::ACG_SFX, m_pSoundData, m_bLooping, m_timeAlive, m_fVolume * m_fIntensity,
                                true, m_fRadius, GetWorldPos());
}

void eSound::Stop()
{
    eAudio::FreeChannel(m_nChannelId);
    m_nChannelId = eAudio::kNoChannel;
}

// Finds the zone that holds the sound's position, given the owner's zone,
// and files it there.
void eSound::Reevaluate(eZone* pZone)
{
    if (!m_pZone) {
        if (!pZone)
            return;  // nowhere to place it yet; asked again next tick
        SetZone(pZone);
    }
    if (!pZone)
        pZone = m_pZone;
    mOCS frame = m_localToZone;
    if (pZone != m_pZone) {
        mOCS world;
        world.Xform(m_localToZone, m_pZone->m_localToWorld);
        frame.XformInv(world, pZone->m_localToWorld);
    }
    mVec3 posInFound;
    eZone* pFound = eZone::GetZoneFromPos(pZone, frame.origin, &posInFound);
    if (pFound == m_pZone) {
        m_localToZone.origin = posInFound;  // in its own zone's coordinates
        m_localToZone.basis = frame.basis;
        FileInZone();
        m_nFlags &= ~kFlagOutsideZones;
    } else {
        if (m_nFlags & kFlagActive)
            UnfileFromZone();
        if (pFound) {
            m_nFlags &= ~kFlagOutsideZones;
            m_pZone = pFound;
            m_localToZone.origin = posInFound;
            m_localToZone.basis = frame.basis;
            FileInZone();
        } else {
            // Kept in the owner's zone, whose coordinates the frame is in.
            m_nFlags |= kFlagOutsideZones;
            m_pZone = pZone;
            m_localToZone = frame;
        }
    }
    m_nFlags &= ~kFlagReevaluate;
}

bool eSound::Update(eZone* pZone, cTimeValue step)
{
    if (m_nChannelId != eAudio::kNoChannel && !eAudio::IsValidHandle(m_nChannelId))
        m_nChannelId = eAudio::kNoChannel;
    if (!m_bLooping && m_pSoundData &&
        m_timeAlive > cTimeValue(m_pSoundData->m_length) + eAudio::AUDIO_PLAY_TOL) {
        if (m_nFlags & kFlagActive)
            UnfileFromZone();
        m_nFlags &= ~kFlagActive;
        m_nChannelId = eAudio::kNoChannel;
        return false;
    }
    // A sound set going in its owner's tick has not been heard yet: its
    // first samples would be skipped.
    if (!m_bFresh)
        m_timeAlive += step;
    m_bFresh = false;
    if (m_nFlags & kFlagReevaluate)
        Reevaluate(pZone);
    if (m_nChannelId != eAudio::kNoChannel)
        m_nChannelId = eAudio::Update3DChannel(m_nChannelId, GetWorldPos(), m_fVolume * m_fIntensity);
    return true;
}
