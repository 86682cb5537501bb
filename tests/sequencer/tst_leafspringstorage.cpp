#include "SequencerRig.h"
#include "StorageProbes.h"
#include "platform/ProfileFile.h"
#include "sequencer/BatchOpening.h"
#include "sequencer/ResultGrid.h"
#include "sequencer/procedures/LeafSpringStorage.h"
#include "sequencer/procedures/LeafSpringTest.h"
#include "storage/Database.h"
#include "storage/Schema.h"
#include "storage/Schemes.h"
#include "storage/TestOperator.h"

#include <QDir>
#include <QtTest>

using namespace springtest;
using namespace springtest::testing;

namespace {

LeafSpringScheme leafScheme(const QString& style = "3", int jh = 2) {
    LeafSpringScheme s;
    s.scheme_name = "L";
    s.scheme_style = style;
    s.scheme_jh = jh;
    s.scheme_height = "0.5";
    s.scheme_load = "10";
    s.scheme_sum = "3";
    s.points[0] = {"200", "5", "1"};
    s.points[1] = {"400", "6", "2"};
    s.points[2] = {"600", "7", "3"};
    s.scheme_sdload = "500";
    s.scheme_th_height = "30";
    s.scheme_xc_height = "50";
    s.scheme_yyload = "800";
    s.scheme_returnLOAD = "900";
    return s;
}

// A leaf-spring batch as the batch command makes one: the template with the scheme copied into it.
QString makeLeafBatch(const TempAppDir& dir, const LeafSpringScheme& scheme) {
    if (!ensureDatabaseFiles(dir.path(), 3).error.isEmpty()) return {};
    QDir(dir.path()).mkpath("databaseGBTH");
    const QString batch = dir.file("databaseGBTH/L1.mdb");
    QString error;
    if (!QFile::copy(databaseTemplatePath(dir.path()), batch) || !insertScheme(batch, scheme, &error)) {
        qWarning() << "no batch:" << error;
        return {};
    }
    return batch;
}

// A leaf-spring sequencer with its storage, the card's load read with 1 decimal and displacements with 3.
struct StorageRig {
    SequencerRig rig{3};
    GridRecorder grid;
    QString batch;

    explicit StorageRig(const LeafSpringScheme& scheme) {
        ProfileFile(rig.dir.file("init0.dat")).writeString("Load", "Gear1_Decimal_Places", "1");
        rig.cards.cards[0].load = std::make_unique<Tload>(rig.dir.path(), 0, rig.driver, &rig.cards.cards[0]);
        installProceduresForMachineType(*rig.seq);
        batch = makeLeafBatch(rig.dir, scheme);
    }
    OpenBatchOutcome open() { return openBatchForTesting(*rig.seq, &grid, batch); }
    FinishedTest finished(const ResultArray& results, const ttest_chart& curve = {}) {
        FinishedTest test;
        test.scheme = rig.seq->scheme();
        test.results = results;
        test.curve = curve;
        test.format = readoutFormat(rig.cards.cards[0]);
        test.operatorName = QStringLiteral("张工");
        return test;
    }
};

// Every slot the leaf-spring test could write, filled: what is stored shows what the storer chose to take.
ResultArray everySlotFilled() {
    ResultArray r;
    for (int i = 0; i < kResultSlots; ++i) r[i] = 10.0f + 0.5f * float(i);
    return r;
}

}  // namespace

class TestLeafSpringStorage : public QObject {
    Q_OBJECT
private slots:
    void type3OpensALeafSpringBatch();
    void loaderMessages_data();
    void loaderMessages();
    void storesWhatTheTestMeasured_data();
    void storesWhatTheTestMeasured();
    void storesArcHeightsAndCurve();
    void failedStoreLeavesNothing();
};

void TestLeafSpringStorage::type3OpensALeafSpringBatch() {
    StorageRig t(leafScheme("3", 2));
    QVERIFY(!t.batch.isEmpty());
    const OpenBatchOutcome opened = t.open();
    QVERIFY2(opened.ok, qPrintable(opened.message));
    QVERIFY(opened.compression);
    const ttest_info s = t.rig.seq->scheme();
    QCOMPARE(s.xuhao, 1);
    QCOMPARE(s.scheme_style, SchemeStyle::LoadDeformation);
    QCOMPARE(s.scheme_jh, 2);
    QCOMPARE(s.scheme_sum, 3);
    QCOMPARE(s.points, (QVector<double>{200, 400, 600}));
    QCOMPARE(s.upper, (QVector<double>{5, 6, 7}));
    QCOMPARE(s.lower, (QVector<double>{1, 2, 3}));
    QCOMPARE(s.scheme_height, 0.5);
    QCOMPARE(s.scheme_load, 10.0);
    QCOMPARE(s.scheme_SDload, 500.0);
    QCOMPARE(s.scheme_th_height, 30.0);
    QCOMPARE(s.scheme_xc_height, 50.0);
    QCOMPARE(s.scheme_yyLOAD, 800.0);
    QCOMPARE(s.scheme_returnLOAD, 900.0);
    QCOMPARE(t.grid.widths, (QList<int>{30, 60, 60, 60, 80, 35}));
    QCOMPARE(t.grid.rows, 4);
    QCOMPARE(t.grid.cell(0, 1), QString("负荷"));
    QCOMPARE(t.grid.cell(0, 4), QString("实测值"));
    QCOMPARE(t.grid.cell(0, 5), QString("结论"));
    QCOMPARE(t.grid.cell(2, 1), QString("400"));
    QCOMPARE(t.grid.cell(3, 3), QString("3"));
    QVERIFY(t.rig.seq->hasProcedure());
}

void TestLeafSpringStorage::loaderMessages_data() {
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("message");
    QTest::newRow("no scheme") << "delete from GBTH_information"
                               << "当前无试验方案";
    QTest::newRow("a style no scheme has") << "update GBTH_information set scheme_style = '7'"
                                           << "读取文件错误!!";
    QTest::newRow("no result table") << "drop table gbth_result"
                                     << "读取文件错误!! no such table: GBTH_result";
}

void TestLeafSpringStorage::loaderMessages() {
    QFETCH(QString, damage);
    QFETCH(QString, message);
    StorageRig t(leafScheme());
    {
        Database db(t.batch);
        QVERIFY(db.exec(damage));
    }
    const OpenBatchOutcome opened = t.open();
    QVERIFY(!opened.ok);
    QCOMPARE(opened.message.left(message.size()), message);
    QVERIFY(!t.rig.seq->hasBatch());
}

void TestLeafSpringStorage::storesWhatTheTestMeasured_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<int>("jh");
    QTest::addColumn<QString>("forward1");  // result1-1 as stored

    // With slot i holding 10 + i/2: forward value of point 1 in slot 2 (11.0), return in 22 (21.0), return
    // stiffness in 32 (26.0), static-load arc heights in 45 and 65.
    QTest::newRow("style 0, forward only") << "0" << 1 << "11.0";
    QTest::newRow("style 1, both strokes") << "1" << 2 << "11.0";
    QTest::newRow("style 2, both strokes") << "2" << 2 << "11.000";
    QTest::newRow("style 3, forward only") << "3" << 1 << "11.000";
    QTest::newRow("style 3, both strokes") << "3" << 2 << "11.000";
}

void TestLeafSpringStorage::storesWhatTheTestMeasured() {
    QFETCH(QString, style);
    QFETCH(int, jh);
    QFETCH(QString, forward1);
    StorageRig t(leafScheme(style, jh));
    QVERIFY(t.open().ok);
    const auto outcome = storeLeafSpringTest(t.finished(everySlotFilled()));
    QVERIFY2(outcome.ok, qPrintable(outcome.error));

    const QList<DbRow> rows = rowsOf(t.batch, "select * from gbth_result");
    QCOMPARE(rows.size(), 1);
    const DbRow& row = rows.first();
    QCOMPARE(row.toInt("xuhao"), 1);
    QCOMPARE(row.text("jinhuicheng"), QString("0"));
    QCOMPARE(row.text("result1-1"), forward1);
    QVERIFY(!row.isEmpty("result1-3"));
    QVERIFY(row.isEmpty("result1-4"));  // beyond the scheme's points
    // What the test did not measure is empty, whatever the result array held there.
    const bool returnMeasured = jh == 2;
    const bool arcsMeasured = style == "3";
    QCOMPARE(row.isEmpty("result2-1"), !returnMeasured);
    QCOMPARE(row.isEmpty("gangdu1"), !returnMeasured);
    QCOMPARE(row.isEmpty("jingzai_height1-1"), !arcsMeasured);
    QCOMPARE(row.isEmpty("jingzai_height2-1"), !(arcsMeasured && returnMeasured));
    if (returnMeasured) {
        QCOMPARE(row.text("gangdu1"), QString("26.00"));
        QCOMPARE(row.text("result2-3"), style == "1" ? QString("22.0") : QString("22.000"));
    }
    if (arcsMeasured) QCOMPARE(row.text("jingzai_height1-1"), QString("32.500"));
    if (arcsMeasured && returnMeasured) QCOMPARE(row.text("jingzai_height2-3"), QString("43.500"));
}

void TestLeafSpringStorage::storesArcHeightsAndCurve() {
    StorageRig t(leafScheme());
    QVERIFY(t.open().ok);
    ResultArray r;
    r[0] = 118.9f;
    r[LeafResultIndex::freeArcHeight] = 39.9f;
    r[LeafResultIndex::pressedArcHeight] = 38.9f;
    r[LeafResultIndex::setLoadArcHeight] = 34.25f;
    ttest_chart c;
    for (int i = 0; i < 4; ++i) {
        c.load << QString::number(i * 100);
        c.displacement << QString::number(118.9 - i);
        c.deformation << QString::number(i);
        c.stroke << (i < 3 ? "1" : "2");
    }
    c.count = 4;
    QVERIFY(storeLeafSpringTest(t.finished(r, c)).ok);
    const DbRow row = rowsOf(t.batch, "select * from gbth_result").value(0);
    QCOMPARE(row.text("height"), QString("118.900"));
    QCOMPARE(row.text("ziyou_height"), QString("39.900"));
    QCOMPARE(row.text("yahou_height"), QString("38.900"));
    QCOMPARE(row.text("SD_HEIGHT"), QString("34.250"));
    QVERIFY(row.isEmpty("result1-1"));  // never reached
    QVERIFY(!row.text("date").isEmpty());
    const QList<DbRow> points = rowsOf(t.batch, "select * from test_point order by number");
    QCOMPARE(points.size(), 4);
    QCOMPARE(points[3].toInt("xuhao"), 1);
    QCOMPARE(points[3].text("load"), QString("300"));
    QCOMPARE(points[3].text("jinhuicheng"), QString("2"));
    Database db(t.batch);
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{{1, QStringLiteral("张工")}}));
}

void TestLeafSpringStorage::failedStoreLeavesNothing() {
    StorageRig t(leafScheme());
    QVERIFY(t.open().ok);
    {
        // The curve cannot be written: the result row written before it must not stay behind.
        Database db(t.batch);
        QVERIFY(db.exec("drop table test_point"));
    }
    ttest_chart c;
    c.load << "1";
    c.displacement << "2";
    c.deformation << "3";
    c.stroke << "1";
    c.count = 1;
    const auto outcome = storeLeafSpringTest(t.finished(everySlotFilled(), c));
    QVERIFY(!outcome.ok);
    QVERIFY(!outcome.error.isEmpty());
    QCOMPARE(count(t.batch, "gbth_result"), 0);

    // Through the sequencer: a spring pressed once and measured, then state 4, nothing stored, the serial
    // free again.
    t.rig.seq->SetPrecompressCount(0);
    t.rig.record().displacement = 150;
    t.rig.seq->StartTest(0);
    for (int cycle = 1; cycle <= 2; ++cycle) {
        for (float L : {0.0f, 10.0f, 500.0f, 800.0f, 950.0f, 950.0f}) {
            t.rig.record().load = L;
            t.rig.record().displacement = 120.0f - L / 100.0f;
            t.rig.seq->sampleSlot().procedure.load()->onSample(0);
            t.rig.seq->ChartFeed();  // the measuring cycle's curve has samples to store
        }
        t.rig.record().load = 0.0f;
        t.rig.record().displacement = 150.0f;
        t.rig.seq->sampleSlot().procedure.load()->onSample(0);
    }
    QVERIFY(!t.rig.seq->running());
    QTRY_COMPARE(t.rig.seq->state(), TestState::StoreFailed);
    QCOMPARE(t.rig.seq->xuhao(), 1);
    QCOMPARE(count(t.batch, "gbth_result"), 0);
    Database db(t.batch);
    QCOMPARE(readTestOperators(db), std::optional(QHash<int, QString>{}));
}

QTEST_GUILESS_MAIN(TestLeafSpringStorage)
#include "tst_leafspringstorage.moc"
