#include "platform/os.h"

#include <atomic>

#include "os/os_local.h"

void OSInit()
{
    static std::atomic<bool> s_bDone{false};
    if (s_bDone.exchange(true))
        return;
    os::InitThreads();
    os::InitArena();
    os::InitSavedRegion();
}
