#include "mMath/mOCS.h"

#include "mMathTestUtil.h"

TEST(mOCS, LookAtDegenerateCasesStayFinite)
{
    struct Row {
        const char* name;
        mVec3 eye, target, hint;
        mBasis expected;
    } rows[] = {
        {"looking along +Y", {1, 2, 3}, {1, 7, 3}, {0, 0, 1}, {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}},
        {"target at the eye", {1, 2, 3}, {1, 2, 3}, {0, 0, 1}, {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}}},
        {"hint along the view", {0, 0, 0}, {0, 0, 5}, {0, 0, 1}, {{0, 0, 0}, {0, 0, 1}, {0, 0, 0}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        mOCS o;
        o.LookAt(row.eye, row.target, row.hint);
        EXPECT_EQ(o.origin, row.eye);
        EXPECT_TRUE(BasisNear(o.basis, row.expected, 0.0f));
    }
}
