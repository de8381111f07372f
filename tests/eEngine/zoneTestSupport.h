#pragma once

#include <string>
#include <vector>

#include "cCore/cLog.h"
#include "datagen/zoneWriter.h"
#include "eVideoTestUtil.h"
#include "materialTestSupport.h"

void AddQuad(datagen::ZoneDesc* pDesc, const mVec3& a, const mVec3& b, const mVec3& c, const mVec3& d,
             uint8_t material, float uvScale = 1.0f);

datagen::ZoneDesc RoomDesc(uint32_t version, bool bLightmap);

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

    // pFileFailed, when given, tells whether the file was failed, which is
    // what names it in the log.
    bool ReadZone(const std::string& name, eZone* pZone, bool* pFileFailed = nullptr);
    bool WriteZone(const std::string& name, const datagen::ZoneDesc& desc);
    bool WriteZone(const std::string& name, const datagen::ZoneDesc& desc, const datagen::ZoneData& data);

    cMemPool m_zonePool{"zoneTest", 0x200000, false};
};

using ZoneVideoTest = DrawingTest<ZoneTest>;  // a zone test that draws
