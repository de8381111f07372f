#include "gcGameCore/values/gcValRumbleEnabled.h"

#include "platform/os.h"
#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eInput.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/values/gcValControllerState.h"

QM_DEFINE_TYPE(gcValRumbleEnabled, gcLValue, 213)

cBase* gcValRumbleEnabled::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValRumbleEnabled>() : nullptr;
}

void gcValRumbleEnabled::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
}

bool gcValRumbleEnabled::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    return ReadFrame(rb, pPool, 1, kVersion) && !rb.Failed();
}

float gcValRumbleEnabled::Get(const gcEventParams&) const
{
    return eInput::s_bRumble ? 1.0f : 0.0f;
}

void gcValRumbleEnabled::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "RumbleEnabled");
}

void gcValRumbleEnabled::Set(float fValue, const gcEventParams&)
{
    const bool bOn = fValue != 0.0f;
    if (bOn != eInput::s_bRumble)
        eInput::StopRumble();
    eInput::s_bRumble = bOn;
    if (!bOn)
        return;
    // Feedback on the controller that confirmed: the player's port, or the
    // first one pressing confirm.
    const int port = gcValControllerState(gcValControllerState::STATE_PRESSED, eInput::JOYBTN_UI_CONFIRM)
                         .GetFirstControllerResponse();
    if (port < 0 || port >= eInput::kMaxControllers)
        return;
    // A millisecond's sleep a step: the virtual clock of a headless run
    // moves only while every thread waits.
    const double fEnd = cGetTimeSeconds() + kFeedbackSeconds;
    while (cGetTimeSeconds() < fEnd) {
        eInput::s_joyState[port].fRumble += 1.0f;
        eInput::Update(cTimeValue(0), true);
        OSSleepTicks(OSMillisecondsToTicks(1));
    }
}
