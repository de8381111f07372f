#pragma once
// Shared pieces of the animation, mesh, model and sky tests: files written
// with the datagen writers and read back as the loaders do, meshes and
// animations placed in their managers, a walking figure (a skinned body on
// two legs and a rigid head) with its walk, and the managers emptied between
// tests.

#include <string>

#include "cCore/cMemPool.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "worldTestSupport.h"

// Reads the one top-level object of a data-directory file into pObject, as
// the loaders do. False when the file does not open or the object refuses it.
bool ReadObjectFile(const std::string& name, cBase* pObject, cMemPool* pPool);
// Writes the mesh or animation, reads it into the pool and places it in
// slot (check 0x200 + slot). Null when any step fails.
eMesh* PlaceMesh(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::MeshDesc& desc);
eAnimation* PlaceAnimation(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::AnimationDesc& desc);
// Empties every slot of the mesh and animation managers.
void ClearModelManagers();

// Component by component within tol, either sign (q and -q turn alike).
bool QuatNear(const mQuat& a, const mQuat& b, float tol);

// Corners of an axis-aligned box's six faces, counter-clockwise from outside.
void AddBox(const mVec3& min, const mVec3& max, std::vector<datagen::MeshVertex>* pCorners);

// The figure: node 0 "root"; node 1 "hips" 1 unit above it (bone 0); nodes
// 2 "leftLeg" and 3 "rightLeg" under the hips, 0.3 to either side (bones 1
// and 2). Material 0 is the skin: a torso on the hips (one weight) and two
// legs of 0.2 x 0.2 x 1 hanging from the hips (one weight on the leg, two
// weights at the hip joint). Material 1 is a rigid head on the hips.
datagen::MeshDesc FigureDesc();
// 9 frames of 20 ticks, looping (160 ticks): each leg swings about the x
// axis by 30 sin(45 k) degrees, the right one opposite the left; root and
// hips constant.
datagen::AnimationDesc WalkDesc();
