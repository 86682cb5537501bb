#include "SequencerRig.h"
#include "StorageProbes.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/FullRateCurve.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

StandardScheme onePointScheme() {
    StandardScheme s;
    s.scheme_name = "S";
    s.scheme_style = "0";
    s.scheme_jh = 1;
    s.scheme_load = "5";
    s.scheme_sum = "1";
    s.points[0] = {"40", "0", "0"};
    s.scheme_type = true;
    return s;
}

// One cycle of the acquisition loop as the test card reads it: the recorder, when the test has one, sees
// the reading (the loop calls it before the procedure, see tst_tbankhk).
void reading(SequencerRig& rig, float load, float displacement, float deformation) {
    rig.record().load = load;
    rig.record().displacement = displacement;
    rig.record().deformation = deformation;
    if (SampleProcedure* recorder = rig.seq->sampleSlot().recorder.load()) recorder->onSample(0);
}

// Keeps what the sequencer hands to storage.
struct StoredTests {
    QList<FinishedTest> tests;
    TTestStyle::TestStorer storer() {
        return [this](const FinishedTest& t) {
            tests << t;
            return TTestStyle::StoreOutcome{true, {}, 0};
        };
    }
};

FullRateCurve threeReadings() {
    return {
        {0.0f, -2.0f, 50.0f, 0.0f, 1}, {0.001f, 15.5f, 49.99f, 0.01f, 1}, {0.002f, 14.0f, 49.98f, 0.02f, 2}};
}

}  // namespace

class TestFullRateRecording : public QObject {
    Q_OBJECT
private slots:
    void readingsGoWithTheFinishedTest_data();
    void readingsGoWithTheFinishedTest();
    void aStoppedTestLeavesNothingBehind_data();
    void aStoppedTestLeavesNothingBehind();
    void storedWithTheTest();
    void failedStoreLeavesNeitherTestNorCurve_data();
    void failedStoreLeavesNeitherTestNorCurve();
};

void TestFullRateRecording::readingsGoWithTheFinishedTest_data() {
    QTest::addColumn<bool>("fullRate");
    QTest::newRow("on") << true;
    QTest::newRow("off") << false;
}

void TestFullRateRecording::readingsGoWithTheFinishedTest() {
    QFETCH(bool, fullRate);
    SequencerRig rig;
    StoredTests stored;
    rig.seq->setTestStorer(stored.storer());
    rig.seq->SetFullRate(fullRate);
    rig.start(100);
    // Before the curve starts (on the way to the initial force) nothing is kept, as the curve rows keep
    // nothing.
    reading(rig, 0.5f, 99.0f, 0.0f);
    rig.seq->StartCurveTimer();
    for (int i = 0; i < 500; ++i) reading(rig, 10.0f + i, 98.0f - i * 0.01f, i * 0.01f);
    rig.seq->setStroke(2);
    // The load keeps its sign: a return stroke that pulls shows it.
    reading(rig, -3.0f, 93.5f, 4.5f);
    rig.seq->FinishTest();
    QTRY_COMPARE(stored.tests.size(), 1);

    const FullRateCurve& curve = stored.tests.first().fullRate;
    if (!fullRate) {
        QVERIFY(curve.empty());
        return;
    }
    QCOMPARE(curve.size(), size_t(501));
    QCOMPARE(curve.front().load, 10.0f);
    QCOMPARE(curve.front().time_s, 0.0f);
    QCOMPARE(curve[499].displacement_mm, 98.0f - 499 * 0.01f);
    QCOMPARE(curve[499].stroke, 1);
    QCOMPARE(curve.back(), (FullRateReading{curve.back().time_s, -3.0f, 93.5f, 4.5f, 2}));
    for (size_t i = 1; i < curve.size(); ++i) QVERIFY(curve[i].time_s >= curve[i - 1].time_s);
}

void TestFullRateRecording::aStoppedTestLeavesNothingBehind_data() {
    QTest::addColumn<bool>("nextFullRate");
    QTest::newRow("next test with full rate") << true;
    QTest::newRow("next test without") << false;
}

void TestFullRateRecording::aStoppedTestLeavesNothingBehind() {
    // The operator stops a test: its readings are never stored, and none of them reach the next test, whether
    // that one records its own or not.
    QFETCH(bool, nextFullRate);
    SequencerRig rig;
    StoredTests stored;
    rig.seq->setTestStorer(stored.storer());
    rig.seq->SetFullRate(true);
    rig.start(100);
    rig.seq->StartCurveTimer();
    for (int i = 0; i < 50; ++i) reading(rig, 100.0f, 90.0f, 10.0f);
    rig.seq->StopTest();
    QVERIFY(!rig.seq->running());

    rig.seq->SetFullRate(nextFullRate);
    rig.start(100);
    rig.seq->StartCurveTimer();
    reading(rig, 7.0f, 95.0f, 5.0f);
    rig.seq->FinishTest();
    QTRY_COMPARE(stored.tests.size(), 1);
    const FullRateCurve& curve = stored.tests.first().fullRate;
    if (nextFullRate)
        QCOMPARE(curve, (FullRateCurve{{0.0f, 7.0f, 95.0f, 5.0f, 1}}));
    else
        QVERIFY(curve.empty());
}

void TestFullRateRecording::storedWithTheTest() {
    SequencerRig rig;
    const QString batch = makeBatch(rig.dir, onePointScheme());
    GridRecorder grid;
    installStandardStorage(*rig.seq);
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);

    // Without full-rate readings the batch stays as older programs made it.
    FinishedTest plain{rig.seq->scheme(), ResultArray{}, ttest_chart{}, readoutFormat(rig.cards.cards[0])};
    QVERIFY(storeStandardTest(plain).ok);
    QVERIFY(Database(batch).columns("test_fullrate").isEmpty());

    FinishedTest withCurve = plain;
    withCurve.scheme.xuhao = 2;
    withCurve.fullRate = threeReadings();
    const auto outcome = storeStandardTest(withCurve);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    Database db(batch);
    QCOMPARE(readFullRateCurve(db, 2).curve, std::optional(threeReadings()));
    QVERIFY(!readFullRateCurve(db, 1).curve);
}

void TestFullRateRecording::failedStoreLeavesNeitherTestNorCurve_data() {
    QTest::addColumn<QString>("sabotage");
    QTest::newRow("curve rows cannot be written") << "drop table test_point";
    // A table of the name that refuses every blob: the test's rows written before it must go too.
    QTest::newRow("full-rate curve cannot be written")
        << "create table test_fullrate (xuhao INTEGER NOT NULL, curve BLOB CHECK (length(curve) < 0))";
}

void TestFullRateRecording::failedStoreLeavesNeitherTestNorCurve() {
    QFETCH(QString, sabotage);
    SequencerRig rig;
    const QString batch = makeBatch(rig.dir, onePointScheme());
    GridRecorder grid;
    installStandardStorage(*rig.seq);
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    QVERIFY(Database(batch).exec(sabotage));

    ttest_chart c;
    c.load << "1";
    c.displacement << "2";
    c.deformation << "3";
    c.stroke << "1";
    c.count = 1;
    FinishedTest test{rig.seq->scheme(), ResultArray{}, c, readoutFormat(rig.cards.cards[0])};
    test.fullRate = threeReadings();
    const auto outcome = storeStandardTest(test);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(count(batch, "test_result"), 0);
    Database db(batch);
    QVERIFY(!readFullRateCurve(db, 1).curve);
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{}));
    if (!db.columns("test_point").isEmpty()) QCOMPARE(count(batch, "test_point"), 0);
}

QTEST_GUILESS_MAIN(TestFullRateRecording)
#include "tst_fullrate_recording.moc"
