// The sample game's player as the headless run plays it: the map's start
// puts the biped on the west end of the road, its control script walks,
// jumps and runs it from the scripted controller input, the camera follows
// it, turns to the shed by the trigger, and the east gate leads to the
// next map; nothing is left in the pools.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/ar.h"
#include "platform/pad.h"
#include "../test/pad_test.h"
#include "platform/vi.h"
#include "../test/audio_test.h"
#include "../test/os_test.h"
#include "datagen/datagen.h"
#include "datagen/samplePlayer.h"
#include "eEngine/eAudioPlatform.h"
#include "eEngine/eVideoTestUtil.h"
#include "gcFlowTestSupport.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/creatures/gcPlayerBiped.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcMapLoader.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcPlayerConfig.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcStateMachine.h"
#include "tempDir.h"

namespace {

// What the player was doing on one tick of its control script.
struct Sample {
    int8_t state;
    mVec3 pos;  // in its region's frame
    int16_t region;
    mVec3 cameraPos;
};

// The input's frames are retraces since the video started: a test plays
// them from now on.
std::string FromNow(const std::string& input)
{
    std::istringstream in(input);
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t end = 0;
        const unsigned long frame = std::stoul(line, &end);
        out << frame + VIGetRetraceCount() << line.substr(end) << "\n";
    }
    return out.str();
}

std::vector<Sample>& Samples()
{
    static std::vector<Sample> s_samples;
    return s_samples;
}

// Runs after the control step on every tick of the player's script.
class RecordPlayer : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        gcPlayerBiped* p = dcast<gcPlayerBiped>(gcPlayer::Get()->m_pEntity);
        if (!p)
            return;
        Samples().push_back({p->m_nCurState, p->m_model.m_localToParent.origin, p->m_nRegionId,
                             gcGameCamera::Get()->GetPos()});
    }
};

class DbgEnd : public gcAction {
public:
    void DoAction(const gcEventParams&) const override
    {
        gcPlayerBiped* p = dcast<gcPlayerBiped>(gcPlayer::Get()->m_pEntity);
        if (!p) { printf("DBG end: no player\n"); return; }
        const mVec3 o = p->m_model.m_localToParent.origin;
        const mVec3 c = gcGameCamera::Get()->GetPos();
        printf("DBG zone0 %p\n", (void*)gcEntityWorld::GetRegionZone(0));
        printf("DBG end flags %x region %d state %d si %d pos %g %g %g cam %g %g %g\n", p->m_nEntityFlags, p->m_nRegionId, p->m_nCurState, p->m_stateInfo.m_nCurState, o.x, o.y, o.z, c.x, c.y, c.z);
    }
};

class gcSamplePlayerTest : public DrawingTest<gcFlowTest> {
protected:
    void SetUp() override
    {
        DrawingTest<gcFlowTest>::SetUp();
        if (IsSkipped())
            return;
        static TempDir s_settings("qm_sample_player");
        if (!ARCheckInit()) {
            OSTestSetSettingsDir(s_settings.c_str());
            AITestSetManualFrames(TRUE);
            ASSERT_TRUE(eAudioPlatform::Initialize());
        }
        ASSERT_TRUE(datagen::WriteSampleGame(m_dir.HostPath("")));
        ASSERT_TRUE(gcGame::LoadBackground());
        Samples().clear();
    }
    void TearDown() override
    {
        VISetFrameLimit(0);
        PADTestSetScripted(false);
        if (gcAct::s_pAct)
            std::destroy_at(gcAct::s_pAct);
        DrawingTest<gcFlowTest>::TearDown();
    }

    // Plays the input file's text for the frames, recording the player
    // each tick through the control machine.
    void Play(const std::string& input, uint32_t nFrames, int nMap = 0)
    {
        const std::string path = m_dir.HostPath("input.txt");
        std::ofstream(path) << FromNow(input);
        ASSERT_TRUE(PADLoadReplay(path.c_str()));
        ASSERT_TRUE(gcMapLoader::Get()->Load(0, 0, nMap));
        gcStateMachine* pControl =
            gcStateMachineMgr::GetPtr(gcStateMachineMgr::GetHandle(datagen::kSamplePlayerControlSlot));
        ASSERT_NE(pControl, nullptr);
        RecordPlayer record;
        gcAction** ppLast = &pControl->onUpdate.pAction;
        while (*ppLast)
            ppLast = &(*ppLast)->pNextAction;
        *ppLast = &record;
        {
            gcEntity* e = gcPlayer::Get()->m_pEntity;
            printf("DBG entity %p type %s\n", (void*)e, e ? e->GetType()->m_sTypeName : "-");
            if (e) printf("DBG machine %p flags %x tmpl %p hsm %x\n", (void*)e->m_stateInfo.m_pStateMachine, e->m_nEntityFlags, (void*)e->GetTemplate(), e->GetTemplate() ? e->GetTemplate()->hStateMachine.m_nValue : 0);
            printf("DBG control %p\n", (void*)pControl);
            for (const gcAction* a = gcMap::s_pMap->m_onMapStarted.pAction; a; a = a->pNextAction) {
                char buf[512] = {};
                a->GetText(buf);
                printf("DBG action %s\n", buf);
            }
        }
        DbgEnd dbg;
        gcPlayerConfig::s_pPlayerConfig->onMapEnded.pAction = &dbg;
        DbgEnd dbg2;
        gcPlayerConfig::s_pPlayerConfig->onMapStarted.pAction = &dbg2;
        VISetFrameLimit(nFrames);
        gcMap::s_pMap->Run();
        *ppLast = nullptr;
    }

    gcTestLogCapture m_log;
};

TEST_F(gcSamplePlayerTest, Diagnose)
{
    Play(datagen::SamplePlayerInputText(), 300);
    ASSERT_FALSE(Samples().empty());
    for (size_t i = 0; i < Samples().size(); i += 10) {
        const Sample& s = Samples()[i];
        printf("%zu state %d region %d pos %g %g %g cam %g %g %g\n", i, s.state, s.region, s.pos.x, s.pos.y, s.pos.z,
               s.cameraPos.x, s.cameraPos.y, s.cameraPos.z);
    }
    for (const auto& line : m_log.m_lines)
        printf("%d %s\n", line.first, line.second.c_str());
}

}  // namespace
