#include "gcGameCore/creatures/gcPlayer.h"

#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/values/gcValControllerState.h"

cTimeValue gcPlayer::s_timePlayed;

gcPlayer* gcPlayer::Get()
{
    static gcPlayer s_player;
    return &s_player;
}

void gcPlayer::DeterminePlayerController()
{
    if (m_nControllerId >= 0)
        return;
    // Confirm is asked over all ports before start is.
    const gcValControllerState confirm(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_CONFIRM);
    const gcValControllerState start(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_START);
    int port = confirm.GetFirstControllerResponse();
    if (port < 0)
        port = start.GetFirstControllerResponse();
    m_nControllerId = port;
}

bool gcPlayer::UpdatePlayerConfig(int nConfigId)
{
    m_pEntity = nullptr;
    // The target is an entity of the map being left; the next one's biped
    // (if any) finds its own at its first tick.
    m_pInteractTarget = nullptr;
    s_timePlayed = cTimeValue(0);
    if (nConfigId == -1) {
        if (gcPlayerConfig::s_pPlayerConfig)
            std::destroy_at(gcPlayerConfig::s_pPlayerConfig);
        return true;
    }
    if (!gcGame::LoadPlayerConfig(nConfigId))
        return false;
    m_pEntity = gcPlayerConfig::s_pPlayerConfig ? gcPlayerConfig::s_pPlayerConfig->m_pEntity : nullptr;
    if (!m_pEntity) {
        // A map that names a player configuration cannot be played without its player.
        cStr name;
        gcPlayerConfig::GetFilename(nConfigId, &name);
        cLogError_("gcPlayer: player configuration \"%s\" made no player", name.m_sData);
        return false;
    }
    m_pEntity->m_nRegionId = -1;
    m_pEntity->m_name.Set("Player");
    return true;
}

void gcPlayer::FreePlayerConfigMemory()
{
    for (cMemPool* pPool : {&gcGame::s_playerConfigPool, &gcGame::s_playerConfigSoundPool}) {
        if (pPool->HasMemory())
            pPool->Reset();
    }
}

bool gcPlayer::GetRumbleListener(int* pController, mVec3* pWorldPos)
{
    const gcPlayer* pPlayer = Get();
    *pController = pPlayer->m_nControllerId;
    gcEntity* pEntity = pPlayer->m_pEntity;
    if (!pEntity || !pEntity->IsActive()) {
        *pWorldPos = gcGameCamera::Get()->GetPos();
        return true;
    }
    *pWorldPos = mVec3(0.0f, 0.0f, 0.0f);
    const eZone* pZone = gcEntityWorld::GetRegionZone(pEntity->m_nRegionId);
    if (!pZone)
        return true;
    if (pEntity->m_model.m_nGeomFlags & eGeom::kDirty)
        pEntity->m_model.UpdateLocalToZone();
    pWorldPos->Xform(pEntity->m_model.m_localToZone.origin, pZone->m_localToWorld);
    return true;
}
