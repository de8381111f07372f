// Loader-suite rows of the actions that message entities, load maps and
// regions and change the environment, timers and triggers.
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/flowWriters.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoEntityPlaySound.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/actions/gcDoEntitySendMessage.h"
#include "gcGameCore/actions/gcDoEntitySetActivationMask.h"
#include "gcGameCore/actions/gcDoEntitySetTeam.h"
#include "gcGameCore/actions/gcDoEntitySurfaceEffect.h"
#include "gcGameCore/actions/gcDoFogSet.h"
#include "gcGameCore/actions/gcDoLighting.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoRegionLoad.h"
#include "gcGameCore/actions/gcDoSkySet.h"
#include "gcGameCore/actions/gcDoTimerActivate.h"
#include "gcGameCore/actions/gcDoTriggerActivate.h"
#include "gcGameCore/creatures/gcNPC.h"
#include "gcGameCore/values/gcValNumber.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

// An action file laid out by hand: the base block, then the fields.
template <class T>
auto Fields(uint32_t version, std::function<void(datagen::BlockWriter&)> fields)
{
    return [version, fields](LoaderEnv&, Path path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w, version);
            fields(w);
            w.End();
        });
    };
}

// An action written by the engine, built in the row's pool.
template <class T>
auto Object(std::function<T*(cMemPool&)> make)
{
    return [make](LoaderEnv& env, Path path) { return datagen::WriteObjectFile(path, *make(env.m_build)); };
}

template <class T>
void Add(std::vector<LoaderRow>& rows, const char* name, std::function<bool(LoaderEnv&, Path)> write,
         bool bNewest = true)
{
    rows.push_back({name, {bNewest ? "WriteObjectFile" : "ActionBlock"}, std::move(write), TypeOf<T>, nullptr, bNewest});
}

gcDesiredValue Constant(uint32_t handle, int32_t index)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_CONSTANT;
    v.hSpecificConstant = gcConstantHandle(handle);
    v.nParamIndex = index;
    return v;
}

gcDesiredValue Number(float f)
{
    gcDesiredValue v;
    v.fConst = f;
    return v;
}

datagen::BlockWriter& EntityEntry(datagen::BlockWriter& w, int32_t selection, uint32_t handle)
{
    return w.Int(selection).Word(handle);
}

datagen::BlockWriter& NumberEntry(datagen::BlockWriter& w, float f)
{
    return w.Int(gcDesiredValue::VAL_NUMBER).Float(f).Int(0).Int(0);
}

void AddMessageRows(std::vector<LoaderRow>& rows)
{
    Add<gcDoEntitySendMessage>(rows, "gcDoEntitySendMessage v3", Object<gcDoEntitySendMessage>([](cMemPool& pool) {
        auto* p = pool.New<gcDoEntitySendMessage>();
        p->hMessage = gcConstantHandle(0x00090004);
        p->desiredTarget = SpecificEntity(0x00070002);
        p->desiredParticipant2 = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
        p->desiredParams[0] = Constant(0x00090005, 1);
        p->desiredParams[1] = Number(-2.5f);
        p->bSendToAllActive = true;
        p->validateSend.pAction = datagen::NewReturn(&pool, pool.New<gcValNumber>(1.0f));
        p->pEntityType = gcNPC::GetStaticType();
        return p;
    }));
    for (uint32_t version : {1u, 2u})
        Add<gcDoEntitySendMessage>(rows, version == 1 ? "gcDoEntitySendMessage v1" : "gcDoEntitySendMessage v2",
                                   Fields<gcDoEntitySendMessage>(version, [version](datagen::BlockWriter& w) {
                                       w.Word(0x00090004);
                                       if (version == 1)
                                           EntityEntry(w, gcDesiredEntity::PLAYER, 0);
                                       EntityEntry(w, gcDesiredEntity::SPECIFIC, 0x00070002);
                                       EntityEntry(w, gcDesiredEntity::INITIATOR, 0);
                                       EntityEntry(w, gcDesiredEntity::SPECIFIC, 0);
                                       w.Int(2);
                                       NumberEntry(w, 3.0f);
                                       NumberEntry(w, 0.5f);
                                       if (version == 2)
                                           datagen::EmptyEventBlock(w.Int(1));
                                   }),
                                   false);
    Add<gcDoEntityPlaySound>(rows, "gcDoEntityPlaySound v2", Object<gcDoEntityPlaySound>([](cMemPool& pool) {
        return pool.New<gcDoEntityPlaySound>(SpecificEntity(0x00070002), Constant(0x00090004, 0),
                                             eSoundDataHandle(0x00050003), gcVoiceOverHandle(0x00060001));
    }));
    Add<gcDoEntityPlaySound>(rows, "gcDoEntityPlaySound v1", Fields<gcDoEntityPlaySound>(1, [](datagen::BlockWriter& w) {
                                 EntityEntry(w, gcDesiredEntity::PLAYER, 0);
                                 NumberEntry(w, 0.75f).Word(0x00050003);
                             }),
                             false);
    Add<gcDoEntitySetTeam>(rows, "gcDoEntitySetTeam v1", Object<gcDoEntitySetTeam>([](cMemPool& pool) {
        return pool.New<gcDoEntitySetTeam>(SpecificEntity(0x00070002), gcEntityTemplate::TEAM_FRIENDLY);
    }));
    Add<gcDoEntitySetActivationMask>(rows, "gcDoEntitySetActivationMask v1",
                                     Object<gcDoEntitySetActivationMask>([](cMemPool& pool) {
                                         return pool.New<gcDoEntitySetActivationMask>(SpecificEntity(0x00070002), 0x80000005u);
                                     }));
    Add<gcDoEntitySurfaceEffect>(rows, "gcDoEntitySurfaceEffect v2", Object<gcDoEntitySurfaceEffect>([](cMemPool& pool) {
        cName helper;
        helper.Set("foot_l");
        return pool.New<gcDoEntitySurfaceEffect>(3u, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), helper);
    }));
    Add<gcDoEntitySurfaceEffect>(rows, "gcDoEntitySurfaceEffect v1",
                                 Fields<gcDoEntitySurfaceEffect>(1, [](datagen::BlockWriter& w) {
                                     EntityEntry(w.Int(4), gcDesiredEntity::INITIATOR, 0);
                                 }),
                                 false);
}

void AddMapRows(std::vector<LoaderRow>& rows)
{
    Add<gcDoLoadMap>(rows, "gcDoLoadMap v4", Object<gcDoLoadMap>([](cMemPool& pool) {
        return pool.New<gcDoLoadMap>(2, 1, 3, false, false, true);
    }));
    for (uint32_t version : {1u, 2u, 3u})
        Add<gcDoLoadMap>(rows, ("gcDoLoadMap v" + std::to_string(version)).c_str(),
                         Fields<gcDoLoadMap>(version, [version](datagen::BlockWriter& w) {
                             w.Int(1).Int(0).Int(2);
                             if (version >= 2)
                                 w.Int(0);
                             if (version >= 3)
                                 w.Int(0);
                         }),
                         false);
    Add<gcDoRegionLoad>(rows, "gcDoRegionLoad v2", Object<gcDoRegionLoad>([](cMemPool& pool) {
        auto* p = pool.New<gcDoRegionLoad>(Number(3.0f));
        p->onPreRegionLoad.pAction = pool.New<gcDoSkySet>(1);
        p->onPostRegionLoad.pAction = pool.New<gcDoFogSet>(true, 1.0f, 2.0f, 0x80402010u, cTimeValue(600));
        return p;
    }));
}

void AddLookRows(std::vector<LoaderRow>& rows)
{
    Add<gcDoFogSet>(rows, "gcDoFogSet v2", Object<gcDoFogSet>([](cMemPool& pool) {
        return pool.New<gcDoFogSet>(false, 12.5f, 80.0f, 0xFF336699u, cTimeValue(1200));
    }));
    Add<gcDoLighting>(rows, "gcDoLighting v1", Object<gcDoLighting>([](cMemPool& pool) {
        return pool.New<gcDoLighting>(mVec3(0.9f, 0.6f, 0.3f), mVec3(0.1f, 0.2f, 0.4f), true);
    }));
    Add<gcDoSkySet>(rows, "gcDoSkySet v1", Object<gcDoSkySet>([](cMemPool& pool) { return pool.New<gcDoSkySet>(3); }));
    Add<gcDoTimerActivate>(rows, "gcDoTimerActivate v1", Object<gcDoTimerActivate>([](cMemPool& pool) {
        gcDesiredTimer timer;
        timer.hSpecificTimer = gcTimerHandle(0x00040002);
        return pool.New<gcDoTimerActivate>(false, timer);
    }));
    Add<gcDoTriggerActivate>(rows, "gcDoTriggerActivate v1", Object<gcDoTriggerActivate>([](cMemPool& pool) {
        return pool.New<gcDoTriggerActivate>(true, gcRegionTriggerHandle(0x00030001));
    }));
}

}  // namespace

void AddMessageMapEnvironmentRows(std::vector<LoaderRow>& rows)
{
    AddMessageRows(rows);
    AddMapRows(rows);
    AddLookRows(rows);
}
