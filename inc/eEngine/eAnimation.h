#pragma once
// A keyframed animation of a mesh's nodes: per node a track of positions and
// a track of rotations, sampled once per frame. Keys stay as stored
// (big-endian s16: rotation parts with 14 fraction bits, positions with 10)
// and are decoded only for the two frames around the time asked for. Models
// evaluate up to four at once into per-node poses and take root motion out
// of them. Kept by eAnimationMgr in 900 slots; lives with its keys in the
// pool of its group's load and never changes after Read. Read on a loader
// thread, evaluated on the main thread.

#include <cstdint>

#include "cCore/cHandle.h"
#include "cCore/cObject.h"
#include "cCore/cTimeValue.h"
#include "cCore/cManager.h"
#include "cCore/cGroup.h"

class cReadBlock;
class eAnimation;
struct mQuat;
struct mVec3;
using eAnimationHandle = cHandle<eAnimation>;

// One node's tracks: where its keys start in the two key arrays and how many
// it has. A track of exactly one key is constant; any other has one key per
// frame.
struct eAnimationNode {
    static constexpr int kFileBytes = 8;

    int16_t nFirstRotKey;
    int16_t nRotKeys;
    int16_t nFirstPosKey;
    int16_t nPosKeys;

    // count nodes of four 16-bit items each. The int is unused.
    static void Read(const cReadBlock& rb, int, eAnimationNode* pNodes, int count);
};

// A rotation key as stored: x, y, z, w, each big-endian s16, value / 2^14.
struct eAnimationQuat {
    static constexpr int kFracBits = 14;
    uint8_t be[8];
};
// A position key as stored: x, y, z, each big-endian s16, value / 2^10
// (so -32 to just under +32 units).
struct eAnimationVec3 {
    static constexpr int kFracBits = 10;
    uint8_t be[6];
};
static_assert(sizeof(eAnimationQuat) == 8 && sizeof(eAnimationVec3) == 6, "keys are kept at their stored size");

// The key data of an animation, in the pool that read it.
struct eAnimationData {
    eAnimationNode* pNodes;  // one per node
    int32_t nRotKeys;
    eAnimationQuat* pRotKeys;  // null when there are none
    int32_t nPosKeys;
    eAnimationVec3* pPosKeys;
};

// Evaluates one node from its own first keys: constant tracks take key 0,
// the others interpolate between key0 and key1 by the fraction (positions
// linearly, rotations by slerp; a constant rotation is not normalised).
void CalcPosRot(const eAnimationNode& node, int key0, int key1, float fraction, const eAnimationVec3* pPosKeys,
                const eAnimationQuat* pRotKeys, mVec3* pPos, mQuat* pRot);

class eAnimation : public cObject
{
    QM_DECLARE_TYPE(eAnimation)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kPlatformVersion = 1;
    static constexpr int kNumPlatforms = 4;  // target platform ids of the file header

    // The two frames around a time and how far between them it lies.
    struct Frames {
        int key0;
        int key1;
        float fraction;
    };

    // Writes the key block of an animation for one target platform.
    typedef void (*PlatformWriteFunc)(const eAnimation& animation, const cFile& file);

    // No handle, no keys, looping, no frames, nodes, length or frame length.
    eAnimation();
    // Takes nothing from the source: an empty animation as the default one.
    eAnimation(const eAnimation&);
    ~eAnimation() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4; the key block through s_platformWrite of the file's target
    // platform, left out when that entry is empty.
    void Write(const cFile& file) const override;
    // Versions 4 and later. A key block of version 0 is skipped and leaves
    // the animation without keys. Refused (logged, false, animation as it
    // was): negative counts, a length or frame length below 0, a frame
    // length of 0 under a positive length, a node table whose first keys are
    // not running sums, a track of no keys or of fewer keys than frames
    // (other than a constant one), keys the arrays or the block do not hold.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // Evaluates every node at the time (wrapped when looping, else held at
    // the end) into the caller's arrays of GetNumNodes() entries: weight 1
    // overwrites them, any other weight moves them that far toward the pose.
    // Returns the time used, which the caller keeps as its elapsed time.
    cTimeValue Apply(cTimeValue time, float weight, mVec3* pPositions, mQuat* pRotations) const;
    // The motion of one node from one time to another (root motion), summed
    // over the loop's end when the time wrapped; blended into the outputs by
    // weight as Apply does. A node outside the animation writes nothing.
    void CalcNodeDelta(int node, cTimeValue from, cTimeValue to, float weight, mVec3* pDeltaPos,
                       mQuat* pDeltaRot) const;
    // The frames a time maps to; returns the time used. Key indices never
    // leave 0 .. frames - 1, and a length or frame length of 0 maps every
    // time to frame 0 at time 0.
    cTimeValue TimeToFrames(cTimeValue time, Frames* pFrames) const;
    // The nodes evaluation covers: 0 without key data.
    int GetNumNodes() const { return m_pAnimationData ? m_nNodes : 0; }

    eAnimationHandle m_handle;
    eAnimationData* m_pAnimationData;  // null without key data
    bool m_bLooping;
    int16_t m_nFrames;
    int16_t m_nNodes;
    cTimeValue m_length;
    cTimeValue m_frameLength;

    // 4 frames at 30 a second (80 ticks) and 1 / that per tick: how fast a
    // model's animation state eases in and out.
    static const cTimeValue easeInTime;
    static const cTimeValue easeOutTime;
    static const float s_fEaseInRate;
    static const float s_fEaseOutRate;
    static PlatformWriteFunc s_platformWrite[kNumPlatforms];

private:
    // Reads the key block for nNodes nodes into the pool; *ppData stays null
    // for a block of version 0. False (logged) when the block is refused.
    bool PlatformRead(const cFile& file, cMemPool* pPool, int nNodes, int nFrames, eAnimationData** ppData) const;
    void PlatformFree();
    void EvalNode(int node, const Frames& frames, mVec3* pPos, mQuat* pRot) const;
};

// The slot table of animations: 900 slots, resolved by handle. Main thread,
// or the loader filling a group.
class eAnimationMgr : public cManager<eAnimation, 900> {};

// The file block that fills a range of eAnimationMgr's slots with
// animations and their check values. Lives in the pool of its load; one made
// by the factory destroys its animations with it.
class eAnimationGroup : public cGroup
{
    QM_DECLARE_GROUP(eAnimationGroup, eAnimationMgr)
};
