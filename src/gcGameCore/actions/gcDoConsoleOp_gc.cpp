// The console half of gcDoConsoleOp: each operation on the platform's
// video, audio and reset services.

#include "gcGameCore/actions/gcDoConsoleOp.h"

#include "platform/os.h"
#include "cCore/cCoreServices.h"
#include "eEngine/eAudio.h"
#include "eEngine/eVideo.h"

namespace {

// The reset handler a DisableReset took away; null when none is held.
cResetNotifyFunc& HeldResetNotify()
{
    static cResetNotifyFunc s_resetNotify = nullptr;
    return s_resetNotify;
}

// Takes the installed handler away. A second disable finds the null handler
// the first one installed; keeping the first saved handler means the
// enable still restores the one that was there before.
void DisableReset()
{
    const cResetNotifyFunc previous = cSetResetNotify(nullptr);
    cResetNotifyFunc& held = HeldResetNotify();
    if (!held)
        held = previous;
}

// Puts the held handler back. With none held (no DisableReset came first)
// the installed handler stays: installing the null one would drop the
// reset handler for the rest of the run.
void EnableReset()
{
    cResetNotifyFunc& held = HeldResetNotify();
    if (!held)
        return;
    cSetResetNotify(held);
    held = nullptr;
}

}  // namespace

void gcDoConsoleOp::DoAction(const gcEventParams&) const
{
    switch (op) {
    case OP_PROGRESSIVE_ON: eVideo::SetProgressiveMode(true); break;
    case OP_PROGRESSIVE_OFF: eVideo::SetProgressiveMode(false); break;
    case OP_RETURN_TO_BROWSER: OSResetSystem(1, 0, TRUE); break;  // the console's own menu
    case OP_SET_AUDIO_MODE_MONO:
    case OP_SET_AUDIO_MODE_STEREO:
    case OP_SET_AUDIO_MODE_SURROUND:
    case OP_SET_AUDIO_MODE_DPL2:
        eAudio::SetOutputMode(static_cast<eAudio::eAudioOutputMode>(op - OP_SET_AUDIO_MODE_MONO), true);
        break;
    case OP_DISABLE_RESET: DisableReset(); break;
    case OP_ENABLE_RESET: EnableReset(); break;
    default: break;
    }
}
