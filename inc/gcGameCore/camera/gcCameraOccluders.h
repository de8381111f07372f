// The creatures that come between the game camera and the entity it follows,
// or so near the camera that they would fill the view, drawn see-through
// while they do. Creatures have no collision surfaces the camera meets (they
// keep apart by their own neighbour test), so the camera passes through
// them; a creature that chases the followed entity from behind would
// otherwise hide it, and fill the whole picture as it passes the camera.
// A fade starts before the creature covers the followed entity (its screen
// box is watched with a margin and ahead along its motion), runs over
// several frames both ways, and holds a while after the creature leaves, so
// that one walking along the edge does not blink. Game thread only.
#pragma once

#include "cCore/cTimeValue.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/entities/gcEntity.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class gcCameraOccluders {
public:
    // The fade's rules.
    // The alpha of a creature that stands in front of the followed entity.
    static constexpr float kSeeThrough = 0.3f;
    // The share of the followed entity's screen box a creature nearer the
    // camera may cover drawn solid: below it the followed one stays readable.
    static constexpr float kHiddenShare = 0.2f;
    // The creature's screen box is watched grown on each side by this share
    // of the followed box's half width and half height...
    static constexpr float kMargin = 0.5f;
    // ...and swept to where its motion across the screen takes it in this
    // time (seconds): about the fade's length, so a creature walking in is
    // see-through by the time it covers the followed one.
    static constexpr float kLookAhead = 0.3f;
    // The share of the followed box that watched box must cover to start
    // the fade: low, so a creature's edge reaching the margin starts it.
    static constexpr float kWatchShare = 0.05f;
    // How long (seconds) a creature stays see-through once its watched box
    // last covered kWatchShare: one on the margin's edge does not blink.
    static constexpr float kHoldTime = 0.5f;
    // Within this distance of the camera a creature's body fades out, to
    // nothing as it touches the camera: one about to pass the camera would
    // fill the picture. Watched ahead along its motion as well.
    static constexpr float kHideDistance = 2.0f;
    // How fast a creature's alpha moves towards what its place asks: from
    // solid to kSeeThrough in seven frames of a 30 Hz tick...
    static constexpr float kAlphaPerSecond = 3.0f;
    // ...and never more than this in one tick, however long: no fade is
    // over in fewer than six frames.
    static constexpr float kMaxStep = 0.125f;
    static constexpr int kMaxEntries = gcCreature::kMaxActive;

    // A body's box on the screen, as tangents of the view: left, bottom,
    // right and top (x right, y up).
    struct ScreenBox {
        float x0, y0, x1, y1;
    };
    // What one look at a creature finds, from the eye (the camera's frame).
    struct Sight {
        ScreenBox box;       // the creature's
        ScreenBox followed;  // the followed entity's
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
        float fHold = 0.0f;  // seconds it stays see-through
        bool bLooked = false;
        Sight last = {};  // the previous look, when bLooked
    };

    // The box of a body (its frame and half sizes along the frame's right,
    // forward and up) seen from the eye: its eight corners projected; those
    // at or behind the eye are taken a little in front of it, so the box
    // only grows. False for a body wholly behind the eye.
    static bool Project(const mOCS& eye, const mOCS& body, const mVec3& halfSize, ScreenBox* pOut);
    // The share of the followed box the other covers: 0 to 1; 0 for an
    // empty followed box.
    static float CoveredShare(const ScreenBox& box, const ScreenBox& followed);
    // The share of the screen (its edges as tangents of the view) the
    // followed entity's box takes seen from the eye: the bounding box of its
    // corners, so never less than its outline's share. 0 when it is behind
    // the eye or its region is not resident.
    static float FollowedShare(const mOCS& eye, const ScreenBox& screen, gcEntity& followed);
    // Looks at a creature from the eye: frame and half sizes (x, y across,
    // z up) of its body and of the followed entity's.
    static Sight Look(const mOCS& eye, const mOCS& body, const mVec3& halfSize, const mOCS& followed,
                      const mVec3& followedHalfSize);
    // The alpha a look asks for now, ahead along the motion since the
    // track's last look (fDt seconds ago), with the track's hold: it sets
    // the hold when the creature is or is about to be in front, and counts
    // it down over fDt otherwise.
    static float TargetAlpha(const Sight& sight, float fDt, Track* pTrack);
    // One tick of fDt seconds: the track's alpha eased towards the look's
    // target; the look is kept for the next tick.
    static void Step(const Sight& sight, float fDt, Track* pTrack);

    // One tick of dT: every active creature but the followed one is looked
    // at from the eye and eases towards its target alpha; one no longer
    // active is made solid at once.
    void Update(const mOCS& eye, gcEntity& followed, cTimeValue dT);
    // The followed entity drawn at the lower of fAlpha, at once (1: solid;
    // its own opacity kept: the camera held so near it that it would fill
    // the picture), and fShareAlpha, eased by at most kMaxStep a tick both
    // ways (what the share of the screen it takes asks for). Another entity
    // followed from now on, the one before is made solid.
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
    float m_fFollowedAlpha = 1.0f;
    float m_fShareAlpha = 1.0f;  // the followed entity's eased alpha for its screen share
};
