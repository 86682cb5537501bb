#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/SteadyClock.h"
#include "platform/WindowTarget.h"
#include "support/FakeCard.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"

#include <QTest>

#include <atomic>
#include <cmath>
#include <memory>
#include <numbers>
#include <thread>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::FakeCardState;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::MotionState)
Q_DECLARE_METATYPE(springtest::HydraulicDrive)

namespace {

// The channel configuration of card 0: section Motor with the given control mode and extra lines, then
// section PID with its lines.
QByteArray motorIni(int mode, const QByteArray& motorLines = {}, const QByteArray& pidLines = {}) {
    QByteArray ini = "[Motor]\nControlMode=" + QByteArray::number(mode) + "\n" + motorLines + "\n";
    if (!pidLines.isEmpty()) ini += "[PID]\n" + pidLines + "\n";
    return ini;
}

// One card with a motor channel (and, when asked, its load and displacement channels), the fake driver
// and a state target that counts motion messages.
struct Rig {
    explicit Rig(const QByteArray& ini, bool withLoad = false, bool withDisplacement = false) {
        FakeCard::reset();
        if (!ini.isNull()) dir.write(QStringLiteral("init0.dat"), ini);
        if (withLoad) slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        if (withDisplacement)
            slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
        motor().setStateTarget(&target);
    }

    TMotor& motor() { return *slot.motor; }
    FakeCardState& card() { return FakeCard::state(0); }
    QString moves() { return QString::fromStdString(join(card().moves)); }
    // Forget what setting up a case sent, so a case sees only its own commands and messages.
    void forget() {
        card().moves.clear();
        card().rates.clear();
        card().servo.clear();
        messages = 0;
    }

    // Trips the load channel: a compression overload blocks Down, a tension overload blocks Up.
    void trip(bool compression) {
        card().count = compression ? 2000 : -2000;
        slot.load->ReadLoad();
        QVERIFY(!slot.load->armed());
    }

    static std::string join(const std::vector<std::string>& v) {
        std::string s;
        for (const std::string& m : v) s += (s.empty() ? "" : ",") + m;
        return s;
    }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    int messages = 0;  // touched on the GUI thread only: the target runs its handler there
    WindowTarget target{[this](int code) {
        if (code == kMsgMotorState) ++messages;
    }};
    CardSlot slot;
};

// Brings a motor (stopped, nothing tripped) into a motion state through its own inputs.
void reachState(Rig& rig, MotionState s) {
    TMotor& m = rig.motor();
    switch (s) {
        case MotionState::Stopped:
            break;
        case MotionState::Up:
            m.CommandUp();
            break;
        case MotionState::Down:
            m.CommandDown();
            break;
        case MotionState::AtUpperLimit:
            m.CommandUp();
            rig.card().outCommand = 1;
            m.LimitTick();
            break;
        case MotionState::AtLowerLimit:
            m.CommandDown();
            rig.card().outCommand = 2;
            m.LimitTick();
            break;
        case MotionState::TestRequested:
            m.SetPendantLatch(PendantLatch::Armed);
            rig.card().outCommand = 3;
            m.PendantTick();
            break;
        case MotionState::BlockedByOverload:
            QFAIL("reached by a refused command, not set up");
            break;
    }
    QCOMPARE(m.state(), s);
}

}  // namespace

class TstTMotor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void missingConfigurationGivesWorkingChannel();
    void configurationIsRead();
    void commandUpTwiceSendsOnce();
    void limitsRefuseMotionTowardThem_data();
    void limitsRefuseMotionTowardThem();
    void overloadBlocksOnlyTowardTheLoad_data();
    void overloadBlocksOnlyTowardTheLoad();
    void directionSwapsCommands_data();
    void directionSwapsCommands();
    void stepRampFollowsQuarterSine_data();
    void stepRampFollowsQuarterSine();
    void stepRampSlowsDownToNewSpeed();
    void stepSpeedAtOrBelowStartSkipsRamp();
    void moveDirection_data();
    void moveDirection();
    void setSpeed_data();
    void setSpeed();
    void sameSpeedRestartsNothing_data();
    void sameSpeedRestartsNothing();
    void pidOutputStaysInRange_data();
    void pidOutputStaysInRange();
    void manualOutputSentAsIs();
    void pidStep_data();
    void pidStep();
    void rampClampsAgainstMotion_data();
    void rampClampsAgainstMotion();
    void servoFollowsDisplacementChannel();
    void mapInput_data();
    void mapInput();
    void operatorBox_data();
    void operatorBox();
    void limitMonitor_data();
    void limitMonitor();
    void relays();
    void namedRelays_data();
    void namedRelays();
    void hydraulicDrives_data();
    void hydraulicDrives();
    void commandsFromAnotherThread();
};

void TstTMotor::missingConfigurationGivesWorkingChannel() {
    Rig rig{QByteArray()};
    TMotor& m = rig.motor();
    QCOMPARE(m.controlMode(), ControlMode::Direct);
    QCOMPARE(m.Direction(), int8_t(1));
    QVERIFY(!m.manualControl());
    QCOMPARE(m.state(), MotionState::Stopped);
    QCOMPARE(m.pendantLatch(), PendantLatch::KeyTaken);
    QCOMPARE(rig.card().relayWrites.size(), size_t(1));
    QCOMPARE(rig.card().daStarts, 0);

    m.SetSpeed(12.5f);
    QVERIFY(m.CommandUp());
    QCOMPARE(rig.card().rates, std::vector<float>{12.5f});
    QCOMPARE(rig.moves(), QStringLiteral("up"));
    m.CommandStop();
    QCOMPARE(rig.moves(), QStringLiteral("up,stop"));
    QCOMPARE(rig.messages, 2);
}

void TstTMotor::configurationIsRead() {
    Rig rig{
        motorIni(1, "Direction=-1\nManualControl=1",
                 "Load_P=1500\nLoad_I=20\nLoad_D=3\nDisplacement_P=250\nDisplacement_I=7\nDisplacement_D=1\n"
                 "upper=900\nLow=-800\nFAPIAN=2100")};
    TMotor& m = rig.motor();
    QCOMPARE(m.controlMode(), ControlMode::PidServo);
    QCOMPARE(m.Direction(), int8_t(-1));
    QVERIFY(m.manualControl());
    const ServoBlock s = m.servo();
    QCOMPARE(s.loadKp, 1.5);
    QCOMPARE(s.loadKi, 0.02);
    QCOMPARE(s.loadKd, 0.003);
    QCOMPARE(s.dispKp, 0.25);
    QCOMPARE(s.dispKi, 0.007);
    QCOMPARE(s.dispKd, 0.001);
    QCOMPARE(s.upper, 900);
    QCOMPARE(s.low, -800);
    QCOMPARE(s.valveZero, 2100);
    QCOMPARE(s.pidMode, uint8_t(1));
    QCOMPARE(rig.card().daStarts, 1);
    QVERIFY(!m.pidTimerActive());

    // The PID section belongs to the servo; other drives keep the defaults and never start the output.
    Rig direct{motorIni(0, {}, "Displacement_P=250\nFAPIAN=2100")};
    QCOMPARE(direct.motor().servo().dispKp, 0.0);
    QCOMPARE(direct.motor().servo().valveZero, 2048);
    QCOMPARE(direct.card().daStarts, 0);
}

void TstTMotor::commandUpTwiceSendsOnce() {
    Rig rig{motorIni(0)};
    rig.motor().SetSpeed(30.0f);
    QVERIFY(rig.motor().CommandUp());
    QVERIFY(rig.motor().CommandUp());
    QCOMPARE(rig.card().rates, std::vector<float>{30.0f});
    QCOMPARE(rig.moves(), QStringLiteral("up"));
    QCOMPARE(rig.messages, 1);
}

void TstTMotor::limitsRefuseMotionTowardThem_data() {
    QTest::addColumn<MotionState>("limit");
    QTest::addColumn<bool>("up");
    QTest::addColumn<bool>("result");
    QTest::addColumn<MotionState>("state");
    QTest::addColumn<QString>("moves");

    QTest::newRow("up at upper limit")
        << MotionState::AtUpperLimit << true << false << MotionState::AtUpperLimit << QString();
    QTest::newRow("down from upper limit")
        << MotionState::AtUpperLimit << false << true << MotionState::Down << QStringLiteral("down");
    QTest::newRow("down at lower limit")
        << MotionState::AtLowerLimit << false << false << MotionState::AtLowerLimit << QString();
    QTest::newRow("up from lower limit")
        << MotionState::AtLowerLimit << true << true << MotionState::Up << QStringLiteral("up");
}

void TstTMotor::limitsRefuseMotionTowardThem() {
    QFETCH(MotionState, limit);
    QFETCH(bool, up);
    QFETCH(bool, result);
    QFETCH(MotionState, state);
    QFETCH(QString, moves);

    Rig rig{motorIni(0)};
    reachState(rig, limit);
    rig.forget();
    QCOMPARE(up ? rig.motor().CommandUp() : rig.motor().CommandDown(), result);
    QCOMPARE(rig.motor().state(), state);
    QCOMPARE(rig.moves(), moves);
    QCOMPARE(rig.messages, result ? 1 : 0);
}

void TstTMotor::overloadBlocksOnlyTowardTheLoad_data() {
    QTest::addColumn<bool>("compression");
    QTest::newRow("compression trip blocks down") << true;
    QTest::newRow("tension trip blocks up") << false;
}

void TstTMotor::overloadBlocksOnlyTowardTheLoad() {
    QFETCH(bool, compression);
    Rig rig{motorIni(0), true};
    TMotor& m = rig.motor();
    m.SetSpeed(5.0f);
    QVERIFY(compression ? m.CommandDown() : m.CommandUp());
    rig.forget();

    rig.trip(compression);
    QCOMPARE(rig.moves(), QStringLiteral("stop"));
    QCOMPARE(m.state(), MotionState::Stopped);
    QCOMPARE(rig.messages, 1);
    rig.forget();

    QVERIFY(!(compression ? m.CommandDown() : m.CommandUp()));
    QCOMPARE(m.state(), MotionState::BlockedByOverload);
    QCOMPARE(rig.moves(), QString());
    QCOMPARE(rig.messages, 0);

    QVERIFY(compression ? m.CommandUp() : m.CommandDown());
    QCOMPARE(m.state(), compression ? MotionState::Up : MotionState::Down);
    QCOMPARE(rig.moves(), compression ? QStringLiteral("up") : QStringLiteral("down"));
    QCOMPARE(rig.messages, 1);
}

void TstTMotor::directionSwapsCommands_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("up");
    QTest::addColumn<QString>("move");
    QTest::addColumn<float>("firstRate");  // the first rate sent, 0 when none is
    QTest::addColumn<float>("rampRate");   // of the servo, hundredths of a millimetre per minute

    // Speed 40 throughout; step mode with StepMotorMinSpeed 1.
    QTest::newRow("direct up") << 0 << 1 << true << "up" << 40.0f << 0.0f;
    QTest::newRow("direct up reversed") << 0 << -1 << true << "down" << 40.0f << 0.0f;
    QTest::newRow("direct down reversed") << 0 << -1 << false << "up" << 40.0f << 0.0f;
    QTest::newRow("servo up") << 1 << 1 << true << "" << 0.0f << 4000.0f;
    QTest::newRow("servo up reversed") << 1 << -1 << true << "" << 0.0f << -4000.0f;
    QTest::newRow("servo down") << 1 << 1 << false << "" << 0.0f << -4000.0f;
    QTest::newRow("servo down reversed") << 1 << -1 << false << "" << 0.0f << 4000.0f;
    QTest::newRow("step up") << 2 << 1 << true << "up" << 1.0f << 0.0f;
    QTest::newRow("step up reversed") << 2 << -1 << true << "down" << 1.0f << 0.0f;
    QTest::newRow("step down") << 2 << 1 << false << "down" << 1.0f << 0.0f;
    // The one asymmetry: reversed Down starts its ramp from 10, not from StepMotorMinSpeed.
    QTest::newRow("step down reversed") << 2 << -1 << false << "up" << 10.0f << 0.0f;
}

void TstTMotor::directionSwapsCommands() {
    QFETCH(int, mode);
    QFETCH(int, direction);
    QFETCH(bool, up);
    QFETCH(QString, move);
    QFETCH(float, firstRate);
    QFETCH(float, rampRate);

    Rig rig{motorIni(mode, "Direction=" + QByteArray::number(direction))};
    TMotor& m = rig.motor();
    m.SetSpeed(40.0f);
    QVERIFY(up ? m.CommandUp() : m.CommandDown());
    QCOMPARE(m.state(), up ? MotionState::Up : MotionState::Down);
    QCOMPARE(rig.moves(), move);
    QCOMPARE(rig.card().rates.empty() ? 0.0f : rig.card().rates.front(), firstRate);
    QCOMPARE(m.servo().rampRate, rampRate);
    QCOMPARE(m.servo().pidMode, uint8_t(mode == 1 ? 3 : 1));
    QCOMPARE(m.pidTimerActive(), mode == 1);
    QCOMPARE(m.stepRampActive(), mode == 2);
    QCOMPARE(rig.messages, 1);
}

void TstTMotor::stepRampFollowsQuarterSine_data() {
    QTest::addColumn<float>("divisor");
    QTest::addColumn<float>("speed");
    QTest::addColumn<float>("firstRate");
    QTest::addColumn<float>("firstTick");
    QTest::addColumn<float>("lastTick");

    const float sin6 = float(std::sin(std::numbers::pi / 30.0));
    QTest::newRow("to full speed") << 1.0f << 100.0f << 1.0f << sin6 * 100.0f << 100.0f;
    QTest::newRow("rate divided") << 2.0f << 100.0f << 0.5f << sin6 * 50.0f << 50.0f;
    QTest::newRow("ceiling 500") << 1.0f << 800.0f << 1.0f << sin6 * 800.0f << 500.0f;
    // sin 6° × 60 is below 10: the ramp does not begin lower than 10.
    QTest::newRow("floor 10") << 1.0f << 60.0f << 1.0f << 10.0f << 60.0f;
}

void TstTMotor::stepRampFollowsQuarterSine() {
    QFETCH(float, divisor);
    QFETCH(float, speed);
    QFETCH(float, firstRate);
    QFETCH(float, firstTick);
    QFETCH(float, lastTick);

    Rig rig{motorIni(2, "StepMotorMinSpeed=1\nStepMotorSpeed=" + QByteArray::number(divisor))};
    TMotor& m = rig.motor();
    m.SetSpeed(speed);
    QVERIFY(m.CommandUp());
    QCOMPARE(rig.card().rates, std::vector<float>{firstRate});
    QCOMPARE(rig.moves(), QStringLiteral("up"));

    for (int tick = 1; tick <= 29; ++tick) {
        QVERIFY2(m.stepRampActive(), qPrintable(QStringLiteral("tick %1").arg(tick)));
        m.StepRampTick();
    }
    const std::vector<float>& rates = rig.card().rates;
    QCOMPARE(rates.size(), size_t(30));
    COMPARE_NEAR(rates[1], firstTick, 0.0, 1e-3);
    for (size_t i = 2; i < rates.size(); ++i) QVERIFY(rates[i] >= rates[i - 1]);
    QCOMPARE(rates.back(), lastTick);
    QVERIFY(!m.stepRampActive());
    QCOMPARE(m.rampCounter(), 30);

    m.StepRampTick();  // a tick that was already due when the ramp ended changes nothing
    QCOMPARE(rates.size(), size_t(30));
}

void TstTMotor::stepRampSlowsDownToNewSpeed() {
    Rig rig{motorIni(2)};
    TMotor& m = rig.motor();
    m.SetSpeed(100.0f);
    m.CommandUp();
    while (m.stepRampActive()) m.StepRampTick();
    rig.forget();

    m.SetSpeed(40.0f);
    QVERIFY(m.stepRampActive());
    QCOMPARE(m.rampCounter(), 1);
    QVERIFY(rig.card().rates.empty());  // the ramp continues from the speed reached, not from the start speed
    while (m.stepRampActive()) m.StepRampTick();
    const std::vector<float>& rates = rig.card().rates;
    QCOMPARE(rates.size(), size_t(29));
    COMPARE_NEAR(rates.front(), std::sin(28.0 * std::numbers::pi / 60.0) * 100.0, 0.0, 1e-3);
    for (size_t i = 1; i < rates.size(); ++i) QVERIFY(rates[i] <= rates[i - 1]);
    QCOMPARE(rates.back(), 40.0f);
}

void TstTMotor::stepSpeedAtOrBelowStartSkipsRamp() {
    Rig rig{motorIni(2, "StepMotorMinSpeed=20\nStepMotorSpeed=4")};
    TMotor& m = rig.motor();
    m.SetSpeed(20.0f);
    m.CommandDown();
    QCOMPARE(rig.card().rates, std::vector<float>{5.0f});
    QVERIFY(!m.stepRampActive());

    // A slow speed set during a ramp is sent at once and is not overwritten by the ramp's later ticks.
    m.SetSpeed(200.0f);
    QVERIFY(m.stepRampActive());
    m.StepRampTick();
    rig.forget();
    m.SetSpeed(8.0f);
    QCOMPARE(rig.card().rates, std::vector<float>{2.0f});
    QCOMPARE(m.rampSpeed(), 8.0f);
    QVERIFY(!m.stepRampActive());
    m.StepRampTick();
    QCOMPARE(rig.card().rates.size(), size_t(1));
}

void TstTMotor::moveDirection_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("dir");
    QTest::addColumn<bool>("result");
    QTest::addColumn<MotionState>("state");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<int>("pidMode");
    QTest::addColumn<float>("rampRate");

    // Speed 25 throughout.
    QTest::newRow("direct up") << 0 << 1 << 1 << true << MotionState::Up << "up" << 1 << 0.0f;
    QTest::newRow("direct down") << 0 << 1 << -1 << true << MotionState::Down << "down" << 1 << 0.0f;
    QTest::newRow("direct stop") << 0 << 1 << 0 << false << MotionState::Stopped << "stop" << 1 << 0.0f;
    QTest::newRow("direct up reversed") << 0 << -1 << 1 << true << MotionState::Down << "down" << 1 << 0.0f;
    QTest::newRow("servo up") << 1 << 1 << 1 << true << MotionState::Up << "" << 3 << -2500.0f;
    QTest::newRow("servo down") << 1 << 1 << -1 << true << MotionState::Down << "" << 3 << 2500.0f;
    QTest::newRow("servo up reversed") << 1 << -1 << 1 << true << MotionState::Down << "" << 3 << 2500.0f;
    QTest::newRow("servo stop holds") << 1 << 1 << 0 << false << MotionState::Stopped << "" << 1 << 0.0f;
    QTest::newRow("step does nothing") << 2 << 1 << 1 << false << MotionState::Stopped << "" << 1 << 0.0f;
}

void TstTMotor::moveDirection() {
    QFETCH(int, mode);
    QFETCH(int, direction);
    QFETCH(int, dir);
    QFETCH(bool, result);
    QFETCH(MotionState, state);
    QFETCH(QString, moves);
    QFETCH(int, pidMode);
    QFETCH(float, rampRate);

    Rig rig{motorIni(mode, "Direction=" + QByteArray::number(direction))};
    TMotor& m = rig.motor();
    m.SetSpeed(25.0f);
    QCOMPARE(m.MoveDirection(dir), result);
    QCOMPARE(m.state(), state);
    QCOMPARE(rig.moves(), moves);
    QCOMPARE(int(m.servo().pidMode), pidMode);
    QCOMPARE(m.servo().rampRate, rampRate);
    QCOMPARE(m.pidTimerActive(), mode == 1);
    QVERIFY(!m.stepRampActive());
    QCOMPARE(rig.messages, 0);
    if (mode == 0 && dir != 0) QCOMPARE(rig.card().rates, std::vector<float>{25.0f});

    // No limit is consulted: the same call from the limit in that direction still moves.
    if (mode == 0 && dir == 1 && direction == 1) {
        rig.card().outCommand = 1;
        m.LimitTick();
        QCOMPARE(m.state(), MotionState::AtUpperLimit);
        QVERIFY(m.MoveDirection(1));
        QCOMPARE(m.state(), MotionState::Up);
    }
}

void TstTMotor::setSpeed_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("direction");
    QTest::addColumn<MotionState>("motion");
    QTest::addColumn<float>("speed");
    QTest::addColumn<QList<float>>("rates");
    QTest::addColumn<bool>("stepRamp");
    QTest::addColumn<float>("rampRate");

    // Started at 50 (step mode: StepMotorMinSpeed 1, StepMotorSpeed 1, ramp run out), then set to `speed`.
    using S = MotionState;
    QTest::newRow("direct stopped") << 0 << 1 << S::Stopped << 30.0f << QList<float>{} << false << 0.0f;
    QTest::newRow("direct moving") << 0 << 1 << S::Down << 30.0f << QList<float>{30.0f} << false << 0.0f;
    QTest::newRow("servo up") << 1 << 1 << S::Up << 30.0f << QList<float>{} << false << 3000.0f;
    QTest::newRow("servo down") << 1 << 1 << S::Down << 30.0f << QList<float>{} << false << -3000.0f;
    // A new speed keeps the ramp in the sense the start gave it.
    QTest::newRow("servo up reversed") << 1 << -1 << S::Up << 30.0f << QList<float>{} << false << -3000.0f;
    QTest::newRow("servo down reversed") << 1 << -1 << S::Down << 30.0f << QList<float>{} << false << 3000.0f;
    QTest::newRow("servo stopped") << 1 << 1 << S::Stopped << 30.0f << QList<float>{} << false << 0.0f;
    QTest::newRow("step faster ramps") << 2 << 1 << S::Up << 80.0f << QList<float>{} << true << 0.0f;
    QTest::newRow("step at start speed") << 2 << 1 << S::Up << 1.0f << QList<float>{1.0f} << false << 0.0f;
    QTest::newRow("step stopped") << 2 << 1 << S::Stopped << 80.0f << QList<float>{} << false << 0.0f;
}

void TstTMotor::setSpeed() {
    QFETCH(int, mode);
    QFETCH(int, direction);
    QFETCH(MotionState, motion);
    QFETCH(float, speed);
    QFETCH(QList<float>, rates);
    QFETCH(bool, stepRamp);
    QFETCH(float, rampRate);

    Rig rig{motorIni(mode, "Direction=" + QByteArray::number(direction))};
    TMotor& m = rig.motor();
    m.SetSpeed(50.0f);
    reachState(rig, motion);
    while (m.stepRampActive()) m.StepRampTick();
    rig.forget();

    m.SetSpeed(speed);
    QCOMPARE(m.speed(), speed);
    QCOMPARE(QList<float>(rig.card().rates.begin(), rig.card().rates.end()), rates);
    QCOMPARE(m.stepRampActive(), stepRamp);
    if (stepRamp) QCOMPARE(m.rampCounter(), 1);
    QCOMPARE(m.servo().rampRate, rampRate);
    QCOMPARE(rig.moves(), QString());
    QCOMPARE(rig.messages, 0);
}

void TstTMotor::sameSpeedRestartsNothing_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("servo") << 1;
    QTest::newRow("step motor") << 2;
}

// The slow approach sets its speed at every sample. Set again, the speed the drive already has leaves its
// ramp as it is: restarted each time, the step motor would never leave its start speed and the servo would
// never build up an output.
void TstTMotor::sameSpeedRestartsNothing() {
    QFETCH(int, mode);
    Rig rig{motorIni(mode, {}, "Displacement_P=1000")};
    TMotor& m = rig.motor();
    m.SetSpeed(60.0f);
    QVERIFY(m.CommandDown());
    rig.slot.record.startTickMs.store(steadyMs() - 60000);  // the servo's ramp a minute on
    for (int tick = 0; tick < 5; ++tick) {
        m.StepRampTick();
        m.PidTick();
    }
    const int rampCounter = m.rampCounter();
    const ServoBlock servo = m.servo();
    const uint64_t rampStarted = rig.slot.record.startTickMs.load();
    rig.forget();

    for (int sample = 0; sample < 3; ++sample) m.SetSpeed(60.0f);
    QCOMPARE(m.rampCounter(), rampCounter);
    QCOMPARE(m.servo().accumulator, servo.accumulator);
    QCOMPARE(m.servo().pidMode, servo.pidMode);
    QCOMPARE(rig.slot.record.startTickMs.load(), rampStarted);
    QVERIFY(rig.card().rates.empty());
    QCOMPARE(m.stepRampActive(), mode == 2);
    QCOMPARE(m.state(), MotionState::Down);
}

void TstTMotor::pidOutputStaysInRange_data() {
    QTest::addColumn<QByteArray>("pid");
    QTest::addColumn<bool>("holdLoad");
    QTest::addColumn<float>("target");
    QTest::addColumn<QList<int>>("outputs");  // of three ticks with the channels reading 0

    QTest::newRow("zero gains hold valve zero")
        << QByteArray() << false << 5.0f << QList<int>{2048, 2048, 2048};
    QTest::newRow("valve zero from file")
        << QByteArray("FAPIAN=1500") << false << 5.0f << QList<int>{1500, 1500, 1500};
    QTest::newRow("accumulator limit")
        << QByteArray("Displacement_P=1000") << false << 30.0f << QList<int>{2548, 2548, 2548};
    QTest::newRow("accumulating") << QByteArray("Displacement_P=1000") << false << 2.0f
                                  << QList<int>{2248, 2448, 2548};
    QTest::newRow("output ceiling") << QByteArray("Displacement_P=1000\nupper=5000") << false << 30.0f
                                    << QList<int>{4000, 4000, 4000};
    QTest::newRow("output floor") << QByteArray("Displacement_P=1000\nLow=-5000") << false << -30.0f
                                  << QList<int>{50, 50, 50};
    QTest::newRow("valve zero above range")
        << QByteArray("FAPIAN=5000") << false << 0.0f << QList<int>{4000, 4000, 4000};
    QTest::newRow("valve zero below range")
        << QByteArray("FAPIAN=10") << false << 0.0f << QList<int>{50, 50, 50};
    QTest::newRow("load hold negated")
        << QByteArray("Load_P=1000") << true << 100.0f << QList<int>{1948, 1848, 1748};
    QTest::newRow("load hold uses load gains")
        << QByteArray("Displacement_P=1000") << true << 100.0f << QList<int>{2048, 2048, 2048};
}

void TstTMotor::pidOutputStaysInRange() {
    QFETCH(QByteArray, pid);
    QFETCH(bool, holdLoad);
    QFETCH(float, target);
    QFETCH(QList<int>, outputs);

    Rig rig{motorIni(1, {}, pid)};
    TMotor& m = rig.motor();
    holdLoad ? m.HoldLoad(target) : m.HoldDisplacement(target);
    QVERIFY(m.pidTimerActive());
    QCOMPARE(m.servo().pidMode, uint8_t(holdLoad ? 2 : 1));
    for (int i = 0; i < 3; ++i) m.PidTick();
    QCOMPARE(QList<int>(rig.card().servo.begin(), rig.card().servo.end()), outputs);
    QCOMPARE(int(m.servo().output), outputs.back());

    m.StopPid();
    QVERIFY(!m.pidTimerActive());
    m.PidTick();  // a tick already due when the servo stopped sends nothing
    QCOMPARE(rig.card().servo.size(), size_t(3));
}

void TstTMotor::manualOutputSentAsIs() {
    Rig rig{motorIni(1)};
    TMotor& m = rig.motor();
    m.SetServoOutput(5000);
    m.SetServoOutput(5000);
    m.SetServoOutput(0);
    QCOMPARE(rig.card().servo, (std::vector<uint16_t>{5000, 0}));
    QCOMPARE(m.manualOutput(), 0);
}

void TstTMotor::pidStep_data() {
    QTest::addColumn<QByteArray>("pid");
    QTest::addColumn<bool>("holdLoad");
    QTest::addColumn<float>("target");  // mm for a displacement hold, load units for a load hold
    QTest::addColumn<QList<double>>("measured");
    QTest::addColumn<QList<int>>("results");

    QTest::newRow("proportional accumulates") << QByteArray("Displacement_P=1000") << false << 0.1f
                                              << QList<double>{0, 0, 5} << QList<int>{10, 20, 25};
    QTest::newRow("integral on first difference")
        << QByteArray("Displacement_I=1000") << false << 0.0f << QList<double>{-10, -10, -20.4, -31}
        << QList<int>{10, 10, 20, 31};
    QTest::newRow("derivative on second difference") << QByteArray("Displacement_D=1000") << false << 0.0f
                                                     << QList<double>{-10, -10, -10} << QList<int>{10, 0, 0};
    QTest::newRow("nearest integer") << QByteArray("Displacement_P=760") << false << 0.0f
                                     << QList<double>{-10, 10} << QList<int>{8, 0};
    QTest::newRow("upper limit") << QByteArray("Displacement_P=1000\nupper=25") << false << 0.0f
                                 << QList<double>{-20, -20, 3} << QList<int>{20, 25, 22};
    QTest::newRow("lower limit") << QByteArray("Displacement_P=1000\nLow=-15") << false << 0.0f
                                 << QList<double>{10, 10, -4} << QList<int>{-10, -15, -11};
    QTest::newRow("load mode negated")
        << QByteArray("Load_P=1000") << true << 50.0f << QList<double>{0, 30} << QList<int>{-50, -70};
    QTest::newRow("load mode limits before negation") << QByteArray("Load_P=1000\nupper=60") << true << 50.0f
                                                      << QList<double>{0, 0} << QList<int>{-50, -60};
}

void TstTMotor::pidStep() {
    QFETCH(QByteArray, pid);
    QFETCH(bool, holdLoad);
    QFETCH(float, target);
    QFETCH(QList<double>, measured);
    QFETCH(QList<int>, results);

    Rig rig{motorIni(1, {}, pid)};
    TMotor& m = rig.motor();
    holdLoad ? m.HoldLoad(target) : m.HoldDisplacement(target);
    QList<int> got;
    for (double x : measured) got << m.PidStep(x);
    QCOMPARE(got, results);
}

void TstTMotor::rampClampsAgainstMotion_data() {
    QTest::addColumn<int>("direction");
    QTest::addColumn<bool>("up");
    QTest::addColumn<double>("setPoint");  // after one minute at 10 mm/min
    QTest::addColumn<int>("output");

    // Proportional gain 1 and the default accumulator limits: a whole minute's error saturates at ±500.
    QTest::newRow("up toward its set point") << 1 << true << 1000.0 << 2548;
    QTest::newRow("up against its set point") << -1 << true << -1000.0 << 2048;
    QTest::newRow("down toward its set point") << 1 << false << -1000.0 << 1548;
    QTest::newRow("down against its set point") << -1 << false << 1000.0 << 2048;
}

void TstTMotor::rampClampsAgainstMotion() {
    QFETCH(int, direction);
    QFETCH(bool, up);
    QFETCH(double, setPoint);
    QFETCH(int, output);

    Rig rig{motorIni(1, "Direction=" + QByteArray::number(direction), "Displacement_P=1000")};
    TMotor& m = rig.motor();
    m.SetSpeed(10.0f);
    rig.slot.record.startTickMs.store(0);
    const uint64_t before = steadyMs();
    QVERIFY(up ? m.CommandUp() : m.CommandDown());
    QVERIFY(rig.slot.record.startTickMs.load() >= before);  // the ramp's minutes count from its start

    rig.slot.record.startTickMs.store(steadyMs() - 60000);
    m.PidTick();
    COMPARE_NEAR(m.servo().setPoint, setPoint, 0.0, 20.0);
    QCOMPARE(rig.card().servo, std::vector<uint16_t>{uint16_t(output)});
}

void TstTMotor::servoFollowsDisplacementChannel() {
    Rig rig{motorIni(1, {}, "Displacement_P=1000\nupper=5000"), false, true};
    TMotor& m = rig.motor();
    rig.card().pulses = 4000;
    QCOMPARE(rig.slot.displacement->ReadDisplacement(), 1.0f);

    // A ramp measures from where it started.
    m.SetSpeed(10.0f);
    m.CommandUp();
    QCOMPARE(m.servo().rampStart, 1.0f);
    rig.card().pulses = 8000;
    rig.slot.displacement->ReadDisplacement();
    rig.slot.record.startTickMs.store(steadyMs() - 60000);
    m.PidTick();
    QCOMPARE(rig.card().servo.size(), size_t(1));
    COMPARE_NEAR(rig.card().servo[0], 2048 + 900, 0.0, 5.0);

    // A stop holds the displacement where the crosshead is, in hundredths of a millimetre.
    m.CommandStop();
    QCOMPARE(m.state(), MotionState::Stopped);
    QCOMPARE(m.servo().pidMode, uint8_t(1));
    QCOMPARE(m.servo().setPoint, 200.0);
    QVERIFY(m.pidTimerActive());
    QCOMPARE(rig.moves(), QString());
    m.PidTick();
    QCOMPARE(rig.card().servo.back(), uint16_t(2048));
}

void TstTMotor::mapInput_data() {
    QTest::addColumn<QByteArray>("switches");
    QTest::addColumn<int>("input");
    QTest::addColumn<int>("code");

    QTest::newRow("default up") << QByteArray() << 1 << 1;
    QTest::newRow("default stop") << QByteArray() << 0 << 0;
    QTest::newRow("default test") << QByteArray() << 3 << 3;
    QTest::newRow("default low down") << QByteArray() << 10 << 10;
    QTest::newRow("default no match") << QByteArray() << 7 << -1;
    QTest::newRow("configured up") << QByteArray("Up_SwitchValue=16") << 16 << 1;
    QTest::newRow("old up value free") << QByteArray("Up_SwitchValue=16") << 1 << -1;
    QTest::newRow("up compared before stop") << QByteArray("Stop_SwitchValue=1") << 1 << 1;
    QTest::newRow("low compared before low up") << QByteArray("LowUp_SwitchValue=8") << 8 << 8;
    QTest::newRow("value beyond a byte") << QByteArray("Up_SwitchValue=257") << 1 << -1;
}

void TstTMotor::mapInput() {
    QFETCH(QByteArray, switches);
    QFETCH(int, input);
    QFETCH(int, code);
    Rig rig{motorIni(0, switches)};
    QCOMPARE(rig.motor().MapInput(uint8_t(input)), code);
}

void TstTMotor::operatorBox_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<MotionState>("state");
    QTest::addColumn<int>("latch");
    QTest::addColumn<QString>("trip");  // "", "down" (compression: blocks Down) or "up" (tension: blocks Up)
    QTest::addColumn<QString>("moves");
    QTest::addColumn<MotionState>("newState");
    QTest::addColumn<int>("newLatch");
    QTest::addColumn<int>("messages");

    using S = MotionState;
    // A command's own message comes before the monitor's.
    QTest::newRow("stop on release") << 0 << S::Up << 0 << ""
                                     << "stop" << S::Stopped << 1 << 2;
    QTest::newRow("stop while latched") << 0 << S::Up << 1 << ""
                                        << "" << S::Up << 1 << 0;
    QTest::newRow("up pressed") << 1 << S::Stopped << 1 << ""
                                << "up" << S::Up << 0 << 2;
    QTest::newRow("up held") << 1 << S::Up << 0 << ""
                             << "" << S::Up << 0 << 0;
    QTest::newRow("up while already up") << 1 << S::Up << 1 << ""
                                         << "" << S::Up << 0 << 1;
    QTest::newRow("up toward tension trip") << 1 << S::Stopped << 1 << "up"
                                            << "" << S::BlockedByOverload << 0 << 1;
    QTest::newRow("up away from compression trip") << 1 << S::Stopped << 1 << "down"
                                                   << "up" << S::Up << 0 << 2;
    QTest::newRow("down pressed") << 2 << S::Stopped << 1 << ""
                                  << "down" << S::Down << 0 << 2;
    QTest::newRow("down toward compression trip") << 2 << S::Stopped << 1 << "down"
                                                  << "" << S::BlockedByOverload << 0 << 1;
    QTest::newRow("down not latched") << 2 << S::Stopped << 0 << ""
                                      << "" << S::Stopped << 0 << 0;
    QTest::newRow("test requested") << 3 << S::Stopped << 1 << ""
                                    << "" << S::TestRequested << 1 << 1;
    QTest::newRow("test already requested") << 3 << S::TestRequested << 1 << ""
                                            << "" << S::TestRequested << 1 << 0;
    QTest::newRow("test with load tripped") << 3 << S::Stopped << 1 << "up"
                                            << "" << S::BlockedByOverload << 0 << 1;
    QTest::newRow("test tripped not latched") << 3 << S::Stopped << 0 << "down"
                                              << "" << S::TestRequested << 0 << 1;
    QTest::newRow("upper limit while up") << 4 << S::Up << 0 << ""
                                          << "stop" << S::AtUpperLimit << 0 << 2;
    QTest::newRow("upper limit while down") << 4 << S::Down << 0 << ""
                                            << "" << S::Down << 0 << 0;
    QTest::newRow("up at upper limit refused") << 5 << S::AtUpperLimit << 1 << ""
                                               << "" << S::Up << 0 << 1;
    QTest::newRow("upper up not at limit") << 5 << S::Stopped << 1 << ""
                                           << "" << S::Stopped << 1 << 0;
    QTest::newRow("upper up toward tension trip") << 5 << S::Stopped << 1 << "up"
                                                  << "" << S::BlockedByOverload << 0 << 1;
    QTest::newRow("down from upper limit") << 6 << S::AtUpperLimit << 1 << ""
                                           << "down" << S::Down << 0 << 2;
    QTest::newRow("down from upper limit not latched") << 6 << S::AtUpperLimit << 0 << ""
                                                       << "" << S::AtUpperLimit << 0 << 0;
    QTest::newRow("lower limit while down") << 8 << S::Down << 0 << ""
                                            << "stop" << S::AtLowerLimit << 0 << 2;
    QTest::newRow("lower limit while up") << 8 << S::Up << 0 << ""
                                          << "" << S::Up << 0 << 0;
    QTest::newRow("up from lower limit") << 9 << S::AtLowerLimit << 1 << ""
                                         << "up" << S::Up << 0 << 2;
    QTest::newRow("up from lower limit not at it") << 9 << S::Stopped << 1 << ""
                                                   << "" << S::Stopped << 1 << 0;
    QTest::newRow("down at lower limit refused") << 10 << S::AtLowerLimit << 1 << ""
                                                 << "" << S::Down << 0 << 1;
    QTest::newRow("low down toward compression trip") << 10 << S::Stopped << 1 << "down"
                                                      << "" << S::BlockedByOverload << 0 << 1;
    QTest::newRow("input matching nothing") << 7 << S::Up << 1 << ""
                                            << "" << S::Up << 1 << 0;
    QTest::newRow("ignored while a test runs") << 1 << S::Stopped << 2 << ""
                                               << "" << S::Stopped << 2 << 0;
}

void TstTMotor::operatorBox() {
    QFETCH(int, input);
    QFETCH(MotionState, state);
    QFETCH(int, latch);
    QFETCH(QString, trip);
    QFETCH(QString, moves);
    QFETCH(MotionState, newState);
    QFETCH(int, newLatch);
    QFETCH(int, messages);

    Rig rig{motorIni(0), true};
    TMotor& m = rig.motor();
    if (!trip.isEmpty()) rig.trip(trip == QLatin1String("down"));
    reachState(rig, state);
    m.SetPendantLatch(PendantLatch(latch));
    rig.card().outCommand = uint8_t(input);
    const uint8_t inputBefore = m.lastInput();
    rig.forget();

    m.PendantTick();
    QCOMPARE(rig.moves(), moves);
    QCOMPARE(m.state(), newState);
    QCOMPARE(int(m.pendantLatch()), newLatch);
    QCOMPARE(rig.messages, messages);
    QCOMPARE(m.lastInput(), latch == 2 ? inputBefore : uint8_t(input));
}

void TstTMotor::limitMonitor_data() {
    QTest::addColumn<int>("input");
    QTest::addColumn<MotionState>("state");
    QTest::addColumn<int>("latch");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<MotionState>("newState");
    QTest::addColumn<int>("messages");

    using S = MotionState;
    QTest::newRow("upper while up") << 1 << S::Up << 1 << "stop" << S::AtUpperLimit << 2;
    QTest::newRow("upper with other bits") << 0x0D << S::Up << 1 << "stop" << S::AtUpperLimit << 2;
    QTest::newRow("upper while down") << 1 << S::Down << 1 << "" << S::Down << 0;
    QTest::newRow("lower while down") << 2 << S::Down << 0 << "stop" << S::AtLowerLimit << 2;
    QTest::newRow("lower while stopped") << 2 << S::Stopped << 1 << "" << S::Stopped << 0;
    QTest::newRow("both limits") << 3 << S::Up << 1 << "" << S::Up << 0;
    QTest::newRow("ignored while a test runs") << 1 << S::Up << 2 << "" << S::Up << 0;
}

void TstTMotor::limitMonitor() {
    QFETCH(int, input);
    QFETCH(MotionState, state);
    QFETCH(int, latch);
    QFETCH(QString, moves);
    QFETCH(MotionState, newState);
    QFETCH(int, messages);

    Rig rig{motorIni(0)};
    TMotor& m = rig.motor();
    reachState(rig, state);
    m.SetPendantLatch(PendantLatch(latch));
    rig.card().outCommand = uint8_t(input);
    rig.forget();

    m.LimitTick();
    QCOMPARE(rig.moves(), moves);
    QCOMPARE(m.state(), newState);
    QCOMPARE(int(m.pendantLatch()), messages ? 0 : latch);
    QCOMPARE(rig.messages, messages);
}

void TstTMotor::relays() {
    Rig rig{motorIni(0)};
    TMotor& m = rig.motor();
    using Bytes = std::vector<uint8_t>;
    QCOMPARE(rig.card().relayWrites, std::vector<Bytes>{Bytes(8, 0)});  // cleared at construction

    m.SetRelay(2, 1);
    m.SetRelay(8, 7);
    m.SetRelay(0, 1);
    m.SetRelay(9, 1);
    QCOMPARE(rig.card().relayWrites.size(), size_t(3));
    QCOMPARE(rig.card().relayWrites.back(), (Bytes{0, 1, 0, 0, 0, 0, 0, 7}));
    QCOMPARE(m.GetRelay(2), uint8_t(1));
    QCOMPARE(m.GetRelay(8), uint8_t(7));
    QCOMPARE(m.GetRelay(1), uint8_t(0));
    QCOMPARE(m.GetRelay(0), uint8_t(0));
    QCOMPARE(m.GetRelay(9), uint8_t(0));

    m.ClearRelays();
    QCOMPARE(rig.card().relayWrites.back(), Bytes(8, 0));
    QCOMPARE(m.GetRelay(2), uint8_t(0));
}

void TstTMotor::namedRelays_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("relay");
    QTest::newRow("mains power") << "mains power" << 1;
    QTest::newRow("oil pump") << "oil pump" << 1;
    QTest::newRow("fatigue drive") << "fatigue drive" << 2;
    QTest::newRow("relief valve") << "relief valve" << 4;
}

void TstTMotor::namedRelays() {
    QFETCH(QString, name);
    QFETCH(int, relay);
    struct Switch {
        void (TMotor::*set)(bool);
        bool (TMotor::*on)() const;
    };
    const QHash<QString, Switch> switches{
        {"mains power", {&TMotor::setMainsPower, &TMotor::mainsPowerOn}},
        {"oil pump", {&TMotor::setOilPump, &TMotor::oilPumpOn}},
        {"fatigue drive", {&TMotor::setFatigueDrive, &TMotor::fatigueDriveOn}},
        {"relief valve", {&TMotor::setReliefValve, &TMotor::reliefValveOn}},
    };
    const Switch sw = switches.value(name);
    Rig rig{motorIni(0)};
    TMotor& m = rig.motor();
    using Bytes = std::vector<uint8_t>;
    m.SetRelay(3, 8);
    m.SetRelay(7, 5);
    Bytes expected{0, 0, 8, 0, 0, 0, 5, 0};

    (m.*sw.set)(true);
    expected[size_t(relay - 1)] = 8;  // the card closes a relay on 8
    QCOMPARE(rig.card().relayWrites.back(), expected);
    QVERIFY((m.*sw.on)());

    (m.*sw.set)(false);
    expected[size_t(relay - 1)] = 0;
    QCOMPARE(rig.card().relayWrites.back(), expected);
    QVERIFY(!(m.*sw.on)());

    m.SetRelay(relay, 1);  // a byte the card does not close the relay on
    QVERIFY(!(m.*sw.on)());
}

void TstTMotor::hydraulicDrives_data() {
    QTest::addColumn<HydraulicDrive>("drive");
    QTest::addColumn<int>("upRelay");
    QTest::addColumn<int>("downRelay");
    QTest::newRow("main cylinder") << HydraulicDrive::MainCylinder << 2 << 3;
    QTest::newRow("crossbeam") << HydraulicDrive::Crossbeam << 5 << 6;
    QTest::newRow("lower cylinder") << HydraulicDrive::LowerCylinder << 7 << 8;
}

// Every change of a drive is one write of the relays, in which its up and down valves are never both open.
void TstTMotor::hydraulicDrives() {
    QFETCH(HydraulicDrive, drive);
    QFETCH(int, upRelay);
    QFETCH(int, downRelay);
    Rig rig{motorIni(0)};
    TMotor& m = rig.motor();
    m.setOilPump(true);
    QCOMPARE(m.hydraulicDriveMotion(drive), CylinderMotion::Stop);

    for (const CylinderMotion motion :
         {CylinderMotion::Up, CylinderMotion::Down, CylinderMotion::Up, CylinderMotion::Stop}) {
        const size_t writes = rig.card().relayWrites.size();
        m.moveHydraulicDrive(drive, motion);
        QCOMPARE(rig.card().relayWrites.size(), writes + 1);
        std::vector<uint8_t> expected(8, 0);
        expected[0] = 8;  // the pump keeps running
        if (motion == CylinderMotion::Up) expected[size_t(upRelay - 1)] = 8;
        if (motion == CylinderMotion::Down) expected[size_t(downRelay - 1)] = 8;
        QCOMPARE(rig.card().relayWrites.back(), expected);
        QCOMPARE(m.hydraulicDriveMotion(drive), motion);
    }
}

// The acquisition thread stops the motor on a trip and the sequencer starts it from that thread: the state
// message reaches the GUI thread's target while the caller waits, and the timers are switched on the GUI
// thread.
void TstTMotor::commandsFromAnotherThread() {
    {
        Rig rig{motorIni(1)};
        TMotor& m = rig.motor();
        m.SetSpeed(10.0f);
        m.CommandUp();
        m.StopPid();
        QVERIFY(!m.pidTimerActive());

        std::atomic<bool> done{false};
        std::thread other([&] {
            m.CommandStop();
            done = true;
        });
        QTRY_VERIFY(done.load());
        other.join();
        QCOMPARE(m.state(), MotionState::Stopped);
        QCOMPARE(rig.messages, 2);
        QCOMPARE(m.servo().pidMode, uint8_t(1));
        QVERIFY(m.pidTimerActive());
        // The timer started from the other thread really runs.
        QTRY_VERIFY(rig.card().servo.size() >= 2);
    }
    {
        Rig rig{motorIni(2)};
        TMotor& m = rig.motor();
        m.SetPendantLatch(
            PendantLatch::Armed);  // keys released (Stop) change nothing until the latch is taken
        std::atomic<bool> done{false};
        std::thread other([&] {
            m.SetSpeed(60.0f);
            m.CommandDown();
            m.StartPendantMonitor();
            done = true;
        });
        QTRY_VERIFY(done.load());
        other.join();
        QCOMPARE(rig.messages, 1);
        QTRY_VERIFY_WITH_TIMEOUT(!m.stepRampActive(), 20000);
        QCOMPARE(rig.card().rates.back(), 60.0f);
        QCOMPARE(rig.card().rates.size(), size_t(30));

        // The operator box's timer, created on request from the other thread, watches the keys.
        m.SetPendantLatch(PendantLatch::KeyTaken);
        rig.card().outCommand = 0;
        QTRY_COMPARE(m.state(), MotionState::Stopped);
        QCOMPARE(rig.card().moves.back(), std::string("stop"));
    }
}

QTEST_GUILESS_MAIN(TstTMotor)
#include "tst_tmotor.moc"
