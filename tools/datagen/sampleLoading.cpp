#include "datagen/sampleLoading.h"

#include <initializer_list>
#include <memory>

#include "cCore/cMemPool.h"
#include "datagen/actionWriters.h"
#include "datagen/dialogWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/slotLease.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoUIShowDialog.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/values/gcValLoading.h"

namespace datagen {

namespace {

constexpr int kSpriteSlot = 500;  // the first of the loading screen's sprite slots
constexpr uint16_t kSpriteCheck = 0x0B02;

// The dialog's update: while a map loads nothing happens; afterwards the
// dialog closes itself, which ends the loader's wait.
bool SetCloseWhenLoaded(cMemPool* pPool, gcUIDialog& dialog, uint32_t hSelf)
{
    gcDoUIShowDialog* pClose = pPool->New<gcDoUIShowDialog>(gcUIDialogHandle(hSelf), 0u);
    gcValLoading* pLoading = pPool->New<gcValLoading>();
    if (!pClose || !pLoading)
        return false;
    pClose->transitionTime.fConst = 0.0f;
    gcDoEvaluation* pIf = NewEvaluation(pPool, pLoading, {}, {pClose});
    dialog.onUpdate.pAction = pIf;
    return pIf != nullptr;
}

}  // namespace

bool WriteSampleLoadingScreen(const std::string& path)
{
    cMemPool pool("datagen LoadingScreen", 0x20000, false);
    eSprite* pSprite = pool.New<eSprite>();
    if (!pSprite)
        return false;
    pSprite->m_name.Set("LoadingBar");
    const uint32_t hSprite = (static_cast<uint32_t>(kSpriteCheck) << 16) | kSpriteSlot;
    const uint32_t hDialog = (static_cast<uint32_t>(kSampleLoadingCheck) << 16) | kSampleLoadingSlot;
    GridDialogDesc desc;
    desc.name = "Loading", desc.rows = 1, desc.cols = 1;
    desc.cellSize[0] = kSampleLoadingBox[0], desc.cellSize[1] = kSampleLoadingBox[1];
    desc.hEnabledSprite = desc.hFocusedSprite = hSprite;
    gcUIDialog* pDialog = NewGridDialog(&pool, desc);
    if (!pDialog || !SetCloseWhenLoaded(&pool, *pDialog, hDialog))
        return false;
    bool ok = false;
    {
        SlotLease<gcUIDialogMgr, gcUIDialog> dialogLease(kSampleLoadingSlot, 1);
        dialogLease.Place(0, pDialog, static_cast<uint16_t>(kSampleLoadingCheck));
        SlotLease<eSpriteMgr, eSprite> spriteLease(kSpriteSlot, 1);
        spriteLease.Place(0, pSprite, kSpriteCheck);
        ok = WriteLoadingScreenFile(path, "Dusk", &pool, [&](gcLoadingScreen& screen) {
            screen.m_UIDialogs.m_nBegin = kSampleLoadingSlot;
            screen.m_UIDialogs.m_nEnd = kSampleLoadingSlot + 1;
            screen.m_UIDialogs.m_bDeleteContained = false;  // the dialog stays this writer's
            screen.m_sprites.m_nBegin = kSpriteSlot;
            screen.m_sprites.m_nEnd = kSpriteSlot + 1;
            screen.m_sprites.m_bDeleteContained = false;
        });
    }
    // Its actions hold heap memory of their own: destroyed, not just dropped with the pool.
    std::destroy_at(pDialog);
    return ok;
}

}  // namespace datagen
