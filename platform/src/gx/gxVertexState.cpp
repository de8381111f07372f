// Vertex descriptor, vertex formats and arrays: state only.

#include "gx/gxFront_local.h"

namespace {

bool IsDescAttr(GXAttr attr) { return (attr >= GX_VA_PNMTXIDX && attr <= GX_VA_TEX7) || attr == GX_VA_NBT; }

}  // namespace

void GXClearVtxDesc()
{
    for (GXAttrType& t : gxMut().vtxDesc)
        t = GX_NONE;
}

void GXSetVtxDesc(GXAttr attr, GXAttrType type)
{
    if (!IsDescAttr(attr) || type > GX_INDEX16) {
        gxLog("GXSetVtxDesc: attribute %d (%s) with input %d cannot be in a vertex; ignored", attr, GXAttrText(attr),
              type);
        return;
    }
    // NBT is the normal slot carrying three vectors; the format's count says which.
    const GXAttr slot = (attr == GX_VA_NBT) ? GX_VA_NRM : attr;
    // Matrix indices are one inline byte or absent.
    if (slot <= GX_VA_TEX7MTXIDX && type != GX_NONE)
        type = GX_DIRECT;
    gxMut().vtxDesc[slot] = type;
}

void GXSetVtxAttrFmt(GXVtxFmt fmt, GXAttr attr, GXCompCnt cnt, GXCompType type, uint8_t frac)
{
    const bool dataAttr = (attr >= GX_VA_POS && attr <= GX_VA_TEX7) || attr == GX_VA_NBT;
    if (static_cast<unsigned>(fmt) >= kGxNumVtxFmts || !dataAttr) {
        gxLog("GXSetVtxAttrFmt: format %d attribute %d (%s) has no format; ignored", fmt, attr, GXAttrText(attr));
        return;
    }
    const GXAttr slot = (attr == GX_VA_NBT) ? GX_VA_NRM : attr;
    gxVtxFmt& f = gxMut().vtxFmt[fmt];
    f.attr[slot] = {cnt, type, static_cast<uint8_t>(frac & 31)};
    f.setUp = true;
}

void GXSetArray(GXAttr attr, const void* base, uint8_t stride)
{
    const int index = GXAttrArrayIndex(attr);
    if (index < 0) {
        gxLog("GXSetArray: attribute %d (%s) has no array; ignored", attr, GXAttrText(attr));
        return;
    }
    gxArray& a = gxMut().arrays[index];
    a.base = static_cast<const uint8_t*>(base);
    a.stride = stride;
    a.bytes = 0;
    a.boundsKnown = false;
}

void GXSetArrayBounds(GXAttr attr, uint32_t bytes)
{
    const int index = GXAttrArrayIndex(attr);
    if (index < 0) {
        gxLog("GXSetArrayBounds: attribute %d (%s) has no array; ignored", attr, GXAttrText(attr));
        return;
    }
    gxArray& a = gxMut().arrays[index];
    a.bytes = bytes;
    a.boundsKnown = true;
}
