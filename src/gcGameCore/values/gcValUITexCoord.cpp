#include "gcGameCore/values/gcValUITexCoord.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eSprite.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValUITexCoord, gcLValue, 186)

cBase* gcValUITexCoord::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValUITexCoord>(desiredWidget, sprite, texCoord) : nullptr;
}

void gcValUITexCoord::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredWidget.Write(wb);
    wb.WriteInt(sprite);
    wb.WriteInt(texCoord);
}

bool gcValUITexCoord::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredWidget widget;
    widget.Read(rb, pPool);
    const int32_t state = rb.ReadInt();
    const int32_t coord = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredWidget = widget;
    sprite = state;
    texCoord = coord;
    return true;
}

float* gcValUITexCoord::Resolve() const
{
    if (sprite < 0 || sprite >= gcUIControl::MAX_SPRITES || texCoord < 0 || texCoord >= MAX_TEXCOORDS)
        return nullptr;
    const gcUIControl* pControl = desiredWidget.GetControlAs<gcUIControl>();
    eSprite* pSprite = pControl ? eSpriteMgr::GetPtr(pControl->m_hSprites[sprite]) : nullptr;
    if (!pSprite)
        return nullptr;
    mVec2& corner = texCoord < TEXCOORD2_U ? pSprite->m_texCoord1 : pSprite->m_texCoord2;
    return &corner[texCoord % 2];  // U, then V
}

float gcValUITexCoord::Get(const gcEventParams&) const
{
    const float* p = Resolve();
    return p ? *p : 0.0f;
}

void gcValUITexCoord::GetText(char* pBuf) const
{
    desiredWidget.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".%s.%s", gcUIControl::GetSpriteText(sprite), GetTexCoordText(texCoord));
}

void gcValUITexCoord::Set(float fValue, const gcEventParams&)
{
    if (float* p = Resolve())
        *p = fValue;
}

const char* gcValUITexCoord::GetTexCoordText(int32_t coord)
{
    static const char* const s_texts[MAX_TEXCOORDS] = {"TexCoord1.U", "TexCoord1.V", "TexCoord2.U", "TexCoord2.V"};
    return coord >= 0 && coord < MAX_TEXCOORDS ? s_texts[coord] : "???";
}
