#include "gcGameCore/flow/gcGameLoader.h"

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcPlatformConfig.h"

gcGameLoader* gcGameLoader::Get()
{
    static gcGameLoader s_loader;
    return &s_loader;
}

gcGameLoader::~gcGameLoader()
{
    WaitForFinish();
}

bool gcGameLoader::Load()
{
    m_bLoadFailed = false;
    if (!Start())
        return false;
    // The start-up notice has been shown; nothing is drawn meanwhile. Once
    // the program is asked to end there is nothing more to service: the
    // thread finishes the file in hand (its reads never wait on anything but
    // the disc, and a disc error gives way to the request) and is joined.
    while (IsRunning() && cUpdateOS())
        cThread::Yield();
    WaitForFinish();
    return !m_bLoadFailed;
}

bool gcGameLoader::Run()
{
    const bool bLoaded = gcGameConfig::Load() && gcPlatformConfig::Load(-1) && (gcGame::s_pGame || gcGame::Load());
    if (!bLoaded) {
        m_bLoadFailed = true;
        return false;
    }
    gcGame::s_pGame->LoadMusic();  // a track that does not load is not fatal
    eVideo::InvalidateTextureCache();
    return true;
}
