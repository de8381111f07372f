#pragma once
// One contact of a collision query: where the moving body touched a
// triangle, the normals there, how far along the move, and what was touched.
// Inside the ellipsoid collider every vector is in its scaled space (the
// ellipsoid made the unit sphere); GetWorldContact hands out world values.
// Plain record, copied freely; main thread.

#include <cstdint>

#include "mMath/mVec3.h"

class cBase;
class eSurface;

struct eCollisionContact {
    // Which feature of the triangle was touched; one bit per feature. Edge k
    // runs from corner k to corner k + 1 (corner 2 to corner 0 for edge 2-0).
    enum eColTriPos : int32_t {
        TP_NONE = 0,
        TP_ONTRI = 1,
        TP_ONEDGE0_1 = 2,
        TP_ONEDGE1_2 = 4,
        TP_ONEDGE2_0 = 8,
        TP_ONEDGE = 14,  // any edge
        TP_ONPOINT0 = 16,
        TP_ONPOINT1 = 32,
        TP_ONPOINT2 = 64,
        TP_ONPOINT = 112,  // any corner
        TP_DEGENERATE = 255,
    };

    mVec3 normal;              // unit, from the touched feature towards the body's centre
    mVec3 triNormal;           // unit normal of the touched triangle's plane
    mVec3 position;            // the touched point on the triangle
    float fDistanceToContact;  // along the move; for embedded contacts centre to touched point
    cBase* pContactObject;     // the eZone for zone triangles, the model for a model's
    eSurface* pSurface;
    eColTriPos trianglePos;
    mVec3 verts[3];            // the triangle's corners
};

// The name of one value ("TP_ONEDGE1_2"), "???" for a value that is none.
const char* eColTriPosText(eCollisionContact::eColTriPos pos);
// For a single edge bit, the indices of its two corners; false otherwise.
bool eColTriPosEdge(eCollisionContact::eColTriPos pos, int* pFrom, int* pTo);
// For a single corner bit, the corner's index; -1 otherwise.
int eColTriPosCorner(eCollisionContact::eColTriPos pos);
