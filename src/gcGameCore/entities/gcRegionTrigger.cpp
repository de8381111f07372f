#include "gcGameCore/entities/gcRegionTrigger.h"

#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eVolumeQuery.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/creatures/gcPlayer.h"

QM_DEFINE_TYPE(gcRegionTrigger, gcGameObject, 105)

gcRegionTrigger::gcRegionTrigger()
    : onEnter("OnEnter", m_name.m_sData), onInside("OnInside", m_name.m_sData), onExit("OnExit", m_name.m_sData)
{
    m_nCurState = STATE_DISABLED;
    m_nNextState = STATE_DISABLED;
    m_volume.SetVolumeBox(mVec3(1.0f, 1.0f, 1.0f));
    m_volume.m_localToZone.MakeIdentity();
    m_volume.m_pOwner = this;
}

gcRegionTrigger::gcRegionTrigger(const gcRegionTrigger& other)
    : gcGameObject(other), onEnter(other.onEnter, m_name.m_sData), onInside(other.onInside, m_name.m_sData),
      onExit(other.onExit, m_name.m_sData), m_volume(other.m_volume), m_nTriggerFlags(other.m_nTriggerFlags),
      m_nRegionId(other.m_nRegionId), m_respondTo(other.m_respondTo), m_hEntity(other.m_hEntity)
{
    m_volume.m_pOwner = this;
}

cBase* gcRegionTrigger::Copy(cMemPool* pPool) const
{
    return gcEvent::KeepWhole(pPool ? pPool->New<gcRegionTrigger>(*this) : nullptr, *this, &gcRegionTrigger::onEnter,
                              &gcRegionTrigger::onInside, &gcRegionTrigger::onExit);
}

void gcRegionTrigger::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcGameObject::Write(file);
    wb.WriteBool(!(m_nTriggerFlags & kDeactivated));
    wb.WriteShort(m_nRegionId);
    m_volume.Write(file);
    wb.WriteInt(m_respondTo);
    m_hEntity.Write(wb);
    onEnter.Write(file);
    onInside.Write(file);
    onExit.Write(file);
}

bool gcRegionTrigger::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion)
        return rb.Reject("gcRegionTrigger", "version");
    const cName oldName = m_name;
    if (!gcGameObject::Read(file, pPool) || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcRegionTrigger", "object block");
    }
    const bool bActive = rb.ReadBool();
    const int16_t nRegionId = rb.ReadShort();
    eVolume volume;
    bool bRead = !rb.Failed() && volume.Read(file, pPool);
    gcRegionTriggerResponse respondTo = RTR_PLAYER;
    uint32_t hEntity = 0;
    if (bRead && rb.m_nVersion >= 3) {
        respondTo = static_cast<gcRegionTriggerResponse>(rb.ReadInt());
        hEntity = rb.ReadUInt();
    }
    // Older blocks of a plane stored its events the other way round.
    const bool bReversed = rb.m_nVersion < 4 && volume.m_type == eVolume::VOLUME_PLANE;
    gcEvent events[3];
    for (int i = 0; i < 3 && bRead; ++i)
        bRead = !rb.Failed() && events[i].Read(file, pPool);
    if (!bRead || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcRegionTrigger", "volume or event block");
    }
    m_nTriggerFlags = static_cast<uint16_t>(bActive ? m_nTriggerFlags & ~kDeactivated : m_nTriggerFlags | kDeactivated);
    m_nRegionId = nRegionId;
    m_volume.m_type = volume.m_type;
    m_volume.m_fRadius = volume.m_fRadius;
    m_volume.m_boxSize = volume.m_boxSize;
    m_volume.SetLocalToZone(volume.m_localToZone);
    m_respondTo = respondTo;
    m_hEntity = gcEntityHandle(hEntity);
    gcEvent* pTargets[3] = {&onEnter, &onInside, &onExit};
    for (int i = 0; i < 3; ++i)
        std::swap(pTargets[i]->pAction, events[bReversed ? 2 - i : i].pAction);
    return true;
}

int gcRegionTrigger::Send(const gcMsg& msg)
{
    return RunProtocol(msg, [this](const gcMsg& m) { return Dispatch(m); });
}

bool gcRegionTrigger::Dispatch(const gcMsg& msg)
{
    if (m_nCurState == STATE_DISABLED) {
        switch (msg.nMsgId) {
        case MSG_ENTERSTATE:
            LeaveZone();
            return true;
        case MSG_EXITSTATE:
            OnDisabledExitState();
            return true;
        case MSG_ACTIVATE:
            Enable(kDeactivated);
            return true;
        case MSG_UNFREEZE:
            Enable(kFrozen);
            return true;
        default:
            break;
        }
    }
    if (m_nCurState == STATE_DISABLED || m_nCurState == STATE_ENABLED) {
        if (msg.nMsgId == MSG_DEACTIVATE) {
            Disable(kDeactivated);
            return true;
        }
        if (msg.nMsgId == MSG_FREEZE) {
            Disable(kFrozen);
            return true;
        }
    }
    return false;
}

void gcRegionTrigger::Disable(uint16_t nBits)
{
    m_nTriggerFlags |= nBits;
    RequestIfChanged(STATE_DISABLED);
}

void gcRegionTrigger::Enable(uint16_t nBits)
{
    m_nTriggerFlags &= static_cast<uint16_t>(~nBits);
    if (!(m_nTriggerFlags & (kDeactivated | kFrozen)))
        RequestIfChanged(STATE_ENABLED);
}

void gcRegionTrigger::RequestIfChanged(int nState)
{
    if (nState != m_nCurState)
        RequestState(nState, cTimeValue(0));
}

void gcRegionTrigger::LeaveZone()
{
    if (m_volume.m_pZone)
        m_volume.m_pZone->RemoveVolume(&m_volume);  // which clears the volume's zone
}

void gcRegionTrigger::OnDisabledExitState()
{
    eZone* pZone = gcEntityWorld::GetRegionZone(m_nRegionId);
    LeaveZone();
    if (!pZone) {
        // Filing the volume nowhere would make it a trigger nothing can
        // reach; waiting frozen lets the region's attachment enable it.
        cLogWarn_("gcRegionTrigger: \"%s\" stays disabled: its region %d is not resident", m_name.m_sData,
                  m_nRegionId + 1);  // numbered from 1 in the log
        m_nTriggerFlags |= kFrozen;
        m_nNextState = STATE_DISABLED;  // names the destination of the running change
        return;
    }
    m_volume.m_pZone = pZone;
    m_volume.SetLocalToZone(m_volume.m_localToZone);
    Restrict();
}

void gcRegionTrigger::Restrict()
{
    switch (m_respondTo) {
    case RTR_CAMERA:
        m_volume.m_pSpecificType = gcGameCamera::GetStaticType();
        m_volume.m_pSpecificInstance = nullptr;
        break;
    case RTR_ALLENTITIES:
        m_volume.m_pSpecificType = gcEntity::GetStaticType();
        m_volume.m_pSpecificInstance = nullptr;
        break;
    case RTR_PLAYER:
        // Captured now: a later change of the player's entity is seen at the
        // next enabling.
        m_volume.m_pSpecificType = gcEntity::GetStaticType();
        m_volume.m_pSpecificInstance = gcPlayer::Get()->m_pEntity;
        break;
    case RTR_ENTITY:
        m_volume.m_pSpecificType = gcEntity::GetStaticType();
        m_volume.m_pSpecificInstance = gcEntityMgr::GetPtr(m_hEntity);
        break;
    default:
        break;  // an unknown response keeps the restriction it had
    }
}

// The trigger itself is never a querier: naming it answers nobody, where
// no instance at all would answer every entity.
void gcRegionTrigger::ForgetEntity(const gcEntity* pEntity)
{
    for (gcRegionTrigger* p : gcRegionTriggerMgr::s_pInstances) {
        if (p && pEntity && p->m_volume.m_pSpecificInstance == pEntity)
            p->m_volume.m_pSpecificInstance = p;
    }
}

void gcRegionTrigger::ApplyVolumeEvent(cBase* pVolumeOwner, gcEntityWorld::gcTriggerList list, gcGameObject* pQuerier)
{
    if (!pVolumeOwner || !pVolumeOwner->GetType()->IsA(GetStaticType()))
        return;
    gcRegionTrigger* pTrigger = static_cast<gcRegionTrigger*>(pVolumeOwner);
    const gcEvent* pEvent = list == gcEntityWorld::TRIGGER_ENTERED  ? &pTrigger->onEnter
                            : list == gcEntityWorld::TRIGGER_INSIDE ? &pTrigger->onInside
                                                                     : &pTrigger->onExit;
    const gcEventParams params(pQuerier, pTrigger, nullptr, nullptr, nullptr);
    pEvent->Apply(params, gcEventStackData());
}

void gcRegionTrigger::FireVolumes(const eZone& zone, const mVec3& from, const mVec3& to, uint32_t nFlags,
                                  gcGameObject* pQuerier)
{
    eVolumeQuery q;
    q.m_prevPos = from;
    q.m_curPos = to;
    q.m_nFlags = nFlags;
    q.m_ray.origin = from;
    q.m_ray.dir = to - from;
    q.m_ray.length = q.m_ray.dir.Normalize();
    // Every volume the whole move can touch lies in the sphere around it.
    q.m_cullVol.center = (from + to) * 0.5f;
    q.m_cullVol.radius = 0.5f * q.m_ray.length;
    q.m_zoneToWorld.MakeIdentity();
    zone.VolumeQuery(&q, pQuerier);
    for (int i = 0; i < q.m_nEntered; ++i)
        ApplyVolumeEvent(q.m_pEntered[i]->m_pOwner, gcEntityWorld::TRIGGER_ENTERED, pQuerier);
    for (int i = 0; i < q.m_nInside; ++i)
        ApplyVolumeEvent(q.m_pInside[i]->m_pOwner, gcEntityWorld::TRIGGER_INSIDE, pQuerier);
    for (int i = 0; i < q.m_nExited; ++i)
        ApplyVolumeEvent(q.m_pExited[i]->m_pOwner, gcEntityWorld::TRIGGER_EXITED, pQuerier);
}

void gcRegionTrigger::InstallEntityWorldFuncs()
{
    gcEntityWorld::Funcs funcs = gcEntityWorld::Set(gcEntityWorld::Funcs{});
    funcs.pApplyTriggerEvent = [](cBase* pOwner, gcEntityWorld::gcTriggerList list, gcEntity* pEntity) {
        ApplyVolumeEvent(pOwner, list, pEntity);
    };
    gcEntityWorld::Set(funcs);
}

QM_DEFINE_GROUP(gcRegionTriggerGroup, 106)
