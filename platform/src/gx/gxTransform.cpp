// Viewport, scissor, projection, matrix memory and texture-coordinate
// generators: state only.

#include "gx/gxFront_local.h"

#include "platform/ps.h"

namespace {

// Writes rows of a 3x4 matrix into 4-float rows of matrix memory.
void StoreRows(float (*dst)[4], const Mtx src, int rows)
{
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < 4; ++c)
            dst[r][c] = src[r][c];
}

bool PosRowsValid(uint32_t id, uint32_t rows) { return id + rows <= static_cast<uint32_t>(kGxPosTexRows); }

// The normal matrix of position matrix id sits at normal rows (id & 31).
bool NrmRowsValid(uint32_t id) { return (id & 31) + 3 <= static_cast<uint32_t>(kGxNrmRows); }

// Reads count big-endian floats of element index of a matrix array.
bool ReadMatrixArray(int arrayIndex, uint16_t index, float* out, uint32_t count)
{
    const gxArray& array = gxGet().arrays[arrayIndex];
    const uint64_t offset = static_cast<uint64_t>(index) * array.stride;
    if (!array.base || offset + count * 4ull > gxArrayLimit(array)) {
        gxLog("indexed matrix load from array %d element %u outside the array; ignored", arrayIndex, index);
        return false;
    }
    for (uint32_t i = 0; i < count; ++i)
        out[i] = ps::LoadF32BE(array.base + offset + 4 * i);
    return true;
}

}  // namespace

void GXSetViewport(float left, float top, float wd, float ht, float nearZ, float farZ)
{
    gxMut().viewport = {left, top, wd, ht, nearZ, farZ, -1};
}

void GXSetViewportJitter(float left, float top, float wd, float ht, float nearZ, float farZ, uint32_t field)
{
    gxMut().viewport = {left, top, wd, ht, nearZ, farZ, static_cast<int32_t>(field & 1)};
}

void GXSetScissor(uint32_t left, uint32_t top, uint32_t wd, uint32_t ht)
{
    gxMut().scissor = {left, top, wd, ht};
}

void GXSetProjection(const Mtx44 m, GXProjectionType type)
{
    if (type != GX_PERSPECTIVE && type != GX_ORTHOGRAPHIC) {
        gxLog("GXSetProjection: type %d is not a projection type; ignored", type);
        return;
    }
    gxState& s = gxMut();
    // The hardware keeps six coefficients; the translation column holds the
    // x/y offsets of an orthographic projection, column 2 those of a perspective one.
    const int offsetCol = (type == GX_PERSPECTIVE) ? 2 : 3;
    s.projection[0] = m[0][0];
    s.projection[1] = m[0][offsetCol];
    s.projection[2] = m[1][1];
    s.projection[3] = m[1][offsetCol];
    s.projection[4] = m[2][2];
    s.projection[5] = m[2][3];
    s.projectionType = type;
}

void GXLoadPosMtxImm(const Mtx m, uint32_t id)
{
    if (!PosRowsValid(id, 3)) {
        gxLog("GXLoadPosMtxImm: matrix row %u outside the matrix memory; ignored", id);
        return;
    }
    StoreRows(&gxMut().posTexMtx[id], m, 3);
}

void GXLoadNrmMtxImm(const Mtx m, uint32_t id)
{
    if (!NrmRowsValid(id)) {
        gxLog("GXLoadNrmMtxImm: normal row %u outside the normal memory; ignored", id & 31);
        return;
    }
    gxState& s = gxMut();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            s.nrmMtx[(id & 31) + r][c] = m[r][c];
}

void GXLoadNrmMtxImm3x3(const Mtx33 m, uint32_t id)
{
    if (!NrmRowsValid(id)) {
        gxLog("GXLoadNrmMtxImm3x3: normal row %u outside the normal memory; ignored", id & 31);
        return;
    }
    gxState& s = gxMut();
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            s.nrmMtx[(id & 31) + r][c] = m[r][c];
}

void GXLoadTexMtxImm(const Mtx m, uint32_t id, GXTexMtxType type)
{
    if (id >= kGxPostMtxFirstId) {
        // Post-transform matrices are always 3x4.
        const uint32_t row = id - kGxPostMtxFirstId;
        if (row + 3 > static_cast<uint32_t>(kGxPostRows)) {
            gxLog("GXLoadTexMtxImm: post matrix %u outside the post memory; ignored", id);
            return;
        }
        StoreRows(&gxMut().postMtx[row], m, 3);
        return;
    }
    const int rows = (type == GX_MTX2x4) ? 2 : 3;
    if (!PosRowsValid(id, rows)) {
        gxLog("GXLoadTexMtxImm: matrix row %u outside the matrix memory; ignored", id);
        return;
    }
    StoreRows(&gxMut().posTexMtx[id], m, rows);
}

void GXLoadPosMtxIndx(uint16_t mtxIndx, uint32_t id)
{
    float v[12];
    if (!PosRowsValid(id, 3) || !ReadMatrixArray(GX_POS_MTX_ARRAY - GX_VA_POS, mtxIndx, v, 12))
        return;
    gxState& s = gxMut();
    for (int i = 0; i < 12; ++i)
        s.posTexMtx[id + i / 4][i % 4] = v[i];
}

void GXLoadNrmMtxIndx3x3(uint16_t mtxIndx, uint32_t id)
{
    float v[9];
    if (!NrmRowsValid(id) || !ReadMatrixArray(GX_NRM_MTX_ARRAY - GX_VA_POS, mtxIndx, v, 9))
        return;
    gxState& s = gxMut();
    for (int i = 0; i < 9; ++i)
        s.nrmMtx[(id & 31) + i / 3][i % 3] = v[i];
}

void GXLoadTexMtxIndx(uint16_t mtxIndx, uint32_t id, GXTexMtxType type)
{
    const uint32_t rows = (type == GX_MTX2x4 && id < kGxPostMtxFirstId) ? 2 : 3;
    float v[12];
    if (!ReadMatrixArray(GX_TEX_MTX_ARRAY - GX_VA_POS, mtxIndx, v, rows * 4))
        return;
    Mtx m = {};
    for (uint32_t i = 0; i < rows * 4; ++i)
        m[i / 4][i % 4] = v[i];
    GXLoadTexMtxImm(m, id, type);
}

void GXSetCurrentMtx(uint32_t id)
{
    gxMut().currentPnMtx = id & 63;
}

void GXSetNumTexGens(uint8_t count)
{
    if (count > kGxNumTexCoords) {
        gxLog("GXSetNumTexGens: %u generators, at most %d; clamped", count, kGxNumTexCoords);
        count = kGxNumTexCoords;
    }
    gxMut().numTexGens = count;
}

void GXSetTexCoordGen2(GXTexCoordID dst, GXTexGenType func, GXTexGenSrc src, uint32_t mtx, GXBool normalize,
                       uint32_t postMtx)
{
    if (static_cast<unsigned>(dst) >= kGxNumTexCoords || func > GX_TG_SRTG || src > GX_TG_COLOR1) {
        gxLog("GXSetTexCoordGen2: coordinate %d, type %d, source %d outside the hardware's; ignored", dst, func, src);
        return;
    }
    gxTexGen& g = gxMut().texGens[dst];
    g.type = func;
    g.src = src;
    g.mtx = mtx;
    g.normalize = normalize != 0;
    g.postMtx = postMtx;
    // The matrix id also becomes the coordinate's matrix index register.
    if (mtx < kGxPostMtxFirstId)
        gxMut().currentTexMtx[dst] = mtx;
}

void GXSetTexCoordGen(GXTexCoordID dst, GXTexGenType func, GXTexGenSrc src, uint32_t mtx)
{
    GXSetTexCoordGen2(dst, func, src, mtx, GX_FALSE, GX_PTIDENTITY);
}
