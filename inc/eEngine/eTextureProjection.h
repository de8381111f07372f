#pragma once
// The projective texturing shared by shadows and projectors: from a frame
// that looks along its +y (forward) axis, the node's own, and a volume in
// that frame, texture
// coordinate set 0 maps zone geometry onto the volume's window (0..1) and set
// 1 onto a depth ramp, both from world positions (texture matrices 0 and 1,
// which the video layer loads per drawn object while s_bApplyTexMatrix is
// raised); then the zone geometry inside the volume is drawn again over
// itself. A static helper; main thread.

class eCamera;
class eZone;
struct mFrustum;
struct mOCS;

class eTextureProjection {
public:
    static constexpr float kRampStart = 0.03125f;     // the ramp's first 1/32 is before the near end
    static constexpr float kRampScale = 1.0666667f;   // so the depth spans t 1/32 .. 31/32

    // Loads the two coordinate generators, their post-transform matrices
    // and the stage orders (stage 0: set 0 and map 0; stage 1: set 1 and map
    // 1) for a volume given in the light's frame (lightToWorld).
    static void Load(const mOCS& lightToWorld, const mFrustum& volume);
    // Draws the zone geometry inside the volume (in the zone's space) with
    // what is applied, depth equal and no depth writes, through the
    // render-state cache; then restores depth less-or-equal with writes and
    // the zone's frame.
    static void DrawReceivers(eZone& zone, const eCamera& camera, const mFrustum& zoneVolume);
};
