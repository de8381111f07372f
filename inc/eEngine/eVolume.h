#pragma once
// A trigger shape placed in a zone: a sphere, a box or a one-sided rectangle
// (plane), filed in its zone's volume octree by its bounding sphere. A volume
// query sorts the volumes a move touches into entered, inside and exited; a
// volume may answer only one class of querier, or one object. Owned by a
// game trigger, in that trigger's pool; main thread.

#include <cstdint>

#include "cCore/cBase.h"
#include "mMath/mOCS.h"

class eZone;
struct eVolumeQuery;

class eVolume : public cBase
{
    QM_DECLARE_TYPE(eVolume)
public:
    enum eVolumeType : int32_t {
        VOLUME_SPHERE = 0,
        VOLUME_BOX = 1,
        VOLUME_PLANE = 2,  // faces -y; width along x, height along z
        MAX_VOLUMES = 3,
        VOLUME_INVALID = 4,
    };
    static const char* VolumeTypeText(int type);  // "???" outside the enumeration

    static constexpr uint32_t kVersion = 1;

    // Invalid type, radius -1 (never filed), box size 0, identity frame, in
    // no zone, no owner, no restrictions.
    eVolume();
    // Copies type, radius, box size and frame; the copy is in no zone and has
    // no owner or restrictions.
    eVolume(const eVolume& other);
    // Leaves its zone's tree.
    ~eVolume() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 1: an empty base block, type, radius, box size, frame origin
    // and basis rows.
    void Write(const cFile& file) const override;
    // Version 0 is skipped (false); a short block fails and the volume keeps
    // its shape and frame.
    bool Read(const cFile& file, cMemPool* pPool) override;

    void SetVolumeSphere(float radius);  // the box size is left as it was
    // Full size along local x, y, z; the bounding radius is half its length.
    void SetVolumeBox(const mVec3& size);
    void SetVolumePlane(float width, float height);
    // Copies the frame and refiles the volume in its zone, if it has one.
    void SetLocalToZone(const mOCS& localToZone);

    // Tests this volume against a query and lists it (Algorithms of the
    // zone): ignored by a querier its restriction excludes.
    void VolumeQuery(eVolumeQuery* pQuery, const cBase* pQuerier);

    eZone* m_pZone;
    cBase* m_pOwner;
    const cType* m_pSpecificType;      // set: only this class and its descendants trigger it
    const cBase* m_pSpecificInstance;  // set with a class: only this object
    eVolumeType m_type;
    float m_fRadius;                   // sphere radius, else the bounding radius; < 0 = never filed
    mVec3 m_boxSize;                   // box: full size; plane: width, height, 0
    mOCS m_localToZone;                // origin = centre
    eVolume* m_pVolPrev;               // ring of one volume-octree node
    eVolume* m_pVolNext;
    int16_t m_nVolNodeIndex;           // -1 = not filed

private:
    bool Accepts(const cBase* pQuerier) const;
    bool TestPlane(const eVolumeQuery& q, const mOCS& frame, bool* pPrevInside, bool* pCurInside) const;
};
