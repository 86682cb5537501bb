// The whole road of a standard test through the command line on the simulated machine: a scheme, a batch,
// tests run to their stored rows, compared with what the simulated spring really is.

#include "platform/ProfileFile.h"
#include "storage/Database.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"
#include "support/WorkbookReader.h"

#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <algorithm>
#include <cmath>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

struct Run {
    int exitCode = -1;
    QList<QJsonObject> events;  // with --json
    QString out, err;
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

private:
    Run springtest(const QStringList& args, int timeout_ms = 120000);
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
    QProcess p;
    p.setProgram(QCoreApplication::applicationDirPath() + "/springtest");
    p.setArguments(QStringList{"--appdir", m_dir->path()} + args);
    p.start();
    Run r;
    if (!p.waitForFinished(timeout_ms)) {
        p.kill();
        p.waitForFinished();
        r.err = "timed out";
        return r;
    }
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    for (const QString& line : r.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonDocument d = QJsonDocument::fromJson(line.toUtf8());
        if (d.isObject()) r.events << d.object();
    }
    return r;
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
    QCOMPARE(springtest({"scheme", "add", "--name", "C1", "--points", "55,50,45", "--upper", "60,110,160",
                         "--lower", "40,90,140", "--initial-force", "0.5", "--return", "--solid",
                         "--stiffness-max", "10.1", "--stiffness-min", "9.9"})
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
    const double travelPerReading = speed / 60.0 / kReadingsPerSecond;
    const double targets[] = {55, 50, 45};
    for (int k = 1; k <= 3; ++k) {
        const double load = rows[0].toDouble("result" + QString::number(k));
        // Where the platen stood when the point was captured, by the spring's own law.
        const double gap = freeHeight - load / rate;
        QVERIFY2(std::abs(gap - targets[k - 1]) <= 3 * travelPerReading + 0.01,
                 qPrintable(QString("point %1 captured at %2 mm").arg(k).arg(gap)));
        // Each end of the 5 mm between two points may be read up to three readings late, as the position
        // check above allows (a slowed build, such as a sanitizer's, comes near that).
        const double stiffness = rows[0].toDouble("gangdu" + QString::number(k));
        const double tolerance = std::max(0.01, 2 * 3 * travelPerReading / 5.0) * rate;
        QVERIFY2(std::abs(stiffness - rate) <= tolerance, qPrintable(QString("stiffness %1").arg(stiffness)));
    }
    QCOMPARE(rows[0].toInt("xuhao"), 1);
    QCOMPARE(rows[1].text("jinhuicheng"), QString("回"));
    QVERIFY(std::abs(rows[0].toDouble("height") - (freeHeight - 0.5 / rate)) <= 0.02);
    QVERIFY2(std::abs(rows[0].toDouble("yb_height") - 30.0) <= 0.1, qPrintable(rows[0].text("yb_height")));

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
        QVERIFY2(std::abs(shown - expected) <= 3 * travelPerReading + 0.011,
                 qPrintable(QString("point %1 at %2 mm, expected %3").arg(k).arg(shown).arg(expected)));
        if (k > 1) {
            // From the second point on the stiffness is the slope between points: the spring's rate.
            const double stiffness = rows[0].toDouble("gangdu" + QString::number(k));
            QVERIFY2(std::abs(stiffness - rate) <= 0.01 * rate,
                     qPrintable(QString("stiffness %1").arg(stiffness)));
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
    QCOMPARE(cell(points, "采集数据", "B" + last), samples->last().text("load"));
    QVERIFY(cell(points, "采集数据", "A" + QString::number(samples->size() + 1)).isEmpty());

    // A new application folder names the template's example report, with the curve at A12.
    const QJsonObject report = exported({"report", "--name", "示例报表", "--test", "2"});
    QCOMPARE(report["active"].toString(), QString("示例报表"));
    const QJsonArray pictures = report["images"]["示例报表"].toArray();
    QCOMPARE(pictures.size(), 1);
    QCOMPARE(pictures[0]["col"].toInt(), 0);
    QCOMPARE(pictures[0]["row"].toInt(), 11);

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

QTEST_GUILESS_MAIN(TestCliRun)
#include "tst_cli_run.moc"
