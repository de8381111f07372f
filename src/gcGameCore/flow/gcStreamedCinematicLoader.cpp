#include "gcGameCore/flow/gcStreamedCinematicLoader.h"

#include "cCore/cLog.h"
#include "gcGameCore/flow/gcStreamedCinematic.h"

gcStreamedCinematicLoader* gcStreamedCinematicLoader::Get()
{
    static gcStreamedCinematicLoader s_loader;
    return &s_loader;
}

gcStreamedCinematicLoader::~gcStreamedCinematicLoader()
{
    WaitForFinish();
}

bool gcStreamedCinematicLoader::Load(int nId)
{
    m_bLoadFailed = false;
    m_nCinematicToLoad = nId;
    if (Start())
        return true;
    cLogError_("gcStreamedCinematicLoader: the loader thread did not start");
    m_bLoadFailed = true;
    return false;
}

bool gcStreamedCinematicLoader::Run()
{
    if (!gcStreamedCinematic::Load(m_nCinematicToLoad))
        m_bLoadFailed = true;
    return !m_bLoadFailed;
}
