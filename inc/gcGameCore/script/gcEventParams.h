#pragma once
// The context a script event runs with: who and what the event is about.
// Built on the stack of whoever fires the event and read by the event's
// actions and values; a plain structure.

#include <cstdint>

class cBase;
class gcGameObject;
struct mOCS;

struct gcEventParams {
    gcEventParams() = default;
    gcEventParams(gcGameObject* initiator, gcGameObject* participant1, gcGameObject* participant2,
                  const mOCS* localToWorld, cBase* obj)
        : pInitiator(initiator), pParticipant1(participant1), pParticipant2(participant2),
          pLocalToWorld(localToWorld), pObj(obj) {}

    gcGameObject* pInitiator = nullptr;     // the object the event is about
    gcGameObject* pParticipant1 = nullptr;
    gcGameObject* pParticipant2 = nullptr;
    const mOCS* pLocalToWorld = nullptr;    // a location, or null
    cBase* pObj = nullptr;                  // a further object chosen by the firing owner
    // gcMsgEvent::gcEventId; 0 when none. Written by the state machine's Send
    // on the caller's parameters before each handler.
    mutable int32_t nEventId = 0;
    int32_t nMessageId = 0;                 // the scripted message id of ID_ONMESSAGE
    // Set before a state-machine handler runs; a script clears it, through
    // the const parameters its values get, to pass the message on to the
    // parent machine.
    mutable bool bHandled = true;
};
