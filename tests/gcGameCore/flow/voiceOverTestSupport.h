#pragma once
// Voice-over tests on the mixer: a game whose voice-over control is a
// control of an open-able dialog, voice-overs with audio-memory samples in
// the manager's slots, and the sounds each channel group plays.

#include <memory>
#include <vector>

#include "datagen/dialogWriters.h"
#include "eEngine/eAudioTestUtil.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcVoiceOver.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

class gcVoiceOverTestBase : public eAudioTest {
protected:
    static constexpr int kDialogSlot = 290;

    void SetUp() override
    {
        eAudioTest::SetUp();
        TestLog().clear();
        m_pGame = m_ui.New<gcGame>();
        datagen::GridDialogDesc grid;
        grid.rows = 1, grid.cols = 1, grid.flags = 0;
        m_pDialog = datagen::NewGridDialog(&m_ui, grid);
        ASSERT_NE(m_pDialog, nullptr);
        m_pControl = dcast<gcUIControl>(m_pDialog->m_pControls[0]);
        ASSERT_NE(m_pControl, nullptr);
        m_pGame->m_voDesiredWidget.hDialog = gcUIDialogMgr::Add(kDialogSlot, m_pDialog, 0x0D0D);
        m_pGame->m_voDesiredWidget.hControl = m_pControl->GetWidgetHandle();
    }
    void TearDown() override
    {
        gcUI::Get()->CloseAllDialogs(false);
        gcUIDialogMgr::Remove(kDialogSlot);
        for (int slot : m_slots)
            gcVoiceOverMgr::Remove(slot);  // releases the samples
        std::destroy_at(m_pGame);
        m_ui.Reset();
        eAudioTest::TearDown();
    }
    // A voice-over of lengthTicks with samples of its own and the text
    // handle, in the slot.
    gcVoiceOver* MakeVoiceOver(int slot, int32_t lengthTicks, uint32_t hString = 0x00330022)
    {
        gcVoiceOver* p = m_ui.New<gcVoiceOver>();
        eSoundWaveData* w = m_ui.New<eSoundWaveData>();
        const uint32_t address = eAudioPlatform::AllocARAM(64);
        w->m_nStartAddress = address * 2;
        w->m_nEndAddress = address * 2 + 127;
        w->m_nByteSize = 64;
        p->m_soundData.m_pWaveData = w;
        p->m_soundData.m_length = lengthTicks;
        p->m_soundData.m_nFrequency = 32000;
        p->m_hString = gcStringHandle(hString);
        gcVoiceOverMgr::Add(slot, p, static_cast<uint16_t>(0x100 + slot));
        m_slots.push_back(slot);
        return p;
    }
    static std::vector<const eSoundData*> SoundsOf(eAudio::eAudioChannelGroup group)
    {
        std::vector<const eSoundData*> out;
        for (const eAudioChannel& c : eAudio::s_channels)
            if (c.nGroup == group && c.pSound)
                out.push_back(c.pSound);
        return out;
    }
    bool DialogOpen() const { return gcUI::Get()->FindDialog(m_pDialog) >= 0; }

    cMemPool m_ui{"gcVoiceOverTest", 0x80000, false};
    gcGame* m_pGame = nullptr;
    gcUIDialog* m_pDialog = nullptr;
    gcUIControl* m_pControl = nullptr;
    std::vector<int> m_slots;
};
