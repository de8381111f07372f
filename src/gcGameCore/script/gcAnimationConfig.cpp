#include "gcGameCore/script/gcAnimationConfig.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcAnimationConfig, cBase, 133)

static constexpr const char* kOwnerName = "Animation";

gcAnimationConfig::gcAnimationConfig()
    : onStarted("OnStarted", kOwnerName),
      onStopped("OnStopped", kOwnerName),
      onUpdated("OnUpdated", kOwnerName),
      onCompleted("OnCompleted", kOwnerName)
{
}

gcAnimationConfig::gcAnimationConfig(const gcAnimationConfig& other)
    : cBase(),
      hAnimation(other.hAnimation),
      hSoundData{other.hSoundData[0], other.hSoundData[1]},
      onStarted(other.onStarted),
      onStopped(other.onStopped),
      onUpdated(other.onUpdated),
      onCompleted(other.onCompleted),
      nFlags(other.nFlags)
{
}

cBase* gcAnimationConfig::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcAnimationConfig>(*this) : nullptr, *this,
                              &gcAnimationConfig::onStarted, &gcAnimationConfig::onStopped,
                              &gcAnimationConfig::onUpdated, &gcAnimationConfig::onCompleted);
}

bool gcAnimationConfig::HoldsAllOf(const gcAnimationConfig& source) const
{
    return onStarted.HoldsAllOf(source.onStarted) && onStopped.HoldsAllOf(source.onStopped) &&
           onUpdated.HoldsAllOf(source.onUpdated) && onCompleted.HoldsAllOf(source.onCompleted);
}

void gcAnimationConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    hAnimation.Write(wb);
    hSoundData[0].Write(wb);
    hSoundData[1].Write(wb);
    onStarted.Write(file);
    onStopped.Write(file);
    onUpdated.Write(file);
    onCompleted.Write(file);
    wb.WriteInt(nFlags);
}

bool gcAnimationConfig::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1 || rb.m_nVersion > kVersion)
        return rb.Reject("gcAnimationConfig", "version");
    cBase::Read(file, pPool);
    // Every version stores the animation; only the sounds and the flags
    // came later.
    eAnimationHandle hAnim;
    hAnim.Read(rb, pPool);
    eSoundDataHandle hSounds[kNumSounds];
    if (rb.m_nVersion >= 3) {
        hSounds[0].Read(rb, pPool);
        hSounds[1] = hSounds[0];
        if (rb.m_nVersion >= 4)
            hSounds[1].Read(rb, pPool);
    }
    gcEvent started, stopped, updated, completed;
    const bool bEvents = started.Read(file, pPool) && stopped.Read(file, pPool) && updated.Read(file, pPool) &&
                         completed.Read(file, pPool);
    const uint32_t nReadFlags = (bEvents && rb.m_nVersion >= 2) ? rb.ReadUInt() : 0;
    if (!bEvents || rb.Failed())
        return rb.Reject("gcAnimationConfig", "event block");
    hAnimation = hAnim;
    hSoundData[0] = hSounds[0];
    hSoundData[1] = hSounds[1];
    std::swap(onStarted.pAction, started.pAction);
    std::swap(onStopped.pAction, stopped.pAction);
    std::swap(onUpdated.pAction, updated.pAction);
    std::swap(onCompleted.pAction, completed.pAction);
    nFlags = nReadFlags;
    return true;
}
