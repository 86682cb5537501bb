// A batch's statistics, from tests run on the simulated machine with a noisy load cell, checked against an
// independent computation (Python's statistics module on the stored values), and the batch handed over as
// CSV read back by Python's csv module.

#include "platform/ProfileFile.h"
#include "storage/Database.h"
#include "support/NearCompare.h"
#include "support/ProgramRun.h"
#include "support/TempAppDir.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>

using namespace springtest;
using springtest::testing::ProgramRun;
using springtest::testing::TempAppDir;

namespace {

constexpr int kTests = 30;

// What a script of tests/support prints as JSON; an empty object when it failed.
QJsonObject runScript(const QString& script, const QStringList& args) {
    const QString python = QStandardPaths::findExecutable(QStringLiteral("python3"));
    if (python.isEmpty()) return {};
    QProcess p;
    p.start(python, QStringList{QStringLiteral(SPRINGTEST_SUPPORT_DIR "/") + script} + args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        qWarning().noquote() << p.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(p.readAllStandardOutput()).object();
}

QList<QStringList> csvRows(const QJsonObject& read) {
    QList<QStringList> rows;
    for (const QJsonValue& row : read["rows"].toArray()) {
        QStringList fields;
        for (const QJsonValue& f : row.toArray()) fields << f.toString();
        rows << fields;
    }
    return rows;
}

}  // namespace

class TestStatsRun : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void statisticsMatchAnIndependentComputation();
    void csvOfTheResults_data();
    void csvOfTheResults();
    void csvOfACurve();
    void statsRefusesBadInput_data();
    void statsRefusesBadInput();

private:
    ProgramRun springtest(const QStringList& args) { return testing::runSpringtest(m_dir.path(), args); }
    QString batchPath() const { return m_dir.file("database/N.mdb"); }
    TempAppDir m_dir;
};

// One batch for every case: thirty tests on a spring read through a load cell with forty counts of noise, a
// return stroke and the solid height, so that every quantity varies from test to test.
void TestStatsRun::initTestCase() {
    if (QStandardPaths::findExecutable(QStringLiteral("python3")).isEmpty())
        QSKIP("python3 is not installed");
    QCOMPARE(springtest({"init", m_dir.path()}).exitCode, 0);
    ProfileFile sim(m_dir.file("simcard.ini"));
    QVERIFY(sim.writeString("card0", "noise_counts", "40"));
    QVERIFY(sim.writeString("card0", "noise_seed", "4711"));
    QVERIFY(sim.writeString("card0", "start_position_mm", "61"));
    QCOMPARE(springtest({"scheme", "add", "--name", "N", "--points", "59,58", "--upper", "15,25", "--lower",
                         "5,15", "--initial-force", "0.5", "--stiffness-max", "10.5", "--stiffness-min",
                         "9.5", "--return", "--solid"})
                 .exitCode,
             0);
    QCOMPARE(springtest({"batch", "new", "--batch", "N", "--scheme", "N"}).exitCode, 0);
    const ProgramRun run = testing::runSpringtest(m_dir.path(),
                                                  {"run", "--batch", "N", "--speed", "3000", "--displacement",
                                                   "61", "--series", QString::number(kTests), "--pause", "0"},
                                                  280000);
    // 3: stored, some outside their limits, as a noisy stiffness is.
    // What went wrong first: the message and the last lines, not the whole series.
    QVERIFY2(
        run.exitCode == 0 || run.exitCode == 3,
        qPrintable(
            QStringLiteral("exit code %1: %2 ... %3").arg(run.exitCode).arg(run.err, run.out.right(600))));
}

void TestStatsRun::statisticsMatchAnIndependentComputation() {
    const ProgramRun run = springtest({"stats", "--batch", "N", "--json"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QJsonObject ours = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(ours["tests"].toInt(), kTests);
    const QJsonObject theirs = runScript("batch_statistics.py", {batchPath()});
    QVERIFY(!theirs.isEmpty());

    const QJsonArray quantities = ours["quantities"].toArray();
    QStringList keys;
    bool spread = false;
    for (const QJsonValue& q : quantities) {
        const QString key = q["column"].toString() + '|' + q["stroke"].toString();
        keys << key;
        const QJsonObject expected = theirs[key].toObject();
        QVERIFY2(!expected.isEmpty(), qPrintable(key));
        for (const char* figure :
             {"n", "mean", "sd", "min", "max", "range", "cp", "cpk", "within", "above", "below"}) {
            const QString where = key + ' ' + figure;
            const QJsonValue a = q[figure], e = expected[figure];
            QVERIFY2(a.isNull() == e.isNull(), qPrintable(where));
            if (!a.isNull()) COMPARE_NEAR(a.toDouble(), e.toDouble(), 1e-9, 1e-12, where);
        }
        QCOMPARE(q["n"].toInt(), kTests);  // every test measured every quantity
        if (q["sd"].toDouble() > 0) spread = true;
    }
    QVERIFY(spread);
    QCOMPARE(keys, (QStringList{"result1|进", "result2|进", "gangdu1|进", "gangdu2|进", "result1|回",
                                "result2|回", "gangdu1|回", "gangdu2|回", "height|", "yb_height|"}));
}

void TestStatsRun::csvOfTheResults_data() {
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("delimiter");
    QTest::newRow("comma") << "comma"
                           << ",";
    QTest::newRow("semicolon") << "semicolon"
                               << ";";
}

void TestStatsRun::csvOfTheResults() {
    QFETCH(QString, separator);
    QFETCH(QString, delimiter);
    const ProgramRun run = springtest({"export", "csv", "--batch", "N", "--separator", separator});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QString file = run.out.trimmed();
    QVERIFY(file.endsWith(".csv"));
    const QJsonObject read = runScript("read_csv.py", {file});
    QVERIFY(read["bom"].toBool());
    QCOMPARE(read["delimiter"].toString(), delimiter);
    const QList<QStringList> rows = csvRows(read);
    QCOMPARE(rows.size(), kTests + 1);
    QCOMPARE(rows[0].first(), QString("序号"));
    QCOMPARE(rows[0][1], QString("结果1 进 (N)"));
    QCOMPARE(rows[0].last(), QString("测试日期"));

    // Every stored text comes out as it was stored, one test to a row.
    Database db(batchPath());
    const auto stored = db.select("select * from test_result order by rowid");
    QVERIFY(stored);
    const int returnResult1 = static_cast<int>(rows[0].indexOf("结果1 回 (N)"));
    const int solid = static_cast<int>(rows[0].indexOf("压并高度 (mm)"));
    QVERIFY(returnResult1 > 0 && solid > 0);
    for (const DbRow& r : *stored) {
        const QStringList& row = rows[r.toInt("xuhao")];
        QCOMPARE(row.size(), rows[0].size());
        QCOMPARE(row[0], r.text("xuhao"));
        if (r.text("jinhuicheng") == "回") {
            QCOMPARE(row[returnResult1], r.text("result1"));
        } else {
            QCOMPARE(row[1], r.text("result1"));
            QCOMPARE(row[solid], r.text("yb_height"));
            QCOMPARE(row.last(), r.text("date"));
        }
    }
}

void TestStatsRun::csvOfACurve() {
    const ProgramRun run = springtest({"export", "csv", "--batch", "N", "--test", "7"});
    QVERIFY2(run.exitCode == 0, qPrintable(run.err));
    const QList<QStringList> rows = csvRows(runScript("read_csv.py", {run.out.trimmed()}));
    Database db(batchPath());
    const auto samples = db.select("select * from test_point where xuhao = 7 order by number");
    QVERIFY(samples && !samples->isEmpty());
    QCOMPARE(rows.size(), samples->size() + 1);
    QCOMPARE(rows[0], (QStringList{"点号", "负荷 (N)", "位移 (mm)", "变形 (mm)", "进回程"}));
    for (int i = 0; i < samples->size(); ++i) {
        const DbRow& s = (*samples)[i];
        QCOMPARE(rows[i + 1], (QStringList{s.text("number"), s.text("load"), s.text("weiyi"),
                                           s.text("bianxing"), s.text("jinhuicheng")}));
    }
}

void TestStatsRun::statsRefusesBadInput_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("says");
    QTest::newRow("no batch") << QStringList{"stats"} << 2 << "--batch";
    QTest::newRow("both outputs") << QStringList{"stats", "--batch", "N", "--json", "--csv"} << 2 << "either";
    QTest::newRow("unknown separator")
        << QStringList{"stats", "--batch", "N", "--csv", "--separator", "tab"} << 2 << "comma or semicolon";
    QTest::newRow("export with an unknown separator")
        << QStringList{"export", "csv", "--batch", "N", "--separator", "|"} << 2 << "comma or semicolon";
    QTest::newRow("missing batch") << QStringList{"stats", "--batch", "nosuch"} << 1 << "文件不存在!!";
    QTest::newRow("curve of a test not in the batch")
        << QStringList{"export", "csv", "--batch", "N", "--test", "99"} << 1
        << "test 99 is not in this batch";
}

void TestStatsRun::statsRefusesBadInput() {
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, says);
    const ProgramRun run = springtest(args);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains(says), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestStatsRun)
#include "tst_stats_run.moc"
