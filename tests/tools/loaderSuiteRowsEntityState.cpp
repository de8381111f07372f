// The entity state values at their newest version and at every older
// version they read.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/script/gcLValue.h"
#include "gcGameCore/values/gcValEntityAnimationFrame.h"
#include "gcGameCore/values/gcValEntityEffectCount.h"
#include "gcGameCore/values/gcValEntityItemCount.h"
#include "gcGameCore/values/gcValEntityItemEquipped.h"
#include "gcGameCore/values/gcValEntityMode.h"
#include "gcGameCore/values/gcValEntityStat.h"
#include "gcGameCore/values/gcValEntityState.h"
#include "gcGameCore/values/gcValEntityStateCompare.h"
#include "gcGameCore/values/gcValEntityStateTimer.h"
#include "gcGameCore/values/gcValEntityTimeSince.h"
#include "gcGameCore/values/gcValEntityValid.h"
#include "gcGameCore/values/gcValEntityValue.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

// The newest block of the value, written by the engine.
template <class T>
LoaderRow Newest(const T& value)
{
    const std::string name = std::string(T::GetStaticType()->m_sTypeName) + " v" + std::to_string(T::kVersion);
    return {name, {"WriteValueFile"}, [value](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, value); },
            TypeOf<T>};
}

// An older block laid out by hand after the base block.
template <class T>
LoaderRow Older(uint32_t version, std::function<void(datagen::BlockWriter&)> fields)
{
    const std::string name = std::string(T::GetStaticType()->m_sTypeName) + " v" + std::to_string(version);
    return {name, {"ValueBlock"},
            [version, fields](LoaderEnv&, Path p) {
                return datagen::WriteObjectBlocksFile(p, T::GetStaticType()->m_nTypeId,
                                                      [&](datagen::BlockWriter& w) {
                                                          datagen::ValueBlock(w, version,
                                                                              T::GetStaticType()->IsA(gcLValue::GetStaticType()));
                                                          fields(w);
                                                          w.End();
                                                      });
            },
            TypeOf<T>, nullptr, false};
}

}  // namespace

void AddEntityStateRows(std::vector<LoaderRow>& rows)
{
    gcDesiredEntity entity = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    entity.hSpecificEntity = gcEntityHandle(0x00070002);
    const gcDesiredEntity leader = gcDesiredEntity::Selecting(gcDesiredEntity::PARTICIPANT1_LEADER);
    gcDesiredValue constant;
    constant.desiredValue = gcDesiredValue::VAL_CONSTANT;
    constant.hSpecificConstant = gcConstantHandle(0x00090004);
    constant.nParamIndex = 1;
    gcDesiredItem participant;
    participant.desiredItem = gcDesiredItem::PARTICIPANT2;
    participant.hSpecificItemTemplate = gcItemTemplateHandle(0x00030001);
    const gcDesiredItem sword = gcDesiredItem::Selecting(gcDesiredItem::SPECIFIC, gcItemTemplateHandle(0x00050002));

    rows.push_back(Newest(gcValEntityAnimationFrame(entity, constant)));
    rows.push_back(Older<gcValEntityAnimationFrame>(1, [](datagen::BlockWriter& w) { w.Int(1).Int(0).Float(0.5f); }));
    rows.push_back(Older<gcValEntityAnimationFrame>(2, [](datagen::BlockWriter& w) { w.Int(4).Int(0x00070002).Int(300); }));
    rows.push_back(Newest(gcValEntityEffectCount(leader, gcEffectTemplateHandle(0x00060003))));
    rows.push_back(Newest(gcValEntityItemCount(gcValEntityItemCount::ITEMCOUNT_ATTACHED, entity, participant, sword)));
    rows.push_back(Older<gcValEntityItemCount>(1, [](datagen::BlockWriter& w) { w.Int(0).Int(0).Int(0x00050002); }));
    rows.push_back(Older<gcValEntityItemCount>(2, [](datagen::BlockWriter& w) {
        w.Int(gcValEntityItemCount::ITEMCOUNT_ATTACHED).Int(2).Int(0).Int(0x00050002).Int(0x00030001);
    }));
    rows.push_back(Newest(gcValEntityItemEquipped(leader, participant)));
    rows.push_back(Older<gcValEntityItemEquipped>(1, [](datagen::BlockWriter& w) { w.Int(1).Int(0).Int(0x00050002); }));
    rows.push_back(Newest(gcValEntityMode(entity)));
    rows.push_back(Newest(gcValEntityStat(entity, gcEntityTemplate::STAT_HEALTH, true)));
    rows.push_back(Older<gcValEntityStat>(2, [](datagen::BlockWriter& w) {
        w.Int(1).Int(0).Int(gcEntityTemplate::STAT_MOVEMENT_SCALE);
    }));
    rows.push_back(Newest(gcValEntityState(gcValEntityState::STATE_INVULNERABLE, entity)));
    rows.push_back(Newest(gcValEntityStateCompare(leader, gcStateMachineHandle(0x00080001), 5)));
    rows.push_back(Newest(gcValEntityStateTimer(entity)));
    rows.push_back(Newest(gcValEntityTimeSince(entity, gcEntity::TIMESINCE_INTERACTED)));
    rows.push_back(Newest(gcValEntityValid(leader)));
    rows.push_back(Newest(gcValEntityValue(entity, gcEntityTemplate::VAL_SOUNDRADIUSSCALE)));
}
