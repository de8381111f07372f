
#include <algorithm>
#include <iterator>

#include "platform/ps.h"
#include "eEngine/eLight.h"
#include "eEngine/eTextureData.h"
#include "zoneTestSupport.h"

void ResetMaterialState()
{
    std::ranges::fill(eTextureMgr::s_pInstances, nullptr);
    std::ranges::fill(eTextureConfigMgr::s_pInstances, nullptr);
    std::ranges::fill(eMaterialMgr::s_pInstances, nullptr);
    for (int map = 0; map < eTexture::kNumMaps; ++map)
        eTexture::ApplyNull(map);
    eMaterial::ApplyNull();
    eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    eMaterial::s_hLightmapTex = eTextureHandle();
    eMaterial::s_hFrameBufferTex = eTextureHandle();
    eMaterial::SetGlobalAmbient(0xFFFFFFFFu);
    eMaterial::s_bFogEnabled = false;
    eLight::s_bDirectional = false;
    std::ranges::fill(eLight::s_bOmni, false);
    eLight::s_nOpenOmniLight = 0;
}

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t len)
{
    return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(len, bytes.size()))};
}

bool NextWordIs(const cFile& file, uint32_t value)
{
    uint8_t b[4];
    return file.Read(b, 4) && ps::LoadU32BE(b) == value;
}

datagen::RgbaImage SolidImage(uint32_t size, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    const uint8_t c[4] = {r, g, b, a};
    return SplitImage(size, c, c);
}

datagen::RgbaImage SplitImage(uint32_t size, const uint8_t left[4], const uint8_t right[4])
{
    datagen::RgbaImage image;
    image.width = image.height = size;
    for (uint32_t y = 0; y < size; ++y)
        for (uint32_t x = 0; x < size; ++x) {
            const uint8_t* c = x < size / 2 ? left : right;
            image.rgba.insert(image.rgba.end(), c, c + 4);
        }
    return image;
}

void MaterialTest::SetUp()
{
    ResetMaterialState();
    m_lightmapPlaceholder.m_name.Set("( Lightmap )");
    m_frameBufferPlaceholder.m_name.Set("( Framebuffer )");
    eMaterial::s_hLightmapTex =
        eTextureMgr::Add(eTextureMgr::kLightmapSlot, &m_lightmapPlaceholder, eTexture::kFixedCheck);
    eMaterial::s_hFrameBufferTex =
        eTextureMgr::Add(eTextureMgr::kFrameBufferSlot, &m_frameBufferPlaceholder, eTexture::kFixedCheck);
}

void MaterialTest::TearDown()
{
    for (eMaterial* m : m_materials)
        std::destroy_at(m);
    ResetMaterialState();
}

eMaterial* MaterialTest::NewMaterial(uint32_t flags)
{
    eMaterial* m = m_pool.New<eMaterial>();
    if (m) {
        m->m_nFlags = flags;
        m_materials.push_back(m);
    }
    return m;
}

eTextureStage* MaterialTest::AddStage(eMaterialPass* pPass, uint8_t cIn0, uint8_t cIn1, uint8_t cOp, uint8_t aIn0,
                                      uint8_t aOp, int16_t texture)
{
    eTextureStage* s = pPass->AddTextureStage();
    s->m_colorIn[0] = cIn0;
    s->m_colorIn[1] = cIn1;
    s->m_colorOp = cOp;
    s->m_alphaIn[0] = aIn0;
    s->m_alphaOp = aOp;
    s->m_nTextureIndex = texture;
    return s;
}

eTextureConfig* MaterialTest::Configure(int slot, eTextureConfig::eFormat format, uint32_t size, bool bMipmaps,
                                        bool bRenderTarget)
{
    eTextureConfig* pConfig = m_textures.New<eTextureConfig>();
    if (pConfig) {
        eTextureConfigMgr::Add(slot, pConfig, static_cast<uint16_t>(0x200 + slot));
        pConfig->Create(&m_textures, format, size, size, bMipmaps, bRenderTarget);
    }
    return pConfig;
}

eTexture* MaterialTest::PlaceTexture(int slot, const char* name)
{
    if (m_nTexturesUsed >= static_cast<int>(std::size(m_textureStore)))
        return nullptr;
    eTexture* p = &m_textureStore[m_nTexturesUsed++];
    p->m_name.Set("%s", name);
    eTextureMgr::Add(slot, p, static_cast<uint16_t>(0x100 + slot));
    return p;
}

eTexture* MaterialTest::MakeTexture(int slot, eTextureConfig::eFormat format, const datagen::RgbaImage& image,
                                    int32_t wrap, const datagen::GxPalette* pPalette)
{
    eTextureConfig* pConfig = Configure(slot, format, image.width);
    std::vector<uint8_t> texels;
    if (!pConfig || !datagen::EncodeSlotTexels(image, format, false, pPalette, &texels))
        return nullptr;
    eTexture* p = PlaceTexture(slot);
    if (!p)
        return nullptr;
    p->m_wrapMode = static_cast<eTexture::eWrapMode>(wrap);
    p->m_bHasData = true;
    std::copy(texels.begin(), texels.end(), static_cast<uint8_t*>(pConfig->m_pTextureData->m_pTexels));
    DCStoreRangeNoSync(pConfig->m_pTextureData->m_pTexels, pConfig->m_pTextureData->m_nBytes);
    GXInitTexObjWrapMode(&pConfig->m_pTextureData->m_texObj, eTexture::WrapS(wrap), eTexture::WrapT(wrap));
    return p;
}

bool MaterialTest::OpenFile(const datagen::BlockWriter& w, cFile* pFile, const char* name)
{
    return w.Save(m_data.HostPath(name)) && pFile->Open((std::string("/") + name).c_str());
}

void MaterialTest::ExpectCutFilesFail(const std::vector<uint8_t>& bytes, const cType* pType, size_t dense, size_t step,
                                      const std::function<void()>& check)
{
    LogCatcher quiet;
    for (size_t len = 0; len + 8 < bytes.size(); len += (len < dense ? 1 : step)) {
        SCOPED_TRACE(len);
        ASSERT_TRUE(datagen::WriteBytes(m_data.HostPath("cut.dat"), Prefix(bytes, len)));
        EXPECT_EQ(cBase::Load("/cut.dat", &m_pool, pType), nullptr);
        if (check)
            check();
    }
}
