#pragma once
// A test entity's drawn tint, read back after the camera's fades.

#include <cstdint>

#include "eEngine/eModel.h"
#include "gcGameCore/entities/gcEntity.h"

// One material on the entity's model, its tint the alpha the occluders
// give, read back from it; taken off the model at the end of the scope.
class OneTint {
public:
    OneTint(gcEntity* pEntity, uint32_t nColor) : m_pEntity(pEntity)
    {
        m_info.materialState.m_nColor = nColor;
        pEntity->m_model.m_pDrawInfos = &m_info;
        pEntity->m_model.m_nDrawInfos = 1;
    }
    ~OneTint()
    {
        m_pEntity->m_model.m_pDrawInfos = nullptr;
        m_pEntity->m_model.m_nDrawInfos = 0;
    }
    OneTint(const OneTint&) = delete;
    OneTint& operator=(const OneTint&) = delete;
    uint32_t Color() const { return m_info.materialState.m_nColor; }

private:
    gcEntity* m_pEntity;
    eModelDrawInfo m_info;
};
