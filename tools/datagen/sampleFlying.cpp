#include "datagen/sampleFlying.h"

#include "datagen/blockWriter.h"
#include "datagen/playerWriters.h"
#include "gcGameCore/actions/gcDoLoadMap.h"

namespace datagen {

namespace {

constexpr float kGroundZ = -3.0f;  // the sample regions' ground
constexpr int16_t kWest = 0;

}  // namespace

bool WriteSampleFlyingPlayer(const std::string& dir, uint32_t hMaterial)
{
    FlyingPlayerDesc d;
    d.finish = SetSampleFlyerSoundKeys;
    return WriteSamplePlayerFiles(dir + "/Game/PlayerConfig02", SampleSoundBank::kFlyer, "Skylark", hMaterial,
                                  &WriteFlyingPlayerConfigFile, d);
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
