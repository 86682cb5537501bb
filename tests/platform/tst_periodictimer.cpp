// The periodic timer on a clock the test moves by hand: every assertion is about which ticks came and which
// deadline the timer waits for next, never about how fast the machine runs.

#include "platform/PeriodicTimer.h"
#include "support/WaitFor.h"

#include <QScopeGuard>
#include <QtTest>

#include <atomic>
#include <future>
#include <limits>
#include <thread>
#include <vector>

using namespace springtest;
using springtest::testing::waitFor;
using namespace std::chrono_literals;

namespace {

constexpr std::chrono::milliseconds kPeriod = 100ms;

// A clock that moves only when told, and that shows the deadline the timer waits for: the timer is known to
// have settled once it waits for the deadline expected of it.
class ManualClock : public TimerClock {
public:
    using duration = time_point::duration;

    time_point now() const override { return time_point(duration(m_now.load())); }
    void advanceTo(time_point t) {
        duration::rep current = m_now.load();
        while (t.time_since_epoch().count() > current &&
               !m_now.compare_exchange_weak(current, t.time_since_epoch().count())) {
        }
    }
    void advanceBy(duration d) { m_now.fetch_add(d.count()); }

    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, time_point deadline,
                   const std::function<bool()>& woken) override {
        m_waitingFor.store(deadline.time_since_epoch().count());
        bool wokenUp = woken();
        // The clock moves without notifying the timer, so it is looked at often.
        while (!wokenUp && now() < deadline) {
            wake.wait_for(lock, 1ms);
            wokenUp = woken();
        }
        m_waitingFor.store(kNotWaiting);
        return wokenUp;
    }
    bool waitsFor(time_point deadline) const {
        return m_waitingFor.load() == deadline.time_since_epoch().count();
    }
    bool waits() const { return m_waitingFor.load() != kNotWaiting; }
    // The deadline waited for, in periods from `origin` (-1 when not waiting), for messages.
    double waitedForInPeriods(time_point origin) const {
        const duration::rep at = m_waitingFor.load();
        return at == kNotWaiting ? -1.0 : inPeriods(time_point(duration(at)) - origin);
    }
    static double inPeriods(duration d) { return std::chrono::duration<double>(d) / kPeriod; }

private:
    static constexpr duration::rep kNotWaiting = std::numeric_limits<duration::rep>::min();
    std::atomic<duration::rep> m_now{std::chrono::duration_cast<duration>(1h).count()};
    std::atomic<duration::rep> m_waitingFor{kNotWaiting};
};

// When each tick came, on the timer's clock.
struct TickLog {
    mutable std::mutex mutex;
    std::vector<TimerClock::time_point> at;
    void add(TimerClock::time_point t) {
        std::lock_guard lock(mutex);
        at.push_back(t);
    }
    int count() const {
        std::lock_guard lock(mutex);
        return static_cast<int>(at.size());
    }
    // The tick times in periods from `origin`.
    QList<double> periodsSince(TimerClock::time_point origin) const {
        std::lock_guard lock(mutex);
        QList<double> periods;
        for (TimerClock::time_point t : at) periods << ManualClock::inPeriods(t - origin);
        return periods;
    }
};

ManualClock::duration periods(double count) {
    return std::chrono::duration_cast<ManualClock::duration>(count * kPeriod);
}

// A timer on a manual clock that logs each tick and then does the tick's `work` (given the tick's number,
// from 1). Times are in periods from the moment the rig was made.
struct TimerRig {
    explicit TimerRig(std::function<void(int)> tickWork = {}) : work(std::move(tickWork)) {}

    ManualClock clock;
    const TimerClock::time_point origin = clock.now();
    TickLog ticks;
    std::function<void(int)> work;
    PeriodicTimer timer{kPeriod,
                        [this] {
                            ticks.add(clock.now());
                            if (work) work(ticks.count());
                        },
                        clock};

    TimerClock::time_point at(double count) const { return origin + periods(count); }
    // Whether the timer has settled on waiting for the deadline `count` periods from the origin.
    bool waitsFor(double count) {
        return waitFor([&] { return clock.waitsFor(at(count)); });
    }
    QString waitingFor() const {
        return QStringLiteral("the timer waits for %1 periods").arg(clock.waitedForInPeriods(origin));
    }
    bool ticked(int count) {
        return waitFor([&] { return ticks.count() >= count; });
    }
    QList<double> tickTimes() const { return ticks.periodsSince(origin); }
};

}  // namespace

class TestPeriodicTimer : public QObject {
    Q_OBJECT
private slots:
    void ticksStayOnTheirDeadlines_data();
    void ticksStayOnTheirDeadlines();
    void overrunSkipsTheMissedTicksAndKeepsThePhase_data();
    void overrunSkipsTheMissedTicksAndKeepsThePhase();
    void restartWithinAPeriodStartsANewPhase();
    void stopFromAnotherThread_data();
    void stopFromAnotherThread();
    void stopInsideATick();
    void stopAndWaitOutlastsATickUnderWay();
    void ticksOnTheSteadyClock();
};

// However long a tick works (short of a period), the next deadline is one period after the last one, not one
// period after the tick ended: a timer that waited a period after each tick would fall behind by the work of
// every tick.
void TestPeriodicTimer::ticksStayOnTheirDeadlines_data() {
    QTest::addColumn<double>("workInPeriods");
    QTest::newRow("instant tick") << 0.0;
    QTest::newRow("tick working most of a period") << 0.6;
    QTest::newRow("tick ending just before the next deadline") << 0.99;
}

void TestPeriodicTimer::ticksStayOnTheirDeadlines() {
    QFETCH(double, workInPeriods);
    TimerRig rig;
    rig.work = [&](int) { rig.clock.advanceBy(periods(workInPeriods)); };
    QVERIFY(rig.timer.start());
    QVERIFY(!rig.timer.start());  // running already: the phase stays
    QList<double> expected;
    for (int k = 1; k <= 10; ++k) {
        QVERIFY2(rig.waitsFor(k), qPrintable(QStringLiteral("tick %1: %2").arg(k).arg(rig.waitingFor())));
        rig.clock.advanceTo(rig.at(k));
        expected << k;
        QVERIFY(rig.ticked(k));
    }
    QVERIFY2(rig.waitsFor(11), qPrintable(rig.waitingFor()));
    QCOMPARE(rig.tickTimes(), expected);
}

// A tick that overruns (a stall) costs the deadlines it covered, and only those: no burst of late ticks
// follows it, and the next tick comes on the grid of the start, so stalls do not shift every later tick.
void TestPeriodicTimer::overrunSkipsTheMissedTicksAndKeepsThePhase_data() {
    QTest::addColumn<double>("stallInPeriods");   // how long the first tick works
    QTest::addColumn<QList<double>>("expected");  // the tick times, in periods from the start
    QTest::newRow("half a period late") << 1.5 << QList<double>{1, 3, 4, 5};
    QTest::newRow("several periods late") << 3.5 << QList<double>{1, 5, 6, 7};
    QTest::newRow("ending on a deadline") << 2.0 << QList<double>{1, 3, 4, 5};
}

void TestPeriodicTimer::overrunSkipsTheMissedTicksAndKeepsThePhase() {
    QFETCH(double, stallInPeriods);
    QFETCH(QList<double>, expected);
    TimerRig rig;
    rig.work = [&](int tick) {
        if (tick == 1) rig.clock.advanceBy(periods(stallInPeriods));
    };
    QVERIFY(rig.timer.start());
    for (int k = 0; k < expected.size(); ++k) {
        // A tick due at once (the stall ended on its deadline) comes without a wait.
        QVERIFY(waitFor([&] { return rig.clock.waits() || rig.ticks.count() > k; }));
        rig.clock.advanceTo(rig.at(expected[k]));
        QVERIFY2(rig.ticked(k + 1), qPrintable(QStringLiteral("no tick %1 at %2 periods; %3")
                                                   .arg(k + 1)
                                                   .arg(expected[k])
                                                   .arg(rig.waitingFor())));
    }
    QVERIFY2(rig.waitsFor(expected.last() + 1), qPrintable(rig.waitingFor()));
    QCOMPARE(rig.tickTimes(), expected);
}

// A stop and a start within one period begin a new phase from the start, as a fresh timer would; the
// deadline of the first run does not carry over.
void TestPeriodicTimer::restartWithinAPeriodStartsANewPhase() {
    TimerRig rig;
    QVERIFY(rig.timer.start());
    QVERIFY(rig.waitsFor(1));
    rig.clock.advanceTo(rig.at(0.5));
    rig.timer.stop();
    QVERIFY(rig.timer.start());
    QVERIFY2(rig.waitsFor(1.5), qPrintable(rig.waitingFor()));
    rig.clock.advanceTo(rig.at(1.5));
    QVERIFY(rig.ticked(1));
    QCOMPARE(rig.tickTimes(), QList<double>{1.5});
}

// A stop from another thread ends the ticking whether the timer waits or ticks at that moment; it returns
// without waiting for the tick under way (the console stops the timer from the thread that must not wait on
// it). To see that no tick came while stopped, the timer is started once more: its ticks come in order, so a
// stray one would stand before the tick of the new start.
void TestPeriodicTimer::stopFromAnotherThread_data() {
    QTest::addColumn<bool>("duringATick");
    QTest::newRow("while waiting") << false;
    QTest::newRow("during a tick") << true;
}

void TestPeriodicTimer::stopFromAnotherThread() {
    QFETCH(bool, duringATick);
    std::promise<void> release;
    const std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> inTick{false};
    TimerRig rig([&](int tick) {
        if (tick > 1) return;
        inTick = true;
        released.wait();
        inTick = false;
    });
    // Whatever fails, the tick is let go before the timer is destroyed.
    bool releasedYet = false;
    const auto releaseAtExit = qScopeGuard([&] {
        if (!releasedYet) release.set_value();
    });
    QVERIFY(rig.timer.start());
    QVERIFY(rig.waitsFor(1));
    if (duringATick) {
        rig.clock.advanceTo(rig.at(1));
        QVERIFY(waitFor([&] { return inTick.load(); }));
    }
    std::future<void> stopped = std::async(std::launch::async, [&] { rig.timer.stop(); });
    const bool returned = stopped.wait_for(10s) == std::future_status::ready;
    release.set_value();
    releasedYet = true;
    QVERIFY2(returned, "stop() waited for the tick under way");
    QVERIFY(!rig.timer.isActive());
    QVERIFY(waitFor([&] { return !inTick && !rig.clock.waits(); }));

    rig.clock.advanceTo(rig.at(5));
    QVERIFY(rig.timer.start());
    QVERIFY(rig.waitsFor(6));
    rig.clock.advanceTo(rig.at(6));
    QVERIFY(rig.ticked(duringATick ? 2 : 1));
    QCOMPARE(rig.tickTimes(), (duringATick ? QList<double>{1, 6} : QList<double>{6}));
}

// The tick itself may stop the timer (the curve feed stops it when the test has ended): no tick follows.
void TestPeriodicTimer::stopInsideATick() {
    TimerRig rig;
    rig.work = [&](int tick) {
        if (tick == 2) rig.timer.stop();
    };
    QVERIFY(rig.timer.start());
    for (int k = 1; k <= 2; ++k) {
        QVERIFY(rig.waitsFor(k));
        rig.clock.advanceTo(rig.at(k));
        QVERIFY(rig.ticked(k));
    }
    QVERIFY(waitFor([&] { return !rig.timer.isActive() && !rig.clock.waits(); }));
    rig.clock.advanceTo(rig.at(4));
    QVERIFY(rig.timer.start());
    QVERIFY(rig.waitsFor(5));
    rig.clock.advanceTo(rig.at(5));
    QVERIFY(rig.ticked(3));
    QCOMPARE(rig.tickTimes(), (QList<double>{1, 2, 5}));
}

// Whoever takes away what the ticks read stops the timer and waits: a tick under way finishes first. From
// inside a tick the wait would be on itself: it only stops.
void TestPeriodicTimer::stopAndWaitOutlastsATickUnderWay() {
    std::atomic<bool> inTick{false}, release{false}, tickFinished{false};
    std::atomic<int> ticks{0};
    PeriodicTimer timer(1ms, [&] {
        if (++ticks == 1) {
            inTick = true;
            while (!release) std::this_thread::sleep_for(1ms);
            tickFinished = true;
        } else {
            timer.stopAndWait();
        }
    });
    QVERIFY(timer.start());
    QVERIFY(waitFor([&] { return inTick.load(); }, 30000));
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        timer.stopAndWait();
        stopped = true;
    });
    std::this_thread::sleep_for(50ms);
    QVERIFY(!stopped);
    release = true;
    stopper.join();
    QVERIFY(tickFinished);
    QVERIFY(!timer.isActive());

    QVERIFY(timer.start());
    QVERIFY(waitFor([&] { return ticks >= 2 && !timer.isActive(); }, 30000));
}

// The program's own clock: the timer ticks, and stops.
void TestPeriodicTimer::ticksOnTheSteadyClock() {
    std::atomic<int> ticks{0};
    PeriodicTimer timer(1ms, [&] { ++ticks; });
    QVERIFY(timer.start());
    QVERIFY(waitFor([&] { return ticks >= 3; }, 30000));
    timer.stop();
    QVERIFY(!timer.isActive());
}

QTEST_GUILESS_MAIN(TestPeriodicTimer)
#include "tst_periodictimer.moc"
