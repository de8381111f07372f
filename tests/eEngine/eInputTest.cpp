#include "eEngine/eInput.h"

#include <gtest/gtest.h>

#include <cmath>
#include <utility>

#include "../test/pad_test.h"

namespace {

constexpr cTimeValue kFrame{20};

PADStatus Stick(int x, int y)
{
    PADStatus s = PADTestIdleStatus();
    s.stickX = static_cast<int8_t>(x);
    s.stickY = static_cast<int8_t>(y);
    return s;
}

PADStatus Buttons(uint16_t bits)
{
    PADStatus s = PADTestIdleStatus();
    s.button = bits;
    return s;
}

class eInputTest : public testing::Test {
protected:
    void SetUp() override
    {
        PADTestSetScripted(true);
        PADTestSetStatus(0, PADTestIdleStatus());
        eInput::SetDoubleTapTime(eInput::kDefaultDoubleTapTime);
        eInput::SetDeadzone(10, 10);
        eInput::Initialize();
        PADTestClearMotorCommands();
    }
    void TearDown() override { PADTestSetScripted(false); }

    void Frame(const PADStatus& status, cTimeValue step = kFrame)
    {
        PADTestSetStatus(0, status);
        eInput::Update(step, true);
    }
    const eInput::eInputState& Port0() const { return eInput::s_joyState[0]; }
};

TEST_F(eInputTest, StickAtRestReadsCentreInsideTheDeadZone)
{
    Frame(Stick(0, 0));
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LTHUMBX], 128);
    EXPECT_EQ(Port0().fCurrentState[eInput::JOYBTN_LTHUMBX], 0.0f);
    eInput::SetDeadzone(0, 0);
    Frame(Stick(0, 0));
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LTHUMBY], 127);
    EXPECT_FLOAT_EQ(Port0().fCurrentState[eInput::JOYBTN_LTHUMBY], -1.0f / 127.0f);
}

TEST_F(eInputTest, SticksScaleToTheirRadiusAndRawRange)
{
    const struct { const char* name; int x, y, subX, subY; uint8_t rawX, rawY, rawSubX, rawSubY; } rows[] = {
        {"main stick full right", 59, 0, 0, 0, 254, 128, 128, 128},
        {"main stick full left", -59, 0, 0, 0, 0, 128, 128, 128},
        {"diagonal past the radius is brought to 59", 70, 70, 0, 0, 216, 216, 128, 128},
        {"part way: truncated", 20, -20, 0, 0, 170, 84, 128, 128},
        {"inside the library's dead zone", 14, 0, 0, 0, 128, 128, 128, 128},
        {"C-stick radius 39", 0, 0, 39, 0, 128, 128, 254, 128}, {"C-stick full down", 0, 0, 0, -39, 128, 128, 128, 0},
        {"C-stick diagonal within the octagon, past the radius", 0, 0, 39, -39, 128, 128, 216, 38},
        {"C-stick past its radius", 0, 0, 0, 50, 128, 128, 128, 254},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        PADStatus s = Stick(row.x, row.y);
        s.substickX = static_cast<int8_t>(row.subX);
        s.substickY = static_cast<int8_t>(row.subY);
        Frame(s);
        EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LTHUMBX], row.rawX);
        EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LTHUMBY], row.rawY);
        EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_RTHUMBX], row.rawSubX);
        EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_RTHUMBY], row.rawSubY);
    }
}

TEST_F(eInputTest, NormalisedValuesMagnitudeAndHeading)
{
    struct Row { int x, y; float fX, fMag, fHeading; };
    const Row rows[] = {{59, 0, 126.0f / 127.0f, 126.0f / 127.0f, -90.0f}, {70, 70, 88.0f / 127.0f, 0.98f, -45.0f},
                        {0, 59, 0.0f, 126.0f / 127.0f, 0.0f}, {-59, 0, -1.0f, 1.0f, 90.0f}};
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.x << "," << r.y);
        Frame(Stick(r.x, r.y));
        EXPECT_NEAR(Port0().fCurrentState[eInput::JOYBTN_LTHUMBX], r.fX, 1e-6f);
        EXPECT_NEAR(Port0().fCurrentState[eInput::JOYBTN_LTHUMB_MAG], r.fMag, 0.001f);
        EXPECT_FLOAT_EQ(Port0().fCurrentState[eInput::JOYBTN_LTHUMB_HEADING], r.fHeading);
    }
}

TEST_F(eInputTest, DoublePressWindowIsExclusive)
{
    struct Row { int gapTicks; bool bDouble; };
    for (const Row& row : {Row{149, true}, Row{150, false}, Row{40, true}}) {
        SCOPED_TRACE(row.gapTicks);
        eInput::Reset();
        Frame(Buttons(0), cTimeValue(1000));
        Frame(Buttons(PAD_BUTTON_A));
        EXPECT_TRUE(Port0().bButtonPressed[eInput::JOYBTN_1]);
        EXPECT_FALSE(Port0().bButtonDblPressed[eInput::JOYBTN_1]);
        Frame(Buttons(0), cTimeValue(row.gapTicks - 20));
        Frame(Buttons(PAD_BUTTON_A));
        EXPECT_TRUE(Port0().bButtonPressed[eInput::JOYBTN_1]);
        EXPECT_EQ(Port0().bButtonDblPressed[eInput::JOYBTN_1], row.bDouble);
        EXPECT_EQ(eInput::s_lastButtonPressed[0], eInput::JOYBTN_UI_CINEMATICSKIP);
    }
    PADTestSetStatus(0, PADTestIdleStatus());
    eInput::Reset();
    EXPECT_EQ(eInput::s_lastButtonPressed[0], 0);
}

TEST_F(eInputTest, FirstPressAfterStartIsNotADoublePress)
{
    Frame(Buttons(PAD_BUTTON_B), cTimeValue(0));
    EXPECT_TRUE(Port0().bButtonPressed[eInput::JOYBTN_2]);
    EXPECT_FALSE(Port0().bButtonDblPressed[eInput::JOYBTN_2]);
}

TEST_F(eInputTest, HoldTimeGrowsWhileHeldAndClearsOnRelease)
{
    Frame(Buttons(PAD_BUTTON_X));
    EXPECT_EQ(Port0().buttonDownTime[eInput::JOYBTN_3], cTimeValue(0));
    Frame(Buttons(PAD_BUTTON_X));
    Frame(Buttons(PAD_BUTTON_X));
    EXPECT_EQ(Port0().buttonDownTime[eInput::JOYBTN_3], cTimeValue(40));
    EXPECT_FALSE(Port0().bButtonPressed[eInput::JOYBTN_3]);
    Frame(Buttons(0));
    EXPECT_TRUE(Port0().bButtonReleased[eInput::JOYBTN_3]);
    EXPECT_EQ(Port0().buttonDownTime[eInput::JOYBTN_3], cTimeValue(0));
    Frame(Buttons(0));
    EXPECT_FALSE(Port0().bButtonReleased[eInput::JOYBTN_3]);
}

struct GestureCount { int ccw = 0, cw = 0; };

class eInputGestureTest : public eInputTest {
public:
    GestureCount Turn(double fromDeg, double toDeg, double stepDeg)
    {
        GestureCount count;
        const int steps = static_cast<int>(std::lround((toDeg - fromDeg) / stepDeg));
        for (int i = 0; i <= steps; ++i) {
            const double a = (fromDeg + i * stepDeg) * M_PI / 180.0;
            Frame(Stick(int(std::lround(59 * std::cos(a))), int(std::lround(59 * std::sin(a)))));
            count.ccw += Port0().bButtonPressed[eInput::JOYBTN_LTHUMB_360CCW];
            count.cw += Port0().bButtonPressed[eInput::JOYBTN_LTHUMB_360CW];
        }
        return count;
    }
};

TEST_F(eInputGestureTest, EachFullTurnFiresOnceAndKeepsTheRest)
{
    struct Row { double from, to, step; int ccw, cw; float fDeg; };
    for (const Row& r : {Row{0, 360, 10, 1, 0, 90.0f}, Row{0, 540, 10, 2, 0, 0.0f}, Row{90, -210, -10, 0, 1, -30.0f}}) {
        SCOPED_TRACE(r.to);
        Frame(Stick(0, 0));  // centring clears the count
        EXPECT_EQ(eInput::s_joyState[0].fLThumb360Deg, 0.0f);
        const GestureCount count = Turn(r.from, r.to, r.step);
        EXPECT_EQ(count.ccw, r.ccw);
        EXPECT_EQ(count.cw, r.cw);
        EXPECT_NEAR(eInput::s_joyState[0].fLThumb360Deg, r.fDeg, 3.0f);
    }
}

TEST_F(eInputGestureTest, ReversingRestartsFromTheReversingStep)
{
    Turn(25, 225, 10);
    EXPECT_NEAR(eInput::s_joyState[0].fLThumb360Deg, 200.0f, 3.0f);
    Turn(215, 215, 10);  // one step back
    EXPECT_NEAR(eInput::s_joyState[0].fLThumb360Deg, -10.0f, 1.0f);
    Turn(225, 225, 10);  // and forward again
    EXPECT_NEAR(eInput::s_joyState[0].fLThumb360Deg, 10.0f, 1.0f);
}

TEST_F(eInputTest, IdleTimeCountsUnchangedFramesAndResetsOnChange)
{
    for (int i = 0; i < 30; ++i)
        Frame(Buttons(0));
    EXPECT_EQ(Port0().idleTime, cTimeValue(600));
    Frame(Buttons(PAD_BUTTON_Y));
    EXPECT_EQ(Port0().idleTime, cTimeValue(0));
    Frame(Buttons(PAD_BUTTON_Y));
    EXPECT_EQ(Port0().idleTime, cTimeValue(20));
}

TEST_F(eInputTest, InterfaceButtonsFollowTheirSources)
{
    struct Row { const char* name; PADStatus status; int button; uint8_t raw; };
    PADStatus trigL = PADTestIdleStatus(), trigR = PADTestIdleStatus();
    trigL.triggerLeft = 255;
    trigR.triggerRight = 100;
    const Row rows[] = {
        {"stick raw 95 is left", Stick(-15, 0), eInput::JOYBTN_UI_LEFT, 255},
        {"stick raw 159 is not right", Stick(15, 0), eInput::JOYBTN_UI_RIGHT, 0},
        {"stick raw 161 is right", Stick(16, 0), eInput::JOYBTN_UI_RIGHT, 255},
        {"stick raw 161 up", Stick(0, 16), eInput::JOYBTN_UI_UP, 255},
        {"stick raw 95 down", Stick(0, -15), eInput::JOYBTN_UI_DOWN, 255},
        {"pad left", Buttons(PAD_BUTTON_LEFT), eInput::JOYBTN_UI_LEFT, 255},
        {"pad down", Buttons(PAD_BUTTON_DOWN), eInput::JOYBTN_UI_DOWN, 255},
        {"pad up", Buttons(PAD_BUTTON_UP), eInput::JOYBTN_UI_UP, 255},
        {"A confirms", Buttons(PAD_BUTTON_A), eInput::JOYBTN_UI_CONFIRM, 255},
        {"B goes back", Buttons(PAD_BUTTON_B), eInput::JOYBTN_UI_BACK, 255},
        {"start", Buttons(PAD_BUTTON_START), eInput::JOYBTN_UI_START, 255},
        {"A skips", Buttons(PAD_BUTTON_A), eInput::JOYBTN_UI_CINEMATICSKIP, 255},
        {"start skips", Buttons(PAD_BUTTON_START), eInput::JOYBTN_UI_CINEMATICSKIP, 255},
        {"B does not skip", Buttons(PAD_BUTTON_B), eInput::JOYBTN_UI_CINEMATICSKIP, 0},
        {"left trigger, clamped to 150", trigL, eInput::JOYBTN_UI_PREVPAGE, 150},
        {"right trigger turns to the next page", trigR, eInput::JOYBTN_UI_NEXTPAGE, 70},
        {"the left trigger is not the next page", trigL, eInput::JOYBTN_UI_NEXTPAGE, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Frame(row.status);
        EXPECT_EQ(Port0().nCurrentState[row.button], row.raw);
        Frame(PADTestIdleStatus());
    }
}

TEST_F(eInputTest, AnalogueDeadZoneZeroesSmallTriggerValues)
{
    PADStatus s = PADTestIdleStatus();
    s.triggerLeft = 39;  // 9 after the library's clamp
    Frame(s);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LEFT1], 0);
    s.triggerLeft = 40;
    Frame(s);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LEFT1], 10);
    EXPECT_FLOAT_EQ(Port0().fCurrentState[eInput::JOYBTN_LEFT1], 10.0f / 255.0f);
    EXPECT_TRUE(Port0().bButtonPressed[eInput::JOYBTN_LEFT1]);
}

TEST_F(eInputTest, PulledControllerLosesPresence)
{
    Frame(Buttons(PAD_BUTTON_A));
    EXPECT_TRUE(Port0().bPresent);
    EXPECT_TRUE(eInput::IsControllerPresent(0));

    PADStatus transfer = PADTestIdleStatus();
    transfer.err = PAD_ERR_TRANSFER;  // keeps the last good reading
    Frame(transfer);
    EXPECT_TRUE(Port0().bPresent);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_1], 255);

    Frame(PADStatus());  // no controller
    EXPECT_FALSE(Port0().bPresent);
    EXPECT_TRUE(Port0().bChanged);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_1], 0);
    EXPECT_TRUE(Port0().bButtonReleased[eInput::JOYBTN_1]);
    const std::vector<uint32_t> masks = PADTestResetMasks();
    ASSERT_FALSE(masks.empty());
    EXPECT_EQ(masks.back(), 0xF0000000u);  // every port is empty now

    Frame(PADStatus());
    EXPECT_FALSE(Port0().bChanged);
    EXPECT_FALSE(eInput::IsControllerPresent(-1));
    EXPECT_FALSE(eInput::IsControllerPresent(4));
}

TEST_F(eInputTest, RumblePulsesByRequest)
{
    struct Row { const char* name; float fRequest; std::vector<uint32_t> commands; };
    const Row rows[] = {
        {"full keeps the motor on", 1.0f, {PAD_MOTOR_RUMBLE}},
        {"half runs every other frame", 0.5f,
         {PAD_MOTOR_RUMBLE, PAD_MOTOR_STOP, PAD_MOTOR_RUMBLE, PAD_MOTOR_STOP, PAD_MOTOR_RUMBLE}},
        {"a third runs every third frame", 1.0f / 3.0f, {PAD_MOTOR_RUMBLE, PAD_MOTOR_STOP, PAD_MOTOR_RUMBLE}},
        {"none never starts it", 0.0f, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        eInput::Reset();
        PADTestClearMotorCommands();
        for (int i = 0; i < 6; ++i) {
            eInput::s_joyState[2].fRumble = row.fRequest;
            Frame(PADTestIdleStatus());
            EXPECT_EQ(eInput::s_joyState[2].fRumble, 0.0f);
        }
        EXPECT_EQ(PADTestMotorCommands(2), row.commands);
        EXPECT_TRUE(PADTestMotorCommands(0).empty());
    }
}

TEST_F(eInputTest, StopRumbleStopsEveryMotorHard)
{
    eInput::StopRumble();
    for (int c = 0; c < eInput::kMaxControllers; ++c)
        EXPECT_EQ(PADTestMotorCommands(c), std::vector<uint32_t>{PAD_MOTOR_STOP_HARD});
}

TEST_F(eInputTest, UpdateWithoutReadingCentresSticksAndKeepsButtons)
{
    Frame(Stick(59, 0));
    Frame(Buttons(PAD_BUTTON_A));
    eInput::Update(kFrame, false);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_LTHUMBX], 128);
    EXPECT_EQ(Port0().nCurrentState[eInput::JOYBTN_1], 255);
    EXPECT_FALSE(Port0().bButtonPressed[eInput::JOYBTN_1]);
}

TEST_F(eInputTest, RestoreStateBringsBackTheSavedFrame)
{
    Frame(Buttons(PAD_BUTTON_A));
    eInput::SaveState();
    EXPECT_TRUE(eInput::s_bStateSaved);
    const cTimeValue saved = eInput::s_curTime;
    Frame(Buttons(0));
    Frame(Buttons(PAD_BUTTON_Y));
    eInput::RestoreState();
    EXPECT_FALSE(eInput::s_bStateSaved);
    EXPECT_EQ(eInput::s_curTime, saved);
    EXPECT_TRUE(Port0().bButtonPressed[eInput::JOYBTN_1]);
    EXPECT_EQ(eInput::s_lastButtonPressed[0], eInput::JOYBTN_UI_CINEMATICSKIP);
}

}  // namespace
