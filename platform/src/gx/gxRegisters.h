#pragma once
// Register loads of the command stream (CP, XF, BP) translated to the
// front-end state, for display lists. Only the registers whose meaning the
// state models are applied; pure functions over the state given.

#include <cstdint>

#include "gx/gxState.h"

enum class gxRegResult : uint8_t {
    kApplied,
    kIgnored,      // a register the state does not model; harmless to skip
    kUnsupported,  // cannot be honoured here (a 32-bit array address); the stream is not trustworthy
};

// CP registers (the byte after opcode 0x08).
constexpr uint8_t kGxCpMatrixIndexA = 0x30;  // PNMTX bits 0-5, TEX0..3 6-11, 12-17, 18-23, 24-29
constexpr uint8_t kGxCpMatrixIndexB = 0x40;  // TEX4..7 bits 0-5, 6-11, 12-17, 18-23
constexpr uint8_t kGxCpVcdLow = 0x50;        // bit 0 PNMTXIDX, 1-8 TEXnMTXIDX, 9-10 POS, 11-12 NRM, 13-14 CLR0, 15-16 CLR1
constexpr uint8_t kGxCpVcdHigh = 0x60;       // bits 2n..2n+1: TEXn
constexpr uint8_t kGxCpVatA = 0x70;          // + format
constexpr uint8_t kGxCpVatB = 0x80;
constexpr uint8_t kGxCpVatC = 0x90;
constexpr uint8_t kGxCpArrayBase = 0xA0;     // + array: address, not loadable here
constexpr uint8_t kGxCpArrayStride = 0xB0;   // + array

// XF addresses beyond matrix and light memory.
constexpr uint32_t kGxXfNumChans = 0x1009;
constexpr uint32_t kGxXfAmbient0 = 0x100A;   // 0x100A/B ambient, 0x100C/D material: 0xRRGGBBAA
constexpr uint32_t kGxXfMaterial0 = 0x100C;
constexpr uint32_t kGxXfMatrixIndexA = 0x1018;
constexpr uint32_t kGxXfMatrixIndexB = 0x1019;
constexpr uint32_t kGxXfViewport = 0x101A;   // wd, ht, zRange, xOrig, yOrig, farZ
constexpr uint32_t kGxXfProjection = 0x1020; // p0..p5, then 0x1026 type
constexpr uint32_t kGxXfNumTexGens = 0x103F;
constexpr float kGxViewportOrigin = 342.0f;   // hardware offset of the viewport centre
constexpr float kGxDepthMax = 16777215.0f;    // 24-bit depth

// BP registers.
constexpr uint32_t kGxBpZMode = 0x40;        // bit 0 compare, 1-3 function, 4 update
constexpr uint32_t kGxBpBlendMode = 0x41;    // 0 blend, 1 logic, 2 dither, 3 colour, 4 alpha, 5-7 dst, 8-10 src, 11 subtract, 12-15 logic op
constexpr uint32_t kGxBpAlphaCompare = 0xF3; // ref0 0-7, ref1 8-15, comp0 16-18, comp1 19-21, op 22-23
constexpr uint32_t kGxBpWriteMask = 0xFE;

gxRegResult gxApplyCpRegister(gxState& s, uint8_t reg, uint32_t value);
gxRegResult gxApplyXfWord(gxState& s, uint32_t address, uint32_t value);
gxRegResult gxApplyBpRegister(gxState& s, uint32_t reg, uint32_t value24);

// The vertex-format words A, B, C of one format into the state's layout.
void gxUnpackVat(uint32_t a, uint32_t b, uint32_t c, gxVtxFmt& fmt);
// Packing back, for the BP/CP read-modify-write and for tests.
void gxPackVat(const gxVtxFmt& fmt, uint32_t* a, uint32_t* b, uint32_t* c);
