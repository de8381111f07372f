// Characters: skinning 2,000 vertices, each weighted to three bones (the
// most a skin vertex carries), into the quantised skinning records; and a
// model of 42 nodes posed from a blend of four animations of 42 animated
// nodes (every track keyed per frame). "frameShare" is the measured time of
// one such step over the console's 33.3 ms frame (below 1 fits).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/os.h"
#include "platform/ps.h"
#include "cCore/cMemPool.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "eEngine/eModel.h"
#include "mMath/mQuat.h"

namespace {

constexpr int kSkinVerts = 2000;
constexpr int kNodes = 42;
constexpr int kFrames = 30;
constexpr double kFrameSeconds = 1.0 / 30.0;

void SetFrameShare(benchmark::State& state)
{
    state.counters["frameShare"] = benchmark::Counter(static_cast<double>(state.iterations()) * kFrameSeconds,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

mOCS Turned(float heading, float x, float y, float z)
{
    mOCS o;
    o.basis.SetHPR(heading, 0.5f * heading, 0.0f);
    o.origin.Set(x, y, z);
    return o;
}

// A mesh of 42 nodes in a chain, all of them bones, with one material whose
// skin holds 2,000 three-weight vertices.
struct SkinScene {
    SkinScene() : verts(kSkinVerts), out(static_cast<size_t>(kSkinVerts) * ePhysiqueVert::kBytes)
    {
        OSInit();
        nodes.resize(kNodes);
        for (int i = 0; i < kNodes; ++i) {
            nodes[static_cast<size_t>(i)].nParentIndex = i - 1;
            nodes[static_cast<size_t>(i)].localToParent = Turned(3.0f, 0.0f, 0.1f, 0.05f);
            bones[i] = Turned(static_cast<float>(i), 0.01f * static_cast<float>(i), 0.0f, 0.1f);
        }
        for (int i = 0; i < kSkinVerts; ++i) {
            eMeshVisSkinVert3& v = verts[static_cast<size_t>(i)];
            const float f = static_cast<float>(i);
            v.pos.Set(std::sin(f), std::cos(f), 0.001f * f);
            v.normal.Set(0.0f, 0.6f, 0.8f);
            for (int k = 0; k < 3; ++k)
                v.nBones[k] = static_cast<uint8_t>((i + 7 * k) % kNodes);
            v.nWeights[0] = 128;
            v.nWeights[1] = 85;
            v.nWeights[2] = 42;
        }
        skin = eMeshVisSkin{static_cast<int16_t>(kSkinVerts / 3), 0, 0, 0, 0, 0, kSkinVerts, 0, 0, 0, 0};
        data.nMaterials = 1;
        data.nSkins[0] = 1;
        data.pSkins[0] = &skin;
        data.nSkinVerts3 = kSkinVerts;
        data.pSkinVerts3 = verts.data();
        mesh.m_nNodes = kNodes;
        mesh.m_nBones = kNodes;
        mesh.m_nBonesStart = 0;
        mesh.m_pNodes = nodes.data();
        mesh.m_pMeshVisData = &data;
    }
    ~SkinScene() { mesh.m_pMeshVisData = nullptr; }

    std::vector<eMeshNode> nodes;
    std::vector<eMeshVisSkinVert3> verts;
    eMeshVisSkin skin{};
    eMeshVisData data{};
    eMesh mesh;
    mOCS bones[kNodes];
    std::vector<uint8_t> out;
};

// Four looping animations of the 42 nodes, every track keyed per frame,
// played on a model of the chain mesh with all four states contributing.
struct BlendScene {
    BlendScene() : pool("modelBench", 0x40000, false)
    {
        for (int a = 0; a < 4; ++a)
            MakeAnimation(a);
        eMeshMgr::Add(1, &skin.mesh, 1);
        model = pool.New<eModel>();
        model->SetMesh(eMeshMgr::GetHandle(1));
        for (int a = 0; a < 4; ++a)
            model->m_animationStates[a] = {eAnimationMgr::GetHandle(a + 1), 0.2f + 0.2f * static_cast<float>(a),
                                           cTimeValue(13 * a)};
        model->m_nCurAnimationState = 3;
    }
    ~BlendScene()
    {
        std::destroy_at(model);
        eMeshMgr::s_pInstances[1] = nullptr;  // the scene owns the mesh
        for (int a = 0; a < 4; ++a)
            eAnimationMgr::s_pInstances[a + 1] = nullptr;
    }
    void MakeAnimation(int a)
    {
        const int nKeys = kNodes * kFrames;
        animNodes[a].resize(kNodes);
        rotKeys[a].resize(nKeys);
        posKeys[a].resize(nKeys);
        for (int n = 0; n < kNodes; ++n) {
            animNodes[a][static_cast<size_t>(n)] = {static_cast<int16_t>(n * kFrames), kFrames,
                                                    static_cast<int16_t>(n * kFrames), kFrames};
            for (int k = 0; k < kFrames; ++k) {
                const size_t i = static_cast<size_t>(n * kFrames + k);
                mQuat q;
                q.SetHPR(static_cast<float>(3 * k + a), static_cast<float>(n), 0.0f);
                const float qv[4] = {q.x, q.y, q.z, q.w};
                for (int c = 0; c < 4; ++c)
                    ps::StoreQuantS16BE(&rotKeys[a][i].be[2 * c], qv[c], eAnimationQuat::kFracBits);
                for (int c = 0; c < 3; ++c)
                    ps::StoreQuantS16BE(&posKeys[a][i].be[2 * c], 0.01f * static_cast<float>(k + c), 10);
            }
        }
        keyData[a] = {animNodes[a].data(), nKeys, rotKeys[a].data(), nKeys, posKeys[a].data()};
        eAnimation& anim = anims[a];
        anim.m_pAnimationData = &keyData[a];
        anim.m_nFrames = kFrames;
        anim.m_nNodes = kNodes;
        anim.m_frameLength = cTimeValue(20);
        anim.m_length = cTimeValue(20 * (kFrames - 1));
        eAnimationMgr::Add(a + 1, &anim, static_cast<uint16_t>(a + 1));
    }

    SkinScene skin;
    cMemPool pool;
    std::vector<eAnimationNode> animNodes[4];
    std::vector<eAnimationQuat> rotKeys[4];
    std::vector<eAnimationVec3> posKeys[4];
    eAnimationData keyData[4];
    eAnimation anims[4];
    eModel* model = nullptr;
};

}  // namespace

static void BM_Skin2000ThreeWeightVerts(benchmark::State& state)
{
    SkinScene scene;
    for (auto _ : state) {
        scene.mesh.FillPhysiqueVerts(scene.out.data(), scene.bones);
        benchmark::DoNotOptimize(scene.out.data());
        benchmark::ClobberMemory();
    }
    SetFrameShare(state);
}
BENCHMARK(BM_Skin2000ThreeWeightVerts)->Unit(benchmark::kMicrosecond);

static void BM_PoseBlendOf4Animations42Nodes(benchmark::State& state)
{
    BlendScene scene;
    // Steps of 0 keep every state at its weight, so all four contribute in
    // every iteration; the time is advanced by hand.
    int32_t t = 0;
    for (auto _ : state) {
        t = (t + 20) % 580;
        for (eModelAnimationState& s : scene.model->m_animationStates)
            s.timeElapsed = cTimeValue(t);
        scene.model->Update(cTimeValue(0));
        benchmark::DoNotOptimize(scene.model->m_pNodeToZone[kNodes - 1]);
    }
    SetFrameShare(state);
}
BENCHMARK(BM_PoseBlendOf4Animations42Nodes)->Unit(benchmark::kMicrosecond);
