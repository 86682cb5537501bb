// The whole road of a standard test through the command line on the simulated machine: a scheme, a batch,
// tests run to their stored rows, compared with what the simulated spring really is; and the command line
// around it as separate processes meet it: one program per machine, signals, help, exit codes, paths.

#include "platform/ProfileFile.h"
#include "session/SingleInstance.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "support/NearCompare.h"
#include "support/PdfText.h"
#include "support/ProgramRun.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <csignal>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

using springtest::testing::Launch;

// A run of the program, with the events it printed as lines of JSON (with --json).
struct Run : springtest::testing::ProgramRun {
    QList<QJsonObject> events;
};

constexpr double kReadingsPerSecond = 900;  // the acquisition loop's pace on the simulated card, at least

}  // namespace

class TestCliRun : public QObject {
    Q_OBJECT
private slots:
    void init();
    void compressionTestMatchesTheSpring();
    void tensionTestMatchesTheSpring();
    void seriesStoresConsecutiveSerials();
    void seriesIsExported();
    void stoppedTestStoresNothing();
    void badInputIsRefused();
    void passwordFromStandardInput();
    void oneProgramDrivesTheMachine();
    void consoleAndCommandsExcludeEachOther_data();
    void consoleAndCommandsExcludeEachOther();
    void lockOfADeadProgramIsTakenOver();
    void signalsStopTheMachineInOrder_data();
    void signalsStopTheMachineInOrder();
    void machineNeedsASetUpFolder_data();
    void machineNeedsASetUpFolder();
    void everyCommandAnswersHelp_data();
    void everyCommandAnswersHelp();
    void exitCodesTellUsageFromRefusal_data();
    void exitCodesTellUsageFromRefusal();
    void filesAreFoundFromTheCallersFolder();
    void runReportsTheWholeSpring();
    void exportRefusesTestsNotInTheBatch();
    void namesWithControlCharactersAreRefused_data();
    void namesWithControlCharactersAreRefused();

private:
    Run springtest(const QStringList& args, int timeout_ms = 120000);
    // The program with exactly these arguments.
    Run program(const QStringList& args, const Launch& launch = {});
    // The program in the test's application folder, left running: what a second program meets while it
    // drives the machine. Ready once it has printed `ready`, with everything it printed so far in `out`.
    std::unique_ptr<QProcess> startSpringtest(const QStringList& args, const QString& ready, QString& out);
    void setSim(const QString& key, const QString& value) {
        QVERIFY(ProfileFile(m_dir->file("simcard.ini")).writeString("card0", key, value));
    }
    QList<DbRow> results(const QString& batch) {
        Database db(m_dir->file("database/" + batch + ".mdb"));
        return db.select("select * from test_result order by rowid").value_or(QList<DbRow>{});
    }
    // What an independent reader (openpyxl) finds in a workbook; an empty object when it cannot read it.
    QJsonObject readWorkbook(const QString& file);
    std::unique_ptr<TempAppDir> m_dir;
};

QJsonObject TestCliRun::readWorkbook(const QString& file) {
    return testing::readWorkbook(QStringLiteral(SPRINGTEST_WORKBOOK_READER), file);
}

Run TestCliRun::springtest(const QStringList& args, int timeout_ms) {
    Launch launch;
    launch.timeout_ms = timeout_ms;
    return program(QStringList{"--appdir", m_dir->path()} + args, launch);
}

Run TestCliRun::program(const QStringList& args, const Launch& launch) {
    Run r{testing::runProgram(args, launch)};
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8());
        if (d.isObject()) r.events << d.object();
    }
    return r;
}

std::unique_ptr<QProcess> TestCliRun::startSpringtest(const QStringList& args, const QString& ready,
                                                      QString& out) {
    auto p = std::make_unique<QProcess>();
    p->start(QCoreApplication::applicationDirPath() + "/springtest",
             QStringList{"--appdir", m_dir->path()} + args);
    p->closeWriteChannel();
    out.clear();
    QDeadlineTimer deadline(60000);
    while (!out.contains(ready) && !deadline.hasExpired() && p->state() != QProcess::NotRunning) {
        p->waitForReadyRead(100);
        out += QString::fromUtf8(p->readAllStandardOutput());
    }
    return p;
}

void TestCliRun::init() {
    m_dir = std::make_unique<TempAppDir>();
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + "/springtest", {"init", m_dir->path()});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    setSim("noise_seed", "4711");
}

void TestCliRun::compressionTestMatchesTheSpring() {
    const double rate = 10, freeHeight = 60, speed = 600;
    setSim("start_position_mm", "62");
    setSim("rate_n_per_mm", QString::number(rate));
    setSim("free_height_mm", QString::number(freeHeight));
    // Each end of the 5 mm between two points may be read up to three readings late, as the position check
    // below allows (a slowed build, such as a sanitizer's, or a busy machine comes near that); the scheme's
    // stiffness limits allow the same, so that the run's verdict holds wherever the rows hold.
    const double travelPerReading = speed / 60.0 / kReadingsPerSecond;
    const double stiffnessTolerance = std::max(0.01, 2 * 3 * travelPerReading / 5.0) * rate;
    // The first point's stiffness is its load over the travel from the height at the initial force, which
    // lies initialForce / rate below the free height: it reads that much stiffer than the spring.
    const double initialForce = 0.5, firstTarget = 55;
    const double firstStiffness =
        rate * (freeHeight - firstTarget) / (freeHeight - initialForce / rate - firstTarget);
    QCOMPARE(springtest({"scheme", "add", "--name", "C1", "--points", "55,50,45", "--upper", "60,110,160",
                         "--lower", "40,90,140", "--initial-force", QString::number(initialForce), "--return",
                         "--solid", "--stiffness-max", QString::number(firstStiffness + stiffnessTolerance),
                         "--stiffness-min", QString::number(rate - stiffnessTolerance)})
                 .exitCode,
             0);
    QCOMPARE(springtest({"batch", "new", "--batch", "C", "--scheme", "C1"}).exitCode, 0);
    const Run run = springtest(
        {"run", "--batch", "C", "--speed", QString::number(speed), "--displacement", "62", "--json"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

    QList<int> states;
    int points = 0;
    for (const QJsonObject& e : run.events) {
        if (e["event"] == "state") states << e["state"].toInt();
        if (e["event"] == "point") {
            ++points;
            QCOMPARE(e["data"].toObject()["verdict"].toString(), QString("合格"));
        }
    }
    QCOMPARE(states, (QList<int>{0, 5, 2, 3}));
    QCOMPARE(points, 3);

    const QList<DbRow> rows = results("C");
    QCOMPARE(rows.size(), 2);
    const double targets[] = {firstTarget, 50, 45};
    for (int k = 1; k <= 3; ++k) {
        const double load = rows[0].toDouble("result" + QString::number(k));
        // Where the platen stood when the point was captured, by the spring's own law.
        const double gap = freeHeight - load / rate;
        COMPARE_NEAR(gap, targets[k - 1], 0.0, 3 * travelPerReading + 0.01, QString("point %1").arg(k));
        const double stiffness = rows[0].toDouble("gangdu" + QString::number(k));
        COMPARE_NEAR(stiffness, k == 1 ? firstStiffness : rate, 0.0, stiffnessTolerance,
                     QString("point %1").arg(k));
    }
    QCOMPARE(rows[0].toInt("xuhao"), 1);
    QCOMPARE(rows[1].text("jinhuicheng"), QString("回"));
    COMPARE_NEAR(rows[0].toDouble("height"), freeHeight - 0.5 / rate, 0.0, 0.02);
    COMPARE_NEAR(rows[0].toDouble("yb_height"), 30.0, 0.0, 0.1);

    Database db(m_dir->file("database/C.mdb"));
    const auto curve = db.select("select count(*) as n from test_point where xuhao = 1");
    QVERIFY(curve && curve->first().toInt("n") > 10);
}

void TestCliRun::tensionTestMatchesTheSpring() {
    const double rate = 2, initialTension = 5, freeLength = 100, speed = 300, start = 103, preset = 20;
    setSim("specimen", "tension");
    setSim("start_position_mm", QString::number(start));
    setSim("rate_n_per_mm", QString::number(rate));
    setSim("free_length_mm", QString::number(freeLength));
    setSim("initial_tension_n", QString::number(initialTension));
    QCOMPARE(springtest({"scheme", "add", "--name", "T1", "--style", "2", "--points", "10,20,30",
                         "--initial-force", "8", "--tension"})
                 .exitCode,
             0);
    QCOMPARE(springtest({"batch", "new", "--batch", "T", "--scheme", "T1"}).exitCode, 0);
    const Run run = springtest({"run", "--batch", "T", "--speed", QString::number(speed), "--displacement",
                                QString::number(preset)});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

    const QList<DbRow> rows = results("T");
    QCOMPARE(rows.size(), 1);
    const double travelPerReading = speed / 60.0 / kReadingsPerSecond;
    const double loads[] = {10, 20, 30};
    double previous = 0;
    for (int k = 1; k <= 3; ++k) {
        const double shown = rows[0].toDouble("result" + QString::number(k));
        // The extension at which the spring carries the point's load, past its initial tension.
        const double extension = (loads[k - 1] - initialTension) / rate + initialTension / (100 * rate);
        const double expected = preset + (start - freeLength) + extension;
        COMPARE_NEAR(shown, expected, 0.0, 3 * travelPerReading + 0.011, QString("point %1").arg(k));
        if (k > 1) {
            // From the second point on the stiffness is the slope between points: the spring's rate.
            const double stiffness = rows[0].toDouble("gangdu" + QString::number(k));
            COMPARE_NEAR(stiffness, rate, 0.01, 0.0, QString("point %1").arg(k));
            QVERIFY(shown > previous);
        }
        previous = shown;
    }
}

void TestCliRun::seriesStoresConsecutiveSerials() {
    setSim("start_position_mm", "61");
    QCOMPARE(
        springtest({"scheme", "add", "--name", "S", "--points", "58", "--initial-force", "0.5"}).exitCode, 0);
    QCOMPARE(springtest({"batch", "new", "--batch", "S", "--scheme", "S"}).exitCode, 0);
    const Run run = springtest({"run", "--batch", "S", "--speed", "600", "--displacement", "61", "--series",
                                "3", "--pause", "0", "--json"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QCOMPARE(run.events.last()["stored"].toVariant().toList(), (QVariantList{1, 2, 3}));
    QList<int> serials;
    for (const DbRow& r : results("S")) serials << r.toInt("xuhao");
    QCOMPARE(serials, (QList<int>{1, 2, 3}));
}

void TestCliRun::seriesIsExported() {
    if (testing::pythonWithOpenpyxl().isEmpty()) QSKIP("python3 with openpyxl is not installed");
    setSim("start_position_mm", "61");
    QCOMPARE(
        springtest({"scheme", "add", "--name", "S", "--points", "58", "--initial-force", "0.5"}).exitCode, 0);
    QCOMPARE(springtest({"batch", "new", "--batch", "S", "--scheme", "S"}).exitCode, 0);
    QCOMPARE(springtest({"run", "--batch", "S", "--speed", "600", "--displacement", "61", "--series", "3",
                         "--pause", "0"})
                 .exitCode,
             0);

    const auto exported = [this](const QStringList& args) {
        const Run run = springtest(QStringList{"export"} + args + QStringList{"--batch", "S"});
        if (run.exitCode != 0) qWarning() << run.out << run.err;
        return run.exitCode == 0 ? readWorkbook(run.out.trimmed()) : QJsonObject{};
    };
    const auto cell = [](const QJsonObject& book, const QString& sheet, const QString& address) {
        return book["cells"][sheet][address]["v"].toString();
    };

    const QJsonObject all = exported({"all"});
    QCOMPARE(cell(all, "数据", "A1"), QString("方案名"));
    QCOMPARE(cell(all, "数据", "A2"), QString("S"));
    QCOMPARE(cell(all, "数据", "A3"), QString("序号"));
    for (int test = 1; test <= 3; ++test)
        QCOMPARE(cell(all, "数据", "A" + QString::number(test + 3)), QString::number(test));

    const QJsonObject selected = exported({"selected", "--tests", "2"});
    QCOMPARE(cell(selected, "数据", "A3"), QString("2"));
    QVERIFY(cell(selected, "数据", "A4").isEmpty());

    Database db(m_dir->file("database/S.mdb"));
    const auto samples = db.select("select number, load from test_point where xuhao = 3 order by number");
    QVERIFY(samples && !samples->isEmpty());
    const QJsonObject points = exported({"points", "--test", "3"});
    QCOMPARE(points["active"].toString(), QString("采集数据"));
    const QString last = QString::number(samples->size());
    QCOMPARE(cell(points, "采集数据", "A" + last), last);
    // Numbers as numbers: the same value, whatever zeros the reader leaves off.
    QCOMPARE(cell(points, "采集数据", "B" + last).toDouble(), samples->last().toDouble("load"));
    QVERIFY(cell(points, "采集数据", "A" + QString::number(samples->size() + 1)).isEmpty());

    // A new application folder names the template's example report, with the curve at A12.
    const QJsonObject report = exported({"report", "--name", "示例报表", "--test", "2"});
    QCOMPARE(report["active"].toString(), QString("示例报表"));
    // The figures are those of the test whose curve the report shows.
    QCOMPARE(cell(report, "数据", "A4"), QString("2"));
    QVERIFY(cell(report, "数据", "A5").isEmpty());
    const QJsonArray pictures = report["images"]["示例报表"].toArray();
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0]["col"].toInt(), 0);
    QCOMPARE(pictures[0]["row"].toInt(), 11);

    // Each test knows who ran it, and its certificate says so: one page, read back by an independent reader.
    const auto who = db.select("select operator_name from test_operator where xuhao = 2");
    QVERIFY(who && who->size() == 1 && !who->first().text("operator_name").isEmpty());
    const Run certificate = springtest({"export", "pdf", "--batch", "S", "--test", "2"});
    QCOMPARE(certificate.exitCode, 0);
    const QString pdf = certificate.out.trimmed();
    QVERIFY2(pdf.endsWith(".pdf") && QFileInfo(pdf).isFile(), qPrintable(certificate.out + certificate.err));
    if (testing::havePdfReader()) {
        QCOMPARE(testing::pdfPageCount(pdf), 1);
        const QString text = testing::pdfText(pdf);
        QVERIFY2(text.contains("序号 Serial 2 操作员 Operator " + who->first().text("operator_name")),
                 qPrintable(text));
        QVERIFY2(text.contains("总判定 Overall verdict:"), qPrintable(text));
    }
    const Run summary = springtest({"export", "pdf", "--batch", "S"});
    QCOMPARE(summary.exitCode, 0);
    QVERIFY(summary.out.trimmed().endsWith(".pdf"));

    const Run unknown = springtest({"export", "report", "--name", "无此报表", "--batch", "S"});
    QCOMPARE(unknown.exitCode, 1);
    QVERIFY(unknown.err.contains("确定Excel安装正确!!"));
    QCOMPARE(springtest({"export", "selected", "--batch", "S"}).exitCode, 2);
    QCOMPARE(springtest({"export", "points", "--test", "x", "--batch", "S"}).exitCode, 2);
    QCOMPARE(springtest({"export", "all", "--batch", "../S"}).exitCode, 1);
}

void TestCliRun::stoppedTestStoresNothing() {
    setSim("start_position_mm", "62");
    QCOMPARE(springtest({"scheme", "add", "--name", "S", "--points", "50"}).exitCode, 0);
    QCOMPARE(springtest({"batch", "new", "--batch", "S", "--scheme", "S"}).exitCode, 0);
    const Run run =
        springtest({"run", "--batch", "S", "--speed", "60", "--displacement", "62", "--timeout", "1"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.out.contains("试验状态：试验停止"));
    QVERIFY(results("S").isEmpty());
}

void TestCliRun::badInputIsRefused() {
    QCOMPARE(springtest({"run", "--batch", "../../etc/x", "--speed", "10"}).exitCode, 1);
    const Run noSpeed = springtest({"run", "--batch", "X"});
    QCOMPARE(noSpeed.exitCode, 1);
    QVERIFY(noSpeed.err.contains("试验速度尚未设置！！"));
    QCOMPARE(springtest({"run", "--batch", "X", "--speed", "fast"}).exitCode, 2);
    const Run missing = springtest({"run", "--batch", "NOPE", "--speed", "10"});
    QCOMPARE(missing.exitCode, 1);
    QVERIFY(missing.err.contains("文件不存在!!"));
    QCOMPARE(springtest({"scheme", "add", "--name", "Q'uote", "--points", "30,35"}).exitCode,
             1);  // out of order
    QCOMPARE(springtest({"scheme", "add", "--name", "Q'uote", "--points", "35,30", "--upper", "9"}).exitCode,
             0);
    const auto stored = loadStandardScheme(m_dir->file("test_information.mdb"), "Q'uote");
    QVERIFY(stored);
    QCOMPARE(stored->points[0].max, QString("9"));
    QCOMPARE(stored->points[0].min, QString("0"));  // a limit left empty is stored as "0"
    QCOMPARE(stored->points[1].max, QString("0"));
    QVERIFY(stored->points[2].value.isEmpty());  // points beyond the count stay empty
    const Run twice = springtest({"scheme", "add", "--name", "Q'uote", "--points", "35,30"});
    QVERIFY(twice.err.contains("该方案名已存在!!"));
    const Run escape = springtest({"batch", "new", "--batch", "../evil", "--scheme", "Q'uote"});
    QCOMPARE(escape.exitCode, 1);
    QVERIFY(!QFile::exists(m_dir->file("evil.mdb")));
    QCOMPARE(springtest({"batch", "new", "--batch", "B", "--scheme", "Q'uote"}).exitCode, 0);
    const Run again = springtest({"batch", "new", "--batch", "B", "--scheme", "Q'uote"});
    QCOMPARE(again.exitCode, 1);
    QVERIFY(again.err.contains("该批次已经存在，是否覆盖?"));
    QVERIFY(again.err.contains("批次数据库建立失败!!"));
    QVERIFY2(again.err.contains("pass --overwrite"), qPrintable(again.err));  // no terminal to answer on
}

void TestCliRun::passwordFromStandardInput() {
    const auto setPassword = [this](const QStringList& options, const QByteArray& input) {
        QProcess p;
        p.start(QCoreApplication::applicationDirPath() + "/springtest",
                QStringList{"--appdir", m_dir->path(), "password"} + options);
        if (!p.waitForStarted()) return -1;
        p.write(input);
        p.closeWriteChannel();
        return p.waitForFinished(30000) ? p.exitCode() : -1;
    };
    QCOMPARE(setPassword({"--user", "qa"}, "Lab-2026\n"), 0);
    const ProfileFile accounts(m_dir->file("login.ini"));
    const QString stored = accounts.readString("users", "qa", QString());
    QVERIFY2(stored.contains(':') && !stored.contains("Lab-2026"), qPrintable(stored));
    QVERIFY(!accounts.readString("users", "admin", QString()).isEmpty());  // the other account is kept

    QCOMPARE(setPassword({}, "x\n"), 2);                 // no user
    QCOMPARE(setPassword({"--user", "qa"}, ""), 2);      // no password
    QCOMPARE(setPassword({"--user", "a=b"}, "x\n"), 1);  // a name the file cannot hold
    QCOMPARE(accounts.readString("users", "qa", QString()), stored);
}

void TestCliRun::oneProgramDrivesTheMachine() {
    QString out;
    auto monitor = startSpringtest({"monitor", "--interval", "100"}, "card 0", out);
    QVERIFY2(out.contains("card 0"), qPrintable(out + monitor->readAllStandardError()));

    const Run run = springtest({"run", "--batch", "X", "--speed", "10"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("程序正在运行!!"), qPrintable(run.err));
    // The machine is named by its application folder: a temporary folder of its own changes nothing.
    const QTemporaryDir otherTemp;
    Launch elsewhere;
    elsewhere.environment = QStringList{"TMPDIR=" + otherTemp.path()};
    const Run second = program({"--appdir", m_dir->path(), "monitor", "--duration", "1"}, elsewhere);
    QCOMPARE(second.exitCode, 1);
    QVERIFY(second.err.contains("程序正在运行!!"));
    // The console claims the same lock.
    {
        SingleInstance console(m_dir->path());
        QCOMPARE(console.tryClaim(), SingleInstance::Claim::HeldElsewhere);
    }
    // What does not touch the card still works.
    QCOMPARE(springtest({"scheme", "list"}).exitCode, 0);

    ::kill(static_cast<pid_t>(monitor->processId()), SIGTERM);
    QVERIFY(monitor->waitForFinished(30000));
    QCOMPARE(monitor->exitCode(), 128 + SIGTERM);

    {
        SingleInstance console(m_dir->path());
        QCOMPARE(console.tryClaim(), SingleInstance::Claim::Claimed);
        const Run whileConsole = springtest({"monitor", "--duration", "1"});
        QCOMPARE(whileConsole.exitCode, 1);
        QVERIFY(whileConsole.err.contains("程序正在运行!!"));
    }
    QCOMPARE(springtest({"monitor", "--duration", "0.3"}).exitCode, 0);
}

void TestCliRun::consoleAndCommandsExcludeEachOther_data() {
    QTest::addColumn<bool>("machineStarted");  // false: the terminal goes while the splash still shows
    QTest::newRow("during the splash") << false;
    QTest::newRow("machine running") << true;
}

void TestCliRun::consoleAndCommandsExcludeEachOther() {
    QFETCH(bool, machineStarted);
    const QString xvfb = QStandardPaths::findExecutable("xvfb-run");
    if (xvfb.isEmpty()) QSKIP("xvfb-run is not installed: no display to start the console on");
    QProcess console;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "xcb");
    console.setProcessEnvironment(env);
    console.start(xvfb,
                  {"-a", QCoreApplication::applicationDirPath() + "/springtest", "--appdir", m_dir->path()});
    const QString lock = m_dir->file("springtest.lock");
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(lock) || console.state() == QProcess::NotRunning, 60000);
    QVERIFY2(QFile::exists(lock), qPrintable(console.readAllStandardError()));

    const Run run = springtest({"run", "--batch", "X", "--speed", "10"});
    QCOMPARE(run.exitCode, 1);
    QVERIFY2(run.err.contains("程序正在运行!!"), qPrintable(run.err));

    // The terminal the console was started from goes away: it shuts the machine down as its window would.
    const qint64 pid = m_dir->read("springtest.lock").split('\n').first().toLongLong();
    QVERIFY(pid > 0);
    // The machine is started once the splash has gone: the card's driver is then loaded.
    const auto driverLoaded = [pid] {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libRX");
    };
    if (machineStarted) QTRY_VERIFY_WITH_TIMEOUT(driverLoaded(), 60000);
    ::kill(static_cast<pid_t>(pid), SIGHUP);
    QVERIFY(console.waitForFinished(60000));
    QVERIFY2(console.exitCode() == 0, console.readAllStandardError().constData());
    // The displacement's state is saved by a machine that ran; one that never started has none to save.
    if (machineStarted) QCOMPARE(ProfileFile(m_dir->file("init0.dat")).readInt("close", "close_flag", 0), 1);
    QVERIFY(!QFile::exists(lock));
}

void TestCliRun::lockOfADeadProgramIsTakenOver() {
    QString out;
    auto monitor = startSpringtest({"monitor", "--interval", "100"}, "card 0", out);
    QVERIFY(out.contains("card 0"));
    monitor->kill();  // no chance to let go of anything
    QVERIFY(monitor->waitForFinished(30000));
    QVERIFY(QFile::exists(m_dir->file("springtest.lock")));
    const Run next = springtest({"monitor", "--duration", "0.3"});
    QVERIFY2(next.exitCode == 0, qPrintable(next.err));
}

void TestCliRun::signalsStopTheMachineInOrder_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("signal");
    QTest::newRow("run, Ctrl+C") << "run" << SIGINT;
    QTest::newRow("run, service stopped") << "run" << SIGTERM;
    QTest::newRow("monitor, terminal closed") << "monitor" << SIGHUP;
    QTest::newRow("monitor, Ctrl+C") << "monitor" << SIGINT;
}

void TestCliRun::signalsStopTheMachineInOrder() {
    QFETCH(QString, command);
    QFETCH(int, signal);
    const double preset_mm = 62;
    setSim("start_position_mm", QString::number(preset_mm));
    QStringList args{"monitor", "--interval", "100"};
    QString ready = "card 0";
    if (command == "run") {
        QCOMPARE(springtest({"scheme", "add", "--name", "S", "--points", "50"}).exitCode, 0);
        QCOMPARE(springtest({"batch", "new", "--batch", "S", "--scheme", "S"}).exitCode, 0);
        // Slow enough to be still on its way down when the signal comes.
        args =
            QStringList{"run", "--batch", "S", "--speed", "60", "--displacement", QString::number(preset_mm)};
        ready = "[0]";
    }
    QString out;
    auto p = startSpringtest(args, ready, out);
    QVERIFY2(out.contains(ready), qPrintable(out + p->readAllStandardError()));
    QTest::qWait(300);
    ::kill(static_cast<pid_t>(p->processId()), signal);
    QVERIFY(p->waitForFinished(30000));
    out += QString::fromUtf8(p->readAllStandardOutput());
    QCOMPARE(p->exitStatus(), QProcess::NormalExit);
    QCOMPARE(p->exitCode(), 128 + signal);

    // The displacement was saved on the way out, where the crosshead stood.
    const ProfileFile config(m_dir->file("init0.dat"));
    QCOMPARE(config.readInt("close", "close_flag", 0), 1);
    if (command == "run") {
        QVERIFY2(out.contains("试验状态：试验停止"), qPrintable(out));
        QVERIFY(results("S").isEmpty());
        const double saved = config.readDouble("Displacement", "press_SAVE_VALUE", preset_mm);
        QVERIFY2(saved < preset_mm - 0.05, qPrintable(QString::number(saved)));
    }
    QVERIFY(!QFile::exists(m_dir->file("springtest.lock")));
}

void TestCliRun::machineNeedsASetUpFolder_data() {
    QTest::addColumn<QStringList>("args");
    QTest::newRow("run") << QStringList{"run", "--batch", "A", "--speed", "10"};
    QTest::newRow("monitor") << QStringList{"monitor", "--duration", "1"};
}

void TestCliRun::machineNeedsASetUpFolder() {
    QFETCH(QStringList, args);
    const QTemporaryDir empty;
    const Run r = program(QStringList{"--appdir", empty.path()} + args);
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("springtest init " + empty.path()), qPrintable(r.err));
    QCOMPARE(QDir(empty.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{});
}

void TestCliRun::everyCommandAnswersHelp_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("says");
    QTest::newRow("the program") << QStringList{"--help"} << "exit codes:";
    QTest::newRow("help") << QStringList{"help"} << "128+N";
    QTest::newRow("init") << QStringList{"init", "--help"} << "init DIR [--machine-type N]";
    QTest::newRow("scheme add") << QStringList{"scheme", "add", "--help"} << "scheme add --file FILE";
    QTest::newRow("batch new") << QStringList{"batch", "new", "-h"} << "--overwrite";
    QTest::newRow("run") << QStringList{"run", "--help"} << "run --batch FILE_OR_NUMBER";
    QTest::newRow("run, among its options") << QStringList{"run", "--batch", "A", "--help"} << "--series N";
    QTest::newRow("export") << QStringList{"export", "--help"} << "export all|selected|report|points";
    QTest::newRow("monitor") << QStringList{"monitor", "--help"} << "monitor [--duration S]";
    QTest::newRow("password") << QStringList{"password", "--help"} << "password --user NAME";
    QTest::newRow("align") << QStringList{"align", "--help"} << "align --return-height MM";
    QTest::newRow("compensate") << QStringList{"compensate", "--help"} << "compensate [--card N]";
    QTest::newRow("calibrate") << QStringList{"calibrate", "--help"} << "calibrate --gear G --points";
    QTest::newRow("verify") << QStringList{"verify", "--help"} << "verify --gear G";
    QTest::newRow("audit") << QStringList{"audit", "--help"} << "audit [--key PART]";
}

void TestCliRun::everyCommandAnswersHelp() {
    QFETCH(QStringList, args);
    QFETCH(QString, says);
    // Help needs no application folder, no machine and no lock.
    const Run r = program(QStringList{"--appdir", m_dir->file("nowhere")} + args);
    QCOMPARE(r.exitCode, 0);
    QVERIFY2(r.out.contains(says), qPrintable(r.out));
    QCOMPARE(r.err, QString());
}

void TestCliRun::exitCodesTellUsageFromRefusal_data() {
    QTest::addColumn<QStringList>("args");  // "%1": the application folder
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");

    // The command line is wrong: 2.
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << 2 << "unknown command: frobnicate";
    QTest::newRow("help of an unknown command")
        << QStringList{"frobnicate", "--help"} << 2 << "unknown command";
    QTest::newRow("option of no command")
        << QStringList{"scheme", "list", "--all"} << 2 << "unknown option: --all";
    QTest::newRow("value forgotten") << QStringList{"run", "--batch", "--speed", "10"} << 2
                                     << "--batch needs a value";
    QTest::newRow("not a number") << QStringList{"run", "--batch", "A", "--speed", "nan"} << 2
                                  << "--speed must be a number";
    QTest::newRow("monitor's interval")
        << QStringList{"monitor", "--interval", "often"} << 2 << "--interval must be a number";
    // Understood, but refused or failed: 1.
    QTest::newRow("run, no such batch")
        << QStringList{"run", "--batch", "NOPE", "--speed", "10"} << 1 << "文件不存在!! %1/database/NOPE.mdb";
    QTest::newRow("export, no such batch")
        << QStringList{"export", "all", "--batch", "NOPE"} << 1 << "文件不存在!! %1/database/NOPE.mdb";
    QTest::newRow("export, a batch number that cannot be")
        << QStringList{"export", "all", "--batch", ".."} << 1 << "";
    QTest::newRow("run, a card the machine lacks")
        << QStringList{"run", "--batch", "A", "--speed", "10", "--card", "3"} << 1
        << "--card 3: the machine has 1 card(s)";
    QTest::newRow("scheme file missing")
        << QStringList{"scheme", "add", "--file", "%1/none.ini"} << 1 << "文件不存在!! %1/none.ini";
    QTest::newRow("application folder missing")
        << QStringList{"--appdir", "%1/nowhere", "scheme", "list"} << 1 << "springtest init %1/nowhere";
}

void TestCliRun::exitCodesTellUsageFromRefusal() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    for (QString& a : args) a.replace("%1", m_dir->path());
    if (args.first() != "--appdir") args = QStringList{"--appdir", m_dir->path()} + args;
    const Run r = program(args);
    QCOMPARE(r.exitCode, exitCode);
    QVERIFY2(r.err.contains(says.replace("%1", m_dir->path())), qPrintable(r.err));
}

void TestCliRun::filesAreFoundFromTheCallersFolder() {
    setSim("start_position_mm", "61");
    const QTemporaryDir caller;
    Launch there;
    there.workingDirectory = caller.path();
    const QString appdir = QDir(caller.path()).relativeFilePath(m_dir->path());
    QFile file(QDir(caller.path()).filePath("f.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(
        "; a scheme of the lab\n"
        "[scheme]\n"
        "name = F            # as on the drawing\n"
        "points = 58         ; mm\n"
        "initial_force = 0.5\n"
        "return = 0          ; loading stroke only\n");
    file.close();
    const Run added = program({"--appdir", appdir, "scheme", "add", "--file", "f.ini"}, there);
    QVERIFY2(added.exitCode == 0, qPrintable(added.err));
    QVERIFY(loadStandardScheme(m_dir->file("test_information.mdb"), "F"));

    QCOMPARE(springtest({"batch", "new", "--batch", "F", "--scheme", "F"}).exitCode, 0);
    QVERIFY(QDir(caller.path()).mkdir("mine"));
    QVERIFY(QFile::copy(m_dir->file("database/F.mdb"), caller.path() + "/mine/F.mdb"));
    const Run run = program(
        {"--appdir", appdir, "run", "--batch", "mine/F.mdb", "--speed", "600", "--displacement", "61"},
        there);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    Database mine(caller.path() + "/mine/F.mdb");
    const auto rows = mine.select("select xuhao from test_result");
    QVERIFY(rows);
    QCOMPARE(rows->size(), 1);
    QVERIFY(results("F").isEmpty());  // the application folder's batch of the same name is untouched

    file.setFileName(QDir(caller.path()).filePath("typo.ini"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[scheme]\nname = G\npionts = 58\n");
    file.close();
    const Run typo = program({"--appdir", appdir, "scheme", "add", "--file", "typo.ini"}, there);
    QCOMPARE(typo.exitCode, 2);
    QVERIFY2(typo.err.contains("line 3: unknown key 'pionts'"), qPrintable(typo.err));
}

void TestCliRun::runReportsTheWholeSpring() {
    setSim("start_position_mm", "62");
    QCOMPARE(springtest({"scheme", "add", "--name", "C1", "--points", "55,50,45", "--upper", "60,110,160",
                         "--lower", "40,90,140", "--initial-force", "0.5", "--return", "--solid",
                         "--stiffness-max", "11", "--stiffness-min", "9"})
                 .exitCode,
             0);
    QCOMPARE(springtest({"batch", "new", "--batch", "C", "--scheme", "C1"}).exitCode, 0);
    const Run run = springtest({"run", "--batch", "C", "--speed", "600", "--displacement", "62"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    const QRegularExpressionMatch heights =
        QRegularExpression("free height ([0-9.]+) mm  solid height ([0-9.]+) mm").match(run.out);
    QVERIFY2(heights.hasMatch(), qPrintable(run.out));
    COMPARE_NEAR(heights.captured(1).toDouble(), 60 - 0.5 / 10, 0.0, 0.02);
    COMPARE_NEAR(heights.captured(2).toDouble(), 30.0, 0.0, 0.1);
    const QStringList targets{"55", "50", "45"};
    for (int k = 1; k <= 3; ++k)
        QVERIFY2(run.out.contains(QString("return point %1 at %2: ").arg(k).arg(targets[k - 1])),
                 qPrintable(run.out));
    QCOMPARE(run.out.count("return point"), 3);
    QVERIFY2(run.out.contains("serial 1: within limits"), qPrintable(run.out));

    // A spring that carries 50 N at 55 mm, against limits of 5 to 10 N.
    QCOMPARE(springtest({"scheme", "add", "--name", "C2", "--points", "55", "--upper", "10", "--lower", "5",
                         "--initial-force", "0.5"})
                 .exitCode,
             0);
    QCOMPARE(springtest({"batch", "new", "--batch", "D", "--scheme", "C2"}).exitCode, 0);
    const Run outside =
        springtest({"run", "--batch", "D", "--speed", "600", "--displacement", "62", "--json"});
    QCOMPARE(outside.exitCode, 3);
    QVERIFY(!outside.events.isEmpty());
    const QJsonObject summary = outside.events.last();
    QCOMPARE(summary["event"].toString(), QString("summary"));
    QCOMPARE(summary["exit_code"].toInt(), 3);
    QCOMPARE(summary["within_limits"].toBool(), false);
    const QJsonObject test = summary["tests"][0].toObject();
    QCOMPARE(test["out_of_limits"].toArray(), QJsonArray{"point 1 强"});
    QVERIFY(test["points"][0]["value"].isDouble());
    QVERIFY(test["free_height"].isDouble());
    const auto point = std::find_if(outside.events.begin(), outside.events.end(),
                                    [](const QJsonObject& e) { return e["event"] == "point"; });
    QVERIFY(point != outside.events.end());
    QVERIFY((*point)["data"]["value"].isDouble());
    QVERIFY((*point)["data"]["value"].toDouble() > 10);  // what made it 强
}

void TestCliRun::exportRefusesTestsNotInTheBatch() {
    QCOMPARE(springtest({"scheme", "add", "--name", "E", "--points", "50"}).exitCode, 0);
    QCOMPARE(springtest({"batch", "new", "--batch", "E", "--scheme", "E"}).exitCode, 0);
    {
        Database db(m_dir->file("database/E.mdb"));
        QVERIFY(db.insertRow("test_result", {{"xuhao", 1}, {"jinhuicheng", "进"}, {"result1", "50.00"}}));
    }
    const Run points = springtest({"export", "points", "--batch", "E", "--test", "99"});
    QCOMPARE(points.exitCode, 1);
    QVERIFY2(points.err.contains("test 99 is not in this batch"), qPrintable(points.err));
    const Run selected = springtest({"export", "selected", "--batch", "E", "--tests", "1,99,98"});
    QCOMPARE(selected.exitCode, 1);
    QVERIFY2(selected.err.contains("tests 98, 99 are not in this batch"), qPrintable(selected.err));
    const Run report = springtest({"export", "report", "--batch", "E", "--name", "示例报表", "--test", "99"});
    QCOMPARE(report.exitCode, 1);
    QVERIFY(report.err.contains("test 99 is not in this batch"));
    QVERIFY(!QDir(m_dir->file("report")).exists() || QDir(m_dir->file("report")).isEmpty());
}

void TestCliRun::namesWithControlCharactersAreRefused_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("name");
    QTest::newRow("account, line break") << "password"
                                         << "qa\nroot";
    QTest::newRow("account, tab") << "password"
                                  << "q\ta";
    QTest::newRow("scheme option, line break") << "option"
                                               << "A\nB";
    QTest::newRow("scheme option, control character") << "option"
                                                      << QString(
                                                             "A\x01"
                                                             "B");
    QTest::newRow("scheme file, control character") << "file"
                                                    << QString(
                                                           "A\x07"
                                                           "B");
}

void TestCliRun::namesWithControlCharactersAreRefused() {
    QFETCH(QString, where);
    QFETCH(QString, name);
    const QByteArray accounts = m_dir->read("login.ini");
    Run r;
    if (where == "password") {
        Launch typed;
        typed.input = "secret\n";
        r = program({"--appdir", m_dir->path(), "password", "--user", name}, typed);
    } else if (where == "option") {
        r = springtest({"scheme", "add", "--name", name, "--points", "50"});
    } else {
        m_dir->write("n.ini", ("[scheme]\nname = " + name + "\npoints = 50\n").toUtf8());
        r = springtest({"scheme", "add", "--file", m_dir->file("n.ini")});
    }
    QCOMPARE(r.exitCode, 1);
    QVERIFY2(r.err.contains("must not contain line breaks or control characters"), qPrintable(r.err));
    QCOMPARE(m_dir->read("login.ini"), accounts);
    QCOMPARE(schemeNames(m_dir->file("test_information.mdb"), SchemeTable::Standard), QStringList{});
}

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_cli_run.moc"
