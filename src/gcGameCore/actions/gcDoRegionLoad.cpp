#include "gcGameCore/actions/gcDoRegionLoad.h"

#include <algorithm>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoRegionLoad, gcAction, 226)

namespace {

constexpr const char* kOwnerName = "RegionLoad";

}  // namespace

gcDoRegionLoad::gcDoRegionLoad()
    : onPreRegionLoad("OnPreRegionLoad", kOwnerName), onPostRegionLoad("OnPostRegionLoad", kOwnerName)
{
}

gcDoRegionLoad::gcDoRegionLoad(const gcDesiredValue& regionId) : gcDoRegionLoad()
{
    desiredRegionId = regionId;
}

gcDoRegionLoad::gcDoRegionLoad(const gcDoRegionLoad& other)
    : gcAction(), desiredRegionId(other.desiredRegionId), onPreRegionLoad(other.onPreRegionLoad, kOwnerName),
      onPostRegionLoad(other.onPostRegionLoad, kOwnerName)
{
}

gcDoRegionLoad::~gcDoRegionLoad()
{
    if (gcMap* pMap = gcMap::s_pMap)
        pMap->WithdrawMultiRegionLoad(&onPreRegionLoad);
}

cBase* gcDoRegionLoad::Copy(cMemPool* pPool) const
{
    gcDoRegionLoad* pCopy = pPool ? pPool->New<gcDoRegionLoad>(*this) : nullptr;
    return gcEvent::KeepWhole(pCopy, *this, &gcDoRegionLoad::onPreRegionLoad, &gcDoRegionLoad::onPostRegionLoad);
}

void gcDoRegionLoad::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredRegionId.Write(wb);
    onPreRegionLoad.Write(file);
    onPostRegionLoad.Write(file);
}

bool gcDoRegionLoad::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "version");
    gcDesiredValue regionId;
    regionId.Read(rb, pPool);
    gcEvent pre, post;
    if (rb.Failed())
        return false;
    if (!pre.Read(file, pPool) || !post.Read(file, pPool))
        return rb.Reject(GetType()->m_sTypeName, "event block");
    if (rb.Failed())
        return false;
    desiredRegionId = regionId;
    std::swap(onPreRegionLoad.pAction, pre.pAction);
    std::swap(onPostRegionLoad.pAction, post.pAction);
    return true;
}

void gcDoRegionLoad::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "RegionLoad( ");
    desiredRegionId.GetText(pBuf);
    gcScriptText::Append(pBuf, " )");
}

void gcDoRegionLoad::DoAction(const gcEventParams&) const
{
    gcMap* pMap = gcMap::s_pMap;
    if (!pMap)
        return;
    const int64_t nIndex = static_cast<int64_t>(gcValue::TruncToInt(desiredRegionId.GetValue())) - 1;
    pMap->m_nMultiRegionToLoad = static_cast<int32_t>(std::max<int64_t>(nIndex, -1));
    pMap->m_pPreMultiRegionLoad = &onPreRegionLoad;
    pMap->m_pPostMultiRegionLoad = &onPostRegionLoad;
}
