// Feeds arbitrary bytes to cBase::Load as a data file on the disc. Every
// input must load or fail cleanly: no crash, no read outside the buffers, no
// sanitizer report. The test classes cover nested blocks, polymorphic
// members and a group filling manager slots.

#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "cCore/cBase.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cTestObjects.h"
#include "platform/dvd.h"
#include "platform/os.h"

namespace {

std::string g_path;
cMemPool* g_pPool = nullptr;
cTestDataDir* g_pData = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    OSInit();
    cLogSetCallback(nullptr, nullptr);  // thousands of damaged files a second
    g_pData = new cTestDataDir;
    g_path = g_pData->HostPath("fuzz.dat");
    g_pPool = new cMemPool("fuzz", 0x40000, false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const int fd = ::open(g_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        std::abort();
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size))
        std::abort();
    ::close(fd);

    if (cBase* p = cBase::Load("/fuzz.dat", g_pPool, nullptr))
        std::destroy_at(p);
    // As the game does before it resets a pool: nothing may keep pointers
    // into it.
    for (auto& slot : cTestThingMgr::s_pInstances)
        slot = nullptr;
    g_pPool->Reset();
    return 0;
}
