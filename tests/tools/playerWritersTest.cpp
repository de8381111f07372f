// The player group writers write a group only when every slot it names is
// one the manager has: from slot 0 up to its last slot, nothing past it and
// nothing below 0 (refused before any file is made).
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "datagen/playerWriters.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"
#include "gcGameCore/creatures/gcPlayerFlying.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "tempDir.h"

namespace {

using WriteGroup = std::function<bool(const std::string& path, int beginSlot, size_t count)>;

TEST(PlayerGroupWritersTest, WriteOnlyGroupsInsideTheManager)
{
    const struct {
        const char* name;
        int nSlots;
        WriteGroup write;
    } writers[] = {
        {"biped templates", gcEntityTemplateMgr::kSlots,
         [](const std::string& p, int begin, size_t n) {
             return datagen::WritePlayerBipedTemplateGroupFile(p, begin, std::vector<datagen::PlayerBipedTemplateDesc>(n),
                                                               gcPlayerBipedTemplate::kVersion);
         }},
        {"flying templates", gcEntityTemplateMgr::kSlots,
         [](const std::string& p, int begin, size_t n) {
             return datagen::WritePlayerFlyingTemplateGroupFile(
                 p, begin, std::vector<datagen::PlayerFlyingTemplateDesc>(n), gcPlayerFlyingTemplate::kVersion);
         }},
        {"flying players", gcEntityMgr::kSlots,
         [](const std::string& p, int begin, size_t n) {
             return datagen::WritePlayerFlyingGroupFile(p, begin, std::vector<datagen::CreatureDesc>(n),
                                                        gcPlayerFlying::kVersion);
         }},
    };
    TempDir dir("qm_player_writers");
    ASSERT_TRUE(dir.Valid());
    for (const auto& w : writers) {
        const struct {
            bool bFromEnd;  // begin counts from the manager's slot count
            int begin;
            size_t count;
            bool bWritten;
        } rows[] = {
            {false, 0, 1, true}, {false, -1, 1, false}, {true, -1, 1, true}, {true, -1, 2, false}, {true, 0, 1, false},
        };
        for (const auto& r : rows) {
            const int begin = r.bFromEnd ? w.nSlots + r.begin : r.begin;
            SCOPED_TRACE(testing::Message() << w.name << " from " << begin << ", " << r.count);
            const std::string path = dir.File("group.dat");
            std::filesystem::remove(path);
            EXPECT_EQ(w.write(path, begin, r.count), r.bWritten);
            EXPECT_EQ(std::filesystem::exists(path), r.bWritten);
        }
    }
}

}  // namespace
