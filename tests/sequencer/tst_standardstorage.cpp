#include "SequencerRig.h"
#include "platform/ProfileFile.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/StandardStorage.h"
#include "storage/Batch.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"

#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

struct GridRecorder : ResultGrid {
    QList<int> widths;
    QMap<QPair<int, int>, QString> cells;
    int rows = 0;
    void setColumnWidths(const QList<int>& w) override { widths = w; }
    void setRowCount(int r) override { rows = r; }
    void setCell(int row, int column, const QString& text) override { cells[{row, column}] = text; }
    QString cell(int row, int column) const { return cells.value({row, column}); }
};

// A batch database made the way the operator makes one: a scheme, then "新建批次".
QString makeBatch(const TempAppDir& dir, const StandardScheme& scheme, const QString& number = "B1") {
    const DatabaseFilesResult files = ensureDatabaseFiles(dir.path(), 0);
    if (!files.error.isEmpty()) return {};
    QString error;
    if (!insertScheme(schemeDatabasePath(dir.path()), scheme, &error)) return {};
    const BatchOutcome b = newBatch(dir.path(), BatchKind::Standard, number, scheme.scheme_name,
                                    [](const QString&, const QString&) { return true; });
    return b.ok ? b.path : QString();
}

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

int count(const QString& path, const QString& table) {
    Database db(path);
    const auto rows = db.select("select count(*) as n from " + table);
    return rows && !rows->isEmpty() ? rows->first().toInt("n") : -1;
}

QList<DbRow> rowsOf(const QString& path, const QString& sql) {
    Database db(path);
    return db.select(sql).value_or(QList<DbRow>{});
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
    QCOMPARE(rig.seq->LoadScheme(&grid, rig.dir.file("junk.mdb"), s).message, QString("读取文件错误!!"));
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
    const auto outcome = storeStandardTest(*rig.seq, rig.seq->scheme(), r, ttest_chart{});
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
    QVERIFY(!rows[0].text("date").isEmpty());
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
    QVERIFY(storeStandardTest(*rig.seq, rig.seq->scheme(), r, c).ok);
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
    const auto outcome = storeStandardTest(*rig.seq, rig.seq->scheme(), ResultArray{}, c);
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(count(batch, "test_result"), 0);

    // Through the sequencer: state 4, the serial stays.
    rig.seq->setTestStorer([&](const ttest_info& s, const ResultArray& r, const ttest_chart& ch) {
        return storeStandardTest(*rig.seq, s, r, ch);
    });
    rig.seq->StartCurveTimer();
    rig.start(100);
    rig.record().load = 10.0f;
    rig.seq->ChartFeed();
    rig.sample(0, 50);
    rig.sample(0, 100);
    QTRY_COMPARE(rig.seq->state(), TestState::StoreFailed);
    QCOMPARE(rig.seq->xuhao(), 1);
    QCOMPARE(count(batch, "test_result"), 0);
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

QTEST_GUILESS_MAIN(TestStandardStorage)
#include "tst_standardstorage.moc"
