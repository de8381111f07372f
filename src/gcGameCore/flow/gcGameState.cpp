#include "gcGameCore/flow/gcGameState.h"

#include <memory>

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcEntitySeam.h"
#include "gcGameCore/flow/gcGameConfig.h"

QM_DEFINE_TYPE(gcGameState, cBase, 95)

gcGameState* gcGameState::s_pGameState = nullptr;

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr int32_t kItemTemplatesBegin = 5;
constexpr int32_t kItemTemplatesEnd = 50;
constexpr int32_t kEffectTemplatesBegin = 5;
constexpr int32_t kEffectTemplatesEnd = 100;

}  // namespace

gcGameState::gcGameState()
{
    gcGameConfig::SetGroupRange(m_keyValues, 50, 150);
    // The templates' groups live in the state's own pool.
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    m_pItemTemplates =
        gcEntitySeam::NewGroup(gcEntitySeam::kItemTemplateGroupId, pPool, kItemTemplatesBegin, kItemTemplatesEnd);
    m_pEffectTemplates = gcEntitySeam::NewGroup(gcEntitySeam::kEffectTemplateGroupId, pPool, kEffectTemplatesBegin,
                                                kEffectTemplatesEnd);
    s_pGameState = this;
}

gcGameState::~gcGameState()
{
    if (m_pEffectTemplates)
        std::destroy_at(m_pEffectTemplates);
    if (m_pItemTemplates)
        std::destroy_at(m_pItemTemplates);
    if (s_pGameState == this)
        s_pGameState = nullptr;
}

// Nothing in the running game copies the state: a new, default one.
cBase* gcGameState::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcGameState>() : nullptr;
}

void gcGameState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    { cWriteBlock base(file, kBaseVersion); }
    m_keyValues.Write(file);
    gcEntitySeam::WriteGroup(m_pEffectTemplates, kEffectTemplatesBegin, file);
    gcEntitySeam::WriteGroup(m_pItemTemplates, kItemTemplatesBegin, file);
}

bool gcGameState::ReadTemplates(const cFile& file, cMemPool* pPool, bool bItemsFirst)
{
    const auto items = [&] { return gcEntitySeam::ReadGroup(m_pItemTemplates, "item template", file, pPool); };
    const auto effects = [&] { return gcEntitySeam::ReadGroup(m_pEffectTemplates, "effect template", file, pPool); };
    return bItemsFirst ? items() && effects() : effects() && items();
}

bool gcGameState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion)
        return rb.Reject("gcGameState", "version");
    { cReadBlock base(file, kBaseVersion); }
    const bool bOk = gcGameConfig::ReadGroup(m_keyValues, file, pPool) &&
                     ReadTemplates(file, pPool, rb.m_nVersion == 3);
    if (!bOk || rb.Failed())
        return rb.Reject("gcGameState", "block");
    ResetInstances();
    return true;
}

void gcGameState::GetFilename(cStr* pName)
{
    pName->Set("%s/Game/GameState.gs", gcGameConfig::s_dataPath.m_sData);
}

void gcGameState::ResetInstances() const
{
    gcEntitySeam::ResetTemplateInstances(m_pItemTemplates, m_pEffectTemplates);
}
