#include "datagen/sampleFlying.h"

#include <cmath>

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
    return WriteSamplePlayerFiles(dir + "/Game/PlayerConfig02", "Skylark", hMaterial, &WriteFlyingPlayerConfigFile);
}

RegionTriggerDesc UpdraftTrigger(const ActionMemberFunc& member, bool* pOk)
{
    RegionTriggerDesc t;
    t.name = "Updraft";
    t.regionId = kWest;
    t.volume.type = 1;  // a box standing on the verge
    t.volume.boxSize[0] = 4.0f;
    t.volume.boxSize[1] = 4.0f;
    t.volume.boxSize[2] = 4.0f;
    t.volume.radius = std::sqrt(3.0f * 16.0f) / 2;
    t.volume.frame = {kSampleUpdraftX, kSampleUpdraftY, kGroundZ + 2.0f, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    t.actions = [member, pOk](BlockWriter& w, int index) {
        // OnEnter: the third map, without saving.
        if (index == 0)
            *pOk = member(w, gcDoLoadMap(0, 0, kSampleSkyMap, false, false, false)) && *pOk;
    };
    return t;
}

}  // namespace datagen
