#pragma once
// What the player sees while a map loads: a dialog with its textures,
// materials and sprites, read from "%s/Game/LoadingScreens/LoadingScreen%02i.ls"
// into the "Loading Screen" pool on the map loader's thread; the main thread
// opens its dialog and draws it until the load has ended and the dialog has
// closed. One at a time (s_pLoadingScreen). Type id 172.

#include <cstdint>

#include "cCore/cObject.h"
#include "cCore/cStr.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eSprite.h"
#include "eEngine/eTextureGroup.h"
#include "gcGameCore/interface/gcUIDialog.h"

class gcLoadingScreen : public cObject {
    QM_DECLARE_TYPE(gcLoadingScreen)
public:
    static constexpr uint32_t kVersion = 2;
    static constexpr int kMaxLoadingScreens = 48;

    // The screen of that id (0..47); the type registry's factory makes one
    // with id -1. Registers s_pLoadingScreen.
    explicit gcLoadingScreen(int nId = -1);
    gcLoadingScreen(const gcLoadingScreen& other);
    gcLoadingScreen& operator=(const gcLoadingScreen&) = delete;
    // Its groups delete what they hold; clears s_pLoadingScreen.
    ~gcLoadingScreen() override;
    cBase* Copy(cMemPool* pPool) const override;

    // Version 2: the cObject block, textures, materials, sprites, dialogs.
    void Write(const cFile& file) const override;
    // Versions 1 (no sprites) and 2; m_bLoadingComplete once read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Opens the dialog in the first slot of the resident screen's dialog
    // group, with the screen's id as its in-parameter. The dialog, or null
    // without a screen or a dialog.
    static gcUIDialog* ShowDialog();
    // "%s/Game/LoadingScreens/LoadingScreen%02i.ls" with the id plus one.
    static void GetFilename(int nId, cStr* pName);

    int32_t m_nLoadingScreenId = -1;
    eTextureGroup m_textures;
    eMaterialGroup m_materials;
    eSpriteGroup m_sprites;
    gcUIDialogGroup m_UIDialogs;
    bool m_bLoadingComplete = false;

    static gcLoadingScreen* s_pLoadingScreen;
};
