#include "gcGameCore/camera/gcGameCamera.h"

#include "eEngine/eVideo.h"
#include "gcGameCore/interface/gcUI.h"

gcGameCamera* gcGameCamera::Get()
{
    static gcGameCamera s_camera;
    return &s_camera;
}

void gcGameCamera::BeginRender()
{
    eVideo::BeginRender();
}

void gcGameCamera::Draw()
{
    gcUI::Get()->Draw(nullptr, 0, 0);
}

void gcGameCamera::EndRender()
{
    eVideo::EndRender();
}

// The camera's tick pipeline comes with the camera itself.
void gcGameCamera::Send(const gcMsg&) {}
