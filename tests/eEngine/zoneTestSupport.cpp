#include "zoneTestSupport.h"

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eZone.h"

void AddQuad(datagen::ZoneDesc* pDesc, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d,
             uint8_t material, float uvScale)
{
    mVec3 n;
    n.MakeNormal(a, b, c);
    auto vertex = [&](const mVec3& p, float s, float t) {
        datagen::ZoneVertex v;
        v.pos = p;
        v.normal = n;
        v.u = s * uvScale;
        v.v = t * uvScale;
        v.lu = s;
        v.lv = t;
        return v;
    };
    datagen::ZoneTriangle t1;
    t1.v[0] = vertex(a, 0, 1);
    t1.v[1] = vertex(b, 1, 1);
    t1.v[2] = vertex(c, 1, 0);
    t1.material = material;
    datagen::ZoneTriangle t2 = t1;
    t2.v[0] = vertex(a, 0, 1);
    t2.v[1] = vertex(c, 1, 0);
    t2.v[2] = vertex(d, 0, 0);
    pDesc->triangles.push_back(t1);
    pDesc->triangles.push_back(t2);
}

datagen::ZoneDesc RoomDesc(uint32_t version, bool bLightmap)
{
    datagen::ZoneDesc desc;
    desc.name = "room";
    desc.version = version;
    desc.boxMin.Set(-8, -8, -8);
    desc.boxMax.Set(8, 8, 8);
    desc.exportOffset.Set(1.5f, -2.0f, 0.25f);
    desc.treeSize = 16;
    desc.looseScale = 2;
    desc.visLevels = 3;
    desc.colLevels = 3;
    desc.materials = {0x00110005u, 0x00220006u};
    desc.surfaces = {0x00330007u};
    const float h = 6.0f;
    AddQuad(&desc, {-h, -h, -4}, {h, -h, -4}, {h, h, -4}, {-h, h, -4}, 0, 4.0f);
    AddQuad(&desc, {-h, h, -4}, {h, h, -4}, {h, h, 4}, {-h, h, 4}, 1);
    AddQuad(&desc, {h, -h, -4}, {-h, -h, -4}, {-h, -h, 4}, {h, -h, 4}, 1);
    AddQuad(&desc, {-h, -h, -4}, {-h, h, -4}, {-h, h, 4}, {-h, -h, 4}, 1);
    AddQuad(&desc, {h, h, -4}, {h, -h, -4}, {h, -h, 4}, {h, h, 4}, 1);
    desc.bLightmap = bLightmap;
    if (bLightmap) {
        datagen::TextureFileDesc t;
        datagen::MakeTextureDesc("lm_room", 1, eTextureConfig::FORMAT_RGBA8, false, SolidImage(8, 200, 180, 160),
                                 nullptr, &t);
        desc.lightmaps.push_back(t);
    }
    return desc;
}

static void CatchLog(void* pData, cLogType type, const char*)
{
    if (type == LOGTYPE_ERROR || type == LOGTYPE_WARNING)
        ++static_cast<LogCatcher*>(pData)->m_nErrors;
}

LogCatcher::LogCatcher()
{
    m_old = cLogSetCallback(&CatchLog, this);
    m_pOldData = nullptr;
}

LogCatcher::~LogCatcher()
{
    cLogSetCallback(m_old, m_pOldData);
}

void ZoneTest::SetUp()
{
    MaterialTest::SetUp();
    Configure(kLightmapSlot, eTextureConfig::FORMAT_RGBA8, 8);
}

void ZoneTest::TearDown()
{
    for (eZone*& z : eZone::s_pZones)
        z = nullptr;
    eZone::s_platformWrite[cFile::kPlatformConsole] = nullptr;
    eMaterial::SetGlobalFog(false, nullptr, mVec3(0, 0, 0), 0.0f, 1.0f);
    MaterialTest::TearDown();
}

bool ZoneTest::WriteZone(const std::string& name, const datagen::ZoneDesc& desc)
{
    return datagen::WriteZoneFile(m_data.HostPath(name.c_str()), desc);
}

bool ZoneTest::WriteZone(const std::string& name, const datagen::ZoneDesc& desc, const datagen::ZoneData& data)
{
    return datagen::WriteZoneFile(m_data.HostPath(name.c_str()), desc, data);
}

bool ZoneTest::ReadZone(const std::string& name, eZone* pZone, bool* pFileFailed)
{
    pZone->m_nLightmapStartIndex = kLightmapSlot;
    pZone->m_nLightmapTextures = 1;
    cFile file;
    if (!file.Open(("/" + name).c_str()))
        return false;
    bool bRead = false;
    {
        cReadBlock top(file, 1);
        bRead = top.ReadInt() == static_cast<int32_t>(eZone::GetStaticType()->m_nTypeId) &&
                pZone->Read(file, &m_zonePool);
    }
    const bool bFailed = file.Failed();
    if (pFileFailed)
        *pFileFailed = bFailed;
    file.Close();
    return bRead && !bFailed;
}
