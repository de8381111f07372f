#include "gcGameCore/entities/gcItemTemplate.h"

#include <algorithm>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcCreatureTemplate.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcItem.h"

QM_DEFINE_TYPE(gcItemTemplate, cObject, 98)

// ---- stat modifiers ----

void gcItemStatModifier::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    wb.WriteInt(type);
    wb.WriteInt(entityType);
    wb.WriteInt(nStat);
    wb.WriteFloat(fValue);
}

bool gcItemStatModifier::Read(const cFile& file)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcItemStatModifier", "version");
    const int32_t nType = rb.ReadInt();
    const int32_t nEntityType = rb.ReadInt();
    const uint32_t stat = rb.ReadUInt();
    const float fAmount = rb.ReadFloat();
    if (rb.Failed())
        return false;
    type = static_cast<gcModifierType>(nType);
    entityType = static_cast<gcEntityType>(nEntityType);
    nStat = stat;
    fValue = fAmount;
    return true;
}

// A creature stat on a carrier that is a creature; any other carrier has
// none. Stat indices outside the creature's table do nothing.
static void ApplyCreatureModifier(gcEntity& carrier, const gcItemStatModifier& mod, float fSign)
{
    gcCreature* pCreature = dcast<gcCreature>(&carrier);
    if (pCreature && mod.nStat < static_cast<uint32_t>(gcCreatureTemplate::MAX_STATS))
        pCreature->AddToCreatureStat(static_cast<int32_t>(mod.nStat), fSign * mod.fValue);
}

// A stat with a maximum moves its maximum and keeps the current value
// within [0, maximum]; any other stat moves its current value.
static void ApplyEntityModifier(gcEntity& carrier, const gcItemStatModifier& mod, float fSign)
{
    if (mod.nStat >= static_cast<uint32_t>(gcEntityTemplate::MAX_STATS))
        return;
    const int stat = static_cast<int>(mod.nStat);
    float& cur = carrier.m_fEntityStatsCur[stat];
    if (!gcEntityTemplate::StatHasMax(stat)) {
        cur += fSign * mod.fValue;
        return;
    }
    float& max = carrier.m_fEntityStatsMax[stat];
    max += fSign * mod.fValue;
    cur = std::max(0.0f, std::min(cur, max));
}

// ---- the template ----

gcItemTemplate::~gcItemTemplate()
{
    for (int i = 0; i < m_nNumInstances; ++i)
        if (m_pInstances[i])
            std::destroy_at(m_pInstances[i]);
}

cBase* gcItemTemplate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcItemTemplate>(*this) : nullptr;
}

void gcItemTemplate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    for (const gcEffectTemplateHandle& h : m_hEffectTemplates)
        h.Write(wb);
    for (const cName& name : m_attachNodeNames)
        name.Write(wb);
    wb.WriteShort(m_nFlags);
    wb.WriteInt(m_nMaxCount);
    for (const gcItemStatModifier& mod : m_statModifiers)
        mod.Write(file);
    wb.WriteInt(m_nChangeSkin);
    wb.WriteInt(m_nChangeSkinSlot);
    wb.WriteInt(m_nCategoryMask);
    wb.WriteFloats(m_viewHPR, 3);
    wb.WriteFloat(m_fVisRadiusModifier);
}

namespace {

// Everything Read takes from the block, committed only when it is whole.
struct ItemTemplateData {
    uint32_t hEffects[gcItemTemplate::kNumEffects] = {};
    cName nodes[gcItemTemplate::kNumEffects];
    uint16_t nFlags = 0;
    int32_t nMaxCount = 0;
    gcItemStatModifier mods[gcItemTemplate::kNumModifiers];
    int32_t nChangeSkin = -1, nChangeSkinSlot = 0;
    uint32_t nCategoryMask = 0;
    float viewHPR[3] = {};
    float fVisRadius = 0.0f;
};

// The fields after the modifiers, by version.
void ReadTail(const cReadBlock& rb, ItemTemplateData* d)
{
    const uint32_t v = rb.m_nVersion;
    if (v >= 2) {
        d->nChangeSkin = rb.ReadInt();
        d->nChangeSkinSlot = rb.ReadInt();
    }
    if (v >= 3) {
        d->nCategoryMask = rb.ReadUInt();
        rb.ReadFloats(d->viewHPR, v >= 6 ? 3 : 2);  // older views have no roll
    }
    if (v >= 5)
        d->fVisRadius = rb.ReadFloat();
}

}  // namespace

bool gcItemTemplate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < kMinVersion || v > kVersion)
        return rb.Reject("gcItemTemplate", "version");
    const cName oldName = m_name;
    if (!ReadObjectPart(rb, pPool))
        return false;
    ItemTemplateData d;
    rb.ReadInts(d.hEffects, kNumEffects);
    for (cName& name : d.nodes)
        name.Read(rb);
    d.nFlags = rb.ReadUShort();
    d.nMaxCount = rb.ReadInt();
    bool bMods = true;
    for (int i = 0; i < kNumModifiers && v >= 2 && bMods && !rb.Failed(); ++i)
        bMods = d.mods[i].Read(file);
    if (bMods && !rb.Failed())
        ReadTail(rb, &d);
    if (!bMods || rb.Failed()) {
        m_name = oldName;
        return rb.Reject("gcItemTemplate", "stat modifier block");
    }
    if (d.nMaxCount < 0) {
        m_name = oldName;
        return rb.Reject("gcItemTemplate", "item count");
    }
    for (int i = 0; i < kNumEffects; ++i) {
        m_hEffectTemplates[i] = gcEffectTemplateHandle(d.hEffects[i]);
        m_attachNodeNames[i] = d.nodes[i];
    }
    m_nFlags = d.nFlags;
    std::copy_n(d.mods, kNumModifiers, m_statModifiers);
    m_nChangeSkin = d.nChangeSkin;
    m_nChangeSkinSlot = d.nChangeSkinSlot;
    m_nCategoryMask = d.nCategoryMask;
    std::copy_n(d.viewHPR, 3, m_viewHPR);
    m_fVisRadiusModifier = d.fVisRadius;
    m_pPool = pPool;
    SetMaxInstances(d.nMaxCount, pPool);
    return true;
}

// ---- modifiers ----

bool gcItemTemplate::CarrierAccepts(const gcEntity& carrier) const
{
    const gcEntityTemplate* pTemplate = carrier.GetTemplate();
    return pTemplate && (pTemplate->nAttachItemMask & m_nCategoryMask) != 0;
}

void gcItemTemplate::ChangeCarrierSkin(gcEntity& carrier, bool bApply) const
{
    if (m_nChangeSkin < 0 || !CarrierAccepts(carrier))
        return;
    carrier.ChangeSkin(bApply ? m_nChangeSkin : carrier.m_nMaterialSkin, m_nChangeSkinSlot);
}

void gcItemTemplate::ApplyModifiers(gcItem* pItem, gcItemStatModifier::gcModifierType type, bool bApply) const
{
    gcEntity* pCarrier = pItem ? pItem->m_pParentEntity : nullptr;
    if (!pCarrier)
        return;
    const float fSign = bApply ? 1.0f : -1.0f;
    for (const gcItemStatModifier& mod : m_statModifiers) {
        if (mod.type != type)
            continue;
        if (mod.entityType == gcItemStatModifier::MOD_ENTITY)
            ApplyEntityModifier(*pCarrier, mod, fSign);
        else if (mod.entityType == gcItemStatModifier::MOD_CREATURE)
            ApplyCreatureModifier(*pCarrier, mod, fSign);
    }
    if (type == gcItemStatModifier::MOD_EQUIP)
        ChangeCarrierSkin(*pCarrier, bApply);
}

// ---- the instance pool ----

void gcItemTemplate::SetMaxInstances(int n, cMemPool* pPool)
{
    if (!pPool)
        pPool = m_pPool;
    m_nMaxCount = std::max(n, 0);
    const int nSize = IsStackable() ? 1 : m_nMaxCount;
    if (nSize == m_nNumInstances)
        return;
    gcItem** pNew = (nSize > 0 && pPool) ? static_cast<gcItem**>(pPool->Alloc(sizeof(gcItem*) * nSize)) : nullptr;
    if (nSize > 0 && !pNew)
        return;  // the pool logged it, or failed the file being read; the old instances stay
    const int nKeep = std::min(nSize, m_nNumInstances);
    std::copy_n(m_pInstances, nKeep, pNew);
    for (int i = nKeep; i < m_nNumInstances; ++i)
        if (m_pInstances[i])
            std::destroy_at(m_pInstances[i]);
    for (int i = nKeep; i < nSize; ++i)
        pNew[i] = pPool->New<gcItem>();
    m_pInstances = pNew;
    m_nNumInstances = nSize;
}

void gcItemTemplate::ResetInstances()
{
    for (int i = 0; i < m_nNumInstances; ++i) {
        gcItem* p = m_pInstances[i];
        if (!p)
            continue;
        p->m_hTemplate = m_handle;
        p->Reset(m_pPool);
        p->m_name = m_name;
    }
}

gcItem* gcItemTemplate::GetInstance()
{
    for (int i = 0; i < m_nNumInstances; ++i) {
        gcItem* p = m_pInstances[i];
        if (p && !p->m_pParentEntity && !p->m_pParentItem)
            return p;
    }
    return nullptr;
}

QM_DEFINE_GROUP(gcItemTemplateGroup, 99)
