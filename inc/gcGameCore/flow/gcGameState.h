#pragma once
// The game data that carries over between maps and goes into the save
// profiles: the game-wide key values, and the item and effect templates
// whose pooled instances the player carries. Read from
// "%s/Game/GameState.gs" into the "Game State" pool every time the main menu
// or a map loads (gcGame::LoadGameState), so that every map starts from the
// file's values and fresh template instances. One instance; loader thread,
// then main thread. Type id 95.

#include <cstdint>

#include "cCore/cBase.h"
#include "cCore/cStr.h"
#include "gcGameCore/script/gcKeyValue.h"

class cGroup;

class gcGameState : public cBase {
    QM_DECLARE_TYPE(gcGameState)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 3;  // older blocks are refused

    // Key values in slots [50, 150), item templates [5, 50), effect
    // templates [5, 100). Sets s_pGameState.
    gcGameState();
    // Its groups destroy what they hold; clears s_pGameState.
    ~gcGameState() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 4: the cBase block, key values, effect templates, item
    // templates.
    void Write(const cFile& file) const override;
    // Versions 3 and 4 (version 3 stores the item templates before the
    // effect templates); then every template's pooled instances are reset.
    bool Read(const cFile& file, cMemPool* pPool) override;

    static void GetFilename(cStr* pName);  // "%s/Game/GameState.gs"
    // Every pooled item and effect re-initialised from its template.
    void ResetInstances() const;

    gcKeyValueGroup m_keyValues;
    cGroup* m_pItemTemplates = nullptr;    // gcItemTemplateGroup; null only when the pool had no room
    cGroup* m_pEffectTemplates = nullptr;  // gcEffectTemplateGroup; likewise

    static gcGameState* s_pGameState;

private:
    bool ReadTemplates(const cFile& file, cMemPool* pPool, bool bItemsFirst);
};
