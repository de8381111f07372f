#include "gcGameCore/interface/gcUICheckBox.h"

#include <algorithm>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcEventStackData.h"

QM_DEFINE_TYPE(gcUICheckBox, gcUIControl, 156)

gcUICheckBox::gcUICheckBox() : onChecked("OnChecked", m_name.m_sData), onUnchecked("OnUnchecked", m_name.m_sData) {}

gcUICheckBox::gcUICheckBox(const gcUICheckBox& other)
    : gcUIControl(other), onChecked(other.onChecked, m_name.m_sData), onUnchecked(other.onUnchecked, m_name.m_sData)
{
    std::copy(std::begin(other.m_hCheckedSprites), std::end(other.m_hCheckedSprites), m_hCheckedSprites);
}

cBase* gcUICheckBox::Copy(cMemPool* pPool) const
{
    gcUICheckBox* pCopy = KeepWholeCopy(pPool ? pPool->New<gcUICheckBox>(*this) : nullptr, *this);
    return gcEvent::KeepWhole(pCopy, *this, &gcUICheckBox::onChecked, &gcUICheckBox::onUnchecked);
}

void gcUICheckBox::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIControl::Write(file);
    onChecked.Write(file);
    onUnchecked.Write(file);
    wb.WriteInt(static_cast<int32_t>(MAX_CHECKEDSPRITES));
    for (const eSpriteHandle& h : m_hCheckedSprites)
        h.Write(wb);
}

bool gcUICheckBox::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUICheckBox", "version");
    if (!gcUIControl::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    // Before version 4 the box stored nothing of its own.
    if (rb.m_nVersion < 4) {
        rb.SkipToEnd();
        return true;
    }
    gcEvent checked;
    gcEvent unchecked;
    if (!checked.Read(file, pPool) || !unchecked.Read(file, pPool))
        return rb.Reject("gcUICheckBox", "event block");
    const int32_t nSprites = rb.ReadInt();
    if (nSprites < 0)
        return rb.Reject("gcUICheckBox", "checked sprite count");
    eSpriteHandle hSprites[MAX_CHECKEDSPRITES];
    for (int32_t i = 0; i < nSprites && !rb.Failed(); ++i) {
        const uint32_t h = rb.ReadUInt();
        if (i < MAX_CHECKEDSPRITES)
            hSprites[i].m_nValue = h;
    }
    if (rb.Failed())
        return false;
    std::swap(onChecked.pAction, checked.pAction);
    std::swap(onUnchecked.pAction, unchecked.pAction);
    std::copy(std::begin(hSprites), std::end(hSprites), m_hCheckedSprites);
    return true;
}

void gcUICheckBox::Check(bool bCheck)
{
    if (bCheck == IsChecked())
        return;
    m_nFlags = bCheck ? (m_nFlags | kChecked) : (m_nFlags & ~kChecked);
    // The box's own event parameters are not consulted.
    gcEventStackData frame;
    (bCheck ? onChecked : onUnchecked).Apply(gcEventParams(), frame);
}

eSprite* gcUICheckBox::GetSpriteToDraw() const
{
    if (IsChecked()) {
        int index = SPR_CHECKED;
        if (!(m_nFlags & kEnabled))
            index = SPR_CHECKED_DISABLED;
        else if ((m_nFlags & kFocused) && !(m_nFlags & kFocusOverlay))
            index = SPR_CHECKED_FOCUSED;
        if (eSprite* pSprite = eSpriteMgr::GetPtr(m_hCheckedSprites[index]))
            return pSprite;
    }
    if (eSprite* pSprite = gcUIControl::GetSpriteToDraw())
        return pSprite;
    for (const eSpriteHandle& h : m_hCheckedSprites)
        if (eSprite* pSprite = eSpriteMgr::GetPtr(h))
            return pSprite;
    return nullptr;
}

eSprite* gcUICheckBox::GetFocusedSpriteToDraw() const
{
    if (eSprite* pSprite = eSpriteMgr::GetPtr(m_hCheckedSprites[SPR_CHECKED_FOCUSED]))
        return pSprite;
    return gcUIControl::GetFocusedSpriteToDraw();
}
