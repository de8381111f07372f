#include "datagen/exportRecordWriters.h"

#include "datagen/blockWriter.h"
#include "eEngine/eMaterialExpInfo.h"
#include "eEngine/eTextureExpInfo.h"

namespace datagen {

bool WriteTextureExpInfoFile(const std::string& path, const eTextureExpInfo& info)
{
    return WriteBlocksWith(path, [&](const cFile& file) { info.Write(file); });
}

bool WriteMaterialExpInfoFile(const std::string& path, const eMaterialExpInfo& info)
{
    return WriteBlocksWith(path, [&](const cFile& file) { info.Write(file); });
}

}  // namespace datagen
