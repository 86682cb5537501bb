#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/ProfileFile.h"
#include "platform/WindowTarget.h"
#include "sequencer/TTestStyle.h"
#include "sequencer/procedures/StandardTest.h"
#include "session/MachineSession.h"
#include "support/NearCompare.h"
#include "support/SimMachine.h"
#include "support/WaitFor.h"

#include <QtTest>

#include <atomic>
#include <cmath>
#include <functional>

using namespace springtest;
using springtest::testing::SimMachine;
using springtest::testing::SimulatorLibrary;
using springtest::testing::waitFor;

namespace {

// How long the simulated machine may take to reach a state on a busy computer.
constexpr int kMachineTimeout_ms = 15000;

// Answers the start-up questions as a test tells it to and keeps what was asked.
struct ScriptedPrompts : StartupPrompts {
    bool answerYes = true;
    QStringList shown;
    void driverMissing(const QString& m) override { shown << m; }
    bool continueWithUnopenedCard(const QString& m) override {
        shown << m;
        return answerYes;
    }
};

}  // namespace

class TestSimAcquisition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void loadFollowsTheSimulatedSpring();
    void overloadStopsTheCrossheadInTheSameReading();
    void autoGearFollowsTheLoad();
    void displacementContinuesAfterRestart();
    void missingDriverStopsStartUp();
    void unopenedCardAsksTheOperator_data();
    void unopenedCardAsksTheOperator();
    void cardCountIsClamped();
    void variableSpeedDrivesReachTheirPoints_data();
    void variableSpeedDrivesReachTheirPoints();

private:
    double simGet(int card, const char* key) { return m_machine->simGet(key, card); }
    void simSet(int card, const char* key, double v) { QVERIFY(m_machine->simSet(key, v, card)); }
    void writeMachine(const QByteArray& systemSection);
    // Waits until the acquisition loop has taken `readings` more readings: what is read after it is the
    // machine at rest (or still tripped, or still in its gear) for that many readings, however busy the
    // computer.
    bool readingsPass(int readings) { return m_machine->readingsPass(readings, kMachineTimeout_ms); }

    std::unique_ptr<SimMachine> m_machine;
};

void TestSimAcquisition::initTestCase() {
    const QString& error = SimulatorLibrary::instance().error();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestSimAcquisition::init() {
    m_machine = std::make_unique<SimMachine>();
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
    QVERIFY(m_machine->loadSimulator());
    simSet(0, "noise_seed", 12345);
}

void TestSimAcquisition::cleanup() {
    m_machine.reset();
}

void TestSimAcquisition::writeMachine(const QByteArray& systemSection) {
    for (const QByteArray& line : systemSection.split('\n')) {
        const auto kv = line.split('=');
        if (kv.size() == 2) QVERIFY(m_machine->writeChannel("system", kv[0], kv[1]));
    }
}

void TestSimAcquisition::loadFollowsTheSimulatedSpring() {
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    m_machine->startAcquisition(nullptr);
    CardSlot& card = m_machine->card();
    TMotor& motor = *card.motor;
    QVERIFY(readingsPass(21));

    simSet(0, "position_mm", 62.0);  // 2 mm above the spring
    QVERIFY(waitFor(
        [&] { return std::abs(card.record.displacement.load() - card.displacement->displacement()) < 1e-6f; },
        kMachineTimeout_ms));
    QVERIFY(readingsPass(3));
    const float displacementBefore = card.record.displacement.load();
    const double gapBefore = simGet(0, "gap_mm");
    QCOMPARE(card.record.load.load(), 0.0f);

    motor.SetSpeed(300.0f);
    QVERIFY(motor.CommandDown());
    QVERIFY(waitFor([&] { return simGet(0, "position_mm") <= 54.0; }, kMachineTimeout_ms));
    motor.CommandStop();
    QCOMPARE(simGet(0, "moving"), 0.0);
    QVERIFY(readingsPass(5));  // a few readings at rest

    const double force = simGet(0, "force");
    QVERIFY2(force > 50.0 && force < 70.0, qPrintable(QString::number(force)));
    const float load = card.record.load.load();
    COMPARE_NEAR(load, force, 0.005, 0.2);  // N

    // The displacement follows the platen: the crosshead's travel plus the frame deflection the compensation
    // adds back.
    const double gapTravel = simGet(0, "gap_mm") - gapBefore;
    const double shown = card.record.displacement.load() - displacementBefore;
    COMPARE_NEAR(shown, gapTravel, 0.0, 0.011);  // mm
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestSimAcquisition::overloadStopsTheCrossheadInTheSameReading() {
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    CardSlot& card = m_machine->card();
    Tload& load = *card.load;
    TMotor& motor = *card.motor;
    load.SelectGear(1);  // range 5000 N, trip at 5150 N

    std::atomic<int> trips{0};
    double movingAtTrip = -1, forceAtTrip = 0;
    float loadAtTrip = 0;
    WindowTarget overload([&](int) {
        // The acquisition thread waits here until this handler returns: what it sees is the state of the
        // reading that tripped.
        movingAtTrip = simGet(0, "moving");
        forceAtTrip = simGet(0, "force");
        loadAtTrip = load.load();
        trips.fetch_add(1);
    });
    load.setOverloadTarget(&overload);
    m_machine->startAcquisition(nullptr);

    simSet(0, "rate_n_per_mm", 2500.0);
    simSet(0, "position_mm", 60.5);
    motor.SetSpeed(120.0f);
    QVERIFY(motor.CommandDown());
    QVERIFY(waitFor([&] { return trips.load() > 0; }, kMachineTimeout_ms));
    QCOMPARE(movingAtTrip, 0.0);
    QVERIFY2(loadAtTrip >= 5150.0f, qPrintable(QString::number(loadAtTrip)));
    QVERIFY(forceAtTrip < 5150.0 + 2500.0 * 120.0 / 60000.0 * 5);  // stopped within a few readings' travel
    QCOMPARE(load.tripKind(), TripKind::CompressionOverload);
    QCOMPARE(motor.state(), MotionState::Stopped);

    QVERIFY(!motor.CommandDown());
    QCOMPARE(motor.state(), MotionState::BlockedByOverload);
    QVERIFY(readingsPass(10));
    QCOMPARE(trips.load(), 1);
    QVERIFY(motor.CommandUp());
    QVERIFY(waitFor([&] { return load.armed(); }, kMachineTimeout_ms));
    motor.CommandStop();
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestSimAcquisition::autoGearFollowsTheLoad() {
    QVERIFY(m_machine->writeChannel("Load", "auto_gear", "1"));
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    CardSlot& card = m_machine->card();
    std::atomic<int> messages{0};
    WindowTarget gear([&](int) { messages.fetch_add(1); });
    card.load->setGearTarget(&gear);
    m_machine->startAcquisition(nullptr);
    QCOMPARE(card.load->currentGear(), 3);

    simSet(0, "rate_n_per_mm", 1000.0);
    simSet(0, "position_mm", 58.8);  // about 1200 N: past gear 3 (1000 N), inside gear 2 (2500 N)
    QVERIFY(waitFor([&] { return card.load->currentGear() == 2 && card.load->shownGear() == 2; },
                    kMachineTimeout_ms));
    QVERIFY(readingsPass(5));
    QCOMPARE(card.load->currentGear(), 2);
    QVERIFY(messages.load() >= 2);  // from the channel and from the loop
    const double force = simGet(0, "force");
    COMPARE_NEAR(card.record.load.load(), force, 0.005, 0.5);  // N
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestSimAcquisition::displacementContinuesAfterRestart() {
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    m_machine->startAcquisition(nullptr);
    simSet(0, "position_mm", 170.0);  // 20 mm above the start
    QVERIFY(
        waitFor([&] { return m_machine->card().record.displacement.load() > 19.9f; }, kMachineTimeout_ms));
    QVERIFY(readingsPass(3));
    const float before = m_machine->card().record.displacement.load();
    QVERIFY(m_machine->shutdown().isEmpty());

    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    m_machine->startAcquisition(nullptr);
    QVERIFY(readingsPass(6));
    QCOMPARE(m_machine->card().record.displacement.load(), before);
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestSimAcquisition::missingDriverStopsStartUp() {
    writeMachine("CardType=7");
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::DriverMissing);
    QCOMPARE(prompts.shown, QStringList{"无法找到文件！！"});
    QVERIFY(!m_machine->session().isRunning());
    m_machine->startAcquisition(nullptr);
    QVERIFY(m_machine->session().acquisition() == nullptr);
    QVERIFY(m_machine->shutdown().isEmpty());
}

void TestSimAcquisition::unopenedCardAsksTheOperator_data() {
    QTest::addColumn<bool>("yes");
    QTest::newRow("Yes runs on") << true;
    QTest::newRow("No ends") << false;
}

void TestSimAcquisition::unopenedCardAsksTheOperator() {
    QFETCH(bool, yes);
    writeMachine("CardSum=2");
    simSet(1, "fail_open", 1);
    ScriptedPrompts prompts;
    prompts.answerYes = yes;
    QCOMPARE(m_machine->start(prompts),
             yes ? MachineSession::Outcome::Running : MachineSession::Outcome::Aborted);
    QCOMPARE(prompts.shown, QStringList{"无法打开RX720控制卡,请勿操作机器，避免不必要的损坏"});
    QCOMPARE(m_machine->session().cards().count, yes ? 2 : 0);
    m_machine->shutdown();
}

void TestSimAcquisition::cardCountIsClamped() {
    writeMachine("CardSum=9");
    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    QCOMPARE(m_machine->session().cards().count, 5);
    m_machine->startAcquisition(nullptr);
    QVERIFY(readingsPass(4));
    QVERIFY(m_machine->shutdown().isEmpty());
    QVERIFY(QFile::exists(m_machine->file("init4.dat")));  // card 4 saved its displacement
}

void TestSimAcquisition::variableSpeedDrivesReachTheirPoints_data() {
    QTest::addColumn<QStringList>("drive");  // section/key=value lines of init0.dat
    QTest::addColumn<float>("speed");        // the test speed, mm/min
    QTest::addColumn<bool>("heldUp");        // the loop held 10 ms every 60 ms, its readings then buffered
    // The step motor ramps from one speed to the next over a second or so: at 20 mm/min each speed of the
    // slow approach is reached before the next distance asks for the next one.
    QTest::newRow("step motor") << QStringList{"Motor/ControlMode=2", "Motor/StepMotorMinSpeed=1",
                                               "Motor/StepMotorSpeed=1"}
                                << 20.0f << false;
    // The simulated valve: 0.5 mm/min per count off its zero at 2048.
    const QStringList servo{"Motor/ControlMode=1",     "PID/FAPIAN=2048", "PID/Displacement_P=1000",
                            "PID/Displacement_I=5000", "PID/upper=500",   "PID/Low=-500"};
    QTest::newRow("PID servo") << servo << 60.0f << false;
    QTest::newRow("PID servo, loop held up") << servo << 60.0f << true;
}

// In variable speed the test sets the speed of the slow approach at every sample. The step motor and the
// servo must still run at the speeds set on the way to the point, 2.3 mm into the spring.
void TestSimAcquisition::variableSpeedDrivesReachTheirPoints() {
    QFETCH(QStringList, drive);
    QFETCH(float, speed);
    QFETCH(bool, heldUp);
    ProfileFile ini(m_machine->file("init0.dat"));
    for (const QString& line : drive) {
        const QStringList sectionKey = line.section('=', 0, 0).split('/');
        QVERIFY(ini.writeString(sectionKey[0], sectionKey[1], line.section('=', 1)));
    }
    constexpr float kStart = 60.5f, kPoint = 57.7f;  // the spring: free at 60 mm, 10 N/mm

    ScriptedPrompts prompts;
    QCOMPARE(m_machine->start(prompts), MachineSession::Outcome::Running);
    TTestStyle seq(0, m_machine->session().cards());
    seq.InstallProcedure(std::make_shared<StandardTest>(seq, StandardTestKind::Compression));
    ttest_info scheme;
    scheme.scheme_sum = 1;
    scheme.points = {kPoint};
    scheme.upper = scheme.lower = {0.0};
    scheme.scheme_load = 0.5;
    seq.setScheme(scheme);
    m_machine->startAcquisition(&seq.sampleSlot());
    CardSlot& card = m_machine->card();
    simSet(0, "position_mm", kStart);
    QVERIFY(readingsPass(5));
    card.displacement->SetDisplacement(kStart);
    QVERIFY(readingsPass(5));
    if (heldUp) {
        simSet(0, "stall_ms", 10);
        simSet(0, "stall_every_ms", 60);
    }

    seq.SetTestSpeed(speed);
    seq.SetSpeedMode(SpeedMode::Variable);
    seq.StartTest(0);
    // Where the platen was when, on the way from the height to the point.
    QList<std::pair<qint64, float>> approach;
    QElapsedTimer clock;
    clock.start();
    const auto captured = [&] { return seq.results().value(1, 1); };
    while (seq.running() && ResultArray::isEmpty(captured()) && clock.elapsed() < 60000) {
        if (seq.step() == TestStep::CapturePoints)
            approach << std::pair{clock.elapsed(), card.record.displacement.load()};
        // A running event loop, as the console's: timers and the motor's requests are served as they come.
        QEventLoop loop;
        QTimer::singleShot(5, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const qint64 capturedAt = clock.elapsed();
    const float load = captured();
    seq.StopTest();
    // As the console does: the curve feed reads the channels, so it stops before they go.
    seq.StopCurveTimer();
    QVERIFY(m_machine->shutdown().isEmpty());
    QVERIFY2(!ResultArray::isEmpty(load),
             qPrintable(QStringLiteral("the point not reached, the platen at %1 mm")
                            .arg(approach.isEmpty() ? kStart : approach.last().second)));
    COMPARE_NEAR(load, (60.0 - kPoint) * 10.0, 0.0, 0.5);

    // How fast the platen came over the last stretch before each distance from the point, against the speed
    // set there: the full test speed, half of it, a quarter (10 mm/min at most), an eighth (5 at most).
    const auto passed = [&](double distance_mm) {
        for (const auto& [ms, displacement] : approach)
            if (displacement <= kPoint + distance_mm + 1e-4) return ms;
        return capturedAt;
    };
    struct Stretch {
        double from_mm, to_mm, speed, tolerance;
    };
    const Stretch stretches[] = {{1.8, 1.1, speed, 0.1},
                                 {0.6, 0.5, speed / 2, 0.3},
                                 {0.25, 0.2, std::min(speed / 4, 10.0f), 0.3},
                                 {0.1, 0.0, std::min(speed / 8, 5.0f), 0.3}};
    for (const Stretch& s : stretches) {
        const double minutes = (passed(s.to_mm) - passed(s.from_mm)) / 60000.0;
        COMPARE_NEAR((s.from_mm - s.to_mm) / minutes, s.speed, s.tolerance, 0.0,
                     QStringLiteral("from %1 to %2 mm before the point").arg(s.from_mm).arg(s.to_mm));
    }
}

QTEST_GUILESS_MAIN(TestSimAcquisition)
#include "tst_sim_acquisition.moc"
