// `scheme show` writes a stored scheme as a scheme file: read back by `scheme add --file` on another
// installation of the same machine type, it gives the same scheme.

#include "cli/SchemeCommand.h"
#include "session/ApplicationFolder.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/CapturedOutput.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::CapturedOutput;
using springtest::testing::TempAppDir;

namespace {

struct Installation {
    TempAppDir dir;
    int machineType;
    explicit Installation(int type) : machineType(type) {
        const QString error = initialiseApplicationFolder(dir.path(), type).error;
        if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    }
    int scheme(const QStringList& args) const { return runSchemeCommand(dir.path(), machineType, args); }
    QString schemes() const { return schemeDatabasePath(dir.path()); }
};

}  // namespace

class TestSchemeShow : public QObject {
    Q_OBJECT
private slots:
    void showReadsBackAsTheSameScheme_data();
    void showReadsBackAsTheSameScheme();
    void showRefusals_data();
    void showRefusals();
};

void TestSchemeShow::showReadsBackAsTheSameScheme_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("shownLine");  // one line the text holds
    const QStringList limits{"--upper", "110,160", "--lower", "90"};

    QTest::newRow("standard compression spring")
        << 0
        << QStringList{"--name", "S1", "--points", "40,35", "--return", "--solid", "--stiffness-max", "11"} +
               limits
        << "style = 0 ; 位移-负荷";
    QTest::newRow("standard tension spring")
        << 6 << QStringList{"--name", "T", "--points", "30,35", "--tension", "--initial-force", "0.2"}
        << "tension = 1";
    QTest::newRow("a name the file must quote")
        << 0 << QStringList{"--name", " A ;1 #2", "--points", "1"} << "name = \" A ;1 #2\"";
    QTest::newRow("axial") << 5 << QStringList{"--name", "A", "--points", "5,10", "--style", "1"} + limits
                           << "kind = axial ; 轴向";
    QTest::newRow("lateral") << 5 << QStringList{"--name",  "L", "--points", "50,100",
                                                 "--style", "3", "--kind",   "lateral"}
                             << "kind = lateral ; 横向";
    QTest::newRow("leaf spring") << 3
                                 << QStringList{"--name",
                                                "G",
                                                "--points",
                                                "1000,2000",
                                                "--set-load",
                                                "1000",
                                                "--proof-load",
                                                "3000",
                                                "--max-load",
                                                "3600",
                                                "--leaf-thickness",
                                                "30",
                                                "--carriage-height",
                                                "50",
                                                "--mandrel-radius",
                                                "12.5"}
                                 << "mandrel_radius = 12.5";
}

void TestSchemeShow::showReadsBackAsTheSameScheme() {
    QFETCH(int, machineType);
    QFETCH(QStringList, args);
    QFETCH(QString, shownLine);
    Installation here(machineType);
    QCOMPARE(here.scheme(QStringList{"add"} + args), 0);
    const QString name = args[args.indexOf("--name") + 1];
    CapturedOutput output;
    QCOMPARE(here.scheme({"show", "--name", name}), 0);
    const QStringList lines = output.lines();
    QVERIFY2(lines.contains(shownLine), qPrintable(lines.join('\n')));

    Installation there(machineType);
    there.dir.write("shown.ini", lines.join('\n').toUtf8());
    QCOMPARE(there.scheme({"add", "--file", there.dir.file("shown.ini")}), 0);
    if (machineType == 3) {
        QCOMPARE(loadLeafSpringScheme(there.schemes(), name), loadLeafSpringScheme(here.schemes(), name));
    } else {
        const auto copy = loadStandardScheme(there.schemes(), name);
        QVERIFY(copy);
        QCOMPARE(*copy, *loadStandardScheme(here.schemes(), name));
    }
}

void TestSchemeShow::showRefusals_data() {
    QTest::addColumn<StandardScheme>("stored");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    StandardScheme good;
    good.scheme_name = "S";
    good.scheme_sum = "1";
    good.points[0] = {"4", "0", "0"};
    StandardScheme comma = good;
    comma.points[0].value = "4,5";
    StandardScheme quoted = good;
    quoted.scheme_name = " \"S\"";
    StandardScheme noCount = good;
    noCount.scheme_sum = "";

    QTest::newRow("no such scheme") << good << QStringList{"--name", "X"} << 1 << "该方案名不存在!!";
    QTest::newRow("no name") << good << QStringList{} << 2 << "scheme show needs --name NAME";
    QTest::newRow("a point holding a comma") << comma << QStringList{"--name", "S"} << 1
                                             << "points '4,5' cannot be written in a scheme file's list";
    QTest::newRow("a name that needs quotes and holds one")
        << quoted << QStringList{"--name", " \"S\""} << 1
        << "name ' \"S\"' cannot be written in a scheme file: it needs quotes and holds one";
    QTest::newRow("no point count") << noCount << QStringList{"--name", "S"} << 1
                                    << "the stored point count '' is no number from 1 to 10";
}

void TestSchemeShow::showRefusals() {
    QFETCH(StandardScheme, stored);
    QFETCH(QStringList, args);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    Installation here(0);
    QVERIFY(insertScheme(here.schemes(), stored));
    CapturedOutput output;
    QCOMPARE(here.scheme(QStringList{"show"} + args), exitCode);
    QCOMPARE(output.lines(), QStringList{message});
}

QTEST_GUILESS_MAIN(TestSchemeShow)
#include "tst_scheme_show.moc"
