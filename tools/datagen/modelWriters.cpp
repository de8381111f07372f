#include "datagen/modelWriters.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "eEngine/eMesh.h"
#include "eEngine/eSky.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kTopLevelVersion = 1;
constexpr uint32_t kGroupVersion = 2;
constexpr uint32_t kGeomVersion = 1;
constexpr size_t kListAlign = 32;
constexpr size_t kMaxListBytes = 0xFFE0;       // a record's list size is 16-bit
constexpr size_t kMaxPrimitiveVerts = 0xFFFF;  // a primitive's vertex count is 16-bit
constexpr int kPosFrac = 10;
constexpr int kNrmFrac = 14;
constexpr int kTexFrac = 10;

void PutU16(std::vector<uint8_t>* p, uint16_t v)
{
    p->push_back(static_cast<uint8_t>(v >> 8));
    p->push_back(static_cast<uint8_t>(v));
}

// Dedups quantised records into a big-endian array; the index of each.
class QuantArray {
public:
    QuantArray(int components, int fracBits) : m_nComponents(components), m_nFracBits(fracBits) {}
    int32_t Add(const float* values, std::vector<uint8_t>* pOut)
    {
        std::vector<int16_t> q(static_cast<size_t>(m_nComponents));
        for (int i = 0; i < m_nComponents; ++i)
            q[static_cast<size_t>(i)] = ps::QuantS16(values[i], m_nFracBits);
        const auto it = m_index.find(q);
        if (it != m_index.end())
            return it->second;
        const int32_t index = static_cast<int32_t>(m_index.size());
        if (index > 0xFFFF)
            return -1;
        m_index.emplace(q, index);
        for (int16_t v : q)
            PutU16(pOut, static_cast<uint16_t>(v));
        return index;
    }

private:
    int m_nComponents;
    int m_nFracBits;
    std::map<std::vector<int16_t>, int32_t> m_index;
};

// One indexed vertex of a format-2 list: position, normal and coordinate
// index (both coordinate sets use the same one).
struct ListVertex {
    uint16_t pos, nrm, tex;
};

// Appends a list of indexed triangles, padded to 32 bytes; the record's
// offset (32-byte units) and size. False when it outgrows the 16-bit fields.
bool EmitList(const std::vector<ListVertex>& verts, std::vector<uint8_t>* pLists, uint16_t* pOffset, uint16_t* pSize)
{
    std::vector<uint8_t> list;
    const uint8_t op = static_cast<uint8_t>(static_cast<int>(GX_TRIANGLES) | static_cast<int>(GX_VTXFMT2));
    for (size_t first = 0; first < verts.size(); first += kMaxPrimitiveVerts - kMaxPrimitiveVerts % 3) {
        const size_t n = std::min(verts.size() - first, kMaxPrimitiveVerts - kMaxPrimitiveVerts % 3);
        list.push_back(op);
        PutU16(&list, static_cast<uint16_t>(n));
        for (size_t i = first; i < first + n; ++i) {
            PutU16(&list, verts[i].pos);
            PutU16(&list, verts[i].nrm);
            PutU16(&list, verts[i].tex);
            PutU16(&list, verts[i].tex);
        }
    }
    while (list.size() % kListAlign != 0)
        list.push_back(0);  // no-op commands
    if (list.size() > kMaxListBytes || pLists->size() / kListAlign > 0xFFFF)
        return false;
    *pOffset = static_cast<uint16_t>(pLists->size() / kListAlign);
    *pSize = static_cast<uint16_t>(list.size());
    pLists->insert(pLists->end(), list.begin(), list.end());
    return true;
}

// Node frames of the rest pose in mesh space.
std::vector<mOCS> RestFrames(const MeshDesc& desc)
{
    std::vector<mOCS> frames(desc.nodes.size());
    for (size_t i = 0; i < desc.nodes.size(); ++i) {
        const int32_t parent = desc.nodes[i].parent;
        if (i == 0 || parent < 0 || static_cast<size_t>(parent) >= i)
            frames[i] = desc.nodes[i].localToParent;
        else
            frames[i].Xform(desc.nodes[i].localToParent, frames[static_cast<size_t>(parent)]);
    }
    return frames;
}

int PartCount(int given, int highestUsed)
{
    return given >= 0 ? given : highestUsed + 1;
}

bool BuildObjects(const MeshDesc& desc, MeshData* d)
{
    QuantArray positions(3, kPosFrac), normals(3, kNrmFrac), coords(2, kTexFrac);
    for (const MeshObjectDesc& o : desc.objects) {
        std::vector<ListVertex> verts;
        for (const MeshVertex& v : o.corners) {
            const float uv[2] = {v.u, v.v};
            const int32_t p = positions.Add(v.pos.v, &d->positions);
            const int32_t n = normals.Add(v.normal.v, &d->normals);
            const int32_t t = coords.Add(uv, &d->texCoords);
            if (p < 0 || n < 0 || t < 0)
                return false;
            verts.push_back({static_cast<uint16_t>(p), static_cast<uint16_t>(n), static_cast<uint16_t>(t)});
        }
        uint16_t offset = 0, size = 0;
        if (!EmitList(verts, &d->displayLists, &offset, &size))
            return false;
        const int16_t nTris = static_cast<int16_t>(o.corners.size() / 3);
        d->objects[o.material].push_back({static_cast<int16_t>(o.node), nTris, 0, static_cast<int16_t>(size),
                                          static_cast<int16_t>(offset)});
    }
    return d->positions.size() / 6 <= 0x7FFF && d->normals.size() / 6 <= 0x7FFF && d->texCoords.size() / 4 <= 0x7FFF;
}

using SkinKey = std::tuple<int, std::vector<int16_t>, std::vector<int16_t>, std::vector<int>>;

// The skins in output order: material by material, each one's one-, two-
// and three-weight vertices, every distinct vertex once.
bool BuildSkins(const MeshDesc& desc, MeshData* d)
{
    QuantArray coords(2, kTexFrac);
    int outputBase = 0;
    for (int m = 0; m < d->nMaterials; ++m) {
        const MeshSkinDesc* pSkin = nullptr;
        for (const MeshSkinDesc& s : desc.skins)
            if (s.material == m)
                pSkin = &s;
        if (!pSkin)
            continue;
        // Distinct vertices by weight count, in first-use order.
        std::map<SkinKey, int> local[3];
        std::vector<const SkinVertex*> order[3];
        std::vector<std::pair<int, int>> cornerRefs;  // weight class, index within it
        for (const SkinVertex& v : pSkin->corners) {
            if (v.nWeights < 1 || v.nWeights > 3)
                return false;
            const int c = v.nWeights - 1;
            std::vector<int16_t> p(3), n(3);
            for (int k = 0; k < 3; ++k) {
                p[static_cast<size_t>(k)] = ps::QuantS16(v.pos.v[k], kPosFrac);
                n[static_cast<size_t>(k)] = ps::QuantS16(v.normal.v[k], kNrmFrac);
            }
            std::vector<int> bw;
            for (int k = 0; k < v.nWeights; ++k) {
                bw.push_back(v.bones[k]);
                bw.push_back(v.weights[k]);
            }
            const SkinKey key{c, p, n, bw};
            auto it = local[c].find(key);
            if (it == local[c].end()) {
                it = local[c].emplace(key, static_cast<int>(order[c].size())).first;
                order[c].push_back(&v);
            }
            cornerRefs.push_back({c, it->second});
        }
        MeshData::SkinRecord rec(11, 0);
        int classBase[3];
        int localBase = 0;
        for (int c = 0; c < 3; ++c) {
            rec[static_cast<size_t>(2 + 2 * c)] = static_cast<int16_t>(order[c].size());
            rec[static_cast<size_t>(3 + 2 * c)] = static_cast<int16_t>(d->skinVerts[c].size());
            classBase[c] = localBase;
            localBase += static_cast<int>(order[c].size());
            for (const SkinVertex* pv : order[c])
                d->skinVerts[c].push_back(*pv);
        }
        std::vector<ListVertex> verts;
        for (size_t i = 0; i < cornerRefs.size(); ++i) {
            const SkinVertex& v = pSkin->corners[i];
            const float uv[2] = {v.u, v.v};
            const int32_t t = coords.Add(uv, &d->skinTexCoords);
            const int out = outputBase + classBase[cornerRefs[i].first] + cornerRefs[i].second;
            if (t < 0 || out > 0xFFFF)
                return false;
            verts.push_back({static_cast<uint16_t>(out), static_cast<uint16_t>(out), static_cast<uint16_t>(t)});
        }
        uint16_t offset = 0, size = 0;
        if (!EmitList(verts, &d->displayLists, &offset, &size))
            return false;
        rec[0] = static_cast<int16_t>(pSkin->corners.size() / 3);
        rec[9] = static_cast<int16_t>(size);
        rec[10] = static_cast<int16_t>(offset);
        d->skins[m].push_back(rec);
        outputBase += localBase;
    }
    for (const std::vector<SkinVertex>& v : d->skinVerts)
        if (v.size() > 0x7FFF)
            return false;
    return d->skinTexCoords.size() / 4 <= 0x7FFF;
}

bool BuildCollision(const MeshDesc& desc, MeshData* d)
{
    for (int s = 0; s < d->nSurfaces; ++s) {
        for (const ColSkinDesc& skin : desc.colSkins) {
            if (skin.surface != s)
                continue;
            std::vector<const ColSkinVertex*> order[2];
            std::vector<std::pair<int, int>> refs;
            for (const ColSkinVertex& v : skin.corners) {
                if (v.nWeights < 1 || v.nWeights > 2)
                    return false;
                const int c = v.nWeights - 1;
                auto same = [&](const ColSkinVertex* o) {
                    return std::memcmp(o->pos.v, v.pos.v, sizeof(v.pos.v)) == 0 &&
                           std::memcmp(o->bones, v.bones, static_cast<size_t>(v.nWeights)) == 0 &&
                           std::memcmp(o->weights, v.weights, static_cast<size_t>(v.nWeights)) == 0;
                };
                const auto it = std::find_if(order[c].begin(), order[c].end(), same);
                const int index = static_cast<int>(it - order[c].begin());
                if (it == order[c].end())
                    order[c].push_back(&v);
                refs.push_back({c, index});
            }
            const int16_t first = static_cast<int16_t>(d->colSkinTris.size() / 3);
            d->colSkins[s].push_back({static_cast<int16_t>(skin.corners.size() / 3), first,
                                      static_cast<int16_t>(order[0].size()),
                                      static_cast<int16_t>(d->colSkinVerts[0].size()),
                                      static_cast<int16_t>(order[1].size()),
                                      static_cast<int16_t>(d->colSkinVerts[1].size())});
            for (int c = 0; c < 2; ++c)
                for (const ColSkinVertex* pv : order[c])
                    d->colSkinVerts[c].push_back(*pv);
            for (const auto& [c, index] : refs)
                d->colSkinTris.push_back(static_cast<uint16_t>(c == 0 ? index : static_cast<int>(order[0].size()) + index));
            break;  // only a surface's first skin is used
        }
        for (const ColObjectDesc& o : desc.colObjects) {
            if (o.surface != s)
                continue;
            const int16_t first = static_cast<int16_t>(d->colTris.size() / 3);
            for (const mVec3& p : o.corners) {
                const auto it = std::find_if(d->colVerts.begin(), d->colVerts.end(), [&](const mVec3& q) { return q == p; });
                d->colTris.push_back(static_cast<uint16_t>(it - d->colVerts.begin()));
                if (it == d->colVerts.end())
                    d->colVerts.push_back(p);
            }
            d->colObjects[s].push_back({static_cast<int16_t>(o.node), static_cast<int16_t>(o.corners.size() / 3), first});
        }
    }
    return d->colVerts.size() <= 0x7FFF && d->colTris.size() / 3 <= 0x7FFF && d->colSkinTris.size() / 3 <= 0x7FFF;
}

bool PartsValid(const MeshDesc& desc, const MeshData& d)
{
    const int nNodes = static_cast<int>(desc.nodes.size());
    for (const MeshObjectDesc& o : desc.objects)
        if (o.node < 0 || o.node >= nNodes || o.material < 0 || o.material >= d.nMaterials || o.corners.size() % 3)
            return false;
    for (const MeshSkinDesc& s : desc.skins) {
        if (s.material < 0 || s.material >= d.nMaterials || s.corners.size() % 3)
            return false;
        for (const SkinVertex& v : s.corners)
            for (int k = 0; k < v.nWeights && k < 3; ++k)
                if (v.bones[k] >= desc.nBones)
                    return false;
    }
    for (const ColObjectDesc& o : desc.colObjects)
        if (o.node < 0 || o.node >= nNodes || o.surface < 0 || o.surface >= d.nSurfaces || o.corners.size() % 3)
            return false;
    for (const ColSkinDesc& s : desc.colSkins)
        if (s.surface < 0 || s.surface >= d.nSurfaces || s.corners.size() % 3)
            return false;
    return d.nMaterials <= 8 && d.nSurfaces <= 8;
}

void FrameFloats(BlockWriter& w, const mOCS& f)
{
    for (const mVec3* v : {&f.origin, &f.basis.right, &f.basis.forward, &f.basis.up})
        w.Float(v->x).Float(v->y).Float(v->z);
}

void Halves(BlockWriter& w, const std::vector<int16_t>& values)
{
    for (int16_t v : values)
        w.Half(static_cast<uint16_t>(v));
}

BlockWriter& VisBlock(BlockWriter& w, const MeshData& d)
{
    w.Int(d.nMaterials);
    for (int m = 0; m < 8; ++m)
        w.Half(static_cast<uint16_t>(d.skins[m].size()));
    for (int m = 0; m < 8; ++m)
        w.Half(static_cast<uint16_t>(d.objects[m].size()));
    // Records for at most the 8 slots there are (a larger count is written
    // as given, for tests of the reader).
    for (int m = 0; m < std::min(d.nMaterials, 8); ++m) {
        for (const auto& r : d.skins[m])
            Halves(w, r);
        for (const auto& r : d.objects[m])
            Halves(w, r);
    }
    for (int c = 0; c < 3; ++c)
        w.Half(static_cast<uint16_t>(d.skinVerts[c].size()));
    w.Half(static_cast<uint16_t>(d.skinTexCoords.size() / 4)).Half(0);
    for (int c = 0; c < 3; ++c) {
        for (const SkinVertex& v : d.skinVerts[c]) {
            w.Float(v.pos.x).Float(v.pos.y).Float(v.pos.z).Float(v.normal.x).Float(v.normal.y).Float(v.normal.z);
            for (int k = 0; k <= c; ++k)
                w.Byte(v.bones[k]);
            for (int k = 0; k <= c; ++k)
                w.Byte(v.weights[k]);
        }
    }
    w.Bytes(d.skinTexCoords.data(), d.skinTexCoords.size());
    w.Half(static_cast<uint16_t>(d.positions.size() / 6))
        .Half(static_cast<uint16_t>(d.normals.size() / 6))
        .Half(static_cast<uint16_t>(d.texCoords.size() / 4))
        .Half(0);
    w.Bytes(d.positions.data(), d.positions.size());
    w.Bytes(d.normals.data(), d.normals.size());
    w.Bytes(d.texCoords.data(), d.texCoords.size());
    w.Int(static_cast<int32_t>(d.displayLists.size())).Bytes(d.displayLists.data(), d.displayLists.size());
    return w;
}

BlockWriter& ColBlock(BlockWriter& w, const MeshData& d)
{
    w.Int(d.nSurfaces);
    for (int s = 0; s < 8; ++s)
        w.Half(static_cast<uint16_t>(d.colSkins[s].size()));
    for (int s = 0; s < 8; ++s)
        w.Half(static_cast<uint16_t>(d.colObjects[s].size()));
    for (int s = 0; s < std::min(d.nSurfaces, 8); ++s) {
        for (const auto& r : d.colSkins[s])
            Halves(w, r);
        for (const auto& r : d.colObjects[s])
            Halves(w, r);
    }
    w.Half(static_cast<uint16_t>(d.colSkinVerts[0].size()))
        .Half(static_cast<uint16_t>(d.colSkinVerts[1].size()))
        .Half(static_cast<uint16_t>(d.colSkinTris.size() / 3));
    for (int c = 0; c < 2; ++c) {
        for (const ColSkinVertex& v : d.colSkinVerts[c]) {
            w.Float(v.pos.x).Float(v.pos.y).Float(v.pos.z);
            for (int k = 0; k <= c; ++k)
                w.Byte(v.bones[k]);
            for (int k = 0; k <= c; ++k)
                w.Byte(v.weights[k]);
        }
    }
    for (uint16_t i : d.colSkinTris)
        w.Half(i);
    w.Half(static_cast<uint16_t>(d.colVerts.size())).Half(static_cast<uint16_t>(d.colTris.size() / 3));
    for (const mVec3& v : d.colVerts)
        w.Float(v.x).Float(v.y).Float(v.z);
    for (uint16_t i : d.colTris)
        w.Half(i);
    return w;
}

BlockWriter& ObjectBlock(BlockWriter& w, const std::string& name)
{
    return w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(name.c_str()).End();
}

}  // namespace

mOCS MeshNodeDesc::Identity()
{
    mOCS o;
    o.MakeIdentity();
    return o;
}

bool BuildMesh(const MeshDesc& desc, MeshData* pData)
{
    MeshData d;
    int highestMaterial = -1, highestSurface = -1;
    for (const MeshObjectDesc& o : desc.objects)
        highestMaterial = std::max(highestMaterial, o.material);
    for (const MeshSkinDesc& s : desc.skins)
        highestMaterial = std::max(highestMaterial, s.material);
    for (const ColObjectDesc& o : desc.colObjects)
        highestSurface = std::max(highestSurface, o.surface);
    for (const ColSkinDesc& s : desc.colSkins)
        highestSurface = std::max(highestSurface, s.surface);
    d.nMaterials = PartCount(desc.nMaterials, highestMaterial);
    d.nSurfaces = PartCount(desc.nSurfaces, highestSurface);
    if (!PartsValid(desc, d) || desc.nBones < 0 ||
        (desc.nBones > 0 && (desc.bonesStart < 0 || desc.bonesStart + desc.nBones > static_cast<int>(desc.nodes.size())))) {
        cLogError_("datagen: mesh \"%s\" names a node, material, surface or bone it lacks", desc.name.c_str());
        return false;
    }
    if (!BuildObjects(desc, &d) || !BuildSkins(desc, &d) || !BuildCollision(desc, &d)) {
        cLogError_("datagen: mesh \"%s\" outgrows the stored formats", desc.name.c_str());
        return false;
    }
    if (!desc.baseToLocal.empty()) {
        d.baseToLocal = desc.baseToLocal;
    } else {
        const std::vector<mOCS> rest = RestFrames(desc);
        mOCS identity = MeshNodeDesc::Identity();
        for (int j = 0; j < desc.nBones; ++j) {
            mOCS inv;
            inv.XformInv(identity, rest[static_cast<size_t>(desc.bonesStart + j)]);
            d.baseToLocal.push_back(inv);
        }
    }
    *pData = std::move(d);
    return true;
}

BlockWriter& MeshBlock(BlockWriter& w, const MeshDesc& desc, const MeshData& d)
{
    w.Begin(desc.version);
    ObjectBlock(w, desc.name);
    w.Int(static_cast<int32_t>(desc.nodes.size()));
    for (int v : {desc.nBones, desc.bonesStart, desc.nObjects, desc.objectsStart, desc.nHelpers, desc.helpersStart})
        w.Half(static_cast<uint16_t>(v));
    for (const MeshNodeDesc& n : desc.nodes) {
        w.Int(n.parent);
        FrameFloats(w, n.localToParent);
        if (desc.version >= 2)
            w.Name(n.name.c_str());
    }
    for (int j = 0; j < desc.nBones; ++j)
        FrameFloats(w, j < static_cast<int>(d.baseToLocal.size()) ? d.baseToLocal[static_cast<size_t>(j)]
                                                                  : MeshNodeDesc::Identity());
    w.Float(desc.visRadius).Float(desc.colRadius);
    w.Float(desc.colliderSize.x).Float(desc.colliderSize.y).Float(desc.colliderSize.z);
    w.Begin(desc.platformVersion);
    if (desc.platformVersion > 0) {
        w.Int(desc.bVis ? 1 : 0);
        if (desc.bVis)
            VisBlock(w, d);
        w.Int(desc.bCol ? 1 : 0);
        if (desc.bCol)
            ColBlock(w, d);
    }
    w.End();
    return w.End();
}

bool WriteObjectBlocksFile(const std::string& path, uint32_t typeId, const std::function<void(BlockWriter&)>& block)
{
    BlockWriter w;
    w.Header().Begin(kTopLevelVersion).Word(typeId);
    block(w);
    w.End().Trailer();
    return w.Save(path);
}

bool WriteMeshFile(const std::string& path, const MeshDesc& desc, const MeshData& data)
{
    return WriteObjectBlocksFile(path, eMesh::GetStaticType()->m_nTypeId,
                                 [&](BlockWriter& w) { MeshBlock(w, desc, data); });
}

bool WriteMeshFile(const std::string& path, const MeshDesc& desc)
{
    MeshData data;
    return BuildMesh(desc, &data) && WriteMeshFile(path, desc, data);
}

void WriteConsoleMeshPlatform(const eMesh& mesh, const cFile& file)
{
    cWriteBlock wb(file, eMesh::kPlatformVersion);
    const eMeshVisData* v = mesh.m_pMeshVisData;
    wb.WriteInt(v ? 1 : 0);
    if (v) {
        wb.WriteInt(v->nMaterials);
        wb.WriteShorts(v->nSkins, eMeshVisData::kMaxMaterials);
        wb.WriteShorts(v->nObjects, eMeshVisData::kMaxMaterials);
        for (int m = 0; m < v->nMaterials; ++m) {
            for (int i = 0; i < v->nSkins[m]; ++i)
                wb.WriteShorts(reinterpret_cast<const int16_t*>(&v->pSkins[m][i]), eMeshVisSkin::kFileShorts);
            for (int i = 0; i < v->nObjects[m]; ++i)
                wb.WriteShorts(reinterpret_cast<const int16_t*>(&v->pObjects[m][i]), eMeshVisObject::kFileShorts);
        }
        const int16_t counts[5] = {v->nSkinVerts1, v->nSkinVerts2, v->nSkinVerts3, v->nSkinTexCoords, v->nUnused0};
        wb.WriteShorts(counts, 5);
        auto skinVerts = [&](const auto* p, int n) {
            for (int i = 0; i < n; ++i) {
                wb.WriteFloats(p[i].pos.v, 3);
                wb.WriteFloats(p[i].normal.v, 3);
                wb.WriteChars(p[i].nBones, sizeof(p[i].nBones));
                wb.WriteChars(p[i].nWeights, sizeof(p[i].nWeights));
            }
        };
        skinVerts(v->pSkinVerts1, v->nSkinVerts1);
        skinVerts(v->pSkinVerts2, v->nSkinVerts2);
        skinVerts(v->pSkinVerts3, v->nSkinVerts3);
        wb.WriteChars(v->pSkinTexCoords, v->nSkinTexCoords * eMeshVisData::kTexStride);
        const int16_t arrays[4] = {v->nPositions, v->nNormals, v->nTexCoords, v->nUnused1};
        wb.WriteShorts(arrays, 4);
        wb.WriteChars(v->pPositions, v->nPositions * eMeshVisData::kPosStride);
        wb.WriteChars(v->pNormals, v->nNormals * eMeshVisData::kNrmStride);
        wb.WriteChars(v->pTexCoords, v->nTexCoords * eMeshVisData::kTexStride);
        wb.WriteInt(v->nDisplayListBytes);
        wb.WriteChars(v->pDisplayLists, v->nDisplayListBytes);
    }
    const eMeshColData* c = mesh.m_pMeshColData;
    wb.WriteInt(c ? 1 : 0);
    if (c) {
        wb.WriteInt(c->nSurfaces);
        wb.WriteShorts(c->nSkins, eMeshColData::kMaxSurfaces);
        wb.WriteShorts(c->nObjects, eMeshColData::kMaxSurfaces);
        for (int s = 0; s < c->nSurfaces; ++s) {
            for (int i = 0; i < c->nSkins[s]; ++i)
                wb.WriteShorts(reinterpret_cast<const int16_t*>(&c->pSkins[s][i]), eMeshColSkin::kFileShorts);
            for (int i = 0; i < c->nObjects[s]; ++i)
                wb.WriteShorts(reinterpret_cast<const int16_t*>(&c->pObjects[s][i]), eMeshColObject::kFileShorts);
        }
        const int16_t counts[3] = {c->nSkinVerts1, c->nSkinVerts2, c->nSkinTris};
        wb.WriteShorts(counts, 3);
        auto skinVerts = [&](const auto* p, int n) {
            for (int i = 0; i < n; ++i) {
                wb.WriteFloats(p[i].pos.v, 3);
                wb.WriteChars(p[i].nBones, sizeof(p[i].nBones));
                wb.WriteChars(p[i].nWeights, sizeof(p[i].nWeights));
            }
        };
        skinVerts(c->pSkinVerts1, c->nSkinVerts1);
        skinVerts(c->pSkinVerts2, c->nSkinVerts2);
        for (int i = 0; i < c->nSkinTris; ++i)
            wb.WriteShorts(c->pSkinTris[i].v, 3);
        wb.WriteShort(c->nVerts);
        wb.WriteShort(c->nTris);
        for (int i = 0; i < c->nVerts; ++i)
            wb.WriteFloats(c->pVerts[i].v, 3);
        for (int i = 0; i < c->nTris; ++i)
            wb.WriteShorts(c->pTris[i].v, 3);
    }
}

// ---- animations ----

BlockWriter& AnimationBlock(BlockWriter& w, const AnimationDesc& desc)
{
    const int length = desc.length.value_or(std::max(desc.frames - 1, 0) * desc.frameLength);
    w.Begin(desc.version);
    ObjectBlock(w, desc.name);
    w.Half(static_cast<uint16_t>(desc.frames)).Half(static_cast<uint16_t>(desc.nodes.size()));
    w.Int(desc.frameLength).Int(length).Int(desc.bLooping ? 1 : 0);
    if (!desc.nodes.empty()) {
        w.Begin(desc.keyVersion);
        if (desc.keyVersion > 0) {
            int rot = 0, pos = 0;
            for (const AnimationTrackDesc& n : desc.nodes) {
                w.Half(static_cast<uint16_t>(rot)).Half(static_cast<uint16_t>(n.rotations.size()));
                w.Half(static_cast<uint16_t>(pos)).Half(static_cast<uint16_t>(n.positions.size()));
                rot += static_cast<int>(n.rotations.size());
                pos += static_cast<int>(n.positions.size());
            }
            w.Int(rot);
            for (const AnimationTrackDesc& n : desc.nodes)
                for (const mQuat& q : n.rotations)
                    for (float f : {q.x, q.y, q.z, q.w})
                        w.Half(static_cast<uint16_t>(ps::QuantS16(f, eAnimationQuat::kFracBits)));
            w.Int(pos);
            for (const AnimationTrackDesc& n : desc.nodes)
                for (const mVec3& p : n.positions)
                    for (float f : p.v)
                        w.Half(static_cast<uint16_t>(ps::QuantS16(f, eAnimationVec3::kFracBits)));
        }
        w.End();
    }
    return w.End();
}

bool WriteAnimationFile(const std::string& path, const AnimationDesc& desc)
{
    return WriteObjectBlocksFile(path, eAnimation::GetStaticType()->m_nTypeId,
                                 [&](BlockWriter& w) { AnimationBlock(w, desc); });
}

void WriteConsoleAnimationPlatform(const eAnimation& animation, const cFile& file)
{
    const eAnimationData* d = animation.m_pAnimationData;
    cWriteBlock wb(file, d ? eAnimation::kPlatformVersion : 0);
    if (!d)
        return;
    for (int i = 0; i < animation.m_nNodes; ++i) {
        const eAnimationNode& n = d->pNodes[i];
        const int16_t v[4] = {n.nFirstRotKey, n.nRotKeys, n.nFirstPosKey, n.nPosKeys};
        wb.WriteShorts(v, 4);
    }
    wb.WriteInt(d->nRotKeys);
    wb.WriteChars(d->pRotKeys, d->nRotKeys * static_cast<int>(sizeof(eAnimationQuat)));
    wb.WriteInt(d->nPosKeys);
    wb.WriteChars(d->pPosKeys, d->nPosKeys * static_cast<int>(sizeof(eAnimationVec3)));
}

// ---- groups ----

BlockWriter& GroupBlock(BlockWriter& w, int32_t begin, const std::vector<GroupRecord>& records)
{
    w.Begin(kGroupVersion).Begin(kBaseVersion).End();
    w.Int(begin).Int(begin + static_cast<int32_t>(records.size()));
    for (const GroupRecord& r : records) {
        w.Half(r.check);
        if (r.check != 0 && r.write)
            r.write(w);
    }
    return w.End();
}

bool LaySharedGroup(BlockWriter& w, std::vector<SlotRecord> records)
{
    if (records.empty())
        return false;
    std::sort(records.begin(), records.end(), [](const SlotRecord& a, const SlotRecord& b) { return a.slot < b.slot; });
    for (size_t i = 1; i < records.size(); ++i) {
        if (records[i].slot == records[i - 1].slot) {
            cLogError_("datagen: two records for slot %d of one group", records[i].slot);
            return false;
        }
    }
    const int32_t begin = records.front().slot;
    std::vector<GroupRecord> laid(static_cast<size_t>(records.back().slot - begin + 1));  // check 0: empty
    for (SlotRecord& r : records)
        laid[static_cast<size_t>(r.slot - begin)] = std::move(r.record);
    GroupBlock(w, begin, laid);
    return true;
}

bool WriteMeshGroupFile(const std::string& path, int32_t begin, const std::vector<MeshDesc>& meshes)
{
    std::vector<MeshData> data(meshes.size());
    std::vector<GroupRecord> records;
    for (size_t i = 0; i < meshes.size(); ++i) {
        if (!BuildMesh(meshes[i], &data[i]))
            return false;
        records.push_back({static_cast<uint16_t>(0x100 + i), [&, i](BlockWriter& w) {
                               w.Int(static_cast<int32_t>(eMesh::GetStaticType()->m_nTypeId));
                               MeshBlock(w, meshes[i], data[i]);
                           }});
    }
    return WriteObjectBlocksFile(path, eMeshGroup::GetStaticType()->m_nTypeId,
                                 [&](BlockWriter& w) { GroupBlock(w, begin, records); });
}

bool WriteAnimationGroupFile(const std::string& path, int32_t begin, const std::vector<AnimationDesc>& animations)
{
    std::vector<GroupRecord> records;
    for (size_t i = 0; i < animations.size(); ++i)
        records.push_back({static_cast<uint16_t>(0x100 + i), [&, i](BlockWriter& w) {
                               w.Int(static_cast<int32_t>(eAnimation::GetStaticType()->m_nTypeId));
                               AnimationBlock(w, animations[i]);
                           }});
    return WriteObjectBlocksFile(path, eAnimationGroup::GetStaticType()->m_nTypeId,
                                 [&](BlockWriter& w) { GroupBlock(w, begin, records); });
}

// ---- models and skies ----

BlockWriter& ModelBlock(BlockWriter& w, uint32_t version)
{
    return w.Begin(version).Begin(kGeomVersion).Begin(kBaseVersion).End().End().End();
}

BlockWriter& SkyBlock(BlockWriter& w, const SkyDesc& desc)
{
    w.Begin(desc.version).Begin(kBaseVersion).End();
    w.Word(desc.hMesh).Int(desc.nMaterials);
    const int nSkins = desc.version >= 2 ? 4 : 1;
    for (int s = 0; s < nSkins; ++s)
        for (int32_t i = 0; i < desc.nMaterials; ++i)
            w.Word(static_cast<size_t>(i) < desc.skins[s].size() ? desc.skins[s][static_cast<size_t>(i)] : 0u);
    w.Float(desc.scale);
    return w.End();
}

bool WriteSkyFile(const std::string& path, const SkyDesc& desc)
{
    return WriteObjectBlocksFile(path, eSky::GetStaticType()->m_nTypeId, [&](BlockWriter& w) { SkyBlock(w, desc); });
}

}  // namespace datagen
