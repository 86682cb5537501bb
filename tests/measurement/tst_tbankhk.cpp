#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tbankhk.h"
#include "measurement/Tload.h"
#include "platform/WindowTarget.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

namespace {

struct CountingProcedure : SampleProcedure {
    int calls = 0;
    int lastCard = -1;
    void onSample(int card) override {
        ++calls;
        lastCard = card;
    }
};

// Writes its name and the card's displacement into a log shared with another procedure.
struct LoggingProcedure : SampleProcedure {
    LoggingProcedure(QString n, CardTables& c, QStringList& l) : name(std::move(n)), cards(&c), log(&l) {}
    QString name;
    CardTables* cards;
    QStringList* log;
    void onSample(int card) override {
        *log << name + ' ' +
                    QString::number(cards->cards[static_cast<size_t>(card)].record.displacement.load());
    }
};

// Decides to drive the crosshead up, and is overtaken by the operator's stop while it decides: the stop
// lands between its look at the reading and its drive command. With `restarted`, the operator has started
// the next run as well, which has sent its first drive command and is about to be seen as running.
struct OvertakenProcedure : SampleProcedure {
    OvertakenProcedure(CardTables& c, SampleSlot& s, bool r) : cards(&c), slot(&s), restarted(r) {}
    CardTables* cards;
    SampleSlot* slot;
    bool restarted;
    void onSample(int card) override {
        TMotor& motor = *cards->cards[static_cast<size_t>(card)].motor;
        motor.CommandStop();
        slot->running = false;
        motor.CommandUp();
        if (restarted) {
            ++slot->runsBegun;
            motor.CommandDown();
        }
    }
};

// Two cards on the scripted driver, the loop driven cycle by cycle.
struct LoopRig {
    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardTables cards;
    SampleSlot sequencer;
    int gearMessages = 0;
    WindowTarget gearTarget{[this](int) { ++gearMessages; }};

    LoopRig() {
        FakeCard::reset();
        dir.write("init0.dat",
                  "[Load]\nMax_Range=1000\nGear_Total=3\nauto_gear=1\nGear1_Magnification=400\n"
                  "Gear2_Magnification=800\nGear3_Magnification=2000\n");
        for (int i = 0; i < 2; ++i) {
            CardSlot& s = cards.cards[static_cast<size_t>(i)];
            s.load = std::make_unique<Tload>(dir.path(), i, driver, &s);
            s.displacement = std::make_unique<TDisplacement>(dir.path(), i, driver, &s);
            s.motor = std::make_unique<TMotor>(dir.path(), i, driver, &s);
        }
        cards.count = 2;
        cards.cards[0].load->setGearTarget(&gearTarget);
    }
};

}  // namespace

class TestTbankhk : public QObject {
    Q_OBJECT
private slots:
    void cycleFillsEveryRecord();
    void gearChangeFromGear2IsReportedTwice();
    void gearChangeFromGear1IsReportedOnceByTheLoop();
    void loadKeepsItsValueForOneCycleAfterAGearChange();
    void sequencerRunsOnlyWhileRunning();
    void recorderSeesEachReadingBeforeTheProcedure();
    void stopDuringTheProcedureOutlastsItsDriveCommand_data();
    void stopDuringTheProcedureOutlastsItsDriveCommand();
    void threadStopsEveryMotorOnItsWayOut();
};

void TestTbankhk::cycleFillsEveryRecord() {
    LoopRig rig;
    rig.cards.cards[0].load->setAutoGear(false);
    FakeCard::state(0).count = 300;
    FakeCard::state(0).pulses = 8000;
    FakeCard::state(1).count = -40;
    FakeCard::state(1).pulses = -4000;
    Tbankhk loop(rig.cards, &rig.sequencer);
    loop.cycle();
    QCOMPARE(rig.cards.cards[0].record.load.load(), 300.0f);
    QCOMPARE(rig.cards.cards[0].record.displacement.load(), 2.0f);
    QCOMPARE(rig.cards.cards[0].record.deformation.load(), 2.0f);
    QCOMPARE(rig.cards.cards[1].record.displacement.load(), -1.0f);
    QVERIFY(rig.cards.cards[0].record.minutes.load() >= 0.0f);
    QCOMPARE(loop.cycles(), uint64_t(1));
}

void TestTbankhk::gearChangeFromGear2IsReportedTwice() {
    LoopRig rig;
    Tload& load = *rig.cards.cards[0].load;
    load.SelectGear(2);
    load.ReadLoad();
    FakeCard::state(0).count = 480;  // above 0.95 × 500: back to gear 1
    Tbankhk loop(rig.cards, nullptr);
    loop.cycle();
    QCOMPARE(load.currentGear(), 1);
    QCOMPARE(rig.gearMessages, 1);  // from the channel
    loop.cycle();
    QCOMPARE(rig.gearMessages, 2);  // and once more from the loop, before the next reading
    loop.cycle();
    QCOMPARE(rig.gearMessages, 2);
}

void TestTbankhk::gearChangeFromGear1IsReportedOnceByTheLoop() {
    LoopRig rig;
    Tload& load = *rig.cards.cards[0].load;
    load.SelectGear(1);
    load.ReadLoad();
    FakeCard::state(0).count = 470;  // fits gear 2 with margin
    Tbankhk loop(rig.cards, nullptr);
    loop.cycle();
    QCOMPARE(load.currentGear(), 2);
    QCOMPARE(rig.gearMessages, 0);
    loop.cycle();
    QCOMPARE(rig.gearMessages, 1);
}

void TestTbankhk::loadKeepsItsValueForOneCycleAfterAGearChange() {
    LoopRig rig;
    Tload& load = *rig.cards.cards[0].load;
    load.setAutoGear(false);
    Tbankhk loop(rig.cards, nullptr);
    FakeCard::state(0).count = 100;
    loop.cycle();
    load.SelectGear(1);
    FakeCard::state(0).count = 50;
    FakeCard::state(0).pulses = 4000;
    loop.cycle();
    QCOMPARE(rig.cards.cards[0].record.load.load(), 100.0f);
    QCOMPARE(rig.cards.cards[0].record.displacement.load(), 1.0f);  // still updated
    loop.cycle();
    QCOMPARE(rig.cards.cards[0].record.load.load(), 50.0f);
}

void TestTbankhk::sequencerRunsOnlyWhileRunning() {
    LoopRig rig;
    CountingProcedure procedure;
    rig.sequencer.procedure = &procedure;
    rig.sequencer.cardIndex = 1;
    Tbankhk loop(rig.cards, &rig.sequencer);
    loop.cycle();
    QCOMPARE(procedure.calls, 0);
    rig.sequencer.running = true;
    loop.cycle();
    loop.cycle();
    QCOMPARE(procedure.calls, 2);
    QCOMPARE(procedure.lastCard, 1);
    // Idle, nothing but the records moves: no motion commands were sent.
    QVERIFY(FakeCard::state(0).moves.empty());
}

void TestTbankhk::recorderSeesEachReadingBeforeTheProcedure() {
    // A test that ends on a reading must have that reading recorded before it hands its readings over.
    LoopRig rig;
    QStringList log;
    LoggingProcedure recorder("recorder", rig.cards, log);
    LoggingProcedure procedure("procedure", rig.cards, log);
    rig.sequencer.recorder = &recorder;
    rig.sequencer.procedure = &procedure;
    Tbankhk loop(rig.cards, &rig.sequencer);
    loop.cycle();
    QVERIFY(log.isEmpty());
    rig.sequencer.running = true;
    FakeCard::state(0).pulses = 1000;
    loop.cycle();
    const QString first = QString::number(rig.cards.cards[0].record.displacement.load());
    FakeCard::state(0).pulses = 3000;
    loop.cycle();
    const QString second = QString::number(rig.cards.cards[0].record.displacement.load());
    QVERIFY(first != second);
    QCOMPARE(log, (QStringList{"recorder " + first, "procedure " + first, "recorder " + second,
                               "procedure " + second}));
}

void TestTbankhk::stopDuringTheProcedureOutlastsItsDriveCommand_data() {
    QTest::addColumn<bool>("restarted");
    QTest::addColumn<int>("state");  // MotionState
    QTest::addColumn<QByteArray>("lastMove");
    QTest::newRow("stopped") << false << int(MotionState::Stopped) << QByteArray("stop");
    // The new run's drive is left alone.
    QTest::newRow("stopped and started again") << true << int(MotionState::Down) << QByteArray("down");
}

void TestTbankhk::stopDuringTheProcedureOutlastsItsDriveCommand() {
    QFETCH(bool, restarted);
    QFETCH(int, state);
    QFETCH(QByteArray, lastMove);
    LoopRig rig;
    OvertakenProcedure procedure(rig.cards, rig.sequencer, restarted);
    rig.sequencer.procedure = &procedure;
    rig.sequencer.cardIndex = 1;
    rig.sequencer.running = true;
    Tbankhk loop(rig.cards, &rig.sequencer);
    loop.cycle();
    QCOMPARE(int(rig.cards.cards[1].motor->state()), state);
    QCOMPARE(QByteArray::fromStdString(FakeCard::state(1).moves.back()), lastMove);
}

void TestTbankhk::threadStopsEveryMotorOnItsWayOut() {
    LoopRig rig;
    Tbankhk loop(rig.cards, nullptr);
    loop.start();
    QTRY_VERIFY(loop.cycles() > 5);
    loop.stop();
    QVERIFY(!loop.isRunning());
    QCOMPARE(FakeCard::state(0).moves.back(), std::string("stop"));
    QCOMPARE(FakeCard::state(1).moves.back(), std::string("stop"));
    QVERIFY(loop.lastError().isEmpty());
}

QTEST_GUILESS_MAIN(TestTbankhk)
#include "tst_tbankhk.moc"
