#include "datagen/exportRecordWriters.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "eEngine/eMaterialExpInfo.h"
#include "eEngine/eTextureExpInfo.h"

namespace datagen {

namespace {

// The record's block alone in a big-endian console file.
template <class Record>
bool WriteRecordFile(const std::string& path, const Record& record)
{
    cFile file;
    bool ok = file.Create(path.c_str(), 0, cFile::kPlatformConsole, true);
    if (ok)
        record.Write(file);
    file.Close();
    ok = ok && !file.Failed();
    if (!ok)
        cLogError_("datagen: cannot write \"%s\"", path.c_str());
    return ok;
}

}  // namespace

bool WriteTextureExpInfoFile(const std::string& path, const eTextureExpInfo& info)
{
    return WriteRecordFile(path, info);
}

bool WriteMaterialExpInfoFile(const std::string& path, const eMaterialExpInfo& info)
{
    return WriteRecordFile(path, info);
}

}  // namespace datagen
