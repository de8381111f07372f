#include "modelTestSupport.h"

#include <cmath>

#include "cCore/cFile.h"

namespace {

// The file's object block read into the object: what its Read answered; the
// file's own failure flag in *pFileFailed.
bool ReadObjectBlock(const std::string& name, cBase* pObject, cMemPool* pPool, bool* pFileFailed)
{
    cFile file;
    *pFileFailed = true;
    if (!file.Open(("/" + name).c_str()))
        return false;
    bool bRead = false;
    {
        cReadBlock top(file, 1);
        bRead = top.ReadInt() == static_cast<int32_t>(pObject->GetType()->m_nTypeId) && pObject->Read(file, pPool);
    }
    *pFileFailed = file.Failed();
    file.Close();
    return bRead;
}

}  // namespace

bool ReadObjectFile(const std::string& name, cBase* pObject, cMemPool* pPool)
{
    bool bFailed = true;
    return ReadObjectBlock(name, pObject, pPool, &bFailed) && !bFailed;
}

bool ReadObjectAnswer(const std::string& name, cBase* pObject, cMemPool* pPool)
{
    bool bFailed = true;
    return ReadObjectBlock(name, pObject, pPool, &bFailed);
}

eMesh* PlaceMesh(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::MeshDesc& desc)
{
    const std::string name = "mesh" + std::to_string(slot) + ".msh";
    eMesh* p = pPool->New<eMesh>();
    if (!p || !datagen::WriteMeshFile(data.HostPath(name.c_str()), desc) || !ReadObjectFile(name, p, pPool))
        return nullptr;
    eMeshMgr::Add(slot, p, static_cast<uint16_t>(0x200 + slot));
    return p;
}

eAnimation* PlaceAnimation(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::AnimationDesc& desc)
{
    const std::string name = "anim" + std::to_string(slot) + ".anm";
    eAnimation* p = pPool->New<eAnimation>();
    if (!p || !datagen::WriteAnimationFile(data.HostPath(name.c_str()), desc) || !ReadObjectFile(name, p, pPool))
        return nullptr;
    eAnimationMgr::Add(slot, p, static_cast<uint16_t>(0x200 + slot));
    return p;
}

void ClearModelManagers()
{
    for (eMesh*& p : eMeshMgr::s_pInstances)
        p = nullptr;
    for (eAnimation*& p : eAnimationMgr::s_pInstances)
        p = nullptr;
}

bool QuatNear(const mQuat& a, const mQuat& b, float tol)
{
    bool bSame = true, bOpposite = true;
    for (int i = 0; i < 4; ++i) {
        bSame = bSame && std::fabs(a.v[i] - b.v[i]) <= tol;
        bOpposite = bOpposite && std::fabs(a.v[i] + b.v[i]) <= tol;
    }
    return bSame || bOpposite;
}

void AddBox(const mVec3& lo, const mVec3& hi, std::vector<datagen::MeshVertex>* pCorners)
{
    for (int axis = 0; axis < 3; ++axis) {
        for (int side = 0; side < 2; ++side) {
            const int u = (axis + 1) % 3, v = (axis + 2) % 3;
            mVec3 n(0, 0, 0);
            n.v[axis] = side ? 1.0f : -1.0f;
            mVec3 quad[4];
            const float uu[4] = {0, 1, 1, 0}, vv[4] = {0, 0, 1, 1};
            for (int k = 0; k < 4; ++k) {
                mVec3& p = quad[k];
                p.v[axis] = side ? hi.v[axis] : lo.v[axis];
                p.v[u] = uu[k] ? hi.v[u] : lo.v[u];
                p.v[v] = vv[k] ? hi.v[v] : lo.v[v];
            }
            if (!side)
                std::swap(quad[1], quad[3]);
            for (int k : {0, 1, 2, 0, 2, 3}) {
                datagen::MeshVertex c;
                c.pos = quad[k];
                c.normal = n;
                c.u = uu[k];
                c.v = vv[k];
                pCorners->push_back(c);
            }
        }
    }
}

namespace {

void AddSkinBox(const mVec3& lo, const mVec3& hi, uint8_t bone, float top, datagen::MeshSkinDesc* pSkin)
{
    std::vector<datagen::MeshVertex> corners;
    AddBox(lo, hi, &corners);
    for (const datagen::MeshVertex& c : corners) {
        datagen::SkinVertex s{c.pos, c.normal, c.u, c.v};
        s.bones[0] = bone;
        if (bone != 0 && c.pos.z == top) {
            s.nWeights = 2;
            s.bones[1] = 0;
            s.weights[0] = 128;
            s.weights[1] = 127;
        }
        pSkin->corners.push_back(s);
    }
}

}  // namespace

datagen::MeshDesc FigureDesc()
{
    datagen::MeshDesc d;
    d.name = "figure";
    d.nodes = {{"root", -1, MakeFrame(0, 0, 0)}, {"hips", 0, MakeFrame(0, 0, 1)},
               {"leftLeg", 1, MakeFrame(-0.3f, 0, 0)}, {"rightLeg", 1, MakeFrame(0.3f, 0, 0)}};
    d.bonesStart = 1;
    d.nBones = 3;
    d.visRadius = 2.5f;
    d.colRadius = 1.0f;
    datagen::MeshSkinDesc skin;
    skin.material = 0;
    AddSkinBox({-0.45f, -0.15f, 1.0f}, {0.45f, 0.15f, 1.8f}, 0, 1.0f, &skin);
    AddSkinBox({-0.4f, -0.1f, 0.0f}, {-0.2f, 0.1f, 1.0f}, 1, 1.0f, &skin);
    AddSkinBox({0.2f, -0.1f, 0.0f}, {0.4f, 0.1f, 1.0f}, 2, 1.0f, &skin);
    d.skins.push_back(skin);
    datagen::MeshObjectDesc head;
    head.material = 1;
    head.node = 1;
    AddBox({-0.2f, -0.2f, 0.85f}, {0.2f, 0.2f, 1.25f}, &head.corners);
    d.objects.push_back(head);
    return d;
}

datagen::AnimationDesc WalkDesc()
{
    datagen::AnimationDesc a;
    a.name = "walk";
    a.frames = 9;
    a.frameLength = 20;
    a.bLooping = true;
    const mQuat identity(0, 0, 0, 1);
    a.nodes.resize(4);
    a.nodes[0] = {{mVec3(0, 0, 0)}, {identity}};
    a.nodes[1] = {{mVec3(0, 0, 1)}, {identity}};
    a.nodes[2].positions = {mVec3(-0.3f, 0, 0)};
    a.nodes[3].positions = {mVec3(0.3f, 0, 0)};
    for (int k = 0; k < a.frames; ++k) {
        const float angle = 30.0f * std::sin(static_cast<float>(k) * 0.78539816f);
        mQuat q;
        q.SetAxisAngle(mVec3(1, 0, 0), angle);
        a.nodes[2].rotations.push_back(q);
        q.SetAxisAngle(mVec3(1, 0, 0), -angle);
        a.nodes[3].rotations.push_back(q);
    }
    return a;
}
