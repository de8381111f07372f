#include "gcGameCore/flow/gcRumbleConfig.h"

#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcRumbleConfig, cBase, 191)

namespace {

constexpr uint32_t kBaseVersion = 1;

}  // namespace

cBase* gcRumbleConfig::Copy(cMemPool* pPool) const
{
    gcRumbleConfig* p = pPool ? pPool->New<gcRumbleConfig>() : nullptr;
    if (p)
        *p = *this;
    return p;
}

void gcRumbleConfig::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    { cWriteBlock base(file, kBaseVersion); }
    wb.WriteInt(lifeTime.m_nTicks);
    wb.WriteFloat(fStartIntensity);
    wb.WriteFloat(fEndIntensity);
    wb.WriteFloat(fFalloffDistance);
}

bool gcRumbleConfig::Read(const cFile& file, cMemPool*)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcRumbleConfig", "version");
    { cReadBlock base(file, kBaseVersion); }
    const int32_t nTicks = rb.ReadInt();
    float values[3];
    rb.ReadFloats(values, 3);
    // Only a whole block changes the rumble.
    if (rb.Failed())
        return false;
    lifeTime = cTimeValue(nTicks);
    fStartIntensity = values[0];
    fEndIntensity = values[1];
    fFalloffDistance = values[2];
    return true;
}
