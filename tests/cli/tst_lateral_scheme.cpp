// Axial and lateral schemes and batches from the command line on the lateral-stiffness machine: what the
// lateral editor would refuse is refused, what it would store is stored as it stores it, and its batches go
// to the lateral batch folder.

#include "cli/BatchCommand.h"
#include "cli/SchemeCommand.h"
#include "session/ApplicationFolder.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/CapturedOutput.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::CapturedOutput;
using springtest::testing::TempAppDir;

namespace {

constexpr int kLateralMachine = 5;

// A working folder of the lateral-stiffness machine.
struct LateralFolder {
    TempAppDir dir;
    LateralFolder() {
        const QString error = initialiseApplicationFolder(dir.path(), kLateralMachine).error;
        if (!error.isEmpty()) qFatal("%s", qPrintable(error));
    }
    QString schemes() const { return schemeDatabasePath(dir.path()); }
    int scheme(const QStringList& args, int machineType = kLateralMachine) const {
        return runSchemeCommand(dir.path(), machineType, QStringList{"add"} + args);
    }
};

}  // namespace

class TestLateralScheme : public QObject {
    Q_OBJECT
private slots:
    void addStoresTheEditorsRow_data();
    void addStoresTheEditorsRow();
    void addRefusals_data();
    void addRefusals();
    void listNamesTheKind();
    void batchNewMakesALateralBatch();
};

void TestLateralScheme::addStoresTheEditorsRow_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fileText");  // written and passed with --file when not empty
    QTest::addColumn<bool>("schemeType");
    QTest::addColumn<int>("strokes");
    QTest::addColumn<QString>("style");

    QTest::newRow("axial unless told")
        << QStringList{"--name", "A", "--points", "40,35,30"} << "" << true << 1 << "0";
    QTest::newRow("lateral") << QStringList{"--name",  "L", "--kind",   "lateral",
                                            "--style", "1", "--points", "2,4"}
                             << "" << false << 2 << "1";
    QTest::newRow("lateral by its caption")
        << QStringList{"--name", "L", "--kind", "横向", "--style", "3", "--points", "100,100"} << "" << false
        << 2 << "3";
    QTest::newRow("axial, deformations given")
        << QStringList{"--name", "A", "--kind", "Axial", "--style", "1", "--points", "2,4"} << "" << true << 1
        << "1";
    QTest::newRow("lateral from the file")
        << QStringList{} << "[scheme]\nname = F\nkind = lateral\nstyle = 1\npoints = 1,2\n"
        << false << 2 << "1";
    QTest::newRow("the option wins over the file")
        << QStringList{"--kind", "axial"} << "[scheme]\nname = F\nkind = lateral\nstyle = 1\npoints = 1,2\n"
        << true << 1 << "1";
}

void TestLateralScheme::addStoresTheEditorsRow() {
    QFETCH(QStringList, args);
    QFETCH(QString, fileText);
    QFETCH(bool, schemeType);
    QFETCH(int, strokes);
    QFETCH(QString, style);
    LateralFolder folder;
    if (!fileText.isEmpty()) {
        folder.dir.write("scheme.ini", fileText.toUtf8());
        args << "--file" << folder.dir.file("scheme.ini");
    }
    CapturedOutput output;
    QCOMPARE(folder.scheme(args), 0);
    QCOMPARE(output.lines(), QStringList{"方案保存成功!!"});

    const QStringList names = schemeNames(folder.schemes(), SchemeTable::Standard);
    QCOMPARE(names.size(), 1);
    const auto s = loadStandardScheme(folder.schemes(), names.first());
    QVERIFY(s);
    QCOMPARE(s->scheme_type, schemeType);
    QCOMPARE(s->scheme_jh, strokes);
    QCOMPARE(s->scheme_style, style);
    QVERIFY(!s->scheme_yb);
    QCOMPARE(s->points[1].max, QString("0"));
}

void TestLateralScheme::addRefusals_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fileText");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");
    const QString lateralStyle = "横向试验的试验类型只能是变形-负荷或负荷-变形!!";
    const QString row2 = "第2点输入信息错误，请检查后重新输入!!";
    const QString noSwitches =
        "on the lateral-stiffness machine the kind decides the strokes and there is no spring kind or solid "
        "height: give --kind axial or --kind lateral (kind = in a scheme file), not --return, --tension or "
        "--solid";
    const QStringList two{"--name", "X", "--points", "1,2"};

    QTest::newRow("lateral, displacements given")
        << 5 << two + QStringList{"--kind", "lateral", "--style", "0"} << "" << 1 << lateralStyle;
    QTest::newRow("lateral, displacements measured")
        << 5 << two + QStringList{"--kind", "lateral", "--style", "2"} << "" << 1 << lateralStyle;
    QTest::newRow("lateral in the file, displacements given")
        << 5 << QStringList{} << "[scheme]\nname = F\nkind = 横向\npoints = 1,2\n"
        << 1 << lateralStyle;
    QTest::newRow("axial heights rise")
        << 5 << QStringList{"--name", "X", "--points", "30,35"} << "" << 1 << row2;
    QTest::newRow("lateral deformations fall")
        << 5 << QStringList{"--name", "X", "--points", "5,3", "--kind", "lateral", "--style", "1"} << "" << 1
        << row2;
    QTest::newRow("a kind that is none") << 5 << two + QStringList{"--kind", "radial"} << "" << 2
                                         << "--kind must be axial (轴向) or lateral (横向), not 'radial'";
    QTest::newRow("return stroke asked for") << 5 << two + QStringList{"--return"} << "" << 2 << noSwitches;
    QTest::newRow("tension spring asked for")
        << 5 << QStringList{} << "[scheme]\nname = F\npoints = 1,2\ntension = 1\n"
        << 2 << noSwitches;
    QTest::newRow("solid height asked for") << 5 << two + QStringList{"--solid"} << "" << 2 << noSwitches;
    QTest::newRow("a kind on the standard machine")
        << 0 << two + QStringList{"--kind", "axial"} << "" << 2
        << "--kind (kind = in a scheme file) is for the lateral-stiffness machine (machine type 5), not "
           "machine type 0";
    QTest::newRow("a kind in the file on machine type 6")
        << 6 << QStringList{} << "[scheme]\nname = F\npoints = 1,2\nkind = lateral\n"
        << 2
        << "--kind (kind = in a scheme file) is for the lateral-stiffness machine (machine type 5), not "
           "machine type 6";
}

void TestLateralScheme::addRefusals() {
    QFETCH(int, machineType);
    QFETCH(QStringList, args);
    QFETCH(QString, fileText);
    QFETCH(int, exitCode);
    QFETCH(QString, message);
    LateralFolder folder;
    if (!fileText.isEmpty()) {
        folder.dir.write("scheme.ini", fileText.toUtf8());
        args << "--file" << folder.dir.file("scheme.ini");
    }
    CapturedOutput output;
    QCOMPARE(folder.scheme(args, machineType), exitCode);
    QCOMPARE(output.lines(), QStringList{message});
    QCOMPARE(schemeNames(folder.schemes(), SchemeTable::Standard), QStringList{});
}

void TestLateralScheme::listNamesTheKind() {
    LateralFolder folder;
    QCOMPARE(folder.scheme({"--name", "轴向A", "--points", "40,35"}), 0);
    QCOMPARE(folder.scheme({"--name", "B 2", "--kind", "lateral", "--style", "3", "--points", "5,10"}), 0);
    CapturedOutput output;
    QCOMPARE(runSchemeCommand(folder.dir.path(), kLateralMachine, {"list"}), 0);
    QCOMPARE(output.lines(), (QStringList{"轴向A\t轴向", "B 2\t横向"}));
}

void TestLateralScheme::batchNewMakesALateralBatch() {
    LateralFolder folder;
    QCOMPARE(folder.scheme({"--name", "L", "--kind", "lateral", "--style", "1", "--points", "2,4"}), 0);
    // A leaf-spring scheme of the same database is no scheme of this machine.
    LeafSpringScheme leaf;
    leaf.scheme_name = "G";
    QVERIFY(insertScheme(folder.schemes(), leaf));

    {
        CapturedOutput output;
        QCOMPARE(
            runBatchCommand(folder.dir.path(), kLateralMachine, {"new", "--batch", "H1", "--scheme", "G"}),
            1);
        QCOMPARE(output.lines(), QStringList{"该方案名不存在!!"});
    }
    CapturedOutput output;
    QCOMPARE(runBatchCommand(folder.dir.path(), kLateralMachine, {"new", "--batch", "H1", "--scheme", "L"}),
             0);
    const QString path = batchDatabasePath(folder.dir.path(), BatchKind::Lateral, "H1");
    QCOMPARE(output.lines(), (QStringList{"批次数据库建立完成!!", path}));
    QVERIFY(path.contains("/database_HXGD/"));
    const auto copied = loadStandardScheme(path, "L");
    QVERIFY(copied);
    QVERIFY(!copied->scheme_type);
    QCOMPARE(copied->scheme_jh, 2);
    // The batch holds the lateral machine's results: X, Y and offset beside each point, no solid height.
    Database batch(path);
    const QStringList columns = batch.columns("test_result");
    QVERIFY(columns.contains("pianyi_value10"));
    QVERIFY(!columns.contains("yb_height"));
}

QTEST_GUILESS_MAIN(TestLateralScheme)
#include "tst_lateral_scheme.moc"
