// The mixing kernels, compiled twice by axFrame.cpp: for the baseline
// instruction set, and (QM_MIX_TARGET naming the target) for processors with
// AVX2, whose 32-bit multiplies take eight lanes at once. Included only
// there, inside a namespace each time; both give the same results bit for
// bit.

// Envelope volume after i samples of the ramp: adding delta each sample and
// saturating to 0..0xFFFF stays at the bound it reaches, as the sum clamped.
QM_MIX_TARGET inline int32_t RampVolume(int32_t volume, int32_t delta, uint32_t i)
{
    return std::clamp(volume + static_cast<int32_t>(i) * delta, 0, 0xFFFF);
}

// The frame's played outputs through the envelope and into the buses at the
// mix volumes. kCount is AX_FRAME_SAMPLES for a whole frame, the usual case,
// whose loops of known count the compiler vectorises; 0 takes n.
template <uint32_t kCount>
QM_MIX_TARGET void MixOutputs(const int16_t* __restrict in, uint32_t n, const AXPBVE& ve, const AXPBMIX& mix,
                              int32_t* __restrict pLeft, int32_t* __restrict pRight, int32_t* __restrict pSurround)
{
    const uint32_t count = kCount ? kCount : n;
    // A 16-bit sample times a 16-bit volume: no overflow.
    int32_t enveloped[AX_FRAME_SAMPLES];
    const int32_t volume = ve.currentVolume;
    if (ve.currentDelta == 0) {
        for (uint32_t i = 0; i < count; ++i)
            enveloped[i] = (in[i] * volume) >> 15;
    } else {
        for (uint32_t i = 0; i < count; ++i)
            enveloped[i] = (in[i] * RampVolume(volume, ve.currentDelta, i)) >> 15;
    }
    // A silent bus would add only zeros. An enveloped sample above unity
    // times a volume above unity wraps at 32 bits, as the frame always has.
    int32_t* const buses[3] = {pLeft, pRight, pSurround};
    const int32_t volumes[3] = {mix.vL, mix.vR, mix.vS};
    for (int b = 0; b < 3; ++b) {
        if (volumes[b] == 0)
            continue;
        int32_t* __restrict bus = buses[b];
        const uint32_t v = static_cast<uint32_t>(volumes[b]);
        for (uint32_t i = 0; i < count; ++i)
            bus[i] += static_cast<int32_t>(static_cast<uint32_t>(enveloped[i]) * v) >> 15;
    }
}
