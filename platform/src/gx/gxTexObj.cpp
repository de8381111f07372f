// Texture and palette objects: plain data filled by the Init calls; loads
// copy them into the state's texture maps and palette slots.

#include "gx/gxFront_local.h"

#include <cmath>

namespace {

// Levels of a full mip chain minus one: floor(log2(max(w, h))).
float FullChainMaxLod(uint16_t width, uint16_t height)
{
    uint32_t size = width > height ? width : height;
    int levels = 0;
    while (size > 1) {
        size >>= 1;
        ++levels;
    }
    return static_cast<float>(levels);
}

}  // namespace

void GXInitTexObj(GXTexObj* obj, const void* image, uint16_t width, uint16_t height, GXTexFmt format,
                  GXTexWrapMode wrapS, GXTexWrapMode wrapT, GXBool mipmap)
{
    *obj = GXTexObj{};
    obj->image = image;
    obj->width = width;
    obj->height = height;
    obj->format = format;
    obj->wrapS = wrapS;
    obj->wrapT = wrapT;
    obj->mipmap = mipmap;
    obj->minFilter = mipmap ? GX_LIN_MIP_LIN : GX_LINEAR;
    obj->magFilter = GX_LINEAR;
    obj->minLod = 0.0f;
    obj->maxLod = mipmap ? FullChainMaxLod(width, height) : 0.0f;
}

void GXInitTexObjCI(GXTexObj* obj, const void* image, uint16_t width, uint16_t height, GXCITexFmt format,
                    GXTexWrapMode wrapS, GXTexWrapMode wrapT, GXBool mipmap, uint32_t tlutName)
{
    GXInitTexObj(obj, image, width, height, format, wrapS, wrapT, mipmap);
    obj->colorIndexed = GX_TRUE;
    obj->tlutName = tlutName;
}

void GXInitTexObjLOD(GXTexObj* obj, GXTexFilter minFilt, GXTexFilter magFilt, float minLod, float maxLod,
                     float lodBias, GXBool biasClamp, GXBool doEdgeLod, GXAnisotropy maxAniso)
{
    obj->minFilter = minFilt;
    obj->magFilter = magFilt;
    // The hardware holds LODs as unsigned 4.4 fixed point: 0..10 levels matter.
    obj->minLod = std::fmin(std::fmax(minLod, 0.0f), 10.0f);
    obj->maxLod = std::fmin(std::fmax(maxLod, 0.0f), 10.0f);
    obj->lodBias = lodBias;
    obj->biasClamp = biasClamp;
    obj->edgeLod = doEdgeLod;
    obj->maxAniso = maxAniso;
}

void GXInitTexObjWrapMode(GXTexObj* obj, GXTexWrapMode s, GXTexWrapMode t)
{
    obj->wrapS = s;
    obj->wrapT = t;
}

void GXInitTexObjFilter(GXTexObj* obj, GXTexFilter minFilt, GXTexFilter magFilt)
{
    obj->minFilter = minFilt;
    obj->magFilter = magFilt;
}

void GXInitTexObjTlut(GXTexObj* obj, uint32_t tlutName) { obj->tlutName = tlutName; }

void GXLoadTexObj(const GXTexObj* obj, GXTexMapID id)
{
    if (static_cast<unsigned>(id) >= kGxNumTexMaps || !obj) {
        gxLog("GXLoadTexObj: texture map %d outside 0..7 or no object; ignored", id);
        return;
    }
    gxState& s = gxMut();
    s.texMaps[id] = *obj;
    s.texMapLoaded[id] = true;
}

void GXInitTlutObj(GXTlutObj* obj, const void* lut, GXTlutFmt format, uint16_t numEntries)
{
    obj->lut = lut;
    obj->format = format;
    obj->numEntries = numEntries;
}

void GXLoadTlut(const GXTlutObj* obj, uint32_t tlutName)
{
    if (tlutName >= static_cast<uint32_t>(kGxNumTluts) || !obj) {
        gxLog("GXLoadTlut: palette slot %u outside 0..19 or no object; ignored", tlutName);
        return;
    }
    gxMut().tluts[tlutName] = *obj;
}
