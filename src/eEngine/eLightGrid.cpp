#include "eEngine/eLightGrid.h"

#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mVec3.h"

QM_DEFINE_TYPE(eLightGrid, cBase, 41)

eLightGrid::eLightGrid() : m_fSize(0.0f), m_fCellSize(0.0f), m_nLevels(0), m_pLevels(nullptr) {}

eLightGrid::eLightGrid(const eLightGrid&) : eLightGrid() {}

cBase* eLightGrid::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eLightGrid>(*this) : nullptr;
}

static int64_t BytesForSamples(int64_t nSamples)
{
    return (nSamples * nSamples * nSamples + 7) / 8;
}

static uint8_t* AllocBits(cMemPool* pPool, int32_t nBytes)
{
    // Rounded up to whole words as the console's reader took them.
    const size_t size = (static_cast<size_t>(nBytes) + 3u) & ~size_t{3};
    return static_cast<uint8_t*>(pPool->Alloc(size ? size : 4, 4));
}

void eLightGrid::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteInt(m_nLevels);
    wb.WriteFloat(m_fCellSize);
    wb.WriteFloat(m_fSize);
    for (int l = 0; l < m_nLevels; ++l) {
        const eLightGridLevel& level = m_pLevels[l];
        wb.WriteInt(level.nSamples);
        wb.WriteInt(level.nBytes);
        wb.WriteFloat(level.fCellSize);
        wb.WriteChars(level.pBits, level.nBytes);
    }
}

bool eLightGrid::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eLightGrid", "version");
    cBase::Read(file, pPool);
    const int32_t nLevels = rb.ReadInt();
    const float fCellSize = rb.ReadFloat();
    const float fSize = rb.ReadFloat();
    if (rb.Failed())
        return false;
    if (nLevels < 0 || nLevels > kMaxLevels) {
        file.Fail("eLightGrid: %d levels (allowed 0 to %d)", nLevels, kMaxLevels);
        rb.SkipToEnd();
        return false;
    }
    eLightGridLevel* pLevels = nullptr;
    if (nLevels > 0) {
        pLevels = static_cast<eLightGridLevel*>(pPool ? pPool->Alloc(sizeof(eLightGridLevel) * nLevels) : nullptr);
        if (!pLevels) {
            file.Fail("eLightGrid: no room for %d levels", nLevels);
            rb.SkipToEnd();
            return false;
        }
    }
    for (int l = 0; l < nLevels; ++l) {
        eLightGridLevel& level = pLevels[l];
        level.nSamples = rb.ReadInt();
        level.nBytes = rb.ReadInt();
        level.fCellSize = rb.ReadFloat();
        if (rb.Failed())
            return false;
        const int64_t bytesLeft = static_cast<int64_t>(rb.m_nEndOffset) - file.GetCurrentPos();
        if (level.nSamples < 1 || level.nSamples > kMaxSamples || level.nBytes < BytesForSamples(level.nSamples)
            || level.nBytes > bytesLeft) {
            file.Fail("eLightGrid: level %d has %d samples per axis and %d bytes "
                      "(samples 1 to %d, bytes at least %lld and at most the %lld left in the block)",
                      l, level.nSamples, level.nBytes, kMaxSamples,
                      static_cast<long long>(level.nSamples >= 1 && level.nSamples <= kMaxSamples
                                                 ? BytesForSamples(level.nSamples) : 0),
                      static_cast<long long>(bytesLeft));
            rb.SkipToEnd();
            return false;
        }
        level.pBits = AllocBits(pPool, level.nBytes);
        if (!level.pBits) {
            file.Fail("eLightGrid: no room for the %d bytes of level %d", level.nBytes, l);
            rb.SkipToEnd();
            return false;
        }
        rb.ReadChars(level.pBits, level.nBytes);
    }
    if (rb.Failed())
        return false;
    m_nLevels = nLevels;
    m_fCellSize = fCellSize;
    m_fSize = fSize;
    m_pLevels = pLevels;
    return true;
}

bool eLightGrid::CreateLightGrid(int levels, int resolution, float size, cMemPool* pPool)
{
    if (levels < 0 || levels > kMaxLevels || resolution < 1 || resolution >= kMaxSamples || !pPool) {
        cLogError_("eLightGrid::CreateLightGrid: %d levels at resolution %d (levels 0 to %d, resolution 1 to %d)",
                   levels, resolution, kMaxLevels, kMaxSamples - 1);
        return false;
    }
    eLightGridLevel* pLevels = nullptr;
    if (levels > 0) {
        pLevels = static_cast<eLightGridLevel*>(pPool->Alloc(sizeof(eLightGridLevel) * levels));
        if (!pLevels)
            return false;
    }
    const float fCellSize = size / static_cast<float>(resolution);
    float fLevelCell = fCellSize;
    for (int l = 0; l < levels; ++l) {
        eLightGridLevel& level = pLevels[l];
        level.nSamples = (resolution >> l) + 1;
        level.nBytes = static_cast<int32_t>(BytesForSamples(level.nSamples));
        level.fCellSize = fLevelCell;
        level.pBits = AllocBits(pPool, level.nBytes);  // pool memory comes zeroed
        if (!level.pBits)
            return false;
        std::memset(level.pBits, 0, static_cast<size_t>(level.nBytes));
        fLevelCell *= 2.0f;
    }
    m_nLevels = levels;
    m_fSize = size;
    m_fCellSize = fCellSize;
    m_pLevels = pLevels;
    return true;
}

static bool InRange(const eLightGridLevel& level, int i, int j, int k)
{
    const int n = level.nSamples;
    return i >= 0 && i < n && j >= 0 && j < n && k >= 0 && k < n;
}

static int SampleNumber(const eLightGridLevel& level, int i, int j, int k)
{
    const int n = level.nSamples;
    return i + j * n + k * n * n;
}

static bool SampleBit(const eLightGridLevel& level, int i, int j, int k)
{
    const int number = SampleNumber(level, i, j, k);
    return (level.pBits[number >> 3] >> (number & 7)) & 1u;
}

void eLightGrid::SetSample(int l, int i, int j, int k, bool bLit)
{
    if (l < 0 || l >= m_nLevels || !InRange(m_pLevels[l], i, j, k))
        return;
    const int number = SampleNumber(m_pLevels[l], i, j, k);
    const uint8_t bit = static_cast<uint8_t>(1u << (number & 7));
    uint8_t& byte = m_pLevels[l].pBits[number >> 3];
    byte = bLit ? static_cast<uint8_t>(byte | bit) : static_cast<uint8_t>(byte & ~bit);
}

bool eLightGrid::IsLit(int l, int i, int j, int k) const
{
    if (l < 0 || l >= m_nLevels || !InRange(m_pLevels[l], i, j, k))
        return false;
    return SampleBit(m_pLevels[l], i, j, k);
}

// The cell along one axis, clamped to 0 .. n - 2 so that both corners have
// samples: positions below the cube use the first cell, positions in the last
// layer or beyond use the last. NaN takes the first cell.
static int CellIndex(float f, int n)
{
    if (!(f >= 0.0f))
        return 0;
    if (f >= static_cast<float>(n - 2))
        return n - 2;
    return static_cast<int>(f);
}

int eLightGrid::GetLightValue(const mVec3& pos, float radius) const
{
    if (m_nLevels < 1)
        return kLit;
    const float h = radius * 0.5f;
    int l = 0;
    while (h > m_pLevels[l].fCellSize && l + 1 < m_nLevels)
        ++l;
    const eLightGridLevel& level = m_pLevels[l];
    const int n = level.nSamples;
    if (n < 2)  // a single sample covers everything
        return SampleBit(level, 0, 0, 0) ? kLit : 0;

    const float c = level.fCellSize;
    const float inv = 1.0f / c;
    const float half = m_fSize / 2.0f;
    const int i = CellIndex((pos.x + half) * inv, n);
    const int j = CellIndex((pos.y + half) * inv, n);
    const int k = CellIndex((pos.z + half) * inv, n);
    const float x0 = static_cast<float>(i) * c - half;
    const float y0 = static_cast<float>(j) * c - half;
    const float z0 = static_cast<float>(k) * c - half;
    const float x[2] = {x0, x0 + c};
    const float y[2] = {y0, y0 + c};
    const float z[2] = {z0, z0 + c};

    // Corner b: x from bit 2, y from bit 1, z from bit 0.
    float weight[8];
    int value[8];
    float dist[8];
    float W = 0.0f;
    for (int b = 0; b < 8; ++b) {
        const int dx = (b >> 2) & 1, dy = (b >> 1) & 1, dz = b & 1;
        value[b] = SampleBit(level, i + dx, j + dy, k + dz) ? kLit : 0;
        dist[b] = mVec3(x[dx], y[dy], z[dz]).Dist(pos);
        weight[b] = dist[b] > c ? 0.0f : 1.0f - dist[b] / c;
        W += weight[b];
    }
    if (!(W > 0.0f)) {
        // No sample within one cell (a position outside the cube): the
        // nearest of the eight decides, the first on ties.
        int nearest = 0;
        for (int b = 1; b < 8; ++b)
            if (dist[b] < dist[nearest])
                nearest = b;
        return value[nearest];
    }
    // The lit corners' share of the weight, summed in the same order as W:
    // with every corner lit it is W itself, so the result is exactly 255
    // (a sum of 255 x weight / W in floats can fall just short of it).
    float lit = 0.0f;
    for (int b = 0; b < 8; ++b)
        lit += value[b] ? weight[b] : 0.0f;
    const double sum = static_cast<double>(kLit) * lit / W;
    if (!(sum > 0.0))
        return 0;
    return sum >= kLit ? kLit : static_cast<int>(sum);
}
