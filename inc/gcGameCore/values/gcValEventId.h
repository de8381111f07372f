#pragma once
// A literal script event id, compared by scripts with "[EventId]". Read with
// its owner into its pool; main thread. Type id 250.

#include <cstdint>

#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcValue.h"

class gcValEventId : public gcValue {
    QM_DECLARE_TYPE(gcValEventId)
public:
    static constexpr uint32_t kVersion = 1;

    gcValEventId() = default;
    explicit gcValEventId(gcMsgEvent::gcEventId id) : eventId(id) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the gcValue block, then the id.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    float Get(const gcEventParams& params) const override;  // the id, whatever it is
    void GetText(char* pBuf) const override;  // "[OnDeath]"; "[???]" for 0 and outside

    // "OnInteract" .. "OnMessage"; "???" for 0 and outside.
    static const char* GetEventIdText(int32_t id) { return gcMsgEvent::GetEventIdText(id); }

    gcMsgEvent::gcEventId eventId = gcMsgEvent::ID_ONINITIALUPDATE;
};
