// The editing-tool creators below the act: the map with its side groups,
// its regions and its streamed cinematic. Each leaves its pools and its
// owner's name table as the loads would, reads nothing, and the loads read
// their files afterwards.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "datagen/cinematicWriters.h"
#include "datagen/mapWriters.h"
#include "eEngine/eSoundData.h"
#include "creatorsTestSupport.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcStreamedCinematic.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/script/gcString.h"

namespace {

class gcMapCreatorsTest : public gcFlowTest {
protected:
    void SetUp() override
    {
        gcFlowTest::SetUp();
        std::filesystem::create_directories(GamePath("Act01/Map01/Cinematic"));
        ASSERT_TRUE(datagen::WriteActFile(GamePath("Act01/Act01.act"), datagen::ActDesc{"Act", {"Meadow"}, {}, {}}));
        datagen::MapDesc map;
        map.name = "Meadow";
        datagen::BlockWriter w;
        datagen::MapBlock(w.Header(), gcMap::kVersion, map).Trailer();
        ASSERT_TRUE(w.Save(GamePath("Act01/Map01/Map01.map")));
        ASSERT_TRUE(gcGame::LoadAct(0));
        m_pAct = gcAct::s_pAct;
    }
    void TearDown() override
    {
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        gcFlowTest::TearDown();
    }
    // Region id + 1 of map 1 with one neighbour, edge 16.
    void WriteRegion(int id, int neighbor)
    {
        datagen::RegionDesc d;
        d.name = "R" + std::to_string(id);
        d.neighbors[0] = neighbor;
        d.zone.boxMin.Set(-8, -8, -8);
        d.zone.boxMax.Set(8, 8, 8);
        d.zone.treeSize = 16;
        char name[64];
        std::snprintf(name, sizeof name, "Act01/Map01/Region%02d.rgn", id + 1);
        ASSERT_TRUE(datagen::WriteRegionFile(GamePath(name), d));
    }

    gcAct* m_pAct = nullptr;
    gcTestLogCapture m_log;  // missing side files are logged
};

// The map from CreateMap: the defaults, the id and the name, the three side
// groups in their own pools; PreCreateMap stops at the map. The load reads
// its file afterwards.
TEST_F(gcMapCreatorsTest, CreateMapMakesAnEmptyMapWithItsSideGroups)
{
    m_pAct->CreateMap(1, Name("Tower"));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    EXPECT_TRUE(InPool(pMap, gcGame::s_mapPool));
    EXPECT_TRUE(gcGame::s_mapMusicPool.HasMemory());
    EXPECT_EQ(pMap->m_nMapId, 1);
    EXPECT_STREQ(pMap->m_name.m_sData, "Tower");
    EXPECT_STREQ(m_pAct->m_mapNames[1].m_sData, "Tower");
    EXPECT_EQ(pMap->m_entities.m_nEnd, 150);
    ExpectGroup(pMap->m_pSoundData, gcGame::s_mapSoundPool, 250, 450);
    ExpectGroup(pMap->m_pVoiceOvers, gcGame::s_mapVoiceOversPool, 0, 100);
    ExpectGroup(pMap->m_pStrings, gcGame::s_mapStringsPool, 550, 800);
    EXPECT_EQ(pMap->m_pSoundData->m_nMemSize, 0);
    const size_t nBytes[] = {gcGame::s_mapPool.BytesTaken(), gcGame::s_mapSoundPool.BytesTaken(),
                             gcGame::s_mapVoiceOversPool.BytesTaken(), gcGame::s_mapStringsPool.BytesTaken()};

    // Again: the old map and its groups went, every pool was reset.
    m_pAct->CreateMap(1, Name("Tower"));
    EXPECT_EQ(gcGame::s_mapPool.BytesTaken(), nBytes[0]);
    EXPECT_EQ(gcGame::s_mapSoundPool.BytesTaken(), nBytes[1]);
    EXPECT_EQ(gcGame::s_mapVoiceOversPool.BytesTaken(), nBytes[2]);
    EXPECT_EQ(gcGame::s_mapStringsPool.BytesTaken(), nBytes[3]);

    m_pAct->PreCreateMap(0, Name("Other"));
    pMap = gcMap::s_pMap;
    ASSERT_NE(pMap, nullptr);
    EXPECT_EQ(pMap->m_nMapId, 0);
    EXPECT_STREQ(pMap->m_name.m_sData, "Other");
    EXPECT_STREQ(m_pAct->m_mapNames[0].m_sData, "Meadow");
    EXPECT_EQ(pMap->m_pSoundData, nullptr);
    EXPECT_EQ(pMap->m_pVoiceOvers, nullptr);
    EXPECT_EQ(pMap->m_pStrings, nullptr);

    m_pAct->CreateMap(32, Name("Over"));
    EXPECT_EQ(gcMap::s_pMap, pMap);
    EXPECT_EQ(pMap->m_pSoundData, nullptr);  // nothing made for the map that stayed
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcAct: map 33 refused: maps are 1 to 32"), 1);

    m_pAct->CreateMap(1, Name("Tower"));
    ASSERT_TRUE(m_pAct->LoadMap(0));
    EXPECT_STREQ(gcMap::s_pMap->m_name.m_sData, "Meadow");
    EXPECT_NE(gcMap::s_pMap->m_pStrings, nullptr);
}

// CreateRegion empties every slot and makes slot 0 current with an empty
// region; the loads fill the slots from files afterwards.
TEST_F(gcMapCreatorsTest, CreateRegionLeavesOneEmptyCurrentRegion)
{
    WriteRegion(0, 1);
    WriteRegion(1, 0);
    m_pAct->CreateMap(0, Name("Meadow"));
    gcMap* pMap = gcMap::s_pMap;
    ASSERT_TRUE(pMap->LoadRegions(0));
    ASSERT_NE(gcRegion::s_pRegions[4], nullptr);  // the neighbour

    pMap->CreateRegion(31, Name("East"));
    gcRegion* p = gcRegion::s_pRegions[0];
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(InPool(p, gcGame::s_regionPools[0]));
    EXPECT_EQ(p->m_nRegionId, 31);
    EXPECT_EQ(p->m_nRegionIndex, 0);
    EXPECT_EQ(p->m_pZone, nullptr);
    EXPECT_STREQ(p->m_name.m_sData, "");
    EXPECT_EQ(gcRegion::s_nCurrentRegion, 0);
    for (int slot = 1; slot < gcRegion::kMaxResident; ++slot)
        EXPECT_EQ(gcRegion::s_pRegions[slot], nullptr) << slot;
    EXPECT_STREQ(pMap->m_regionNames[31].m_sData, "East");
    const size_t nBytes = gcGame::s_regionPools[0].BytesTaken();
    pMap->CreateRegion(3, Name("West"));
    EXPECT_EQ(gcGame::s_regionPools[0].BytesTaken(), nBytes);
    EXPECT_EQ(gcRegion::s_pRegions[0]->m_nRegionId, 3);

    pMap->CreateRegion(32, Name("Over"));
    EXPECT_EQ(gcRegion::s_pRegions[0]->m_nRegionId, 3);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcMap: region 33 refused: regions are 1 to 32"), 1);

    // Read into the lowest empty slot (the made one stays current until the
    // read has succeeded), then the made one goes: not a neighbour.
    ASSERT_TRUE(pMap->LoadRegions(1));
    EXPECT_EQ(gcRegion::s_nCurrentRegion, 1);
    ASSERT_NE(gcRegion::s_pRegions[1], nullptr);
    EXPECT_EQ(gcRegion::s_pRegions[1]->m_nRegionId, 1);
    EXPECT_STREQ(gcRegion::s_pRegions[1]->m_name.m_sData, "R1");
    EXPECT_EQ(gcRegion::s_pRegions[0], nullptr);
    ASSERT_NE(gcRegion::s_pRegions[4], nullptr);
    EXPECT_EQ(gcRegion::s_pRegions[4]->m_nRegionId, 0);
}

// The streamed cinematic with its voice-overs, or alone; the load reads a
// file over it afterwards.
TEST_F(gcMapCreatorsTest, CreateStreamedCinematicMakesItAndItsVoiceOvers)
{
    m_pAct->CreateMap(0, Name("Meadow"));
    gcMap* pMap = gcMap::s_pMap;
    pMap->CreateStreamedCinematic(99, Name("Dawn"));
    gcStreamedCinematic* p = gcStreamedCinematic::s_pStreamedCinematic;
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(InPool(p, gcGame::s_mapCinematicPool));
    EXPECT_EQ(p->m_nCinematicId, 99);
    EXPECT_STREQ(p->m_name.m_sData, "Dawn");
    EXPECT_EQ(p->m_animations.m_nBegin, 800);
    EXPECT_STREQ(pMap->m_streamedCinematicNames[99].m_sData, "Dawn");
    ExpectGroup(p->m_pVoiceOvers, gcGame::s_mapCinematicVOPool, 100, 200);
    EXPECT_EQ(p->m_pVoiceOvers->m_nMemSize, 0);
    const size_t nBytes[] = {gcGame::s_mapCinematicPool.BytesTaken(), gcGame::s_mapCinematicVOPool.BytesTaken()};
    p->CreateVoiceOvers();
    EXPECT_EQ(gcGame::s_mapCinematicVOPool.BytesTaken(), nBytes[1]);

    pMap->PreCreateStreamedCinematic(1, Name("Dusk"));
    p = gcStreamedCinematic::s_pStreamedCinematic;
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(gcGame::s_mapCinematicPool.BytesTaken(), nBytes[0]);
    EXPECT_EQ(p->m_nCinematicId, 1);
    EXPECT_STREQ(p->m_name.m_sData, "Dusk");
    EXPECT_EQ(p->m_pVoiceOvers, nullptr);
    EXPECT_STREQ(pMap->m_streamedCinematicNames[1].m_sData, "");

    pMap->CreateStreamedCinematic(100, Name("Over"));
    EXPECT_EQ(gcStreamedCinematic::s_pStreamedCinematic, p);
    EXPECT_EQ(p->m_pVoiceOvers, nullptr);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "gcMap: streamed cinematic 101 refused: streamed cinematics are 1 to 100"), 1);

    cMemPool build("gcMapCreatorsTest", 0x10000, false);
    ASSERT_TRUE(datagen::WriteStreamedCinematicFile(GamePath("Act01/Map01/Cinematic/Cinematic01.cin"), &build,
                                                    [](gcStreamedCinematic&) {}));
    ASSERT_TRUE(gcStreamedCinematic::Load(0));
    ASSERT_NE(gcStreamedCinematic::s_pStreamedCinematic, nullptr);
    EXPECT_EQ(gcStreamedCinematic::s_pStreamedCinematic->m_nCinematicId, 0);
    EXPECT_NE(gcStreamedCinematic::s_pStreamedCinematic->m_pVoiceOvers, nullptr);
    EXPECT_EQ(m_log.Count(LOGTYPE_ERROR, "no room"), 0);
}

}  // namespace
