#include "gcGameCore/flow/gcMainMenuLoader.h"

#include "cCore/cLog.h"
#include "gcGameCore/flow/gcMainMenu.h"

bool gcMainMenuLoader::Load()
{
    if (!gcMainMenu::s_pMainMenu)
        cLogInfo_("gcMainMenuLoader: this build has no main menu to load");
    return gcMainMenu::s_pMainMenu != nullptr;
}
