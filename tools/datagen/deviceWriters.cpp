#include "datagen/deviceWriters.h"

#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"

namespace datagen {

void DeviceTemplateBlock(BlockWriter& w, const DeviceTemplateDesc& d, uint32_t v)
{
    w.Begin(v);
    EntityTemplateBlock(w, d.entity, d.entityVersion);
    w.Int(d.configCount);
    for (int32_t i = 0; i < d.configCount; ++i)
        AnimationConfigBlock(w, static_cast<size_t>(i) < d.configs.size() ? d.configs[i] : AnimationConfigDesc(),
                             gcAnimationConfig::kVersion);
    w.End();
}

void DeviceBlock(BlockWriter& w, const DeviceDesc& d, uint32_t v)
{
    w.Begin(v);
    EntityBlock(w, d.entity, d.entityVersion);
    w.End();
}

bool WriteDeviceTemplateGroupFile(const std::string& path, int beginSlot,
                                  const std::vector<DeviceTemplateDesc>& templates, uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(templates.size()) > gcEntityTemplateMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityTemplateGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcDeviceTemplate::GetStaticType()->m_nTypeId, templates, version, &DeviceTemplateBlock);
}

bool WriteDeviceGroupFile(const std::string& path, int beginSlot, const std::vector<DeviceDesc>& devices,
                          uint32_t version)
{
    if (beginSlot < 0 || beginSlot + static_cast<int64_t>(devices.size()) > gcEntityMgr::kSlots)
        return false;
    return SaveRecordGroup(path, gcEntityGroup::GetStaticType()->m_nTypeId, beginSlot,
                           gcDevice::GetStaticType()->m_nTypeId, devices, version, &DeviceBlock);
}

}  // namespace datagen
