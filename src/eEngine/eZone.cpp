#include "eEngine/eZone.h"

#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eGeom.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eListener.h"
#include "eEngine/eSound.h"
#include "eEngine/eTexture.h"
#include "mMath/mRay.h"
#include "mMath/mSphere.h"
#include "eZoneCell.h"
#include "eZoneRing.h"

QM_DEFINE_TYPE(eZone, cObject, 7)

eZone* eZone::s_pZones[kMaxZones] = {};
eSky* eZone::s_pSky = nullptr;
eZone::PlatformWriteFunc eZone::s_platformWrite[kNumPlatforms] = {};
eCollisionCache* eZone::s_pStaticColCache = nullptr;
eCollisionCache* eZone::s_pDynamicColCache = nullptr;

// Holds exactly the two caches; it gets its memory at Initialize.
static cMemPool s_collisionCachePool("CollisionCache", 0, false);
static_assert(2 * sizeof(eCollisionCache) <= eZone::kCollisionCachePoolSize * kHostPoolScale,
              "the collision caches must fit their pool");

eZone::eZone()
    : m_pVisNodes(nullptr),
      m_pColNodes(nullptr),
      m_pVolNodes(nullptr),
      m_pSndNodes(nullptr),
      m_pLightGrid(nullptr),
      m_nZoneIndex(-1),
      m_exportOffset(0.0f, 0.0f, 0.0f),
      m_pZoneOpaqueBin(nullptr),
      m_pZoneBlendedBin(nullptr),
      m_pGeomOpaqueBin(nullptr),
      m_pGeomBlendedBin(nullptr),
      m_pZSortedBin(nullptr),
      m_pPostShadowBin(nullptr),
      m_pPreBlendedBin(nullptr),
      m_pCollidableBin(nullptr),
      m_nMaterials(0),
      m_hMaterials(nullptr),
      m_nSurfaces(0),
      m_hSurfaces(nullptr),
      m_pVisData(nullptr),
      m_pColData(nullptr),
      m_nLightmapStartIndex(-1),
      m_nLightmapTextures(0)
{
    m_localToWorld.MakeIdentity();
    m_volume.MakeEmpty();
}

eZone::eZone(const eZone&) : eZone() {}

eZone::~eZone()
{
    UnfileAll();
    if (m_nZoneIndex >= 0 && m_nZoneIndex < kMaxZones && s_pZones[m_nZoneIndex] == this)
        s_pZones[m_nZoneIndex] = nullptr;
    if (m_pLightGrid)
        std::destroy_at(m_pLightGrid);
    m_pLightGrid = nullptr;
    PlatformFree();
    RemoveLightmapSlots(m_nLightmapStartIndex, m_nLightmapTextures);
}

void eZone::RemoveLightmapSlots(int32_t first, int32_t count) const
{
    if (first < 0)
        return;
    for (int64_t slot = first; slot < static_cast<int64_t>(first) + count && slot < eTextureMgr::kSlots; ++slot)
        eTextureMgr::Remove(static_cast<int>(slot));
}

cBase* eZone::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eZone>(*this) : nullptr;
}

// The scene nodes of this zone outlive it (they belong to other pools):
// unfile them and clear their zone, filed or not (a node outside every zone
// keeps its last one), so none keeps a pointer to it.
void eZone::UnfileAll()
{
    UnfileVolumes();
    UnfileSounds();
    auto dropVis = [](eGeom* g) {
        g->m_pVisPrev = g->m_pVisNext = nullptr;
        g->m_nVisNodeIndex = -1;
    };
    auto dropCol = [](eGeom* g) {
        g->m_pColPrev = g->m_pColNext = nullptr;
        g->m_nColNodeIndex = -1;
    };
    eZoneRing::DropAll(m_pVisNodes, eOctree::NodeCount(m_visOctree.m_nLevels), &eZoneVisNode::pGeomVis,
                       &eGeom::m_pVisNext, dropVis);
    eZoneRing::DropAll(m_pColNodes, eOctree::NodeCount(m_colOctree.m_nLevels), &eZoneColNode::pGeomCol,
                       &eGeom::m_pColNext, dropCol);
    while (eGeom* g = m_pResidents) {
        if (g->m_pZone == this)
            g->m_pZone = nullptr;
        g->LeaveResidents();
    }
}

bool eZone::ContainsPos(const mVec3& p) const
{
    return eZoneCell::Holds(m_volume, p);
}

eZone* eZone::GetZoneFromWorldPos(const mVec3& worldPos, mVec3* pOut)
{
    for (eZone* z : s_pZones) {
        if (!z)
            continue;
        mVec3 local;
        local.XformInv(worldPos, z->m_localToWorld);
        if (z->ContainsPos(local)) {
            *pOut = local;
            return z;
        }
    }
    *pOut = worldPos;
    return nullptr;
}

eZone* eZone::GetZoneFromPos(const eZone* pZone, const mVec3& p, mVec3* pOut)
{
    if (pZone && pZone->ContainsPos(p)) {
        *pOut = p;
        return const_cast<eZone*>(pZone);
    }
    mVec3 world = p;
    if (pZone)
        world.Xform(p, pZone->m_localToWorld);
    for (eZone* z : s_pZones) {
        if (!z || z == pZone)
            continue;
        mVec3 local;
        local.XformInv(world, z->m_localToWorld);
        if (z->ContainsPos(local)) {
            *pOut = local;
            return z;
        }
    }
    *pOut = p;
    return nullptr;
}

void eZone::AddGeom(eGeom* g)
{
    if (g->m_nGeomFlags & eGeom::kOutsideZones)
        return;
    const mVec3& centre = g->m_localToZone.origin;
    if ((g->m_nGeomFlags & eGeom::kDraw) && g->m_fVisRadius >= 0.0f && m_pVisNodes) {
        mSphere s;
        s.center = centre;
        s.radius = g->m_fVisRadius;
        const int32_t node = m_visOctree.GetNodeFromSphere(s);
        if (node < 0)
            return;  // outside the tree: left where it was, in both trees
        if (node != g->m_nVisNodeIndex) {
            RemoveGeom(g, eGeom::kDraw);
            g->m_nVisNodeIndex = static_cast<int16_t>(node);
            eZoneRing::File(m_pVisNodes, node, &eZoneVisNode::pGeomVis, &eZoneVisNode::nGeomVisCount, g,
                            &eGeom::m_pVisPrev, &eGeom::m_pVisNext);
        }
    }
    if ((g->m_nGeomFlags & eGeom::kCollide) && g->m_fColRadius >= 0.0f && m_pColNodes) {
        mSphere s;
        s.center = centre;
        s.radius = g->m_fColRadius;
        const int32_t node = m_colOctree.GetNodeFromSphere(s);
        if (node >= 0 && node != g->m_nColNodeIndex) {
            RemoveGeom(g, eGeom::kCollide);
            g->m_nColNodeIndex = static_cast<int16_t>(node);
            eZoneRing::File(m_pColNodes, node, &eZoneColNode::pGeomCol, &eZoneColNode::nGeomColCount, g,
                            &eGeom::m_pColPrev, &eGeom::m_pColNext);
        }
    }
}

void eZone::RemoveGeom(eGeom* g, unsigned int mask)
{
    if ((mask & eGeom::kDraw) && g->m_nVisNodeIndex >= 0) {
        const int32_t node = g->m_nVisNodeIndex;
        if (m_pVisNodes && eZoneCell::ValidNode(node, m_visOctree))
            eZoneRing::Unfile(m_pVisNodes, node, &eZoneVisNode::pGeomVis, &eZoneVisNode::nGeomVisCount, g,
                              &eGeom::m_pVisPrev, &eGeom::m_pVisNext);
        g->m_nVisNodeIndex = -1;
    }
    if ((mask & eGeom::kCollide) && g->m_nColNodeIndex >= 0) {
        const int32_t node = g->m_nColNodeIndex;
        if (m_pColNodes && eZoneCell::ValidNode(node, m_colOctree))
            eZoneRing::Unfile(m_pColNodes, node, &eZoneColNode::pGeomCol, &eZoneColNode::nGeomColCount, g,
                              &eGeom::m_pColPrev, &eGeom::m_pColNext);
        g->m_nColNodeIndex = -1;
    }
}

template <class Node>
static Node* CreateNodes(const eOctree& octree, cMemPool* pPool, const char* sWhich)
{
    if (octree.m_nLevels < 1 || octree.m_nLevels > eOctree::kMaxLevels || !pPool) {
        cLogError_("eZone: %s octree of %d levels refused (allowed 1 to %d)", sWhich, octree.m_nLevels,
                   eOctree::kMaxLevels);
        return nullptr;
    }
    const int32_t n = eOctree::NodeCount(octree.m_nLevels);
    Node* pNodes = static_cast<Node*>(pPool->Alloc(sizeof(Node) * static_cast<size_t>(n), alignof(Node)));
    if (!pNodes)
        return nullptr;
    for (int32_t i = 0; i < n; ++i)
        new (&pNodes[i]) Node();
    return pNodes;
}

bool eZone::CreateVisOctree(const eOctree& octree, cMemPool* pPool)
{
    eZoneVisNode* pNodes = CreateNodes<eZoneVisNode>(octree, pPool, "visibility");
    if (!pNodes)
        return false;
    m_visOctree = octree;
    m_pVisNodes = pNodes;
    return true;
}

bool eZone::CreateColOctree(const eOctree& octree, cMemPool* pPool)
{
    eZoneColNode* pNodes = CreateNodes<eZoneColNode>(octree, pPool, "collision");
    if (!pNodes)
        return false;
    m_colOctree = octree;
    m_pColNodes = pNodes;
    return true;
}

bool eZone::CreateVolOctree(const eOctree& octree, cMemPool* pPool)
{
    eZoneVolNode* pNodes = CreateNodes<eZoneVolNode>(octree, pPool, "trigger-volume");
    if (!pNodes)
        return false;
    m_volOctree = octree;
    m_pVolNodes = pNodes;
    return true;
}

bool eZone::CreateSndOctree(const eOctree& octree, cMemPool* pPool)
{
    eZoneSoundNode* pNodes = CreateNodes<eZoneSoundNode>(octree, pPool, "sound");
    if (!pNodes)
        return false;
    m_sndOctree = octree;
    m_pSndNodes = pNodes;
    return true;
}

// The sounds and the listener reach the zones' sound trees through these.
static void AddSoundToZone(eZone* pZone, eSound* pSound)
{
    pZone->AddSound(pSound);
}

static void RemoveSoundFromZone(eZone* pZone, eSound* pSound)
{
    pZone->RemoveSound(pSound);
}

bool eZone::Initialize()
{
    eSound::SetZoneFiling({&AddSoundToZone, &RemoveSoundFromZone});
    eListener::SetCullAllSounds(&CullAllSounds);
    if (s_pStaticColCache && s_pDynamicColCache)
        return true;
    if (s_collisionCachePool.HasMemory())
        s_collisionCachePool.Reset();
    else if (!s_collisionCachePool.AllocPoolMemory(kCollisionCachePoolSize))
        return false;
    s_pStaticColCache = s_collisionCachePool.New<eCollisionCache>();
    s_pDynamicColCache = s_collisionCachePool.New<eCollisionCache>();
    if (!s_pStaticColCache || !s_pDynamicColCache) {
        cLogError_("eZone::Initialize: the collision caches do not fit the \"CollisionCache\" pool");
        Uninitialize();
        return false;
    }
    return true;
}

void eZone::Uninitialize()
{
    eSound::SetZoneFiling({nullptr, nullptr});
    eListener::SetCullAllSounds(nullptr);
    s_pStaticColCache = nullptr;
    s_pDynamicColCache = nullptr;
    s_collisionCachePool.FreePoolMemory();
}

void eZone::InvalidateStaticCollisionCache()
{
    if (s_pStaticColCache)
        s_pStaticColCache->Invalidate();
}

void eZone::InvalidateDynamicCollisionCache()
{
    if (s_pDynamicColCache)
        s_pDynamicColCache->Invalidate();
}
