#include "datagen/sampleFlying.h"

#include <cstdio>
#include <memory>

#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "datagen/creatureScriptWriters.h"
#include "datagen/playerWriters.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/script/gcAction.h"

namespace datagen {

namespace {

constexpr float kGroundZ = -3.0f;  // the sample regions' ground
constexpr int16_t kWest = 0;

}  // namespace

bool WriteSampleFlyingPlayer(const std::string& dir, uint32_t hMaterial)
{
    const std::string stem = dir + "/Game/PlayerConfig02";
    const std::string scratch = stem + ".part";
    cMemPool pool("datagen FlyerHover", 0x1000, false);
    const gcAction* pCoast = NewCoastFromHover(&pool);
    if (!pCoast)
        return false;
    bool ok = true;
    FlyingPlayerDesc d;
    // A half push from a hover creeps the flyer forward, so that it is seen
    // to answer the stick and to turn with it; a hover is a brake.
    d.creepSpeed = kSampleFlyerCreepSpeed;
    d.brakeActions = [&](BlockWriter& w, int index) {
        if (index == 2) {  // OnUpdated
            w.Int(static_cast<int32_t>(pCoast->GetType()->m_nTypeId));
            ok = LayEngineObject(w, *pCoast, scratch) && ok;
        }
    };
    const bool bWritten =
        WriteSamplePlayerFiles(stem, "Skylark", hMaterial, &WriteFlyingPlayerConfigFile, std::move(d));
    std::destroy_at(pCoast);  // its event's actions hold heap memory of their own
    std::remove(scratch.c_str());
    return bWritten && ok;
}

RegionTriggerDesc UpdraftTrigger(const ActionMemberFunc& member, bool* pOk)
{
    // A box standing on the verge.
    RegionTriggerDesc t =
        BoxTrigger("Updraft", kWest, 4.0f, 4.0f, 4.0f, FrameAt(kSampleUpdraftX, kSampleUpdraftY, kGroundZ + 2.0f));
    t.actions = [member, pOk](BlockWriter& w, int index) {
        // OnEnter: the third map, without saving.
        if (index == 0)
            *pOk = member(w, gcDoLoadMap(0, 0, kSampleSkyMap, false, false, false)) && *pOk;
    };
    return t;
}

}  // namespace datagen
