#include "gcGameCore/flow/gcMapLoader.h"

#include <memory>

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eInput.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcLoadingScreen.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "mMath/mOCS.h"

namespace {

bool WidgetHasActions(const gcUIWidget& widget);

bool GroupHasActions(const gcUIWidgetGroup& group)
{
    // Through the group's own lookup, which knows where its cells end.
    for (int row = 0; row < group.m_nRows; ++row) {
        for (int col = 0; col < group.m_nCols; ++col) {
            const gcUIWidget* pFirst = group.GetCellWidget(row, col);
            for (const gcUIWidget* p = pFirst; p; p = p->m_pNextInZ == pFirst ? nullptr : p->m_pNextInZ) {
                if (WidgetHasActions(*p))
                    return true;
            }
        }
    }
    return false;
}

bool WidgetHasActions(const gcUIWidget& widget)
{
    if (widget.HasActions())
        return true;
    const gcUIWidgetGroup* pGroup = dcast<const gcUIWidgetGroup>(&widget);
    return pGroup && GroupHasActions(*pGroup);
}

// Whether anything of the dialog's own could ever close it: a dialog none of
// whose events, nor its widgets', holds an action (one whose record was
// refused keeps its empty defaults) stays open for good.
bool CanCloseItself(const gcUIDialog& dialog)
{
    for (const gcEvent* p : {&dialog.onShown, &dialog.onHidden, &dialog.onConfirm, &dialog.onBack, &dialog.onFocused,
                             &dialog.onUnFocused, &dialog.onUpdateUI, &dialog.onUpdate, &dialog.onInitialUpdate,
                             &dialog.onFocusChanged}) {
        if (p->HasActions())
            return true;
    }
    return GroupHasActions(dialog.m_widgetGroup);
}

}  // namespace

gcMapLoader* gcMapLoader::Get()
{
    static gcMapLoader s_loader;
    return &s_loader;
}

gcMapLoader::~gcMapLoader()
{
    WaitForFinish();
}

// Another act goes with its map; the same act keeps itself and loses only
// its map. The old loading screen always goes.
void gcMapLoader::DropReplaced(int nAct)
{
    if (gcAct::s_pAct && gcAct::s_pAct->m_nActId != nAct)
        std::destroy_at(gcAct::s_pAct);
    else if (gcMap::s_pMap)
        std::destroy_at(gcMap::s_pMap);
    if (gcLoadingScreen::s_pLoadingScreen)
        std::destroy_at(gcLoadingScreen::s_pLoadingScreen);
}

bool gcMapLoader::Load(int nLoadingScreen, int nAct, int nMap)
{
    m_bLoadFailed = false;
    m_nLoadingScreen = nLoadingScreen;
    m_nAct = nAct;
    m_nMap = nMap;
    DropReplaced(nAct);
    m_bLoadingScreenLoaded = false;
    gcGameCamera::Get()->Reset(false);
    eInput::Reset();
    if (!Start()) {
        cLogError_("gcMapLoader: the loader thread did not start");
        return false;
    }
    // Nothing is drawn until the loading screen is there; a thread that
    // ends without one (a failed game-state load) ends the wait too.
    while (!m_bLoadingScreenLoaded && IsRunning()) {
        cUpdateOS();
        cThread::Yield();
    }
    gcUIDialog* pDialog = gcLoadingScreen::s_pLoadingScreen ? gcLoadingScreen::ShowDialog() : nullptr;
    const bool bClosesItself = pDialog && CanCloseItself(*pDialog);
    for (;;) {
        const bool bOpen = pDialog && gcUI::Get()->FindDialog(pDialog) >= 0;
        if (!IsRunning() && !bOpen)
            break;
        // The program's quit request (window closed, SIGINT, SIGTERM, frame
        // limit) ends the wait once the thread has ended.
        if (!cUpdateOS() && !IsRunning())
            break;
        if (bOpen && !bClosesItself && !IsRunning()) {
            // The map has loaded and nothing would ever close the dialog:
            // waiting for it would leave a black screen for good.
            cLogError_("gcMapLoader: loading screen %d's dialog \"%s\" cannot close itself; closed once the map "
                       "had loaded",
                       m_nLoadingScreen + 1, pDialog->m_name.m_sData);
            gcUI::CloseDialog(pDialog, nullptr, false);
            continue;
        }
        Draw();
        Update();
        eVideo::PreCull();
        eVideo::Flip();
    }
    WaitForFinish();
    Draw();
    eVideo::Flip();
    return !m_bLoadFailed;
}

bool gcMapLoader::Run()
{
    gcGame* pGame = gcGame::s_pGame;
    bool bOk = pGame && gcGame::LoadGameState();
    if (bOk) {
        if (m_nLoadingScreen >= 0)
            gcGame::LoadLoadingScreen(m_nLoadingScreen);
        m_bLoadingScreenLoaded = true;
        bOk = gcGame::LoadAct(m_nAct) && gcAct::s_pAct->LoadMap(m_nMap);
    }
    if (bOk) {
        gcMap* pMap = gcMap::s_pMap;
        pMap->LoadMusic();  // a track that does not load is not fatal
        bOk = pMap->LoadRegions(pMap->m_nInitialRegionId) && gcPlayer::Get()->UpdatePlayerConfig(pMap->m_nPlayerConfigId);
    }
    if (!bOk) {
        // Widened: the ids may come from a save, up to the largest int.
        cLogError_("gcMapLoader: act %lld, map %lld could not be loaded", static_cast<long long>(m_nAct) + 1,
                   static_cast<long long>(m_nMap) + 1);
        m_bLoadFailed = true;
        return false;
    }
    eVideo::InvalidateTextureCache();
    return true;
}

void gcMapLoader::Update()
{
    mOCS listener;
    listener.MakeIdentity();
    gcGame::UpdateWhileLoading(listener, true);
}

void gcMapLoader::Draw()
{
    gcGame::DrawOverBlack();
}
