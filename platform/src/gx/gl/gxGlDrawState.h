#pragma once
// Turns a draw's GX state snapshot into what OpenGL needs: the uber-shader's
// parameter block and the fixed-function settings (viewport, scissor, depth,
// blending, culling, write masks). Pure functions, no GL calls, so the
// translation is tested without a context. Any thread.

#include <cstdint>

#include "gx/gl/gxGlUniforms.h"
#include "gx/gxState.h"

namespace gxgl {

// OpenGL enum values are kept as plain numbers so this header needs no GL.
struct GlPipeline {
    // Viewport and scissor in frame-buffer pixels, y from the top.
    float viewport[4] = {0, 0, 640, 480};  // x, y, w, h
    float depthRange[2] = {0, 1};          // near, far
    int scissor[4] = {0, 0, 640, 480};     // x, y, w, h (clipped to the frame buffer)

    bool depthTest = true;
    uint32_t depthFunc = 0x0203;  // GL_LEQUAL
    bool depthWrite = true;

    bool blend = false;
    uint32_t blendEquation = 0x8006;  // GL_FUNC_ADD
    uint32_t blendSrc = 1;            // GL_ONE
    uint32_t blendDst = 0;            // GL_ZERO
    bool logicOp = false;
    uint32_t logicOpCode = 0x1503;  // GL_COPY

    bool cull = false;
    uint32_t cullFace = 0x0405;  // GL_BACK

    bool colorMask = true;
    bool alphaMask = true;
};

// Fills the parameter block and the pipeline for one draw. attrMask has bit
// n set when GXAttr n was present in the draw's vertices.
void TranslateDrawState(const gxState& state, uint32_t attrMask, GlDrawUniforms* u, GlPipeline* p);

// Fog coefficients of the hardware's equation for GXSetFog's arguments:
// perspective: eyeDist = A / (B - depth); orthographic: A * depth; then
// f = clamp(eyeDist - C, 0, 1), depth being 0..1. False (fog off) when the
// range or the planes are degenerate.
bool FogCoefficients(const gxFog& fog, float* a, float* b, float* c);

// GL equivalents of GX enumerations (plain numbers, see above).
uint32_t GlCompareFunc(GXCompare compare);
uint32_t GlBlendFactor(GXBlendFactor factor, bool isSource);
uint32_t GlLogicOp(GXLogicOp op);
// The hardware's combiner operation fields (op, bias, scale) of a GX op:
// compare ops become bias 3 with the compare kind split over op and scale.
void TevOpFields(GXTevOp op, GXTevBias bias, GXTevScale scale, int32_t out[3]);
// The hardware rasterised-colour selection of a GX channel id: 0 colour 0,
// 1 colour 1, 5/6 bump alpha, 7 zero.
int32_t TevRasChannel(GXChannelID channel);

}  // namespace gxgl
