#include "gcGameCore/script/gcValControllerState.h"

#include <algorithm>

#include "gcGameCore/creatures/gcPlayer.h"

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

float gcValControllerState::Get(const gcEventParams&) const
{
    const gcPlayer* pPlayer = gcPlayer::Get();
    const int playerPort = pPlayer ? pPlayer->m_nControllerId : -1;
    const bool bHasPort = playerPort >= 0 && playerPort < eInput::kMaxControllers;
    if (state == STATE_PLAYERCONTROLLER)
        return bHasPort ? static_cast<float>(playerPort + 1) : 0.0f;
    if (state < 0 || state >= MAX_STATES || button < 0 || button >= eInput::JOYBTN_COUNT)
        return 0.0f;
    if (bHasPort)
        return GetOnPort(playerPort);
    // No player port yet: the idle time of the most recently used port, the
    // sum of the others (Pressed counts the ports the button went down on).
    float fResult = GetOnPort(0);
    for (int port = 1; port < eInput::kMaxControllers; ++port)
        fResult = state == STATE_IDLETIME ? std::min(fResult, GetOnPort(port)) : fResult + GetOnPort(port);
    return fResult;
}
