// Loader-suite rows of the records the authoring tools export beside
// materials. They are plain values, not objects of a type: the suite holds
// each in an object of its own and reads and writes it as the record's own
// Read and Write do.
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "datagen/exportRecordWriters.h"
#include "eEngine/eMaterialExpInfo.h"
#include "eEngine/eTextureExpInfo.h"
#include "loaderSuite.h"

namespace {

template <class Record>
class RecordHolder : public cBase {
public:
    Record m_record;
};

template <class Record>
cBase* LoadRecord(LoaderEnv& env, const char* path)
{
    cFile file;
    if (!file.Open(path))
        return nullptr;
    auto* p = env.m_loads.New<RecordHolder<Record>>();
    // A refusal the file has not seen fails it, as cBase::Load does.
    const bool bRead = p && p->m_record.Read(file);
    if (p && !bRead)
        file.Fail("no record");
    const bool bFailed = file.Failed();
    file.Close();
    if (p && bFailed) {
        std::destroy_at(p);
        return nullptr;
    }
    return p;
}

template <class Record>
const Record& RecordOf(const cBase& holder)
{
    return static_cast<const RecordHolder<Record>&>(holder).m_record;
}

const cType* BaseType()
{
    return cBase::GetStaticType();
}

eTextureExpInfo SampleTexture(const char* name, float f)
{
    eTextureExpInfo t;
    t.m_name.Set("%s", name);
    t.m_first.Set(f, -f);
    t.m_second.Set(0.5f * f, 2.0f);
    t.m_nValue = static_cast<uint16_t>(0x8000 + f);
    return t;
}

}  // namespace

void AddExportRecordRows(std::vector<LoaderRow>& rows)
{
    rows.push_back({"eTextureExpInfo v1", {"WriteTextureExpInfoFile"},
                    [](LoaderEnv&, const std::string& p) {
                        return datagen::WriteTextureExpInfoFile(p, SampleTexture("brick_d", 3.0f));
                    },
                    BaseType, nullptr, true, {}, LoadRecord<eTextureExpInfo>, {},
                    [](const std::string& p, const cBase& o) {
                        return datagen::WriteTextureExpInfoFile(p, RecordOf<eTextureExpInfo>(o));
                    }});
    rows.push_back({"eMaterialExpInfo v1", {"WriteMaterialExpInfoFile"},
                    [](LoaderEnv&, const std::string& p) {
                        eMaterialExpInfo m;
                        m.m_name.Set("wall_brick");
                        m.m_nFirst = 0x01020304u;
                        m.m_nSecond = 0xBEEF;
                        m.m_nThird = 0x80000001u;
                        m.m_fValue = 0.75f;
                        m.m_textures[0] = SampleTexture("brick_d", 1.0f);
                        m.m_textures[2] = SampleTexture("brick_n", 4.0f);
                        return datagen::WriteMaterialExpInfoFile(p, m);
                    },
                    BaseType, nullptr, true, {}, LoadRecord<eMaterialExpInfo>, {},
                    [](const std::string& p, const cBase& o) {
                        return datagen::WriteMaterialExpInfoFile(p, RecordOf<eMaterialExpInfo>(o));
                    }});
}
