#pragma once
// Writers for the creatures' data: attack, creature template, non-player
// character template and creature blocks of any version the loaders read,
// and the template and creature groups, written field by field (the
// creature template and the creature are abstract: the concrete class's
// type id is the caller's). Counts are written as given, so damaged counts
// can be written too. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"

namespace datagen {

struct CreatureAttackDesc {
    std::string name = "attack";
    AnimationConfigDesc config;
    uint32_t configVersion = 4;
    int32_t damageStart = 0;  // ticks
    int32_t damageStop = 600;
    float damage = 0.0f;
    uint32_t collisionMask = 0;
    uint32_t flags = 0;
    std::string helpers[2];
    float radii[2] = {0.25f, 0.25f};
    EventActionsFunc actions;  // 0 OnAttackHit (version 5 on), 1 CalcDuration (6 on)
    int damagedEvent = -1;
    uint32_t hitEffect = 0;  // version 7 on, with the blocked effect
    uint32_t blockedEffect = 0;
};
// The newest is 7.
void CreatureAttackBlock(BlockWriter& w, const CreatureAttackDesc& desc, uint32_t version);

struct CreatureTemplateDesc {
    EntityTemplateDesc base;
    uint32_t baseVersion = 20;
    int32_t attackCount = 32;
    // Slot i holds attacks[i] when present, else -1 (also past the vector).
    std::vector<std::optional<CreatureAttackDesc>> attacks;
    uint32_t attackVersion = 7;
    int32_t statCount = 9;  // version 5 on, with the values
    std::vector<float> stats = {0, 0, 0, 1, 1, 1, 1, 100, 1};
    int32_t valueCount = 10;
    std::vector<float> values = {0, 0.8f, 2.5f, 1, 0.5f, 1, 1, 0, 0, -1};  // versions 2-4 write values[9] alone
    EventActionsFunc actions;  // 0 OnTargetAcquired, 1 OnTargetLost (4 on), 2 CalcDamage (5 on), 3 OnEnraged (7 on)
    int damagedEvent = -1;
    uint32_t hitEffect = 0;  // version 8 on, with the blocked effect
    uint32_t blockedEffect = 0;
};
// The newest is 8.
void CreatureTemplateBlock(BlockWriter& w, const CreatureTemplateDesc& desc, uint32_t version);

struct NPCTemplateDesc {
    CreatureTemplateDesc creature;
    uint32_t creatureVersion = 8;
    int32_t configCount = 33;
    std::vector<AnimationConfigDesc> configs;  // default ones for the rest of the count
    EventActionsFunc actions;                  // 0 OnHitBoundary (4 on), 1 OnHitNeighbor (5 on)
    int damagedEvent = -1;
};
// The newest is 5.
void NPCTemplateBlock(BlockWriter& w, const NPCTemplateDesc& desc, uint32_t version);

struct CreatureDesc {
    EntityDesc entity;
    uint32_t entityVersion = 19;
    int32_t modCount = 9;  // version 2 on
    std::vector<float> mods = {1, 1, 1, 1, 1, 1, 1, 1, 10};
};
// The newest is 2.
void CreatureBlock(BlockWriter& w, const CreatureDesc& desc, uint32_t version);

// Template groups (gcEntityTemplateGroup) and creature groups
// (gcEntityGroup) over slots beginSlot.., as data files at a host path.
bool WriteCreatureTemplateGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                                    const std::vector<CreatureTemplateDesc>& templates, uint32_t version);
bool WriteNPCTemplateGroupFile(const std::string& path, int beginSlot, const std::vector<NPCTemplateDesc>& templates,
                               uint32_t version);
bool WriteCreatureGroupFile(const std::string& path, int beginSlot, uint32_t typeId,
                            const std::vector<CreatureDesc>& creatures, uint32_t version);

}  // namespace datagen
