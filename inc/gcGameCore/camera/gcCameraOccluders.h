// The creatures that hide the entity the game camera follows, drawn
// see-through while they do, and the followed entity itself softened while
// the camera is held too near it. Creatures have no collision surfaces the
// camera meets (they keep apart by their own neighbour test), so the camera
// may stand where one comes between it and the followed entity, or passes
// through it.
// A creature is faded by how much of the followed entity's outline on the
// screen its own outline hides, from nearer the camera: one beside the
// followed entity (fighting it, say) stays solid, so that what it does is
// seen; one over it fades the more the more it hides. The share is also
// read a little ahead along its motion, every fade runs over several frames
// both ways, and the lowest alpha asked is held a while, so that one moving
// along the edge does not blink. Game thread only.
#pragma once

#include "cCore/cTimeValue.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/entities/gcEntity.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class gcCameraOccluders {
public:
    // The fade's rules.
    // The alpha of a creature that hides much of the followed entity.
    static constexpr float kSeeThrough = 0.3f;
    // The share of the followed entity's outline a creature nearer the
    // camera may hide drawn solid: below it the followed one stays readable.
    static constexpr float kHiddenShare = 0.2f;
    // A creature hiding up to kFadeFrom of that outline is drawn solid;
    // from there its alpha falls, linearly, to kSeeThrough at kFadeFull.
    // kFadeFrom is half of kHiddenShare, so that a creature coming over the
    // followed one has left solid well before it hides a fifth; hiding a
    // third (a fighter at its side) it is drawn at 0.6, its blows seen; by
    // kFadeFull it hides too much to be drawn over half solid.
    static constexpr float kFadeFrom = 0.1f;
    static constexpr float kFadeFull = 0.5f;
    // The share is also read where the creature's motion across the screen
    // (relative to the followed one) takes it in this time (seconds): a
    // creature lunging over the followed one is fading before it gets
    // there. Short (a tick and a half), so that a fighter swaying at its
    // side is not taken for one about to cover it.
    static constexpr float kLookAhead = 0.05f;
    // How long (seconds) the lowest alpha a creature's place asked is held
    // before it may rise: one along the edge of the followed one does not
    // blink.
    static constexpr float kHoldTime = 0.3f;
    // Within this distance of the camera a creature's body fades out, to
    // nothing as it touches the camera: one about to pass through the
    // camera would fill the picture. Watched ahead along its motion, over
    // kNearLookAhead seconds (the fade's length).
    static constexpr float kHideDistance = 2.0f;
    static constexpr float kNearLookAhead = 0.3f;
    // How fast an alpha moves towards what is asked: an eighth of full
    // alpha a tick of 30 Hz, solid to kSeeThrough in six ticks...
    static constexpr float kAlphaPerSecond = 3.75f;
    // ...and never more than this in one tick, however long: drawn as a
    // byte, a step of 32 of 255, under the sixth (43) a frame that a player
    // reads as a fade rather than a blink.
    static constexpr float kMaxStep = 0.125f;
    // The followed entity's fade, asked each tick (no time given): it
    // leaves solid only once asked on kFollowedAsks ticks in a row (a
    // single tick's ask, a share read ahead across a jump, does not dip),
    // and the lowest alpha asked is held kFollowedHold ticks, so that a fade
    // once started runs down and back over several frames rather than blink.
    static constexpr int kFollowedAsks = 2;
    static constexpr int kFollowedHold = 2;
    static constexpr int kMaxEntries = gcCreature::kMaxActive;

    // A body's box on the screen, as tangents of the view: left, bottom,
    // right and top (x right, y up).
    struct ScreenBox {
        float x0, y0, x1, y1;
    };
    // A body's outline on the screen, in the same tangents: the convex hull
    // of its box's corners, counter-clockwise.
    struct Outline {
        static constexpr int kMaxPoints = 8;
        float x[kMaxPoints], y[kMaxPoints];
        int n;
    };
    // What one look at a creature finds, from the eye (the camera's frame).
    struct Sight {
        ScreenBox box;       // the creature's
        ScreenBox followed;  // the followed entity's
        Outline outline;          // the creature's
        Outline followedOutline;  // the followed entity's
        bool bInView;        // some of the creature is in front of the eye
        // How far the creature stands nearer the eye than the followed
        // entity's far side, along the view: above 0, it is in front.
        float fNearer;
        // The gap between the creature's body and the eye.
        float fEyeGap;
    };
    // What is kept of a creature from tick to tick.
    struct Track {
        float fAlpha = 1.0f;
        float fHeld = 1.0f;  // the lowest alpha asked lately...
        float fHold = 0.0f;  // ...held for these seconds more
        bool bLooked = false;
        Sight last = {};  // the previous look, when bLooked
    };

    // The box of a body (its frame and half sizes along the frame's right,
    // forward and up) seen from the eye: its eight corners projected; those
    // at or behind the eye are taken a little in front of it, so the box
    // only grows. False for a body wholly behind the eye.
    static bool Project(const mOCS& eye, const mOCS& body, const mVec3& halfSize, ScreenBox* pOut);
    // The same body's outline: the hull of the same eight points.
    static bool ProjectOutline(const mOCS& eye, const mOCS& body, const mVec3& halfSize, Outline* pOut);
    // The share of the followed box the other covers: 0 to 1; 0 for an
    // empty followed box.
    static float CoveredShare(const ScreenBox& box, const ScreenBox& followed);
    // The share of the followed outline's area the other outline lies over:
    // 0 to 1; 0 for a followed outline of no area.
    static float HiddenShare(const Outline& outline, const Outline& followed);
    // The share of the screen (its edges as tangents of the view) the
    // followed entity's box takes seen from the eye: the bounding box of its
    // corners, so never less than its outline's share. 0 when it is behind
    // the eye or its region is not resident.
    static float FollowedShare(const mOCS& eye, const ScreenBox& screen, gcEntity& followed);
    // Looks at a creature from the eye: frame and half sizes (x, y across,
    // z up) of its body and of the followed entity's.
    static Sight Look(const mOCS& eye, const mOCS& body, const mVec3& halfSize, const mOCS& followed,
                      const mVec3& followedHalfSize);
    // The alpha a creature in front hiding this share of the followed
    // entity's outline asks for: kFadeFrom and kFadeFull.
    static float CoverAlpha(float fHidden);
    // The alpha a look asks for now: the share it hides now or (moving on
    // as since the track's last look, fDt seconds ago) kLookAhead on, the
    // lowest of the last kHoldTime kept in the track; faded further near
    // the eye.
    static float TargetAlpha(const Sight& sight, float fDt, Track* pTrack);
    // One tick of fDt seconds: the track's alpha eased towards the look's
    // target; the look is kept for the next tick.
    static void Step(const Sight& sight, float fDt, Track* pTrack);

    // One tick of dT: every active creature but the followed one is looked
    // at from the eye and eases towards its target alpha; one no longer
    // active is made solid at once.
    void Update(const mOCS& eye, gcEntity& followed, cTimeValue dT);
    // One tick of the followed entity's fade: it is drawn at the lower of
    // fAlpha (the camera held too near it) and fShareAlpha (the share of the
    // screen it takes), eased by kMaxStep a tick both ways, with
    // kFollowedAsks and kFollowedHold; its own opacity kept. A softening
    // while the camera is briefly too near, not a way to show it filling
    // the picture. Another entity followed from now on, the one before is
    // made solid.
    void ShowFollowed(gcEntity& followed, float fAlpha, float fShareAlpha = 1.0f);
    // Every creature held see-through is made solid again at once and every
    // track dropped: the camera follows nothing, or starts anew. Creatures
    // no longer in the world are skipped by their handles.
    void Clear();
    // The creatures held see-through (or fading).
    int Count() const;

private:
    struct Entry {
        gcEntityHandle hEntity;
        Track track;
        bool bSeen;  // among the active creatures this tick
    };
    // The entry of the creature, made (solid) when there is none and room.
    Entry* Find(const gcEntity& creature);
    // The model's alpha: the lower of the entity's own opacity (it may be
    // fading out) and the entry's.
    static void Apply(gcEntity& creature, float fAlpha);
    // The followed entity drawn solid again, if it was faded, and forgotten.
    void LetGoFollowed();

    Entry m_entries[kMaxEntries] = {};
    int m_nEntries = 0;
    gcEntityHandle m_hFollowed;  // the followed entity while drawn see-through
    float m_fFollowedAlpha = 1.0f;  // as drawn
    float m_fFollowedHeld = 1.0f;   // the lowest alpha lately asked...
    int m_nFollowedHold = 0;        // ...held for these ticks more
    int m_nFollowedAsks = 0;        // ticks in a row it was asked below solid
};
