#include "eEngine/eTextureStage.h"

#include <memory>

#include "platform/gx.h"
#include "cCore/cCoreServices.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cTimeValue.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eTextureData.h"
#include "eEngine/eTextureMatrixGen.h"
#include "eEngine/eTexture.h"
#include "eEngine/eVideoPlatform.h"

QM_DEFINE_TYPE(eTextureStage, cBase, 6)

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kFirstVersionWithFrames = 3;

// Operands of the operation tables: the stage's two inputs, or a fixed
// hardware input given by value.
constexpr uint32_t kArgA = 0x100;
constexpr uint32_t kArgB = 0x101;

struct OpRow {
    uint32_t in[4];
    uint32_t op;
    uint32_t scale;
};

constexpr uint32_t kZC = GX_CC_ZERO;
constexpr uint32_t kZA = GX_CA_ZERO;

// d + (1 - c) a + c b, clamped, no bias.
const OpRow kColorOps[eTextureStage::NUM_COLOR_OPS] = {
    {{kZC, kZC, kZC, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},       // 0
    {{kArgA, kZC, kZC, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},     // A
    {{kArgB, kZC, kZC, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},     // B
    {{kZC, kArgA, kArgB, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},   // A x B
    {{kZC, kArgA, kArgB, kZC}, GX_TEV_ADD, GX_CS_SCALE_2},   // 2 x A x B
    {{kZC, kArgA, kArgB, kZC}, GX_TEV_ADD, GX_CS_SCALE_4},   // 4 x A x B
    {{kArgA, kZC, kZC, kArgB}, GX_TEV_ADD, GX_CS_SCALE_1},   // A + B
    {{kArgB, kZC, kZC, kArgA}, GX_TEV_SUB, GX_CS_SCALE_1},   // A - B
    {{kArgB, kArgA, GX_CC_A1, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kArgB, kArgA, GX_CC_APREV, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kArgB, kArgA, GX_CC_TEXA, kZC}, GX_TEV_ADD, GX_CS_SCALE_1},
};

const OpRow kAlphaOps[eTextureStage::NUM_ALPHA_OPS] = {
    {{kZA, kZA, kZA, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kArgA, kZA, kZA, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kArgB, kZA, kZA, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kZA, kArgA, kArgB, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kZA, kArgA, kArgB, kZA}, GX_TEV_ADD, GX_CS_SCALE_2},
    {{kZA, kArgA, kArgB, kZA}, GX_TEV_ADD, GX_CS_SCALE_4},
    {{kArgA, kZA, kZA, kArgB}, GX_TEV_ADD, GX_CS_SCALE_1},
    {{kArgB, kZA, kZA, kArgA}, GX_TEV_SUB, GX_CS_SCALE_1},
    {{kArgB, kArgA, GX_CA_A1, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
    // Alpha runs from A to B here, where colour operation 10 runs from B to A.
    {{kArgA, kArgB, GX_CA_TEXA, kZA}, GX_TEV_ADD, GX_CS_SCALE_1},
};

const uint32_t s_GXInputColor[eTextureStage::NUM_INPUTS] = {GX_CC_CPREV, GX_CC_TEXC, GX_CC_RASC, GX_CC_C0,
                                                            GX_CC_C1};
const uint32_t s_GXInputAlpha[eTextureStage::NUM_INPUTS] = {GX_CA_APREV, GX_CA_TEXA, GX_CA_RASA, GX_CA_A0,
                                                            GX_CA_A1};
const uint32_t s_GXOut[eTextureStage::NUM_OUTPUTS] = {GX_TEVPREV, GX_TEVREG0};

struct CoordSource {
    GXTexGenSrc src;
    uint32_t mtx;
};
const CoordSource s_GXTCS[eTextureStage::NUM_SOURCES] = {
    {GX_TG_TEX0, GX_IDENTITY}, {GX_TG_TEX1, GX_IDENTITY}, {GX_TG_TEX2, GX_IDENTITY},
    {GX_TG_TEX3, GX_IDENTITY}, {GX_TG_POS, GX_TEXMTX2},   {GX_TG_NRM, GX_TEXMTX3},
    {GX_TG_BINRM, GX_IDENTITY},
};

// The next coordinate to generate; stage 0 starts again at 0.
int s_nNextCoord = 0;

eTevSetup MakeSetup(const OpRow& row, const uint32_t inputs[], const uint8_t codes[2], uint32_t zero,
                    uint8_t output)
{
    const uint32_t a = codes[0] < eTextureStage::NUM_INPUTS ? inputs[codes[0]] : zero;
    const uint32_t b = codes[1] < eTextureStage::NUM_INPUTS ? inputs[codes[1]] : zero;
    eTevSetup s;
    for (int i = 0; i < 4; ++i)
        s.in[i] = row.in[i] == kArgA ? a : row.in[i] == kArgB ? b : row.in[i];
    s.op = row.op;
    s.scale = row.scale;
    s.out = output < eTextureStage::NUM_OUTPUTS ? s_GXOut[output] : uint32_t(GX_TEVPREV);
    return s;
}

void Identity(Mtx m)
{
    PSMTXIdentity(m);
}

const char* const kInputText[eTextureStage::NUM_INPUTS] = {"IN_PREVIOUS", "IN_TEXTURE", "IN_RASTER", "IN_REG0",
                                                          "IN_REG1"};
const char* const kOpText[eTextureStage::NUM_COLOR_OPS] = {"OP_ZERO", "OP_A", "OP_B", "OP_MUL", "OP_MUL2", "OP_MUL4",
                                                        "OP_ADD", "OP_SUB", "OP_LERP_REG1", "OP_LERP_PREV",
                                                        "OP_LERP_TEX"};
const char* const kTransformText[] = {"XFORM_NONE", "XFORM_SCALE_OFFSET", "XFORM_FLIPBOOK", "XFORM_MATRIX_GEN"};

}  // namespace

const char* eTextureStage::InputText(int input)
{
    return input >= 0 && input < NUM_INPUTS ? kInputText[input] : "???";
}

const char* eTextureStage::OperationText(int op, bool bAlpha)
{
    if (bAlpha && op == OP_ALPHA_LERP_TEX)
        return "OP_ALPHA_LERP_TEX";
    return op >= 0 && op < (bAlpha ? NUM_ALPHA_OPS : NUM_COLOR_OPS) ? kOpText[op] : "???";
}

const char* eTextureStage::TransformText(int kind)
{
    return kind >= 0 && kind <= XFORM_MATRIX_GEN ? kTransformText[kind] : "???";
}

eTextureStage::eTextureStage(eMaterialPass* pPass)
    : m_pPass(pPass),
      m_colorIn{IN_PREVIOUS, IN_TEXTURE},
      m_alphaIn{IN_PREVIOUS, IN_TEXTURE},
      m_colorOp(OP_A),
      m_alphaOp(OP_A),
      m_output(OUT_PREVIOUS),
      m_coordSource(SRC_TEX0),
      m_nTextureIndex(kNoTexture),
      m_transform(XFORM_NONE),
      m_scale{1.0f, 1.0f},
      m_offset{0.0f, 0.0f},
      m_nColumns(1),
      m_nRows(1),
      m_nPeriod(cTimeValue::TICKS_PER_SECOND),
      m_nFirstFrame(0),
      m_nLastFrame(0),
      m_pMatrixGen(nullptr)
{
}

eTextureStage::eTextureStage(const eTextureStage& other, eMaterialPass* pPass, cMemPool* pPool)
    : cBase(),
      m_pPass(pPass),
      m_colorIn{other.m_colorIn[0], other.m_colorIn[1]},
      m_alphaIn{other.m_alphaIn[0], other.m_alphaIn[1]},
      m_colorOp(other.m_colorOp),
      m_alphaOp(other.m_alphaOp),
      m_output(other.m_output),
      m_coordSource(other.m_coordSource),
      m_nTextureIndex(other.m_nTextureIndex),
      m_transform(other.m_transform),
      m_scale{other.m_scale[0], other.m_scale[1]},
      m_offset{other.m_offset[0], other.m_offset[1]},
      m_nColumns(other.m_nColumns),
      m_nRows(other.m_nRows),
      m_nPeriod(other.m_nPeriod),
      m_nFirstFrame(other.m_nFirstFrame),
      m_nLastFrame(other.m_nLastFrame),
      m_pMatrixGen(nullptr)
{
    if (other.m_transform == XFORM_MATRIX_GEN && other.m_pMatrixGen && pPool)
        m_pMatrixGen = static_cast<eTextureMatrixGen*>(other.m_pMatrixGen->Copy(pPool));
}

eTextureStage::~eTextureStage()
{
    RemoveTextureMatrixGen();
}

cBase* eTextureStage::Copy(cMemPool* pPool) const
{
    return pPool ? pPool->New<eTextureStage>(*this, m_pPass, pPool) : nullptr;
}

eTextureMatrixGen* eTextureStage::CreateTextureMatrixGen()
{
    if (m_transform != XFORM_MATRIX_GEN)
        return nullptr;
    cMemPool* pPool = cMemPool::GetPoolFromPtr(this);
    eTextureMatrixGen* pGen = pPool ? pPool->New<eTextureMatrixGen>() : nullptr;
    if (!pGen) {
        // The pool reported it (failing the file being read, if any).
        return nullptr;
    }
    RemoveTextureMatrixGen();
    m_pMatrixGen = pGen;
    return pGen;
}

void eTextureStage::RemoveTextureMatrixGen()
{
    if (m_pMatrixGen)
        std::destroy_at(m_pMatrixGen);
    m_pMatrixGen = nullptr;
}

void eTextureStage::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    cBase::Write(file);
    wb.WriteChar(m_colorIn[0]);
    wb.WriteChar(m_colorIn[1]);
    wb.WriteChar(m_alphaIn[0]);
    wb.WriteChar(m_alphaIn[1]);
    wb.WriteChar(m_colorOp);
    wb.WriteChar(m_alphaOp);
    wb.WriteChar(m_output);
    wb.WriteShort(m_nTextureIndex);
    wb.WriteChar(m_coordSource);
    wb.WriteChar(m_transform);
    switch (m_transform) {
    case XFORM_SCALE_OFFSET:
        wb.WriteFloat(m_offset[0]);
        wb.WriteFloat(m_offset[1]);
        wb.WriteFloat(m_scale[0]);
        wb.WriteFloat(m_scale[1]);
        break;
    case XFORM_FLIPBOOK:
        wb.WriteShort(m_nColumns);
        wb.WriteShort(m_nRows);
        wb.WriteInt(m_nPeriod);
        wb.WriteShort(m_nFirstFrame);
        wb.WriteShort(m_nLastFrame);
        break;
    case XFORM_MATRIX_GEN:
        if (m_pMatrixGen)
            m_pMatrixGen->Write(file);
        else
            eTextureMatrixGen().Write(file);
        break;
    default:
        break;
    }
}

bool eTextureStage::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion == 0)
        return rb.Reject("eTextureStage", "version");
    { cReadBlock base(file, kBaseVersion); }
    eTextureStage s(m_pPass);  // the fields read, committed at the end
    s.m_scale[0] = m_scale[0];
    s.m_scale[1] = m_scale[1];
    s.m_offset[0] = m_offset[0];
    s.m_offset[1] = m_offset[1];
    s.m_nColumns = m_nColumns;
    s.m_nRows = m_nRows;
    s.m_nPeriod = m_nPeriod;
    s.m_nFirstFrame = m_nFirstFrame;
    s.m_nLastFrame = m_nLastFrame;
    s.m_colorIn[0] = rb.ReadUChar();
    s.m_colorIn[1] = rb.ReadUChar();
    s.m_alphaIn[0] = rb.ReadUChar();
    s.m_alphaIn[1] = rb.ReadUChar();
    s.m_colorOp = rb.ReadUChar();
    s.m_alphaOp = rb.ReadUChar();
    s.m_output = rb.ReadUChar();
    s.m_nTextureIndex = rb.ReadShort();
    s.m_coordSource = rb.ReadUChar();
    s.m_transform = rb.ReadUChar();
    switch (s.m_transform) {
    case XFORM_SCALE_OFFSET:
        s.m_offset[0] = rb.ReadFloat();
        s.m_offset[1] = rb.ReadFloat();
        s.m_scale[0] = rb.ReadFloat();
        s.m_scale[1] = rb.ReadFloat();
        break;
    case XFORM_FLIPBOOK:
        s.m_nColumns = rb.ReadShort();
        s.m_nRows = rb.ReadShort();
        s.m_nPeriod = rb.ReadInt();
        if (rb.m_nVersion >= kFirstVersionWithFrames) {
            s.m_nFirstFrame = rb.ReadShort();
            s.m_nLastFrame = rb.ReadShort();
        }
        break;
    case XFORM_MATRIX_GEN: {
        eTextureMatrixGen* pGen = pPool ? pPool->New<eTextureMatrixGen>() : nullptr;
        if (!pGen) {
            // The pool reported it (failing the file being read, if any).
            rb.SkipToEnd();
            return false;
        }
        s.m_pMatrixGen = pGen;  // destroyed with s unless committed
        if (!pGen->Read(file, pPool))
            return false;
        break;
    }
    default:
        break;
    }
    if (rb.Failed())
        return false;

    RemoveTextureMatrixGen();
    m_colorIn[0] = s.m_colorIn[0];
    m_colorIn[1] = s.m_colorIn[1];
    m_alphaIn[0] = s.m_alphaIn[0];
    m_alphaIn[1] = s.m_alphaIn[1];
    m_colorOp = s.m_colorOp;
    m_alphaOp = s.m_alphaOp;
    m_output = s.m_output;
    m_nTextureIndex = s.m_nTextureIndex;
    m_coordSource = s.m_coordSource;
    m_transform = s.m_transform;
    m_scale[0] = s.m_scale[0];
    m_scale[1] = s.m_scale[1];
    m_offset[0] = s.m_offset[0];
    m_offset[1] = s.m_offset[1];
    m_nColumns = s.m_nColumns;
    m_nRows = s.m_nRows;
    m_nPeriod = s.m_nPeriod;
    m_nFirstFrame = s.m_nFirstFrame;
    m_nLastFrame = s.m_nLastFrame;
    m_pMatrixGen = s.m_pMatrixGen;
    s.m_pMatrixGen = nullptr;
    return true;
}

eTevSetup eTextureStage::GetColorSetup() const
{
    const OpRow& row = kColorOps[m_colorOp < NUM_COLOR_OPS ? m_colorOp : uint8_t(OP_ZERO)];
    return MakeSetup(row, s_GXInputColor, m_colorIn, GX_CC_ZERO, m_output);
}

eTevSetup eTextureStage::GetAlphaSetup() const
{
    const OpRow& row = kAlphaOps[m_alphaOp < NUM_ALPHA_OPS ? m_alphaOp : uint8_t(OP_ZERO)];
    return MakeSetup(row, s_GXInputAlpha, m_alphaIn, GX_CA_ZERO, m_output);
}

int eTextureStage::GetTextureIndex() const
{
    return m_nTextureIndex >= 0 && m_nTextureIndex < kMaxStages ? m_nTextureIndex : -1;
}

// A grid without columns or rows, or a frame range that counts no frame,
// shows the whole texture rather than dividing by zero.
void eTextureStage::BuildFlipBook(int64_t ticks, Mtx m) const
{
    Identity(m);
    m[2][2] = 0.0f;
    m[2][3] = 1.0f;
    if (m_nColumns <= 0 || m_nRows <= 0)
        return;
    const int64_t columns = m_nColumns;
    const int64_t rows = m_nRows;
    const int64_t nFrames =
        m_nFirstFrame == 0 && m_nLastFrame == 0 ? columns * rows : int64_t(m_nLastFrame) - m_nFirstFrame + 1;
    if (nFrames <= 0)
        return;
    int64_t frame = 0;
    if (m_nPeriod > 0)
        frame = m_nFirstFrame + (ticks / m_nPeriod) % nFrames;
    if (frame < 0)  // a negative first frame or time
        frame = 0;
    m[0][0] = 1.0f / static_cast<float>(columns);
    m[0][3] = static_cast<float>(frame % columns) / static_cast<float>(columns);
    m[1][1] = 1.0f / static_cast<float>(rows);
    m[1][3] = static_cast<float>(frame / columns) / static_cast<float>(rows);
}

bool eTextureStage::BuildPostMatrix(int64_t ticks, Mtx m) const
{
    switch (m_transform) {
    case XFORM_SCALE_OFFSET:
        // Scaled about the texture's centre, then moved by the offset.
        Identity(m);
        m[0][0] = m_scale[0];
        m[0][3] = m_offset[0] - 0.5f * m_scale[0];
        m[1][1] = m_scale[1];
        m[1][3] = m_offset[1] - 0.5f * m_scale[1];
        m[2][2] = 0.0f;
        m[2][3] = 1.0f;
        return true;
    case XFORM_FLIPBOOK:
        BuildFlipBook(ticks, m);
        return true;
    case XFORM_MATRIX_GEN:
        if (!m_pMatrixGen)
            return false;
        m_pMatrixGen->BuildMatrix(cTimeValue(static_cast<int32_t>(ticks)), m);
        return true;
    default:
        return false;
    }
}

void eTextureStage::ApplyTexture(int stage, int coord, int map) const
{
    const eTextureHandle h = m_pPass ? m_pPass->GetTextureHandle(map) : eTextureHandle();
    const GXTevStageID tevStage = static_cast<GXTevStageID>(stage);
    if (h.IsNull()) {
        // An empty handle loads nothing.
    } else if (h == eMaterial::s_hLightmapTex) {
        GXSetTevSwapMode(tevStage, GX_TEV_SWAP0, GX_TEV_SWAP0);  // the pass loads the lightmap
    } else if (h == eMaterial::s_hFrameBufferTex) {
        GXSetTevSwapMode(tevStage, GX_TEV_SWAP0, GX_TEV_SWAP0);
        eTextureData::ApplyScreenCopy(map);
    } else if (const eTexture* pTexture = eTextureMgr::GetPtr(h)) {
        eTextureConfig* pConfig = pTexture->GetConfig();
        if (pConfig && pConfig->m_format == eTextureConfig::FORMAT_CMPR_ALPHA) {
            // The texture's green channel serves as its alpha.
            GXSetTevSwapModeTable(GX_TEV_SWAP1, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_GREEN);
            GXSetTevSwapMode(tevStage, GX_TEV_SWAP0, GX_TEV_SWAP1);
        } else {
            GXSetTevSwapModeTable(GX_TEV_SWAP0, GX_CH_RED, GX_CH_GREEN, GX_CH_BLUE, GX_CH_ALPHA);
            GXSetTevSwapMode(tevStage, GX_TEV_SWAP0, GX_TEV_SWAP0);
        }
        pTexture->Apply(map);
        if (pConfig && pConfig->m_pTextureData) {
            // Takes effect the next time the texture is loaded.
            const bool bPoint = m_pPass && m_pPass->m_pMaterial &&
                                (m_pPass->m_pMaterial->m_nFlags & eMaterial::FLAG_POINT_SAMPLE);
            GXInitTexObjFilter(&pConfig->m_pTextureData->m_texObj, bPoint ? GX_NEAR_MIP_NEAR : GX_LIN_MIP_LIN,
                               bPoint ? GX_NEAR : GX_LINEAR);
        }
    }
    eVideoPlatform::RenderState().SetTevOrder(stage, GX_TEXCOORD0 + coord, GX_TEXMAP0 + map, GX_COLOR0A0);
}

void eTextureStage::Apply(int stage) const
{
    if (stage == 0)
        s_nNextCoord = 0;
    if (stage < 0 || stage >= kMaxStages)
        return;
    eRenderStateCache& rs = eVideoPlatform::RenderState();
    const eTevSetup color = GetColorSetup();
    const eTevSetup alpha = GetAlphaSetup();
    rs.SetTevColorIn(stage, color.in[0], color.in[1], color.in[2], color.in[3]);
    rs.SetTevColorOp(stage, color.op, GX_TB_ZERO, color.scale, color.out);
    rs.SetTevAlphaIn(stage, alpha.in[0], alpha.in[1], alpha.in[2], alpha.in[3]);
    rs.SetTevAlphaOp(stage, alpha.op, GX_TB_ZERO, alpha.scale, alpha.out);

    const int coord = s_nNextCoord;
    const int map = GetTextureIndex();
    if (map < 0) {
        rs.SetTevOrder(stage, GX_TEXCOORD0 + coord, GX_TEXMAP_NULL, GX_COLOR0A0);
        return;
    }
    ApplyTexture(stage, coord, map);

    const int64_t ticks = static_cast<int64_t>(cGetTimeSeconds() * cTimeValue::TICKS_PER_SECOND);
    const CoordSource& source = s_GXTCS[m_coordSource < NUM_SOURCES ? m_coordSource : uint8_t(SRC_TEX0)];
    Mtx post;
    uint32_t postId = GX_PTIDENTITY;
    if (BuildPostMatrix(ticks, post)) {
        postId = eTextureMatrixGen::s_GXTexMtx[stage];
        GXLoadTexMtxImm(post, postId, GX_MTX3x4);
    }
    GXSetTexCoordGen2(static_cast<GXTexCoordID>(GX_TEXCOORD0 + coord), GX_TG_MTX2x4, source.src, source.mtx,
                      GX_FALSE, postId);
    s_nNextCoord = coord + 1;
}
