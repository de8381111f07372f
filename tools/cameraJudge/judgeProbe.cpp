// Reading the judge's facts of a frame from the game: see the header.
#include "judgeProbe.h"

#include <algorithm>
#include <cmath>

#include "eEngine/eColliderRay.h"
#include "eEngine/eInput.h"
#include "eEngine/eMesh.h"
#include "eEngine/eModel.h"
#include "eEngine/eZone.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/camera/gcGameCameraParams.h"
#include "gcGameCore/creatures/gcCreature.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/flow/gcMap.h"
#include "judgeScreen.h"

namespace cameraJudge {

namespace {

constexpr float kDegrees = 57.29577951f;
// A ray counts as blocked when it stops this far short of its end.
constexpr float kRayTolerance = 0.001f;
// Still: moved less than this in a frame.
constexpr float kStillDistance = 0.0001f;
// The points on the player the rays aim at: a 3 x 3 x 3 grid over its box,
// this share of the half sizes out from the middle on each axis (the box
// is a little larger than the body it holds).
constexpr float kRayPointShare = 0.8f;
// The view's near fill: a grid of rays through the screen's cells, each
// meeting the world within kNearReach metres of the camera or not.
constexpr int kNearColumns = 16;
constexpr int kNearRows = 12;
constexpr float kNearReach = 1.0f;
// A place the camera could stand at is clear when the segment from the
// pivot to it, and four beside it this far off (the camera's own size and
// a margin), meet nothing.
constexpr float kPlaceRadius = 0.3f;
// The head: this share of the half height above the centre.
constexpr float kHeadShare = 0.8f;

// The entity's frame in the world; false when its region is not resident.
// Read only: a frame not yet brought up to date is taken from its parent
// frame, which for a top-level entity is its zone's.
bool EntityWorld(const gcEntity& entity, mOCS* pOut)
{
    const eZone* pZone = gcEntityWorld::GetRegionZone(entity.m_nRegionId);
    if (!pZone)
        return false;
    const eModel& model = entity.m_model;
    const bool bStale = (model.m_nGeomFlags & eGeom::kDirty) && !model.m_pParent;
    pOut->Xform(bStale ? model.m_localToParent : model.m_localToZone, pZone->m_localToWorld);
    return true;
}

mVec3 HalfSize(const gcEntity& entity)
{
    const eMesh* pMesh = eMeshMgr::GetPtr(entity.m_model.m_hMesh);
    return pMesh ? pMesh->m_colliderSize : mVec3(0.0f, 0.0f, 0.0f);
}

// The lowest alpha its draw records carry (the creature as drawn).
float DrawnAlpha(const eModel& model)
{
    uint32_t nAlpha = 255;
    for (int i = 0; i < model.m_nDrawInfos; ++i)
        nAlpha = std::min(nAlpha, model.m_pDrawInfos[i].materialState.m_nColor >> 24);
    return static_cast<float>(nAlpha) / 255.0f;
}

// The distance along from-to at which the camera's collision stops a ray
// (the ignored node passed through); the segment's length when nothing does.
float RayReach(const mVec3& from, const mVec3& to, uint32_t nMask, const eGeom* pIgnore)
{
    mVec3 dir = to - from;
    const float fLength = dir.Normalize();
    if (fLength <= kRayTolerance)
        return fLength;
    eColliderRay ray;
    ray.m_ray.origin = from;
    ray.m_ray.dir = dir;
    ray.m_ray.length = fLength;
    ray.m_nCollisionMask = nMask;
    if (pIgnore)
        ray.AddIgnore(pIgnore, true);
    ray.ClearHit();
    eZone::CollisionCullAll(ray);
    if (!eZone::CollideAllRay(&ray))
        return fLength;
    return std::min(ray.m_rayHit.fDistance, fLength);
}

// Collision between the two points, met from either side: a ray meets
// only the faces turned towards it, and a wall's far side may have none.
bool Blocked(const mVec3& from, const mVec3& to, uint32_t nMask, const eGeom* pIgnore)
{
    const float fLength = from.Dist(to) - kRayTolerance;
    return RayReach(from, to, nMask, pIgnore) < fLength || RayReach(to, from, nMask, pIgnore) < fLength;
}

// How far the collision reaches into the sphere round the camera: rays out
// along the axes and the diagonals (only faces towards the camera stop one).
float EmbedDepth(const mVec3& camera, uint32_t nMask, const eGeom* pIgnore)
{
    float fDepth = 0.0f;
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            for (int z = -1; z <= 1; ++z) {
                const int nAxes = (x != 0) + (y != 0) + (z != 0);
                if (nAxes != 1 && nAxes != 3)
                    continue;
                mVec3 dir(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
                dir.Normalize();
                const float fReach = RayReach(camera, camera + dir * cameraJudgeProbe::kClearRadius, nMask, pIgnore);
                fDepth = std::max(fDepth, cameraJudgeProbe::kClearRadius - fReach);
            }
        }
    }
    return fDepth > kRayTolerance ? fDepth : 0.0f;
}

// The player's box in the world.
struct PlayerBox {
    mOCS world;
    mVec3 half;
};

// Where the segment from the camera to a point inside the player's box
// meets the box: what lies inside the box (a wall the box leans into, the
// floor it sinks into) neither hides the player nor stands between it and
// the camera.
mVec3 AtPlayer(const PlayerBox& box, const mVec3& camera, const mVec3& point)
{
    return camera + (point - camera) * BoxEntry(box.world, box.half, camera, point);
}

// How far behind collision the camera stands, seen from the point (0: in
// the open). Both ways, as a ray meets only the faces turned towards it.
float Behind(const mVec3& from, const mVec3& camera, uint32_t nMask, const eGeom* pIgnore)
{
    const float fLength = from.Dist(camera);
    const float fOut = RayReach(from, camera, nMask, pIgnore);
    const float fIn = RayReach(camera, from, nMask, pIgnore);
    float fBehind = 0.0f;
    if (fOut < fLength - kRayTolerance)
        fBehind = fLength - fOut;
    if (fIn < fLength - kRayTolerance)
        fBehind = std::max(fBehind, std::max(fIn, kRayTolerance));
    return fBehind;
}

bool ScreenViewOf(const eCamera& camera, ScreenView* pView)
{
    float fFar = 0.0f;
    camera.m_frustum.GetPerspective(&pView->fNear, &fFar, &pView->fLeft, &pView->fRight, &pView->fTop,
                                    &pView->fBottom);
    pView->eye = camera.m_cameraToWorld;
    return pView->fNear > 0.0f && pView->fRight > pView->fLeft && pView->fTop > pView->fBottom;
}

// The rays from the camera to a 3 x 3 x 3 grid of points over the player's
// box: how many of them the world blocks.
void CountBlocked(const PlayerBox& box, const mVec3& camera, uint32_t nMask, const eGeom* pIgnore, FrameFacts* pOut)
{
    pOut->nRays = 0;
    for (int x = -1; x <= 1; ++x) {
        for (int y = -1; y <= 1; ++y) {
            for (int z = -1; z <= 1; ++z) {
                const mVec3 local(box.half.x * kRayPointShare * static_cast<float>(x),
                                  box.half.y * kRayPointShare * static_cast<float>(y),
                                  box.half.z * kRayPointShare * static_cast<float>(z));
                mVec3 p;
                p.Xform(local, box.world);
                ++pOut->nRays;
                pOut->nBlocked += Blocked(camera, AtPlayer(box, camera, p), nMask, pIgnore) ? 1 : 0;
            }
        }
    }
}

// The share of the rays through the middles of a grid of the screen's
// cells that meet collision within kNearReach of the camera.
float NearShare(const ScreenView& view, uint32_t nMask, const eGeom* pIgnore)
{
    int nNear = 0;
    for (int row = 0; row < kNearRows; ++row) {
        for (int column = 0; column < kNearColumns; ++column) {
            const float x = view.fLeft + (view.fRight - view.fLeft) * (static_cast<float>(column) + 0.5f) / kNearColumns;
            const float z = view.fBottom + (view.fTop - view.fBottom) * (static_cast<float>(row) + 0.5f) / kNearRows;
            mVec3 dir;
            dir.Xform(mVec3(x, view.fNear, z), view.eye.basis);
            dir.Normalize();
            const mVec3& from = view.eye.origin;
            nNear += RayReach(from, from + dir * kNearReach, nMask, pIgnore) < kNearReach - kRayTolerance ? 1 : 0;
        }
    }
    return static_cast<float>(nNear) / (kNearColumns * kNearRows);
}

// The horizontal unit direction, or fallback where it has none.
mVec3 Level(const mVec3& v, const mVec3& fallback)
{
    mVec3 level(v.x, v.y, 0.0f);
    return level.Normalize() > kRayTolerance ? level : fallback;
}

// The direction at fPitch degrees up from the level direction.
mVec3 Raised(const mVec3& level, float fPitch)
{
    const float p = fPitch / kDegrees;
    return level * std::cos(p) + mVec3(0.0f, 0.0f, std::sin(p));
}

// Nothing between the pivot and the place, nor along four segments beside
// that one, kPlaceRadius off across it.
bool PlaceClear(const mVec3& pivot, const mVec3& place, uint32_t nMask, const eGeom* pIgnore)
{
    mVec3 along = place - pivot;
    if (along.Normalize() <= kRayTolerance)
        return true;
    mVec3 side, up;
    side.Cross(along, mVec3(0.0f, 0.0f, 1.0f));
    if (side.Normalize() <= kRayTolerance)
        side = mVec3(1.0f, 0.0f, 0.0f);
    up.Cross(side, along);
    const mVec3 offsets[5] = {mVec3(0.0f, 0.0f, 0.0f), side * kPlaceRadius, side * -kPlaceRadius, up * kPlaceRadius,
                              up * -kPlaceRadius};
    for (const mVec3& o : offsets) {
        if (Blocked(pivot + o, place + o, nMask, pIgnore))
            return false;
    }
    return true;
}

// The pitch and rest facts: the camera against the data's follow pitch
// and distance, and against the player's back.
void ReadFollowPlace(const gcGameCameraParams& params, const mOCS& player, const mVec3& camera, uint32_t nMask,
                     const eGeom* pIgnore, FrameFacts* pOut)
{
    using P = gcGameCameraParams;
    const mVec3 pivot = player.origin + mVec3(0.0f, 0.0f, params.m_fOffsets[P::OFF_ENTITY]);
    const float fDist = params.m_fOffsets[P::OFF_MINDIST];
    pOut->fFollowPitch = -params.m_fOffsets[P::OFF_PITCH];
    const mVec3 fromPivot = camera - pivot;
    const float fLength = fromPivot.Length();
    pOut->fCameraPitch =
        fLength > kRayTolerance ? std::asin(std::clamp(fromPivot.z / fLength, -1.0f, 1.0f)) * kDegrees : 0.0f;
    // Behind: the player's level facing turned by the heading offset.
    const mVec3 facing = Level(player.basis.forward, mVec3(0.0f, 1.0f, 0.0f));
    const float h = params.m_fOffsets[P::OFF_HEADING] / kDegrees;
    const mVec3 behind(facing.x * std::cos(h) - facing.y * std::sin(h), facing.x * std::sin(h) + facing.y * std::cos(h),
                       0.0f);
    const mVec3 heading = Level(fromPivot, behind);
    // A pivot past a ceiling over the player (a flyer pressed up against
    // it) is out of the camera's reach: the ceiling within the follow
    // distance holds the pitch lower, whatever lies beyond it.
    const bool bPivotHeld = Blocked(player.origin, pivot, nMask, pIgnore);
    pOut->bPitchFree =
        !bPivotHeld && PlaceClear(pivot, pivot + Raised(heading, pOut->fFollowPitch) * fDist, nMask, pIgnore);
    pOut->fBehindTurn = std::acos(std::clamp(Level(camera - player.origin, behind).Dot(behind), -1.0f, 1.0f)) * kDegrees;
    pOut->bBehindClear = PlaceClear(pivot, pivot + Raised(behind, pOut->fFollowPitch) * fDist, nMask, pIgnore);
}

// All eight corners in front of the near plane and within the screen.
bool BoxWhole(const ScreenView& view, const mVec3 corners[8])
{
    for (int k = 0; k < 8; ++k) {
        mVec3 local;
        local.XformInv(corners[k], view.eye);
        if (local.y < view.fNear)
            return false;
        const float x = local.x * view.fNear / local.y, z = local.z * view.fNear / local.y;
        if (x < view.fLeft || x > view.fRight || z < view.fBottom || z > view.fTop)
            return false;
    }
    return true;
}

void ReadCreatures(const ScreenView& view, const gcEntity& player, const Outline& playerOutline, FrameFacts* pOut)
{
    const float fPlayerDist = pOut->cameraPos.Length();
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        mOCS world;
        if (!p || p == &player || !p->IsActive() || !EntityWorld(*p, &world))
            continue;
        if (pOut->nCreatures == FrameFacts::kMaxCreatures)
            break;
        mVec3 corners[8];
        BoxCorners(world, HalfSize(*p), corners);
        CreatureFacts& c = pOut->creatures[pOut->nCreatures++];
        c.nId = p->m_handle.m_nValue;
        c.fCover = CoveredShare(playerOutline, ProjectBox(view, corners));
        c.bNearer = view.eye.origin.Dist(world.origin) < fPlayerDist;
        c.fAlpha = DrawnAlpha(p->m_model);
    }
}

}  // namespace

void cameraJudgeProbe::Read(int nFrameOfRun, bool bPlaced, FrameFacts* pOut)
{
    *pOut = FrameFacts();
    const gcEntity* pPlayer = gcPlayer::Get()->m_pEntity;
    mOCS playerWorld;
    ScreenView view;
    const gcGameCamera* pCamera = gcGameCamera::Get();
    const mBasis& axes = pCamera->m_camera.m_cameraToWorld.basis;
    pOut->forward = axes.forward;
    pOut->up = axes.up;
    pOut->cameraWorld = pCamera->m_camera.m_cameraToWorld.origin;
    const bool bPlayer = pPlayer && EntityWorld(*pPlayer, &playerWorld);
    if (bPlayer)
        pOut->playerWorld = playerWorld.origin;
    if (nFrameOfRun == 0)
        m_bAtStart = true;
    if (!bPlayer || !Following(*pPlayer) || !ScreenViewOf(pCamera->m_camera, &view)) {
        m_nPlaces = 0;
        return;
    }
    pOut->bFollow = true;
    bool bPlacedAnew = false;
    const bool bPlayerStill = NothingMoved(*pPlayer, playerWorld.origin, &bPlacedAnew, &pOut->bStill);
    const bool bIdle = InputIdle();
    pOut->bStill = pOut->bStill && bIdle;
    pOut->bPlayerStill = bPlayerStill && bIdle;
    pOut->bCut = nFrameOfRun == 0 || bPlacedAnew || bPlaced;
    // A map's start lasts until the input is first touched.
    m_bAtStart = m_bAtStart && !bPlaced && (nFrameOfRun == 0 || bIdle);
    pOut->bMapStart = m_bAtStart;
    const PlayerBox box = {playerWorld, HalfSize(*pPlayer)};
    mVec3 corners[8];
    BoxCorners(playerWorld, box.half, corners);
    const Outline outline = ProjectBox(view, corners);
    pOut->fCoverage = ScreenShare(outline);
    pOut->bBoxWhole = BoxWhole(view, corners);
    pOut->fPlayerAlpha = DrawnAlpha(pPlayer->m_model);
    pOut->fPitchDown = std::asin(std::clamp(-axes.forward.z, -1.0f, 1.0f)) * kDegrees;
    const mVec3& camera = view.eye.origin;
    pOut->cameraPos = camera - playerWorld.origin;
    const uint32_t nMask = pCamera->m_nCollisionMask;
    const eGeom* pIgnore = &pPlayer->m_model;
    pOut->fEmbedDepth = EmbedDepth(camera, nMask, pIgnore);
    mVec3 head;
    head.Xform(mVec3(0.0f, 0.0f, box.half.z * kHeadShare), playerWorld);
    pOut->fBeyond = std::min(Behind(AtPlayer(box, camera, playerWorld.origin), camera, nMask, pIgnore),
                             Behind(AtPlayer(box, camera, head), camera, nMask, pIgnore));
    CountBlocked(box, camera, nMask, pIgnore, pOut);
    pOut->fNearShare = NearShare(view, nMask, pIgnore);
    ReadFollowPlace(pCamera->m_params, playerWorld, camera, nMask, pIgnore, pOut);
    ReadCreatures(view, *pPlayer, outline, pOut);
}

bool cameraJudgeProbe::Following(const gcEntity& player)
{
    const gcMap* pMap = gcMap::s_pMap;
    const gcGameCamera* pCamera = gcGameCamera::Get();
    if (!pMap || pMap->IsCinematicPlaying() || (pMap->m_nFlags & (gcMap::kFlagPaused | gcMap::kFlagCinematicLeadIn)))
        return false;
    return pCamera->m_PosCtrl.Mode == gcGameCamera::POSCTRL_FOLLOWENTITY &&
           pCamera->m_LookAtCtrl.Mode == gcGameCamera::LOOKATCTRL_LOOKATENTITY &&
           gcEntityMgr::GetPtr(pCamera->m_PosCtrl.hEntity) == &player &&
           gcEntityMgr::GetPtr(pCamera->m_LookAtCtrl.hEntity) == &player;
}

bool cameraJudgeProbe::NothingMoved(const gcEntity& player, const mVec3& playerWorld, bool* pPlacedAnew, bool* pAllStill)
{
    Place now[FrameFacts::kMaxCreatures + 1];
    int n = 0;
    now[n++] = {player.m_handle.m_nValue, player.m_nRegionId, player.m_model.m_localToParent.origin};
    for (gcCreature* p : gcCreature::s_pActiveCreatures) {
        mOCS world;
        if (p && p != &player && EntityWorld(*p, &world) && world.origin.Dist(playerWorld) < kNearCreature &&
            n < FrameFacts::kMaxCreatures + 1)
            now[n++] = {p->m_handle.m_nValue, p->m_nRegionId, p->m_model.m_localToParent.origin};
    }
    bool bStill = m_nPlaces > 0, bPlayerStill = false;
    for (int i = 0; i < n; ++i) {
        const Place* pWas = std::find_if(m_places, m_places + m_nPlaces, [&](const Place& w) { return w.nId == now[i].nId; });
        const bool bSame = pWas != m_places + m_nPlaces && pWas->nRegion == now[i].nRegion;
        const float fMoved = bSame ? pWas->local.Dist(now[i].local) : 0.0f;
        bStill = bStill && bSame && fMoved < kStillDistance;
        if (i == 0) {
            *pPlacedAnew = fMoved > kPlacedAnew;
            bPlayerStill = bStill;
        }
    }
    std::copy(now, now + n, m_places);
    m_nPlaces = n;
    *pAllStill = bStill;
    return bPlayerStill;
}

bool cameraJudgeProbe::InputIdle()
{
    const int nPort = std::clamp(gcPlayer::Get()->m_nControllerId, 0, eInput::kMaxControllers - 1);
    const eInput::eInputState& state = eInput::s_joyState[nPort];
    for (int i = 0; i < eInput::JOYBTN_COUNT; ++i) {
        // The two stick "Z" axes are never set: they read -1 at rest.
        if (i != eInput::JOYBTN_LTHUMBZ && i != eInput::JOYBTN_RTHUMBZ && state.fCurrentState[i] != 0.0f)
            return false;
    }
    return true;
}

}  // namespace cameraJudge
