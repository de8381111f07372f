#include "cCore/cBase.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cTestObjects.h"
#include "datagen/blockWriter.h"

namespace {

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class cBaseTest : public testing::Test {
protected:
    cTestDataDir m_data;
    cMemPool m_pool{"cBaseTest", 0x10000, false};
};

const uint8_t kThingFile[] = {
    0xFB, 0xBF, 0xFB, 0xBF,  0x00, 0x00, 0x00, 0x01,   // magic, platform 1
    0xBB, 0xBB, 0xBB, 0xBB,  0x00, 0x00, 0x00, 0x6C,   // top block, end at 108
    0x00, 0x00, 0x00, 0x01,  0x00, 0x00, 0x00, 0x3C,   // version 1, type id 60
    0xBB, 0xBB, 0xBB, 0xBB,  0x00, 0x00, 0x00, 0x68,   // cTestThing block, end at 104
    0x00, 0x00, 0x00, 0x02,                            // version 2
    0xBB, 0xBB, 0xBB, 0xBB,  0x00, 0x00, 0x00, 0x5C,   // cObject block, end at 92
    0x00, 0x00, 0x00, 0x01,
    0xBB, 0xBB, 0xBB, 0xBB,  0x00, 0x00, 0x00, 0x3C,   // empty cBase block, end at 60
    0x00, 0x00, 0x00, 0x01,  0xBE, 0xBE, 0xBE, 0xBE,
    0x00, 0x00, 0x00, 0x14,                            // name: size 20
    'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0x00, 0x02, 0x03, 0xCD,                            // length 2, checksum 973
    0xBE, 0xBE, 0xBE, 0xBE,                            // cObject end at 92
    0x81, 0x02, 0x03, 0x04,                            // value
    0x78, 0x00, 0x00, 0x00,                            // flag 'x', 3 gap bytes
    0xBE, 0xBE, 0xBE, 0xBE,                            // cTestThing end at 104
    0xBE, 0xBE, 0xBE, 0xBE,                            // top end at 108
    0xFE, 0xEF, 0xFE, 0xEF,                            // trailer
};

TEST_F(cBaseTest, SaveWritesTheConsoleLayoutByteForByteAndLoadsBack)
{
    cTestThing thing;
    thing.m_name.Set("ab");
    thing.m_nValue = static_cast<int32_t>(0x81020304);
    thing.m_nFlag = 'x';
    const std::string path = m_data.HostPath("thing.dat");
    ASSERT_TRUE(datagen::WriteObjectFile(path, thing));
    const std::vector<uint8_t> bytes = ReadHostFile(path);
    ASSERT_EQ(bytes.size(), sizeof(kThingFile));
    EXPECT_EQ(bytes, std::vector<uint8_t>(std::begin(kThingFile), std::end(kThingFile)));

    cBase* p = cBase::Load(m_data.ConsolePath("THING.DAT").c_str(), &m_pool, cTestThing::GetStaticType());
    cTestThing* loaded = dcast<cTestThing>(p);
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->m_name == "ab");
    EXPECT_EQ(loaded->m_name.m_nCRC, 973);
    EXPECT_EQ(loaded->m_nValue, static_cast<int32_t>(0x81020304));
    EXPECT_EQ(loaded->m_nFlag, 'x');
    EXPECT_TRUE(m_pool.Contains(loaded));
}

TEST_F(cBaseTest, LoadRefusesIdsWithoutFactoryAndRejectedObjects)
{
    const struct { const char* name; int32_t id; uint32_t version; } rows[] = {
        {"abstract class", static_cast<int32_t>(kTestAbstractId), 1},
        {"unregistered id", 50, 1},
        {"id outside the table", 300, 1},
        {"negative id", -7, 1},
        {"object rejects its version", static_cast<int32_t>(kTestThingId), 3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header().Begin(1).Int(row.id).Begin(row.version).Word(0).End().End().Trailer();
        ASSERT_TRUE(w.Save(m_data.HostPath("bad.dat")));
        const int destroyedBefore = cTestThing::s_nDestroyed;
        EXPECT_EQ(cBase::Load("/bad.dat", &m_pool, nullptr), nullptr);
        if (row.id == static_cast<int32_t>(kTestThingId)) {
            EXPECT_EQ(cTestThing::s_nDestroyed, destroyedBefore + 1);  // the refused object is ended
        }
        cFile file;
        EXPECT_TRUE(file.Open("/bad.dat"));
    }
}

TEST_F(cBaseTest, DeeplyNestedObjectsLoadUpToTheDepthLimit)
{
    for (int depth : {300, 1100}) {
        SCOPED_TRACE(depth);
        std::vector<cTestHolder> chain(depth);
        for (int i = 0; i + 1 < depth; ++i)
            chain[i].m_pFirst = &chain[i + 1];
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("deep.dat"), chain[0]));
        cMemPool pool("deep", 0x100000, false);
        EXPECT_EQ(cBase::Load("/deep.dat", &pool, nullptr) != nullptr, depth < cFile::kMaxBlockDepth);
    }
}

}  // namespace
