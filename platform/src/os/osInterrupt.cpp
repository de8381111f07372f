// Interrupts: one lock shared by every interrupt-time callback and by code
// that runs with interrupts disabled. The enable state is per thread, like
// the console's per-context machine state; nesting works through the levels
// the calls return.
#include "platform/os.h"

#include <mutex>

#include "os/os_local.h"

namespace {

std::mutex& InterruptLock()
{
    static std::mutex* s_pLock = new std::mutex;
    return *s_pLock;
}

thread_local bool t_bDisabled = false;

}  // namespace

BOOL OSDisableInterrupts()
{
    if (t_bDisabled)
        return FALSE;
    InterruptLock().lock();
    t_bDisabled = true;
    return TRUE;
}

BOOL OSEnableInterrupts()
{
    if (!t_bDisabled)
        return TRUE;
    t_bDisabled = false;
    InterruptLock().unlock();
    // A platform thread's section is interrupt-time work (a transfer or an
    // audio frame done) that OS threads may be polling for.
    if (!OSGetCurrentThread())
        os::NoteProgress();
    return FALSE;
}

BOOL OSRestoreInterrupts(BOOL level)
{
    return level ? OSEnableInterrupts() : OSDisableInterrupts();
}

bool os::InterruptsDisabled()
{
    return t_bDisabled;
}
