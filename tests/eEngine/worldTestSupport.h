#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cCore/cMemPool.h"
#include "cCore/cName.h"
#include "tempDir.h"
#include "eEngine/eGeom.h"
#include "eEngine/eSurface.h"
#include "eEngine/eZone.h"

constexpr uint32_t kTestSurfaceId = 58;  // free in the real table; the core tests use 60-63

class eTestSurface : public eSurface {
    QM_DECLARE_TYPE(eTestSurface)
public:
    cBase* Copy(cMemPool* pPool) const override;  // through eSurface's copy, as the game's does
};

class eTestGeom : public eGeom {
public:
    eTestGeom();
    const mOCS* GetSubObjectToZone(int index) const override;  // frames 0-3, own frame below 0
    int GetSubObjectIndex(const cName& name, int start, bool flag) const override;
    void Cull(const eCamera&, const mFrustum&, unsigned int) override {}
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera&, const eDrawInfo*) override {}
    void OnZoneChange(const mVec3& delta) override { ++m_nZoneChanges, m_lastDelta = delta; }
    void MoveTo(float x, float y, float z);  // local-to-parent origin, dirty, Update

    cName m_subNames[4];
    mOCS m_subFrames[4];
    int m_nZoneChanges = 0;
    mVec3 m_lastDelta{0, 0, 0};
};

class eTestDataDir {
public:
    eTestDataDir();
    ~eTestDataDir();
    std::string HostPath(const char* name) const { return m_dir.File(name); }

private:
    TempDir m_dir{"qm_world"};
};

std::vector<uint8_t> ReadHostFile(const std::string& path);
mOCS MakeFrame(float x, float y, float z, float headingDegrees = 0.0f);

class WorldZoneTest : public testing::Test {
protected:
    void SetUp() override
    {
        SetUpZone(&m_a, 0, 0.0f);
        SetUpZone(&m_b, 1, 100.0f);
    }
    void TearDown() override
    {
        for (eZone*& z : eZone::s_pZones)
            z = nullptr;
    }
    void SetUpZone(eZone* pZone, int slot, float worldX);
    static eOctree Tree(int32_t levels = 3, float looseScale = 1.5f)
    {
        eOctree tree;
        tree.m_fSize = 100;
        tree.m_fLooseScale = looseScale;
        tree.m_nLevels = levels;
        return tree;
    }

    cMemPool m_pool{"worldZones", 0x100000, false};
    eZone m_a;
    eZone m_b;
};
