#pragma once
// What the item-control and item-list tests share: item templates in the
// template manager's slots, items of them carried in a ring by an entity
// that stands for the player, all in the test's pool and let go (never
// destroyed) afterwards.

#include <vector>

#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/entityTestTypes.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "uiTestSupport.h"

class UiItemTest : public UiTest {
protected:
    void SetUp() override
    {
        UiTest::SetUp();
        m_pOwner = m_pool.New<gcTestEntity>();
        gcPlayer::Get()->m_pEntity = m_pOwner;
    }
    void TearDown() override
    {
        gcPlayer::Get()->m_pEntity = nullptr;
        for (int slot : m_slots)
            gcItemTemplateMgr::s_pInstances[slot] = nullptr;
        UiTest::TearDown();
    }
    gcItemTemplate* Template(int slot, uint32_t nCategories = 0x1)
    {
        gcItemTemplate* p = m_pool.New<gcItemTemplate>();
        p->m_nCategoryMask = nCategories;
        gcItemTemplateMgr::Add(slot, p, static_cast<uint16_t>(0x40 + slot));
        m_slots.push_back(slot);
        return p;
    }
    gcItem* Item(const gcItemTemplate* pTemplate, int nCount = 1)
    {
        gcItem* p = m_pool.New<gcItem>();
        p->m_hTemplate = pTemplate->m_handle;
        p->m_nCount = nCount;
        return p;
    }
    // The items as the owner's ring, in this order.
    void Carry(std::vector<gcItem*> items)
    {
        m_pOwner->m_pItems = items.empty() ? nullptr : items[0];
        const size_t n = items.size();
        for (size_t i = 0; i < n; ++i) {
            items[i]->m_pParentEntity = m_pOwner;
            items[i]->m_pNextSiblingItem = items[(i + 1) % n];
            items[i]->m_pPrevSiblingItem = items[(i + n - 1) % n];
        }
    }

    gcTestEntity* m_pOwner = nullptr;
    std::vector<int> m_slots;
};
