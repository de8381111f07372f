// Loader-suite rows of the damage and item actions: the newest block of
// each written by the engine, and every older block version they read laid
// by hand.
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoEntityCombineItem.h"
#include "gcGameCore/actions/gcDoEntityDamage.h"
#include "gcGameCore/actions/gcDoEntityEquipItem.h"
#include "gcGameCore/actions/gcDoEntityGiveItem.h"
#include "gcGameCore/actions/gcDoEntityTakeItem.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/values/gcValNumber.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

gcDesiredEntity Entity(int32_t selector, uint32_t handle = 0)
{
    gcDesiredEntity d = gcDesiredEntity::Selecting(selector);
    d.hSpecificEntity = gcEntityHandle(handle);
    return d;
}

// An event block with one return of the number, as an old block holds it.
void ReturnEventBlock(datagen::BlockWriter& w, float f)
{
    w.Begin(gcEvent::kVersion).Begin(1).End();
    w.Int(static_cast<int32_t>(gcDoReturn::GetStaticType()->m_nTypeId));
    datagen::ActionBlock(w, gcDoReturn::kVersion);
    datagen::NumberMember(w, f);
    w.End();
    w.Int(-1).End();
}

void AddDamageRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoEntityDamage v3", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        auto* pAction = env.m_build.New<gcDoEntityDamage>(
                            Entity(gcDesiredEntity::SPECIFIC, 0x00070002), Entity(gcDesiredEntity::INITIATOR), 0x6,
                            gcMsgDealDamage::DD_TB, false, true, 2.5f);
                        pAction->calcDamage.pAction = datagen::NewReturn(&env.m_build, env.m_build.New<gcValNumber>(7.0f));
                        pAction->calcDuration.pAction =
                            datagen::NewReturn(&env.m_build, env.m_build.New<gcValNumber>(0.5f));
                        return datagen::WriteObjectFile(p, *pAction);
                    },
                    TypeOf<gcDoEntityDamage>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcDoEntityDamage", version), {"ActionBlock"},
                        ActionFields<gcDoEntityDamage>(version,
                                                       [version](datagen::BlockWriter& w) {
                                                           w.Int(2).Int(0).Int(4).Int(0x00070002);
                                                           ReturnEventBlock(w, 3.0f);
                                                           if (version == 2)
                                                               ReturnEventBlock(w, 1.5f);
                                                           w.Int(1).Int(gcMsgDealDamage::DD_F).Int(1);
                                                       }),
                        TypeOf<gcDoEntityDamage>, nullptr, false});
}

void AddItemRows(std::vector<LoaderRow>& rows)
{
    const gcDesiredItem key = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle(0x00410001));
    const gcDesiredItem combine = gcDesiredItem::Selecting(gcDesiredItem::COMBINE_ITEM);
    rows.push_back({"gcDoEntityGiveItem v4", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoEntityGiveItem(Entity(gcDesiredEntity::PLAYER), key, Temp(1)));
                    },
                    TypeOf<gcDoEntityGiveItem>});
    rows.push_back({"gcDoEntityGiveItem v3", {"ActionBlock"},
                    ActionFields<gcDoEntityGiveItem>(3, [](datagen::BlockWriter& w) {
                        w.Int(1).Int(0).Int(gcDesiredItem::SPECIFIC).Int(0x00410001).Int(3);
                    }),
                    TypeOf<gcDoEntityGiveItem>, nullptr, false});
    rows.push_back({"gcDoEntityTakeItem v4", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoEntityTakeItem(Entity(gcDesiredEntity::INITIATOR), combine, Temp(0)));
                    },
                    TypeOf<gcDoEntityTakeItem>});
    rows.push_back({"gcDoEntityTakeItem v3", {"ActionBlock"},
                    ActionFields<gcDoEntityTakeItem>(3, [](datagen::BlockWriter& w) {
                        w.Int(0).Int(0).Int(gcDesiredItem::PARTICIPANT1).Int(0).Int(-2);
                    }),
                    TypeOf<gcDoEntityTakeItem>, nullptr, false});
    rows.push_back({"gcDoEntityEquipItem v3", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoEntityEquipItem(Entity(gcDesiredEntity::PARTICIPANT2), key, true));
                    },
                    TypeOf<gcDoEntityEquipItem>});
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcDoEntityEquipItem", version), {"ActionBlock"},
                        ActionFields<gcDoEntityEquipItem>(version,
                                                          [version](datagen::BlockWriter& w) {
                                                              w.Int(1).Int(0).Int(0x00410001);
                                                              if (version == 2)
                                                                  w.Int(1);
                                                          }),
                        TypeOf<gcDoEntityEquipItem>, nullptr, false});
    rows.push_back({"gcDoEntityCombineItem v1", {"WriteObjectFile"},
                    [=](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(p, gcDoEntityCombineItem(Entity(gcDesiredEntity::SPECIFIC, 0x00070002), key, true));
                    },
                    TypeOf<gcDoEntityCombineItem>});
}

}  // namespace

void AddDamageItemsRows(std::vector<LoaderRow>& rows)
{
    AddDamageRows(rows);
    AddItemRows(rows);
}
