#include "eEngine/eModel.h"

#include <array>

#include "platform/ps.h"
#include "eEngine/eCamera.h"
#include "eEngine/eColliderRay.h"
#include "eEngine/eCollisionCache.h"
#include "eEngine/eLight.h"
#include "modelTestSupport.h"
#include "zoneTestSupport.h"

namespace {

constexpr int kMeshSlot = 7;

datagen::MeshDesc ColliderDesc()
{
    datagen::MeshDesc d;
    mOCS up = datagen::MeshNodeDesc::Identity();
    up.origin.Set(0, 0, 1);
    d.nodes = {{"root", -1, datagen::MeshNodeDesc::Identity()}, {"top", 0, up}};
    d.bonesStart = 0;
    d.nBones = 2;
    d.bVis = false;
    d.bCol = true;
    datagen::ColObjectDesc o;
    o.node = 1;
    o.corners = {mVec3(0, 0, 0), mVec3(1, 0, 0), mVec3(1, 1, 0), mVec3(0, 0, 0), mVec3(1, 1, 0), mVec3(0, 1, 0)};
    d.colObjects.push_back(o);
    datagen::ColSkinDesc s;
    s.surface = 1;
    s.corners.resize(3);
    s.corners[0].pos.Set(0, 0, 0);
    s.corners[1].pos.Set(2, 0, 0);
    s.corners[2].pos.Set(0, 2, 2);
    s.corners[2].nWeights = 2;
    s.corners[2].bones[1] = 1;
    s.corners[2].weights[0] = s.corners[2].weights[1] = 128;  // not normalised: 256/255 of the place
    d.colSkins.push_back(s);
    return d;
}

datagen::AnimationDesc Still(int frames, bool bLooping = true, int nodes = 4)
{
    datagen::AnimationDesc a;
    a.frames = frames;
    a.bLooping = bLooping;
    a.nodes.resize(static_cast<size_t>(nodes));
    for (auto& n : a.nodes) {
        n.positions = {mVec3(0, 0, 0)};
        n.rotations = {mQuat(0, 0, 0, 1)};
    }
    a.nodes[0].positions.clear();
    for (int k = 0; k < frames; ++k)
        a.nodes[0].positions.push_back(mVec3(static_cast<float>(k), 0, 0));
    return a;
}

class eModelTest : public WorldZoneTest {
protected:
    void SetUp() override
    {
        WorldZoneTest::SetUp();
        m_pModel = m_models.New<eModel>();
        ASSERT_NE(PlaceMesh(m_data, &m_models, kMeshSlot, FigureDesc()), nullptr);
    }
    void TearDown() override
    {
        std::destroy_at(m_pModel);
        ClearModelManagers();
        for (eSurface*& p : eSurfaceMgr::s_pInstances)
            p = nullptr;
        WorldZoneTest::TearDown();
    }
    eAnimationHandle Anim(int slot, const datagen::AnimationDesc& desc)
    {
        const eAnimation* p = PlaceAnimation(m_data, &m_models, slot, desc);
        return p ? p->m_handle : eAnimationHandle();
    }
    eModel& Place(int meshSlot = kMeshSlot)
    {
        m_pModel->SetMesh(eMeshMgr::GetHandle(meshSlot));
        m_pModel->m_localToParent = MakeFrame(1, 2, 3);
        m_pModel->SetZone(&m_b);
        m_pModel->SetGeomFlagsOnOff(eGeom::kDraw | eGeom::kCollide | eGeom::kDirty, 0);
        m_pModel->Update(cTimeValue(0));
        return *m_pModel;
    }
    eModel& PlaceCollider()
    {
        EXPECT_NE(PlaceMesh(m_data, &m_models, 9, ColliderDesc()), nullptr);
        return Place(9);
    }

    eTestDataDir m_data;
    cMemPool m_models{"modelTest", 0x80000, false};
    eModel* m_pModel = nullptr;
};

TEST_F(eModelTest, SetMeshSizesTheRecordsAndKeepsThoseThatStay)
{
    eModel& m = *m_pModel;
    m.SetMesh(eMeshMgr::GetHandle(kMeshSlot));
    ASSERT_EQ(m.m_nDrawInfos, 2);
    EXPECT_EQ(m.m_nColInfos, 0);
    EXPECT_EQ(m.m_nNodes, 4);
    EXPECT_EQ(m.m_nBones, 3);
    EXPECT_EQ(m.m_fVisRadius, 2.5f);
    EXPECT_EQ(m.m_pDrawInfos[1].materialState.m_nColor, 0xFFFFFFFFu);
    EXPECT_EQ(m.m_pDrawInfos[1].nLightIntensity, 255);
    EXPECT_EQ(m.m_pNodeToZone[3], datagen::MeshNodeDesc::Identity());
    m.m_pDrawInfos[0].hMaterial = eMaterialHandle(0x12340005);

    datagen::MeshDesc three = FigureDesc();
    three.objects.push_back(three.objects[0]);
    three.objects.back().material = 2;
    ASSERT_NE(PlaceMesh(m_data, &m_models, 8, three), nullptr);
    m.SetMesh(eMeshMgr::GetHandle(8));
    ASSERT_EQ(m.m_nDrawInfos, 3);
    EXPECT_EQ(m.m_pDrawInfos[0].hMaterial.m_nValue, 0x12340005u);  // copied over
    EXPECT_EQ(m.m_pDrawInfos[2].hMaterial.m_nValue, 0u);

    m.m_nGeomFlags = 0;
    m.SetMesh(eMeshHandle(0x77770009));  // resolves to nothing
    EXPECT_EQ(m.m_nDrawInfos, 0);
    EXPECT_EQ(m.m_pNodeToZone, nullptr);
    EXPECT_EQ(m.m_fVisRadius, -1.0f);
    EXPECT_EQ(m.m_fColRadius, -1.0f);
    EXPECT_TRUE(m.m_nGeomFlags & eGeom::kDirty);
    EXPECT_EQ(m.m_hMesh.m_nValue, 0x77770009u);  // kept, though it does not resolve
}

TEST_F(eModelTest, PlayingPicksSlotsAndJoinsTheDominantPhase)
{
    eModel& m = *m_pModel;
    EXPECT_EQ(m.PlayAnimation(eAnimationHandle(0x5555)).m_nTicks, -1);
    const eAnimationHandle a = Anim(1, Still(11)), b = Anim(2, Still(21)), c = Anim(3, Still(6, false));
    EXPECT_EQ(m.PlayAnimation(a).m_nTicks, 200);
    EXPECT_EQ(m.m_nCurAnimationState, 3);  // the last free slot
    m.m_animationStates[3].fWeight = 1.0f;
    m.m_animationStates[3].timeElapsed = cTimeValue(120);  // 60 percent

    EXPECT_EQ(m.PlayAnimation(b).m_nTicks, 400);
    EXPECT_EQ(m.m_nCurAnimationState, 2);
    EXPECT_EQ(m.m_animationStates[2].timeElapsed.m_nTicks, 240);
    EXPECT_EQ(m.m_animationStates[2].fWeight, 0.0f);

    m.m_animationStates[2].fWeight = 0.3f;
    m.m_animationStates[2].timeElapsed = cTimeValue(17);
    EXPECT_EQ(m.PlayAnimation(a).m_nTicks, 200);
    EXPECT_EQ(m.m_nCurAnimationState, 3);
    EXPECT_EQ(m.m_animationStates[2].timeElapsed.m_nTicks, 17);

    EXPECT_EQ(m.PlayAnimation(c).m_nTicks, 100);
    EXPECT_EQ(m.m_animationStates[1].timeElapsed.m_nTicks, 0);
    m.m_animationStates[1].fWeight = 0.5f;
    const eAnimationHandle d = Anim(4, Still(3));
    m.PlayAnimation(d);
    m.m_animationStates[0].fWeight = 0.9f;
    const eAnimationHandle e = Anim(5, Still(3));
    m.PlayAnimation(e);
    EXPECT_EQ(m.m_nCurAnimationState, 2);  // weight 0.3, the lightest
    EXPECT_EQ(m.m_animationStates[2].hAnimation, e);
}

TEST_F(eModelTest, StatesEaseInAndOutAndFreeTheirSlotsOnARealStep)
{
    eModel& m = Place();
    const eAnimationHandle a = Anim(1, Still(11)), b = Anim(2, Still(11));
    m.PlayAnimation(a);
    m.Update(cTimeValue(0));  // a step of 0 keeps a slot of weight 0
    EXPECT_EQ(m.m_animationStates[3].hAnimation, a);
    EXPECT_EQ(m.m_animationStates[3].fWeight, 0.0f);
    m.Update(cTimeValue(40));
    EXPECT_FLOAT_EQ(m.m_animationStates[3].fWeight, 0.5f);
    m.PlayAnimation(b);  // at a's phase: 40 of 200 ticks
    EXPECT_EQ(m.m_animationStates[2].timeElapsed.m_nTicks, 40);
    m.Update(cTimeValue(20));
    EXPECT_FLOAT_EQ(m.m_animationStates[3].fWeight, 0.25f);
    EXPECT_FLOAT_EQ(m.m_animationStates[2].fWeight, 0.25f);
    EXPECT_EQ(m.m_animationStates[2].timeElapsed.m_nTicks, 60);
    m.Update(cTimeValue(20));  // a reaches 0 on a real step: freed
    EXPECT_TRUE(m.m_animationStates[3].hAnimation.IsNull());
    m.Update(cTimeValue(200));
    EXPECT_EQ(m.m_animationStates[2].fWeight, 1.0f);  // capped
    EXPECT_EQ(m.m_animationStates[2].timeElapsed.m_nTicks, 80);  // 280 into a 200-tick loop
}

TEST_F(eModelTest, ThePoseBlendsStatesByTheirShareOfTheWeights)
{
    eModel& m = Place();
    datagen::AnimationDesc up = Still(2), side = Still(2);
    up.nodes[2].positions = {mVec3(0, 0, 1)};
    side.nodes[2].positions = {mVec3(3, 0, 0)};
    m.m_animationStates[0] = {Anim(1, up), 0.75f + 1.0f / 80.0f, cTimeValue(0)};
    m.m_animationStates[1] = {Anim(2, side), 0.25f - 1.0f / 80.0f, cTimeValue(0)};
    m.m_nCurAnimationState = 1;
    m.Update(cTimeValue(1));  // weights 0.75 and 0.25
    const mVec3 expected = mVec3(1, 2, 3) + mVec3(0.75f, 0, 0.75f);
    EXPECT_TRUE(m.m_pNodeToZone[2].origin.ApproxEqual(expected, 1e-3f));
    EXPECT_EQ(m.m_pNodeToZone[0], m.m_localToZone);
}

TEST_F(eModelTest, WithoutAContributingStateTheModelRests)
{
    eModel& m = Place();
    const mVec3 restLeg = m.m_pNodeToZone[2].origin;
    EXPECT_EQ(restLeg, mVec3(0.7f, 2, 4));
    m.PlayAnimation(Anim(1, Still(3, true, 3)));  // three nodes: another mesh's
    m.m_pNodeToZone[2].origin.Set(9, 9, 9);
    m.Update(cTimeValue(20));
    EXPECT_EQ(m.m_pNodeToZone[2].origin, restLeg);
    EXPECT_EQ(m.m_animationStates[3].fWeight, 0.0f);  // not applied, not eased
}

TEST_F(eModelTest, SubObjectFramesFallBackToTheModelsOwn)
{
    eModel& m = *m_pModel;
    EXPECT_EQ(m.GetSubObjectToZone(0), &m.m_localToZone);  // no mesh, no frames
    cName name;
    name.Set("rightLeg");
    EXPECT_EQ(m.GetSubObjectIndex(name, 0, false), -1);
    Place();
    EXPECT_EQ(m.GetSubObjectIndex(name, 0, false), 3);
    EXPECT_EQ(m.GetSubObjectToZone(3), &m.m_pNodeToZone[3]);
    EXPECT_EQ(m.GetSubObjectToZone(-1), &m.m_localToZone);
    EXPECT_EQ(m.GetSubObjectToZone(4), &m.m_localToZone);
}

TEST_F(eModelTest, BlendAndAlphaAreTruncatedBytes)
{
    eModel& m = Place();
    const struct { float value; uint8_t byte; } rows[] = {{0.5f, 127}, {1.0f, 255}, {0.0f, 0}, {1.7f, 255}, {-0.2f, 0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        m.SetAlpha(row.value);
        m.SetBlend(row.value);
        for (int i = 0; i < m.m_nDrawInfos; ++i) {
            EXPECT_EQ(m.m_pDrawInfos[i].materialState.m_nColor, static_cast<uint32_t>(row.byte) << 24 | 0xFFFFFFu);
            EXPECT_EQ(m.m_pDrawInfos[i].materialState.m_nTextureBlendFactor, row.byte);
        }
    }
}

TEST_F(eModelTest, RootMotionFollowsTheBlend)
{
    eModel& m = Place();
    m.m_animationStates[0] = {Anim(1, Still(11)), 1.0f, cTimeValue(20)};
    m.m_nCurAnimationState = 0;
    mVec3 t;
    mQuat r;
    m.CalcNodeDelta(cTimeValue(30), 0, &t, &r);
    EXPECT_TRUE(t.ApproxEqual(mVec3(1.5f, 0, 0), 1e-5f));
    EXPECT_EQ(m.m_animationStates[0].timeElapsed.m_nTicks, 20);  // the states are not advanced
    datagen::AnimationDesc stand = Still(11);
    stand.nodes[0].positions = {mVec3(0, 0, 0)};
    m.m_animationStates[0].fWeight = 0.3f;
    m.m_animationStates[1] = {Anim(2, stand), 0.5f, cTimeValue(20)};
    m.CalcNodeDelta(cTimeValue(8), 0, &t, &r);
    EXPECT_TRUE(t.ApproxEqual(mVec3(0.2f, 0, 0), 1e-5f));
    m.m_animationStates[1] = {};
    m.m_nCurAnimationState = -1;
    m.m_animationStates[0].fWeight = 0.1f;  // easing out to nothing over the step
    m.CalcNodeDelta(cTimeValue(30), 0, &t, &r);
    EXPECT_EQ(t, mVec3(0, 0, 0));
    EXPECT_EQ(r.w, 1.0f);
}

TEST_F(eModelTest, CollisionCullFilesSurfacesTheColliderMeets)
{
    eModel& m = PlaceCollider();
    ASSERT_EQ(m.m_nColInfos, 2);
    eTestSurface* floor = m_models.New<eTestSurface>();
    floor->m_nCollisionMask = 0x6;
    m.m_pColInfos[0].hSurface = eSurfaceMgr::Add(3, floor, 0x33);
    m.m_pColInfos[1].hSurface = eSurfaceHandle(0x99990004);  // resolves to nothing
    const struct { const char* name; uint32_t mask; bool bIgnore; bool bFiled; } rows[] = {
        {"a shared bit", 0x2, false, true}, {"no shared bit", 0x9, false, false}, {"ignored", 0xFF, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        m_b.m_pCollidableBin = nullptr;
        eCollider c;
        c.m_nCollisionMask = row.mask;
        if (row.bIgnore)
            c.AddIgnore(&m, false);
        mSphere s;
        s.center.Set(0, 0, 0);
        s.radius = 1;
        m.CollisionCull(c, s);
        ASSERT_EQ(m_b.m_pCollidableBin != nullptr, row.bFiled);
        if (row.bFiled) {
            const eModelColInfo* info = static_cast<const eModelColInfo*>(m_b.m_pCollidableBin);
            EXPECT_EQ(info, &m.m_pColInfos[0]);
            EXPECT_EQ(info->pNext, m_b.m_pCollidableBin);  // the only one
            EXPECT_EQ(info->pCollidable, static_cast<cBase*>(&m));
            EXPECT_EQ(info->pModel, static_cast<eCollisionModel*>(&m));
            EXPECT_EQ(info->nSurfaceID, 0);
        }
    }
}

TEST_F(eModelTest, CollisionTrianglesComeInWorldSpaceInWindows)
{
    eModel& m = PlaceCollider();
    EXPECT_EQ(m.GetCollisionTrisCount(0), 2);
    EXPECT_EQ(m.GetCollisionTrisCount(1), 1);
    EXPECT_EQ(m.GetCollisionTrisCount(2), 0);
    eCollisionCacheTri tris[2];
    m.FillCollisionTris(tris, 0, 0, 2);
    EXPECT_EQ(tris[0].v1, mVec3(101, 2, 4));
    EXPECT_EQ(tris[1].v3, mVec3(101, 3, 4));
    EXPECT_EQ(tris[0].plane.normal, mVec3(0, 0, 1));
    EXPECT_EQ(tris[0].plane.offset, 4.0f);
    eCollisionCacheTri second;
    m.FillCollisionTris(&second, 0, 1, 1);  // only the second
    EXPECT_EQ(second.v2, tris[1].v2);
    m.FillCollisionTris(tris, 1, 0, 1);
    EXPECT_EQ(tris[0].v2, mVec3(103, 2, 3));
    const float k = 256.0f / 255.0f;
    EXPECT_TRUE(tris[0].v3.ApproxEqual(mVec3(100 + (1 + 0) * k, (2 + 2) * k, (3 + 2) * k), 1e-4f));
}

TEST_F(eModelTest, RaysHitFrontFacesOnlyAndKeepTheNearest)
{
    eModel& m = PlaceCollider();
    const struct { const char* name; mVec3 origin, dir; float start; bool bHit; } rows[] = {
        {"from above", mVec3(1.5f, 2.5f, 10), mVec3(0, 0, -1), 1e30f, true},
        {"from below, at the back", mVec3(1.5f, 2.5f, -10), mVec3(0, 0, 1), 1e30f, false},
        {"a nearer hit already", mVec3(1.5f, 2.5f, 10), mVec3(0, 0, -1), 5.0f, false},
        {"beside the square", mVec3(3.5f, 2.5f, 10), mVec3(0, 0, -1), 1e30f, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eCollisionRayHit hit{row.start, mVec3(0, 0, 0), mVec3(0, 0, 0), nullptr, nullptr};
        const mRay ray{row.origin, row.dir, 100.0f};
        m.IntersectColTris(ray, 0, &hit);
        EXPECT_EQ(hit.pObj != nullptr, row.bHit);
        if (row.bHit) {
            EXPECT_FLOAT_EQ(hit.fDistance, 6.0f);
            EXPECT_TRUE(hit.position.ApproxEqual(mVec3(101.5f, 2.5f, 4), 1e-4f));
            EXPECT_EQ(hit.normal, mVec3(0, 0, 1));
            EXPECT_EQ(hit.pSurface, nullptr);  // surface 0's handle resolves to nothing
        }
    }
}

class eModelDrawTest : public DrawingTest<MaterialTest> {
protected:
    void SetUp() override
    {
        DrawingTest::SetUp();
        if (IsSkipped())
            return;
        eVideo::PreCull();
        ASSERT_NE(PlaceMesh(m_data, &m_pool, kMeshSlot, FigureDesc()), nullptr);
        m_pModel = m_pool.New<eModel>();
        m_pModel->SetMesh(eMeshMgr::GetHandle(kMeshSlot));
        m_pModel->Update(cTimeValue(0));
        eLight::SetDirectional(mVec3(0, 0, -1), mVec4(0, 0, 0, 0), mVec4(0.8f, 0.6f, 0.4f, 1.0f), mVec4(0, 0, 0, 0));
        eMaterial::SetGlobalAmbient(0xFF806040u);
        eMaterial::s_currentPass = eMaterial::PASS_DIFFUSE;
    }
    void TearDown() override
    {
        GXTestGetDrawStats();  // the render thread idle before the model goes
        if (m_pModel)
            std::destroy_at(m_pModel);
        ClearModelManagers();
        DrawingTest::TearDown();
    }
    std::shared_ptr<const gxState> DrawHead(uint8_t brightness, uint32_t materialFlags = 0)
    {
        eMaterial* mat = NewMaterial(materialFlags);
        mat->m_diffuseColor.Set(1, 1, 1);
        AddStage(mat->AddPass(eMaterial::PASS_DIFFUSE), eTextureStage::IN_RASTER, eTextureStage::IN_PREVIOUS,
                 eTextureStage::OP_A, eTextureStage::IN_RASTER, eTextureStage::OP_A, -1);
        eModelDrawInfo& info = m_pModel->m_pDrawInfos[1];
        info.hMaterial = eMaterialMgr::Add(30, mat, 0x30);
        info.nMaterial = 1;
        info.nLightIntensity = brightness;
        m_pModel->Draw(m_camera, &info);
        return GXTestGetLastDraw().state;
    }

    eModel* m_pModel = nullptr;
    eCamera m_camera;
};

TEST_F(eModelDrawTest, BrightnessScalesTheLightOrTheAmbient)
{
    const struct { uint8_t brightness; uint32_t flags; std::array<int, 4> light; std::array<int, 3> ambient; } rows[] =
    {
        {200, 0, {160, 120, 80, 255}, {0x80, 0x60, 0x40}},  // the light by 200/255
        {10, 0, {51, 38, 25, 255}, {100, 75, 50}},          // the light held at 64/255, the ambient by 201/255
        {64, 0, {51, 38, 25, 255}, {0x80, 0x60, 0x40}}, {255, 0, {204, 153, 102, 255}, {0x80, 0x60, 0x40}},
        {10, eMaterial::FLAG_UNLIT, {204, 153, 102, 255}, {0x80, 0x60, 0x40}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << int(row.brightness) << " flags " << row.flags);
        const auto state = DrawHead(row.brightness, row.flags);
        ASSERT_NE(state, nullptr);
        const GXColor& light = state->lights[0].color;
        EXPECT_EQ((std::array<int, 4>{light.r, light.g, light.b, light.a}), row.light);
        const GXColorS10& reg1 = state->tevRegs[2];  // diffuse white x the ambient
        EXPECT_EQ((std::array<int, 3>{reg1.r, reg1.g, reg1.b}), row.ambient);
        EXPECT_EQ(eLight::s_directionalColor, mVec4(0.8f, 0.6f, 0.4f, 1.0f));
        EXPECT_EQ(eMaterial::s_nGlobalAmbient, 0xFF806040u);
        for (bool bOn : eLight::s_bOmni)
            EXPECT_FALSE(bOn);
    }
}

TEST_F(eModelDrawTest, AModelIsSkinnedOnceAFrame)
{
    eModel& m = *m_pModel;
    m.PostCullUpdate(m_camera);
    const uint32_t id = m.m_nPhysiqueVertsHandle;
    ASSERT_NE(id, 0u);
    const int fill = eVideoPlatform::s_physiqueCache.FillPosition();
    m.PostCullUpdate(m_camera);  // culled again, by a second zone
    EXPECT_EQ(m.m_nPhysiqueVertsHandle, id);
    EXPECT_EQ(eVideoPlatform::s_physiqueCache.FillPosition(), fill);
    const uint8_t* p = static_cast<const uint8_t*>(eVideoPlatform::GetPhysiqueCacheVerts(id));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(ps::LoadS16BE(p + 4), 1024);  // the torso's first corner at z = 1

    eVideo::PreCull();
    uint32_t rest = 0;
    eVideoPlatform::AllocPhysiqueVerts(ePhysiqueCache::kRecordsPerBuffer - 10, &rest);
    m.PostCullUpdate(m_camera);  // a full cache: no skin this frame
    EXPECT_EQ(m.m_nPhysiqueVertsHandle, 0u);
    EXPECT_EQ(eVideoPlatform::GetPhysiqueCacheVerts(m.m_nPhysiqueVertsHandle), nullptr);
}

}  // namespace
