#include "mMath/mRand.h"

#include <cstdint>

const unsigned int s_randSeed = 29179;
unsigned int s_randCounter = 0;
const unsigned int s_irandSeed = 16661;
unsigned int s_irandCounter = 0;

// Three entries of the engine's table of mixing primes; no other entry is used.
static constexpr uint32_t kPrimeA = 15731;
static constexpr uint32_t kPrimeB = 790567;
static constexpr uint32_t kPrimeC = 1376317711;
// 2^-32 less three units in the last place (bits 0x2F7FFFFD), so that even the
// largest draw stays below 1.
static constexpr float kDrawScale = 2.3283060e-10f;

// One integer draw: a hash of the seed and the call count, all arithmetic
// unsigned 32-bit and wrapping.
static uint32_t Draw(uint32_t seed, unsigned int& counter)
{
    const uint32_t c = counter;
    counter = c + 1u;
    const uint32_t n = seed + 59u * (c + seed);
    const uint32_t x = (n << 13) ^ n;
    return x * (x * x * kPrimeA + kPrimeB) + kPrimeC / (((c + 1u) & 0xFFFFFu) | 1u);
}

static float ToUnit(uint32_t u) { return static_cast<float>(u) * kDrawScale; }

float mRand() { return ToUnit(Draw(s_randSeed, s_randCounter)); }
float mRandTol() { return 1.0f - 2.0f * mRand(); }
float mIRand() { return ToUnit(Draw(s_irandSeed, s_irandCounter)); }
float mIRandTol() { return 1.0f - 2.0f * mIRand(); }
void mRandReset() { s_randCounter = 0; }
