#include "gcGameCore/values/gcValRandomNumber.h"

#include <cmath>
#include <map>

#include "gcGameCore/script/gcEvent.h"
#include "mMath/mRand.h"
#include "valueTestSupport.h"

namespace {

using R = gcValRandomNumber;

gcDesiredValue Num(float f)
{
    gcDesiredValue d;
    d.desiredValue = gcDesiredValue::VAL_NUMBER;
    d.fConst = f;
    return d;
}

class gcValRandomNumberTest : public gcValueTest {
protected:
    void SetUp() override { mRandReset(); }
    void TearDown() override { mRandReset(); }
    static constexpr int kDraws = 6000;

    // How often each result came up in kDraws.
    std::map<float, int> Counts(const R& r)
    {
        std::map<float, int> counts;
        for (int i = 0; i < kDraws; ++i)
            ++counts[r.Get(m_params)];
        return counts;
    }
};

TEST_F(gcValRandomNumberTest, WholeNumbersCoverTheirRangeEvenly)
{
    const struct {
        const char* why;
        float a, b;
        uint32_t flags;
        std::vector<float> results;  // each about equally often
    } rows[] = {
        {"range 1 to 3", 1, 3, 0x1001, {1, 2, 3}},
        {"range 3 to 1: the upper bound caps every draw", 3, 1, 0x1001, {1}},
        {"range -3 to -1", -3, -1, 0x1001, {-3, -2, -1}},
        {"range of truncated bounds 1.9 to 3.9", 1.9f, 3.9f, 0x1001, {1, 2, 3}},
        {"10 plus or minus 2", 10, 2, 0x1002, {8, 9, 10, 11, 12}},
        {"10 plus or minus 0", 10, 0, 0x1002, {10}},
        {"another mode", 1, 3, 0x1003, {0}},
        {"no mode", 1, 3, 0x1000, {0}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        const std::map<float, int> counts = Counts(R(Num(r.a), Num(r.b), r.flags));
        ASSERT_EQ(counts.size(), r.results.size());
        const int nEach = kDraws / static_cast<int>(r.results.size());
        for (float f : r.results) {
            ASSERT_TRUE(counts.count(f)) << f;
            EXPECT_NEAR(counts.at(f), nEach, nEach / 8) << f;
        }
    }
}

TEST_F(gcValRandomNumberTest, FractionsSpanTheRangeOrTheTolerance)
{
    const struct {
        const char* why;
        float a, b;
        uint32_t flags;
        float lo, hi;  // every result within, the mean near the middle
    } rows[] = {
        {"range 2 to 4", 2, 4, 1, 2, 4},
        {"range 4 to 2", 4, 2, 1, 2, 4},
        {"10 plus or minus 2", 10, 2, 2, 8, 12},
        {"mode bits above the mode are ignored", 2, 4, 0x10001, 2, 4},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        const R v(Num(r.a), Num(r.b), r.flags);
        double sum = 0;
        float lo = r.hi, hi = r.lo;
        for (int i = 0; i < kDraws; ++i) {
            const float x = v.Get(m_params);
            sum += x, lo = std::min(lo, x), hi = std::max(hi, x);
        }
        EXPECT_GE(lo, r.lo);
        EXPECT_LE(hi, r.hi);
        EXPECT_LT(hi - lo, r.hi - r.lo);
        EXPECT_GT(hi - lo, 0.95f * (r.hi - r.lo));
        EXPECT_NEAR(sum / kDraws, (r.lo + r.hi) / 2, 0.05 * (r.hi - r.lo));
    }
}

TEST_F(gcValRandomNumberTest, BoundsAreReadFromTheFrameAtEachDraw)
{
    gcEventStackData frame(5.0f, 0.0f);
    gcEventStackData* pPrevious = gcEvent::s_pCurEventStackData;
    gcEvent::s_pCurEventStackData = &frame;
    gcDesiredValue param;
    param.desiredValue = gcDesiredValue::VAL_INVALUE;
    const R v(param, param, 0x1001);
    EXPECT_EQ(v.Get(m_params), 5.0f);
    frame.fInValues[0] = -7.0f;
    EXPECT_EQ(v.Get(m_params), -7.0f);
    EXPECT_EQ(Text(v), "RandomNumberRange( [Param1], [Param1] )");
    gcEvent::s_pCurEventStackData = pPrevious;
}

TEST_F(gcValRandomNumberTest, TextsShowTheModeButNotWholeNumbers)
{
    EXPECT_EQ(Text(R()), "RandomNumberRange( 0, 1 )");
    EXPECT_EQ(Text(R(Num(10), Num(2.5f), 0x1002)), "RandomNumberTol( 10, 2.5 )");
    EXPECT_EQ(Text(R(Num(1), Num(2), 0)), "RandomNumber1, 2 )");
}

TEST_F(gcValRandomNumberTest, VersionOneIsARangeFromZeroToOne)
{
    const R* p = LoadFields<R>(1, [](datagen::BlockWriter&) {});
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->nFlags, R::kModeRange);
    EXPECT_EQ(p->a.fConst, 0.0f);
    EXPECT_EQ(p->b.desiredValue, gcDesiredValue::VAL_NUMBER);
    EXPECT_EQ(p->b.fConst, 1.0f);
    const R* pTwo = RoundTrip(R(Num(3), Num(4), 0x1002));
    ASSERT_NE(pTwo, nullptr);
    EXPECT_EQ(pTwo->nFlags, 0x1002u);
    EXPECT_EQ(pTwo->b.fConst, 4.0f);
}

}  // namespace
