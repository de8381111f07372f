#pragma once
// Loads everything a map needs when the top loop enters it: the game state,
// the loading screen, the act, the map with its side files and music, the
// initial region with its neighbours and the player configuration, on its
// own thread, while the main thread draws the loading screen and keeps
// input, audio, music and the interface going. One instance, made on first
// use with the lowest priority. Load on the main thread.

#include "cCore/cThread.h"

class gcUIDialog;

class gcMapLoader : public cThread {
public:
    static gcMapLoader* Get();

    // Main thread: drops the act or map being replaced and the old loading
    // screen, starts the thread, then draws until it has ended and the
    // loading screen's dialog has closed, or the program was asked to quit.
    // A dialog holding a control that takes a press waits for the player;
    // still open five seconds (150 frames) after the player's first confirm
    // press since the thread ended, it is closed with an error line naming
    // the screen. Any other dialog gets five seconds from the thread's end.
    // Whatever its script does, the map starts. True when everything loaded.
    bool Load(int nLoadingScreen, int nAct, int nMap);
    // Loader thread: the first failing step ends it, m_failure saying
    // which.
    bool Run() override;
    // Main thread: one interface tick while loading.
    void Update();
    // Main thread: opaque black with the game camera's overlays.
    void Draw();
    ~gcMapLoader() override;

    bool m_bLoadingScreenLoaded = false;
    // What failed the last load, FAILED_NONE when nothing did.
    enum eFailure {
        FAILED_NONE,
        FAILED_GAME_STATE,      // the game state could not be loaded
        FAILED_LOADING_SCREEN,  // the loading screen's file was refused (a missing one is gone without)
        FAILED_MAP,             // the act, the map, its regions or the player configuration
    };
    eFailure m_failure = FAILED_NONE;
    int m_nLoadingScreen = -1;
    int m_nAct = -1;
    int m_nMap = -1;

private:
    gcMapLoader() : cThread(THREADPRIORITY_LOW) {}
    // The frames of Load until the thread has ended and the dialog (null:
    // none) has closed, within its bound.
    void DrawUntilClosed(gcUIDialog* pDialog);
    void DropReplaced(int nAct);
};
