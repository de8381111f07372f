// Loader-suite rows of the animation configuration's oldest block, laid out
// by hand: the base block, the animation handle, the four events, and
// nothing more (no sounds, no flags).
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcEvent.h"
#include "loaderSuite.h"

namespace {

const cType* AnimationConfigType()
{
    return gcAnimationConfig::GetStaticType();
}

void EmptyEvent(datagen::BlockWriter& w)
{
    w.Begin(gcEvent::kVersion).Begin(1).End().Int(-1).End();
}

}  // namespace

void AddMendRows(std::vector<LoaderRow>& rows)
{
    for (uint32_t hAnimation : {0x00110005u, 0u}) {
        rows.push_back({"gcAnimationConfig v1" + std::string(hAnimation ? "" : " without animation"),
                        {"WriteObjectBlocksFile"},
                        [hAnimation](LoaderEnv&, const std::string& path) {
                            return datagen::WriteObjectBlocksFile(
                                path, AnimationConfigType()->m_nTypeId, [&](datagen::BlockWriter& w) {
                                    w.Begin(1).Begin(1).End().Word(hAnimation);
                                    for (int i = 0; i < 4; ++i)
                                        EmptyEvent(w);
                                    w.End();
                                });
                        },
                        AnimationConfigType, nullptr, false});
    }
}
