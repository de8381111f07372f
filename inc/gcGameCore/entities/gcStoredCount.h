#pragma once
// A count a data file stores before an array that fills a fixed array of
// ours: at most the capacity is read and the surplus elements are read and
// discarded, so the block still ends where its header says (older blocks
// hold more than the tables), with a warning. A negative count, which no
// writer writes, fails the file (cReadBlock::Reject) and reads nothing. A
// plain value on the reader's stack.

class cReadBlock;

struct gcStoredCount {
    // Reads the 32-bit count.
    static gcStoredCount Read(const cReadBlock& rb, int nCapacity, const char* sClass, const char* sWhat);
    // Reads and discards the elements beyond the capacity (each nBytes, a
    // multiple of 4), stopping early when the block runs out.
    void SkipSurplus(const cReadBlock& rb, int nBytes) const;

    int m_nStored = 0;  // as stored, never below 0
    int m_nRead = 0;    // min(stored, capacity)
};
