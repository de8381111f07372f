#include "datagen/npcWriters.h"

#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/entities/gcEntity.h"

namespace datagen {

void NPCBlock(BlockWriter& w, const NPCDesc& d, uint32_t v)
{
    w.Begin(v);
    CreatureBlock(w, d.creature, d.creatureVersion);
    if (v == gcNPC::kBoundaryVersion)
        w.Word(d.boundary);
    w.End();
}

bool WriteNPCGroupFile(const std::string& path, int beginSlot, const std::vector<NPCDesc>& npcs, uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(npcs.size()) > gcEntityMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcNPC::GetStaticType()->m_nTypeId, npcs, version, &NPCBlock);
}

}  // namespace datagen
