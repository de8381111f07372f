#pragma once
// Vertex decoding: from the vertex descriptor, a vertex format and the
// arrays, a plan of the bytes one vertex takes in the command stream; then
// big-endian vertex bytes (direct data and 8/16-bit indices into arrays)
// into the packed vertices of a draw (gxVertexData). Pure functions over the
// state given: no globals, no logging, any thread.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "gx/gxCommand.h"
#include "gx/gxState.h"

struct gxAttrStep;
// The decoder of one attribute over a run of vertices, chosen when the plan
// is built for its input kind, component type and count: field is the
// attribute's bytes in the first vertex (vertexBytes apart), out its slot in
// the first packed vertex (outStride apart). Returns the vertices decoded:
// count, or the number before the first index that reaches past the array.
using gxStepKernel = uint32_t (*)(const gxAttrStep& step, const uint8_t* field, uint32_t count,
                                  uint32_t vertexBytes, uint8_t* out, uint32_t outStride);

// One enabled attribute of the vertex, in stream order.
struct gxAttrStep {
    uint8_t attr = 0;        // GXAttr, GX_VA_PNMTXIDX .. GX_VA_TEX7
    uint8_t input = 0;       // GXAttrType: DIRECT, INDEX8 or INDEX16
    uint8_t type = 0;        // GXCompType
    uint8_t comps = 0;       // components per element (1..3; 9 for NBT); colours 1
    uint8_t compBytes = 0;   // bytes per component; for colours the bytes of a colour
    bool nbt3 = false;       // three indices (N, B, T)
    bool shorts = false;     // a position or coordinate kept as shorts in the packed vertex
    float scale = 1.0f;      // integer -> float factor (fraction bits, or the normal's fixed scale)
    uint32_t elemBytes = 0;  // bytes of one element (inline or in the array)
    uint32_t streamBytes = 0;  // bytes this attribute takes in the vertex stream
    const uint8_t* base = nullptr;  // indexed: the array
    uint32_t stride = 0;
    uint64_t limit = 0;      // readable bytes from base
    uint32_t indices = 0;      // indexed: indices whose element lies within limit
    uint32_t wideIndices = 0;  // indexed: those with 4 more bytes readable after the element
    uint32_t streamOffset = 0;  // where the attribute starts in a stream vertex
    uint16_t outOffset = 0;     // where it goes in a packed vertex
    bool wide = false;          // 16 bytes may be stored at outOffset (a later slot takes the excess)
    gxStepKernel kernel = nullptr;
};

struct gxVertexPlan;
// A decoder of whole vertices for one common format, chosen when the plan is
// built: decodes from the first vertex on and returns how many it did; the
// step kernels take the rest (any vertex it leaves, with their exact checks).
// readable is the bytes from data that may be read (at least count
// vertices'): loads that reach past the last vertex use them.
using gxVertexKernel = uint32_t (*)(const gxVertexPlan& plan, const uint8_t* data, uint32_t count, size_t readable,
                                    uint8_t* out);

struct gxVertexPlan {
    gxAttrStep steps[kGxNumAttrs];
    uint32_t numSteps = 0;
    uint32_t vertexBytes = 0;  // bytes of one vertex in the stream
    uint32_t attrMask = 0;     // bit per GXAttr present
    uint8_t pnMtx = 0;         // defaults for vertices without matrix indices
    uint8_t texMtx[kGxNumTexCoords] = {};
    gxVertexLayout layout;     // the packed vertex: only the attributes present
    gxVertexKernel wholeKernel = nullptr;  // null when the format has none
};

enum class gxDecodeStatus : uint8_t {
    kOk,
    kTruncated,        // the bytes end inside a vertex
    kIndexOutOfRange,  // an index reaches past its array's readable bytes
};

struct gxDecodeError {
    uint32_t vertex = 0;  // vertex number within the call
    uint8_t attr = 0;     // GXAttr
    uint32_t index = 0;
    uint64_t limit = 0;   // readable bytes of the array
};

// Builds the plan of format fmt under the state's descriptor. limitOf gives
// each array's readable bytes (the caller's bounds policy). False, with a
// static reason, when the descriptor or format cannot be decoded (format
// not set up, no position, a type or count outside the hardware's fields,
// an indexed attribute without an array).
bool gxBuildVertexPlan(const gxState& state, GXVtxFmt fmt, uint64_t (*limitOf)(const gxArray&),
                       gxVertexPlan* plan, const char** reason);

// Decodes count vertices from data (bytes available) into out, in the
// plan's layout, in out's storage when it is large enough. On failure out
// holds the whole vertices before the bad one, *used the bytes they took,
// and err says where.
gxDecodeStatus gxDecodeVertices(const gxVertexPlan& plan, const uint8_t* data, size_t bytes, uint32_t count,
                                gxVertexData& out, size_t* used, gxDecodeError* err);

// The indices of count whole vertices at data checked as gxDecodeVertices
// bounds them, reading no array: kOk, or kIndexOutOfRange with err saying
// where.
gxDecodeStatus gxCheckIndices(const gxVertexPlan& plan, const uint8_t* data, uint32_t count, gxDecodeError* err);

// A vertex with every attribute at its default (matrix rows from the plan).
gxVertex gxDefaultVertex(const gxVertexPlan& plan);
// Address of array element index of an indexed step, or null when it would
// reach past the step's limit.
const uint8_t* gxIndexedElement(const gxAttrStep& step, uint32_t index);
// Decodes one element already known to be readable into v.
void gxDecodeElement(const gxAttrStep& step, const uint8_t* src, gxVertex& v);
// Components of a colour in one of the six colour types, to RGBA8.
void gxDecodeColor(uint8_t type, const uint8_t* src, uint8_t rgba[4]);
// Whether plans built from now on may use the processor's vector extensions
// beyond the baseline (on by default; tests compare both). Returns the
// previous setting.
bool gxSetVertexSimd(bool enabled);
// Bytes of one colour in a colour type (2, 3 or 4); 0 outside the types.
uint32_t gxColorBytes(uint8_t type);
