#include "gcGameCore/actions/gcDoEntityAnimation.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityAnimation, gcAction, 190)

namespace {

// Exchanges everything the configuration holds, so a configuration read
// whole replaces the action's and the old one is destroyed with the local.
void SwapConfig(gcAnimationConfig& a, gcAnimationConfig& b)
{
    std::swap(a.hAnimation, b.hAnimation);
    std::swap(a.hSoundData, b.hSoundData);
    std::swap(a.onStarted.pAction, b.onStarted.pAction);
    std::swap(a.onStopped.pAction, b.onStopped.pAction);
    std::swap(a.onUpdated.pAction, b.onUpdated.pAction);
    std::swap(a.onCompleted.pAction, b.onCompleted.pAction);
    std::swap(a.nFlags, b.nFlags);
}

}  // namespace

cBase* gcDoEntityAnimation::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityAnimation>(desiredEntity, animationConfig, priority) : nullptr;
}

void gcDoEntityAnimation::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    animationConfig.Write(file);
    wb.WriteInt(priority);
}

bool gcDoEntityAnimation::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityAnimation", "version");
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    gcAnimationConfig config;
    if (rb.Failed())
        return false;
    if (!config.Read(file, pPool))
        return rb.Reject("gcDoEntityAnimation", "animation configuration");
    const int32_t prio = rb.ReadInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    SwapConfig(animationConfig, config);
    priority = prio;
    return true;
}

void gcDoEntityAnimation::GetText(char* pBuf) const
{
    const eAnimation* pAnim = eAnimationMgr::GetPtr(animationConfig.hAnimation);
    desiredEntity.GetText(pBuf);
    gcScriptText::AppendF(pBuf, ".PlayAnimation( [%s], %sPriority )", pAnim ? pAnim->m_name.m_sData : "none",
                          gcMsgPlayAnimation::GetPriorityText(priority));
}

void gcDoEntityAnimation::DoAction(const gcEventParams& params) const
{
    if (gcEntity* p = desiredEntity.GetEntity(params, nullptr, true))
        p->Send(gcMsgPlayAnimation(&animationConfig, static_cast<gcMsgPlayAnimation::gcPriority>(priority)));
}
