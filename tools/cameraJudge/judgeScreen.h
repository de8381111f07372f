#pragma once
// The screen geometry of the camera judge: a box of the world projected
// through the camera's view and perspective window, clipped to the screen,
// as a convex outline in normalised screen coordinates (-1..1 both ways,
// y up), and the areas and overlaps of such outlines. Pure functions of
// their arguments; any thread.

#include <vector>

#include "mMath/mOCS.h"
#include "mMath/mVec3.h"

namespace cameraJudge {

struct ScreenPoint {
    float x, y;
};
// Convex, counter-clockwise; empty when nothing of it is on the screen.
using Outline = std::vector<ScreenPoint>;

// The camera as the projection sees it: its frame in the world (looking
// along forward, up the screen's up) and its perspective window at the
// near distance (the frustum's).
struct ScreenView {
    mOCS eye;
    float fNear, fLeft, fRight, fTop, fBottom;
};

// The eight corners of a box of half sizes half (x right, y forward, z up of
// its frame) about its frame's origin; corner k takes +half on axis i when
// bit i of k is set.
void BoxCorners(const mOCS& frame, const mVec3& half, mVec3 corners[8]);
// Where the segment from one point to another first meets the box of half
// sizes half about frame's origin, as a share of the segment: 0 when it
// starts inside, 1 when it never meets it.
float BoxEntry(const mOCS& frame, const mVec3& half, const mVec3& from, const mVec3& to);
// The box of those corners (in BoxCorners' order) seen through the view:
// what lies in front of the near plane, projected, clipped to the screen.
Outline ProjectBox(const ScreenView& view, const mVec3 corners[8]);
// The convex hull of the points, counter-clockwise, without repeats.
Outline Hull(std::vector<ScreenPoint> points);
// The part of subject inside the convex, counter-clockwise clip outline.
Outline Clip(const Outline& subject, const Outline& clip);
// The outline's area; the whole screen is 4.
float Area(const Outline& outline);
// The share of the screen the outline covers, 0..1.
float ScreenShare(const Outline& outline);
// The share of covered's area that cover lies over, 0..1 (0 when covered
// has no area).
float CoveredShare(const Outline& covered, const Outline& cover);

}  // namespace cameraJudge
