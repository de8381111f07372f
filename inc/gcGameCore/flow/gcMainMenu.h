#pragma once
// The main menu as the top loop sees it: the resident menu, if any, and its
// run. The menu itself ("%s/Game/MainMenu.mnu": dialogs, resources, music)
// is built with the main menu and derives from this; until then no menu
// exists and the top loop ends after the pre-game screens. Main thread.

class gcMainMenu {
public:
    gcMainMenu() { s_pMainMenu = this; }
    virtual ~gcMainMenu();
    gcMainMenu(const gcMainMenu&) = delete;
    gcMainMenu& operator=(const gcMainMenu&) = delete;

    // Draws and updates the menu until a map is requested and every dialog
    // has closed; false when no dialog opened.
    virtual bool Run() = 0;

    static gcMainMenu* s_pMainMenu;  // the resident menu; null when none
};
