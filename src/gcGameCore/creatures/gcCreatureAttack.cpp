#include "gcGameCore/creatures/gcCreatureAttack.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMesh.h"

QM_DEFINE_TYPE(gcCreatureAttack, cObject, 96)

gcCreatureAttack::gcCreatureAttack()
    : onAttackHit("OnAttackHit", m_name.m_sData), calcDuration("CalcDuration", m_name.m_sData)
{
}

gcCreatureAttack::gcCreatureAttack(const gcCreatureAttack& other)
    : cObject(),
      animationConfig(other.animationConfig),
      damageStart(other.damageStart),
      damageStop(other.damageStop),
      fDamage(other.fDamage),
      nCollisionMask(other.nCollisionMask),
      nFlags(other.nFlags),
      onAttackHit(other.onAttackHit, m_name.m_sData),
      calcDuration(other.calcDuration, m_name.m_sData),
      hAttackHitEffect(other.hAttackHitEffect),
      hAttackBlockedEffect(other.hAttackBlockedEffect)
{
    m_name = other.m_name;
    for (int i = 0; i < kNumHelpers; ++i) {
        helperName[i] = other.helperName[i];
        fRadius[i] = other.fRadius[i];
        nHelperId[i] = other.nHelperId[i];
    }
}

cBase* gcCreatureAttack::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcCreatureAttack>(*this) : nullptr, *this,
                              &gcCreatureAttack::animationConfig, &gcCreatureAttack::onAttackHit,
                              &gcCreatureAttack::calcDuration);
}

void gcCreatureAttack::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    animationConfig.Write(file);
    wb.WriteInt(damageStart.m_nTicks);
    wb.WriteInt(damageStop.m_nTicks);
    wb.WriteFloat(fDamage);
    wb.WriteInt(nCollisionMask);
    wb.WriteInt(nFlags);
    for (int i = 0; i < kNumHelpers; ++i) {
        helperName[i].Write(wb);
        wb.WriteFloat(fRadius[i]);
    }
    onAttackHit.Write(file);
    calcDuration.Write(file);
    hAttackHitEffect.Write(wb);
    hAttackBlockedEffect.Write(wb);
}

void gcCreatureAttack::SwapAnimationConfig(gcAnimationConfig& a, gcAnimationConfig& b)
{
    std::swap(a.hAnimation, b.hAnimation);
    std::swap(a.hSoundData, b.hSoundData);
    std::swap(a.onStarted.pAction, b.onStarted.pAction);
    std::swap(a.onStopped.pAction, b.onStopped.pAction);
    std::swap(a.onUpdated.pAction, b.onUpdated.pAction);
    std::swap(a.onCompleted.pAction, b.onCompleted.pAction);
    std::swap(a.nFlags, b.nFlags);
}

bool gcCreatureAttack::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcCreatureAttack", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    gcAnimationConfig config;
    if (!config.Read(file, pPool)) {
        m_name = oldName;
        return rb.Reject("gcCreatureAttack", "animation configuration");
    }
    const int32_t nStart = rb.ReadInt();
    const int32_t nStop = rb.ReadInt();
    const float fReadDamage = rb.ReadFloat();
    const uint32_t nMask = rb.ReadUInt();
    const uint32_t nReadFlags = rb.ReadUInt();
    cName names[kNumHelpers];
    float fRadii[kNumHelpers];
    for (int i = 0; i < kNumHelpers; ++i) {
        names[i].Read(rb);
        fRadii[i] = rb.ReadFloat();
    }
    gcEvent hit, duration;
    const bool bEvents = !rb.Failed() && (v < 5 || hit.Read(file, pPool)) && (v < 6 || duration.Read(file, pPool));
    gcEffectTemplateHandle hHit, hBlocked;
    if (bEvents && v >= 7) {
        hHit.Read(rb, pPool);
        hBlocked.Read(rb, pPool);
    }
    if (!bEvents || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcCreatureAttack", "event block");
    }
    SwapAnimationConfig(animationConfig, config);
    damageStart = cTimeValue(nStart);
    damageStop = cTimeValue(nStop);
    fDamage = fReadDamage;
    nCollisionMask = nMask;
    nFlags = nReadFlags;
    for (int i = 0; i < kNumHelpers; ++i) {
        helperName[i] = names[i];
        fRadius[i] = fRadii[i];
    }
    std::swap(onAttackHit.pAction, hit.pAction);
    std::swap(calcDuration.pAction, duration.pAction);
    hAttackHitEffect = hHit;
    hAttackBlockedEffect = hBlocked;
    return true;
}

void gcCreatureAttack::ResolveHelpers(const eMesh* pMesh)
{
    for (int i = 0; i < kNumHelpers; ++i)
        nHelperId[i] = static_cast<int16_t>(
            (pMesh && helperName[i].m_nLength > 0) ? pMesh->GetSubObjectIndex(helperName[i], 0, false) : -1);
}
