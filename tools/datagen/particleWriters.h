#pragma once
// Writers for paths, particle emitters and trail configurations, through the
// engine's own Write code, plus hand-laid blocks of the emitter's older
// versions (the engine writes only its newest). Offline tools and test
// fixtures; main thread.

#include <cstdint>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"

class cMemPool;
class eGeomTrailConfig;
class eParticleEmitter;
class ePath;

namespace datagen {

struct PathPointDesc {
    float x, y, z;
    float roll = 0.0f;  // degrees
};

// A path through the points in the pool, its distances the running sums of
// the segment lengths. Null (logged) when the pool is full.
ePath* BuildPath(const char* name, const std::vector<PathPointDesc>& points, cMemPool* pPool);
// A path alone as a console data file at a host path.
bool WritePathFile(const std::string& path, const ePath& p);

// One record of a path group: the path (null for an empty record) and the
// check its handle gets.
struct PathRecord {
    ePath* pPath;
    uint16_t check;
};
// An ePathGroup over beginSlot .. beginSlot + records - 1. The paths sit in
// the manager only while the group is written. False (logged) for a range
// outside the manager or a failed write.
bool WritePathGroupFile(const std::string& path, int beginSlot, const std::vector<PathRecord>& records);

// An emitter (version 17) as a console data file.
bool WriteEmitterFile(const std::string& path, const eParticleEmitter& emitter);
// The emitter's block at version 14 to 17, field by field: the fields a
// version lacks are left out.
BlockWriter& EmitterBlock(BlockWriter& w, const eParticleEmitter& emitter, uint32_t version);

// A trail configuration (version 5) as a console data file.
bool WriteTrailConfigFile(const std::string& path, const eGeomTrailConfig& config);
// Its block laid out by hand with raw counts, so that files the engine's
// writer would never make (no segments, no subdivisions) can be written.
BlockWriter& TrailConfigBlock(BlockWriter& w, const eGeomTrailConfig& config, uint32_t version = 5);

}  // namespace datagen
