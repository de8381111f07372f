#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"

#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/entities/gcTemplateRead.h"

QM_DEFINE_TYPE(gcPlayerBipedTemplate, gcCreatureTemplate, 76)

gcPlayerBipedTemplate::gcPlayerBipedTemplate()
{
    fEntityValues[VAL_TURNRATE] = kTurningRate;
}

gcPlayerBipedTemplate::gcPlayerBipedTemplate(const gcPlayerBipedTemplate& other)
    : gcCreatureTemplate(other), nCollisionMask(other.nCollisionMask)
{
    // Built again in place, so that their events copy into this template's pool.
    for (int i = 0; i < MAX_ANIMATIONS; ++i) {
        std::destroy_at(&animationConfigs[i]);
        std::construct_at(&animationConfigs[i], other.animationConfigs[i]);
    }
}

cBase* gcPlayerBipedTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcPlayerBipedTemplate>(*this) : nullptr;
}

const cType* gcPlayerBipedTemplate::GetEntityType() const
{
    return gcPlayerBiped::GetStaticType();
}

void gcPlayerBipedTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreatureTemplate::Write(file);
    wb.WriteInt(MAX_ANIMATIONS);
    for (const gcAnimationConfig& c : animationConfigs)
        c.Write(file);
    wb.WriteInt(nCollisionMask);
}

bool gcPlayerBipedTemplate::ReadConfigs(const cReadBlock& rb, cMemPool* pPool, gcAnimationConfig* pOut, int nMax,
                                        const char* sClass)
{
    const int32_t nStored = rb.ReadInt();
    // Older blocks hold more configurations than the table: the surplus is
    // read over. No writer writes a negative count.
    if (nStored < 0)
        return rb.Reject(sClass, "configuration count");
    if (nStored > nMax)
        cLogWarn_("%s: configuration count %d in \"%s\" is above %d; the rest is read over", sClass, nStored,
                  rb.m_file.m_filename.m_sData, nMax);
    for (int32_t i = 0; i < nStored && !rb.Failed(); ++i) {
        gcAnimationConfig surplus;
        gcAnimationConfig& c = i < nMax ? pOut[i] : surplus;
        if (!c.Read(rb.m_file, pPool))
            return false;
    }
    return !rb.Failed();
}

bool gcPlayerBipedTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcPlayerBipedTemplate", "version");
    // Read whole before the creature and entity template parts change.
    gcAnimationConfig configs[MAX_ANIMATIONS];
    uint32_t nMask = 0;
    bool bOwnPart = false;
    auto readOwn = [&] {
        bOwnPart = true;
        if (!ReadConfigs(rb, pPool, configs, MAX_ANIMATIONS, "gcPlayerBipedTemplate"))
            return false;
        nMask = v >= kMaskVersion ? rb.ReadUInt() : 0;
        return !rb.Failed();
    };
    if (!ReadCreatureThen(file, pPool, readOwn))
        return gcTemplateRead::Fail(rb, bOwnPart, "gcPlayerBipedTemplate", "configuration block");
    for (int i = 0; i < MAX_ANIMATIONS; ++i)
        gcCreatureAttack::SwapAnimationConfig(animationConfigs[i], configs[i]);
    nCollisionMask = nMask;
    return true;
}
