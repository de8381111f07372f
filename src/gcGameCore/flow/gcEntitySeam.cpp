#include "gcGameCore/flow/gcEntitySeam.h"

#include <algorithm>
#include <cstring>

#include "cCore/cFile.h"
#include "cCore/cGroup.h"
#include "cCore/cLog.h"
#include "cCore/cType.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/flow/gcMap.h"

namespace {

// The class each group id stands for in every data file; a registration
// under another name is not taken for a group.
const char* GroupClassName(uint32_t nTypeId)
{
    switch (nTypeId) {
    case gcEntitySeam::kItemTemplateGroupId:
        return "gcItemTemplateGroup";
    case gcEntitySeam::kEffectTemplateGroupId:
        return "gcEffectTemplateGroup";
    case gcMap::kRegionTriggerGroupId:
        return "gcRegionTriggerGroup";
    case gcMap::kCinematicGroupId:
        return "gcCinematicGroup";
    case gcMap::kVoiceOverGroupId:
        return "gcVoiceOverGroup";
    default:
        return nullptr;
    }
}

}  // namespace

cGroup* gcEntitySeam::NewGroup(uint32_t nTypeId, cMemPool* pPool, int32_t begin, int32_t end)
{
    const char* sName = GroupClassName(nTypeId);
    const cType* pType = cType::Find(static_cast<int32_t>(nTypeId));
    if (!sName || !pType || !pType->m_pNewFunc || std::strcmp(pType->m_sTypeName, sName) != 0)
        return nullptr;
    cGroup* pGroup = static_cast<cGroup*>(pType->m_pNewFunc(pPool));
    if (pGroup)
        gcGameConfig::SetGroupRange(*pGroup, begin, end);
    return pGroup;
}

bool gcEntitySeam::ReadGroup(cGroup* pGroup, const char* sWhat, const cFile& file, cMemPool* pPool)
{
    if (pGroup)
        return gcGameConfig::ReadGroup(*pGroup, file, pPool);
    // A full pool failed the file already, naming itself.
    if (!file.Failed())
        cLogError_("gcEntitySeam: no %s group to read \"%s\" into", sWhat, file.m_filename.m_sData);
    return false;
}

void gcEntitySeam::WriteGroup(const cGroup* pGroup, int32_t begin, const cFile& file)
{
    if (pGroup) {
        pGroup->Write(file);
        return;
    }
    // The block of a group with an empty range.
    cWriteBlock wb(file, cGroup::kVersion);
    { cWriteBlock base(file, 1); }
    wb.WriteInt(begin);
    wb.WriteInt(begin);
}

namespace {

// Every template of the manager in the group's slot range gets fresh pooled
// instances.
template <class Mgr>
void ResetRange(const cGroup* pGroup)
{
    if (!pGroup)
        return;
    for (int32_t slot = pGroup->FirstTableSlot(); slot < pGroup->EndTableSlot(); ++slot)
        if (auto* pTemplate = Mgr::s_pInstances[slot])
            pTemplate->ResetInstances();
}

}  // namespace

void gcEntitySeam::ResetTemplateInstances(const cGroup* pItemTemplates, const cGroup* pEffectTemplates)
{
    ResetRange<gcItemTemplateMgr>(pItemTemplates);
    ResetRange<gcEffectTemplateMgr>(pEffectTemplates);
}
