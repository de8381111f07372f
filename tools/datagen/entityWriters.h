#pragma once
// Writers for the game entities' data: entity and entity-template blocks of
// any version the loaders read, their groups, game surfaces and animation
// configurations, written field by field (entities and templates are
// abstract: the concrete class's type id is the caller's). Events are
// written with the actions the caller's function adds, or empty. Offline
// tools and test fixtures; main thread.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"

namespace datagen {

// Writes the action members of event number index of a block (polymorphic
// members: type id, then the action's block); the -1 that ends the list is
// written afterwards.
using EventActionsFunc = std::function<void(BlockWriter& w, int index)>;

// An entity block's fields. Counts are written as given, so damaged counts
// can be written too; the arrays hold as many elements.
struct EntityDesc {
    std::string name = "entity";
    uint32_t hTemplate = 0;
    int16_t regionId = -1;
    int16_t skin = 0;
    uint32_t neighbors[2] = {0, 0};
    int32_t pathCount = 2;              // version 14 on
    std::vector<uint32_t> paths = {0, 0};  // versions 11-13 write paths[0] only
    bool active = false;
    bool invulnerable = false;          // version 10 on
    bool keptAfterDeath = false;        // version 19 on
    float placement[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};  // origin, right, forward, up
    uint32_t activationMask = 0;        // version 6 on
    int16_t mode = 1;                   // version 7 on
    int16_t initialState = 31;          // version 15 on
    int32_t statModCount = 4;           // version 16 on
    std::vector<float> statMods = {1, 1, 1, 1};
    // Event indices: 0 OnInteract, 1 CanInteract, 2 OnInitialUpdate, 3 OnFaded, 4 OnDeath.
    EventActionsFunc actions;
    int damagedEvent = -1;  // this event's block gets version 2, which events refuse
};

// A template block's fields; the same rules.
struct EntityTemplateDesc {
    std::string name = "template";
    uint32_t flags = 1;                  // version 19 on
    uint32_t hMesh = 0;
    int32_t materialCount = 0;
    std::vector<uint32_t> materials;     // skin-major: 4 x materialCount
    int32_t surfaceCount = 0;
    std::vector<uint32_t> surfaces;
    uint32_t surfaceCollisionMask = 0;   // version 16 on, with size
    int32_t size = 0;
    uint32_t attachItemMask = 0xFFFFFFFF;  // version 20 on
    bool shadow = false;                 // a shadow configuration, else none
    uint32_t shadowBlendMaterial = 0;
    bool bothSweeps = false;             // versions 15-18
    int32_t statCount = 4;               // version 10 on
    std::vector<float> stats = {100, 0, 1, 1};
    int32_t valueCount = 4;
    std::vector<float> values = {45, 0.85f, 15, 1};
    int32_t team = -1;
    uint32_t hStateMachine = 0;          // version 18 on
    // Event indices: 0 OnUpdate, 1 OnInteract, 2 CanInteract, 3 the unused
    // event of version 11, 4 OnDamageTaken, 5 OnInitialUpdate, 6 OnDeath.
    EventActionsFunc actions;
    int damagedEvent = -1;
};

// One block of the version, as the engine's readers expect it (the newest
// is 19 for entities, 20 for templates).
void EntityBlock(BlockWriter& w, const EntityDesc& desc, uint32_t version);
void EntityTemplateBlock(BlockWriter& w, const EntityTemplateDesc& desc, uint32_t version);

// A group file (type groupTypeId) over slots beginSlot.. with one record per
// desc: check 0x100 + slot, the record's type id, then what block writes for
// the version. Shared by the entity, template and effect group writers.
template <class Desc, class Block>
bool SaveRecordGroup(const std::string& path, uint32_t groupTypeId, int beginSlot, uint32_t typeId,
                     const std::vector<Desc>& descs, uint32_t version, Block block)
{
    BlockWriter w;
    w.Header().Begin(1).Word(groupTypeId);  // the top-level object
    w.Begin(2).Begin(1).End();              // the group over its base block
    w.Int(beginSlot).Int(beginSlot + static_cast<int32_t>(descs.size()));
    for (size_t i = 0; i < descs.size(); ++i) {
        w.Half(static_cast<uint16_t>(0x100 + beginSlot + static_cast<int>(i))).Word(typeId);
        block(w, descs[i], version);
    }
    w.End().End().Trailer();
    return w.Save(path);
}

// A group over slots beginSlot.. with one record per desc (check 0x100 +
// slot), each object of the given type id, as a data file at a host path.
bool WriteEntityGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                          const std::vector<EntityDesc>& entities, uint32_t version);
bool WriteEntityTemplateGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                                  const std::vector<EntityTemplateDesc>& templates, uint32_t version);

struct SurfaceDesc {
    std::string name = "surface";
    uint32_t collisionMask = 1;
    float friction = 1.0f;
    uint32_t flags = 0;
    uint32_t color = 0xFFA0A0A0;
    float armorMod = 0.0f;
    uint32_t effects[15] = {};  // size-major; version 3 on
    EventActionsFunc actions;   // 0 OnAttacked, 1 OnTouched
    int damagedEvent = -1;
};
void SurfaceBlock(BlockWriter& w, const SurfaceDesc& desc, uint32_t version);

struct AnimationConfigDesc {
    uint32_t hAnimation = 0;     // every version
    uint32_t hSounds[2] = {0, 0};  // version 3 writes the first, 4 both
    uint32_t flags = 0;          // version 2 on
    EventActionsFunc actions;    // 0 OnStarted, 1 OnStopped, 2 OnUpdated, 3 OnCompleted
    int damagedEvent = -1;
};
void AnimationConfigBlock(BlockWriter& w, const AnimationConfigDesc& desc, uint32_t version);

}  // namespace datagen
