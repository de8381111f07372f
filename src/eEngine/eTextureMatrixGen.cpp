#include "eEngine/eTextureMatrixGen.h"

#include "platform/gx.h"
#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "mMath/mBasis.h"
#include "mMath/mVec3.h"

QM_DEFINE_TYPE(eTextureMatrixGen, cBase, 9)

const uint32_t eTextureMatrixGen::s_GXTexMtx[4] = {GX_PTTEXMTX0, GX_PTTEXMTX1, GX_PTTEXMTX2, GX_PTTEXMTX3};

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr float kDegreesPerTurn = 360.0f;

}  // namespace

eTextureMatrixGen::eTextureMatrixGen()
{
    // mWaveGen's own default: base 0, amplitude 1, phase 0, frequency 1. The
    // scales use the constant peak (base + amplitude = 1), the rest the
    // constant base (0).
    for (int i = 0; i < NUM_CHANNELS; ++i)
        m_waves[i].waveType = i <= CH_SCALE_W ? mWaveGen::kConstPeak : mWaveGen::kConstBase;
    for (int i = CH_OFFSET_U; i < NUM_CHANNELS; ++i) {
        m_waves[i].amplitude = 0.0f;
        m_waves[i].frequency = 0.0f;
    }
}

cBase* eTextureMatrixGen::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eTextureMatrixGen>(*this) : nullptr;
}

void eTextureMatrixGen::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    for (const mWaveGen& w : m_waves) {
        wb.WriteInt(w.waveType);
        wb.WriteFloat(w.base);
        wb.WriteFloat(w.amplitude);
        wb.WriteFloat(w.phase);
        wb.WriteFloat(w.frequency);
    }
}

bool eTextureMatrixGen::Read(const cFile& file, cMemPool*)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eTextureMatrixGen", "version");
    { cReadBlock base(file, kBaseVersion); }
    mWaveGen waves[NUM_CHANNELS];
    for (mWaveGen& w : waves) {
        w.waveType = rb.ReadInt();
        w.base = rb.ReadFloat();
        w.amplitude = rb.ReadFloat();
        w.phase = rb.ReadFloat();
        w.frequency = rb.ReadFloat();
    }
    if (rb.Failed())
        return false;
    for (int i = 0; i < NUM_CHANNELS; ++i)
        m_waves[i] = waves[i];
    return true;
}

void eTextureMatrixGen::BuildMatrix(cTimeValue time, Mtx m) const
{
    const float t = static_cast<float>(time.m_nTicks) * cTimeValue::SECONDS_PER_TICK;
    float w[NUM_CHANNELS];
    for (int i = 0; i < NUM_CHANNELS; ++i)
        w[i] = m_waves[i].Calulate(t);

    mBasis r;
    const float pitch = kDegreesPerTurn * w[CH_PITCH];
    const float heading = kDegreesPerTurn * w[CH_HEADING];
    if (pitch != 0.0f)
        r.SetHP(heading, pitch);
    else
        r.SetH(heading);
    const mVec3& X = r.right;
    const mVec3& Y = r.forward;
    const mVec3& Z = r.up;
    mVec3 c;
    c.Xform(mVec3(-0.5f * w[CH_SCALE_U], -0.5f * w[CH_SCALE_V], -0.5f * w[CH_SCALE_W]), r);

    m[0][0] = X.x * w[CH_SCALE_U];
    m[0][1] = Y.x * w[CH_SCALE_V];
    m[0][2] = Z.x;
    m[0][3] = c.x + 0.5f + w[CH_OFFSET_U];
    m[1][0] = X.y * w[CH_SCALE_U];
    m[1][1] = Y.y * w[CH_SCALE_V];
    m[1][2] = Z.y;
    m[1][3] = c.y + 0.5f + w[CH_OFFSET_V];
    m[2][0] = 0.0f;
    m[2][1] = 0.0f;
    m[2][2] = 1.0f;
    m[2][3] = 0.0f;
}

void eTextureMatrixGen::Apply(int stage, cTimeValue time, int) const
{
    if (stage < 0 || stage > 3)
        return;
    Mtx m;
    BuildMatrix(time, m);
    GXLoadTexMtxImm(m, s_GXTexMtx[stage], GX_MTX3x4);
}
