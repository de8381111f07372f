#include <gtest/gtest.h>

#include <iterator>

#include "cCore/cMemPool.h"
#include "cCore/cType.h"
#include "gcGameCore/script/gcAction.h"

namespace {

// Every action class with the id data files store for it, so that a file
// names the class it was written with.
TEST(gcActionRegistry, EveryActionClassIsRegisteredUnderItsIdAndName)
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
        {"gcDoUIListScroll", 240}, {"gcDoCreatureAction", 120}, {"gcDoCreatureSetTarget", 123},
        {"gcDoCreatureAttack", 125}, {"gcDoNPCAction", 187},
    };
    ASSERT_EQ(std::size(rows), 60u);
    cMemPool pool{"gcActionRegistryTest", 0x10000, false};
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

}  // namespace
