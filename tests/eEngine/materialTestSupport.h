#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "datagen/gxTextureEncode.h"
#include "datagen/materialWriters.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureStage.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTexture.h"
#include "worldTestSupport.h"

void ResetMaterialState();

std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t len);
bool NextWordIs(const cFile& file, uint32_t value);

datagen::RgbaImage SolidImage(uint32_t size, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
datagen::RgbaImage SplitImage(uint32_t size, const uint8_t left[4], const uint8_t right[4]);

class MaterialTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    eTextureConfig* Configure(int slot, eTextureConfig::eFormat format, uint32_t size, bool bMipmaps = false,
                              bool bRenderTarget = false);
    eTexture* PlaceTexture(int slot, const char* name = "tex");
    eTexture* MakeTexture(int slot, eTextureConfig::eFormat format, const datagen::RgbaImage& image,
                          int32_t wrap = 0, const datagen::GxPalette* pPalette = nullptr);
    eMaterial* NewMaterial(uint32_t flags = 0);
    static eTextureStage* AddStage(eMaterialPass* pPass, uint8_t cIn0, uint8_t cIn1, uint8_t cOp, uint8_t aIn0,
                                   uint8_t aOp, int16_t texture);
    bool OpenFile(const datagen::BlockWriter& w, cFile* pFile, const char* name = "t.dat");
    void ExpectCutFilesFail(const std::vector<uint8_t>& bytes, const cType* pType, size_t dense = SIZE_MAX,
                            size_t step = 1, const std::function<void()>& check = {});

    eTestDataDir m_data;
    cMemPool m_textures{"Textures", 0x100000, false};
    cMemPool m_pool{"materialTest", 0x40000, false};
    eTexture m_lightmapPlaceholder;
    eTexture m_frameBufferPlaceholder;
    eTexture m_textureStore[12];
    int m_nTexturesUsed = 0;
    std::vector<eMaterial*> m_materials;
};
