// Test entry point: the OS layer is started first, so the test thread is the
// main thread that holds the virtual CPU, as the program's main thread does.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "platform/os.h"

// The software OpenGL driver is loaded and unloaded by the windowing library.
// Once unloaded, the leak checker cannot name the allocations it keeps until
// exit, and cannot suppress them; pinning it keeps its name on the stacks.
static void PinSoftwareGLDriver()
{
    static const char* const kDrivers[] = {
        "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so",
        "/usr/lib/x86_64-linux-gnu/dri/kms_swrast_dri.so",
    };
    for (const char* path : kDrivers)
        dlopen(path, RTLD_LAZY | RTLD_NODELETE);
}

int main(int argc, char** argv)
{
    PinSoftwareGLDriver();
    testing::InitGoogleTest(&argc, argv);
    OSInit();
    const int result = RUN_ALL_TESTS();
    // A thread a broken test left stuck would hang the static teardown's
    // joins: a failed run ends at once, a passed one within half a minute.
    std::fflush(nullptr);
    if (result != 0)
        std::_Exit(result);
    alarm(30);
    return result;
}
