#include "gcGameCore/entities/gcDeviceTemplate.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcTemplateRead.h"

QM_DEFINE_TYPE(gcDeviceTemplate, gcEntityTemplate, 219)

gcDeviceTemplate::gcDeviceTemplate()
{
    team = TEAM_NEUTRAL;
    nEntityTemplateFlags &= ~kTargetable;
}

gcDeviceTemplate::gcDeviceTemplate(const gcDeviceTemplate& other) : gcEntityTemplate(other) {}

cBase* gcDeviceTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDeviceTemplate>(*this) : nullptr;
}

const cType* gcDeviceTemplate::GetEntityType() const
{
    return gcDevice::GetStaticType();
}

void gcDeviceTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcEntityTemplate::Write(file);
    wb.WriteInt(kNumAnimations);
    for (const gcAnimationConfig& c : animationConfigs)
        c.Write(file);
}

namespace {

// The stored configurations into the table; those beyond it are read into a
// scratch one and dropped, so that the block is still read whole.
bool ReadConfigs(const cReadBlock& rb, cMemPool* pPool, gcAnimationConfig* pConfigs)
{
    constexpr int kMax = gcDeviceTemplate::kNumAnimations;
    const int32_t nStored = rb.ReadInt();
    // A block holding more configurations than the table has its surplus
    // read over. No writer writes a negative count.
    if (nStored < 0)
        return rb.Reject("gcDeviceTemplate", "configuration count");
    if (nStored > kMax)
        cLogWarn_("gcDeviceTemplate: configuration count %d in \"%s\" is above %d; the rest is read over", nStored,
                  rb.m_file.m_filename.m_sData, kMax);
    for (int32_t i = 0; i < nStored && !rb.Failed(); ++i) {
        gcAnimationConfig surplus;
        gcAnimationConfig& c = i < kMax ? pConfigs[i] : surplus;
        if (!c.Read(rb.m_file, pPool))
            return false;
    }
    return !rb.Failed();
}

}  // namespace

bool gcDeviceTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.Failed())
        return false;
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcDeviceTemplate", "version");
    // The configurations are read before the entity template part changes:
    // a block that fails in them leaves the team, name and all as they were.
    gcAnimationConfig configs[kNumAnimations];
    bool bEntityPart = false;
    auto readConfigs = [&] {
        bEntityPart = true;
        return ReadConfigs(rb, pPool, configs);
    };
    if (!ReadThen(file, pPool, readConfigs))
        return gcTemplateRead::Fail(rb, bEntityPart, "gcDeviceTemplate", "configuration block");
    for (int i = 0; i < kNumAnimations; ++i)
        gcCreatureAttack::SwapAnimationConfig(animationConfigs[i], configs[i]);
    return true;
}
