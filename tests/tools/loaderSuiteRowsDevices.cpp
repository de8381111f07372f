// Device templates and devices: the newest blocks, and template blocks with
// fewer and more configurations than the table holds.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/deviceWriters.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "loaderSuite.h"

namespace {

using Path = const std::string&;

template <class T>
const cType* TypeOf()
{
    return T::GetStaticType();
}

template <class Mgr>
const cSlotTable& SlotsOf()
{
    return Mgr::GetSlotTable();
}

// A neutral-turned-friendly door with a hit, a dying and one idle animation;
// configCount configurations stored.
datagen::DeviceTemplateDesc SampleDeviceTemplate(int32_t configCount)
{
    datagen::DeviceTemplateDesc d;
    d.entity.name = "Gate";
    d.entity.flags = 0x4;
    d.entity.team = 1;
    d.entity.stats = {40, 0, 1, 1};
    d.configCount = configCount;
    d.configs.resize(gcDevice::ANIM_IDLE_1 + 1);
    d.configs[gcDevice::ANIM_HIT].hAnimation = 0x00030005;
    d.configs[gcDevice::ANIM_DYING].hAnimation = 0x00040006;
    d.configs[gcDevice::ANIM_IDLE_1].hAnimation = 0x00050007;
    d.configs[gcDevice::ANIM_IDLE_1].flags = 0x2;
    return d;
}

LoaderRow TemplateRow(const char* sWhat, int32_t configCount, bool bNewest)
{
    return {std::string("gcEntityTemplateGroup, gcDeviceTemplate v1") + sWhat,
            {"WriteDeviceTemplateGroupFile"},
            [configCount](LoaderEnv&, Path p) {
                return datagen::WriteDeviceTemplateGroupFile(p, 8, {SampleDeviceTemplate(configCount), {}},
                                                             gcDeviceTemplate::kVersion);
            },
            TypeOf<gcEntityTemplateGroup>, SlotsOf<gcEntityTemplateMgr>, bNewest};
}

}  // namespace

void AddDeviceRows(std::vector<LoaderRow>& rows)
{
    rows.push_back(TemplateRow("", gcDeviceTemplate::kNumAnimations, true));
    rows.push_back(TemplateRow(", 4 configurations", 4, false));
    rows.push_back(TemplateRow(", 11 configurations", 11, false));
    rows.push_back({"gcEntityGroup, gcDevice v1", {"WriteDeviceGroupFile"},
                    [](LoaderEnv&, Path p) {
                        datagen::DeviceDesc d;
                        d.entity.name = "Lever";
                        d.entity.hTemplate = 0x01040008;
                        d.entity.regionId = 2;
                        d.entity.active = true;
                        d.entity.keptAfterDeath = true;
                        d.entity.statMods = {2, 1, 1, 0.5f};
                        return datagen::WriteDeviceGroupFile(p, 16, {d, {}}, gcDevice::kVersion);
                    },
                    TypeOf<gcEntityGroup>, SlotsOf<gcEntityMgr>, true});
}
