#pragma once
// Runs the event loop until `condition()` holds or `ms` milliseconds have passed; true when it
// held. For window tests that wait on timers, worker threads or the audio thread.

#include <QTest>

#include <chrono>

namespace testing_support {

template <typename F> bool waitFor(F condition, int ms = 10000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        QTest::qWait(5);
    }
    return true;
}

} // namespace testing_support
