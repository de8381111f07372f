#pragma once
// The graphics library: the state machine of the console's graphics chip,
// immediate-mode vertices, display lists, texture and palette objects, the
// texture combiner (TEV), lighting, fog, pixel state and frame-buffer copies.
//
// Threads: any OS thread may call (the OS layer lets one run at a time). State
// calls only change the front end's state; vertices and display lists are
// decoded on the calling thread, so client memory holding vertex arrays and
// lists may change as soon as the call returns. Texture and palette memory is
// read by the render thread later: keep it unchanged until GXDrawDone, and
// announce CPU writes with DCStoreRangeNoSync or GXInvalidateTexAll.
//
// Every enum carries the hardware's numeric values; each list is written once
// (an X-macro: name, value, note) and expanded into the enum and its text
// function, which answers the name or "???" for a value outside the list.

#include <cstdint>

#include "platform/mtx.h"

typedef uint8_t GXBool;
constexpr GXBool GX_FALSE = 0;
constexpr GXBool GX_TRUE = 1;
constexpr GXBool GX_DISABLE = 0;
constexpr GXBool GX_ENABLE = 1;

struct GXColor {
    uint8_t r, g, b, a;
};
struct GXColorS10 {  // TEV register colour, 11-bit signed per channel (-1024..1023)
    int16_t r, g, b, a;
};

#define QM_GX_ENUM_ENTRY(name, value, note) name = value,

// ---- vertex attributes ---------------------------------------------------------
#define GX_ATTR_LIST(X)                                                           \
    X(GX_VA_PNMTXIDX, 0, "position/normal matrix row, one byte")                 \
    X(GX_VA_TEX0MTXIDX, 1, "texture matrix row for coordinate 0, one byte")      \
    X(GX_VA_TEX1MTXIDX, 2, "")                                                   \
    X(GX_VA_TEX2MTXIDX, 3, "")                                                   \
    X(GX_VA_TEX3MTXIDX, 4, "")                                                   \
    X(GX_VA_TEX4MTXIDX, 5, "")                                                   \
    X(GX_VA_TEX5MTXIDX, 6, "")                                                   \
    X(GX_VA_TEX6MTXIDX, 7, "")                                                   \
    X(GX_VA_TEX7MTXIDX, 8, "")                                                   \
    X(GX_VA_POS, 9, "position; array 0")                                         \
    X(GX_VA_NRM, 10, "normal; array 1")                                          \
    X(GX_VA_CLR0, 11, "colour 0; array 2")                                       \
    X(GX_VA_CLR1, 12, "colour 1; array 3")                                       \
    X(GX_VA_TEX0, 13, "texture coordinate 0; arrays 4..11 for TEX0..7")         \
    X(GX_VA_TEX1, 14, "")                                                        \
    X(GX_VA_TEX2, 15, "")                                                        \
    X(GX_VA_TEX3, 16, "")                                                        \
    X(GX_VA_TEX4, 17, "")                                                        \
    X(GX_VA_TEX5, 18, "")                                                        \
    X(GX_VA_TEX6, 19, "")                                                        \
    X(GX_VA_TEX7, 20, "")                                                        \
    X(GX_POS_MTX_ARRAY, 21, "array 12: source of indexed position-matrix loads") \
    X(GX_NRM_MTX_ARRAY, 22, "array 13: indexed normal-matrix loads")             \
    X(GX_TEX_MTX_ARRAY, 23, "array 14: indexed texture/post matrix loads")       \
    X(GX_LIGHT_ARRAY, 24, "array 15: indexed light loads")                       \
    X(GX_VA_NBT, 25, "normal+binormal+tangent; uses the normal array")           \
    X(GX_VA_MAX_ATTR, 26, "count")                                               \
    X(GX_VA_NULL, 0xFF, "list terminator")
enum GXAttr { GX_ATTR_LIST(QM_GX_ENUM_ENTRY) };
const char* GXAttrText(int value);
// Hardware array index of an attribute that has an array (9..25), else -1.
int GXAttrArrayIndex(GXAttr attr);

#define GX_ATTR_TYPE_LIST(X)                           \
    X(GX_NONE, 0, "not in the vertex")                 \
    X(GX_DIRECT, 1, "data inline in the stream")       \
    X(GX_INDEX8, 2, "u8 index into the array")         \
    X(GX_INDEX16, 3, "big-endian u16 index into the array")
enum GXAttrType { GX_ATTR_TYPE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXAttrTypeText(int value);

// Component count; the meaning depends on the attribute.
#define GX_COMP_CNT_LIST(X)                                  \
    X(GX_POS_XY, 0, "also NRM_XYZ, CLR_RGB, TEX_S")          \
    X(GX_POS_XYZ, 1, "also NRM_NBT, CLR_RGBA, TEX_ST")       \
    X(GX_NRM_NBT3, 2, "NBT with one index each for N, B, T")
enum GXCompCnt {
    GX_COMP_CNT_LIST(QM_GX_ENUM_ENTRY)
    GX_NRM_XYZ = 0,
    GX_NRM_NBT = 1,
    GX_CLR_RGB = 0,
    GX_CLR_RGBA = 1,
    GX_TEX_S = 0,
    GX_TEX_ST = 1,
};
const char* GXCompCntText(int value);

// Component type; positions, normals and texture coordinates use the first
// five, colours the aliases below.
#define GX_COMP_TYPE_LIST(X)                 \
    X(GX_U8, 0, "also colour RGB565 (2 bytes)") \
    X(GX_S8, 1, "also colour RGB8 (3 bytes)")  \
    X(GX_U16, 2, "also colour RGBX8 (4 bytes)") \
    X(GX_S16, 3, "also colour RGBA4 (2 bytes)") \
    X(GX_F32, 4, "also colour RGBA6 (3 bytes)") \
    X(GX_RGBA8, 5, "colour only: bytes R, G, B, A")
enum GXCompType {
    GX_COMP_TYPE_LIST(QM_GX_ENUM_ENTRY)
    GX_RGB565 = 0,
    GX_RGB8 = 1,
    GX_RGBX8 = 2,
    GX_RGBA4 = 3,
    GX_RGBA6 = 4,
};
const char* GXCompTypeText(int value);

#define GX_VTX_FMT_LIST(X)          \
    X(GX_VTXFMT0, 0, "")            \
    X(GX_VTXFMT1, 1, "")            \
    X(GX_VTXFMT2, 2, "")            \
    X(GX_VTXFMT3, 3, "")            \
    X(GX_VTXFMT4, 4, "")            \
    X(GX_VTXFMT5, 5, "")            \
    X(GX_VTXFMT6, 6, "")            \
    X(GX_VTXFMT7, 7, "")            \
    X(GX_MAX_VTXFMT, 8, "count; the low 3 bits of a draw opcode")
enum GXVtxFmt { GX_VTX_FMT_LIST(QM_GX_ENUM_ENTRY) };
const char* GXVtxFmtText(int value);

// Draw opcodes; the vertex format is or-ed into the low 3 bits.
#define GX_PRIMITIVE_LIST(X)                                      \
    X(GX_QUADS, 0x80, "4 vertices a quad, drawn as (0,1,2) (0,2,3)") \
    X(GX_QUADS2, 0x88, "behaves as GX_QUADS")                     \
    X(GX_TRIANGLES, 0x90, "3 vertices a triangle")                \
    X(GX_TRIANGLESTRIP, 0x98, "")                                 \
    X(GX_TRIANGLEFAN, 0xA0, "")                                   \
    X(GX_LINES, 0xA8, "2 vertices a line")                        \
    X(GX_LINESTRIP, 0xB0, "")                                     \
    X(GX_POINTS, 0xB8, "")
enum GXPrimitive { GX_PRIMITIVE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXPrimitiveText(int value);

// ---- matrix memory ids (a matrix id is its first row) ---------------------------
#define GX_POS_NRM_MTX_LIST(X)                                              \
    X(GX_PNMTX0, 0, "position rows 0..2; normal rows (id & 31)..+2") \
    X(GX_PNMTX1, 3, "")                                                     \
    X(GX_PNMTX2, 6, "")                                                     \
    X(GX_PNMTX3, 9, "")                                                     \
    X(GX_PNMTX4, 12, "")                                                    \
    X(GX_PNMTX5, 15, "")                                                    \
    X(GX_PNMTX6, 18, "")                                                    \
    X(GX_PNMTX7, 21, "")                                                    \
    X(GX_PNMTX8, 24, "")                                                    \
    X(GX_PNMTX9, 27, "")
enum GXPosNrmMtx { GX_POS_NRM_MTX_LIST(QM_GX_ENUM_ENTRY) };
const char* GXPosNrmMtxText(int value);

#define GX_TEX_MTX_LIST(X)                                   \
    X(GX_TEXMTX0, 30, "rows of the position/texture memory") \
    X(GX_TEXMTX1, 33, "")                                    \
    X(GX_TEXMTX2, 36, "")                                    \
    X(GX_TEXMTX3, 39, "")                                    \
    X(GX_TEXMTX4, 42, "")                                    \
    X(GX_TEXMTX5, 45, "")                                    \
    X(GX_TEXMTX6, 48, "")                                    \
    X(GX_TEXMTX7, 51, "")                                    \
    X(GX_TEXMTX8, 54, "")                                    \
    X(GX_TEXMTX9, 57, "")                                    \
    X(GX_IDENTITY, 60, "identity, loaded by GXInit")
enum GXTexMtx { GX_TEX_MTX_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexMtxText(int value);

#define GX_PT_TEX_MTX_LIST(X)                              \
    X(GX_PTTEXMTX0, 64, "post-transform rows id - 64")     \
    X(GX_PTTEXMTX1, 67, "")                                \
    X(GX_PTTEXMTX2, 70, "")                                \
    X(GX_PTTEXMTX3, 73, "")                                \
    X(GX_PTTEXMTX4, 76, "")                                \
    X(GX_PTTEXMTX5, 79, "")                                \
    X(GX_PTTEXMTX6, 82, "")                                \
    X(GX_PTTEXMTX7, 85, "")                                \
    X(GX_PTTEXMTX8, 88, "")                                \
    X(GX_PTTEXMTX9, 91, "")                                \
    X(GX_PTTEXMTX10, 94, "")                               \
    X(GX_PTTEXMTX11, 97, "")                               \
    X(GX_PTTEXMTX12, 100, "")                              \
    X(GX_PTTEXMTX13, 103, "")                              \
    X(GX_PTTEXMTX14, 106, "")                              \
    X(GX_PTTEXMTX15, 109, "")                              \
    X(GX_PTTEXMTX16, 112, "")                              \
    X(GX_PTTEXMTX17, 115, "")                              \
    X(GX_PTTEXMTX18, 118, "")                              \
    X(GX_PTTEXMTX19, 121, "")                              \
    X(GX_PTIDENTITY, 125, "post row 61, identity loaded by GXInit")
enum GXPTTexMtx { GX_PT_TEX_MTX_LIST(QM_GX_ENUM_ENTRY) };
const char* GXPTTexMtxText(int value);

#define GX_TEX_MTX_TYPE_LIST(X)               \
    X(GX_MTX3x4, 0, "three rows: s, t, q")    \
    X(GX_MTX2x4, 1, "two rows: s, t; q = 1")
enum GXTexMtxType { GX_TEX_MTX_TYPE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexMtxTypeText(int value);

#define GX_PROJECTION_TYPE_LIST(X)                     \
    X(GX_PERSPECTIVE, 0, "clip w = -z")                \
    X(GX_ORTHOGRAPHIC, 1, "clip w = 1")
enum GXProjectionType { GX_PROJECTION_TYPE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXProjectionTypeText(int value);

// ---- texture-coordinate generation ------------------------------------------------
#define GX_TEX_GEN_TYPE_LIST(X)                                \
    X(GX_TG_MTX3x4, 0, "s, t, q through a 3x4 matrix")         \
    X(GX_TG_MTX2x4, 1, "s, t through a 2x4 matrix; q = 1")     \
    X(GX_TG_BUMP0, 2, "emboss with light 0 (value - 2)")       \
    X(GX_TG_BUMP1, 3, "")                                      \
    X(GX_TG_BUMP2, 4, "")                                      \
    X(GX_TG_BUMP3, 5, "")                                      \
    X(GX_TG_BUMP4, 6, "")                                      \
    X(GX_TG_BUMP5, 7, "")                                      \
    X(GX_TG_BUMP6, 8, "")                                      \
    X(GX_TG_BUMP7, 9, "")                                      \
    X(GX_TG_SRTG, 10, "s, t = the colour channel's R, G")
enum GXTexGenType { GX_TEX_GEN_TYPE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexGenTypeText(int value);

#define GX_TEX_GEN_SRC_LIST(X)                                  \
    X(GX_TG_POS, 0, "model-space position (x, y, z, 1)")        \
    X(GX_TG_NRM, 1, "normal (x, y, z, 1)")                      \
    X(GX_TG_BINRM, 2, "binormal")                               \
    X(GX_TG_TANGENT, 3, "tangent")                              \
    X(GX_TG_TEX0, 4, "vertex coordinate 0 (s, t, 1, 1)")        \
    X(GX_TG_TEX1, 5, "")                                        \
    X(GX_TG_TEX2, 6, "")                                        \
    X(GX_TG_TEX3, 7, "")                                        \
    X(GX_TG_TEX4, 8, "")                                        \
    X(GX_TG_TEX5, 9, "")                                        \
    X(GX_TG_TEX6, 10, "")                                       \
    X(GX_TG_TEX7, 11, "")                                       \
    X(GX_TG_TEXCOORD0, 12, "bump source: a generated coordinate") \
    X(GX_TG_TEXCOORD1, 13, "")                                  \
    X(GX_TG_TEXCOORD2, 14, "")                                  \
    X(GX_TG_TEXCOORD3, 15, "")                                  \
    X(GX_TG_TEXCOORD4, 16, "")                                  \
    X(GX_TG_TEXCOORD5, 17, "")                                  \
    X(GX_TG_TEXCOORD6, 18, "")                                  \
    X(GX_TG_COLOR0, 19, "SRTG source")                          \
    X(GX_TG_COLOR1, 20, "SRTG source")
enum GXTexGenSrc { GX_TEX_GEN_SRC_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexGenSrcText(int value);

#define GX_TEX_COORD_ID_LIST(X)     \
    X(GX_TEXCOORD0, 0, "")          \
    X(GX_TEXCOORD1, 1, "")          \
    X(GX_TEXCOORD2, 2, "")          \
    X(GX_TEXCOORD3, 3, "")          \
    X(GX_TEXCOORD4, 4, "")          \
    X(GX_TEXCOORD5, 5, "")          \
    X(GX_TEXCOORD6, 6, "")          \
    X(GX_TEXCOORD7, 7, "")          \
    X(GX_MAX_TEXCOORD, 8, "count")  \
    X(GX_TEXCOORD_NULL, 0xFF, "no coordinate")
enum GXTexCoordID { GX_TEX_COORD_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexCoordIDText(int value);

#define GX_TEX_MAP_ID_LIST(X)                       \
    X(GX_TEXMAP0, 0, "")                            \
    X(GX_TEXMAP1, 1, "")                            \
    X(GX_TEXMAP2, 2, "")                            \
    X(GX_TEXMAP3, 3, "")                            \
    X(GX_TEXMAP4, 4, "")                            \
    X(GX_TEXMAP5, 5, "")                            \
    X(GX_TEXMAP6, 6, "")                            \
    X(GX_TEXMAP7, 7, "")                            \
    X(GX_MAX_TEXMAP, 8, "count")                    \
    X(GX_TEXMAP_NULL, 0xFF, "no texture: stage samples nothing") \
    X(GX_TEX_DISABLE, 0x100, "or-ed in: coordinate kept, texture off")
enum GXTexMapID { GX_TEX_MAP_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexMapIDText(int value);

// ---- lighting channels -----------------------------------------------------------
#define GX_CHANNEL_ID_LIST(X)                            \
    X(GX_COLOR0, 0, "rgb of channel 0")                  \
    X(GX_COLOR1, 1, "")                                  \
    X(GX_ALPHA0, 2, "alpha of channel 0")                \
    X(GX_ALPHA1, 3, "")                                  \
    X(GX_COLOR0A0, 4, "rgb and alpha of channel 0")      \
    X(GX_COLOR1A1, 5, "")                                \
    X(GX_COLOR_ZERO, 6, "TEV order: rasterised colour 0")\
    X(GX_ALPHA_BUMP, 7, "")                              \
    X(GX_ALPHA_BUMPN, 8, "")                             \
    X(GX_COLOR_NULL, 0xFF, "TEV order: none")
enum GXChannelID { GX_CHANNEL_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXChannelIDText(int value);

#define GX_COLOR_SRC_LIST(X)                            \
    X(GX_SRC_REG, 0, "ambient/material register")      \
    X(GX_SRC_VTX, 1, "vertex colour")
enum GXColorSrc { GX_COLOR_SRC_LIST(QM_GX_ENUM_ENTRY) };
const char* GXColorSrcText(int value);

#define GX_DIFFUSE_FN_LIST(X)                   \
    X(GX_DF_NONE, 0, "diffuse factor 1")        \
    X(GX_DF_SIGN, 1, "L.N")                     \
    X(GX_DF_CLAMP, 2, "max(0, L.N)")
enum GXDiffuseFn { GX_DIFFUSE_FN_LIST(QM_GX_ENUM_ENTRY) };
const char* GXDiffuseFnText(int value);

#define GX_ATTN_FN_LIST(X)                                         \
    X(GX_AF_SPEC, 0, "specular: angle and distance from N.H")      \
    X(GX_AF_SPOT, 1, "spot: angle and distance attenuation")       \
    X(GX_AF_NONE, 2, "no attenuation")
enum GXAttnFn { GX_ATTN_FN_LIST(QM_GX_ENUM_ENTRY) };
const char* GXAttnFnText(int value);

#define GX_LIGHT_ID_LIST(X)                    \
    X(GX_LIGHT_NULL, 0x000, "no light")        \
    X(GX_LIGHT0, 0x001, "mask bit of light 0") \
    X(GX_LIGHT1, 0x002, "")                    \
    X(GX_LIGHT2, 0x004, "")                    \
    X(GX_LIGHT3, 0x008, "")                    \
    X(GX_LIGHT4, 0x010, "")                    \
    X(GX_LIGHT5, 0x020, "")                    \
    X(GX_LIGHT6, 0x040, "")                    \
    X(GX_LIGHT7, 0x080, "")                    \
    X(GX_MAX_LIGHT, 0x100, "one past the last bit")
enum GXLightID { GX_LIGHT_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXLightIDText(int value);

#define GX_SPOT_FN_LIST(X)       \
    X(GX_SP_OFF, 0, "")          \
    X(GX_SP_FLAT, 1, "")         \
    X(GX_SP_COS, 2, "")          \
    X(GX_SP_COS2, 3, "")         \
    X(GX_SP_SHARP, 4, "")        \
    X(GX_SP_RING1, 5, "")        \
    X(GX_SP_RING2, 6, "")
enum GXSpotFn { GX_SPOT_FN_LIST(QM_GX_ENUM_ENTRY) };
const char* GXSpotFnText(int value);

#define GX_DIST_ATTN_FN_LIST(X)  \
    X(GX_DA_OFF, 0, "")          \
    X(GX_DA_GENTLE, 1, "")       \
    X(GX_DA_MEDIUM, 2, "")       \
    X(GX_DA_STEEP, 3, "")
enum GXDistAttnFn { GX_DIST_ATTN_FN_LIST(QM_GX_ENUM_ENTRY) };
const char* GXDistAttnFnText(int value);

// ---- texture combiner (TEV) --------------------------------------------------------
#define GX_TEV_STAGE_ID_LIST(X)     \
    X(GX_TEVSTAGE0, 0, "")          \
    X(GX_TEVSTAGE1, 1, "")          \
    X(GX_TEVSTAGE2, 2, "")          \
    X(GX_TEVSTAGE3, 3, "")          \
    X(GX_TEVSTAGE4, 4, "")          \
    X(GX_TEVSTAGE5, 5, "")          \
    X(GX_TEVSTAGE6, 6, "")          \
    X(GX_TEVSTAGE7, 7, "")          \
    X(GX_TEVSTAGE8, 8, "")          \
    X(GX_TEVSTAGE9, 9, "")          \
    X(GX_TEVSTAGE10, 10, "")        \
    X(GX_TEVSTAGE11, 11, "")        \
    X(GX_TEVSTAGE12, 12, "")        \
    X(GX_TEVSTAGE13, 13, "")        \
    X(GX_TEVSTAGE14, 14, "")        \
    X(GX_TEVSTAGE15, 15, "")        \
    X(GX_MAX_TEVSTAGE, 16, "count")
enum GXTevStageID { GX_TEV_STAGE_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevStageIDText(int value);

#define GX_TEV_COLOR_ARG_LIST(X)                      \
    X(GX_CC_CPREV, 0, "prev.rgb")                     \
    X(GX_CC_APREV, 1, "prev.aaa")                     \
    X(GX_CC_C0, 2, "reg0.rgb")                        \
    X(GX_CC_A0, 3, "reg0.aaa")                        \
    X(GX_CC_C1, 4, "")                                \
    X(GX_CC_A1, 5, "")                                \
    X(GX_CC_C2, 6, "")                                \
    X(GX_CC_A2, 7, "")                                \
    X(GX_CC_TEXC, 8, "texture rgb")                   \
    X(GX_CC_TEXA, 9, "texture aaa")                   \
    X(GX_CC_RASC, 10, "rasterised colour rgb")        \
    X(GX_CC_RASA, 11, "rasterised alpha aaa")         \
    X(GX_CC_ONE, 12, "255")                           \
    X(GX_CC_HALF, 13, "128")                          \
    X(GX_CC_KONST, 14, "selected konst colour")       \
    X(GX_CC_ZERO, 15, "0")
enum GXTevColorArg { GX_TEV_COLOR_ARG_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevColorArgText(int value);

#define GX_TEV_ALPHA_ARG_LIST(X)      \
    X(GX_CA_APREV, 0, "")             \
    X(GX_CA_A0, 1, "")                \
    X(GX_CA_A1, 2, "")                \
    X(GX_CA_A2, 3, "")                \
    X(GX_CA_TEXA, 4, "")              \
    X(GX_CA_RASA, 5, "")              \
    X(GX_CA_KONST, 6, "")             \
    X(GX_CA_ZERO, 7, "")
enum GXTevAlphaArg { GX_TEV_ALPHA_ARG_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevAlphaArgText(int value);

// Regular ops, then compare ops 8 + ((scale << 1) | op).
#define GX_TEV_OP_LIST(X)                                               \
    X(GX_TEV_ADD, 0, "d + lerp(a, b, c)")                               \
    X(GX_TEV_SUB, 1, "d - lerp(a, b, c)")                               \
    X(GX_TEV_COMP_R8_GT, 8, "d + (a.r > b.r ? c : 0)")                  \
    X(GX_TEV_COMP_R8_EQ, 9, "")                                         \
    X(GX_TEV_COMP_GR16_GT, 10, "compares G*256 + R")                    \
    X(GX_TEV_COMP_GR16_EQ, 11, "")                                      \
    X(GX_TEV_COMP_BGR24_GT, 12, "compares B*65536 + G*256 + R")         \
    X(GX_TEV_COMP_BGR24_EQ, 13, "")                                     \
    X(GX_TEV_COMP_RGB8_GT, 14, "per channel; alpha combiner: A8_GT")    \
    X(GX_TEV_COMP_RGB8_EQ, 15, "per channel; alpha combiner: A8_EQ")
enum GXTevOp {
    GX_TEV_OP_LIST(QM_GX_ENUM_ENTRY)
    GX_TEV_COMP_A8_GT = 14,
    GX_TEV_COMP_A8_EQ = 15,
};
const char* GXTevOpText(int value);

#define GX_TEV_BIAS_LIST(X)                   \
    X(GX_TB_ZERO, 0, "")                      \
    X(GX_TB_ADDHALF, 1, "+128")               \
    X(GX_TB_SUBHALF, 2, "-128")
enum GXTevBias { GX_TEV_BIAS_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevBiasText(int value);

#define GX_TEV_SCALE_LIST(X)           \
    X(GX_CS_SCALE_1, 0, "")            \
    X(GX_CS_SCALE_2, 1, "")            \
    X(GX_CS_SCALE_4, 2, "")            \
    X(GX_CS_DIVIDE_2, 3, "")
enum GXTevScale { GX_TEV_SCALE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevScaleText(int value);

#define GX_TEV_REG_ID_LIST(X)                   \
    X(GX_TEVPREV, 0, "the last stage's output") \
    X(GX_TEVREG0, 1, "")                        \
    X(GX_TEVREG1, 2, "")                        \
    X(GX_TEVREG2, 3, "")                        \
    X(GX_MAX_TEVREG, 4, "count")
enum GXTevRegID { GX_TEV_REG_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevRegIDText(int value);

#define GX_TEV_MODE_LIST(X)                  \
    X(GX_MODULATE, 0, "tex * ras")           \
    X(GX_DECAL, 1, "lerp(ras, tex, tex.a)")  \
    X(GX_BLEND, 2, "ras * (1 - tex) + tex")  \
    X(GX_REPLACE, 3, "tex")                  \
    X(GX_PASSCLR, 4, "ras (prev after stage 0)")
enum GXTevMode { GX_TEV_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevModeText(int value);

#define GX_TEV_KCOLOR_ID_LIST(X)  \
    X(GX_KCOLOR0, 0, "")          \
    X(GX_KCOLOR1, 1, "")          \
    X(GX_KCOLOR2, 2, "")          \
    X(GX_KCOLOR3, 3, "")          \
    X(GX_MAX_KCOLOR, 4, "count")
enum GXTevKColorID { GX_TEV_KCOLOR_ID_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevKColorIDText(int value);

#define GX_TEV_KCOLOR_SEL_LIST(X)                \
    X(GX_TEV_KCSEL_1, 0x00, "255")               \
    X(GX_TEV_KCSEL_7_8, 0x01, "223")             \
    X(GX_TEV_KCSEL_3_4, 0x02, "191")             \
    X(GX_TEV_KCSEL_5_8, 0x03, "159")             \
    X(GX_TEV_KCSEL_1_2, 0x04, "128")             \
    X(GX_TEV_KCSEL_3_8, 0x05, "96")              \
    X(GX_TEV_KCSEL_1_4, 0x06, "64")              \
    X(GX_TEV_KCSEL_1_8, 0x07, "32")              \
    X(GX_TEV_KCSEL_K0, 0x0C, "konst 0 rgb")      \
    X(GX_TEV_KCSEL_K1, 0x0D, "")                 \
    X(GX_TEV_KCSEL_K2, 0x0E, "")                 \
    X(GX_TEV_KCSEL_K3, 0x0F, "")                 \
    X(GX_TEV_KCSEL_K0_R, 0x10, "konst 0 rrr")    \
    X(GX_TEV_KCSEL_K1_R, 0x11, "")               \
    X(GX_TEV_KCSEL_K2_R, 0x12, "")               \
    X(GX_TEV_KCSEL_K3_R, 0x13, "")               \
    X(GX_TEV_KCSEL_K0_G, 0x14, "")               \
    X(GX_TEV_KCSEL_K1_G, 0x15, "")               \
    X(GX_TEV_KCSEL_K2_G, 0x16, "")               \
    X(GX_TEV_KCSEL_K3_G, 0x17, "")               \
    X(GX_TEV_KCSEL_K0_B, 0x18, "")               \
    X(GX_TEV_KCSEL_K1_B, 0x19, "")               \
    X(GX_TEV_KCSEL_K2_B, 0x1A, "")               \
    X(GX_TEV_KCSEL_K3_B, 0x1B, "")               \
    X(GX_TEV_KCSEL_K0_A, 0x1C, "")               \
    X(GX_TEV_KCSEL_K1_A, 0x1D, "")               \
    X(GX_TEV_KCSEL_K2_A, 0x1E, "")               \
    X(GX_TEV_KCSEL_K3_A, 0x1F, "")
enum GXTevKColorSel { GX_TEV_KCOLOR_SEL_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevKColorSelText(int value);

// 0x08..0x0F select nothing (0) for alpha.
#define GX_TEV_KALPHA_SEL_LIST(X)                \
    X(GX_TEV_KASEL_1, 0x00, "255")               \
    X(GX_TEV_KASEL_7_8, 0x01, "223")             \
    X(GX_TEV_KASEL_3_4, 0x02, "191")             \
    X(GX_TEV_KASEL_5_8, 0x03, "159")             \
    X(GX_TEV_KASEL_1_2, 0x04, "128")             \
    X(GX_TEV_KASEL_3_8, 0x05, "96")              \
    X(GX_TEV_KASEL_1_4, 0x06, "64")              \
    X(GX_TEV_KASEL_1_8, 0x07, "32")              \
    X(GX_TEV_KASEL_K0_R, 0x10, "")               \
    X(GX_TEV_KASEL_K1_R, 0x11, "")               \
    X(GX_TEV_KASEL_K2_R, 0x12, "")               \
    X(GX_TEV_KASEL_K3_R, 0x13, "")               \
    X(GX_TEV_KASEL_K0_G, 0x14, "")               \
    X(GX_TEV_KASEL_K1_G, 0x15, "")               \
    X(GX_TEV_KASEL_K2_G, 0x16, "")               \
    X(GX_TEV_KASEL_K3_G, 0x17, "")               \
    X(GX_TEV_KASEL_K0_B, 0x18, "")               \
    X(GX_TEV_KASEL_K1_B, 0x19, "")               \
    X(GX_TEV_KASEL_K2_B, 0x1A, "")               \
    X(GX_TEV_KASEL_K3_B, 0x1B, "")               \
    X(GX_TEV_KASEL_K0_A, 0x1C, "")               \
    X(GX_TEV_KASEL_K1_A, 0x1D, "")               \
    X(GX_TEV_KASEL_K2_A, 0x1E, "")               \
    X(GX_TEV_KASEL_K3_A, 0x1F, "")
enum GXTevKAlphaSel { GX_TEV_KALPHA_SEL_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevKAlphaSelText(int value);

#define GX_TEV_SWAP_SEL_LIST(X)   \
    X(GX_TEV_SWAP0, 0, "")        \
    X(GX_TEV_SWAP1, 1, "")        \
    X(GX_TEV_SWAP2, 2, "")        \
    X(GX_TEV_SWAP3, 3, "")        \
    X(GX_MAX_TEVSWAP, 4, "count")
enum GXTevSwapSel { GX_TEV_SWAP_SEL_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevSwapSelText(int value);

#define GX_TEV_COLOR_CHAN_LIST(X)  \
    X(GX_CH_RED, 0, "")            \
    X(GX_CH_GREEN, 1, "")          \
    X(GX_CH_BLUE, 2, "")           \
    X(GX_CH_ALPHA, 3, "")
enum GXTevColorChan { GX_TEV_COLOR_CHAN_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTevColorChanText(int value);

// ---- pixel tests and blending -------------------------------------------------------
#define GX_COMPARE_LIST(X)   \
    X(GX_NEVER, 0, "")       \
    X(GX_LESS, 1, "")        \
    X(GX_EQUAL, 2, "")       \
    X(GX_LEQUAL, 3, "")      \
    X(GX_GREATER, 4, "")     \
    X(GX_NEQUAL, 5, "")      \
    X(GX_GEQUAL, 6, "")      \
    X(GX_ALWAYS, 7, "")
enum GXCompare { GX_COMPARE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXCompareText(int value);

#define GX_ALPHA_OP_LIST(X)      \
    X(GX_AOP_AND, 0, "")         \
    X(GX_AOP_OR, 1, "")          \
    X(GX_AOP_XOR, 2, "")         \
    X(GX_AOP_XNOR, 3, "")
enum GXAlphaOp { GX_ALPHA_OP_LIST(QM_GX_ENUM_ENTRY) };
const char* GXAlphaOpText(int value);

#define GX_BLEND_MODE_LIST(X)                                           \
    X(GX_BM_NONE, 0, "source written as is")                           \
    X(GX_BM_BLEND, 1, "src * sf + dst * df, clamped")                  \
    X(GX_BM_LOGIC, 2, "logic op")                                      \
    X(GX_BM_SUBTRACT, 3, "dst - src, factors ignored; assumed: clamped at 0")
enum GXBlendMode { GX_BLEND_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXBlendModeText(int value);

// As a source factor 2/3 read the destination colour; as a destination
// factor they read the source colour (the SRCCLR aliases).
#define GX_BLEND_FACTOR_LIST(X)                        \
    X(GX_BL_ZERO, 0, "")                               \
    X(GX_BL_ONE, 1, "")                                \
    X(GX_BL_DSTCLR, 2, "as destination factor: SRCCLR") \
    X(GX_BL_INVDSTCLR, 3, "as destination factor: INVSRCCLR") \
    X(GX_BL_SRCALPHA, 4, "")                           \
    X(GX_BL_INVSRCALPHA, 5, "")                        \
    X(GX_BL_DSTALPHA, 6, "")                           \
    X(GX_BL_INVDSTALPHA, 7, "")
enum GXBlendFactor {
    GX_BLEND_FACTOR_LIST(QM_GX_ENUM_ENTRY)
    GX_BL_SRCCLR = 2,
    GX_BL_INVSRCCLR = 3,
};
const char* GXBlendFactorText(int value);

#define GX_LOGIC_OP_LIST(X)                 \
    X(GX_LO_CLEAR, 0, "")                   \
    X(GX_LO_AND, 1, "")                     \
    X(GX_LO_REVAND, 2, "s & ~d")            \
    X(GX_LO_COPY, 3, "")                    \
    X(GX_LO_INVAND, 4, "~s & d")            \
    X(GX_LO_NOOP, 5, "")                    \
    X(GX_LO_XOR, 6, "")                     \
    X(GX_LO_OR, 7, "")                      \
    X(GX_LO_NOR, 8, "")                     \
    X(GX_LO_EQUIV, 9, "")                   \
    X(GX_LO_INV, 10, "~d")                  \
    X(GX_LO_REVOR, 11, "s | ~d")            \
    X(GX_LO_INVCOPY, 12, "")                \
    X(GX_LO_INVOR, 13, "~s | d")            \
    X(GX_LO_NAND, 14, "")                   \
    X(GX_LO_SET, 15, "")
enum GXLogicOp { GX_LOGIC_OP_LIST(QM_GX_ENUM_ENTRY) };
const char* GXLogicOpText(int value);

// A front face is one whose vertices appear clockwise on screen (assumed).
#define GX_CULL_MODE_LIST(X)                        \
    X(GX_CULL_NONE, 0, "")                          \
    X(GX_CULL_FRONT, 1, "clockwise on screen")      \
    X(GX_CULL_BACK, 2, "counter-clockwise on screen") \
    X(GX_CULL_ALL, 3, "")
enum GXCullMode { GX_CULL_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXCullModeText(int value);

// Function | projection << 3.
#define GX_FOG_TYPE_LIST(X)                     \
    X(GX_FOG_NONE, 0, "")                       \
    X(GX_FOG_PERSP_LIN, 2, "")                  \
    X(GX_FOG_PERSP_EXP, 4, "")                  \
    X(GX_FOG_PERSP_EXP2, 5, "")                 \
    X(GX_FOG_PERSP_REVEXP, 6, "")               \
    X(GX_FOG_PERSP_REVEXP2, 7, "")              \
    X(GX_FOG_ORTHO_LIN, 10, "")                 \
    X(GX_FOG_ORTHO_EXP, 12, "")                 \
    X(GX_FOG_ORTHO_EXP2, 13, "")                \
    X(GX_FOG_ORTHO_REVEXP, 14, "")              \
    X(GX_FOG_ORTHO_REVEXP2, 15, "")
enum GXFogType { GX_FOG_TYPE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXFogTypeText(int value);

// ---- textures and palettes ----------------------------------------------------------
// Texture formats, then the copy-only formats of GXSetTexCopyDst.
#define GX_TEX_FMT_LIST(X)                                   \
    X(GX_TF_I4, 0x0, "4-bit intensity, 8x8 blocks")          \
    X(GX_TF_I8, 0x1, "8x4 blocks")                           \
    X(GX_TF_IA4, 0x2, "alpha in the high nibble")            \
    X(GX_TF_IA8, 0x3, "first byte alpha, second intensity")  \
    X(GX_TF_RGB565, 0x4, "")                                 \
    X(GX_TF_RGB5A3, 0x5, "")                                 \
    X(GX_TF_RGBA8, 0x6, "64-byte blocks: AR pairs then GB")  \
    X(GX_TF_C4, 0x8, "4-bit palette index")                  \
    X(GX_TF_C8, 0x9, "8-bit palette index")                  \
    X(GX_TF_C14X2, 0xA, "14-bit palette index")              \
    X(GX_TF_CMPR, 0xE, "four 4x4 sub-blocks per 8x8 tile")   \
    X(GX_TF_Z8, 0x11, "copy: depth as I8")                   \
    X(GX_TF_Z16, 0x13, "copy: depth as IA8")                 \
    X(GX_TF_Z24X8, 0x16, "copy: depth as RGBA8")             \
    X(GX_CTF_R4, 0x20, "copy: red as I4")                    \
    X(GX_CTF_RA4, 0x22, "copy: as IA4")                      \
    X(GX_CTF_RA8, 0x23, "copy: as IA8")                      \
    X(GX_CTF_A8, 0x27, "copy: alpha as I8")                  \
    X(GX_CTF_R8, 0x28, "copy: as I8")                        \
    X(GX_CTF_G8, 0x29, "copy: as I8")                        \
    X(GX_CTF_B8, 0x2A, "copy: as I8")                        \
    X(GX_CTF_RG8, 0x2B, "copy: as IA8")                      \
    X(GX_CTF_GB8, 0x2C, "copy: as IA8")                      \
    X(GX_CTF_Z4, 0x30, "copy: as I4")                        \
    X(GX_CTF_Z8M, 0x39, "copy: as I8")                       \
    X(GX_CTF_Z8L, 0x3A, "copy: as I8")                       \
    X(GX_CTF_Z16L, 0x3C, "copy: as IA8")
enum GXTexFmt { GX_TEX_FMT_LIST(QM_GX_ENUM_ENTRY) };
typedef GXTexFmt GXCITexFmt;  // GX_TF_C4, GX_TF_C8, GX_TF_C14X2
const char* GXTexFmtText(int value);

#define GX_TLUT_FMT_LIST(X)                \
    X(GX_TL_IA8, 0, "entries as IA8")      \
    X(GX_TL_RGB565, 1, "")                 \
    X(GX_TL_RGB5A3, 2, "")
enum GXTlutFmt { GX_TLUT_FMT_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTlutFmtText(int value);

#define GX_TLUT_LIST(X)                              \
    X(GX_TLUT0, 0, "up to 256 entries")              \
    X(GX_TLUT1, 1, "")                               \
    X(GX_TLUT2, 2, "")                               \
    X(GX_TLUT3, 3, "")                               \
    X(GX_TLUT4, 4, "")                               \
    X(GX_TLUT5, 5, "")                               \
    X(GX_TLUT6, 6, "")                               \
    X(GX_TLUT7, 7, "")                               \
    X(GX_TLUT8, 8, "")                               \
    X(GX_TLUT9, 9, "")                               \
    X(GX_TLUT10, 10, "")                             \
    X(GX_TLUT11, 11, "")                             \
    X(GX_TLUT12, 12, "")                             \
    X(GX_TLUT13, 13, "")                             \
    X(GX_TLUT14, 14, "")                             \
    X(GX_TLUT15, 15, "")                             \
    X(GX_BIGTLUT0, 16, "up to 1024 entries")         \
    X(GX_BIGTLUT1, 17, "")                           \
    X(GX_BIGTLUT2, 18, "")                           \
    X(GX_BIGTLUT3, 19, "")                           \
    X(GX_MAX_TLUT_ALL, 20, "count")
enum GXTlut { GX_TLUT_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTlutText(int value);

#define GX_TEX_WRAP_MODE_LIST(X)                       \
    X(GX_CLAMP, 0, "")                                 \
    X(GX_REPEAT, 1, "")                                \
    X(GX_MIRROR, 2, "")                                \
    X(GX_MAX_TEXWRAPMODE, 3, "invalid; behaves as clamp")
enum GXTexWrapMode { GX_TEX_WRAP_MODE_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexWrapModeText(int value);

// assumed: the library numbering and its hardware bits (linear 4 | mip mode).
#define GX_TEX_FILTER_LIST(X)                       \
    X(GX_NEAR, 0, "hw min 0")                       \
    X(GX_LINEAR, 1, "hw min 4")                     \
    X(GX_NEAR_MIP_NEAR, 2, "hw min 1")              \
    X(GX_LIN_MIP_NEAR, 3, "hw min 5")               \
    X(GX_NEAR_MIP_LIN, 4, "hw min 2")               \
    X(GX_LIN_MIP_LIN, 5, "hw min 6")
enum GXTexFilter { GX_TEX_FILTER_LIST(QM_GX_ENUM_ENTRY) };
const char* GXTexFilterText(int value);

#define GX_ANISOTROPY_LIST(X)   \
    X(GX_ANISO_1, 0, "")        \
    X(GX_ANISO_2, 1, "")        \
    X(GX_ANISO_4, 2, "")
enum GXAnisotropy { GX_ANISOTROPY_LIST(QM_GX_ENUM_ENTRY) };
const char* GXAnisotropyText(int value);

// ---- frame buffers and copies ---------------------------------------------------------
#define GX_PIXEL_FMT_LIST(X)                                     \
    X(GX_PF_RGB8_Z24, 0, "no destination alpha")                 \
    X(GX_PF_RGBA6_Z24, 1, "6 bits per channel with alpha")       \
    X(GX_PF_RGB565_Z16, 2, "anti-aliased")                       \
    X(GX_PF_Z24, 3, "")                                          \
    X(GX_PF_Y8, 4, "")                                           \
    X(GX_PF_U8, 5, "")                                           \
    X(GX_PF_V8, 6, "")                                           \
    X(GX_PF_YUV420, 7, "")
enum GXPixelFmt { GX_PIXEL_FMT_LIST(QM_GX_ENUM_ENTRY) };
const char* GXPixelFmtText(int value);

#define GX_ZFMT16_LIST(X)        \
    X(GX_ZC_LINEAR, 0, "")       \
    X(GX_ZC_NEAR, 1, "")         \
    X(GX_ZC_MID, 2, "")          \
    X(GX_ZC_FAR, 3, "")
enum GXZFmt16 { GX_ZFMT16_LIST(QM_GX_ENUM_ENTRY) };
const char* GXZFmt16Text(int value);

#define GX_GAMMA_LIST(X)             \
    X(GX_GM_1_0, 0, "gamma 1.0")     \
    X(GX_GM_1_7, 1, "gamma 1.7")     \
    X(GX_GM_2_2, 2, "gamma 2.2")
enum GXGamma { GX_GAMMA_LIST(QM_GX_ENUM_ENTRY) };
const char* GXGammaText(int value);

// ---- objects (plain data; Init calls only fill them) ------------------------------------
struct GXFifoObj {
    uint8_t* base = nullptr;
    uint32_t size = 0;
    uint8_t* readPtr = nullptr;
    uint8_t* writePtr = nullptr;
};

// Texture object: what the Init calls were given. The image is 32-byte aligned
// console memory holding all levels the LOD range names.
struct GXTexObj {
    const void* image = nullptr;
    uint16_t width = 0, height = 0;  // texels, 1..1024
    GXTexFmt format = GX_TF_I4;
    GXTexWrapMode wrapS = GX_CLAMP, wrapT = GX_CLAMP;
    GXBool mipmap = GX_FALSE;
    GXTexFilter minFilter = GX_LINEAR, magFilter = GX_LINEAR;
    float minLod = 0.0f, maxLod = 0.0f, lodBias = 0.0f;  // levels; maxLod + 1 levels are read
    GXBool biasClamp = GX_FALSE, edgeLod = GX_FALSE;
    GXAnisotropy maxAniso = GX_ANISO_1;
    GXBool colorIndexed = GX_FALSE;  // set by GXInitTexObjCI
    uint32_t tlutName = 0;           // GXTlut of a colour-indexed texture
};

struct GXTlutObj {
    const void* lut = nullptr;  // 32-byte aligned big-endian u16 entries
    GXTlutFmt format = GX_TL_IA8;
    uint16_t numEntries = 0;
};

// Light record as the hardware holds it: position and direction in view space.
struct GXLightObj {
    GXColor color = {0, 0, 0, 0};
    float a[3] = {1.0f, 0.0f, 0.0f};  // angle attenuation a0 + a1 x + a2 x^2
    float k[3] = {1.0f, 0.0f, 0.0f};  // distance attenuation k0 + k1 d + k2 d^2
    float pos[3] = {0.0f, 0.0f, 0.0f};
    float dir[3] = {0.0f, 0.0f, 0.0f};  // stored negated by GXInitLightDir
};

// Video render mode. The TV mode and XFB mode values are the video interface's
// (vi.h): TV 0 NTSC interlaced, 2 NTSC progressive; XFB 0 single field, 1 double.
struct GXRenderModeObj {
    uint32_t viTVmode;
    uint16_t fbWidth;    // embedded and external frame-buffer width
    uint16_t efbHeight;  // lines rendered
    uint16_t xfbHeight;  // lines in the external frame buffer
    uint16_t viXOrigin, viYOrigin;
    uint16_t viWidth, viHeight;
    uint32_t xFBmode;
    uint8_t field_rendering;
    uint8_t aa;
    uint8_t sample_pattern[12][2];
    uint8_t vfilter[7];  // vertical copy filter taps, sum 64
};
extern GXRenderModeObj GXNtsc480IntDf;
extern GXRenderModeObj GXNtsc480Prog;

// ---- device, FIFO, synchronisation ------------------------------------------------------
// Resets the whole state to the library's defaults (identity matrices at
// GX_IDENTITY and GX_PTIDENTITY, one TEV stage, one texgen and one channel,
// viewport and scissor 640x480) and returns the FIFO object, which only
// records the buffer. Call once from the main thread before other GX calls.
GXFifoObj* GXInit(void* base, uint32_t size);
// Read and write pointers for statistics; both stay at the FIFO base (no
// command bytes are written to client memory).
void GXGetFifoPtrs(GXFifoObj* fifo, void** readPtr, void** writePtr);
void GXFlush();        // commands already go to the render thread; no effect
void GXPixModeSync();  // copies are ordered with draws; no effect
void GXInvalidateVtxCache();  // vertices are decoded at the call; no effect
// Waits until the render thread has replayed every command issued so far.
// Returns at once when no render thread is running (tests without video).
void GXDrawDone();

// ---- copies ------------------------------------------------------------------------------
void GXSetCopyClear(GXColor clearColor, uint32_t clearZ);  // clearZ: 24-bit, 0xFFFFFF = far
void GXSetDispCopySrc(uint16_t left, uint16_t top, uint16_t wd, uint16_t ht);
void GXSetDispCopyDst(uint16_t wd, uint16_t ht);
float GXGetYScaleFactor(uint16_t efbHeight, uint16_t xfbHeight);  // xfbHeight / efbHeight
uint32_t GXSetDispCopyYScale(float vscale);  // returns the lines the copy writes
void GXSetDispCopyGamma(GXGamma gamma);
void GXSetCopyFilter(GXBool aa, const uint8_t samplePattern[12][2], GXBool vf, const uint8_t vfilter[7]);
void GXSetPixelFmt(GXPixelFmt pixFmt, GXZFmt16 zFmt);
void GXSetFieldMode(GXBool fieldMode, GXBool halfAspectRatio);
// Copies the embedded frame buffer to the external one (dest) and, with
// clear, clears colour and depth with the copy-clear values. The backend
// presents the picture.
void GXCopyDisp(void* dest, GXBool clear);
void GXSetTexCopySrc(uint16_t left, uint16_t top, uint16_t wd, uint16_t ht);
// mipmap = true halves the source with a 2x2 box filter; wd, ht are the
// destination (halved) size.
void GXSetTexCopyDst(uint16_t wd, uint16_t ht, GXTexFmt fmt, GXBool mipmap);
// Copies into a GPU texture bound to dest; a later texture object on dest
// samples the copy.
void GXCopyTex(void* dest, GXBool clear);
// Forget every cached decoded texture (texel memory was rewritten).
void GXInvalidateTexAll();

// ---- viewport, scissor, projection, matrices -----------------------------------------------
void GXSetViewport(float left, float top, float wd, float ht, float nearZ, float farZ);
// field: the next video field (0 or 1); odd fields shift the viewport half a line.
void GXSetViewportJitter(float left, float top, float wd, float ht, float nearZ, float farZ, uint32_t field);
void GXSetScissor(uint32_t left, uint32_t top, uint32_t wd, uint32_t ht);
void GXSetProjection(const Mtx44 mtx, GXProjectionType type);
void GXLoadPosMtxImm(const Mtx mtx, uint32_t id);    // id: GXPosNrmMtx (or any row 0..61)
void GXLoadNrmMtxImm(const Mtx mtx, uint32_t id);    // the 3x3 part into normal rows
void GXLoadNrmMtxImm3x3(const Mtx33 mtx, uint32_t id);
// id: GXTexMtx or GX_IDENTITY rows, or GXPTTexMtx for the post-transform
// memory (a post matrix is always 3x4). Out-of-range ids are logged and ignored.
void GXLoadTexMtxImm(const Mtx mtx, uint32_t id, GXTexMtxType type);
// Indexed loads from the matrix arrays (GX_POS_MTX_ARRAY ...): element index
// of the array set with GXSetArray.
void GXLoadPosMtxIndx(uint16_t mtxIndx, uint32_t id);
void GXLoadNrmMtxIndx3x3(uint16_t mtxIndx, uint32_t id);
void GXLoadTexMtxIndx(uint16_t mtxIndx, uint32_t id, GXTexMtxType type);
void GXSetCurrentMtx(uint32_t id);  // the position/normal matrix used without a vertex index

// ---- vertex formats, arrays, primitives, display lists -------------------------------------
void GXClearVtxDesc();
void GXSetVtxDesc(GXAttr attr, GXAttrType type);
// frac: fraction bits (0..31) of integer positions and texture coordinates;
// normals use fixed scales and colours none.
void GXSetVtxAttrFmt(GXVtxFmt fmt, GXAttr attr, GXCompCnt cnt, GXCompType type, uint8_t frac);
// Base and stride (bytes) of an attribute's array. Resets the array's
// declared length to unknown.
void GXSetArray(GXAttr attr, const void* base, uint8_t stride);
// Platform addition: the byte length of the array last set for attr, so that
// an index past its end is refused (logged, the rest of the list skipped)
// instead of read. Without it the layer bounds the array by the range a
// DCStoreRangeNoSync covered around its base, and trusts arrays never stored
// that way (static tables).
void GXSetArrayBounds(GXAttr attr, uint32_t bytes);

// Immediate mode: count vertices of the current descriptor follow, each with
// one call per enabled attribute in descriptor order; GXEnd decodes them. A
// call out of order, a missing attribute or a wrong vertex count is logged
// and the incomplete part is not drawn.
void GXBegin(GXPrimitive type, GXVtxFmt fmt, uint16_t count);
void GXEnd();
void GXMatrixIndex1u8(uint8_t index);
void GXPosition3f32(float x, float y, float z);
void GXPosition3u16(uint16_t x, uint16_t y, uint16_t z);
void GXPosition3s16(int16_t x, int16_t y, int16_t z);
void GXPosition3u8(uint8_t x, uint8_t y, uint8_t z);
void GXPosition3s8(int8_t x, int8_t y, int8_t z);
void GXPosition2f32(float x, float y);
void GXPosition2u16(uint16_t x, uint16_t y);
void GXPosition2s16(int16_t x, int16_t y);
void GXPosition2u8(uint8_t x, uint8_t y);
void GXPosition2s8(int8_t x, int8_t y);
void GXPosition1x16(uint16_t index);
void GXPosition1x8(uint8_t index);
void GXNormal3f32(float x, float y, float z);
void GXNormal3s16(int16_t x, int16_t y, int16_t z);
void GXNormal3s8(int8_t x, int8_t y, int8_t z);
void GXNormal1x16(uint16_t index);
void GXNormal1x8(uint8_t index);
void GXColor4u8(uint8_t r, uint8_t g, uint8_t b, uint8_t a);
void GXColor3u8(uint8_t r, uint8_t g, uint8_t b);
void GXColor1u32(uint32_t rgba);  // 0xRRGGBBAA
void GXColor1u16(uint16_t rgb565);
void GXColor1x16(uint16_t index);
void GXColor1x8(uint8_t index);
void GXTexCoord2f32(float s, float t);
void GXTexCoord2u16(uint16_t s, uint16_t t);
void GXTexCoord2s16(int16_t s, int16_t t);
void GXTexCoord2u8(uint8_t s, uint8_t t);
void GXTexCoord2s8(int8_t s, int8_t t);
void GXTexCoord1f32(float s);
void GXTexCoord1s16(int16_t s);
void GXTexCoord1x16(uint16_t index);
void GXTexCoord1x8(uint8_t index);

// Parses a display list (the hardware command stream, big-endian) against
// the current descriptor, formats and arrays. An unknown command, a draw with
// a vertex format not set up, an index past a declared array, or a command
// cut by the list's end is logged once for that list and the rest of the
// list is skipped; nothing past nbytes is read.
void GXCallDisplayList(const void* list, uint32_t nbytes);

// ---- textures and palettes ---------------------------------------------------------------
// Fill the object; the default filters are linear (linear-mip-linear with
// mipmaps) and the LOD range covers the full chain when mipmap is set.
void GXInitTexObj(GXTexObj* obj, const void* image, uint16_t width, uint16_t height, GXTexFmt format,
                  GXTexWrapMode wrapS, GXTexWrapMode wrapT, GXBool mipmap);
void GXInitTexObjCI(GXTexObj* obj, const void* image, uint16_t width, uint16_t height, GXCITexFmt format,
                    GXTexWrapMode wrapS, GXTexWrapMode wrapT, GXBool mipmap, uint32_t tlutName);
void GXInitTexObjLOD(GXTexObj* obj, GXTexFilter minFilt, GXTexFilter magFilt, float minLod, float maxLod,
                     float lodBias, GXBool biasClamp, GXBool doEdgeLod, GXAnisotropy maxAniso);
void GXInitTexObjWrapMode(GXTexObj* obj, GXTexWrapMode s, GXTexWrapMode t);
void GXInitTexObjFilter(GXTexObj* obj, GXTexFilter minFilt, GXTexFilter magFilt);
void GXInitTexObjTlut(GXTexObj* obj, uint32_t tlutName);
// Loads a copy of the object into a texture map; a later change to the
// object needs another load.
void GXLoadTexObj(const GXTexObj* obj, GXTexMapID id);
void GXInitTlutObj(GXTlutObj* obj, const void* lut, GXTlutFmt format, uint16_t numEntries);
void GXLoadTlut(const GXTlutObj* obj, uint32_t tlutName);

// ---- texture-coordinate generation ---------------------------------------------------------
void GXSetNumTexGens(uint8_t count);  // 0..8
void GXSetTexCoordGen(GXTexCoordID dst, GXTexGenType func, GXTexGenSrc src, uint32_t mtx);
void GXSetTexCoordGen2(GXTexCoordID dst, GXTexGenType func, GXTexGenSrc src, uint32_t mtx,
                       GXBool normalize, uint32_t postMtx);

// ---- texture combiner ------------------------------------------------------------------------
void GXSetNumTevStages(uint8_t count);  // 1..16
void GXSetTevOp(GXTevStageID stage, GXTevMode mode);
void GXSetTevColorIn(GXTevStageID stage, GXTevColorArg a, GXTevColorArg b, GXTevColorArg c, GXTevColorArg d);
void GXSetTevAlphaIn(GXTevStageID stage, GXTevAlphaArg a, GXTevAlphaArg b, GXTevAlphaArg c, GXTevAlphaArg d);
void GXSetTevColorOp(GXTevStageID stage, GXTevOp op, GXTevBias bias, GXTevScale scale, GXBool clamp,
                     GXTevRegID outReg);
void GXSetTevAlphaOp(GXTevStageID stage, GXTevOp op, GXTevBias bias, GXTevScale scale, GXBool clamp,
                     GXTevRegID outReg);
void GXSetTevColor(GXTevRegID id, GXColor color);
void GXSetTevColorS10(GXTevRegID id, GXColorS10 color);
void GXSetTevKColor(GXTevKColorID id, GXColor color);
void GXSetTevKColorSel(GXTevStageID stage, GXTevKColorSel sel);
void GXSetTevKAlphaSel(GXTevStageID stage, GXTevKAlphaSel sel);
void GXSetTevOrder(GXTevStageID stage, GXTexCoordID coord, uint32_t map, GXChannelID color);  // map: GXTexMapID
void GXSetTevSwapMode(GXTevStageID stage, GXTevSwapSel rasSel, GXTevSwapSel texSel);
void GXSetTevSwapModeTable(GXTevSwapSel table, GXTevColorChan red, GXTevColorChan green, GXTevColorChan blue,
                           GXTevColorChan alpha);
// Indirect texturing is not used; these keep it off.
void GXSetNumIndStages(uint8_t count);
void GXSetTevDirect(GXTevStageID stage);

// ---- lighting ---------------------------------------------------------------------------------
void GXSetNumChans(uint8_t count);  // 0..2
void GXSetChanCtrl(GXChannelID chan, GXBool enable, GXColorSrc ambSrc, GXColorSrc matSrc, uint32_t lightMask,
                   GXDiffuseFn diffFn, GXAttnFn attnFn);
void GXSetChanAmbColor(GXChannelID chan, GXColor color);  // COLORn: rgb, ALPHAn: alpha, COLORnAn: all
void GXSetChanMatColor(GXChannelID chan, GXColor color);
void GXInitLightPos(GXLightObj* light, float x, float y, float z);
void GXInitLightDir(GXLightObj* light, float nx, float ny, float nz);  // stores the negated vector
void GXInitLightColor(GXLightObj* light, GXColor color);
void GXInitLightAttn(GXLightObj* light, float a0, float a1, float a2, float k0, float k1, float k2);
void GXInitLightAttnA(GXLightObj* light, float a0, float a1, float a2);
void GXInitLightAttnK(GXLightObj* light, float k0, float k1, float k2);
void GXInitLightSpot(GXLightObj* light, float cutoffDeg, GXSpotFn fn);
void GXInitLightDistAttn(GXLightObj* light, float refDistance, float refBrightness, GXDistAttnFn fn);
// light: one GXLightID bit; the record of that light is replaced.
void GXLoadLightObjImm(const GXLightObj* light, GXLightID id);

// ---- fog, pixel tests, blending ----------------------------------------------------------------
// start/end: eye distances where fog begins and is full; near/far: the
// projection's planes. Colour alpha is ignored.
void GXSetFog(GXFogType type, float startZ, float endZ, float nearZ, float farZ, GXColor color);
void GXSetBlendMode(GXBlendMode type, GXBlendFactor srcFactor, GXBlendFactor dstFactor, GXLogicOp op);
void GXSetAlphaCompare(GXCompare comp0, uint8_t ref0, GXAlphaOp op, GXCompare comp1, uint8_t ref1);
void GXSetZMode(GXBool compareEnable, GXCompare func, GXBool updateEnable);
void GXSetZCompLoc(GXBool beforeTex);
void GXSetCullMode(GXCullMode mode);
void GXSetColorUpdate(GXBool updateEnable);
void GXSetAlphaUpdate(GXBool updateEnable);
void GXSetDstAlpha(GXBool enable, uint8_t alpha);
void GXSetDither(GXBool dither);
