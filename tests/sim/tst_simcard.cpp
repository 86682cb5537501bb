#include <QElapsedTimer>
#include <QLibrary>
#include <QThread>
#include <QtTest>
#include <array>
#include <atomic>
#include <cmath>
#include <iterator>
#include <thread>
#include <vector>

#include "SimCardTestApi.h"
#include "platform/CardDriver.h"
#include "support/NearCompare.h"
#include "support/TempAppDir.h"

using namespace springtest;
using namespace springtest::sim;

namespace {

constexpr double kPulsesPerMm = 4000.0;

enum Specimen { None = 0, Compression = 1, Tension = 2, Leaf = 3, Ring = 5 };

// The card's defaults: where the encoder counts from after CardOpen, and its resolution.
constexpr double kStartPositionMm = 150.0;
constexpr double kMmPerPulse = 0.00025;

const QString kDrivers[] = {QStringLiteral("RX640K"), QStringLiteral("PCI_CARD"), QStringLiteral("RX720")};

}  // namespace

// Every case talks to the real driver file, as the program does. The machine is put back to its defaults
// before each case, with the converter unpaced and noiseless unless a case wants otherwise.
class TestSimCard : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void exportsEveryFunction_data();
    void exportsEveryFunction();
    void cardOpen_data();
    void cardOpen();
    void encoderFollowsPosition_data();
    void encoderFollowsPosition();
    void specimenForce_data();
    void specimenForce();
    void calibrationBodies_data();
    void calibrationBodies();
    void cellErrorInCounts_data();
    void cellErrorInCounts();
    void calibrationKeyValues_data();
    void calibrationKeyValues();
    void magnificationAndClipping_data();
    void magnificationAndClipping();
    void travelLimits_data();
    void travelLimits();
    void keysAndRelays();
    void servoVelocity_data();
    void servoVelocity();
    void pumpGatesTheServo_data();
    void pumpGatesTheServo();
    void leafSpringStiffens_data();
    void leafSpringStiffens();
    void leafSpringHysteresis_data();
    void leafSpringHysteresis();
    void leafSpringSettles_data();
    void leafSpringSettles();
    void leafSpringTruthMatchesAPressing();
    void lastCommandWins();
    void motionFollowsTheClock();
    void seededNoiseRepeats();
    void pacedConverterUnderConcurrentCallers();
    void heldReaderGetsTheBufferedConversions();
    void crossheadStartsWhereItWasLeft_data();
    void crossheadStartsWhereItWasLeft();
    void configurationFile();
    void shippedConfiguration();

private:
    bool set(int card, const char* key, double value) { return m_set(card, key, value) == 0; }
    double get(int card, const char* key) { return m_get(card, key); }
    // A leaf spring on card 0: touched at a gap of 40 + 30 + 50 = 120 mm, k0 = 100 N/mm, g = 0.02 per mm,
    // μ = 0.05, a rigid frame unless a case yields it.
    void putLeafSpring();
    // The crosshead to each position in turn, the spring read at each.
    void pressThrough(const QList<double>& positions) {
        for (double x : positions) {
            QVERIFY(set(0, "position_mm", x));
            get(0, "force");
        }
    }
    // What the program's displacement reading starts from: the encoder's count since CardOpen, in mm.
    double encoderMm() { return kStartPositionMm + m_api.ReadPulse(0) * kMmPerPulse; }

    // All three stay loaded for the whole run: unloading one QLibrary unloads the file under every other
    // handle.
    std::array<CardDriverLibrary, 3> m_drivers;
    CardDriverApi m_api;
    QLibrary m_sim;
    SimSetFn m_set = nullptr;
    SimGetFn m_get = nullptr;
    SimLoadConfigFn m_loadConfig = nullptr;
    SimResetFn m_reset = nullptr;
};

void TestSimCard::initTestCase() {
    for (size_t i = 0; i < m_drivers.size(); ++i) {
        QVERIFY2(m_drivers[i].load(kDrivers[i], QStringLiteral(SIM_LIBRARY_DIR)),
                 qPrintable(m_drivers[i].errorString()));
    }
    m_api = m_drivers[2].resolve();
    m_sim.setFileName(
        QDir(QStringLiteral(SIM_LIBRARY_DIR)).filePath(driverFileName(QStringLiteral("RX720"))));
    QVERIFY2(m_sim.load(), qPrintable(m_sim.errorString()));
    m_set = reinterpret_cast<SimSetFn>(m_sim.resolve("SimSet"));
    m_get = reinterpret_cast<SimGetFn>(m_sim.resolve("SimGet"));
    m_loadConfig = reinterpret_cast<SimLoadConfigFn>(m_sim.resolve("SimLoadConfig"));
    m_reset = reinterpret_cast<SimResetFn>(m_sim.resolve("SimReset"));
    QVERIFY(m_set && m_get && m_loadConfig && m_reset && m_api.CardOpen);
}

void TestSimCard::init() {
    QCOMPARE(m_loadConfig(nullptr), 0);
    for (int card = 0; card < 5; ++card) {
        QVERIFY(set(card, "conversion_rate_hz", 0));
        QVERIFY(set(card, "noise_counts", 0));
    }
    QCOMPARE(m_api.CardOpen(0), uint8_t(1));
}

void TestSimCard::exportsEveryFunction_data() {
    QTest::addColumn<int>("driver");
    for (int i = 0; i < 3; ++i) QTest::newRow(qPrintable(kDrivers[i])) << i;
}

void TestSimCard::exportsEveryFunction() {
    QFETCH(int, driver);
    const CardDriverApi api = m_drivers[size_t(driver)].resolve();
    const void* const resolved[] = {
        reinterpret_cast<const void*>(api.CardOpen),      reinterpret_cast<const void*>(api.CardClose),
        reinterpret_cast<const void*>(api.LoadGetAd),     reinterpret_cast<const void*>(api.DeforGetAd),
        reinterpret_cast<const void*>(api.SetLoadAmp),    reinterpret_cast<const void*>(api.LoadHardZero),
        reinterpret_cast<const void*>(api.ReadPulse),     reinterpret_cast<const void*>(api.ResetMainCountor),
        reinterpret_cast<const void*>(api.SetRate),       reinterpret_cast<const void*>(api.MoveUp),
        reinterpret_cast<const void*>(api.MoveDown),      reinterpret_cast<const void*>(api.Stop),
        reinterpret_cast<const void*>(api.GetOutCommand), reinterpret_cast<const void*>(api.SetDeforAmp),
        reinterpret_cast<const void*>(api.RLY),           reinterpret_cast<const void*>(api.servodata),
        reinterpret_cast<const void*>(api.DASTART)};
    static_assert(std::size(resolved) == std::size(kCardDriverFunctionNames));
    for (size_t i = 0; i < std::size(resolved); ++i)
        QVERIFY2(resolved[i] != nullptr, kCardDriverFunctionNames[i]);

    QLibrary sim(QDir(QStringLiteral(SIM_LIBRARY_DIR)).filePath(driverFileName(kDrivers[driver])));
    for (const char* name : {"SimSet", "SimGet", "SimLoadConfig", "SimReset"})
        QVERIFY2(sim.resolve(name), name);
}

void TestSimCard::cardOpen_data() {
    QTest::addColumn<int>("cards");
    QTest::addColumn<int>("refusingCard");
    QTest::addColumn<int>("card");
    QTest::addColumn<bool>("opens");
    QTest::newRow("first") << 5 << -1 << 0 << true;
    QTest::newRow("last") << 5 << -1 << 4 << true;
    QTest::newRow("past the slots") << 5 << -1 << 5 << false;
    QTest::newRow("negative index") << 5 << -1 << -1 << false;
    QTest::newRow("beyond the configured cards") << 2 << -1 << 2 << false;
    QTest::newRow("within the configured cards") << 2 << -1 << 1 << true;
    QTest::newRow("refuses") << 5 << 3 << 3 << false;
    QTest::newRow("another refuses") << 5 << 3 << 2 << true;
}

void TestSimCard::cardOpen() {
    QFETCH(int, cards);
    QFETCH(int, refusingCard);
    QFETCH(int, card);
    QFETCH(bool, opens);
    QVERIFY(set(0, "cards", cards));
    if (refusingCard >= 0) QVERIFY(set(refusingCard, "fail_open", 1));
    QCOMPARE(m_api.CardOpen(card) != 0, opens);
}

void TestSimCard::encoderFollowsPosition_data() {
    QTest::addColumn<double>("position_mm");
    QTest::addColumn<int>("pulses");
    QTest::newRow("at the start") << 150.0 << 0;
    QTest::newRow("1 mm up") << 151.0 << 4000;
    QTest::newRow("half a mm down") << 149.5 << -2000;
    QTest::newRow("one pulse") << 150.00025 << 1;
    QTest::newRow("at the upper limit") << 400.0 << 1000000;
    QTest::newRow("past the upper limit stays at it") << 450.0 << 1000000;
    QTest::newRow("past the lower limit stays at it") << 0.0 << -580000;
}

void TestSimCard::encoderFollowsPosition() {
    QFETCH(double, position_mm);
    QFETCH(int, pulses);
    QCOMPARE(m_api.ReadPulse(0), 0);
    QVERIFY(set(0, "position_mm", position_mm));
    QCOMPARE(m_api.ReadPulse(0), pulses);
    m_api.ResetMainCountor(0);
    QCOMPARE(m_api.ReadPulse(0), 0);
}

void TestSimCard::specimenForce_data() {
    QTest::addColumn<int>("specimen");
    QTest::addColumn<double>("stretchWhen");
    QTest::addColumn<double>("loadSign");
    QTest::addColumn<double>("compliance_mm_per_n");
    QTest::addColumn<double>("position_mm");
    QTest::addColumn<double>("force_n");
    QTest::addColumn<double>("gap_mm");
    QTest::addColumn<double>("rate_n_per_mm");
    QTest::addColumn<int>("counts");

    // Compression spring: free height 60, rate 10, solid at 30 with 1000 N/mm past it.
    QTest::newRow("compression, clear") << 1 << 1.0 << 1.0 << 0.0 << 70.0 << 0.0 << 70.0 << 10.0 << 100;
    QTest::newRow("compression, touching") << 1 << 1.0 << 1.0 << 0.0 << 60.0 << 0.0 << 60.0 << 10.0 << 100;
    QTest::newRow("compression, 10 mm") << 1 << 1.0 << 1.0 << 0.0 << 50.0 << 100.0 << 50.0 << 10.0 << 500;
    QTest::newRow("compression, short of solid")
        << 1 << 1.0 << 1.0 << 0.0 << 30.5 << 295.0 << 30.5 << 10.0 << 1280;
    QTest::newRow("compression, past solid")
        << 1 << 1.0 << 1.0 << 0.0 << 29.0 << 1300.0 << 29.0 << 1000.0 << 5300;
    // With the frame yielding the gap opens by c·F and the force satisfies F = rate·(free height − gap).
    QTest::newRow("compression, frame yields")
        << 1 << 1.0 << 1.0 << 0.001 << 50.0 << 100.0 / 1.01 << 50.0 + 0.1 / 1.01 << 10.0 << 496;
    // Past solid by the crosshead, but the frame's give keeps the spring on its linear part.
    QTest::newRow("compression, frame holds it short of solid")
        << 1 << 1.0 << 1.0 << 0.001 << 29.9 << 301.0 / 1.01 << 29.9 + 0.301 / 1.01 << 10.0 << 1292;
    QTest::newRow("compression, frame yields past solid")
        << 1 << 1.0 << 1.0 << 0.001 << 25.0 << 2650.0 << 27.65 << 1000.0 << 10700;

    // Tension spring: free length 100, initial tension 5 reached within 0.005 mm, then 10 N/mm.
    QTest::newRow("tension down, slack") << 2 << 1.0 << 1.0 << 0.0 << 110.0 << 0.0 << 110.0 << 10.0 << 100;
    QTest::newRow("tension down, opening")
        << 2 << 1.0 << 1.0 << 0.0 << 99.998 << 2.0 << 99.998 << 1000.0 << 108;
    QTest::newRow("tension down, 10 mm") << 2 << 1.0 << 1.0 << 0.0 << 90.0 << 104.95 << 90.0 << 10.0 << 520;
    QTest::newRow("tension up, slack") << 2 << -1.0 << -1.0 << 0.0 << 90.0 << 0.0 << 90.0 << 10.0 << 100;
    QTest::newRow("tension up, 10 mm")
        << 2 << -1.0 << -1.0 << 0.0 << 110.0 << 104.95 << 110.0 << 10.0 << -320;
    // Under tension the frame shortens: the gap is less than the crosshead position says.
    QTest::newRow("tension up, frame yields")
        << 2 << -1.0 << -1.0 << 0.001 << 110.0 << 104.95 / 1.01 << 110.0 - 0.10495 / 1.01 << 10.0 << -316;

    QTest::newRow("no specimen") << 0 << 1.0 << 1.0 << 0.001 << 20.0 << 0.0 << 20.0 << 0.0 << 100;
}

void TestSimCard::specimenForce() {
    QFETCH(int, specimen);
    QFETCH(double, stretchWhen);
    QFETCH(double, loadSign);
    QFETCH(double, compliance_mm_per_n);
    QFETCH(double, position_mm);
    QFETCH(double, force_n);
    QFETCH(double, gap_mm);
    QFETCH(double, rate_n_per_mm);
    QFETCH(int, counts);

    QVERIFY(set(0, "specimen", specimen));
    QVERIFY(set(0, "stretch_when", stretchWhen));
    QVERIFY(set(0, "load_sign", loadSign));
    QVERIFY(set(0, "frame_compliance_mm_per_n", compliance_mm_per_n));
    QVERIFY(set(0, "position_mm", position_mm));

    COMPARE_NEAR(get(0, "force"), force_n, 1e-9, 1e-9);
    COMPARE_NEAR(get(0, "cell_force"), loadSign * force_n, 1e-9, 1e-9);
    COMPARE_NEAR(get(0, "gap_mm"), gap_mm, 0.0, 1e-9);
    QCOMPARE(get(0, "rate_n_per_mm"), rate_n_per_mm);
    QCOMPARE(m_api.LoadGetAd(0), counts);
    // The encoder misses the frame's give by compliance × the signed load the cell reports: what the
    // program's compensation adds back with a positive coefficient.
    COMPARE_NEAR(get(0, "gap_mm") - encoderMm(), compliance_mm_per_n * get(0, "cell_force"), 0.0, 1e-9);
}

void TestSimCard::calibrationBodies_data() {
    QTest::addColumn<int>("specimen");
    QTest::addColumn<double>("stretchWhen");
    QTest::addColumn<double>("loadSign");
    QTest::addColumn<double>("compliance_mm_per_n");
    QTest::addColumn<double>("lowerLimit_mm");
    QTest::addColumn<double>("platenContact_mm");
    QTest::addColumn<double>("position_mm");
    QTest::addColumn<double>("force_n");
    QTest::addColumn<double>("gap_mm");
    QTest::addColumn<int>("counts");

    // Proving ring: 50 mm high, 20000 N/mm; with the default frame (0.00002 mm/N) the two give together
    // 20000 / 1.4 N/mm.
    QTest::newRow("ring, clear") << 5 << 1.0 << 1.0 << 0.00002 << 5.0 << 0.0 << 60.0 << 0.0 << 60.0 << 100;
    QTest::newRow("ring, touching") << 5 << 1.0 << 1.0 << 0.00002 << 5.0 << 0.0 << 50.0 << 0.0 << 50.0 << 100;
    QTest::newRow("ring, rigid frame")
        << 5 << 1.0 << 1.0 << 0.0 << 5.0 << 0.0 << 49.9 << 2000.0 << 49.9 << 8100;
    QTest::newRow("ring, frame yields")
        << 5 << 1.0 << 1.0 << 0.00002 << 5.0 << 0.0 << 49.9 << 2000.0 / 1.4 << 49.9 + 0.04 / 1.4 << 5814;
    // Hooked in on a machine that pulls as it rises: true tension, and the frame shortens.
    QTest::newRow("ring pulled, slack")
        << 5 << -1.0 << -1.0 << 0.00002 << 5.0 << 0.0 << 49.0 << 0.0 << 49.0 << 100;
    QTest::newRow("ring pulled") << 5 << -1.0 << -1.0 << 0.00002 << 5.0 << 0.0 << 50.1 << 2000.0 / 1.4
                                 << 50.1 - 0.04 / 1.4 << -5614;

    // Bare platens, 200000 N/mm: with the default frame 40000 N/mm together.
    QTest::newRow("platens, default out of reach")
        << 0 << 1.0 << 1.0 << 0.00002 << 5.0 << 0.0 << 0.0 << 0.0 << 5.0 << 100;
    QTest::newRow("platens, just apart")
        << 0 << 1.0 << 1.0 << 0.00002 << -5.0 << 2.0 << 2.001 << 0.0 << 2.001 << 100;
    QTest::newRow("platens, just touching")
        << 0 << 1.0 << 1.0 << 0.00002 << -5.0 << 2.0 << 1.999 << 40.0 << 1.9998 << 260;
    QTest::newRow("platens, rigid frame")
        << 0 << 1.0 << 1.0 << 0.0 << -5.0 << 2.0 << 1.99 << 2000.0 << 1.99 << 8100;
    QTest::newRow("platens, above the travel")
        << 0 << 1.0 << 1.0 << 0.0 << 5.0 << 10.0 << 9.99 << 2000.0 << 9.99 << 8100;
}

// The bodies calibration and alignment press on: the ring, whose true force is the reference, and the bare
// platens, which meet where the configuration says.
void TestSimCard::calibrationBodies() {
    QFETCH(int, specimen);
    QFETCH(double, stretchWhen);
    QFETCH(double, loadSign);
    QFETCH(double, compliance_mm_per_n);
    QFETCH(double, lowerLimit_mm);
    QFETCH(double, platenContact_mm);
    QFETCH(double, position_mm);
    QFETCH(double, force_n);
    QFETCH(double, gap_mm);
    QFETCH(int, counts);

    QVERIFY(set(0, "specimen", specimen));
    QVERIFY(set(0, "stretch_when", stretchWhen));
    QVERIFY(set(0, "load_sign", loadSign));
    QVERIFY(set(0, "frame_compliance_mm_per_n", compliance_mm_per_n));
    QVERIFY(set(0, "lower_limit_mm", lowerLimit_mm));
    QVERIFY(set(0, "platen_contact_mm", platenContact_mm));
    QVERIFY(set(0, "position_mm", position_mm));

    COMPARE_NEAR(get(0, "force"), force_n, 1e-9, 1e-9);
    COMPARE_NEAR(get(0, "cell_force"), loadSign * force_n, 1e-9, 1e-9);
    COMPARE_NEAR(get(0, "gap_mm"), gap_mm, 0.0, 1e-9);
    QCOMPARE(m_api.LoadGetAd(0), counts);
    COMPARE_NEAR(get(0, "gap_mm") - encoderMm(), compliance_mm_per_n * get(0, "cell_force"), 0.0, 1e-9);
    if (specimen == Ring)
        QCOMPARE(get(0, "reference_force"), get(0, "force"));
    else
        QVERIFY(std::isnan(get(0, "reference_force")));  // no transducer to read
}

void TestSimCard::cellErrorInCounts_data() {
    QTest::addColumn<double>("gainError");
    QTest::addColumn<double>("nonlinearity");
    QTest::addColumn<double>("loadSign");
    QTest::addColumn<double>("force_n");
    QTest::addColumn<double>("indicated_n");

    // Full scale 5000 N. The bow is nonlinearity × 5000 N at half range and 0 at either end.
    QTest::newRow("exact, half scale") << 0.0 << 0.0 << 1.0 << 2500.0 << 2500.0;
    QTest::newRow("exact, odd force") << 0.0 << 0.0 << 1.0 << 1234.5 << 1234.5;
    QTest::newRow("+3 %, zero") << 0.03 << 0.0 << 1.0 << 0.0 << 0.0;
    QTest::newRow("+3 %, half scale") << 0.03 << 0.0 << 1.0 << 2500.0 << 2575.0;
    QTest::newRow("+3 %, full scale") << 0.03 << 0.0 << 1.0 << 5000.0 << 5150.0;
    QTest::newRow("-2 %, full scale, tension") << -0.02 << 0.0 << -1.0 << 5000.0 << -4900.0;
    QTest::newRow("bow, zero") << 0.0 << 0.005 << 1.0 << 0.0 << 0.0;
    QTest::newRow("bow, quarter scale") << 0.0 << 0.005 << 1.0 << 1250.0 << 1268.75;
    QTest::newRow("bow, half scale") << 0.0 << 0.005 << 1.0 << 2500.0 << 2525.0;
    QTest::newRow("bow, full scale") << 0.0 << 0.005 << 1.0 << 5000.0 << 5000.0;
    QTest::newRow("bow, half scale, tension") << 0.0 << 0.005 << -1.0 << 2500.0 << -2525.0;
    QTest::newRow("sagging bow, half scale") << 0.0 << -0.005 << 1.0 << 2500.0 << 2475.0;
    QTest::newRow("both, half scale, tension") << 0.03 << 0.005 << -1.0 << 2500.0 << -2600.0;
    QTest::newRow("both, past full scale") << 0.03 << 0.005 << 1.0 << 6000.0 << 6180.0;
}

// A miscalibrated machine on purpose: the raw counts follow what the cell reports, the ground truth does
// not.
void TestSimCard::cellErrorInCounts() {
    QFETCH(double, gainError);
    QFETCH(double, nonlinearity);
    QFETCH(double, loadSign);
    QFETCH(double, force_n);
    QFETCH(double, indicated_n);

    QVERIFY(set(0, "specimen", Ring));
    QVERIFY(set(0, "frame_compliance_mm_per_n", 0));
    QVERIFY(set(0, "load_sign", loadSign));
    QVERIFY(set(0, "cell_gain_error", gainError));
    QVERIFY(set(0, "cell_nonlinearity", nonlinearity));
    QVERIFY(set(0, "position_mm", 50.0 - force_n / 20000.0));

    COMPARE_NEAR(get(0, "force"), force_n, 1e-12, 1e-9);
    COMPARE_NEAR(get(0, "reference_force"), force_n, 1e-12, 1e-9);
    COMPARE_NEAR(get(0, "cell_force"), loadSign * force_n, 1e-12, 1e-9);
    COMPARE_NEAR(get(0, "indicated_force"), indicated_n, 1e-12, 1e-9);
    // Zero offset 100, 4 counts a newton.
    QCOMPARE(m_api.LoadGetAd(0), int32_t(std::lround(100.0 + 4.0 * indicated_n)));
}

void TestSimCard::calibrationKeyValues_data() {
    QTest::addColumn<QByteArray>("key");
    QTest::addColumn<double>("value");     // through SimSet
    QTest::addColumn<QByteArray>("text");  // the same in the configuration file
    QTest::addColumn<bool>("accepted");

    QTest::newRow("ring by name") << QByteArray("specimen") << 5.0 << QByteArray("Ring") << true;
    QTest::newRow("ring stiffness") << QByteArray("ring_rate_n_per_mm") << 50000.0 << QByteArray("5e4")
                                    << true;
    QTest::newRow("negative ring stiffness")
        << QByteArray("ring_rate_n_per_mm") << -1.0 << QByteArray("-1") << false;
    QTest::newRow("no ring stiffness") << QByteArray("ring_rate_n_per_mm") << 0.0 << QByteArray("0") << false;
    QTest::newRow("ring stiffness nan")
        << QByteArray("ring_rate_n_per_mm") << qQNaN() << QByteArray("nan") << false;
    QTest::newRow("negative platen stiffness")
        << QByteArray("platen_rate_n_per_mm") << -5.0 << QByteArray("-5") << false;
    QTest::newRow("platens below zero")
        << QByteArray("platen_contact_mm") << -2.0 << QByteArray("-2") << true;
    QTest::newRow("platens at infinity")
        << QByteArray("platen_contact_mm") << qInf() << QByteArray("inf") << false;
    QTest::newRow("negative spring rate")
        << QByteArray("rate_n_per_mm") << -10.0 << QByteArray("-10") << false;
    QTest::newRow("gain error") << QByteArray("cell_gain_error") << -0.49 << QByteArray("-0.49") << true;
    QTest::newRow("gain error of a dead cell")
        << QByteArray("cell_gain_error") << -0.5 << QByteArray("-0.5") << false;
    QTest::newRow("gain error nan") << QByteArray("cell_gain_error") << qQNaN() << QByteArray("nan") << false;
    QTest::newRow("largest sag") << QByteArray("cell_nonlinearity") << -0.1 << QByteArray("-0.1") << true;
    QTest::newRow("bow that turns back")
        << QByteArray("cell_nonlinearity") << 0.2 << QByteArray("0.2") << false;
    QTest::newRow("no full scale") << QByteArray("cell_full_scale_n") << 0.0 << QByteArray("0") << false;
    QTest::newRow("lateral spring by name") << QByteArray("specimen") << 4.0 << QByteArray("lateral") << true;
    QTest::newRow("lateral offset") << QByteArray("lateral_offset_per_mm") << 0.05 << QByteArray("0.05")
                                    << true;
    QTest::newRow("lateral offset against its angle")
        << QByteArray("lateral_offset_per_mm") << -0.05 << QByteArray("-0.05") << false;
    QTest::newRow("top moving further than pressed")
        << QByteArray("lateral_offset_per_mm") << 1.5 << QByteArray("1.5") << false;
    QTest::newRow("offset angle below zero")
        << QByteArray("lateral_offset_angle_deg") << -30.0 << QByteArray("-30") << true;
    QTest::newRow("offset angle nan")
        << QByteArray("lateral_offset_angle_deg") << qQNaN() << QByteArray("nan") << false;
    QTest::newRow("negative lateral rate")
        << QByteArray("lateral_rate_n_per_mm") << -20.0 << QByteArray("-20") << false;
    QTest::newRow("lateral neutral below zero")
        << QByteArray("lateral_neutral_mm") << -5.0 << QByteArray("-5") << true;
}

// The new keys are checked as every other key: a value the machine cannot take is refused by SimSet and
// skipped in the file, and the value before it stays.
void TestSimCard::calibrationKeyValues() {
    QFETCH(QByteArray, key);
    QFETCH(double, value);
    QFETCH(QByteArray, text);
    QFETCH(bool, accepted);
    const double before = get(0, key.constData());
    const double expected = accepted ? value : before;
    QCOMPARE(set(0, key.constData(), value), accepted);
    QCOMPARE(get(0, key.constData()), expected);

    testing::TempAppDir dir;
    dir.write(QStringLiteral("sim.ini"), "[card0]\n" + key + " = " + text + "\n");
    QCOMPARE(m_loadConfig(qPrintable(dir.file(QStringLiteral("sim.ini")))), 0);
    QCOMPARE(get(0, key.constData()), expected);
}

void TestSimCard::magnificationAndClipping_data() {
    QTest::addColumn<int>("magnification");
    QTest::addColumn<double>("position_mm");
    QTest::addColumn<double>("loadSign");
    QTest::addColumn<int>("counts");
    QTest::newRow("base") << 400 << 50.0 << 1.0 << 500;
    QTest::newRow("doubled") << 800 << 50.0 << 1.0 << 900;
    QTest::newRow("halved") << 200 << 50.0 << 1.0 << 300;
    QTest::newRow("offset alone") << 800 << 100.0 << 1.0 << 100;
    QTest::newRow("clipped high") << 400 << 5.0 << 1.0 << 32767;
    QTest::newRow("clipped low") << 400 << 5.0 << -1.0 << -32767;
}

void TestSimCard::magnificationAndClipping() {
    QFETCH(int, magnification);
    QFETCH(double, position_mm);
    QFETCH(double, loadSign);
    QFETCH(int, counts);
    QVERIFY(set(0, "specimen", Compression));
    QVERIFY(set(0, "frame_compliance_mm_per_n", 0));
    QVERIFY(set(0, "load_sign", loadSign));
    QVERIFY(set(0, "position_mm", position_mm));
    QCOMPARE(get(0, "magnification"), 400.0);
    m_api.SetLoadAmp(0, magnification);
    QCOMPARE(get(0, "magnification"), double(magnification));
    QCOMPARE(m_api.LoadGetAd(0), counts);
}

void TestSimCard::travelLimits_data() {
    QTest::addColumn<bool>("up");
    QTest::addColumn<int>("upperBit");
    QTest::addColumn<int>("lowerBit");
    QTest::newRow("upper, standard switches") << true << 2 << 3;
    QTest::newRow("lower, standard switches") << false << 2 << 3;
    QTest::newRow("upper, type 6 switches") << true << 0 << 1;
    QTest::newRow("lower, type 6 switches") << false << 0 << 1;
}

void TestSimCard::travelLimits() {
    QFETCH(bool, up);
    QFETCH(int, upperBit);
    QFETCH(int, lowerBit);
    QVERIFY(set(0, "upper_limit_bit", upperBit));
    QVERIFY(set(0, "lower_limit_bit", lowerBit));
    const double limit_mm = up ? 400.0 : 5.0;
    const uint8_t bit = uint8_t(1u << (up ? upperBit : lowerBit));

    QVERIFY(set(0, "position_mm", up ? 399.0 : 6.0));
    QCOMPARE(m_api.GetOutCommand(0), uint8_t(0));
    m_api.SetRate(0, 6000.0f);
    up ? m_api.MoveUp(0) : m_api.MoveDown(0);
    QTRY_COMPARE(m_api.GetOutCommand(0), bit);
    QCOMPARE(get(0, "position_mm"), limit_mm);
    QCOMPARE(get(0, "moving"), 0.0);

    // Further into the switch: cut at once.
    up ? m_api.MoveUp(0) : m_api.MoveDown(0);
    QCOMPARE(get(0, "moving"), 0.0);
    QCOMPARE(get(0, "position_mm"), limit_mm);

    // Away from it: the switch opens.
    up ? m_api.MoveDown(0) : m_api.MoveUp(0);
    QCOMPARE(get(0, "moving"), 1.0);
    QTRY_COMPARE(m_api.GetOutCommand(0), uint8_t(0));
    m_api.Stop(0);
}

void TestSimCard::keysAndRelays() {
    QVERIFY(set(0, "keys", 1));
    QCOMPARE(m_api.GetOutCommand(0), uint8_t(1));
    QVERIFY(set(0, "keys", 3));
    QCOMPARE(m_api.GetOutCommand(0), uint8_t(3));
    QVERIFY(set(0, "position_mm", 400));
    QCOMPARE(m_api.GetOutCommand(0), uint8_t(3 | 4));
    QCOMPARE(m_api.GetOutCommand(1), uint8_t(0));  // the other cards' boxes are untouched

    uint8_t relays[8] = {1, 0, 1, 0, 0, 0, 0, 1};
    m_api.RLY(0, relays, 7);
    relays[0] = 0;  // the card keeps its own copy
    const double expected[8] = {1, 0, 1, 0, 0, 0, 0, 1};
    for (int position = 1; position <= 8; ++position)
        QCOMPARE(get(0, qPrintable(QStringLiteral("relay%1").arg(position))), expected[position - 1]);
    QCOMPARE(get(1, "relay1"), 0.0);
}

void TestSimCard::servoVelocity_data() {
    QTest::addColumn<bool>("started");
    QTest::addColumn<int>("output");
    QTest::addColumn<double>("velocity_mm_per_min");
    QTest::newRow("valve zero") << true << 2048 << 0.0;
    QTest::newRow("above zero rises") << true << 2248 << 100.0;
    QTest::newRow("below zero descends") << true << 1848 << -100.0;
    QTest::newRow("output not started") << false << 2248 << 0.0;
}

void TestSimCard::servoVelocity() {
    QFETCH(bool, started);
    QFETCH(int, output);
    QFETCH(double, velocity_mm_per_min);
    if (started) m_api.DASTART(0);
    QCOMPARE(get(0, "velocity_mm_per_min"), 0.0);  // starting the output moves nothing by itself
    m_api.servodata(0, uint16_t(output));
    QCOMPARE(get(0, "servo_output"), double(output));
    QCOMPARE(get(0, "velocity_mm_per_min"), velocity_mm_per_min);
}

void TestSimCard::pumpGatesTheServo_data() {
    QTest::addColumn<int>("pumpRelay");
    QTest::addColumn<int>("relayOn");  // 0: none
    QTest::addColumn<double>("velocity_mm_per_min");
    QTest::newRow("no pump to wait for") << 0 << 0 << -100.0;
    QTest::newRow("pump off") << 1 << 0 << 0.0;
    QTest::newRow("pump on") << 1 << 1 << -100.0;
    QTest::newRow("another relay on") << 1 << 3 << 0.0;
}

void TestSimCard::pumpGatesTheServo() {
    QFETCH(int, pumpRelay);
    QFETCH(int, relayOn);
    QFETCH(double, velocity_mm_per_min);
    QVERIFY(set(0, "pump_relay", pumpRelay));
    m_api.DASTART(0);
    m_api.servodata(0, 1848);
    uint8_t relays[8] = {};
    if (relayOn > 0) relays[relayOn - 1] = 1;
    m_api.RLY(0, relays, 7);
    QCOMPARE(get(0, "velocity_mm_per_min"), velocity_mm_per_min);
    // Stopping the pump stops the cylinder where it is; the valve's opening is kept for when it runs again.
    uint8_t off[8] = {};
    m_api.RLY(0, off, 7);
    QCOMPARE(get(0, "velocity_mm_per_min"), pumpRelay > 0 ? 0.0 : velocity_mm_per_min);
    QCOMPARE(get(0, "servo_output"), 1848.0);
}

void TestSimCard::putLeafSpring() {
    QVERIFY(set(0, "specimen", Leaf));
    QVERIFY(set(0, "frame_compliance_mm_per_n", 0));
    QVERIFY(set(0, "leaf_rate_n_per_mm", 100));
    QVERIFY(set(0, "leaf_progression_per_mm", 0.02));
    QVERIFY(set(0, "leaf_friction", 0.05));
    QCOMPARE(get(0, "leaf_contact_mm"), 120.0);
}

void TestSimCard::leafSpringStiffens_data() {
    QTest::addColumn<double>("compliance_mm_per_n");
    QTest::addColumn<double>("position_mm");
    QTest::addColumn<double>("force_n");
    QTest::addColumn<double>("rate_n_per_mm");

    // Pressed further: 1.05 × 100 × (δ + 0.01·δ²) at a slope of 1.05 × 100 × (1 + 0.02·δ).
    QTest::newRow("clear") << 0.0 << 130.0 << 0.0 << 100.0;
    QTest::newRow("5 mm") << 0.0 << 115.0 << 551.25 << 115.5;
    QTest::newRow("10 mm") << 0.0 << 110.0 << 1155.0 << 126.0;
    QTest::newRow("20 mm") << 0.0 << 100.0 << 2520.0 << 147.0;
    // Loads far past a coil spring's, up to what the cell's converter takes.
    QTest::newRow("40 mm") << 0.0 << 80.0 << 5880.0 << 189.0;
    // The frame's give takes c·F off the deflection: here F = 1.05 × 100 × (δ + 0.01·δ²) with
    // δ = 10 − 0.0001·F.
    QTest::newRow("10 mm, frame yields") << 0.0001 << 110.0 << 1140.64158 << 125.760465;
}

void TestSimCard::leafSpringStiffens() {
    QFETCH(double, compliance_mm_per_n);
    QFETCH(double, position_mm);
    QFETCH(double, force_n);
    QFETCH(double, rate_n_per_mm);
    putLeafSpring();
    QVERIFY(set(0, "frame_compliance_mm_per_n", compliance_mm_per_n));
    pressThrough({125.0, position_mm});
    COMPARE_NEAR(get(0, "force"), force_n, 1e-6, 1e-9);
    COMPARE_NEAR(get(0, "rate_n_per_mm"), rate_n_per_mm, 1e-6, 1e-9);
    COMPARE_NEAR(get(0, "gap_mm"), position_mm + compliance_mm_per_n * force_n, 0.0, 1e-6);
    COMPARE_NEAR(get(0, "arc_height_mm"), get(0, "gap_mm") - 80.0, 0.0, 1e-9);
    // The cell sees it like any other specimen.
    QCOMPARE(m_api.LoadGetAd(0), int(std::lround(100 + 4 * force_n)));
}

void TestSimCard::leafSpringHysteresis_data() {
    QTest::addColumn<QList<double>>("positions");
    QTest::addColumn<double>("force_n");

    // At 10 mm deflection the leaves alone push back with 1100 N; friction adds or takes off 55 N.
    QTest::newRow("pressed to it") << QList<double>{125, 110} << 1155.0;
    QTest::newRow("let up to it") << QList<double>{125, 105, 110} << 1045.0;
    QTest::newRow("pressed again after letting up") << QList<double>{125, 105, 112, 110} << 1155.0;
    // Turned a hundredth of a millimetre after 10 mm: the friction still sticks, and gives back
    // 20 × 100 N/mm × 0.01 mm of its 55 N; the leaves 100 × (9.99 + 0.01 × 9.99²) = 1098.8001.
    QTest::newRow("turned within the sticking stretch")
        << QList<double>{125, 110, 110.01} << 1098.8001 + 35.0;
}

void TestSimCard::leafSpringHysteresis() {
    QFETCH(QList<double>, positions);
    QFETCH(double, force_n);
    putLeafSpring();
    pressThrough(positions);
    COMPARE_NEAR(get(0, "force"), force_n, 1e-6, 1e-9);
    // Whichever way it was pressed, at one load it stands lower let up than pressed.
    QVERIFY(get(0, "leaf_unloading_arc_mm") < get(0, "leaf_loading_arc_mm"));
}

void TestSimCard::leafSpringSettles_data() {
    QTest::addColumn<int>("pressings");
    QTest::addColumn<double>("pressedTo_mm");
    QTest::addColumn<bool>("letGo");
    QTest::addColumn<int>("counted");
    QTest::addColumn<double>("set_mm");

    // Set 1.5 mm × (1 − 0.4ⁿ) after n pressings past 1000 N (each to 15 mm, about 1800 N).
    QTest::newRow("new") << 0 << 105.0 << true << 0 << 0.0;
    QTest::newRow("once") << 1 << 105.0 << true << 1 << 0.9;
    QTest::newRow("twice") << 2 << 105.0 << true << 2 << 1.26;
    QTest::newRow("five times") << 5 << 105.0 << true << 5 << 1.5 * (1 - std::pow(0.4, 5));
    QTest::newRow("pressed below the set load") << 3 << 115.0 << true << 0 << 0.0;
    QTest::newRow("still held") << 1 << 105.0 << false << 0 << 0.0;
}

void TestSimCard::leafSpringSettles() {
    QFETCH(int, pressings);
    QFETCH(double, pressedTo_mm);
    QFETCH(bool, letGo);
    QFETCH(int, counted);
    QFETCH(double, set_mm);
    putLeafSpring();
    for (int n = 0; n < pressings; ++n) {
        pressThrough({130, pressedTo_mm});
        if (letGo || n + 1 < pressings) pressThrough({130});
    }
    QCOMPARE(get(0, "leaf_pressings"), double(counted));
    COMPARE_NEAR(get(0, "leaf_set_now_mm"), set_mm, 0.0, 1e-9);
    // The spring is touched that much lower: a platen above the new touch point feels nothing.
    if (letGo) {
        COMPARE_NEAR(get(0, "leaf_contact_mm"), 120.0 - set_mm, 0.0, 1e-9);
        pressThrough({120.0 - set_mm + 0.001});
        QCOMPARE(get(0, "force"), 0.0);
        pressThrough({120.0 - set_mm - 0.001});
        QVERIFY(get(0, "force") > 0.0);
    }
}

void TestSimCard::leafSpringTruthMatchesAPressing() {
    // Pressed a step at a time, the spring reaches the probe load where the ground truth says it does.
    putLeafSpring();
    QVERIFY(set(0, "frame_compliance_mm_per_n", 0.00002));
    QVERIFY(set(0, "leaf_probe_load_n", 1500));
    pressThrough({130, 100, 130});  // settled once
    const double truth = get(0, "leaf_loading_arc_mm");
    double x = 125.0;
    while (get(0, "force") < 1500.0 && x > 50.0) pressThrough({x -= 0.001});
    COMPARE_NEAR(get(0, "arc_height_mm"), truth, 0.0, 0.002);
    // And coming back up, where the let-up truth says.
    pressThrough({x -= 5});
    QVERIFY(set(0, "leaf_probe_load_n", 1000));
    const double letUp = get(0, "leaf_unloading_arc_mm");
    while (get(0, "force") > 1000.0 && x < 130.0) pressThrough({x += 0.001});
    COMPARE_NEAR(get(0, "arc_height_mm"), letUp, 0.0, 0.002);
}

void TestSimCard::lastCommandWins() {
    m_api.DASTART(0);
    m_api.servodata(0, 2148);
    QCOMPARE(get(0, "velocity_mm_per_min"), 50.0);
    m_api.SetRate(0, 30.0f);  // a rate alone does not take the crosshead from the valve
    QCOMPARE(get(0, "velocity_mm_per_min"), 50.0);
    m_api.MoveDown(0);
    QCOMPARE(get(0, "velocity_mm_per_min"), -30.0);
    m_api.SetRate(0, 60.0f);  // while moving, a new rate acts at once
    QCOMPARE(get(0, "velocity_mm_per_min"), -60.0);
    QVERIFY(set(0, "rate_scale", 0.5));
    QCOMPARE(get(0, "velocity_mm_per_min"), -30.0);
    m_api.servodata(0, 1948);
    QCOMPARE(get(0, "velocity_mm_per_min"), -50.0);
    m_api.Stop(0);
    QCOMPARE(get(0, "velocity_mm_per_min"), 0.0);
    m_api.SetRate(0, 60.0f);  // stopped stays stopped
    QCOMPARE(get(0, "moving"), 0.0);
}

void TestSimCard::motionFollowsTheClock() {
    constexpr double speed_mm_per_min = 600.0;
    QVERIFY(set(0, "specimen", None));
    m_api.SetRate(0, float(speed_mm_per_min));
    const int32_t before = m_api.ReadPulse(0);

    QElapsedTimer outer;
    outer.start();
    m_api.MoveDown(0);
    QElapsedTimer inner;
    inner.start();
    QThread::msleep(80);
    const qint64 inner_ns = inner.nsecsElapsed();
    m_api.Stop(0);
    const qint64 outer_ns = outer.nsecsElapsed();

    const double travelled_mm = 150.0 - get(0, "position_mm");
    const double per_ns = speed_mm_per_min / 60e9;
    QVERIFY2(travelled_mm >= inner_ns * per_ns - 1e-6 && travelled_mm <= outer_ns * per_ns + 1e-6,
             qPrintable(QStringLiteral("%1 mm in %2…%3 ns").arg(travelled_mm).arg(inner_ns).arg(outer_ns)));
    COMPARE_NEAR(before - m_api.ReadPulse(0), travelled_mm * kPulsesPerMm, 0.0, 1.0);

    // Stopped means stopped.
    const double stopped_at = get(0, "position_mm");
    QThread::msleep(5);
    QCOMPARE(get(0, "position_mm"), stopped_at);
}

void TestSimCard::seededNoiseRepeats() {
    QVERIFY(set(0, "noise_counts", 1.5));
    const auto read = [this](double seed) {
        set(0, "noise_seed", seed);
        std::vector<int32_t> counts(2000);
        for (int32_t& c : counts) c = m_api.LoadGetAd(0);
        return counts;
    };
    const std::vector<int32_t> first = read(42);
    QCOMPARE(read(42), first);
    QVERIFY(read(43) != first);

    double sum = 0.0, squares = 0.0;
    for (int32_t c : first) {
        sum += c;
        squares += double(c) * c;
    }
    const double mean = sum / first.size();
    const double sigma = std::sqrt(squares / first.size() - mean * mean);
    COMPARE_NEAR(mean, 100.0, 0.0, 0.3);
    QVERIFY2(sigma > 1.2 && sigma < 1.9, qPrintable(QString::number(sigma)));
}

// Two acquisition-like readers sleep in the paced converter while another thread drives the crosshead: every
// reader gets its own conversions and a plausible count, and nothing deadlocks.
void TestSimCard::pacedConverterUnderConcurrentCallers() {
    QVERIFY(set(0, "specimen", Compression));
    QVERIFY(set(0, "position_mm", 55));  // 50 N: 300 counts
    // Started after the move, so that no conversion waiting in the FIFO still shows the empty platens.
    QVERIFY(set(0, "conversion_rate_hz", 68000));
    constexpr int kReads = 3000;
    std::atomic<int> implausible{0};
    std::atomic<bool> reading{true};
    const auto reader = [&] {
        for (int i = 0; i < kReads; ++i) {
            const int32_t c = m_api.LoadGetAd(0);
            if (c < 290 || c > 310) ++implausible;
        }
    };
    std::thread a(reader);
    std::thread b(reader);
    std::thread driver([&] {
        while (reading.load()) {
            m_api.SetRate(0, 1.0f);
            m_api.MoveUp(0);
            m_api.ReadPulse(0);
            m_api.Stop(0);
            m_api.GetOutCommand(0);
        }
    });
    a.join();
    b.join();
    reading = false;
    driver.join();
    QCOMPARE(implausible.load(), 0);
    QCOMPARE(get(0, "conversions"), 2.0 * kReads);
}

// A busy machine: now and then a LoadGetAd call is held while the converter goes on. The conversions made
// meanwhile come afterwards, each from where the crosshead was when it was made, while the encoder reads
// where the crosshead is now.
void TestSimCard::heldReaderGetsTheBufferedConversions() {
    QVERIFY(set(0, "specimen", Compression));
    QVERIFY(set(0, "frame_compliance_mm_per_n", 0));
    QVERIFY(set(0, "rate_n_per_mm", 100));  // 400 counts a millimetre
    QVERIFY(set(0, "position_mm", 55));
    QVERIFY(set(0, "conversion_rate_hz", 68000));
    QVERIFY(set(0, "stall_ms", 10));
    QVERIFY(set(0, "stall_every_ms", 60));
    QElapsedTimer clock;
    clock.start();
    m_api.SetRate(0, 600.0f);  // 10 mm/s: 4 counts a millisecond
    m_api.MoveDown(0);

    // A busy test machine may hold any call; the card's own holds are the ones it counts.
    qint64 heldAt_ms = -1, held_ns = 0;
    while (heldAt_ms < 0 && clock.elapsed() < 1000) {
        const qint64 before = clock.nsecsElapsed();
        m_api.LoadGetAd(0);
        held_ns = clock.nsecsElapsed() - before;
        if (get(0, "stalls") > 0.0) heldAt_ms = clock.elapsed();
    }
    QVERIFY2(heldAt_ms >= 50, qPrintable(QStringLiteral("held after %1 ms").arg(heldAt_ms)));
    QVERIFY2(held_ns >= 10'000'000, qPrintable(QStringLiteral("held %1 ns").arg(held_ns)));
    QCOMPARE(get(0, "stalls"), 1.0);

    const int32_t buffered = m_api.LoadGetAd(0);
    const double live = 100.0 + 4.0 * get(0, "force");
    QVERIFY2(live - buffered >= 30.0,
             qPrintable(QStringLiteral("%1 counts, live %2").arg(buffered).arg(live)));
    m_api.Stop(0);

    QVERIFY(set(0, "stall_ms", 0));  // never held again
    QElapsedTimer quiet;
    quiet.start();
    while (quiet.elapsed() < 150) m_api.LoadGetAd(0);
    QCOMPARE(get(0, "stalls"), 1.0);
}

void TestSimCard::crossheadStartsWhereItWasLeft_data() {
    QTest::addColumn<QByteArray>("state");  // null: no state file
    QTest::addColumn<double>("card0_mm");
    QTest::addColumn<double>("card1_mm");

    // The configuration starts card 0 at 80 and card 1 at 150.
    QTest::newRow("as left") << QByteArray("[crosshead]\ncard0 = 123.5\ncard1 = 42.25\n") << 123.5 << 42.25;
    QTest::newRow("one card left") << QByteArray("[Crosshead]\r\nCARD1=60\r\n") << 80.0 << 60.0;
    QTest::newRow("no state") << QByteArray() << 80.0 << 150.0;
    QTest::newRow("damaged") << QByteArray("\x01\xff[cross") << 80.0 << 150.0;
    QTest::newRow("no number") << QByteArray("[crosshead]\ncard0 = 12a\ncard1 = nan\n") << 80.0 << 150.0;
    QTest::newRow("another section") << QByteArray("[card0]\ncard0 = 70\n") << 80.0 << 150.0;
    QTest::newRow("beyond the travel")
        << QByteArray("[crosshead]\ncard0 = 900\ncard1 = -3\n") << 400.0 << 5.0;
}

// A real crosshead stays where it is while the program is off; the simulated one starts where the state file
// beside its configuration says it was left, and where the configuration says when there is nothing to trust.
void TestSimCard::crossheadStartsWhereItWasLeft() {
    QFETCH(QByteArray, state);
    QFETCH(double, card0_mm);
    QFETCH(double, card1_mm);
    testing::TempAppDir dir;
    dir.write(QStringLiteral("simcard.ini"), "[card0]\nstart_position_mm = 80\n");
    if (!state.isNull()) dir.write(QStringLiteral("simcard.state"), state);

    QCOMPARE(m_loadConfig(qPrintable(dir.file(QStringLiteral("simcard.ini")))), 0);
    QCOMPARE(get(0, "position_mm"), card0_mm);
    QCOMPARE(get(1, "position_mm"), card1_mm);
    QCOMPARE(get(0, "start_position_mm"), 80.0);  // the configuration itself is unchanged
    m_reset();                                    // back to the configuration
    QCOMPARE(get(0, "position_mm"), 80.0);
}

void TestSimCard::configurationFile() {
    testing::TempAppDir dir;
    dir.write(QStringLiteral("sim.ini"),
              "; a comment\n"
              "[Machine]\n"
              "Cards = 3\n"
              "specimen = tension   ; every card unless it says otherwise\n"
              "conversion_rate_hz = 0\n"
              "noise_counts = 0\n"
              "[card1]\n"
              "specimen = compression\n"
              "FREE_HEIGHT_MM = 80\n"
              "[CARD2]\n"
              "stretch_when = up\n"
              "load_sign = -1\n"
              "rate_n_per_mm = not a number\n"
              "[card9]\n"
              "specimen = compression\n");
    QCOMPARE(m_loadConfig(qPrintable(dir.file(QStringLiteral("sim.ini")))), 0);
    QCOMPARE(get(0, "cards"), 3.0);
    QCOMPARE(m_api.CardOpen(2), uint8_t(1));
    QCOMPARE(m_api.CardOpen(3), uint8_t(0));
    QCOMPARE(get(0, "specimen"), double(Tension));
    QCOMPARE(get(1, "specimen"), double(Compression));
    QCOMPARE(get(1, "free_height_mm"), 80.0);
    QCOMPARE(get(0, "free_height_mm"), 60.0);
    QCOMPARE(get(2, "stretch_when"), -1.0);
    QCOMPARE(get(2, "rate_n_per_mm"), 10.0);
    QCOMPARE(get(4, "specimen"), double(Tension));
    QCOMPARE(get(1, "conversion_rate_hz"), 0.0);

    // A SimSet lasts until the next reset to the file.
    QVERIFY(set(1, "free_height_mm", 90));
    m_reset();
    QCOMPARE(get(1, "free_height_mm"), 80.0);

    QVERIFY(!set(0, "no_such_key", 1));
    QVERIFY(!set(0, "specimen", 7));
    QVERIFY(std::isnan(get(0, "no_such_key")));

    QCOMPARE(m_loadConfig(qPrintable(dir.file(QStringLiteral("missing.ini")))), -1);
    QCOMPARE(get(0, "cards"), 5.0);
    QCOMPARE(get(0, "specimen"), double(None));
}

void TestSimCard::shippedConfiguration() {
    QCOMPARE(m_loadConfig(SIM_DEFAULT_INI), 0);
    QCOMPARE(get(0, "cards"), 5.0);
    QCOMPARE(get(0, "specimen"), double(Compression));
    QCOMPARE(get(1, "specimen"), double(None));
    QCOMPARE(get(0, "conversion_rate_hz"), 68000.0);
    QCOMPARE(get(0, "stretch_when"), 1.0);
    QCOMPARE(get(0, "solid_rate_n_per_mm"), 1000.0);
    // An exact cell and platens out of reach, so that nothing but a test that asks for them sees either.
    QCOMPARE(get(0, "cell_gain_error"), 0.0);
    QCOMPARE(get(0, "cell_nonlinearity"), 0.0);
    QVERIFY(get(0, "platen_contact_mm") < get(0, "lower_limit_mm"));
    QCOMPARE(get(0, "frame_compliance_mm_per_n"), 0.00002);
    // The crosshead starts above the spring, near enough that a test meets it before giving up the search
    // (a compression test turns back once the platen has come down to 60 % of its starting height).
    const double start = get(0, "position_mm");
    const double freeHeight = get(0, "free_height_mm");
    QVERIFY2(start > freeHeight && 0.6 * start < freeHeight, qPrintable(QString::number(start)));
}

QTEST_GUILESS_MAIN(TestSimCard)
#include "tst_simcard.moc"
