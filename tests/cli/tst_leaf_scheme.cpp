// Leaf-spring schemes from the command line: what the leaf-spring editor would refuse is refused with its
// words, what it would store is stored as it stores it, and the machine type decides which table a scheme
// goes to.

#include "cli/LeafSchemeInput.h"
#include "cli/SchemeCommand.h"
#include "cli/SchemeFile.h"
#include "platform/ProfileFile.h"
#include "session/ApplicationFolder.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "support/TempAppDir.h"

#include <QtTest>

using namespace springtest;
using springtest::testing::TempAppDir;

namespace {

// An input the editor would store: loads 1, 2, 3 against deformation.
LeafSchemeInput goodInput() {
    LeafSchemeInput in;
    in.name = QStringLiteral("L1");
    in.points = QStringList{"1", "2", "3"};
    in.upper = QStringList{"12", "22", "32"};
    in.lower = QStringList{"8", "18", "28"};
    return in;
}

}  // namespace

class TestLeafScheme : public QObject {
    Q_OBJECT
private slots:
    void inputIsChecked_data();
    void inputIsChecked();
    void fileIsRead_data();
    void fileIsRead();
    void commandStoresTheEditorsRow_data();
    void commandStoresTheEditorsRow();
    void newInstallationSuitsItsMachine_data();
    void newInstallationSuitsItsMachine();
    void machineTypeChoosesTheTable();
};

void TestLeafScheme::inputIsChecked_data() {
    QTest::addColumn<QString>("field");  // what the case changes
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<bool>("usage");
    QTest::addColumn<QString>("message");

    QTest::newRow("as the editor stores it") << ""
                                             << "" << false << false << "";
    QTest::newRow("equal loads pass") << "points"
                                      << "1,2,2" << false << false << "";
    QTest::newRow("falling loads fail at row 2")
        << "points"
        << "2,1,3" << true << false << "第2点输入信息错误，请检查后重新输入!!";
    QTest::newRow("style 0 takes falling displacements") << "style0points"
                                                         << "50,40,30" << false << false << "";
    QTest::newRow("style 0 refuses rising displacements")
        << "style0points"
        << "30,40,50" << true << false << "第2点输入信息错误，请检查后重新输入!!";
    QTest::newRow("upper limit below the lower")
        << "upper"
        << "12,17,32" << true << false << "第2点输入信息错误，请检查后重新输入!!";
    QTest::newRow("no name") << "name"
                             << " " << true << false << "方案名不能为空!!";
    QTest::newRow("name with a line break")
        << "name"
        << "L\n2" << true << false << "a scheme name must not contain line breaks or control characters";
    QTest::newRow("style 4")
        << "style"
        << "4" << true << true
        << "--style must be 0 (位移-负荷), 1 (变形-负荷), 2 (负荷-位移) or 3 (负荷-变形)";
    QTest::newRow("no points") << "points"
                               << "" << true << true << "give 1 to 10 points";
    QTest::newRow("eleven points") << "points"
                                   << "1,2,3,4,5,6,7,8,9,10,11" << true << true << "give 1 to 10 points";
    QTest::newRow("more limits than points") << "upper"
                                             << "12,22,32,42" << true << true << "more limits than points";
    QTest::newRow("negative leaf thickness")
        << "leaf_thickness"
        << "-3" << true << true
        << "--leaf-thickness (leaf_thickness) must be a number of 0 or more, not '-3'";
    QTest::newRow("set load no number")
        << "set_load"
        << "12kN" << true << true << "--set-load (set_load) must be a number of 0 or more, not '12kN'";
    QTest::newRow("endless maximum load")
        << "max_load"
        << "inf" << true << true << "--max-load (max_load) must be a number of 0 or more, not 'inf'";
    QTest::newRow("empty carriage height")
        << "carriage_height"
        << "" << true << true << "--carriage-height (carriage_height) must be a number of 0 or more, not ''";
}

void TestLeafScheme::inputIsChecked() {
    QFETCH(QString, field);
    QFETCH(QString, value);
    QFETCH(bool, refused);
    QFETCH(bool, usage);
    QFETCH(QString, message);
    LeafSchemeInput in = goodInput();
    if (field == "name") in.name = value;
    if (field == "style") in.style = value;
    if (field == "points") in.points = schemeList(value);
    if (field == "upper") in.upper = schemeList(value);
    if (field == "style0points") {
        in.style = "0";
        in.points = schemeList(value);
    }
    for (const LeafSchemeNumber& n : leafSchemeNumbers())
        if (n.key == field) in.*n.field = value;

    const std::optional<SchemeRefusal> refusal = leafSchemeRefusal(in);
    QCOMPARE(refusal.has_value(), refused);
    if (!refusal) return;
    QCOMPARE(refusal->usage, usage);
    QCOMPARE(refusal->message, message);
}

void TestLeafScheme::fileIsRead_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");

    QTest::newRow("every key") << "[scheme]\nname = L2\nstyle = 2\npoints = 1, 2\nupper = 5,6\nlower = 3,4\n"
                                  "initial_force = 0.2\nreturn_height = 3\nset_load = 7\n"
                                  "leaf_thickness = 42 ; all leaves\ncarriage_height = 80\n"
                                  "mandrel_radius = 9\nproof_load = 11\nmax_load = 12\n"
                               << "";
    QTest::newRow("a standard key")
        << "[scheme]\nname = L2\nstiffness_max = 3\n"
        << "line 3: unknown key 'stiffness_max' (the keys are name, style, "
           "points, upper, lower, initial_force, return_height, set_load, "
           "leaf_thickness, carriage_height, mandrel_radius, proof_load, max_load)";
    QTest::newRow("a key twice") << "[scheme]\nset_load = 1\nSet_Load = 2\n"
                                 << "line 3: 'set_load' is given twice";
}

void TestLeafScheme::fileIsRead() {
    QFETCH(QString, text);
    QFETCH(QString, error);
    LeafSchemeInput in;
    QString message;
    QCOMPARE(readLeafSchemeFile(text, in, message), error.isEmpty());
    QCOMPARE(message, error);
    if (!error.isEmpty()) return;
    const LeafSpringScheme s = leafSchemeRecord(in);
    QCOMPARE(s.scheme_style, QString("2"));
    QCOMPARE(s.scheme_sum, QString("2"));
    QCOMPARE(s.points[1], (SchemePoint{"2", "6", "4"}));
    QCOMPARE(s.scheme_load, QString("0.2"));
    QCOMPARE(s.scheme_height, QString("3"));
    QCOMPARE(s.scheme_sdload, QString("7"));
    QCOMPARE(s.scheme_th_height, QString("42"));
    QCOMPARE(s.scheme_xc_height, QString("80"));
    QCOMPARE(s.scheme_xbbj, QString("9"));
    QCOMPARE(s.scheme_yyload, QString("11"));
    QCOMPARE(s.scheme_returnLOAD, QString("12"));
}

void TestLeafScheme::commandStoresTheEditorsRow_data() {
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("fileText");  // written and passed with --file when not empty
    QTest::addColumn<QVariantMap>("columns");

    QTest::newRow("defaults of the editor")
        << QStringList{"--name", "D", "--points", "1,2"} << ""
        << QVariantMap{{"scheme_style", "3"},       {"scheme_jh", 2},
                       {"scheme_sum", "2"},         {"scheme_load", "0.5"},
                       {"scheme_height", "0.5"},    {"scheme_sdload", "0"},
                       {"scheme_th_height", "0.5"}, {"scheme_xc_height", "0.5"},
                       {"scheme_xbbj", "0.5"},      {"scheme_yyload", "0"},
                       {"scheme_returnLOAD", "0"},  {"schemedata2_max", "0"},
                       {"schemedata3", ""}};
    QTest::newRow("every option")
        << QStringList{"--name",           "E",  "--points",          "4,8", "--upper",          "9,17",
                       "--lower",          "7",  "--initial-force",   "0.3", "--set-load",       "6",
                       "--leaf-thickness", "40", "--carriage-height", "120", "--mandrel-radius", "20",
                       "--proof-load",     "10", "--max-load",        "12",  "--return-height",  "5"}
        << ""
        << QVariantMap{{"schemedata1", "4"},       {"schemedata1_max", "9"},    {"schemedata1_min", "7"},
                       {"schemedata2_min", "0"},   {"scheme_load", "0.3"},      {"scheme_sdload", "6"},
                       {"scheme_th_height", "40"}, {"scheme_xc_height", "120"}, {"scheme_xbbj", "20"},
                       {"scheme_yyload", "10"},    {"scheme_returnLOAD", "12"}, {"scheme_height", "5"}};
    QTest::newRow("options win over the file")
        << QStringList{"--set-load", "9"}
        << "[scheme]\nname = F\npoints = 1,2,3\nset_load = 4\nleaf_thickness = 33\n"
        << QVariantMap{
               {"scheme_name", "F"}, {"scheme_sdload", "9"}, {"scheme_th_height", "33"}, {"scheme_sum", "3"}};
}

void TestLeafScheme::commandStoresTheEditorsRow() {
    QFETCH(QStringList, args);
    QFETCH(QString, fileText);
    QFETCH(QVariantMap, columns);
    TempAppDir dir;
    QCOMPARE(initialiseApplicationFolder(dir.path(), 3).error, QString());
    if (!fileText.isEmpty()) {
        dir.write("leaf.ini", fileText.toUtf8());
        args << "--file" << dir.file("leaf.ini");
    }
    QCOMPARE(runSchemeCommand(dir.path(), 3, QStringList{"add"} + args), 0);

    const QStringList names = schemeNames(schemeDatabasePath(dir.path()), SchemeTable::LeafSpring);
    QCOMPARE(names.size(), 1);
    const auto stored = loadLeafSpringScheme(schemeDatabasePath(dir.path()), names.first());
    QVERIFY(stored);
    const QVariantMap row = schemeRowValues(*stored);
    for (auto c = columns.cbegin(); c != columns.cend(); ++c) QCOMPARE(row.value(c.key()), c.value());
    // The same name a second time is the editor's refusal, and nothing more is stored.
    QCOMPARE(runSchemeCommand(dir.path(), 3, {"add", "--name", names.first(), "--points", "1"}), 1);
    QCOMPARE(schemeNames(schemeDatabasePath(dir.path()), SchemeTable::LeafSpring).size(), 1);
}

void TestLeafScheme::newInstallationSuitsItsMachine_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<QString>("autoGear");
    QTest::addColumn<QString>("specimen");
    QTest::newRow("leaf spring: the gear follows the load, a leaf spring on the carriage") << 3 << "1"
                                                                                           << "leaf";
    QTest::newRow("standard machine as shipped") << 0 << "0"
                                                 << "compression";
}

void TestLeafScheme::newInstallationSuitsItsMachine() {
    QFETCH(int, machineType);
    QFETCH(QString, autoGear);
    QFETCH(QString, specimen);
    TempAppDir dir;
    QCOMPARE(initialiseApplicationFolder(dir.path(), machineType).error, QString());
    QCOMPARE(ProfileFile(dir.file("init0.dat")).readString("Load", "auto_gear", "?"), autoGear);
    QCOMPARE(ProfileFile(dir.file("simcard.ini")).readString("card0", "specimen", "coil"), specimen);
    // A second init keeps what the lab has set since.
    QVERIFY(ProfileFile(dir.file("simcard.ini")).writeString("card0", "specimen", "ring"));
    QCOMPARE(initialiseApplicationFolder(dir.path(), machineType).error, QString());
    QCOMPARE(ProfileFile(dir.file("simcard.ini")).readString("card0", "specimen", "coil"), QString("ring"));
}

void TestLeafScheme::machineTypeChoosesTheTable() {
    TempAppDir dir;
    QCOMPARE(initialiseApplicationFolder(dir.path(), 3).error, QString());
    const QString db = schemeDatabasePath(dir.path());
    QCOMPARE(runSchemeCommand(dir.path(), 3, {"add", "--name", "S", "--points", "1,2", "--set-load", "2"}),
             0);
    // The standard machine's options are not the leaf spring's, and the other way round.
    QCOMPARE(runSchemeCommand(dir.path(), 3, {"add", "--name", "T", "--points", "1", "--solid"}), 2);
    QCOMPARE(runSchemeCommand(dir.path(), 0, {"add", "--name", "T", "--points", "1", "--set-load", "2"}), 2);
    QCOMPARE(runSchemeCommand(dir.path(), 0, {"add", "--name", "S", "--points", "1"}), 0);
    QCOMPARE(schemeNames(db, SchemeTable::LeafSpring), QStringList{"S"});
    QCOMPARE(schemeNames(db, SchemeTable::Standard), QStringList{"S"});
    QCOMPARE(loadLeafSpringScheme(db, "S")->scheme_sdload, QString("2"));
}

QTEST_GUILESS_MAIN(TestLeafScheme)
#include "tst_leaf_scheme.moc"
