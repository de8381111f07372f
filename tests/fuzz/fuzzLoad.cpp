// Feeds arbitrary bytes to cBase::Load as a data file on the disc, with every
// layer linked, so any registered class (engine and game) may be named by the
// file. The texture slots are set up as the game configuration leaves them
// before a zone or texture is read: placeholders in slots 0 and 1 and a
// configuration (texel memory) in every slot, lightmap slots included, and
// audio memory is started, so sound data reads its samples. Every input must
// load or fail cleanly: no crash, no read outside the buffers, no sanitizer
// report, no audio memory kept.
//
// An input starting with 'G' is read as a group with a preset range (as a
// caller that places a group's records itself): bytes 1-2 give the first slot
// (big-endian, taken modulo the manager's slots), byte 3 the slot count, and
// the file starts at byte 4.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "cCore/cBase.h"
#include "cCore/cFile.h"
#include "cCore/cGroup.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cType.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/ePath.h"
#include "eEngine/eSoundData.h"
#include "eEngine/eSprite.h"
#include "eEngine/eSurface.h"
#include "eEngine/eTexture.h"
#include "eEngine/eTextureConfig.h"
#include "gcGameCore/script/gcConstant.h"
#include "gcGameCore/script/gcFunction.h"
#include "gcGameCore/script/gcKeyValue.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/script/gcTimer.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "fuzzAudio.h"
#include "tempDir.h"

namespace {

TempDir* g_pDir = nullptr;
std::string g_path;
cMemPool* g_pPool = nullptr;      // what the files load into; reset after each input
cMemPool* g_pTextures = nullptr;  // the slots' texel memory, kept for the run
eTextureConfig* g_pConfigs[eTextureConfigMgr::kSlots] = {};
eTexture g_lightmapPlaceholder;
eTexture g_frameBufferPlaceholder;

template <class Mgr>
void Clear()
{
    std::fill(std::begin(Mgr::s_pInstances), std::end(Mgr::s_pInstances), nullptr);
}

// The slots as the game configuration leaves them. Slot sizes and formats
// vary so that texture blocks of every kind find a slot they fit.
void ConfigureSlots()
{
    static const eTextureConfig::eFormat kFormats[] = {
        eTextureConfig::FORMAT_CMPR,       eTextureConfig::FORMAT_RGBA8, eTextureConfig::FORMAT_RGB5A3,
        eTextureConfig::FORMAT_CMPR_ALPHA, eTextureConfig::FORMAT_C8,
    };
    for (int slot = 2; slot < eTextureConfigMgr::kSlots; ++slot) {
        eTextureConfig* p = g_pTextures->New<eTextureConfig>();
        if (!p)
            std::abort();
        const bool bLightmap = slot >= eTextureMgr::kFirstLightmapSlot;
        const eTextureConfig::eFormat format = bLightmap ? eTextureConfig::FORMAT_CMPR : kFormats[slot % 5];
        const uint32_t side = bLightmap ? 32 : 8u << (slot % 4);
        p->Create(g_pTextures, format, side, side, !bLightmap && slot % 3 == 0, false);
        g_pConfigs[slot] = p;
    }
    g_lightmapPlaceholder.m_name.Set("( Lightmap )");
    g_frameBufferPlaceholder.m_name.Set("( Framebuffer )");
}

// Empties every manager (their objects are in the pool about to be reset)
// and puts the configuration and placeholders back.
void RestoreSlots()
{
    Clear<eTextureMgr>();
    Clear<eTextureConfigMgr>();
    Clear<eMaterialMgr>();
    Clear<eSurfaceMgr>();
    Clear<eMeshMgr>();
    Clear<eAnimationMgr>();
    Clear<eSoundDataMgr>();
    Clear<eSpriteMgr>();
    Clear<eFontMgr>();
    Clear<ePathMgr>();
    Clear<gcConstantMgr>();
    Clear<gcKeyValueMgr>();
    Clear<gcStringMgr>();
    Clear<gcFunctionMgr>();
    Clear<gcStateMachineMgr>();
    Clear<gcTimerMgr>();
    for (int slot = 2; slot < eTextureConfigMgr::kSlots; ++slot)
        eTextureConfigMgr::Add(slot, g_pConfigs[slot], static_cast<uint16_t>(0x200 + slot));
    eMaterial::s_hLightmapTex =
        eTextureMgr::Add(eTextureMgr::kLightmapSlot, &g_lightmapPlaceholder, eTexture::kFixedCheck);
    eMaterial::s_hFrameBufferTex =
        eTextureMgr::Add(eTextureMgr::kFrameBufferSlot, &g_frameBufferPlaceholder, eTexture::kFixedCheck);
}

bool WriteInput(const uint8_t* data, size_t size)
{
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    return ok;
}

// As cBase::Load, but a group gets its range before it reads.
void LoadPresetGroup(int32_t begin, int32_t count)
{
    cFile file;
    if (!file.Open("/fuzz.dat"))
        return;
    {
        cReadBlock rb(file, 1);
        const cType* pType = cType::Find(rb.ReadInt());
        cBase* pObject = !rb.Failed() && pType && pType->m_pNewFunc ? pType->m_pNewFunc(g_pPool) : nullptr;
        if (cGroup* pGroup = dynamic_cast<cGroup*>(pObject)) {
            pGroup->m_nBegin = begin;
            pGroup->m_nEnd = begin + count;
        }
        if (pObject) {
            pObject->Read(file, g_pPool);
            std::destroy_at(pObject);
        }
    }
    file.Close();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);  // thousands of damaged files a second
    fuzzAudio::Start();  // sound data is read into audio memory
    fuzzAudio::Mark();
    g_pDir = new TempDir("qm_fuzz_load");
    DVDSetDataDirectory(g_pDir->c_str());
    g_path = g_pDir->File("fuzz.dat");
    g_pPool = new cMemPool("fuzz", 0x100000, false);
    g_pTextures = new cMemPool("Textures", 0x200000, false);
    ConfigureSlots();
    RestoreSlots();
    std::atexit([] { delete g_pDir; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const bool bPreset = size >= 4 && data[0] == 'G';
    const size_t skip = bPreset ? 4 : 0;
    if (!WriteInput(data + skip, size - skip))
        std::abort();
    if (bPreset) {
        const int32_t slot = (data[1] << 8) | data[2];
        LoadPresetGroup(slot % eTextureMgr::kSlots, data[3]);
    } else if (cBase* p = cBase::Load("/fuzz.dat", g_pPool, nullptr)) {
        std::destroy_at(p);
    }
    // As the game does before it resets a pool: nothing may keep pointers
    // into it.
    RestoreSlots();
    g_pPool->Reset();
    fuzzAudio::CheckNothingKept();
    return 0;
}
