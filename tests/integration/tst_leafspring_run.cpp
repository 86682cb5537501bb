// A leaf spring on the simulated leaf-spring machine, from its scheme to its stored row: pressed as often as
// the operator chose, then measured; its arc heights and stiffness against what the simulated spring is at
// each pressing (read through the simulator's test functions while the test runs), and the same road
// through the command line.

#include "measurement/TDisplacement.h"
#include "results/Ttest_result_gbth.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/TTestStyle.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/NearCompare.h"
#include "support/ProgramRun.h"
#include "support/SimMachine.h"
#include "support/WorkbookReader.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <map>

using namespace springtest;
using namespace springtest::testing;

namespace {

constexpr int kMachineTimeout_ms = 180000;

// The spring as the simulator is set up below: touched at a gap of 40 + 30 + 50 = 120 mm, 150 N/mm
// stiffening by 2 % per mm, ±5 % friction between the leaves, a set of up to 1.5 mm settling by 0.4 per
// pressing. The crosshead starts 10 mm above it.
constexpr double kStart_mm = 130.0;
constexpr double kInitialForce_n = 20.0;
constexpr double kSetLoad_n = 1000.0;
constexpr double kProofLoad_n = 3000.0;
constexpr double kMaxLoad_n = 3600.0;
const QList<double> kPoints_n{1000.0, 2000.0, 3000.0};
constexpr double kSpeed_mm_per_min = 300.0;

// Lengths within 1 % or 0.05 mm, whichever is more. Stiffness within 1 %.
double lengthTolerance(double truth_mm) {
    return std::max(0.01 * std::abs(truth_mm), 0.05);
}
constexpr double kStiffnessTolerance = 0.01;

LeafSpringScheme leafScheme() {
    LeafSpringScheme s;
    s.scheme_name = QStringLiteral("LS");
    s.scheme_style = QStringLiteral("3");
    s.scheme_jh = 2;
    s.scheme_load = QString::number(kInitialForce_n);
    s.scheme_sum = QString::number(kPoints_n.size());
    for (int k = 0; k < kPoints_n.size(); ++k)
        s.points[static_cast<size_t>(k)] = {QString::number(kPoints_n[k]), QStringLiteral("0"),
                                            QStringLiteral("0")};
    s.scheme_sdload = QString::number(kSetLoad_n);
    s.scheme_th_height = QStringLiteral("30");
    s.scheme_xc_height = QStringLiteral("50");
    s.scheme_xbbj = QStringLiteral("20");
    s.scheme_yyload = QString::number(kProofLoad_n);
    s.scheme_returnLOAD = QString::number(kMaxLoad_n);
    return s;
}

class NoGrid : public ResultGrid {
public:
    void setColumnWidths(const QList<int>&) override {}
    void setRowCount(int) override {}
    void setCell(int, int, const QString&) override {}
};

// What the simulated spring is at the start of one pressing, the crosshead above it: the arc heights at
// which it carries each load pressed further and let up.
struct SpringTruth {
    std::map<double, double> loadingArc_mm, unloadingArc_mm;
};

QList<DbRow> storedRows(const QString& batch) {
    Database db(batch);
    return db.select(QStringLiteral("select * from GBTH_result order by rowid")).value_or(QList<DbRow>{});
}

double stored(const DbRow& row, const QString& column) {
    return row.isEmpty(column) ? std::nan("") : row.toDouble(column);
}

}  // namespace

class TestLeafSpringRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void measuredAsTheSpringIs_data();
    void measuredAsTheSpringIs();
    void commandLineRunsTheLeafSpring();
    void commandLineAsksForThePrecompressions_data();
    void commandLineAsksForThePrecompressions();

private:
    void setUpLeafMachine();
    SpringTruth truthNow(const QList<double>& loads);
    std::unique_ptr<SimMachine> m_machine;
};

void TestLeafSpringRun::initTestCase() {
    const QString& error = SimulatorLibrary::instance().error();
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

void TestLeafSpringRun::init() {
    m_machine = std::make_unique<SimMachine>();
    QVERIFY2(m_machine->error().isEmpty(), qPrintable(m_machine->error()));
    setUpLeafMachine();
}

void TestLeafSpringRun::cleanup() {
    m_machine.reset();
}

void TestLeafSpringRun::setUpLeafMachine() {
    QVERIFY(m_machine->writeChannel("system", "MachineType", "3"));
    // The channel starts in its finest gear, a thousandth of what a leaf spring carries: the gear follows
    // the load up, as a lab testing leaf springs sets it.
    QVERIFY(m_machine->writeChannel("Load", "auto_gear", "1"));
    const QList<std::pair<QString, QString>> simulator{{"specimen", "leaf"},
                                                       {"start_position_mm", QString::number(kStart_mm)},
                                                       {"leaf_free_arc_mm", "40"},
                                                       {"leaf_thickness_mm", "30"},
                                                       {"carriage_height_mm", "50"},
                                                       {"leaf_rate_n_per_mm", "150"},
                                                       {"leaf_progression_per_mm", "0.02"},
                                                       {"leaf_friction", "0.05"},
                                                       {"leaf_set_mm", "1.5"},
                                                       {"leaf_set_ratio", "0.4"},
                                                       {"leaf_set_load_n", "1000"},
                                                       {"noise_seed", "4711"}};
    for (const auto& [key, value] : simulator) QVERIFY(m_machine->writeSimulator(key, value));
}

SpringTruth TestLeafSpringRun::truthNow(const QList<double>& loads) {
    SpringTruth truth;
    for (const double load : loads) {
        if (!m_machine->simSet("leaf_probe_load_n", load)) return {};
        truth.loadingArc_mm[load] = m_machine->simGet("leaf_loading_arc_mm");
        truth.unloadingArc_mm[load] = m_machine->simGet("leaf_unloading_arc_mm");
    }
    return truth;
}

void TestLeafSpringRun::measuredAsTheSpringIs_data() {
    QTest::addColumn<int>("precompressions");
    // None: the spring is pressed once to the proof load and then measured, so its free arc height comes from
    // the first contact and the arc height after pressing from the second.
    QTest::newRow("none") << 0;
    QTest::newRow("two") << 2;
}

void TestLeafSpringRun::measuredAsTheSpringIs() {
    QFETCH(int, precompressions);
    QVERIFY(m_machine->loadSimulator());
    QVERIFY(insertScheme(schemeDatabasePath(m_machine->path()), leafScheme()));
    const BatchOutcome made = newBatch(m_machine->path(), BatchKind::LeafSpring, "L", "LS",
                                       [](const QString&, const QString&) { return false; });
    QVERIFY2(made.ok, qPrintable(made.messages.join(' ')));

    QCOMPARE(m_machine->start(), MachineSession::Outcome::Running);
    TTestStyle seq(3, m_machine->session().cards());
    installProceduresForMachineType(seq);
    // At the start of every pressing the spring is clear of the platen: what it is then is what that
    // pressing measures. The acquisition thread waits while this runs.
    std::map<int, SpringTruth> truthAtCycle;
    QList<TestState> states;
    QList<double> probes{kInitialForce_n, kSetLoad_n};
    probes += kPoints_n;
    WindowTarget panel([&](int) {
        states << seq.state();
        if (seq.state() == TestState::Started) truthAtCycle[seq.cycle()] = truthNow(probes);
    });
    seq.setPanelTarget(&panel);
    m_machine->startAcquisition(&seq.sampleSlot());

    NoGrid grid;
    const OpenBatchOutcome opened = openBatchForTesting(seq, &grid, made.path);
    QVERIFY2(opened.ok, qPrintable(opened.message));
    m_machine->card().displacement->SetDisplacement(static_cast<float>(kStart_mm));
    QVERIFY(m_machine->readingsPass(5));
    seq.SetPrecompressCount(precompressions);
    seq.SetTestSpeed(static_cast<float>(kSpeed_mm_per_min));
    seq.SetSpeedMode(SpeedMode::Constant);
    m_machine->session().acquisition()->resetCycleGap();
    seq.StartTest(0);
    QElapsedTimer clock;
    clock.start();
    while (!(seq.isIdle() && states.contains(TestState::Stored)) && clock.elapsed() < kMachineTimeout_ms) {
        QEventLoop loop;
        QTimer::singleShot(10, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double pressings = m_machine->simGet("leaf_pressings");
    // A computer too busy to run the acquisition loop for a while holds every reading up that long: a point
    // is then taken that much travel late. Beyond the tolerances, that travel is allowed for, and said.
    const double heldUp_s = m_machine->session().acquisition()->longestCycleGapUs() / 1e6;
    const double lateTravel_mm = kSpeed_mm_per_min / 60.0 * std::max(0.0, heldUp_s - 0.005);
    if (lateTravel_mm > 0.01)
        qInfo("the acquisition loop was held up for %.0f ms: up to %.3f mm of travel late", heldUp_s * 1000,
              lateTravel_mm);
    seq.StopTest();
    seq.StopCurveTimer();
    seq.setPanelTarget(nullptr);
    QVERIFY(m_machine->shutdown().isEmpty());
    QVERIFY2(states.contains(TestState::Stored),
             qPrintable(QStringLiteral("not stored within %1 s, at cycle %2")
                            .arg(kMachineTimeout_ms / 1000)
                            .arg(seq.cycle())));

    // Every pre-compression, the pressing the count adds and the measuring cycle: each its own pressing.
    const int measuring = precompressions + 2;
    QCOMPARE(static_cast<int>(truthAtCycle.size()), measuring);
    QCOMPARE(pressings, double(measuring));
    const SpringTruth& first = truthAtCycle[1];
    const SpringTruth& lastPre = truthAtCycle[measuring - 1];
    const SpringTruth& measured = truthAtCycle[measuring];
    // The spring settles: what the test reports as "after pressing" is not its free arc height.
    QVERIFY(first.loadingArc_mm.at(kInitialForce_n) - measured.loadingArc_mm.at(kInitialForce_n) > 0.5);

    const QList<DbRow> rows = storedRows(made.path);
    QCOMPARE(rows.size(), 1);
    const DbRow& row = rows.first();
    const auto near = [&](const QString& column, double truth_mm, const QString& where = {}) {
        COMPARE_NEAR(stored(row, column), truth_mm, 0, lengthTolerance(truth_mm) + lateTravel_mm,
                     where + ' ' + column);
    };
    near("ziyou_height", first.loadingArc_mm.at(kInitialForce_n));
    near("yahou_height", measured.loadingArc_mm.at(kInitialForce_n));
    near("SD_HEIGHT", lastPre.loadingArc_mm.at(kSetLoad_n));
    // The deformation is counted from the measuring cycle's contact; the stiffness of point k is its load
    // over the mean of the deformations at it going down and coming up.
    const double contactArc = measured.loadingArc_mm.at(kInitialForce_n);
    for (int k = 1; k <= kPoints_n.size(); ++k) {
        const double load = kPoints_n[k - 1];
        const QString where = QStringLiteral("point %1").arg(k);
        const double down = contactArc - measured.loadingArc_mm.at(load);
        const double up = contactArc - measured.unloadingArc_mm.at(load);
        near(QStringLiteral("result1-%1").arg(k), down, where);
        near(QStringLiteral("result2-%1").arg(k), up, where);
        near(QStringLiteral("jingzai_height1-%1").arg(k), measured.loadingArc_mm.at(load), where);
        near(QStringLiteral("jingzai_height2-%1").arg(k), measured.unloadingArc_mm.at(load), where);
        COMPARE_NEAR(stored(row, QStringLiteral("gangdu%1").arg(k)), load / ((down + up) / 2),
                     kStiffnessTolerance + lateTravel_mm / ((down + up) / 2), 0, where);
    }
}

void TestLeafSpringRun::commandLineRunsTheLeafSpring() {
    const QString app = m_machine->path();
    // What a fresh spring is: the one the program's own simulator starts with.
    QVERIFY(m_machine->loadSimulator());
    const double freeArc = truthNow({kInitialForce_n}).loadingArc_mm.at(kInitialForce_n);

    QStringList add{
        "scheme",          "add",  "--name",           "LS",   "--points",          "1000,2000,3000",
        "--initial-force", "20",   "--set-load",       "1000", "--proof-load",      "3000",
        "--max-load",      "3600", "--leaf-thickness", "30",   "--carriage-height", "50"};
    QCOMPARE(runSpringtest(app, add).exitCode, 0);
    QCOMPARE(runSpringtest(app, {"batch", "new", "--batch", "L", "--scheme", "LS"}).exitCode, 0);
    const ProgramRun run = runSpringtest(
        app,
        {"run", "--batch", "L", "--speed", "300", "--displacement", "130", "--precompress", "2", "--json"},
        kMachineTimeout_ms);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

    QList<QJsonObject> events;
    for (const QString& line : run.out.split('\n', Qt::SkipEmptyParts))
        if (const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8()); d.isObject())
            events << d.object();
    QList<int> states, pressings, measuringPressings;
    int points = 0;
    QJsonObject result;
    for (const QJsonObject& e : events) {
        if (e["event"] == "state") states << e["state"].toInt();
        if (e["event"] == "pressing") {
            pressings << e["cycle"].toInt();
            if (e["measuring"].toBool()) measuringPressings << e["cycle"].toInt();
        }
        if (e["event"] == "point") ++points;
        if (e["event"] == "result") result = e;
    }
    // One test: started once, pressed twice more before and once for the measuring cycle, stored.
    QCOMPARE(states, (QList<int>{0, 5, 2, 3}));
    QCOMPARE(pressings, (QList<int>{2, 3, 4}));
    QCOMPARE(measuringPressings, QList<int>{4});
    QCOMPARE(points, 3);

    const QList<DbRow> rows = storedRows(m_machine->file("databaseGBTH/L.mdb"));
    QCOMPARE(rows.size(), 1);
    const QJsonObject arcs = result["arc_heights"].toObject();
    QCOMPARE(arcs["free"].toDouble(), rows[0].toDouble("ziyou_height"));
    QCOMPARE(arcs["after_pressing"].toDouble(), rows[0].toDouble("yahou_height"));
    QCOMPARE(arcs["at_set_load"].toDouble(), rows[0].toDouble("SD_HEIGHT"));
    COMPARE_NEAR(arcs["free"].toDouble(), freeArc, 0, lengthTolerance(freeArc));
    // Three pressings to the proof load have settled it: 1.5 × (1 − 0.4³) mm.
    const double settled_mm = 1.5 * (1 - std::pow(0.4, 3));
    COMPARE_NEAR(arcs["free"].toDouble() - arcs["after_pressing"].toDouble(), settled_mm, 0,
                 2 * lengthTolerance(freeArc));

    // The results as the leaf-spring browser exports them, read back by an independent reader.
    const ProgramRun all = runSpringtest(app, {"export", "all", "--batch", "L"});
    QVERIFY2(all.exitCode == 0, qPrintable(all.err));
    if (pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is needed to read the workbook back");
    const QJsonObject book = readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), all.out.trimmed());
    const QString sheet = book["sheets"].toArray().first().toString();
    const QJsonObject cells = book["cells"][sheet].toObject();
    const auto column = [](int index) {  // 0 → "A"
        QString letters;
        for (int n = index + 1; n > 0; n = (n - 1) / 26) letters.prepend(QChar('A' + (n - 1) % 26));
        return letters;
    };
    const int free = static_cast<int>(Ttest_result_gbth::resultFields().indexOf("ziyou_height"));
    QVERIFY(free >= 0);
    QCOMPARE(cells[column(free) + "3"]["v"].toString(), QString("自由弧高"));
    QCOMPARE(cells[column(free) + "4"]["v"].toString().toDouble(), rows[0].toDouble("ziyou_height"));
    QCOMPARE(cells["A2"]["v"].toString(), QString("LS"));

    QCOMPARE(runSpringtest(app, {"export", "selected", "--batch", "L", "--tests", "1"}).exitCode, 0);
    const ProgramRun missing = runSpringtest(app, {"export", "selected", "--batch", "L", "--tests", "1,2"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY2(missing.err.contains("test 2 is not in this batch"), qPrintable(missing.err));
    QCOMPARE(runSpringtest(app, {"export", "points", "--batch", "L", "--test", "1"}).exitCode, 0);
    QCOMPARE(runSpringtest(app, {"export", "report", "--batch", "L", "--name", "示例报表"}).exitCode, 2);
}

void TestLeafSpringRun::commandLineAsksForThePrecompressions_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QStringList>("option");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("left out") << 3 << QStringList{} << 1 << "预压次数尚未设置！！";
    QTest::newRow("negative") << 3 << QStringList{"--precompress", "-1"} << 2 << "--precompress";
    QTest::newRow("no number") << 3 << QStringList{"--precompress", "two"} << 2 << "--precompress";
    QTest::newRow("more than offered") << 3 << QStringList{"--precompress", "9"} << 2 << "--precompress";
    QTest::newRow("on a coil-spring machine")
        << 0 << QStringList{"--precompress", "2"} << 2 << "--precompress is for the leaf-spring machine";
}

void TestLeafSpringRun::commandLineAsksForThePrecompressions() {
    QFETCH(int, machineType);
    QFETCH(QStringList, option);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    QVERIFY(m_machine->writeChannel("system", "MachineType", QString::number(machineType)));
    const ProgramRun run =
        runSpringtest(m_machine->path(), QStringList{"run", "--batch", "L", "--speed", "300"} + option);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestLeafSpringRun)
#include "tst_leafspring_run.moc"
