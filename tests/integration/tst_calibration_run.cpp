// Calibration and verification of the load channel through the command line, on the simulated machine with
// a proving ring between the platens and a load cell that reads 3 % high: the verification must find the
// error, the calibration must remove it, and a second verification must show it gone.

#include "platform/ProfileFile.h"
#include "storage/Database.h"
#include "support/ProgramRun.h"
#include "support/SimMachine.h"

#include <QtTest>

#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <csignal>

using namespace springtest;
using springtest::testing::SimMachine;

namespace {

using Run = springtest::testing::ProgramRun;

// Fast enough for a test and slow enough that the stop lands near each force: the ring and the frame
// together give about 14 N per micrometre, so 60 mm/min builds 14 N per reading, and a quarter of that
// over the last tenth of each step.
const QStringList kSimulatorPace{"--speed", "60", "--approach-speed", "200", "--settle", "50"};

}  // namespace

class TestCalibrationRun : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void miscalibratedMachineIsFoundAndMended();
    void tensionSideIsCalibratedPulling();
    void signalStopsTheVerificationAndStoresNothing();
    void overloadTripEndsTheCalibration();
    void standingCrossheadEndsTheRun();
    void badRequestsAreRefusedBeforeAnythingMoves_data();
    void badRequestsAreRefusedBeforeAnythingMoves();

private:
    Run springtest(const QStringList& args) {
        return testing::runSpringtest(m_machine->path(), args, 180000);
    }
    void setSim(const QString& key, const QString& value) { QVERIFY(m_machine->writeSimulator(key, value)); }
    struct Verification {
        QString verificationClass;
        double largestQ = 0.0;  // by magnitude, signed
        int steps = 0;
    };
    // The verification stored last, as the scheme database keeps it.
    Verification lastVerification();
    // The machine the program drives; the test never starts it itself.
    std::unique_ptr<SimMachine> m_machine;
};

TestCalibrationRun::Verification TestCalibrationRun::lastVerification() {
    Database db(m_machine->file("test_information.mdb"));
    Verification v;
    const auto head = db.select("select id, class from force_verification order by id desc limit 1");
    if (!head || head->isEmpty()) return v;
    v.verificationClass = head->front().text("class");
    const auto steps = db.select("select q_pct from force_verification_step where verification_id = ?",
                                 {head->front().value("id")});
    for (const DbRow& row : steps.value_or(QList<DbRow>{})) {
        const double q = row.toDouble("q_pct");
        if (std::abs(q) > std::abs(v.largestQ)) v.largestQ = q;
        ++v.steps;
    }
    return v;
}

void TestCalibrationRun::init() {
    m_machine = std::make_unique<SimMachine>();
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
    setSim("noise_seed", "4711");
    setSim("specimen", "ring");
    setSim("ring_height_mm", "50");
    // Just clear of the ring, so the run does not spend its time on the way there.
    setSim("start_position_mm", "50.5");
    setSim("cell_gain_error", "0.03");
}

void TestCalibrationRun::cleanup() {
    m_machine.reset();
}

void TestCalibrationRun::miscalibratedMachineIsFoundAndMended() {
    const Run before = springtest(QStringList{"verify", "--gear", "1", "--report",
                                              m_machine->file("before.pdf"), "--operator", "tester"} +
                                  kSimulatorPace);
    QVERIFY2(before.exitCode == 0 || before.exitCode == 3, qPrintable(before.out + before.err));
    const Verification found = lastVerification();
    QCOMPARE(found.steps, 5);
    qInfo("before calibration: largest q %.3f %%, class %s", found.largestQ,
          qPrintable(found.verificationClass));
    QVERIFY2(std::abs(found.largestQ - 3.0) < 0.3, qPrintable(before.out));
    QVERIFY2(found.verificationClass == "3" || found.verificationClass == "none", qPrintable(before.out));
    QVERIFY(m_machine->dir().read("before.pdf").startsWith("%PDF"));

    const Run calibrate = springtest(QStringList{"calibrate", "--gear", "1", "--side", "compression",
                                                 "--points", "1500,3000,4500", "--operator", "tester"} +
                                     kSimulatorPace);
    QVERIFY2(calibrate.exitCode == 0, qPrintable(calibrate.out + calibrate.err));
    QCOMPARE(calibrate.out.count("coefficient"), 3);
    // The cell read 3 % high: the first coefficient came down from 1/4 N per count to about 1/4.12.
    const Run audit = springtest({"audit", "--key", "Gear1_Press_Coefficient1"});
    QCOMPARE(audit.exitCode, 0);
    QVERIFY2(audit.out.contains(QRegularExpression(
                 "tester  init0.dat \\[LOAD\\] Gear1_Press_Coefficient1: 0.2500000 → 0.24[23]\\d{4}\n")),
             qPrintable(audit.out));

    const Run after = springtest(
        QStringList{"verify", "--gear", "1", "--report", m_machine->file("after.pdf")} + kSimulatorPace);
    QVERIFY2(after.exitCode == 0, qPrintable(after.out + after.err));
    const Verification mended = lastVerification();
    qInfo("after calibration: largest q %.3f %%, class %s", mended.largestQ,
          qPrintable(mended.verificationClass));
    QVERIFY2(std::abs(mended.largestQ) <= 0.5, qPrintable(after.out));
    QCOMPARE(mended.verificationClass, QStringLiteral("0.5"));
    QVERIFY(m_machine->dir().read("after.pdf").startsWith("%PDF"));
}

// A machine that loads its cell in true tension as the crosshead rises (type 6): the tension points are
// loaded going up, stored as negative loads, and their coefficients undo the cell's 3 %.
void TestCalibrationRun::tensionSideIsCalibratedPulling() {
    setSim("stretch_when", "up");
    setSim("load_sign", "-1");
    setSim("start_position_mm", "49.5");
    const Run r =
        springtest(QStringList{"calibrate", "--gear", "1", "--side", "tension", "--points", "1000,2000"} +
                   kSimulatorPace);
    QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
    QVERIFY(r.out.contains("point 4:") && r.out.contains("point 5:"));
    ProfileFile calibration(m_machine->file("init0.dat"));
    for (const char* key : {"Gear1_Pull_Coefficient1", "Gear1_Pull_Coefficient2"}) {
        const double coefficient = calibration.readDouble("Load", key, 0.0);
        QVERIFY2(std::abs(coefficient - 0.25 / 1.03) < 0.0002, key);
    }
    QVERIFY(calibration.readDouble("Load", "Gear1_Pull_Clibration_value1", 0.0) < -900.0);
    // The compression side was not touched.
    QCOMPARE(calibration.readDouble("Load", "Gear1_Press_Coefficient1", 0.0), 0.25);
}

// Ctrl+C in the middle of a series: the crosshead stops, the half-done verification is neither stored
// nor reported, and the program ends as a signal ends it.
void TestCalibrationRun::signalStopsTheVerificationAndStoresNothing() {
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + "/springtest");
    p.setArguments(QStringList{"--appdir", m_machine->path(), "verify", "--gear", "1", "--report",
                               m_machine->file("cut.pdf")} +
                   kSimulatorPace);
    p.start();
    QString out;
    QTRY_VERIFY_WITH_TIMEOUT(
        (out += QString::fromLocal8Bit(p.readAllStandardOutput())).contains("series 1 step 2"), 60000);
    ::kill(pid_t(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 130);
    QVERIFY2(err.contains("verification not finished: stopped"), qPrintable(err));
    QVERIFY2(err.contains("stopped by signal 2"), qPrintable(err));
    QCOMPARE(lastVerification().steps, 0);
    QVERIFY(!QFile::exists(m_machine->file("cut.pdf")));
}

// A point beyond what the overload protection allows: the trip stops the crosshead, the calibration ends
// at once with the reason instead of waiting for a force that cannot come, the point is not stored, and
// the trip is in the overload log.
void TestCalibrationRun::overloadTripEndsTheCalibration() {
    QVERIFY(ProfileFile(m_machine->file("init0.dat")).writeString("Load", "OverLoadProportion", "0.5"));
    const QByteArray calibrationBefore = m_machine->dir().read("init0.dat");
    const Run r =
        springtest(QStringList{"calibrate", "--gear", "1", "--points", "1000,3000"} + kSimulatorPace);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("the load overload protection stopped the crosshead (1 of 2 points stored)"),
             qPrintable(r.err));
    QVERIFY(r.out.contains("point 1:") && !r.out.contains("point 2:"));
    QVERIFY(m_machine->dir().read("init0.dat") != calibrationBefore);
    Database db(m_machine->file("test_information.mdb"));
    QCOMPARE(db.select("select count(*) as n from load_gz")->front().toInt("n"), 1);
}

// The ring sits below the crosshead's lower travel limit: the crosshead stops there with no switch to say
// so. The run must give up with the reason rather than wait for a force that never comes.
void TestCalibrationRun::standingCrossheadEndsTheRun() {
    setSim("ring_height_mm", "3");
    setSim("lower_limit_mm", "5");
    setSim("lower_limit_bit", "-1");
    setSim("start_position_mm", "5.5");
    const Run r = springtest(QStringList{"calibrate", "--gear", "1", "--points", "1000"} + kSimulatorPace);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("the crosshead does not move (at a travel limit, or the drive is off)"),
             qPrintable(r.err));
    QVERIFY(!r.out.contains("point 1:"));
}

void TestCalibrationRun::badRequestsAreRefusedBeforeAnythingMoves_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("specimen");

    QTest::newRow("calibrate without points")
        << QStringList{"calibrate", "--gear", "1"} << 2 << "calibrate needs --gear and --points"
        << "ring";
    QTest::newRow("calibrate with a side of neither")
        << QStringList{"calibrate", "--gear", "1", "--points", "1000", "--side", "sideways"} << 2
        << "--side must be compression or tension, not sideways"
        << "ring";
    QTest::newRow("calibration points out of order")
        << QStringList{"calibrate", "--gear", "1", "--points", "3000,2000"} << 1
        << "each calibration point must be above 0 and above the one before it (2000)"
        << "ring";
    QTest::newRow("calibration point beyond the range")
        << QStringList{"calibrate", "--gear", "3", "--points", "500,1200"} << 1
        << "the calibration point 1200 is beyond the gear's range of 1000"
        << "ring";
    QTest::newRow("a gear the channel lacks") << QStringList{"calibrate", "--gear", "5", "--points", "100"}
                                              << 1 << "the load channel has gears 1 to 3, not 5"
                                              << "ring";
    QTest::newRow("a force that is no number")
        << QStringList{"calibrate", "--gear", "1", "--points", "1000,lots"} << 2
        << "'lots' is not a force above 0"
        << "ring";
    QTest::newRow("verify with four steps")
        << QStringList{"verify", "--gear", "1", "--steps", "1000,2000,3000,4000"} << 1
        << "a verification needs at least 5 force steps, not 4"
        << "ring";
    QTest::newRow("verify below a fifth of the range")
        << QStringList{"verify", "--gear", "1", "--steps", "500,2000,3000,4000,5000"} << 1
        << "the force step 500 is outside 20 %…100 % of the gear's range (1000 … 5000)"
        << "ring";
    QTest::newRow("a report that would replace a file")
        << QStringList{"verify", "--gear", "1", "--report", QCoreApplication::applicationFilePath()} << 1
        << "exists already; the report is not written over it"
        << "ring";
    QTest::newRow("verify without a gear") << QStringList{"verify"} << 2 << "verify needs --gear"
                                           << "ring";
    QTest::newRow("no proving ring on the simulated card")
        << QStringList{"calibrate", "--gear", "1", "--points", "1000"} << 1
        << "card 0 of the simulated machine has no proving ring between its platens"
        << "none";
}

void TestCalibrationRun::badRequestsAreRefusedBeforeAnythingMoves() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QFETCH(QString, specimen);
    setSim("specimen", specimen);
    const Run r = springtest(args);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(r.exitCode, exitCode);
    // Nothing was loaded and nothing stored.
    QCOMPARE(lastVerification().steps, 0);
    QVERIFY(!r.out.contains("point 1"));
}

QTEST_GUILESS_MAIN(TestCalibrationRun)
#include "tst_calibration_run.moc"
