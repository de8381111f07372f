// gcDevice: taking damage. The team test, the damage script and health
// unless invulnerable, then the hit animation or the way to death.
#include <algorithm>
#include <cmath>

#include "gcGameCore/entities/gcDevice.h"
#include "gcGameCore/entities/gcDeviceTemplate.h"
#include "gcGameCore/script/gcEventParams.h"
#include "gcGameCore/script/gcEventStackData.h"

namespace {

// Damage that is not a number, from a file or a script, is no damage: it
// would leave Health not a number, dying without a death.
float NumberOrNone(float fAmount)
{
    return std::isnan(fAmount) ? 0.0f : fAmount;
}

}  // namespace

void gcDevice::RaiseDeviceEvent(int32_t nEventId, const gcEvent* pTemplateEvent, const gcEventParams& params,
                                gcEventStackData& frame)
{
    if (HasStateMachine())
        m_stateInfo.Send(gcMsgEvent(static_cast<gcMsgEvent::gcEventId>(nEventId)), params, frame);
    else if (pTemplateEvent)
        pTemplateEvent->Apply(params, frame);
}

void gcDevice::OnTakeDamage(const gcMsgDealDamage& msg)
{
    // Both friendly or both unfriendly: the hit is no hit at all.
    if (msg.pFrom && msg.pFrom->m_team * m_team == 1) {
        msg.fAmount = 0.0f;
        return;
    }
    gcEventParams params;
    GetEventParams(&params);
    float fAmount = 0.0f;
    if (!(m_nEntityFlags & kInvulnerable)) {
        params.pParticipant1 = msg.pFrom;
        gcEventStackData frame(NumberOrNone(msg.fAmount), 0.0f);
        RaiseDeviceEvent(gcMsgEvent::ID_ONDAMAGETAKEN, m_pTemplate ? &m_pTemplate->onDamageTaken : nullptr, params,
                         frame);
        fAmount = NumberOrNone(frame.fInValues[0]);  // the script may change the amount
        const float fMax = std::max(m_fEntityStatsMax[gcEntityTemplate::STAT_HEALTH], 0.0f);
        const float fHealth = std::clamp(GetStat(gcEntityTemplate::STAT_HEALTH) - fAmount, 0.0f, fMax);
        SetStat(gcEntityTemplate::STAT_HEALTH, fHealth);
        if (fHealth <= 0.0f) {
            gcEventStackData death;
            RaiseDeviceEvent(gcMsgEvent::ID_ONDEATH, m_pTemplate ? &m_pTemplate->onDeath : nullptr, params, death);
            onDeath.Apply(params, gcEventStackData());
        }
    }
    msg.fAmount = fAmount;
    if (GetStat(gcEntityTemplate::STAT_HEALTH) > 0.0f)
        RequestState(STATE_HIT, PlayDeviceAnimation(ANIM_HIT));
    else
        Die(params);
    m_entityTimeSince[TIMESINCE_TOOKDAMAGE] = cTimeValue(0);
}

// Through the dying animation, else the dead one; with neither the device
// is faded at once and gone.
void gcDevice::Die(const gcEventParams& params)
{
    if (ResolvedConfig(ANIM_DYING)) {
        GoTo(STATE_DYING);
    } else if (ResolvedConfig(ANIM_DEAD)) {
        GoTo(STATE_DEAD);
    } else {
        gcEventStackData frame;
        if (HasStateMachine())
            m_stateInfo.Send(gcMsgEvent(gcMsgEvent::ID_ONFADED), params, frame);
        onFaded.Apply(params, gcEventStackData());
        GoTo(STATE_GONE);
    }
}
