// Loader-suite rows of the entity, device and console actions: each one's
// newest block written by the engine, and every older version it reads laid
// out by hand.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/actions/gcDoConsoleOp.h"
#include "gcGameCore/actions/gcDoDeviceAction.h"
#include "gcGameCore/actions/gcDoEntityActivate.h"
#include "gcGameCore/actions/gcDoEntityAnimation.h"
#include "gcGameCore/actions/gcDoEntityChangeState.h"
#include "gcGameCore/actions/gcDoEntityFace.h"
#include "gcGameCore/actions/gcDoEntityMakeLeader.h"
#include "gcGameCore/actions/gcDoEntityMoveTo.h"
#include "loaderSuite.h"

namespace {

using Path = const std::string&;

template <class T>
const cType* TypeOf()
{
    return T::GetStaticType();
}

// An action file whose block is laid out by hand after the base block.
template <class T>
auto ActionFields(uint32_t version, std::function<void(datagen::BlockWriter&)> fields)
{
    return [version, fields](LoaderEnv&, Path path) {
        return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w, version);
            fields(w);
            w.End();
        });
    };
}

std::string Named(const char* cls, uint32_t version)
{
    return std::string(cls) + " v" + std::to_string(version);
}

gcDesiredEntity Specific(uint32_t handle)
{
    gcDesiredEntity d = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    d.hSpecificEntity = gcEntityHandle(handle);
    return d;
}

const gcDesiredEntity kPlayer = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);

// A row writing the object that make builds in the build pool.
template <class T>
LoaderRow Written(const char* name, std::function<T*(cMemPool&)> make)
{
    return {name, {"WriteObjectFile"},
            [make](LoaderEnv& env, Path p) {
                const T* pAction = make(env.m_build);
                return pAction && datagen::WriteObjectFile(p, *pAction);
            },
            TypeOf<T>};
}

void AddActivateRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(Written<gcDoEntityActivate>("gcDoEntityActivate v3", [](cMemPool& pool) {
        return pool.New<gcDoEntityActivate>(Specific(0x00070002), 0x5u, 0x80000011u);
    }));
    for (uint32_t version : {1u, 2u})
        rows.push_back({Named("gcDoEntityActivate", version), {"ActionBlock"},
                        ActionFields<gcDoEntityActivate>(version,
                                                         [version](datagen::BlockWriter& w) {
                                                             w.Int(1).Int(4).Int(0x00070002);
                                                             if (version == 2)
                                                                 w.Int(1).Word(0x6);
                                                         }),
                        TypeOf<gcDoEntityActivate>, nullptr, false});
}

void AddMoveToRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(Written<gcDoEntityMoveTo>("gcDoEntityMoveTo v8", [](cMemPool& pool) {
        auto* a = pool.New<gcDoEntityMoveTo>(gcDoEntityMoveTo::EMT_REGIONPATH, Specific(0x00070002), 0xB);
        a->hRegionPoint = gcRegionPointHandle(0x00050001);
        a->hRegionPath = gcRegionPathHandle(0x00060003);
        a->entityPath = gcEntity::PATH_INITIAL;
        a->srcOnPath.desiredValue = gcDesiredValue::VAL_CONSTANT;
        a->srcOnPath.hSpecificConstant = gcConstantHandle(0x00090004);
        a->destOnPath.fConst = 0.75f;
        a->onCompleted.pAction = pool.New<gcDoEntityMakeLeader>(kPlayer);
        return a;
    }));
    for (uint32_t version : {4u, 5u, 6u, 7u})
        rows.push_back({Named("gcDoEntityMoveTo", version), {"ActionBlock"},
                        ActionFields<gcDoEntityMoveTo>(version,
                                                       [version](datagen::BlockWriter& w) {
                                                           w.Int(1).Int(0).Int(0).Half(0x3).Word(0x00050001).Word(
                                                               0x00060003);
                                                           if (version >= 6)
                                                               w.Int(1);
                                                           if (version == 4) {
                                                               w.Float(0.9f).Float(0.1f).Float(7.0f);
                                                               return;
                                                           }
                                                           w.Int(gcDesiredValue::VAL_TEMP).Int(0).Int(1);
                                                           w.Int(gcDesiredValue::VAL_NUMBER).Float(0.2f).Int(0).Int(0);
                                                           if (version <= 6)
                                                               w.Int(gcDesiredValue::VAL_NUMBER).Float(3.0f).Int(0).Int(0);
                                                       }),
                        TypeOf<gcDoEntityMoveTo>, nullptr, false});
}

void AddOtherEntityRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(Written<gcDoEntityAnimation>("gcDoEntityAnimation v1", [](cMemPool& pool) {
        auto* config = pool.New<gcAnimationConfig>();
        config->hAnimation = eAnimationHandle(0x00030002);
        config->hSoundData[1] = eSoundDataHandle(0x00040001);
        config->nFlags = 0x5;
        config->onStarted.pAction = pool.New<gcDoEntityMakeLeader>(kPlayer);
        return pool.New<gcDoEntityAnimation>(Specific(0x00070002), *config, gcMsgPlayAnimation::PRIORITY_VERYHIGH);
    }));
    rows.push_back(Written<gcDoEntityChangeState>("gcDoEntityChangeState v2", [](cMemPool& pool) {
        return pool.New<gcDoEntityChangeState>(kPlayer, gcStateMachineHandle(0x00080001), 7, true);
    }));
    rows.push_back({"gcDoEntityChangeState v1", {"ActionBlock"},
                    ActionFields<gcDoEntityChangeState>(
                        1, [](datagen::BlockWriter& w) { w.Int(1).Int(0).Word(0x00080001).Int(-2); }),
                    TypeOf<gcDoEntityChangeState>, nullptr, false});
    rows.push_back(Written<gcDoEntityFace>("gcDoEntityFace v2", [](cMemPool& pool) {
        return pool.New<gcDoEntityFace>(gcDoEntityFace::EF_REGIONPOINT, kPlayer, Specific(0x00070002),
                                        gcRegionPointHandle(0x00050001));
    }));
    rows.push_back(Written<gcDoEntityMakeLeader>("gcDoEntityMakeLeader v1", [](cMemPool& pool) {
        return pool.New<gcDoEntityMakeLeader>(Specific(0x00070002));
    }));
}

void AddDeviceAndConsoleRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(Written<gcDoDeviceAction>("gcDoDeviceAction v1", [](cMemPool& pool) {
        return pool.New<gcDoDeviceAction>(gcDoDeviceAction::DA_IDLE_6, Specific(0x00070002));
    }));
    rows.push_back(Written<gcDoConsoleOp>("gcDoConsoleOp v1", [](cMemPool& pool) {
        return pool.New<gcDoConsoleOp>(gcDoConsoleOp::OP_SET_AUDIO_MODE_DPL2);
    }));
    for (uint32_t version : {2u, 3u})
        rows.push_back({Named("gcDoConsoleOp", version), {"ActionBlock"},
                        ActionFields<gcDoConsoleOp>(version, [](datagen::BlockWriter& w) { w.Int(7); }),
                        TypeOf<gcDoConsoleOp>, nullptr, false});
}

}  // namespace

void AddEntityActionRows(std::vector<LoaderRow>& rows)
{
    AddActivateRows(rows);
    AddMoveToRows(rows);
    AddOtherEntityRows(rows);
    AddDeviceAndConsoleRows(rows);
}
