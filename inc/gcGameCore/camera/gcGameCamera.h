#pragma once
// The one script-driven camera of the game: a game object named
// "GameCamera" that owns the engine camera every zone is culled and drawn
// through. Each tick it runs its position controller, its look-at
// controller, the shake, the trigger query, and the letterbox and fade; the
// frame drawing brackets the scene with BeginRender, Draw and EndRender. A
// function-level static made on the first Get, never in a pool; it points
// into pools only through its three completion events. Main thread.
// Type id 81.

#include <cstdint>

#include "cCore/cTimeValue.h"
#include "eEngine/eCamera.h"
#include "eEngine/eMaterial.h"
#include "gcGameCore/camera/gcCameraFilterConsts.h"
#include "gcGameCore/camera/gcCameraOccluders.h"
#include "gcGameCore/camera/gcGameCameraParams.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcGameObject.h"
#include "mMath/mQuat.h"
#include "mMath/mVec3.h"

class eColliderRay;
class gcEvent;

class gcGameCamera : public gcGameObject {
    QM_DECLARE_TYPE(gcGameCamera)
public:
    static constexpr uint32_t kVersion = 1;

    // m_nFlags.
    static constexpr uint32_t kReorienting = 0x01;      // swinging behind the followed entity
    static constexpr uint32_t kAlternate = 0x02;        // m_alternateHPR is non-zero
    static constexpr uint32_t kShaking = 0x04;
    static constexpr uint32_t kLetterbox = 0x08;        // bars shown or fading
    static constexpr uint32_t kLetterboxIn = 0x10;      // bars fading towards opaque
    static constexpr uint32_t kFade = 0x20;             // full-screen fade shown or fading
    static constexpr uint32_t kFadeIn = 0x40;           // fading towards opaque
    static constexpr uint32_t kBehindEntity = 0x80;     // placement behind the followed entity in force

    // The map's flag that holds the view still (fades and letterbox go on).
    static constexpr uint32_t kMapViewPaused = 0x8;

    static constexpr cTimeValue kDefaultFadeTime{600};   // one second
    static constexpr cTimeValue kFadeLead{40};           // opacity ends two frames before the event
    static constexpr float kDefaultReorientFactor = 1.5f;
    static constexpr float kBaseFOV = 60.0f;             // degrees; 70 with the bars fully shown
    static constexpr float kLetterboxFOVWiden = 10.0f;
    static constexpr float kMinShakeIntensity = 0.00001f;
    static constexpr float kMaxViewPitch = 80.0f;        // the view never looks straight up or down
    static constexpr float kMaxTurnPerTick = 60.0f;      // degrees of heading before filtering
    static constexpr float kMinPathSpeed = 0.01f;        // path units per tick
    static constexpr float kPathStepFactor = 20.0f;      // a path step looks this many ticks ahead
    static constexpr float kPathArrivedTol = 0.01f;
    static constexpr float kPathLagTol = 0.1f;           // the reference may lag this far behind fPathT
    static constexpr int kMaxSlidePasses = 8;

    // The follow rig's rules. Angles in degrees, a pitch being the camera's
    // height over the pivot (positive: above it, looking down); distances
    // in metres; a gain is the share of the old value kept each tick.
    struct FollowRules {
        // The ideal place behind the entity.
        static constexpr float kMaxLookDown = 58.0f;       // the camera never stands steeper over the pivot (a
                                                           // view lowered to a flyer's middle: short of 60)
        static constexpr float kMinFollowPitch = -5.0f;    // nor lower beneath it
        static constexpr float kMinAltPitch = -5.0f;       // pitch range of the alternate orientation
        static constexpr float kMaxAltPitch = 80.0f;
        static constexpr float kHeadingGainKeep = 0.9f;    // the heading gain eases to its goal by this
        // A slerp past its end swings the view away: the steered heading
        // gain stays below 1, so that the view still turns and converges.
        static constexpr float kMaxSteeredHeadingGain = 0.99f;
        static constexpr float kPitchGainKeep = 0.875f;    // the pitch gain eases to its goal by this
        // The ideal pitch is back at the follow pitch within a second
        // (0.9^30 < 0.05) whatever pole the data gives.
        static constexpr float kMaxPitchGain = 0.9f;
        static constexpr float kAlreadyThere = 0.0000001f; // |qc . qd - 1| below this: a swing has arrived
        static constexpr float kMeshClearance = 0.25f;     // kept from the entity's own radius
        static constexpr float kPivotClearance = 0.1f;     // kept between the pivot and a ceiling
        static constexpr float kPivotRise = 0.05f;         // a tick at most, as a ceiling lets the pivot go
        static constexpr float kSnapBackFactor = 1.5f;     // x OFF_MINDIST: a targeting camera snaps back,
                                                           // and a placement behind the entity ends
        // Settling: an entity that has stood this long, nothing steering,
        // has the camera swing behind it at kStandSwingKeep's pace, at
        // least kMinStandSwingStep a tick.
        static constexpr cTimeValue kSettleAfter{300};
        static constexpr float kStillPivot = 0.001f;       // a pivot moved less than this a tick stands
        static constexpr float kStandSwingKeep = 0.9f;
        static constexpr float kMinStandSwingStep = 3.0f;
        // Settled where the ideal place has room (its sweep reaches
        // kRestRoom of the way), a place turned from the entity's back by
        // more than kRestTurnFrom costs more, kRestTurnWeight from kRestTurn
        // on: more than any creature's cover weighs (one standing behind
        // the entity is seen past or faded, not walked round), less than
        // the world hiding most of the entity.
        static constexpr float kRestRoom = 0.8f;
        static constexpr float kRestTurnFrom = 40.0f;
        static constexpr float kRestTurn = 55.0f;
        static constexpr float kRestTurnWeight = 6.0f;
        // Settled, a move shorter than this a tick is not made (HoldsAtRest):
        // no player sees it, and held short of the chosen place by a wall,
        // or where the rest of the way cannot be seen, the camera would
        // creep on towards it by millimetres a frame.
        static constexpr float kRestWay = 0.01f;

        // Candidates round the pivot: the ideal place, turned from its
        // heading by kTurns, lifted by kLifts and kFarther out; the last
        // place, at its own distance and at the ideal one, and turned either
        // way by kNudge.
        static constexpr float kTurns[] = {25.0f, -25.0f, 55.0f, -55.0f, 100.0f, -100.0f, 180.0f};
        static constexpr float kLifts[] = {20.0f, -10.0f, -40.0f};  // the last: down to kMinFollowPitch
        static constexpr float kNudge = 10.0f;
        static constexpr float kFarther = 1.5f;            // the ideal place this much farther out
        static constexpr int kMaxCandidates = 1 + 7 + 3 + 1 + 4;

        // Moving to the chosen place: this share of the way a tick, the
        // view turning at most kMaxTurn and the camera moving at most
        // kMaxTravel relative to the pivot, but where a cut is allowed (a
        // map's start, a snap, the entity placed anew: its pivot moved
        // farther than kPlacedAnew in a tick).
        static constexpr float kApproach = 0.4f;           // (the ideal place: all the way)
        static constexpr float kMaxTurn = 11.5f;           // short of the 12 degrees a player would call a cut
        static constexpr float kMaxTravel = 0.9f;          // a tenth short of the metre a player would call a cut
        static constexpr float kPlacedAnew = 2.0f;
        // ... and its distance from the pivot changing by at most this
        // factor: the entity grows or shrinks on screen by under 1.3 times.
        static constexpr float kMaxNearing = 1.12f;
        static constexpr float kComeIn = 1.1f;             // where the way ahead closes in faster, the camera
                                                           // comes in by this factor a tick, its view held
        static constexpr int kLimitSteps = 8;              // halvings of the share that keeps the limits
        static constexpr int kMoveTries = 3;               // moves swept a tick (MoveTowards)
        static constexpr float kPitchSlack = 1.0f;         // a move may end this much past kMaxLookDown
        // A settling swing longer than kLongSwing chooses its way round
        // once: each way's room is the least over sweeps kSwingLook in, then
        // every kSwingStep along it (SwingWay).
        static constexpr float kLongSwing = 90.0f;
        static constexpr float kSwingLook = 15.0f;
        static constexpr float kSwingStep = 30.0f;

        // The cost's weights and what they weigh, each what a player sees.
        static constexpr float kHiddenWeight = 12.0f;      // x the share of sight lines to the entity the world cuts
        static constexpr float kHiddenAheadWeight = 4.0f;  // x the same, the entity kShareAhead ticks on
        static constexpr float kHiddenWayWeight = 4.0f;    // x the same, from halfway round to a far place
        static constexpr float kCreatureWeight = 3.0f;     // x the share of the entity a nearer creature covers
        static constexpr float kIdealWeight = 1.5f;        // x the way from the ideal over the ideal distance
        static constexpr float kNearWall = 1.0f;           // the view meeting the world nearer than this...
        static constexpr float kNearWallWeight = 8.0f;     // ... costs this x the share of view rays that do
        static constexpr float kMostNearShare = 0.25f;     // and more than this share of them costs kOverLimit
        static constexpr float kMostHidden = 0.5f;         // a move cuts no more of the sight lines to the entity
        static constexpr float kShareFrom = 0.25f;         // the entity's screen share costs from here...
        static constexpr float kMostShare = 0.4f;          // ... rising to kShareWeight here, past it kOverLimit
        static constexpr float kShareWeight = 6.0f;
        static constexpr float kShareAhead = 10.0f;       // ... the larger of now and this many ticks ahead
        static constexpr float kOffScreenWeight = 4.0f;    // x the share of the entity's box off the screen
        static constexpr float kTurnWeight = 0.08f;        // x the view's turn from the last frame over kMaxTurn
        static constexpr float kTravelWeight = 0.08f;      // x the camera's travel over kMaxTravel
        static constexpr float kLowFrom = 2.0f;            // degrees under the follow pitch a place costs from...
        static constexpr float kLow = 5.0f;                // ... rising to kLowWeight here
        static constexpr float kLowWeight = 0.3f;          // over kTurnWeight + kTravelWeight: a camera held
                                                           // low is not kept there by the cost of moving
        static constexpr float kOverLimit = 20.0f;
        static constexpr float kSightShare = 0.6f;         // sight lines end this share out in the entity's box
        static constexpr int kNearColumns = 6;             // the grid of view rays kNearWall weighs
        static constexpr int kNearRows = 4;

        // The followed entity drawn see-through: held by walls nearer the
        // pivot than its size, from kSeeThroughFrom of that size it fades,
        // linearly, to kFollowedSeeThrough at kSeeThroughAt; its box taking
        // kSeeThroughShareFrom of the screen or more, it fades to the same
        // at kSeeThroughShareAt, the share read kShareLookAhead ticks ahead.
        static constexpr float kSeeThroughFrom = 0.9f;
        static constexpr float kSeeThroughAt = 0.7f;
        static constexpr float kFollowedSeeThrough = 0.3f;
        static constexpr float kSeeThroughShareFrom = 0.26f;
        static constexpr float kSeeThroughShareAt = 0.36f;
        static constexpr float kShareLookAhead = 3.0f;
        // A followed flyer looked at from near: the pivot is lowered
        // towards its middle so that the middle stays within this share of
        // the frame's half height below its centre (AimInFrame).
        static constexpr float kMiddleInFrame = 0.5f;
        // Any followed entity whose box fits in this share of the frame's
        // height: its lowest corner within this share of the half height.
        static constexpr float kFeetInFrame = 0.9f;
    };
    // The stick's frame is held while the stick is held steady: let go
    // below kStickHeld, or turned more than kStickMoved degrees, it follows
    // the view again.
    static constexpr float kStickHeld = 0.2f;
    static constexpr float kStickMoved = 20.0f;

    enum gcPosCtrlMode : int32_t {
        POSCTRL_NONE = 0,
        POSCTRL_FOLLOWENTITY = 1,
        POSCTRL_FOLLOWPATH_ENTITY = 2,
        POSCTRL_FOLLOWPATH = 3,
        POSCTRL_MOVETOPOINT = 4,
    };
    enum gcLookAtCtrlMode : int32_t {
        LOOKATCTRL_NONE = 0,
        LOOKATCTRL_LOOKATENTITY = 1,
        LOOKATCTRL_LOOKATPOINT = 2,
        LOOKATCTRL_LOOKTHROUGHPOINT = 3,
        LOOKATCTRL_LOOKATPATH = 4,
        LOOKATCTRL_LOOKATPATHCLOSEST = 5,
    };

    struct gcPathCtrl {
        gcRegionPathHandle hPath;
        float fPathT = 0.0f;         // current parameter on the path
        float fPathTDesired = 0.0f;  // target parameter
        float fPathTClosest = 0.0f;  // parameter closest to what is tracked

        // One step towards fPathTDesired at fSpeed path units a tick, a step
        // ahead of the reference point's projection (in the path's frame),
        // never back and never past the destination; the path's roll there
        // when asked for. False once both the projection and fPathT have
        // arrived.
        bool HandleFollowPath(float fSpeed, const mVec3& ref, float* pRoll);
        // fPathTClosest from a point in the world, while the path resolves.
        void UpdatePathPos(const mVec3& worldPoint);
        // The path when it resolves and its region is resident, with its
        // frame in the world.
        const gcRegionPath* GetPath(mOCS* pPathToWorld) const;
    };
    struct gcLookAtCtrl : gcPathCtrl {
        gcLookAtCtrlMode Mode = LOOKATCTRL_NONE;
        gcEntityHandle hEntity;
        gcRegionPointHandle hRegionPoint;
        mVec3 curLookAtWorld{0.0f, 1.0f, 0.0f};  // the point looked at, world frame
        gcCameraFilterConsts filterConsts;       // shared by the point and the orientation
        mQuat filter[4];                         // orientation history, newest first
        mVec3 posFilter[4];                      // look-at point history
        float fCurLookAtK = 0.0f;                // requested orientation pole
        float fEntityOffset = 0.0f;              // height looked at above an entity
        bool bOnFollowed = false;                // last tick looked at the entity followed
        gcCameraFilterConsts entityOffsetFilterConsts;
        float entityOffsetFilter[4] = {};
    };
    struct gcPosCtrl : gcPathCtrl {
        gcPosCtrlMode Mode = POSCTRL_NONE;
        gcEntityHandle hEntity;
        gcRegionPointHandle hRegionPoint;
        float fDesiredMinDist = 0.0f;
        float fPosVel = 0.0f;                    // current speed, units per tick
        mVec3 posVel{0.0f, 0.0f, 0.0f};          // current velocity, units per tick
        gcCameraFilterConsts filterConsts;
        mVec3 filter[4];                         // position history, newest first
    };

    static gcGameCamera* Get();  // made on the first call

    // What the camera needs of region streaming and of the creatures, whose
    // owners install these: the resident slot of the current region (-1
    // when none; no trigger fires then), and whether an entity is a
    // creature with a target (the follow camera then stays behind it).
    // Until installed, no region is current and nothing targets.
    using CurrentRegionFunc = int (*)();
    using TargetingFunc = bool (*)(const gcEntity* pEntity);
    static CurrentRegionFunc SetCurrentRegionFunc(CurrentRegionFunc func);  // returns the previous one
    static TargetingFunc SetTargetingFunc(TargetingFunc func);

    // Named "GameCamera", both controllers off, no effects, default
    // parameters, collision mask 1.
    gcGameCamera();
    gcGameCamera(const gcGameCamera&) = default;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1 holding the gcGameObject block; the camera's state is not stored.
    void Write(const cFile& file) const override;
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Drops each completion event that lies in the pool.
    void OnMemPoolReset(const cMemPool* pPool) override;
    // Tick (2) runs the pipeline; other messages are not taken.
    int Send(const gcMsg& msg) override;

    // Parameters, controllers and the view back to the origin; fades,
    // letterbox and shake go on unless bFull.
    void Reset(bool bFull);
    // Re-bases into a new region's frame: the new placement, and both
    // position histories and the standing entity's pivot moved by the shift.
    void UpdateWorld(const mOCS& newCameraToWorld, const mOCS& shift);

    void BeginRender() { m_camera.BeginRender(); }
    // Letterbox, then the dialogs (around the fade quad while a fade shows).
    void Draw();
    void EndRender() { m_camera.EndRender(); }

    // Position controllers. A target that cannot be found or whose region
    // is not resident turns the controller off and the camera stays.
    void FollowNone(bool bSnap);
    void FollowEntity(gcEntityHandle hEntity, bool bSnap);
    // Start and end fractions of the path's length; bStartClosest starts at
    // the path point closest to the camera.
    void FollowPath(gcRegionPathHandle hPath, float fStart, float fEnd, bool bStartClosest, bool bSnap);
    // Keeps OFF_MINDIST along the path from the entity, on the side the
    // camera is on when the command runs.
    void FollowPathMinAndEntity(gcRegionPathHandle hPath, gcEntityHandle hEntity, bool bSnap);
    void MoveToPoint(gcRegionPointHandle hPoint, bool bSnap);
    void MoveToWorld(const mOCS& cameraToWorld);
    void MoveToWorld(const mVec3& pos);
    // Swings behind the followed entity (bStart) or ends the swing, scaling
    // the heading and look-at speeds by the factor; a factor of 0 or less,
    // not finite, or whose reciprocal is not, counts as 1. Only while
    // following an entity.
    void Reorient(bool bStart, float fFactor, bool bSnap);
    // Heading, pitch and roll offsets from the current view; zero clears them.
    void ReorientAlternate(const mVec3& hpr);
    // OFF_MINDIST behind the pivot above the followed entity (looking along
    // its facing with bReorient, else along the current view), pulled in
    // front of walls. False when the entity or its region is missing.
    bool GetPosBehindEntity(bool bReorient, mOCS* pOut);
    // A followed entity more than 1.5 x OFF_MINDIST from pos: the camera is
    // placed behind it keeping its view and the filters re-seeded (true).
    bool HandleFollowSnap(const mVec3& pos, mOCS* pOut);
    void SnapCurMovement();

    // Look-at controllers; a target that is missing, not resident or (for an
    // entity) inactive turns the controller off with the view held.
    void LookAtNone(bool bSnap);
    void LookAtEntity(gcEntityHandle hEntity, bool bSnap);
    void LookAtPoint(gcRegionPointHandle hPoint, bool bSnap);
    void LookThroughPoint(gcRegionPointHandle hPoint, bool bSnap);
    void LookAtPath(gcRegionPathHandle hPath, float fStart, float fEnd, bool bStartClosest, bool bSnap);
    void LookAtPathClosest(gcRegionPathHandle hPath, bool bSnap);
    // Immediate turns; the look-at filters are re-seeded from the new view.
    void LookAtWorld(const mOCS& cameraToWorld);
    void LookAtWorld(const mVec3& from, const mVec3& to);
    void SnapCurLookAt();
    void OnLookAtNone(const gcMsgTick& tick, mVec3* pOutHPR);

    // Moves a camera following an entity from start towards *pPos, stopping
    // in front of what it meets (the followed entity is passed through);
    // bRepeat slides on for up to 8 passes. True when anything was hit.
    // Every other mode: false, *pPos unchanged. A radius over the camera's
    // own (the near plane's corners) sweeps a larger ball.
    bool Collide(const mVec3& start, mVec3* pPos, bool bRepeat, float fRadius = 0.0f);
    // Fires the triggers answering the camera along the move from prevPos to
    // the camera's position: entered, then inside, then exited.
    void QueryTriggers(const mVec3& prevPos, unsigned int nFlags);
    // Stick x (right) and y (forward) as a unit horizontal world direction
    // relative to the view; zero for a zero stick.
    void GetDir(float x, float y, mVec3* pOut) const;

    // Effects. A time of 40 ticks or less reaches its end opacity on the next
    // tick. Events without actions are not stored; a stored event runs once.
    void Shake(float fIntensity, cTimeValue time, const gcEvent* pOnCompleted);
    void Fade(bool bFadeIn, bool bSnap, eMaterialHandle hMaterial, cTimeValue time, const gcEvent* pOnCompleted);
    void FadeLetterbox(bool bFadeIn, bool bSnap, eMaterialHandle hMaterial, cTimeValue time,
                       const gcEvent* pOnCompleted);
    void DrawFade() const;
    void DrawLetterbox() const;
    void OnShakeTick(const gcMsgTick& tick, mVec3* pPos);
    void OnFadeTick(const gcMsgTick& tick);
    void OnLetterboxTick(const gcMsgTick& tick);

    // Smoothing (results heading, pitch, roll in degrees, or a position).
    void SmoothPos(cTimeValue dT, const mVec3* pTarget, bool bHold, mVec3* pOut);
    void SmoothLookAtPos(cTimeValue dT, const mVec3* pTarget, float fUnused, bool bHold, mVec3* pOutHPR);
    void SmoothLookAtQuat(cTimeValue dT, const mVec3* pTarget, float fRoll, bool bHold, mVec3* pOutHPR);
    void SmoothLookAtQuat(cTimeValue dT, const mVec3* pTargetHPR, bool bHold, mVec3* pOutHPR);

    const mVec3& GetPos() const { return m_camera.m_cameraToWorld.origin; }

    uint32_t m_nFlags = 0;
    float m_fReorientSpeedFactor = kDefaultReorientFactor;
    mVec3 m_alternateHPR{0.0f, 0.0f, 0.0f};
    float m_fFollowEntityHK = 0.0f;
    float m_fFollowEntityPK = 0.0f;
    mVec3 m_curDesiredHPR{0.0f, 0.0f, 0.0f};
    cTimeValue m_totalLetterboxFadeTime = kDefaultFadeTime;
    cTimeValue m_letterboxFadeTime;
    float m_fLetterboxOpacity = 0.0f;
    eMaterialHandle m_hLetterboxMaterial;
    cTimeValue m_totalFadeTime = kDefaultFadeTime;
    cTimeValue m_fadeTime;
    float m_fFadeOpacity = 0.0f;
    eMaterialHandle m_hFadeMaterial;
    float m_fShakeIntensity = 0.0f;  // world units
    cTimeValue m_shakeRemainTime;
    gcGameCameraParams m_params;
    uint32_t m_nCollisionMask = 1;
    const gcEvent* m_pOnFadeCompleted = nullptr;  // not owned
    const gcEvent* m_pOnFadeLetterboxCompleted = nullptr;
    const gcEvent* m_pOnShakeCompleted = nullptr;
    eCamera m_camera;
    gcLookAtCtrl m_LookAtCtrl;
    gcPosCtrl m_PosCtrl;
    // The creatures drawn see-through while they stand in front of the
    // followed entity or next to the camera, and the followed entity while
    // the camera is held too near it.
    gcCameraOccluders m_occluders;
    // The followed entity's alpha with the camera at pos: see
    // FollowRules::kSeeThroughFrom.
    float FollowedAlpha(const gcEntity& entity, const mVec3& pos, const mVec3& pivot) const;
    // The followed entity's alpha for the share of the screen its box
    // takes: see FollowRules::kSeeThroughShareFrom.
    static float FollowedShareAlpha(float fShare);
    // The least share of the followed entity a nearer creature covered
    // from any place the follow rig weighed at its last tick: above 0, no
    // place shows the entity past every creature.
    float LeastCreatureCover() const { return m_rig.fLeastCreatureCover; }
    // The camera's frame the stick is read in: level, at the held heading
    // while the stick is held steady, else at the view's.
    mOCS ControlFrame() const;

private:
    static CurrentRegionFunc s_currentRegionFunc;
    static TargetingFunc s_targetingFunc;

    void OnTick(const gcMsgTick& tick);
    // Holds the stick's frame while the player's stick is held steady.
    void HoldControlFrame();
    void UpdateView(const gcMsgTick& tick);
    float FollowedScreenShare(gcEntity& followed) const;
    float m_fFollowedShare = 0.0f;  // the followed entity's share of the screen at the last tick
    void OnFollowNone(const gcMsgTick& tick, mVec3* pPos);
    // True when it followed an entity, turning about *pPivot (world frame).
    bool RunPosCtrl(const gcMsgTick& tick, mVec3* pPos, mVec3* pPivot);
    // pFollowPivot: the pivot this tick's follow camera turned about, or null.
    void RunLookAtCtrl(const gcMsgTick& tick, const mVec3* pFollowPivot, mVec3* pOutHPR);
    bool OnFollowEntityTick(const gcMsgTick& tick, mVec3* pPos, mVec3* pPivot);
    void OnFollowPathTick(const gcMsgTick& tick, mVec3* pPos);
    void OnMoveToPointTick(const gcMsgTick& tick, mVec3* pPos);
    void OnLookAtEntityTick(const gcMsgTick& tick, const mVec3* pFollowPivot, mVec3* pOutHPR);
    // The point the view from eye turns to: the pivot, lowered where
    // looking at it would leave the box's bottom (bMiddle: its middle) out
    // of the frame.
    mVec3 AimInFrame(const mVec3& eye, const mVec3& pivot, const mOCS& world, const mVec3& half, bool bMiddle) const;
    mVec3 TurnNoMoreThan(const mVec3& eye, const mVec3& target, float fMaxTurn) const;
    // A pivot above the entity's body (a flyer's), not within it.
    static bool PivotAboveBody(const gcEntity& entity, float fOffset);
    void OnLookAtPointTick(const gcMsgTick& tick, mVec3* pOutHPR);
    void OnLookThroughPointTick(const gcMsgTick& tick, mVec3* pOutHPR);
    void OnLookAtPathTick(const gcMsgTick& tick, mVec3* pOutHPR);
    void OnLookAtPathClosestTick(const gcMsgTick& tick, mVec3* pOutHPR);
    // The view held and the controller off, for a target gone missing.
    void DropLookAt(mVec3* pOutHPR);
    // The parameter OFF_MINDIST along the path from the followed entity, on
    // the side in fPathTDesired (chosen afresh with bChooseSide).
    float HandleFollowEntityOnPath(const gcRegionPath* pPath, const mOCS& pathToWorld, bool bChooseSide,
                                   bool* pNotMoving);
    void StopPosCtrl();
    // The scaling Reorient applies to the heading and look-at speeds.
    void ScaleReorientParams(float fFactor);
    // Desired heading behind the entity (its world frame) and pitch from
    // the offsets.
    void SetDesiredBehind(const mOCS& entityWorld);
    // The followed entity, when it resolves and its region is resident.
    gcEntity* GetFollowedEntity(mOCS* pWorld) const;
    static bool GetEntityWorld(gcEntity* pEntity, mOCS* pWorld);
    // The point fOffset up from the entity (its world frame) that the camera
    // turns about, kept on the entity's side of a ceiling or wall nearer
    // than that: every sweep starts there, so it must lie inside the map.
    mVec3 ReachablePivot(const mOCS& entityWorld, float fOffset);
    // Collide from start to *pPos, first along the level at start's height:
    // what stops the camera there pulls it in along the whole way by the
    // same share, so that it never passes over a wall's top to stand
    // beyond it. True when anything was hit.
    bool CollideInReach(const mVec3& start, mVec3* pPos, bool bRepeat);

    // The follow rig, one tick (gcGameCameraFollow.cpp). Places round the
    // pivot are a heading, a pitch and a distance from it.
    struct Place {
        float fHeading = 0.0f, fPitch = 0.0f, fDist = 0.0f;
    };
    // What the tick starts from.
    struct FollowStart {
        gcEntity* pEntity = nullptr;
        mOCS world;                    // the entity's frame: its origin is its middle
        mVec3 pivot{0.0f, 0.0f, 0.0f}; // what the camera turns about and looks at
        mVec3 stand{0.0f, 0.0f, 0.0f}; // the pivot's place before anything stops it
        Place last;                    // the last frame's place, carried along with the pivot
        float fEntityHeading = 0.0f, fEntityPitch = 0.0f;
        bool bMoving = false;
        bool bTargeting = false;
        bool bBehind = false;  // viewing along the entity's facing (within OFF_ROTATETHRESHOLD), or targeting
        bool bCut = false;     // the camera may go straight to the chosen place
        mVec3 ahead{0.0f, 0.0f, 0.0f}; // the pivot FollowRules::kShareAhead ticks on (AheadPivot)
    };
    // A candidate: the place, where the sweep from the pivot lets the
    // camera stand, and what it costs (fBound: the terms that need no ray).
    struct Candidate {
        Place place;
        mVec3 pos{0.0f, 0.0f, 0.0f};
        float fBound = 0.0f;
        float fCost = 0.0f;
        bool bIdeal = false;
    };
    // The follow state kept from tick to tick.
    struct RigState {
        mVec3 lastPivot{0.0f, 0.0f, 0.0f};   // the pivot the last frame's place was taken about
        mVec3 stillPivot{0.0f, 0.0f, 0.0f};  // FollowStart::stand at the last tick
        cTimeValue stillTime;                // how long the entity has stood, nothing steering
        float fIdealPitch = 0.0f;
        float fPivotHeight = 0.0f;           // the pivot's height over the entity at the last tick
        bool bCut = true;                    // the next tick may cut (the camera placed anew)
        bool bCutNow = false;                // this tick placed the camera anew: the view cuts with it
        float fLeastCreatureCover = 0.0f;    // over the places weighed at the last tick
        float fSwingSide = 0.0f;             // a settling swing's way round (+1 or -1), 0 until chosen
        float fSwingGoal = 0.0f;             // the heading that way round was chosen for
    };
    bool StartFollowTick(const gcMsgTick& tick, FollowStart* pStart);
    void EasePivotRise(const mOCS& entityWorld, mVec3* pPivot, bool bCut);
    void UpdateStillTime(const FollowStart& s, cTimeValue dT);
    bool Settling() const;
    // The ideal place: heading and pitch goals behind the entity, eased.
    Place IdealPlace(const FollowStart& s);
    void SetFollowGoal(const FollowStart& s);
    float EaseFollowHeading(const FollowStart& s, bool bSteered);
    float EaseFollowPitch(const FollowStart& s);
    float IdealDistance(const FollowStart& s);
    // The candidates round the pivot, each swept from it: their count.
    int MakeCandidates(const FollowStart& s, const Place& ideal, Candidate* pOut);
    Candidate Sweep(const FollowStart& s, const Place& place);
    // How high a lowered candidate stands: under a ceiling, level with the middle.
    static float LoweredPitch(const FollowStart& s, float fDist);
    // The cheapest candidate; the candidates' rays weighed only while
    // their bound is below the cheapest found.
    const Candidate& Cheapest(const FollowStart& s, const Place& ideal, Candidate* pCands, int n);
    float BoundCost(const FollowStart& s, const Place& ideal, const mVec3& pos, bool bRest) const;
    static float WayFromIdeal(const FollowStart& s, const Place& ideal, const mVec3& pos);
    static float LowCost(const FollowStart& s, const Place& ideal, const mVec3& pos);
    // *pCover: CreatureCover from there.
    float SeenCost(const FollowStart& s, const mVec3& pos, float* pCover) const;
    float HiddenShare(const FollowStart& s, const mVec3& pos) const;
    float HiddenAhead(const FollowStart& s, const mVec3& pos) const;
    float WayCost(const FollowStart& s, const mVec3& pos) const;
    float HiddenShareFrom(const FollowStart& s, const mVec3& middle, const mVec3& pos) const;
    float CreatureCover(const FollowStart& s, const mOCS& eye) const;
    float NearShare(const mOCS& eye) const;
    float ScreenCost(const FollowStart& s, const mOCS& eye) const;
    mVec3 AheadPivot(const FollowStart& s);
    mOCS EyeAt(const mVec3& pivot, const mVec3& pos) const;
    mOCS FollowEye(const FollowStart& s, const mVec3& pos) const;  // as the look-at aims (AimInFrame)
    // The place the camera moves to this tick, towards the chosen one
    // within the turn and travel limits.
    mVec3 MoveTowards(const FollowStart& s, const Place& chosen, bool bIdeal);
    bool KeepsLimits(const FollowStart& s, const mVec3& pos) const;
    // The place a settling swing heads for this tick: the chosen place, or
    // one a quarter turn on round the way that has room.
    Place SwingWay(const FollowStart& s, const Place& to);
    float SwingRoom(const FollowStart& s, const Place& to, float fSide, float fLength);
    // Settled, true where the camera holds its last place rather than move
    // to pos on its way to the chosen place.
    bool HoldsAtRest(const FollowStart& s, const mVec3& pos) const;
    // The last frame's place, carried along with the pivot.
    mVec3 LastPlace(const FollowStart& s) const;
    float LimitedShare(const FollowStart& s, const Place& to, bool bIdeal) const;
    static Place PlaceBetween(const Place& from, const Place& to, float t);
    // pos reached from where the camera stands, seen from the pivot.
    mVec3 SlideTo(const FollowStart& s, mVec3 pos);
    bool WithinLimits(const FollowStart& s, const mVec3& pos) const;
    // Shake, the targeting snap and the filters.
    void FinishFollow(const gcMsgTick& tick, const FollowStart& s, mVec3 pos, mVec3* pPos);
    // A ray from from along dir meets the world within fLength.
    bool RayHits(const mVec3& from, const mVec3& dir, float fLength) const;
    // No collision between the two points, met from either side.
    bool RayClear(const mVec3& from, const mVec3& to) const;
    void CameraRay(const mVec3& from, const mVec3& dir, float fLength, eColliderRay* pRay) const;
    RigState m_rig;
    // The heading the stick is read in, held while the stick is held
    // steady (HoldControlFrame), and the stick's heading then.
    bool m_bControlHeld = false;
    float m_fControlHeading = 0.0f;
    float m_fHeldStickHeading = 0.0f;
    static bool IsMoving(const gcEntity& entity);
    void ReseedPosFilter(const mVec3& pos);
    void SetCameraPos(const mVec3& pos);
    void FilterEntityOffset();
    void UpdateLookAtPole();
    void TurnAndFilter(cTimeValue dT, const mVec3& targetHPR, mVec3* pOutHPR);
    void ClearEffects();
    // Clears the pointer, then applies the event, so that an action inside
    // it may store a new one.
    void RunCompletion(const gcEvent*& pEvent);
};
