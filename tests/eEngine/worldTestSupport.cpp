#include "worldTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "cCore/cMemPool.h"
#include "platform/dvd.h"

QM_DEFINE_TYPE(eTestSurface, eSurface, kTestSurfaceId)

cBase* eTestSurface::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eTestSurface>(*this) : nullptr;
}

eTestGeom::eTestGeom()
{
    for (mOCS& f : m_subFrames)
        f.MakeIdentity();
}

const mOCS* eTestGeom::GetSubObjectToZone(int index) const
{
    if (index < 0)
        return &m_localToZone;
    return index < kSubObjects ? &m_subFrames[index] : nullptr;
}

int eTestGeom::GetSubObjectIndex(const cName& name, int start, bool) const
{
    for (int i = start < 0 ? 0 : start; i < kSubObjects; ++i)
        if (m_subNames[i] == name)
            return i;
    return -1;
}

void eTestGeom::OnZoneChange(const mVec3& delta)
{
    ++m_nZoneChanges;
    m_lastDelta = delta;
}

void eTestGeom::SetPosition(float x, float y, float z)
{
    m_localToParent.origin.Set(x, y, z);
    m_nGeomFlags |= kDirty;
}

eTestDataDir::eTestDataDir()
{
    char tmpl[] = "/tmp/qm_worldXXXXXX";
    if (mkdtemp(tmpl))
        m_dir = tmpl;
    DVDSetDataDirectory(m_dir.c_str());
}

eTestDataDir::~eTestDataDir()
{
    DVDSetDataDirectory("");
    std::error_code ec;
    std::filesystem::remove_all(m_dir, ec);
}

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

mOCS MakeFrame(float x, float y, float z, float headingDegrees)
{
    mOCS o;
    o.basis.SetH(headingDegrees);
    o.origin.Set(x, y, z);
    return o;
}
