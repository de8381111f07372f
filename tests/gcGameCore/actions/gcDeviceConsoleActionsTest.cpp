// The device action (idle animations to devices only) and the console
// operation (video, audio, the system menu and the reset handler).

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "cCore/cCoreServices.h"
#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAudio.h"
#include "eEngine/eVideoTestUtil.h"
#include "gcGameCore/actions/gcDoConsoleOp.h"
#include "gcGameCore/actions/gcDoDeviceAction.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

std::string Text(const gcAction& action)
{
    char buf[gcScriptText::kSize] = {};
    action.GetText(buf);
    return buf;
}

// The device class's record: its own once it is built, until then one made
// here under its id and parent.
const cType* DeviceType()
{
    if (const cType* p = cType::Find(gcDoDeviceAction::kDeviceTypeId))
        return p;
    return cType::InitializeType("gcDevice", gcDoDeviceAction::kDeviceTypeId, gcEntity::GetStaticType(), nullptr);
}

class gcTestDevice : public gcTestEntity {
public:
    const cType* GetType() const override { return DeviceType(); }
};

class gcDeviceActionTest : public EntityTest {
protected:
    void SetUp() override
    {
        EntityTest::SetUp();
        ASSERT_NE(DeviceType(), nullptr);  // the action looks the class up by id
    }
};
class gcConsoleOpBlockTest : public EntityTest {};

// Records the animation of every idle message a device is sent.
class gcIdleDevice : public gcTestDevice {
public:
    int Send(const gcMsg& msg) override
    {
        if (msg.nMsgId == MSG_IDLE)
            m_anims.push_back(static_cast<const gcMsgIdle&>(msg).nAnim);
        return gcTestDevice::Send(msg);
    }
    std::vector<int32_t> m_anims;
};

// Each idle number reaches a device as message 127 with that animation;
// other numbers and entities that are no device get nothing.
TEST_F(gcDeviceActionTest, DeviceActionsIdleDevicesOnly)
{
    gcIdleDevice device;
    gcTestEntity plain;
    gcEventParams params;
    const struct {
        const char* name;
        int32_t action;
        gcEntity* pInitiator;
        std::vector<int32_t> anims;
    } rows[] = {
        {"idle 1", gcDoDeviceAction::DA_IDLE_1, &device, {0}}, {"idle 4", 3, &device, {3}},
        {"idle 6", gcDoDeviceAction::DA_IDLE_6, &device, {5}}, {"6 is no action", 6, &device, {}},
        {"negative", -1, &device, {}},                         {"not a device", 0, &plain, {}},
        {"nobody", 0, nullptr, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        params.pInitiator = row.pInitiator;
        device.m_anims.clear();
        EntityLog().clear();
        gcDoDeviceAction(row.action, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR)).Apply(params);
        EXPECT_EQ(device.m_anims, row.anims);
        EXPECT_EQ(EntityLog().size(), row.anims.size());  // nothing else, to nobody else
    }
    EXPECT_EQ(Text(gcDoDeviceAction(1, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER))), "Player.Idle2");
    EXPECT_EQ(Text(gcDoDeviceAction(6, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER))), "Player.???");
}

// ---- console operations ----

int s_nCounted = 0;
void CountA() { ++s_nCounted; }
void CountB() { s_nCounted += 10; }

struct ResetRequest {
    int nCalls = 0;
    int reset = -1;
    uint32_t code = 99;
    BOOL bMenu = FALSE;
};
ResetRequest s_request;

class gcDoConsoleOpTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        s_request = ResetRequest{};
        m_oldReset = OSTestSetResetHandler([](int reset, uint32_t code, BOOL bMenu, const uint8_t*) {
            ++s_request.nCalls, s_request.reset = reset, s_request.code = code, s_request.bMenu = bMenu;
        });
        m_oldNotify = cSetResetNotify(nullptr);
    }
    void TearDown() override
    {
        Run(gcDoConsoleOp::OP_ENABLE_RESET);  // nothing held afterwards
        cSetResetNotify(m_oldNotify);
        OSTestSetResetHandler(m_oldReset);
        eAudio::SetOutputMode(eAudio::AOM_STEREO, true);
        VideoTest::TearDown();
    }
    static void Run(int32_t op) { gcDoConsoleOp(op).Apply(gcEventParams()); }
    // The installed reset handler.
    static cResetNotifyFunc Installed()
    {
        const cResetNotifyFunc f = cSetResetNotify(nullptr);
        cSetResetNotify(f);
        return f;
    }

    OSTestResetHandler m_oldReset = nullptr;
    cResetNotifyFunc m_oldNotify = nullptr;
};

// Disable takes the handler away; Enable puts back the one that was
// installed before the first Disable, however many came before it.
TEST_F(gcDoConsoleOpTest, DisableAndEnableResetRestoreTheFirstHandler)
{
    using Op = gcDoConsoleOp;
    const struct {
        const char* name;
        std::vector<int32_t> ops;
        cResetNotifyFunc installed;
    } rows[] = {
        {"disable", {Op::OP_DISABLE_RESET}, nullptr},
        {"disable, enable", {Op::OP_DISABLE_RESET, Op::OP_ENABLE_RESET}, CountA},
        {"two disables, enable", {Op::OP_DISABLE_RESET, Op::OP_DISABLE_RESET, Op::OP_ENABLE_RESET}, CountA},
        {"enable alone installs the null handler", {Op::OP_ENABLE_RESET}, nullptr},
        {"a second enable holds nothing", {Op::OP_DISABLE_RESET, Op::OP_ENABLE_RESET, Op::OP_ENABLE_RESET}, nullptr},
        {"other operations leave it", {Op::OP_DISABLE_RESET, 9, -1, Op::OP_ENABLE_RESET}, CountA},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Run(Op::OP_ENABLE_RESET);  // nothing held
        cSetResetNotify(CountA);
        for (int32_t op : row.ops)
            Run(op);
        EXPECT_EQ(Installed(), row.installed);
    }
    // A handler installed between two disables is not the one kept.
    Run(Op::OP_ENABLE_RESET);
    cSetResetNotify(CountA);
    Run(Op::OP_DISABLE_RESET);
    cSetResetNotify(CountB);
    Run(Op::OP_DISABLE_RESET);
    Run(Op::OP_ENABLE_RESET);
    EXPECT_EQ(Installed(), CountA);
    EXPECT_EQ(s_nCounted, 0);  // handlers are installed, never called
}

TEST_F(gcDoConsoleOpTest, AudioVideoAndTheSystemMenu)
{
    const struct {
        int32_t op;
        eAudio::eAudioOutputMode mode;
    } modes[] = {
        {gcDoConsoleOp::OP_SET_AUDIO_MODE_DPL2, eAudio::AOM_DPL2},
        {gcDoConsoleOp::OP_SET_AUDIO_MODE_MONO, eAudio::AOM_MONO},
        {gcDoConsoleOp::OP_SET_AUDIO_MODE_SURROUND, eAudio::AOM_SURROUND},
        {gcDoConsoleOp::OP_SET_AUDIO_MODE_STEREO, eAudio::AOM_STEREO},
    };
    for (const auto& row : modes) {
        SCOPED_TRACE(row.op);
        Run(row.op);
        EXPECT_EQ(eAudio::GetOutputMode(), row.mode);
    }
    for (bool bOn : {true, false, true}) {
        Run(bOn ? gcDoConsoleOp::OP_PROGRESSIVE_ON : gcDoConsoleOp::OP_PROGRESSIVE_OFF);
        EXPECT_EQ(OSGetProgressiveMode(), bOn ? 1u : 0u);
    }
    EXPECT_EQ(s_request.nCalls, 0);
    Run(gcDoConsoleOp::OP_RETURN_TO_BROWSER);
    EXPECT_EQ(s_request.nCalls, 1);
    EXPECT_EQ(s_request.reset, 1);
    EXPECT_EQ(s_request.code, 0u);
    EXPECT_TRUE(s_request.bMenu);
}

std::vector<char> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every version holds the one field; whatever was read is written as
// version 1.
TEST_F(gcConsoleOpBlockTest, ConsoleOpBlocksOfEveryVersionWriteBackAsVersion1)
{
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("v1.dat"), 259, [](datagen::BlockWriter& w) {
        datagen::ActionBlock(w, 1).Int(gcDoConsoleOp::OP_DISABLE_RESET).End();
    }));
    for (uint32_t version : {1u, 2u, 3u, 7u}) {
        SCOPED_TRACE(version);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("in.dat"), 259, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w, version).Int(gcDoConsoleOp::OP_DISABLE_RESET).End();
        }));
        const auto* p = dcast<gcDoConsoleOp>(cBase::Load("/in.dat", &m_pool, gcDoConsoleOp::GetStaticType()));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->op, gcDoConsoleOp::OP_DISABLE_RESET);
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("out.dat"), *p));
        EXPECT_EQ(Bytes(m_data.HostPath("out.dat")), Bytes(m_data.HostPath("v1.dat")));
    }
    gcTestLogCapture quiet;  // the refusal is logged
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_data.HostPath("v0.dat"), 259, [](datagen::BlockWriter& w) {
        datagen::ActionBlock(w, 0).Int(1).End();
    }));
    EXPECT_EQ(cBase::Load("/v0.dat", &m_pool, gcDoConsoleOp::GetStaticType()), nullptr);
}

TEST(gcDoConsoleOp, TextShowsTheOperation)
{
    const char* const texts[] = {"ConsoleOp( SetProgressive On )", "ConsoleOp( SetProgressive Off )",
                                 "ConsoleOp( Return To Browser )", "ConsoleOp( SetAudioMono )",
                                 "ConsoleOp( SetAudioStereo )",    "ConsoleOp( SetAudioSurround )",
                                 "ConsoleOp( SetAudioDPL2 )",      "ConsoleOp( DisableReset )",
                                 "ConsoleOp( EnableReset )",       "ConsoleOp( ??? )"};
    for (int32_t op = 0; op <= gcDoConsoleOp::MAX_OPS; ++op)
        EXPECT_EQ(Text(gcDoConsoleOp(op)), texts[op]);
    EXPECT_EQ(Text(gcDoConsoleOp(-1)), "ConsoleOp( ??? )");
}

}  // namespace
