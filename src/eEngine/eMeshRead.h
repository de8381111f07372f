#pragma once
// What a mesh read gathers before it commits: everything comes from the
// pool passed to Read, is checked, and only then becomes the mesh's. Shared
// by the mesh block reader and the platform block reader.

#include <cstdint>

#include "eEngine/eMesh.h"

struct eMesh::ReadState {
    uint32_t nVersion = 0;
    int32_t nNodes = 0;
    int16_t counts[6] = {0, -1, 0, -1, 0, -1};  // bones, objects, helpers: count and first node
    eMeshNode* pNodes = nullptr;
    eMeshBone* pBones = nullptr;
    float fVisRadius = -1.0f;
    float fColRadius = -1.0f;
    mVec3 colliderSize{-1.0f, -1.0f, -1.0f};
    eMeshVisData* pVisData = nullptr;
    eMeshColData* pColData = nullptr;

    int NumBones() const { return counts[0]; }
};
