#include "datagen/sampleWriters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <system_error>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/effectWriters.h"
#include "datagen/entityWriters.h"
#include "datagen/mapWriters.h"
#include "datagen/menuWriters.h"
#include "datagen/materialWriters.h"
#include "datagen/regionWriters.h"
#include "datagen/sampleDevices.h"
#include "datagen/sampleFlying.h"
#include "datagen/sampleCinematic.h"
#include "datagen/sampleLoading.h"
#include "datagen/sampleNpcs.h"
#include "datagen/sampleHud.h"
#include "datagen/samplePlayer.h"
#include "datagen/sampleSave.h"
#include "datagen/sampleSounds.h"
#include "datagen/sampleProps.h"
#include "datagen/soundWriters.h"
#include "datagen/zoneWriter.h"
#include "eEngine/eMaterial.h"
#include "eEngine/eMaterialPass.h"
#include "eEngine/eSoundData.h"
#include "gcGameCore/actions/gcDoEntityPlaySound.h"
#include "eEngine/eTextureConfig.h"
#include "eEngine/eTextureStage.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/entities/gcEffectTemplate.h"
#include "gcGameCore/entities/gcRegionPoint.h"
#include "gcGameCore/entities/gcRegionTrigger.h"
#include "gcGameCore/entities/gcSurface.h"
#include "gcGameCore/actions/gcDoFogSet.h"
#include "gcGameCore/actions/gcDoLighting.h"
#include "gcGameCore/actions/gcDoLoadMap.h"
#include "gcGameCore/actions/gcDoTimerActivate.h"
#include "datagen/scriptWriters.h"
#include "gcGameCore/script/gcString.h"
#include "gcGameCore/script/gcTimer.h"
#include "gcGameCore/flow/gcAct.h"
#include "gcGameCore/flow/gcGame.h"
#include "gcGameCore/flow/gcGamePools.h"
#include "gcGameCore/flow/gcGameState.h"
#include "gcGameCore/flow/gcMap.h"
#include "gcGameCore/flow/gcRegion.h"
#include "gcGameCore/flow/gcGameConfig.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "eEngine/eZone.h"
#include "platform/dvd.h"

namespace datagen {
namespace {

// ---- Textures -------------------------------------------------------------

// Every sample texture: 128 x 128, compressed, with mipmaps, in the map's
// texture group just below the regions' lightmap slots, each with its
// configuration in the same slot of the game configuration.
enum SampleTexture : uint8_t { kFlagstones, kGrass, kBrick, kPlanks, kCloth, kTextureCount };
const char* const kTextureNames[kTextureCount] = {"Flagstones", "Grass", "Brick", "Planks", "Cloth"};
constexpr int kTextureSlot = gcRegion::kLightmapSlotBase - kTextureCount;
constexpr uint32_t kTextureSide = 128;
constexpr float kTileUnits = 4.0f;  // world units one texture repeat covers

// A repeatable hash noise in 0..1 for texel (x, y) and a seed.
float Noise(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return static_cast<float>((h ^ (h >> 16)) & 0xFFFF) / 65535.0f;
}

void PutTexel(RgbaImage* pImage, uint32_t x, uint32_t y, float r, float g, float b)
{
    uint8_t* p = &pImage->rgba[(static_cast<size_t>(y) * pImage->width + x) * 4];
    const float rgb[3] = {r, g, b};
    for (int i = 0; i < 3; ++i)
        p[i] = static_cast<uint8_t>(std::fmin(std::fmax(rgb[i], 0.0f), 1.0f) * 255.0f + 0.5f);
    p[3] = 255;
}

// Texel colour of a sample texture: cells of stone, brick or board with
// mortar or seams between them, each cell shaded a little differently.
void SampleTexel(SampleTexture t, uint32_t x, uint32_t y, float rgb[3])
{
    const float n = Noise(x, y, t) * 0.12f;
    switch (t) {
    case kFlagstones: {
        const uint32_t cx = x / 32, cy = y / 32;
        const bool bSeam = x % 32 < 2 || y % 32 < 2;
        const float shade = 0.45f + Noise(cx, cy, 7) * 0.2f + n;
        rgb[0] = bSeam ? 0.22f : shade;
        rgb[1] = bSeam ? 0.2f : shade * 0.96f;
        rgb[2] = bSeam ? 0.18f : shade * 0.88f;
        return;
    }
    case kGrass:
        rgb[0] = 0.2f + n;
        rgb[1] = 0.38f + Noise(x / 2, y / 2, 3) * 0.18f + n;
        rgb[2] = 0.12f + n * 0.5f;
        return;
    case kBrick: {
        const uint32_t row = y / 16;
        const uint32_t bx = (x + (row % 2) * 16) % 128;
        const bool bMortar = y % 16 < 2 || bx % 32 < 2;
        const float shade = 0.5f + Noise(bx / 32, row, 11) * 0.2f + n;
        rgb[0] = bMortar ? 0.62f : shade;
        rgb[1] = bMortar ? 0.6f : shade * 0.45f;
        rgb[2] = bMortar ? 0.55f : shade * 0.32f;
        return;
    }
    case kCloth: {  // the player's cloak: a deep red weave
        const float weave = ((x / 2 + y / 2) % 2) ? 0.06f : -0.06f;
        rgb[0] = 0.88f + weave + n;
        rgb[1] = 0.26f + weave * 0.5f + n * 0.5f;
        rgb[2] = 0.2f + n * 0.5f;
        return;
    }
    default: {  // planks: boards 16 texels wide with a grain along them
        const bool bSeam = x % 16 < 1;
        const float grain = 0.08f * std::sin(static_cast<float>(y) * 0.35f + Noise(x / 16, 0, 5) * 6.0f);
        const float shade = 0.42f + Noise(x / 16, y / 64, 13) * 0.12f + grain + n * 0.5f;
        rgb[0] = bSeam ? 0.15f : shade;
        rgb[1] = bSeam ? 0.1f : shade * 0.7f;
        rgb[2] = bSeam ? 0.06f : shade * 0.45f;
        return;
    }
    }
}

RgbaImage SampleImage(SampleTexture t)
{
    RgbaImage image;
    image.width = image.height = kTextureSide;
    image.rgba.resize(static_cast<size_t>(kTextureSide) * kTextureSide * 4);
    for (uint32_t y = 0; y < kTextureSide; ++y) {
        for (uint32_t x = 0; x < kTextureSide; ++x) {
            float rgb[3];
            SampleTexel(t, x, y, rgb);
            PutTexel(&image, x, y, rgb[0], rgb[1], rgb[2]);
        }
    }
    return image;
}

// ---- Groups of a hand-laid block ------------------------------------------

uint16_t CheckOf(int slot)
{
    return static_cast<uint16_t>(0x100 + slot);
}

uint32_t HandleOf(int slot)
{
    return static_cast<uint32_t>(slot) | static_cast<uint32_t>(CheckOf(slot)) << 16;
}

// A group block over begin .. begin + count - 1: where present(i), the
// record's check, type id and block from record(w, i); an empty slot
// elsewhere.
template <class Record, class Present>
BlockWriter& SparseGroupBlock(BlockWriter& w, int begin, int count, uint32_t typeId, const Record& record,
                              const Present& present)
{
    w.Begin(2).Begin(1).End().Int(begin).Int(begin + count);
    for (int i = 0; i < count; ++i) {
        if (!present(i)) {
            w.Half(0);
            continue;
        }
        w.Half(CheckOf(begin + i)).Word(typeId);
        record(w, i);
    }
    return w.End();
}

// The same with every slot present.
template <class Record>
BlockWriter& RecordGroupBlock(BlockWriter& w, int begin, int count, uint32_t typeId, const Record& record)
{
    return SparseGroupBlock(w, begin, count, typeId, record, [](int) { return true; });
}

// ---- Materials --------------------------------------------------------------

constexpr int kMaterialSlot = 300;

struct SampleMaterial {
    const char* name;
    SampleTexture texture;
    mVec3 diffuse;
    bool bLightmap;  // lit by the region's lightmap, else by the lights
    bool bModel = false;  // a model's: one pass, the texture times the lit colour
};
// The ground takes its light, shadows included, from the lightmap; what
// stands on it is lit by the map's lights.
const SampleMaterial kMaterials[] = {
    {"Road", kFlagstones, {1.0f, 1.0f, 1.0f}, true},
    {"Verge", kGrass, {1.0f, 1.0f, 1.0f}, true},
    {"Wall", kBrick, {1.0f, 1.0f, 1.0f}, false},
    {"Boards", kPlanks, {1.0f, 1.0f, 1.0f}, false},
    {"Steps", kFlagstones, {0.85f, 0.85f, 0.95f}, false},
    {"Cloak", kCloth, {1.0f, 1.0f, 1.0f}, false, true},  // the player's
    // The other models': the guards, the shed's door and the chest; the
    // lever and the spike plate. A model is drawn in the second sweep only,
    // where a two-sweep material would multiply into what lies behind it.
    {"ModelBoards", kPlanks, {1.0f, 1.0f, 1.0f}, false, true},
    {"ModelBrick", kBrick, {1.0f, 1.0f, 1.0f}, false, true},
};
enum : uint8_t { kRoad, kVerge, kWall, kBoards, kSteps, kCloak, kModelBoards, kModelBrick };
constexpr int kMaterialCount = static_cast<int>(std::size(kMaterials));
// The updraft's motes' material follows the regions' and models'.
constexpr int kMoteMaterialSlot = kMaterialSlot + kMaterialCount;

eTextureStage* AddStage(eMaterialPass* pPass, uint8_t in0, uint8_t in1, uint8_t op, int16_t texture)
{
    eTextureStage* s = pPass->AddTextureStage();
    if (s) {
        s->m_colorIn[0] = in0;
        s->m_colorIn[1] = in1;
        s->m_colorOp = op;
        s->m_alphaIn[0] = in0;
        s->m_alphaIn[1] = in1;
        s->m_alphaOp = eTextureStage::OP_A;
        s->m_nTextureIndex = texture;
    }
    return s;
}

// A model is drawn in one sweep: its texture (the mesh's one coordinate
// set) times the lights plus the ambient (register 1). Its alpha is the
// texture's times the raster's, which carries the model's fade.
eMaterial* SingleSweep(cMemPool* pPool, eMaterial* p, const SampleMaterial& m)
{
    eMaterialPass* pDiffuse = pPool->New<eMaterialPass>(p, &p->m_hTextures[eMaterial::kTexturesPerPass]);
    if (!pDiffuse)
        return nullptr;
    p->m_pPasses[eMaterial::PASS_DIFFUSE] = pDiffuse;
    AddStage(pDiffuse, eTextureStage::IN_RASTER, eTextureStage::IN_REG1, eTextureStage::OP_ADD,
             eTextureStage::kNoTexture);
    eTextureStage* s =
        AddStage(pDiffuse, eTextureStage::IN_TEXTURE, eTextureStage::IN_PREVIOUS, eTextureStage::OP_MUL, 0);
    if (s)
        s->m_alphaOp = eTextureStage::OP_MUL;
    p->m_hTextures[eMaterial::kTexturesPerPass] = eTextureHandle(HandleOf(kTextureSlot + m.texture));
    return p;
}

// Two sweeps: the lighting pass lays the light down, the lightmap's or the
// directional light's plus the ambient (register 1); the diffuse pass
// multiplies the texture into it. The texture takes the zone's first
// coordinate set (source 1); the lightmap the second (source 0).
eMaterial* NewSampleMaterial(cMemPool* pPool, const SampleMaterial& m)
{
    eMaterial* p = pPool->New<eMaterial>();
    if (!p)
        return nullptr;
    p->m_name.Set("%s", m.name);
    p->m_diffuseColor = m.diffuse;
    if (m.bModel)
        return SingleSweep(pPool, p, m);
    eMaterialPass* pLight = pPool->New<eMaterialPass>(p, &p->m_hTextures[0]);
    eMaterialPass* pDiffuse = pPool->New<eMaterialPass>(p, &p->m_hTextures[eMaterial::kTexturesPerPass]);
    if (!pLight || !pDiffuse)
        return nullptr;
    p->m_pPasses[eMaterial::PASS_LIGHTING] = pLight;
    p->m_pPasses[eMaterial::PASS_DIFFUSE] = pDiffuse;
    if (m.bLightmap) {
        AddStage(pLight, eTextureStage::IN_TEXTURE, eTextureStage::IN_PREVIOUS, eTextureStage::OP_A, 0);
        p->m_hTextures[0] = eTextureHandle::Make(eTextureMgr::kLightmapSlot, eTexture::kFixedCheck);
    } else {
        AddStage(pLight, eTextureStage::IN_RASTER, eTextureStage::IN_REG1, eTextureStage::OP_ADD,
                 eTextureStage::kNoTexture);
    }
    eTextureStage* s = AddStage(pDiffuse, eTextureStage::IN_TEXTURE, eTextureStage::IN_PREVIOUS, eTextureStage::OP_A, 0);
    if (s)
        s->m_coordSource = 1;
    p->m_hTextures[eMaterial::kTexturesPerPass] = eTextureHandle(HandleOf(kTextureSlot + m.texture));
    return p;
}

// ---- Region geometry ----------------------------------------------------------

// The regions: cubes of edge 32 in a row along x, each with its ground 3
// below its centre (the camera's height above it while it stands at the
// centre). The visibility tree's cube is the region's extent: streaming
// tells the regions apart by it.
constexpr float kRegionEdge = 32.0f;
constexpr float kHalf = kRegionEdge / 2;
constexpr float kGroundZ = -3.0f;

struct Box {
    mVec3 lo, hi;
    uint8_t material;
};

// Dusk: a cool ambient under a low warm sun from the south-east, so that
// a camera looking north sees the south faces lit and the shadows fall
// sideways.
const mVec3 kAmbient(0.28f, 0.3f, 0.38f);
const mVec3 kDiffuse(0.85f, 0.72f, 0.55f);
constexpr float kLightHeading = 50.0f;
constexpr float kLightPitch = -35.0f;

// Towards the light: the reverse of the way the map's light shines.
mVec3 TowardsLight()
{
    const float h = kLightHeading * 3.14159265f / 180.0f;
    const float p = kLightPitch * 3.14159265f / 180.0f;
    return mVec3(std::cos(p) * std::sin(h), -std::cos(p) * std::cos(h), -std::sin(p));
}

// Adds one quad of a face, wound counter-clockwise seen along -normal, with
// planar coordinates.
void AddQuadFace(ZoneDesc* pZone, const mVec3 (&c)[4], const mVec3& normal, uint8_t material)
{
    const int axisU = std::fabs(normal.x) > 0.5f ? 1 : 0;
    const int axisV = std::fabs(normal.z) > 0.5f ? 1 : 2;
    const int tris[2][3] = {{0, 1, 2}, {0, 2, 3}};
    for (const auto& t : tris) {
        ZoneTriangle tri;
        tri.material = material;
        tri.surface = material == kVerge ? 1 : 0;  // the grass, else the ground
        for (int k = 0; k < 3; ++k) {
            ZoneVertex& v = tri.v[k];
            v.pos = c[t[k]];
            v.normal = normal;
            v.u = v.pos.v[axisU] / kTileUnits;
            v.v = -v.pos.v[axisV] / kTileUnits;
            // The lightmap lies over the region seen from above.
            v.lu = (v.pos.x + kHalf) / kRegionEdge;
            v.lv = (v.pos.y + kHalf) / kRegionEdge;
        }
        const mVec3 e1 = tri.v[1].pos - tri.v[0].pos;
        const mVec3 e2 = tri.v[2].pos - tri.v[0].pos;
        const mVec3 n(e1.y * e2.z - e1.z * e2.y, e1.z * e2.x - e1.x * e2.z, e1.x * e2.y - e1.y * e2.x);
        if (n.x * normal.x + n.y * normal.y + n.z * normal.z < 0.0f)
            std::swap(tri.v[1], tri.v[2]);
        pZone->triangles.push_back(tri);
    }
}

// Adds a rectangular face (corners in order around it) cut into pieces of
// at most kPieceUnits a side: the loose trees file a triangle by its
// bounding sphere, and a long wall's sphere would reach past the root.
constexpr float kPieceUnits = 16.0f;

void AddFace(ZoneDesc* pZone, const mVec3 (&c)[4], const mVec3& normal, uint8_t material)
{
    const mVec3 du = c[1] - c[0];
    const mVec3 dv = c[3] - c[0];
    const int nu = std::max(1, static_cast<int>(std::ceil(std::sqrt(du.x * du.x + du.y * du.y + du.z * du.z) / kPieceUnits)));
    const int nv = std::max(1, static_cast<int>(std::ceil(std::sqrt(dv.x * dv.x + dv.y * dv.y + dv.z * dv.z) / kPieceUnits)));
    const auto at = [&](int i, int j) {
        const float fu = static_cast<float>(i) / static_cast<float>(nu);
        const float fv = static_cast<float>(j) / static_cast<float>(nv);
        return mVec3(c[0].x + du.x * fu + dv.x * fv, c[0].y + du.y * fu + dv.y * fv, c[0].z + du.z * fu + dv.z * fv);
    };
    for (int i = 0; i < nu; ++i) {
        for (int j = 0; j < nv; ++j) {
            const mVec3 q[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            AddQuadFace(pZone, q, normal, material);
        }
    }
}

// A box's top and the sides within the region (a side on the region's
// boundary faces the next region or nothing; the trees would not take it
// either), and the bottom of one held above the ground (an eave, a gate's
// top, a roof's overhang): without it the camera's sweep and a flyer pass
// up into the box from beneath, for a face stops only what comes at its
// front.
void AddBox(ZoneDesc* pZone, const Box& b)
{
    const auto inside = [](float f) { return std::fabs(f) < kHalf; };
    const mVec3& l = b.lo;
    const mVec3& h = b.hi;
    const mVec3 top[4] = {{l.x, l.y, h.z}, {h.x, l.y, h.z}, {h.x, h.y, h.z}, {l.x, h.y, h.z}};
    const mVec3 south[4] = {{l.x, l.y, l.z}, {h.x, l.y, l.z}, {h.x, l.y, h.z}, {l.x, l.y, h.z}};
    const mVec3 north[4] = {{l.x, h.y, l.z}, {h.x, h.y, l.z}, {h.x, h.y, h.z}, {l.x, h.y, h.z}};
    const mVec3 west[4] = {{l.x, l.y, l.z}, {l.x, h.y, l.z}, {l.x, h.y, h.z}, {l.x, l.y, h.z}};
    const mVec3 east[4] = {{h.x, l.y, l.z}, {h.x, h.y, l.z}, {h.x, h.y, h.z}, {h.x, l.y, h.z}};
    AddFace(pZone, top, {0, 0, 1}, b.material);
    if (l.z > kGroundZ) {
        const mVec3 bottom[4] = {{l.x, l.y, l.z}, {l.x, h.y, l.z}, {h.x, h.y, l.z}, {h.x, l.y, l.z}};
        AddFace(pZone, bottom, {0, 0, -1}, b.material);
    }
    if (inside(l.y))
        AddFace(pZone, south, {0, -1, 0}, b.material);
    if (inside(h.y))
        AddFace(pZone, north, {0, 1, 0}, b.material);
    if (inside(l.x))
        AddFace(pZone, west, {-1, 0, 0}, b.material);
    if (inside(h.x))
        AddFace(pZone, east, {1, 0, 0}, b.material);
}

// A flight of steps from the ground at z0 up to z1: n risers of equal
// height, each tread depth deep. Every box stands on z0.
struct Flight {
    int n;
    float z0, z1;
    float depth;
    float Top(int i) const { return z0 + (z1 - z0) * static_cast<float>(i + 1) / static_cast<float>(n); }
};

// The flight climbing north from y0 over x0..x1.
void AddSteps(std::vector<Box>* pBoxes, float x0, float x1, float y0, const Flight& f)
{
    for (int i = 0; i < f.n; ++i) {
        const float y = y0 + f.depth * static_cast<float>(i);
        pBoxes->push_back({{x0, y, f.z0}, {x1, y + f.depth, f.Top(i)}, kSteps});
    }
}

// The flight climbing east to x1 over y0..y1.
void AddStepsEast(std::vector<Box>* pBoxes, float x1, float y0, float y1, const Flight& f)
{
    for (int i = 0; i < f.n; ++i) {
        const float x = x1 - f.depth * static_cast<float>(f.n - i);
        pBoxes->push_back({{x, y0, f.z0}, {x + f.depth, y1, f.Top(i)}, kSteps});
    }
}

// The verges (and the garden, which lies on the north one) lie a tenth
// below the road; the flights rise from them.
constexpr float kVergeZ = kGroundZ - 0.1f;
// A walker holding the stick climbs a riser only as high as this: its
// collider (0.4 m wide, 0.9 m high, an ellipsoid) meets a riser's edge
// within 30 degrees of level above it, and the walk takes such a contact for
// a wall; it then slides up the edge. Going down, each riser is a drop too
// short to fall. A flight runs kFlightRun along the ground.
constexpr float kMostRiser = 0.16f;
constexpr float kFlightRun = 6.0f;

// The fewest equal risers from z0 to z1 a walker climbs, over kFlightRun.
Flight WalkersFlight(float z0, float z1)
{
    const int n = static_cast<int>(std::ceil((z1 - z0) / kMostRiser));
    return {n, z0, z1, kFlightRun / static_cast<float>(n)};
}

// The top of the walls along the map's edges: a running double jump lifts
// the biped's feet 2.5 m, and the highest place a walker stands beside one
// is the terrace, 3 m up.
constexpr float kWallTopZ = kGroundZ + 6.0f;

// The west region's north side: the garden's back wall west of the house,
// the house's front east of it, each from the ground to its top. The
// garden lies in front of the back wall, the terrace in front of the
// house, both kGardenDepth deep from kGardenFrontY: as deep as the camera
// needs behind a player who stands at the back wall, the view over the
// front wall at the follow pitch.
constexpr float kHouseWestX = -5.0f;
constexpr float kGardenBackTopZ = kWallTopZ;
constexpr float kHouseTopZ = kGroundZ + 8.0f;
constexpr float kGardenFrontY = 11.0f;
constexpr float kGardenDepth = 4.0f;
// The gateway in the garden's front wall: from the wall's east end to the
// foot of the steps up to the terrace, clear of the updraft's box.
constexpr float kGardenGateWestX = -10.0f;
constexpr float kTerraceWestX = 1.0f;
constexpr float kTerraceTopZ = kGroundZ + 3.0f;
constexpr float kEdgeGap = 0.01f;  // short of a region's edge: the box's face there is drawn

// The garden's front wall stands a metre: a walker rounding the gateway's
// west end into the garden along a taller one went behind it faster than
// the camera on the verge could swing round the end, and a metre is low
// enough for the camera there to see the walker over it.
constexpr float kGardenFrontTopZ = kGroundZ + 1.0f;
constexpr float kFlyingLowHeight = 0.5f;
constexpr float kPillarHeight = kGardenFrontTopZ - kGroundZ;

// The west region: a garden wall with a gateway, steps up to a house's
// terrace, its front and eaves, and two pillars on the verge. The garden
// is walled on the west, the north and part of the south: a player walks
// in through the gateway from the verge, or down the steps from the
// terrace, which climb east from the garden over its whole depth along the
// house's front, so that no strip is left beside them; the same ways lead
// out. The back wall and the house stand higher than a jump from the
// steps and the terrace. The flying map's house has no eave: the wall
// over it stands from the house's top to the ceiling, and a flyer backed
// in beneath the eave's overhang, 0.5 m under its bottom, left the camera
// no place: beneath it the pivot grazes its bottom, and the flyer coming
// out past its front edge rises beyond it, so that every sweep back to
// the camera met the edge and stood the camera on the flyer. The pillars
// stand kPillarHeight, as high as the garden's front wall: a walker going
// round a taller one's corner close to its faces went behind it, from the
// camera following it, faster than the camera could swing round without
// leaping in front of it; over a metre the camera sees the walker. The
// flying map's pillars and garden front wall stand kFlyingLowHeight, below a flyer's
// middle unless it skims the ground: a flyer passing beside a taller one,
// its middle below the top, left the camera behind it no place to see the
// flyer from but between the two.
void AddWestRegion(std::vector<Box>* pBoxes, bool bFlying)
{
    const float g = kGroundZ;
    const float back = kGardenFrontY + kGardenDepth;
    // The flying map's garden front wall and the pillars.
    const float lowTop = g + (bFlying ? kFlyingLowHeight : kPillarHeight);
    std::vector<Box>& b = *pBoxes;
    b.push_back({{-kHalf, kGardenFrontY - 1.0f, g}, {kGardenGateWestX, kGardenFrontY, bFlying ? lowTop : kGardenFrontTopZ}, kWall});
    b.push_back({{-kHalf, back, g}, {kHouseWestX, kHalf, kGardenBackTopZ}, kWall});
    const Flight flight = WalkersFlight(kVergeZ, kTerraceTopZ);
    AddSteps(pBoxes, kTerraceWestX, kTerraceWestX + kFlightRun, kGardenFrontY - kFlightRun, flight);
    // The terrace and the eave stop a centimetre short of the region's east
    // edge, where a box's face is left out for the neighbour's to go on:
    // nothing goes on there. The terrace's east face closes it over the slit
    // between the middle region's bank and the terrace's front, through
    // which a player walked into it; the eave's, its end, through which the
    // camera's sweep passed into it.
    b.push_back({{kTerraceWestX, kGardenFrontY, g}, {kHalf - kEdgeGap, back, kTerraceTopZ}, kSteps});
    AddStepsEast(pBoxes, kTerraceWestX, kGardenFrontY, back, flight);
    b.push_back({{kHouseWestX, back, g}, {kHalf, kHalf, kHouseTopZ}, kWall});
    if (!bFlying)
        b.push_back({{kHouseWestX - 0.5f, back - 1.5f, g + 8.0f}, {kHalf - kEdgeGap, kHalf, g + 8.5f}, kBoards});
    b.push_back({{2.0f, back - 0.2f, kTerraceTopZ}, {6.0f, back, g + 7.0f}, kBoards});
    b.push_back({{-9.0f, 4.0f, g}, {-8.0f, 5.0f, lowTop}, kWall});
    b.push_back({{11.0f, 4.0f, g}, {12.0f, 5.0f, lowTop}, kWall});
}

// The east region: the west side of the steps and the platform beyond
// them, 4 m from the shed's east side (x = 4).
constexpr float kShedLaneEastX = 8.0f;
constexpr float kPlatformY = 10.0f;  // its front
constexpr float kPlatformTopZ = kGroundZ + 1.6f;

// The road along the row (flagstones), the verges beside it (grass), and
// what stands on the north side of each region (bFlying: the flying map's).
std::vector<Box> RegionBoxes(int id, bool bFlying)
{
    const float g = kGroundZ;
    std::vector<Box> b = {
        {{-kHalf, -3.0f, g - 0.5f}, {kHalf, 3.0f, g}, kRoad},
        {{-kHalf, -kHalf, g - 0.5f}, {kHalf, -3.0f, g - 0.1f}, kVerge},
        {{-kHalf, 3.0f, g - 0.5f}, {kHalf, kHalf, g - 0.1f}, kVerge},
    };
    switch (id) {
    case 0:
        AddWestRegion(&b, bFlying);
        break;
    case 1:
        // A gate over the road; the flying map's has no top: a flyer
        // rising beneath it stood its pivot beside the top's edge, and
        // every sweep from there to a camera beyond the posts met that
        // edge and brought the camera in onto the flyer in one frame.
        b.push_back({{-3.0f, -5.0f, g}, {-1.5f, -3.5f, g + 6.0f}, kWall});
        b.push_back({{-3.0f, 3.5f, g}, {-1.5f, 5.0f, g + 6.0f}, kWall});
        if (!bFlying)
            b.push_back({{-3.0f, -5.0f, g + 6.0f}, {-1.5f, 5.0f, g + 7.0f}, kBoards});
        b.push_back({{-3.5f, -6.0f, g + 5.2f}, {-1.0f, -5.0f, g + 5.5f}, kBoards});  // the lantern's bracket
        // A bank along the north side up to the map's edge, with no strip
        // behind it: a player comes down onto it off the terrace's east end
        // (or up with a double jump) and leaves it over its front or its
        // east end. It stops short of the region's east edge, where nothing
        // goes on from it: its east face closes it to a player coming from
        // the east region.
        b.push_back({{-kHalf, 12.0f, g}, {kHalf - kEdgeGap, kHalf, g + 2.0f}, kWall});
        break;
    default:  // a boarded shed and a flight of steps down to the road
        b.push_back({{-8.0f, 9.0f, g}, {4.0f, 15.0f, g + 5.0f}, kBoards});
        b.push_back({{-8.5f, 8.5f, g + 5.0f}, {4.5f, 15.5f, g + 5.4f}, kSteps});  // its roof
        // The steps and the platform they climb to keep a lane as wide as
        // the camera needs from the shed's east side, the steps as much
        // from the map's east wall.
        AddSteps(&b, kShedLaneEastX, kShedLaneEastX + 3.0f, kPlatformY - kFlightRun, WalkersFlight(kVergeZ, kPlatformTopZ));
        b.push_back({{kShedLaneEastX, kPlatformY, g}, {kHalf, kHalf, kPlatformTopZ}, kSteps});
        break;
    }
    return b;
}

// The regions' lightmaps: 64 x 64 texels over the region seen from above,
// in each zone's one lightmap slot.
constexpr uint32_t kLightmapSide = 64;
constexpr int kGroundBoxes = 3;  // RegionBoxes starts with the road and verges

// Where a ray from p towards the light first enters the box, if it does.
bool RayHitsBox(const mVec3& p, const mVec3& dir, const Box& b)
{
    float tNear = 1e-3f, tFar = 1e9f;
    for (int a = 0; a < 3; ++a) {
        if (std::fabs(dir.v[a]) < 1e-6f) {
            if (p.v[a] < b.lo.v[a] || p.v[a] > b.hi.v[a])
                return false;
            continue;
        }
        float t0 = (b.lo.v[a] - p.v[a]) / dir.v[a];
        float t1 = (b.hi.v[a] - p.v[a]) / dir.v[a];
        if (t0 > t1)
            std::swap(t0, t1);
        tNear = std::max(tNear, t0);
        tFar = std::min(tFar, t1);
    }
    return tNear <= tFar;
}

// The share of the four corners of a texel's quarter cells that see the
// light past everything standing on the ground.
float SunLit(float x, float y, const std::vector<Box>& boxes, const mVec3& toLight)
{
    int lit = 0;
    for (float dx : {-0.125f, 0.125f}) {
        for (float dy : {-0.125f, 0.125f}) {
            const mVec3 p(x + dx, y + dy, kGroundZ + 0.01f);
            bool bShade = false;
            for (size_t i = kGroundBoxes; i < boxes.size() && !bShade; ++i)
                bShade = RayHitsBox(p, toLight, boxes[i]);
            lit += !bShade;
        }
    }
    return static_cast<float>(lit) / 4.0f;
}

// The ground's light: the ambient plus the sun where nothing shades it.
RgbaImage RegionLightmap(const std::vector<Box>& boxes)
{
    const mVec3 toLight = TowardsLight();
    const float sun = std::max(0.0f, toLight.z);
    RgbaImage image;
    image.width = image.height = kLightmapSide;
    image.rgba.resize(static_cast<size_t>(kLightmapSide) * kLightmapSide * 4);
    const float texel = kRegionEdge / static_cast<float>(kLightmapSide);
    for (uint32_t j = 0; j < kLightmapSide; ++j) {
        for (uint32_t i = 0; i < kLightmapSide; ++i) {
            const float x = -kHalf + (static_cast<float>(i) + 0.5f) * texel;
            const float y = -kHalf + (static_cast<float>(j) + 0.5f) * texel;
            const float f = sun * SunLit(x, y, boxes, toLight);
            PutTexel(&image, i, j, kAmbient.x + kDiffuse.x * f, kAmbient.y + kDiffuse.y * f,
                     kAmbient.z + kDiffuse.z * f);
        }
    }
    return image;
}

// What the regions are built of: two surfaces that stop whatever collides
// with them alike (the same mask and friction), the grass of the verges and
// everything else (flagstones, walls, steps), told apart only by the steps
// a walker's feet make on them.
constexpr int kSurfaceSlot = 300;  // the first of the map's surface slots: ground, grass
constexpr int kSurfaceCount = 2;

SurfaceDesc GroundSurface(bool bGrass)
{
    SurfaceDesc s;
    s.name = bGrass ? "Grass" : "Ground";
    s.collisionMask = 0xFFFFFFFF;
    SetSampleStepEffects(s.effects,
                         HandleOf(bGrass ? kSampleGrassStepTemplateSlot : kSampleStoneStepTemplateSlot));
    return s;
}

constexpr const char* kRegionNames[] = {"West", "Middle", "East"};
constexpr int kRegionCount = static_cast<int>(std::size(kRegionNames));

// The maps' bounds: brick walls along the row's outer edges, so that a
// walker meets a wall rather than ground ending at a zone's edge, and a
// flyer (in the flying map, whose walls reach a ceiling a unit below the
// regions' top) is knocked back rather than leaving every zone. A walker's
// walls stand higher than a jump from anything it can stand on beside
// them (kWallTopZ); the west region's north side is closed already by the
// house and the garden's back wall. They stand apart from the boxes the
// lightmap is shaded by: every map is lit alike.
constexpr float kCeilingZ = kHalf - 1.0f;

void AddBounds(ZoneDesc* pZone, int id, bool bFlying)
{
    // From the ground boxes' bottom: the verges lie a little below the
    // road, and a wall standing at the road's height would leave a slit
    // over them, through which the void beyond shows.
    const float g = kGroundZ - 0.5f;
    const float in = kHalf - 1.0f;  // the walls' inner faces
    const float top = bFlying ? kCeilingZ : kWallTopZ;
    std::vector<Box> walls = {{{-kHalf, -kHalf, g}, {kHalf, -in, top}, kWall}};
    if (id != 0) {
        walls.push_back({{-kHalf, in, g}, {kHalf, kHalf, top}, kWall});
    } else if (bFlying) {
        // Over the garden's back wall and the house, not in front of them:
        // a face in the plane of theirs would be drawn by each sweep in
        // turn, in stripes.
        walls.push_back({{-kHalf, in, kGardenBackTopZ}, {kHouseWestX, kHalf, top}, kWall});
        walls.push_back({{kHouseWestX, in, kHouseTopZ}, {kHalf, kHalf, top}, kWall});
    }
    if (id == 0)
        walls.push_back({{-kHalf, -kHalf, g}, {-in, kHalf, top}, kWall});
    if (id == kRegionCount - 1)
        walls.push_back({{in, -kHalf, g}, {kHalf, kHalf, top}, kWall});
    for (const Box& box : walls)
        AddBox(pZone, box);
    if (!bFlying)
        return;
    const mVec3 ceiling[4] = {
        {-kHalf, -kHalf, kCeilingZ}, {kHalf, -kHalf, kCeilingZ}, {kHalf, kHalf, kCeilingZ}, {-kHalf, kHalf, kCeilingZ}};
    AddFace(pZone, ceiling, {0, 0, -1}, kWall);
}

// A region of the row, walled in; bFlying gives it the flying map's walls
// and ceiling. A region's neighbours are the regions drawn around it, so
// they must be every region that can be seen from it. The whole row lies
// within the far clip from either end, walking or flying, and the gates
// and the open sky let the eye down it: every region is a neighbour of
// every other, or the far end of the row would be a hole until the player
// reached the region beside it. With bAdjacentOnly a walking map's region
// has only the regions beside it as neighbours (test data).
RegionDesc SampleRegionDesc(int id, bool bFlying, bool bAdjacentOnly)
{
    RegionDesc d;
    d.name = kRegionNames[id];
    int k = 0;
    for (int n = 0; n < kRegionCount; ++n) {
        if (n == id || (bAdjacentOnly && !bFlying && std::abs(n - id) != 1))
            continue;
        d.neighbors[k] = n;
        d.offsets[k].Set(kRegionEdge * static_cast<float>(n - id), 0.0f, 0.0f);
        ++k;
    }
    d.zone.name = d.name;
    d.zone.boxMin.Set(-kHalf, -kHalf, -kHalf);
    d.zone.boxMax.Set(kHalf, kHalf, kHalf);
    d.zone.treeSize = kRegionEdge;
    for (int m = 0; m < kMaterialCount; ++m)
        d.zone.materials.push_back(HandleOf(kMaterialSlot + m));
    d.zone.surfaces = {HandleOf(kSurfaceSlot), HandleOf(kSurfaceSlot + 1)};
    const std::vector<Box> boxes = RegionBoxes(id, bFlying);
    for (const Box& box : boxes)
        AddBox(&d.zone, box);
    AddBounds(&d.zone, id, bFlying);
    TextureFileDesc lightmap;
    if (MakeTextureDesc(d.name + "Light", eTexture::WRAP_CLAMP, eTextureConfig::FORMAT_RGB5A3, false,
                        RegionLightmap(boxes), nullptr, &lightmap)) {
        d.zone.bLightmap = true;
        d.zone.lightmaps = {lightmap};
    }
    return d;
}

// ---- The map ------------------------------------------------------------------

cName Name(const char* text)
{
    cName name;
    name.Set("%s", text);
    return name;
}

constexpr int kEffectTemplateSlot = 100;
constexpr int kEffectSlot = 5;
constexpr int kRegionPointSlot = 5;
constexpr int kTriggerSlot = 5;  // the shed's; the exit is the next
constexpr int kTimerSlot = 50;

// A lantern by the middle region's gate: a warm light that flickers.
EffectTemplateDesc LanternTemplate()
{
    EffectTemplateDesc t;
    t.name = "Lantern";
    t.light = EffectLightDesc{0, 0xFFFFB060, 10.0f, 0.15f, 0.75f};
    t.lifeTicks = 0;
    return t;
}

EffectDesc LanternEffect()
{
    EffectDesc e;
    e.name = "GateLantern";
    e.active = true;
    e.hTemplate = HandleOf(kEffectTemplateSlot);
    e.regionId = 1;
    const FrameFloats f = FrameAt(-2.25f, -5.5f, kGroundZ + 5.0f);
    std::copy(f.begin(), f.end(), e.placement);
    return e;
}

// A view of the west end of the road, eye high, looking east along it.
// Nothing places the camera there: the map's start has it follow the
// player.
RegionPointDesc CameraPoint()
{
    RegionPointDesc p;
    p.name = "RoadView";
    p.regionId = 0;
    p.frame = {-12.0f, -9.0f, 0.0f, 0, -1, 0, 1, 0, 0, 0, 0, 1};
    return p;
}

// The east region's shed: a box trigger the player sets off by entering.
RegionTriggerDesc ShedTrigger()
{
    return BoxTrigger("ShedDoor", 2, 4.0f, 3.0f, 4.0f, FrameAt(-2.0f, 7.5f, kGroundZ + 2.0f));
}

// An action as a member of an event block being laid in w: its type id,
// then the block the engine writes. False (logged) when that fails.
bool ActionMember(BlockWriter& w, const gcAction& action, const std::string& scratch)
{
    w.Int(static_cast<int32_t>(action.GetType()->m_nTypeId));
    return LayEngineObject(w, action, scratch);
}

// The east end of the road: walking into it leaves for the act's next map
// and records that map as the current profile's position (the save flag).
RegionTriggerDesc ExitTrigger(const std::string& scratch, bool* pOk)
{
    // Across the road.
    RegionTriggerDesc t = BoxTrigger("EastGate", 2, 4.0f, 8.0f, 4.0f, FrameAt(kHalf - 2.5f, 0.0f, kGroundZ + 2.0f));
    t.actions = [scratch, pOk](BlockWriter& w, int index) {
        if (index == 0)
            *pOk = ActionMember(w, gcDoLoadMap(0, 0, 1, false, true, false), scratch) && *pOk;
    };
    return t;
}

// Night falls some seconds into the map: the fog closes in, blue-grey, and
// the light turns cold and dim.
gcTimer* NightfallTimer(cMemPool* pPool)
{
    gcTimer* p = NewTimer(pPool, "Nightfall", 4 * 600, 0);
    if (!p)
        return nullptr;
    AppendAction(p->onCompleted, pPool->New<gcDoFogSet>(false, 12.0f, 60.0f, 0xFF3A4250u, cTimeValue(2 * 600)));
    AppendAction(p->onCompleted, pPool->New<gcDoLighting>(mVec3(0.35f, 0.38f, 0.5f), mVec3(0.16f, 0.18f, 0.26f), false));
    return p;
}

TextureFileDesc SampleTextureDesc(SampleTexture t)
{
    TextureFileDesc d;
    MakeTextureDesc(kTextureNames[t], 0, eTextureConfig::FORMAT_CMPR, true, SampleImage(t), nullptr, &d);
    return d;
}

// Writes the map's groups the sample fills; false leaves one empty.
class SampleMapGroups {
public:
    // Only the act's first map has the exit, the nightfall, the greeting,
    // the props, the guards (unless !bGuards) and the updraft; bLast marks
    // the others (the second map, and the third where the player flies).
    SampleMapGroups(std::string scratch, bool bLast, bool bGuards)
        : m_scratch(std::move(scratch)), m_bLast(bLast), m_bGuards(bGuards)
    {
    }

    bool operator()(BlockWriter& w, int index)
    {
        switch (index) {
        case kMapTextures:
            RecordGroupBlock(w, kTextureSlot, kTextureCount, eTexture::GetStaticType()->m_nTypeId,
                             [](BlockWriter& b, int i) { TextureBlock(b, SampleTextureDesc(SampleTexture(i))); });
            return true;
        case kMapMaterials:
            return Materials(w);
        case kMapSurfaces:
            RecordGroupBlock(w, kSurfaceSlot, kSurfaceCount, gcSurface::GetStaticType()->m_nTypeId,
                             [](BlockWriter& b, int i) { SurfaceBlock(b, GroundSurface(i == 1), gcSurface::kVersion); });
            return true;
        case kMapEffectTemplates:
            RecordGroupBlock(w, kEffectTemplateSlot, kSampleGrassStepTemplateSlot - kEffectTemplateSlot + 1,
                             gcEffectTemplate::GetStaticType()->m_nTypeId, [](BlockWriter& b, int i) {
                                 const int slot = kEffectTemplateSlot + i;
                                 EffectTemplateBlock(b,
                                                     slot == kSampleStoneStepTemplateSlot   ? SampleStepTemplate(false)
                                                     : slot == kSampleGrassStepTemplateSlot ? SampleStepTemplate(true)
                                                     : slot == kSparkTemplateSlot ? SparkTemplate()
                                                     : slot == kSampleUpdraftTemplateSlot
                                                         ? UpdraftTemplate(HandleOf(kMoteMaterialSlot))
                                                         : LanternTemplate(),
                                                     gcEffectTemplate::kVersion);
                             });
            return true;
        case kMapEffects:
            // The updraft's motes stand in the first map only, with it.
            RecordGroupBlock(w, kEffectSlot, m_bLast ? 1 : 2, gcEffect::GetStaticType()->m_nTypeId,
                             [](BlockWriter& b, int i) {
                                 EffectBlock(b, i == 0 ? LanternEffect()
                                                       : UpdraftEffect(HandleOf(kSampleUpdraftTemplateSlot)),
                                             gcEffect::kVersion);
                             });
            return true;
        case kMapCinematics:
            if (m_bLast)
                return false;
            m_bOk = LaySampleCinematics(w, m_scratch) && m_bOk;
            return true;
        case kMapRegionPoints: {
            const std::vector<RegionPointDesc> player = SamplePlayerPoints();
            RecordGroupBlock(w, kRegionPointSlot, 1 + static_cast<int>(player.size()),
                             gcRegionPoint::GetStaticType()->m_nTypeId, [&](BlockWriter& b, int i) {
                                 RegionPointBlock(b, i == 0 ? CameraPoint() : player[i - 1]);
                             });
            return true;
        }
        case kMapRegionTriggers:
            return Triggers(w);
        case kMapTimers:
            if (m_bLast)
                return false;
            return Timers(w);
        case kMapItemTemplates:
            LayItemTemplates(w, CheckOf);
            return true;
        default: {
            // Groups the shed's devices share with the first map's props
            // and guards.
            const ShedDeviceSlots shed = ShedSlots();
            std::vector<SlotRecord> records = ShedDeviceRecords(index, shed, &m_bOk);
            const auto add = [&records](std::vector<SlotRecord> more) {
                records.insert(records.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
            };
            if (!m_bLast)
                add(PropRecords(index, shed, kGroundZ, &m_bOk));
            if (!m_bLast && m_bGuards)
                add(SampleGuardRecords(index, HandleOf(kMaterialSlot + kModelBoards), m_scratch, &m_bOk));
            return LaySharedGroup(w, std::move(records));
        }
        }
    }

    bool Ok() const { return m_bOk; }

private:
    // The east region's shed door and the lever that opens it.
    ShedDeviceSlots ShedSlots() const
    {
        ShedDeviceSlots s;
        s.mesh = s.animation = 60;
        s.deviceTemplate = s.device = 40;
        s.hDoorMaterial = HandleOf(kMaterialSlot + kModelBoards);
        s.hLeverMaterial = HandleOf(kMaterialSlot + kModelBrick);
        s.regionId = 2;
        s.handleOf = HandleOf;
        s.actionMember = [scratch = m_scratch](BlockWriter& w, const gcAction& a) { return ActionMember(w, a, scratch); };
        s.pullActions = [s](BlockWriter& w) { return LeverSparkAction(w, s); };
        return s;
    }

    // Materials go through the engine's Write: their passes and stages are
    // laid out by it.
    bool Materials(BlockWriter& w)
    {
        cMemPool pool("datagen SampleMaterials", 0x10000, false);
        RecordGroupBlock(w, kMaterialSlot, kMoteMaterialSlot - kMaterialSlot + 1, eMaterial::GetStaticType()->m_nTypeId,
                         [&](BlockWriter& b, int i) {
                             const eMaterial* p = i < kMaterialCount ? NewSampleMaterial(&pool, kMaterials[i])
                                                                     : NewSampleMoteMaterial(&pool);
                             m_bOk = m_bOk && p && LayEngineObject(b, *p, m_scratch);
                         });
        return true;
    }

    // The shed's, the exit (not in the last map), the shed's view, and in
    // the first map the greeting, the chest's and the trap's; the slots
    // between are empty.
    bool Triggers(BlockWriter& w)
    {
        const ActionMemberFunc member = [this](BlockWriter& b, const gcAction& a) {
            return ActionMember(b, a, m_scratch);
        };
        const int end = m_bLast ? kSampleShedViewTriggerSlot + 1 : kSampleUpdraftTriggerSlot + 1;
        SparseGroupBlock(
            w, kTriggerSlot, end - kTriggerSlot, gcRegionTrigger::GetStaticType()->m_nTypeId,
            [&](BlockWriter& b, int i) {
                const int slot = kTriggerSlot + i;
                RegionTriggerBlock(b, slot == kTriggerSlot                 ? ShedTrigger()
                                      : slot == kSampleShedViewTriggerSlot ? ShedViewTrigger(member, &m_bOk)
                                      : slot == kGreetingTriggerSlot       ? GreetingTrigger(kGroundZ, m_scratch, &m_bOk)
                                      : slot == kChestTriggerSlot          ? ChestTrigger(kGroundZ, ShedSlots(), &m_bOk)
                                      : slot == kTrapTriggerSlot           ? TrapTrigger(kGroundZ, ShedSlots(), &m_bOk)
                                      : slot == kSampleUpdraftTriggerSlot  ? UpdraftTrigger(member, &m_bOk)
                                                                           : ExitTrigger(m_scratch, &m_bOk),
                                   gcRegionTrigger::kVersion);
            },
            [this](int i) {
                const int slot = kTriggerSlot + i;
                return slot == kTriggerSlot || slot == kSampleShedViewTriggerSlot ||
                       (!m_bLast && (slot == kTriggerSlot + 1 || slot == kGreetingTriggerSlot ||
                                     slot == kChestTriggerSlot || slot == kTrapTriggerSlot ||
                                     slot == kSampleUpdraftTriggerSlot));
            });
        return true;
    }

    bool Timers(BlockWriter& w)
    {
        cMemPool pool("datagen SampleTimers", 0x4000, false);
        gcTimer* pTimer = NightfallTimer(&pool);
        RecordGroupBlock(w, kTimerSlot, 1, gcTimer::GetStaticType()->m_nTypeId, [&](BlockWriter& b, int) {
            m_bOk = m_bOk && pTimer && LayEngineObject(b, *pTimer, m_scratch);
        });
        if (pTimer)
            std::destroy_at(pTimer);  // its actions' memory goes with the pool
        return true;
    }

    std::string m_scratch;
    bool m_bLast;
    bool m_bGuards;  // the first map has its guards (test data can leave them out)
    bool m_bOk = true;
};

MapDesc SampleMapDesc(const char* name, int nTrack)
{
    MapDesc map;
    map.name = name;
    map.regionNames.assign(std::begin(kRegionNames), std::end(kRegionNames));
    map.initialRegion = 0;
    map.playerConfig = 0;
    map.ambient = kAmbient;
    map.diffuse = kDiffuse;
    map.lightHeading = kLightHeading;
    map.lightPitch = kLightPitch;
    map.tracks = {nTrack};  // Music/Music%02d.mus
    map.farClip = 3 * kRegionEdge;
    map.shadowClip = 2 * kRegionEdge;
    return map;
}

// The act's maps share the regions' look. The first starts the nightfall
// timer when it starts.
// What filling a created object from a hand-laid block needs: the disc
// rooted at the sample's directory (the block is read from a scratch file
// there, as the game reads), the texture cache of the game configuration
// written before, and the console platform writers of meshes, animations
// and zones, so that what was read is written again. All put back as they
// were when it goes.
class SampleImport {
public:
    explicit SampleImport(const std::string& dir)
        : m_dir(dir), m_oldDataDir(DVDGetDataDirectory()), m_oldDataPath(gcGameConfig::s_dataPath)
    {
        DVDSetDataDirectory(dir.c_str());
        gcGameConfig::s_dataPath.Set("%s", "");
        m_bOk = gcGameConfig::Load();
        std::swap(m_oldMesh, eMesh::s_platformWrite[cFile::kPlatformConsole]);
        std::swap(m_oldAnimation, eAnimation::s_platformWrite[cFile::kPlatformConsole]);
        std::swap(m_oldZone, eZone::s_platformWrite[cFile::kPlatformConsole]);
    }
    ~SampleImport()
    {
        std::swap(m_oldMesh, eMesh::s_platformWrite[cFile::kPlatformConsole]);
        std::swap(m_oldAnimation, eAnimation::s_platformWrite[cFile::kPlatformConsole]);
        std::swap(m_oldZone, eZone::s_platformWrite[cFile::kPlatformConsole]);
        gcGameConfig::Unload();
        gcGameConfig::s_dataPath = m_oldDataPath;
        DVDSetDataDirectory(m_oldDataDir.c_str());
        std::error_code ec;
        std::filesystem::remove(m_dir + kScratch, ec);
    }
    SampleImport(const SampleImport&) = delete;
    SampleImport& operator=(const SampleImport&) = delete;

    bool Ok() const { return m_bOk; }
    // Lays a block with lay into the scratch file and reads it with read;
    // false when either fails.
    bool Read(const std::function<void(BlockWriter&)>& lay, const std::function<bool(const cFile&)>& read) const
    {
        BlockWriter w;
        lay(w.Header());
        cFile file;
        if (!w.Trailer().Save(m_dir + kScratch) || !file.Open(kScratch))
            return false;
        const bool ok = read(file) && !file.Failed();
        file.Close();
        return ok;
    }

private:
    static constexpr const char* kScratch = "/Game/Import.part";
    std::string m_dir;
    std::string m_oldDataDir;
    cStr m_oldDataPath;
    bool m_bOk = false;
    eMesh::PlatformWriteFunc m_oldMesh = &WriteConsoleMeshPlatform;
    eAnimation::PlatformWriteFunc m_oldAnimation = &WriteConsoleAnimationPlatform;
    eZone::PlatformWriteFunc m_oldZone = &WriteConsoleZonePlatform;
};

// The map's group of a hand-laid map block's group index.
cGroup* MapGroup(gcMap& map, int index)
{
    cGroup* const groups[] = {
        &map.m_textures,        &map.m_materials,    &map.m_surfaces,      &map.m_meshes,
        &map.m_animations,      &map.m_keyValues,    &map.m_functions,     &map.m_effectTemplates,
        &map.m_effects,         &map.m_boundaries,   &map.m_entityTemplates, &map.m_entities,
        &map.m_regionPaths,     &map.m_regionPoints, map.m_pRegionTriggers, &map.m_UIDialogs,
        &map.m_timers,          map.m_pCinematics,   &map.m_sprites,       &map.m_stateMachines,
        map.m_pItemTemplates,
    };
    static_assert(std::size(groups) == kMapItemTemplates + 1, "a group per index");
    return groups[index];
}

// The sample's map, made by the act's creator, filled as an editing tool
// fills it: its fields, its start event's actions copied into the map's
// pool, and each group the sample fills read from the group's hand-laid
// block; then written by the engine. The act's maps share the regions' look;
// the first starts the nightfall timer when it starts.
bool WriteSampleMap(const SampleImport& import, gcMap& map, const std::string& path, bool bLast, bool bGuards,
                    int nPlayerConfig, int nTrack)
{
    const std::string scratch = path + ".part";
    SampleMapGroups groups(scratch, bLast, bGuards);
    MapDesc desc = SampleMapDesc(map.m_name.m_sData, nTrack);
    desc.playerConfig = nPlayerConfig;
    FillMap(map, desc);
    cMemPool* pPool = cMemPool::GetPoolFromPtr(&map);
    bool ok = true;
    // The groups first, then the events, in the order of the map's block:
    // the map pool is laid out as when the game reads the file. (The vertex
    // arrays' ranges that reading announces to the graphics layer outlive
    // the pool's reset; the game's own read then announces the same ones.)
    for (int index = 0; ok && index <= kMapItemTemplates; ++index) {
        BlockWriter probe;
        if (!groups(probe, index))
            continue;  // left empty
        cGroup* pGroup = MapGroup(map, index);
        ok = pGroup && import.Read([&](BlockWriter& w) { groups(w, index); },
                                   [&](const cFile& file) { return gcGameConfig::ReadGroup(*pGroup, file, pPool); });
    }
    const ActionMemberFunc copy = [&](BlockWriter&, const gcAction& action) {
        cBase* p = action.Copy(pPool);
        AppendAction(map.m_onMapStarted, static_cast<gcAction*>(p));
        return p != nullptr;
    };
    BlockWriter unused;
    gcDesiredTimer timer;
    timer.hSpecificTimer = gcTimerHandle(HandleOf(kTimerSlot));
    if (ok && !bLast)
        ok = copy(unused, gcDoTimerActivate(true, timer));
    ok = ok && SamplePlayerStartActions(unused, copy, map.m_name.m_sData);
    // The sky map begins with the flyer lifted by the updraft: its rush.
    if (ok && bLast) {
        gcDesiredValue one;
        one.fConst = 1.0f;
        ok = copy(unused, gcDoEntityPlaySound(gcDesiredEntity::Selecting(gcDesiredEntity::PLAYER), one,
                                              eSoundDataHandle(SampleSoundHandle(kSoundUpdraft)), gcVoiceOverHandle()));
    }
    std::error_code ec;
    std::filesystem::remove(scratch, ec);
    return ok && groups.Ok() && WriteBodyFile(path, map);
}

// The sample's region id, made by the map's creator in slot 0 and filled:
// its name, neighbours and offsets, and its zone read from the zone's
// hand-laid block (its lightmap in the texture slot of region slot 0), with
// the flying map's bounds when bFlying; then written by the engine.
bool WriteSampleRegion(const SampleImport& import, gcMap& map, int id, bool bFlying, bool bAdjacentOnly,
                       const std::string& path)
{
    const RegionDesc desc = SampleRegionDesc(id, bFlying, bAdjacentOnly);
    map.CreateRegion(id, Name(desc.name.c_str()));
    gcRegion* pRegion = gcRegion::s_pRegions[0];
    ZoneData zone;
    if (!pRegion || !BuildZone(desc.zone, &zone))
        return false;
    pRegion->m_name.Set("%s", desc.name.c_str());
    std::copy(std::begin(desc.neighbors), std::end(desc.neighbors), pRegion->m_nNeighbors);
    std::copy(std::begin(desc.offsets), std::end(desc.offsets), pRegion->m_neighborOffsets);
    cMemPool* pPool = cMemPool::GetPoolFromPtr(pRegion);
    pRegion->m_pZone = pPool->New<eZone>();
    if (!pRegion->m_pZone)
        return false;
    pRegion->m_pZone->m_nLightmapStartIndex = gcRegion::kLightmapSlotBase + pRegion->m_nRegionIndex;
    pRegion->m_pZone->m_nLightmapTextures = 1;
    return import.Read([&](BlockWriter& w) { ZoneBlock(w, desc.zone, zone); },
                       [&](const cFile& file) { return pRegion->m_pZone->Read(file, pPool); }) &&
           WriteBodyFile(path, *pRegion);
}

// A group made by a creator, written with nothing in it.
bool WriteEmptyGroup(const std::string& path, cGroup& group)
{
    EmptyRanges(group);
    return WriteBodyFile(path, group);
}

bool WriteEmptySideFile(const std::string& path, int32_t begin)
{
    BlockWriter w;
    return EmptyGroupBlock(w.Header(), begin).Trailer().Save(path);
}

// One map's side files, the groups its creators made (sound data, English
// strings and voice-overs: the first map's greeting, empty for the
// others), and its regions. Every map's sound data holds the shed's and
// the chest's sounds: the shed's door and lever stand in every map, the
// flying one's too, and their sound keys name them.
bool WriteSampleMapSideFiles(const SampleImport& import, const std::string& act, int nMap, gcMap& map,
                             bool bAdjacentOnly)
{
    char dir[16];
    std::snprintf(dir, sizeof dir, "Map%02d/", nMap + 1);
    const std::string prefix = act + dir + std::string(dir).substr(0, 5);
    bool ok = map.m_pSoundData && map.m_pStrings && map.m_pVoiceOvers &&
              WriteSampleSoundBank(prefix + "Sound.snd", SampleSoundBank::kMap) &&
              (nMap == 0 ? WriteSampleGreetingLine(map, prefix + "_eng.vo", prefix + "Strings_eng.str")
                         : WriteEmptyGroup(prefix + "Strings_eng.str", *map.m_pStrings) &&
                               WriteEmptyGroup(prefix + "_eng.vo", *map.m_pVoiceOvers));
    for (int id = 0; ok && id < kRegionCount; ++id) {
        char name[32];
        std::snprintf(name, sizeof name, "Region%02d.rgn", id + 1);
        ok = WriteSampleRegion(import, map, id, nMap == kSampleSkyMap, bAdjacentOnly, act + dir + name);
    }
    return ok;
}

// The act's three maps as an editing tool makes them: each through the act's
// creator (which also names it in the act), then its file and side files.
bool WriteSampleActMaps(const SampleImport& import, gcAct& act, const std::string& actDir, bool bGuards,
                        bool bAdjacentOnly)
{
    // Each map plays its own track, so that a change of map is heard.
    const struct {
        const char* name;
        bool bLast;
        int nPlayerConfig;
        int nTrack;
    } kMaps[] = {
        {"Ashgrove Road", false, 0, 1},
        {"Ashgrove Fields", true, 0, 2},
        {"Ashgrove Skies", true, kSampleFlyingConfigId, 3},
    };
    for (int m = 0; m < static_cast<int>(std::size(kMaps)); ++m) {
        act.CreateMap(m, Name(kMaps[m].name));
        char path[32];
        std::snprintf(path, sizeof path, "Map%02d/Map%02d.map", m + 1, m + 1);
        gcMap* pMap = gcMap::s_pMap;
        if (!pMap || !WriteSampleMap(import, *pMap, actDir + path, kMaps[m].bLast, bGuards, kMaps[m].nPlayerConfig,
                                    kMaps[m].nTrack) ||
            !WriteSampleMapSideFiles(import, actDir, m, *pMap, bAdjacentOnly))
            return false;
    }
    return true;
}

}  // namespace

bool WriteSampleMapFiles(const std::string& dir, bool bGuards, bool bAdjacentOnly)
{
    const std::string act = dir + "/Game/Act01/";
    std::error_code ec;
    std::filesystem::create_directories(act + "Map01", ec);
    std::filesystem::create_directories(act + "Map02", ec);
    std::filesystem::create_directories(act + "Map03", ec);
    std::filesystem::create_directories(dir + "/Game/LoadingScreens", ec);
    if (ec)
        return false;
    bool ok = false;
    {
        const SampleImport import(dir);
        gcGame::CreateAct(0, Name("Ashgrove"));
        ok = import.Ok() && gcAct::s_pAct && WriteSampleActMaps(import, *gcAct::s_pAct, act, bGuards, bAdjacentOnly) &&
             WriteBodyFile(act + "Act01.act", *gcAct::s_pAct);
        gcGamePools::Delete(gcAct::s_pAct);  // its last map and regions with it, before the texture cache
        gcGame::Unload();                    // the pools emptied
    }
    return ok && WriteSampleLoadingScreen(dir + "/Game/LoadingScreens/LoadingScreen01.ls") &&
           WriteSampleBipedPlayer(dir, HandleOf(kMaterialSlot + kCloak)) &&
           WriteSampleFlyingPlayer(dir, HandleOf(kMaterialSlot + kCloak));
}

bool WriteSampleInput(const std::string& dir)
{
    std::ofstream out(dir + "/input.txt");
    // The main menu: the start-up notice (45 frames), a moment on the menu,
    // then a tap of A on the focused "NewGame"; the map loads at once.
    out << "# The sample's scripted input: port 0 at rest in the main menu, a tap of A\n"
           "# on \"NewGame\" at frame "
        << kSampleNewGameFrame << "; then, in the map, everything " << kSampleMapInputShift
        << " frames later than\n"
           "# the map's own times below.\n"
        << "0    0  -\n"
        << kSampleNewGameFrame << "  0  A\n"
        << kSampleNewGameFrame + 6 << "  0  -\n";
    // The map's lines, their frames moved by kSampleMapInputShift.
    std::istringstream map(SamplePlayerInputText());
    for (std::string line; std::getline(map, line);) {
        std::istringstream words(line);
        long frame = 0;
        if (line.empty() || line[0] == '#' || !(words >> frame)) {
            out << line << "\n";
            continue;
        }
        std::string rest;
        std::getline(words, rest);
        out << frame + kSampleMapInputShift << rest << "\n";
    }
    return static_cast<bool>(out);
}

bool WriteSampleFlowFiles(const std::string& dir, bool bGreetingAtMapStart)
{
    const std::string game = dir + "/Game/";
    // The texture cache: one compressed 128 x 128 slot with mipmaps per map
    // texture, in the slots the map's textures take, then one lightmap slot
    // per resident region.
    std::vector<TextureConfigRecord> cache(
        kTextureCount, TextureConfigRecord{eTextureConfig::FORMAT_CMPR, kTextureSide, kTextureSide, true, false, 0xFFFF});
    cache.resize(cache.size() + gcRegion::kMaxResident, TextureConfigRecord{eTextureConfig::FORMAT_RGB5A3, kLightmapSide,
                                                                          kLightmapSide, false, false, 0xFFFF});
    GameFileDesc desc;
    desc.name = "Quillmere";
    desc.actNames = {"Ashgrove"};
    desc.playerConfigNames = {"Wanderer", "Skylark"};
    desc.loadingScreenNames = {"Dusk"};
    desc.musicNames = {"Overture", "Ashgrove Road", "Ashgrove Fields", "Ashgrove Skies"};
    desc.gameTracks[0] = 0;  // played game-wide: Music/Music00.mus
    // The player's camera stops at what the regions are built of (their
    // one surface takes every bit), so it stays inside the walls and under
    // the flying map's ceiling.
    desc.cameraCollisionMask = kSampleCameraCollisionMask;
    std::error_code ec;
    std::filesystem::create_directories(game + "Music", ec);
    // The console's English platform strings: empty for now.
    const std::vector<double> fields(std::begin(kSampleFieldsTuneHz), std::end(kSampleFieldsTuneHz));
    const std::vector<double> skies(std::begin(kSampleSkiesTuneHz), std::end(kSampleSkiesTuneHz));
    const std::vector<double> menu(std::begin(kSampleMenuTuneHz), std::end(kSampleMenuTuneHz));
    const std::vector<double> road(std::begin(kSampleRoadTuneHz), std::end(kSampleRoadTuneHz));
    if (ec || !WriteTuneMusicFile(game + "Music/Music00.mus", menu, kSampleTuneNoteSamples) ||
        !WriteTuneMusicFile(game + "Music/Music01.mus", road, kSampleTuneNoteSamples) ||
        !WriteTuneMusicFile(game + "Music/Music02.mus", fields, kSampleTuneNoteSamples) ||
        !WriteTuneMusicFile(game + "Music/Music03.mus", skies, kSampleTuneNoteSamples) ||
        !WriteEmptySideFile(game + "PlatformStrings_gc_eng.str", 850) ||
        !WriteSampleSubtitleConfig(game + "GameConfig.gc", kTextureSlot, cache) ||
        !WritePlatformConfigFile(game + "PlatformConfig_gc.plc", "PlatformConfig"))
        return false;
    // The game, its sound data (the guards' and the key's) and the game state, made by
    // the game's creators as an editing tool makes them and written by the
    // engine; its English strings (the menus' texts and the death message).
    gcGame::Create();
    gcGame* pGame = gcGame::Get();
    cMemPool pool("datagen Game", 0x20000, false);
    bool ok = pGame && pGame->m_pSoundData && pGame->m_pStrings &&
              WithSamplePlayerControl(&pool, [&](const GameFill& control) {
                  return WithSamplePauseDialog([&](const GameFill& pause) {
                      return WithSampleHud([&](const GameFill& hud) {
                          return WriteSampleGameWithSubtitles(game + "Game.gam", *pGame, desc, bGreetingAtMapStart,
                                                              [&](gcGame& g) {
                                                                  control(g);
                                                                  pause(g);
                                                                  hud(g);
                                                              });
                      });
                  });
              }) &&
              WriteSampleSoundBank(game + "GameSound.snd", SampleSoundBank::kGame) &&
              WriteSampleGameStrings(game + "GameStrings_eng.str");
    if (ok) {
        gcGame::CreateGameState();
        ok = gcGameState::s_pGameState && WriteGameStateBody(game + "GameState.gs", *gcGameState::s_pGameState, {});
    }
    gcGame::Unload();
    return ok;
}

}  // namespace datagen
