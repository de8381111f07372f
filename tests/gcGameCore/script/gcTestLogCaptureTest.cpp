// The tests' log capture, nested as a fixture's and a test's own.
#include <gtest/gtest.h>

#include "cCore/cLog.h"
#include "gcScriptTestObjects.h"

namespace {

// An inner capture takes the lines while it lives; the outer one collects
// again once it is gone, two deep as one deep.
TEST(gcTestLogCapture, AnInnerCaptureGivesTheLogBackToTheOuterOne)
{
    gcTestLogCapture outer;
    cLogError_("outer before");
    {
        gcTestLogCapture middle;
        {
            gcTestLogCapture inner;
            cLogError_("inner");
            EXPECT_EQ(inner.Count(LOGTYPE_ERROR, ""), 1);
        }
        cLogWarn_("middle after");
        EXPECT_EQ(middle.Count(LOGTYPE_WARNING, "middle after"), 1);
        EXPECT_EQ(middle.Count(LOGTYPE_ERROR, ""), 0);
    }
    cLogError_("outer after");
    EXPECT_EQ(outer.Count(LOGTYPE_ERROR, "outer "), 2);
    EXPECT_EQ(outer.Count(LOGTYPE_ERROR, "inner"), 0);
    EXPECT_EQ(outer.Count(LOGTYPE_WARNING, ""), 0);
}

}  // namespace
