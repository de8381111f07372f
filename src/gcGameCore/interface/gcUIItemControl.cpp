#include "gcGameCore/interface/gcUIItemControl.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cCore/cFile.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eCamera.h"
#include "eEngine/eLight.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMesh.h"
#include "eEngine/eMeshData.h"
#include "eEngine/eRect.h"
#include "eEngine/eVideo.h"
#include "gcGameCore/creatures/gcPlayer.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcEntity.h"
#include "gcGameCore/entities/gcItem.h"
#include "gcGameCore/interface/gcUI.h"
#include "gcGameCore/interface/gcUIDialog.h"
#include "mMath/mFrustum.h"
#include "mMath/mOCS.h"

QM_DEFINE_TYPE(gcUIItemControl, gcUIControl, 230)

namespace {

const gcEffectTemplate* FirstEffectTemplate(const gcItemTemplate& t)
{
    return gcEffectTemplateMgr::GetPtr(t.m_hEffectTemplates[0]);
}

// The node's frame relative to the mesh root: its local systems composed up
// through its parents. Parents lie below their child's index; anything else
// ends the walk instead of looping.
mOCS NodeToRoot(const eMesh& mesh, int node)
{
    mOCS frame = mesh.m_pNodes[node].localToParent;
    for (int parent = mesh.m_pNodes[node].nParentIndex; parent >= 0 && parent < node;
         node = parent, parent = mesh.m_pNodes[parent].nParentIndex)
        frame.Xform(frame, mesh.m_pNodes[parent].localToParent);
    return frame;
}

}  // namespace

gcEntity* gcUIItemControl::ResolveOwner(const gcDesiredEntity& owner)
{
    switch (owner.desiredEntity) {
    case gcDesiredEntity::PLAYER: return gcPlayer::Get()->m_pEntity;
    case gcDesiredEntity::SPECIFIC: return gcEntityMgr::GetPtr(owner.hSpecificEntity);
    case gcDesiredEntity::PLAYER_INTERACT_TARGET: return gcPlayer::Get()->m_pInteractTarget;
    default: return nullptr;  // relative to an event's objects, of which a widget has none
    }
}

gcUIItemControl::gcUIItemControl()
{
    m_nFlags = kDefaultItemFlags;
}

cBase* gcUIItemControl::Copy(cMemPool* pPool) const
{
    return KeepWholeCopy(pPool ? pPool->New<gcUIItemControl>(*this) : nullptr, *this);
}

void gcUIItemControl::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcUIControl::Write(file);
    desiredEntity.Write(wb);
    hItemTemplate.Write(wb);
    wb.WriteFloats(itemPadding, 4);
}

bool gcUIItemControl::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("gcUIItemControl", "version");
    if (!gcUIControl::Read(file, pPool)) {
        if (!rb.Failed())
            rb.SkipToEnd();
        return false;
    }
    if (rb.m_nVersion == 1)
        rb.ReadUInt();  // a word of old files, not used
    gcDesiredEntity owner;
    owner.Read(rb, pPool);
    const uint32_t hTemplate = rb.ReadUInt();
    if (rb.m_nVersion == 3)
        rb.ReadUInt();  // likewise
    float padding[4];
    std::copy(std::begin(itemPadding), std::end(itemPadding), padding);
    if (rb.m_nVersion >= 5)
        rb.ReadFloats(padding, 4);
    if (rb.Failed())
        return false;
    desiredEntity = owner;
    hItemTemplate.m_nValue = hTemplate;
    std::copy(std::begin(padding), std::end(padding), itemPadding);
    return true;
}

gcItem* gcUIItemControl::GetItemToShow() const
{
    if (pSpecificItem)
        return pSpecificItem;
    gcEntity* pOwner = ResolveOwner(desiredEntity);
    return pOwner ? pOwner->HasItem(hItemTemplate, false) : nullptr;
}

int gcUIItemControl::GetItemCount() const
{
    gcEntity* pOwner = ResolveOwner(desiredEntity);
    return pOwner ? pOwner->GetItemCount(hItemTemplate, true, false, 0xFFFFFFFF, nullptr) : 0;
}

void gcUIItemControl::GetEventParams(gcEventParams& params) const
{
    params.pInitiator = GetItemToShow();
}

void gcUIItemControl::GetSize(mVec2* pSize, unsigned int nFlags) const
{
    gcUIControl::GetSize(pSize, nFlags);
    if (IsShownFor(nFlags))
        *pSize += mVec2(itemPadding[0] + itemPadding[2], itemPadding[1] + itemPadding[3]);
}

void gcUIItemControl::GetTextSize(mVec2* pSize) const
{
    if (!m_hText.IsNull() && gcStringMgr::GetPtr(m_hText)) {
        gcUIControl::GetTextSize(pSize);
        return;
    }
    char sCount[16];
    std::snprintf(sCount, sizeof sCount, "%i", GetItemCount());
    gcUIControl::GetTextSize(sCount, &m_curTextSize);
    *pSize = m_curTextSize;
}

bool gcUIItemControl::ShouldTurn() const
{
    if (!(m_nFlags & kTurns))
        return false;
    const bool bOnTop = m_pDialog && gcUI::Get()->GetFocusedDialog() == m_pDialog;
    if (!(m_nFlags & kTurnsBelow) && !bOnTop)
        return false;
    return !(m_nFlags & kTurnsFocused) || (m_nFlags & kFocused);
}

void gcUIItemControl::Turn()
{
    if (ShouldTurn()) {
        m_fCurH += kTurnStep;
        if (m_fCurH > 180.0f)
            m_fCurH -= 360.0f;
        else if (m_fCurH < -180.0f)
            m_fCurH += 360.0f;
        return;
    }
    // Back towards heading 0 the short way round.
    float d = 0.0f - m_fCurH;
    if (std::fabs(d) > 180.0f)
        d += d >= 0.0f ? -360.0f : 360.0f;
    m_fCurH += kSettleRate * d;
}

void gcUIItemControl::UpdateUI()
{
    gcUIWidget::UpdateUI();
    Turn();
}

float gcUIItemControl::GetOpacity() const
{
    const float fDialog = m_pDialog ? m_pDialog->m_fOpacity : 1.0f;
    return fDialog * m_fOpacity * ((m_nFlags & kEnabled) ? 1.0f : kDisabledOpacity);
}

void gcUIItemControl::DrawMesh(const eCamera* pCamera, const gcItemTemplate& itemTemplate, const mOCS& frame) const
{
    const gcEffectTemplate* pEffect = FirstEffectTemplate(itemTemplate);
    const eMesh* pMesh = pEffect ? eMeshMgr::GetPtr(pEffect->hMesh) : nullptr;
    if (!pMesh)
        return;
    static const eCamera s_screen;  // stands in for a missing camera
    const float fScale = m_pDialog ? m_pDialog->m_fUniformScale : 1.0f;
    pMesh->DrawStatic(pCamera ? *pCamera : s_screen, frame, pMesh->GetNumMaterials(), pEffect->hMaterials, nullptr,
                      fScale, GetOpacity());
}

void gcUIItemControl::DrawItemMesh(gcItem* pItem, const eCamera* pCamera, const mOCS& frame)
{
    const gcItemTemplate* pTemplate = pItem ? pItem->GetTemplate() : nullptr;
    const gcEffectTemplate* pEffect = pTemplate ? FirstEffectTemplate(*pTemplate) : nullptr;
    const eMesh* pMesh = pEffect ? eMeshMgr::GetPtr(pEffect->hMesh) : nullptr;
    if (!pMesh)
        return;
    DrawMesh(pCamera, *pTemplate, frame);
    AttachNodeSearch search;
    gcItem* pFirst = pItem->m_pFirstChildItem;
    for (gcItem* pChild = pFirst; pChild; pChild = pChild->m_pNextSiblingItem == pFirst ? nullptr : pChild->m_pNextSiblingItem) {
        const gcItemTemplate* pChildTemplate = pChild->GetTemplate();
        if (!pChildTemplate)
            continue;
        const int node = search.Next(*pMesh, pChildTemplate->m_attachNodeNames[0]);
        mOCS childFrame = frame;
        if (node >= 0)
            childFrame.Xform(NodeToRoot(*pMesh, node), frame);
        DrawItemMesh(pChild, pCamera, childFrame);
    }
}

int gcUIItemControl::AttachNodeSearch::Next(const eMesh& mesh, const cName& name)
{
    int slot = 0;
    while (slot < m_nNames && !(m_names[slot] == name))
        ++slot;
    if (slot == m_nNames && m_nNames < kMaxAttachNames) {
        m_names[m_nNames] = name;
        m_last[m_nNames++] = -1;
    }
    const bool bKept = slot < m_nNames;  // beyond the names kept: always the first node
    const int node = mesh.GetSubObjectIndex(name, (bKept ? m_last[slot] : -1) + 1, false);
    if (bKept)
        m_last[slot] = node;
    return node < mesh.m_nNodes ? node : -1;
}

void gcUIItemControl::DrawModel(const eCamera* pCamera, const gcItemTemplate& itemTemplate, const mVec2& corner,
                                const mVec2& box)
{
    const gcEffectTemplate* pEffect = FirstEffectTemplate(itemTemplate);
    const eMesh* pMesh = pEffect ? eMeshMgr::GetPtr(pEffect->hMesh) : nullptr;
    if (!pMesh)
        return;
    const float r = std::max(kMinRadius, pMesh->m_fVisRadius + itemTemplate.m_fVisRadiusModifier);
    eSprite::EndRender();
    eViewport view{0, 0, 0, 0};
    if (pCamera) {
        view = pCamera->m_viewport;
    } else {
        eVideo::GetMaxWidthHeight(&view.nWidth, &view.nHeight);
    }
    eViewport port;
    port.nWidth = static_cast<int32_t>(box.x);
    port.nHeight = static_cast<int32_t>(box.y);
    port.nX = view.nX + view.nWidth / 2 + static_cast<int32_t>(corner.x);
    port.nY = view.nY + view.nHeight / 2 - static_cast<int32_t>(corner.y) - port.nHeight;
    eVideo::SetViewport(&port);
    eSprite::ClearViewport(false, true, 0, 1.0f, &port);
    mFrustum ortho;
    ortho.SetOrtho(-1.0f, 1.0f, -r, r, r, -r);
    eVideo::SetProjection(ortho);
    eVideo::SetZoneToWorldIdentity();
    eVideo::SetCameraToWorldIdentity();
    mOCS frame;
    frame.MakeIdentity();
    frame.basis.SetHPR(m_fCurH + itemTemplate.m_viewHPR[0], itemTemplate.m_viewHPR[1], itemTemplate.m_viewHPR[2]);
    eVideo::SetLocalToZone(frame, 1.0f);
    mVec3 direction(-1.0f, 1.0f, -1.0f);
    direction.Normalize();
    eLight::EnableDirectional(true);
    eLight::SetDirectional(direction, mVec4(0.5f, 0.5f, 0.5f, 1.0f), mVec4(0.5f, 0.5f, 0.5f, 1.0f),
                           mVec4(0.0f, 0.0f, 0.0f, 1.0f));
    eMaterial::SetGlobalAmbient(mVec3(0.5f, 0.5f, 0.5f));
    eLight::ApplyDirectional();
    if (gcItem* pItem = GetItemToShow())
        DrawItemMesh(pItem, pCamera, frame);
    else
        DrawMesh(pCamera, itemTemplate, frame);  // the bare template: a preview
    if (pCamera)
        pCamera->Apply();
    else
        eVideo::SetViewport(nullptr);
    eSprite::BeginRender(pCamera);
}

void gcUIItemControl::Draw(const eCamera* pCamera, const eRect& rect, unsigned int nFlags)
{
    if (!IsShownFor(nFlags))
        return;
    gcUIControl::Draw(pCamera, rect, nFlags);
    const gcItemTemplate* pTemplate = gcItemTemplateMgr::GetPtr(hItemTemplate);
    if (!pTemplate)
        return;
    mVec2 pos;
    mVec2 size;
    mVec2 box;
    GetScreenPosAndSpriteSize(rect, nFlags, &pos, &size, &box);
    DrawModel(pCamera, *pTemplate, pos + mVec2(itemPadding[0], itemPadding[3]), box);
    if ((m_nFlags & kShowCount) && !(!m_hText.IsNull() && gcStringMgr::GetPtr(m_hText))) {
        char sCount[16];
        std::snprintf(sCount, sizeof sCount, "%i", GetItemCount());
        DrawText(sCount, pos, box);
    }
    ResetTempDrawSizes();
}
