#pragma once
// One draw record: what a culled thing asks to be drawn with, filed by
// eZone::AddDrawInfo into one of the zone's draw bins for this frame. A bin
// is a circular doubly linked ring entered at its head; records are appended
// just before the head. Records live in their drawable (a static strip's at
// the head of its eZoneVisStrip, a scene node's in the node) and are valid
// until the next cull. Main thread.

#include "eEngine/eMaterial.h"

class cBase;

struct eDrawInfo {
    cBase* pDrawable = nullptr;  // the scene node that filed it, or the zone for a static strip
    eMaterialHandle hMaterial;
    float fDistance = 0.0f;      // from the frustum's near plane; larger is farther
    eDrawInfo* pNext = nullptr;
    eDrawInfo* pPrev = nullptr;
};
