// gcPlayerBiped: construction, the file block, reset, the state queries and
// the message dispatch (state handlers first, then the common ones).
#include "gcGameCore/creatures/gcPlayerBiped.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAnimation.h"
#include "gcGameCore/creatures/gcPlayerBipedTemplate.h"

QM_DEFINE_TYPE(gcPlayerBiped, gcCreature, 75)

gcPlayerBiped::gcPlayerBiped()
{
    m_safeLocalToParent.MakeIdentity();
    m_nCurState = ST_DISABLED;
    m_nNextState = ST_DISABLED;
}

gcPlayerBiped::gcPlayerBiped(const gcPlayerBiped& other) : gcCreature(other)
{
    m_safeLocalToParent.MakeIdentity();
    m_nCurState = ST_DISABLED;
    m_nNextState = ST_DISABLED;
}

gcPlayerBiped::~gcPlayerBiped() = default;

cBase* gcPlayerBiped::Copy(cMemPool* pPool) const
{
    gcPlayerBiped* p = KeepWholeCopy(pPool ? pPool->New<gcPlayerBiped>(*this) : nullptr, *this);
    if (p)
        p->Reset(pPool);
    return p;
}

void gcPlayerBiped::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcCreature::Write(file);
}

bool gcPlayerBiped::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < 1)
        return rb.Reject("gcPlayerBiped", "version");
    if (!gcCreature::Read(file, pPool)) {
        rb.SkipToEnd();
        return false;
    }
    return !rb.Failed();
}

const cType* gcPlayerBiped::GetTemplateType() const
{
    return gcPlayerBipedTemplate::GetStaticType();
}

bool gcPlayerBiped::Reset(cMemPool* pPool)
{
    m_pTemplate = nullptr;
    if (!gcCreature::Reset(pPool))
        return false;
    m_pTemplate = dcast<gcPlayerBipedTemplate>(GetTemplate());
    m_nFlags = 0;
    m_pPrevTouchSurface = nullptr;
    // Seeded here, so that leaving every zone before ever standing on
    // ground still snaps back to a real place.
    m_safeLocalToParent = m_model.m_localToParent;
    m_nSafeRegionId = m_nRegionId;
    return m_pTemplate != nullptr;
}

bool gcPlayerBiped::IsBlinded() const
{
    const int state = m_model.m_nCurAnimationState;
    if (!m_pTemplate || state < 0 || state >= eModel::kNumAnimationStates)
        return false;
    const eAnimationHandle hPlaying = m_model.m_animationStates[state].hAnimation;
    return hPlaying == m_pTemplate->animationConfigs[gcPlayerBipedTemplate::ANIM_BLINDED].hAnimation;
}

int gcPlayerBiped::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) { return Dispatch(m); });
}

bool gcPlayerBiped::Dispatch(const gcMsg& msg)
{
    if (m_nCurState == ST_DISABLED)
        return HandleDisabled(msg);
    switch (HandleStateMessage(msg)) {
    case Handled::kTaken: return true;
    case Handled::kRefused: return false;
    case Handled::kPass: break;
    }
    return HandleCommon(msg);
}

void gcPlayerBiped::To(int n)
{
    if (m_nCurState != n)
        RequestState(n, cTimeValue(0));
}

cTimeValue gcPlayerBiped::Play(int nAnim)
{
    if (!m_pTemplate || nAnim < 0 || nAnim >= gcPlayerBipedTemplate::MAX_ANIMATIONS)
        return cTimeValue(0);
    return PlayAnimation(&m_pTemplate->animationConfigs[nAnim]);
}

void gcPlayerBiped::PlayTimed(int nAnim)
{
    m_nextUpdate = Play(nAnim);
}

void gcPlayerBiped::ClearTarget()
{
    SetTarget(nullptr);
}
