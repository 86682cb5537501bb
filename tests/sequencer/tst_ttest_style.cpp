#include "SequencerRig.h"
#include "sequencer/CurveSink.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

// Ends a test at once: the spring is never felt, the crosshead returns to the start.
void runShortTest(SequencerRig& rig) {
    rig.sample(0, 50);
    rig.sample(0, 100);
}

struct RecordingSink : CurveSink {
    int clears = 0;
    QList<QPair<int, QPointF>> points;
    double bottomMax = -1, leftMax = -1, leftStep = -1;
    void clearCurve() override { ++clears; }
    void appendPoint(int series, double x, double load) override {
        points << qMakePair(series, QPointF(x, load));
    }
    void setAxes(double b, double, double l, double ls) override {
        bottomMax = b;
        leftMax = l;
        leftStep = ls;
    }
};

// Hands every stored test's serial to `serials` and answers as told.
void recordStores(SequencerRig& rig, QList<int>& serials, bool succeed = true, const QString& error = {}) {
    rig.seq->setTestStorer([&serials, succeed, error](const FinishedTest& test) {
        serials << test.scheme.xuhao;
        return TTestStyle::StoreOutcome{succeed, error};
    });
}

// A test that reaches its first point (value 100 at height 50, the curve sampled twice) and returns to its
// start, where it ends and is handed to storage.
void runTestWithOnePoint(SequencerRig& rig) {
    rig.sample(0, 80);
    rig.sample(5, 50.5f);
    rig.sample(4, 50.6f);
    rig.sample(5, 50);
    rig.seq->ChartFeed();
    rig.sample(100, 40);
    rig.seq->ChartFeed();
    rig.sample(100, 40);
    rig.sample(100, 40);
    rig.sample(0, 80);
}

}  // namespace

class TestTTestStyle : public QObject {
    Q_OBJECT
private slots:
    void storedTestAdvancesSerial();
    void failedStoreKeepsSerial();
    void stopFromPanelStoresNothing();
    void seriesOfThreeStoresConsecutiveSerials();
    void autoRepeatSwitchedOnLateDoesNotContinue();
    void startRightAfterTheEndLosesNothing_data();
    void startRightAfterTheEndLosesNothing();
    void stopInTheSeriesPauseEndsTheSeries();
    void storedTestContinuesOnlyItsOwnSeries();
    void storerNumberingMovesTheSerialOn();
    void failedStoreEndsSeries();
    void chartFeedStretchesAxesAndRecordsText();
    void nullChartKeepsPrevious();
};

void TestTTestStyle::storedTestAdvancesSerial() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.start(100);
    runShortTest(rig);
    QVERIFY(rig.seq->saveTimerActive());
    QTRY_COMPARE(rig.seq->state(), TestState::Stored);
    QCOMPARE(stored, QList<int>{1});
    QCOMPARE(rig.seq->xuhao(), 2);
    QCOMPARE(rig.states, (QList<TestState>{TestState::Started, TestState::Stopped, TestState::Storing,
                                           TestState::Stored}));
}

void TestTTestStyle::failedStoreKeepsSerial() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> tried;
    recordStores(rig, tried, false, "disk full");
    rig.start(100);
    runShortTest(rig);
    QTRY_COMPARE(rig.seq->state(), TestState::StoreFailed);
    QCOMPARE(tried, QList<int>{1});
    QCOMPARE(rig.seq->xuhao(), 1);
}

void TestTTestStyle::stopFromPanelStoresNothing() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.start(100);
    rig.sample(5, 60);
    rig.takeMoves();
    rig.seq->StopTest();
    QCOMPARE(rig.takeMoves(), (std::vector<std::string>{"stop"}));
    QCOMPARE(rig.cards.cards[0].motor->pendantLatch(), PendantLatch::Armed);
    QVERIFY(!rig.seq->running());
    QTest::qWait(700);
    QVERIFY(stored.isEmpty());
    QCOMPARE(rig.seq->xuhao(), 1);
}

void TestTTestStyle::seriesOfThreeStoresConsecutiveSerials() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.seq->SetAutoRepeat(true);
    rig.seq->SetRepeatCount(3);
    rig.seq->SetRepeatPause(0);
    rig.start(100);
    for (int test = 1; test <= 3; ++test) {
        QTRY_VERIFY(rig.seq->running());
        QCOMPARE(rig.seq->repeatsDone(), test);
        runShortTest(rig);
        QTRY_COMPARE(stored.size(), test);
    }
    QTRY_COMPARE(rig.seq->xuhao(), 4);
    QCOMPARE(stored, (QList<int>{1, 2, 3}));
    QVERIFY(!rig.seq->running());
}

void TestTTestStyle::autoRepeatSwitchedOnLateDoesNotContinue() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.start(100);
    rig.seq->SetAutoRepeat(true);
    rig.seq->SetRepeatCount(3);
    runShortTest(rig);
    QTRY_COMPARE(rig.seq->state(), TestState::Stored);
    QTest::qWait(200);
    QCOMPARE(stored.size(), 1);
    QVERIFY(!rig.seq->repeatTimerActive());
    QVERIFY(!rig.seq->running());
    // The test was stored all the same: the next one takes the next serial.
    QCOMPARE(rig.seq->xuhao(), 2);
}

void TestTTestStyle::startRightAfterTheEndLosesNothing_data() {
    QTest::addColumn<bool>("firstStored");
    QTest::newRow("first test stored") << true;
    QTest::newRow("first test not stored") << false;
}

void TestTTestStyle::startRightAfterTheEndLosesNothing() {
    QFETCH(bool, firstStored);
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<FinishedTest> handed;
    rig.seq->setTestStorer([&](const FinishedTest& test) {
        handed << test;
        const bool ok = firstStored || handed.size() > 1;
        return TTestStyle::StoreOutcome{ok, ok ? QString() : QStringLiteral("disk full")};
    });
    rig.start(80);
    runTestWithOnePoint(rig);
    QVERIFY(rig.seq->saveTimerActive());

    // The operator starts the next spring while the first waits to be stored.
    rig.start(80);
    QVERIFY(rig.seq->running());
    QTRY_COMPARE(handed.size(), 1);
    const FinishedTest& first = handed.first();
    QCOMPARE(first.scheme.xuhao, 1);
    QCOMPARE(first.results.height(), 50.0f);
    QCOMPARE(first.results.value(1, 1), 100.0f);
    QVERIFY(first.curve.count >= 2);
    QCOMPARE(first.curve.count, first.curve.load.size());

    // The second test goes under the serial after the first's, whether or not the first was stored: it
    // started under it.
    QTRY_COMPARE(rig.seq->state(), firstStored ? TestState::Stored : TestState::StoreFailed);
    QCOMPARE(rig.seq->xuhao(), 2);
    rig.sample(0, 40);  // no spring felt: back to the start
    rig.sample(0, 80);
    QTRY_COMPARE(handed.size(), 2);
    QCOMPARE(handed[1].scheme.xuhao, 2);
    QVERIFY(ResultArray::isEmpty(handed[1].results.value(1, 1)));
}

void TestTTestStyle::stopInTheSeriesPauseEndsTheSeries() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.seq->SetAutoRepeat(true);
    rig.seq->SetRepeatCount(3);
    rig.seq->SetRepeatPause(5);
    rig.start(100);
    runShortTest(rig);
    QTRY_VERIFY(rig.seq->repeatTimerActive());
    QVERIFY(rig.seq->seriesInProgress());

    rig.seq->StopTest();
    QVERIFY(!rig.seq->repeatTimerActive());
    QVERIFY(!rig.seq->seriesInProgress());
    QVERIFY(rig.seq->isIdle());
    QCOMPARE(stored, QList<int>{1});
}

void TestTTestStyle::storedTestContinuesOnlyItsOwnSeries() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored);
    rig.seq->SetAutoRepeat(true);
    rig.seq->SetRepeatCount(3);
    rig.seq->SetRepeatPause(0);
    rig.start(100);
    runShortTest(rig);
    // While the first series' test waits to be stored, the operator stops that series and starts another.
    rig.seq->StopTest();
    rig.start(100);
    QTRY_COMPARE(stored, QList<int>{1});
    QCoreApplication::processEvents();
    QCOMPARE(rig.states.count(TestState::Started), 2);
    QVERIFY(rig.seq->running());
    QCOMPARE(rig.seq->repeatsDone(), 1);
    QVERIFY(!rig.seq->repeatTimerActive());
}

void TestTTestStyle::failedStoreEndsSeries() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> stored;
    recordStores(rig, stored, false);
    rig.seq->SetAutoRepeat(true);
    rig.seq->SetRepeatCount(3);
    rig.start(100);
    runShortTest(rig);
    QTRY_COMPARE(rig.seq->state(), TestState::StoreFailed);
    QTest::qWait(200);
    QCOMPARE(stored.size(), 1);
    QCOMPARE(rig.seq->xuhao(), 1);
    QVERIFY(!rig.seq->running());
}

void TestTTestStyle::chartFeedStretchesAxesAndRecordsText() {
    SequencerRig rig;
    RecordingSink sink;
    rig.seq->SetCurveChart(&sink);
    rig.setScheme(1, {10}, 5.0);  // deformation on the bottom axis
    rig.start(100);
    QCOMPARE(sink.clears, 1);
    rig.record().load = -50.0f;  // the curve plots the magnitude
    rig.record().displacement = 40.0f;
    rig.record().deformation = 10.0f;
    rig.seq->ChartFeed();
    QCOMPARE(sink.leftMax, 60.0);
    QCOMPARE(sink.leftStep, 6.0);
    QCOMPARE(sink.bottomMax, 12.0);
    rig.record().load = 52.0f;  // below 0.9 × 60: axes stay
    rig.seq->ChartFeed();
    QCOMPARE(sink.leftMax, 60.0);
    rig.seq->setStroke(2);
    rig.record().load = 100.0f;
    rig.seq->ChartFeed();
    QCOMPARE(sink.leftMax, 60.0);  // the return stroke leaves the axes alone
    QCOMPARE(sink.points.size(), 3);
    QCOMPARE(sink.points[0].first, 0);
    QCOMPARE(sink.points[2].first, 1);
    const ttest_chart c = rig.seq->curve();
    QCOMPARE(c.count, 3);
    QCOMPARE(c.stroke, (QStringList{"1", "1", "2"}));
    QCOMPARE(c.load[0], QString("50.000"));
    QCOMPARE(c.displacement[0], QString("40.000"));
    QCOMPARE(c.deformation[0], QString("10.000"));

    rig.seq->StopTest();
    rig.seq->StartCurveTimer();
    rig.seq->ChartFeed();  // not running: the feed stops its own timer
    QVERIFY(!rig.seq->curveTimerActive());
    QCOMPARE(rig.seq->curve().count, 3);
}

void TestTTestStyle::nullChartKeepsPrevious() {
    SequencerRig rig;
    RecordingSink sink;
    rig.seq->SetCurveChart(&sink);
    rig.seq->SetCurveChart(nullptr);
    rig.setScheme(0, {40}, 5.0);
    rig.start(100);
    QCOMPARE(sink.clears, 1);
}

void TestTTestStyle::storerNumberingMovesTheSerialOn() {
    SequencerRig rig;
    rig.setScheme(0, {40}, 5.0);
    QList<int> handed;
    // The batch already holds serial 7 (stored by whatever): the storer puts the test above it.
    rig.seq->setTestStorer([&handed](const FinishedTest& test) {
        handed << test.scheme.xuhao;
        return TTestStyle::StoreOutcome{true, {}, std::max(test.scheme.xuhao, 8)};
    });
    rig.start(100);
    runShortTest(rig);
    QTRY_COMPARE(rig.seq->state(), TestState::Stored);
    QCOMPARE(rig.seq->testSerial(), 8);
    QCOMPARE(rig.seq->storingTest().scheme.xuhao, 8);
    QCOMPARE(rig.seq->xuhao(), 9);
    rig.start(100);
    runShortTest(rig);
    QTRY_COMPARE(handed.size(), 2);
    QCOMPARE(handed, (QList<int>{1, 9}));
}

QTEST_GUILESS_MAIN(TestTTestStyle)
#include "tst_ttest_style.moc"
