#include "worldTestSupport.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

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
    return index < 0 ? &m_localToZone : (index < 4 ? &m_subFrames[index] : nullptr);
}

int eTestGeom::GetSubObjectIndex(const cName& name, int start, bool) const
{
    for (int i = start; i < 4; ++i)
        if (m_subNames[i] == name)
            return i;
    return -1;
}

void eTestGeom::MoveTo(float x, float y, float z)
{
    m_localToParent.origin.Set(x, y, z);
    m_nGeomFlags |= kDirty;
    Update(cTimeValue(20));
}

eTestDataDir::eTestDataDir()
{
    DVDSetDataDirectory(m_dir.c_str());
}

eTestDataDir::~eTestDataDir()
{
    DVDSetDataDirectory("");
}

std::vector<uint8_t> ReadHostFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mOCS MakeFrame(float x, float y, float z, float headingDegrees)
{
    mOCS o;
    o.basis.SetH(headingDegrees);
    o.origin.Set(x, y, z);
    return o;
}

void WorldZoneTest::SetUpZone(eZone* pZone, int slot, float worldX)
{
    pZone->m_localToWorld = MakeFrame(worldX, 0, 0);
    pZone->m_volume.minCorner.Set(-50, -50, -50);
    pZone->m_volume.maxCorner.Set(50, 50, 50);
    eOctree tree = Tree(4, 2);
    tree.m_volume = pZone->m_volume;
    ASSERT_TRUE(pZone->CreateVisOctree(tree, &m_pool));
    ASSERT_TRUE(pZone->CreateColOctree(tree, &m_pool));
    pZone->m_nZoneIndex = slot;
    eZone::s_pZones[slot] = pZone;
}
