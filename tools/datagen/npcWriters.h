#pragma once
// Writers for non-player characters: the NPC block of any version the
// loader reads (version 2 with its stored boundary handle) and groups of
// NPCs placed in a map, written field by field. Offline tools and test
// fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/creatureWriters.h"

namespace datagen {

struct NPCDesc {
    CreatureDesc creature;
    uint32_t creatureVersion = 2;
    uint32_t boundary = 0;  // the handle a version-2 block stores (and the loader drops)
};
// The newest is 3.
void NPCBlock(BlockWriter& w, const NPCDesc& desc, uint32_t version);

// An entity group (gcEntityGroup) of NPCs over slots beginSlot.., as a data
// file at a host path.
bool WriteNPCGroupFile(const std::string& path, int beginSlot, const std::vector<NPCDesc>& npcs, uint32_t version);

}  // namespace datagen
