#include "measurement/CardSlot.h"
#include "measurement/ChannelConfig.h"
#include "measurement/TMotor.h"
#include "measurement/Tload.h"
#include "platform/NumberFormat.h"
#include "platform/ProfileFile.h"
#include "platform/WindowTarget.h"
#include "support/FakeCard.h"
#include "support/TempAppDir.h"

#include <QtTest>

#include <algorithm>
#include <random>

using namespace springtest;
using springtest::testing::FakeCard;
using springtest::testing::TempAppDir;

namespace {

GearRecord piecewiseGear() {
    GearRecord g;
    g.zero = 0;
    g.pressPoint = {1000, 2000, 3000};
    g.pressCoefficient = {0.5, 0.2, 0.1};
    g.pullPoint = {-1000, -2000, -3000};
    g.pullCoefficient = {0.4, 0.3, 0.2};
    return g;
}

// A one-card rig: channel configuration text, a fake card and the channel in a slot.
struct Rig {
    TempAppDir dir;
    CardDriver driver{FakeCard::api()};
    CardSlot slot;
    int gearMessages = 0;
    int overloadMessages = 0;
    WindowTarget gearTarget{[this](int) { ++gearMessages; }};
    WindowTarget overloadTarget{[this](int) { ++overloadMessages; }};

    explicit Rig(const QByteArray& config, bool withMotor = false) {
        FakeCard::reset();
        if (!config.isEmpty()) dir.write("init0.dat", config);
        slot.load = std::make_unique<Tload>(dir.path(), 0, driver, &slot);
        if (withMotor) slot.motor = std::make_unique<TMotor>(dir.path(), 0, driver, &slot);
        slot.load->setGearTarget(&gearTarget);
        slot.load->setOverloadTarget(&overloadTarget);
    }
    Tload& load() { return *slot.load; }
    float readAt(int32_t count) {
        FakeCard::state(0).count = count;
        return load().ReadLoad();
    }
    int stops() const {
        const auto& m = FakeCard::state(0).moves;
        return static_cast<int>(std::count(m.begin(), m.end(), "stop"));
    }
};

const QByteArray kThreeGears =
    "[Load]\nMax_Range=1000\nGear_Total=3\nauto_gear=1\nauto_gear_proportion=95\n"
    "Gear1_Magnification=400\nGear2_Magnification=800\nGear3_Magnification=2000\n";

}  // namespace

class TestTload : public QObject {
    Q_OBJECT
private slots:
    void piecewiseCalibration_data();
    void piecewiseCalibration();
    void averageTakesMiddleEight();
    void missingConfigurationGivesWorkingChannel();
    void gearRanges_data();
    void gearRanges();
    void autoGearFromGear2SwitchesUpAndReports();
    void autoGearFromGear1SwitchesQuietly();
    void gearChangeSkipsOneReading();
    void overloadTripsOnceUntilRearmed_data();
    void overloadTripsOnceUntilRearmed();
    void oneTripPerReading();
    void protectionOffStillReads();
    void overloadFractionThatIsNoNumberTakesDefault_data();
    void overloadFractionThatIsNoNumberTakesDefault();
    void coefficientThatIsNoNumberTakesDefault_data();
    void coefficientThatIsNoNumberTakesDefault();
    void decimalsOutsideRangeMeanNone_data();
    void decimalsOutsideRangeMeanNone();
    void calibrationMirrorsAndDerivesGears();
    void calibrationRefusesZeroDivisor();
    void tensionCalibrationHasNoMirror();
    void adjustCoefficient();
    void zeroIsWrittenToLoadSection();
    void loadNoSelectsSection();
    void peakFollowsLargestSignedValue();
    void directionFlipsCounts();
};

void TestTload::piecewiseCalibration_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<double>("expected");
    QTest::newRow("zero") << 0 << 0.0;
    QTest::newRow("+4 dead band") << 4 << 0.0;
    QTest::newRow("-4 dead band") << -4 << 0.0;
    QTest::newRow("+5") << 5 << 2.5;
    QTest::newRow("-5") << -5 << -2.0;
    QTest::newRow("1003 still first segment") << 1003 << 501.5;
    QTest::newRow("1005 boundary") << 1005 << 502.5;
    QTest::newRow("1006 second segment") << 1006 << 500.0 + 6 * 0.2;
    QTest::newRow("2006 third segment") << 2006 << 500.0 + 200.0 + 6 * 0.1;
    QTest::newRow("-1003 tension first") << -1003 << -1003 * 0.4;
    QTest::newRow("-1006 tension second") << -1006 << -400.0 - 6 * 0.3;
    QTest::newRow("-2500 tension third") << -2500 << -400.0 - 300.0 - 500 * 0.2;
}

void TestTload::piecewiseCalibration() {
    QFETCH(int, count);
    QFETCH(double, expected);
    QCOMPARE(Tload::LoadFromCount(piecewiseGear(), count, 123.0f), static_cast<float>(expected));
}

void TestTload::averageTakesMiddleEight() {
    Rig rig("");
    std::vector<int32_t> samples(68);
    for (int i = 0; i < 68; ++i) samples[i] = i - 100;  // sorted positions 30…37 hold -70…-63
    samples[0] = -100000;                               // outliers do not matter
    samples[67] = 100000;
    std::shuffle(samples.begin(), samples.end(), std::mt19937(7));
    FakeCard::state(0).countScript.assign(samples.begin(), samples.end());
    // (-70 - 63) * 4 / 8 = -66.5, truncated toward zero.
    QCOMPARE(rig.load().AverageAd(), -66);
    QCOMPARE(FakeCard::state(0).loadGetAdCalls, 68);
}

void TestTload::missingConfigurationGivesWorkingChannel() {
    Rig rig("");
    QCOMPARE(rig.load().gearTotal(), 1);
    QCOMPARE(rig.load().currentGear(), 1);
    QCOMPARE(rig.load().GetGearRecord(1).range, 1000.0f);
    QCOMPARE(rig.load().GetGearRecord(1).pressCoefficient[0], 1.0);
    QCOMPARE(rig.load().Name(), QString("负荷"));
    QCOMPARE(rig.load().Units(), QString("N"));
    QCOMPARE(FakeCard::state(0).loadAmpCalls, std::vector<int32_t>{400});
    QCOMPARE(rig.readAt(500), 500.0f);
    QCOMPARE(rig.readAt(-300), -300.0f);
}

void TestTload::gearRanges_data() {
    QTest::addColumn<int>("total");
    QTest::addColumn<QList<float>>("ranges");
    QTest::newRow("4 gears") << 4 << QList<float>{1000, 500, 200, 100, 0, 0};
    QTest::newRow("6 gears") << 6 << QList<float>{1000, 500, 200, 100, 50, 20};
    QTest::newRow("7 clamped to 6") << 7 << QList<float>{1000, 500, 200, 100, 50, 20};
    QTest::newRow("0 clamped to 1") << 0 << QList<float>{1000, 0, 0, 0, 0, 0};
}

void TestTload::gearRanges() {
    QFETCH(int, total);
    QFETCH(QList<float>, ranges);
    Rig rig("[Load]\nMax_Range=1000\nGear_Total=" + QByteArray::number(total) + "\n");
    for (int g = 1; g <= 6; ++g) QCOMPARE(rig.load().GetGearRecord(g).range, ranges[g - 1]);
    QCOMPARE(rig.load().currentGear(), std::clamp(total, 1, 6));
}

void TestTload::autoGearFromGear2SwitchesUpAndReports() {
    Rig rig(kThreeGears);
    rig.load().SelectGear(2);
    rig.load().ReadLoad();  // the reading after a selection is skipped
    QCOMPARE(rig.readAt(480), 480.0f);
    QCOMPARE(rig.load().currentGear(), 1);
    QCOMPARE(rig.gearMessages, 1);  // the acquisition loop reports it once more
    QCOMPARE(FakeCard::state(0).loadAmp, 400);
}

void TestTload::autoGearFromGear1SwitchesQuietly() {
    Rig rig(kThreeGears);
    rig.load().SelectGear(1);
    rig.load().ReadLoad();
    rig.readAt(470);
    QCOMPARE(rig.load().currentGear(), 2);
    QCOMPARE(rig.gearMessages, 0);  // reported by the acquisition loop
    QCOMPARE(FakeCard::state(0).loadAmp, 800);
    // A load that fits gear 2 only without margin stays in gear 1 (no hunting between the two).
    FakeCard::state(0).count = 480;
    rig.load().SelectGear(1);
    rig.load().ReadLoad();
    rig.load().ReadLoad();
    rig.load().ReadLoad();
    QCOMPARE(rig.load().currentGear(), 1);
}

void TestTload::gearChangeSkipsOneReading() {
    Rig rig(kThreeGears);
    rig.load().setAutoGear(false);
    rig.readAt(100);
    rig.load().SelectGear(1);
    QVERIFY(rig.load().shownGear() != rig.load().currentGear());
    QCOMPARE(rig.readAt(300), 100.0f);
    QCOMPARE(FakeCard::state(0).loadGetAdCalls, 68);
    QCOMPARE(rig.load().shownGear(), 1);
    QCOMPARE(rig.readAt(300), 300.0f);
}

void TestTload::overloadTripsOnceUntilRearmed_data() {
    QTest::addColumn<int>("over");
    QTest::addColumn<int>("stillOver");
    QTest::addColumn<int>("cleared");
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("blocksDown");
    // Load 1030 = 1.03 × range; re-armed only once below the full range.
    QTest::newRow("compression") << 1030 << 1010 << 990 << int(TripKind::CompressionOverload) << true;
    QTest::newRow("tension") << -1030 << -1010 << -990 << int(TripKind::TensionOverload) << false;
}

void TestTload::overloadTripsOnceUntilRearmed() {
    QFETCH(int, over);
    QFETCH(int, stillOver);
    QFETCH(int, cleared);
    QFETCH(int, kind);
    QFETCH(bool, blocksDown);
    Rig rig("[Load]\nMax_Range=1000\n", true);
    rig.readAt(over);
    QCOMPARE(rig.overloadMessages, 1);
    QCOMPARE(rig.stops(), 1);
    QCOMPARE(int(rig.load().tripKind()), kind);
    QVERIFY(!rig.load().armed());
    QCOMPARE(rig.load().blocksDown(), blocksDown);
    QCOMPARE(rig.load().blocksUp(), !blocksDown);
    rig.readAt(over + over / 10);
    rig.readAt(stillOver);
    QVERIFY(!rig.load().armed());
    QCOMPARE(rig.overloadMessages, 1);
    rig.readAt(cleared);
    QVERIFY(rig.load().armed());
    QCOMPARE(int(rig.load().tripKind()), kind);  // the kind stays after re-arming
    rig.readAt(over);
    QCOMPARE(rig.overloadMessages, 2);
}

void TestTload::oneTripPerReading() {
    Rig rig("[Load]\nMax_Range=1000\nADOverprotectionValue=1000\n");
    rig.readAt(1500);  // both the load and the count are over their limits
    QCOMPARE(rig.overloadMessages, 1);
    QCOMPARE(rig.load().tripKind(), TripKind::CompressionOverload);
    // Count protection alone: a count below -limit.
    Rig countRig("[Load]\nMax_Range=100000\nADOverprotectionValue=1000\n");
    countRig.readAt(-1000);  // at the limit is still inside
    QVERIFY(countRig.load().armed());
    countRig.readAt(-1001);
    QCOMPARE(countRig.load().tripKind(), TripKind::CountLow);
    countRig.readAt(-950);  // inside, but not yet below 0.9 × limit
    QVERIFY(!countRig.load().armed());
    countRig.readAt(-899);
    QVERIFY(countRig.load().armed());
}

void TestTload::protectionOffStillReads() {
    Rig rig("[Load]\nMax_Range=1000\nOverloadprotection=0\nADOverprotection=0\n");
    QCOMPARE(rig.readAt(30000), 30000.0f);
    QCOMPARE(rig.overloadMessages, 0);
    QVERIFY(rig.load().armed());
}

void TestTload::overloadFractionThatIsNoNumberTakesDefault_data() {
    QTest::addColumn<QByteArray>("fraction");
    QTest::newRow("nan") << QByteArray("nan");
    QTest::newRow("NaN") << QByteArray("NaN");
    QTest::newRow("inf") << QByteArray("inf");
    QTest::newRow("-inf") << QByteArray("-inf");
    QTest::newRow("1e39 (beyond single precision)") << QByteArray("1e39");
    QTest::newRow("12abc") << QByteArray("12abc");
}

void TestTload::overloadFractionThatIsNoNumberTakesDefault() {
    QFETCH(QByteArray, fraction);
    // The raw-count trip is off, so only the load trip can stop the crosshead.
    Rig rig("[Load]\nMax_Range=1000\nADOverprotection=0\nOverLoadProportion=" + fraction + "\n", true);
    rig.readAt(1020);
    QVERIFY(rig.load().armed());
    rig.readAt(1030);  // 1.03 × range, the default fraction
    QCOMPARE(rig.load().tripKind(), TripKind::CompressionOverload);
    QCOMPARE(rig.stops(), 1);
}

void TestTload::coefficientThatIsNoNumberTakesDefault_data() {
    QTest::addColumn<QByteArray>("coefficient");
    QTest::newRow("nan") << QByteArray("nan");
    QTest::newRow("inf") << QByteArray("inf");
    QTest::newRow("-inf") << QByteArray("-inf");
}

void TestTload::coefficientThatIsNoNumberTakesDefault() {
    QFETCH(QByteArray, coefficient);
    Rig rig("[Load]\nMax_Range=1000\nGear1_Press_Coefficient1=" + coefficient + "\nGear1_Pull_Coefficient1=" +
            coefficient + "\nGear1_Press_Clibration_value1=" + coefficient + "\n");
    QCOMPARE(rig.load().GetGearRecord(1).pressCoefficient[0], 1.0);
    QCOMPARE(rig.load().GetGearRecord(1).pressReference[0], 1.0f);
    QCOMPARE(rig.readAt(500), 500.0f);
    QCOMPARE(rig.readAt(-300), -300.0f);
}

void TestTload::decimalsOutsideRangeMeanNone_data() {
    QTest::addColumn<QByteArray>("configured");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("shown");
    QTest::newRow("0") << QByteArray("0") << 0 << "1235";
    QTest::newRow("6") << QByteArray("6") << 6 << "1234.567000";
    QTest::newRow("7") << QByteArray("7") << 0 << "1235";
    QTest::newRow("-1") << QByteArray("-1") << 0 << "1235";
    QTest::newRow("no number") << QByteArray("abc") << 3 << "1234.567";
}

void TestTload::decimalsOutsideRangeMeanNone() {
    QFETCH(QByteArray, configured);
    QFETCH(int, decimals);
    QFETCH(QString, shown);
    Rig rig("[Load]\nGear1_Decimal_Places=" + configured + "\n");
    QCOMPARE(rig.load().decimals(), decimals);
    QCOMPARE(FormatByDecimals(rig.load().decimals(), 1234.567), shown);
}

void TestTload::calibrationMirrorsAndDerivesGears() {
    Rig rig(
        "[Load]\nMax_Range=1000\nGear_Total=2\nGear1_Magnification=400\nGear2_Magnification=800\n"
        "Gear1_Decimal_Places=2\n");
    rig.load().SelectGear(1);
    rig.load().ReadLoad();
    rig.readAt(2000);
    const auto outcome = rig.load().CalibratePoint(1, 500.0f);
    QCOMPARE(outcome.status, Tload::CalibrationOutcome::Status::Ok);
    QCOMPARE(outcome.coefficient, QString("0.2500000"));
    const GearRecord g1 = rig.load().GetGearRecord(1);
    QCOMPARE(g1.pressPoint[0], 2000);
    QCOMPARE(g1.pullPoint[0], -2000);
    QCOMPARE(g1.pullCoefficient[0], 0.25);
    const GearRecord g2 = rig.load().GetGearRecord(2);
    QCOMPARE(g2.pressPoint[0], 4000);
    QCOMPARE(g2.pressCoefficient[0], 0.125);
    QCOMPARE(g2.pullPoint[0], -4000);
    QCOMPARE(g2.pullCoefficient[0], 0.125);

    ProfileFile ini(rig.dir.file("init0.dat"));
    QCOMPARE(ini.readString("LOAD", "Gear1_Press_AD1", ""), QString("2000"));
    QCOMPARE(ini.readString("LOAD", "Gear1_Press_Clibration_value1", ""), QString("500.00"));
    QCOMPARE(ini.readString("LOAD", "Gear1_Press_Coefficient1", ""), QString("0.2500000"));
    QCOMPARE(ini.readString("LOAD", "Gear1_Pull_AD1", ""), QString("-2000"));
    QCOMPARE(ini.readString("LOAD", "Gear2_Press_AD1", ""), QString("4000"));
    QCOMPARE(ini.readString("LOAD", "Gear2_Pull_Coefficient1", ""), QString("0.1250000"));
    QCOMPARE(ini.readString("LOAD", "Gear2_Press_Clibration_value1", "none"), QString("none"));

    // A second point continues from the first.
    rig.readAt(6000);
    QCOMPARE(rig.load().CalibratePoint(2, 1500.0f).coefficient, QString("0.2500000"));
    // A restarted channel reads what was written.
    Tload again(rig.dir.path(), 0, rig.driver, nullptr);
    QCOMPARE(again.GetGearRecord(2).pressPoint[1], 12000);
}

void TestTload::calibrationRefusesZeroDivisor() {
    Rig rig("[Load]\nGear1_AD_ZERO=100\n");
    rig.readAt(100);
    const QByteArray before = rig.dir.read("init0.dat");
    const auto outcome = rig.load().CalibratePoint(1, 500.0f);
    QCOMPARE(outcome.status, Tload::CalibrationOutcome::Status::ZeroDivisor);
    QCOMPARE(rig.dir.read("init0.dat"), before);
    QCOMPARE(rig.load().GetGearRecord(1).pressCoefficient[0], 1.0);
    QCOMPARE(rig.load().CalibratePoint(7, 1.0f).status, Tload::CalibrationOutcome::Status::BadKind);
}

void TestTload::tensionCalibrationHasNoMirror() {
    Rig rig("[Load]\nGear_Total=2\nGear2_Magnification=800\n");
    rig.load().SelectGear(1);
    rig.load().ReadLoad();
    rig.readAt(-2000);
    QCOMPARE(rig.load().CalibratePoint(4, -400.0f).coefficient, QString("0.2000000"));
    QCOMPARE(rig.load().GetGearRecord(1).pullPoint[0], -2000);
    QCOMPARE(rig.load().GetGearRecord(1).pressPoint[0], 1);
    QCOMPARE(rig.load().GetGearRecord(2).pullPoint[0], 1);
}

void TestTload::adjustCoefficient() {
    Rig rig("");
    const auto up = rig.load().AdjustCoefficient(1, 1, 0.25f);
    QCOMPARE(up.coefficient, QString("0.2500001"));
    QCOMPARE(ProfileFile(rig.dir.file("init0.dat")).readString("LOAD", "Gear1_Press_Coefficient1", ""),
             QString("0.2500001"));
    QCOMPARE(rig.load().AdjustCoefficient(6, -1, 0.5f).coefficient, QString("0.4999999"));
    QCOMPARE(rig.load().GetGearRecord(1).pullCoefficient[2], 0.4999999);
}

void TestTload::zeroIsWrittenToLoadSection() {
    Rig rig("[Load]\nGear_Total=2\n");
    rig.readAt(123);
    QVERIFY(rig.load().ClearLoadZero());
    QCOMPARE(rig.load().GetGearRecord(2).zero, 123);
    QVERIFY(rig.dir.read("init0.dat").contains("Gear2_AD_ZERO=123"));
    Tload again(rig.dir.path(), 0, rig.driver, nullptr);
    QCOMPARE(again.GetGearRecord(2).zero, 123);
}

void TestTload::loadNoSelectsSection() {
    Rig rig("[system]\nLoadNo=1\n[Load]\nMax_Range=1000\nUnits=N\n[Load1]\nMax_Range=5000\nUnits=kN\n");
    QCOMPARE(rig.load().fullRange(), 5000.0f);
    QCOMPARE(rig.load().Units(), QString("kN"));
    QCOMPARE(configuredLoadUnits(rig.dir.path(), 0), QString("kN"));  // what the browsers show without a card
    rig.readAt(77);
    QVERIFY(rig.load().ClearLoadZero());
    Tload again(rig.dir.path(), 0, rig.driver, nullptr);
    QCOMPARE(again.GetGearRecord(1).zero, 0);  // written to `load`, read from `Load1`
    QVERIFY(ProfileFile(rig.dir.file("init0.dat")).writeString("system", "LoadNo", ""));
    Tload cleared(rig.dir.path(), 0, rig.driver, nullptr);
    QCOMPARE(cleared.GetGearRecord(1).zero, 77);
    QCOMPARE(cleared.fullRange(), 1000.0f);
    QCOMPARE(configuredLoadUnits(rig.dir.path(), 0), QString("N"));
}

void TestTload::peakFollowsLargestSignedValue() {
    Rig rig("");
    rig.readAt(-300);
    QCOMPARE(rig.load().peak(), 0.0f);
    rig.readAt(200);
    rig.readAt(100);
    QCOMPARE(rig.load().peak(), 200.0f);
    rig.load().resetPeak();
    rig.readAt(-50);
    QCOMPARE(rig.load().peak(), 0.0f);
}

void TestTload::directionFlipsCounts() {
    Rig rig("[Load]\nDirection=-1\n");
    QCOMPARE(rig.readAt(250), -250.0f);
    QCOMPARE(rig.load().currentCount(), -250);
}

QTEST_GUILESS_MAIN(TestTload)
#include "tst_tload.moc"
