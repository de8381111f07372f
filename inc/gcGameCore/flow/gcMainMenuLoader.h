#pragma once
// The background thread that loads the main menu: the game state afresh,
// the menu file with its sound data, then its music. One instance for the
// program's life; Load on the main thread, which only services the OS and
// yields until the thread ends.

#include "cCore/cThread.h"

class gcMainMenuLoader : public cThread {
public:
    static gcMainMenuLoader* Get();

    // Deletes the resident menu (the menu is always read afresh), starts
    // the thread and waits for it; true when everything loaded.
    bool Load();
    // Loader thread. The first failed load ends it.
    bool Run() override;
    ~gcMainMenuLoader() override;

    bool m_bLoadFailed = false;

private:
    gcMainMenuLoader() : cThread(THREADPRIORITY_LOW) {}
};
