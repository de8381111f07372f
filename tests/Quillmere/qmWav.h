#pragma once
// The sound a run wrote with --audio-wav, read back for the tests that
// listen to it.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

namespace qmtest {

// One channel (0 left, 1 right) of a 16-bit stereo WAV file, and its rate
// when pRate is given; empty when it is not one.
inline std::vector<int16_t> ReadWavChannel(const std::string& path, int channel, int* pRate = nullptr)
{
    std::ifstream in(path, std::ios::binary);
    uint8_t h[44] = {};
    if (!in.read(reinterpret_cast<char*>(h), sizeof h) || std::string(h + 36, h + 40) != "data" || h[22] != 2 ||
        h[34] != 16)
        return {};
    if (pRate)
        *pRate = h[24] | h[25] << 8 | h[26] << 16 | h[27] << 24;
    std::vector<int16_t> frames((h[40] | h[41] << 8 | h[42] << 16 | uint32_t(h[43]) << 24) / 2);
    in.read(reinterpret_cast<char*>(frames.data()), static_cast<std::streamsize>(frames.size() * 2));
    std::vector<int16_t> out;
    for (size_t i = static_cast<size_t>(channel); i + 1 - static_cast<size_t>(channel) < frames.size(); i += 2)
        out.push_back(frames[i]);
    return out;
}

// The left channel of a 16-bit stereo WAV file, and its rate when pRate is
// given; empty when it is not one.
inline std::vector<int16_t> ReadWavLeft(const std::string& path, int* pRate = nullptr)
{
    return ReadWavChannel(path, 0, pRate);
}

inline std::vector<int16_t> ReadWavRight(const std::string& path)
{
    return ReadWavChannel(path, 1);
}

// The amplitude of the frequency in the samples (Goertzel).
inline double Amplitude(const int16_t* p, int n, double hz, int rate)
{
    const double k = 2.0 * std::cos(2.0 * M_PI * hz / rate);
    double s1 = 0, s2 = 0;
    for (int i = 0; i < n; ++i) {
        const double s0 = p[i] + k * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    return 2.0 * std::sqrt(std::max(0.0, s1 * s1 + s2 * s2 - k * s1 * s2)) / n;
}

}  // namespace qmtest
