#include "gcGameCore/interface/gcUIItemControl.h"

#include <gtest/gtest.h>

#include "datagen/menuWriters.h"
#include "datagen/modelWriters.h"
#include "eEngine/eMesh.h"
#include "eEngine/eMeshData.h"
#include "gcGameCore/interface/gcUI.h"
#include "uiItemTestSupport.h"

namespace {

using IC = gcUIItemControl;
using W = gcUIWidget;

class gcUIItemControlTest : public UiItemTest {
protected:
    void TearDown() override
    {
        gcUI::Get()->m_nFocusedDialog = -1;
        UiItemTest::TearDown();
    }
    IC* Control(uint32_t flags)
    {
        IC* p = m_pool.New<IC>();
        p->m_nFlags = flags;
        p->m_pDialog = m_pDialog;
        return p;
    }
    void OnTop(bool bOnTop)
    {
        gcUI* pUI = gcUI::Get();
        pUI->m_dialogStack[0] = m_pDialog;
        pUI->m_nFocusedDialog = bOnTop ? 0 : -1;
    }
};

TEST_F(gcUIItemControlTest, TurnsOnTopAndSettlesTheShortWayOtherwise)
{
    const uint32_t kTurn = IC::kDefaultItemFlags;
    const struct {
        const char* why;
        uint32_t flags;
        bool onTop;
        float from, want;
    } rows[] = {
        {"turns 3 degrees", kTurn, true, 10.0f, 13.0f},
        {"past 180 it wraps", kTurn, true, 179.0f, -178.0f},
        {"not on top: 15 % back", kTurn, false, 100.0f, 85.0f},
        {"settles from below too", kTurn, false, -40.0f, -34.0f},
        {"the short way round", kTurn, false, 200.0f, 224.0f},
        {"below, with 0x80000: turns", kTurn | IC::kTurnsBelow, false, 0.0f, 3.0f},
        {"only focused, unfocused: settles", kTurn | IC::kTurnsFocused, true, 20.0f, 17.0f},
        {"only focused, focused: turns", kTurn | IC::kTurnsFocused | W::kFocused, true, 20.0f, 23.0f},
        {"not turning", kTurn & ~IC::kTurns, true, 20.0f, 17.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        OnTop(row.onTop);
        IC* p = Control(row.flags);
        p->m_fCurH = row.from;
        p->UpdateUI();
        EXPECT_FLOAT_EQ(p->m_fCurH, row.want);
    }
}

TEST_F(gcUIItemControlTest, DisabledModelsDrawAtAThirdOfTheOpacity)
{
    m_pDialog->m_fOpacity = 0.8f;
    const struct { uint32_t flags; float want; } rows[] = {
        {IC::kDefaultItemFlags, 0.4f}, {IC::kDefaultItemFlags & ~W::kEnabled, 0.4f * 0.33f}};
    for (const auto& row : rows) {
        IC* p = Control(row.flags);
        p->m_fOpacity = 0.5f;
        EXPECT_FLOAT_EQ(p->GetOpacity(), row.want);
    }
}

TEST_F(gcUIItemControlTest, ShowsTheSpecificItemElseTheOwnersAndCountsThem)
{
    gcItemTemplate* t1 = Template(1);
    gcItemTemplate* t2 = Template(2);
    gcItem *a = Item(t1, 3), *b = Item(t2), *c = Item(t1, 2);
    Carry({a, b, c});
    IC* p = Control(IC::kDefaultItemFlags);
    p->hItemTemplate = t1->m_handle;
    EXPECT_EQ(p->GetItemToShow(), a);
    EXPECT_EQ(p->GetItemCount(), 5) << "the stack counts of the template's items";
    p->pSpecificItem = c;
    EXPECT_EQ(p->GetItemToShow(), c);
    gcEventParams params;
    p->GetEventParams(params);
    EXPECT_EQ(params.pInitiator, c);
    p->pSpecificItem = nullptr;
    p->desiredEntity.desiredEntity = gcDesiredEntity::SPECIFIC;  // no entity: nothing, count 0
    EXPECT_EQ(p->GetItemToShow(), nullptr);
    EXPECT_EQ(p->GetItemCount(), 0);
}

TEST_F(gcUIItemControlTest, AttachNamesTakeTheirNodesInTurn)
{
    eMesh* pMesh = m_pool.New<eMesh>();
    eMeshNode nodes[4];
    const char* names[] = {"root", "hand", "back", "hand"};
    for (int i = 0; i < 4; ++i)
        nodes[i].name.Set("%s", names[i]);
    pMesh->m_pNodes = nodes;
    pMesh->m_nNodes = 4;
    cName hand, back, tail;
    hand.Set("hand"), back.Set("back"), tail.Set("tail");
    IC::AttachNodeSearch search;
    const struct { const cName* name; int want; } steps[] = {
        {&hand, 1}, {&back, 2}, {&hand, 3}, {&tail, -1}, {&hand, -1}, {&hand, 1},
    };
    for (const auto& s : steps)
        EXPECT_EQ(search.Next(*pMesh, *s.name), s.want) << s.name->m_sData;
    pMesh->m_pNodes = nullptr;
    pMesh->m_nNodes = 0;
}

// Versions 1 and 3 carry a word that is dropped; padding came with 5.
TEST_F(gcUIItemControlTest, OlderBlocksDropTheirWordAndLackThePadding)
{
    gcTestDataDir dir;
    IC src;
    src.desiredEntity.desiredEntity = gcDesiredEntity::SPECIFIC;
    src.desiredEntity.hSpecificEntity = gcEntityHandle(0x00120003);
    src.hItemTemplate = gcItemTemplateHandle(0x00340005);
    src.itemPadding[3] = 6.0f;
    for (uint32_t version = 0; version <= 5; ++version) {
        SCOPED_TRACE(version);
        gcTestLogCapture log;
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("ic.ui"), IC::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ItemControlBlock(w, src, version);
                                                   }));
        const auto* c = static_cast<IC*>(cBase::Load("/ic.ui", &m_pool, IC::GetStaticType()));
        if (version == 0) {
            EXPECT_EQ(c, nullptr);
            continue;
        }
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->desiredEntity.desiredEntity, gcDesiredEntity::SPECIFIC);
        EXPECT_EQ(c->desiredEntity.hSpecificEntity, src.desiredEntity.hSpecificEntity);
        EXPECT_EQ(c->hItemTemplate, src.hItemTemplate);
        EXPECT_EQ(c->itemPadding[3], version >= 5 ? 6.0f : 0.0f);
    }
}

}  // namespace
