#include "gcGameCore/actions/gcDoUISetSprite.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoUISetSprite, gcAction, 160)

cBase* gcDoUISetSprite::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoUISetSprite>(desiredWidget, sprite, hSprite) : nullptr;
}

void gcDoUISetSprite::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredWidget.Write(wb);
    wb.WriteInt(sprite);
    hSprite.Write(wb);
}

bool gcDoUISetSprite::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    const int32_t state = rb.ReadInt();
    eSpriteHandle h;
    h.Read(rb, pPool);
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    sprite = state;
    hSprite = h;
    return true;
}

void gcDoUISetSprite::GetText(char* pBuf) const
{
    const eSprite* pSprite = eSpriteMgr::GetPtr(hSprite);
    const char* sName = hSprite.IsNull() ? "none" : pSprite ? pSprite->m_name.m_sData : "???";
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".%s.SetSprite( [%s] )", gcUIControl::GetSpriteText(sprite), sName);
}

void gcDoUISetSprite::DoAction(const gcEventParams&) const
{
    // The state indexes the control's sprite slots: data outside them would
    // write past the array.
    if (sprite < 0 || sprite >= gcUIControl::MAX_SPRITES)
        return;
    if (gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>())
        pControl->m_hSprites[sprite] = hSprite;
}
