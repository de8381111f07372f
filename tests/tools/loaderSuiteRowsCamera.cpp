// Loader-suite rows of the camera actions and the camera and effect values:
// each written by the engine at its newest version, and each older version
// it reads laid by hand.
#include <functional>
#include <string>
#include <vector>

#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/actions/gcDoCameraEffect.h"
#include "gcGameCore/actions/gcDoCameraLookAt.h"
#include "gcGameCore/actions/gcDoCameraMovement.h"
#include "gcGameCore/actions/gcDoCameraParams.h"
#include "gcGameCore/values/gcValCameraOrientation.h"
#include "gcGameCore/values/gcValEffectStat.h"
#include "gcGameCore/values/gcValEffectValue.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

gcDesiredValue Constant(uint32_t handle)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_CONSTANT;
    v.hSpecificConstant = gcConstantHandle(handle);
    return v;
}

// Type, selector, entity, path and point of a hand-laid look-at or movement.
void PathHead(datagen::BlockWriter& w, int32_t type)
{
    w.Int(type).Int(gcDesiredEntity::SPECIFIC).Word(0x00070002).Word(0x00090003).Word(0x00080004);
}

// Parameters unlike the defaults in every field.
gcGameCameraParams SampleParams()
{
    gcGameCameraParams p;
    for (int i = 0; i < gcGameCameraParams::MAX_SPEEDTYPES; ++i) {
        p.m_fMaxVels[i] = 2.0f + static_cast<float>(i);
        p.m_fMaxTimes[i] = 0.05f * static_cast<float>(i + 1);
        p.m_fOffsets[i] = -3.0f * static_cast<float>(i + 1);
    }
    return p;
}

void AddCameraActionRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcDoCameraEffect v5", {"WriteObjectFile"},
                    [](LoaderEnv& env, Path p) {
                        gcDoCameraEffect effect(gcDoCameraEffect::CE_LETTERBOX, 0x3, Temp(1), Constant(0x00090004),
                                                eMaterialHandle(0x00120005));
                        effect.onCompleted.pAction = env.m_build.New<gcDoCameraParams>(SampleParams());
                        return datagen::WriteObjectFile(p, effect);
                    },
                    TypeOf<gcDoCameraEffect>});
    rows.push_back({"gcDoCameraEffect v4", {"ActionBlock"},
                    ActionFields<gcDoCameraEffect>(4,
                                                   [](datagen::BlockWriter& w) {
                                                       w.Int(gcDoCameraEffect::CE_SHAKE).Int(0x2).Int(900).Float(0.5f);
                                                       w.Word(0x00120005).Begin(3).Begin(1).End().Int(-1).End();
                                                   }),
                    TypeOf<gcDoCameraEffect>, nullptr, false});
    rows.push_back({"gcDoCameraLookAt v2", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(
                            p, gcDoCameraLookAt(gcDoCameraLookAt::CL_LOOKATPATH, SpecificEntity(0x00070002),
                                                gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004),
                                                Temp(0), Constant(0x00090004), 0x2));
                    },
                    TypeOf<gcDoCameraLookAt>});
    rows.push_back({"gcDoCameraLookAt v1", {"ActionBlock"},
                    ActionFields<gcDoCameraLookAt>(1,
                                                   [](datagen::BlockWriter& w) {
                                                       PathHead(w, gcDoCameraLookAt::CL_LOOKATENTITY);
                                                       w.Float(0.4f).Int(0);
                                                   }),
                    TypeOf<gcDoCameraLookAt>, nullptr, false});
    rows.push_back({"gcDoCameraMovement v2", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectFile(
                            p, gcDoCameraMovement(gcDoCameraMovement::CM_FOLLOWPATH, SpecificEntity(0x00070002),
                                                  gcRegionPathHandle(0x00090003), gcRegionPointHandle(0x00080004),
                                                  2.5f, Temp(1), Constant(0x00090004), 0x3));
                    },
                    TypeOf<gcDoCameraMovement>});
    rows.push_back({"gcDoCameraMovement v1", {"ActionBlock"},
                    ActionFields<gcDoCameraMovement>(1,
                                                     [](datagen::BlockWriter& w) {
                                                         PathHead(w, gcDoCameraMovement::CM_FOLLOWPATHENTITY);
                                                         w.Float(0.4f).Float(3.5f).Int(1);
                                                     }),
                    TypeOf<gcDoCameraMovement>, nullptr, false});
    rows.push_back({"gcDoCameraParams v3", {"WriteObjectFile"},
                    [](LoaderEnv&, Path p) { return datagen::WriteObjectFile(p, gcDoCameraParams(SampleParams())); },
                    TypeOf<gcDoCameraParams>});
}

void AddCameraValueRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"gcValCameraOrientation v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(p, gcValCameraOrientation(gcValCameraOrientation::ROLL));
                    },
                    TypeOf<gcValCameraOrientation>});
    rows.push_back({"gcValEffectStat v1", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(
                            p, gcValEffectStat(SpecificEffect(0x000B0032), gcEffectTemplate::STAT_BLEND));
                    },
                    TypeOf<gcValEffectStat>});
    rows.push_back({"gcValEffectValue v2", {"WriteValueFile"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteValueFile(
                            p, gcValEffectValue(SpecificEffect(0x000B0032), gcEffectTemplate::VAL_USER2));
                    },
                    TypeOf<gcValEffectValue>});
}

}  // namespace

void AddCameraScriptRows(std::vector<LoaderRow>& rows)
{
    AddCameraActionRows(rows);
    AddCameraValueRows(rows);
}
