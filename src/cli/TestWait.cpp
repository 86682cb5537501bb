#include "cli/TestWait.h"

#include "measurement/Tbankhk.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

namespace springtest {

bool waitUntil(const std::function<bool()>& done, int timeout_ms) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeout_ms) return false;
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

TestEnd waitForTestEnd(const std::function<bool()>& testIdle, const Tbankhk& acquisition,
                       const std::function<bool()>& interrupted, int timeout_ms) {
    TestEnd end = TestEnd::TimedOut;
    waitUntil(
        [&] {
            if (interrupted())
                end = TestEnd::Interrupted;
            else if (!acquisition.isRunning())
                end = TestEnd::AcquisitionFailed;
            else if (testIdle())
                end = TestEnd::Idle;
            return end != TestEnd::TimedOut;
        },
        timeout_ms);
    return end;
}

void awaitFreshReadings(const Tbankhk& acquisition) {
    const uint64_t cycles = acquisition.cycles();
    waitUntil([&] { return acquisition.cycles() > cycles + 3 || !acquisition.isRunning(); }, 2000);
}

QString acquisitionEndText(const Tbankhk& acquisition) {
    const QString error = acquisition.lastError();
    return error.isEmpty() ? QStringLiteral("the acquisition loop has ended: the machine is no longer read")
                           : QStringLiteral("the acquisition loop has ended: %1").arg(error);
}

}  // namespace springtest
