// The shared test helpers that every other test's verdict rests on: a tolerance that let a bad value through,
// or a wait that reported a state it never saw, would hide the faults those tests are there to catch.

#include "support/NearCompare.h"
#include "support/WaitFor.h"

#include <QtTest>

#include <atomic>
#include <limits>
#include <thread>

using namespace springtest::testing;

class TestTestSupport : public QObject {
    Q_OBJECT
private slots:
    void isNear_data();
    void isNear();
    void waitForSeesAStateAnotherThreadSets();
    void waitForGivesUp();
};

void TestTestSupport::isNear_data() {
    QTest::addColumn<double>("actual");
    QTest::addColumn<double>("expected");
    QTest::addColumn<double>("relative");
    QTest::addColumn<double>("absolute");
    QTest::addColumn<bool>("near");
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("equal") << 10.0 << 10.0 << 0.0 << 0.0 << true;
    QTest::newRow("on the absolute bound") << 10.5 << 10.0 << 0.0 << 0.5 << true;
    QTest::newRow("past the absolute bound") << 10.51 << 10.0 << 0.0 << 0.5 << false;
    QTest::newRow("below, past the bound") << 9.49 << 10.0 << 0.0 << 0.5 << false;
    QTest::newRow("relative to the expected value") << 101.0 << 100.0 << 0.01 << 0.0 << true;
    QTest::newRow("relative, past it") << 101.5 << 100.0 << 0.01 << 0.0 << false;
    // Relative to the expected value's size, not to its sign: a negative expectation has a tolerance too.
    QTest::newRow("negative expected") << -101.0 << -100.0 << 0.01 << 0.0 << true;
    QTest::newRow("relative and absolute add up") << 101.4 << 100.0 << 0.01 << 0.5 << true;
    QTest::newRow("not a number is near nothing") << nan << 10.0 << 0.1 << 1.0 << false;
    QTest::newRow("nothing is near not a number") << 10.0 << nan << 0.1 << 1.0 << false;
    QTest::newRow("infinity") << inf << 10.0 << 0.1 << 1.0 << false;
}

void TestTestSupport::isNear() {
    QFETCH(double, actual);
    QFETCH(double, expected);
    QFETCH(double, relative);
    QFETCH(double, absolute);
    QFETCH(bool, near);
    QCOMPARE(springtest::testing::isNear(actual, expected, relative, absolute), near);
}

void TestTestSupport::waitForSeesAStateAnotherThreadSets() {
    std::atomic<bool> set{false};
    std::thread setter([&] { set = true; });
    const bool seen = waitFor([&] { return set.load(); });
    setter.join();
    QVERIFY(seen);
}

void TestTestSupport::waitForGivesUp() {
    int looked = 0;
    QVERIFY(!waitFor(
        [&] {
            ++looked;
            return false;
        },
        50));
    QVERIFY(looked > 1);  // it kept looking until the time was up
}

QTEST_GUILESS_MAIN(TestTestSupport)
#include "tst_testsupport.moc"
