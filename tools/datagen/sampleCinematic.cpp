#include "datagen/sampleCinematic.h"

#include <algorithm>
#include <iterator>
#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/cinematicWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/overlayWriters.h"
#include "datagen/scriptWriters.h"
#include "datagen/slotLease.h"
#include "datagen/soundWriters.h"
#include "eEngine/eFont.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTexture.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureStage.h"
#include "gcGameCore/actions/gcDoPlayCinematic.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcCinematic.h"
#include "gcGameCore/script/gcString.h"

namespace datagen {
namespace {

// Slots of the subtitle's resources, clear of the map's textures (346 on),
// the regions' lightmaps (350 on) and the map's materials (300 on).
constexpr int kGlyphTextureSlot = 440;
constexpr int kGlyphCell = 16;  // texels a glyph cell: a 256 x 256 sheet
constexpr int kFontMaterialSlot = 640;
constexpr int kBoxMaterialSlot = 641;
constexpr int kFontSlot = 4;
constexpr int kLargeFontSlot = 5;  // the same glyphs, larger
constexpr int kMessageBoxMaterialSlot = 642;
constexpr int kSubtitleDialogSlot = 200;  // in the game's dialog group
constexpr int kGreetingVoiceSlot = 0;     // the map's voice-overs start at 0
constexpr int kGreetingStringSlot = 550;  // the map's strings start at 550
constexpr int kMiddleRegion = 1;

uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(0x100 + slot);
}

uint32_t HandleOf(int slot)
{
    return static_cast<uint32_t>(slot) | static_cast<uint32_t>(CheckOf(slot)) << 16;
}

// A group block over begin .. end - 1: the slot's check, type id and block
// from record(w, slot) where has(slot), an empty slot elsewhere.
template <class Has, class Record>
BlockWriter& LayGroup(BlockWriter& w, int begin, int end, uint32_t typeId, const Has& has, const Record& record)
{
    w.Begin(2).Begin(1).End().Int(begin).Int(end);
    for (int slot = begin; slot < end; ++slot) {
        if (!has(slot)) {
            w.Half(0);
            continue;
        }
        w.Half(CheckOf(slot)).Word(typeId);
        record(w, slot);
    }
    return w.End();
}

// The configuration's texture cache, the sheet's slot added past the others.
bool LayTextureConfigs(BlockWriter& w, int beginSlot, const std::vector<TextureConfigRecord>& cache,
                       const TextureFileDesc& sheet, const std::string& scratch)
{
    bool ok = true;
    const int cacheEnd = beginSlot + static_cast<int>(cache.size());
    auto has = [&](int slot) {
        return slot == kGlyphTextureSlot || (slot < cacheEnd && cache[static_cast<size_t>(slot - beginSlot)].check);
    };
    LayGroup(w, beginSlot, kGlyphTextureSlot + 1, eTextureConfig::GetStaticType()->m_nTypeId, has,
             [&](BlockWriter& b, int slot) {
                 eTextureConfig config;
                 if (slot == kGlyphTextureSlot) {
                     config.m_format = static_cast<eTextureConfig::eFormat>(sheet.format);
                     config.m_nWidth = sheet.width;
                     config.m_nHeight = sheet.height;
                 } else {
                     const TextureConfigRecord& r = cache[static_cast<size_t>(slot - beginSlot)];
                     config.m_format = static_cast<eTextureConfig::eFormat>(r.format);
                     config.m_nWidth = r.width;
                     config.m_nHeight = r.height;
                     config.m_bMipmaps = r.bMipmaps;
                     config.m_bRenderTarget = r.bRenderTarget;
                 }
                 ok = LayEngineObject(b, config, scratch) && ok;
             });
    return ok;
}

// One record at slot: its group laid by record(w).
template <class Record>
BlockWriter& LayOne(BlockWriter& w, int slot, uint32_t typeId, const Record& record)
{
    return LayGroup(w, slot, slot + 1, typeId, [](int) { return true; }, [&](BlockWriter& b, int) { record(b); });
}

// The subtitle dialog: one control across the lower part of the screen
// showing its text in the font, in yellow with a shadow. It neither pauses
// the game nor takes the focus.
gcUIDialog* NewSubtitleDialog(cMemPool* pPool, uint32_t* phControl)
{
    GridDialogDesc d;
    d.name = "Subtitles";
    d.rows = d.cols = 1;
    d.cellSize[0] = 480.0f;
    d.cellSize[1] = 40.0f;
    d.hFont = HandleOf(kFontSlot);
    d.flags = 0;
    gcUIDialog* pDialog = NewGridDialog(pPool, d);
    if (!pDialog)
        return nullptr;
    pDialog->m_layout = gcUIDialog::DLG_LAYOUT_3x3;  // no sprites: the control and 32 each side
    pDialog->m_offset = mVec2(0.0f, -140.0f);        // near the foot of the title-safe frame
    *phControl = pDialog->m_hInitiallyFocusedControl;
    pDialog->m_hInitiallyFocusedControl = 0;
    auto* pControl = static_cast<gcUIControl*>(pDialog->GetControl(*phControl));
    pControl->m_name.Set("Line");
    pControl->m_nFlags = (pControl->m_nFlags & ~gcUIWidget::kFocusable) | gcUIControl::kTextShadow | gcUIControl::kTextWrap;
    pControl->m_nTextColor = kSubtitleColor;
    pControl->m_fMaxTextWidth = 480.0f;
    return pDialog;
}

// The boxes of the sample's buttons and messages: a plain colour (the
// buttons' the yellow the untextured null material draws), but through a
// material, which blends by the alpha
// the dialog draws its box with (one less than opaque makes it
// transparent). The null material draws opaque whatever that alpha, so
// that a message's box stayed while its label faded.
eMaterial* NewBoxMaterial(cMemPool* pPool, const mVec3& color)
{
    eMaterial* m = pPool->New<eMaterial>();
    eMaterialPass* pPass = m ? m->AddPass(eMaterial::PASS_DIFFUSE) : nullptr;
    eTextureStage* s = pPass ? pPass->AddTextureStage() : nullptr;
    if (!s)
        return nullptr;
    m->m_nFlags = eMaterial::FLAG_UNLIT | eMaterial::FLAG_TWO_SIDED | eMaterial::FLAG_NO_FOG;
    m->m_diffuseColor = color;
    // A stage passes on its first inputs, without a texture, by default.
    s->m_colorIn[0] = s->m_alphaIn[0] = eTextureStage::IN_RASTER;
    return m;
}

}  // namespace

uint32_t SampleFontHandle()
{
    return HandleOf(kFontSlot);
}

uint32_t SampleBoxMaterialHandle()
{
    return HandleOf(kBoxMaterialSlot);
}

uint32_t SampleLargeFontHandle()
{
    return HandleOf(kLargeFontSlot);
}

uint32_t SampleMessageBoxMaterialHandle()
{
    return HandleOf(kMessageBoxMaterialSlot);
}

bool WriteSampleSubtitleConfig(const std::string& path, int beginSlot, std::vector<TextureConfigRecord> cache)
{
    const int cacheEnd = beginSlot + static_cast<int>(cache.size());
    if (beginSlot < 0 || cacheEnd > kGlyphTextureSlot) {
        cLogError_("datagen: texture cache %d to %d runs into the subtitle font's slot %d", beginSlot, cacheEnd,
                   kGlyphTextureSlot);
        return false;
    }
    FontSheet sheet;
    TextureFileDesc glyphs;
    if (!BuildFontSheet(kGlyphCell, &sheet) ||
        !MakeTextureDesc("SubtitleGlyphs", eTexture::WRAP_CLAMP, eTextureConfig::FORMAT_RGBA8, false, sheet.image,
                         nullptr, &glyphs))
        return false;
    cMemPool pool("datagen SubtitleConfig", 0x4000, false);
    const eMaterial* pMaterial = MakeOverlayMaterial(&pool, eTextureHandle(HandleOf(kGlyphTextureSlot)));
    const eMaterial* pBox = NewBoxMaterial(&pool, mVec3(1.0f, 1.0f, 0.0f));
    const eMaterial* pMessageBox = NewBoxMaterial(&pool, kMessageBoxColor);
    if (!pMaterial || !pBox || !pMessageBox)
        return false;
    eFont font;
    font.m_name.Set("Subtitles");
    font.m_fWidth = static_cast<float>(kGlyphCell);
    font.m_fScale = 1.5f;  // glyphs of 16 texels are small on a 640 x 480 frame
    font.m_nFlags = eFont::kFlagKerning;
    std::copy(std::begin(sheet.kern), std::end(sheet.kern), font.m_kernTable);
    font.m_hMaterial = eMaterialHandle(HandleOf(kFontMaterialSlot));
    eFont large = font;
    large.m_name.Set("Large");
    large.m_fScale = kSampleLargeFontScale;

    const std::string scratch = path + ".part";
    BlockWriter w;
    ObjectBlock(w.Header().Begin(gcGameConfig::kVersion), "GameConfig");
    bool ok = LayTextureConfigs(w, beginSlot, cache, glyphs, scratch);
    LayOne(w, kGlyphTextureSlot, eTexture::GetStaticType()->m_nTypeId, [&](BlockWriter& b) { TextureBlock(b, glyphs); });
    LayGroup(w, kFontMaterialSlot, kMessageBoxMaterialSlot + 1, eMaterial::GetStaticType()->m_nTypeId,
             [](int) { return true; }, [&](BlockWriter& b, int slot) {
                 const eMaterial* p = slot == kBoxMaterialSlot          ? pBox
                                      : slot == kMessageBoxMaterialSlot ? pMessageBox
                                                                        : pMaterial;
                 ok = LayEngineObject(b, *p, scratch) && ok;
             });
    LayGroup(w, kFontSlot, kLargeFontSlot + 1, eFont::GetStaticType()->m_nTypeId, [](int) { return true; },
             [&](BlockWriter& b, int slot) { FontBlock(b, slot == kLargeFontSlot ? large : font, eFont::kVersion); });
    EmptyGroupBlock(w, 0);  // meshes
    EmptyGroupBlock(w, 0);  // animations
    return ok && w.End().Trailer().Save(path);
}

bool WriteSampleGameWithSubtitles(const std::string& path, gcGame& game, const GameFileDesc& desc,
                                  bool bGreetingAtMapStart, const std::function<void(gcGame&)>& fill)
{
    cMemPool pool("datagen Subtitles", 0x10000, false);
    uint32_t hControl = 0;
    gcUIDialog* pDialog = NewSubtitleDialog(&pool, &hControl);
    // The game's event owns its actions: they live in the game's pool.
    gcDoPlayCinematic* pPlay = bGreetingAtMapStart
                                   ? NewPlayCinematic(cMemPool::GetPoolFromPtr(&game), HandleOf(kGreetingCinematicSlot))
                                   : nullptr;
    if (!pDialog || (bGreetingAtMapStart && !pPlay))
        return false;
    GameFileDesc withSubtitles = desc;
    withSubtitles.voDialog = HandleOf(kSubtitleDialogSlot);
    withSubtitles.voControl = hControl;
    bool ok = false;
    {
        SlotLease<gcUIDialogMgr, gcUIDialog> lease(kSubtitleDialogSlot, 1);
        lease.Place(0, pDialog, CheckOf(kSubtitleDialogSlot));
        FillGame(game, withSubtitles);
        game.m_UIDialogs.m_nBegin = kSubtitleDialogSlot;
        game.m_UIDialogs.m_nEnd = kSubtitleDialogSlot + 1;
        game.m_UIDialogs.m_bDeleteContained = false;  // the dialog stays this writer's
        if (pPlay)
            AppendAction(game.m_onMapStarted, pPlay);
        if (fill)
            fill(game);
        ok = WriteGameBody(path, game, withSubtitles.cameraCollisionMask);
    }
    std::destroy_at(pDialog);
    return ok;
}

bool WriteSampleGreetingLine(gcMap& map, const std::string& voicePath, const std::string& stringsPath)
{
    if (!map.m_pVoiceOvers || !map.m_pStrings)
        return false;
    const int nSamples = kSoundSampleRate * kGreetingLengthTicks / 600;
    const SoundRecord sound = MakeSoundRecord("vo_Greeting", MakeSineTone(kGreetingToneHz, 9000.0, nSamples), false);
    gcVoiceOver line;
    line.m_name.Set("%s", "Greeting");
    line.m_hString = gcStringHandle(HandleOf(kGreetingStringSlot));
    cMemPool pool("datagen GreetingText", 0x1000, false);
    SlotLease<gcVoiceOverMgr, gcVoiceOver> voiceLease(kGreetingVoiceSlot, 1);
    voiceLease.Place(0, &line, CheckOf(kGreetingVoiceSlot));
    SlotLease<gcStringMgr, gcString> stringLease(kGreetingStringSlot, 1);
    stringLease.Place(0, NewString(&pool, "Greeting", kGreetingText), CheckOf(kGreetingStringSlot));
    // The leases give the slots back: the groups own nothing.
    for (cGroup* pGroup : {map.m_pVoiceOvers, static_cast<cGroup*>(map.m_pStrings)})
        pGroup->m_bDeleteContained = false;
    map.m_pVoiceOvers->m_nBegin = kGreetingVoiceSlot;
    map.m_pVoiceOvers->m_nEnd = kGreetingVoiceSlot + 1;
    map.m_pStrings->m_nBegin = kGreetingStringSlot;
    map.m_pStrings->m_nEnd = kGreetingStringSlot + 1;
    return WithPendingSound(line.m_soundData, sound, [&] { return WriteBodyFile(voicePath, *map.m_pVoiceOvers); }) &&
           WriteBodyFile(stringsPath, *map.m_pStrings);
}

bool LaySampleCinematics(BlockWriter& w, const std::string& scratch)
{
    cMemPool pool("datagen Greeting", 0x2000, false);
    gcCinematic* pCinematic = NewSampleCinematic(&pool, HandleOf(kGreetingVoiceSlot));
    bool ok = pCinematic != nullptr;
    if (ok) {
        LayOne(w, kGreetingCinematicSlot, gcCinematic::GetStaticType()->m_nTypeId,
               [&](BlockWriter& b) { ok = LayEngineObject(b, *pCinematic, scratch); });
        std::destroy_at(pCinematic);
    }
    return ok;
}

RegionTriggerDesc GreetingTrigger(float groundZ, const std::string& scratch, bool* pOk)
{
    // Across the road mid-region.
    RegionTriggerDesc t = BoxTrigger("Greeting", kMiddleRegion, 2.0f, 8.0f, 4.0f, FrameAt(0.0f, 0.0f, groundZ + 2.0f));
    t.actions = [scratch, pOk](BlockWriter& w, int index) {
        if (index != 0)
            return;  // OnEnter only
        cMemPool pool("datagen GreetingTrigger", 0x400, false);
        const gcDoPlayCinematic* pPlay = NewPlayCinematic(&pool, HandleOf(kGreetingCinematicSlot));
        w.Int(static_cast<int32_t>(gcDoPlayCinematic::GetStaticType()->m_nTypeId));
        *pOk = pPlay && LayEngineObject(w, *pPlay, scratch) && *pOk;
    };
    return t;
}

}  // namespace datagen
