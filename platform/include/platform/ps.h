#pragma once
// Big-endian load/store helpers and the paired-single quantised conversions.
// Every data file and every raw block the GPU or DSP reads is big-endian; the
// host is little-endian. Byte pointers are never cast to wider types: loads
// and stores go through memcpy. Pure functions, any thread.

#include <cstdint>
#include <cstring>
#include <cmath>

namespace ps {

inline uint16_t Swap16(uint16_t v) { return static_cast<uint16_t>((v >> 8) | (v << 8)); }
inline uint32_t Swap32(uint32_t v) { return __builtin_bswap32(v); }
inline uint64_t Swap64(uint64_t v) { return __builtin_bswap64(v); }

inline uint16_t LoadU16BE(const void* p) { uint16_t v; std::memcpy(&v, p, 2); return Swap16(v); }
inline uint32_t LoadU32BE(const void* p) { uint32_t v; std::memcpy(&v, p, 4); return Swap32(v); }
inline int16_t LoadS16BE(const void* p) { return static_cast<int16_t>(LoadU16BE(p)); }
inline int32_t LoadS32BE(const void* p) { return static_cast<int32_t>(LoadU32BE(p)); }
inline float LoadF32BE(const void* p) { uint32_t u = LoadU32BE(p); float f; std::memcpy(&f, &u, 4); return f; }

inline void StoreU16BE(void* p, uint16_t v) { v = Swap16(v); std::memcpy(p, &v, 2); }
inline void StoreU32BE(void* p, uint32_t v) { v = Swap32(v); std::memcpy(p, &v, 4); }
inline void StoreS16BE(void* p, int16_t v) { StoreU16BE(p, static_cast<uint16_t>(v)); }
inline void StoreS32BE(void* p, int32_t v) { StoreU32BE(p, static_cast<uint32_t>(v)); }
inline void StoreF32BE(void* p, float f) { uint32_t u; std::memcpy(&u, &f, 4); StoreU32BE(p, u); }

// The quantisation formats the program sets up: signed 16-bit values with
// this many fraction bits (loads divide by 2^n, stores multiply and saturate).
enum QuantFrac : int { kFrac0 = 0, kFrac4 = 4, kFrac8 = 8, kFrac10 = 10, kFrac14 = 14 };

inline float DequantS16(int16_t v, int fracBits) { return std::ldexp(static_cast<float>(v), -fracBits); }

// Saturates to the s16 range, then truncates toward zero as the hardware does.
inline int16_t QuantS16(float value, int fracBits)
{
    const float scaled = std::ldexp(value, fracBits);
    if (!(scaled > -32768.0f)) return scaled != scaled ? 0 : -32768;  // NaN stores 0
    if (scaled >= 32767.0f) return 32767;
    return static_cast<int16_t>(scaled);
}

inline float LoadQuantS16BE(const void* p, int fracBits) { return DequantS16(LoadS16BE(p), fracBits); }
inline void StoreQuantS16BE(void* p, float value, int fracBits) { StoreS16BE(p, QuantS16(value, fracBits)); }

}  // namespace ps
