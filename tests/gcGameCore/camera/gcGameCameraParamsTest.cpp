#include "gcGameCore/camera/gcGameCameraParams.h"

#include <cmath>

#include <gtest/gtest.h>

#include "datagen/cameraWriters.h"
#include "datagen/modelWriters.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

using P = gcGameCameraParams;

TEST(gcGameCameraParamsTest, DefaultsAndVersionRules)
{
    const P d;
    const float vels[] = {3, 0, 0, 0, 3}, times[] = {0.9f, 0.98f, 0.9f, 0.8f, 0.75f}, offs[] = {180, -15, 6.5f, 100, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_FLOAT_EQ(d.m_fMaxVels[i], vels[i]);
        EXPECT_FLOAT_EQ(d.m_fMaxTimes[i], times[i]);
        EXPECT_FLOAT_EQ(d.m_fOffsets[i], offs[i]);
    }
    P stored;
    stored.m_fMaxVels[P::SPD_MOVEMENT] = 10.0f;
    stored.m_fMaxVels[P::SPD_LOOKAT] = 7.0f;
    stored.m_fMaxVels[P::SPD_FOLLOWENTITY_H] = 2.0f;
    stored.m_fMaxTimes[P::SPD_MOVEMENT] = 0.95f;
    stored.m_fMaxTimes[P::SPD_LOOKAT] = 0.95f;
    stored.m_fOffsets[P::OFF_MINDIST] = 4.0f;
    const struct {
        const char* why;
        uint32_t version;
        int speeds, offsets;
        float fMoveVel, fLookVel, fMovePole;
    } rows[] = {
        {"version 2 keeps the speeds", 2, 5, 5, 10.0f, 7.0f, 0.9f},
        {"version 1 resets movement and look-at speeds", 1, 5, 5, 3.0f, 3.0f, 0.9f},
        {"surplus entries are skipped", 2, 7, 6, 10.0f, 7.0f, 0.9f},
    };
    gcTestDataDir dir;
    cMemPool pool("gcGameCameraParamsTest", 0x1000, false);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("p.dat"), 181, [&](datagen::BlockWriter& w) {
            datagen::CameraParamsBlock(w, stored, r.version, r.speeds, r.offsets);
        }));
        const P* p = static_cast<const P*>(cBase::Load("/p.dat", &pool, P::GetStaticType()));
        ASSERT_NE(p, nullptr);
        EXPECT_FLOAT_EQ(p->m_fMaxVels[P::SPD_MOVEMENT], r.fMoveVel);
        EXPECT_FLOAT_EQ(p->m_fMaxVels[P::SPD_LOOKAT], r.fLookVel);
        EXPECT_FLOAT_EQ(p->m_fMaxVels[P::SPD_FOLLOWENTITY_H], 2.0f);
        EXPECT_FLOAT_EQ(p->m_fMaxTimes[P::SPD_MOVEMENT], r.fMovePole);
        EXPECT_FLOAT_EQ(p->m_fMaxTimes[P::SPD_LOOKAT], 0.95f);  // only the movement pole is clamped
        EXPECT_FLOAT_EQ(p->m_fOffsets[P::OFF_MINDIST], 4.0f);
    }
    // A negative count fails and keeps what the object held.
    ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("n.dat"), 181, [&](datagen::BlockWriter& w) {
        datagen::CameraParamsBlock(w, stored, 2, -1, 5);
    }));
    gcTestLogCapture quiet;
    EXPECT_EQ(cBase::Load("/n.dat", &pool, P::GetStaticType()), nullptr);
}

// Any speed, pole or offset that is not finite fails the file (the block
// reader refuses it, one error); so does one past the fifth entry, read and
// dropped, while a finite one there is dropped and the block read.
TEST(gcGameCameraParamsTest, ValuesThatAreNotFiniteAreRefused)
{
    gcTestDataDir dir;
    cMemPool pool("gcGameCameraParamsTest", 0x1000, false);
    const float kBad[] = {std::nanf(""), INFINITY, -INFINITY};
    for (int i = 0; i < 15; ++i) {
        SCOPED_TRACE(i);
        P stored;
        float* pValue = i < 5 ? &stored.m_fMaxVels[i] : i < 10 ? &stored.m_fMaxTimes[i - 5] : &stored.m_fOffsets[i - 10];
        *pValue = kBad[i % 3];
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("p.dat"), 181, [&](datagen::BlockWriter& w) {
            datagen::CameraParamsBlock(w, stored, 2, 5, 5);
        }));
        gcTestLogCapture log;
        EXPECT_EQ(cBase::Load("/p.dat", &pool, P::GetStaticType()), nullptr);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "a float that is not finite"), 1);
    }
    for (const float fSixth : {1e30f, std::nanf("")}) {
        SCOPED_TRACE(fSixth);
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(dir.HostPath("s.dat"), 181, [&](datagen::BlockWriter& w) {
            w.Begin(2).Begin(1).End();
            w.Int(6);
            for (int i = 0; i < 6; ++i)
                w.Float(i < 5 ? 1.0f : fSixth).Float(0.5f);
            w.Int(5);
            for (int i = 0; i < 5; ++i)
                w.Float(2.0f);
            w.End();
        }));
        gcTestLogCapture log;
        EXPECT_EQ(cBase::Load("/s.dat", &pool, P::GetStaticType()) != nullptr, std::isfinite(fSixth));
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), std::isfinite(fSixth) ? 0 : 1);
    }
}

}  // namespace
