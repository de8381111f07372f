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
    static constexpr float kMaxPitch = 80.0f;            // the view never looks straight up or down
    static constexpr float kMaxTurnPerTick = 60.0f;      // degrees of heading before filtering
    static constexpr float kMinPathSpeed = 0.01f;        // path units per tick
    static constexpr float kPathStepFactor = 20.0f;      // a path step looks this many ticks ahead
    static constexpr float kPathArrivedTol = 0.01f;
    static constexpr float kPathLagTol = 0.1f;           // the reference may lag this far behind fPathT
    static constexpr int kMaxSlidePasses = 8;

    // The follow camera's rules, in one place. Angles in degrees, a pitch
    // being the camera's height over the pivot (positive: above it, looking
    // down); distances in world units; gains are the share of the old value
    // kept each tick.
    struct FollowRules {
        // Aim: where the camera turns to behind the entity.
        static constexpr float kMaxPitch = 60.0f;          // never steeper over the pivot than this
        static constexpr float kMinAltPitch = -5.0f;       // pitch range of the alternate orientation
        static constexpr float kMaxAltPitch = 80.0f;
        static constexpr float kHeadingGainKeep = 0.9f;    // the heading gain eases to its goal by this
        // A reorientation slowed by a factor below 0.98 would divide the
        // heading pole past 1, and a slerp past its end swings the view
        // away: the steered gain stays in [0, 0.99], so that the view still
        // turns and converges.
        static constexpr float kMaxSteeredHeadingGain = 0.99f;
        static constexpr float kPitchGainKeep = 0.875f;    // the pitch gain eases to its goal by this
        static constexpr float kAlreadyThere = 0.0000001f; // |qc . qd - 1| below this: the view is where it is wanted
        static constexpr float kPitchBackMargin = 1.0f;    // a lowered pitch this near the goal is back

        // Fit: where the camera can stand among walls and ceilings.
        static constexpr float kMeshClearance = 0.25f;     // kept from the entity's own radius
        // A pivot above the entity's body (a flyer's) sees over a low board
        // that hides all of the body: the camera is also kept where it sees
        // this share of the body's half height above its origin. Near the
        // middle, within the sweep's radius of it, so that what the camera
        // sees reaches the middle: kept where it saw only the body's top
        // (0.8), it rested above a step's edge, or level with a board's top,
        // with the middle and the lower half hidden for seconds.
        static constexpr float kBodySeenShare = 0.2f;
        // A pivot within the body (a walker's): the camera is kept where it
        // sees this share of the half height above the origin, so that the
        // edge of a step it stands above does not hide the legs and waist.
        static constexpr float kLowBodySeenShare = 0.3f;
        // A pivot whose own sweep towards the camera stops this near it
        // touches what lies between: that tick the entity's point is the
        // pivot (turned about the touching pivot, the camera would stand on
        // the entity).
        static constexpr float kPivotTouching = 0.01f;
        static constexpr float kMinSqueezePitch = -5.0f;   // squeezed, never lower: never from beneath
        static constexpr float kMaxSqueezeTurn = 6.0f;     // heading turned towards room, a tick at most
        static constexpr float kMaxDeepSqueezeTurn = 15.0f; // ... when the wall is nearer than kDeepSqueeze
        static constexpr float kDeepSqueeze = 0.6f;        // x the entity's size: the entity fills the screen
        static constexpr float kEdgeTurnStep = 2.0f;       // round an upright edge the aim grazes, tried this far apart
        static constexpr float kMaxSqueezeTilt = 4.0f;     // pitch turned to stand clear, a tick at most
        static constexpr float kRoomStep = 30.0f;          // headings with room are looked for this far apart
        static constexpr float kGrazeMargin = 1.0f;        // beneath a ceiling, below the pitch that grazes it
        static constexpr int kClearSteps = 8;              // halvings of a pitch search: 65 degrees to 0.25
        // The share of its distance the camera keeps a tick coming in over
        // a wall's top, or in to the distance wanted from farther out
        // (kOverWallKeep: the entity grows on screen by at most a sixth a
        // tick, so that it is soon past the edge), and the most
        // it goes out a tick (1 / kPullInKeep: a ninth).
        static constexpr float kPullInKeep = 0.9f;
        static constexpr float kOverWallKeep = 0.85f;
        // A flyer coming towards the camera's side, a wall behind the
        // camera, the camera kAheadPitch or steeper over it: the room along
        // the camera's line is also found from where the pivot will be
        // kAheadTicks ticks on at its pace, and the camera comes in ahead of
        // it, keeping kOverWallKeep of its distance a tick at least. A step
        // longer than kMaxAheadStep is a jump, not a pace.
        static constexpr int kAheadTicks = 4;
        static constexpr float kAheadPitch = 40.0f;
        static constexpr float kMaxAheadStep = 1.0f;
        // Held by walls nearer the pivot than the entity's size (no room
        // found), the entity is drawn see-through rather than fill the
        // picture: from kSeeThroughFrom of that size it fades, linearly, to
        // kFollowedSeeThrough at kSeeThroughAt.
        static constexpr float kSeeThroughFrom = 0.9f;
        static constexpr float kSeeThroughAt = 0.7f;
        static constexpr float kFollowedSeeThrough = 0.3f;  // as a creature in front of it
        // Wherever the camera stands (beneath an eave, before a wall), the
        // entity's box taking kSeeThroughShareFrom of the screen or more is
        // faded, linearly, to kFollowedSeeThrough at kSeeThroughShareAt:
        // its outline never fills more than 0.4 of the picture drawn over
        // half solid. The share is read kShareLookAhead ticks ahead along its
        // change, as the fade eases over six ticks.
        static constexpr float kSeeThroughShareFrom = 0.26f;
        static constexpr float kSeeThroughShareAt = 0.36f;
        static constexpr float kShareLookAhead = 3.0f;

        // Rest: an entity that stands (its pivot still, moving or pressed
        // against a wall), nothing steering the camera, brings it to rest
        // (eased for ever, or pumping between a wall's pull-in and its
        // let-out, it would never stop): its moves shrink from kRestFrom on
        // to nothing at kRestBy, a swing behind it let finish first.
        static constexpr cTimeValue kRestFrom{540};
        static constexpr cTimeValue kRestBy{1080};
        static constexpr float kStillPivot = 0.001f;       // a pivot moved less than this a tick stands
        // The swing behind a standing entity: its heading gain no more than
        // kStandSwingKeep, and at least kMinStandSwingStep degrees a tick,
        // landing on the goal. Eased at the heading speed alone (0.98) a
        // swing of 100 degrees (OFF_ROTATETHRESHOLD) would take seconds and
        // never quite end; so it is over within about 1.5 s, before the rest
        // is done, and never turns more than 6 degrees a tick.
        static constexpr float kStandSwingKeep = 0.95f;
        static constexpr float kMinStandSwingStep = 2.0f;

        // Settle: how the distance comes back out.
        static constexpr cTimeValue kSettleTime{600};      // a second without a nearer wall before letting out
        static constexpr float kSnapBackFactor = 1.5f;     // x OFF_MINDIST: a targeting camera snaps back,
                                                           // and a placement behind the entity ends

        // The last look (KeepInView): from one tick to the next the entity's
        // size on screen, as its box shows from the camera, changes by at
        // most this where a place that keeps it so is clear. A player may
        // see it change by 1.3 times at most; the view's own turn in the
        // same tick (the entity nearer the frame's edge) adds a little.
        static constexpr float kMaxSizeStep = 1.2f;
        // The place the last look puts on the stages' own line changes the
        // size by no more than this, short of kMaxSizeStep: the box's area
        // over its distance is near enough a few sizes off, but close in
        // its near faces loom larger (a place put at the very limit, the
        // camera close over the entity, was seen to step 1.31 times).
        static constexpr float kLineSizeStep = 1.1f;
        // The corners of the entity's box, this share of the way out from
        // its middle: with its middle, the points the camera sees it by.
        static constexpr float kSightShare = 0.5f;
        // Where neither the stages' place nor one on its line within the
        // step sees the entity, the last place is turned round it this far
        // apart, up to the most, to find one that does; then lowered by the
        // same step at a time, down to kMinSqueezePitch, and turned again.
        static constexpr float kLookRoundStep = 5.0f;
        static constexpr float kMaxLookRound = 45.0f;
        // A followed flyer looked at from near: the pivot is lowered
        // towards its middle so that the middle stays within this share of
        // the frame's half height below its centre (MiddleInFrame).
        static constexpr float kMiddleInFrame = 0.5f;
    };

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
        cTimeValue timeSinceSnapped;
        gcCameraFilterConsts filterConsts;
        mVec3 filter[4];                         // position history, newest first
        float minDistFilter[4] = {};
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
    float m_fSqueezeSide = 1.0f;  // the way a squeezed follow camera last turned: +1 or -1
    // The world (a ceiling, a wall) lowered the follow pitch and it has not
    // yet eased back to the goal: it eases back even while the entity moves.
    bool m_bFollowPitchLowered = false;
    cTimeValue m_followStillTime;  // how long the followed entity has stood, the camera not steered
    mVec3 m_followStillPivot{0.0f, 0.0f, 0.0f};  // the pivot's place it stands at (FollowStart::stand)
    gcGameCameraParams m_followStillParams;      // the parameters it has stood with: a change moves the camera again
    bool m_bFollowSwinging = false;              // swinging behind a standing entity, not yet there
    bool m_bFollowStillMoving = false;           // its velocity not zero as it stood: a change starts again
    // The camera came in ahead of a wall (AheadOfWall) and is not yet back
    // out to the entity's size: it goes out a share a tick, not at once.
    bool m_bFollowCameAhead = false;
    // Where the follow tick last put the camera, and the entity's middle
    // then: the last look compares the next place with that frame.
    mVec3 m_followShownAt{0.0f, 0.0f, 0.0f};
    mVec3 m_followShownOrigin{0.0f, 0.0f, 0.0f};
    float m_fFollowShownSize = 0.0f;  // the entity's size then (ShownSize)
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

private:
    static CurrentRegionFunc s_currentRegionFunc;
    static TargetingFunc s_targetingFunc;

    void OnTick(const gcMsgTick& tick);
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
    // The point the view turns to: the pivot, lowered towards the middle
    // where looking at it would leave the middle out of the frame.
    mVec3 MiddleInFrame(const mVec3& pivot, const mVec3& middle) const;
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

    // The follow camera, one tick: the stages of OnFollowEntityTick.
    // What the tick starts from: the entity, the pivot the camera turns
    // about, and where the camera stands from the pivot now.
    struct FollowStart {
        gcEntity* pEntity = nullptr;
        mVec3 pivot{0.0f, 0.0f, 0.0f};
        mVec3 body{0.0f, 0.0f, 0.0f};  // the body's top the camera must see too (the pivot, when within it)
        // The pivot's place above the entity before anything stops it: the
        // entity stands while this does (see UpdateStillTime).
        mVec3 stand{0.0f, 0.0f, 0.0f};
        mVec3 step{0.0f, 0.0f, 0.0f};  // how far stand moved since the last tick (zero after a jump)
        mOCS world;                    // the entity's frame: its origin is its middle
        float fEntityHeading = 0.0f, fEntityPitch = 0.0f;  // the entity's facing
        float fDist = 0.0f, fHeading = 0.0f, fPitch = 0.0f;  // the camera from the pivot
        bool bMoving = false;
        bool bTargeting = false;
        bool bBehind = false;  // viewing along the entity's facing (within OFF_ROTATETHRESHOLD), or targeting
    };
    // Where the world lets the camera stand this tick.
    enum class FollowRoom {
        kOpen,        // nothing in the way: the distance kept, let out after the settle time
        kWallBeyond,  // a wall farther out than the distance wanted: let out towards it
        kAtWall,      // pulled in at once to stand in front of a wall
        kOverWall,    // coming in over a wall's top a share a tick, turned over the entity to see past it
        kDownToEdge,  // steepest, coming in a share a tick towards an edge it cannot see past
        kAtEdge,      // steepest, in front of that edge
        kAlongOwnLine,  // coming in a share a tick along its own line, before standing at a wall or edge
    };
    struct FollowFit {
        FollowRoom room = FollowRoom::kOpen;
        mVec3 pos{0.0f, 0.0f, 0.0f};
        float fDist = 0.0f;      // pulled in (kAtWall and after): the distance wanted from now on
        float fWallDist = 0.0f;  // how far the wall test reaches
    };
    // The entity and the pivot; false when the entity is gone.
    bool StartFollowTick(const gcMsgTick& tick, FollowStart* pStart);
    // The pivot and the body's point the camera must see, this tick.
    void PlacePivot(const mOCS& world, FollowStart* pStart);
    // Where the placed pivot cannot serve this tick: the entity's own point
    // is the pivot instead.
    bool PivotTouches(const mOCS& world, const FollowStart& s);
    bool PivotBesideBoard(const mOCS& world, const FollowStart& s);
    // Heading and pitch behind the entity: the goal, then each eased.
    void AimBehind(const FollowStart& s, float* pHeading, float* pPitch);
    void SetFollowGoal(const FollowStart& s);
    float EaseFollowHeading(const FollowStart& s, bool bSteered);
    float EaseFollowPitch(const FollowStart& s, bool bSteered);
    // The distance kept before the world has its say.
    float KeptDistance(const FollowStart& s);
    // Where the camera can stand at the kept distance: along the aim, or
    // a few degrees off it where the aim would bring it in at once (round
    // an upright edge it grazes) or, behind a standing entity, over a low
    // wall that its own heading stays out of.
    FollowFit FitToWorld(const FollowStart& s, float fHeading, float fPitch, float fKept);
    // The fit along one heading and pitch.
    FollowFit FitAlong(const FollowStart& s, float fHeading, float fPitch, float fKept);
    bool JumpsIn(const FollowStart& s, const FollowFit& fit) const;
    // A clear fit the final sweep would still pull in by more than a share.
    bool SweptIn(const FollowStart& s, const FollowFit& fit);
    bool FitsOut(const FollowStart& s, float fHeading, float fPitch, float fKept, FollowFit* pFit);
    // The aimed heading's wall test too near: the camera's own heading
    // instead where its wall is farther. The wall test there; true on a hit.
    bool HoldHeading(const FollowStart& s, float fPitch, float* pHeading, mVec3* pWall);
    // Too near to stand clear of the entity: a few degrees a tick towards
    // a heading with room, then over the entity (or under a ceiling, down
    // to about its level). The wall test there; true on a hit.
    bool Squeeze(const FollowStart& s, float fFloor, float* pHeading, float* pPitch, mVec3* pWall);
    // A wall nearer than the distance wanted that a lower pitch passes
    // beneath (a ceiling's edge): *pPitch lowered to about the highest
    // pitch with the lower one's room, *pWall and *pHit its wall test;
    // false, all left as they were, where no lower pitch has more room.
    bool UnderCeiling(const FollowStart& s, float fHeading, float* pPitch, mVec3* pWall, bool* pHit);
    // A wall no farther than the distance wanted: the camera stands in
    // front of it, or comes in over its top (see FollowRoom).
    FollowFit PullIn(const FollowStart& s, float fHeading, float fPitch, const mVec3& wall, float fWallDist);
    // A pull-in to a wall or edge at once, from farther than a share out:
    // along the camera's own line instead, a share a tick, where it sees.
    FollowFit InAlongOwnLine(const FollowStart& s, const FollowFit& pulled);
    // The fit no farther out than the room where the entity is heading
    // leaves, coming in a share a tick before it gets there.
    FollowFit AheadOfWall(const FollowStart& s, FollowFit fit);
    // The distance the filter eases towards: pulled in, at once (and the
    // settle time starts again); else, after the settle time, out to the
    // wall or OFF_MINDIST.
    float SettleDistance(cTimeValue dT, const FollowFit& fit);
    // How long the entity has stood (its pivot still), nothing steering
    // and the parameters unchanged.
    void UpdateStillTime(const FollowStart& s, cTimeValue dT);
    // How much of this tick's move the camera makes: 1 while it swings
    // behind (until kRestBy), else shrinking to 0 as the entity has stood
    // from kRestFrom to kRestBy.
    float RestShare() const;
    // The fit's place no farther from the pivot than a let-out a tick allows.
    mVec3 LetOutNoFaster(const FollowStart& s, const mVec3& pos);
    // Shake, the final sweep, the targeting snap and the position filter.
    void FinishFollow(const gcMsgTick& tick, const FollowStart& s, mVec3 pos, bool bSweep, float fDistTarget,
                      mVec3* pPos);
    // The last look before the frame is shown: pos, or a place nearer to
    // the last frame where pos would cut or lose the entity behind a wall.
    mVec3 KeepInView(const FollowStart& s, const mVec3& pos);
    // pos changes the entity's size on screen by no more than kMaxSizeStep
    // from the last frame's, and sees most of the entity (SeesEntity).
    bool InView(const FollowStart& s, const mVec3& pos) const;
    // The last place (was, from the last frame's middle) turned round the
    // entity at fPitch, kLookRoundStep at a time up to kMaxLookRound, fWay's
    // side first: true with the first that is clear in *pPlace.
    bool LookRound(const FollowStart& s, const mVec3& was, float fPitch, float fWay, bool bWayClear, mVec3* pPlace);
    // *pPlace swept to from the entity's middle is in view, and (bWayClear)
    // the way to it from where the camera stood meets nothing.
    bool ClearInView(const FollowStart& s, mVec3* pPlace, bool bWayClear);
    // The entity's size on screen from pos, in no unit: ShownRoot, the root
    // of the area its box shows along a unit direction, over the distance.
    static float ShownSize(const FollowStart& s, const mVec3& pos);
    static float ShownRoot(const FollowStart& s, const mVec3& dir);
    bool SeesEntity(const FollowStart& s, const mVec3& pos) const;
    // No collision between the two points, met from either side.
    bool RayClear(const mVec3& from, const mVec3& to) const;
    // CollideInReach from the pivot; where the body's top stands below it,
    // also from there, the camera then kept no farther along the way than
    // the share at which that sweep stopped. True when either hit.
    bool SweepFromEntity(const FollowStart& s, mVec3* pPos, bool bRepeat);
    // Nothing between the pivot, nor the body's top, and *pAt (pulled in
    // front of what lies beyond the pivot when false).
    bool SeenFromEntity(const FollowStart& s, mVec3* pAt);
    // The wall test along a heading and pitch (degrees): *pWall is the
    // point OFF_MINDIST from the pivot pulled in front of what lies between
    // (one pass, in reach); true on a hit.
    bool WallTest(const FollowStart& s, float fHeading, float fPitch, mVec3* pWall);
    // The pitch nearest *pPitch within kMinSqueezePitch..kMaxPitch at which
    // the wall test stands the camera at least fFloor from the pivot, over
    // the entity first, else lower (beneath a ceiling, a graze margin below
    // the pitch that just clears): *pPitch, *pWall and *pHit the chosen
    // pitch's. When no pitch does, the limit that reaches farther than
    // *pWall (which comes in as *pPitch's wall test) replaces them, if any.
    // Halving from fFails towards fPasses, the pitch nearest fFails whose
    // wall test reaches fReach from the pivot; *pWall and *pHit its wall
    // test, left as they were when no pitch tried reaches.
    float PitchReaching(const FollowStart& s, float fHeading, float fFails, float fPasses, float fReach, mVec3* pWall,
                        bool* pHit);
    void ClearPitch(const FollowStart& s, float fHeading, float fFloor, float* pPitch, mVec3* pWall, bool* pHit);
    // The heading nearest fHeading, kRoomStep apart, at which the wall test
    // at fPitch (within the squeeze range) or at kMinSqueezePitch stands the
    // camera fFloor from the pivot; the side last turned to first.
    // fHeading when there is none.
    float RoomHeading(const FollowStart& s, float fHeading, float fPitch, float fFloor);
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
