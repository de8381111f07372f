#include "gcGameCore/flow/gcMainMenuLoader.h"

#include <memory>

#include "cCore/cCoreServices.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcMainMenu.h"

gcMainMenuLoader* gcMainMenuLoader::Get()
{
    static gcMainMenuLoader s_loader;
    return &s_loader;
}

gcMainMenuLoader::~gcMainMenuLoader()
{
    WaitForFinish();
}

bool gcMainMenuLoader::Load()
{
    m_bLoadFailed = false;
    if (gcMainMenu::s_pMainMenu)
        std::destroy_at(gcMainMenu::s_pMainMenu);
    if (!Start())
        return false;
    while (cUpdateOS() && IsRunning())
        cThread::Yield();
    // The result is the thread's only once it has ended.
    WaitForFinish();
    return !m_bLoadFailed;
}

bool gcMainMenuLoader::Run()
{
    const bool bLoaded = gcGame::LoadGameState() && gcMainMenu::Load() && gcMainMenu::s_pMainMenu->LoadMusic();
    if (!bLoaded) {
        m_bLoadFailed = true;
        return false;
    }
    eVideo::InvalidateTextureCache();
    return true;
}
