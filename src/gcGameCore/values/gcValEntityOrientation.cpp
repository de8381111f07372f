#include "gcGameCore/values/gcValEntityOrientation.h"

#include <algorithm>

#include "cCore/cFile.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcEntityWorld.h"
#include "gcGameCore/script/gcScriptText.h"
#include "mMath/mScalar.h"

QM_DEFINE_TYPE(gcValEntityOrientation, gcLValue, 197)

static bool IsAngle(int32_t euler)
{
    return euler >= gcValEntityOrientation::HEADING && euler < gcValEntityOrientation::MAX_EULER;
}

// The world heading of a heading relative to the game camera's control frame
// (its level view, held while the stick is held steady): the screen
// direction (-sin a, cos a) turned into the world.
static float CameraHeadingToWorld(float fDegrees)
{
    const float a = fDegrees * kDegToRad;
    mVec3 dir;
    gcGameCamera::Get()->GetDir(-mSin(a), mCos(a), &dir);
    return gcEntity::GetHeading(dir);
}

// The heading of a direction in the camera's frame. Straight up or down
// (within rounding) it has no heading of its own: what is left of x and y
// is noise, and would give anything up to -180. It reads 0 there, as the
// assignment, which turns only about the vertical, treats every pitch.
static float CameraHeading(const mVec3& v)
{
    constexpr float kVertical = 1e-10f;  // squared horizontal length: about 0.0006 degrees from vertical
    if (v.x * v.x + v.y * v.y <= kVertical)
        return 0.0f;
    return gcEntity::GetHeading(v);
}

const char* gcValEntityOrientation::GetHPRText(int32_t euler)
{
    static const char* const kTexts[MAX_EULER] = {"Heading", "Pitch", "Roll"};
    return IsAngle(euler) ? kTexts[euler] : "???";
}

cBase* gcValEntityOrientation::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValEntityOrientation>(*this) : nullptr;
}

void gcValEntityOrientation::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    desiredEntity.Write(wb);
    wb.WriteInt(euler);
    wb.WriteInt(nFlags);
}

bool gcValEntityOrientation::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, 1, kVersion))
        return false;
    gcDesiredEntity entity;
    entity.Read(rb, pPool);
    const int32_t angle = rb.ReadInt();
    const uint32_t flags = rb.ReadUInt();
    if (rb.Failed())
        return false;
    desiredEntity = entity;
    euler = angle;
    nFlags = flags;
    return true;
}

float gcValEntityOrientation::Get(const gcEventParams& params) const
{
    const gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || !IsAngle(euler))
        return 0.0f;
    // Roll has no meaning relative to the camera: both modes read the
    // entity's own.
    if (!(nFlags & kCameraRelative) || euler == ROLL)
        return pEntity->m_desiredHPR[euler];
    mOCS toWorld;
    if (!gcEntityWorld::RegionToWorld(pEntity->m_nRegionId, pEntity->m_model.m_localToZone, &toWorld))
        return 0.0f;
    mVec3 v;
    // A heading is read in the frame the stick is read in; a pitch in the view.
    const gcGameCamera* pCamera = gcGameCamera::Get();
    v.XformVecInv(toWorld.basis.forward, euler == HEADING ? pCamera->ControlFrame() : pCamera->m_camera.m_cameraToWorld);
    if (euler == HEADING)
        return CameraHeading(v);
    return mAsin(std::clamp(v.z, -1.0f, 1.0f)) * kRadToDeg;
}

void gcValEntityOrientation::GetText(char* pBuf) const
{
    desiredEntity.GetText(pBuf);
    gcScriptText::Append(pBuf, ".");
    gcScriptText::Append(pBuf, GetHPRText(euler));
}

void gcValEntityOrientation::Set(float fValue, const gcEventParams& params)
{
    gcEntity* pEntity = desiredEntity.GetEntityAs<gcEntity>(params);
    if (!pEntity || !IsAngle(euler))
        return;
    mVec3 hpr(pEntity->m_desiredHPR[HEADING], pEntity->m_desiredHPR[PITCH], pEntity->m_desiredHPR[ROLL]);
    if (!(nFlags & kCameraRelative))
        hpr[euler] = fValue;
    else if (euler == HEADING)
        hpr[HEADING] = CameraHeadingToWorld(fValue);
    else if (euler == PITCH)
        // A pitch relative to the camera is taken through the camera's
        // screen directions, which are horizontal: it always comes out as 0.
        // Stored scripts rely on that, so it stays.
        hpr[PITCH] = 0.0f;
    // The entity turns toward the angles by its own class's rule.
    pEntity->Send(gcMsgFaceDir(hpr));
}
