#include "eEngine/eGeomTrail.h"

#include <cmath>

#include "cCore/cFile.h"
#include "datagen/particleWriters.h"
#include "eEngine/eCamera.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eVideoTestUtil.h"
#include "worldTestSupport.h"

namespace {

struct PairRecorder final : eGeomTrail::PairSink {
    void Pair(const eGeomTrailVertex& first, const eGeomTrailVertex& second) override
    {
        pairs.push_back({first, second});
    }
    std::vector<std::pair<eGeomTrailVertex, eGeomTrailVertex>> pairs;
};

class eGeomTrailTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_config.nMaxSegments = 3;
        m_config.fWidth = 2;
        m_pTrail = m_pool.New<eGeomTrail>();
        ASSERT_NE(m_pTrail, nullptr);
        m_pTrail->SetGeomTrailConfig(&m_config);
    }
    void MoveTo(float x, float y, float z, cTimeValue dt = cTimeValue(20))
    {
        m_pTrail->m_localToParent.origin.Set(x, y, z);
        m_pTrail->m_nGeomFlags |= eGeom::kDirty;
        m_pTrail->Update(dt);
    }
    void Walk()
    {
        for (int i = 0; i < 4; ++i)
            MoveTo(static_cast<float>(i), 0, 0);
    }
    PairRecorder Strip(float baseAlpha = 1.0f)
    {
        const uint8_t rgb[3] = {10, 20, 30};
        PairRecorder rec;
        m_pTrail->BuildStrip(m_camera, rgb, baseAlpha, rec);
        return rec;
    }
    cMemPool m_pool{"trailTest", 0x200000, false};
    eGeomTrailConfig m_config;
    eGeomTrail* m_pTrail = nullptr;
    eCamera m_camera;  // at the origin looking along +y
};

TEST_F(eGeomTrailTest, SamplesShiftThroughAndRestart)
{
    MoveTo(5, 0, 0);  // width 2 across up (0, 0, 1); every slot holds the first sample
    EXPECT_EQ(m_pTrail->m_nParticles, 1);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(m_pTrail->m_pParticleList[i].first == mVec3(5, 0, 1) &&
                    m_pTrail->m_pParticleList[i].second == mVec3(5, 0, -1)) << i;
    const int counts[] = {2, 3, 4, 4, 4};
    for (int i = 0; i < 5; ++i) {
        MoveTo(static_cast<float>(6 + i), 0, 0);
        EXPECT_EQ(m_pTrail->m_nParticles, counts[i]);
    }
    const float xs[] = {10, 9, 8, 7};  // the newest first; the oldest dropped out
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_pTrail->m_pParticleList[i].first.x, xs[i]) << i;
    EXPECT_EQ(m_pTrail->m_box.minCorner, mVec3(7, 0, -1));
    EXPECT_EQ(m_pTrail->m_box.maxCorner, mVec3(10, 0, 1));
    EXPECT_FLOAT_EQ(m_pTrail->m_fVisRadius, 0.5f * std::sqrt(9.0f + 4.0f));
    MoveTo(20, 0, 0, cTimeValue(0));  // no time: the frame moves, nothing is recorded
    EXPECT_EQ(m_pTrail->m_localToZone.origin, mVec3(20, 0, 0));
    EXPECT_EQ(m_pTrail->m_pParticleList[0].first.x, 10.0f);
    m_pTrail->OnZoneChange(mVec3(10, 0, 0));
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(m_pTrail->m_pParticleList[i].first.x, xs[i] + 10) << i;

    m_pTrail->m_fAlpha = 0.25f;
    eGeomTrailSample* pSamples = m_pTrail->m_pParticleList;
    eGeomTrailConfig same = m_config;  // the same count: the same array, restarted
    m_pTrail->SetGeomTrailConfig(&same);
    EXPECT_EQ(m_pTrail->m_pParticleList, pSamples);
    EXPECT_TRUE(m_pTrail->m_nParticles == 0 && m_pTrail->m_fAlpha == 1.0f && m_pTrail->m_box.IsEmpty());
    EXPECT_EQ(m_pTrail->m_localToParent.origin, mVec3(0, 0, 0));
    eGeomTrailConfig longer = m_config;
    longer.nMaxSegments = 6;
    longer.orientation = eGeomTrailConfig::ORIENTATION_CAMERA;
    m_pTrail->SetGeomTrailConfig(&longer);
    EXPECT_NE(m_pTrail->m_pParticleList, pSamples);
    MoveTo(1, 2, 3);  // facing the camera: one point, bounds grown by the width
    EXPECT_EQ(m_pTrail->m_pParticleList[0].first, mVec3(1, 2, 3));
    EXPECT_EQ(m_pTrail->m_box.minCorner, mVec3(-1, 0, 1));
    EXPECT_EQ(m_pTrail->m_box.maxCorner, mVec3(3, 4, 5));

    auto* copy = dcast<eGeomTrail>(m_pTrail->Copy(&m_pool));  // records into samples of its own
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy->m_pParticleList, m_pTrail->m_pParticleList);
    copy->OnZoneChange(mVec3(1, 0, 0));
    EXPECT_EQ(m_pTrail->m_pParticleList[0].first, mVec3(1, 2, 3));
    eGeomTrail outside;  // not in a pool: no array to record into
    outside.SetGeomTrailConfig(&m_config);
    outside.Update(cTimeValue(20));
    EXPECT_EQ(outside.m_nParticles, 0);
}

TEST_F(eGeomTrailTest, StripVertexCountsAndFadeRamp)
{
    constexpr auto kTwo = eGeomTrailConfig::ORIENTATION_TWO_POINTS;
    constexpr auto kCamera = eGeomTrailConfig::ORIENTATION_CAMERA;
    struct Row { const char* why; eGeomTrailConfig::eOrientation orientation; int32_t segments, steps;
                 float fadeStart, baseAlpha; std::vector<int> alphas; };
    const Row rows[] = {
        {"fade over the whole strip", kTwo, 3, 1, 1, 1, {255, 255, 169, 84, 0, 0}},
        {"fade over the tail half", kTwo, 3, 1, 0.5f, 1, {255, 255, 255, 84, 0, 0}},
        {"facing the camera the head steps too", kCamera, 3, 1, 1, 1, {255, 169, 84, 0, 0, 0}},
        {"two steps per segment", kTwo, 3, 2, 1, 1, {255, 255, 212, 169, 127, 84, 42, 0, 0, 0, 0}},
        {"not yet full: the head is fainter", kTwo, 5, 1, 1, 1, {170, 170, 119, 68, 17, 0}},
        {"half the base alpha", kTwo, 3, 1, 1, 0.5f, {127, 127, 84, 42, 0, 0}},
    };
    for (const Row& row : rows) {
        m_config.orientation = row.orientation;
        m_config.nMaxSegments = row.segments;
        m_config.nSubdivisions = row.steps;
        m_config.fFadeStart = row.fadeStart;
        m_pTrail->SetGeomTrailConfig(&m_config);
        Walk();
        EXPECT_EQ(m_pTrail->CountStripPairs(), static_cast<int>(row.alphas.size())) << row.why;
        const PairRecorder rec = Strip(row.baseAlpha);
        ASSERT_EQ(rec.pairs.size(), row.alphas.size()) << row.why;
        for (size_t i = 0; i < rec.pairs.size(); ++i)
            EXPECT_TRUE(rec.pairs[i].first.rgba[3] == row.alphas[i] && rec.pairs[i].second.rgba[3] == row.alphas[i] &&
                        rec.pairs[i].first.rgba[2] == 30)
                << row.why << ", pair " << i << ": " << int(rec.pairs[i].first.rgba[3]);
    }
    m_pTrail->SetGeomTrailConfig(&m_config);
    for (int i = 0; i < 3; ++i)
        MoveTo(static_cast<float>(i), 0, 0);
    EXPECT_EQ(m_pTrail->CountStripPairs(), 0);  // three samples: not drawn
    EXPECT_TRUE(Strip().pairs.empty());
}

TEST_F(eGeomTrailTest, TextureAndEdgesRunThroughTheSamples)
{
    const struct { const char* why; bool tiled; int32_t segments; float u0, uStep; } rows[] = {
        {"stretched over a full trail", false, 3, 0, 1.0f / 3},
        {"stretched over a growing trail", false, 5, 1.0f / 3, 0.2f},
        {"tiled once per segment", true, 3, 0, 1},
    };
    for (const auto& row : rows) {
        m_config.bTextureTiled = row.tiled;
        m_config.nMaxSegments = row.segments;
        m_pTrail->SetGeomTrailConfig(&m_config);
        Walk();
        const PairRecorder rec = Strip();
        ASSERT_EQ(rec.pairs.size(), 6u) << row.why;
        for (size_t i = 0; i < rec.pairs.size(); ++i) {
            const auto& [a, b] = rec.pairs[i];
            EXPECT_NEAR(a.uv0.x, row.u0 + static_cast<float>(i) * row.uStep, 1e-6f) << row.why << i;
            EXPECT_TRUE(a.uv0.x == b.uv0.x && a.uv0.y == 0 && b.uv0.y == 1) << row.why << i;
            EXPECT_TRUE(a.uv1 == mVec2(0, 1) && b.uv1 == mVec2(0, 0)) << row.why << i;
        }
    }
    PairRecorder rec = Strip();
    EXPECT_TRUE(rec.pairs.front().first.pos.ApproxEqual(mVec3(3, 0, 1), 1e-6f));
    EXPECT_TRUE(rec.pairs.front().second.pos.ApproxEqual(mVec3(3, 0, -1), 1e-6f));
    EXPECT_TRUE(rec.pairs.back().first.pos.ApproxEqual(mVec3(0, 0, 1), 1e-6f));
    m_config.orientation = eGeomTrailConfig::ORIENTATION_CAMERA;
    m_pTrail->SetGeomTrailConfig(&m_config);
    Walk();
    rec = Strip();
    EXPECT_TRUE(rec.pairs.front().first.pos.ApproxEqual(mVec3(3, 0, -1), 1e-6f));
    EXPECT_TRUE(rec.pairs.front().second.pos.ApproxEqual(mVec3(3, 0, 1), 1e-6f));
}

datagen::BlockWriter ConfigFile(const eGeomTrailConfig& c, uint32_t version = 5)
{
    datagen::BlockWriter w;
    datagen::TrailConfigBlock(w.Header(), c, version);
    return w.Trailer();
}

TEST_F(eGeomTrailTest, ConfigurationFiles)
{
    eTestDataDir data;
    eGeomTrailConfig src;
    src.hMaterial = eMaterialHandle(0x12340005), src.orientation = eGeomTrailConfig::ORIENTATION_CAMERA;
    src.nMaxSegments = 7, src.nSubdivisions = 3, src.fWidth = 0.75f, src.fFadeStart = 0.5f, src.bTextureTiled = true;
    {
        cFile raw;
        ASSERT_TRUE(raw.Create(data.HostPath("raw.dat").c_str(), 0, cFile::kPlatformConsole, true));
        src.Write(raw);
    }
    EXPECT_EQ(ReadHostFile(data.HostPath("raw.dat")), ConfigFile(src).GetBytes());  // fade start before width


    struct Row { const char* why; int32_t segments, steps; uint32_t version; bool ok; int32_t wantSeg, wantSteps; };
    const Row rows[] = {
        // Counts the writer never writes fail the file; no subdivisions is
        // raised to one, as stored data rely on.
        {"no segments", 0, 3, 5, false, 3, 1}, {"no subdivisions: one", 7, 0, 5, true, 7, 1},
        {"the most of each", 1024, 256, 5, true, 1024, 256},
        {"segments past the limit", 1025, 3, 5, false, 3, 1},
        {"subdivisions past the limit", 7, 257, 5, false, 3, 1},
        {"version 4 keeps the defaults", 7, 3, 4, false, 3, 1}, {"a later version is read as 5", 7, 3, 6, true, 7, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.why);
        eGeomTrailConfig stored = src;
        stored.nMaxSegments = row.segments;
        stored.nSubdivisions = row.steps;
        ASSERT_TRUE(datagen::WriteBytes(data.HostPath("r.dat"), ConfigFile(stored, row.version).GetBytes()));
        cFile file;
        ASSERT_TRUE(file.Open("/r.dat"));
        eGeomTrailConfig read;
        EXPECT_EQ(read.Read(file, &m_pool), row.ok);
        EXPECT_EQ(read.nMaxSegments, row.wantSeg);
        EXPECT_EQ(read.nSubdivisions, row.wantSteps);
    }

    datagen::BlockWriter node;  // the trail's own block holds only the node
    node.Header().Begin(1).Int(31).Begin(1).Begin(1).Begin(1).End().End().End().End().Trailer();
    ASSERT_TRUE(datagen::WriteBytes(data.HostPath("n.dat"), node.GetBytes()));
    auto* trail = dcast<eGeomTrail>(cBase::Load("/n.dat", &m_pool, eGeomTrail::GetStaticType()));
    ASSERT_NE(trail, nullptr);
    EXPECT_EQ(trail->m_fAlpha, 1.0f);
    EXPECT_EQ(trail->m_pConfig, nullptr);
}

class eGeomTrailDrawTest : public VideoTest {
protected:
    cMemPool m_pool{"trailDraw", 0x200000, false};
    eCamera m_camera;
};

TEST_F(eGeomTrailDrawTest, LongStripsSplitIntoBatchesThatShareAPair)
{
    if (!StartVideoOnce().bHaveGL)
        GTEST_SKIP() << "no OpenGL";
    eGeomTrailConfig config;
    eGeomTrail* trail = m_pool.New<eGeomTrail>();
    ASSERT_NE(trail, nullptr);
    struct Row { int32_t segments, steps; uint64_t draws, vertices; uint32_t lastCount, tris; };
    const Row rows[] = {
        {3, 1, 1, 12, 12, 10},
        {200, 200, 2, 2 * 40402, 2 * (40401 - 32767 + 1), 2 * 200 * 202},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.segments);
        config.nMaxSegments = row.segments;
        config.nSubdivisions = row.steps;
        trail->SetGeomTrailConfig(&config);
        for (int i = 0; i <= row.segments; ++i) {
            trail->m_localToParent.origin.Set(0.1f * static_cast<float>(i), 0, 0);
            trail->m_nGeomFlags |= eGeom::kDirty;
            trail->Update(cTimeValue(20));
        }
        GXTestResetDrawStats();
        eVideo::s_nRenderedDynamicTris = 0;
        trail->Draw(m_camera, nullptr);
        const GXTestDrawStats stats = GXTestGetDrawStats();
        EXPECT_EQ(stats.draws, row.draws);
        EXPECT_EQ(stats.vertices, row.vertices);
        EXPECT_EQ(eVideo::s_nRenderedDynamicTris, row.tris);
        const GXTestLastDraw last = GXTestGetLastDraw();
        EXPECT_EQ(last.primitive, GX_TRIANGLESTRIP);
        EXPECT_EQ(last.vertexCount, row.lastCount);
    }
}

}  // namespace
