#pragma once
// Shared pieces of the texture and material tests: a "Textures" pool with
// texture configurations created in it, the two placeholder textures in
// slots 0 and 1 as the game configuration makes them, textures placed in
// slots, solid and split test images, and a clean slate of every manager
// and static the classes keep between tests.

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

// Empties the texture, configuration and material managers and resets the
// texture-map cache and the material statics.
void ResetMaterialState();

// The first len bytes, for truncated files.
std::vector<uint8_t> Prefix(const std::vector<uint8_t>& bytes, size_t len);
// Reads the next word of the file and compares it: the reader went on
// after the block it refused or read.
bool NextWordIs(const cFile& file, uint32_t value);

datagen::RgbaImage SolidImage(uint32_t size, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255);
// Left half one colour, right half another.
datagen::RgbaImage SplitImage(uint32_t size, const uint8_t left[4], const uint8_t right[4]);

class MaterialTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A configuration created in the "Textures" pool and placed in its slot.
    eTextureConfig* Configure(int slot, eTextureConfig::eFormat format, uint32_t size, bool bMipmaps = false,
                              bool bRenderTarget = false);
    // An empty texture placed in its slot (check 0x100 + slot).
    eTexture* PlaceTexture(int slot, const char* name = "tex");
    // A configured slot holding the image as its texels.
    eTexture* MakeTexture(int slot, eTextureConfig::eFormat format, const datagen::RgbaImage& image,
                          int32_t wrap = 0, const datagen::GxPalette* pPalette = nullptr);
    // A material in the test pool, destroyed with the test.
    eMaterial* NewMaterial(uint32_t flags = 0);
    // A stage appended to the pass: colour inputs and operation, alpha input
    // 1 and operation, texture index.
    static eTextureStage* AddStage(eMaterialPass* pPass, uint8_t cIn0, uint8_t cIn1, uint8_t cOp, uint8_t aIn0,
                                   uint8_t aOp, int16_t texture);
    // Writes the bytes to a file of the data directory and opens it.
    bool OpenFile(const datagen::BlockWriter& w, cFile* pFile, const char* name = "t.dat");
    // Every prefix of a file short of its trailer (each length below dense,
    // then every step-th) fails to load; check runs after each attempt.
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
