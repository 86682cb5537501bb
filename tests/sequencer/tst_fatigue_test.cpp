// The anti-roll bar fatigue test: its counting and ending rules, the frequency, the start refusals, and the
// count kept for a later run.

#include "measurement/CardSlot.h"
#include "measurement/TDisplacement.h"
#include "measurement/TMotor.h"
#include "platform/ProfileFile.h"
#include "sequencer/FatigueTest.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

Q_DECLARE_METATYPE(std::optional<springtest::FatigueTest::StartRefusal>)

namespace {

const QString kSection = QStringLiteral("稳定杆疲劳试验");

// Card 0 drives, card 1 counts; the break-stop wire and the mains as the test sets them.
struct Rig {
    Rig() {
        FakeCard::reset();
        for (int i = 0; i < 2; ++i) {
            CardSlot& slot = cards.cards[static_cast<size_t>(i)];
            slot.displacement = std::make_unique<TDisplacement>(dir.path(), i, driver, &slot);
            slot.motor = std::make_unique<TMotor>(dir.path(), i, driver, &slot);
        }
        cards.count = 2;
    }
    TMotor& motor() { return *cards.cards[0].motor; }
    void setWire(bool connected) {
        FakeCard::state(0).outCommand = connected ? 4 : 0;
        motor().LimitTick();
    }
    void setMains(bool on) { motor().setMainsPower(on); }
    void setCounter(float displacement_mm) { cards.cards[1].record.displacement = displacement_mm; }
    bool driving() { return motor().fatigueDriveOn(); }
    QString counterFile() const { return FatigueTest::counterFilePath(dir.path()); }
    // A test of `target` cycles under way, `kept` cycles kept from before.
    void start(FatigueTest& test, int kept, int target) {
        QVERIFY(ProfileFile(counterFile()).writeString(kSection, "当前试验次数", QString::number(kept)));
        test.loadCounterFile();
        setWire(true);
        setMains(true);
        QCOMPARE(test.startRefusal(), std::nullopt);
        test.start(target);
        QVERIFY(driving());
    }

    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardTables cards;
};

}  // namespace

class TestFatigueTest : public QObject {
    Q_OBJECT
private slots:
    void countingAndEnding_data();
    void countingAndEnding();
    void frequencyOnceASecond();
    void startRefusals_data();
    void startRefusals();
    void stopOffersToKeepTheCount_data();
    void stopOffersToKeepTheCount();
    void countThatCannotBeKeptIsSaid();
};

void TestFatigueTest::countingAndEnding_data() {
    QTest::addColumn<int>("kept");
    QTest::addColumn<float>("counter");  // mm on card 1
    QTest::addColumn<bool>("breakStop");
    QTest::addColumn<bool>("wire");
    QTest::addColumn<int>("done");
    QTest::addColumn<bool>("ended");
    // Target 20 throughout.
    QTest::newRow("counting on top of the kept count") << 5 << 100.0f << true << true << 15 << false;
    QTest::newRow("a cycle short by a hair counts whole") << 5 << 149.6f << true << true << 20 << false;
    QTest::newRow("half a millimetre short does not") << 5 << 149.4f << true << true << 19 << false;
    QTest::newRow("at the target it goes on") << 0 << 200.0f << true << true << 20 << false;
    QTest::newRow("past the target it ends") << 0 << 210.0f << true << true << 21 << true;
    QTest::newRow("a broken bar ends it") << 5 << 30.0f << true << false << 8 << true;
    QTest::newRow("break stop off: a broken wire is ignored") << 5 << 30.0f << false << false << 8 << false;
}

void TestFatigueTest::countingAndEnding() {
    QFETCH(int, kept);
    QFETCH(float, counter);
    QFETCH(bool, breakStop);
    QFETCH(bool, wire);
    QFETCH(int, done);
    QFETCH(bool, ended);
    Rig rig;
    FatigueTest test(rig.dir.path(), rig.cards, 0);
    rig.start(test, kept, 20);
    rig.setCounter(counter);
    rig.setWire(wire);

    const FatigueTest::Progress progress = test.tick(breakStop);
    QCOMPARE(progress.done, done);
    QCOMPARE(progress.ended, ended);
    QCOMPARE(rig.driving(), !ended);
}

void TestFatigueTest::frequencyOnceASecond() {
    Rig rig;
    FatigueTest test(rig.dir.path(), rig.cards, 0);
    rig.start(test, 0, 1000);
    // Ten ticks a second; the counter moves 7 mm a tick in the first second, 3 mm in the second.
    float counter = 0.0f;
    for (int tick = 1; tick <= 20; ++tick) {
        counter += tick <= 10 ? 7.0f : 3.0f;
        rig.setCounter(counter);
        const FatigueTest::Progress progress = test.tick(true);
        if (tick % 10 != 0) {
            QVERIFY2(!progress.frequency_hz, qPrintable(QString::number(tick)));
            continue;
        }
        QVERIFY(progress.frequency_hz);
        QCOMPARE(*progress.frequency_hz, tick == 10 ? 7.0f : 3.0f);
    }
}

void TestFatigueTest::startRefusals_data() {
    using Refusal = std::optional<FatigueTest::StartRefusal>;
    QTest::addColumn<bool>("wire");
    QTest::addColumn<bool>("mains");
    QTest::addColumn<Refusal>("refusal");
    QTest::newRow("ready") << true << true << Refusal();
    QTest::newRow("break-stop wire open")
        << false << true << Refusal(FatigueTest::StartRefusal::BreakWireOpen);
    QTest::newRow("mains off") << true << false << Refusal(FatigueTest::StartRefusal::MainsOff);
    QTest::newRow("both: the wire first")
        << false << false << Refusal(FatigueTest::StartRefusal::BreakWireOpen);
}

void TestFatigueTest::startRefusals() {
    using Refusal = std::optional<FatigueTest::StartRefusal>;
    QFETCH(bool, wire);
    QFETCH(bool, mains);
    QFETCH(Refusal, refusal);
    Rig rig;
    rig.setWire(wire);
    rig.setMains(mains);
    FatigueTest test(rig.dir.path(), rig.cards, 0);
    QCOMPARE(test.startRefusal(), refusal);
    QCOMPARE(test.state(), FatigueTest::State::Stopped);
    QVERIFY(!rig.driving());
}

void TestFatigueTest::stopOffersToKeepTheCount_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<float>("counter");
    QTest::addColumn<bool>("offered");
    // 5 kept, target 20.
    QTest::newRow("short of the target") << true << 70.0f << true;
    QTest::newRow("target reached") << true << 150.0f << false;
    QTest::newRow("nothing running") << false << 70.0f << false;
}

void TestFatigueTest::stopOffersToKeepTheCount() {
    QFETCH(bool, started);
    QFETCH(float, counter);
    QFETCH(bool, offered);
    Rig rig;
    FatigueTest test(rig.dir.path(), rig.cards, 0);
    if (started) {
        rig.start(test, 5, 20);
    } else {
        QVERIFY(ProfileFile(rig.counterFile()).writeString(kSection, "当前试验次数", "5"));
        test.loadCounterFile();
    }
    rig.setCounter(counter);

    QCOMPARE(test.stop(), offered);
    QVERIFY(!rig.driving());
    QCOMPARE(test.state(), FatigueTest::State::Stopped);
    if (!offered) return;
    QCOMPARE(test.keepCount("20"), QString());
    QCOMPARE(test.keptCount(), 12);
    const ProfileFile file(rig.counterFile());
    QCOMPARE(file.readString(kSection, "当前试验次数", ""), QString("12"));
    QCOMPARE(file.readString(kSection, "试验次数", ""), QString("20"));

    // The next run counts on from the kept count.
    test.start(20);
    rig.setCounter(10.0f);
    QCOMPARE(test.tick(true).done, 13);
}

void TestFatigueTest::countThatCannotBeKeptIsSaid() {
    Rig rig;
    FatigueTest test(rig.dir.path(), rig.cards, 0);
    rig.start(test, 0, 20);
    rig.setCounter(70.0f);
    QVERIFY(test.stop());
    // A folder where the counter file belongs: nothing can be written there.
    QVERIFY(QFile::remove(rig.counterFile()));
    QVERIFY(QDir().mkpath(rig.counterFile()));
    QVERIFY(!test.keepCount("20").isEmpty());
    QCOMPARE(test.keptCount(), 0);
    QVERIFY(!test.clearCount().isEmpty());
}

QTEST_GUILESS_MAIN(TestFatigueTest)
#include "tst_fatigue_test.moc"
