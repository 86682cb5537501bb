#include "LateralRig.h"
#include "sequencer/procedures/LateralTest.h"

#include <QtTest>

#include <cmath>

using namespace springtest;
using namespace springtest::testing;

using Moves = std::vector<std::string>;

namespace {

// A turntable turning 360 °/min at speed 20: 18 °/min per unit of speed, a hundredth of a minute per tick.
constexpr double kDegreesPerTickPerSpeed = 18.0 / 600.0;

// Ends an axial (or lateral) test whose offset angle is `theta` and has it stored, or not.
void storeTest(LateralRig& rig, float theta, bool stores = true, bool axial = true) {
    rig.seq->setTestStorer([stores](const FinishedTest&) {
        return TTestStyle::StoreOutcome{stores, stores ? QString() : QStringLiteral("disk full")};
    });
    rig.setScheme(axial, 1, {2});
    rig.start(axial ? 0 : kLateralDriveCard, 80);
    rig.seq->setResult(LateralResultIndex::angle, theta);
    rig.seq->FinishTest();
    rig.seq->OnSaveTimer();
    QTRY_COMPARE(rig.seq->state(), stores ? TestState::Stored : TestState::StoreFailed);
    rig.takeMoves(kTurntableCard);
    rig.takeMoves(0);
}

// Turns the turntable tick by tick as the motor is driven, from `angle`, until it is positioned; the angle
// where it stopped.
double turnUntilPositioned(LateralRig& rig, double angle) {
    MeasurementRecord& record = rig.record(kTurntableCard);
    record.displacement = static_cast<float>(angle);
    rig.seq->StartTurntablePositioning();
    int direction = 0;
    for (int tick = 0; tick < 100000 && rig.seq->turntableTimerActive(); ++tick) {
        for (const std::string& move : rig.takeMoves(kTurntableCard))
            direction = move == "up" ? 1 : move == "down" ? -1 : 0;
        angle += direction * rig.cards.cards[kTurntableCard].motor->speed() * kDegreesPerTickPerSpeed;
        record.displacement = static_cast<float>(angle);
        rig.seq->OnTurntableTimer();
    }
    return angle;
}

}  // namespace

class TestLateralTurntable : public QObject {
    Q_OBJECT
private slots:
    void positioningStopsWithinHalfADegree_data();
    void positioningStopsWithinHalfADegree();
    void turnedTheWrongWayIsNotThere();
    void stoppedShortIsNotThere();
    void axialLoadRefuses_data();
    void axialLoadRefuses();
    void onlyRightAfterAStoredTest();
    void autoRotateAfterAStoredAxialTest_data();
    void autoRotateAfterAStoredAxialTest();
};

void TestLateralTurntable::positioningStopsWithinHalfADegree_data() {
    QTest::addColumn<float>("theta");
    QTest::addColumn<double>("startAngle");
    QTest::addColumn<QString>("firstMove");
    QTest::addColumn<double>("turn");
    QTest::newRow("216.87: up by 143.13") << 216.87f << 0.0 << "up" << 143.13;
    QTest::newRow("36.87: down by 36.87") << 36.87f << 0.0 << "down" << -36.87;
    // Measured from where the turntable stands: its reading is never reset.
    QTest::newRow("from 25° on the dial") << 216.87f << 25.0 << "up" << 143.13;
    QTest::newRow("from −300° on the dial") << 36.87f << -300.0 << "down" << -36.87;
    // Turns shorter than one tick at full speed.
    QTest::newRow("359.95: up by 0.05") << 359.95f << 0.0 << "up" << 0.05;
    QTest::newRow("0.05: down by 0.05") << 0.05f << 0.0 << "down" << -0.05;
    QTest::newRow("exactly 180: up by 180") << 180.0f << 0.0 << "up" << 180.0;
}

void TestLateralTurntable::positioningStopsWithinHalfADegree() {
    QFETCH(float, theta);
    QFETCH(double, startAngle);
    QFETCH(QString, firstMove);
    QFETCH(double, turn);
    LateralRig rig;
    storeTest(rig, theta);
    rig.states.clear();
    rig.record(kTurntableCard).displacement = static_cast<float>(startAngle);
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.states, QList<TestState>{TestState::TurntableStarted});
    // At 20 (360 °/min), or slower from the start for a turn of a few degrees.
    const float speed = rig.cards.cards[kTurntableCard].motor->speed();
    if (std::fabs(turn) >= 10)
        QCOMPARE(speed, 20.0f);
    else
        QVERIFY(speed < 20.0f);
    QCOMPARE(FakeCard::state(kTurntableCard).moves, (Moves{firstMove.toStdString()}));
    QVERIFY(rig.takeMoves(0).empty());  // the axial drive stays where it is

    const double stoppedAt = turnUntilPositioned(rig, startAngle);
    QVERIFY(!rig.seq->turntableTimerActive());
    QCOMPARE(rig.seq->state(), TestState::TurntablePositioned);
    QVERIFY2(std::fabs(stoppedAt - (startAngle + turn)) <= 0.5,
             qPrintable(QString("stopped at %1").arg(stoppedAt, 0, 'f', 3)));
    QCOMPARE(FakeCard::state(kTurntableCard).moves.back(), std::string("stop"));
}

void TestLateralTurntable::turnedTheWrongWayIsNotThere() {
    LateralRig rig;
    storeTest(rig, 36.87f);  // down by 36.87
    rig.record(kTurntableCard).displacement = 0;
    rig.seq->StartTurntablePositioning();
    rig.record(kTurntableCard).displacement = 40;  // carried up, not down
    rig.seq->OnTurntableTimer();
    QVERIFY(rig.seq->turntableTimerActive());
    QCOMPARE(rig.seq->state(), TestState::TurntableStarted);
    rig.record(kTurntableCard).displacement = -36.9f;
    rig.seq->OnTurntableTimer();
    QCOMPARE(rig.seq->state(), TestState::TurntablePositioned);
}

void TestLateralTurntable::stoppedShortIsNotThere() {
    LateralRig rig;
    storeTest(rig, 216.87f);
    rig.record(kTurntableCard).displacement = 0;
    rig.seq->StartTurntablePositioning();
    rig.record(kTurntableCard).displacement = 100;
    rig.cards.cards[kTurntableCard].motor->CommandStop();  // at a limit, or by the operator
    rig.takeMoves(kTurntableCard);
    rig.seq->OnTurntableTimer();
    QVERIFY(!rig.seq->turntableTimerActive());
    QCOMPARE(rig.seq->state(), TestState::TurntableStarted);
    QVERIFY(rig.takeMoves(kTurntableCard).empty());
}

void TestLateralTurntable::axialLoadRefuses_data() {
    QTest::addColumn<float>("load");
    QTest::addColumn<bool>("turns");
    QTest::newRow("0.05 released") << 0.05f << true;
    QTest::newRow("0.06 pressing") << 0.06f << false;
    QTest::newRow("-0.06 pulling") << -0.06f << false;
}

void TestLateralTurntable::axialLoadRefuses() {
    QFETCH(float, load);
    QFETCH(bool, turns);
    LateralRig rig;
    storeTest(rig, 216.87f);
    rig.record(0).load = load;
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.seq->state(), turns ? TestState::TurntableStarted : TestState::TurntableRefused);
    QCOMPARE(rig.seq->turntableTimerActive(), turns);
    QCOMPARE(rig.takeMoves(kTurntableCard).empty(), !turns);
    if (turns) return;
    // The spring released, the operator asks again.
    rig.record(0).load = 0;
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.seq->state(), TestState::TurntableStarted);
    QCOMPARE(rig.takeMoves(kTurntableCard), (Moves{"up"}));
}

void TestLateralTurntable::onlyRightAfterAStoredTest() {
    LateralRig rig;
    rig.seq->StartTurntablePositioning();  // nothing stored yet
    QVERIFY(rig.states.isEmpty());

    storeTest(rig, 216.87f, false);  // a store that failed
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.seq->state(), TestState::StoreFailed);

    storeTest(rig, std::nanf(""));  // an offset without direction
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.seq->state(), TestState::Stored);

    storeTest(rig, 216.87f);
    rig.start(0, 80);  // the next spring is already under test
    rig.seq->StartTurntablePositioning();
    QCOMPARE(rig.seq->state(), TestState::Started);
    QVERIFY(rig.takeMoves(kTurntableCard).empty());
    QVERIFY(!rig.seq->turntableTimerActive());
}

void TestLateralTurntable::autoRotateAfterAStoredAxialTest_data() {
    QTest::addColumn<bool>("autoRotate");
    QTest::addColumn<bool>("axial");
    QTest::addColumn<bool>("stores");
    QTest::addColumn<bool>("turns");
    QTest::newRow("stored axial test") << true << true << true << true;
    QTest::newRow("auto rotate off") << false << true << true << false;
    QTest::newRow("lateral test") << true << false << true << false;
    QTest::newRow("store failed") << true << true << false << false;
}

void TestLateralTurntable::autoRotateAfterAStoredAxialTest() {
    QFETCH(bool, autoRotate);
    QFETCH(bool, axial);
    QFETCH(bool, stores);
    QFETCH(bool, turns);
    LateralRig rig;
    rig.seq->SetAutoRotate(autoRotate);
    rig.seq->setTestStorer([stores](const FinishedTest&) {
        return TTestStyle::StoreOutcome{stores, stores ? QString() : QStringLiteral("disk full")};
    });
    rig.setScheme(axial, 1, {2});
    rig.start(axial ? 0 : kLateralDriveCard, 80);
    rig.seq->setResult(LateralResultIndex::angle, 216.87f);
    rig.seq->FinishTest();
    rig.seq->OnSaveTimer();
    QTRY_VERIFY(rig.states.contains(stores ? TestState::Stored : TestState::StoreFailed));
    QCOMPARE(rig.seq->turntableTimerActive(), turns);
    QCOMPARE(rig.states.contains(TestState::TurntableStarted), turns);
    QCOMPARE(FakeCard::state(kTurntableCard).moves, turns ? Moves{"up"} : Moves{});
}

QTEST_GUILESS_MAIN(TestLateralTurntable)
#include "tst_lateral_turntable.moc"
