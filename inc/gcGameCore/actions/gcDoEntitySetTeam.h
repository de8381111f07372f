#pragma once
// Puts an entity on a team (unfriendly, neutral, friendly), overwriting the
// one its template gave it. Lives in its event's pool; main thread. Type id
// 170.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoEntitySetTeam : public gcAction {
    QM_DECLARE_TYPE(gcDoEntitySetTeam)
public:
    static constexpr uint32_t kVersion = 1;

    gcDoEntitySetTeam() = default;
    gcDoEntitySetTeam(const gcDesiredEntity& entity, int32_t nTeam) : desiredEntity(entity), team(nTeam) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: the base block, the entity, the team.
    void Write(const cFile& file) const override;
    // Version 1 only (others skipped, false); unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "Initiator.SetTeam( Friendly )"
    // Nothing when the reference names no entity.
    void DoAction(const gcEventParams& params) const override;

    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    int32_t team = gcEntityTemplate::TEAM_UNFRIENDLY;  // a gcEntityTemplate::gcEntityTeam as stored
};
