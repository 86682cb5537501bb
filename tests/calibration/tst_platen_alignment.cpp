#include "calibration/PlatenAlignment.h"
#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::FakeCardState;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::AlignmentStage)

namespace {

// A clock that never moves: the alignment's own timer never ticks, and each test drives the ticks by hand.
class StillClock : public TimerClock {
public:
    time_point now() const override { return {}; }
    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, time_point,
                   const std::function<bool()>& woken) override {
        wake.wait(lock, woken);
        return true;
    }
};

// Card 0 with its three channels on the scripted card: a load range of 1000 in one gear, and an operator box
// whose lower-limit switch is wired to another input, so that input 8 means nothing but the slow approach.
// The load trips are off: the readings scripted here would trip them, and their stops are not the
// alignment's.
struct Rig {
    explicit Rig(int controlMode = 0, TimerClock& clock = stillClock(), const QByteArray& moreIni = {}) {
        FakeCard::reset();
        dir.write(QStringLiteral("init0.dat"),
                  "[LOAD]\nMax_Range=1000\nGear_Total=1\n"
                  "Overloadprotection=0\nADOverprotection=0\n"
                  "[Motor]\nControlMode=" +
                      QByteArray::number(controlMode) + "\nLow_SwitchValue=108\n" + moreIni);
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
        alignment = std::make_unique<PlatenAlignment>(slot, nullptr, clock);
    }
    ~Rig() { alignment.reset(); }

    static TimerClock& stillClock() {
        static StillClock clock;
        return clock;
    }

    FakeCardState& card() { return FakeCard::state(0); }
    QString moves() {
        std::lock_guard lock(FakeCard::mutex());
        QStringList m;
        for (const std::string& s : card().moves) m << QString::fromStdString(s);
        return m.join(QLatin1Char(','));
    }
    float lastRate() {
        std::lock_guard lock(FakeCard::mutex());
        return card().rates.empty() ? -1.0f : card().rates.back();
    }
    void forget() {
        std::lock_guard lock(FakeCard::mutex());
        card().moves.clear();
        card().rates.clear();
    }
    // What the acquisition thread would have left in the record and the channels' last readings.
    void measure(float load, int32_t rawCount, float displacement_mm) {
        card().count = rawCount;
        slot.load->ReadLoad();
        slot.displacement->ReadDisplacement();
        slot.record.load.store(load);
        slot.record.displacement.store(displacement_mm);
    }
    void pressKey(uint8_t input) {
        card().outCommand = input;
        slot.motor->PendantTick();
    }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    std::unique_ptr<PlatenAlignment> alignment;
};

}  // namespace

class TstPlatenAlignment : public QObject {
    Q_OBJECT
private slots:
    void startDescendsAtApproachSpeed();
    void approachTick_data();
    void approachTick();
    void contactZeroesTheDisplacement_data();
    void contactZeroesTheDisplacement();
    void returnTick_data();
    void returnTick();
    void stopDuringApproachIsFinal();
    void runsOnItsOwnTimer();
    void servoHoldsThreePercentAndIgnoresSlowKey();
};

void TstPlatenAlignment::startDescendsAtApproachSpeed() {
    Rig rig;
    QCOMPARE(rig.alignment->Start(50.0f), PlatenAlignment::StartResult::Started);
    QCOMPARE(rig.moves(), QStringLiteral("down"));
    QCOMPARE(rig.lastRate(), 300.0f);
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Approaching);
    QCOMPARE(rig.alignment->returnHeight_mm(), 50.0f);
    rig.alignment->Stop();
}

void TstPlatenAlignment::approachTick_data() {
    QTest::addColumn<float>("load");
    QTest::addColumn<int>("rawCount");
    QTest::addColumn<int>("input");
    QTest::addColumn<AlignmentStage>("stage");
    QTest::addColumn<QString>("moves");
    QTest::addColumn<float>("rate");  // the last rate sent, -1 for none

    const auto approaching = AlignmentStage::Approaching;
    const auto returning = AlignmentStage::Returning;
    QTest::newRow("below 0.5 % of range") << 4.99f << 20 << 0 << approaching << "" << -1.0f;
    QTest::newRow("load at 0.5 % of range") << 5.0f << 20 << 0 << returning << "stop,up" << 300.0f;
    QTest::newRow("raw -15001, zero load") << 0.0f << -15001 << 0 << returning << "stop,up" << 300.0f;
    QTest::newRow("raw 15001, zero load") << 0.0f << 15001 << 0 << returning << "stop,up" << 300.0f;
    QTest::newRow("raw -15000 is no contact") << 0.0f << -15000 << 0 << approaching << "" << -1.0f;
    QTest::newRow("input 8 slows the approach") << 0.0f << 0 << 8 << approaching << "" << 100.0f;
    QTest::newRow("other input keeps the speed") << 0.0f << 0 << 7 << approaching << "" << -1.0f;
    QTest::newRow("contact wins over input 8") << 5.0f << 0 << 8 << returning << "stop,up" << 300.0f;
}

void TstPlatenAlignment::approachTick() {
    QFETCH(float, load);
    QFETCH(int, rawCount);
    QFETCH(int, input);
    QFETCH(AlignmentStage, stage);
    QFETCH(QString, moves);
    QFETCH(float, rate);

    Rig rig;
    rig.alignment->Start(50.0f);
    rig.forget();
    if (input != 0) rig.pressKey(uint8_t(input));  // 0 is the box's stop key
    rig.measure(load, rawCount, -80.0f);
    rig.alignment->AutoAlignTick();
    QCOMPARE(rig.alignment->stage(), stage);
    QCOMPARE(rig.moves(), moves);
    QCOMPARE(rig.lastRate(), rate);
    rig.alignment->Stop();
}

void TstPlatenAlignment::contactZeroesTheDisplacement_data() {
    QTest::addColumn<QByteArray>("compensation");
    QTest::newRow("no compensation") << QByteArray("0");
    // The frame has yielded under the contact load; the compensated reading must still say zero there.
    QTest::newRow("frame compensated") << QByteArray("0.0001");
}

void TstPlatenAlignment::contactZeroesTheDisplacement() {
    QFETCH(QByteArray, compensation);
    Rig rig(0, Rig::stillClock(), "[Displacement]\nCompensation_coefficient=" + compensation + "\n");
    rig.card().pulses = 4000 * 12;  // 12 mm above the last zero
    rig.measure(0.0f, 0, 12.0f);
    QCOMPARE(rig.slot.displacement->ReadDisplacement(), 12.0f);
    rig.alignment->Start(50.0f);
    rig.card().pulses = 4000 * 11;
    rig.measure(5.0f, 400, 11.0f);
    const float contactLoad = rig.slot.load->load();
    QVERIFY(contactLoad >= 100.0f);  // a yield worth seeing where there is one
    rig.alignment->AutoAlignTick();
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Returning);
    QCOMPARE(rig.slot.displacement->ReadDisplacement(), 0.0f);
    rig.alignment->Stop();
}

void TstPlatenAlignment::returnTick_data() {
    QTest::addColumn<float>("returnHeight");
    QTest::addColumn<QList<float>>("readings");  // the displacement at each tick after the contact
    QTest::addColumn<int>("stopsAt");            // the tick that stops, -1 for none

    QTest::newRow("49.99 reaches 50") << 50.0f << QList<float>{0.0f, 25.0f, 49.98f, 49.99f} << 3;
    QTest::newRow("49.98 does not") << 50.0f << QList<float>{0.0f, 49.98f} << -1;
    QTest::newRow("overshoot stops too") << 50.0f << QList<float>{0.0f, 50.4f} << 1;
    // The record can still show the position before the zeroing, on another scale altogether.
    QTest::newRow("reading from before the zero") << 50.0f << QList<float>{130.0f, 130.0f, 0.02f, 50.0f} << 3;
    QTest::newRow("return at the contact") << 0.0f << QList<float>{130.0f} << 0;
}

void TstPlatenAlignment::returnTick() {
    QFETCH(float, returnHeight);
    QFETCH(QList<float>, readings);
    QFETCH(int, stopsAt);

    Rig rig;
    QSignalSpy finished(rig.alignment.get(), &PlatenAlignment::finished);
    rig.alignment->Start(returnHeight);
    rig.measure(5.0f, 0, 0.0f);
    rig.alignment->AutoAlignTick();
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Returning);
    rig.forget();
    for (int i = 0; i < readings.size(); ++i) {
        rig.measure(30.0f, 0, readings[i]);
        rig.alignment->AutoAlignTick();
        const bool stopped = stopsAt >= 0 && i >= stopsAt;
        QCOMPARE(rig.alignment->stage(), stopped ? AlignmentStage::Idle : AlignmentStage::Returning);
        QCOMPARE(rig.moves(), stopped ? QStringLiteral("stop") : QString());
    }
    QCoreApplication::processEvents();
    QCOMPARE(finished.size(), stopsAt >= 0 ? 1 : 0);
    if (stopsAt < 0) rig.alignment->Stop();
}

void TstPlatenAlignment::stopDuringApproachIsFinal() {
    Rig rig(0, steadyTimerClock());
    rig.alignment->Start(50.0f);
    rig.alignment->Stop();
    QCOMPARE(rig.moves(), QStringLiteral("down,stop"));
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Idle);
    QCOMPARE(rig.slot.motor->state(), MotionState::Stopped);

    rig.forget();
    rig.measure(5.0f, -15001, 0.0f);
    rig.alignment->AutoAlignTick();
    rig.alignment->ServoTick();
    QTest::qWait(20);  // twenty periods of the 1 ms timer, had it survived
    QCOMPARE(rig.moves(), QString());
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Idle);
}

void TstPlatenAlignment::runsOnItsOwnTimer() {
    Rig rig(0, steadyTimerClock());
    QSignalSpy finished(rig.alignment.get(), &PlatenAlignment::finished);
    rig.alignment->Start(50.0f);
    rig.measure(0.0f, 0, -80.0f);
    QTest::qWait(10);
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Approaching);
    rig.measure(5.0f, 0, -80.0f);
    QTRY_COMPARE(rig.alignment->stage(), AlignmentStage::Returning);
    // The crosshead comes up from the zero to the return height, read over and over until the timer, however
    // busy the computer, has seen both.
    QDeadlineTimer deadline(10000);
    while (rig.alignment->stage() != AlignmentStage::Idle && !deadline.hasExpired()) {
        rig.measure(30.0f, 0, 0.0f);
        QTest::qWait(5);
        rig.measure(30.0f, 0, 49.99f);
        QTest::qWait(5);
    }
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Idle);
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(rig.moves(), QStringLiteral("down,stop,up,stop"));
}

void TstPlatenAlignment::servoHoldsThreePercentAndIgnoresSlowKey() {
    Rig rig(1);
    QVERIFY(rig.alignment->servoDriven());
    rig.alignment->Start(50.0f);
    const ServoBlock servo = rig.slot.motor->servo();
    QCOMPARE(servo.pidMode, uint8_t(2));
    QCOMPARE(servo.setPoint, 30.0);
    const float speed = rig.slot.motor->speed();
    rig.pressKey(8);
    rig.measure(0.0f, 0, -80.0f);
    rig.alignment->ServoTick();
    QCOMPARE(rig.slot.motor->speed(), speed);
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Approaching);
    rig.measure(30.0f, 0, -80.0f);
    rig.alignment->ServoTick();
    QCOMPARE(rig.alignment->stage(), AlignmentStage::Returning);
    QCOMPARE(rig.slot.motor->state(), MotionState::Up);
    rig.alignment->Stop();
}

QTEST_GUILESS_MAIN(TstPlatenAlignment)
#include "tst_platen_alignment.moc"
