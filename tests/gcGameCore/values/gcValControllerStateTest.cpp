#include "gcGameCore/values/gcValControllerState.h"

#include <algorithm>
#include <cstring>

#include <gtest/gtest.h>

#include "datagen/cameraWriters.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptTestObjects.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

using V = gcValControllerState;

// Ports cleared, no player port; both put back afterwards.
class gcValControllerStateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::fill(std::begin(eInput::s_joyState), std::end(eInput::s_joyState), eInput::eInputState{});
        std::fill(std::begin(eInput::s_lastButtonPressed), std::end(eInput::s_lastButtonPressed), -1);
        gcPlayer::Get()->m_nControllerId = -1;
    }
    void TearDown() override { SetUp(); }
    // Buttons outside the enumeration, as data may hold them.
    static V Make(V::gcState s, int32_t button)
    {
        V v(s, eInput::JOYBTN_1);
        v.button = button;
        return v;
    }
    static float Eval(V::gcState s, int32_t button) { return Make(s, button).Get(gcEventParams()); }
};

TEST_F(gcValControllerStateTest, SumsOverPortsWithoutAPlayerPortAndReadsThePlayersPortAlone)
{
    auto& js = eInput::s_joyState;
    js[1].bButtonPressed[eInput::JOYBTN_START1] = js[3].bButtonPressed[eInput::JOYBTN_START1] = true;
    js[2].fCurrentState[eInput::JOYBTN_1] = 1.0f;
    js[0].idleTime = cTimeValue(900);
    js[1].idleTime = cTimeValue(300);  // the smallest idle time is taken
    js[2].idleTime = js[3].idleTime = cTimeValue(1200);
    js[2].buttonDownTime[eInput::JOYBTN_1] = cTimeValue(60);
    eInput::s_lastButtonPressed[2] = eInput::JOYBTN_2;
    js[2].bChanged = true;
    for (auto& port : js)
        port.bButtonReleased[0] = true;  // just past the pressed table: button 40 must not reach it
    const struct {
        const char* why;
        V::gcState state;
        int button;
        float fNoPort, fPort2;
    } rows[] = {
        {"pressed on ports 1 and 3", V::STATE_PRESSED, eInput::JOYBTN_START1, 2.0f, 0.0f},
        {"down is the value", V::STATE_DOWN, eInput::JOYBTN_1, 1.0f, 1.0f},
        {"value", V::STATE_VALUE, eInput::JOYBTN_1, 1.0f, 1.0f},
        {"idle: smallest over ports, in seconds", V::STATE_IDLETIME, 0, 0.5f, 2.0f},
        {"down time in seconds", V::STATE_DOWNTIME, eInput::JOYBTN_1, 0.1f, 0.1f},
        {"last pressed", V::STATE_LASTPRESSED, eInput::JOYBTN_2, 1.0f, 1.0f},
        {"player controller: port plus one", V::STATE_PLAYERCONTROLLER, 0, 0.0f, 3.0f},
        {"button 40 is outside the table", V::STATE_PRESSED, 40, 0.0f, 0.0f},
        {"negative button", V::STATE_PRESSED, -1, 0.0f, 0.0f},
        {"idle ignores a button outside the table", V::STATE_IDLETIME, 40, 0.5f, 2.0f},
        {"changed on port 2 alone", V::STATE_CHANGED, 0, 1.0f, 1.0f},
        {"changed ignores a button outside the table", V::STATE_CHANGED, -7, 1.0f, 1.0f},
        {"state 11 is outside the table", static_cast<V::gcState>(11), eInput::JOYBTN_1, 0.0f, 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        gcPlayer::Get()->m_nControllerId = -1;
        EXPECT_FLOAT_EQ(Eval(r.state, r.button), r.fNoPort);
        gcPlayer::Get()->m_nControllerId = 2;
        EXPECT_FLOAT_EQ(Eval(r.state, r.button), r.fPort2);
    }
}

TEST_F(gcValControllerStateTest, FirstResponseIsThePlayersPortOrTheFirstAnsweringPort)
{
    auto& js = eInput::s_joyState;
    const V start(V::STATE_PRESSED, eInput::JOYBTN_START1);
    EXPECT_EQ(start.GetFirstControllerResponse(), -1);
    js[1].bButtonPressed[eInput::JOYBTN_START1] = js[3].bButtonPressed[eInput::JOYBTN_START1] = true;
    EXPECT_EQ(start.GetFirstControllerResponse(), 1);
    EXPECT_EQ(Make(V::STATE_PRESSED, 40).GetFirstControllerResponse(), -1);
    gcPlayer::Get()->m_nControllerId = 0;
    EXPECT_EQ(start.GetFirstControllerResponse(), 0);  // even though port 0 did not press
}

TEST_F(gcValControllerStateTest, Texts)
{
    const struct {
        V::gcState state;
        int button;
        const char* text;
    } rows[] = {
        {V::STATE_VALUE, eInput::JOYBTN_UI_CONFIRM, "UIConfirm"},
        {V::STATE_PRESSED, eInput::JOYBTN_UI_CONFIRM, "UIConfirm.Pressed"},
        {V::STATE_DBLPRESSED, eInput::JOYBTN_UI_DOWN, "UIDown.DoublePressed"},
        {V::STATE_IDLETIME, eInput::JOYBTN_START1, "Controller.IdleTime"},
        {V::STATE_PLAYERCONTROLLER, 0, "Controller.PlayerController"},
        {V::STATE_DOWN, 40, "???.Down"},
        {static_cast<V::gcState>(11), 0, "LThumbX.???"},
    };
    for (const auto& r : rows) {
        char buf[gcScriptText::kSize] = {};
        Make(r.state, r.button).GetText(buf);
        EXPECT_STREQ(buf, r.text);
    }
}

TEST_F(gcValControllerStateTest, BlockStoresTheButtonBeforeTheState)
{
    gcTestDataDir dir;
    ASSERT_TRUE(datagen::WriteControllerStateFile(dir.HostPath("v.dat"), V(V::STATE_DOWNTIME, eInput::JOYBTN_UI_CONFIRM)));
    const std::vector<uint8_t> bytes = ReadHostFile(dir.HostPath("v.dat"));
    const uint8_t tail[] = {0, 0, 0, 30, 0, 0, 0, 6, 0xBE, 0xBE, 0xBE, 0xBE};  // button, state, end marker
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(tail), std::end(tail)), bytes.end());
}

}  // namespace
