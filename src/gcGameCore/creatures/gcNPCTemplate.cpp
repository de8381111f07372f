#include "gcGameCore/creatures/gcNPCTemplate.h"

#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcTemplateRead.h"

QM_DEFINE_TYPE(gcNPCTemplate, gcCreatureTemplate, 130)

gcNPCTemplate::gcNPCTemplate()
    : onHitBoundary("OnHitBoundary", m_name.m_sData), onHitNeighbor("OnHitNeighbor", m_name.m_sData)
{
}

gcNPCTemplate::gcNPCTemplate(const gcNPCTemplate& other)
    : gcCreatureTemplate(other),
      onHitBoundary(other.onHitBoundary, m_name.m_sData),
      onHitNeighbor(other.onHitNeighbor, m_name.m_sData)
{
    // Built again in place, so that their events copy into this template's pool.
    for (int i = 0; i < MAX_ANIMATIONS; ++i) {
        std::destroy_at(&animationConfigs[i]);
        std::construct_at(&animationConfigs[i], other.animationConfigs[i]);
    }
}

cBase* gcNPCTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcNPCTemplate>(*this) : nullptr;
}

const cType* gcNPCTemplate::GetEntityType() const
{
    return cType::Find(kNPCTypeId);
}

void gcNPCTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreatureTemplate::Write(file);
    wb.WriteInt(MAX_ANIMATIONS);
    for (const gcAnimationConfig& c : animationConfigs)
        c.Write(file);
    onHitBoundary.Write(file);
    onHitNeighbor.Write(file);
}

namespace {

// The configurations and events Read takes, committed when the block is whole.
struct NPCData {
    gcAnimationConfig configs[gcNPCTemplate::MAX_ANIMATIONS];
    gcEvent hitBoundary, hitNeighbor;
};

// Configurations beyond the table are read into a scratch one and dropped.
bool ReadConfigs(const cReadBlock& rb, cMemPool* pPool, NPCData* d)
{
    const int32_t nStored = rb.ReadInt();
    // Older blocks hold more configurations than the table: the surplus is
    // read over. No writer writes a negative count.
    if (nStored < 0)
        return rb.Reject("gcNPCTemplate", "configuration count");
    if (nStored > gcNPCTemplate::MAX_ANIMATIONS)
        cLogWarn_("gcNPCTemplate: configuration count %d in \"%s\" is above %d; the rest is read over", nStored,
                  rb.m_file.m_filename.m_sData, gcNPCTemplate::MAX_ANIMATIONS);
    for (int32_t i = 0; i < nStored && !rb.Failed(); ++i) {
        gcAnimationConfig surplus;
        gcAnimationConfig& c = i < gcNPCTemplate::MAX_ANIMATIONS ? d->configs[i] : surplus;
        if (!c.Read(rb.m_file, pPool))
            return false;
    }
    return !rb.Failed();
}

}  // namespace

bool gcNPCTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcNPCTemplate", "version");
    // The configurations and events are read before the creature and
    // entity template parts change: a block that fails in them leaves the
    // team, name and all as they were.
    NPCData d;
    bool bOwnPart = false;
    auto readOwn = [&] {
        bOwnPart = true;
        return ReadConfigs(rb, pPool, &d) && (v < 4 || d.hitBoundary.Read(file, pPool)) &&
               (v < 5 || d.hitNeighbor.Read(file, pPool)) && !rb.Failed();
    };
    if (!ReadCreatureThen(file, pPool, readOwn))
        return gcTemplateRead::Fail(rb, bOwnPart, "gcNPCTemplate", "configuration or event block");
    for (int i = 0; i < MAX_ANIMATIONS; ++i)
        gcCreatureAttack::SwapAnimationConfig(animationConfigs[i], d.configs[i]);
    std::swap(onHitBoundary.pAction, d.hitBoundary.pAction);
    std::swap(onHitNeighbor.pAction, d.hitNeighbor.pAction);
    return true;
}
