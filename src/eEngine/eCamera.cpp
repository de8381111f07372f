#include "eEngine/eCamera.h"

#include <algorithm>

#include "eEngine/eVideo.h"

eCamera::eCamera()
    : m_nFlags(0), m_viewport{}, m_fFarClip(kDefaultFar)
{
    m_cameraToWorld.MakeIdentity();
    int nWidth = 0;
    int nHeight = 0;
    eVideo::GetMaxWidthHeight(&nWidth, &nHeight);
    m_frustum.SetFOV(kDefaultFOV, kDefaultFOV * static_cast<float>(nHeight) / static_cast<float>(nWidth),
                     kDefaultNear, kDefaultFar);
    SetViewport(nullptr, true);
}

void eCamera::SetViewport(const eViewport* pViewport, bool bAdjust)
{
    if (pViewport != nullptr) {
        m_viewport = *pViewport;
    } else {
        int nWidth = 0;
        int nHeight = 0;
        eVideo::GetMaxWidthHeight(&nWidth, &nHeight);
        m_viewport = eViewport{0, 0, nWidth, nHeight};
    }
    if (bAdjust)
        AdjustFrustum();
}

void eCamera::GetAspectSize(float* pWidth, float* pHeight) const
{
    if (m_viewport.nWidth > 0 && m_viewport.nHeight > 0) {
        *pWidth = static_cast<float>(m_viewport.nWidth);
        *pHeight = static_cast<float>(m_viewport.nHeight);
        return;
    }
    int nWidth = 0;
    int nHeight = 0;
    eVideo::GetMaxWidthHeight(&nWidth, &nHeight);
    *pWidth = static_cast<float>(nWidth);
    *pHeight = static_cast<float>(nHeight);
}

void eCamera::SetFOV(float fov)
{
    float fWidth = 0.0f;
    float fHeight = 0.0f;
    GetAspectSize(&fWidth, &fHeight);
    const float nearDist = m_frustum.planes[mFrustum::kNear].offset;
    const float farDist = -m_frustum.planes[mFrustum::kFar].offset;
    m_frustum.SetFOV(fov, fov * fHeight / fWidth, nearDist, farDist);
    UpdateWorldFrustum();
}

void eCamera::BuildOrtho(float zoom, float nearDist, float farDist)
{
    float fWidth = 0.0f;
    float fHeight = 0.0f;
    GetAspectSize(&fWidth, &fHeight);
    const float aspect = fWidth / fHeight;
    if (m_nFlags & kFlagOrthoPixels)
        m_frustum.SetOrtho(nearDist, farDist, -0.5f * fWidth, 0.5f * fWidth, 0.5f * fHeight, -0.5f * fHeight);
    else if (aspect > 1.0f)
        m_frustum.SetOrtho(nearDist, farDist, -0.5f * zoom, 0.5f * zoom, 0.5f / aspect * zoom, -0.5f / aspect * zoom);
    else
        m_frustum.SetOrtho(nearDist, farDist, -0.5f * aspect * zoom, 0.5f * aspect * zoom, 0.5f * zoom, -0.5f * zoom);
}

void eCamera::SetOrtho(float zoom)
{
    BuildOrtho(zoom, m_frustum.planes[mFrustum::kNear].offset, -m_frustum.planes[mFrustum::kFar].offset);
    UpdateWorldFrustum();
}

float eCamera::GetOrthoZoom() const
{
    const mPlane* p = m_frustum.planes;
    return std::max(-(p[mFrustum::kLeft].offset + p[mFrustum::kRight].offset),
                    -(p[mFrustum::kTop].offset + p[mFrustum::kBottom].offset));
}

void eCamera::AdjustFrustum()
{
    const float nearDist = m_frustum.planes[mFrustum::kNear].offset;
    const float farDist = -m_frustum.planes[mFrustum::kFar].offset;
    if (eVideo::IsOrthographic(m_frustum)) {
        BuildOrtho(GetOrthoZoom(), nearDist, farDist);
    } else {
        float fWidth = 0.0f;
        float fHeight = 0.0f;
        GetAspectSize(&fWidth, &fHeight);
        const float aspect = fWidth / fHeight;
        float hfov = 0.0f;
        float vfov = 0.0f;
        m_frustum.GetFOV(&hfov, &vfov);
        const float fov = std::max(hfov, vfov);
        if (aspect > 1.0f)
            m_frustum.SetFOV(fov, fov / aspect, nearDist, farDist);
        else
            m_frustum.SetFOV(fov * aspect, fov, nearDist, farDist);
    }
    UpdateWorldFrustum();
}

void eCamera::SetFrustum(const mFrustum& frustum)
{
    m_frustum.Set(frustum);
    UpdateWorldFrustum();
}

void eCamera::SetCameraToWorld(const mOCS& cameraToWorld)
{
    m_cameraToWorld = cameraToWorld;
    UpdateWorldFrustum();
}

void eCamera::Apply() const
{
    const bool bFullScreen = m_viewport.nWidth == 0 && m_viewport.nHeight == 0;
    eVideo::SetViewport(bFullScreen ? nullptr : &m_viewport);
    // Culling keeps the frustum's own far plane; only the projection uses
    // the far clip distance.
    mFrustum projection;
    projection.Set(m_frustum);
    projection.planes[mFrustum::kFar].offset = -m_fFarClip;
    eVideo::SetProjection(projection);
    eVideo::SetCameraToWorld(m_cameraToWorld);
}

void eCamera::BeginRender() const
{
    eVideo::BeginRender();
    Apply();
}

void eCamera::EndRender() const
{
    eVideo::EndRender();
}

void eCamera::UpdateWorldFrustum()
{
    m_worldFrustum.Xform(m_frustum, m_cameraToWorld);
}
