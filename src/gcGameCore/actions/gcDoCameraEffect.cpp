#include "gcGameCore/actions/gcDoCameraEffect.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCameraEffect, gcAction, 92)

namespace {

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

}  // namespace

gcDoCameraEffect::gcDoCameraEffect() : effectTime(Number(1.0f)), intensity(Number(0.1f)) {}

gcDoCameraEffect::gcDoCameraEffect(int32_t type, uint32_t flags, const gcDesiredValue& time,
                                   const gcDesiredValue& shakeIntensity, eMaterialHandle material)
    : effectType(type), nFlags(flags), effectTime(time), intensity(shakeIntensity), hMaterial(material)
{
}

gcDoCameraEffect::gcDoCameraEffect(const gcDoCameraEffect& other)
    : gcAction(),
      effectType(other.effectType),
      nFlags(other.nFlags),
      effectTime(other.effectTime),
      intensity(other.intensity),
      hMaterial(other.hMaterial),
      onCompleted(other.onCompleted)
{
}

cBase* gcDoCameraEffect::Copy(cMemPool* pPool) const
{
    gcDoCameraEffect* pCopy = pPool ? pPool->New<gcDoCameraEffect>(*this) : nullptr;
    return gcEvent::KeepWhole(pCopy, *this, &gcDoCameraEffect::onCompleted);
}

void gcDoCameraEffect::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(effectType);
    wb.WriteInt(nFlags);
    effectTime.Write(wb);
    intensity.Write(wb);
    hMaterial.Write(wb);
    onCompleted.Write(file);
}

bool gcDoCameraEffect::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoCameraEffect", "version");
    const int32_t type = rb.ReadInt();
    const uint32_t flags = rb.ReadUInt();
    gcDesiredValue time, shake;
    if (rb.m_nVersion >= 5) {
        time.Read(rb, pPool);
        shake.Read(rb, pPool);
    } else {
        time = Number(static_cast<float>(rb.ReadInt()) * cTimeValue::SECONDS_PER_TICK);
        shake = Number(rb.ReadFloat());
    }
    eMaterialHandle material;
    material.Read(rb, pPool);
    gcEvent event;
    if (rb.Failed())
        return false;
    if (!event.Read(file, pPool))
        return rb.Reject("gcDoCameraEffect", "completion event");
    effectType = type;
    nFlags = flags;
    effectTime = time;
    intensity = shake;
    hMaterial = material;
    std::swap(onCompleted.pAction, event.pAction);  // the old actions go with the local event
    return true;
}

const char* gcDoCameraEffect::GetEffectTypeText(int32_t type)
{
    static const char* const kTexts[MAX_EFFECTTYPES] = {"Fade", "Letterbox", "Shake"};
    return type >= 0 && type < MAX_EFFECTTYPES ? kTexts[type] : "???";
}

void gcDoCameraEffect::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "Camera.");
    gcScriptText::Append(pBuf, GetEffectTypeText(effectType));
    const bool bDirection = (nFlags & kDirection) != 0;
    if (effectType == CE_FADE)
        gcScriptText::Append(pBuf, bDirection ? "In" : "Out");
    else if (effectType == CE_LETTERBOX)
        gcScriptText::Append(pBuf, bDirection ? "On" : "Off");
    if (onCompleted.HasActions())
        gcScriptText::Append(pBuf, " {OnCompleted}");
}

void gcDoCameraEffect::DoAction(const gcEventParams&) const
{
    const cTimeValue time = cTimeValue::FromSeconds(effectTime.GetValue());
    gcGameCamera* pCamera = gcGameCamera::Get();
    const bool bDirection = (nFlags & kDirection) != 0;
    const bool bReset = (nFlags & kResetOpacity) != 0;
    switch (effectType) {
    case CE_FADE: pCamera->Fade(bDirection, bReset, hMaterial, time, &onCompleted); break;
    case CE_LETTERBOX: pCamera->FadeLetterbox(bDirection, bReset, hMaterial, time, &onCompleted); break;
    case CE_SHAKE: pCamera->Shake(intensity.GetValue(), time, &onCompleted); break;
    default: break;
    }
}
