#pragma once
// The render-state cache: every render state the engine draws with, kept as
// cached values with dirty marks, sent to the graphics layer only when a
// primitive or display list starts (Apply). One instance lives in
// eVideoPlatform; main thread only. Values are the graphics layer's raw
// numbers (compare functions, blend factors, channel sources...); colours are
// 0xAARRGGBB; array bases are addresses.

#include <cstddef>
#include <cstdint>

// Every cached item, its default after Reset, and its text. Items that are
// sent together form one group (see eStateGroup); the numbers are the ones
// drawing code uses.
#define QM_RENDER_STATE_ITEMS(X)                                                 \
    X(RS_Z_COMPARE, 1)            /* depth compare enable */                       \
    X(RS_Z_UPDATE, 1)             /* depth update enable */                        \
    X(RS_Z_FUNC, 3)               /* depth function: less-or-equal */              \
    X(RS_Z_COMP_BEFORE_TEX, 1)    /* depth compare before texturing */             \
    X(RS_BLEND_TYPE, 0)           /* none */                                       \
    X(RS_BLEND_SRC, 1)            /* one */                                        \
    X(RS_BLEND_DST, 0)            /* zero */                                       \
    X(RS_ALPHA_UPDATE, 0)                                                          \
    X(RS_COLOR_UPDATE, 1)                                                          \
    X(RS_AMBIENT_COLOR, 0x00000000u)                                               \
    X(RS_MATERIAL_COLOR, 0xFFFFFFFFu)                                              \
    X(RS_COLOR_CHAN_ENABLE, 0)                                                     \
    X(RS_COLOR_CHAN_AMB_SRC, 0)   /* register */                                   \
    X(RS_COLOR_CHAN_MAT_SRC, 0)   /* register */                                   \
    X(RS_COLOR_CHAN_LIGHT_MASK, 0)                                                 \
    X(RS_COLOR_CHAN_DIFFUSE_FN, 0) /* none */                                      \
    X(RS_COLOR_CHAN_ATTN_FN, 2)   /* none */                                       \
    X(RS_ALPHA_CHAN_ENABLE, 0)                                                     \
    X(RS_ALPHA_CHAN_AMB_SRC, 0)                                                    \
    X(RS_ALPHA_CHAN_MAT_SRC, 0)                                                    \
    X(RS_ALPHA_CHAN_LIGHT_MASK, 0)                                                 \
    X(RS_ALPHA_CHAN_DIFFUSE_FN, 0)                                                 \
    X(RS_ALPHA_CHAN_ATTN_FN, 2)                                                    \
    X(RS_ALPHA_COMPARE_FUNC, 7)   /* always */                                     \
    X(RS_ALPHA_COMPARE_REF, 1)    /* 0-255 */                                      \
    X(RS_CULL_MODE, 1)            /* front faces */                                \
    X(RS_NUM_TEV_STAGES, 1)                                                        \
    X(RS_NUM_TEX_GENS, 1)                                                          \
    X(RS_NUM_CHANS, 1)                                                             \
    X(RS_ARRAY_BASE_POS, 0)                                                        \
    X(RS_ARRAY_BASE_NRM, 0)                                                        \
    X(RS_ARRAY_BASE_TEX0, 0)                                                       \
    X(RS_ARRAY_BASE_TEX1, 0)                                                       \
    X(RS_ARRAY_BASE_TEX2, 0)                                                       \
    X(RS_ARRAY_BASE_TEX3, 0)                                                       \
    X(RS_ARRAY_STRIDE_POS, 0)     /* bytes, 8-bit */                               \
    X(RS_ARRAY_STRIDE_NRM, 0)                                                      \
    X(RS_ARRAY_STRIDE_TEX0, 0)                                                     \
    X(RS_ARRAY_STRIDE_TEX1, 0)                                                     \
    X(RS_ARRAY_STRIDE_TEX2, 0)                                                     \
    X(RS_ARRAY_STRIDE_TEX3, 0)                                                     \
    X(RS_TEV_REG1_COLOR, 0xFFFFFFFFu)                                              \
    X(RS_TEV_KCOLOR0, 0xFFFFFFFFu) /* konst colour 0 */

enum eRenderState : int {
#define QM_RS_ENUM(name, def) name,
    QM_RENDER_STATE_ITEMS(QM_RS_ENUM)
#undef QM_RS_ENUM
    RS_COUNT  // 43
};
const char* eRenderStateText(int item);  // "???" outside the enumeration

// What Apply sends, in the order it sends it: one graphics call per group.
// The six per-stage records follow for stage 0, then 1, 2 and 3.
enum eStateGroup : int {
    SG_Z_MODE = 0,        // items 0-2
    SG_Z_COMP_LOC,        // 3
    SG_BLEND_MODE,        // 4-6
    SG_ALPHA_COMPARE,     // 23-24
    SG_CULL_MODE,         // 25
    SG_ALPHA_UPDATE,      // 7
    SG_COLOR_UPDATE,      // 8
    SG_AMBIENT_COLOR,     // 9
    SG_MATERIAL_COLOR,    // 10
    SG_COLOR_CHAN,        // 11-16
    SG_ALPHA_CHAN,        // 17-22
    SG_ARRAY_POS,         // 29 and 35
    SG_ARRAY_NRM,         // 30 and 36
    SG_ARRAY_TEX0,        // 31 and 37
    SG_ARRAY_TEX1,
    SG_ARRAY_TEX2,
    SG_ARRAY_TEX3,
    SG_NUM_TEX_GENS,      // 27
    SG_NUM_TEV_STAGES,    // 26
    SG_NUM_CHANS,         // 28
    SG_TEV_REG1,          // 41
    SG_TEV_KCOLOR0,       // 42
    SG_STAGE_FIRST,       // stage s, record r: SG_STAGE_FIRST + s * SR_COUNT + r
};
enum eStageRecord : int {
    SR_COLOR_IN = 0,
    SR_ALPHA_IN,
    SR_COLOR_OP,
    SR_ALPHA_OP,
    SR_ORDER,
    SR_KCOLOR_SEL,  // which konst the stage's colour inputs read
    SR_COUNT
};
const char* eStateGroupText(int group);  // "???" outside; stage groups as "TEV_ORDER 2"

class eRenderStateCache {
public:
    static constexpr int kNumStages = 4;
    static constexpr int kNumGroups = SG_STAGE_FIRST + kNumStages * SR_COUNT;  // 46
    static constexpr int kNumVertexFormats = 7;

    struct StageState {
        uint32_t colorIn[4];  // a, b, c, d
        uint32_t alphaIn[4];
        uint32_t colorOp[4];  // operation, bias, scale, output register
        uint32_t alphaOp[4];
        uint32_t order[3];    // texture coordinate, texture map, colour channel
        uint32_t kColorSel;   // konst colour selection
    };

    // Starts in the Reset state with every group dirty, so the first Apply
    // brings the graphics layer in line with the cache.
    eRenderStateCache();
    virtual ~eRenderStateCache() = default;

    // Compare, store, mark: a value equal to the cached one changes nothing.
    // Out-of-range items are ignored.
    void Set(eRenderState item, uintptr_t value);
    uintptr_t Get(eRenderState item) const;
    void SetArray(int array, const void* base, uint8_t stride);  // array 0 pos, 1 nrm, 2-5 tex 0-3

    // Stage setters; a stage outside 0-3 is ignored.
    void SetTevColorIn(int stage, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    void SetTevAlphaIn(int stage, uint32_t a, uint32_t b, uint32_t c, uint32_t d);
    void SetTevColorOp(int stage, uint32_t op, uint32_t bias, uint32_t scale, uint32_t out);
    void SetTevAlphaOp(int stage, uint32_t op, uint32_t bias, uint32_t scale, uint32_t out);
    void SetTevOrder(int stage, uint32_t texCoord, uint32_t texMap, uint32_t channel);
    void SetTevKColorSel(int stage, uint32_t sel);
    const StageState& GetStage(int stage) const { return m_stages[stage & 3]; }

    // Sends every dirty group in the fixed order, then marks all clean.
    // Returns at once when nothing is dirty.
    void Apply();
    // Every item to its default, dirty; the stage inputs and operations to
    // zero inputs and plain add and the konst selections to one, dirty;
    // stage orders keep their values.
    void Reset();
    bool IsClean() const { return m_nDirtyGroups == 0; }
    uint64_t DirtyGroups() const { return m_nDirtyGroups; }

    // Selects the vertex descriptor of format 0-6; sent only when the format
    // differs from the last one selected or when forced. Others are ignored.
    void SetVertexType(int format, bool force);
    int GetVertexType() const { return m_nVertexType; }
    // Programs the attribute formats (component types and fraction bits) of
    // the seven vertex formats; once at start-up.
    static void SendAttributeFormats();

    // What a display list's draws may read of the six arrays (SetArray's
    // numbering): each one's stride and the bytes from its start.
    struct ListArrays {
        uint32_t stride[6] = {};
        uint64_t bytes[6] = {};
    };
    // Checks a display list, when it loads, as the graphics layer will take
    // it after SetVertexType(format) over arrays laid out so: no-ops and
    // draws in that format, whole, every index within its array. True when
    // sound; else false with the fault in why.
    static bool CheckDisplayList(const uint8_t* pList, uint32_t nBytes, int format, const ListArrays& arrays,
                                 char* why, size_t whySize);

protected:
    // The graphics calls; tests override these to see what is sent.
    virtual void Send(int group);
    virtual void SendVertexDescriptor(int format);

private:
    void MarkStage(int stage, int record) { m_nDirtyGroups |= uint64_t(1) << (SG_STAGE_FIRST + stage * SR_COUNT + record); }

    uintptr_t m_items[RS_COUNT];
    StageState m_stages[kNumStages];
    uint64_t m_nDirtyGroups;  // bit g set: group g is sent by the next Apply
    int m_nVertexType;
};
