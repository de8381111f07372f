#pragma once
// The abstract base of every placed game object with a model: an instance
// of an entity template, read from the map's entity group, reset from its
// template, enabled into the zone of its region, running the template's
// script state machine, playing animation configurations and sounds,
// fading out and snapping to placements. The concrete kinds (devices,
// creatures, players) add the message handler and call the operations here
// from it. Lives in the pool of its load with its shadow and sound; main
// thread. Type id 71.

#include <cstdint>

#include "cCore/cGroup.h"
#include "cCore/cHandle.h"
#include "cCore/cManager.h"
#include "eEngine/eModel.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntityTemplate.h"
#include "gcGameCore/entities/gcItemTemplate.h"
#include "gcGameCore/script/gcEvent.h"
#include "gcGameCore/script/gcGameObject.h"
#include "gcGameCore/script/gcMsg.h"
#include "gcGameCore/script/gcStateInfo.h"

class eShadow;
class eSound;
class eSoundData;
class gcAnimationConfig;
class gcEffect;
class gcEntity;
class gcItem;
class gcMsgMoveToPath;
class gcMsgMoveToPoint;
class gcRegionPath;
using gcEntityHandle = cHandle<gcEntity>;
using gcRegionPathHandle = cHandle<gcRegionPath>;

class gcEntity : public gcGameObject {
    QM_DECLARE_ABSTRACT_TYPE(gcEntity)
public:
    static constexpr uint32_t kVersion = 19;
    static constexpr uint32_t kMinVersion = 5;

    // m_nEntityFlags
    static constexpr uint16_t kDeactivated = 0x1;
    static constexpr uint16_t kFrozen = 0x2;
    static constexpr uint16_t kAnimConfigStarted = 0x4;
    static constexpr uint16_t kOnPath = 0x8;
    static constexpr uint16_t kGroupLeader = 0x10;
    static constexpr uint16_t kInvulnerable = 0x20;
    static constexpr uint16_t kInitialUpdatePending = 0x40;
    static constexpr uint16_t kPathOffsetHeight = 0x80;
    static constexpr uint16_t kKeptAfterDeath = 0x100;
    static constexpr uint16_t kNewFlags = kDeactivated | kFrozen | kInitialUpdatePending;

    enum gcTimeSince : int32_t {
        TIMESINCE_TOOKDAMAGE = 0,
        TIMESINCE_ENTEREDMODE = 1,
        TIMESINCE_CHANGEDSTATE = 2,
        TIMESINCE_INTERACTED = 3,
        MAX_TIMESINCE = 4,
    };
    static constexpr int32_t kNever = 0x7FFFFFFF;  // a time-since counter that is not running

    enum gcInitialPath : int32_t { PATH_PATROL = 0, PATH_INITIAL = 1, MAX_PATHS = 2 };
    static const char* GetInitialPathText(int32_t index);  // "Patrol", "Initial", "???"

    static constexpr int kNumNeighbors = 2;
    static constexpr float kMaxSoundRadius = 50.0f;
    static constexpr int32_t kInitialState = 31;
    // Trigger query masks: Enable and SnapTo report the volumes they start
    // in as entered, Disable and SnapTo the ones they leave as exited.
    static constexpr uint32_t kQueryEnter = 0x1;
    static constexpr uint32_t kQueryLeave = 0x2;
    static constexpr cTimeValue kFrameTicks{20};
    // Turning: pitches stay within this many degrees either way; a template
    // that does not resolve turns at the templates' default rate.
    static constexpr float kPitchLimit = 80.0f;
    static constexpr float kDefaultTurningRate = 0.85f;
    // A path is completed when both the closest and the current position lie
    // this close (as path parameters) to the destination.
    static constexpr float kPathDoneTol = 0.001f;

    gcEntity();
    ~gcEntity() override;
    gcEntity& operator=(const gcEntity&) = delete;

    // Version 19: see Read for the layout.
    void Write(const cFile& file) const override;
    // Versions 5 to 19 (others skipped, false), each with the fields it
    // holds. Path and stat-multiplier counts beyond the arrays are read up
    // to the array and the rest skipped. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // Both animation configurations when either lies in the pool, the path
    // event, the sound's data, and the followed path (the entity leaves it).
    void OnMemPoolReset(const cMemPool* pPool) override;

    // The type record of the template class this entity needs.
    virtual const cType* GetTemplateType() const = 0;
    // Rebuilds the live state from the template; false (model without mesh)
    // when the entity is not valid.
    virtual bool Reset(cMemPool* pPool);
    // Maximum and current value of each stat = template maximum x multiplier.
    virtual void ResetStats();
    // The template resolves and creates entities of this entity's type.
    virtual bool IsValid() const;
    // Advances the running time-since counters by the step.
    virtual void HandleTimeSince(cTimeValue dt);
    virtual bool IsDying() const = 0;
    virtual bool IsOnPath() const { return (m_nEntityFlags & kOnPath) != 0; }
    virtual bool IsIdling() const = 0;
    // This entity as initiator.
    virtual void GetEventParams(gcEventParams* pParams);
    // Into the zone of its resident region: drawn, colliding, triggers
    // entered. False (logged when the entity is not valid) and nothing
    // changed when it is not valid or the region is not resident with a zone.
    virtual bool Enable();
    // Out of its zone (when in one): triggers left, no drawing, no
    // collision, the sound stopped.
    virtual void Disable();

    gcEntityTemplate* GetTemplate() const { return gcEntityTemplateMgr::GetPtr(m_hTemplate); }
    bool IsActive() const { return (m_nEntityFlags & (kDeactivated | kFrozen)) == 0; }
    // The state machine the entity runs, or null.
    bool HasStateMachine() const { return m_stateInfo.m_pStateMachine != nullptr; }
    // A stat's current value; 0 outside the enumeration.
    float GetStat(int32_t stat) const;
    // Sets a stat's current value; a stat outside the enumeration is ignored.
    void SetStat(int32_t stat, float fValue);
    // The three radii of the mesh's collision ellipsoid; zero without a mesh.
    mVec3 GetColliderSize() const;

    // Changes the script state (only with a template state machine); the
    // current state again only when forced. Starts time-since changed state.
    void EntityChangeState(int nState, bool bForce);
    // Starts time-since entered mode when the mode changes.
    void SetMode(int16_t nMode);
    // The region id from the model's zone; an entity outside every zone
    // freezes itself and takes region -1 (false).
    bool UpdateRegionId();
    // This entity when it leads, else the first neighbour that leads; null.
    gcEntity* GetGroupLeader() const;
    void MakeGroupLeader();
    // Run by the derived classes after a state was entered while active:
    // the initial state, then OnInitialUpdate (script event 4 or the
    // template's, then the instance's). Once per reset.
    void HandleInitialUpdate();
    // Reports the trigger volumes met along from..to (zone space) to their
    // region triggers: entered, then inside, then exited.
    void QueryTriggers(const mVec3& from, const mVec3& to, uint32_t nMask);

    // Queues the configuration (it starts at the next HandleAnimationStarted)
    // and returns how long it plays: length less the ease-out for a
    // non-looping animation, 0 for a looping one, 1 tick when the animation
    // does not resolve.
    cTimeValue PlayAnimation(const gcAnimationConfig* pConfig);
    void HandleAnimationStarted(gcGameObject* pFrom);  // on PostEnterState
    void HandleAnimationEnded(gcGameObject* pFrom);    // on PostExitState
    // Steps the model's animations by the time. Each time the current
    // configuration's animation, a loop, has played its length once more
    // since the configuration started, the configuration starts again
    // (OnStarted, with no participant, and its sound): a walk's steps sound
    // at every stride, not only the first. Counted from the configuration's
    // start, not from the animation's own, so that a loop joined part-way
    // (a walk taking up a stand's phase) still spaces its starts a whole
    // loop apart.
    void UpdateModel(cTimeValue step);
    void PlaySound(const eSoundData* pData, float fVolume);
    void UpdateSound(cTimeValue dt);  // per tick
    // Starts fading out over the time (the shorter of two fades wins), passes
    // the fade to children and effects and turns collision off.
    void FadeOut(cTimeValue time);
    void HandleFadeOut(cTimeValue dt);  // per tick
    void HandleTextureBlend();
    // The draw entry's material = the template's material of that skin; an
    // index out of range changes nothing.
    void ChangeSkin(int nSkin, int nSlot);
    // Moves the entity to a frame in a region; frozen when the region is not
    // resident.
    void SnapTo(int16_t nRegionId, const mOCS& frame);
    // To every child entity, then every effect, each ring last to first.
    void SendAttached(const gcMsg& msg);
    // Takes the child from its parent into this entity's child ring.
    void AddChild(gcEntity* pChild);
    void Detach();

    // Paths, points and turning (gcEntityMove.cpp). Path positions are path
    // parameters; headings, pitches and rolls are degrees in the entity's
    // zone frame, x heading, y pitch, z roll.

    // Leaves any path; then, unless the entity is inactive and not
    // snapping, follows the message's path from its source to its
    // destination (fractions of the path's length), placed onto it when
    // bSnap says so.
    void HandleMoveToPath(const gcMsgMoveToPath& msg);
    // Leaves any path and is placed at the point (raised by the collider
    // height with bOffsetHeight) facing the point's forward axis, whatever
    // bSnap holds.
    void HandleMoveToPoint(const gcMsgMoveToPoint& msg);
    // Off the path: both flags, current and desired position, offsets and
    // completion event cleared; the path and the closest position stay.
    void DetachFromPath();
    // Move-to-point, move-to-path and detach-from-path, handled as above;
    // false for any other message.
    bool HandlePathMessage(const gcMsg& msg);
    // 0 without a path; else the closest position as a parameter, or as the
    // share of the path's length.
    float GetCurPathT(bool bAsFraction) const;
    // Per tick: updates the closest position and completes the path at its
    // destination (script event 13, then the message's event, once). True
    // while on a path.
    bool UpdatePathPos();
    // One frame's step along the path at fSpeed units per tick (never
    // backwards, never past the destination) and the heading, pitch and
    // roll that turn toward it at fTurnRate (below 0: the template's).
    // True while the path continues; false, with the desired orientation,
    // when it has ended or the regions are not resident.
    bool HandleFollowPath(mVec3* pOutHPR, float fSpeed, float fTurnRate);
    // On a path, alive and without full orientation: the frame's height
    // becomes the path's at the closest position (plus the collider height
    // with flag 0x80).
    void HandleHeightOnPath(mOCS* pFrame);
    // Along the path when on one and moving; else the current orientation
    // turned toward the desired one, fWeight (below 0: the template's
    // TurningRate) being the share that stays. Pitch within +-80.
    void HandleHPRChange(float fRate, mVec3* pOutHPR, float fWeight);
    // The same for the heading alone, the short way round; returns it.
    float HandleHeadingChange(float fRate, float fWeight);
    // Aims the desired heading at another active entity, blended by fWeight
    // with the heading of the entity's own movement toward it.
    void UpdateDesiredHeading(gcEntity* pOther, float fWeight);
    // atan2(-x, y) in degrees: the heading of a forward axis or a direction.
    static float GetHeading(const mVec3& dir);
    // Degrees brought into -180..180.
    static float WrapDegrees(float fDegrees);

    // Interaction, hit directions, items and effects (gcEntityInteract.cpp).

    // Whether this entity may interact with the target: another active,
    // living entity within reach, each facing the other within its own
    // template's tolerance, whose CanInteract answers non-zero.
    bool CanInteract(gcEntity* pTarget);
    // Raises the target's interaction and starts its time-since interacted
    // counter; false when CanInteract fails.
    bool HandleInteract(gcEntity* pTarget);
    // The first entity of the map's range, in slot order, this one may
    // interact with; null while a cinematic plays or no map is loaded.
    gcEntity* FindInteractTarget();
    // The map's entity slot range [begin, end); false while no map is loaded
    // or a cinematic plays. Installed by the map; until then nothing is an
    // interaction target.
    static bool (*s_pGetInteractRange)(int* pBegin, int* pEnd);
    // The direction a hit at a world position moving along a world
    // direction strikes the entity from; DD_NONE without an entity or from
    // behind it.
    static gcMsgDealDamage::gcDamageDir DetermineHitDir(const mVec3& position, gcEntity* pEntity,
                                                       const mVec3& direction);
    // From this entity to the other in this entity's zone frame; this
    // entity's forward axis when either is outside a zone.
    void GetVecToEntity(gcEntity* pOther, mVec3* pOut);
    // The same between two named model nodes (a missing node: the model).
    void GetVecToEntityHelper(const cName& node, gcEntity* pOther, const cName& otherNode, mVec3* pOut);

    // A stackable item already held (nested too) grows by nCount; any other
    // item joins the ring with count nCount (stackable) or 1 and gets its
    // possession modifiers.
    void AddItem(gcItem* pItem, int nCount);
    // A stackable item loses nCount and stays while above 0; otherwise the
    // item is detached and handed back to its template. Only this entity's.
    void RemoveItem(gcItem* pItem, int nCount);
    // Every carried item (nested too) whose memory lies in the pool.
    void RemoveItems(const cMemPool* pPool);
    // Whether nCount more of the template fit under its maximum count.
    bool CanAddItem(gcItemTemplateHandle hTemplate, int nCount);
    // The first held item of the template, nested ones too when asked.
    gcItem* HasItem(gcItemTemplateHandle hTemplate, bool bNested);
    // Items (or stack counts) of the ring, or of pUnder's children, whose
    // categories share a bit with the mask and whose template is hTemplate
    // (any when 0); nested: each match's children too, to any depth.
    int GetItemCount(gcItemTemplateHandle hTemplate, bool bNested, bool bCountItems, uint32_t nCategoryMask,
                     gcItem* pUnder);
    // Direct children of hChild in the first held item of hParent.
    int GetAttachedItemCount(gcItemTemplateHandle hChild, gcItemTemplateHandle hParent);
    // Joins the effect ring at a model node and matches the entity's
    // activation and freezing.
    void AddEffect(gcEffect* pEffect, const cName* pNodeName);
    gcEffect* HasEffect(gcEffectTemplateHandle hTemplate);
    int GetEffectCount(gcEffectTemplateHandle hTemplate, bool bNested, gcEffect* pUnder);

    gcEntityHandle m_handle;
    gcEvent onInteract;
    gcEvent onCanInteract;
    gcEvent onInitialUpdate;
    gcEvent onDeath;
    gcEvent onFaded;
    gcEntityTemplateHandle m_hTemplate;
    uint32_t m_nActivationMask = 0;
    int16_t m_nRegionId = -1;
    int16_t m_nMaterialSkin = 0;
    uint16_t m_nEntityFlags = kNewFlags;
    cTimeValue m_entityTimeSince[MAX_TIMESINCE];
    int16_t m_nMode = 1;
    int16_t m_nEntityInitialState = kInitialState;
    int16_t m_team = gcEntityTemplate::TEAM_UNFRIENDLY;
    gcEntityHandle m_hNeighbors[kNumNeighbors];
    eModel m_model;
    eShadow* m_pShadow = nullptr;  // owned
    eSound* m_pSound = nullptr;    // owned
    const gcAnimationConfig* m_pAnimationConfig = nullptr;
    const gcAnimationConfig* m_pNextAnimationConfig = nullptr;
    cTimeValue m_animationConfigLoop;  // the current configuration's time into its loop
    float m_fOpacity = 1.0f;
    cTimeValue m_fadeOutTime;  // 0: not fading
    gcStateInfo m_stateInfo;
    float m_fEntityStatsMax[gcEntityTemplate::MAX_STATS] = {};
    float m_fEntityStatsCur[gcEntityTemplate::MAX_STATS] = {};
    float m_fEntityStatsMod[gcEntityTemplate::MAX_STATS] = {1.0f, 1.0f, 1.0f, 1.0f};
    mVec3 m_velocity{0.0f, 0.0f, 0.0f};
    float m_desiredHPR[3] = {};
    float m_fMovementScale = 1.0f;
    gcRegionPathHandle m_hPaths[MAX_PATHS];
    gcRegionPath* m_pRegionPath = nullptr;  // the path being followed
    float m_fPathT = 0.0f;
    float m_fPathTDesired = 0.0f;
    float m_fPathTClosest = 0.0f;
    float m_offsetPath[2] = {};
    const gcEvent* m_pOnPathCompleted = nullptr;  // not owned
    gcEntity* m_pParentEntity = nullptr;
    gcEntity* m_pFirstChildEntity = nullptr;
    gcEntity* m_pPrevSiblingEntity;  // the child ring; a lone entity links to itself
    gcEntity* m_pNextSiblingEntity;
    gcItem* m_pItems = nullptr;      // ring of carried items (the items keep it)
    gcEffect* m_pEffects = nullptr;  // ring of attached effects (the effects keep it)

protected:
    // Name, game-object state, events, template handle, activation mask,
    // region id, skin, flags, mode, initial state, paths, multipliers and
    // placement; nothing live (no team, neighbours, shadow, sound, links),
    // counters never, handle 0. For the derived classes' Copy.
    gcEntity(const gcEntity& other);
    // For a derived copy constructor: the copy is not in the world whatever
    // its source is, so it starts in nState, inactive and reset with its
    // pool like a new object, and activation can enable it.
    void StartAsCopy(int32_t nState);
    // For the derived classes' Copy: the copy, or null (the copy destroyed)
    // when one of the entity's events lost actions on the way.
    template <class T>
    static T* KeepWholeCopy(T* pCopy, const T& source)
    {
        return gcEvent::KeepWhole(pCopy, source, &gcEntity::onInteract, &gcEntity::onCanInteract,
                                  &gcEntity::onInitialUpdate, &gcEntity::onDeath, &gcEntity::onFaded);
    }

private:
    void ResetShadow(const gcEntityTemplate& tmpl, cMemPool* pPool);
    void ResetSound(const gcEntityTemplate& tmpl, cMemPool* pPool);
    // Sound data into the entity's sound at the model's place, marked to be
    // found again and switched on.
    void StartSound(const eSoundData* pData, float fVolume);
    // The configuration's OnStarted and one of its two sounds, at random.
    void ApplyConfigStart(const gcAnimationConfig& config, gcGameObject* pFrom);
    void SendToChildren(const gcMsg& msg);
    // The model's position in its zone's space, its zone frame brought up to
    // date first.
    mVec3 GetZonePos();
    float ApplyEvent(const gcEvent& event, gcGameObject* pParticipant);
    // The followed path's frame in this entity's zone frame; false while
    // either region is not resident.
    bool GetPathToZone(mOCS* pOut) const;
    // The parameter of the followed path closest to the entity in the
    // path's horizontal plane.
    float ClosestOnPath(const mOCS& pathToZone);
    void CompletePath();
    float GetTurnWeight(float fWeight) const;  // below 0: the template's
};

// The slot table of placed entities: 150 slots, resolved by handle. Main
// thread, or the loader filling a group.
class gcEntityMgr : public cManager<gcEntity, 150> {};

// The file block that fills a range of gcEntityMgr's slots.
class gcEntityGroup : public cGroup {
    QM_DECLARE_GROUP(gcEntityGroup, gcEntityMgr)
};
