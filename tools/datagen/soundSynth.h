#pragma once
// Building blocks for short sounds made from nothing but arithmetic: tones
// that glide in pitch, filtered noise, and envelopes, mixed into 16-bit
// samples at 32 kHz. The sample game's sound effects are made of these.
// Offline tools and test fixtures; main thread.

#include <cstdint>
#include <vector>

namespace datagen {

// A signal under construction: samples as doubles, 32 kHz, mixed into and
// turned into 16-bit samples at the end.
class SynthBuffer {
public:
    explicit SynthBuffer(double seconds);

    // A sine gliding exponentially from hzFrom to hzTo over `seconds` from
    // `at`, its peak `amplitude`, shaped by an attack of `attack` seconds
    // and an exponential decay of time constant `decay` seconds (0: held
    // level to the end, with a 5 ms release).
    void AddTone(double at, double seconds, double hzFrom, double hzTo, double amplitude, double attack, double decay);
    // White noise through a one-pole low-pass at cutoffHz (and a high-pass
    // at highPassHz when above 0), shaped as AddTone shapes its tone. The
    // same seed gives the same noise.
    void AddNoise(double at, double seconds, double cutoffHz, double highPassHz, double amplitude, double attack,
                  double decay, uint32_t seed);
    // Noise whose low-pass cutoff sweeps from cutoffFrom to cutoffTo while
    // its level swells and fades as a sine arch: a swish or a rush of air.
    void AddSwish(double at, double seconds, double cutoffFrom, double cutoffTo, double amplitude, uint32_t seed);

    // The samples, scaled so that the loudest has the peak (unless the mix
    // is silent), each end faded over 1 ms so that nothing clicks.
    std::vector<int16_t> ToPcm(double peak) const;

    const std::vector<double>& Samples() const { return m_samples; }

private:
    double Envelope(double t, double seconds, double attack, double decay) const;
    std::vector<double> m_samples;
};

}  // namespace datagen
