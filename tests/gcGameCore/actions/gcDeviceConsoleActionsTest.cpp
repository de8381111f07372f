// The device action (idle animations, to devices only) and the console
// operation (video, audio, the system menu and the reset handler).

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "../entities/entityTestObjects.h"
#include "cCore/cCoreServices.h"
#include "datagen/actionWriters.h"
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

// An entity of the device class (its own record once it is built, until
// then one made here under its id) that records the idle animations.
class gcIdleDevice : public gcTestEntity {
public:
    const cType* GetType() const override
    {
        const cType* p = cType::Find(gcDoDeviceAction::kDeviceTypeId);
        return p ? p : cType::InitializeType("gcDevice", gcDoDeviceAction::kDeviceTypeId, gcEntity::GetStaticType(), nullptr);
    }
    int Send(const gcMsg& msg) override
    {
        m_anims.push_back(msg.nMsgId == MSG_IDLE ? static_cast<const gcMsgIdle&>(msg).nAnim : -msg.nMsgId);
        return gcTestEntity::Send(msg);
    }
    std::vector<int32_t> m_anims;
};

TEST(gcDoDeviceAction, IdlesDevicesOnly)
{
    gcIdleDevice device;
    device.GetType();  // the action finds the class by its id
    gcTestEntity plain;
    gcEventParams params;
    const struct {
        int32_t action;
        gcEntity* pInitiator;
        std::vector<int32_t> anims;
    } rows[] = {{0, &device, {0}},  {3, &device, {3}}, {5, &device, {5}}, {6, &device, {}},
                {-1, &device, {}},  {0, &plain, {}},   {0, nullptr, {}}};
    for (const auto& row : rows) {
        params.pInitiator = row.pInitiator;
        device.m_anims.clear();
        EntityLog().clear();
        gcDoDeviceAction(row.action, gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR)).Apply(params);
        EXPECT_EQ(device.m_anims, row.anims) << row.action;
        EXPECT_EQ(EntityLog().size(), row.anims.size());  // to nobody else
    }
    EXPECT_EQ(Text(gcDoDeviceAction(1, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER))), "Player.Idle2");
    EXPECT_EQ(Text(gcDoDeviceAction(6, gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER))), "Player.???");
}

// The block field by field: the action, then the device's selector and
// handle. Other versions and a block cut short are refused.
TEST(gcDoDeviceAction, BlockFieldByField)
{
    gcTestDataDir dir;
    cMemPool pool("gcDoDeviceActionBlock", 0x4000, false);
    const auto load = [&](uint32_t version, const std::function<void(datagen::BlockWriter&)>& fields) {
        const bool bSaved = datagen::WriteObjectBlocksFile(dir.HostPath("a.dat"), gcDoDeviceAction::GetStaticType()->m_nTypeId,
                                                           [&](datagen::BlockWriter& w) {
                                                               fields(datagen::ActionBlock(w, version));
                                                               w.End();
                                                           });
        return bSaved ? dcast<gcDoDeviceAction>(cBase::Load("/a.dat", &pool, gcDoDeviceAction::GetStaticType())) : nullptr;
    };
    const auto whole = [](datagen::BlockWriter& w) { w.Int(4).Int(gcDesiredEntity::SPECIFIC).Word(0x00070002); };
    const gcDoDeviceAction* p = load(1, whole);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->action, 4);
    EXPECT_EQ(p->desiredDevice.desiredEntity, gcDesiredEntity::SPECIFIC);
    EXPECT_EQ(p->desiredDevice.hSpecificEntity.m_nValue, 0x00070002u);
    gcTestLogCapture quiet;
    EXPECT_EQ(load(0, whole), nullptr);
    EXPECT_EQ(load(2, whole), nullptr);
    EXPECT_EQ(load(1, [](datagen::BlockWriter& w) { w.Int(4).Int(gcDesiredEntity::SPECIFIC); }), nullptr);
}

void HandlerA() {}
void HandlerB() {}
int s_nMenuCalls = 0;

class gcDoConsoleOpTest : public VideoTest {
protected:
    void SetUp() override
    {
        VideoTest::SetUp();
        s_nMenuCalls = 0;
        m_oldReset = OSTestSetResetHandler([](int reset, uint32_t code, BOOL bMenu, const uint8_t*) {
            s_nMenuCalls += reset == 1 && code == 0 && bMenu ? 1 : 100;
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

    OSTestResetHandler m_oldReset = nullptr;
    cResetNotifyFunc m_oldNotify = nullptr;
};

// Enable puts back the handler installed before the first Disable, however
// many Disables came before it; without a Disable it leaves the installed
// one alone.
TEST_F(gcDoConsoleOpTest, EnableResetRestoresTheHandlerOfTheFirstDisable)
{
    const struct {
        const char* name;
        std::vector<std::pair<int32_t, cResetNotifyFunc>> steps;  // op, then a handler installed (or kept)
        cResetNotifyFunc installed;
    } rows[] = {
        {"disable", {{7, nullptr}}, nullptr},
        {"disable, enable", {{7, nullptr}, {8, nullptr}}, HandlerA},
        {"two disables, enable", {{7, nullptr}, {7, nullptr}, {8, nullptr}}, HandlerA},
        {"B installed between two disables", {{7, HandlerB}, {7, nullptr}, {8, nullptr}}, HandlerA},
        {"enable alone", {{8, nullptr}}, HandlerA},
        {"a second enable", {{7, nullptr}, {8, nullptr}, {8, nullptr}}, HandlerA},
        {"B installed, then enable alone", {{7, nullptr}, {8, HandlerB}, {8, nullptr}}, HandlerB},
        {"other operations", {{7, nullptr}, {9, nullptr}, {-1, nullptr}, {8, nullptr}}, HandlerA},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Run(gcDoConsoleOp::OP_ENABLE_RESET);  // nothing held
        cSetResetNotify(HandlerA);
        for (const auto& [op, installed] : row.steps) {
            Run(op);
            if (installed)
                cSetResetNotify(installed);
        }
        const cResetNotifyFunc now = cSetResetNotify(nullptr);
        EXPECT_EQ(now, row.installed);
    }
}

TEST_F(gcDoConsoleOpTest, AudioModesProgressiveScanAndTheSystemMenu)
{
    const eAudio::eAudioOutputMode modes[] = {eAudio::AOM_MONO, eAudio::AOM_STEREO, eAudio::AOM_SURROUND,
                                              eAudio::AOM_DPL2};
    for (int32_t op : {6, 3, 5, 4}) {
        Run(op);
        EXPECT_EQ(eAudio::GetOutputMode(), modes[op - 3]) << op;
    }
    for (int32_t op : {0, 1, 0}) {
        Run(op);
        EXPECT_EQ(OSGetProgressiveMode(), op == 0 ? 1u : 0u);
    }
    EXPECT_EQ(s_nMenuCalls, 0);
    Run(gcDoConsoleOp::OP_RETURN_TO_BROWSER);
    EXPECT_EQ(s_nMenuCalls, 1);  // a hard reset, code 0, to the system menu
}

std::vector<char> Bytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class gcConsoleOpBlockTest : public EntityTest {};

// Every version holds the one field and is written back as version 1.
TEST_F(gcConsoleOpBlockTest, EveryVersionWritesBackAsVersion1)
{
    const auto write = [&](const char* name, uint32_t version) {
        return datagen::WriteObjectBlocksFile(m_data.HostPath(name), 259, [&](datagen::BlockWriter& w) {
            datagen::ActionBlock(w, version).Int(gcDoConsoleOp::OP_DISABLE_RESET).End();
        });
    };
    ASSERT_TRUE(write("v1.dat", 1));
    for (uint32_t version : {1u, 2u, 3u, 7u}) {
        ASSERT_TRUE(write("in.dat", version));
        const auto* p = dcast<gcDoConsoleOp>(cBase::Load("/in.dat", &m_pool, gcDoConsoleOp::GetStaticType()));
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(datagen::WriteObjectFile(m_data.HostPath("out.dat"), *p));
        EXPECT_EQ(Bytes(m_data.HostPath("out.dat")), Bytes(m_data.HostPath("v1.dat"))) << version;
    }
    const char* const texts[] = {"SetProgressive On", "SetProgressive Off", "Return To Browser", "SetAudioMono",
                                 "SetAudioStereo", "SetAudioSurround", "SetAudioDPL2", "DisableReset",
                                 "EnableReset", "???"};
    for (int32_t op = 0; op <= gcDoConsoleOp::MAX_OPS; ++op)
        EXPECT_EQ(Text(gcDoConsoleOp(op)), std::string("ConsoleOp( ") + texts[op] + " )");
    EXPECT_EQ(Text(gcDoConsoleOp(-1)), "ConsoleOp( ??? )");
}

}  // namespace
