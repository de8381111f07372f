#include "gcGameCore/flow/gcMainMenu.h"

gcMainMenu* gcMainMenu::s_pMainMenu = nullptr;

gcMainMenu::~gcMainMenu()
{
    if (s_pMainMenu == this)
        s_pMainMenu = nullptr;
}
