#include <gtest/gtest.h>

#include <cstdint>

#include "gcGameCore/camera/gcGameCamera.h"
#include "gcGameCore/entities/gcEffect.h"
#include "gcGameCore/values/gcValCameraOrientation.h"
#include "gcGameCore/values/gcValEffectStat.h"
#include "gcGameCore/values/gcValEffectValue.h"
#include "valueTestSupport.h"

namespace {

using O = gcValCameraOrientation;
using T = gcEffectTemplate;

constexpr int kEffectSlot = 11, kTemplateSlot = 12;

gcDesiredEffect Selecting(int32_t selection, gcEffectHandle h = gcEffectHandle())
{
    gcDesiredEffect d;
    d.desiredEffect = selection;
    d.hSpecificEffect = h;
    return d;
}

class gcValCameraEffectTest : public gcValueTest {
protected:
    void SetUp() override
    {
        m_cam->Reset(true);
        m_pTemplate = m_pool.New<T>();
        m_pTemplate->fValues[0] = 3.5f;
        m_pTemplate->fValues[1] = -2.0f;
        gcEffectTemplateMgr::Add(kTemplateSlot, m_pTemplate, 0x31);
        m_pEffect = m_pool.New<gcEffect>();
        m_pEffect->m_name.Set("Spark");
        m_pEffect->m_hTemplate = m_pTemplate->m_handle;
        gcEffectMgr::Add(kEffectSlot, m_pEffect, 0x32);
        m_params.pInitiator = m_pEffect;
        m_params.pParticipant1 = &m_actor;  // no effect
    }
    void TearDown() override
    {
        m_cam->m_alternateHPR.Set(0, 0, 0);
        m_cam->Reset(true);
        gcEffectMgr::s_pInstances[kEffectSlot] = nullptr;
        gcEffectTemplateMgr::s_pInstances[kTemplateSlot] = nullptr;
    }

    gcGameCamera* m_cam = gcGameCamera::Get();
    T* m_pTemplate = nullptr;
    gcEffect* m_pEffect = nullptr;
    gcTestActor m_actor;
};

// Reading gives where the camera turns to; writing replaces one component
// of the alternate offsets, which the camera turns on unless all are zero.
TEST_F(gcValCameraEffectTest, CameraOrientationReadsTheDesiredViewAndWritesTheAlternateOffsets)
{
    const struct {
        const char* name;
        int32_t euler;
        float set;
        float read;      // with the desired view (11, 22, 33)
        mVec3 alternate; // from (0, 5, 0)
        bool bAlternate;
    } rows[] = {
        {"heading", O::HEADING, 30.0f, 11.0f, {30, 5, 0}, true},
        {"pitch", O::PITCH, -7.0f, 22.0f, {0, -7, 0}, true},
        {"roll", O::ROLL, 4.0f, 33.0f, {0, 5, 4}, true},
        {"the last non-zero offset cleared", O::PITCH, 0.0f, 22.0f, {0, 0, 0}, false},
        {"past the table", 3, 9.0f, 0.0f, {0, 5, 0}, true},
        {"below the table", -1, 9.0f, 0.0f, {0, 5, 0}, true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_cam->ReorientAlternate({0, 5, 0});
        m_cam->m_curDesiredHPR.Set(11, 22, 33);
        O value(r.euler);
        value.Set(r.set, m_params);
        EXPECT_EQ(m_cam->m_alternateHPR, r.alternate);
        EXPECT_EQ((m_cam->m_nFlags & gcGameCamera::kAlternate) != 0, r.bAlternate);
        EXPECT_EQ(value.Get(m_params), r.read);
    }
}

TEST_F(gcValCameraEffectTest, EffectStatsAreReadAndWrittenUnclamped)
{
    const struct {
        const char* name;
        gcDesiredEffect effect;
        int32_t stat;
        float set;
        float read;  // after the assignment
        int changed;  // the index written, -1 for none
    } rows[] = {
        {"a negative scale is stored", Selecting(0), T::STAT_SCALE, -2.0f, -2.0f, 0},
        {"blend", Selecting(0), T::STAT_BLEND, 7.5f, 7.5f, 3},
        {"particle speed scale of the specific effect", Selecting(3, m_pEffect->m_handle),
         T::STAT_PSYS_MAXSPEEDSCALE, 0.25f, 0.25f, 4},
        {"an event object that is no effect", Selecting(1), T::STAT_SCALE, 9.0f, 0.0f, -1},
        {"no second participant", Selecting(2), T::STAT_SCALE, 9.0f, 0.0f, -1},
        {"a stale handle", Selecting(3, gcEffectHandle::Make(kEffectSlot, 0x99)), T::STAT_SCALE, 9.0f, 0.0f, -1},
        {"a selector outside the table", Selecting(4), T::STAT_SCALE, 9.0f, 0.0f, -1},
        {"a stat past the table", Selecting(0), T::MAX_STATS, 9.0f, 0.0f, -1},
        {"a stat below the table", Selecting(0), -1, 9.0f, 0.0f, -1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        for (int i = 0; i < T::MAX_STATS; ++i)
            m_pEffect->m_fEffectStatsCur[i] = m_pEffect->m_fEffectStatsMax[i] = 1.0f + i;
        gcValEffectStat value(r.effect, r.stat);
        value.Set(r.set, m_params);
        EXPECT_EQ(value.Get(m_params), r.read);
        for (int i = 0; i < T::MAX_STATS; ++i) {
            EXPECT_EQ(m_pEffect->m_fEffectStatsCur[i], i == r.changed ? r.set : 1.0f + i) << i;
            EXPECT_EQ(m_pEffect->m_fEffectStatsMax[i], 1.0f + i) << i;
        }
    }
}

TEST_F(gcValCameraEffectTest, EffectValuesComeFromTheTemplate)
{
    const struct {
        const char* name;
        gcDesiredEffect effect;
        int32_t index;
        bool bStaleTemplate;
        float read;
    } rows[] = {
        {"user 1", Selecting(0), T::VAL_USER1, false, 3.5f},
        {"user 2 of the specific effect", Selecting(3, m_pEffect->m_handle), T::VAL_USER2, false, -2.0f},
        {"a stale template handle", Selecting(0), T::VAL_USER1, true, 0.0f},
        {"no effect", Selecting(1), T::VAL_USER1, false, 0.0f},
        {"past the table", Selecting(0), T::MAX_VALUES, false, 0.0f},
        {"below the table", Selecting(0), -1, false, 0.0f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        m_pEffect->m_hTemplate = r.bStaleTemplate ? gcEffectTemplateHandle::Make(kTemplateSlot, 0x77)
                                                  : m_pTemplate->m_handle;
        EXPECT_EQ(gcValEffectValue(r.effect, r.index).Get(m_params), r.read);
    }
}

// The reference yields an effect of the class asked for, or of any class
// when none is given.
TEST_F(gcValCameraEffectTest, EffectReferencesKeepToTheClassAskedFor)
{
    const struct {
        const char* name;
        gcDesiredEffect effect;
        const cType* pType;
        const gcEffect* expected;
    } rows[] = {
        {"any class", Selecting(0), nullptr, m_pEffect},
        {"an effect", Selecting(3, m_pEffect->m_handle), gcEffect::GetStaticType(), m_pEffect},
        {"an effect is no actor", Selecting(0), gcTestActor::GetStaticType(), nullptr},
        {"an actor is no effect", Selecting(1), nullptr, nullptr},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.effect.GetEffect(m_params, r.pType), r.expected) << r.name;
}

TEST_F(gcValCameraEffectTest, TextsNameTheComponentTheEffectAndTheStat)
{
    const struct {
        std::string text, expected;
    } rows[] = {
        {Text(O(O::HEADING)), "CameraOrientation.Heading"},
        {Text(O(O::PITCH)), "CameraOrientation.Pitch"},
        {Text(O(O::ROLL)), "CameraOrientation.Roll"},
        {Text(O(3)), "CameraOrientation.???"},
        {Text(gcValEffectStat(Selecting(0), T::STAT_VAR2)), "Initiator.Var2"},
        {Text(gcValEffectStat(Selecting(3, m_pEffect->m_handle), T::STAT_PSYS_MAXSPEEDSCALE)),
         "[Spark].PSysMaxSpeedScale"},
        {Text(gcValEffectStat(Selecting(1), 5)), "Participant1.???"},
        {Text(gcValEffectValue(Selecting(2), T::VAL_USER2)), "Participant2.User2"},
        {Text(gcValEffectValue(Selecting(3, gcEffectHandle::Make(kEffectSlot, 0x99)), 2)), "[???].???"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(r.text, r.expected);
}

// The orientation and the effect value read version 2 only, the stat
// version 1; other versions leave nothing.
TEST_F(gcValCameraEffectTest, OnlyTheirOwnVersionsRead)
{
    const auto effectFields = [](datagen::BlockWriter& w) { w.Int(3).Word(0x000B0032).Int(1); };
    EXPECT_EQ(LoadFields<O>(1, [](datagen::BlockWriter& w) { w.Int(1); }), nullptr);
    EXPECT_EQ(LoadFields<O>(3, [](datagen::BlockWriter& w) { w.Int(1); }), nullptr);
    EXPECT_EQ(LoadFields<gcValEffectValue>(1, effectFields), nullptr);
    EXPECT_EQ(LoadFields<gcValEffectValue>(3, effectFields), nullptr);
    EXPECT_EQ(LoadFields<gcValEffectStat>(2, effectFields), nullptr);
    const O* pO = LoadFields<O>(2, [](datagen::BlockWriter& w) { w.Int(2); });
    ASSERT_NE(pO, nullptr);
    EXPECT_EQ(pO->euler, O::ROLL);
    const gcValEffectStat* pStat = LoadFields<gcValEffectStat>(1, effectFields);
    ASSERT_NE(pStat, nullptr);
    EXPECT_EQ(pStat->desiredEffect.desiredEffect, 3);
    EXPECT_EQ(pStat->desiredEffect.hSpecificEffect, gcEffectHandle(0x000B0032));
    EXPECT_EQ(pStat->desiredStat, 1);
    const gcValEffectValue* pValue = LoadFields<gcValEffectValue>(2, effectFields);
    ASSERT_NE(pValue, nullptr);
    EXPECT_EQ(pValue->desiredValue, 1);
}

}  // namespace
