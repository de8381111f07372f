#include "datagen/zoneWriter.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <unordered_map>

#include "platform/gx.h"
#include "platform/ps.h"
#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cWriteBlock.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eLightmap.h"
#include "eEngine/eNormalTable.h"
#include "eEngine/eOctree.h"
#include "eEngine/eZone.h"
#include "mMath/mSphere.h"

namespace datagen {

namespace {

constexpr uint32_t kBaseVersion = 1;
constexpr uint32_t kObjectVersion = 1;
constexpr uint32_t kTopLevelVersion = 1;
constexpr uint16_t kNone = 0xFFFF;
constexpr uint32_t kListAlign = 32;
constexpr size_t kMaxListBytes = 0xFF00;    // one strip's list, before padding (the size is 16-bit)
constexpr size_t kMaxStripVertices = 1024;  // keeps single primitives modest
constexpr uint32_t kMaxTris = 0xFFFF;

// A drawn vertex as its four array indices: position 16 bits, normal 8,
// second coordinate set 16, first set 16.
using VertexKey = uint64_t;

VertexKey MakeKey(uint16_t pos, uint8_t nrm, uint16_t tex0, uint16_t tex1)
{
    return uint64_t{pos} << 40 | uint64_t{nrm} << 32 | uint64_t{tex0} << 16 | tex1;
}

struct Tri {
    VertexKey v[3];
};

// Dedups quantised records into a big-endian array.
class QuantArray {
public:
    QuantArray(int components, int fracBits) : m_nComponents(components), m_nFracBits(fracBits) {}
    // The record's index, or -1 when the array is full (16-bit indices).
    int32_t Add(const float* values, std::vector<uint8_t>* pOut)
    {
        uint64_t key = 0;
        int16_t q[3] = {0, 0, 0};
        for (int i = 0; i < m_nComponents; ++i) {
            q[i] = ps::QuantS16(values[i], m_nFracBits);
            key = key << 16 | static_cast<uint16_t>(q[i]);
        }
        const auto it = m_index.find(key);
        if (it != m_index.end())
            return it->second;
        const int32_t index = static_cast<int32_t>(m_index.size());
        if (index > 0xFFFF)
            return -1;
        m_index.emplace(key, index);
        for (int i = 0; i < m_nComponents; ++i) {
            uint8_t b[2];
            ps::StoreS16BE(b, q[i]);
            pOut->insert(pOut->end(), b, b + 2);
        }
        return index;
    }

private:
    int m_nComponents;
    int m_nFracBits;
    std::unordered_map<uint64_t, int32_t> m_index;
};

eOctree MakeTree(const ZoneDesc& desc, int levels)
{
    eOctree t;
    t.m_fSize = desc.treeSize;
    t.m_fLooseScale = desc.looseScale;
    t.m_nLevels = levels;
    const float h = 0.5f * desc.treeSize;
    t.m_volume.minCorner.Set(-h, -h, -h);
    t.m_volume.maxCorner.Set(h, h, h);
    return t;
}

int32_t NodeOfTriangle(const eOctree& tree, const mVec3& a, const mVec3& b, const mVec3& c)
{
    mSphere s;
    s.center = (a + b + c) * (1.0f / 3.0f);
    s.radius = std::max({s.center.Dist(a), s.center.Dist(b), s.center.Dist(c)});
    return tree.GetNodeFromSphere(s);
}

// Adds n to a node's subtree count and its ancestors', saturating.
void CountUp(std::vector<uint16_t>* pNodes, int32_t node, size_t n)
{
    for (int32_t i = node;; i = eOctree::Parent(i)) {
        uint16_t& count = (*pNodes)[2 * static_cast<size_t>(i)];
        count = static_cast<uint16_t>(std::min<size_t>(0xFFFF, count + n));
        if (i == 0)
            break;
    }
}

// Greedy triangle strips: each strip grows while an unused triangle shares
// its last edge with the winding the strip's next triangle needs.
std::vector<std::vector<VertexKey>> Stripify(const std::vector<Tri>& tris)
{
    std::unordered_map<uint64_t, std::vector<uint32_t>> byEdge;  // directed edge -> triangles
    auto edgeKey = [](VertexKey a, VertexKey b) { return a * 0x9E3779B97F4A7C15ull ^ b; };
    for (uint32_t t = 0; t < tris.size(); ++t)
        for (int e = 0; e < 3; ++e)
            byEdge[edgeKey(tris[t].v[e], tris[t].v[(e + 1) % 3])].push_back(t);
    std::vector<bool> used(tris.size(), false);
    std::vector<std::vector<VertexKey>> strips;
    for (uint32_t start = 0; start < tris.size(); ++start) {
        if (used[start])
            continue;
        used[start] = true;
        std::vector<VertexKey> s(tris[start].v, tris[start].v + 3);
        while (s.size() < kMaxStripVertices) {
            // Triangle k of a strip runs (k, k+1, k+2) when k is even and
            // (k+1, k, k+2) when odd, so the needed edge flips each time.
            const bool bOdd = (s.size() - 2) % 2 == 1;
            const VertexKey a = bOdd ? s[s.size() - 1] : s[s.size() - 2];
            const VertexKey b = bOdd ? s[s.size() - 2] : s[s.size() - 1];
            const auto it = byEdge.find(edgeKey(a, b));
            bool bGrown = false;
            for (uint32_t t : it == byEdge.end() ? std::vector<uint32_t>() : it->second) {
                if (used[t])
                    continue;
                for (int e = 0; e < 3 && !bGrown; ++e) {
                    if (tris[t].v[e] == a && tris[t].v[(e + 1) % 3] == b) {
                        s.push_back(tris[t].v[(e + 2) % 3]);
                        used[t] = true;
                        bGrown = true;
                    }
                }
                if (bGrown)
                    break;
            }
            if (!bGrown)
                break;
        }
        strips.push_back(std::move(s));
    }
    return strips;
}

void PutU16(std::vector<uint8_t>* p, uint16_t v)
{
    p->push_back(static_cast<uint8_t>(v >> 8));
    p->push_back(static_cast<uint8_t>(v));
}

void PutVertex(std::vector<uint8_t>* p, VertexKey k, bool bFourSets)
{
    PutU16(p, static_cast<uint16_t>(k >> 40));
    p->push_back(static_cast<uint8_t>(k >> 32));
    PutU16(p, static_cast<uint16_t>(k >> 16));  // coordinate 0: the second set
    for (int i = 0; i < (bFourSets ? 3 : 1); ++i)
        PutU16(p, static_cast<uint16_t>(k));    // coordinates 1-3: the first set
}

// Appends one strip record and its padded list; links it into its node.
void EmitStrip(ZoneData* d, const std::vector<uint8_t>& list, uint32_t nTris, uint8_t material, uint8_t lightmap,
               uint16_t flags, int32_t node, uint16_t* pLast)
{
    const uint16_t index = static_cast<uint16_t>(d->strips.size());
    ZoneData::Strip s{kNone, flags, static_cast<uint16_t>(nTris), static_cast<uint16_t>(d->displayLists.size() / 32),
                      0, material, lightmap};
    d->displayLists.insert(d->displayLists.end(), list.begin(), list.end());
    while (d->displayLists.size() % kListAlign != 0)
        d->displayLists.push_back(0);  // no-op commands
    s.size = static_cast<uint16_t>(d->displayLists.size() - 32u * s.offset);
    d->strips.push_back(s);
    if (*pLast == kNone)
        d->visNodes[2 * static_cast<size_t>(node) + 1] = index;
    else
        d->strips[*pLast].next = index;
    *pLast = index;
}

bool BuildVis(const ZoneDesc& desc, ZoneData* d)
{
    const eOctree tree = MakeTree(desc, desc.visLevels);
    d->visNodes.assign(2 * static_cast<size_t>(eOctree::NodeCount(desc.visLevels)), 0);
    for (size_t i = 1; i < d->visNodes.size(); i += 2)
        d->visNodes[i] = kNone;
    QuantArray positions(3, 8);
    QuantArray coords[2] = {QuantArray(2, 10), QuantArray(2, 10)};
    std::map<std::tuple<int32_t, uint8_t, uint8_t>, std::vector<Tri>> groups;
    for (const ZoneTriangle& t : desc.triangles) {
        if (!t.bDraw)
            continue;
        Tri tri;
        for (int c = 0; c < 3; ++c) {
            const ZoneVertex& v = t.v[c];
            const float uv0[2] = {v.u, v.v};
            const float uv1[2] = {v.lu, v.lv};
            const int32_t p = positions.Add(v.pos.v, &d->positions);
            const int32_t t0 = coords[0].Add(uv0, &d->texCoords[0]);
            const int32_t t1 = coords[1].Add(uv1, &d->texCoords[1]);
            if (p < 0 || t0 < 0 || t1 < 0) {
                cLogError_("datagen: zone \"%s\" has more than 65536 positions or coordinates", desc.name.c_str());
                return false;
            }
            tri.v[c] = MakeKey(static_cast<uint16_t>(p), eNormalTable::GetIndexFromNormal(v.normal),
                               static_cast<uint16_t>(t1), static_cast<uint16_t>(t0));
        }
        const int32_t node = NodeOfTriangle(tree, t.v[0].pos, t.v[1].pos, t.v[2].pos);
        if (node < 0) {
            cLogError_("datagen: a triangle of zone \"%s\" lies outside its trees", desc.name.c_str());
            return false;
        }
        groups[{node, t.material, t.lightmap}].push_back(tri);
    }

    const uint16_t flags = desc.bFourCoordSets ? eZoneVisStrip::kFourCoordSets : 0;
    const uint8_t op = static_cast<uint8_t>(static_cast<int>(GX_TRIANGLESTRIP) | (desc.bFourCoordSets ? 1 : 0));
    std::vector<uint16_t> last(d->visNodes.size() / 2, kNone);
    for (const auto& [key, tris] : groups) {
        const auto [node, material, lightmap] = key;
        std::vector<uint8_t> list;
        uint32_t nTris = 0;
        size_t nStrips = 0;
        for (const std::vector<VertexKey>& s : Stripify(tris)) {
            const size_t bytes = 3 + s.size() * (desc.bFourCoordSets ? 11 : 7);
            if (!list.empty() && (list.size() + bytes > kMaxListBytes || nTris + s.size() - 2 > kMaxTris)) {
                EmitStrip(d, list, nTris, material, lightmap, flags, node, &last[node]);
                ++nStrips;
                list.clear();
                nTris = 0;
            }
            list.push_back(op);
            PutU16(&list, static_cast<uint16_t>(s.size()));
            for (VertexKey k : s)
                PutVertex(&list, k, desc.bFourCoordSets);
            nTris += static_cast<uint32_t>(s.size() - 2);
            ++d->nStripPrimitives;
        }
        EmitStrip(d, list, nTris, material, lightmap, flags, node, &last[node]);
        CountUp(&d->visNodes, node, nStrips + 1);
    }
    if (d->strips.size() > 0xFFFE || d->displayLists.size() / 32 > 0xFFFF) {
        cLogError_("datagen: zone \"%s\" has too many strips or list bytes", desc.name.c_str());
        return false;
    }
    return true;
}

bool BuildCol(const ZoneDesc& desc, ZoneData* d)
{
    const eOctree tree = MakeTree(desc, desc.colLevels);
    d->colNodes.assign(2 * static_cast<size_t>(eOctree::NodeCount(desc.colLevels)), 0);
    for (size_t i = 1; i < d->colNodes.size(); i += 2)
        d->colNodes[i] = kNone;
    std::map<uint64_t, uint16_t> vertIndex;
    std::map<std::pair<int32_t, uint8_t>, std::vector<uint16_t>> groups;
    for (const ZoneTriangle& t : desc.triangles) {
        if (!t.bCollide)
            continue;
        std::vector<uint16_t>& g = groups[{NodeOfTriangle(tree, t.v[0].pos, t.v[1].pos, t.v[2].pos), t.surface}];
        for (const ZoneVertex& v : t.v) {
            int16_t q[3];
            uint64_t key = 0;
            for (int a = 0; a < 3; ++a) {
                q[a] = ps::QuantS16(v.pos[a], eZoneColData::kVertFracBits);
                key = key << 16 | static_cast<uint16_t>(q[a]);
            }
            auto it = vertIndex.find(key);
            if (it == vertIndex.end()) {
                if (vertIndex.size() > 0xFFFF)
                    return false;
                it = vertIndex.emplace(key, static_cast<uint16_t>(vertIndex.size())).first;
                d->colVerts.insert(d->colVerts.end(), q, q + 3);
            }
            g.push_back(it->second);
        }
    }
    std::vector<uint16_t> last(d->colNodes.size() / 2, kNone);
    for (const auto& [key, indices] : groups) {
        const auto [node, surface] = key;
        if (node < 0) {
            cLogError_("datagen: a collision triangle of zone \"%s\" lies outside its trees", desc.name.c_str());
            return false;
        }
        const size_t nTris = indices.size() / 3;
        for (size_t done = 0; done < nTris;) {
            const size_t n = std::min<size_t>(kMaxTris, nTris - done);
            const size_t first = d->colTris.size() / 3;
            if (first > 0xFFFF || d->triLists.size() >= 0xFFFF) {
                cLogError_("datagen: zone \"%s\" has too many collision triangles", desc.name.c_str());
                return false;
            }
            const uint16_t index = static_cast<uint16_t>(d->triLists.size());
            d->triLists.push_back({kNone, static_cast<uint16_t>(first), static_cast<uint16_t>(n), surface});
            d->colTris.insert(d->colTris.end(), indices.begin() + 3 * done, indices.begin() + 3 * (done + n));
            if (last[node] == kNone)
                d->colNodes[2 * static_cast<size_t>(node) + 1] = index;
            else
                d->triLists[last[node]].next = index;
            last[node] = index;
            CountUp(&d->colNodes, node, 1);
            done += n;
        }
    }
    return true;
}

BlockWriter& OctreeBlock(BlockWriter& w, const eOctree& t)
{
    w.Begin(eOctree::kVersion).Float(t.m_fSize).Float(t.m_fLooseScale).Int(t.m_nLevels);
    for (float f : t.m_volume.minCorner.v)
        w.Float(f);
    for (float f : t.m_volume.maxCorner.v)
        w.Float(f);
    return w.End();
}

BlockWriter& LightGridObject(BlockWriter& w, const eLightGrid* pGrid)
{
    if (!pGrid)
        return w.Int(-1);
    w.Word(eLightGrid::GetStaticType()->m_nTypeId).Begin(eLightGrid::kVersion).Begin(kBaseVersion).End();
    w.Int(pGrid->m_nLevels).Float(pGrid->m_fCellSize).Float(pGrid->m_fSize);
    for (int l = 0; l < pGrid->m_nLevels; ++l) {
        const eLightGridLevel& level = pGrid->m_pLevels[l];
        w.Int(level.nSamples).Int(level.nBytes).Float(level.fCellSize).Bytes(level.pBits, level.nBytes);
    }
    return w.End();
}

BlockWriter& PlatformBlock(BlockWriter& w, const ZoneDesc& desc, const ZoneData& d)
{
    w.Begin(eZone::kPlatformVersion).Int(1).Int(static_cast<int32_t>(d.strips.size()));
    for (const ZoneData::Strip& s : d.strips)
        w.Half(s.next).Byte(s.material).Byte(s.lightmap).Half(s.flags).Half(s.tris).Half(s.offset).Half(s.size);
    w.Int(static_cast<int32_t>(d.displayLists.size())).Bytes(d.displayLists.data(), d.displayLists.size());
    w.Int(static_cast<int32_t>(d.positions.size() / 6)).Bytes(d.positions.data(), d.positions.size());
    for (const std::vector<uint8_t>& t : d.texCoords)
        w.Int(static_cast<int32_t>(t.size() / 4)).Bytes(t.data(), t.size());
    w.Int(desc.bLightmap ? 1 : 0);
    if (desc.bLightmap)
        LightmapBlock(w.Int(static_cast<int32_t>(desc.lightmaps.size())), desc.lightmaps);
    w.Int(1).Int(static_cast<int32_t>(d.triLists.size()));
    for (const ZoneData::TriList& l : d.triLists)
        w.Half(l.next).Byte(l.surface).Half(l.first).Half(l.count);
    w.Int(static_cast<int32_t>(d.colTris.size() / 3));
    for (uint16_t i : d.colTris)
        w.Half(i);
    w.Int(static_cast<int32_t>(d.colVerts.size() / 3));
    for (int16_t v : d.colVerts)
        w.Half(static_cast<uint16_t>(v));
    return w.End();
}

}  // namespace

bool BuildZone(const ZoneDesc& desc, ZoneData* pData)
{
    *pData = ZoneData();
    if (desc.version < eZone::kMinVersion || desc.version > eZone::kVersion || desc.materials.size() > 256 ||
        desc.surfaces.size() > 256) {
        cLogError_("datagen: zone \"%s\" of version %u with %zu materials and %zu surfaces cannot be stored",
                   desc.name.c_str(), desc.version, desc.materials.size(), desc.surfaces.size());
        return false;
    }
    for (const ZoneTriangle& t : desc.triangles) {
        if ((t.bDraw && t.material >= desc.materials.size()) || (t.bCollide && t.surface >= desc.surfaces.size()) ||
            (t.bDraw && desc.bLightmap && t.lightmap >= desc.lightmaps.size())) {
            cLogError_("datagen: a triangle of zone \"%s\" names a material, surface or lightmap it lacks",
                       desc.name.c_str());
            return false;
        }
    }
    return BuildVis(desc, pData) && BuildCol(desc, pData);
}

BlockWriter& ZoneBlock(BlockWriter& w, const ZoneDesc& desc, const ZoneData& d)
{
    w.Begin(desc.version);
    w.Begin(kObjectVersion).Begin(kBaseVersion).End().Name(desc.name.c_str()).End();
    for (float f : desc.boxMin.v)
        w.Float(f);
    for (float f : desc.boxMax.v)
        w.Float(f);
    if (desc.version >= 4)
        for (float f : desc.exportOffset.v)
            w.Float(f);
    OctreeBlock(w, MakeTree(desc, desc.visLevels));
    for (size_t i = 0; i < d.visNodes.size(); i += 2) {
        w.Half(d.visNodes[i]).Half(d.visNodes[i + 1]);
        if (desc.version < 5)
            w.Half(0);  // a field older zones stored and nothing reads
    }
    OctreeBlock(w, MakeTree(desc, desc.colLevels));
    for (uint16_t v : d.colNodes)
        w.Half(v);
    if (desc.version >= 5)
        LightGridObject(w, desc.pLightGrid);
    w.Int(static_cast<int32_t>(desc.materials.size()));
    for (uint32_t h : desc.materials)
        w.Word(h);
    w.Int(static_cast<int32_t>(desc.surfaces.size()));
    if (desc.version >= 3)
        for (uint32_t h : desc.surfaces)
            w.Word(h);
    PlatformBlock(w, desc, d);
    return w.End();
}

bool WriteZoneFile(const std::string& path, const ZoneDesc& desc, const ZoneData& data)
{
    BlockWriter w;
    w.Header().Begin(kTopLevelVersion).Word(eZone::GetStaticType()->m_nTypeId);
    ZoneBlock(w, desc, data).End().Trailer();
    return w.Save(path);
}

bool WriteZoneFile(const std::string& path, const ZoneDesc& desc)
{
    ZoneData data;
    return BuildZone(desc, &data) && WriteZoneFile(path, desc, data);
}

void WriteConsoleZonePlatform(const eZone& zone, const cFile& file)
{
    cWriteBlock wb(file, eZone::kPlatformVersion);
    const eZoneVisData* v = zone.m_pVisData;
    wb.WriteInt(v ? 1 : 0);
    if (v) {
        wb.WriteInt(v->nStrips);
        for (int32_t i = 0; i < v->nStrips; ++i) {
            const eZoneVisStrip& s = v->pStrips[i];
            wb.WriteShort(s.nNext);
            wb.WriteChar(s.nMaterial);
            wb.WriteChar(s.nLightmap);
            wb.WriteShort(s.nFlags);
            wb.WriteShort(s.nTris);
            wb.WriteShort(s.nDisplayListOffset);
            wb.WriteShort(s.nDisplayListSize);
        }
        wb.WriteInt(v->nDisplayListBytes);
        wb.WriteChars(v->pDisplayLists, v->nDisplayListBytes);
        wb.WriteInt(v->nPositions);
        wb.WriteChars(v->pPositions, v->nPositions * eZoneVisData::kPosStride);
        for (int k = 0; k < 2; ++k) {
            wb.WriteInt(v->nTexCoords[k]);
            wb.WriteChars(v->pTexCoords[k], v->nTexCoords[k] * eZoneVisData::kTexStride);
        }
        wb.WriteInt(v->pLightmap ? 1 : 0);
        if (v->pLightmap) {
            wb.WriteInt(v->pLightmap->m_nNumTextures);
            v->pLightmap->Write(file);
        }
    }
    const eZoneColData* c = zone.m_pColData;
    wb.WriteInt(c ? 1 : 0);
    if (c) {
        wb.WriteInt(c->nTriLists);
        for (int32_t i = 0; i < c->nTriLists; ++i) {
            const eZoneColTriList& l = c->pTriLists[i];
            wb.WriteShort(l.nNext);
            wb.WriteChar(l.nSurface);
            wb.WriteShort(l.nFirstTri);
            wb.WriteShort(l.nTris);
        }
        wb.WriteInt(c->nTris);
        wb.WriteShorts(c->pTris, 3 * c->nTris);
        wb.WriteInt(c->nVerts);
        wb.WriteShorts(c->pVerts, 3 * c->nVerts);
    }
}

void AddQuad(ZoneDesc* pDesc, const mVec3 (&c)[4], uint8_t material)
{
    const float uv[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    const int tris[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (const auto& t : tris) {
        ZoneTriangle tri;
        tri.material = material;
        for (int k = 0; k < 3; ++k) {
            const int i = t[k];
            tri.v[k].pos = c[i];
            tri.v[k].normal.Set(0, 0, 1);
            tri.v[k].u = tri.v[k].lu = uv[i][0];
            tri.v[k].v = tri.v[k].lv = uv[i][1];
        }
        pDesc->triangles.push_back(tri);
    }
}

}  // namespace datagen
