#pragma once
// The fixture of the entity tests: a pool and a data directory, the world
// seam answered from a table of resident regions, a log of trigger events
// and attached-effect messages, and the managers emptied after each test.

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"
#include "datagen/particleWriters.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "eEngine/eSound.h"
#include "eEngine/eVolume.h"
#include "eEngine/eZone.h"
#include "eEngine/worldTestSupport.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "entityTestTypes.h"

// A region path through the points in the pool, its frame the region's.
class gcRegionPath;
gcRegionPath* NewRegionPath(cMemPool* pPool, int16_t regionId, const std::vector<datagen::PathPointDesc>& points);

// Writes a test step recording tag as an action member of an event block.
void RecordStepMember(datagen::BlockWriter& w, int32_t tag);

class EntityTest : public testing::Test {
protected:
    static constexpr int kTemplateSlot = 3;
    void SetUp() override;
    void TearDown() override;

    // A test template in kTemplateSlot; an entity of it with the given skin.
    gcTestEntityTemplate* PlaceTemplate();
    gcTestEntity* NewEntity(const gcEntityTemplate* pTemplate);
    // Writes the block to a file and reads it into pObject as a loader does.
    bool ReadBlock(const std::function<void(datagen::BlockWriter&)>& block, cBase* pObject);
    // Every length of the file fails to load and leaves the check true.
    void ExpectCutsFail(const std::vector<uint8_t>& bytes, const cType* pType);

    cMemPool m_pool{"entityTest", 0x100000, false};
    gcTestBuilder b{m_pool};
    eTestDataDir m_data;
    std::vector<gcEntity*> m_entities;  // destroyed in TearDown
    static int s_regionIds[gcEntityWorld::kMaxRegions];  // -1: empty slot
    static bool s_bMap;
    static float s_lightHeading, s_lightPitch;

private:
    gcEntityWorld::Funcs m_oldFuncs{};
};

// Region 1 resident in slot 0 with zone A at the world origin, region 2 in
// slot 1 with zone B 100 units along +x; cubes of edge 100 with every tree.
// Sounds are filed in the zones' sound trees.
class EntityWorldTest : public EntityTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // A sphere volume of radius 5 at a point of a zone; its owner stands in
    // for the region trigger.
    eVolume* PlaceVolume(eZone* pZone, const mVec3& at);
    // An entity of the template, reset, placed at a point of region 1.
    gcTestEntity* PlacedEntity(gcEntityTemplate* pTemplate, const mVec3& at);

    eZone m_a;
    eZone m_b;
    cBase m_triggerA, m_triggerB;  // volume owners

private:
    eSound::ZoneFiling m_oldFiling{};
};
