#pragma once
// Runs the program as a child process with a time bound (stretched for a
// busy machine, and more under a sanitizer): its exit code, its
// output (stdout and stderr together) and how long it took. An optional
// step runs once when the output first holds a given text (to remove the
// data folder, send a signal).

#include <functional>
#include <string>
#include <vector>

namespace qmtest {

// Whether this build runs under a sanitizer, which runs the program several
// times slower. As a macro too, for tests that cannot run there at all and
// are left out of such a build (a skipped test would fail the run).
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
#define QM_TEST_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QM_TEST_SANITIZED 1
#endif
#endif
#ifndef QM_TEST_SANITIZED
#define QM_TEST_SANITIZED 0
#endif
inline constexpr bool kSanitized = QM_TEST_SANITIZED != 0;

// The bound stops a child that hangs; it does not time the run. A busy
// machine (a whole suite run with many jobs, a load of 50 on 8 cores) makes
// a run several times slower, and a sanitizer build slower again: a bound
// is four times what a run needs on a quiet machine, eight under a
// sanitizer, so that load alone fails no test. RunChild stretches its bound
// so; a test that bounds a run's time itself stretches it alike.
inline constexpr double kBoundScale = kSanitized ? 8.0 : 4.0;

struct ChildResult {
    int nExit = -1;          // the exit code; 128 + the signal when one ended it
    bool bTimedOut = false;  // killed at the bound
    std::string log;
    double seconds = 0.0;
};

struct ChildStep {
    std::string when;                     // text in the output that triggers it
    std::function<void(int pid)> action;  // run once with the child's pid
};

// inChild runs in the child between the fork and the program's start (to
// lower a limit, say): only calls that are safe there.
ChildResult RunChild(const std::vector<std::string>& args, double boundSeconds,
                     const std::vector<ChildStep>& steps = {}, const std::function<void()>& inChild = {});

}  // namespace qmtest
