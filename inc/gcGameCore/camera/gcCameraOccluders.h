// The creatures that come between the game camera and the entity it follows,
// or so near the camera that they would fill the view, drawn see-through
// while they do. Creatures have no collision surfaces the camera meets (they
// keep apart by their own neighbour test), so the camera passes through
// them; a creature that chases the followed entity from behind would
// otherwise hide it, and fill the whole picture as it passes the camera.
#pragma once

#include "cCore/cTimeValue.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/entities/gcEntity.h"
#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

class gcCameraOccluders {
public:
    // The alpha of a creature that stands in front of the followed entity.
    static constexpr float kSeeThrough = 0.3f;
    // The share of the followed entity's screen box a creature nearer the
    // camera must cover to count as in front of it.
    static constexpr float kHiddenShare = 0.25f;
    // Within this distance of the camera a creature's body fades out, to
    // nothing as it touches the camera: one about to pass the camera would
    // fill the picture.
    static constexpr float kHideDistance = 2.0f;
    // How fast a creature's alpha moves towards what its place asks: from
    // solid to kSeeThrough in about five frames.
    static constexpr float kAlphaPerSecond = 4.0f;
    static constexpr int kMaxEntries = gcCreature::kMaxActive;

    // The alpha a creature's place asks for, seen from the eye (the camera's
    // frame): centre and half sizes (x, y across, z up) of the creature's
    // body and of the followed entity's.
    static float TargetAlpha(const mOCS& eye, const mVec3& centre, const mVec3& halfSize, const mVec3& followed,
                             const mVec3& followedHalfSize);

    // One tick of dT: every active creature but the followed one eases
    // towards its target alpha, seen from the eye; those eased back to
    // solid are let go, and one no longer active is made solid at once.
    void Update(const mOCS& eye, gcEntity& followed, cTimeValue dT);
    // Every creature held see-through is made solid again at once: the
    // camera follows nothing.
    void Clear();
    // The entries dropped untouched: a map starts, and its creatures are
    // made anew, solid.
    void Forget() { m_nEntries = 0; }
    int Count() const { return m_nEntries; }

private:
    struct Entry {
        gcEntityHandle hEntity;
        float fAlpha;
        bool bSeen;  // among the active creatures this tick
    };
    // The entry of the creature, made (solid) when there is none and room.
    Entry* Find(const gcEntity& creature, bool bMake);
    // The model's alpha: the lower of the entity's own opacity (it may be
    // fading out) and the entry's.
    static void Apply(gcEntity& creature, float fAlpha);

    Entry m_entries[kMaxEntries] = {};
    int m_nEntries = 0;
};
