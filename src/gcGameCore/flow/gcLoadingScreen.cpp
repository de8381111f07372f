#include "gcGameCore/flow/gcLoadingScreen.h"

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "gcGameCore/interface/gcUI.h"

QM_DEFINE_TYPE(gcLoadingScreen, cObject, 172)

gcLoadingScreen* gcLoadingScreen::s_pLoadingScreen = nullptr;

namespace {

void SetRanges(gcLoadingScreen& screen, bool bDefault)
{
    using G = gcGameConfig;
    G::SetGroupRange(screen.m_textures, bDefault ? 400 : -1, bDefault ? 420 : -1);
    G::SetGroupRange(screen.m_materials, bDefault ? 600 : -1, bDefault ? 620 : -1);
    G::SetGroupRange(screen.m_sprites, bDefault ? 500 : -1, bDefault ? 600 : -1);
    G::SetGroupRange(screen.m_UIDialogs, bDefault ? 20 : -1, bDefault ? 30 : -1);
}

}  // namespace


gcLoadingScreen::gcLoadingScreen(int nId) : m_nLoadingScreenId(nId)
{
    SetRanges(*this, true);
    s_pLoadingScreen = this;
}

gcLoadingScreen::gcLoadingScreen(const gcLoadingScreen& other)
    : cObject(other), m_nLoadingScreenId(other.m_nLoadingScreenId)
{
    SetRanges(*this, false);
    s_pLoadingScreen = this;
}

gcLoadingScreen::~gcLoadingScreen()
{
    if (s_pLoadingScreen == this)
        s_pLoadingScreen = nullptr;
}

cBase* gcLoadingScreen::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcLoadingScreen>(*this) : nullptr;
}

void gcLoadingScreen::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cObject::Write(file);
    m_textures.Write(file);
    m_materials.Write(file);
    m_sprites.Write(file);
    m_UIDialogs.Write(file);
}

bool gcLoadingScreen::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0 || rb.m_nVersion > kVersion)
        return rb.Reject("gcLoadingScreen", "version");
    if (!ReadObjectPart(rb, pPool))
        return false;
    using G = gcGameConfig;
    bool bOk = G::ReadGroup(m_textures, file, pPool) && G::ReadGroup(m_materials, file, pPool);
    if (bOk && rb.m_nVersion >= 2)
        bOk = G::ReadGroup(m_sprites, file, pPool);
    bOk = bOk && G::ReadGroup(m_UIDialogs, file, pPool);
    if (!bOk || rb.Failed())
        return rb.Reject("gcLoadingScreen", "block");
    m_bLoadingComplete = true;
    return true;
}

void gcLoadingScreen::GetFilename(int nId, cStr* pName)
{
    pName->Set("%s/Game/LoadingScreens/LoadingScreen%02i.ls", gcGameConfig::s_dataPath.m_sData, nId + 1);
}

gcUIDialog* gcLoadingScreen::ShowDialog()
{
    const gcLoadingScreen* p = s_pLoadingScreen;
    if (!p || p->m_UIDialogs.m_nBegin < 0)
        return nullptr;
    gcUIDialog* pDialog = gcUIDialogMgr::GetPtr(gcUIDialogMgr::GetHandle(p->m_UIDialogs.m_nBegin));
    if (pDialog)
        gcUI::OpenDialog(pDialog, nullptr, static_cast<float>(p->m_nLoadingScreenId));
    return pDialog;
}
