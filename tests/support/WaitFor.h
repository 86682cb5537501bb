#pragma once

#include <QDeadlineTimer>
#include <QtTest>

#include <functional>

namespace springtest::testing {

// Waits, handling events meanwhile, until `done` holds; false when `timeout_ms` passed first. For a state
// that another thread or the event loop brings about: a fixed sleep is either too short on a busy machine or
// wastes time on an idle one. In a test function QTRY_VERIFY_WITH_TIMEOUT says the same; this is for helpers
// and rigs.
inline bool waitFor(const std::function<bool()>& done, int timeout_ms = 5000) {
    const QDeadlineTimer deadline(timeout_ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QTest::qWait(5);
    }
    return true;
}

}  // namespace springtest::testing
