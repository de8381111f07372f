#pragma once
// One collision candidate: the record a zone triangle list or a model's
// collision surface strings into its zone's collidable ring when a
// collision cull finds it. The record lives at the start of its owner's
// own record (so the owner is reached from it); the ring is rebuilt by
// every cull. Main thread.

class cBase;

struct eCollisionInfo {
    cBase* pCollidable = nullptr;  // the eZone for a zone triangle list, the model for a surface
    eCollisionInfo* pNext = nullptr;
    eCollisionInfo* pPrev = nullptr;
};
