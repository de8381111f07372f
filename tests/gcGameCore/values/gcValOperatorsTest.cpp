// The three operator classes: their arithmetic and text forms as one table,
// short-circuits and order of evaluation, operand trees copied and read.

#include <cmath>
#include <functional>
#include <vector>

#include "datagen/scriptWriters.h"
#include "gcGameCore/values/gcValBinaryOp.h"
#include "gcGameCore/values/gcValFunction.h"
#include "gcGameCore/values/gcValTrinaryOp.h"
#include "gcGameCore/values/gcValUnaryOp.h"
#include "valueTestSupport.h"

namespace {

using B = gcValBinaryOp;
using U = gcValUnaryOp;
using T = gcValTrinaryOp;

class gcValOperatorsTest : public gcValueTest {
protected:
    void SetUp() override { TestLog().clear(); }
    void TearDown() override
    {
        for (int32_t tag = 0; tag < 8; ++tag)
            gcFunctionMgr::Add(kSlot + tag, nullptr, 0);
    }
    static constexpr int kSlot = 10;

    gcValue* Bin(int op, gcValue* a, gcValue* b) { return m_pool.New<B>(static_cast<B::gcOperation>(op), a, b); }
    gcValue* Bin(int op, float a, float b) { return Bin(op, N(a), N(b)); }
    gcValue* Un(int op, gcValue* x) { return m_pool.New<U>(static_cast<U::gcOperation>(op), x); }
    gcValue* Un(int op, float x) { return Un(op, N(x)); }
    gcValue* Tri(int op, gcValue* a, gcValue* b, gcValue* c, uint32_t flags = 0)
    {
        return m_pool.New<T>(static_cast<T::gcOperation>(op), a, b, c, flags);
    }
    gcValue* Tri(int op, float a, float b, float c, uint32_t flags = 0) { return Tri(op, N(a), N(b), N(c), flags); }

    // A call of a function (in a slot of its own) that records tag and returns it.
    gcValue* Recorder(int32_t tag)
    {
        gcFunction* f = datagen::NewFunction(&m_pool, "Rec");
        FillEvent(f->onCalled, b.Record(tag), b.Return(b.Num(static_cast<float>(tag))));
        return m_pool.New<gcValFunction>(gcFunctionMgr::Add(kSlot + tag, f, 0x0707));
    }

    gcTestBuilder b{m_pool};
};

TEST_F(gcValOperatorsTest, EdgeListOfValuesAndTexts)
{
    const float fQuotient = 1.0f / 0.0000101f;
    const struct {
        gcValue* pValue;
        float fExpected;
        const char* text;
    } rows[] = {
        // Logic and comparisons give exactly 1 or 0.
        {Bin(B::OP_AND, 1, 2), 1, "( 1 and 2 )"},
        {Bin(B::OP_AND, 2, 0), 0, "( 2 and 0 )"},
        {Bin(B::OP_AND, 0, 3), 0, "( 0 and 3 )"},
        {Bin(B::OP_OR, 0.0f, 0.0f), 0, "( 0 or 0 )"},
        {Bin(B::OP_OR, 0, -3), 1, "( 0 or -3 )"},
        {Bin(B::OP_OR, 0.5f, 0.0f), 1, "( 0.5 or 0 )"},
        {Bin(B::OP_LESS, 1, 2), 1, "( 1 < 2 )"},
        {Bin(B::OP_LESS, 2, 2), 0, "( 2 < 2 )"},
        {Bin(B::OP_LESSEQUAL, 2, 2), 1, "( 2 <= 2 )"},
        {Bin(B::OP_EQUAL, 2, 2), 1, "( 2 == 2 )"},
        {Bin(B::OP_EQUAL, 0.1f, 0.1000001f), 0, "( 0.1 == 0.1 )"},  // exact, not tolerant
        {Bin(B::OP_GREATEREQUAL, 2, 3), 0, "( 2 >= 3 )"},
        {Bin(B::OP_GREATER, 3, 3), 0, "( 3 > 3 )"},
        {Bin(B::OP_NOTEQUAL, 2, 3), 1, "( 2 != 3 )"},
        {Bin(B::OP_NOTEQUAL, 2, 2), 0, "( 2 != 2 )"},
        {Bin(B::OP_ADD, 1.5f, 2), 3.5f, "( 1.5 + 2 )"},
        {Bin(B::OP_SUB, 7, 9), -2, "( 7 - 9 )"},
        {Bin(B::OP_MUL, 1.5f, -4), -6, "( 1.5 * -4 )"},
        {Bin(B::OP_DIV, 7, 2), 3.5f, "( 7 / 2 )"},
        {Bin(B::OP_DIV, 1, 0.00001f), 0, "( 1 / 1e-05 )"},  // the smallest divisor that is refused
        {Bin(B::OP_DIV, 1, -0.00001f), 0, "( 1 / -1e-05 )"},
        {Bin(B::OP_DIV, 1, 0.0000101f), fQuotient, "( 1 / 1.01e-05 )"},
        {Bin(B::OP_MIN, 2, 3), 2, "min( 2, 3 )"},
        {Bin(B::OP_MAX, 2, 3), 3, "max( 2, 3 )"},
        {Bin(B::OP_POW, 2, 10), 1024, "pow( 2, 10 )"},
        {Bin(B::OP_POW, 2, 0.5f), static_cast<float>(std::sqrt(2.0)), "pow( 2, 0.5 )"},
        {Bin(15, 1, 2), 0, "??" "?( 1, 2 )"},  // past the table: the function form
        {Bin(-1, 1, 2), 0, "( 1 ??? 2 )"},
        // A missing operand reads 0.0 and is left out of the text.
        {Bin(B::OP_SUB, nullptr, N(3)), -3, "(  - 3 )"},
        {Bin(B::OP_MAX, N(-1), nullptr), 0, "max( -1 )"},
        {Bin(B::OP_ADD, nullptr, nullptr), 0, "(  + )"},
        {Bin(B::OP_MUL, Bin(B::OP_ADD, 1, 2), Un(U::OP_NEG, 3)), -9, "( ( 1 + 2 ) * -3 )"},
        // Unary: prefix for "!" and "-", function form otherwise.
        {Un(U::OP_NOT, 0.0f), 1, "!0"},
        {Un(U::OP_NOT, 0.5f), 0, "!0.5"},
        {Un(U::OP_ABS, -2), 2, "abs( -2 )"},
        {Un(U::OP_FLOOR, -1.5f), -2, "floor( -1.5 )"},
        {Un(U::OP_CEIL, -1.5f), -1, "ceil( -1.5 )"},
        {Un(U::OP_ROUND, -2.5f), -3, "round( -2.5 )"},  // halves away from zero
        {Un(U::OP_ROUND, 2.5f), 3, "round( 2.5 )"},
        {Un(U::OP_ROUND, 0.49f), 0, "round( 0.49 )"},
        {Un(U::OP_ROUND, 3e9f), 2147483647.0f, "round( 3e+09 )"},  // saturates at the integer's end
        {Un(U::OP_SQRT, -4), -4, "sqrt( -4 )"},  // not a root: unchanged
        {Un(U::OP_SQRT, 0.0f), 0, "sqrt( 0 )"},
        {Un(U::OP_SQRT, 6.25f), 2.5f, "sqrt( 6.25 )"},
        {Un(U::OP_SIN, 90), 1, "sin( 90 )"},  // degrees
        {Un(U::OP_COS, 180), -1, "cos( 180 )"},
        {Un(U::OP_INC, 1.5f), 2.5f, "inc( 1.5 )"},
        {Un(U::OP_DEC, 1.5f), 0.5f, "dec( 1.5 )"},
        {Un(U::OP_NEG, 5), -5, "-5"},
        {Un(U::OP_FIXHEADING, 190), -170, "FixHeading( 190 )"},
        {Un(U::OP_FIXHEADING, -190), 170, "FixHeading( -190 )"},
        {Un(U::OP_FIXHEADING, 180), 180, "FixHeading( 180 )"},
        {Un(U::OP_FIXHEADING, -180), -180, "FixHeading( -180 )"},
        {Un(U::OP_FIXHEADING, 540), 180, "FixHeading( 540 )"},  // one correction only
        {Un(U::OP_HOURS, 7199), 1, "hours( 7.2e+03 )"},
        {Un(U::OP_HOURS, 10800), 3, "hours( 1.08e+04 )"},
        {Un(U::OP_MINUTES, 7199), 59, "minutes( 7.2e+03 )"},
        {Un(U::OP_SECONDS, 7199), 59, "seconds( 7.2e+03 )"},
        {Un(U::OP_SECONDS, -1), -1, "seconds( -1 )"},  // fmod keeps the sign
        {Un(U::OP_MINUTES, -90), -2, "minutes( -90 )"},
        {Un(15, 1), 0, "??" "?( 1 )"},
        {Un(U::OP_NOT, nullptr), 1, "!"},
        {Un(U::OP_ABS, nullptr), 0, "abs( )"},
        // Trinary: always the function form.
        {Tri(T::OP_CLAMP, 5, 10, 0), 10, "clamp( 5, 10, 0 )"},  // lower bound tested first
        {Tri(T::OP_CLAMP, 11, 0, 10), 10, "clamp( 11, 0, 10 )"},
        {Tri(T::OP_CLAMP, 5, 0, 10), 5, "clamp( 5, 0, 10 )"},
        {Tri(T::OP_LERP, 0.5f, 2, 4), 3, "lerp( 0.5, 2, 4 )"},
        {Tri(T::OP_LERP, 2, 0, 1), 2, "lerp( 2, 0, 1 )"},  // not clamped
        {Tri(T::OP_RANGE, 0, 0, 1), 1, "range( 0, 0, 1 )"},
        {Tri(T::OP_RANGE, 0, 0, 1, T::kLowerExclusive), 0, "range( 0, 0, 1 )"},
        {Tri(T::OP_RANGE, 1, 0, 1, T::kLowerExclusive), 1, "range( 1, 0, 1 )"},
        {Tri(T::OP_RANGE, 1, 0, 1, T::kUpperExclusive), 0, "range( 1, 0, 1 )"},
        {Tri(T::OP_RANGE, 1.5f, 0, 1), 0, "range( 1.5, 0, 1 )"},
        {Tri(T::OP_HEADINGTOL, 170, -170, 30), 1, "headingTol( 170, -170, 30 )"},  // 20 across the 180 line
        {Tri(T::OP_HEADINGTOL, -170, 170, 19), 0, "headingTol( -170, 170, 19 )"},
        {Tri(T::OP_HEADINGTOL, 10, 40, 30), 1, "headingTol( 10, 40, 30 )"},
        {Tri(T::OP_HEADINGTOL, 0, 90, 30), 0, "headingTol( 0, 90, 30 )"},
        {Tri(T::OP_WRAP, -1, 0, 10), 10, "wrap( -1, 0, 10 )"},
        {Tri(T::OP_WRAP, 25, 0, 10), 0, "wrap( 25, 0, 10 )"},  // one step, not modular
        {Tri(T::OP_WRAP, 10, 0, 10), 10, "wrap( 10, 0, 10 )"},  // the bounds themselves stay
        {Tri(T::OP_WRAP, 0, 0, 10), 0, "wrap( 0, 0, 10 )"},
        {Tri(5, 1, 2, 3), 0, "??" "?( 1, 2, 3 )"},
        {Tri(T::OP_CLAMP, N(5), nullptr, N(3)), 3, "clamp( 5, 3 )"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.text);
        ASSERT_NE(r.pValue, nullptr);
        EXPECT_EQ(r.pValue->Get(m_params), r.fExpected);
        EXPECT_EQ(Text(*r.pValue), r.text);
    }
}

TEST_F(gcValOperatorsTest, EvaluatesOperandsInOrderAndShortCircuitsOnlyAndOr)
{
    const struct {
        const char* why;
        int op;
        std::vector<int32_t> tags;  // the operands that ran, in order
    } rows[] = {
        {"and stops at a false first operand", B::OP_AND, {0}},
        {"or stops at a true first operand", B::OP_OR, {5}},
        {"and goes on after a true one", B::OP_AND, {5, 6}},
        {"comparisons evaluate both", B::OP_LESS, {0, 6}},
        {"an unknown operation evaluates both", 99, {0, 6}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        TestLog().clear();
        gcValue* pFirst = r.tags[0] == 0 ? Recorder(0) : Recorder(5);
        Bin(r.op, pFirst, Recorder(6))->Get(m_params);
        EXPECT_EQ(TestLogTags(), r.tags);
    }
    TestLog().clear();
    Tri(T::OP_CLAMP, Recorder(1), Recorder(2), Recorder(3))->Get(m_params);
    EXPECT_EQ(TestLogTags(), (std::vector<int32_t>{1, 2, 3}));
}

TEST_F(gcValOperatorsTest, CopyTakesTheOperandTreeIntoTheCopysPool)
{
    auto pSource = std::make_unique<cMemPool>("source", 0x4000, false);
    cMemPool& src = *pSource;
    const gcValue* pTree = src.New<T>(T::OP_LERP, src.New<gcValNumber>(0.25f),
                                      src.New<U>(U::OP_ABS, src.New<gcValNumber>(-4.0f)), nullptr);
    const gcValue* pCopy = static_cast<const gcValue*>(pTree->Copy(&m_pool));
    ASSERT_NE(pCopy, nullptr);
    pSource.reset();  // the source and its operands are gone
    EXPECT_EQ(Text(*pCopy), "lerp( 0.25, abs( -4 ) )");
    EXPECT_EQ(pCopy->Get(m_params), 3.0f);
    EXPECT_TRUE(m_pool.Contains(pCopy->GetChildByIndex(1)->GetChildByIndex(0)));
    EXPECT_EQ(pCopy->GetChildByIndex(2), nullptr);
}

// Into a pool with any amount of room left, a copy is whole (the same
// value as its original) or null: never one with an operand missing.
TEST_F(gcValOperatorsTest, CopyIntoANearlyFullPoolIsWholeOrNothing)
{
    gcValFunction* pCall = m_pool.New<gcValFunction>();
    pCall->AddParam(N(1.0f));
    pCall->AddParam(Bin(B::OP_SUB, 5, 3));
    const struct {
        const char* why;
        const gcValue* pValue;
        float fExpected;
    } rows[] = {
        {"5 - 3", Bin(B::OP_SUB, 5, 3), 2.0f},
        {"a nested operand", Bin(B::OP_ADD, N(1.0f), Bin(B::OP_SUB, 5, 3)), 3.0f},
        {"-(4)", Un(U::OP_NEG, 4.0f), -4.0f},
        {"lerp( 0.5, 2, 4 )", Tri(T::OP_LERP, 0.5f, 2.0f, 4.0f), 3.0f},
    };
    gcTestLogCapture log;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        int nWhole = 0;
        for (size_t nRoom = 0; nRoom <= 1024; nRoom += 4) {
            cMemPool tight("tight", 0x1000, false);
            ASSERT_NE(tight.Alloc(tight.Capacity() - tight.BytesTaken() - nRoom, 1), nullptr);
            const auto* pCopy = static_cast<const gcValue*>(row.pValue->Copy(&tight));
            if (!pCopy)
                continue;
            ++nWhole;
            EXPECT_EQ(pCopy->Get(m_params), row.fExpected) << nRoom << " bytes of room";
        }
        EXPECT_GT(nWhole, 0);
    }
    // The function's parameters: both copied, or no copy.
    for (size_t nRoom = 0; nRoom <= 1024; nRoom += 4) {
        cMemPool tight("tight", 0x1000, false);
        ASSERT_NE(tight.Alloc(tight.Capacity() - tight.BytesTaken() - nRoom, 1), nullptr);
        if (const gcValue* pCopy = static_cast<const gcValue*>(pCall->Copy(&tight))) {
            EXPECT_NE(pCopy->GetChildByIndex(0), nullptr) << nRoom;
            const gcValue* pSub = pCopy->GetChildByIndex(1);
            ASSERT_NE(pSub, nullptr) << nRoom;
            EXPECT_NE(pSub->GetChildByIndex(1), nullptr) << nRoom;
        }
    }
}

// The engine's blocks equal blocks laid by hand: versions 1, 1, 2 and 2,
// the operation first, the operands in order (-1 for a missing one), the
// trinary's flags last, the function's handle before its parameter count.
TEST_F(gcValOperatorsTest, WrittenBlocksMatchBlocksLaidByHand)
{
    gcValFunction* pCall = m_pool.New<gcValFunction>(gcFunctionHandle(0x00070003));
    pCall->AddParam(N(6.0f));
    const struct {
        const char* why;
        const gcValue* pValue;
        uint32_t version;
        std::function<void(datagen::BlockWriter&)> fields;
    } rows[] = {
        {"binary", Bin(B::OP_DIV, 7, 2), 1,
         [](datagen::BlockWriter& w) { datagen::NumberMember(datagen::NumberMember(w.Int(B::OP_DIV), 7), 2); }},
        {"binary, second operand missing", Bin(B::OP_SUB, N(1.0f), nullptr), 1,
         [](datagen::BlockWriter& w) { datagen::NumberMember(w.Int(B::OP_SUB), 1).Int(-1); }},
        {"unary", Un(U::OP_NEG, 3.0f), 1,
         [](datagen::BlockWriter& w) { datagen::NumberMember(w.Int(U::OP_NEG), 3); }},
        {"trinary", Tri(T::OP_RANGE, 1.0f, 2.0f, 3.0f, 0x5), 2,
         [](datagen::BlockWriter& w) {
             datagen::NumberMember(datagen::NumberMember(datagen::NumberMember(w.Int(T::OP_RANGE), 1), 2), 3).Word(0x5);
         }},
        {"function", pCall, 2,
         [](datagen::BlockWriter& w) { datagen::NumberMember(w.Word(0x00070003).Int(2), 6).Int(-1); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.why);
        ASSERT_TRUE(datagen::WriteObjectFile(m_dir.HostPath("written.dat"), *row.pValue));
        ASSERT_TRUE(datagen::WriteObjectBlocksFile(m_dir.HostPath("laid.dat"), row.pValue->GetType()->m_nTypeId,
                                                   [&](datagen::BlockWriter& w) {
                                                       datagen::ValueBlock(w, row.version, false);
                                                       row.fields(w);
                                                       w.End();
                                                   }));
        EXPECT_EQ(ReadHostFile(m_dir.HostPath("written.dat")), ReadHostFile(m_dir.HostPath("laid.dat")));
    }
}

// An operand the operator cannot take (no value class, or a block it
// refuses) is a damaged file: the operator is not loaded.
TEST_F(gcValOperatorsTest, ReadsOverOperandsItCannotTake)
{
    const struct {
        const char* why;
        std::function<void(datagen::BlockWriter&)> operand1;
        const char* text;
    } rows[] = {
        {"an event is no value: skipped, left missing",
         [](datagen::BlockWriter& w) { w.Int(83).Begin(3).Begin(1).End().Int(-1).End(); }, "(  - 4 )"},
        {"a number of version 0 keeps its default",
         [](datagen::BlockWriter& w) { datagen::ValueBlock(w.Int(78), 0, false).Float(5.0f).End(); }, "( 0 - 4 )"},
        {"an event variable whose gcLValue block has version 0",
         [](datagen::BlockWriter& w) {
             w.Int(179).Begin(2).Begin(0).Begin(1).Begin(1).End().End().End().Int(2).Int(1).End();
         },
         "( [Param1] - 4 )"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.why);
        const B* p = LoadFields<B>(1, [&](datagen::BlockWriter& w) {
            r.operand1(w.Int(B::OP_SUB));
            datagen::NumberMember(w, 4.0f);
        });
        EXPECT_EQ(p, nullptr) << r.text;
    }
    EXPECT_EQ(LoadFields<B>(0, [](datagen::BlockWriter& w) { w.Int(B::OP_ADD).Int(-1).Int(-1); }), nullptr);
}

TEST_F(gcValOperatorsTest, VersionOneTrinaryHasBothRangeBoundsInclusive)
{
    const T* p = LoadFields<T>(1, [](datagen::BlockWriter& w) {
        w.Int(T::OP_RANGE);
        datagen::NumberMember(datagen::NumberMember(datagen::NumberMember(w, 1), 0), 1);
    });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->nFlags, 0u);
    EXPECT_EQ(p->Get(m_params), 1.0f);
    const T* pAgain = RoundTrip(*p);
    ASSERT_NE(pAgain, nullptr);
    EXPECT_EQ(Text(*pAgain), "range( 1, 0, 1 )");
}

}  // namespace
