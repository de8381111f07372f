// Projection and clipping of the judge's screen outlines: see the header.
#include "judgeScreen.h"

#include <algorithm>
#include <cmath>

namespace cameraJudge {

namespace {

// The screen in normalised coordinates, counter-clockwise.
const Outline kScreen = {{-1.0f, -1.0f}, {1.0f, -1.0f}, {1.0f, 1.0f}, {-1.0f, 1.0f}};

// Twice the signed area of the triangle o, a, b: above 0 when it turns left.
float Turn(const ScreenPoint& o, const ScreenPoint& a, const ScreenPoint& b)
{
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// A point in the camera's frame (x right, y depth, z up) at a depth of at
// least the near distance, on the screen's normalised scale.
ScreenPoint ToScreen(const ScreenView& view, const mVec3& local)
{
    const float fScale = view.fNear / local.y;
    const float fHalfWidth = 0.5f * (view.fRight - view.fLeft);
    const float fHalfHeight = 0.5f * (view.fTop - view.fBottom);
    return {(local.x * fScale - 0.5f * (view.fRight + view.fLeft)) / fHalfWidth,
            (local.z * fScale - 0.5f * (view.fTop + view.fBottom)) / fHalfHeight};
}

// Where the segment from a to b (camera frame) crosses the near plane.
mVec3 AtNear(const ScreenView& view, const mVec3& a, const mVec3& b)
{
    const float t = (view.fNear - a.y) / (b.y - a.y);
    return mVec3(a.x + (b.x - a.x) * t, view.fNear, a.z + (b.z - a.z) * t);
}

// The point where segment a-b crosses the line through edge e0-e1.
ScreenPoint Cross(const ScreenPoint& a, const ScreenPoint& b, const ScreenPoint& e0, const ScreenPoint& e1)
{
    const float da = Turn(e0, e1, a), db = Turn(e0, e1, b);
    const float t = da / (da - db);
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

}  // namespace

void BoxCorners(const mOCS& frame, const mVec3& half, mVec3 corners[8])
{
    for (int k = 0; k < 8; ++k) {
        const mVec3 local((k & 1) ? half.x : -half.x, (k & 2) ? half.y : -half.y, (k & 4) ? half.z : -half.z);
        corners[k].Xform(local, frame);
    }
}

float BoxEntry(const mOCS& frame, const mVec3& half, const mVec3& from, const mVec3& to)
{
    mVec3 a, b;
    a.XformInv(from, frame);
    b.XformInv(to, frame);
    const mVec3 d = b - a;
    float fEnter = 0.0f, fExit = 1.0f;
    for (int axis = 0; axis < 3; ++axis) {
        if (d[axis] == 0.0f) {
            if (std::fabs(a[axis]) > half[axis])
                return 1.0f;
            continue;
        }
        float t0 = (-half[axis] - a[axis]) / d[axis], t1 = (half[axis] - a[axis]) / d[axis];
        if (t0 > t1)
            std::swap(t0, t1);
        fEnter = std::max(fEnter, t0);
        fExit = std::min(fExit, t1);
    }
    return fEnter <= fExit ? fEnter : 1.0f;
}

Outline ProjectBox(const ScreenView& view, const mVec3 corners[8])
{
    // The part of the box in front of the near plane is a convex body whose
    // corners are the box's corners there and the points where its edges
    // cross the plane: its picture is the hull of theirs.
    mVec3 local[8];
    for (int k = 0; k < 8; ++k)
        local[k].XformInv(corners[k], view.eye);
    std::vector<ScreenPoint> points;
    for (int k = 0; k < 8; ++k) {
        const bool bFront = local[k].y >= view.fNear;
        if (bFront)
            points.push_back(ToScreen(view, local[k]));
        for (int axis = 1; axis < 8; axis <<= 1) {
            const int other = k ^ axis;
            if (other > k && bFront != (local[other].y >= view.fNear))
                points.push_back(ToScreen(view, AtNear(view, local[k], local[other])));
        }
    }
    return Clip(Hull(std::move(points)), kScreen);
}

Outline Hull(std::vector<ScreenPoint> points)
{
    std::sort(points.begin(), points.end(),
              [](const ScreenPoint& a, const ScreenPoint& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
    if (points.size() < 3)
        return {};
    Outline hull(2 * points.size());
    size_t n = 0;
    // The lower chain left to right, then the upper one back.
    for (size_t i = 0; i < points.size(); ++i) {
        while (n >= 2 && Turn(hull[n - 2], hull[n - 1], points[i]) <= 0.0f)
            --n;
        hull[n++] = points[i];
    }
    for (size_t i = points.size() - 1, lower = n + 1; i-- > 0;) {
        while (n >= lower && Turn(hull[n - 2], hull[n - 1], points[i]) <= 0.0f)
            --n;
        hull[n++] = points[i];
    }
    hull.resize(n - 1);  // the first point came round again
    return hull.size() >= 3 ? hull : Outline{};
}

Outline Clip(const Outline& subject, const Outline& clip)
{
    Outline out = subject;
    for (size_t e = 0; e < clip.size() && !out.empty(); ++e) {
        const ScreenPoint& e0 = clip[e];
        const ScreenPoint& e1 = clip[(e + 1) % clip.size()];
        const Outline in = out;
        out.clear();
        for (size_t i = 0; i < in.size(); ++i) {
            const ScreenPoint& a = in[i];
            const ScreenPoint& b = in[(i + 1) % in.size()];
            const bool bA = Turn(e0, e1, a) >= 0.0f, bB = Turn(e0, e1, b) >= 0.0f;
            if (bA)
                out.push_back(a);
            if (bA != bB)
                out.push_back(Cross(a, b, e0, e1));
        }
    }
    return out.size() >= 3 ? out : Outline{};
}

float Area(const Outline& outline)
{
    float fTwice = 0.0f;
    for (size_t i = 0; i < outline.size(); ++i) {
        const ScreenPoint& a = outline[i];
        const ScreenPoint& b = outline[(i + 1) % outline.size()];
        fTwice += a.x * b.y - b.x * a.y;
    }
    return 0.5f * std::fabs(fTwice);
}

float ScreenShare(const Outline& outline)
{
    return std::min(Area(outline) / Area(kScreen), 1.0f);
}

float CoveredShare(const Outline& covered, const Outline& cover)
{
    const float fArea = Area(covered);
    if (fArea <= 0.0f || cover.empty())
        return 0.0f;
    return std::min(Area(Clip(covered, cover)) / fArea, 1.0f);
}

}  // namespace cameraJudge
