// Damaged files kept from fuzzing runs, replayed through the game's own
// loads: each must fail or load cleanly and leave no debris in the global
// tables (the sanitizer build reports what a plain build cannot see).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "cCore/cMemPool.h"
#include "datagen/sampleWriters.h"
#include "eEngine/eTextureConfig.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/flow/gcMainMenu.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"

namespace {

class gcDamagedFilesTest : public gcFlowTest {
protected:
    void TearDown() override
    {
        if (gcMainMenu::s_pMainMenu)
            std::destroy_at(gcMainMenu::s_pMainMenu);
        gcFlowTest::TearDown();
    }
    // A kept damaged file copied over a file of the data directory.
    void Replay(const char* kept, const std::string& to)
    {
        std::filesystem::create_directories(std::filesystem::path(to).parent_path());
        std::filesystem::copy_file(std::string(QM_TEST_DATA_DIR "/damaged/") + kept, to,
                                   std::filesystem::copy_options::overwrite_existing);
    }
    static std::vector<eTextureConfig*> TextureConfigSlots()
    {
        return {std::begin(eTextureConfigMgr::s_pInstances), std::end(eTextureConfigMgr::s_pInstances)};
    }

    gcTestLogCapture m_quiet;  // the damaged files are logged
};

// A menu whose widget cell names the game configuration's class: the cell is
// skipped unbuilt, so no texture configuration is registered by it, and the
// configuration and region read after it work on intact tables.
TEST_F(gcDamagedFilesTest, AForeignClassInAWidgetCellRegistersNothing)
{
    ASSERT_TRUE(datagen::WriteSampleFlowFiles(m_dir.HostPath("")));
    ASSERT_TRUE(gcGameConfig::Load());
    const std::vector<eTextureConfig*> before = TextureConfigSlots();

    Replay("MainMenu.mnu", GamePath("MainMenu.mnu"));
    EXPECT_FALSE(gcMainMenu::Load());
    EXPECT_EQ(TextureConfigSlots(), before);
    EXPECT_EQ(m_quiet.Count(LOGTYPE_ERROR, "drops a cell object of type gcGameConfig"), 1);

    {
        gcMap map;
        map.m_nMapId = 0;
        cStr name;
        gcRegion::GetFilename(-1, 0, 0, &name);
        Replay("Region01.rgn", m_dir.HostPath(name.m_sData));
        map.LoadRegion(0, 0);  // read whole or refused; either way nothing freed is touched
    }
    EXPECT_EQ(TextureConfigSlots(), before);

    Replay("GameConfig.gc", GamePath("GameConfig.gc"));
    gcGameConfig::Unload();
    EXPECT_FALSE(gcGameConfig::Load());
    gcGameConfig::Unload();
}

// A map whose entity range spans most of the integer range: it fails to load
// and is destroyed by visiting only the entity table's slots.
TEST_F(gcDamagedFilesTest, AHugeEntityRangeIsWalkedOnlyOverTheTable)
{
    Replay("HugeEntityRange.map", m_dir.HostPath("map.bin"));
    cMemPool pool("gcDamagedFilesTest", 0x100000, false);
    EXPECT_EQ(cBase::Load("/map.bin", &pool, gcMap::GetStaticType()), nullptr);

    gcMap map;
    for (const auto& [begin, end, first, last] :
         {std::array<int32_t, 4>{INT_MIN, INT_MAX, 0, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{-5, 3, 0, 3},
          std::array<int32_t, 4>{140, 200, 140, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{INT_MAX - 1, INT_MAX, INT_MAX - 1, gcEntityMgr::kSlots},
          std::array<int32_t, 4>{-9, INT_MIN, 0, 0}}) {
        map.m_entities.m_nBegin = begin;
        map.m_entities.m_nEnd = end;
        EXPECT_EQ(map.m_entities.FirstTableSlot(), first) << begin << ".." << end;
        EXPECT_EQ(map.m_entities.EndTableSlot(), last) << begin << ".." << end;
    }
    map.m_entities.m_nBegin = map.m_entities.m_nEnd = -1;
}

}  // namespace
