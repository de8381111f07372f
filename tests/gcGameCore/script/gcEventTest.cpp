#include "gcGameCore/script/gcEvent.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cCore/cFile.h"
#include "datagen/blockWriter.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/actions/gcDoCameraEffect.h"
#include "gcGameCore/actions/gcDoEntityDamage.h"
#include "gcGameCore/actions/gcDoEntityMoveTo.h"
#include "gcGameCore/actions/gcDoEntitySendMessage.h"
#include "gcGameCore/actions/gcDoRegionLoad.h"
#include "gcGameCore/creatures/gcCreatureAttack.h"
#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "gcGameCore/interface/gcUIWidgetGroup.h"
#include "gcGameCore/interface/gcUICheckBox.h"
#include "gcGameCore/interface/gcUIControl.h"
#include "gcGameCore/interface/gcUIItemList.h"
#include "gcGameCore/script/gcAnimationConfig.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcScriptTestObjects.h"

namespace {

using Tags = std::vector<int32_t>;

class gcEventTest : public testing::Test {
protected:
    void SetUp() override { TestLog().clear(); }
    cMemPool m_pool{"gcEventTest", 0x20000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
};

TEST_F(gcEventTest, EventWithoutActionsReturnsZeroAndLeavesTheFrame)
{
    gcEvent event("OnNothing", "Owner");
    gcEventStackData frame(1.0f, 2.0f);
    frame.fRetVal = 7.0f;
    frame.nFlags = gcEventStackData::kReturn;
    EXPECT_EQ(event.Apply(gcEventParams(), frame), 0.0f);
    EXPECT_EQ(frame.fRetVal, 7.0f);
    EXPECT_EQ(frame.nFlags, gcEventStackData::kReturn);
}

TEST_F(gcEventTest, ReturnStopsTheEventAndSetsRetValWhenItHasAValue)
{
    for (const bool bValue : {true, false}) {
        SCOPED_TRACE(bValue);
        TestLog().clear();
        gcEvent event("OnTest", "Owner");
        FillEvent(event, b.Record(1), b.Return(bValue ? b.Num(2.5f) : nullptr), b.Record(2));
        gcEventStackData frame;
        frame.fRetVal = 1.0f;
        frame.nFlags = gcEventStackData::kReturn | 0x10;  // a stale stop bit is cleared first
        EXPECT_EQ(event.Apply(gcEventParams(), frame), bValue ? 2.5f : 1.0f);
        EXPECT_EQ(TestLogTags(), Tags{1});
        EXPECT_EQ(frame.nFlags, gcEventStackData::kReturn | 0x10);
    }
}

class gcNestingAction : public gcAction {
public:
    void DoAction(const gcEventParams& params) const override
    {
        const gcEvent* pEvent = gcEvent::s_pCurEvent;
        gcEventStackData* pFrame = gcEvent::s_pCurEventStackData;
        gcEventStackData innerFrame(9.0f, 8.0f);
        m_fInner = m_pInner->Apply(gcEventParams(), innerFrame);
        m_bRestored = gcEvent::s_pCurEvent == pEvent && gcEvent::s_pCurEventParams == &params &&
                      gcEvent::s_pCurEventStackData == pFrame && gcAction::s_pCurAction == this;
    }
    const gcEvent* m_pInner = nullptr;
    mutable float m_fInner = 0.0f;
    mutable bool m_bRestored = false;
};

TEST_F(gcEventTest, NestedApplicationRestoresParametersFrameAndAction)
{
    gcEvent inner("OnInner", "Callee");
    FillEvent(inner, b.Record(20), b.Return(b.Num(4.0f)));
    gcEvent outer("OnOuter", "Caller");
    gcNestingAction* pNest = m_pool.New<gcNestingAction>();
    pNest->m_pInner = &inner;
    FillEvent(outer, b.Record(10), pNest, b.Record(11));
    gcEventStackData frame(1.0f, 2.0f);
    EXPECT_EQ(outer.Apply(gcEventParams(), frame), 0.0f);  // the inner return stops only the inner event
    EXPECT_EQ(TestLogTags(), (Tags{10, 20, 11}));
    EXPECT_EQ(TestLog()[1].fParam1, 9.0f);
    EXPECT_EQ(TestLog()[2].fParam1, 1.0f);
    EXPECT_EQ(pNest->m_fInner, 4.0f);
    EXPECT_TRUE(pNest->m_bRestored);
    EXPECT_EQ(gcEvent::s_pCurEvent, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventParams, nullptr);
    EXPECT_EQ(gcEvent::s_pCurEventStackData, nullptr);
    EXPECT_EQ(gcAction::s_pCurAction, nullptr);
}

TEST_F(gcEventTest, SelfApplyingEventStopsAtTheNestingLimit)
{
    gcTestLogCapture log;
    gcEvent event("OnSelf", "Owner");
    gcNestingAction* pNest = m_pool.New<gcNestingAction>();
    pNest->m_pInner = &event;
    FillEvent(event, b.Record(1), pNest);
    gcEventStackData frame;
    event.Apply(gcEventParams(), frame);
    EXPECT_EQ(TestLog().size(), 64u);
    EXPECT_EQ(log.Count(LOGTYPE_ERROR, "nested 64 deep"), 1);
    TestLog().clear();
    event.Apply(gcEventParams(), frame);  // the depth was unwound: as deep again
    EXPECT_EQ(TestLog().size(), 64u);
}

class gcReportAction : public gcAction {
public:
    void DoAction(const gcEventParams&) const override { gcEvent::InterceptMsg("Trouble", m_sReport, nullptr); }
    mutable char m_sReport[gcEvent::kReportSize];
};

TEST_F(gcEventTest, InterceptMsgOutsideAnEventStaysWithinItsBuffer)
{
    const auto previous = gcEvent::SetLocationFunc([](int* pAct, int* pMap, int* pRegion) {
        *pAct = 1, *pMap = 0, *pRegion = 0;
        return true;
    });
    std::vector<char> buf(gcEvent::kReportSize + 64, '\xAA');
    gcEvent::InterceptMsg(nullptr, buf.data(), nullptr);
    const std::string report(buf.data());
    EXPECT_TRUE(report.starts_with("Initiator: <none> <<none>>\r\n")) << report;
    EXPECT_TRUE(report.ends_with("RetVal: 0.000000\r\nAct: 2/Map: 1/Region: 1")) << report;
    const std::string title(3000, 't');
    gcEvent::InterceptMsg(title.c_str(), buf.data(), nullptr);
    gcEvent::SetLocationFunc(previous);
    EXPECT_EQ(std::strlen(buf.data()), gcEvent::kReportSize - 1);
    EXPECT_EQ(std::count(buf.begin() + gcEvent::kReportSize, buf.end(), '\xAA'), 64);
}

// The events of an object of class T, as members of it.
using EventsOf = std::function<std::vector<const gcEvent*>(const cBase*)>;
template <class T, class... Members>
EventsOf Events(Members... members)
{
    return [=](const cBase* p) { return std::vector<const gcEvent*>{&(static_cast<const T*>(p)->*members)...}; };
}

// A dialog with a control in its one cell: the dialog's events, then the
// control's confirm event (an empty one when the control is missing).
cBase* DialogWithControl(cMemPool& pool)
{
    gcUIDialog* p = pool.New<gcUIDialog>();
    gcUIControl* pControl = pool.New<gcUIControl>();
    if (!p || !pControl || !p->m_widgetGroup.SetDimensions(1, 1))
        return nullptr;
    p->m_widgetGroup.InsertInDrawOrder(0, pControl, nullptr);
    return p;
}

std::vector<const gcEvent*> DialogEvents(const cBase* pBase)
{
    static const gcEvent s_none;
    const gcUIDialog* p = static_cast<const gcUIDialog*>(pBase);
    const gcUIControl* pControl = dcast<const gcUIControl>(p->m_widgetGroup.GetCellWidget(0, 0));
    return {&p->onShown,    &p->onHidden,         &p->onConfirm,      &p->onBack,
            &p->onFocused,  &p->onUnFocused,      &p->onUpdateUI,     &p->onUpdate,
            &p->onInitialUpdate, &p->onFocusChanged, pControl ? &pControl->onConfirm : &s_none};
}

// A group with a control in its one cell: its confirm event, then the
// control's (an empty one when the control is missing).
cBase* GroupWithControl(cMemPool& pool)
{
    gcUIWidgetGroup* p = pool.New<gcUIWidgetGroup>();
    gcUIControl* pControl = pool.New<gcUIControl>();
    if (!p || !pControl || !p->SetDimensions(1, 1))
        return nullptr;
    p->InsertInDrawOrder(0, pControl, nullptr);
    return p;
}

std::vector<const gcEvent*> GroupEvents(const cBase* pBase)
{
    static const gcEvent s_none;
    const gcUIWidgetGroup* p = static_cast<const gcUIWidgetGroup*>(pBase);
    const gcUIControl* pControl = dcast<const gcUIControl>(p->GetCellWidget(0, 0));
    return {&p->onConfirm, pControl ? &pControl->onConfirm : &s_none};
}

// An attack's own events, then those of the animation it embeds.
std::vector<const gcEvent*> AttackEvents(const cBase* pBase)
{
    const gcCreatureAttack* p = static_cast<const gcCreatureAttack*>(pBase);
    const gcAnimationConfig& a = p->animationConfig;
    return {&p->onAttackHit, &p->calcDuration, &a.onStarted, &a.onStopped, &a.onUpdated, &a.onCompleted};
}

// Copied into a pool with any amount of room left, an event, or an action,
// entity or widget owning events, is whole (every action of every event
// copied) or there is no copy: a script never loses an action on the way.
TEST_F(gcEventTest, CopiesOfEventsAndTheirOwnersAreWholeOrNone)
{
    const struct {
        const char* name;
        cBase* pOriginal;
        EventsOf events;
    } rows[] = {
        {"event", m_pool.New<gcEvent>("OnTest", "Owner"),
         [](const cBase* p) { return std::vector<const gcEvent*>{static_cast<const gcEvent*>(p)}; }},
        {"region load", m_pool.New<gcDoRegionLoad>(),
         Events<gcDoRegionLoad>(&gcDoRegionLoad::onPreRegionLoad, &gcDoRegionLoad::onPostRegionLoad)},
        {"damage", m_pool.New<gcDoEntityDamage>(),
         Events<gcDoEntityDamage>(&gcDoEntityDamage::calcDamage, &gcDoEntityDamage::calcDuration)},
        {"send message", m_pool.New<gcDoEntitySendMessage>(),
         Events<gcDoEntitySendMessage>(&gcDoEntitySendMessage::validateSend)},
        {"camera effect", m_pool.New<gcDoCameraEffect>(), Events<gcDoCameraEffect>(&gcDoCameraEffect::onCompleted)},
        {"move to", m_pool.New<gcDoEntityMoveTo>(), Events<gcDoEntityMoveTo>(&gcDoEntityMoveTo::onCompleted)},
        {"device", m_pool.New<gcDevice>(),
         Events<gcDevice>(&gcDevice::onInteract, &gcDevice::onDeath, &gcDevice::onFaded)},
        {"control", m_pool.New<gcUIControl>(), Events<gcUIControl>(&gcUIControl::onConfirm, &gcUIControl::onUpdate)},
        {"check box", m_pool.New<gcUICheckBox>(),
         Events<gcUICheckBox>(&gcUICheckBox::onBack, &gcUICheckBox::onChecked, &gcUICheckBox::onUnchecked)},
        {"item list", m_pool.New<gcUIItemList>(),
         Events<gcUIItemList>(&gcUIItemList::onShown, &gcUIItemList::onSelectionChange)},
        {"region trigger", m_pool.New<gcRegionTrigger>(),
         Events<gcRegionTrigger>(&gcRegionTrigger::onEnter, &gcRegionTrigger::onInside, &gcRegionTrigger::onExit)},
        {"dialog", DialogWithControl(m_pool), DialogEvents},
        {"widget group", GroupWithControl(m_pool), GroupEvents},
        {"surface", m_pool.New<gcSurface>(), Events<gcSurface>(&gcSurface::onAttacked, &gcSurface::onTouched)},
        {"animation config", m_pool.New<gcAnimationConfig>(),
         Events<gcAnimationConfig>(&gcAnimationConfig::onStarted, &gcAnimationConfig::onStopped,
                                   &gcAnimationConfig::onUpdated, &gcAnimationConfig::onCompleted)},
        {"creature attack", m_pool.New<gcCreatureAttack>(), AttackEvents},
    };
    const auto length = [](const gcEvent* p) {
        int n = 0;
        for (const gcAction* a = p->pAction; a; a = a->pNextAction)
            ++n;
        return n;
    };
    gcTestLogCapture quiet;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.pOriginal, nullptr);
        const std::vector<const gcEvent*> original = row.events(row.pOriginal);
        for (const gcEvent* p : original)
            FillEvent(*const_cast<gcEvent*>(p), b.Record(1), b.Record(2));
        int nWhole = 0, nNone = 0;
        for (size_t nRoom = 0; nRoom <= 0x2000; nRoom += 8) {
            cMemPool tight("tight", 0x4000, false);
            ASSERT_NE(tight.Alloc(tight.Capacity() - nRoom, 1), nullptr);
            cBase* pCopy = row.pOriginal->Copy(&tight);
            if (!pCopy) {
                ++nNone;
                continue;
            }
            ++nWhole;
            const std::vector<const gcEvent*> copied = row.events(pCopy);
            for (size_t i = 0; i < copied.size(); ++i)
                EXPECT_EQ(length(copied[i]), length(original[i])) << nRoom << " bytes of room, event " << i;
            std::destroy_at(pCopy);
        }
        EXPECT_GT(nWhole, 0);
        EXPECT_GT(nNone, 0);
        std::destroy_at(row.pOriginal);
    }
}

}  // namespace
