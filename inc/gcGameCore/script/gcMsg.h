#pragma once
// Messages to game objects: a header (sender, id) and, for some ids, a
// payload in a subclass. One catalogue of ids serves every subsystem: 0 to 5
// drive the state protocol and the tick, 10 to 13 activation and freezing,
// 100 to 130 creature commands and notifications, 128 a script event.
// Messages are built on the sender's stack and live for one Send call; they
// are never stored. Main thread.

#include <cmath>
#include <cstdint>

#include "cCore/cTimeValue.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class gcAnimationConfig;
class gcEntity;
class gcEvent;
class gcGameObject;
class gcRegionPath;
class gcRegionPoint;

enum gcMsgId : int32_t {
    MSG_ENTERSTATE = 0,
    MSG_EXITSTATE = 1,
    MSG_TICK = 2,
    MSG_UPDATE = 3,  // the next-update countdown ran out
    MSG_POSTENTERSTATE = 4,
    MSG_POSTEXITSTATE = 5,
    MSG_ACTIVATE = 10,
    MSG_DEACTIVATE = 11,
    MSG_FREEZE = 12,
    MSG_UNFREEZE = 13,
    MSG_STAND = 100,
    MSG_WALK = 101,
    MSG_RUN = 102,
    MSG_JUMP = 103,
    MSG_FACEDIR = 104,
    MSG_ATTACK = 105,
    MSG_CANCELATTACK = 106,
    MSG_DEALDAMAGE = 107,
    MSG_DODGELEFT = 108,
    MSG_DODGERIGHT = 109,
    MSG_BLOCK = 110,
    MSG_UNBLOCK = 111,
    MSG_WALKFORWARD = 112,  // relative to the target
    MSG_WALKLEFT = 113,
    MSG_WALKRIGHT = 114,
    MSG_WALKBACK = 115,
    MSG_SETTARGET = 116,
    MSG_MOVETOPOINT = 117,
    MSG_MOVETOPATH = 118,
    MSG_PLAYANIMATION = 119,
    MSG_BLOCKED = 120,  // sent back to an attacker whose hit was blocked
    MSG_STRAFEDIR = 121,
    MSG_TOUCHED = 122,
    MSG_PLAYFLYINGANIMATION = 123,
    MSG_FADEOUT = 124,
    MSG_INTERACT = 125,
    MSG_DETACHFROMPATH = 126,
    MSG_IDLE = 127,
    MSG_EVENT = 128,  // a script event; shares the creature range
    MSG_REVIVE = 129,
    MSG_FORCESTAND = 130,
};
// The message's name ("Tick", "DealDamage"); "???" for an id not in the catalogue.
const char* gcMsgIdText(int32_t nMsgId);

class gcMsg {
public:
    gcMsg(int32_t id, gcGameObject* from) : pFrom(from), nMsgId(id) {}

    gcGameObject* pFrom;  // the sender, or null (almost every sender passes null)
    int32_t nMsgId;
};

// A message of an id without payload, the sender null.
template <int32_t ID>
class gcMsgPlain : public gcMsg {
public:
    gcMsgPlain() : gcMsg(ID, nullptr) {}
};

using gcMsgEnterState = gcMsgPlain<MSG_ENTERSTATE>;
using gcMsgExitState = gcMsgPlain<MSG_EXITSTATE>;
using gcMsgUpdate = gcMsgPlain<MSG_UPDATE>;
using gcMsgPostEnterState = gcMsgPlain<MSG_POSTENTERSTATE>;
using gcMsgPostExitState = gcMsgPlain<MSG_POSTEXITSTATE>;
using gcMsgActivate = gcMsgPlain<MSG_ACTIVATE>;
using gcMsgDeactivate = gcMsgPlain<MSG_DEACTIVATE>;
using gcMsgFreeze = gcMsgPlain<MSG_FREEZE>;
using gcMsgUnfreeze = gcMsgPlain<MSG_UNFREEZE>;
using gcMsgWalk = gcMsgPlain<MSG_WALK>;
using gcMsgRun = gcMsgPlain<MSG_RUN>;
using gcMsgJump = gcMsgPlain<MSG_JUMP>;
using gcMsgDodgeLeft = gcMsgPlain<MSG_DODGELEFT>;
using gcMsgDodgeRight = gcMsgPlain<MSG_DODGERIGHT>;
using gcMsgBlock = gcMsgPlain<MSG_BLOCK>;
using gcMsgUnBlock = gcMsgPlain<MSG_UNBLOCK>;
using gcMsgInteract = gcMsgPlain<MSG_INTERACT>;
using gcMsgDetachFromPath = gcMsgPlain<MSG_DETACHFROMPATH>;
using gcMsgRevive = gcMsgPlain<MSG_REVIVE>;
using gcMsgForceStand = gcMsgPlain<MSG_FORCESTAND>;

class gcMsgTick : public gcMsg {
public:
    explicit gcMsgTick(cTimeValue step) : gcMsg(MSG_TICK, nullptr), dT(step) {}
    cTimeValue dT;  // the map loop ticks with 20 (1/30 s)
};

class gcMsgFaceDir : public gcMsg {
public:
    explicit gcMsgFaceDir(const mVec3& angles) : gcMsg(MSG_FACEDIR, nullptr), hpr(angles) {}
    // Whether all three angles are finite: any other would turn the
    // receiver's frame to NaN for good, so receivers refuse the message.
    bool IsFinite() const { return std::isfinite(hpr.x) && std::isfinite(hpr.y) && std::isfinite(hpr.z); }
    mVec3 hpr;  // heading, pitch, roll in degrees: the desired orientation
};

class gcMsgAttack : public gcMsg {
public:
    gcMsgAttack(int16_t attack, bool chain, int32_t branch)
        : gcMsg(MSG_ATTACK, nullptr), nAttack(attack), bChain(chain), nBranch(branch) {}
    int16_t nAttack;  // index into the creature's attack list
    bool bChain;
    int32_t nBranch;
};

class gcMsgCancelAttack : public gcMsg {
public:
    explicit gcMsgCancelAttack(int32_t branch) : gcMsg(MSG_CANCELATTACK, nullptr), nBranch(branch) {}
    int32_t nBranch;
};

class gcMsgDealDamage : public gcMsg {
public:
    enum gcDamageDir : int32_t {
        DD_NONE = 0,
        DD_LR = 1,  // left to right
        DD_RL = 2,
        DD_BT = 3,  // bottom to top
        DD_TB = 4,
        DD_F = 5,   // from the front
        MAX_DAMAGEDIR = 6,
    };
    static const char* GetDamageDirText(int32_t dir);  // "LR"...; "???" outside

    // nFlags bits.
    static constexpr uint32_t kHardHit = 0x1;
    static constexpr uint32_t kBlinding = 0x2;
    static constexpr uint32_t kStunning = 0x4;
    static constexpr uint32_t kForced = 0x8;  // passes dodge and block, forces a stun

    gcMsgDealDamage(gcEntity* attacker, uint32_t flags, float amount, gcDamageDir direction, cTimeValue time)
        : gcMsg(MSG_DEALDAMAGE, nullptr), pFrom(attacker), nFlags(flags), fAmount(amount), dir(direction),
          duration(time), bBlocked(false) {}

    // The attacking entity (null for script damage). It hides the header's
    // sender, which stays null; msg.gcMsg::pFrom reaches that one.
    gcEntity* pFrom;
    uint32_t nFlags;
    // The outcome: the receiver writes both through the const message (a
    // blocked or reduced hit), and the attacker reads them back.
    mutable float fAmount;
    gcDamageDir dir;
    cTimeValue duration;
    mutable bool bBlocked;
};

class gcMsgSetTarget : public gcMsg {
public:
    enum gcTarget : int32_t { CLOSEST = 0, NEXT = 1, SPECIFIC = 2 };
    gcMsgSetTarget(gcTarget kind, gcEntity* target) : gcMsg(MSG_SETTARGET, nullptr), target(kind), pTarget(target) {}
    gcTarget target;
    gcEntity* pTarget;  // for SPECIFIC
};

class gcMsgMoveToPoint : public gcMsg {
public:
    gcMsgMoveToPoint(gcRegionPoint* point, bool snap, bool offsetHeight)
        : gcMsg(MSG_MOVETOPOINT, nullptr), pRegionPoint(point), bSnap(snap), bOffsetHeight(offsetHeight) {}
    gcRegionPoint* pRegionPoint;
    bool bSnap;
    bool bOffsetHeight;
};

class gcMsgMoveToPath : public gcMsg {
public:
    gcMsgMoveToPath(gcRegionPath* path, float src, float dest, bool closest, bool snap, bool offsetHeight,
                    const gcEvent* onCompleted)
        : gcMsg(MSG_MOVETOPATH, nullptr), pRegionPath(path), fSrcOnPath(src), fDestOnPath(dest),
          bClosestOnPath(closest), bSnap(snap), bOffsetHeight(offsetHeight), pOnCompleted(onCompleted) {}
    gcRegionPath* pRegionPath;
    float fSrcOnPath;   // fractions of the path
    float fDestOnPath;
    bool bClosestOnPath;
    bool bSnap;
    bool bOffsetHeight;
    const gcEvent* pOnCompleted;
};

class gcMsgPlayAnimation : public gcMsg {
public:
    enum gcPriority : int32_t {
        PRIORITY_LOW = 0,
        PRIORITY_MEDIUM = 1,
        PRIORITY_HIGH = 2,
        PRIORITY_VERYHIGH = 3,
        MAX_PRIORITIES = 4,
    };
    static const char* GetPriorityText(int32_t priority);  // "Low"...; "???" outside

    gcMsgPlayAnimation(const gcAnimationConfig* config, gcPriority prio)
        : gcMsg(MSG_PLAYANIMATION, nullptr), pAnimationConfig(config), priority(prio) {}
    const gcAnimationConfig* pAnimationConfig;
    gcPriority priority;
};

class gcMsgStrafeDir : public gcMsg {
public:
    explicit gcMsgStrafeDir(float heading) : gcMsg(MSG_STRAFEDIR, nullptr), fHeading(heading) {}
    float fHeading;  // degrees
};

class gcMsgTouched : public gcMsg {
public:
    explicit gcMsgTouched(const mOCS& frame) : gcMsg(MSG_TOUCHED, nullptr), localToWorld(frame) {}
    mOCS localToWorld;
};

class gcMsgPlayFlyingAnimation : public gcMsg {
public:
    gcMsgPlayFlyingAnimation(int32_t speed, bool flapping)
        : gcMsg(MSG_PLAYFLYINGANIMATION, nullptr), nSpeed(speed), bFlapping(flapping) {}
    int32_t nSpeed;
    bool bFlapping;
};

class gcMsgFadeOut : public gcMsg {
public:
    explicit gcMsgFadeOut(cTimeValue time) : gcMsg(MSG_FADEOUT, nullptr), fadeOutTime(time) {}
    cTimeValue fadeOutTime;
};

class gcMsgIdle : public gcMsg {
public:
    explicit gcMsgIdle(int32_t anim) : gcMsg(MSG_IDLE, nullptr), nAnim(anim) {}
    int32_t nAnim;  // 0 to 5
};

class gcMsgEvent : public gcMsg {
public:
    enum gcEventId : int32_t {
        ID_NONE = 0,  // what a state machine sees for every other message
        ID_ONINTERACT = 1,
        ID_ONCANINTERACT = 2,
        ID_ONDAMAGETAKEN = 3,
        ID_ONINITIALUPDATE = 4,
        ID_ONDEATH = 5,
        ID_ONHITBOUNDARY = 6,
        ID_ONHITNEIGHBOR = 7,
        ID_ONTARGETACQUIRED = 8,
        ID_ONTARGETLOST = 9,
        ID_CALCDAMAGE = 10,
        ID_ONENRAGED = 11,
        ID_ONFADED = 12,
        ID_ONPATHCOMPLETED = 13,
        ID_ONMESSAGE = 14,  // the scripted message id travels in the event parameters
        MAX_EVENTS = 15,
    };
    static const char* GetEventIdText(int32_t id);  // "OnInteract"...; "???" for 0 and outside

    explicit gcMsgEvent(gcEventId id) : gcMsg(MSG_EVENT, nullptr), eventId(id) {}
    gcEventId eventId;
};
