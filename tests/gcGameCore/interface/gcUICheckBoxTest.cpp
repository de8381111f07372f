#include "gcGameCore/interface/gcUICheckBox.h"

#include <gtest/gtest.h>

#include "datagen/menuWriters.h"
#include "datagen/modelWriters.h"
#include "uiTestSupport.h"

namespace {

using CB = gcUICheckBox;
using C = gcUIControl;
constexpr int kSpriteSlot = 580;  // out of the data's way

class gcUICheckBoxTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        for (int i = 0; i < 7; ++i)
            m_h[i] = eSpriteMgr::Add(kSpriteSlot + i, &m_sprites[i], static_cast<uint16_t>(0x100 + i));
    }
    void TearDown() override
    {
        for (int i = 0; i < 7; ++i)
            eSpriteMgr::s_pInstances[kSpriteSlot + i] = nullptr;
        UiTest::TearDown();
    }
    // Sprites 0-3 are the control's four, 4-6 the three checked ones; a bit
    // of the masks gives the slot its sprite.
    CB* Box(uint32_t controlMask, uint32_t checkedMask)
    {
        CB* p = m_pool.New<CB>();
        for (int i = 0; i < C::MAX_SPRITES; ++i)
            if (controlMask & (1u << i))
                p->m_hSprites[i] = m_h[i];
        for (int i = 0; i < CB::MAX_CHECKEDSPRITES; ++i)
            if (checkedMask & (1u << i))
                p->m_hCheckedSprites[i] = m_h[4 + i];
        return p;
    }
    int Index(const eSprite* p) const { return p ? static_cast<int>(p - m_sprites) : -1; }

    eSprite m_sprites[7];
    eSpriteHandle m_h[7];
};

TEST_F(gcUICheckBoxTest, ChecksOnlyOnChangeWithDefaultParameters)
{
    CB* p = Box(0, 0);
    Record(p->onChecked, 1);
    Record(p->onUnchecked, 2);
    const struct { bool check; std::vector<int32_t> tags; bool checked; } steps[] = {
        {false, {}, false}, {true, {1}, true}, {true, {1}, true}, {false, {1, 2}, false}, {false, {1, 2}, false},
    };
    for (const auto& s : steps) {
        p->Check(s.check);
        EXPECT_EQ(TestLogTags(), s.tags);
        EXPECT_EQ(p->IsChecked(), s.checked);
    }
    EXPECT_EQ(p->m_nFlags & ~CB::kChecked, C::kDefaultControlFlags) << "only the checked bit changes";
}

TEST_F(gcUICheckBoxTest, ChoosesCheckedSpritesWithFallbacks)
{
    using W = gcUIWidget;
    const struct {
        const char* why;
        uint32_t flags;
        uint32_t controlMask, checkedMask;
        int sprite, overlay;
    } rows[] = {
        {"checked", C::kDefaultControlFlags | CB::kChecked, 0xF, 0x7, 4, 6},
        {"unchecked: the control's", C::kDefaultControlFlags, 0xF, 0x7, 0, 6},
        {"checked, disabled", (C::kDefaultControlFlags & ~W::kEnabled) | CB::kChecked, 0xF, 0x7, 5, 6},
        {"checked, disabled, none: the control's disabled", (C::kDefaultControlFlags & ~W::kEnabled) | CB::kChecked,
         0xF, 0x5, 1, 6},
        {"checked, focused", C::kDefaultControlFlags | CB::kChecked | W::kFocused, 0xF, 0x7, 6, 6},
        {"checked, focused, overlay: checked below", C::kDefaultControlFlags | CB::kChecked | W::kFocused |
             C::kFocusOverlay, 0xF, 0x7, 4, 6},
        {"checked without checked sprites looks unchecked", C::kDefaultControlFlags | CB::kChecked, 0xF, 0, 0, 3},
        {"no control sprite: the first checked one", C::kDefaultControlFlags, 0, 0x6, 5, 6},
        {"nothing at all", C::kDefaultControlFlags | CB::kChecked, 0, 0, -1, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        CB* p = Box(row.controlMask, row.checkedMask);
        p->m_nFlags = row.flags;
        EXPECT_EQ(Index(p->GetSpriteToDraw()), row.sprite);
        EXPECT_EQ(Index(p->GetFocusedSpriteToDraw()), row.overlay);
    }
}

// Versions 1 to 3 are the control alone: default events, no checked sprites.
TEST_F(gcUICheckBoxTest, OlderBlocksHoldTheControlOnly)
{
    gcTestDataDir dir;
    CB* src = Box(0x1, 0x7);
    src->m_nFlags |= CB::kChecked;
    for (uint32_t version = 0; version <= 4; ++version) {
        SCOPED_TRACE(version);
        gcTestLogCapture log;
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("cb.ui"), CB::GetStaticType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::CheckBoxBlock(w, *src, version, 5);
                                                   }));
        const auto* b = static_cast<CB*>(cBase::Load("/cb.ui", &m_pool, CB::GetStaticType()));
        if (version == 0) {
            EXPECT_EQ(b, nullptr);
            continue;
        }
        ASSERT_NE(b, nullptr);
        EXPECT_TRUE(b->IsChecked()) << "the state travels with the flags";
        EXPECT_EQ(b->m_hSprites[0], m_h[0]);
        for (int i = 0; i < CB::MAX_CHECKEDSPRITES; ++i)
            EXPECT_EQ(b->m_hCheckedSprites[i], version >= 4 ? m_h[4 + i] : eSpriteHandle()) << i;
    }
}

}  // namespace
