#include "gcGameCore/entities/gcTemplateRead.h"

#include <gtest/gtest.h>

#include <string>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cReadBlock.h"
#include "datagen/blockWriter.h"
#include "gcGameCore/script/gcScriptTestObjects.h"

namespace {

// A template block of three words. Each row reads some of them (past its
// three the block fails), then ends the read as a template whose own part
// was reached or not.
TEST(gcTemplateReadTest, AFailedReadEndsAtTheBlocksEndAndIsRefusedOnlyForItsOwnPart)
{
    gcTestDataDir dir;
    datagen::BlockWriter w;
    w.Header().Begin(3).Word(1).Word(2).Word(3).End().Trailer();
    ASSERT_TRUE(w.Save(dir.HostPath("t.dat")));
    uint32_t nEnd = 0;  // where a block read whole leaves the file
    {
        cFile in;
        ASSERT_TRUE(in.Open("/t.dat"));
        {
            cReadBlock rb(in, 3);
            for (int i = 0; i < 3; ++i)
                rb.ReadUInt();
        }
        nEnd = in.GetCurrentPos();
        in.Close();
    }
    ASSERT_GT(nEnd, 0u);
    const struct {
        const char* sName;
        int nWordsRead;
        bool bOwnPartReached;
        int nRefusals;  // "gcTestTemplate: own part not accepted" lines
        bool bFailed;   // the block failed: where the file stands is the failure's
    } rows[] = {
        {"own part refused", 1, true, 1, false},
        {"a parent part failed", 0, false, 0, false},
        {"the block failed", 4, true, 0, true},
        {"the block failed in a parent part", 4, false, 0, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.sName);
        cFile in;
        ASSERT_TRUE(in.Open("/t.dat"));
        gcTestLogCapture log;
        {
            cReadBlock rb(in, 3);
            for (int i = 0; i < row.nWordsRead; ++i)
                rb.ReadUInt();
            EXPECT_EQ(rb.Failed(), row.bFailed);
            EXPECT_FALSE(gcTemplateRead::Fail(rb, row.bOwnPartReached, "gcTestTemplate", "own part"));
        }
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "gcTestTemplate: own part not accepted"), row.nRefusals);
        // A refusal fails the file as a damaged one; a parent part's
        // failure leaves the file as it stands.
        if (!row.bFailed && row.nRefusals == 0) {
            EXPECT_EQ(in.GetCurrentPos(), nEnd) << "skipped to the block's end";
        }
        EXPECT_EQ(in.Failed(), row.bFailed || row.nRefusals > 0);
        in.Close();
    }
}

}  // namespace
