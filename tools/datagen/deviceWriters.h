#pragma once
// Writers for devices and their templates: the blocks written field by
// field (so that counts can be damaged) and groups of them placed in a map.
// Offline tools and test fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "datagen/entityWriters.h"

namespace datagen {

struct DeviceTemplateDesc {
    EntityTemplateDesc entity;
    uint32_t entityVersion = 20;
    int32_t configCount = 9;
    std::vector<AnimationConfigDesc> configs;  // default ones for the rest of the count
};
// The only version is 1.
void DeviceTemplateBlock(BlockWriter& w, const DeviceTemplateDesc& desc, uint32_t version);

struct DeviceDesc {
    EntityDesc entity;
    uint32_t entityVersion = 19;
};
// The only version is 1.
void DeviceBlock(BlockWriter& w, const DeviceDesc& desc, uint32_t version);

// Template groups (gcEntityTemplateGroup) and device groups (gcEntityGroup)
// over slots beginSlot.., as data files at a host path.
bool WriteDeviceTemplateGroupFile(const std::string& path, int beginSlot,
                                  const std::vector<DeviceTemplateDesc>& templates, uint32_t version);
bool WriteDeviceGroupFile(const std::string& path, int beginSlot, const std::vector<DeviceDesc>& devices,
                          uint32_t version);

}  // namespace datagen
