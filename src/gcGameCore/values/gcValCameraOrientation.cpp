#include "gcGameCore/values/gcValCameraOrientation.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcValCameraOrientation, gcLValue, 188)

cBase* gcValCameraOrientation::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcValCameraOrientation>(euler) : nullptr;
}

void gcValCameraOrientation::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcLValue::Write(file);
    wb.WriteInt(euler);
}

bool gcValCameraOrientation::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (!ReadFrame(rb, pPool, kVersion, kVersion))
        return false;
    const int32_t component = rb.ReadInt();
    if (rb.Failed())
        return false;
    euler = component;
    return true;
}

float gcValCameraOrientation::Get(const gcEventParams&) const
{
    if (euler < 0 || euler >= MAX_EULER)
        return 0.0f;
    return gcGameCamera::Get()->m_curDesiredHPR[euler];
}

const char* gcValCameraOrientation::GetHPRText(int32_t component)
{
    static const char* const kTexts[MAX_EULER] = {"Heading", "Pitch", "Roll"};
    return component >= 0 && component < MAX_EULER ? kTexts[component] : "???";
}

void gcValCameraOrientation::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "CameraOrientation.");
    gcScriptText::Append(pBuf, GetHPRText(euler));
}

void gcValCameraOrientation::Set(float fValue, const gcEventParams&)
{
    if (euler < 0 || euler >= MAX_EULER)
        return;
    gcGameCamera* pCamera = gcGameCamera::Get();
    mVec3 hpr = pCamera->m_alternateHPR;
    hpr[euler] = fValue;
    pCamera->ReorientAlternate(hpr);
}
