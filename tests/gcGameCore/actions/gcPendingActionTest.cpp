#include "gcGameCore/actions/gcPendingAction.h"

#include <gtest/gtest.h>

#include <string>

#include "actionTestSupport.h"

namespace {

// Every action class with the id data files store for it. The creature
// actions (120, 123, 125, 187) register with their own classes.
TEST(gcPendingAction, EveryActionClassIsRegisteredUnderItsIdAndName)
{
    const struct {
        const char* name;
        int32_t id;
    } rows[] = {
        {"gcDoCameraMovement", 90}, {"gcDoCameraLookAt", 91}, {"gcDoCameraEffect", 92}, {"gcDoCameraParams", 93},
        {"gcDoEffectActivate", 135}, {"gcDoEffectSpawn", 137}, {"gcDoEffectSetAttractor", 180},
        {"gcDoEffectFadeOut", 224}, {"gcDoEntityFace", 121}, {"gcDoEntityMoveTo", 122}, {"gcDoEntityActivate", 126},
        {"gcDoEntityAnimation", 190}, {"gcDoEntityMakeLeader", 222}, {"gcDoEntityChangeState", 247},
        {"gcDoEntityDamage", 223}, {"gcDoEntityGiveItem", 101}, {"gcDoEntityTakeItem", 117},
        {"gcDoEntityCombineItem", 118}, {"gcDoEntityEquipItem", 128}, {"gcDoDeviceAction", 256},
        {"gcDoConsoleOp", 259}, {"gcDoEvaluation", 86}, {"gcDoSetValue", 127}, {"gcDoFunction", 148},
        {"gcDoReturn", 178}, {"gcDoLog", 192}, {"gcDoEntitySetTeam", 170}, {"gcDoEntitySurfaceEffect", 235},
        {"gcDoEntityPlaySound", 242}, {"gcDoEntitySendMessage", 255}, {"gcDoEntitySetActivationMask", 257},
        {"gcDoLoadMap", 107}, {"gcDoRegionLoad", 226}, {"gcDoPlaySound", 77}, {"gcDoPlayMusic", 175},
        {"gcDoPlayCinematic", 208}, {"gcDoPlayVoiceOver", 228}, {"gcDoPlayMovie", 260}, {"gcDoPauseGame", 153},
        {"gcDoMemCardOp", 168}, {"gcDoSaveGameOp", 210}, {"gcDoSetLanguage", 214}, {"gcDoTriggerActivate", 136},
        {"gcDoFogSet", 182}, {"gcDoTimerActivate", 199}, {"gcDoLighting", 241}, {"gcDoSkySet", 254},
        {"gcDoUIFocus", 155}, {"gcDoUIShow", 157}, {"gcDoUISetText", 158}, {"gcDoUISetFont", 159},
        {"gcDoUISetSprite", 160}, {"gcDoUIShowDialog", 174}, {"gcDoUISetItem", 232}, {"gcDoUIItemListSelect", 239},
        {"gcDoUIListScroll", 240},
    };
    cMemPool pool{"gcPendingActionTest", 0x10000, false};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const cType* pType = cType::Find(row.id);
        ASSERT_NE(pType, nullptr);
        EXPECT_STREQ(pType->m_sTypeName, row.name);
        EXPECT_EQ(pType->m_pParentType, gcAction::GetStaticType());
        ASSERT_NE(pType->m_pNewFunc, nullptr);
        const cBase* p = pType->m_pNewFunc(&pool);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->GetType(), pType);
    }
}

// Loaded, copied and written alone: the block comes back as stored,
// whatever its version; a refused base block skips the action.
TEST(gcPendingAction, KeepsItsBytesThroughCopiesAndRefusesAnOldBaseBlock)
{
    cMemPool pool{"gcPendingActionTest", 0x10000, false};
    gcTestDataDir dir;
    const auto block = [](datagen::BlockWriter& w) {
        datagen::ActionBlock(w, 7).Int(-5).Float(0.25f).Bytes("abc", 3).End();
    };
    gcEvent* pEvent = LoadHandLaidEvent(dir, pool, [&](datagen::BlockWriter& w) {
        block(w.Int(kPendingId));
        w.Int(kPendingId).Begin(1).Begin(2).Begin(1).End().End().Int(9).End();  // base block version 2
        RecordMember(w, 1);
    });
    ASSERT_NE(pEvent, nullptr);
    EXPECT_EQ(TypeIds(pEvent->pAction), (std::vector<uint32_t>{kPendingId, kTestStepId}));
    const cBase* pCopy = pEvent->pAction->Copy(&pool);
    ASSERT_NE(pCopy, nullptr);
    ASSERT_TRUE(datagen::WriteObjectFile(dir.HostPath("copy.dat"), *pCopy));
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("laid.dat"), kPendingId, block));
    EXPECT_EQ(ReadHostFile(dir.HostPath("copy.dat")), ReadHostFile(dir.HostPath("laid.dat")));
}

}  // namespace
