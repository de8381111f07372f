#pragma once
// What the action tests share: hand-laid blocks of the test classes, event
// files built from them and loaded back, and the type ids of an event's list.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cCore/cBase.h"
#include "datagen/actionWriters.h"
#include "datagen/blockWriter.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/actions/gcDoEvaluation.h"
#include "gcGameCore/actions/gcDoFunction.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoReturn.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "standInTestAction.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcEvent.h"
#include "../script/gcScriptTestObjects.h"

constexpr int32_t kUnknownTypeId = 298;  // registered by no class

// A gcValTest NUMBER of this value, as a polymorphic member.
inline datagen::BlockWriter& ValTestMember(datagen::BlockWriter& w, float f)
{
    w.Int(kTestValueId).Begin(1).Begin(1).Begin(1).Begin(1).End().End().End();
    return w.Int(gcValTest::NUMBER).Float(f).Int(-1).Int(-1).End();
}

// A gcDoTestStep RECORD of this tag, as a polymorphic member.
inline datagen::BlockWriter& RecordMember(datagen::BlockWriter& w, int32_t tag)
{
    w.Int(kTestStepId);
    return datagen::ActionBlock(w, 1).Int(gcDoTestStep::RECORD).Int(tag).Int(0).Int(-1).End();
}

// A member of any id whose block holds one word.
inline datagen::BlockWriter& OpaqueMember(datagen::BlockWriter& w, int32_t id)
{
    return w.Int(id).Begin(1).Int(0x12345678).End();
}

// Writes an event file whose list members are laid out by members (the -1
// is added) and loads it into the pool; null when it does not load.
inline gcEvent* LoadHandLaidEvent(const gcTestDataDir& dir, cMemPool& pool,
                                  const std::function<void(datagen::BlockWriter&)>& members)
{
    const bool bSaved = datagen::WriteObjectBlocksFile(dir.HostPath("event.dat"), gcEvent::GetStaticType()->m_nTypeId,
                                                      [&](datagen::BlockWriter& w) {
                                                          w.Begin(gcEvent::kVersion).Begin(1).End();
                                                          members(w);
                                                          w.Int(-1).End();
                                                      });
    return bSaved ? static_cast<gcEvent*>(cBase::Load("/event.dat", &pool, gcEvent::GetStaticType())) : nullptr;
}

inline std::vector<uint32_t> TypeIds(const gcAction* pFirst)
{
    std::vector<uint32_t> ids;
    for (const gcAction* p = pFirst; p; p = p->pNextAction)
        ids.push_back(p->GetType()->m_nTypeId);
    return ids;
}
