// Feeds arbitrary bytes to the OS layer as its settings file, read when a
// setting is first asked for; a change is then written back, and the file
// written must read back as the values set.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "platform/os.h"
#include "../test/os_test.h"
#include "tempDir.h"

namespace {

TempDir* g_pDir = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    g_pDir = new TempDir("qm_fuzz_settings");
    std::atexit([] {
        OSTestSetSettingsDir(nullptr);
        delete g_pDir;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    {
        std::ofstream out(g_pDir->File("settings"), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!out)
            std::abort();
    }
    OSTestSetSettingsDir(g_pDir->c_str());  // read again from the file
    const uint32_t progressive = OSGetProgressiveMode();
    const uint32_t sound = OSGetSoundMode();
    if (progressive > 1 || (sound != OS_SOUND_MODE_MONO && sound != OS_SOUND_MODE_STEREO))
        std::abort();
    // A change is written back; read again, it must be what was set.
    OSSetProgressiveMode(progressive ^ 1);
    OSTestSetSettingsDir(g_pDir->c_str());
    if (OSGetProgressiveMode() != (progressive ^ 1) || OSGetSoundMode() != sound)
        std::abort();
    return 0;
}
