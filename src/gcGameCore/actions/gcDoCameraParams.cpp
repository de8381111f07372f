#include "gcGameCore/actions/gcDoCameraParams.h"

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/script/gcScriptText.h"

QM_DEFINE_TYPE(gcDoCameraParams, gcAction, 93)

cBase* gcDoCameraParams::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<gcDoCameraParams>(cameraParams) : nullptr;
}

void gcDoCameraParams::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    cameraParams.Write(file);
}

bool gcDoCameraParams::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion != kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoCameraParams", "version");
    gcGameCameraParams read;
    if (!read.Read(file, pPool) || rb.Failed())
        return rb.Reject("gcDoCameraParams", "camera parameters");
    cameraParams.Set(read);
    return true;
}

void gcDoCameraParams::GetText(char* pBuf) const
{
    gcScriptText::Append(pBuf, "Camera.SetParams");
}

void gcDoCameraParams::DoAction(const gcEventParams&) const
{
    gcGameCamera::Get()->m_params.Set(cameraParams);
}
