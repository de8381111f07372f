#pragma once
// What the game state and the map need of group classes built on their own
// (item and effect templates, region triggers, cinematics, voice-overs):
// their groups are made through the type registry under their fixed file
// ids, so whichever group class is registered reads and writes the block.
// After every read the pooled instances of both kinds of template are
// reset, so that each load hands out fresh items and effects. Main thread,
// or a loader thread filling its own pool.

#include <cstdint>

class cFile;
class cGroup;
class cMemPool;

class gcEntitySeam {
public:
    // Group type ids as data files store them.
    static constexpr uint32_t kItemTemplateGroupId = 99;
    static constexpr uint32_t kEffectTemplateGroupId = 113;

    // The registered group class of the id, made in the pool with the
    // default slot range and owning what it reads; null when this build has
    // no such class (or it is not a group) or the pool is full.
    static cGroup* NewGroup(uint32_t nTypeId, cMemPool* pPool, int32_t begin, int32_t end);
    // Reads a group block, the file's range replacing the default. False
    // when the block is refused or damaged, or when there is no group (its
    // pool had no room); the error names sWhat.
    static bool ReadGroup(cGroup* pGroup, const char* sWhat, const cFile& file, cMemPool* pPool);
    // Writes the group's block; without a group (its pool had no room) an
    // empty one at begin, so that the file stays readable.
    static void WriteGroup(const cGroup* pGroup, int32_t begin, const cFile& file);

    // Re-initialises the pooled instances of every item template in the
    // item group's range, then of every effect template in the effect
    // group's range.
    static void ResetTemplateInstances(const cGroup* pItemTemplates, const cGroup* pEffectTemplates);
};
