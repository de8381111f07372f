#pragma once
// Shared pieces of the zone tests: a small room built with the zone writer
// (a floor and walls of two materials, lightmapped, with collision), a way to
// read a zone file into a zone as the region loader does, and a fixture that
// keeps the texture, material and zone statics clean between tests.

#include <string>
#include <vector>

#include "cCore/cLog.h"
#include "datagen/zoneWriter.h"
#include "eVideoTestUtil.h"
#include "materialTestSupport.h"

// A quad of two triangles, counter-clockwise seen from the side its normal
// faces; coordinates run 0..1 over it (the lightmap's 0..1 too).
void AddQuad(datagen::ZoneDesc* pDesc, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d,
             uint8_t material, float uvScale = 1.0f);

// A room of edge 16 centred on the origin: a floor at z = -4 (material 0)
// and four walls (material 1), facing inwards; lightmap slot textures of
// 8 x 8 RGBA8 when bLightmap.
datagen::ZoneDesc RoomDesc(uint32_t version, bool bLightmap);

// Silences the log while it lives; counts the errors and warnings.
class LogCatcher {
public:
    LogCatcher();
    ~LogCatcher();
    int m_nErrors = 0;

private:
    cLogFunc m_old;
    void* m_pOldData;
};

class ZoneTest : public MaterialTest {
protected:
    static constexpr int kRegion = 1;
    static constexpr int kLightmapSlot = 350 + kRegion;

    void SetUp() override;
    void TearDown() override;

    // As the region loader does: the lightmap slot of region kRegion, one
    // reserved texture, then Read of the file's one object.
    bool ReadZone(const std::string& name, eZone* pZone);
    // Writes the zone file under the data directory.
    bool WriteZone(const std::string& name, const datagen::ZoneDesc& desc);
    bool WriteZone(const std::string& name, const datagen::ZoneDesc& desc, const datagen::ZoneData& data);

    cMemPool m_zonePool{"zoneTest", 0x200000, false};
};

using ZoneVideoTest = DrawingTest<ZoneTest>;  // a zone test that draws
