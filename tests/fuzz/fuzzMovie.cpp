// Feeds arbitrary bytes to the movie player as a movie file on the disc: the
// container (header, component table, frame sizes) and, for what opens,
// every frame read ahead and decoded (picture and audio) and its audio mixed
// out, as the game plays a movie. Audio frames are run by hand so that the
// mix runs in this thread. Every input must play or stop cleanly.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "Utilities/THP/THP.h"
#include "cCore/cLog.h"
#include "platform/ai.h"
#include "platform/dvd.h"
#include "platform/os.h"
#include "../test/audio_test.h"
#include "../test/dvd_test.h"
#include "tempDir.h"

namespace {

TempDir* g_pDir = nullptr;
std::string g_path;

// A movie that needs more than this is refused by the game's heap anyway.
constexpr uint32_t kMaxBuffer = 32u << 20;
constexpr int kMaxFrames = 24;

bool WriteInput(const uint8_t* data, size_t size)
{
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = size == 0 || ::write(fd, data, size) == static_cast<ssize_t>(size);
    ::close(fd);
    return ok;
}

void Play()
{
    const uint32_t need = THPSimpleCalcNeedMemory();
    if (need == 0 || need > kMaxBuffer)
        return;
    std::vector<uint8_t> buffer(need + 32);
    uint8_t* aligned = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(buffer.data()) + 31) & ~uintptr_t(31));
    if (!THPSimpleSetBuffer(aligned) || !THPSimplePreLoad(FALSE))
        return;
    THPSimpleAudioStart();
    THPSimpleSetVolume(THP_MAX_VOLUME, 0);
    for (int k = 0; k < kMaxFrames; ++k) {
        DVDTestWaitIdle();
        const int32_t result = THPSimpleDecode(0);
        AITestRunFrames(7, nullptr);
        if (result == THP_DECODE_READ_FAILED)
            break;
    }
    THPSimpleAudioStop();
    DVDTestWaitIdle();
    THPSimpleLoadStop();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);
    AITestSetManualFrames(TRUE);
    AIInit(nullptr);
    g_pDir = new TempDir("qm_fuzz_movie");
    DVDSetDataDirectory(g_pDir->c_str());
    g_path = g_pDir->File("fuzz.thp");
    std::atexit([] { delete g_pDir; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (!WriteInput(data, size))
        std::abort();
    if (!THPSimpleInit(FALSE, nullptr))
        std::abort();
    if (THPSimpleOpen("/fuzz.thp")) {
        Play();
        THPSimpleClose();
    }
    THPSimpleQuit();
    return 0;
}
