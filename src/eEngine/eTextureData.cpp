#include "eEngine/eTextureData.h"

#include "platform/gx.h"
#include "eEngine/eTexture.h"
#include "eEngine/eVideoPlatform.h"

namespace {

constexpr uint16_t kScreenWidth = 640;
constexpr uint16_t kScreenHeight = 480;

}  // namespace

void eTextureData::Apply(int map) const
{
    if (map < 0 || map >= eTexture::kNumMaps)
        return;
    if (eTexture::s_pLastTex[map] == this)
        return;
    GXLoadTexObj(&m_texObj, static_cast<GXTexMapID>(map));
    eTexture::s_pLastTex[map] = this;
}

void eTextureData::ApplyScreenCopy(int map)
{
    static eTextureData s_screenCopy;
    GXInitTexObj(&s_screenCopy.m_texObj, eVideoPlatform::s_pFrameBufTexture, kScreenWidth, kScreenHeight,
                 GX_TF_RGB565, GX_CLAMP, GX_CLAMP, GX_FALSE);
    GXInitTexObjLOD(&s_screenCopy.m_texObj, GX_LINEAR, GX_LINEAR, 0.0f, 0.0f, 0.0f, GX_FALSE, GX_FALSE, GX_ANISO_1);
    s_screenCopy.m_nBytes = eVideoPlatform::kFrameBufTextureSize;
    s_screenCopy.m_pTexels = eVideoPlatform::s_pFrameBufTexture;
    s_screenCopy.Apply(map);
}
