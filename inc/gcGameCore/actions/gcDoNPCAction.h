#pragma once
// The script's command to a non-player character: find the boundary that
// holds it, through a hook that by default asks the character itself and
// that tests replace. Lives in its event's pool; main thread. Type id 187.

#include <cstdint>

#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"

class gcDoNPCAction : public gcAction {
    QM_DECLARE_TYPE(gcDoNPCAction)
public:
    static constexpr uint32_t kVersion = 3;

    // Stored in data files.
    enum gcNPCAction : int32_t {
        NA_FINDBOUNDARY = 0,
        MAX_ACTIONTYPES = 1,
    };

    gcDoNPCAction() = default;
    gcDoNPCAction(int32_t type, const gcDesiredEntity& npc) : actionType(type), desiredNPC(npc) {}

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: the base block, the action type, the character.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 (others skipped, false). Versions 1 and 2 store no
    // action type (it stays 0) and a boundary handle after the character,
    // version 2 one more word; both are read over. Unchanged unless read
    // whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    void GetText(char* pBuf) const override;  // "Initiator.FindBoundary"
    // Hands the resolved entity to s_pFindBoundary for NA_FINDBOUNDARY.
    void DoAction(const gcEventParams& params) const override;

    static const char* GetActionTypeText(int32_t type);  // "FindBoundary"; "???" otherwise

    // Finds the boundary that holds the entity when it is a non-player
    // character, and does nothing for any other entity. Tests put their own
    // in its place.
    static void (*s_pFindBoundary)(gcEntity* pEntity);

    int32_t actionType = NA_FINDBOUNDARY;  // a gcNPCAction as stored
    gcDesiredEntity desiredNPC = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
};
