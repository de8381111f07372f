// Loader-suite rows of the entity space values: each at its newest version
// through datagen and at every older version it reads, laid by hand.
#include <functional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "datagen/valueWriters.h"
#include "gcGameCore/values/gcValEntityCompare.h"
#include "gcGameCore/values/gcValEntityDistance.h"
#include "gcGameCore/values/gcValEntityFacing.h"
#include "gcGameCore/values/gcValEntityHasPath.h"
#include "gcGameCore/values/gcValEntityOffsetPath.h"
#include "gcGameCore/values/gcValEntityOrientation.h"
#include "gcGameCore/values/gcValEntityPathPosition.h"
#include "gcGameCore/values/gcValEntityVelocity.h"
#include "loaderSuiteRowHelpers.h"

namespace {

using Path = const std::string&;

// The newest block of the value, written by the engine.
template <class T>
LoaderRow Newest(const std::string& name, const T& value)
{
    return {name, {"WriteValueFile"}, [value](LoaderEnv&, Path p) { return datagen::WriteValueFile(p, value); },
            TypeOf<T>};
}

}  // namespace

void AddEntitySpaceRows(std::vector<LoaderRow>& rows)
{
    const gcDesiredEntity npc = SpecificEntity(0x00070002);
    const gcDesiredEntity player = gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER);
    const gcRegionPointHandle point(0x00300005);
    rows.push_back(Newest("gcValEntityDistance v1, to an entity", gcValEntityDistance(npc, player)));
    rows.push_back(Newest("gcValEntityDistance v1, to a region point", gcValEntityDistance(player, point)));
    rows.push_back(Newest("gcValEntityFacing v3", gcValEntityFacing(npc, point)));
    rows.push_back({"gcValEntityFacing v2", {"ValueBlock"},
                    [](LoaderEnv&, Path p) {
                        return datagen::WriteObjectBlocksFile(p, 131, [](datagen::BlockWriter& w) {
                            datagen::ValueBlock(w, 2, false);
                            w.Int(gcDesiredEntity::INITIATOR).Int(0).Int(1).Int(gcDesiredEntity::PLAYER).Int(0);
                            w.Int(0x00300005).Int(12);
                            w.End();
                        });
                    },
                    TypeOf<gcValEntityFacing>, nullptr, false});
    rows.push_back(Newest("gcValEntityOrientation v1",
                          gcValEntityOrientation(npc, gcValEntityOrientation::PITCH,
                                                 gcValEntityOrientation::kCameraRelative)));
    rows.push_back(Newest("gcValEntityVelocity v1", gcValEntityVelocity(npc, gcValEntityVelocity::AXIS_Z)));
    rows.push_back(Newest("gcValEntityOffsetPath v1", gcValEntityOffsetPath(player, gcValEntityOffsetPath::AXIS_Y)));
    rows.push_back(Newest("gcValEntityPathPosition v1", gcValEntityPathPosition(npc)));
    rows.push_back(Newest("gcValEntityHasPath v1", gcValEntityHasPath(npc, gcEntity::PATH_INITIAL)));
    rows.push_back(Newest("gcValEntityCompare v2", gcValEntityCompare(npc, player)));
}
