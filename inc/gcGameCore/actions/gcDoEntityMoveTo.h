#pragma once
// Moves an entity to a region point, along a region path (or one of its own
// paths) between two fractions of the path's length, or off the path it
// follows: sends message 117, 118 or 126. The path move carries the
// action's completion event, which the entity applies when it arrives, so
// the action must outlive the move (it lives as long as its event). Lives
// in its event's pool; main thread. Type id 122.

#include <cstdint>

#include "gcGameCore/entities/gcRegionPath.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/script/gcAction.h"
#include "gcGameCore/script/gcDesiredEntity.h"
#include "gcGameCore/script/gcDesiredValue.h"
#include "gcGameCore/script/gcEvent.h"

class gcDoEntityMoveTo : public gcAction {
    QM_DECLARE_TYPE(gcDoEntityMoveTo)
public:
    static constexpr uint32_t kVersion = 8;
    static constexpr uint32_t kMinVersion = 4;

    // nFlags bits, stored in data files (16-bit).
    static constexpr uint16_t kSnap = 0x1;
    static constexpr uint16_t kClosestOnPath = 0x2;  // start where the path passes closest
    static constexpr uint16_t kOffsetHeight = 0x4;
    static constexpr uint16_t kEntityPath = 0x8;     // one of the entity's own paths
    static constexpr uint16_t kDefaultFlags = kOffsetHeight;

    // Stored in data files.
    enum gcEntityMoveTo : int32_t {
        EMT_REGIONPOINT = 0,
        EMT_REGIONPATH = 1,
        EMT_DETACHFROMPATH = 2,
        MAX_MOVETOTYPES = 3,
    };

    // Point and path none, source 0.0, destination 1.0, the completion
    // event empty.
    gcDoEntityMoveTo();
    // The completion event's actions are copied into the pool holding this
    // action; the other fields keep their defaults.
    gcDoEntityMoveTo(const gcDoEntityMoveTo& other);
    gcDoEntityMoveTo& operator=(const gcDoEntityMoveTo&) = delete;
    // A move of the type with these flags; the rest as by default.
    gcDoEntityMoveTo(int32_t type, const gcDesiredEntity& entity, uint16_t flags);

    cBase* Copy(cMemPool* pPool) const override;
    // Version 8: the base block, the type, the entity, the flags, the point,
    // the path, the entity path, the destination then the source on the
    // path, the completion event.
    void Write(const cFile& file) const override;
    // Versions 4 to 8 (others skipped, false). Version 4 stores the two
    // path positions as plain numbers and version 5 and 6 a third value,
    // each read over; before 6 the entity path is Patrol and before 8 the
    // completion event stays empty. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;
    // "Initiator.MoveTo( [Gate] )", "Player.SnapTo( Patrol ) {OnCompleted}",
    // "Initiator.DetachFromPath( )".
    void GetText(char* pBuf) const override;
    void DoAction(const gcEventParams& params) const override;

    // The path a path move follows: with kEntityPath the entity's own path
    // of that slot when it resolves, else hRegionPath; null when neither does.
    gcRegionPath* GetPath(const gcEntity& entity) const;
    static const char* GetMoveToTypeText(int32_t type);  // "RegionPoint"...; "???" outside

    uint16_t nFlags = kDefaultFlags;
    int32_t moveToType = EMT_REGIONPOINT;  // a gcEntityMoveTo as stored
    gcDesiredEntity desiredEntity = gcDesiredEntity::Selecting(gcDesiredEntity::INITIATOR);
    gcRegionPointHandle hRegionPoint;
    gcRegionPathHandle hRegionPath;
    int32_t entityPath = gcEntity::PATH_PATROL;  // a gcEntity::gcInitialPath as stored
    gcDesiredValue srcOnPath;                    // fraction of the path's length
    gcDesiredValue destOnPath;
    gcEvent onCompleted;
};
