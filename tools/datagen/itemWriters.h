#pragma once
// Writers for item data: item-template blocks of versions 1 to 6 with their
// stat modifiers, the item block, and the item-template group, written field
// by field. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"

namespace datagen {

struct ItemStatModifierDesc {
    int32_t type = 0;        // 0 none, 1 while owned, 2 while equipped
    int32_t entityType = 0;  // 0 an entity stat, 1 a creature stat
    uint32_t stat = 0;
    float value = 0.0f;
    uint32_t version = 1;    // the modifier's own block; other versions are refused
};

// A template block's fields; each version writes those it holds.
struct ItemTemplateDesc {
    std::string name = "item";
    uint32_t effects[3] = {};          // effect template handles
    std::string nodes[3];              // attach node names
    uint16_t flags = 0;                // 0x1 stackable
    int32_t maxCount = 0;
    ItemStatModifierDesc modifiers[4];  // version 2 on, with the skin change
    int32_t changeSkin = -1;
    int32_t changeSkinSlot = 0;
    uint32_t categoryMask = 0;         // version 3 on, with the view angles
    float viewHPR[3] = {};             // roll from version 6
    float visRadius = 0.0f;            // version 5 on
};

BlockWriter& ItemTemplateBlock(BlockWriter& w, const ItemTemplateDesc& desc, uint32_t version);
// An item: the game-object block of the name.
BlockWriter& ItemBlock(BlockWriter& w, const std::string& name, uint32_t version);

// The group over slots beginSlot.. (check 0x100 + slot) as a data file.
bool WriteItemTemplateGroupFile(const std::string& path, int beginSlot, const std::vector<ItemTemplateDesc>& templates,
                                uint32_t version);

}  // namespace datagen
