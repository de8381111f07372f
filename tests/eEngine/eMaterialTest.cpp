#include "eEngine/eMaterial.h"

#include "gx/gxFront_local.h"
#include "eEngine/eCamera.h"
#include "eEngine/eLight.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eTextureData.h"
#include "eEngine/eTextureMatrixGen.h"
#include "eEngine/eVideo.h"
#include "eEngine/eVideoPlatform.h"
#include "materialTestSupport.h"

namespace {

using M = eMaterial;
using S = eTextureStage;

eRenderStateCache& RS() { return eVideoPlatform::RenderState(); }

class eMaterialTest : public MaterialTest {
protected:
    void TearDown() override
    {
        eVideoPlatform::s_bNoZWrite = false;
        MaterialTest::TearDown();
    }
    M* Make(bool lighting, bool diffuse)
    {
        M* m = NewMaterial();
        for (int p = 0; p < 2; ++p)
            if (p == 0 ? lighting : diffuse)
                AddStage(m->AddPass(static_cast<M::ePassID>(p)), S::IN_TEXTURE, S::IN_RASTER, S::OP_MUL,
                         S::IN_TEXTURE, S::OP_A, 0);
        return m;
    }
};

TEST_F(eMaterialTest, SecondApplyOfTheSameMaterialChangesNothing)
{
    M* m = Make(false, true);
    m->Apply(nullptr, nullptr, nullptr, 0);
    RS().Apply();
    RS().Set(RS_CULL_MODE, GX_CULL_ALL);  // behind the material's back
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_CULL_MODE), static_cast<uintptr_t>(GX_CULL_ALL));
    const eMaterialState state;
    m->Apply(nullptr, nullptr, &state, 0);  // another state: done in full
    EXPECT_EQ(RS().Get(RS_CULL_MODE), static_cast<uintptr_t>(GX_CULL_FRONT));
    M* gone = m_pool.New<M>();
    AddStage(gone->AddPass(M::s_currentPass), S::IN_RASTER, S::IN_RASTER, S::OP_A, S::IN_RASTER, S::OP_A, -1);
    gone->Apply(nullptr, nullptr, nullptr, 0);
    ASSERT_EQ(M::s_pLastMaterial, gone);
    std::destroy_at(gone);
    EXPECT_EQ(M::s_pLastMaterial, nullptr);
}

TEST_F(eMaterialTest, RepeatedApplyWithALightmapOnlyRebindsTheLightmap)
{
    eTexture* a = MakeTexture(352, eTextureConfig::FORMAT_CMPR, SolidImage(16, 200, 0, 0));
    eTexture* b = MakeTexture(353, eTextureConfig::FORMAT_CMPR, SolidImage(16, 0, 200, 0));
    ASSERT_TRUE(a && b);
    eLightmap lightmap;
    lightmap.m_nStartIndex = eTextureMgr::kFirstLightmapSlot + 2;
    lightmap.m_nNumTextures = 2;
    M* m = Make(false, true);
    m->m_pPasses[M::PASS_DIFFUSE]->m_pStages[0]->m_nTextureIndex = 1;
    m->m_hTextures[4 + 1] = eMaterial::s_hLightmapTex;
    m->Apply(nullptr, &lightmap, nullptr, 0);
    EXPECT_EQ(eTexture::s_pLastTex[1], a->GetConfig()->m_pTextureData);
    RS().Set(RS_CULL_MODE, GX_CULL_ALL);
    lightmap.m_nCurrentIndex = 1;  // the next strip uses the other lightmap
    m->Apply(nullptr, &lightmap, nullptr, 0);
    EXPECT_EQ(eTexture::s_pLastTex[1], b->GetConfig()->m_pTextureData);
    EXPECT_EQ(RS().Get(RS_CULL_MODE), static_cast<uintptr_t>(GX_CULL_ALL));
}

TEST_F(eMaterialTest, BlendModes)
{
    struct Row { int32_t mode; uintptr_t type, src, dst; };
    const Row rows[] = {
        {M::BLEND_NONE, GX_BM_NONE, GX_BL_ONE, GX_BL_ZERO},
        {M::BLEND_TRANSPARENT, GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_INVSRCALPHA},
        {M::BLEND_ADD, GX_BM_BLEND, GX_BL_SRCALPHA, GX_BL_ONE},
        {M::BLEND_MODULATE, GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_SRCCLR},
        {M::BLEND_SUBTRACTALPHA, GX_BM_BLEND, GX_BL_ZERO, GX_BL_INVSRCALPHA},
        {M::BLEND_MODULATELIGHT, GX_BM_BLEND, GX_BL_DSTCLR, GX_BL_ZERO},
        {M::BLEND_SUBTRACT, GX_BM_SUBTRACT, GX_BL_ONE, GX_BL_ZERO},
        {9, GX_BM_SUBTRACT, GX_BL_ONE, GX_BL_ZERO},  // unknown: the blend stays as it was
    };
    M* m = Make(false, true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.mode);
        m->m_blendMode = static_cast<M::eBlendMode>(row.mode);
        M::ApplyNull();
        if (row.mode == 9)
            RS().Set(RS_BLEND_TYPE, GX_BM_SUBTRACT);
        m->Apply(nullptr, nullptr, nullptr, 0);
        EXPECT_EQ(RS().Get(RS_BLEND_TYPE), row.type);
        EXPECT_EQ(RS().Get(RS_BLEND_SRC), row.src);
        EXPECT_EQ(RS().Get(RS_BLEND_DST), row.dst);
    }
}

TEST_F(eMaterialTest, TranslucentStateTurnsOpaqueIntoTransparentAndTintsTheColour)
{
    M* m = Make(false, true);
    m->m_diffuseColor = mVec3(1.0f, 0.5f, 0.0f);
    m->m_fOpacity = 0.5f;
    struct Row { const char* name; uint32_t color; uintptr_t blend; uintptr_t materialColor; } rows[] = {
        {"translucent tint", 0x80FFFFFF, GX_BM_BLEND, 0x3FFF7F00},
        {"opaque tint", 0xFF8080FF, GX_BM_NONE, 0xFF803F00},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        eMaterialState state;
        state.m_nColor = row.color;
        m->Apply(nullptr, nullptr, &state, 0);
        EXPECT_EQ(RS().Get(RS_BLEND_TYPE), row.blend);
        EXPECT_EQ(RS().Get(RS_MATERIAL_COLOR), row.materialColor);
    }
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_MATERIAL_COLOR), 0x7FFF7F00u);  // (opacity, r, g, b)
}

TEST_F(eMaterialTest, RegisterOneIsDiffuseTimesAmbientWithTheBlendFactorInAlpha)
{
    M* m = Make(false, true);
    M::SetGlobalAmbient(0x80FF0000u);
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_TEV_REG1_COLOR), 0x80FF0000u);
    eMaterialState state;
    state.m_nTextureBlendFactor = 0x33;
    M::SetGlobalAmbient(mVec3(1.0f, 0.5f, 2.0f));  // clamped: 255, 127, 255
    m->m_diffuseColor = mVec3(0.5f, 1.0f, -1.0f);  // clamped: 127, 255, 0
    m->Apply(nullptr, nullptr, &state, 0);
    EXPECT_EQ(RS().Get(RS_TEV_REG1_COLOR), 0x337F7F00u);
}

TEST_F(eMaterialTest, FlagsSetDepthAlphaTestAndCulling)
{
    struct Row { const char* name; uint32_t flags; uintptr_t zCompare, zUpdate, beforeTex, alphaFunc, alphaRef, cull; };
    const Row rows[] = {
        {"none", 0, 1, 1, 1, GX_ALWAYS, 0, GX_CULL_FRONT},
        {"no depth update", M::FLAG_NO_Z_UPDATE, 1, 0, 1, GX_ALWAYS, 0, GX_CULL_FRONT},
        {"no depth compare", M::FLAG_NO_Z_COMPARE, 0, 1, 1, GX_ALWAYS, 0, GX_CULL_FRONT},
        {"alpha test", M::FLAG_ALPHA_TEST, 1, 1, 0, GX_GEQUAL, 2, GX_CULL_FRONT},
        {"two-sided", M::FLAG_TWO_SIDED, 1, 1, 1, GX_ALWAYS, 0, GX_CULL_NONE},
    };
    M* m = Make(false, true);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        m->m_nFlags = row.flags;
        M::ApplyNull();
        m->Apply(nullptr, nullptr, nullptr, 0);
        EXPECT_EQ(RS().Get(RS_Z_COMPARE), row.zCompare);
        EXPECT_EQ(RS().Get(RS_Z_UPDATE), row.zUpdate);
        EXPECT_EQ(RS().Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_LEQUAL));
        EXPECT_EQ(RS().Get(RS_Z_COMP_BEFORE_TEX), row.beforeTex);
        EXPECT_EQ(RS().Get(RS_ALPHA_COMPARE_FUNC), row.alphaFunc);
        EXPECT_EQ(RS().Get(RS_ALPHA_COMPARE_REF), row.alphaRef);
        EXPECT_EQ(RS().Get(RS_CULL_MODE), row.cull);
    }
    eVideoPlatform::s_bNoZWrite = true;
    RS().Set(RS_Z_FUNC, GX_EQUAL);
    m->m_nFlags = M::FLAG_ALPHA_TEST;
    M::ApplyNull();
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_Z_FUNC), static_cast<uintptr_t>(GX_EQUAL));
    EXPECT_EQ(RS().Get(RS_ALPHA_COMPARE_FUNC), static_cast<uintptr_t>(GX_ALWAYS));
}

TEST_F(eMaterialTest, PassesChooseBlendAndLighting)
{
    M* twoPass = Make(true, true);
    eLight::s_bDirectional = true;
    M::s_currentPass = M::PASS_LIGHTING;
    twoPass->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_BLEND_TYPE), static_cast<uintptr_t>(GX_BM_NONE));
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_ENABLE), 1u);
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_LIGHT_MASK), eLight::kDirectionalMask);
    EXPECT_EQ(RS().Get(RS_AMBIENT_COLOR), 0u);

    M::ApplyNull();  // as the zone does between its sweeps
    M::s_currentPass = M::PASS_DIFFUSE;
    twoPass->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_BLEND_TYPE), static_cast<uintptr_t>(GX_BM_BLEND));
    EXPECT_EQ(RS().Get(RS_BLEND_SRC), static_cast<uintptr_t>(GX_BL_DSTCLR));
    EXPECT_EQ(RS().Get(RS_BLEND_DST), static_cast<uintptr_t>(GX_BL_ZERO));
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_ENABLE), 0u);

    M* onePass = Make(false, true);
    onePass->Apply(nullptr, nullptr, nullptr, M::APPLY_VERTEX_COLOR);
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_MAT_SRC), static_cast<uintptr_t>(GX_SRC_VTX));
    onePass->m_nFlags = M::FLAG_UNLIT;
    M::ApplyNull();
    onePass->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_ENABLE), 0u);
    EXPECT_EQ(RS().Get(RS_COLOR_CHAN_MAT_SRC), static_cast<uintptr_t>(GX_SRC_REG));

    M::s_currentPass = M::PASS_LIGHTING;
    EXPECT_FALSE(onePass->PassIsValid());
    onePass->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(M::s_pLastMaterial, nullptr);
    EXPECT_EQ(RS().Get(RS_NUM_TEV_STAGES), 1u);
    EXPECT_EQ(RS().Get(RS_NUM_TEX_GENS), 1u);
}

TEST_F(eMaterialTest, FogFollowsTheGlobalSwitchAndTheMaterialFlag)
{
    M* m = Make(false, true);
    eCamera camera;
    camera.m_fFarClip = 500.0f;
    M::SetGlobalFog(true, &camera, mVec3(1.0f, 0.5f, 2.0f), 10.0f, 90.0f);
    EXPECT_EQ(gxGet().fog.type, GX_FOG_PERSP_LIN);
    M::ApplyNull();
    m->m_nFlags = M::FLAG_NO_FOG;
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(gxGet().fog.type, GX_FOG_NONE);
    m->m_nFlags = 0;
    M::ApplyNull();
    m->Apply(nullptr, nullptr, nullptr, 0);
    const gxFog& fog = gxGet().fog;
    EXPECT_EQ(fog.type, GX_FOG_PERSP_LIN);
    EXPECT_EQ(fog.startZ, 10.0f);
    EXPECT_EQ(fog.endZ, 90.0f);
    EXPECT_EQ(fog.nearZ, camera.m_frustum.planes[mFrustum::kNear].offset);
    EXPECT_EQ(fog.farZ, 500.0f);
    EXPECT_TRUE(fog.color.r == 255 && fog.color.g == 127 && fog.color.b == 255);  // 2.0 clamped, not wrapped
    M::SetGlobalFog(false, nullptr, mVec3(0, 0, 0), 0.0f, 1.0f);
    EXPECT_EQ(gxGet().fog.type, GX_FOG_NONE);
    GXSetFog(GX_FOG_PERSP_EXP, 1.0f, 2.0f, 3.0f, 4.0f, GXColor{1, 2, 3, 4});
    M::ApplyNull();
    m->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(gxGet().fog.type, GX_FOG_PERSP_EXP);  // global fog off: left alone
    GXSetFog(GX_FOG_NONE, 0.0f, 1.0f, 0.1f, 1.0f, GXColor{0, 0, 0, 0});  // later draws are unfogged
}

TEST_F(eMaterialTest, DepthBiasScalesTheProjectionUntilAMaterialWithoutIt)
{
    mFrustum f;
    f.SetFOV(90.0f, 60.0f, 1.0f, 1000.0f);
    eVideo::SetProjection(f);
    const float unbiased = gxGet().projection[4];
    M* biased = Make(false, true);
    biased->m_nFlags = M::FLAG_DEPTH_BIAS;
    M* plain = Make(false, true);
    biased->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(gxGet().projection[4], unbiased * 0.97f);
    M::ApplyNull();
    biased->Apply(nullptr, nullptr, nullptr, 0);  // already biased: not scaled twice
    EXPECT_FLOAT_EQ(gxGet().projection[4], unbiased * 0.97f);
    plain->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_EQ(gxGet().projection[4], unbiased);
    biased->Apply(nullptr, nullptr, nullptr, 0);
    eVideo::SetProjection(f);  // as every frame's camera does: unbiased again
    M::ApplyNull();
    biased->Apply(nullptr, nullptr, nullptr, 0);
    EXPECT_FLOAT_EQ(gxGet().projection[4], unbiased * 0.97f);
}

TEST_F(eMaterialTest, ApplyNullAndUnresolvedStatesDrawYellowUntextured)
{
    M* m = Make(false, true);
    m->Apply(nullptr, nullptr, nullptr, 0);
    eMaterialState state;
    state.Apply(eMaterialHandle(0x12340007), nullptr, nullptr, 0);  // nothing in slot 7
    EXPECT_EQ(RS().Get(RS_MATERIAL_COLOR), 0xFFFFFF00u);
    EXPECT_EQ(RS().Get(RS_TEV_REG1_COLOR), M::s_nGlobalAmbient);
    EXPECT_EQ(RS().Get(RS_NUM_TEV_STAGES), 1u);
    EXPECT_EQ(RS().GetStage(0).colorIn[0], static_cast<uint32_t>(GX_CC_RASC));
    for (int stage = 0; stage < 4; ++stage)
        EXPECT_EQ(RS().GetStage(stage).order[1], static_cast<uint32_t>(GX_TEXMAP_NULL));
    EXPECT_EQ(M::s_pLastMaterial, nullptr);

    const eMaterialHandle h = eMaterialMgr::Add(7, m, 0x4321);
    state.Apply(h, nullptr, nullptr, 0);
    EXPECT_EQ(M::s_pLastMaterial, m);
    eMaterialMgr::s_pInstances[7] = nullptr;
}

datagen::BlockWriter& MaterialBlock(datagen::BlockWriter& w, uint32_t version, uint32_t passVersion, int nStages)
{
    w.Begin(version).Begin(1).Begin(1).End().Name("rock").End();
    w.Word(0x8).Int(2).Float(0.5f).Float(0.25f).Float(1.0f).Float(0.75f);
    w.Int(0);  // no lighting pass
    if (version >= 3)
        w.Word(0).Word(0).Word(0).Word(0);
    w.Int(1).Begin(passVersion);
    if (passVersion >= 3)
        w.Begin(1).End();
    w.Int(nStages);
    if (passVersion == 1)
        w.Word(0x11110003).Word(0).Word(0).Word(0x22220004);
    for (int i = 0; i < nStages; ++i) {
        w.Begin(3).Begin(1).End().Byte(1).Byte(2).Byte(1).Byte(2).Byte(3).Byte(3).Byte(0);
        w.Half(static_cast<uint16_t>(i)).Byte(0).Byte(0).End();
    }
    w.End();
    if (version >= 3)
        w.Word(0x55550006).Word(0).Word(0).Word(0);
    return w.End();
}

TEST_F(eMaterialTest, StagesAreRemovedAndSwappedInPlace)
{
    eMaterialPass* pass = NewMaterial()->AddPass(M::PASS_DIFFUSE);
    S* s[3];
    for (S*& st : s)
        st = pass->AddTextureStage();
    pass->SwapTextureStage(2, 0);
    pass->SwapTextureStage(0, 3);  // outside: nothing
    EXPECT_TRUE(pass->m_pStages[0] == s[2] && pass->m_pStages[2] == s[0]);
    pass->RemoveTextureStage(3);  // outside: nothing
    pass->RemoveTextureStage(0);
    ASSERT_EQ(pass->m_nStages, 2);
    EXPECT_TRUE(pass->m_pStages[0] == s[1] && pass->m_pStages[1] == s[0] && pass->m_pStages[2] == nullptr);
    M* m = NewMaterial();
    m->m_hTextures[4] = eTextureHandle(0x12340005);  // the second pass's first
    EXPECT_TRUE(m->AddPass(M::PASS_LIGHTING)->GetTextureHandle(4).IsNull());  // four handles per pass
}

TEST_F(eMaterialTest, VerifyMaterialChecksWhatEachStageReads)
{
    constexpr uint8_t P = S::IN_PREVIOUS, T = S::IN_TEXTURE, R = S::IN_RASTER, G = S::IN_REG0;
    struct St { uint8_t c0, c1, cOp, a0, aOp; int16_t tex; uint8_t out; };
    const St plain = {R, R, S::OP_A, R, S::OP_A, -1, S::OUT_PREVIOUS};
    const struct { const char* why; std::vector<St> stages; bool bValid; } rows[] = {
        {"one stage of the raster colour", {plain}, true}, {"no stages", {}, false},
        {"the first stage reads the previous colour", {{P, R, S::OP_A, R, S::OP_A, -1, 0}}, false},
        {"the first stage reads the previous alpha", {{R, R, S::OP_A, P, S::OP_A, -1, 0}}, false},
        {"an input the operation does not use may be previous", {{R, P, S::OP_A, R, S::OP_A, -1, 0}}, true},
        {"a zero operation reads neither input", {{P, P, S::OP_ZERO, R, S::OP_A, -1, 0}}, true},
        {"operation B uses the second input", {{R, P, S::OP_B, R, S::OP_A, -1, 0}}, false},
        {"the last stage writes register 0", {{R, R, S::OP_A, R, S::OP_A, -1, S::OUT_REG0}}, false},
        {"after register 0 was written, previous is unset",
         {{R, R, S::OP_A, R, S::OP_A, -1, S::OUT_REG0}, {P, R, S::OP_A, R, S::OP_A, -1, 0}}, false},
        {"after register 0 was written, the register is read",
         {{R, R, S::OP_A, R, S::OP_A, -1, S::OUT_REG0}, {G, R, S::OP_MUL, R, S::OP_A, -1, 0}}, true},
        {"previous colour after a zero colour",
         {{R, R, S::OP_ZERO, R, S::OP_A, -1, 0}, {P, R, S::OP_A, R, S::OP_A, -1, 0}}, false},
        {"previous alpha after a zero alpha",
         {{R, R, S::OP_A, R, S::OP_ZERO, -1, 0}, {R, R, S::OP_A, P, S::OP_A, -1, 0}}, false},
        {"previous after a stage that wrote it", {plain, {P, R, S::OP_MUL, P, S::OP_A, -1, 0}}, true},
        {"a texture without an index", {{T, R, S::OP_A, R, S::OP_A, -1, 0}}, false},
        {"a texture index without a handle", {{T, R, S::OP_A, R, S::OP_A, 2, 0}}, false},
        {"a texture index with a handle", {{R, T, S::OP_ADD, R, S::OP_A, 1, 0}}, true},
    };
    MakeTexture(50, eTextureConfig::FORMAT_RGBA8, SolidImage(16, 1, 2, 3));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        M* m = NewMaterial();
        m->m_hTextures[4 + 1] = eTextureMgr::GetHandle(50);
        eMaterialPass* pass = m->AddPass(M::PASS_DIFFUSE);
        for (const St& st : row.stages) {
            S* s = AddStage(pass, st.c0, st.c1, st.cOp, st.a0, st.aOp, st.tex);
            s->m_alphaIn[1] = R;
            s->m_output = st.out;
        }
        EXPECT_EQ(m->VerifyMaterial(M::PASS_DIFFUSE, false), row.bValid);
        M::s_currentPass = M::PASS_DIFFUSE;
        EXPECT_EQ(m->PassIsValid(), !row.stages.empty());
        EXPECT_FALSE(m->VerifyMaterial(M::PASS_LIGHTING, false));  // absent
        EXPECT_FALSE(m->VerifyMaterial(M::MAX_PASSES, false));
        EXPECT_FALSE(m->VerifyMaterial(-1, false));
    }
    M* lit = NewMaterial();
    AddStage(lit->AddPass(M::PASS_LIGHTING), R, R, S::OP_A, R, S::OP_A, -1)->m_alphaIn[1] = R;
    EXPECT_TRUE(lit->VerifyMaterial(M::PASS_LIGHTING, false));
}

TEST_F(eMaterialTest, ReadAcceptsVersionsTwoAndThree)
{
    struct Row { const char* name; uint32_t version, passVersion; int nStages; bool ok; uint32_t handle4, handle7;
                 int keptStages; } rows[] = {
        {"version 3", 3, 3, 2, true, 0x55550006, 0, 2}, {"version 2 has no handles", 2, 3, 1, true, 0, 0, 1},
        {"version 1 is skipped", 1, 3, 1, false, 0, 0, 0},
        {"pass version 1 stores its handles", 2, 1, 1, true, 0x11110003, 0x22220004, 1},
        {"four stages", 3, 3, 4, true, 0x55550006, 0, 4},
        {"five stages: never written", 3, 3, 5, false, 0, 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        datagen::BlockWriter w;
        w.Header();
        MaterialBlock(w, row.version, row.passVersion, row.nStages).Int(0x7777).Trailer();
        cFile file;
        ASSERT_TRUE(OpenFile(w, &file));
        M* m = NewMaterial();
        EXPECT_EQ(m->Read(file, &m_pool), row.ok);
        EXPECT_EQ(file.Failed(), !row.ok);  // a refused block is a damaged file
        EXPECT_EQ(NextWordIs(file, 0x7777), row.ok);
        if (!row.ok) {
            EXPECT_TRUE(m->m_name == "");
            EXPECT_EQ(m->m_pPasses[1], nullptr);
            continue;
        }
        EXPECT_TRUE(m->m_name == "rock");
        EXPECT_EQ(m->m_nFlags, 8u);
        EXPECT_EQ(m->m_blendMode, M::BLEND_ADD);
        EXPECT_EQ(m->m_diffuseColor.y, 0.25f);
        EXPECT_EQ(m->m_fOpacity, 0.75f);
        EXPECT_EQ(m->m_pPasses[0], nullptr);
        ASSERT_NE(m->m_pPasses[1], nullptr);
        EXPECT_EQ(m->m_pPasses[1]->m_nStages, row.keptStages);
        EXPECT_EQ(m->m_pPasses[1]->m_pStages[row.keptStages - 1]->m_nTextureIndex, row.keptStages - 1);
        EXPECT_EQ(m->m_pPasses[1]->m_pHandles, &m->m_hTextures[4]);
        EXPECT_EQ(m->m_hTextures[4].m_nValue, row.handle4);
        EXPECT_EQ(m->m_hTextures[7].m_nValue, row.handle7);
    }
}

}  // namespace
