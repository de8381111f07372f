#pragma once
// An animated texture transform: seven waves drive scale (u, v and a third
// axis that only enters the centring), offset (u, v) and rotation (heading
// and pitch, in turns); each draw builds the texture stage's post-transform
// matrix from their values at the current time. Owned by one texture stage
// (transform kind 3) in that stage's pool; main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cTimeValue.h"
#include "platform/mtx.h"
#include "mMath/mWaveGen.h"

class eTextureMatrixGen : public cBase {
    QM_DECLARE_TYPE(eTextureMatrixGen)
public:
    enum eChannel : int {
        CH_SCALE_U = 0,
        CH_SCALE_V,
        CH_SCALE_W,
        CH_OFFSET_U,
        CH_OFFSET_V,
        CH_HEADING,  // turns
        CH_PITCH,    // turns
        NUM_CHANNELS,
    };
    static constexpr uint32_t kVersion = 1;
    // Post-transform matrix of each texture combiner stage.
    static const uint32_t s_GXTexMtx[4];

    // Scale 1 on the three axes, no offset, no rotation.
    eTextureMatrixGen();
    eTextureMatrixGen(const eTextureMatrixGen&) = default;

    cBase* Copy(cMemPool* pPool) const override;
    void Write(const cFile& file) const override;
    // Version 1 or later (0: skipped, false); the seven waves change only
    // when all were read.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // The post-transform matrix at a time: the texture scaled by (w0, w1) and
    // rotated about its centre (0.5, 0.5), then moved by (w3, w4).
    void BuildMatrix(cTimeValue time, Mtx m) const;
    // Builds it and loads it as the post-transform matrix of stage 0-3
    // (others are ignored). The last argument has no effect.
    void Apply(int stage, cTimeValue time, int) const;

    mWaveGen m_waves[NUM_CHANNELS];
};
