#pragma once
// The background thread that loads the game at start-up: the game
// configuration, the platform configuration and the game file, then the
// game's music. One instance for the program's life; Load on the main
// thread, which only services the OS and yields until the thread ends or
// the program is asked to end, and then joins it.

#include "cCore/cThread.h"

class gcGameLoader : public cThread {
public:
    static gcGameLoader* Get();

    // Starts the thread and waits for it; true when everything loaded.
    bool Load();
    // Loader thread. The first failed load ends it.
    bool Run() override;
    ~gcGameLoader() override;

    bool m_bLoadFailed = false;

private:
    gcGameLoader() : cThread(THREADPRIORITY_LOW) {}
};
