#pragma once
// Shared pieces of the world tests: a data directory in a temporary folder,
// a concrete scene node with named sub-objects, a surface class with a
// factory (the engine's own has none), and file helpers.

#include <cstdint>
#include <string>
#include <vector>

#include "cCore/cName.h"
#include "eEngine/eGeom.h"
#include "eEngine/eSurface.h"

// Free in the real table (44 to 63); the core tests use 60 to 63.
constexpr uint32_t kTestSurfaceId = 58;

class eTestSurface : public eSurface {
    QM_DECLARE_TYPE(eTestSurface)
public:
    eTestSurface() = default;
    eTestSurface(const eTestSurface&) = default;
    // As the game's surface does: the engine part through eSurface's copy.
    cBase* Copy(cMemPool* pPool) const override;
};

// A scene node with up to four named sub-objects whose zone frames the test
// sets, and a record of its zone changes.
class eTestGeom : public eGeom {
public:
    static constexpr int kSubObjects = 4;
    eTestGeom();

    const mOCS* GetSubObjectToZone(int index) const override;
    int GetSubObjectIndex(const cName& name, int start, bool flag) const override;
    void Cull(const eCamera&, const mFrustum&, unsigned int) override {}
    void CollisionCull(const eCollider&, const mSphere&) override {}
    void Draw(const eCamera&, const eDrawInfo*) override {}
    void OnZoneChange(const mVec3& delta) override;

    void SetPosition(float x, float y, float z);  // local-to-parent origin, marks dirty

    cName m_subNames[kSubObjects];
    mOCS m_subFrames[kSubObjects];
    int m_nZoneChanges = 0;
    mVec3 m_lastDelta{0.0f, 0.0f, 0.0f};
};

// A temporary folder made the disc's data directory while it lives.
class eTestDataDir {
public:
    eTestDataDir();
    ~eTestDataDir();
    std::string HostPath(const char* name) const { return m_dir + "/" + name; }
    static std::string ConsolePath(const char* name) { return std::string("/") + name; }

private:
    std::string m_dir;
};

std::vector<uint8_t> ReadHostFile(const std::string& path);
bool WriteHostFile(const std::string& path, const std::vector<uint8_t>& bytes);
mOCS MakeFrame(float x, float y, float z, float headingDegrees = 0.0f);
