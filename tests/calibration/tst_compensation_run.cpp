#include "calibration/CompensationRun.h"
#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/CardDriver.h"
#include "platform/NumberEntry.h"
#include "platform/ProfileFile.h"
#include "platform/Prompts.h"
#include "support/FakeCard.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"

#include <QTest>

#include <memory>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(springtest::CompensationResult)

namespace {

// A clock that never moves: the measurement's own timer never ticks, and the test drives the ticks by hand.
class StillClock : public TimerClock {
public:
    time_point now() const override { return {}; }
    bool waitUntil(std::condition_variable& wake, std::unique_lock<std::mutex>& lock, time_point,
                   const std::function<bool()>& woken) override {
        wake.wait(lock, woken);
        return true;
    }
};

const QString kPreviousCoefficient = QStringLiteral("0.0000100");

// Card 0 with a load range of 10000 and a coefficient already in force, with the operator's answers scripted.
struct Rig {
    Rig() {
        FakeCard::reset();
        dir.write(QStringLiteral("init0.dat"),
                  "[LOAD]\nMax_Range=10000\nGear_Total=1\nGear1_Decimal_Places=1\n"
                  "[Displacement]\nDecimal_Places=3\nCompensation_coefficient=" +
                      kPreviousCoefficient.toLatin1() + "\n");
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        slot.displacement = std::make_unique<TDisplacement>(dir.path(), 0, driver, &slot);
        slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
        setPrompts(&answers);
    }
    ~Rig() { setPrompts(nullptr); }

    QString storedCoefficient() const {
        return ProfileFile(dir.file(QStringLiteral("init0.dat")))
            .readString(QStringLiteral("Displacement"), QStringLiteral("Compensation_coefficient"), {});
    }

    QString moves() {
        std::lock_guard lock(FakeCard::mutex());
        QStringList m;
        for (const std::string& s : FakeCard::state(0).moves) m << QString::fromStdString(s);
        return m.join(QLatin1Char(','));
    }
    // One cycle of the acquisition loop as far as the measurement looks at it: the load in the record, the
    // encoder's pulses in the displacement channel.
    void measure(float load, int32_t pulses) {
        {
            std::lock_guard lock(FakeCard::mutex());
            FakeCard::state(0).pulses = pulses;
        }
        slot.displacement->ReadDisplacement();
        slot.record.load.store(load);
    }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    ScriptedPrompts answers;
};

}  // namespace

class TstCompensationRun : public QObject {
    Q_OBJECT
private slots:
    void autoCalculate_data();
    void autoCalculate();
    void readingsUseEachChannelsDecimals();
    void measuresTheFramesYield();
    void stoppedCrossheadEndsTheMeasurement();
};

void TstCompensationRun::autoCalculate_data() {
    QTest::addColumn<QString>("loadText");
    QTest::addColumn<QString>("deformationText");
    QTest::addColumn<float>("liveLoad");
    QTest::addColumn<bool>("answer");  // to the question, if asked
    QTest::addColumn<CompensationResult>("result");
    QTest::addColumn<QString>("stored");  // in the channel's file afterwards
    QTest::addColumn<QStringList>("shown");

    const QString question = kCompensationBelowRangeQuestion;
    const QString previous = kPreviousCoefficient;
    using R = CompensationResult;
    QTest::newRow("10000 and 0.35 at full range")
        << "10000"
        << "0.35" << 10000.0f << false << R::Stored << "0.0000350" << QStringList{};
    QTest::newRow("at 90 % no question")
        << "10000"
        << "0.35" << 9000.0f << false << R::Stored << "0.0000350" << QStringList{};
    QTest::newRow("below 90 %, Yes stores")
        << "10000"
        << "0.35" << 8999.0f << true << R::Stored << "0.0000350" << QStringList{question};
    QTest::newRow("below 90 %, No keeps")
        << "10000"
        << "0.35" << 100.0f << false << R::Declined << previous << QStringList{question};
    QTest::newRow("typed load divides, not the live one")
        << "8000"
        << "0.2" << 9500.0f << false << R::Stored << "0.0000250" << QStringList{};
    QTest::newRow("empty deformation")
        << "10000"
        << "" << 10000.0f << true << R::ValueMissing << previous << QStringList{kCompensationValuesMissing};
    QTest::newRow("empty load") << ""
                                << "0.35" << 10000.0f << true << R::ValueMissing << previous
                                << QStringList{kCompensationValuesMissing};
    QTest::newRow("blanks only") << "  "
                                 << "0.35" << 10000.0f << true << R::ValueMissing << previous
                                 << QStringList{kCompensationValuesMissing};
    QString notANumber;
    readFloat(QStringLiteral("0.3a"), &notANumber);
    QTest::newRow("no number") << "10000"
                               << "0.3a" << 10000.0f << true << R::NotANumber << previous
                               << QStringList{notANumber};
    QTest::newRow("zero load") << "0"
                               << "0.35" << 10000.0f << true << R::ZeroLoad << previous
                               << QStringList{kCompensationZeroLoad};
}

void TstCompensationRun::autoCalculate() {
    QFETCH(QString, loadText);
    QFETCH(QString, deformationText);
    QFETCH(float, liveLoad);
    QFETCH(bool, answer);
    QFETCH(CompensationResult, result);
    QFETCH(QString, stored);
    QFETCH(QStringList, shown);

    Rig rig;
    rig.answers.answers = {answer};
    rig.slot.record.load.store(liveLoad);
    const CompensationOutcome outcome = applyCompensation(rig.slot, loadText, deformationText);
    QCOMPARE(outcome.result, result);
    QCOMPARE(rig.answers.messages(), shown);
    QCOMPARE(rig.storedCoefficient(), stored);
    QCOMPARE(rig.slot.displacement->compensation(), stored.toFloat());
    if (!shown.isEmpty()) QCOMPARE(rig.answers.shown.first().caption, QStringLiteral("提示"));
}

void TstCompensationRun::readingsUseEachChannelsDecimals() {
    Rig rig;
    rig.slot.record.load.store(9876.54f);
    rig.slot.record.displacement.store(-0.3456f);
    const CompensationReadings readings = compensationReadings(rig.slot);
    QCOMPARE(readings.loadText, QStringLiteral("9876.5"));
    QCOMPARE(readings.deformationText, QStringLiteral("-0.346"));
}

void TstCompensationRun::measuresTheFramesYield() {
    Rig rig;
    StillClock clock;
    CompensationRun run(rig.slot, {}, clock);
    QCOMPARE(run.targetLoad(), 9500.0f);
    const int32_t seat = 4000 * 20;  // pulses where the platens touch, 20 mm above the last zero
    rig.measure(0.0f, seat + 4000);
    QVERIFY(run.Start());
    QCOMPARE(rig.moves(), QStringLiteral("down"));
    QCOMPARE(rig.slot.motor->speed(), 50.0f);

    const auto tickAt = [&](float load, int32_t pulses) {
        rig.measure(load, pulses);
        run.Tick();
    };
    tickAt(49.0f, seat + 10);
    QCOMPARE(run.stage(), CompensationRun::Stage::Approaching);
    tickAt(50.0f, seat);  // 0.5 % of the full range: the platens touch
    QCOMPARE(run.stage(), CompensationRun::Stage::Seating);
    QCOMPARE(rig.slot.motor->speed(), 0.5f);
    tickAt(500.0f, seat - 20);
    QCOMPARE(run.stage(), CompensationRun::Stage::SeatHold);
    QCOMPARE(rig.moves(), QStringLiteral("down,stop"));
    // The hold averages what it reads once settled; the noise on the load cancels out.
    for (int i = 0; i < CompensationRun::kSettleTicks + CompensationRun::kAverageTicks; ++i)
        tickAt(i % 2 ? 498.0f : 502.0f, seat - 20);
    QCOMPARE(run.stage(), CompensationRun::Stage::Loading);
    QCOMPARE(rig.moves(), QStringLiteral("down,stop,down"));
    QCOMPARE(rig.slot.displacement->ReadDisplacement(), 0.0f);  // zeroed at the seat

    const int32_t yield = 1800;  // 0.45 mm over 9000 N
    tickAt(9499.0f, seat - 20 - yield + 4);
    QCOMPARE(run.stage(), CompensationRun::Stage::Loading);
    tickAt(9500.0f, seat - 20 - yield);
    QCOMPARE(run.stage(), CompensationRun::Stage::FullHold);
    for (int i = 0; i < CompensationRun::kSettleTicks + CompensationRun::kAverageTicks; ++i)
        tickAt(9500.0f, seat - 20 - yield);
    QCOMPARE(run.stage(), CompensationRun::Stage::Done);
    QCOMPARE(rig.moves(), QStringLiteral("down,stop,down,stop"));

    const CompensationRun::Measurement m = run.measurement();
    QCOMPARE(m.seatLoad, 500.0);
    QCOMPARE(m.fullLoad, 9500.0);
    // The encoder's millimetres per pulse are single precision.
    COMPARE_NEAR(m.deformation_mm, 0.45, 1e-6, 0.0);
    COMPARE_NEAR(m.coefficient(), 0.45 / 9000.0, 1e-6, 0.0);
}

void TstCompensationRun::stoppedCrossheadEndsTheMeasurement() {
    Rig rig;
    StillClock clock;
    CompensationRun run(rig.slot, {}, clock);
    QVERIFY(run.Start());
    rig.measure(100.0f, 0);
    run.Tick();
    QCOMPARE(run.stage(), CompensationRun::Stage::Seating);
    rig.slot.motor->CommandStop();  // a limit switch or a load trip
    run.Tick();
    QCOMPARE(run.stage(), CompensationRun::Stage::Failed);
    QVERIFY(!run.running());
}

QTEST_GUILESS_MAIN(TstCompensationRun)
#include "tst_compensation_run.moc"
