// gcPlayerFlying: construction, the file block, reset and the message
// dispatch (state handlers first, then the common ones).
#include "gcGameCore/creatures/gcPlayerFlying.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcPlayerFlyingTemplate.h"

QM_DEFINE_TYPE(gcPlayerFlying, gcCreature, 142)

gcPlayerFlying::gcPlayerFlying()
{
    m_nCurState = ST_DISABLED;
    m_nNextState = ST_DISABLED;
}

gcPlayerFlying::gcPlayerFlying(const gcPlayerFlying& other)
    : gcCreature(other), m_nFlags(other.m_nFlags), m_nCurFlySpeed(other.m_nCurFlySpeed), m_accelTime(other.m_accelTime)
{
    StartAsCopy(ST_DISABLED);
}

gcPlayerFlying::~gcPlayerFlying() = default;

cBase* gcPlayerFlying::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcPlayerFlying>(*this) : nullptr, *this);
}

void gcPlayerFlying::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreature::Write(file);
}

bool gcPlayerFlying::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1)
        return rb.Reject("gcPlayerFlying", "version");
    if (!gcCreature::Read(file, pPool)) {
        rb.SkipToEnd();
        return false;
    }
    return !rb.Failed();
}

const cType* gcPlayerFlying::GetTemplateType() const
{
    return gcPlayerFlyingTemplate::GetStaticType();
}

bool gcPlayerFlying::Reset(cMemPool* pPool)
{
    m_pTemplate = nullptr;
    if (!gcCreature::Reset(pPool))
        return false;
    m_nFlags = 0;
    m_accelTime = cTimeValue(0);
    m_pTemplate = dcast<gcPlayerFlyingTemplate>(GetTemplate());
    return m_pTemplate != nullptr;
}

int gcPlayerFlying::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) { return Dispatch(m); });
}

bool gcPlayerFlying::Dispatch(const gcMsg& msg)
{
    if (m_nCurState == ST_DISABLED)
        return HandleDisabled(msg);
    bool bDone = true;
    const bool bTaken = HandleStateMessage(msg, &bDone);
    return bDone ? bTaken : HandleCommon(msg);
}

void gcPlayerFlying::To(int n)
{
    if (m_nCurState != n)
        RequestState(n, cTimeValue(0));
}

cTimeValue gcPlayerFlying::Play(int nAnim)
{
    if (!m_pTemplate || nAnim < 0 || nAnim >= gcPlayerFlyingTemplate::MAX_ANIMATIONS)
        return cTimeValue(0);
    return PlayAnimation(&m_pTemplate->animationConfigs[nAnim]);
}
