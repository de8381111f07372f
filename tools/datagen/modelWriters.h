#pragma once
// Builds meshes (rigid and skinned) and animations from plain descriptions
// and writes them as the console stores them: vertex arrays quantised to
// the stored formats, display lists of indexed triangles for vertex format
// 2, skin vertices ordered as the skinning output is, collision triangles
// per surface; animation keys quantised (rotations 14 fraction bits,
// positions 10). Also groups of them, the model and sky blocks, and the
// console platform-block writers that eMesh::Write and eAnimation::Write use
// on this host. Offline tools and test fixtures; main thread.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "datagen/blockWriter.h"
#include "mMath/mOCS.h"
#include "mMath/mQuat.h"

class cFile;
class eAnimation;
class eMesh;

namespace datagen {

// ---- meshes ----

struct MeshNodeDesc {
    std::string name;
    int32_t parent = -1;  // below the node's own index; -1 for the root
    mOCS localToParent = Identity();

    static mOCS Identity();
};

// A rigid vertex in its node's space.
struct MeshVertex {
    mVec3 pos{0, 0, 0};   // stored in 1/1024 units, so within +-32
    mVec3 normal{0, 0, 1};
    float u = 0, v = 0;
};

// A skin vertex in bind (mesh) space with one to three bones (indices into
// the bones, not the nodes) and their byte weights (byte / 255).
struct SkinVertex {
    mVec3 pos{0, 0, 0};
    mVec3 normal{0, 0, 1};
    float u = 0, v = 0;
    int nWeights = 1;
    uint8_t bones[3] = {0, 0, 0};
    uint8_t weights[3] = {255, 0, 0};
};

// Triangles as corner triples, counter-clockwise seen from the drawn side.
struct MeshObjectDesc {
    int material = 0;
    int node = 0;
    std::vector<MeshVertex> corners;
};
struct MeshSkinDesc {
    int material = 0;
    std::vector<SkinVertex> corners;
};

struct ColSkinVertex {
    mVec3 pos{0, 0, 0};  // bind space
    int nWeights = 1;    // 1 or 2
    uint8_t bones[2] = {0, 0};
    uint8_t weights[2] = {255, 0};
};
struct ColObjectDesc {
    int surface = 0;
    int node = 0;
    std::vector<mVec3> corners;  // node space
};
struct ColSkinDesc {
    int surface = 0;
    std::vector<ColSkinVertex> corners;
};

struct MeshDesc {
    std::string name = "mesh";
    uint32_t version = 2;          // 1 stores no node names
    uint32_t platformVersion = 1;  // 0 writes an empty platform block
    std::vector<MeshNodeDesc> nodes;
    int bonesStart = -1, nBones = 0;      // bone j is node bonesStart + j
    int objectsStart = -1, nObjects = 0;  // stored ranges of the node array
    int helpersStart = -1, nHelpers = 0;
    // Bind frames of the bones; empty: each bone node's rest frame inverted,
    // so the rest pose skins every vertex to its bind position.
    std::vector<mOCS> baseToLocal;
    float visRadius = 1, colRadius = 1;
    mVec3 colliderSize{1, 1, 1};
    bool bVis = true;
    int nMaterials = -1;  // -1: one past the highest material the parts use
    std::vector<MeshObjectDesc> objects;
    std::vector<MeshSkinDesc> skins;  // at most one per material
    bool bCol = false;
    int nSurfaces = -1;
    std::vector<ColObjectDesc> colObjects;
    std::vector<ColSkinDesc> colSkins;  // at most one per surface
};

// The stored form of a built mesh, open for tests to inspect or damage.
struct MeshData {
    using SkinRecord = std::vector<int16_t>;    // 11 values as stored
    using ObjectRecord = std::vector<int16_t>;  // 5 values
    int32_t nMaterials = 0;
    std::vector<SkinRecord> skins[8];
    std::vector<ObjectRecord> objects[8];
    std::vector<SkinVertex> skinVerts[3];  // by weight count, in array order
    std::vector<uint8_t> skinTexCoords;    // big-endian, 4 bytes each
    std::vector<uint8_t> positions;        // big-endian, 6 bytes each
    std::vector<uint8_t> normals;
    std::vector<uint8_t> texCoords;
    std::vector<uint8_t> displayLists;     // 32-byte aligned lists

    int32_t nSurfaces = 0;
    std::vector<std::vector<int16_t>> colSkins[8];    // 6 values
    std::vector<std::vector<int16_t>> colObjects[8];  // 3 values
    std::vector<ColSkinVertex> colSkinVerts[2];
    std::vector<uint16_t> colSkinTris;  // 3 per triangle, skin-local indices
    std::vector<mVec3> colVerts;
    std::vector<uint16_t> colTris;
    std::vector<mOCS> baseToLocal;
};

// False (logged) when a part names a node, material, surface or bone the
// description lacks, or outgrows the stored formats.
bool BuildMesh(const MeshDesc& desc, MeshData* pData);
// The mesh block of that version, with its platform block.
BlockWriter& MeshBlock(BlockWriter& w, const MeshDesc& desc, const MeshData& data);
// Builds and writes a file holding one mesh.
bool WriteMeshFile(const std::string& path, const MeshDesc& desc);
bool WriteMeshFile(const std::string& path, const MeshDesc& desc, const MeshData& data);
// The console platform block of a mesh in memory, for eMesh::Write; install
// it as eMesh::s_platformWrite[cFile::kPlatformConsole].
void WriteConsoleMeshPlatform(const eMesh& mesh, const cFile& file);

// ---- animations ----

// One node's tracks: one key makes a track constant; otherwise one key per
// frame.
struct AnimationTrackDesc {
    std::vector<mVec3> positions;  // within +-32
    std::vector<mQuat> rotations;  // stored as they are (not normalised)
};

struct AnimationDesc {
    std::string name = "anim";
    uint32_t version = 4;
    uint32_t keyVersion = 1;  // 0 writes an empty key block
    int frames = 2;
    int frameLength = 20;  // ticks
    std::optional<int> length;  // ticks; none: (frames - 1) x frameLength, the last frame at the end
    bool bLooping = true;
    std::vector<AnimationTrackDesc> nodes;
};

BlockWriter& AnimationBlock(BlockWriter& w, const AnimationDesc& desc);
bool WriteAnimationFile(const std::string& path, const AnimationDesc& desc);
// The console key block of an animation in memory, for eAnimation::Write;
// an animation without keys gets a key block of version 0.
void WriteConsoleAnimationPlatform(const eAnimation& animation, const cFile& file);

// ---- groups ----

// One slot of a group: its check (0 leaves the slot empty and stores nothing
// else) and the writer of the object's type id and blocks.
struct GroupRecord {
    uint16_t check = 0;
    std::function<void(BlockWriter&)> write;
};
// A group block (version 2) over the slots begin .. begin + records.
BlockWriter& GroupBlock(BlockWriter& w, int32_t begin, const std::vector<GroupRecord>& records);
// A record of a group that several writers fill: its slot and the record.
struct SlotRecord {
    int32_t slot = 0;
    GroupRecord record;
};
// One group block over the records' slots, lowest to highest, the slots no
// record names left empty. False (nothing laid) without records, and
// (logged) when two records name one slot.
bool LaySharedGroup(BlockWriter& w, std::vector<SlotRecord> records);
// Files holding one eMeshGroup or eAnimationGroup; check of slot begin + i
// is 0x100 + i.
bool WriteMeshGroupFile(const std::string& path, int32_t begin, const std::vector<MeshDesc>& meshes);
bool WriteAnimationGroupFile(const std::string& path, int32_t begin, const std::vector<AnimationDesc>& animations);

// ---- models and skies ----

// A model's block: the scene node's block only (the mesh is not stored).
BlockWriter& ModelBlock(BlockWriter& w, uint32_t version = 1);

struct SkyDesc {
    uint32_t version = 2;  // 1 stores skin 0 only
    uint32_t hMesh = 0;
    int32_t nMaterials = 0;
    std::vector<uint32_t> skins[4];  // nMaterials handle values each (missing ones are 0)
    float scale = 1.0f;
};
BlockWriter& SkyBlock(BlockWriter& w, const SkyDesc& desc);
bool WriteSkyFile(const std::string& path, const SkyDesc& desc);

// A file of one top-level object: its type id, then what block writes.
bool WriteObjectBlocksFile(const std::string& path, uint32_t typeId, const std::function<void(BlockWriter&)>& block);

}  // namespace datagen
