#include "eEngine/eTextureMatrixGen.h"

#include <cstring>

#include <gtest/gtest.h>

#include "gx/gxFront_local.h"

namespace {

void ExpectMatrix(const Mtx m, const float want[3][4], float tol = 1e-6f)
{
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m[r][c], want[r][c], tol) << "row " << r << " column " << c;
}

void Map(const Mtx m, float u, float v, float* pu, float* pv)
{
    *pu = m[0][0] * u + m[0][1] * v + m[0][2] + m[0][3];
    *pv = m[1][0] * u + m[1][1] * v + m[1][2] + m[1][3];
}

TEST(eTextureMatrixGen, RotationTurnsAboutTheCentreAndOffsetMoves)
{
    struct Row {
        const char* name;
        float heading, offsetU, scaleU;
        float u, v, wantU, wantV;
    };
    const Row rows[] = {
        {"quarter turn keeps the centre", 0.25f, 0.0f, 1.0f, 0.5f, 0.5f, 0.5f, 0.5f},
        {"quarter turn moves an edge", 0.25f, 0.0f, 1.0f, 1.0f, 0.5f, 0.5f, 1.0f},
        {"offset 0.1 moves every point", 0.0f, 0.1f, 1.0f, 0.2f, 0.7f, 0.3f, 0.7f},
        {"scale 2 about the centre", 0.0f, 0.0f, 2.0f, 0.75f, 0.25f, 1.0f, 0.25f},
        {"a doubled u turned a quarter", 0.25f, 0.0f, 2.0f, 1.0f, 0.5f, 0.5f, 1.5f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eTextureMatrixGen g;
        g.m_waves[eTextureMatrixGen::CH_HEADING].base = row.heading;
        g.m_waves[eTextureMatrixGen::CH_OFFSET_U].base = row.offsetU;
        g.m_waves[eTextureMatrixGen::CH_SCALE_U].amplitude = row.scaleU;
        Mtx m;
        g.BuildMatrix(cTimeValue(0), m);
        float u, v;
        Map(m, row.u, row.v, &u, &v);
        EXPECT_NEAR(u, row.wantU, 1e-5f);
        EXPECT_NEAR(v, row.wantV, 1e-5f);
    }
}

TEST(eTextureMatrixGen, PitchTiltsTheThirdAxisAndItsScaleCentres)
{
    eTextureMatrixGen g;
    g.m_waves[eTextureMatrixGen::CH_PITCH].base = 0.25f;
    g.m_waves[eTextureMatrixGen::CH_SCALE_W].amplitude = 2.0f;
    Mtx m;
    g.BuildMatrix(cTimeValue(0), m);
    const float want[3][4] = {{1, 0, 0, 0}, {0, 0, -1, 1.5f}, {0, 0, 1, 0}};
    ExpectMatrix(m, want, 1e-6f);
}

TEST(eTextureMatrixGen, WavesAreSampledAtTheTimeInSeconds)
{
    eTextureMatrixGen g;
    mWaveGen& ramp = g.m_waves[eTextureMatrixGen::CH_OFFSET_U];
    ramp.waveType = mWaveGen::kRampUp;
    ramp.amplitude = 1.0f;
    ramp.frequency = 1.0f;
    mWaveGen& square = g.m_waves[eTextureMatrixGen::CH_SCALE_V];
    square.waveType = mWaveGen::kSquare;
    square.base = 1.0f;
    square.amplitude = 0.5f;
    square.frequency = 2.0f;
    struct Row {
        int32_t ticks;
        float offsetU, scaleV;
    } rows[] = {{0, 0.0f, 1.5f}, {150, 0.25f, 0.5f}, {450, 0.75f, 0.5f}, {660, 0.1f, 1.5f}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.ticks);
        Mtx m;
        g.BuildMatrix(cTimeValue(row.ticks), m);
        EXPECT_NEAR(m[0][3], row.offsetU, 1e-5f);
        EXPECT_NEAR(m[1][1], row.scaleV, 1e-6f);
        EXPECT_NEAR(m[1][3], 0.5f - 0.5f * row.scaleV, 1e-6f);  // scaled about the centre
    }
}

TEST(eTextureMatrixGen, ApplyLoadsThePostMatrixOfTheStage)
{
    eTextureMatrixGen g;
    g.m_waves[eTextureMatrixGen::CH_OFFSET_V].base = 0.125f;
    for (int stage = 0; stage < 4; ++stage) {
        g.m_waves[eTextureMatrixGen::CH_OFFSET_U].base = 0.25f * static_cast<float>(stage);
        g.Apply(stage, cTimeValue(0), 0);
        const int row = static_cast<int>(eTextureMatrixGen::s_GXTexMtx[stage]) - GX_PTTEXMTX0;
        EXPECT_EQ(eTextureMatrixGen::s_GXTexMtx[stage], 64u + 3u * static_cast<uint32_t>(stage));
        EXPECT_FLOAT_EQ(gxGet().postMtx[row][3], 0.25f * static_cast<float>(stage));
        EXPECT_FLOAT_EQ(gxGet().postMtx[row + 1][3], 0.125f);
        EXPECT_FLOAT_EQ(gxGet().postMtx[row + 2][2], 1.0f);
    }
    float before[sizeof(gxGet().postMtx) / sizeof(float)];
    std::memcpy(before, gxGet().postMtx, sizeof(before));
    g.m_waves[eTextureMatrixGen::CH_OFFSET_U].base = 0.5f;
    g.Apply(4, cTimeValue(0), 0);  // no fifth stage: nothing loaded
    g.Apply(-1, cTimeValue(0), 0);
    EXPECT_EQ(std::memcmp(before, gxGet().postMtx, sizeof(before)), 0);
}

}  // namespace
