#include "gcGameCore/flow/gcMultiRegionLoader.h"

#include "cCore/cCoreServices.h"
#include "cCore/cLog.h"
#include "eEngine/eInput.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/interface/gcUI.h"

gcMultiRegionLoader* gcMultiRegionLoader::Get()
{
    static gcMultiRegionLoader s_loader;
    return &s_loader;
}

gcMultiRegionLoader::~gcMultiRegionLoader()
{
    WaitForFinish();
}

bool gcMultiRegionLoader::Load(int nRegionId)
{
    m_bLoadFailed = false;
    m_nRegionId = nRegionId;
    eVideo::Flip();
    gcGameCamera::Get()->Reset(false);
    eInput::Reset();
    if (!Start()) {
        cLogError_("gcMultiRegionLoader: the loader thread did not start");
        return false;
    }
    while (IsRunning()) {
        if (!cUpdateOS() && !IsRunning())
            break;
        Draw();
        Update();
        eVideo::PreCull();
        eVideo::Flip();
    }
    WaitForFinish();
    Draw();
    return !m_bLoadFailed;
}

bool gcMultiRegionLoader::Run()
{
    if (!gcMap::s_pMap || !gcMap::s_pMap->LoadRegions(m_nRegionId)) {
        // The cause is logged already, naming the file or the id.
        cLogInfo_("gcMultiRegionLoader: region %d and its neighbours could not be loaded", m_nRegionId + 1);
        m_bLoadFailed = true;
        return false;
    }
    return true;
}

void gcMultiRegionLoader::Update()
{
    gcGame::UpdateWhileLoading(gcGameCamera::Get()->m_camera.m_cameraToWorld, false);
}

void gcMultiRegionLoader::Draw()
{
    gcGame::DrawOverBlack();
}
