#include "datagen/particleWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eGeomTrailConfig.h"
#include "eEngine/eParticleEmitter.h"
#include "eEngine/ePath.h"

namespace datagen {

ePath* BuildPath(const char* name, const std::vector<PathPointDesc>& points, cMemPool* pPool)
{
    ePath* pPath = pPool ? pPool->New<ePath>() : nullptr;
    const size_t bytes = points.size() * sizeof(ePathPoint);
    ePathPoint* pPoints = pPath && bytes ? static_cast<ePathPoint*>(pPool->Alloc(bytes, alignof(ePathPoint))) : nullptr;
    if (!pPath || (bytes && !pPoints)) {
        cLogError_("datagen: no pool room for a path of %zu points", points.size());
        return nullptr;
    }
    pPath->m_name.Set("%s", name);
    for (size_t i = 0; i < points.size(); ++i) {
        pPoints[i].pos.Set(points[i].x, points[i].y, points[i].z);
        pPoints[i].fRoll = points[i].roll;
        pPoints[i].fDistToStart = 0.0f;
    }
    pPath->m_pPoints = pPoints;
    pPath->m_nPoints = static_cast<int32_t>(points.size());
    pPath->CalcDistances();
    return pPath;
}

bool WritePathFile(const std::string& path, const ePath& p)
{
    return WriteObjectFile(path, p);
}

bool WritePathGroupFile(const std::string& path, int beginSlot, const std::vector<PathRecord>& records)
{
    const int endSlot = beginSlot + static_cast<int>(records.size());
    if (beginSlot < 0 || endSlot > ePathMgr::kSlots) {
        cLogError_("datagen: path slots %d to %d outside the manager's %d", beginSlot, endSlot, ePathMgr::kSlots);
        return false;
    }
    std::vector<ePath*> saved(ePathMgr::s_pInstances + beginSlot, ePathMgr::s_pInstances + endSlot);
    std::vector<ePathHandle> handles;
    for (size_t i = 0; i < records.size(); ++i) {
        const int slot = beginSlot + static_cast<int>(i);
        ePath* p = records[i].pPath;
        handles.push_back(p ? p->m_handle : ePathHandle());
        if (p)
            ePathMgr::Add(slot, p, records[i].check ? records[i].check : 0xFFFF);
        else
            ePathMgr::s_pInstances[slot] = nullptr;
    }
    ePathGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = endSlot;
    const bool ok = WriteObjectFile(path, group);
    for (size_t i = 0; i < saved.size(); ++i) {
        ePathMgr::s_pInstances[beginSlot + static_cast<int>(i)] = saved[i];
        if (records[i].pPath)
            records[i].pPath->m_handle = handles[i];
    }
    return ok;
}

bool WriteEmitterFile(const std::string& path, const eParticleEmitter& emitter)
{
    return WriteObjectFile(path, emitter);
}

static BlockWriter& Vec(BlockWriter& w, const mVec3& v)
{
    return w.Float(v.x).Float(v.y).Float(v.z);
}

static BlockWriter& Frame(BlockWriter& w, const mOCS& o)
{
    Vec(w, o.origin);
    Vec(w, o.basis.right);
    Vec(w, o.basis.forward);
    return Vec(w, o.basis.up);
}

static uint16_t Short(int16_t v)
{
    return static_cast<uint16_t>(v);
}

BlockWriter& EmitterBlock(BlockWriter& w, const eParticleEmitter& e, uint32_t version)
{
    w.Begin(version).Begin(1).End();
    w.Half(Short(e.m_nMaxParticles));
    if (version >= eParticleEmitter::kLifetimeVersion)
        w.Int(e.m_emitterLifetime.m_nTicks);
    w.Half(Short(static_cast<int16_t>(e.m_orientation)));
    w.Int(e.m_bOrientAlongVelocity).Int(e.m_bRandomStartFrame);
    w.Int(e.m_lifetime.m_nTicks).Float(e.m_fLifetimeTolerance);
    w.Int(e.m_birthDelay.m_nTicks).Float(e.m_fBirthDelayTolerance);
    w.Float(e.m_fHeadingAngleTolerance).Float(e.m_fPitchAngleTolerance);
    w.Float(e.m_fInitialSpeed).Float(e.m_fInitialSpeedTolerance).Float(e.m_fEndSpeed).Float(e.m_fMaxSpeed);
    w.Half(Short(e.m_nStartFrame)).Half(Short(e.m_nEndFrame));
    Vec(w.Int(e.m_jitterRate.m_nTicks), e.m_jitter);
    w.Int(e.m_rollRate.m_nTicks).Float(e.m_fRollRateTolerance);
    w.Int(e.m_blinkRate.m_nTicks).Float(e.m_fBlinkFadePercent);
    Vec(Vec(Vec(w, e.m_colorStart), e.m_colorEnd), e.m_volumeWDH);
    w.Float(e.m_fStartSize).Float(e.m_fSizeTolerance).Float(e.m_fEndSize);
    w.Half(Short(e.m_nFramesInX)).Half(Short(e.m_nFramesInY)).Half(Short(e.m_nFramesPerSecond));
    w.Word(e.m_hMaterial.m_nValue);
    w.Int(e.m_fadeInTime.m_nTicks).Int(e.m_fadeOutTime.m_nTicks).Int(e.m_bRandomRoll);
    w.Float(e.m_fWindScale).Float(e.m_fGravityScale).Float(e.m_fAttractorInfluence);
    if (version >= eParticleEmitter::kEmitterInfluenceVersion)
        w.Float(e.m_fEmitterInfluence);
    if (version >= eParticleEmitter::kWorldAlignVersion)
        Frame(w, e.m_worldAlignment);
    Frame(w, e.m_localToParent);
    Vec(w, e.m_attractorInitialOffset);
    w.Half(Short(e.m_nMaximumTurnRate)).Int(e.m_bDoCollision);
    Vec(Vec(Vec(Vec(w, e.m_collisionRectOrigin), e.m_rectW), e.m_rectH), e.m_collisionPlane.normal);
    w.Float(e.m_collisionPlane.offset).Float(e.m_fCollisionElasticity);
    return w.End();
}

bool WriteTrailConfigFile(const std::string& path, const eGeomTrailConfig& config)
{
    return WriteObjectFile(path, config);
}

BlockWriter& TrailConfigBlock(BlockWriter& w, const eGeomTrailConfig& c, uint32_t version)
{
    w.Begin(version).Begin(1).End();
    w.Word(c.hMaterial.m_nValue).Int(c.orientation).Int(c.nMaxSegments).Int(c.nSubdivisions);
    w.Float(c.fFadeStart).Float(c.fWidth).Int(c.bTextureTiled);
    return w.End();
}

}  // namespace datagen
