#include "gcGameCore/actions/gcDoSkySet.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoSkySet, gcAction, 254)

cBase* gcDoSkySet::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoSkySet>(nSkin) : nullptr;
}

void gcDoSkySet::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(nSkin);
}

bool gcDoSkySet::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    const int32_t skin = rb.ReadInt();
    if (rb.Failed())
        return false;
    nSkin = skin;
    return true;
}

void gcDoSkySet::GetText(char* pBuf) const
{
    gcScriptText::AppendF(pBuf, "SkySet( %lld )", static_cast<long long>(nSkin) + 1);
}

void gcDoSkySet::DoAction(const gcEventParams&) const
{
    // The sky keeps four skins; another index would leave it drawing a skin
    // it does not have.
    if (gcMap* pMap = gcMap::s_pMap; pMap && nSkin >= 0 && nSkin < eSky::kNumSkins)
        pMap->m_sky.m_nCurSkin = nSkin;
}
