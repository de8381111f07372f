#pragma once
// Builders for the scripts that command creatures: the player's control
// state machine, which reads the main stick and the buttons every tick and
// sends the player's creature its walk, run, stand, jump and attack
// commands. Offline tools and test fixtures; main thread.

class cMemPool;
class gcAction;
class gcEvent;
class gcStateMachine;

namespace datagen {

// Stick deflections (0..1, gcValControllerState LThumbMag) at which the
// player walks and runs.
constexpr float kPlayerWalkDeflection = 0.2f;
constexpr float kPlayerRunDeflection = 0.7f;
// How far (degrees) the stick's direction may lie from the creature's facing,
// both seen from the camera, before the creature turns to it.
constexpr float kPlayerTurnSlack = 10.0f;

// Fills the event with the control step, run on the Initiator (the
// controlled creature): the stick turns it to the stick's direction seen
// from the camera (see kPlayerTurnSlack); at least kPlayerRunDeflection runs, at least
// kPlayerWalkDeflection walks, less stands while walking, running or
// otherwise moving (a flyer brakes to a hover); then
// button 1 pressed jumps, button 2 pressed starts attack 1 and button 3
// pressed works what the creature stands at (interacts). False
// (logged) when the pool is full.
bool FillPlayerControlEvent(gcEvent& event, cMemPool* pPool);

// A flyer braked to a hover takes no walk, which only stops a flap: for
// its braking configuration's OnUpdated, a stick pushed to a walk but short
// of a run sends it a run and then a walk in the same tick, which starts
// the flap and at once turns it into gear 0's coast. Null (logged) when the
// pool is full.
gcAction* NewCoastFromHover(cMemPool* pPool);

// A state machine named name whose machine-wide tick handler is the control
// step, so it steers the player in whatever state the entity is; null
// (logged) when the pool is full. Placed in a state-machine group and named
// by the player template's hStateMachine.
gcStateMachine* NewPlayerControlStateMachine(cMemPool* pPool, const char* name);

}  // namespace datagen
