#include "platform/pad.h"

#include <gtest/gtest.h>

#include <SDL2/SDL.h>

#include <iterator>
#include <utility>
#include <vector>

#include "pad/pad_local.h"
#include "../test/pad_test.h"
#include "platform/os.h"
#include "tempDir.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(pad, ClampStickKeepsDirectionInsideTheOctagon)
{
    struct Row {
        const char* name;
        int x, y;
        int8_t ex, ey;
    };
    const Row rows[] = {
        {"inside the dead zone on both axes", 14, -14, 0, 0},
        {"dead zone per axis", 40, 14, 40, 0},
        {"at the dead zone stays", 15, 0, 15, 0},
        {"within the region", 59, 0, 59, 0},
        {"past the axis limit", 90, 0, 72, 0},
        {"past the axis limit, negative", 0, -128, 0, -72},
        {"diagonal corner", 70, 70, 52, 52},
        {"keyboard diagonal", -80, 80, -52, 52},
        {"the octagon's slanted side: scaled by 104/112", 72, 40, 66, 37},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        int8_t x = static_cast<int8_t>(row.x), y = static_cast<int8_t>(row.y);
        pad::ClampStick(&x, &y, PAD_STICK_DEAD_ZONE, PAD_STICK_AXIS_LIMIT, PAD_STICK_DIAGONAL_LIMIT);
        EXPECT_EQ(x, row.ex);
        EXPECT_EQ(y, row.ey);
    }
}

TEST(pad, ClampTriggerDeadZoneAndLimit)
{
    const struct {
        uint8_t in, out;
    } rows[] = {{0, 0}, {29, 0}, {30, 0}, {31, 1}, {180, 150}, {255, 150}};
    for (const auto& row : rows)
        EXPECT_EQ(pad::ClampTrigger(row.in), row.out) << int(row.in);
}

TEST(pad, ClampLeavesRecordsWithErrorsAlone)
{
    PADStatus s[PAD_MAX_CONTROLLERS];
    for (PADStatus& one : s) {
        one.stickX = 100;
        one.triggerLeft = 255;
    }
    s[1].err = PAD_ERR_NONE;
    s[2].err = PAD_ERR_TRANSFER;
    PADClamp(s);
    EXPECT_EQ(s[1].stickX, 72);
    EXPECT_EQ(s[1].triggerLeft, 150);
    EXPECT_EQ(s[2].stickX, 100);
    EXPECT_EQ(s[0].triggerLeft, 255);
}

TEST(pad, HostAxesScaleToFullDeflection)
{
    EXPECT_EQ(pad::HostStickToPad(32767), PAD_HOST_STICK_FULL);
    EXPECT_EQ(pad::HostStickToPad(-32768), -PAD_HOST_STICK_FULL);
    EXPECT_EQ(pad::HostStickToPad(0), 0);
    EXPECT_EQ(pad::HostTriggerToPad(32767), 255);
    EXPECT_EQ(pad::HostTriggerToPad(0), 0);
    EXPECT_EQ(pad::HostTriggerToPad(-5), 0);
}

// The keys' main stick is all or nothing; Left Ctrl held halves it (a walk),
// and leaves the C-stick whole.
TEST(pad, KeyboardSticksAndTheHalvingKey)
{
    const struct {
        const char* name;
        std::vector<SDL_Scancode> held;
        int8_t x, y, cx;
    } rows[] = {
        {"forward", {SDL_SCANCODE_W}, 0, PAD_HOST_STICK_FULL, 0},
        {"forward, halved", {SDL_SCANCODE_W, SDL_SCANCODE_LCTRL}, 0, PAD_HOST_STICK_FULL / 2, 0},
        {"back and left, halved", {SDL_SCANCODE_S, SDL_SCANCODE_A, SDL_SCANCODE_LCTRL}, -PAD_HOST_STICK_FULL / 2,
         -PAD_HOST_STICK_FULL / 2, 0},
        {"right ctrl does not halve", {SDL_SCANCODE_D, SDL_SCANCODE_RCTRL}, PAD_HOST_STICK_FULL, 0, 0},
        {"C-stick stays whole", {SDL_SCANCODE_L, SDL_SCANCODE_LCTRL}, 0, 0, PAD_HOST_STICK_FULL},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::vector<uint8_t> keys(SDL_NUM_SCANCODES, 0);
        for (SDL_Scancode k : r.held)
            keys[k] = 1;
        const PADStatus s = pad::KeyboardStatus(keys.data(), static_cast<int>(keys.size()));
        EXPECT_EQ(s.stickX, r.x);
        EXPECT_EQ(s.stickY, r.y);
        EXPECT_EQ(s.substickX, r.cx);
    }
}

// A key pressed and released between two reads of the keyboard (a tap
// shorter than a frame) is held for the read after it, and only that one.
TEST(pad, AKeyTappedBetweenTwoReadsIsHeldForOneRead)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    pad::HostTestReadKeyboard(true);
    PADStatus status[PAD_MAX_CONTROLLERS];
    pad::HostRead(status);  // drops whatever was queued before
    const struct {
        SDL_Scancode key;
        uint16_t button;
        int8_t stickY;
        bool bReset;
    } rows[] = {
        {SDL_SCANCODE_DOWN, PAD_BUTTON_DOWN, 0, false},
        {SDL_SCANCODE_UP, PAD_BUTTON_UP, 0, false},
        {SDL_SCANCODE_SPACE, PAD_BUTTON_A, 0, false},
        {SDL_SCANCODE_W, 0, PAD_HOST_STICK_FULL, false},
        {SDL_SCANCODE_F12, 0, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(SDL_GetScancodeName(row.key));
        for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event e{};
            e.type = type;
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.scancode = row.key;
            ASSERT_EQ(SDL_PushEvent(&e), 1);
        }
        pad::HostRead(status);
        EXPECT_EQ(status[0].err, PAD_ERR_NONE);
        EXPECT_EQ(status[0].button, row.button);
        EXPECT_EQ(status[0].stickY, row.stickY);
        EXPECT_EQ(pad::HostResetKeyDown(), row.bReset);
        pad::HostRead(status);
        EXPECT_EQ(status[0].button, 0);
        EXPECT_EQ(status[0].stickY, 0);
        EXPECT_FALSE(pad::HostResetKeyDown());
    }
    pad::HostStop();
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

// A key's press and release queued, or its release only (a key held since
// before the last read).
void QueueTap(SDL_Scancode key, bool bPress = true)
{
    for (const Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
        if (type == SDL_KEYDOWN && !bPress)
            continue;
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = key;
        SDL_PushEvent(&e);
    }
}

// The reset button is polled apart from the controllers' reads: an F12 tap
// is the reset key for the next poll, and that one only, whether a read
// latched it before the poll or the poll finds it queued. The poll leaves
// the other keys' taps to the read.
TEST(pad, AnF12TapIsTheResetKeyForOnePoll)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_EVENTS), 0);
    pad::HostTestReadKeyboard(true);
    PADStatus status[PAD_MAX_CONTROLLERS];
    pad::HostRead(status);  // drops whatever was queued before
    enum Step { kRead, kPoll };
    const struct {
        const char* name;
        std::vector<SDL_Scancode> taps;
        std::vector<std::pair<Step, bool>> steps;  // each step and the reset key after it
        uint16_t button;                           // at the first read
        bool bPress = true;
    } rows[] = {
        {"between two polls", {SDL_SCANCODE_F12}, {{kPoll, true}, {kPoll, false}, {kRead, false}}, 0},
        {"latched by a read before the poll",
         {SDL_SCANCODE_F12},
         {{kRead, true}, {kPoll, true}, {kPoll, false}, {kRead, false}},
         0},
        {"latched by two reads, seen by one poll",
         {SDL_SCANCODE_F12},
         {{kRead, true}, {kRead, false}, {kPoll, true}, {kPoll, false}},
         0},
        {"with another key's tap", {SDL_SCANCODE_SPACE, SDL_SCANCODE_F12}, {{kPoll, true}, {kRead, false}},
         PAD_BUTTON_A},
        {"a release alone is no press", {SDL_SCANCODE_F12}, {{kPoll, false}}, 0, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        for (SDL_Scancode key : row.taps)
            QueueTap(key, row.bPress);
        bool bFirstRead = true;
        for (size_t i = 0; i < row.steps.size(); ++i) {
            SCOPED_TRACE(i);
            if (row.steps[i].first == kPoll) {
                pad::HostPollResetKey();
            } else {
                pad::HostRead(status);
                EXPECT_EQ(status[0].button, bFirstRead ? row.button : 0);
                bFirstRead = false;
            }
            EXPECT_EQ(pad::HostResetKeyDown(), row.steps[i].second);
        }
    }
    pad::HostStop();
    SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST(pad, ScriptedPortsAndRecordedCalls)
{
    PADTestSetScripted(true);
    PADTestSetStatus(1, PADTestIdleStatus());
    PADStatus notReady;
    notReady.err = PAD_ERR_NOT_READY;
    PADTestSetStatus(3, notReady);
    PADStatus status[PAD_MAX_CONTROLLERS];
    EXPECT_EQ(PADRead(status), PADChanBit(1) | PADChanBit(3));
    EXPECT_EQ(status[0].err, PAD_ERR_NO_CONTROLLER);
    EXPECT_EQ(status[1].err, PAD_ERR_NONE);

    PADControlMotor(1, PAD_MOTOR_RUMBLE);
    PADControlMotor(1, 3);   // not a command
    PADControlMotor(4, PAD_MOTOR_RUMBLE);  // not a port
    PADControlMotor(1, PAD_MOTOR_STOP_HARD);
    PADControlMotor(0, PAD_MOTOR_STOP);
    EXPECT_EQ(PADTestMotorCommands(1), (std::vector<uint32_t>{PAD_MOTOR_RUMBLE, PAD_MOTOR_STOP_HARD}));
    EXPECT_EQ(PADTestMotorCommands(0), std::vector<uint32_t>{PAD_MOTOR_STOP});
    PADReset(PADChanBit(0) | PADChanBit(2));
    EXPECT_EQ(PADTestResetMasks(), std::vector<uint32_t>{0xA0000000u});
    PADTestSetScripted(false);
}

TEST(pad, TheResetCombinationIsSeenWithoutReadingThePads)
{
    OSSetVirtualClock(TRUE);
    PADTestSetScripted(true);
    PADStatus held = PADTestIdleStatus();
    held.button = PAD_BUTTON_START | PAD_BUTTON_B | PAD_BUTTON_X;
    PADTestSetStatus(0, held);
    EXPECT_FALSE(OSGetResetButtonState());  // first seen held now
    OSSleepTicks(3 * static_cast<OSTime>(OS_TIMER_CLOCK));
    EXPECT_TRUE(OSGetResetButtonState());
    PADTestSetStatus(0, PADTestIdleStatus());
    EXPECT_FALSE(OSGetResetButtonState());
    PADTestSetScripted(false);
    OSSetVirtualClock(FALSE);
}

TEST(pad, HoldingTheResetCombinationThreeSecondsPressesReset)
{
    PADTestSetScripted(true);
    OSSetVirtualClock(TRUE);
    PADStatus held = PADTestIdleStatus();
    held.button = PAD_BUTTON_START | PAD_BUTTON_B | PAD_BUTTON_X | PAD_BUTTON_A;
    PADStatus broken = held;
    broken.err = PAD_ERR_TRANSFER;
    PADTestSetStatus(2, broken);  // a port in error does not count
    PADTestSetStatus(0, held);
    PADStatus status[PAD_MAX_CONTROLLERS];
    PADRead(status);
    OSSleepTicks(3 * static_cast<OSTime>(OS_TIMER_CLOCK) - 1);
    PADRead(status);
    EXPECT_FALSE(OSGetResetButtonState());
    OSSleepTicks(1);
    PADRead(status);
    EXPECT_TRUE(OSGetResetButtonState());
    PADTestSetStatus(0, PADTestIdleStatus());
    PADRead(status);
    EXPECT_FALSE(OSGetResetButtonState());
    held.button = PAD_BUTTON_START | PAD_BUTTON_B;  // not the whole combination
    PADTestSetStatus(0, held);
    PADRead(status);
    OSSleepTicks(4 * static_cast<OSTime>(OS_TIMER_CLOCK));
    PADRead(status);
    EXPECT_FALSE(OSGetResetButtonState());
    OSSetVirtualClock(FALSE);
    PADTestSetScripted(false);
}

}  // namespace

TEST(pad, ReplayChangesApplyFromTheirFrameInFileOrder)
{
    pad::Replay replay;
    std::string error;
    ASSERT_TRUE(pad::ParseReplay("# warm-up\n"
                                 "30 0 A+START 10 -128 # walk\n"
                                 "10 2 -\n"
                                 "30 0 B 1 2 3 4 5 255\n"
                                 "60 0 -\n",
                                 &replay, &error))
        << error;
    EXPECT_EQ(replay.ports, PADChanBit(0) | PADChanBit(2));
    PADStatus status[PAD_MAX_CONTROLLERS];
    const struct {
        uint32_t frame;
        int8_t err0;
        uint16_t button0;
        int8_t stickX0, stickY0;
        uint8_t triggerRight0;
        int8_t err2;
    } kRows[] = {
        {0, PAD_ERR_NONE, 0, 0, 0, 0, PAD_ERR_NONE},  // named ports rest before their first line
        {29, PAD_ERR_NONE, 0, 0, 0, 0, PAD_ERR_NONE},
        {30, PAD_ERR_NONE, PAD_BUTTON_B, 1, 2, 255, PAD_ERR_NONE},  // the later line of one frame wins
        {59, PAD_ERR_NONE, PAD_BUTTON_B, 1, 2, 255, PAD_ERR_NONE},
        {60, PAD_ERR_NONE, 0, 0, 0, 0, PAD_ERR_NONE},
    };
    // In frame order, then backwards, then each twice: the same answers.
    std::vector<size_t> order;
    for (size_t i = 0; i < std::size(kRows); ++i)
        order.push_back(i);
    for (size_t i = std::size(kRows); i-- > 0;)
        order.push_back(i);
    for (size_t i = 0; i < std::size(kRows); ++i)
        order.insert(order.end(), {i, i});
    for (const size_t i : order) {
        const auto& row = kRows[i];
        pad::ReplayRead(replay, row.frame, status);
        EXPECT_EQ(status[0].err, row.err0) << row.frame;
        EXPECT_EQ(status[0].button, row.button0) << row.frame;
        EXPECT_EQ(status[0].stickX, row.stickX0) << row.frame;
        EXPECT_EQ(status[0].stickY, row.stickY0) << row.frame;
        EXPECT_EQ(status[0].triggerRight, row.triggerRight0) << row.frame;
        EXPECT_EQ(status[2].err, row.err2) << row.frame;
        EXPECT_EQ(status[1].err, PAD_ERR_NO_CONTROLLER) << row.frame;
    }
}

TEST(pad, MalformedReplayLinesAreRefusedByLine)
{
    const struct {
        const char* sText;
        const char* sError;
    } kRows[] = {
        {"0 0", "line 1: expected FRAME PORT BUTTONS and up to six values"},
        {"\n0 4 -", "line 2: bad port \"4\" (0-3)"},
        {"x 0 -", "line 1: bad frame \"x\""},
        {"0 0 A+", "line 1: bad buttons \"A+\""},
        {"0 0 JUMP", "line 1: bad buttons \"JUMP\""},
        {"0 0 - 128", "line 1: bad stick x \"128\""},
        {"0 0 - 0 0 0 0 -1", "line 1: bad left trigger \"-1\""},
        {"0 0 - 0 0 0 0 0 0 0", "line 1: expected FRAME PORT BUTTONS and up to six values"},
        // What is not printable is shown escaped, never passed to the terminal.
        {"\x1b[2J 0 -", "line 1: bad frame \"\\x1b[2J\""},
        {"0 \x7f -", "line 1: bad port \"\\x7f\" (0-3)"},
        {"0 0 A\\B\x01\xc3\xa9", "line 1: bad buttons \"A\\x5cB\\x01\\xc3\\xa9\""},
        {"0 0 - 0 0 0 0 0 \x07", "line 1: bad right trigger \"\\x07\""},
    };
    for (const auto& row : kRows) {
        pad::Replay replay;
        replay.ports = 1;
        std::string error;
        EXPECT_FALSE(pad::ParseReplay(row.sText, &replay, &error)) << row.sText;
        EXPECT_EQ(error, row.sError);
        EXPECT_EQ(replay.ports, 1u) << "a refused file leaves the replay alone";
    }
}

// The reader stops at the limit and not a byte before, across its chunks
// of 64 KiB.
TEST(pad, AnInputFilesTextIsReadUpToItsLimit)
{
    constexpr uint64_t kLimit = 70000;
    const struct {
        uint64_t nBytes;
        bool bRead;
    } rows[] = {{0, true}, {65536, true}, {kLimit, true}, {kLimit + 1, false}, {200000, false}};
    for (const auto& row : rows) {
        std::istringstream in(std::string(row.nBytes, ' '));
        std::string text = "kept";
        EXPECT_EQ(pad::ReadReplayText(in, kLimit, &text), row.bRead) << row.nBytes;
        EXPECT_EQ(text.size(), row.bRead ? row.nBytes : 4u) << row.nBytes;
    }
}

// Only a regular file of at most 64 MiB is read: a folder, a device that
// never ends and a file a byte too long (a hole, so that it takes no disk)
// are refused, and the replay in force stays.
TEST(pad, OnlyARegularFileOfAtMost64MiBIsAnInputFile)
{
    TempDir dir;
    std::ofstream(dir.File("input.txt")) << "0 1 X\n";
    std::ofstream(dir.File("other.txt")) << "0 2 A\n";
    std::ofstream(dir.File("over.txt")) << "0 2 A\n";
    std::filesystem::resize_file(dir.File("over.txt"), (64u << 20) + 1);
    const struct {
        const char* sName;
        std::string path;
        bool bRead;
    } rows[] = {
        {"folder", dir.Path(), false},
        {"endless device", "/dev/zero", false},
        {"a byte over 64 MiB", dir.File("over.txt"), false},
        {"a small file", dir.File("other.txt"), true},
    };
    PADTestSetScripted(false);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        ASSERT_TRUE(PADLoadReplay(dir.File("input.txt").c_str()));
        EXPECT_EQ(PADLoadReplay(row.path.c_str()), row.bRead ? TRUE : FALSE);
        PADStatus status[PAD_MAX_CONTROLLERS];
        EXPECT_EQ(PADRead(status), row.bRead ? PADChanBit(2) : PADChanBit(1));
    }
    PADTestSetScripted(false);  // drops the replay
}

TEST(pad, ALoadedReplayStandsInForTheDevices)
{
    TempDir dir;
    std::ofstream(dir.File("bad.txt")) << "0 9 -\n";
    std::ofstream(dir.File("input.txt")) << "0 1 X 0 72\n";
    PADTestSetScripted(false);
    EXPECT_FALSE(PADLoadReplay(dir.File("missing.txt").c_str()));
    EXPECT_FALSE(PADLoadReplay(dir.File("bad.txt").c_str()));
    ASSERT_TRUE(PADLoadReplay(dir.File("input.txt").c_str()));
    PADStatus status[PAD_MAX_CONTROLLERS];
    EXPECT_EQ(PADRead(status), PADChanBit(1));
    EXPECT_EQ(status[1].button, PAD_BUTTON_X);
    EXPECT_EQ(status[1].stickY, 72);
    PADTestSetScripted(false);  // drops the replay
}
