#include <QElapsedTimer>
#include <QLibrary>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

#include "SimCardTestApi.h"
#include "platform/CardDriver.h"
#include "support/NearCompare.h"

using namespace springtest;
using namespace springtest::sim;

namespace {

constexpr double kMmPerPulse = 0.00025;  // every card's default encoder
constexpr double kDegPerRad = 180.0 / 3.14159265358979323846;

// The axial spring as the machine below holds it: 60 mm free, so that a crosshead at 60 − δ presses it δ;
// its top moves 0.05 mm sideways per mm pressed.
constexpr double kFreeHeightMm = 60.0;
constexpr double kOffsetPerMm = 0.05;

enum Card { Axial = 0, Lateral = 1, Turntable = 2, XSensor = 3 };

}  // namespace

// The lateral-stiffness machine's four coupled cards, through the driver file as the program loads it: the
// sensors on the axial spring's top (card 3 X, card 1 Y) follow its sideways offset as it is pressed and as
// the turntable (card 2) turns it, and card 1 pushes a lateral spring both ways. Converters unpaced and
// noiseless unless a case wants otherwise.
class TestLateralMachine : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void offsetFollowsTheSpringsTop_data();
    void offsetFollowsTheSpringsTop();
    void encodersReadTheOffsetWhileItMoves();
    void lateralSpringPushesBackBothWays_data();
    void lateralSpringPushesBackBothWays();
    void truthOnlyWhereItMeansSomething_data();
    void truthOnlyWhereItMeansSomething();
    void fourCardsReadConcurrently();

private:
    bool set(int card, const char* key, double value) { return m_set(card, key, value) == 0; }
    double get(int card, const char* key) { return m_get(card, key); }
    double encoderMm(int card) { return m_api.ReadPulse(card) * kMmPerPulse; }
    void pressAxialSpring(double deflection_mm) {
        QVERIFY(set(Axial, "position_mm", kFreeHeightMm - deflection_mm));
    }

    CardDriverLibrary m_driver;
    CardDriverApi m_api;
    QLibrary m_sim;
    SimSetFn m_set = nullptr;
    SimGetFn m_get = nullptr;
    SimLoadConfigFn m_loadConfig = nullptr;
};

void TestLateralMachine::initTestCase() {
    QVERIFY2(m_driver.load(QStringLiteral("RX720"), QStringLiteral(SIM_LIBRARY_DIR)),
             qPrintable(m_driver.errorString()));
    m_api = m_driver.resolve();
    m_sim.setFileName(
        QDir(QStringLiteral(SIM_LIBRARY_DIR)).filePath(driverFileName(QStringLiteral("RX720"))));
    QVERIFY2(m_sim.load(), qPrintable(m_sim.errorString()));
    m_set = reinterpret_cast<SimSetFn>(m_sim.resolve("SimSet"));
    m_get = reinterpret_cast<SimGetFn>(m_sim.resolve("SimGet"));
    m_loadConfig = reinterpret_cast<SimLoadConfigFn>(m_sim.resolve("SimLoadConfig"));
    QVERIFY(m_set && m_get && m_loadConfig && m_api.CardOpen);
}

void TestLateralMachine::init() {
    QCOMPARE(m_loadConfig(nullptr), 0);
    for (int card = Axial; card <= XSensor; ++card) {
        QVERIFY(set(card, "conversion_rate_hz", 0));
        QVERIFY(set(card, "noise_counts", 0));
        QVERIFY(set(card, "frame_compliance_mm_per_n", 0));
    }
    QVERIFY(set(Axial, "specimen", 1));  // compression, clear of the crosshead at its start
    QVERIFY(set(Axial, "free_height_mm", kFreeHeightMm));
    QVERIFY(set(Axial, "lateral_offset_per_mm", kOffsetPerMm));
    QVERIFY(set(Lateral, "specimen", 4));
    // A turntable has no platens to close: they lie beyond its travel.
    QVERIFY(set(Turntable, "platen_contact_mm", -1000));
    QVERIFY(set(Turntable, "lower_limit_mm", -400));
    QVERIFY(set(Turntable, "upper_limit_mm", 400));
    QVERIFY(set(Turntable, "position_mm", 0));
    // The sensors are zeroed with the spring unloaded, as the axial test clears them at the first touch.
    for (int card = Axial; card <= XSensor; ++card) QCOMPARE(m_api.CardOpen(card), uint8_t(1));
}

void TestLateralMachine::offsetFollowsTheSpringsTop_data() {
    QTest::addColumn<double>("offsetAngle_deg");  // lateral_offset_angle_deg
    QTest::addColumn<double>("turntable_deg");
    QTest::addColumn<double>("x_per_mm");  // the offset per mm pressed, as the sensors read it
    QTest::addColumn<double>("y_per_mm");
    QTest::addColumn<double>("theta_deg");  // the direction the ground truth reports

    const double s = kOffsetPerMm;
    // The quadrants of the angle's table: X = 3, Y = 4 stands at 216.87°, X = −3, Y = −4 at 36.87°.
    QTest::newRow("X and Y positive") << 216.8699 << 0.0 << 0.6 * s << 0.8 * s << 216.8699;
    QTest::newRow("X and Y negative") << 36.8699 << 0.0 << -0.6 * s << -0.8 * s << 36.8699;
    QTest::newRow("X negative, Y positive") << 120.0 << 0.0 << -0.866025 * s << 0.5 * s << 120.0;
    QTest::newRow("X positive, Y negative") << 300.0 << 0.0 << 0.866025 * s << -0.5 * s << 300.0;
    QTest::newRow("straight at Y negative") << 0.0 << 0.0 << 0.0 << -s << 0.0;
    QTest::newRow("straight at X negative") << 90.0 << 0.0 << -s << 0.0 << 90.0;
    // Turning the table by +a turns the direction by +a: up by 360 − θ or down by θ brings it to 0.
    QTest::newRow("turned up to 0") << 216.8699 << 143.1301 << 0.0 << -s << 0.0;
    QTest::newRow("turned down to 0") << 36.8699 << -36.8699 << 0.0 << -s << 0.0;
    QTest::newRow("turned past a whole turn") << 300.0 << 390.0 << 0.5 * s << -0.866025 * s << 330.0;
    QTest::newRow("an angle beyond a turn") << -60.0 << 0.0 << 0.866025 * s << -0.5 * s << 300.0;
}

// Pressed δ, the spring's top stands δ × lateral_offset_per_mm sideways in the set direction, turned with
// the turntable; the sensor cards' encoders read it, and the ground truth agrees with them.
void TestLateralMachine::offsetFollowsTheSpringsTop() {
    QFETCH(double, offsetAngle_deg);
    QFETCH(double, turntable_deg);
    QFETCH(double, x_per_mm);
    QFETCH(double, y_per_mm);
    QFETCH(double, theta_deg);
    QVERIFY(set(Axial, "lateral_offset_angle_deg", offsetAngle_deg));
    QVERIFY(set(Turntable, "position_mm", turntable_deg));
    QCOMPARE(get(Turntable, "turntable_angle_deg"), turntable_deg);

    // Unloaded the top stands where the sensors were zeroed, and the offset has no direction.
    QCOMPARE(encoderMm(XSensor), 0.0);
    QCOMPARE(encoderMm(Lateral), 0.0);
    QCOMPARE(get(Axial, "offset_mm"), 0.0);
    QVERIFY(std::isnan(get(Axial, "offset_angle_deg")));

    for (const double deflection_mm : {10.0, 20.0}) {
        const QString where = QStringLiteral("pressed %1 mm").arg(deflection_mm);
        pressAxialSpring(deflection_mm);
        COMPARE_NEAR(get(Axial, "deflection_mm"), deflection_mm, 0.0, 1e-9, where);
        COMPARE_NEAR(get(Axial, "offset_x_mm"), x_per_mm * deflection_mm, 0.0, 1e-5, where);
        COMPARE_NEAR(get(Axial, "offset_y_mm"), y_per_mm * deflection_mm, 0.0, 1e-5, where);
        COMPARE_NEAR(get(Axial, "offset_mm"), kOffsetPerMm * deflection_mm, 0.0, 1e-9, where);
        // 359.99… and 0 are one direction.
        const double angle = get(Axial, "offset_angle_deg");
        COMPARE_NEAR(std::remainder(angle - theta_deg, 360.0), 0.0, 0.0, 1e-3, where);
        QVERIFY2(angle >= 0.0 && angle < 360.0, qPrintable(where));
        // The encoders count whole pulses of the truth.
        COMPARE_NEAR(encoderMm(XSensor), get(Axial, "offset_x_mm"), 0.0, kMmPerPulse, where);
        COMPARE_NEAR(encoderMm(Lateral), get(Axial, "offset_y_mm"), 0.0, kMmPerPulse, where);
        COMPARE_NEAR(std::atan2(-encoderMm(XSensor), -encoderMm(Lateral)) * kDegPerRad,
                     std::remainder(theta_deg, 360.0), 0.0, 0.05, where);
    }

    // Let go, the top comes back to where it stood.
    pressAxialSpring(-10.0);
    QCOMPARE(encoderMm(XSensor), 0.0);
    QCOMPARE(encoderMm(Lateral), 0.0);
}

// While the crosshead comes down a sensor reading lies between the offsets of the deflections before and
// after it: the sensors see the spring as it is pressed, not as it was at some earlier reading.
void TestLateralMachine::encodersReadTheOffsetWhileItMoves() {
    QVERIFY(set(Axial, "lateral_offset_angle_deg", 90.0));  // all in X, growing negative
    QVERIFY(set(Axial, "position_mm", kFreeHeightMm));
    m_api.SetRate(Axial, 600.0f);  // 10 mm/s: 0.5 mm sideways a second, two pulses a millisecond
    m_api.MoveDown(Axial);
    double last_mm = 0.0;
    for (int i = 0; i < 40; ++i) {
        const double before = -kOffsetPerMm * get(Axial, "deflection_mm");
        const double reading = encoderMm(XSensor);
        const double after = -kOffsetPerMm * get(Axial, "deflection_mm");
        const QString where = QStringLiteral("reading %1").arg(i);
        QVERIFY2(
            reading <= before + kMmPerPulse && reading >= after - kMmPerPulse,
            qPrintable(
                QStringLiteral("%1: %2 mm outside %3 … %4").arg(where).arg(reading).arg(before).arg(after)));
        QVERIFY2(reading <= last_mm, qPrintable(where));
        last_mm = reading;
        QThread::msleep(2);
    }
    m_api.Stop(Axial);
    QVERIFY(last_mm < -0.02);
}

void TestLateralMachine::lateralSpringPushesBackBothWays_data() {
    QTest::addColumn<double>("rate_n_per_mm");
    QTest::addColumn<double>("compliance_mm_per_n");
    QTest::addColumn<double>("travel_mm");  // from the neutral, down (pushing in) positive
    QTest::addColumn<double>("force_n");

    QTest::newRow("at its neutral") << 20.0 << 0.0 << 0.0 << 0.0;
    QTest::newRow("pushed in") << 20.0 << 0.0 << 5.0 << 100.0;
    QTest::newRow("pulled out") << 20.0 << 0.0 << -5.0 << -100.0;
    QTest::newRow("pulled far out") << 35.0 << 0.0 << -12.0 << -420.0;
    // The frame gives with the force as under the axial spring: F = k·travel / (1 + k·c).
    QTest::newRow("pushed in, a yielding frame") << 100.0 << 0.001 << 5.0 << 500.0 / 1.1;
    QTest::newRow("pulled out, a yielding frame") << 100.0 << 0.001 << -5.0 << -500.0 / 1.1;
}

// Card 1's spring gives signed force at its rate: compression counts pushed in, tension counts pulled out,
// through the same converter as any load.
void TestLateralMachine::lateralSpringPushesBackBothWays() {
    QFETCH(double, rate_n_per_mm);
    QFETCH(double, compliance_mm_per_n);
    QFETCH(double, travel_mm);
    QFETCH(double, force_n);
    QVERIFY(set(Lateral, "lateral_neutral_mm", 100));
    QVERIFY(set(Lateral, "lateral_rate_n_per_mm", rate_n_per_mm));
    QVERIFY(set(Lateral, "frame_compliance_mm_per_n", compliance_mm_per_n));
    QVERIFY(set(Lateral, "position_mm", 100.0 - travel_mm));

    COMPARE_NEAR(get(Lateral, "lateral_force_n"), force_n, 1e-9, 1e-9);
    COMPARE_NEAR(get(Lateral, "force"), force_n, 1e-9, 1e-9);
    QCOMPARE(get(Lateral, "rate_n_per_mm"), rate_n_per_mm);
    QCOMPARE(get(Lateral, "lateral_rate_n_per_mm"), rate_n_per_mm);
    // Zero at 100 counts, 4 counts a newton.
    COMPARE_NEAR(m_api.LoadGetAd(Lateral), 100.0 + 4.0 * force_n, 0.0, 0.5);
    // Pushing the lateral spring moves nothing of the axial spring's top.
    QCOMPARE(encoderMm(XSensor), 0.0);
}

void TestLateralMachine::truthOnlyWhereItMeansSomething_data() {
    QTest::addColumn<int>("card");
    QTest::addColumn<QByteArray>("key");

    QTest::newRow("offset of the lateral card") << int(Lateral) << QByteArray("offset_mm");
    QTest::newRow("offset angle of the turntable") << int(Turntable) << QByteArray("offset_angle_deg");
    QTest::newRow("turntable angle of the axial card") << int(Axial) << QByteArray("turntable_angle_deg");
    QTest::newRow("lateral force of the axial spring") << int(Axial) << QByteArray("lateral_force_n");
    QTest::newRow("a card beyond the machine") << 7 << QByteArray("offset_mm");
}

// A key asked of a card it does not describe has no number, so that a test asking the wrong card fails
// instead of comparing against a 0.
void TestLateralMachine::truthOnlyWhereItMeansSomething() {
    QFETCH(int, card);
    QFETCH(QByteArray, key);
    pressAxialSpring(10.0);
    QVERIFY(std::isnan(get(card, key.constData())));
}

// The acquisition loop reads four cards in turn while the windows drive two of them: one reader a card,
// paced converters, the axial crosshead and the turntable moving. Every reader finishes (no two card locks
// are ever held together) with plausible readings.
void TestLateralMachine::fourCardsReadConcurrently() {
    QVERIFY(set(Axial, "lateral_offset_angle_deg", 216.8699));
    QVERIFY(set(Axial, "rate_n_per_mm", 10));
    pressAxialSpring(10.0);  // 100 N: 500 counts
    for (int card = Axial; card <= XSensor; ++card) QVERIFY(set(card, "conversion_rate_hz", 68000));

    constexpr int kReads = 1500;
    std::atomic<int> implausible{0};
    std::atomic<bool> reading{true};
    const double mostOffset_pulses = kOffsetPerMm * 12.0 / kMmPerPulse;
    const auto reader = [&](int card) {
        for (int i = 0; i < kReads; ++i) {
            const int32_t counts = m_api.LoadGetAd(card);
            const int32_t pulses = m_api.ReadPulse(card);
            m_api.GetOutCommand(card);
            const bool countsOk = card == Axial ? counts > 450 && counts < 550 : counts > 95 && counts < 105;
            const bool pulsesOk = card == Axial || card == Turntable || std::abs(pulses) <= mostOffset_pulses;
            if (!countsOk || !pulsesOk) ++implausible;
        }
    };
    std::vector<std::thread> readers;
    for (int card = Axial; card <= XSensor; ++card) readers.emplace_back(reader, card);
    std::thread driver([&] {
        bool up = true;
        while (reading.load()) {
            m_api.SetRate(Axial, 0.5f);
            m_api.SetRate(Turntable, 360.0f);
            up ? m_api.MoveUp(Turntable) : m_api.MoveDown(Turntable);
            up ? m_api.MoveUp(Axial) : m_api.MoveDown(Axial);
            m_api.ResetMainCountor(XSensor);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            up = !up;
        }
        m_api.Stop(Axial);
        m_api.Stop(Turntable);
    });
    for (std::thread& r : readers) r.join();
    reading = false;
    driver.join();
    QCOMPARE(implausible.load(), 0);
    for (int card = Axial; card <= XSensor; ++card) QCOMPARE(get(card, "conversions"), double(kReads));
}

QTEST_GUILESS_MAIN(TestLateralMachine)
#include "tst_lateral_machine.moc"
