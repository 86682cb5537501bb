#include "SequencerRig.h"
#include "StorageProbes.h"
#include "platform/OperatorIdentity.h"
#include "platform/ProfileFile.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/StartRefusal.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"
#include "support/BatchMaker.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

StandardScheme threePointScheme(int jh = 1, bool yb = false, const QString& style = "0") {
    StandardScheme s;
    s.scheme_name = "S";
    s.scheme_style = style;
    s.scheme_jh = jh;
    s.scheme_load = "5";
    s.scheme_sum = "3";
    s.points[0] = {"40", "110", "90"};
    s.points[1] = {"35", "0", "0"};
    s.points[2] = {"30", "0", "0"};
    s.scheme_gangdu_max = "12";
    s.scheme_gangdu_min = "8";
    s.scheme_type = true;
    s.scheme_yb = yb;
    return s;
}

// A test as the sequencer hands it to storage when it ends on the rig's card.
FinishedTest finished(SequencerRig& rig, const ResultArray& results, const ttest_chart& curve) {
    return FinishedTest{rig.seq->scheme(), results, curve, readoutFormat(rig.cards.cards[0])};
}

}  // namespace

class TestStandardStorage : public QObject {
    Q_OBJECT
private slots:
    void loaderReadsSchemeAndLaysOutGrid();
    void loaderMessages();
    void loaderPicksProcedureBySpringKind_data();
    void loaderPicksProcedureBySpringKind();
    void nextSerial_data();
    void nextSerial();
    void storesFormattedRows_data();
    void storesFormattedRows();
    void storesCurveRows();
    void failedStoreLeavesNothing();
    void openingRefusals();
    void batchIsHeldWhileOpenForTesting();
    void serialIsTakenWhenStoring_data();
    void serialIsTakenWhenStoring();
    void failedOpenLeavesNoBatch_data();
    void failedOpenLeavesNoBatch();
    void operatorIsStoredWithTheTest_data();
    void operatorIsStoredWithTheTest();
};

void TestStandardStorage::loaderReadsSchemeAndLaysOutGrid() {
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(2, true));
    QVERIFY(!batch.isEmpty());
    GridRecorder grid;
    const OpenBatchOutcome opened = openBatchForTesting(*rig.seq, &grid, batch);
    QVERIFY2(opened.ok, qPrintable(opened.message));
    const ttest_info s = rig.seq->scheme();
    QCOMPARE(s.xuhao, 1);
    QCOMPARE(s.scheme_sum, 3);
    QCOMPARE(s.points, (QVector<double>{40, 35, 30}));
    QCOMPARE(s.upper, (QVector<double>{110, 0, 0}));
    QCOMPARE(s.scheme_jh, 2);
    QVERIFY(s.scheme_yb);
    QCOMPARE(s.scheme_load, 5.0);
    QCOMPARE(s.scheme_gangdu_max, 12.0);
    QCOMPARE(s.connection, batch);
    QCOMPARE(grid.widths, (QList<int>{30, 60, 60, 60, 50, 50}));
    QCOMPARE(grid.rows, 4);
    QCOMPARE(grid.cell(0, 1), QString("位移"));
    QCOMPARE(grid.cell(0, 4), QString("实测值"));
    QCOMPARE(grid.cell(0, 5), QString("刚度"));
    QCOMPARE(grid.cell(1, 1), QString("40"));
    QCOMPARE(grid.cell(1, 2), QString("110"));
    QCOMPARE(grid.cell(3, 0), QString("3"));
    QVERIFY(rig.seq->hasProcedure());
}

void TestStandardStorage::loaderMessages() {
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    GridRecorder grid;
    ttest_info s;
    QCOMPARE(rig.seq->LoadScheme(nullptr, "x.mdb", s).message, QString("参数错误！！"));
    QCOMPARE(rig.seq->LoadScheme(&grid, "", s).message, QString("参数错误！！"));

    QVERIFY(ensureDatabaseFiles(rig.dir.path(), 0).error.isEmpty());
    QVERIFY(QFile::copy(databaseTemplatePath(rig.dir.path()), rig.dir.file("empty.mdb")));
    QCOMPARE(rig.seq->LoadScheme(&grid, rig.dir.file("empty.mdb"), s).message, QString("当前无试验方案"));

    rig.dir.write("junk.mdb", "this is no database");
    // The system's words first, the engine's after them.
    QCOMPARE(rig.seq->LoadScheme(&grid, rig.dir.file("junk.mdb"), s).message,
             QString("读取文件错误!! file is not a database"));

    // A batch whose scheme table cannot be read says why, as a file that cannot be opened does.
    QVERIFY(QFile::copy(databaseTemplatePath(rig.dir.path()), rig.dir.file("noscheme.mdb")));
    QVERIFY(Database(rig.dir.file("noscheme.mdb")).exec("drop table test_information"));
    QCOMPARE(rig.seq->LoadScheme(&grid, rig.dir.file("noscheme.mdb"), s).message,
             QString("读取文件错误!! no such table: test_information"));
}

void TestStandardStorage::loaderPicksProcedureBySpringKind_data() {
    QTest::addColumn<int>("machineType");
    QTest::addColumn<bool>("compression");
    QTest::addColumn<int>("kind");
    QTest::newRow("compression") << 0 << true << int(StandardTestKind::Compression);
    QTest::newRow("tension") << 2 << false << int(StandardTestKind::Tension);
    QTest::newRow("tension on type 6") << 6 << false << int(StandardTestKind::TensionType6);
    QTest::newRow("compression on type 6") << 6 << true << int(StandardTestKind::Compression);
}

void TestStandardStorage::loaderPicksProcedureBySpringKind() {
    QFETCH(int, machineType);
    QFETCH(bool, compression);
    QFETCH(int, kind);
    SequencerRig rig(machineType);
    installProceduresForMachineType(*rig.seq);
    StandardScheme scheme = threePointScheme();
    scheme.scheme_type = compression;
    if (!compression) {
        scheme.scheme_style = "2";
        scheme.points = {};
        scheme.points[0] = {"10", "0", "0"};
        scheme.points[1] = {"20", "0", "0"};
        scheme.points[2] = {"30", "0", "0"};
    }
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, makeBatch(rig.dir, scheme)).ok);
    auto* installed = dynamic_cast<StandardTest*>(rig.seq->sampleSlot().procedure.load());
    QVERIFY(installed);
    QCOMPARE(int(installed->kind()), kind);
}

void TestStandardStorage::nextSerial_data() {
    QTest::addColumn<QList<int>>("serials");
    QTest::addColumn<QList<int>>("deleted");
    QTest::addColumn<int>("next");
    QTest::newRow("empty") << QList<int>{} << QList<int>{} << 1;
    QTest::newRow("largest 7") << QList<int>{1, 2, 3, 4, 5, 6, 7} << QList<int>{} << 8;
    QTest::newRow("after deletions") << QList<int>{1, 2, 3, 4, 5} << QList<int>{2, 3} << 6;
    QTest::newRow("last deleted") << QList<int>{1, 2, 3} << QList<int>{3} << 3;
}

void TestStandardStorage::nextSerial() {
    QFETCH(QList<int>, serials);
    QFETCH(QList<int>, deleted);
    QFETCH(int, next);
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme());
    {
        Database db(batch);
        for (int x : serials) QVERIFY(db.insertRow("test_result", {{"xuhao", x}, {"jinhuicheng", "进"}}));
        for (int x : deleted) QVERIFY(db.exec("delete from test_result where xuhao = ?", {x}));
    }
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    QCOMPARE(rig.seq->xuhao(), next);
}

void TestStandardStorage::storesFormattedRows_data() {
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("style");
    QTest::addColumn<float>("value");
    QTest::addColumn<float>("stiffness");
    QTest::addColumn<QString>("storedValue");
    QTest::addColumn<QString>("storedStiffness");
    // Load decimals 2 (gear 1), displacement decimals 3.
    QTest::newRow("N, loads measured") << "N"
                                       << "0" << 12.3456f << 12.3456f << "12.35"
                                       << "12.35";
    QTest::newRow("kN, stiffness in N/mm") << "kN"
                                           << "0" << 0.0123456f << 0.0123456f << "0.01"
                                           << "12.35";
    QTest::newRow("displacement measured") << "N"
                                           << "2" << 41.23456f << 1.5f << "41.235"
                                           << "1.50";
}

void TestStandardStorage::storesFormattedRows() {
    QFETCH(QString, units);
    QFETCH(QString, style);
    QFETCH(float, value);
    QFETCH(float, stiffness);
    QFETCH(QString, storedValue);
    QFETCH(QString, storedStiffness);
    SequencerRig rig;
    QVERIFY(ProfileFile(rig.dir.file("init0.dat")).writeString("Load", "Units", units));
    QVERIFY(ProfileFile(rig.dir.file("init0.dat")).writeString("Load", "Gear1_Decimal_Places", "2"));
    rig.cards.cards[0].load = std::make_unique<Tload>(rig.dir.path(), 0, rig.driver, &rig.cards.cards[0]);
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(2, false, style));
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);

    ResultArray r;
    r[0] = 50.0f;
    r[ResultArray::valueIndex(1, 1)] = value;
    r[ResultArray::stiffnessIndex(1, 1)] = stiffness;
    r[ResultArray::valueIndex(2, 1)] = value;  // point 2 of each stroke left empty
    const auto outcome = storeStandardTest(finished(rig, r, ttest_chart{}));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    const QList<DbRow> rows = rowsOf(batch, "select * from test_result order by rowid");
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows[0].toInt("xuhao"), 1);
    QCOMPARE(rows[1].toInt("xuhao"), 1);
    QCOMPARE(rows[0].text("jinhuicheng"), QString("进"));
    QCOMPARE(rows[1].text("jinhuicheng"), QString("回"));
    QCOMPARE(rows[0].text("result1"), storedValue);
    QCOMPARE(rows[0].text("gangdu1"), storedStiffness);
    QVERIFY(rows[0].isEmpty("result2"));  // not reached: empty, not an earlier test's value
    QVERIFY(rows[0].isEmpty("gangdu2"));
    QVERIFY(rows[0].isEmpty("result4"));  // beyond the scheme's points
    QCOMPARE(rows[0].text("height"), QString("50.000"));
    QVERIFY(rows[0].isEmpty("yb_height"));  // no solid-height search in this scheme
    // Whatever the system's locale, the date reads back as one: reports and exports show it as a date.
    QVERIFY2(QDateTime::fromString(rows[0].text("date"), "yyyy-MM-dd HH:mm:ss").isValid(),
             qPrintable(rows[0].text("date")));
    QCOMPARE(count(batch, "test_point"), 0);  // a curve of no samples is stored as no rows
}

void TestStandardStorage::storesCurveRows() {
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(1, true));
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    ttest_chart c;
    for (int i = 0; i < 5; ++i) {
        c.load << QString::number(i * 10);
        c.displacement << QString::number(50 - i);
        c.deformation << QString::number(i);
        c.stroke << (i < 3 ? "1" : "2");
    }
    c.count = 5;
    ResultArray r;
    r[1] = 29.5f;
    QVERIFY(storeStandardTest(finished(rig, r, c)).ok);
    const QList<DbRow> points = rowsOf(batch, "select * from test_point order by number");
    QCOMPARE(points.size(), 5);
    QCOMPARE(points[3].toInt("number"), 4);
    QCOMPARE(points[3].text("load"), QString("30"));
    QCOMPARE(points[3].text("weiyi"), QString("47"));
    QCOMPARE(points[3].text("bianxing"), QString("3"));
    QCOMPARE(points[3].text("jinhuicheng"), QString("2"));
    QCOMPARE(points[0].toInt("xuhao"), 1);
    QCOMPARE(rowsOf(batch, "select yb_height from test_result").first().text("yb_height"), QString("29.500"));
    QVERIFY(rowsOf(batch, "select height from test_result").first().isEmpty("height"));
}

void TestStandardStorage::failedStoreLeavesNothing() {
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(2));
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    {
        // The curve cannot be written: the result rows written before must not stay behind.
        Database db(batch);
        QVERIFY(db.exec("drop table test_point"));
    }
    ttest_chart c;
    c.load << "1";
    c.displacement << "2";
    c.deformation << "3";
    c.stroke << "1";
    c.count = 1;
    const auto outcome = storeStandardTest(finished(rig, ResultArray{}, c));
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(count(batch, "test_result"), 0);

    // Through the sequencer: state 4, the serial stays.
    rig.seq->setTestStorer(&storeStandardTest);
    rig.seq->StartCurveTimer();
    rig.start(100);
    rig.record().load = 10.0f;
    rig.seq->ChartFeed();
    rig.sample(0, 50);
    rig.sample(0, 100);
    QTRY_COMPARE(rig.seq->state(), TestState::StoreFailed);
    QCOMPARE(rig.seq->xuhao(), 1);
    QCOMPARE(count(batch, "test_result"), 0);
    Database db(batch);
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{}));
}

void TestStandardStorage::openingRefusals() {
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    GridRecorder grid;
    QCOMPARE(openBatchForTesting(*rig.seq, &grid, "").message, QString("文件名不能为空!!"));
    QCOMPARE(openBatchForTesting(*rig.seq, &grid, rig.dir.file("none.mdb")).message, QString("文件不存在!!"));
    const QString batch = makeBatch(rig.dir, threePointScheme());
    Database holder(batch);  // held open, as a result browser would
    QCOMPARE(openBatchForTesting(*rig.seq, &grid, batch).message, QString("文件正在使用!!"));

    SequencerRig leaf(3);
    installProceduresForMachineType(*leaf.seq);
    const OpenBatchOutcome refused = openBatchForTesting(*leaf.seq, &grid, rig.dir.file("init0.dat"));
    QVERIFY(!refused.ok);
    QVERIFY(!refused.message.isEmpty());
}

void TestStandardStorage::batchIsHeldWhileOpenForTesting() {
    SequencerRig first;
    installStandardStorage(*first.seq);
    const QString batch = makeBatch(first.dir, threePointScheme());
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*first.seq, &grid, batch).ok);
    // Its own sequencer opens it again; a second one, as a second program would be, is refused.
    QVERIFY(openBatchForTesting(*first.seq, &grid, batch).ok);
    {
        SequencerRig second;
        installStandardStorage(*second.seq);
        QCOMPARE(openBatchForTesting(*second.seq, &grid, batch).message, QString("文件正在使用!!"));
    }
    // Opening another batch lets the first one go.
    QVERIFY(openBatchForTesting(*first.seq, &grid, makeBatch(first.dir, threePointScheme(), "B2")).ok);
    SequencerRig second;
    installStandardStorage(*second.seq);
    QVERIFY(openBatchForTesting(*second.seq, &grid, batch).ok);
}

void TestStandardStorage::serialIsTakenWhenStoring_data() {
    QTest::addColumn<QList<int>>("storedMeanwhile");  // serials in the batch when the test is stored
    QTest::addColumn<int>("stored");
    // The sequencer numbered the test 1 when the batch was opened.
    QTest::newRow("nothing stored meanwhile") << QList<int>{} << 1;
    QTest::newRow("another program stored test 1") << QList<int>{1} << 2;
    QTest::newRow("another program stored tests 1 to 3") << QList<int>{1, 2, 3} << 4;
}

void TestStandardStorage::serialIsTakenWhenStoring() {
    QFETCH(QList<int>, storedMeanwhile);
    QFETCH(int, stored);
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(2));
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    QCOMPARE(rig.seq->xuhao(), 1);
    {
        Database other(batch);
        for (int serial : storedMeanwhile) {
            QVERIFY(other.insertRow("test_result", {{"xuhao", serial}, {"jinhuicheng", "进"}}));
            QVERIFY(other.insertRow("test_result", {{"xuhao", serial}, {"jinhuicheng", "回"}}));
        }
    }
    ttest_chart c;
    c.load << "1";
    c.displacement << "2";
    c.deformation << "3";
    c.stroke << "1";
    c.count = 1;
    const auto outcome = storeStandardTest(finished(rig, ResultArray{}, c));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    const QList<DbRow> rows = rowsOf(batch, "select xuhao from test_result where date is not null");
    QCOMPARE(rows.size(), 2);
    for (const DbRow& row : rows) QCOMPARE(row.toInt("xuhao"), stored);
    const QList<DbRow> points = rowsOf(batch, "select xuhao from test_point");
    QCOMPARE(points.size(), 1);
    QCOMPARE(points.first().toInt("xuhao"), stored);
}

void TestStandardStorage::failedOpenLeavesNoBatch_data() {
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("keepsFirst");
    QTest::newRow("no scheme in the file") << "empty.mdb"
                                           << "当前无试验方案" << false;
    QTest::newRow("no database") << "junk.mdb"
                                 << "读取文件错误!!" << false;
    QTest::newRow("a scheme style no scheme has") << "odd.mdb"
                                                  << "读取文件错误!!" << false;
    QTest::newRow("no such file") << "none.mdb"
                                  << "文件不存在!!" << false;
    QTest::newRow("while a test runs") << "empty.mdb"
                                       << "试验正在进行，无法打开文件!!" << true;
}

void TestStandardStorage::failedOpenLeavesNoBatch() {
    QFETCH(QString, second);
    QFETCH(QString, message);
    QFETCH(bool, keepsFirst);
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    // The first batch holds three tests: the next is stored as 4.
    const QString first = makeBatch(rig.dir, threePointScheme(), "A1");
    {
        Database db(first);
        for (int x : {1, 2, 3}) QVERIFY(db.insertRow("test_result", {{"xuhao", x}, {"jinhuicheng", "进"}}));
    }
    QVERIFY(QFile::copy(databaseTemplatePath(rig.dir.path()), rig.dir.file("empty.mdb")));
    rig.dir.write("junk.mdb", "this is no database");
    QVERIFY(QFile::copy(makeBatch(rig.dir, threePointScheme(), "A2"), rig.dir.file("odd.mdb")));
    QVERIFY(Database(rig.dir.file("odd.mdb")).exec("update test_information set scheme_style = '7'"));
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, first).ok);
    QCOMPARE(rig.seq->xuhao(), 4);
    if (keepsFirst) rig.start(80);

    const OpenBatchOutcome opened = openBatchForTesting(*rig.seq, &grid, rig.dir.file(second));
    QVERIFY(!opened.ok);
    // The system's words first; the database may add its own after them.
    QVERIFY2(opened.message.startsWith(message), qPrintable(opened.message));
    if (keepsFirst) {
        QCOMPARE(rig.seq->scheme().connection, first);
        QCOMPARE(rig.seq->xuhao(), 4);
        QVERIFY(rig.seq->hasProcedure());
        return;
    }
    // Neither the first batch nor the serial of the one that failed: no test can go anywhere.
    QVERIFY(!rig.seq->hasBatch());
    QVERIFY(!rig.seq->hasProcedure());
    QCOMPARE(testStartRefusal(*rig.seq, 0), QString("请选择试验方案!!"));
}

void TestStandardStorage::operatorIsStoredWithTheTest_data() {
    QTest::addColumn<QString>("loggedIn");
    QTest::addColumn<QString>("expected");
    QTest::newRow("logged-in account") << QStringLiteral("张工") << QStringLiteral("张工");
    QTest::newRow("nobody logged in: the system user") << QString() << QStringLiteral("lab-pc-user");
}

// A batch made before operators were recorded has no table for them: it opens for testing as it is, and the
// first test stored into it brings the table along with its operator.
void TestStandardStorage::operatorIsStoredWithTheTest() {
    QFETCH(QString, loggedIn);
    QFETCH(QString, expected);
    qputenv("USER", "lab-pc-user");
    setLoggedInOperator(loggedIn);
    SequencerRig rig;
    installStandardStorage(*rig.seq);
    const QString batch = makeBatch(rig.dir, threePointScheme(1));
    {
        Database db(batch);
        QVERIFY(db.columns("test_operator").isEmpty());
    }
    GridRecorder grid;
    QVERIFY(openBatchForTesting(*rig.seq, &grid, batch).ok);
    rig.seq->StartCurveTimer();
    rig.start(100);
    rig.record().load = 10.0f;
    rig.seq->ChartFeed();
    rig.sample(0, 50);
    rig.sample(0, 100);
    // Whoever logs in meanwhile, the test is the one's who ran it.
    setLoggedInOperator(QStringLiteral("next shift"));
    QTRY_COMPARE(rig.seq->state(), TestState::Stored);
    setLoggedInOperator(QString());
    QCOMPARE(rig.seq->storingTest().operatorName, expected);
    Database db(batch);
    const auto operators = readTestOperators(db);
    QVERIFY(operators);
    QCOMPARE(*operators, (QHash<int, QString>{{1, expected}}));
}

QTEST_GUILESS_MAIN(TestStandardStorage)
#include "tst_standardstorage.moc"
