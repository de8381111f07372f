#pragma once
// A comment in a script, or a log line of a message and up to two values.
// Owns its values; its message lives in a 44-byte buffer taken from the
// action's pool on first use. Lives in its event's pool; main thread. Type
// id 192.

#include "gcGameCore/script/gcAction.h"

class gcDoLog : public gcAction {
    QM_DECLARE_TYPE(gcDoLog)
public:
    static constexpr uint32_t kVersion = 4;
    static constexpr uint32_t kMinVersion = 2;
    static constexpr int kMaxMsg = 43;         // characters the message buffer holds
    static constexpr int kMaxWrittenMsg = 40;  // characters written to a file
    static constexpr int kNumParams = 2;
    static constexpr int kLineSize = 256;      // the composed log line, terminator included

    // Stored in data files.
    enum gcLogType : int32_t { LOG_COMMENT = 0, LOG_INFO = 1, LOG_ALERT = 2, MAX_LOGTYPES = 3 };
    static const char* GetLogTypeText(int32_t type);  // "Comment", "LogInfo", "Alert"; "???" outside

    gcDoLog() = default;
    ~gcDoLog() override;

    cBase* Copy(cMemPool* pPool) const override;
    // Version 4: the base block, the message length (at most 40) and its
    // bytes, the log type, the count 2 and both parameters (-1 for none).
    void Write(const cFile& file) const override;
    // Versions 2 to 4 (others skipped, false); 2 and 3 hold a flag word
    // (non-zero: LOG_INFO) for the type, 3 and 4 the parameters, of which
    // the first two are kept. A message longer than 43 characters keeps its
    // first 43. Unchanged unless read whole.
    bool Read(const cFile& file, cMemPool* pPool) override;

    // "// message" for a comment; otherwise the type and ["message"].
    void GetText(char* pBuf) const override;
    // Function form; a leaf for comments; parenthesised with parameter 1.
    unsigned GetTextFlags() const override;
    int GetNumChildren() const override { return kNumParams; }
    const gcValue* GetChildByIndex(int i) const override;
    // Comments do nothing. Otherwise "Log: message: p1, p2" goes to the log
    // (alerts as warnings); the parameters are evaluated.
    void DoAction(const gcEventParams& params) const override;

    // Editing: replaces the message (null or empty clears it; longer texts
    // keep their first 43 characters). False when the pool has no room.
    bool Set(const char* sMsg);
    // Editing: the value into the first free slot; false when both are taken.
    bool AddParam(gcValue* pValue);

    int32_t logType = LOG_COMMENT;  // a gcLogType as stored
    gcValue* pParams[kNumParams] = {nullptr, nullptr};
    char* m_sMsg = nullptr;  // kMaxMsg + 1 bytes once set; null: no message

private:
    // Copies up to kMaxMsg characters of text into the buffer, taking it
    // from pPool first; false when the pool has no room.
    bool StoreMsg(const char* sText, int nLength, cMemPool* pPool);
};
