// Springs on the simulated lateral-stiffness machine, from their scheme to their stored rows: pressed axially
// while the X and Y sensors follow how far the spring's top moves sideways, then turned on the turntable so
// the offset points to 0°; pushed sideways both ways by the lateral drive. Compared with what the simulator
// says the machine is, in the session and through `run`.

#include "measurement/TDisplacement.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOffsetAngle.h"
#include "support/NearCompare.h"
#include "support/ProgramRun.h"
#include "support/SimMachine.h"
#include "support/WorkbookReader.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <csignal>
#include <numbers>

using namespace springtest;
using namespace springtest::testing;

namespace {

constexpr int kMachineTimeout_ms = 120000;

// The axial spring: free height 60 mm, 10 N/mm; its top moves 0.05 mm sideways per mm it is pressed. The
// crosshead starts 2 mm above it and presses it to 45 mm, so the last point stands 0.75 mm off.
constexpr double kFreeHeight_mm = 60.0;
constexpr double kAxialRate_n_per_mm = 10.0;
constexpr double kOffsetPerMm = 0.05;
constexpr double kAxialStart_mm = 62.0;
constexpr double kInitialForce_n = 0.5;
const QList<double> kAxialPoints_mm{55.0, 50.0, 45.0};
constexpr double kAxialSpeed_mm_per_min = 300.0;

// The lateral spring of 20 N/mm stands unloaded where the lateral drive starts (0 mm); the test pushes it
// in by 2, 4 and 6 mm and pulls it out as far.
constexpr double kLateralRate_n_per_mm = 20.0;
const QList<double> kLateralPoints_mm{2.0, 4.0, 6.0};
constexpr double kLateralSpeed_mm_per_min = 120.0;

// What the issue asks of the machine: offsets within 0.02 mm, angles within 0.5°, the lateral spring within
// 1 % of its rate.
constexpr double kOffsetTolerance_mm = 0.02;
constexpr double kAngleTolerance_deg = 0.5;
constexpr double kRateTolerance = 0.01;

class NoGrid : public ResultGrid {
public:
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int) override {}
    void setCell(int, int, const QString&) override {}
};

StandardScheme axialScheme() {
    StandardScheme s;
    s.scheme_name = QStringLiteral("AX");
    s.scheme_style = QStringLiteral("0");  // displacement - load
    s.scheme_jh = 1;
    s.scheme_type = true;
    s.scheme_height = QString::number(kFreeHeight_mm);
    s.scheme_load = QString::number(kInitialForce_n);
    s.scheme_sum = QString::number(kAxialPoints_mm.size());
    for (int k = 0; k < kAxialPoints_mm.size(); ++k)
        s.points[static_cast<size_t>(k)] = {QString::number(kAxialPoints_mm[k]), QStringLiteral("0"),
                                            QStringLiteral("0")};
    return s;
}

StandardScheme lateralScheme() {
    StandardScheme s;
    s.scheme_name = QStringLiteral("LA");
    s.scheme_style = QStringLiteral("1");  // deformation - load
    s.scheme_jh = 2;
    s.scheme_type = false;
    s.scheme_height = QStringLiteral("0");  // where the lateral spring carries nothing
    s.scheme_load = QStringLiteral("0.2");
    s.scheme_sum = QString::number(kLateralPoints_mm.size());
    for (int k = 0; k < kLateralPoints_mm.size(); ++k)
        s.points[static_cast<size_t>(k)] = {QString::number(kLateralPoints_mm[k]), QStringLiteral("0"),
                                            QStringLiteral("0")};
    return s;
}

// Degrees of a difference of angles, folded into −180 … 180.
double angleDifference_deg(double a, double b) {
    return std::remainder(a - b, 360.0);
}

QList<DbRow> storedRows(const QString& batch) {
    Database db(batch);
    return db.select(QStringLiteral("select * from test_result order by rowid")).value_or(QList<DbRow>{});
}

QString storedAngle(const QString& batch, int serial) {
    Database db(batch);
    const auto angles = readTestOffsetAngles(db);
    return angles ? angles->value(serial, QStringLiteral("(none)")) : QStringLiteral("(unreadable)");
}

// Test 1's lateral report as the program exports it, read back by an independent reader: the cells of the
// sheet it shows ("B5" → {"v": text, ...}). Empty when it was not exported or could not be read (said).
QJsonObject exportedReport(const QString& app, const QString& batchNumber) {
    const ProgramRun exported =
        runSpringtest(app, {"export", "report", "--batch", batchNumber, "--test", "1"});
    if (exported.exitCode != 0) {
        qWarning("%s", qPrintable(exported.err));
        return {};
    }
    const QJsonObject book = readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), exported.out.trimmed());
    return book["cells"][book["active"].toString()].toObject();
}

double cellNumber(const QJsonObject& cells, const QString& cell) {
    bool ok = false;
    const double value = cells[cell]["v"].toString().toDouble(&ok);
    return ok ? value : std::nan("");
}

QList<QJsonObject> jsonEvents(const QString& out) {
    QList<QJsonObject> events;
    for (const QString& line : out.split('\n', Qt::SkipEmptyParts))
        if (const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8()); d.isObject())
            events << d.object();
    return events;
}

// Where the axial spring's top stands sideways, relative to where it stood at the contact (where the
// sensors are zeroed), when it carries `load_n`: by the simulated spring's own law, so that the reading
// the point was taken at is the reference, however late it came.
struct Offset {
    double x_mm, y_mm;
};
Offset offsetAtLoad(double load_n, double angle_deg) {
    const double r = kOffsetPerMm * (load_n - kInitialForce_n) / kAxialRate_n_per_mm;
    const double theta = angle_deg * std::numbers::pi / 180.0;
    return {-r * std::sin(theta), -r * std::cos(theta)};
}

}  // namespace

class TestLateralRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void axialTestFollowsTheOffset_data();
    void axialTestFollowsTheOffset();
    void lateralTestMeasuresTheLateralRate();
    void commandLineRunsTheAxialTest_data();
    void commandLineRunsTheAxialTest();
    void commandLineRunsTheLateralTest();
    void interruptedRunStoresNothingHalfMade_data();
    void interruptedRunStoresNothingHalfMade();
    void commandLineRefusesWhatTheMachineCannot_data();
    void commandLineRefusesWhatTheMachineCannot();

private:
    void setUpLateralMachine(double offsetAngle_deg, double axialStart_mm = kAxialStart_mm);
    QString makeBatch(const StandardScheme& scheme, const QString& batchNumber);
    // Runs the opened batch's test on `card` in this process until it is stored and, after an axial test,
    // positioned; the states it went through. `lateTravel_mm` gets how far the drive may have gone on
    // while the acquisition loop was held up.
    QList<TestState> runInSession(TTestStyle& seq, int card, double speed_mm_per_min, double& lateTravel_mm);
    std::unique_ptr<SimMachine> m_machine;
};

void TestLateralRun::initTestCase() {
    const QString& error = SimulatorLibrary::instance().error();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestLateralRun::init() {
    m_machine = std::make_unique<SimMachine>(5);
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
}

void TestLateralRun::cleanup() {
    m_machine.reset();
}

void TestLateralRun::setUpLateralMachine(double offsetAngle_deg, double axialStart_mm) {
    const QList<std::pair<QString, QString>> axial{
        {"start_position_mm", QString::number(axialStart_mm)},
        {"free_height_mm", QString::number(kFreeHeight_mm)},
        {"rate_n_per_mm", QString::number(kAxialRate_n_per_mm)},
        {"lateral_offset_per_mm", QString::number(kOffsetPerMm)},
        {"lateral_offset_angle_deg", QString::number(offsetAngle_deg)},
        {"noise_seed", "4711"}};
    for (const auto& [key, value] : axial) QVERIFY(m_machine->writeSimulator(key, value, 0));
    QVERIFY(m_machine->writeSimulator("lateral_rate_n_per_mm", QString::number(kLateralRate_n_per_mm), 1));
}

QString TestLateralRun::makeBatch(const StandardScheme& scheme, const QString& batchNumber) {
    QString error;
    if (!insertScheme(schemeDatabasePath(m_machine->path()), scheme, &error)) {
        qWarning("%s", qPrintable(error));
        return {};
    }
    const BatchOutcome made = newBatch(m_machine->path(), BatchKind::Lateral, batchNumber, scheme.scheme_name,
                                       [](const QString&, const QString&) { return false; });
    if (!made.ok) qWarning("%s", qPrintable(made.messages.join(' ')));
    return made.ok ? made.path : QString();
}

QList<TestState> TestLateralRun::runInSession(TTestStyle& seq, int card, double speed_mm_per_min,
                                              double& lateTravel_mm) {
    QList<TestState> states;
    WindowTarget panel([&](int) { states << seq.state(); });
    seq.setPanelTarget(&panel);
    seq.SetTestSpeed(static_cast<float>(speed_mm_per_min));
    seq.SetSpeedMode(SpeedMode::Constant);
    m_machine->session().acquisition()->resetCycleGap();
    seq.StartTest(card);
    const auto done = [&] {
        const bool ended = states.contains(TestState::Stored) || states.contains(TestState::StoreFailed);
        return ended && seq.isIdle() && !seq.turntableTimerActive();
    };
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < kMachineTimeout_ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // A computer too busy to run the acquisition loop for a while holds every reading up that long: a point
    // is then taken that much travel late. That travel is allowed for beyond the tolerances, and said.
    const double heldUp_s = m_machine->session().acquisition()->longestCycleGapUs() / 1e6;
    lateTravel_mm = speed_mm_per_min / 60.0 * std::max(0.0, heldUp_s - 0.005);
    if (lateTravel_mm > 0.01)
        qInfo("the acquisition loop was held up for %.0f ms: up to %.3f mm of travel late", heldUp_s * 1000,
              lateTravel_mm);
    // Whatever did not end is stopped; that is no state the test went through.
    const QList<TestState> wentThrough = states;
    seq.StopTest();
    seq.setPanelTarget(nullptr);
    return wentThrough;
}

void TestLateralRun::axialTestFollowsTheOffset_data() {
    QTest::addColumn<double>("offsetAngle");
    QTest::addColumn<double>("turntableTurn");  // what positioning turns by, in degrees (up positive)
    // Short turns, either way: the turntable turns 6° a second.
    QTest::newRow("turned up") << 350.0 << 10.0;
    QTest::newRow("turned down") << 15.0 << -15.0;
}

void TestLateralRun::axialTestFollowsTheOffset() {
    QFETCH(double, offsetAngle);
    QFETCH(double, turntableTurn);
    setUpLateralMachine(offsetAngle);
    QVERIFY(m_machine->loadSimulator());
    const QString batch = makeBatch(axialScheme(), "A");
    QVERIFY(!batch.isEmpty());

    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    QCOMPARE(m_machine->session().cards().count, 4);
    TTestStyle seq(5, m_machine->session().cards());
    installProceduresForMachineType(seq);
    m_machine->startAcquisition(&seq.sampleSlot());
    NoGrid grid;
    const OpenBatchOutcome opened = openBatchForTesting(seq, &grid, batch);
    QVERIFY2(opened.ok, qPrintable(opened.message));
    m_machine->card(0).displacement->SetDisplacement(static_cast<float>(kAxialStart_mm));
    QVERIFY(m_machine->readingsPass(5));
    const double turntableBefore = m_machine->simGet("turntable_angle_deg", 2);
    seq.SetAutoRotate(true);
    double lateTravel_mm = 0;
    const QList<TestState> states = runInSession(seq, 0, kAxialSpeed_mm_per_min, lateTravel_mm);
    const double turntableAfter = m_machine->simGet("turntable_angle_deg", 2);
    QVERIFY(m_machine->shutdown().isEmpty());

    QVERIFY2(states.contains(TestState::Stored), qPrintable(QStringLiteral("states: %1").arg(states.size())));
    QVERIFY(states.contains(TestState::TurntableStarted));
    QCOMPARE(states.last(), TestState::TurntablePositioned);

    const QList<DbRow> rows = storedRows(batch);
    QCOMPARE(rows.size(), 1);
    const DbRow& row = rows.first();
    // Held-up readings set a load against sensors read that much later: the spring was pressed further.
    const double lateOffset_mm = kOffsetPerMm * lateTravel_mm;
    Offset last{};
    for (int k = 1; k <= kAxialPoints_mm.size(); ++k) {
        const QString where = QStringLiteral("point %1").arg(k);
        const Offset truth = offsetAtLoad(row.toDouble(QStringLiteral("result%1").arg(k)), offsetAngle);
        COMPARE_NEAR(row.toDouble(QStringLiteral("x_value%1").arg(k)), truth.x_mm, 0,
                     kOffsetTolerance_mm + lateOffset_mm, where);
        COMPARE_NEAR(row.toDouble(QStringLiteral("y_value%1").arg(k)), truth.y_mm, 0,
                     kOffsetTolerance_mm + lateOffset_mm, where);
        COMPARE_NEAR(row.toDouble(QStringLiteral("pianyi_value%1").arg(k)),
                     std::hypot(truth.x_mm, truth.y_mm), 0, kOffsetTolerance_mm + lateOffset_mm, where);
        last = truth;
    }
    // The last point stood 0.75 mm off: far enough that its direction is the simulator's to the degree.
    QVERIFY(std::hypot(last.x_mm, last.y_mm) > 0.7);
    const QString angle = storedAngle(batch, 1);
    bool isNumber = false;
    const double stored = angle.toDouble(&isNumber);
    QVERIFY2(isNumber, qPrintable(angle));
    COMPARE_NEAR(angleDifference_deg(stored, offsetAngle + turntableBefore), 0.0, 0, kAngleTolerance_deg);

    // The turntable turned the offset to 0°, the short way.
    COMPARE_NEAR(turntableAfter - turntableBefore, turntableTurn, 0, kAngleTolerance_deg);
    COMPARE_NEAR(angleDifference_deg(offsetAngle + turntableAfter, 0.0), 0.0, 0, kAngleTolerance_deg);
}

void TestLateralRun::lateralTestMeasuresTheLateralRate() {
    setUpLateralMachine(120.0);
    QVERIFY(m_machine->loadSimulator());
    const QString batch = makeBatch(lateralScheme(), "L");
    QVERIFY(!batch.isEmpty());

    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    TTestStyle seq(5, m_machine->session().cards());
    installProceduresForMachineType(seq);
    m_machine->startAcquisition(&seq.sampleSlot());
    NoGrid grid;
    const OpenBatchOutcome opened = openBatchForTesting(seq, &grid, batch);
    QVERIFY2(opened.ok, qPrintable(opened.message));
    QVERIFY(m_machine->readingsPass(5));
    QCOMPARE(m_machine->simGet("lateral_rate_n_per_mm", 1), kLateralRate_n_per_mm);
    QVERIFY(std::abs(m_machine->simGet("lateral_force_n", 1)) < 0.05);
    seq.SetAutoRotate(true);  // a lateral test never turns the turntable
    double lateTravel_mm = 0;
    const QList<TestState> states = runInSession(seq, 1, kLateralSpeed_mm_per_min, lateTravel_mm);
    const double turntable = m_machine->simGet("turntable_angle_deg", 2);
    QVERIFY(m_machine->shutdown().isEmpty());

    QCOMPARE(states.count(TestState::PointCaptured), 2 * kLateralPoints_mm.size());
    QVERIFY(states.contains(TestState::Stored));
    QVERIFY(!states.contains(TestState::TurntableStarted));
    QCOMPARE(turntable, 0.0);

    // Both strokes, the pull stored by its magnitudes as the push.
    const QList<DbRow> rows = storedRows(batch);
    QCOMPARE(rows.size(), 2);
    for (int stroke = 1; stroke <= 2; ++stroke) {
        const DbRow& row = rows[stroke - 1];
        // Each end of a point's span may have been read late; either stroke starts from a zero taken where
        // the drive stopped, which may be as late.
        const double lateLoad_n = kLateralRate_n_per_mm * 2 * lateTravel_mm;
        for (int k = 1; k <= kLateralPoints_mm.size(); ++k) {
            const QString where = QStringLiteral("stroke %1 point %2").arg(stroke).arg(k);
            const double truth_n = kLateralRate_n_per_mm * kLateralPoints_mm[k - 1];
            COMPARE_NEAR(row.toDouble(QStringLiteral("result%1").arg(k)), truth_n, kRateTolerance, lateLoad_n,
                         where);
            const double span_mm =
                k == 1 ? kLateralPoints_mm[0] : kLateralPoints_mm[k - 1] - kLateralPoints_mm[k - 2];
            COMPARE_NEAR(row.toDouble(QStringLiteral("gangdu%1").arg(k)), kLateralRate_n_per_mm,
                         kRateTolerance, lateLoad_n / span_mm, where);
        }
    }
    QCOMPARE(storedAngle(batch, 1), QStringLiteral("(none)"));  // only an axial test has an angle
}

void TestLateralRun::commandLineRunsTheAxialTest_data() {
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QList<int>>("states");
    // Back where it started, the crosshead has let the spring go: the turntable turns the offset to 0°.
    QTest::newRow("unloaded, turned") << kAxialStart_mm << 0 << QList<int>{0, 5, 2, 3, 6, 8};
    // Started 1 mm into the spring, it comes back onto it: the turntable may not turn under load. The test
    // is stored all the same.
    QTest::newRow("loaded, refused") << kFreeHeight_mm - 1 << 1 << QList<int>{0, 5, 2, 3, 7};
}

void TestLateralRun::commandLineRunsTheAxialTest() {
    QFETCH(double, start);
    QFETCH(int, exitCode);
    QFETCH(QList<int>, states);
    const double offsetAngle = 350.0;
    setUpLateralMachine(offsetAngle, start);
    const QString batch = makeBatch(axialScheme(), "A");
    QVERIFY(!batch.isEmpty());
    const ProgramRun run =
        runSpringtest(m_machine->path(),
                      {"run", "--batch", "A", "--speed", QString::number(kAxialSpeed_mm_per_min),
                       "--displacement", QString::number(start), "--rotate", "--json"},
                      kMachineTimeout_ms);
    QVERIFY2(run.exitCode == exitCode, qPrintable(run.out + run.err));

    QList<int> seen;
    QList<QJsonObject> points, turntable;
    QJsonObject result, summary;
    for (const QJsonObject& e : jsonEvents(run.out)) {
        if (e["event"] == "state" || e["event"] == "turntable") seen << e["state"].toInt();
        if (e["event"] == "point") points << e["data"].toObject();
        if (e["event"] == "turntable") turntable << e;
        if (e["event"] == "result") result = e;
        if (e["event"] == "summary") summary = e;
    }
    if (seen != states) qInfo().noquote() << run.out << run.err;
    QCOMPARE(seen, states);
    QCOMPARE(points.size(), kAxialPoints_mm.size());

    // What was told is what was stored: X, Y and the offset at each point, and the angle.
    const QList<DbRow> rows = storedRows(batch);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(result["kind"].toString(), QString("axial"));
    const QJsonArray told = result["points"].toArray();
    QCOMPARE(told.size(), kAxialPoints_mm.size());
    for (int k = 1; k <= kAxialPoints_mm.size(); ++k) {
        const QString where = QStringLiteral("point %1").arg(k);
        for (const auto& [json, column] :
             {std::pair{"x", "x_value"}, {"y", "y_value"}, {"offset", "pianyi_value"}}) {
            const double stored = rows[0].toDouble(QStringLiteral("%1%2").arg(column).arg(k));
            QVERIFY2(told[k - 1][json].toDouble() == stored, qPrintable(where + ' ' + json));
            QVERIFY2(points[k - 1][json].toDouble() == stored, qPrintable(where + ' ' + json));
        }
        const Offset truth = offsetAtLoad(rows[0].toDouble(QStringLiteral("result%1").arg(k)), offsetAngle);
        // The accuracy is the session's test above, which knows how late the readings came; here a coarse
        // bound that still tells a swapped or lost sensor.
        COMPARE_NEAR(told[k - 1]["x"].toDouble(), truth.x_mm, 0, 0.05, where);
        COMPARE_NEAR(told[k - 1]["y"].toDouble(), truth.y_mm, 0, 0.05, where);
    }
    QCOMPARE(result["offset_angle"].toDouble(), storedAngle(batch, 1).toDouble());
    COMPARE_NEAR(angleDifference_deg(result["offset_angle"].toDouble(), offsetAngle), 0.0, 0,
                 kAngleTolerance_deg);

    QCOMPARE(summary["turntable_positioned"].toInt(), exitCode == 0 ? 1 : 0);
    QCOMPARE(summary["turntable_refused"].toInt(), exitCode == 0 ? 0 : 1);
    if (exitCode == 0) {
        // The turntable's own angle reading where it stopped: 10° up, turning 350° to 0°.
        COMPARE_NEAR(turntable.last()["angle"].toDouble(), 10.0, 0, kAngleTolerance_deg);
    } else {
        QVERIFY2(run.err.contains("轴向负荷在受力状态，转盘不能进行旋转！！"), qPrintable(run.err));
    }

    // The report carries the angle in its head and each point's offset beside its load.
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the report back");
    const QJsonObject report = exportedReport(m_machine->path(), "A");
    QVERIFY(!report.isEmpty());
    QCOMPARE(cellNumber(report, "B5"), storedAngle(batch, 1).toDouble());
    for (int k = 1; k <= kAxialPoints_mm.size(); ++k) {
        const QString row = QString::number(35 + k);
        QCOMPARE(cellNumber(report, "D" + row), rows[0].toDouble(QStringLiteral("result%1").arg(k)));
        QCOMPARE(cellNumber(report, "G" + row), rows[0].toDouble(QStringLiteral("pianyi_value%1").arg(k)));
    }
}

void TestLateralRun::commandLineRunsTheLateralTest() {
    setUpLateralMachine(120.0);
    const QString batch = makeBatch(lateralScheme(), "L");
    QVERIFY(!batch.isEmpty());
    const ProgramRun run = runSpringtest(
        m_machine->path(), {"run", "--batch", "L", "--speed", QString::number(kLateralSpeed_mm_per_min)},
        kMachineTimeout_ms);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    // Told in words: both strokes, each point's load and stiffness, and no height it did not measure.
    QVERIFY2(run.out.contains("lateral test of a spring"), qPrintable(run.out));
    QVERIFY2(run.out.contains("stroke 2 point 3 at 6:"), qPrintable(run.out));
    QVERIFY2(!run.out.contains("free height"), qPrintable(run.out));

    const QList<DbRow> rows = storedRows(batch);
    QCOMPARE(rows.size(), 2);
    const QString pulled = QStringLiteral("  stroke 2 point 3 at 6: %1  stiffness %2")
                               .arg(rows[1].text("result3"), rows[1].text("gangdu3"));
    QVERIFY2(run.out.count(pulled) == 1, qPrintable(pulled + '\n' + run.out));
    // Coarsely: the accuracy is the session's test above.
    COMPARE_NEAR(rows[1].toDouble("result3"), kLateralRate_n_per_mm * 6, 0.05, 0);

    // The report shows both strokes side by side: loads, then stiffnesses.
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the report back");
    const QJsonObject report = exportedReport(m_machine->path(), "L");
    QVERIFY(!report.isEmpty());
    for (int k = 1; k <= kLateralPoints_mm.size(); ++k) {
        const QString row = QString::number(35 + k);
        const QString result = QStringLiteral("result%1").arg(k),
                      stiffness = QStringLiteral("gangdu%1").arg(k);
        QCOMPARE(cellNumber(report, "D" + row), rows[0].toDouble(result));
        QCOMPARE(cellNumber(report, "E" + row), rows[1].toDouble(result));
        QCOMPARE(cellNumber(report, "G" + row), rows[0].toDouble(stiffness));
        QCOMPARE(cellNumber(report, "H" + row), rows[1].toDouble(stiffness));
    }
}

void TestLateralRun::interruptedRunStoresNothingHalfMade_data() {
    QTest::addColumn<bool>("lateral");
    QTest::addColumn<QString>("interruptAt");  // what the run has printed when Ctrl+C comes
    QTest::addColumn<int>("rowsStored");
    // Pushed in at 20 mm/min, the spring is still on its way to the first point.
    QTest::newRow("pushing the lateral spring") << true << "[0]" << 0;
    // The test before is stored whole; the turntable, 120° from 0 at 6° a second, is still turning.
    QTest::newRow("turning the turntable") << false << "[6]" << 1;
}

void TestLateralRun::interruptedRunStoresNothingHalfMade() {
    QFETCH(bool, lateral);
    QFETCH(QString, interruptAt);
    QFETCH(int, rowsStored);
    setUpLateralMachine(120.0);
    const QString batch = makeBatch(lateral ? lateralScheme() : axialScheme(), "B");
    QVERIFY(!batch.isEmpty());
    QStringList args{"--appdir", m_machine->path(), "run", "--batch", "B", "--speed"};
    args << (lateral ? QStringList{"20"}
                     : QStringList{QString::number(kAxialSpeed_mm_per_min), "--rotate", "--displacement",
                                   QString::number(kAxialStart_mm)});
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/springtest", args);
    p.closeWriteChannel();
    QString out;
    QDeadlineTimer deadline(kMachineTimeout_ms);
    while (!out.contains(interruptAt) && !deadline.hasExpired() && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(100);
        out += QString::fromUtf8(p.readAllStandardOutput());
    }
    QVERIFY2(out.contains(interruptAt), qPrintable(out + p.readAllStandardError()));
    QTest::qWait(300);
    ::kill(static_cast<pid_t>(p.processId()), SIGINT);
    QVERIFY(p.waitForFinished(30000));
    out += QString::fromUtf8(p.readAllStandardOutput());
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QVERIFY2(p.exitCode() == 128 + SIGINT, qPrintable(out + err));
    QVERIFY2(err.contains("stopped by signal"), qPrintable(err));
    QVERIFY2(!out.contains("[8]"), qPrintable(out));
    QCOMPARE(storedRows(batch).size(), rowsStored);
}

void TestLateralRun::commandLineRefusesWhatTheMachineCannot_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("lateral");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("turning a lateral test")
        << 5 << true << QStringList{"--rotate"} << 1 << "横向测试不支持角度定位!!";
    QTest::newRow("a lateral test on the axial drive")
        << 5 << true << QStringList{"--card", "0"} << 2 << "a lateral one on card 1";
    QTest::newRow("an axial test on the lateral drive")
        << 5 << false << QStringList{"--card", "1"} << 2 << "an axial scheme is tested on card 0";
    QTest::newRow("a turntable the machine lacks")
        << 0 << false << QStringList{"--rotate"} << 2 << "--rotate is for the lateral-stiffness machine";
}

void TestLateralRun::commandLineRefusesWhatTheMachineCannot() {
    QFETCH(int, machineType);
    QFETCH(bool, lateral);
    QFETCH(QStringList, options);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(!makeBatch(lateral ? lateralScheme() : axialScheme(), "B").isEmpty());
    QVERIFY(m_machine->writeChannel("system", "MachineType", QString::number(machineType)));
    const ProgramRun run =
        runSpringtest(m_machine->path(), QStringList{"run", "--batch", "B", "--speed", "100"} + options);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(storedRows(m_machine->file("database_HXGD/B.mdb")).isEmpty());
}

QTEST_GUILESS_MAIN(TestLateralRun)
#include "tst_lateral_run.moc"
