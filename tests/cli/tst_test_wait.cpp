// How `run` waits for a test: an acquisition loop that fails ends the wait while it happens, not at the
// timeout half an hour later.

#include "cli/TestWait.h"
#include "measurement/CardSlot.h"
#include "measurement/SampleSlot.h"
#include "measurement/Tbankhk.h"

#include <QtTest>

#include <stdexcept>

using namespace springtest;

namespace {

struct FailingProcedure : SampleProcedure {
    void onSample(int) override { throw std::runtime_error("card 0 does not answer"); }
};

struct IdleProcedure : SampleProcedure {
    void onSample(int) override {}
};

}  // namespace

class TestTestWait : public QObject {
    Q_OBJECT
private slots:
    void endsForTheFirstReason_data();
    void endsForTheFirstReason();
};

void TestTestWait::endsForTheFirstReason_data() {
    QTest::addColumn<bool>("loopFails");
    QTest::addColumn<bool>("idle");
    QTest::addColumn<bool>("interrupted");
    QTest::addColumn<int>("timeout_ms");
    QTest::addColumn<int>("end");

    QTest::newRow("test ended") << false << true << false << 60000 << int(TestEnd::Idle);
    QTest::newRow("still running") << false << false << false << 50 << int(TestEnd::TimedOut);
    QTest::newRow("signal") << false << false << true << 60000 << int(TestEnd::Interrupted);
    QTest::newRow("loop failed mid-test")
        << true << false << false << 60000 << int(TestEnd::AcquisitionFailed);
    // The test cannot have ended well on readings that stopped: the failure is what the operator must hear.
    QTest::newRow("loop failed, sequencer idle")
        << true << true << false << 60000 << int(TestEnd::AcquisitionFailed);
}

void TestTestWait::endsForTheFirstReason() {
    QFETCH(bool, loopFails);
    QFETCH(bool, idle);
    QFETCH(bool, interrupted);
    QFETCH(int, timeout_ms);
    QFETCH(int, end);

    CardTables cards;  // no card: the loop only runs the procedure
    FailingProcedure failing;
    IdleProcedure quiet;
    SampleSlot sequencer;
    sequencer.procedure = loopFails ? static_cast<SampleProcedure*>(&failing) : &quiet;
    sequencer.running = true;
    Tbankhk acquisition(cards, &sequencer);
    acquisition.start();
    // Both at once, as the wait first looks: the loop has already failed by then.
    if (loopFails && idle) QTRY_VERIFY(!acquisition.isRunning());

    const TestEnd ended = waitForTestEnd([idle] { return idle; }, acquisition,
                                         [interrupted] { return interrupted; }, timeout_ms);
    QCOMPARE(int(ended), end);
    if (loopFails)
        QCOMPARE(acquisitionEndText(acquisition),
                 QString("the acquisition loop has ended: card 0 does not answer"));
    acquisition.stop();
}

QTEST_GUILESS_MAIN(TestTestWait)
#include "tst_test_wait.moc"
