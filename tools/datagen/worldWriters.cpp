#include "datagen/worldWriters.h"

#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "datagen/blockWriter.h"
#include "eEngine/eLightGrid.h"
#include "eEngine/eSurface.h"
#include "mMath/mVec3.h"

namespace datagen {

bool WriteSurfaceGroupFile(const std::string& path, int beginSlot, const std::vector<SurfaceRecord>& records)
{
    const int endSlot = beginSlot + static_cast<int>(records.size());
    if (beginSlot < 0 || endSlot > eSurfaceMgr::kSlots) {
        cLogError_("datagen: surface slots %d to %d outside the manager's %d", beginSlot, endSlot,
                   eSurfaceMgr::kSlots);
        return false;
    }
    std::vector<eSurface*> saved(eSurfaceMgr::s_pInstances + beginSlot, eSurfaceMgr::s_pInstances + endSlot);
    for (size_t i = 0; i < records.size(); ++i) {
        const int slot = beginSlot + static_cast<int>(i);
        if (records[i].pSurface)
            eSurfaceMgr::Add(slot, records[i].pSurface, records[i].check ? records[i].check : 0xFFFF);
        else
            eSurfaceMgr::s_pInstances[slot] = nullptr;
    }
    eSurfaceGroup group;  // not made by the factory: it destroys nothing
    group.m_nBegin = beginSlot;
    group.m_nEnd = endSlot;
    const bool ok = WriteObjectFile(path, group);
    for (size_t i = 0; i < saved.size(); ++i)
        eSurfaceMgr::s_pInstances[beginSlot + static_cast<int>(i)] = saved[i];
    return ok;
}

eLightGrid* BuildLightGrid(int levels, int resolution, float size, cMemPool* pPool,
                           const std::function<bool(int level, const mVec3& pos)>& lit)
{
    eLightGrid* pGrid = pPool ? pPool->New<eLightGrid>() : nullptr;
    if (!pGrid || !pGrid->CreateLightGrid(levels, resolution, size, pPool)) {
        cLogError_("datagen: cannot build a light grid of %d levels at resolution %d", levels, resolution);
        return nullptr;
    }
    const float half = size / 2.0f;
    for (int l = 0; l < pGrid->m_nLevels; ++l) {
        const eLightGridLevel& level = pGrid->m_pLevels[l];
        for (int k = 0; k < level.nSamples; ++k)
            for (int j = 0; j < level.nSamples; ++j)
                for (int i = 0; i < level.nSamples; ++i) {
                    const mVec3 pos(static_cast<float>(i) * level.fCellSize - half,
                                    static_cast<float>(j) * level.fCellSize - half,
                                    static_cast<float>(k) * level.fCellSize - half);
                    if (lit(l, pos))
                        pGrid->SetSample(l, i, j, k, true);
                }
    }
    return pGrid;
}

bool WriteLightGridFile(const std::string& path, const eLightGrid& grid)
{
    return WriteObjectFile(path, grid);
}

}  // namespace datagen
