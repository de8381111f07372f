#pragma once
// Audio memory (AR) and its transfer queue (ARQ). Audio memory is a host
// buffer of the console's size, addressed in bytes; the voice layer reads its
// samples from it. Allocation hands out 32-byte aligned blocks; a block is
// freed by its address, so blocks may be released in any order (the game
// releases them most recent first).
//
// Threads: any OS thread; the calls are serialised with the interrupt lock.
// Transfers are copies done at once: a posted request is complete, and its
// callback has run (at interrupt level, on the posting thread), before
// ARQPostRequest returns.

#include <cstdint>

#include "platform/os.h"

constexpr uint32_t AR_MEMORY_SIZE = 0x1000000;  // 16 MiB of audio memory
constexpr uint32_t AR_DMA_ALIGN = 32;           // transfer addresses and lengths are multiples of this
// assumed: the console keeps the first 16 KiB for the DSP; allocation starts
// above them, which also keeps 0 free as the failure value.
constexpr uint32_t AR_BASE_ADDRESS = 0x4000;

// ---- memory -------------------------------------------------------------------
// Prepares audio memory. stackIndexAddr and numEntries are the caller's table
// for block bookkeeping: numEntries bounds how many blocks can be live (the
// table itself is not written). Idempotent; returns the first allocatable
// address.
uint32_t ARInit(uint32_t* stackIndexAddr, uint32_t numEntries);
BOOL ARCheckInit();
// A block of length bytes rounded up to 32, 32-byte aligned; its contents are
// what the memory held. 0 (logged) when AR is not initialised, the table of
// live blocks is full or no gap is large enough.
uint32_t ARAlloc(uint32_t length);
// Releases the block that starts at address; *pLength (when not null) gets its
// length. FALSE (logged) when no live block starts there, so a block is never
// released twice. Builds with checks log a warning when the block is not the
// most recently allocated live one.
BOOL ARFree(uint32_t address, uint32_t* pLength);
uint32_t ARGetSize();         // AR_MEMORY_SIZE
uint32_t ARGetBaseAddress();  // AR_BASE_ADDRESS
// Non-zero while a transfer is in flight; always 0 here, as transfers finish
// within the call that starts them.
uint32_t ARGetDMAStatus();

// ---- transfer queue ------------------------------------------------------------
constexpr uint32_t ARQ_TYPE_MRAM_TO_ARAM = 0;  // main memory to audio memory
constexpr uint32_t ARQ_TYPE_ARAM_TO_MRAM = 1;  // audio memory to main memory
constexpr uint32_t ARQ_PRIORITY_LOW = 0;
constexpr uint32_t ARQ_PRIORITY_HIGH = 1;

struct ARQRequest;
// Runs at interrupt level when the request is complete.
typedef void (*ARQCallback)(ARQRequest* request);

struct ARQRequest {
    ARQRequest* next = nullptr;
    uint32_t owner = 0;
    uint32_t type = 0;      // ARQ_TYPE_*
    uint32_t priority = 0;  // ARQ_PRIORITY_*
    uintptr_t source = 0;   // main-memory pointer or audio-memory address, by type
    uintptr_t dest = 0;
    uint32_t length = 0;    // bytes
    ARQCallback callback = nullptr;
};

void ARQInit();  // idempotent
// Copies length bytes between a main-memory pointer and an audio-memory
// address. A transfer whose audio-memory range leaves the memory, or whose
// address or length is not a multiple of 32, copies nothing (logged); its
// callback runs all the same, so no waiter hangs.
void ARQPostRequest(ARQRequest* request, uint32_t owner, uint32_t type, uint32_t priority, uintptr_t source,
                    uintptr_t dest, uint32_t length, ARQCallback callback);
