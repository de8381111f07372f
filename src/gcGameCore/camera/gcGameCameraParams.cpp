#include "gcGameCore/camera/gcGameCameraParams.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"

QM_DEFINE_TYPE(gcGameCameraParams, cBase, 181)

namespace {

constexpr float kDefaultVels[] = {3.0f, 0.0f, 0.0f, 0.0f, 3.0f};
constexpr float kDefaultTimes[] = {0.9f, 0.98f, 0.9f, 0.8f, 0.75f};
constexpr float kDefaultOffsets[] = {180.0f, -15.0f, 6.5f, 100.0f, 0.0f};

// A stored count: entries up to n are kept, the rest read and dropped.
int ReadCount(const cReadBlock& rb)
{
    const int32_t nCount = rb.ReadInt();
    if (nCount < 0) {
        rb.m_file.Fail("gcGameCameraParams: negative count %d", nCount);
        return 0;
    }
    return nCount;
}

}  // namespace

gcGameCameraParams::gcGameCameraParams()
{
    std::copy(std::begin(kDefaultVels), std::end(kDefaultVels), m_fMaxVels);
    std::copy(std::begin(kDefaultTimes), std::end(kDefaultTimes), m_fMaxTimes);
    std::copy(std::begin(kDefaultOffsets), std::end(kDefaultOffsets), m_fOffsets);
}

cBase* gcGameCameraParams::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcGameCameraParams>(*this) : nullptr;
}

void gcGameCameraParams::Set(const gcGameCameraParams& other)
{
    std::copy(std::begin(other.m_fMaxVels), std::end(other.m_fMaxVels), m_fMaxVels);
    std::copy(std::begin(other.m_fMaxTimes), std::end(other.m_fMaxTimes), m_fMaxTimes);
    std::copy(std::begin(other.m_fOffsets), std::end(other.m_fOffsets), m_fOffsets);
}

bool gcGameCameraParams::AllFinite() const
{
    const auto finite = [](const float* p, int n) { return std::all_of(p, p + n, [](float f) { return std::isfinite(f); }); };
    return finite(m_fMaxVels, MAX_SPEEDTYPES) && finite(m_fMaxTimes, MAX_SPEEDTYPES) &&
           finite(m_fOffsets, MAX_OFFSETTYPES);
}

void gcGameCameraParams::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteInt(MAX_SPEEDTYPES);
    for (int i = 0; i < MAX_SPEEDTYPES; ++i) {
        wb.WriteFloat(m_fMaxVels[i]);
        wb.WriteFloat(m_fMaxTimes[i]);
    }
    wb.WriteInt(MAX_OFFSETTYPES);
    for (float fOffset : m_fOffsets)
        wb.WriteFloat(fOffset);
}

bool gcGameCameraParams::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcGameCameraParams", "version");
    cBase::Read(file, pPool);
    gcGameCameraParams read(*this);
    const int nSpeeds = ReadCount(rb);
    for (int i = 0; i < nSpeeds && !rb.Failed(); ++i) {
        const float fVel = rb.ReadFloat();
        const float fTime = rb.ReadFloat();
        if (i < MAX_SPEEDTYPES) {
            read.m_fMaxVels[i] = fVel;
            read.m_fMaxTimes[i] = fTime;
        }
    }
    const int nOffsets = rb.Failed() ? 0 : ReadCount(rb);
    for (int i = 0; i < nOffsets && !rb.Failed(); ++i) {
        const float fOffset = rb.ReadFloat();
        if (i < MAX_OFFSETTYPES)
            read.m_fOffsets[i] = fOffset;
    }
    if (rb.Failed())
        return false;
    // A value that is not a number would pass every clamp and leave the
    // camera's position not a number until it is placed again.
    if (!read.AllFinite())
        return rb.Reject("gcGameCameraParams", "value that is not a number");
    // A slower movement pole would let the camera lag beyond its follow
    // distance; the others are taken as stored.
    read.m_fMaxTimes[SPD_MOVEMENT] = std::clamp(read.m_fMaxTimes[SPD_MOVEMENT], 0.0f, kMaxMovementPole);
    if (rb.m_nVersion == 1) {
        read.m_fMaxVels[SPD_MOVEMENT] = kDefaultVels[SPD_MOVEMENT];
        read.m_fMaxVels[SPD_LOOKAT] = kDefaultVels[SPD_LOOKAT];
    }
    Set(read);
    return true;
}
