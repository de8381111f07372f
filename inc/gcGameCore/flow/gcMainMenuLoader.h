#pragma once
// Loads the main menu on the loader thread while the main thread keeps the
// screen alive. Built with the main menu; until then it loads nothing, so
// no main menu exists afterwards. Main thread.

class gcMainMenuLoader {
public:
    // True when the menu is resident afterwards.
    static bool Load();
};
