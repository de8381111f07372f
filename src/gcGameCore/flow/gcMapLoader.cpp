#include "gcGameCore/flow/gcMapLoader.h"

#include "cCore/cLog.h"

bool gcMapLoader::Load(int nLoadingScreen, int nAct, int nMap)
{
    cLogInfo_("gcMapLoader: act %d, map %d (loading screen %d) requested; this build loads no maps yet", nAct + 1,
              nMap + 1, nLoadingScreen);
    return false;
}
