// The controller library's calls: reading the ports from the host's devices
// or from a test's script, resets, the motors, and the reset button worked
// from a controller (Start + B + X held) or the keyboard.

#include "platform/pad.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <vector>

#include "os/os_local.h"
#include "pad/pad_local.h"
#include "../test/pad_test.h"
#include "platform/vi.h"

#define QM_PAD_TEXT_CASE(name, value, note) \
    case value: return #name;

const char* PADErrorText(int value)
{
    switch (value) {
        PAD_ERR_LIST(QM_PAD_TEXT_CASE)
    default: return "???";
    }
}

const char* PADMotorCommandText(int value)
{
    switch (value) {
        PAD_MOTOR_LIST(QM_PAD_TEXT_CASE)
    default: return "???";
    }
}

namespace {

// The console resets when Start, B and X stay held together this long.
constexpr OSTime kResetComboTicks = 3 * static_cast<OSTime>(OS_TIMER_CLOCK);
constexpr uint16_t kResetCombo = PAD_BUTTON_START | PAD_BUTTON_B | PAD_BUTTON_X;

struct Library {
    bool scripted = false;
    PADStatus script[PAD_MAX_CONTROLLERS];
    std::vector<uint32_t> motorCommands[PAD_MAX_CONTROLLERS];
    std::vector<uint32_t> resetMasks;
    OSTime comboSince = -1;      // when the combination was first seen held
    bool resetFromPad = false;   // this library holds the reset button down
    PADStatus lastRead[PAD_MAX_CONTROLLERS];  // what the host's devices gave last
    bool replaying = false;  // a recorded input file stands in for the devices
    pad::Replay replay;
    uint64_t replayFrom = 0;  // the file's frame at this program's retrace 0
};

Library s_pad;

bool ComboHeld(const PADStatus status[PAD_MAX_CONTROLLERS])
{
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if (status[chan].err == PAD_ERR_NONE && (status[chan].button & kResetCombo) == kResetCombo)
            return true;
    }
    return false;
}

// Presses the reset button while the key is down or the combination has
// been held long enough; releases it only when this library pressed it.
void UpdateResetButton(const PADStatus status[PAD_MAX_CONTROLLERS])
{
    const OSTime now = OSGetTime();
    if (!ComboHeld(status))
        s_pad.comboSince = -1;
    else if (s_pad.comboSince < 0)
        s_pad.comboSince = now;
    const bool down = pad::HostResetKeyDown() || (s_pad.comboSince >= 0 && now - s_pad.comboSince >= kResetComboTicks);
    if (down != s_pad.resetFromPad) {
        s_pad.resetFromPad = down;
        OSSetResetButtonState(down ? TRUE : FALSE);
    }
}

// Every poll of the reset button: the key as the window last saw it and the
// combination as last read (or scripted) against the time now, so a
// combination held through a wait that reads no controllers still presses
// the button after its three seconds.
void RefreshResetButton()
{
    if (s_pad.scripted) {
        UpdateResetButton(s_pad.script);
        return;
    }
    pad::HostPollResetKey();
    UpdateResetButton(s_pad.lastRead);
}

[[maybe_unused]] const bool s_bRefreshInstalled = (os::SetResetButtonRefresh(RefreshResetButton), true);

// A soft reset starts the program again with the same input file; it goes
// on from the retrace after the reset instead of replaying the reset.
constexpr const char* kReplayFromEnv = "QM_INPUT_FROM";

uint64_t ReplayFrame()
{
    return s_pad.replayFrom + VIGetRetraceCount();
}

void HandOverReplay()
{
    if (s_pad.replaying)
        setenv(kReplayFromEnv, std::to_string(ReplayFrame() + 1).c_str(), 1);
}

[[maybe_unused]] const bool s_bHandoverInstalled = (os::AddResetHandover(HandOverReplay), true);

}  // namespace

void PADSetSpec(uint32_t)
{
}

BOOL PADInit()
{
    if (!s_pad.scripted && !s_pad.replaying)
        pad::HostStart();
    return TRUE;
}

uint32_t PADRead(PADStatus status[PAD_MAX_CONTROLLERS])
{
    if (s_pad.scripted) {
        for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan)
            status[chan] = s_pad.script[chan];
    } else if (s_pad.replaying) {
        pad::ReplayRead(s_pad.replay, ReplayFrame(), status);
        std::copy(status, status + PAD_MAX_CONTROLLERS, s_pad.lastRead);
    } else {
        pad::HostStart();
        pad::HostRead(status);
        std::copy(status, status + PAD_MAX_CONTROLLERS, s_pad.lastRead);
    }
    // Scripted records hold the reset combination like a controller's would.
    UpdateResetButton(status);
    uint32_t present = 0;
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if (status[chan].err != PAD_ERR_NO_CONTROLLER)
            present |= PADChanBit(chan);
    }
    return present;
}

BOOL PADReset(uint32_t mask)
{
    if (s_pad.scripted) {
        s_pad.resetMasks.push_back(mask);
        return TRUE;
    }
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        if (mask & PADChanBit(chan))
            pad::HostRumble(chan, false);
    }
    pad::HostForget(mask);
    return TRUE;
}

void PADControlMotor(int32_t chan, uint32_t command)
{
    if (chan < 0 || chan >= PAD_MAX_CONTROLLERS || command > PAD_MOTOR_STOP_HARD)
        return;
    if (s_pad.scripted) {
        s_pad.motorCommands[chan].push_back(command);
        return;
    }
    pad::HostRumble(chan, command == PAD_MOTOR_RUMBLE);
}

void PADTestSetScripted(bool scripted)
{
    s_pad.scripted = scripted;
    s_pad.replaying = false;
    for (int chan = 0; chan < PAD_MAX_CONTROLLERS; ++chan) {
        s_pad.script[chan] = PADStatus();
        s_pad.motorCommands[chan].clear();
    }
    s_pad.resetMasks.clear();
}

void PADTestSetStatus(int32_t chan, const PADStatus& status)
{
    if (chan >= 0 && chan < PAD_MAX_CONTROLLERS)
        s_pad.script[chan] = status;
}

PADStatus PADTestIdleStatus()
{
    PADStatus s;
    s.err = PAD_ERR_NONE;
    return s;
}

std::vector<uint32_t> PADTestMotorCommands(int32_t chan)
{
    if (chan < 0 || chan >= PAD_MAX_CONTROLLERS)
        return {};
    return s_pad.motorCommands[chan];
}

void PADTestClearMotorCommands()
{
    for (std::vector<uint32_t>& commands : s_pad.motorCommands)
        commands.clear();
}

std::vector<uint32_t> PADTestResetMasks()
{
    return s_pad.resetMasks;
}

bool pad::ReadReplayText(std::istream& in, uint64_t maxBytes, std::string* pText)
{
    // Read in chunks and counted, so that nothing past the limit is ever
    // held, whatever the file turns out to be.
    std::string text;
    char chunk[1 << 16];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
        if (text.size() > maxBytes)
            return false;
    }
    *pText = std::move(text);
    return true;
}

BOOL PADLoadReplay(const char* path)
{
    // A folder would read as an empty file, and a device such as /dev/zero
    // never ends: only a regular file of a sane size is read.
    struct stat st;
    if (::stat(path, &st) == 0 && !S_ISREG(st.st_mode)) {
        OSReport("PAD: the input file %s is not a regular file\n", path);
        return FALSE;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        OSReport("PAD: cannot read the input file %s\n", path);
        return FALSE;
    }
    std::string text;
    if (!pad::ReadReplayText(file, PAD_REPLAY_MAX_BYTES, &text)) {
        OSReport("PAD: the input file %s is larger than %llu bytes\n", path,
                 static_cast<unsigned long long>(PAD_REPLAY_MAX_BYTES));
        return FALSE;
    }
    std::string error;
    if (!pad::ParseReplay(text, &s_pad.replay, &error)) {
        OSReport("PAD: input file %s, %s\n", path, error.c_str());
        return FALSE;
    }
    s_pad.replaying = true;
    s_pad.replayFrom = 0;
    if (os::TakeHandedOverCount(kReplayFromEnv, &s_pad.replayFrom))
        OSReport("PAD: the input file goes on from frame %llu after the soft reset\n",
                 static_cast<unsigned long long>(s_pad.replayFrom));
    return TRUE;
}
