#include "gcGameCore/actions/gcDoEntityActivate.h"

#include <algorithm>
#include <cstdio>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoEntityActivate, gcAction, 126)

namespace {

// The set bits of the mask, 1-based, comma separated; "---" for none. Cut
// at 255 characters like every formatted script text.
void AppendMaskBits(char* pBuf, uint32_t mask)
{
    char text[256] = "---";
    size_t n = 0;
    for (int bit = 0; bit < 32; ++bit) {
        if (!(mask & (1u << bit)))
            continue;
        const uint32_t rest = mask & ~((2u << bit) - 1u);  // 2u << 31 wraps to 0: nothing after bit 31
        const int w = std::snprintf(text + n, sizeof(text) - n, "%i%s", bit + 1, rest ? ", " : "");
        n = std::min(sizeof(text) - 1, n + static_cast<size_t>(std::max(w, 0)));
    }
    gcScriptText::Append(pBuf, text);
}

// Sends the message to every entity of the map's slot range whose mask
// shares a bit with nMask, in slot order.
void SendToGroups(int32_t nMsgId, uint32_t nMask)
{
    const gcMap* pMap = gcMap::s_pMap;
    if (!pMap || nMask == 0)
        return;
    const int begin = std::max(pMap->m_entities.m_nBegin, 0);
    const int end = std::min(pMap->m_entities.m_nEnd, gcEntityMgr::kSlots);
    for (int slot = begin; slot < end; ++slot) {
        gcEntity* p = gcEntityMgr::s_pInstances[slot];
        if (p && (p->m_nActivationMask & nMask))
            p->Send(gcMsg(nMsgId, nullptr));
    }
}

}  // namespace

cBase* gcDoEntityActivate::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoEntityActivate>(desiredEntity, nFlags, nActivationMask) : nullptr;
}

void gcDoEntityActivate::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(nFlags);
    wb.WriteInt(nActivationMask);
}

bool gcDoEntityActivate::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    const uint32_t v = rb.m_nVersion;
    if (v < 1 || v > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoEntityActivate", "version");
    uint32_t flags = kDefaultFlags;
    if (v <= 2)
        flags = rb.ReadBool() ? (flags | kActivate) : (flags & ~kActivate);
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    if (v >= 3)
        flags = rb.ReadUInt();
    if (v == 2)
        flags = rb.ReadBool() ? (flags | kGroups) : (flags & ~kGroups);
    if (v == 1)
        flags &= ~kGroups;  // version 1 names one entity only
    const uint32_t mask = v >= 2 ? rb.ReadUInt() : 0;
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    nFlags = flags;
    nActivationMask = mask;
    return true;
}

void gcDoEntityActivate::GetText(char* pBuf) const
{
    if (nFlags & kGroups) {
        gcScriptText::AppendF(pBuf, "Entity%sGroups( ", GetVerbText(nFlags));
        AppendMaskBits(pBuf, nActivationMask);
        gcScriptText::Append(pBuf, " )");
        return;
    }
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetVerbText(nFlags));
}

void gcDoEntityActivate::DoAction(const gcEventParams& params) const
{
    const int32_t nMsgId = GetMessageId(nFlags);
    if (nFlags & kGroups) {
        SendToGroups(nMsgId, nActivationMask);
        return;
    }
    if (gcEntity* p = desiredEntity.GetEntity(params, nullptr, true))
        p->Send(gcMsg(nMsgId, nullptr));
}

int32_t gcDoEntityActivate::GetMessageId(uint32_t flags)
{
    if (flags & kRevive)
        return MSG_REVIVE;
    return (flags & kActivate) ? MSG_ACTIVATE : MSG_DEACTIVATE;
}

const char* gcDoEntityActivate::GetVerbText(uint32_t flags)
{
    if (flags & kRevive)
        return "Revive";
    return (flags & kActivate) ? "Activate" : "Deactivate";
}
