#include "SequencerRig.h"
#include "sequencer/StartRefusal.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

// What every start (the control panel, the operator box, the command line) is refused with.
class TestStartRefusal : public QObject {
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
};

void TestStartRefusal::refusals_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("compression");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("refusal");
    QTest::newRow("ready") << 0 << true << "ready"
                           << "";
    QTest::newRow("no batch opened") << 0 << true << "no batch"
                                     << "请选择试验方案!!";
    QTest::newRow("after a batch failed to open") << 0 << true << "batch closed"
                                                  << "请选择试验方案!!";
    QTest::newRow("no test speed") << 0 << true << "no speed"
                                   << "试验速度尚未设置！！";
    QTest::newRow("a test running") << 0 << true << "running"
                                    << "试验正在进行!!";
    QTest::newRow("a series waiting for its next test") << 0 << true << "series pause"
                                                        << "试验正在进行!!";
    QTest::newRow("a test waiting to be stored") << 0 << true << "storing"
                                                 << "";
    // A tripped overload refuses motion toward it: the test's first move is down, but up for a tension spring
    // on machine type 6.
    QTest::newRow("overload below, test moves down") << 0 << true << "tripped high"
                                                     << "负荷过载!!";
    QTest::newRow("overload above, test moves down") << 0 << true << "tripped low"
                                                     << "";
    QTest::newRow("tension on type 2, overload below") << 2 << false << "tripped high"
                                                       << "负荷过载!!";
    QTest::newRow("tension on type 6, overload above") << 6 << false << "tripped low"
                                                       << "负荷过载!!";
    QTest::newRow("tension on type 6, overload below") << 6 << false << "tripped high"
                                                       << "";
}

void TestStartRefusal::refusals() {
    QFETCH(int, machineType);
    QFETCH(bool, compression);
    QFETCH(QString, situation);
    QFETCH(QString, refusal);
    SequencerRig rig(machineType, compression        ? StandardTestKind::Compression
                                  : machineType == 6 ? StandardTestKind::TensionType6
                                                     : StandardTestKind::Tension);
    rig.seq->setTestStorer([](const FinishedTest&) { return TTestStyle::StoreOutcome{true, {}}; });
    ttest_info scheme;
    scheme.scheme_sum = 1;
    scheme.points = {40};
    scheme.upper = {0};
    scheme.lower = {0};
    scheme.scheme_type = compression;
    scheme.connection = rig.dir.file("B1.mdb");
    rig.seq->setScheme(scheme);

    if (situation == "no batch") {
        scheme.connection.clear();
        rig.seq->setScheme(scheme);
    } else if (situation == "batch closed") {
        rig.seq->closeBatch();
    } else if (situation == "no speed") {
        rig.seq->SetSpeedMode(SpeedMode::NotSet);
    } else if (situation == "running") {
        rig.start(100);
    } else if (situation == "series pause" || situation == "storing") {
        rig.seq->SetAutoRepeat(situation == "series pause");
        rig.seq->SetRepeatCount(3);
        rig.seq->SetRepeatPause(5);
        rig.start(100);
        rig.sample(0, 50);
        rig.sample(0, 100);  // ended at its start without feeling a spring
        if (situation == "series pause") QTRY_VERIFY(rig.seq->repeatTimerActive());
        QVERIFY(!rig.seq->running());
    } else if (situation.startsWith("tripped")) {
        // A raw count far outside the converter's range trips the protection in its direction.
        FakeCard::state(0).count = situation == "tripped high" ? 30000 : -30000;
        rig.cards.cards[0].load->ReadLoad();
        QVERIFY(!rig.cards.cards[0].load->armed());
    }

    QCOMPARE(testStartRefusal(*rig.seq, 0), refusal);
}

QTEST_GUILESS_MAIN(TestStartRefusal)
#include "tst_start_refusal.moc"
