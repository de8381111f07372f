#include "gcGameCore/actions/gcDoLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "actionTestSupport.h"
#include "gcGameCore/script/gcScriptText.h"

namespace {

class gcDoLogTest : public testing::Test {
protected:
    gcDoLog* Load(uint32_t version, const std::string& msg, int32_t typeWord,
                  const std::function<void(datagen::BlockWriter&)>& params)
    {
        m_pool.Reset();
        gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
            w.Int(192);
            datagen::ActionBlock(w, version).Int(static_cast<int32_t>(msg.size())).Bytes(msg.data(), msg.size());
            w.Int(typeWord);
            params(w);
            w.End();
            RecordMember(w, 1);
        });
        if (!pEvent || !pEvent->pAction || pEvent->pAction->GetType() != gcDoLog::GetStaticType())
            return nullptr;
        return static_cast<gcDoLog*>(pEvent->pAction);
    }
    cMemPool m_pool{"gcDoLogTest", 0x20000, false};
    gcTestBuilder b{m_pool};
    gcTestDataDir m_dir;
};

TEST_F(gcDoLogTest, OlderVersionsTakeTheTypeFromAFlagWord)
{
    const auto noParams = [](datagen::BlockWriter&) {};
    const auto threeParams = [](datagen::BlockWriter& w) {
        w.Int(3);
        ValTestMember(w, 1.0f);
        w.Int(-1);
        ValTestMember(w, 3.0f);  // past the two slots: read over
    };
    const struct {
        const char* name;
        uint32_t version;
        int32_t word;
        bool bParams;
        int32_t expectedType;
    } rows[] = {
        {"v2, any non-zero flag is LogInfo", 2, 7, false, gcDoLog::LOG_INFO},
        {"v2, zero flag is a comment", 2, 0, false, gcDoLog::LOG_COMMENT},
        {"v3, flag and parameters", 3, 1, true, gcDoLog::LOG_INFO},
        {"v4, the type itself", 4, gcDoLog::LOG_ALERT, true, gcDoLog::LOG_ALERT},
        {"v4, a type past the table is kept", 4, 7, true, 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const gcDoLog* p = row.bParams ? Load(row.version, "Note", row.word, threeParams)
                                       : Load(row.version, "Note", row.word, noParams);
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->logType, row.expectedType);
        EXPECT_STREQ(p->m_sMsg, "Note");
        EXPECT_EQ(p->pParams[0] != nullptr, row.bParams);
        EXPECT_EQ(p->pParams[1], nullptr);
        ASSERT_NE(p->pNextAction, nullptr) << "the action after it";
    }
}

TEST_F(gcDoLogTest, MessagesAreBoundedByTheirBufferAndTheirBlock)
{
    const std::string longMsg(60, 'x');
    const gcDoLog* p = Load(4, longMsg, gcDoLog::LOG_INFO, [](datagen::BlockWriter& w) { w.Int(0); });
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::string(p->m_sMsg), std::string(gcDoLog::kMaxMsg, 'x'));
    ASSERT_NE(p->pNextAction, nullptr);

    // A length longer than its block, or negative, is a damaged file: the
    // event is refused with one error naming the file.
    for (int32_t length : {1000, -1}) {
        SCOPED_TRACE(length);
        gcTestLogCapture log;
        m_pool.Reset();
        gcEvent* pEvent = LoadHandLaidEvent(m_dir, m_pool, [&](datagen::BlockWriter& w) {
            w.Int(192);
            datagen::ActionBlock(w, 4).Int(length).Int(0).Int(0).End();
            RecordMember(w, 1);
        });
        EXPECT_EQ(pEvent, nullptr);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, "message length"), 1);
        EXPECT_EQ(log.Count(LOGTYPE_ERROR, ""), 1);
    }

    gcDoLog* pSet = m_pool.New<gcDoLog>();
    ASSERT_TRUE(pSet->Set(longMsg.c_str()));
    EXPECT_EQ(std::strlen(pSet->m_sMsg), 43u);
    ASSERT_TRUE(pSet->Set(""));
    EXPECT_EQ(pSet->m_sMsg, nullptr);
}

TEST_F(gcDoLogTest, AppliedLinesShowTheMessageAndTheParametersPresent)
{
    const struct {
        const char* name;
        int32_t type;
        const char* msg;
        bool bFirst, bSecond;
        int logType;
        const char* line;  // null: nothing logged
    } rows[] = {
        {"both parameters", gcDoLog::LOG_INFO, "hi", true, true, LOGTYPE_INFO, "Log: hi: 1.5, -2"},
        {"a lone second parameter follows a comma", gcDoLog::LOG_INFO, "hi", false, true, LOGTYPE_INFO, "Log: hi, -2"},
        {"no message", gcDoLog::LOG_INFO, nullptr, true, false, LOGTYPE_INFO, "Log: ???: 1.5"},
        {"alerts are warnings", gcDoLog::LOG_ALERT, "hey", false, false, LOGTYPE_WARNING, "Log: hey"},
        {"comments log nothing", gcDoLog::LOG_COMMENT, "hi", true, true, LOGTYPE_INFO, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        gcEvent event("OnTest", "Owner");
        FillEvent(event, datagen::NewLog(&m_pool, row.type, row.msg, row.bFirst ? b.Num(1.5f) : nullptr,
                                         row.bSecond ? b.Num(-2.0f) : nullptr));
        gcTestLogCapture log;
        event.Apply(gcEventParams(), gcEventStackData());
        if (!row.line) {
            EXPECT_TRUE(log.m_lines.empty());
            continue;
        }
        ASSERT_EQ(log.m_lines.size(), 1u);
        EXPECT_EQ(log.m_lines[0].first, row.logType);
        EXPECT_EQ(log.m_lines[0].second, row.line);
    }
}

TEST_F(gcDoLogTest, AddParamFillsTheFirstFreeSlotOfTwo)
{
    gcDoLog* p = datagen::NewLog(&m_pool, gcDoLog::LOG_INFO, "x", nullptr, b.Num(2.0f));
    gcValue* pFirst = b.Num(1.0f);
    EXPECT_TRUE(p->AddParam(pFirst));
    EXPECT_EQ(p->pParams[0], pFirst);
    EXPECT_FALSE(p->AddParam(b.Num(3.0f)));
}

}  // namespace
