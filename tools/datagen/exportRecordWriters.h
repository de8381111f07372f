#pragma once
// Writers of the records the authoring tools export beside materials, saved
// as files of one record each through the records' own Write, as the
// console stores them. Offline tools and test fixtures; main thread.

#include <string>

class eMaterialExpInfo;
class eTextureExpInfo;

namespace datagen {

// False (logged) when the file cannot be written.
bool WriteTextureExpInfoFile(const std::string& path, const eTextureExpInfo& info);
bool WriteMaterialExpInfoFile(const std::string& path, const eMaterialExpInfo& info);

}  // namespace datagen
