#include "datagen/soundSynth.h"

#include <algorithm>
#include <cmath>

#include "datagen/soundWriters.h"

namespace datagen {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRate = kSoundSampleRate;
constexpr double kRelease = 0.005;  // a held level's end
constexpr double kEdge = 0.001;     // the whole sound's ends

// One step of a linear congruential generator, as a value in [-1, 1).
double NextWhite(uint32_t* pState)
{
    *pState = *pState * 1664525u + 1013904223u;
    return static_cast<double>(*pState >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
}

// The one-pole low-pass coefficient for a cutoff.
double PoleFor(double hz)
{
    return 1.0 - std::exp(-2.0 * kPi * std::clamp(hz, 1.0, kRate / 2.0) / kRate);
}

int FirstIndex(double at)
{
    return std::max(0, static_cast<int>(std::lround(at * kRate)));
}

}  // namespace

SynthBuffer::SynthBuffer(double seconds) : m_samples(static_cast<size_t>(std::max(0.0, seconds) * kRate), 0.0) {}

double SynthBuffer::Envelope(double t, double seconds, double attack, double decay) const
{
    const double rise = attack > 0.0 ? std::min(1.0, t / attack) : 1.0;
    if (decay > 0.0)
        return rise * std::exp(-std::max(0.0, t - attack) / decay);
    return rise * std::clamp((seconds - t) / kRelease, 0.0, 1.0);
}

void SynthBuffer::AddTone(double at, double seconds, double hzFrom, double hzTo, double amplitude, double attack,
                          double decay)
{
    const int first = FirstIndex(at);
    const int n = static_cast<int>(seconds * kRate);
    double phase = 0.0;
    for (int i = 0; i < n && first + i < static_cast<int>(m_samples.size()); ++i) {
        const double t = i / kRate;
        const double hz = hzFrom * std::pow(hzTo / hzFrom, t / seconds);
        phase += 2.0 * kPi * hz / kRate;
        m_samples[static_cast<size_t>(first + i)] += amplitude * Envelope(t, seconds, attack, decay) * std::sin(phase);
    }
}

void SynthBuffer::AddNoise(double at, double seconds, double cutoffHz, double highPassHz, double amplitude,
                           double attack, double decay, uint32_t seed)
{
    const int first = FirstIndex(at);
    const int n = static_cast<int>(seconds * kRate);
    const double a = PoleFor(cutoffHz);
    const double h = highPassHz > 0.0 ? PoleFor(highPassHz) : 0.0;
    uint32_t state = seed ? seed : 1;
    double low = 0.0, floor = 0.0;
    for (int i = 0; i < n && first + i < static_cast<int>(m_samples.size()); ++i) {
        low += a * (NextWhite(&state) - low);
        floor += h * (low - floor);  // what the high-pass takes away
        const double v = highPassHz > 0.0 ? low - floor : low;
        m_samples[static_cast<size_t>(first + i)] += amplitude * Envelope(i / kRate, seconds, attack, decay) * v;
    }
}

void SynthBuffer::AddSwish(double at, double seconds, double cutoffFrom, double cutoffTo, double amplitude,
                           uint32_t seed)
{
    const int first = FirstIndex(at);
    const int n = static_cast<int>(seconds * kRate);
    uint32_t state = seed ? seed : 1;
    double low = 0.0;
    for (int i = 0; i < n && first + i < static_cast<int>(m_samples.size()); ++i) {
        const double u = static_cast<double>(i) / n;
        low += PoleFor(cutoffFrom * std::pow(cutoffTo / cutoffFrom, u)) * (NextWhite(&state) - low);
        m_samples[static_cast<size_t>(first + i)] += amplitude * std::sin(kPi * u) * low;
    }
}

std::vector<int16_t> SynthBuffer::ToPcm(double peak) const
{
    double loudest = 0.0;
    for (double v : m_samples)
        loudest = std::max(loudest, std::fabs(v));
    const double scale = loudest > 0.0 ? peak / loudest : 0.0;
    const double edge = kEdge * kRate;
    const double n = static_cast<double>(m_samples.size());
    std::vector<int16_t> out(m_samples.size());
    for (size_t i = 0; i < out.size(); ++i) {
        const double fade = std::min({1.0, static_cast<double>(i) / edge, (n - 1.0 - static_cast<double>(i)) / edge});
        out[i] = static_cast<int16_t>(std::clamp(std::lround(m_samples[i] * scale * fade), -32767L, 32767L));
    }
    return out;
}

}  // namespace datagen
