#pragma once
// Small services the whole system takes for granted: CRC-32, a time-seeded
// random integer, the command line, decimal parsing, path splitting, the time
// in seconds, and the once-per-frame OS service step with the reset path.
// CRC, random and time may be called on the loader thread; the rest runs on
// the main thread.

#include <cstdint>

class cStr;

uint32_t cCalcCRC32(const void* pData, uint32_t nLength);  // 0 for no bytes
uint32_t cIRand();

// The command line is not copied: the text must outlive every lookup.
void cSetCommandLine(const char* text);
// Looks for "/name" (case-insensitive) and its value after blanks or '=',
// optionally in double quotes; the value comes back in lower case, at most
// 255 characters. False when the option is absent.
bool cGetCommandLineValue(const char* name, cStr* pValue);
constexpr int kCommandLineSize = 256;  // work buffer; longer text is cut

int32_t cAtoI(const char* text);  // strict decimal; 0 for anything else
char cToLower(char c);
bool cCheckFileExt(const char* name, const char* ext);  // last three chars
cStr& cGetFileExt(const char* name, cStr* pResult);
cStr& cGetFilename(const char* path, cStr* pResult);
cStr& cGetFilenameAndExt(const char* path, cStr* pResult);
cStr& cGetPath(const char* path, cStr* pResult);

double cGetTimeSeconds();  // seconds since the first call

// The per-frame service step: thread check, reset button, disc status.
// True until the host asks the program to end (window closed, frame count
// reached); every loop then ends at its next check.
bool cUpdateOS();
typedef void (*cResetNotifyFunc)();
cResetNotifyFunc cSetResetNotify(cResetNotifyFunc func);  // returns the previous one
// The reset button's press-then-release state; notifies when released.
bool cCheckResetState();
// Soft reset with the save region kept. Does not return.
void cHandleReset();
// Back to "not pressed". The system never needs it (a reset restarts the
// program); tests do, between cases.
void cClearResetState();

// The disc-status step of cUpdateOS: the file layer installs a function that
// reads its status and calls its error notification while the status is bad.
typedef void (*cDiscStatusCheckFunc)();
cDiscStatusCheckFunc cSetDiscStatusCheck(cDiscStatusCheckFunc func);
