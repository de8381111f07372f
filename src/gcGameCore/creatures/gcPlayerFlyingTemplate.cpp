#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/entities/gcTemplateRead.h"

QM_DEFINE_TYPE(gcPlayerFlyingTemplate, gcCreatureTemplate, 141)

gcPlayerFlyingTemplate::gcPlayerFlyingTemplate()
{
    for (cTimeValue& t : timesToShift)
        t = cTimeValue(kDefaultShiftTicks);
}

gcPlayerFlyingTemplate::gcPlayerFlyingTemplate(const gcPlayerFlyingTemplate& other)
    : gcCreatureTemplate(other), nCollisionMask(other.nCollisionMask)
{
    for (int i = 0; i < MAX_ANIMATIONS; ++i) {
        std::destroy_at(&animationConfigs[i]);
        std::construct_at(&animationConfigs[i], other.animationConfigs[i]);
    }
    for (int i = 0; i < kNumShiftTimes; ++i)
        timesToShift[i] = other.timesToShift[i];
}

cBase* gcPlayerFlyingTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcPlayerFlyingTemplate>(*this) : nullptr;
}

const cType* gcPlayerFlyingTemplate::GetEntityType() const
{
    return cType::Find(kFlyingTypeId);
}

void gcPlayerFlyingTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreatureTemplate::Write(file);
    wb.WriteInt(MAX_ANIMATIONS);
    for (const gcAnimationConfig& c : animationConfigs)
        c.Write(file);
    // The count stored is one more than the times that follow.
    wb.WriteInt(kNumShiftTimes + 1);
    for (const cTimeValue& t : timesToShift)
        wb.WriteInt(t.m_nTicks);
    wb.WriteInt(nCollisionMask);
}

namespace {

// The c - 1 times after the stored count c; those beyond the array (older
// blocks hold more) are read over. A count below 1 and a negative time are
// never written: damage (the flyer subtracts its tick from a shift time,
// which must not overflow).
bool ReadShiftTimes(const cReadBlock& rb, cTimeValue* pOut)
{
    // Widened first: the smallest stored count less one would overflow.
    const int64_t nStored = static_cast<int64_t>(rb.ReadInt()) - 1;
    if (nStored < 0)
        return rb.Reject("gcPlayerFlyingTemplate", "shift time count");
    if (nStored > gcPlayerFlyingTemplate::kNumShiftTimes)
        cLogWarn_("gcPlayerFlyingTemplate: %lld shift times in \"%s\"; the rest is read over",
                  static_cast<long long>(nStored), rb.m_file.m_filename.m_sData);
    for (int64_t i = 0; i < nStored && !rb.Failed(); ++i) {
        const int32_t nTicks = rb.ReadInt();
        if (i >= gcPlayerFlyingTemplate::kNumShiftTimes)
            continue;
        if (nTicks < 0)
            return rb.Reject("gcPlayerFlyingTemplate", "shift time");
        pOut[i] = cTimeValue(nTicks);
    }
    return !rb.Failed();
}

}  // namespace

bool gcPlayerFlyingTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kVersion)
        return rb.Reject("gcPlayerFlyingTemplate", "version");
    // Read whole before the creature and entity template parts change.
    gcAnimationConfig configs[MAX_ANIMATIONS];
    cTimeValue times[kNumShiftTimes];
    for (int i = 0; i < kNumShiftTimes; ++i)
        times[i] = timesToShift[i];
    uint32_t nMask = 0;
    bool bOwnPart = false;
    auto readOwn = [&] {
        bOwnPart = true;
        if (!gcPlayerBipedTemplate::ReadConfigs(rb, pPool, configs, MAX_ANIMATIONS, "gcPlayerFlyingTemplate") ||
            !ReadShiftTimes(rb, times))
            return false;
        nMask = rb.ReadUInt();
        return !rb.Failed();
    };
    // The shift times and mask fail only with the block: a refusal of the
    // own part is one of the configurations.
    if (!ReadCreatureThen(file, pPool, readOwn))
        return gcTemplateRead::Fail(rb, bOwnPart, "gcPlayerFlyingTemplate", "configuration block");
    for (int i = 0; i < MAX_ANIMATIONS; ++i)
        gcCreatureAttack::SwapAnimationConfig(animationConfigs[i], configs[i]);
    for (int i = 0; i < kNumShiftTimes; ++i)
        timesToShift[i] = times[i];
    nCollisionMask = nMask;
    return true;
}
