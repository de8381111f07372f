#include "gcGameCore/entities/gcEffectTemplate.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eDynamicLightConfig.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/eProjectorConfig.h"
#include "eEngine/eSoundConfig.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcStoredCount.h"
#include "gcGameCore/flow/gcRumbleConfig.h"

QM_DEFINE_TYPE(gcEffectTemplate, cObject, 112)

const char* gcEffectTemplate::GetStatText(int32_t stat)
{
    static const char* const kTexts[MAX_STATS] = {"Scale", "Var1", "Var2", "Blend", "PSysMaxSpeedScale"};
    return (stat >= 0 && stat < MAX_STATS) ? kTexts[stat] : "???";
}

const char* gcEffectTemplate::GetValueText(int32_t value)
{
    static const char* const kTexts[MAX_VALUES] = {"User1", "User2"};
    return (value >= 0 && value < MAX_VALUES) ? kTexts[value] : "???";
}

static constexpr gcEffectTemplate::Range kFreeRange = {-999.0f, 999.0f, 1.0f, 2};

gcEffectTemplate::Range gcEffectTemplate::GetStatRange(int32_t stat)
{
    switch (stat) {
    case STAT_SCALE:
    case STAT_BLEND:
        return {0.0f, 1.0f, 0.01f, 2};
    case STAT_PSYS_MAXSPEEDSCALE:
        return {0.0f, 100.0f, 0.01f, 2};
    default:
        return kFreeRange;
    }
}

gcEffectTemplate::Range gcEffectTemplate::GetValueRange(int32_t)
{
    return kFreeRange;
}

gcEffectTemplate::gcEffectTemplate()
    : onTouched("OnTouched", m_name.m_sData),
      onCollided("OnCollided", m_name.m_sData),
      onInitialUpdate("OnInitialUpdate", m_name.m_sData),
      onUpdate("OnUpdate", m_name.m_sData),
      onDeath("OnDeath", m_name.m_sData)
{
}

gcEffectTemplate::gcEffectTemplate(const gcEffectTemplate&) : gcEffectTemplate() {}

cBase* gcEffectTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcEffectTemplate>(*this) : nullptr;
}

template <class T>
static void DestroyMember(T*& p)
{
    if (p)
        std::destroy_at(p);
    p = nullptr;
}

void gcEffectTemplate::DestroyConfigs()
{
    for (eParticleEmitter*& p : m_pParticleEmitter)
        DestroyMember(p);
    DestroyMember(m_pGeomTrailConfig);
    DestroyMember(m_pDynamicLightConfig);
    DestroyMember(m_pSoundConfig);
    DestroyMember(m_pRumbleConfig);
    DestroyMember(m_pProjectorConfig);
}

gcEffectTemplate::~gcEffectTemplate()
{
    for (int i = 0; i < m_nMaxInstances; ++i)
        DestroyMember(m_pInstances[i]);
    DestroyConfigs();
}

void gcEffectTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    hMesh.Write(wb);
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    const int nMaterials = pMesh ? std::clamp(pMesh->GetNumMaterials(), 0, kMaxMaterials) : 0;
    wb.WriteInt(nMaterials);
    for (int i = 0; i < nMaterials; ++i)
        hMaterials[i].Write(wb);
    wb.WriteInt(pMesh ? std::clamp(pMesh->GetNumSurfaces(), 0, kMaxSurfaces) : 0);
    for (const eSurfaceHandle& h : hSurfaces)
        h.Write(wb);
    hAnimation.Write(wb);
    for (const eParticleEmitter* p : m_pParticleEmitter)
        wb.WriteBase(p);
    wb.WriteBase(m_pGeomTrailConfig);
    wb.WriteBase(m_pDynamicLightConfig);
    wb.WriteBase(m_pSoundConfig);
    wb.WriteBase(m_pRumbleConfig);
    wb.WriteBase(m_pProjectorConfig);
    for (const cTimeValue& t : startDelayPS)
        wb.WriteInt(t.m_nTicks);
    for (const cTimeValue t : {startDelayGT, startDelayDL, startDelaySE, startDelayRumble, startDelayProj})
        wb.WriteInt(t.m_nTicks);
    wb.WriteInt(lifeTime.m_nTicks);
    wb.WriteInt(fadeInTime.m_nTicks);
    wb.WriteInt(fadeOutTime.m_nTicks);
    for (const gcEvent* e : {&onTouched, &onCollided, &onInitialUpdate, &onUpdate, &onDeath})
        e->Write(file);
    wb.WriteInt(MAX_VALUES);
    wb.WriteFloats(fValues, MAX_VALUES);
    wb.WriteInt(m_nMaxInstances);
    wb.WriteInt(nCollisionMask);
    wb.WriteInt(nFlags);
    wb.WriteFloat(fGravityScalar);
    wb.WriteFloat(fWindScalar);
    wb.WriteFloat(fInitialSpeed);
}

namespace {

// Everything Read takes from the block, committed only when it is whole.
struct TemplateData {
    eMeshHandle hMesh;
    uint32_t hMaterials[gcEffectTemplate::kMaxMaterials] = {};
    uint32_t hSurfaces[gcEffectTemplate::kMaxSurfaces] = {};
    eAnimationHandle hAnimation;
    cBase* pMembers[gcEffectTemplate::kMaxParticleSystems + 5] = {};
    int32_t nDelays[gcEffectTemplate::kMaxParticleSystems + 5] = {};
    int32_t nLife = 0, nFadeIn = 0, nFadeOut = 0;
    float fValues[gcEffectTemplate::MAX_VALUES] = {};
    int32_t nMaxInstances = 0;
    uint32_t nMask = 0, nFlags = 0;
    float fGravity = 0.0f, fWind = 0.0f, fSpeed = 0.0f;

    void DestroyMembers()
    {
        for (cBase*& p : pMembers)
            DestroyMember(p);
    }
};

// The type each polymorphic member must have, in file order.
const cType* MemberType(int i)
{
    if (i < gcEffectTemplate::kMaxParticleSystems)
        return eParticleEmitter::GetStaticType();
    static const cType* const kTypes[5] = {eGeomTrailConfig::GetStaticType(), eDynamicLightConfig::GetStaticType(),
                                           eSoundConfig::GetStaticType(), gcRumbleConfig::GetStaticType(),
                                           eProjectorConfig::GetStaticType()};
    return kTypes[i - gcEffectTemplate::kMaxParticleSystems];
}

// A member of another class than its slot takes fails the file as a
// damaged one.
void ReadMembers(const cReadBlock& rb, cMemPool* pPool, TemplateData* d)
{
    const int nMembers = rb.m_nVersion >= 18 ? 9 : 8;
    for (int i = 0; i < nMembers && !rb.Failed(); ++i)
        d->pMembers[i] = rb.ReadBase(pPool, MemberType(i));
}

void ReadDelays(const cReadBlock& rb, TemplateData* d)
{
    rb.ReadInts(d->nDelays, gcEffectTemplate::kMaxParticleSystems + 4);
    if (rb.m_nVersion >= 18)
        d->nDelays[gcEffectTemplate::kMaxParticleSystems + 4] = rb.ReadInt();
}

// Life and fade times; before version 12 the fades are fractions of the life.
void ReadTimes(const cReadBlock& rb, TemplateData* d)
{
    d->nLife = rb.ReadInt();
    if (rb.m_nVersion >= 12) {
        d->nFadeIn = rb.ReadInt();
        d->nFadeOut = rb.ReadInt();
        return;
    }
    const float fLifeSeconds = cTimeValue(d->nLife).GetSeconds();
    const float fIn = rb.ReadFloat();
    const float fOut = rb.ReadFloat();
    d->nFadeIn = cTimeValue::FromSeconds(fIn * fLifeSeconds).m_nTicks;
    d->nFadeOut = cTimeValue::FromSeconds(fOut * fLifeSeconds).m_nTicks;
}

}  // namespace

// The events a version holds, in file order.
static bool ReadTemplateEvents(const cFile& file, uint32_t v, cMemPool* pPool, gcEvent (&events)[5])
{
    return events[0].Read(file, pPool) && (v < 13 || events[1].Read(file, pPool)) &&
           (v < 14 || (events[2].Read(file, pPool) && events[3].Read(file, pPool))) &&
           (v < 16 || events[4].Read(file, pPool));
}

static void ReadTail(const cReadBlock& rb, TemplateData* d)
{
    if (rb.m_nVersion >= 15) {
        const gcStoredCount values = gcStoredCount::Read(rb, gcEffectTemplate::MAX_VALUES, "gcEffectTemplate",
                                                         "value count");
        rb.ReadFloats(d->fValues, values.m_nRead);
        values.SkipSurplus(rb, 4);
    }
    d->nMaxInstances = rb.ReadInt();
    if (d->nMaxInstances < 0)
        rb.Reject("gcEffectTemplate", "instance count");
    d->nMask = rb.ReadUInt();
    if (rb.m_nVersion >= 17)
        d->nFlags = rb.ReadUInt();
    d->fGravity = rb.ReadFloat();
    d->fWind = rb.ReadFloat();
    d->fSpeed = rb.ReadFloat();
}

bool gcEffectTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcEffectTemplate", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    TemplateData d;
    d.hMesh.Read(rb, pPool);
    const gcStoredCount materials = gcStoredCount::Read(rb, kMaxMaterials, "gcEffectTemplate", "material count");
    rb.ReadInts(d.hMaterials, materials.m_nRead);
    materials.SkipSurplus(rb, 4);
    rb.ReadInt();  // the mesh's surface count: 8 handles follow whatever it says
    rb.ReadInts(d.hSurfaces, kMaxSurfaces);
    d.hAnimation.Read(rb, pPool);
    ReadMembers(rb, pPool, &d);
    ReadDelays(rb, &d);
    ReadTimes(rb, &d);
    // A time is never negative: no effect fades out over less than nothing.
    if (d.nFadeOut < 0)
        rb.Reject("gcEffectTemplate", "fade-out time");
    gcEvent events[5];
    const bool bEvents = !rb.Failed() && ReadTemplateEvents(file, v, pPool, events);
    if (bEvents)
        ReadTail(rb, &d);
    if (!bEvents || rb.Failed()) {
        d.DestroyMembers();
        m_name = oldName;
        return rb.Reject("gcEffectTemplate", "event block");
    }
    hMesh = d.hMesh;
    for (int i = 0; i < kMaxMaterials; ++i)
        hMaterials[i] = eMaterialHandle(d.hMaterials[i]);
    for (int i = 0; i < kMaxSurfaces; ++i)
        hSurfaces[i] = eSurfaceHandle(d.hSurfaces[i]);
    hAnimation = d.hAnimation;
    DestroyConfigs();
    for (int i = 0; i < kMaxParticleSystems; ++i)
        m_pParticleEmitter[i] = static_cast<eParticleEmitter*>(d.pMembers[i]);
    m_pGeomTrailConfig = static_cast<eGeomTrailConfig*>(d.pMembers[4]);
    m_pDynamicLightConfig = static_cast<eDynamicLightConfig*>(d.pMembers[5]);
    m_pSoundConfig = static_cast<eSoundConfig*>(d.pMembers[6]);
    m_pRumbleConfig = static_cast<gcRumbleConfig*>(d.pMembers[7]);
    m_pProjectorConfig = static_cast<eProjectorConfig*>(d.pMembers[8]);
    for (int i = 0; i < kMaxParticleSystems; ++i)
        startDelayPS[i] = cTimeValue(d.nDelays[i]);
    startDelayGT = cTimeValue(d.nDelays[4]);
    startDelayDL = cTimeValue(d.nDelays[5]);
    startDelaySE = cTimeValue(d.nDelays[6]);
    startDelayRumble = cTimeValue(d.nDelays[7]);
    startDelayProj = cTimeValue(d.nDelays[8]);
    lifeTime = cTimeValue(d.nLife);
    fadeInTime = cTimeValue(d.nFadeIn);
    fadeOutTime = cTimeValue(d.nFadeOut);
    gcEvent* mine[5] = {&onTouched, &onCollided, &onInitialUpdate, &onUpdate, &onDeath};
    for (int i = 0; i < 5; ++i)
        std::swap(mine[i]->pAction, events[i].pAction);
    std::copy_n(d.fValues, MAX_VALUES, fValues);
    nCollisionMask = d.nMask;
    nFlags = d.nFlags;
    fGravityScalar = d.fGravity;
    fWindScalar = d.fWind;
    fInitialSpeed = d.fSpeed;
    m_pPool = pPool;
    SetMaxInstances(d.nMaxInstances, pPool);
    return true;
}

void gcEffectTemplate::SetMaxInstances(int n, cMemPool* pPool)
{
    if (!pPool)
        pPool = m_pPool;
    n = std::max(n, 0);
    if (n == m_nMaxInstances)
        return;
    gcEffect** pNew = (n > 0 && pPool) ? static_cast<gcEffect**>(pPool->Alloc(sizeof(gcEffect*) * n)) : nullptr;
    if (n > 0 && !pNew)
        return;  // the pool logged it, or failed the file being read; the old instances stay
    const int nKeep = std::min(n, m_nMaxInstances);
    std::copy_n(m_pInstances, nKeep, pNew);
    for (int i = nKeep; i < m_nMaxInstances; ++i)
        DestroyMember(m_pInstances[i]);
    for (int i = nKeep; i < n; ++i)
        pNew[i] = pPool->New<gcEffect>();
    m_pInstances = pNew;
    m_nMaxInstances = n;
}

void gcEffectTemplate::ResetInstances()
{
    for (int i = 0; i < m_nMaxInstances; ++i) {
        gcEffect* p = m_pInstances[i];
        if (!p)
            continue;
        p->m_hTemplate = m_handle;
        p->m_name = m_name;
        p->Reset(m_pPool);
        p->m_nFlags |= gcEffect::kPooled;
    }
}

gcEffect* gcEffectTemplate::GetInstance()
{
    for (int i = 0; i < m_nMaxInstances; ++i) {
        gcEffect* p = m_pInstances[i];
        if (p && !p->IsRunning()) {
            p->Reset(nullptr);
            return p;
        }
    }
    return nullptr;
}

gcEffect* gcEffectTemplate::GetInstance(gcEffectTemplateHandle handle)
{
    gcEffectTemplate* pTemplate = gcEffectTemplateMgr::GetPtr(handle);
    return pTemplate ? pTemplate->GetInstance() : nullptr;
}

void gcEffectTemplate::ReleaseInstances()
{
    if (!(nFlags & kKeepInstances))
        return;
    for (int i = 0; i < m_nMaxInstances; ++i)
        if (m_pInstances[i])
            m_pInstances[i]->Detach();
}

void gcEffectTemplate::SendToInstances(int nRegionId, const gcMsg& msg)
{
    const bool bKeep = (nFlags & kKeepInstances) != 0;
    for (int i = 0; i < m_nMaxInstances; ++i) {
        gcEffect* p = m_pInstances[i];
        if (p && p->m_nRegionId == nRegionId && !p->m_pParentEntity && !p->m_pParentEffect &&
            (bKeep || p->IsRunning()))
            p->Send(msg);
    }
}

template <class T>
static void Switch(T*& p, bool bEnable, cMemPool* pPool)
{
    if (!bEnable)
        DestroyMember(p);
    else if (!p && pPool)
        p = pPool->New<T>();
}

void gcEffectTemplate::EnableParticleSystem(int slot, bool bEnable)
{
    if (slot >= 0 && slot < kMaxParticleSystems)
        Switch(m_pParticleEmitter[slot], bEnable, m_pPool);
}

void gcEffectTemplate::EnableGeomTrail(bool bEnable) { Switch(m_pGeomTrailConfig, bEnable, m_pPool); }
void gcEffectTemplate::EnableDynamicLight(bool bEnable) { Switch(m_pDynamicLightConfig, bEnable, m_pPool); }
void gcEffectTemplate::EnableSound(bool bEnable) { Switch(m_pSoundConfig, bEnable, m_pPool); }
void gcEffectTemplate::EnableRumble(bool bEnable) { Switch(m_pRumbleConfig, bEnable, m_pPool); }
void gcEffectTemplate::EnableProjector(bool bEnable) { Switch(m_pProjectorConfig, bEnable, m_pPool); }

QM_DEFINE_GROUP(gcEffectTemplateGroup, 113)
