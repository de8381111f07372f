#pragma once
// The records of a mesh: its node hierarchy and bones, the console draw data
// (skin and object records, skin vertices, the raw vertex arrays and display
// lists the graphics processor reads as stored) and the collision data
// (skinned and rigid triangles). Plain records, all in the pool that read
// the mesh; counts are checked by eMesh::Read, so every index a record holds
// lies inside the arrays it names. Main thread once read.

#include <cstdint>

#include "cCore/cName.h"
#include "mMath/mOCS.h"

struct eMeshNode {
    int32_t nParentIndex;  // below the node's own index; node 0 is the root
    mOCS localToParent;
    cName name;            // empty in version-1 meshes
};

// Bone j is node eMesh::m_nBonesStart + j.
struct eMeshBone {
    mOCS baseToLocal;  // from the mesh's bind space into the bone node's space
};

// The skinned part of one material. Its display list indexes positions and
// normals in the skinned output (ePhysiqueVert) and coordinates in
// pSkinTexCoords. Only a material's first record is drawn or skinned.
struct eMeshVisSkin {
    static constexpr int kFileShorts = 11;

    int16_t nTris;
    int16_t nUnused0;
    int16_t nVerts1, nFirstVert1;  // one-weight vertices
    int16_t nVerts2, nFirstVert2;
    int16_t nVerts3, nFirstVert3;
    int16_t nUnused1;
    uint16_t nDisplayListSize;    // bytes
    uint16_t nDisplayListOffset;  // 32-byte units from pDisplayLists
};

// A rigid part of one material, placed by its node's frame. Its display list
// indexes pPositions, pNormals and pTexCoords (both coordinate sets).
struct eMeshVisObject {
    static constexpr int kFileShorts = 5;

    int16_t nNode;
    int16_t nTris;
    int16_t nUnused;
    uint16_t nDisplayListSize;
    uint16_t nDisplayListOffset;
};

// A skin vertex in bind space with N bone indices (into the bones, not the
// nodes) and N weights (byte / 255, not normalised).
static_assert(sizeof(eMeshVisSkin) == 2 * eMeshVisSkin::kFileShorts && sizeof(eMeshVisObject) == 2 * eMeshVisObject::kFileShorts,
              "records are read as runs of 16-bit values");

template <int N>
struct eMeshVisSkinVertN {
    static constexpr int kFileBytes = 24 + 2 * N;  // position, normal (floats), bones, weights

    mVec3 pos;
    mVec3 normal;
    uint8_t nBones[N];
    uint8_t nWeights[N];
};
using eMeshVisSkinVert1 = eMeshVisSkinVertN<1>;
using eMeshVisSkinVert2 = eMeshVisSkinVertN<2>;
using eMeshVisSkinVert3 = eMeshVisSkinVertN<3>;

// One skinned output vertex as the graphics processor reads it (vertex
// format 2): position x, y, z as big-endian s16 with 10 fraction bits, then
// the normal as big-endian s16 with 14. Stores saturate to the s16 range.
struct ePhysiqueVert {
    static constexpr int kBytes = 12;
    static constexpr int kNormalOffset = 6;
    static constexpr int kPosFracBits = 10;
    static constexpr int kNrmFracBits = 14;

    uint8_t be[kBytes];
};
static_assert(sizeof(ePhysiqueVert) == ePhysiqueVert::kBytes, "records are packed as the vertex format reads them");

struct eMeshVisData {
    static constexpr int kMaxMaterials = 8;
    static constexpr int kPosStride = 6;  // 3 x s16, 10 fraction bits
    static constexpr int kNrmStride = 6;  // 3 x s16, 14 fraction bits
    static constexpr int kTexStride = 4;  // 2 x s16, 10 fraction bits
    static constexpr int kPosFracBits = 10;
    static constexpr int kNrmFracBits = 14;
    static constexpr int kTexFracBits = 10;
    static constexpr int kListAlign = 32;  // display-list offsets count in these

    int32_t nMaterials;  // 0-8
    int16_t nSkins[kMaxMaterials];
    int16_t nObjects[kMaxMaterials];
    eMeshVisSkin* pSkins[kMaxMaterials];
    eMeshVisObject* pObjects[kMaxMaterials];
    int16_t nSkinVerts1, nSkinVerts2, nSkinVerts3;
    int16_t nSkinTexCoords;
    int16_t nUnused0;
    eMeshVisSkinVert1* pSkinVerts1;
    eMeshVisSkinVert2* pSkinVerts2;
    eMeshVisSkinVert3* pSkinVerts3;
    uint8_t* pSkinTexCoords;  // raw, kTexStride each
    int16_t nPositions, nNormals, nTexCoords;
    int16_t nUnused1;
    uint8_t* pPositions;  // raw, kPosStride each
    uint8_t* pNormals;
    uint8_t* pTexCoords;
    int32_t nDisplayListBytes;  // the block's stored length
    uint8_t* pDisplayLists;     // 32-byte aligned

    // Records of the skinned output: every skin vertex once.
    int TotalSkinVerts() const { return nSkinVerts1 + nSkinVerts2 + nSkinVerts3; }
    const uint8_t* DisplayList(uint16_t offset) const { return pDisplayLists + kListAlign * offset; }
};

// The skinned collision part of one surface. Its triangles index the skin's
// own transformed vertices: its one-weight vertices first, then its
// two-weight ones. Only a surface's first record is used.
struct eMeshColSkin {
    static constexpr int kFileShorts = 6;

    int16_t nTris, nFirstTri;
    int16_t nVerts1, nFirstVert1;
    int16_t nVerts2, nFirstVert2;
};

// Rigid collision triangles of one surface in one node's space.
struct eMeshColObject {
    static constexpr int kFileShorts = 3;

    int16_t nNode;
    int16_t nTris, nFirstTri;
};

static_assert(sizeof(eMeshColSkin) == 2 * eMeshColSkin::kFileShorts && sizeof(eMeshColObject) == 2 * eMeshColObject::kFileShorts,
              "records are read as runs of 16-bit values");

template <int N>
struct eMeshColSkinVertN {
    static constexpr int kFileBytes = 12 + 2 * N;

    mVec3 pos;  // bind space
    uint8_t nBones[N];
    uint8_t nWeights[N];
};
using eMeshColSkinVert1 = eMeshColSkinVertN<1>;
using eMeshColSkinVert2 = eMeshColSkinVertN<2>;

struct eMeshColTri {
    static constexpr int kFileBytes = 6;
    uint16_t v[3];
};

struct eMeshColData {
    static constexpr int kMaxSurfaces = 8;
    // The transformed vertices of one collision skin are built on the stack.
    static constexpr int kMaxSkinVerts = 2048;

    int32_t nSurfaces;  // 0-8
    int16_t nSkins[kMaxSurfaces];
    int16_t nObjects[kMaxSurfaces];
    eMeshColSkin* pSkins[kMaxSurfaces];
    eMeshColObject* pObjects[kMaxSurfaces];
    int16_t nSkinVerts1, nSkinVerts2, nSkinTris;
    eMeshColSkinVert1* pSkinVerts1;
    eMeshColSkinVert2* pSkinVerts2;
    eMeshColTri* pSkinTris;
    int16_t nVerts, nTris;
    mVec3* pVerts;  // node space
    eMeshColTri* pTris;
};
