#pragma once
// Loads the requested act and map (and their loading screen) on the loader
// thread while the main thread draws the loading screen. Built with the
// maps; until then no map is loaded. Main thread.

class gcMapLoader {
public:
    // True when the map is resident afterwards.
    static bool Load(int nLoadingScreen, int nAct, int nMap);
};
