#pragma once
// One step of a material pass on the texture combiner: two colour and two
// alpha inputs combined by one of a fixed set of operations, written to the
// running result or to register 0, optionally sampling one of the pass's four
// textures through a coordinate generator with a static scale and offset, a
// flip-book or a wave-driven matrix. The stored codes are the engine's own;
// Apply maps them to the hardware through fixed tables. Lives in the pool of
// its material; main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "platform/gx.h"
#include "platform/mtx.h"

class eMaterialPass;
class eTextureMatrixGen;

// How a stage sets up one combiner (colour or alpha) in hardware terms.
struct eTevSetup {
    uint32_t in[4];  // a, b, c, d
    uint32_t op;     // GXTevOp: add or subtract
    uint32_t scale;  // GXTevScale
    uint32_t out;    // GXTevRegID
};

class eTextureStage : public cBase {
    QM_DECLARE_TYPE(eTextureStage)
public:
    // Input codes of both combiners.
    enum eInput : uint8_t {
        IN_PREVIOUS = 0,  // running result of the stage before
        IN_TEXTURE = 1,
        IN_RASTER = 2,    // lit or vertex colour
        IN_REG0 = 3,      // written by a stage with output OUT_REG0
        IN_REG1 = 4,      // the material's colour
        NUM_INPUTS = 5,
    };
    // Operation codes; A and B are the two inputs. Codes 0-8 mean the same
    // for colour and alpha.
    enum eOperation : uint8_t {
        OP_ZERO = 0,
        OP_A = 1,
        OP_B = 2,
        OP_MUL = 3,            // A x B
        OP_MUL2 = 4,           // 2 x A x B
        OP_MUL4 = 5,           // 4 x A x B
        OP_ADD = 6,            // A + B
        OP_SUB = 7,            // A - B
        OP_LERP_REG1 = 8,      // B toward A by register 1's alpha
        OP_LERP_PREV = 9,      // colour: B toward A by the previous alpha
        OP_ALPHA_LERP_TEX = 9, // alpha: A toward B by the texture's alpha
        OP_LERP_TEX = 10,      // colour: B toward A by the texture's alpha
        NUM_COLOR_OPS = 11,
        NUM_ALPHA_OPS = 10,
    };
    enum eOutput : uint8_t { OUT_PREVIOUS = 0, OUT_REG0 = 1, NUM_OUTPUTS = 2 };
    // Coordinate sources: 0-3 the vertex coordinate sets.
    enum eCoordSource : uint8_t {
        SRC_TEX0 = 0,
        SRC_POSITION = 4,  // camera-space position (texture matrix 36)
        SRC_NORMAL = 5,    // camera-space normal (texture matrix 39)
        SRC_BINORMAL = 6,
        NUM_SOURCES = 7,
    };
    enum eTransform : uint8_t {
        XFORM_NONE = 0,
        XFORM_SCALE_OFFSET = 1,
        XFORM_FLIPBOOK = 2,
        XFORM_MATRIX_GEN = 3,
    };
    // Names of the codes for logs and tools; "???" outside the tables.
    static const char* InputText(int input);
    static const char* OperationText(int op, bool bAlpha);
    static const char* TransformText(int kind);

    static constexpr uint32_t kVersion = 3;
    static constexpr int16_t kNoTexture = -1;
    static constexpr int kMaxStages = 4;

    // The defaults: inputs (previous, texture) on both sides, operation A,
    // output to the running result, coordinate set 0, no texture, no
    // transform; scale 1 and offset 0; a 1 x 1 flip-book of 600 ticks.
    explicit eTextureStage(eMaterialPass* pPass = nullptr);
    // Copies every field; a matrix generator is copied into pPool.
    eTextureStage(const eTextureStage& other, eMaterialPass* pPass, cMemPool* pPool);
    ~eTextureStage() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 3: a flip-book always with its first and last frame.
    void Write(const cFile& file) const override;
    // Versions 1 to 3 and later (0: skipped, false); a flip-book of version 2
    // or older keeps frames 0 to 0. The fields change only when the block was
    // read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    eTextureMatrixGen* GetTextureMatrixGen() const { return m_pMatrixGen; }
    // For XFORM_MATRIX_GEN only: a default generator in the stage's pool.
    eTextureMatrixGen* CreateTextureMatrixGen();
    void RemoveTextureMatrixGen();

    // Sets up combiner stage 0-3 and, with a texture, loads it and its
    // coordinate generator; stage 0 starts the coordinate numbering again.
    void Apply(int stage) const;

    // The hardware set-up of the colour and alpha combiners. Codes outside
    // the tables read as zero inputs and the zero operation.
    eTevSetup GetColorSetup() const;
    eTevSetup GetAlphaSetup() const;
    // The texture index when it names one of the pass's four textures, else -1.
    int GetTextureIndex() const;
    // The post-transform of the coordinates at a time in ticks. False for
    // no transform (the identity post-transform is used).
    bool BuildPostMatrix(int64_t ticks, Mtx m) const;

    eMaterialPass* m_pPass;
    uint8_t m_colorIn[2];
    uint8_t m_alphaIn[2];
    uint8_t m_colorOp;
    uint8_t m_alphaOp;
    uint8_t m_output;
    uint8_t m_coordSource;
    int16_t m_nTextureIndex;
    uint8_t m_transform;
    // XFORM_SCALE_OFFSET
    float m_scale[2];   // u, v
    float m_offset[2];  // u, v
    // XFORM_FLIPBOOK: a grid of columns x rows frames, one every m_nPeriod
    // ticks, from m_nFirstFrame to m_nLastFrame (both 0: the whole grid).
    int16_t m_nColumns;
    int16_t m_nRows;
    int32_t m_nPeriod;
    int16_t m_nFirstFrame;
    int16_t m_nLastFrame;
    // XFORM_MATRIX_GEN
    eTextureMatrixGen* m_pMatrixGen;

private:
    void BuildFlipBook(int64_t ticks, Mtx m) const;
    void ApplyTexture(int stage, int coord, int map) const;
};
