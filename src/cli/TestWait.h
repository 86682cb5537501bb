#pragma once

#include <QString>

#include <functional>

namespace springtest {

class Tbankhk;

// Runs the event loop until `done` or the timeout; false on timeout. The sequencer's timers, the panel's
// messages and the signals all arrive through that loop.
bool waitUntil(const std::function<bool()>& done, int timeout_ms);

// How the wait for a running test ended.
enum class TestEnd {
    Idle,               // the test, and the series it belongs to, ended and were stored or refused
    TimedOut,           // still running at the timeout
    Interrupted,        // a termination signal came
    AcquisitionFailed,  // the acquisition loop ended with an error: nothing moves or is read any more
};

// Waits for the running test to end. A loop that failed leaves the test waiting for readings that never
// come: that ends the wait at once, as a signal does, rather than at the timeout.
TestEnd waitForTestEnd(const std::function<bool()>& testIdle, const Tbankhk& acquisition,
                       const std::function<bool()>& interrupted, int timeout_ms);

// Waits until the acquisition loop has gone round a few times since now, or has ended: what is read next is
// what the card shows after the last command.
void awaitFreshReadings(const Tbankhk& acquisition);

// Why the acquisition loop ended, in the operator's words.
QString acquisitionEndText(const Tbankhk& acquisition);

}  // namespace springtest
