#include "gcGameCore/flow/gcPlayerConfig.h"

#include "cCore/cLog.h"
#include "gcGameCore/flow/gcGame.h"

gcPlayerConfig* gcPlayerConfig::s_pPlayerConfig = nullptr;

gcPlayerConfig::~gcPlayerConfig()
{
    if (s_pPlayerConfig == this)
        s_pPlayerConfig = nullptr;
}

bool gcGame::LoadPlayerConfig(int nConfigId)
{
    if (gcPlayerConfig::s_pPlayerConfig && gcPlayerConfig::s_pPlayerConfig->m_nConfigId == nConfigId)
        return true;
    cLogError_("gcGame: player configuration %d is not loaded and this build has no reader for its file",
               nConfigId);
    return false;
}
