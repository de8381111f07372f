#pragma once

#include <string>

#include "cCore/cMemPool.h"
#include "datagen/modelWriters.h"
#include "eEngine/eAnimation.h"
#include "eEngine/eMesh.h"
#include "worldTestSupport.h"

bool ReadObjectFile(const std::string& name, cBase* pObject, cMemPool* pPool);
// What the object's own Read answers for the file's object block, whatever
// the file's failure flag says: a damaged block must answer false itself.
bool ReadObjectAnswer(const std::string& name, cBase* pObject, cMemPool* pPool);
eMesh* PlaceMesh(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::MeshDesc& desc);
eAnimation* PlaceAnimation(const eTestDataDir& data, cMemPool* pPool, int slot, const datagen::AnimationDesc& desc);
void ClearModelManagers();

bool QuatNear(const mQuat& a, const mQuat& b, float tol);

void AddBox(const mVec3& min, const mVec3& max, std::vector<datagen::MeshVertex>* pCorners);

datagen::MeshDesc FigureDesc();
datagen::AnimationDesc WalkDesc();
