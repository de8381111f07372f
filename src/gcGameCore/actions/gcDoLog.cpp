#include "gcGameCore/actions/gcDoLog.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cCore/cFile.h"
#include "cCore/cLog.h"
#include "cCore/cMemPool.h"
#include "cCore/cReadBlock.h"
#include "cCore/cWriteBlock.h"
#include "gcGameCore/script/gcScriptText.h"
#include "gcGameCore/script/gcValue.h"

QM_DEFINE_TYPE(gcDoLog, gcAction, 192)

const char* gcDoLog::GetLogTypeText(int32_t type)
{
    static const char* const s_texts[MAX_LOGTYPES] = {"Comment", "LogInfo", "Alert"};
    return type >= 0 && type < MAX_LOGTYPES ? s_texts[type] : "???";
}

gcDoLog::~gcDoLog()
{
    DestroyValues(pParams, kNumParams);
}

bool gcDoLog::StoreMsg(const char* sText, int nLength, cMemPool* pPool)
{
    if (!m_sMsg)
        m_sMsg = pPool ? static_cast<char*>(pPool->Alloc(kMaxMsg + 1, 1)) : nullptr;
    if (!m_sMsg)
        return false;
    const int nCopy = std::min(nLength, kMaxMsg);
    std::memcpy(m_sMsg, sText, static_cast<size_t>(nCopy));
    m_sMsg[nCopy] = '\0';
    return true;
}

bool gcDoLog::Set(const char* sMsg)
{
    if (!sMsg || !sMsg[0]) {
        m_sMsg = nullptr;  // the buffer stays with the pool
        return true;
    }
    return StoreMsg(sMsg, static_cast<int>(strnlen(sMsg, kMaxMsg)), cMemPool::GetPoolFromPtr(this));
}

bool gcDoLog::AddParam(gcValue* pValue)
{
    for (gcValue*& p : pParams)
        if (!p) {
            p = pValue;
            return true;
        }
    return false;
}

cBase* gcDoLog::Copy(cMemPool* pPool) const
{
    gcDoLog* pCopy = pPool ? pPool->New<gcDoLog>() : nullptr;
    if (!pCopy)
        return nullptr;
    const bool bMsg = !m_sMsg || pCopy->StoreMsg(m_sMsg, static_cast<int>(std::strlen(m_sMsg)), pPool);
    if (!bMsg || !CopyValues(pParams, pPool, pCopy->pParams, kNumParams)) {
        std::destroy_at(pCopy);
        return nullptr;
    }
    pCopy->logType = logType;
    return pCopy;
}

void gcDoLog::Write(const cFile& file) const
{
    cWriteBlock wb(file, kVersion);
    gcAction::Write(file);
    const int nLength = m_sMsg ? static_cast<int>(strnlen(m_sMsg, kMaxWrittenMsg)) : 0;
    wb.WriteInt(nLength);
    wb.WriteChars(m_sMsg, nLength);
    wb.WriteInt(logType);
    wb.WriteInt(kNumParams);
    for (const gcValue* p : pParams)
        wb.WriteBase(p);
}

// The parameters of versions 3 and 4: a count, then that many values of
// which the first two are kept and the rest read over. False when the
// block failed or the pool is full; then none is kept.
static bool ReadParams(const cReadBlock& rb, cMemPool* pPool, gcValue** ppOut)
{
    const int32_t nCount = rb.ReadInt();
    const cType* const classes[] = {gcValue::GetStaticType(), gcValue::GetStaticType()};
    const int nKept = std::clamp(nCount, 0, gcDoLog::kNumParams);
    if (!gcAction::ReadValues(rb, pPool, classes, ppOut, nKept))
        return false;
    // Each member takes at least its id word, so the block's end stops this.
    for (int32_t i = nKept; i < nCount && !rb.Failed(); ++i)
        rb.SkipBase();
    if (!rb.Failed())
        return true;
    gcAction::DestroyValues(ppOut, nKept);
    return false;
}

bool gcDoLog::Read(const cFile& file, cMemPool* pPool)
{
    cReadBlock rb(file, kVersion);
    if (rb.m_nVersion < kMinVersion || rb.m_nVersion > kVersion || !gcAction::Read(file, pPool))
        return rb.Reject("gcDoLog", "version");
    const int32_t nLength = rb.ReadInt();
    const uint32_t nPos = file.GetCurrentPos();
    // Checked against the block before the bytes are read or skipped.
    if (rb.Failed() || nLength < 0 || nPos > rb.m_nEndOffset || static_cast<uint32_t>(nLength) > rb.m_nEndOffset - nPos)
        return rb.Reject("gcDoLog", "message length");
    // The buffer holds 43 characters: longer messages keep their start.
    const int32_t nKept = std::min<int32_t>(nLength, kMaxMsg);
    char sMsg[kMaxMsg] = {};
    rb.ReadChars(sMsg, nKept);
    file.SetCurrentPos(nPos + static_cast<uint32_t>(nLength));
    const int32_t nType = rb.m_nVersion >= 4 ? rb.ReadInt() : (rb.ReadInt() != 0 ? LOG_INFO : LOG_COMMENT);
    gcValue* params[kNumParams] = {};
    if ((rb.m_nVersion >= 3 && !ReadParams(rb, pPool, params)) || rb.Failed())
        return rb.Reject("gcDoLog", "parameters");
    if (nLength > 0 && !StoreMsg(sMsg, nKept, pPool)) {
        DestroyValues(params, kNumParams);
        return rb.Reject("gcDoLog", "message (pool full)");
    }
    if (nLength == 0)
        m_sMsg = nullptr;
    DestroyValues(pParams, kNumParams);
    std::copy_n(params, kNumParams, pParams);
    logType = nType;
    return true;
}

void gcDoLog::GetText(char* pBuf) const
{
    const char* sMsg = m_sMsg ? m_sMsg : "???";
    if (logType == LOG_COMMENT)
        gcScriptText::AppendF(pBuf, "// %s", sMsg);
    else
        gcScriptText::AppendF(pBuf, "%s[\"%s\"]", GetLogTypeText(logType), sMsg);
}

unsigned gcDoLog::GetTextFlags() const
{
    unsigned nFlags = gcScriptText::kFunction;
    if (logType == LOG_COMMENT)
        nFlags |= gcScriptText::kLeaf;
    if (pParams[0])
        nFlags |= gcScriptText::kParentheses;
    return nFlags;
}

const gcValue* gcDoLog::GetChildByIndex(int i) const
{
    return i >= 0 && i < kNumParams ? pParams[i] : nullptr;
}

void gcDoLog::DoAction(const gcEventParams& params) const
{
    if (logType == LOG_COMMENT)
        return;
    char sLine[kLineSize];
    int nUsed = std::snprintf(sLine, sizeof sLine, "Log: %s", m_sMsg ? m_sMsg : "???");
    for (int i = 0; i < kNumParams; ++i) {
        if (!pParams[i])
            continue;
        const double fValue = pParams[i]->Get(params);
        nUsed = std::min(nUsed, kLineSize - 1);
        nUsed += std::snprintf(sLine + nUsed, sizeof sLine - static_cast<size_t>(nUsed), "%s%g", i == 0 ? ": " : ", ",
                               fValue);
    }
    if (logType == LOG_ALERT)
        cLogWarn_("%s", sLine);
    else
        cLogInfo_("%s", sLine);
}
