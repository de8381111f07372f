// Loader-suite rows of the entity, device and console actions: each one's
// newest block written by the engine, every older version laid by hand.

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
#include "loaderSuiteRowHelpers.h"

namespace {

using Fields = std::function<void(datagen::BlockWriter&)>;

// The newest block: the action that make builds in the build pool, written.
template <class T>
LoaderRow Written(std::function<T*(cMemPool&)> make)
{
    return {std::string(T::GetStaticType()->m_sTypeName) + " v" + std::to_string(T::kVersion), {"WriteObjectFile"},
            [make](LoaderEnv& env, const std::string& path) {
                const T* p = make(env.m_build);
                return p && datagen::WriteObjectFile(path, *p);
            },
            TypeOf<T>};
}

// An older block: the fields laid by hand after the base block.
template <class T>
LoaderRow Laid(uint32_t version, Fields fields)
{
    return {std::string(T::GetStaticType()->m_sTypeName) + " v" + std::to_string(version), {"ActionBlock"},
            [version, fields](LoaderEnv&, const std::string& path) {
                return datagen::WriteObjectBlocksFile(path, T::GetStaticType()->m_nTypeId, [&](datagen::BlockWriter& w) {
                    fields(datagen::ActionBlock(w, version));
                    w.End();
                });
            },
            TypeOf<T>, nullptr, false};
}

gcDesiredEntity Specific()
{
    gcDesiredEntity d = gcDesiredEntity::Selecting(gcDesiredEntity::SPECIFIC);
    d.hSpecificEntity = gcEntityHandle(0x00070002);
    return d;
}

const gcDesiredEntity kPlayer = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);

void Number(datagen::BlockWriter& w, float f)
{
    w.Int(gcDesiredValue::VAL_NUMBER).Float(f).Int(0).Int(0);
}

}  // namespace

void AddEntityActionRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(Written<gcDoEntityActivate>(
        [](cMemPool& p) { return p.New<gcDoEntityActivate>(Specific(), 0x5u, 0x80000011u); }));
    rows.push_back(Laid<gcDoEntityActivate>(1, [](auto& w) { w.Int(1).Int(4).Word(0x00070002); }));
    rows.push_back(Laid<gcDoEntityActivate>(2, [](auto& w) { w.Int(1).Int(4).Word(0x00070002).Int(1).Word(0x6); }));
    rows.push_back(Written<gcDoEntityMoveTo>([](cMemPool& p) {
        auto* a = p.New<gcDoEntityMoveTo>(gcDoEntityMoveTo::EMT_REGIONPATH, Specific(), 0xB);
        a->hRegionPoint = gcRegionPointHandle(0x00050001);
        a->hRegionPath = gcRegionPathHandle(0x00060003);
        a->entityPath = gcEntity::PATH_INITIAL;
        a->srcOnPath.desiredValue = gcDesiredValue::VAL_CONSTANT;
        a->srcOnPath.hSpecificConstant = gcConstantHandle(0x00090004);
        a->destOnPath.fConst = 0.75f;
        a->onCompleted.pAction = p.New<gcDoEntityMakeLeader>(kPlayer);
        return a;
    }));
    for (uint32_t version : {4u, 5u, 6u, 7u})
        rows.push_back(Laid<gcDoEntityMoveTo>(version, [version](datagen::BlockWriter& w) {
            w.Int(1).Int(0).Int(0).Half(0x3).Word(0x00050001).Word(0x00060003);
            if (version >= 6)
                w.Int(1);
            if (version == 4)
                w.Float(0.9f).Float(0.1f).Float(7.0f);
            else
                w.Int(gcDesiredValue::VAL_TEMP).Int(0).Int(1), Number(w, 0.2f);
            if (version == 5 || version == 6)
                Number(w, 3.0f);
        }));
    rows.push_back(Written<gcDoEntityAnimation>([](cMemPool& p) {
        auto* config = p.New<gcAnimationConfig>();
        config->hAnimation = eAnimationHandle(0x00030002);
        config->hSoundData[1] = eSoundDataHandle(0x00040001);
        config->nFlags = 0x5;
        config->onStarted.pAction = p.New<gcDoEntityMakeLeader>(kPlayer);
        return p.New<gcDoEntityAnimation>(Specific(), *config, gcMsgPlayAnimation::PRIORITY_VERYHIGH);
    }));
    rows.push_back(Written<gcDoEntityChangeState>(
        [](cMemPool& p) { return p.New<gcDoEntityChangeState>(kPlayer, gcStateMachineHandle(0x00080001), 7, true); }));
    rows.push_back(Laid<gcDoEntityChangeState>(1, [](auto& w) { w.Int(1).Int(0).Word(0x00080001).Int(-2); }));
    rows.push_back(Written<gcDoEntityFace>([](cMemPool& p) {
        return p.New<gcDoEntityFace>(gcDoEntityFace::EF_REGIONPOINT, kPlayer, Specific(), gcRegionPointHandle(0x00050001));
    }));
    rows.push_back(Written<gcDoEntityMakeLeader>([](cMemPool& p) { return p.New<gcDoEntityMakeLeader>(Specific()); }));
    rows.push_back(Written<gcDoDeviceAction>(
        [](cMemPool& p) { return p.New<gcDoDeviceAction>(gcDoDeviceAction::DA_IDLE_6, Specific()); }));
    rows.push_back(Written<gcDoConsoleOp>(
        [](cMemPool& p) { return p.New<gcDoConsoleOp>(gcDoConsoleOp::OP_SET_AUDIO_MODE_DPL2); }));
    for (uint32_t version : {2u, 3u})
        rows.push_back(Laid<gcDoConsoleOp>(version, [](auto& w) { w.Int(7); }));
}
