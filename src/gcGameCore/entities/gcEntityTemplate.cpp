#include "gcGameCore/entities/gcEntityTemplate.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eShadowConfig.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcStoredCount.h"

QM_DEFINE_ABSTRACT_TYPE(gcEntityTemplate, cObject, 73)

const char* gcEntityTemplate::GetStatText(int32_t stat)
{
    static const char* const kTexts[MAX_STATS] = {"Health", "Armor", "Blend", "MovementScale"};
    return (stat >= 0 && stat < MAX_STATS) ? kTexts[stat] : "???";
}

const char* gcEntityTemplate::GetValueText(int32_t value)
{
    static const char* const kTexts[MAX_VALUES] = {"InteractAngleTol", "TurningRate", "SoundRadiusScale",
                                                   "InteractDistance"};
    return (value >= 0 && value < MAX_VALUES) ? kTexts[value] : "???";
}

const char* gcEntityTemplate::GetTeamText(int32_t team)
{
    static const char* const kTexts[3] = {"Unfriendly", "Neutral", "Friendly"};
    return (team >= TEAM_UNFRIENDLY && team <= TEAM_FRIENDLY) ? kTexts[team + 1] : "???";
}

bool gcEntityTemplate::StatHasMax(int32_t stat)
{
    return stat == STAT_HEALTH;
}

static constexpr gcEntityTemplate::Range kOtherRange = {0.0f, 999.0f, 1.0f, 0};

gcEntityTemplate::Range gcEntityTemplate::GetStatRange(int32_t stat)
{
    static const Range kRanges[MAX_STATS] = {
        {0.0f, 999.0f, 1.0f, 0}, {0.0f, 1.0f, 0.01f, 2}, {0.0f, 1.0f, 0.01f, 2}, {0.0f, 100.0f, 0.01f, 2}};
    return (stat >= 0 && stat < MAX_STATS) ? kRanges[stat] : kOtherRange;
}

gcEntityTemplate::Range gcEntityTemplate::GetValueRange(int32_t value)
{
    static const Range kRanges[MAX_VALUES] = {
        {0.0f, 180.0f, 1.0f, 0}, {0.0f, 0.99f, 0.01f, 2}, {0.1f, 100.0f, 0.1f, 1}, {0.0f, 100.0f, 0.1f, 1}};
    return (value >= 0 && value < MAX_VALUES) ? kRanges[value] : kOtherRange;
}

gcEntityTemplate::gcEntityTemplate()
    : onUpdate("OnUpdate", m_name.m_sData),
      onInteract("OnInteract", m_name.m_sData),
      onCanInteract("CanInteract", m_name.m_sData),
      onDamageTaken("OnDamageTaken", m_name.m_sData),
      onInitialUpdate("OnInitialUpdate", m_name.m_sData),
      onDeath("OnDeath", m_name.m_sData)
{
}

gcEntityTemplate::gcEntityTemplate(const gcEntityTemplate&) : cObject() {}

gcEntityTemplate::~gcEntityTemplate()
{
    if (pShadowConfig)
        std::destroy_at(pShadowConfig);
}

void gcEntityTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    wb.WriteInt(nEntityTemplateFlags);
    hMesh.Write(wb);
    const eMesh* pMesh = eMeshMgr::GetPtr(hMesh);
    const int nMaterials = pMesh ? std::clamp(pMesh->GetNumMaterials(), 0, kMaxMaterials) : 0;
    const int nSurfaces = pMesh ? std::clamp(pMesh->GetNumSurfaces(), 0, kMaxSurfaces) : 0;
    wb.WriteInt(nMaterials);
    for (const auto& skin : hMaterials)
        for (int i = 0; i < nMaterials; ++i)
            skin[i].Write(wb);
    wb.WriteInt(nSurfaces);
    for (int i = 0; i < nSurfaces; ++i)
        hSurfaces[i].Write(wb);
    wb.WriteInt(nSurfaceCollisionMask);
    wb.WriteInt(entitySize);
    wb.WriteInt(nAttachItemMask);
    wb.WriteBase(pShadowConfig);
    wb.WriteInt(MAX_STATS);
    wb.WriteFloats(fEntityStatsMax, MAX_STATS);
    wb.WriteInt(MAX_VALUES);
    wb.WriteFloats(fEntityValues, MAX_VALUES);
    wb.WriteInt(team);
    onUpdate.Write(file);
    onInteract.Write(file);
    onCanInteract.Write(file);
    onDamageTaken.Write(file);
    onInitialUpdate.Write(file);
    onDeath.Write(file);
    hStateMachine.Write(wb);
}

namespace {

// Everything Read takes from the block, committed only when it is whole.
struct TemplateData {
    uint32_t nFlags;
    eMeshHandle hMesh;
    uint32_t hMaterials[gcEntityTemplate::kMaxSkins][gcEntityTemplate::kMaxMaterials] = {};
    uint32_t hSurfaces[gcEntityTemplate::kMaxSurfaces] = {};
    uint32_t nCollisionMask;
    int32_t nSize;
    uint32_t nAttachMask;
    float fStats[gcEntityTemplate::MAX_STATS];
    float fValues[gcEntityTemplate::MAX_VALUES];
    int32_t nTeam;
    gcStateMachineHandle hStateMachine;
};

void ReadMaterialsAndSurfaces(const cReadBlock& rb, TemplateData* d)
{
    const gcStoredCount materials = gcStoredCount::Read(rb, gcEntityTemplate::kMaxMaterials, "gcEntityTemplate",
                                                        "material count");
    for (auto& skin : d->hMaterials) {
        rb.ReadInts(skin, materials.m_nRead);
        materials.SkipSurplus(rb, 4);
    }
    const gcStoredCount surfaces = gcStoredCount::Read(rb, gcEntityTemplate::kMaxSurfaces, "gcEntityTemplate",
                                                       "surface count");
    rb.ReadInts(d->hSurfaces, surfaces.m_nRead);
    surfaces.SkipSurplus(rb, 4);
}

// Stats, values and team; versions below 10 hold a few of them singly.
void ReadStatsAndValues(const cReadBlock& rb, TemplateData* d)
{
    if (rb.m_nVersion >= 10) {
        const gcStoredCount stats = gcStoredCount::Read(rb, gcEntityTemplate::MAX_STATS, "gcEntityTemplate",
                                                        "stat count");
        rb.ReadFloats(d->fStats, stats.m_nRead);
        stats.SkipSurplus(rb, 4);
        const gcStoredCount values = gcStoredCount::Read(rb, gcEntityTemplate::MAX_VALUES, "gcEntityTemplate",
                                                         "value count");
        rb.ReadFloats(d->fValues, values.m_nRead);
        values.SkipSurplus(rb, 4);
        d->nTeam = rb.ReadInt();
        return;
    }
    d->fStats[gcEntityTemplate::STAT_HEALTH] = rb.ReadFloat();
    d->nTeam = rb.ReadInt();
    if (rb.m_nVersion >= 8)
        d->fValues[gcEntityTemplate::VAL_INTERACTTOL] = rb.ReadFloat();
    if (rb.m_nVersion >= 9)
        d->fValues[gcEntityTemplate::VAL_TURNRATE] = rb.ReadFloat();
}

}  // namespace

// The events a version holds, in file order; a version-11 file holds one
// more after CanInteract's place that nothing uses.
static bool ReadTemplateEvents(const cFile& file, uint32_t v, cMemPool* pPool, gcEvent (&events)[6])
{
    gcEvent unused;
    return (v < 7 || events[0].Read(file, pPool)) && (v < 8 || events[1].Read(file, pPool)) &&
           (v < 17 || events[2].Read(file, pPool)) && (v != 11 || unused.Read(file, pPool)) &&
           (v < 13 || (events[3].Read(file, pPool) && events[4].Read(file, pPool))) &&
           (v < 14 || events[5].Read(file, pPool));
}

bool gcEntityTemplate::Read(const cFile& file, cMemPool* pPool)
{
    return ReadThen(file, pPool, nullptr, nullptr);
}

bool gcEntityTemplate::ReadThen(const cFile& file, cMemPool* pPool, bool (*pReadRest)(void*), void* pContext)
{
    const cName oldName = m_name;
    TemplateData d;
    eShadowConfig* pShadow = nullptr;
    gcEvent events[6];
    {
        cReadBlock rb(file, kVersion);
        const uint32_t v = rb.m_nVersion;
        if (v < kMinVersion || v > kVersion)
            return rb.Reject("gcEntityTemplate", "version");
        if (!ReadObjectPart(rb, pPool))
            return false;
        d.nFlags = v >= 19 ? rb.ReadUInt() : nEntityTemplateFlags;
        d.hMesh.Read(rb, pPool);
        ReadMaterialsAndSurfaces(rb, &d);
        d.nCollisionMask = v >= 16 ? rb.ReadUInt() : nSurfaceCollisionMask;
        d.nSize = v >= 16 ? rb.ReadInt() : entitySize;
        d.nAttachMask = v >= 20 ? rb.ReadUInt() : nAttachItemMask;
        pShadow = static_cast<eShadowConfig*>(rb.ReadBase(pPool, eShadowConfig::GetStaticType()));
        if (v >= 15 && v <= 18)
            d.nFlags = rb.ReadBool() ? (d.nFlags | kBothSweeps) : (d.nFlags & ~kBothSweeps);
        std::copy_n(fEntityStatsMax, MAX_STATS, d.fStats);
        std::copy_n(fEntityValues, MAX_VALUES, d.fValues);
        ReadStatsAndValues(rb, &d);
        const bool bEvents = !rb.Failed() && ReadTemplateEvents(file, v, pPool, events);
        if (bEvents && v >= 18)
            d.hStateMachine.Read(rb, pPool);
        if (!bEvents || rb.Failed()) {
            if (pShadow)
                std::destroy_at(pShadow);
            m_name = oldName;
            return rb.Reject("gcEntityTemplate", "event block");
        }
    }
    // The derived part follows this block; it is read before anything
    // changes, and its failure (logged by its reader) undoes the name too.
    if (pReadRest && !pReadRest(pContext)) {
        if (pShadow)
            std::destroy_at(pShadow);
        m_name = oldName;
        return false;
    }
    nEntityTemplateFlags = d.nFlags;
    hMesh = d.hMesh;
    for (int s = 0; s < kMaxSkins; ++s)
        for (int i = 0; i < kMaxMaterials; ++i)
            hMaterials[s][i] = eMaterialHandle(d.hMaterials[s][i]);
    for (int i = 0; i < kMaxSurfaces; ++i)
        hSurfaces[i] = eSurfaceHandle(d.hSurfaces[i]);
    nSurfaceCollisionMask = d.nCollisionMask;
    entitySize = d.nSize;
    nAttachItemMask = d.nAttachMask;
    if (pShadowConfig)
        std::destroy_at(pShadowConfig);
    pShadowConfig = pShadow;
    std::copy_n(d.fStats, MAX_STATS, fEntityStatsMax);
    std::copy_n(d.fValues, MAX_VALUES, fEntityValues);
    team = d.nTeam;
    gcEvent* mine[6] = {&onUpdate, &onInteract, &onCanInteract, &onDamageTaken, &onInitialUpdate, &onDeath};
    for (int i = 0; i < 6; ++i)
        std::swap(mine[i]->pAction, events[i].pAction);
    hStateMachine = d.hStateMachine;
    return true;
}

gcEntity* gcEntityTemplate::CreateInstance(cMemPool* pPool) const
{
    const cType* pType = GetEntityType();
    cBase* pObject = (pType && pType->m_pNewFunc) ? pType->m_pNewFunc(pPool) : nullptr;
    gcEntity* pEntity = dcast<gcEntity>(pObject);
    if (!pEntity) {
        if (pObject)
            std::destroy_at(pObject);
        cLogError_("gcEntityTemplate: \"%s\" cannot create its %s", m_name.m_sData,
                   pType ? pType->m_sTypeName : "entity (no type)");
        return nullptr;
    }
    pEntity->m_hTemplate = m_handle;
    return pEntity;
}

QM_DEFINE_GROUP(gcEntityTemplateGroup, 74)
