#include "gcGameCore/actions/gcDoSaveGameOp.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/flow/gcGameSave.h"
#include "gcGameCore/flow/gcPlatformConfig.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoSaveGameOp, gcAction, 210)

namespace {

gcDesiredValue Literal(float f)
{
    gcDesiredValue v;
    v.desiredValue = gcDesiredValue::VAL_NUMBER;
    v.fConst = f;
    return v;
}

// The platform's saved or loaded event, run as the game flow runs its own:
// no parameters and a fresh frame. The data decides there whether to commit.
void ApplyPlatformEvent(gcEvent gcPlatformConfig::*pEvent)
{
    if (const gcPlatformConfig* p = gcPlatformConfig::s_pPlatformConfig)
        (p->*pEvent).Apply(gcEventParams(), gcEventStackData());
}

void SetCurProfile(float fNumber)
{
    const int32_t n = gcValue::TruncToInt(fNumber);
    if (n >= 1 && n <= gcGameSave::kNumProfiles)
        gcGameSave::s_nCurProfile = n - 1;
}

}  // namespace

gcDoSaveGameOp::gcDoSaveGameOp() : profile(Literal(1.0f)) {}

cBase* gcDoSaveGameOp::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoSaveGameOp>(op, profile) : nullptr;
}

void gcDoSaveGameOp::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    wb.WriteInt(op);
    profile.Write(wb);
}

bool gcDoSaveGameOp::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoSaveGameOp", "version");
    const int32_t nOp = rb.ReadInt();
    gcDesiredValue number;
    if (rb.m_nVersion >= 2)
        number.Read(rb, pPool);
    else
        number = Literal(static_cast<float>(rb.ReadInt()) + 1.0f);
    if (rb.Failed())
        return false;
    op = nOp;
    profile = number;
    return true;
}

const char* gcDoSaveGameOp::GetOpText(int32_t nOp)
{
    static const char* const s_texts[MAX_OPS] = {
        "LoadAllProfiles",   "SaveAllProfiles",       "NewProfile",        "LoadProfile",       "SaveProfile",
        "SaveOverwriteProfile", "StartProfile",       "UpdateLastUsedProfile", "LoadProfileCommit",
        "SaveProfileCommit", "DetermineController",   "SetCurProfile",     "SaveProfileOptions",
    };
    return nOp >= 0 && nOp < MAX_OPS ? s_texts[nOp] : "???";
}

void gcDoSaveGameOp::GetText(char* pBuf) const
{
    if (op == OP_SETCURPROFILE) {
        gcScriptText::Append(pBuf, "SetCurProfile( ");
        profile.GetText(pBuf);
        gcScriptText::Append(pBuf, " )");
        return;
    }
    gcScriptText::Append(pBuf, "SaveGameOp.");
    gcScriptText::Append(pBuf, GetOpText(op));
}

void gcDoSaveGameOp::DoAction(const gcEventParams&) const
{
    switch (op) {
    case OP_NEWPROFILE:
        gcGameSave::ResetCurProfile();
        break;
    case OP_LOADPROFILE:
        ApplyPlatformEvent(&gcPlatformConfig::onGameLoaded);
        break;
    case OP_SAVEPROFILE:
        gcGameSave::UpdateCurProfile(false);
        ApplyPlatformEvent(&gcPlatformConfig::onGameSaved);
        break;
    case OP_SAVEOVERWRITEPROFILE_COMMIT:
        gcGameSave::SaveCurProfile(true, false);
        break;
    case OP_STARTPROFILE:
        gcGameSave::StartCurProfile();
        break;
    case OP_UPDATELASTUSEDPROFILE:
        gcGameSave::UpdateLastUsedProfile();
        break;
    case OP_LOADPROFILE_COMMIT:
        gcGameSave::LoadCurProfile();
        break;
    case OP_SAVEPROFILE_COMMIT:
        gcGameSave::SaveCurProfile(false, false);
        break;
    case OP_DETERMINECONTROLLER:
        gcPlayer::Get()->DeterminePlayerController();
        break;
    case OP_SETCURPROFILE:
        SetCurProfile(profile.GetValue());
        break;
    case OP_SAVEPROFILEOPTIONS_COMMIT:
        gcGameSave::SaveCurProfile(false, true);
        break;
    default:  // load and save all profiles do nothing; others are not operations
        break;
    }
}
