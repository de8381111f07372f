#include "gcGameCore/values/gcValControllerState.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValControllerState, gcValue, 94)

cBase* gcValControllerState::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValControllerState>(*this) : nullptr;
}

void gcValControllerState::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcValue::Write(file);
    wb.WriteInt(button);
    wb.WriteInt(state);
}

bool gcValControllerState::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion)
        return rb.Reject("gcValControllerState", "version");
    if (!gcValue::Read(file, pPool))
        return rb.Reject("gcValControllerState", "value block");
    const int32_t nButton = rb.ReadInt();
    const int32_t nState = rb.ReadInt();
    if (rb.Failed())
        return false;
    // Out-of-range values are kept as stored: they read 0.0 and print "???".
    button = nButton;
    state = static_cast<gcState>(nState);
    return true;
}

const char* gcValControllerState::GetButtonStateText(int s)
{
#define QM_CONTROLLER_STATE_TEXT(name, value, text) text,
    static const char* const s_texts[MAX_STATES] = {QM_CONTROLLER_STATES(QM_CONTROLLER_STATE_TEXT)};
#undef QM_CONTROLLER_STATE_TEXT
    return s >= 0 && s < MAX_STATES ? s_texts[s] : "???";
}

const char* gcValControllerState::GetButtonText(int b)
{
    return eInput::GetButtonText(b);
}

void gcValControllerState::GetText(char* pBuf) const
{
    switch (state) {
    case STATE_IDLETIME:
    case STATE_PRESENT:
    case STATE_CHANGED:
    case STATE_PLAYERCONTROLLER:
        gcScriptText::AppendF(pBuf, "Controller.%s", GetButtonStateText(state));
        break;
    case STATE_VALUE:
        gcScriptText::Append(pBuf, GetButtonText(button));
        break;
    default:
        gcScriptText::AppendF(pBuf, "%s.%s", GetButtonText(button), GetButtonStateText(state));
        break;
    }
}

bool gcValControllerState::IsValid() const
{
    // Idle time, presence and change are about the whole port: their button
    // is never looked at.
    const bool bPortWide = state == STATE_IDLETIME || state == STATE_PRESENT || state == STATE_CHANGED;
    return state >= 0 && state < MAX_STATES && (bPortWide || (button >= 0 && button < eInput::JOYBTN_COUNT));
}

float gcValControllerState::GetOnPort(int port) const
{
    const eInput::eInputState& js = eInput::s_joyState[port];
    switch (state) {
    case STATE_PRESSED:
        return js.bButtonPressed[button] ? 1.0f : 0.0f;
    case STATE_DOWN:
    case STATE_VALUE:
        return js.fCurrentState[button];
    case STATE_RELEASED:
        return js.bButtonReleased[button] ? 1.0f : 0.0f;
    case STATE_DBLPRESSED:
        return js.bButtonDblPressed[button] ? 1.0f : 0.0f;
    case STATE_LASTPRESSED:
        return eInput::s_lastButtonPressed[port] == button ? 1.0f : 0.0f;
    case STATE_DOWNTIME:
        return js.buttonDownTime[button].GetSeconds();
    case STATE_IDLETIME:
        return js.idleTime.GetSeconds();
    case STATE_PRESENT:
        return eInput::IsControllerPresent(port) ? 1.0f : 0.0f;
    case STATE_CHANGED:
        return js.bChanged ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

static int PlayerPort()
{
    const int port = gcPlayer::Get()->m_nControllerId;
    return port >= 0 && port < eInput::kMaxControllers ? port : -1;
}

float gcValControllerState::Get(const gcEventParams&) const
{
    const int playerPort = PlayerPort();
    if (state == STATE_PLAYERCONTROLLER)
        return static_cast<float>(playerPort + 1);
    // A button or state from data outside its table reads nothing rather
    // than past the port's tables.
    if (!IsValid())
        return 0.0f;
    if (playerPort >= 0)
        return GetOnPort(playerPort);
    // No player port yet: the smallest idle time, the sum of the other
    // queries (Pressed counts the ports the button went down on).
    float fResult = GetOnPort(0);
    for (int port = 1; port < eInput::kMaxControllers; ++port)
        fResult = state == STATE_IDLETIME ? std::min(fResult, GetOnPort(port)) : fResult + GetOnPort(port);
    return fResult;
}

int gcValControllerState::GetFirstControllerResponse() const
{
    const int playerPort = PlayerPort();
    if (playerPort >= 0)
        return playerPort;
    if (!IsValid())
        return -1;
    for (int port = 0; port < eInput::kMaxControllers; ++port) {
        if (GetOnPort(port) != 0.0f)
            return port;
    }
    return -1;
}
