// The memory ranges the CPU announced as written (DCStoreRangeNoSync). A
// vertex array whose length was not declared is bounded by the announced
// range holding its base. Overlapping and touching ranges merge, so an array
// written in pieces (the skinning buffer, one record run after another)
// counts as one. A range lives only as long as the memory it describes:
// a heap block that is freed, or memory the CPU is about to fill anew
// (DCInvalidateRange, a pool being emptied), takes its bytes out of every
// range, so an array later placed there is not bounded by what used to be
// written around it.

#include "gx/gxFront_local.h"

#include <cstdint>
#include <map>
#include <mutex>

namespace {

std::mutex s_mutex;
std::map<uintptr_t, uintptr_t> s_ranges;  // start -> end (exclusive), disjoint, not touching

}  // namespace

void gxStoredRangesAdd(const void* addr, uint32_t len)
{
    if (!addr || len == 0)
        return;
    uintptr_t start = reinterpret_cast<uintptr_t>(addr);
    uintptr_t end = start + len;
    if (end < start)
        return;  // wraps the address space: not a real range
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_ranges.upper_bound(start);
    if (it != s_ranges.begin()) {
        auto prev = std::prev(it);
        if (prev->second >= start)
            it = prev;
    }
    while (it != s_ranges.end() && it->first <= end) {
        start = std::min(start, it->first);
        end = std::max(end, it->second);
        it = s_ranges.erase(it);
    }
    s_ranges.emplace(start, end);
}

void gxStoredRangesRemove(const void* addr, uint64_t len)
{
    if (!addr || len == 0)
        return;
    const uintptr_t start = reinterpret_cast<uintptr_t>(addr);
    const uintptr_t end = len > UINTPTR_MAX - start ? UINTPTR_MAX : start + len;
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_ranges.upper_bound(start);
    if (it != s_ranges.begin() && std::prev(it)->second > start)
        --it;
    while (it != s_ranges.end() && it->first < end) {
        const uintptr_t first = it->first;
        const uintptr_t last = it->second;
        it = s_ranges.erase(it);
        // The parts before and after the removed bytes stay announced.
        if (first < start)
            s_ranges.emplace(first, start);
        if (last > end)
            s_ranges.emplace(end, last);
    }
}

void gxStoredRangesClear()
{
    std::lock_guard<std::mutex> lock(s_mutex);
    s_ranges.clear();
}

uint64_t gxStoredRangeBytesFrom(const void* addr)
{
    const uintptr_t a = reinterpret_cast<uintptr_t>(addr);
    std::lock_guard<std::mutex> lock(s_mutex);
    auto it = s_ranges.upper_bound(a);
    if (it == s_ranges.begin())
        return 0;
    --it;
    return (a < it->second) ? it->second - a : 0;
}

uint64_t gxArrayLimit(const gxArray& array)
{
    if (array.boundsKnown)
        return array.bytes;
    const uint64_t stored = gxStoredRangeBytesFrom(array.base);
    return stored ? stored : UINT64_MAX;
}
