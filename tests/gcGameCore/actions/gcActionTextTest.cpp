// The text forms of the flow-control actions and of the classes that keep
// their bytes, as the tools' script listing and the log show them.
#include <gtest/gtest.h>

#include <string>

#include "actionTestSupport.h"
#include "gcGameCore/actions/gcDoLog.h"
#include "gcGameCore/actions/gcDoSetValue.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

// Each row's action and its copy show the text; the copy is a new object,
// and no child index outside the action's count gives a child.
TEST(gcActionText, RecursiveTextsOfEveryFlowControlFormAndOfItsCopy)
{
    cMemPool pool{"gcActionText", 0x10000, false};
    gcTestBuilder b{pool};
    gcTestDataDir dir;
    const gcEvent* pPending = LoadHandLaidEvent(dir, pool, [](datagen::BlockWriter& w) {
        w.Int(kPendingId);
        datagen::ActionBlock(w, 2).End();
    });
    ASSERT_NE(pPending, nullptr);
    const struct {
        const char* name;
        const gcAction* pAction;
        const char* text;
    } rows[] = {
        {"return without a value", datagen::NewReturn(&pool, nullptr), "return"},
        {"return with a value", datagen::NewReturn(&pool, b.Num(1.0f)), "return Test"},
        {"function: its value's text", datagen::NewDoFunction(&pool, b.Num(1.0f)), "Test"},
        {"function without a value", datagen::NewDoFunction(&pool, nullptr), "???"},
        {"evaluation", datagen::NewEvaluation(&pool, b.Num(1.0f), {}, {}), "if Test"},
        {"evaluation without a condition", datagen::NewEvaluation(&pool, nullptr, {}, {}), "if ???"},
        {"set-value, infix", datagen::NewSetValue(&pool, gcDoSetValue::OP_ASSIGN_INC, b.Var(gcValTest::TEMP1), b.Num(1.0f)),
         "Test += Test"},
        {"set-value without a destination", datagen::NewSetValue(&pool, gcDoSetValue::OP_ASSIGN_DIV, nullptr, b.Num(1.0f)),
         " /= Test"},
        {"set-value past the operations", datagen::NewSetValue(&pool, 5, b.Var(gcValTest::TEMP1), b.Num(1.0f)),
         "Test ??? Test"},
        {"comment: a leaf", datagen::NewLog(&pool, gcDoLog::LOG_COMMENT, "note", b.Num(1.0f), b.Num(2.0f)), "// note"},
        {"comment without a message", datagen::NewLog(&pool, gcDoLog::LOG_COMMENT, nullptr, nullptr, nullptr), "// ???"},
        {"log with both parameters", datagen::NewLog(&pool, gcDoLog::LOG_INFO, "hi", b.Num(1.0f), b.Num(2.0f)),
         "LogInfo[\"hi\"]( Test, Test )"},
        {"log with the second parameter only", datagen::NewLog(&pool, gcDoLog::LOG_INFO, "hi", nullptr, b.Num(2.0f)),
         "LogInfo[\"hi\"], Test"},
        {"alert without a message", datagen::NewLog(&pool, gcDoLog::LOG_ALERT, nullptr, nullptr, nullptr),
         "Alert[\"???\"]"},
        {"log type past the table", datagen::NewLog(&pool, 3, "hi", nullptr, nullptr), "???[\"hi\"]"},
        {"a class that keeps its bytes: its name less gc and Do", pPending->pAction, "TestStandIn"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.pAction, nullptr);
        const auto* pCopy = static_cast<const gcAction*>(row.pAction->Copy(&pool));
        ASSERT_NE(pCopy, nullptr);
        EXPECT_NE(pCopy, row.pAction);
        for (const gcAction* p : {row.pAction, pCopy}) {
            char sText[gcScriptText::kSize] = "";
            p->GetTextRecursive(sText);
            EXPECT_STREQ(sText, row.text);
            EXPECT_EQ(p->GetChildByIndex(-1), nullptr);
            EXPECT_EQ(p->GetChildByIndex(p->GetNumChildren()), nullptr);
        }
    }
}

}  // namespace
